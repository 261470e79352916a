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
// Left and top that centre a window of the given pixel size on the primary screen.
QPoint centredOnScreen(QSize size);
// Centres the window's outer frame on the primary screen: now, by the size known so far, and
// once more when it is first shown, because only then does a window manager give the frame
// its title bar and borders.
void centreOnScreen(QWidget *window);
} // namespace Twips
