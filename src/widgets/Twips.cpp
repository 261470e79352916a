#include "widgets/Twips.h"

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
