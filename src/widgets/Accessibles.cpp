#include "widgets/Accessibles.h"

#include "widgets/VbBar.h"
#include "widgets/VbComboBox.h"

#include <QAbstractItemView>
#include <QLineEdit>

namespace {

QAccessibleInterface *accessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("VbBar") && object && object->isWidgetType())
        return new AccessibleBar(static_cast<VbBar *>(object));
    if (className == QLatin1String("VbComboBox") && object && object->isWidgetType())
        return new AccessibleComboBox(static_cast<VbComboBox *>(object));
    return nullptr;
}

} // namespace

// Our own accessible interfaces, installed by the first control that needs one.
void installAccessibleControls()
{
    static const bool installed = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    Q_UNUSED(installed);
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
