#include "widgets/VbListBox.h"

#include "widgets/FocusEvents.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

VbListBox::VbListBox(QWidget *parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Every row has the height of one line of the list's font: telling the view so keeps
    // insertions into a list of thousands of fonts from re-measuring every row.
    setUniformItemSizes(true);
    // The user's own alphabet: "Écho" sorts among the E, not after "Zapf".
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

bool VbListBox::lessThan(const QString &a, const QString &b) const
{
    return m_collator.compare(a, b) < 0;
}

void VbListBox::AddItem(const QString &text)
{
    int low = 0;
    int high = count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (lessThan(text, item(middle)->text()))
            high = middle;
        else
            low = middle + 1;
    }
    insertItem(low, text);
}

void VbListBox::AddItem(const QString &text, int position)
{
    insertItem(std::clamp(position, 0, count()), text);
}

void VbListBox::RemoveItem(int position)
{
    delete takeItem(position);
}

void VbListBox::Clear()
{
    clear();
}

QString VbListBox::List(int position) const
{
    const QListWidgetItem *entry = item(position);
    return entry ? entry->text() : QString();
}

void VbListBox::setList(int position, const QString &text)
{
    if (QListWidgetItem *entry = item(position))
        entry->setText(text);
}

int VbListBox::ListIndex() const
{
    if (count() == 0)
        return -1;
    return std::max(currentRow(), 0);
}

bool VbListBox::Selected(int position) const
{
    const QListWidgetItem *entry = item(position);
    return entry && entry->isSelected();
}

void VbListBox::setSelected(int position, bool selected)
{
    QListWidgetItem *entry = item(position);
    if (!entry)
        return;
    entry->setSelected(selected);
    if (selected)
        setCurrentItem(entry, QItemSelectionModel::NoUpdate);
}

void VbListBox::keyPressEvent(QKeyEvent *event)
{
    int keyCode = 0;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        keyCode = kKeyReturn;
        break;
    case Qt::Key_Up:
        keyCode = kKeyUp;
        break;
    case Qt::Key_Down:
        keyCode = kKeyDown;
        break;
    case Qt::Key_Delete:
        keyCode = kKeyDelete;
        break;
    default:
        break;
    }
    if (keyCode != 0)
        Q_EMIT KeyDown(keyCode);
    QListWidget::keyPressEvent(event);
}

void VbListBox::mousePressEvent(QMouseEvent *event)
{
    const bool onEntry = indexAt(event->position().toPoint()).isValid();
    m_pressKeptHighlights = event->button() != Qt::LeftButton || !onEntry;
    if (m_pressKeptHighlights) {
        if (focusPolicy() & Qt::ClickFocus)
            setFocus(Qt::MouseFocusReason);
        event->accept();
    } else {
        QListWidget::mousePressEvent(event);
    }
    Q_EMIT MouseDown(event->button());
}

void VbListBox::mouseMoveEvent(QMouseEvent *event)
{
    // A drag from the empty area would otherwise sweep a rubber band over the entries.
    if (m_pressKeptHighlights && event->buttons() != Qt::NoButton)
        event->accept();
    else
        QListWidget::mouseMoveEvent(event);
}

void VbListBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (std::exchange(m_pressKeptHighlights, false))
        event->accept();
    else
        QListWidget::mouseReleaseEvent(event);
}

void VbListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Qt takes a double click elsewhere than on an entry for a second press, which keeps
    // the highlights as the first one did.
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
        Q_EMIT DblClick();
}

void VbListBox::focusInEvent(QFocusEvent *event)
{
    QListWidget::focusInEvent(event);
    if (isControlFocusChange(event->reason()))
        Q_EMIT GotFocus();
}
