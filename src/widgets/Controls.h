// The controls the windows are built from. Qt lacks a few events the windows rely on: a key
// seen before the list acts on it, a focus loss that ignores switching applications, and a
// click behaviour that also runs when the program itself changes a value. Each control here
// adds exactly one such event on top of the Qt widget, so that every handler runs once per
// event whoever caused it.
#pragma once

#include <QAccessibleWidget>
#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

// The caption with an Alt mnemonic on the first occurrence of letter; any '&' of the caption
// itself stays a visible '&'. The caption shown is unchanged but for the underline.
QString withMnemonic(const QString &caption, QChar letter);

// Titled frame: the controls placed inside it move and show with it. The caption is shown as
// it is: an '&' in a font name is a letter, not a mnemonic.
class VkFrame : public QGroupBox
{
    Q_OBJECT
public:
    explicit VkFrame(const QString &caption, QWidget *parent);
    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);

private:
    QString m_caption;
};

// Push button: clicked() is raised once per press, by the mouse, Space, Return or keypad Enter
// while it has the focus; a hidden button cannot be pressed.
class VkCommand : public QPushButton
{
    Q_OBJECT
public:
    explicit VkCommand(const QString &caption, QWidget *parent);
    // A press from elsewhere (a shortcut): none when the button is hidden or disabled.
    void press();

protected:
    void keyPressEvent(QKeyEvent *event) override;
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

    static constexpr int kKeyReturn = 13;
    static constexpr int kKeyUp = 38;
    static constexpr int kKeyDown = 40;
    static constexpr int kKeyDelete = 46;

Q_SIGNALS:
    // Raised before the list acts on the key, with the Windows key code (13 Return or keypad
    // Enter, 38 up, 40 down, 46 Delete).
    void KeyDown(int keyCode);
    // Raised once the list has moved its current item to the pressed entry. Only a left press
    // on an entry changes the highlights; other buttons and the empty area keep them.
    void MouseDown(Qt::MouseButton button);
    // A double click of the left button on an entry.
    void DblClick();
    void GotFocus();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    // The press being handled left the highlights alone; its drag and release must too.
    bool m_pressKeptHighlights = false;
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

private:
    void updateTabStops() const;
};

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

// Filled rectangle used as a progress bar: its width grows towards the full width. Screen
// readers see a progress bar with its value in percent.
class VbBar : public QFrame
{
    Q_OBJECT
public:
    VbBar(const QColor &colour, QWidget *parent);
    void setFullWidth(int pixels) { m_fullWidth = pixels; }
    int fullWidth() const { return m_fullWidth; }
    int percent() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    int m_fullWidth = 0;
};

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

// Whether a focus change is one between controls of the program (not a switch of
// application, nor a popup of the control itself).
bool isControlFocusChange(Qt::FocusReason reason);

// Runs the LostFocus of the text or combo box holding the window's focus, as the focus would
// leave it: a window closing by Escape or its close box must not lose what was being typed.
void raisePendingLostFocus(QWidget *window);

// The first time the window becomes active, the control takes the focus as if the user had
// moved it there, so that its GotFocus runs.
void focusOnFirstActivation(QWidget *window, QWidget *control);
