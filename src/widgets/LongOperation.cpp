#include "widgets/LongOperation.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace {

// About three frames of a 60 Hz screen: paints keep up, and the events cost nothing next to
// the operation.
constexpr qint64 kBeatMs = 50;

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

} // namespace

LongOperation::LongOperation(Escape escape)
    : m_escapeStops(escape)
{
    m_sinceEvents.start();
    QCoreApplication::instance()->installEventFilter(this);
}

LongOperation::~LongOperation()
{
    QCoreApplication::instance()->removeEventFilter(this);
    for (Deferred &deferred : m_deferred) {
        if (deferred.receiver)
            QCoreApplication::postEvent(deferred.receiver, deferred.event.release());
    }
}

void LongOperation::beat()
{
    if (m_inBeat || m_sinceEvents.elapsed() < kBeatMs)
        return;
    m_inBeat = true;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    m_inBeat = false;
    m_sinceEvents.restart();
}

bool LongOperation::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_inBeat || !isUserInput(event->type()))
        return QObject::eventFilter(watched, event);
    // A close box pressed meanwhile leaves its window open.
    if (event->type() == QEvent::Close) {
        event->ignore();
        return true;
    }
    if (m_escapeStops == EscapeStops) {
        if (event->type() == QEvent::KeyPress
            && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            m_escape = true;
        }
    } else if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::Shortcut
        && event->type() != QEvent::MouseMove) {
        // Delivered again as a key press, a shortcut would run twice; a pointer that moved
        // meanwhile is where it is now.
        m_deferred.push_back({ watched, std::unique_ptr<QEvent>(event->clone()) });
    }
    return true;
}
