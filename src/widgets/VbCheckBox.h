#pragma once

#include <QCheckBox>

// Check box with the values 0 (unchecked), 1 (checked) and 2 (greyed); Click runs on every
// change of the value, by the user or by the program.
class VbCheckBox : public QCheckBox
{
    Q_OBJECT
public:
    explicit VbCheckBox(const QString &caption, QWidget *parent);
    int Value() const;
    // A value outside 0..2 reads as 0: a damaged settings file must not leave the box in a
    // state no user action can reach.
    void setValue(int value);

Q_SIGNALS:
    void Click();

protected:
    // A user's click toggles between checked and unchecked; greyed is set only by the program.
    void nextCheckState() override;
};
