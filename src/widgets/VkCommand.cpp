#include "widgets/VkCommand.h"

#include <QKeyEvent>

VkCommand::VkCommand(const QString &caption, QWidget *parent)
    : QPushButton(caption, parent)
{
    // An auto-default button of a dialog would also take the Return typed in a text box.
    setAutoDefault(false);
}

void VkCommand::press()
{
    if (isEnabled() && !isHidden())
        click();
}

void VkCommand::keyPressEvent(QKeyEvent *event)
{
    // The menu key and Shift+F10 open a button's menu where it has one, whichever way the
    // window system delivers them.
    const bool menuKey = event->key() == Qt::Key_Menu
        || (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (menuKey && contextMenuPolicy() == Qt::CustomContextMenu) {
        Q_EMIT customContextMenuRequested(rect().center());
        event->accept();
        return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (!enter || modifiers != Qt::NoModifier) {
        QPushButton::keyPressEvent(event);
        return;
    }
    // One press per key: a held Return must not print or quit again and again.
    if (!event->isAutoRepeat())
        click();
    event->accept();
}
