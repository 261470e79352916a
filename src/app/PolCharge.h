#pragma once

#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class VkFrame;

// The loading window: the wait message with the number of fonts to read, and the counter
// the main window's load step advances.
class PolCharge : public QWidget
{
    Q_OBJECT
public:
    explicit PolCharge(QWidget *parent = nullptr);

    void Form_Load();
    // Writes the wait message and shows it at once, before the long load begins.
    void annoncer(int fontCount, const QString &sautLigne);
    // Shows the number of fonts read; repainted no more often than a screen can show it,
    // except the last count, which always reaches the screen.
    void compter(int count, int total);

private:
    VkFrame *vkFrame1 = nullptr;
    QLabel *Patientez = nullptr;
    QLabel *NbrePolices = nullptr;
    QElapsedTimer m_sinceRepaint;
};
