#pragma once

#include <QRadioButton>

// Option button: Click runs when it becomes the chosen member of its group, by a click or
// because the program chose it.
class VbOptionButton : public QRadioButton
{
    Q_OBJECT
public:
    explicit VbOptionButton(const QString &caption, QWidget *parent);
    bool Value() const { return isChecked(); }
    void setValue(bool value) { setChecked(value); }

Q_SIGNALS:
    void Click();

private:
    void updateTabStops() const;
};
