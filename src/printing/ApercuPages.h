#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QPrinter;
class QPrintPreviewWidget;
class QPushButton;

// The real pages of the catalogue before it is printed, one at a time, drawn by whatever the
// dialog hands in: the printing run itself, on a printer set up like the destination.
class ApercuPages : public QDialog
{
    Q_OBJECT
public:
    // draw(printer) prints the whole catalogue onto the printer.
    ApercuPages(QPrinter *printer, std::function<void(QPrinter *)> draw, QWidget *parent);

    int pageCount() const;
    int currentPage() const;

private:
    void showPage(int page);

    QPrintPreviewWidget *m_preview = nullptr;
    QLabel *m_where = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
    std::function<void(QPrinter *)> m_draw;
};
