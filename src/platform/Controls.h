// The controls the windows are built from. Qt lacks a few events the windows rely on: a key
// seen before the list acts on it, a focus loss that ignores switching applications, and a
// click behaviour that also runs when the program itself changes a value. Each control here
// adds exactly one such event on top of the Qt widget, so that every handler runs once per
// event whoever caused it.
#pragma once

#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

// Titled frame: the controls placed inside it move and show with it.
class VkFrame : public QGroupBox
{
    Q_OBJECT
public:
    explicit VkFrame(const QString &caption, QWidget *parent);
    QString Caption() const { return title(); }
    void setCaption(const QString &caption) { setTitle(caption); }
};

// Push button: clicked() is raised once per press; a hidden button cannot be pressed.
class VkCommand : public QPushButton
{
    Q_OBJECT
public:
    explicit VkCommand(const QString &caption, QWidget *parent);
};

// List box with sorted insertion (the locale's collation, letter case ignored) and extended
// multiple selection.
class VbListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit VbListBox(QWidget *parent);

    // Inserts at the sorted place; an entry equal to existing ones goes after them.
    void AddItem(const QString &text);
    void AddItem(const QString &text, int position);
    void RemoveItem(int position);
    void Clear();
    QString List(int position) const;
    void setList(int position, const QString &text);
    int ListCount() const { return count(); }
    // The entry carrying the focus mark: the first one until something moves it, -1 only
    // when the list is empty.
    int ListIndex() const;
    bool Selected(int position) const;
    void setSelected(int position, bool selected);

    bool lessThan(const QString &a, const QString &b) const;

Q_SIGNALS:
    // Raised before the list moves its highlight, with the Windows key code (38 up, 40 down).
    void KeyDown(int keyCode);
    // Raised once the list has moved its current item to the pressed entry.
    void MouseDown(Qt::MouseButton button);
    void GotFocus();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    // Opening a collator costs far more than comparing with it: one per list.
    QCollator m_collator { QLocale() };
};

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
};

// Editable combo box. Change runs on each keystroke and when the program sets the text;
// Click runs when the user picks an entry of the list (the text already holds it) and not
// also as a Change; LostFocus runs when the focus goes to another control of the program.
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
};

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

// Picture the user can press like a button: a left click, or Return, Enter or Space while it
// has the focus, which it shows with a frame.
class VbPicture : public QLabel
{
    Q_OBJECT
public:
    explicit VbPicture(QWidget *parent);

Q_SIGNALS:
    void Click();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

// Whether a focus change is one between controls of the program (not a switch of
// application, nor a popup of the control itself).
bool isControlFocusChange(Qt::FocusReason reason);
