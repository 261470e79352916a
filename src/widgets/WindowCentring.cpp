#include "widgets/WindowCentring.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

// Centres the window again at its first exposure, when the frame's size is known.
class FrameCentring : public QObject
{
public:
    explicit FrameCentring(QWidget *window)
        : QObject(window)
        , m_window(window)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The native window exists from the first show; its exposure comes after the window
        // manager has framed it.
        if (watched == m_window && event->type() == QEvent::Show) {
            if (QWindow *handle = m_window->windowHandle())
                handle->installEventFilter(this);
        } else if (event->type() == QEvent::Expose && m_window
            && m_window->windowHandle() == watched && m_window->windowHandle()->isExposed()) {
            m_window->removeEventFilter(this);
            watched->removeEventFilter(this);
            m_window->move(WindowCentring::centredOnScreen(m_window->frameGeometry().size()));
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
};

} // namespace

QPoint WindowCentring::centredOnScreen(QSize size)
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

void WindowCentring::centreOnScreen(QWidget *window)
{
    window->move(centredOnScreen(window->frameGeometry().size()));
    new FrameCentring(window);
}
