#include "widgets/MessageBoxes.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpacerItem>

namespace {

// A short question makes a narrow box, and window managers then cut its title
// ("Contrô… eture"); leave the title room, with some for the frame's buttons.
void leaveRoomForTitle(QMessageBox &box, const QString &title)
{
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout())) {
        const int titleWidth = box.fontMetrics().horizontalAdvance(title) + 160;
        grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
            grid->rowCount(), 0, 1, grid->columnCount());
    }
}

} // namespace

MessageBoxes::Answer QtMessageBoxes::MsgBox(const QString &text, int style, const QString &title)
{
    QWidget *parent = QApplication::activeWindow();
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    if (style == Question) {
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        // Without a Cancel button Escape would do nothing; it answers No, the safe choice.
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setIcon(style == Exclamation ? QMessageBox::Warning : QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok);
    }
    leaveRoomForTitle(box, title);
    const int pressed = box.exec();
    if (style == Question)
        return pressed == QMessageBox::No ? No : Yes;
    return Ok;
}

MessageBoxes::Answer QtMessageBoxes::informationWithOpen(const QString &text, const QString &title)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setText(text);
    box.setIcon(QMessageBox::Information);
    QPushButton *open = box.addButton(QStringLiteral("Ouvrir"), QMessageBox::AcceptRole);
    box.setDefaultButton(box.addButton(QMessageBox::Ok));
    box.setEscapeButton(QMessageBox::Ok);
    leaveRoomForTitle(box, title);
    box.exec();
    return box.clickedButton() == open ? Open : Ok;
}

QString QtMessageBoxes::fichierPdf(const QString &proposed)
{
    QString path = QFileDialog::getSaveFileName(QApplication::activeWindow(),
        QStringLiteral("Enregistrer le catalogue"), proposed,
        QStringLiteral("Documents PDF (*.pdf)"));
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    return path;
}

bool QtMessageBoxes::optionsImpression(QPrinter &printer, int lastPage)
{
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setWindowTitle(QStringLiteral("Options d'impression"));
    // The catalogue is printed whole or by pages; it has no selection or current page.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange
        | QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintCollateCopies);
    dialog.setMinMax(1, std::max(1, lastPage));
    return dialog.exec() == QDialog::Accepted;
}
