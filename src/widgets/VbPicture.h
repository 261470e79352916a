#pragma once

#include <QLabel>

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
