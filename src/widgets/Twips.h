#pragma once

#include <QRect>

class QWidget;

// Window geometry is designed in twips (1440 to the inch); the screen's logical DPI turns it
// into pixels, so the windows keep their proportions on any display.
namespace Twips {
int toPixels(int twips);
int fromPixels(int pixels);
QRect rect(int left, int top, int width, int height);
void place(QWidget *widget, int left, int top, int width, int height);
void resizeClient(QWidget *window, int width, int height);
} // namespace Twips
