#pragma once

#include <QFrame>

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
