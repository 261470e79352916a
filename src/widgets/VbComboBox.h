#pragma once

#include <QComboBox>

// Editable combo box. Change runs on each keystroke and when the program sets the text;
// Click runs when the user picks an entry of the list (the text already holds it) and not
// also as a Change; LostFocus runs when the focus goes to another control of the program,
// not to the box's own drop-down list. The list's current entry follows the text, so that
// Up, Down and the wheel step from the size shown.
class VbComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit VbComboBox(QWidget *parent);
    QString Text() const { return currentText(); }
    void setText(const QString &text);

Q_SIGNALS:
    void Change();
    void Click();
    void LostFocus();

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    void followText(const QString &text);
};
