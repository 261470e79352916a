#include "platform/MessageBoxes.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

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
    // A short question makes a narrow box, and window managers then cut its title
    // ("Contrô… eture"); leave the title room, with some for the frame's buttons.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout())) {
        const int titleWidth = box.fontMetrics().horizontalAdvance(title) + 160;
        grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
            grid->rowCount(), 0, 1, grid->columnCount());
    }
    const int pressed = box.exec();
    if (style == Question)
        return pressed == QMessageBox::No ? No : Yes;
    return Ok;
}
