#pragma once

#include <QPoint>
#include <QSize>

class QWidget;

// The windows open in the middle of the primary screen, as they were designed to.
namespace WindowCentring {
// Left and top that centre a window of the given pixel size on the primary screen.
QPoint centredOnScreen(QSize size);
// Centres the window's outer frame on the primary screen: now, by the size known so far, and
// once more when it is first shown, because only then does a window manager give the frame
// its title bar and borders.
void centreOnScreen(QWidget *window);
} // namespace WindowCentring
