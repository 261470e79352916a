#include "widgets/VbComboBox.h"

#include "widgets/Accessibles.h"
#include "widgets/FocusEvents.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>

VbComboBox::VbComboBox(QWidget *parent)
    : QComboBox(parent)
{
    installAccessibleControls();
    setEditable(true);
    // Inline completion would turn a typed "1" into "10" and apply a size nobody typed;
    // Enter must not grow the list of offered sizes either.
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    // Typing reaches the line edit; picking an entry sets its text without textEdited, and
    // is reported once, as a Click.
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { Q_EMIT Change(); });
    connect(lineEdit(), &QLineEdit::textChanged, this, &VbComboBox::followText);
    connect(this, &QComboBox::activated, this, [this] { Q_EMIT Click(); });
}

void VbComboBox::setText(const QString &text)
{
    if (text == currentText())
        return;
    setEditText(text);
    Q_EMIT Change();
}

void VbComboBox::followText(const QString &text)
{
    // Only an entry equal to the text: choosing any other would replace what was typed.
    const int same = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (same >= 0 && same != currentIndex())
        setCurrentIndex(same);
}

void VbComboBox::focusOutEvent(QFocusEvent *event)
{
    QComboBox::focusOutEvent(event);
    // Opening the drop-down moves the focus into it, for a reason that depends on the
    // platform; the box itself is still being used.
    const QWidget *popup = view()->window();
    const QWidget *next = QApplication::focusWidget();
    const bool ownPopup
        = popup->isVisible() || (next && (next == popup || popup->isAncestorOf(next)));
    if (isControlFocusChange(event->reason()) && !ownPopup)
        Q_EMIT LostFocus();
}
