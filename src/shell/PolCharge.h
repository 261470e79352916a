#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <chrono>

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
    // Waits, at most `limit`, until the window system shows the window: under a window
    // manager a window is mapped some time after show(), and what is painted before that is
    // lost, so the wait message would stay unseen for the whole load.
    void attendreAffichage(std::chrono::milliseconds limit);
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
