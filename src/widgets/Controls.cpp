#include "widgets/Controls.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

QAccessibleInterface *accessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("VbBar") && object && object->isWidgetType())
        return new AccessibleBar(static_cast<VbBar *>(object));
    if (className == QLatin1String("VbComboBox") && object && object->isWidgetType())
        return new AccessibleComboBox(static_cast<VbComboBox *>(object));
    return nullptr;
}

// Our own accessible interfaces, installed by the first control that needs one.
void installAccessibleControls()
{
    static const bool installed = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

// Hands the focus to a control at the window's first activation, then goes away.
class FirstActivationFocus : public QObject
{
public:
    FirstActivationFocus(QWidget *window, QWidget *control)
        : QObject(window)
        , m_control(control)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Qt gives the window's focus back right after this event; the control then already
        // holds it, so no other control sees it for a moment.
        if (event->type() == QEvent::WindowActivate) {
            watched->removeEventFilter(this);
            if (m_control && m_control->isEnabled() && m_control->isVisible())
                m_control->setFocus(Qt::OtherFocusReason);
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QWidget> m_control;
};

} // namespace

QString withMnemonic(const QString &caption, QChar letter)
{
    QString escaped = caption;
    escaped.replace(u'&', QStringLiteral("&&"));
    const qsizetype at = escaped.indexOf(letter);
    if (at >= 0)
        escaped.insert(at, u'&');
    return escaped;
}

bool isControlFocusChange(Qt::FocusReason reason)
{
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

VkFrame::VkFrame(const QString &caption, QWidget *parent)
    : QGroupBox(parent)
{
    setCaption(caption);
}

void VkFrame::setCaption(const QString &caption)
{
    m_caption = caption;
    setTitle(QString(caption).replace(u'&', QStringLiteral("&&")));
}

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
        updateTabStops();
        if (on)
            Q_EMIT Click();
    });
}

// Tab stops once in a group of options, on the checked one, as desktops do; the arrow keys
// move within the group. Qt alone stops on the first of the group until one has had the focus.
void VbOptionButton::updateTabStops() const
{
    if (!parentWidget())
        return;
    const auto group = parentWidget()->findChildren<VbOptionButton *>(Qt::FindDirectChildrenOnly);
    const bool oneChecked = std::any_of(
        group.begin(), group.end(), [](const VbOptionButton *b) { return b->isChecked(); });
    for (VbOptionButton *button : group) {
        const bool stop = !oneChecked || button->isChecked();
        button->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

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

VbBar::VbBar(const QColor &colour, QWidget *parent)
    : QFrame(parent)
{
    installAccessibleControls();
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, colour);
    setPalette(palette);
    setAutoFillBackground(true);
}

int VbBar::percent() const
{
    if (m_fullWidth <= 0)
        return 0;
    return std::clamp(int(std::lround(100.0 * width() / m_fullWidth)), 0, 100);
}

void VbBar::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent changed(this, percent());
        QAccessible::updateAccessibility(&changed);
    }
}

AccessibleBar::AccessibleBar(VbBar *bar)
    : QAccessibleWidget(bar, QAccessible::ProgressBar)
{ }

VbBar *AccessibleBar::bar() const
{
    return static_cast<VbBar *>(widget());
}

void *AccessibleBar::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString AccessibleBar::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return QStringLiteral("%1 %").arg(bar()->percent());
    return QAccessibleWidget::text(t);
}

QRect AccessibleBar::rect() const
{
    const VbBar *b = bar();
    return QRect(
        b->mapToGlobal(QPoint(0, 0)), QSize(std::max(b->fullWidth(), b->width()), b->height()));
}

QVariant AccessibleBar::currentValue() const
{
    return bar()->percent();
}

void raisePendingLostFocus(QWidget *window)
{
    for (QWidget *w = window->focusWidget(); w && w != window; w = w->parentWidget()) {
        if (auto *text = qobject_cast<VbTextBox *>(w)) {
            Q_EMIT text->LostFocus();
            return;
        }
        if (auto *combo = qobject_cast<VbComboBox *>(w)) {
            Q_EMIT combo->LostFocus();
            return;
        }
    }
}

void focusOnFirstActivation(QWidget *window, QWidget *control)
{
    new FirstActivationFocus(window, control);
}

AccessibleComboBox::AccessibleComboBox(VbComboBox *box)
    : QAccessibleWidget(box, QAccessible::ComboBox)
{ }

VbComboBox *AccessibleComboBox::box() const
{
    return static_cast<VbComboBox *>(widget());
}

QString AccessibleComboBox::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return box()->Text();
    return QAccessibleWidget::text(t);
}

int AccessibleComboBox::childCount() const
{
    return 2;
}

QAccessibleInterface *AccessibleComboBox::child(int index) const
{
    if (index == 0)
        return QAccessible::queryAccessibleInterface(box()->view());
    if (index == 1)
        return QAccessible::queryAccessibleInterface(box()->lineEdit());
    return nullptr;
}

int AccessibleComboBox::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child)
        return -1;
    if (child->object() == box()->view())
        return 0;
    if (child->object() == box()->lineEdit())
        return 1;
    return -1;
}

QStringList AccessibleComboBox::actionNames() const
{
    return { showMenuAction(), pressAction() };
}

void AccessibleComboBox::doAction(const QString &actionName)
{
    if (actionName != showMenuAction() && actionName != pressAction())
        return QAccessibleWidget::doAction(actionName);
    if (box()->view()->isVisible())
        box()->hidePopup();
    else
        box()->showPopup();
}
