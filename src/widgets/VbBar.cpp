#include "widgets/VbBar.h"

#include "widgets/Accessibles.h"
#include <cmath>

VbBar::VbBar(const QColor &colour, QWidget *parent)
    : QFrame(parent)
{
    installAccessibleControls();
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, colour);
    setPalette(palette);
    setAutoFillBackground(true);
}

int VbBar::percent() const
{
    if (m_fullWidth <= 0)
        return 0;
    return std::clamp(int(std::lround(100.0 * width() / m_fullWidth)), 0, 100);
}

void VbBar::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent changed(this, percent());
        QAccessible::updateAccessibility(&changed);
    }
}
