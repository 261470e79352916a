#pragma once

#include <QLineEdit>

// Text box with a LostFocus event.
class VbTextBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit VbTextBox(QWidget *parent);
    QString Text() const { return text(); }
    void setText(const QString &text) { QLineEdit::setText(text); }

Q_SIGNALS:
    void LostFocus();

protected:
    void focusOutEvent(QFocusEvent *event) override;
};
