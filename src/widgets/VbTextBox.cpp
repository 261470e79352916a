#include "widgets/VbTextBox.h"

#include "widgets/FocusEvents.h"
#include <QFocusEvent>

VbTextBox::VbTextBox(QWidget *parent)
    : QLineEdit(parent)
{ }

void VbTextBox::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (isControlFocusChange(event->reason()))
        Q_EMIT LostFocus();
}
