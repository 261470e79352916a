#include "platform/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

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
    const int pressed = box.exec();
    if (style == Question)
        return pressed == QMessageBox::No ? No : Yes;
    return Ok;
}
