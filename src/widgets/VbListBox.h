#pragma once

#include <QCollator>
#include <QListWidget>

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
