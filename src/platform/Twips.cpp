#include "platform/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace {
double logicalDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}
} // namespace

int Twips::toPixels(int twips)
{
    return int(std::lround(twips * logicalDpi() / 1440.0));
}

int Twips::fromPixels(int pixels)
{
    return int(std::lround(pixels * 1440.0 / logicalDpi()));
}

QRect Twips::rect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

void Twips::place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(rect(left, top, width, height));
}

void Twips::resizeClient(QWidget *window, int width, int height)
{
    window->setFixedSize(toPixels(width), toPixels(height));
}

QPoint Twips::centredOnScreen(QSize size)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QPoint(0, 0);
    // Single precision, as the older program centred its windows; the difference is far
    // below a pixel but keeps the two programs' windows at the same place.
    const QRect area = screen->geometry();
    const float left = float(area.width() - size.width()) / 2.0f;
    const float top = float(area.height() - size.height()) / 2.0f;
    return area.topLeft() + QPoint(int(left), int(top));
}
