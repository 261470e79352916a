#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

// A long operation on the user-interface thread (a page estimate or a printing run over
// thousands of fonts) that must not freeze the program: while one lives, beat() lets Qt paint
// the windows and answer the window manager's pings every few frames, so the desktop never
// marks the program as not responding. No user input reaches any handler meanwhile, so the
// handlers keep the order they were designed for, and the windows' close boxes do nothing.
//
// Keys and clicks wait until the operation is over, and are then delivered in their order, so
// that what the user types while a size is being estimated still lands in the box; an
// operation that Escape stops (a printing run) notes Escape and drops the rest, since the
// dialog goes away after it.
class LongOperation : public QObject
{
public:
    enum Escape { EscapeIgnored, EscapeStops };
    explicit LongOperation(Escape escape);
    ~LongOperation() override;

    // Call often; cheap when called more often than it needs to be.
    void beat();
    bool escapePressed() const { return m_escape; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QElapsedTimer m_sinceEvents;
    const Escape m_escapeStops;
    bool m_escape = false;
    struct Deferred
    {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };
    std::vector<Deferred> m_deferred;
    bool m_inBeat = false;
};
