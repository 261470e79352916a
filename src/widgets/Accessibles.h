#pragma once

#include <QAccessibleWidget>

class VbBar;
class VbComboBox;

// How a screen reader sees the controls that Qt would describe wrongly: each control that
// needs one installs them when it is first made.
void installAccessibleControls();

// Progress bar with its value in percent.
class AccessibleBar : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit AccessibleBar(VbBar *bar);
    void *interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text t) const override;
    // The whole track, so that an empty bar is not a zero-sized object.
    QRect rect() const override;
    QVariant currentValue() const override;
    void setCurrentValue(const QVariant &) override { }
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    VbBar *bar() const;
};

// Editable combo box as a screen reader sees it: named by its accessible name or its label,
// as every other control (Qt names it by its text on Linux, so two size boxes both read
// "18"), with its text as the value.
class AccessibleComboBox : public QAccessibleWidget
{
public:
    explicit AccessibleComboBox(VbComboBox *box);
    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

private:
    VbComboBox *box() const;
};
