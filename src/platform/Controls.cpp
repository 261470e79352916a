#include "platform/Controls.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

bool isControlFocusChange(Qt::FocusReason reason)
{
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

VkFrame::VkFrame(const QString &caption, QWidget *parent)
    : QGroupBox(caption, parent)
{ }

VkCommand::VkCommand(const QString &caption, QWidget *parent)
    : QPushButton(caption, parent)
{
    setAutoDefault(false);
}

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
    case Qt::Key_Up:
        keyCode = 38;
        break;
    case Qt::Key_Down:
        keyCode = 40;
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
    QListWidget::mousePressEvent(event);
    Q_EMIT MouseDown(event->button());
}

void VbListBox::focusInEvent(QFocusEvent *event)
{
    QListWidget::focusInEvent(event);
    if (isControlFocusChange(event->reason()))
        Q_EMIT GotFocus();
}

VbCheckBox::VbCheckBox(const QString &caption, QWidget *parent)
    : QCheckBox(caption, parent)
{
    connect(this, &QCheckBox::stateChanged, this, [this] { Q_EMIT Click(); });
}

int VbCheckBox::Value() const
{
    switch (checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void VbCheckBox::setValue(int value)
{
    switch (value) {
    case 1:
        setCheckState(Qt::Checked);
        break;
    case 2:
        setCheckState(Qt::PartiallyChecked);
        break;
    default:
        setCheckState(Qt::Unchecked);
        break;
    }
}

void VbCheckBox::nextCheckState()
{
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

VbOptionButton::VbOptionButton(const QString &caption, QWidget *parent)
    : QRadioButton(caption, parent)
{
    connect(this, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Q_EMIT Click();
    });
}

VbComboBox::VbComboBox(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    // Inline completion would turn a typed "1" into "10" and apply a size nobody typed;
    // Enter must not grow the list of offered sizes either.
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    // Typing reaches the line edit; picking an entry sets its text without textEdited, and
    // is reported once, as a Click.
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { Q_EMIT Change(); });
    connect(this, &QComboBox::activated, this, [this] { Q_EMIT Click(); });
}

void VbComboBox::setText(const QString &text)
{
    if (text == currentText())
        return;
    setEditText(text);
    Q_EMIT Change();
}

void VbComboBox::focusOutEvent(QFocusEvent *event)
{
    QComboBox::focusOutEvent(event);
    if (isControlFocusChange(event->reason()))
        Q_EMIT LostFocus();
}

VbTextBox::VbTextBox(QWidget *parent)
    : QLineEdit(parent)
{ }

void VbTextBox::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (isControlFocusChange(event->reason()))
        Q_EMIT LostFocus();
}

VbPicture::VbPicture(QWidget *parent)
    : QLabel(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void VbPicture::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT Click();
}

void VbPicture::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        Q_EMIT Click();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

void VbPicture::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    QPen pen(palette().color(QPalette::Highlight), 2, Qt::DotLine);
    painter.setPen(pen);
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
}
