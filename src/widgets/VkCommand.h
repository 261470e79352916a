#pragma once

#include <QPushButton>

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
