#pragma once

#include <QElapsedTimer>
#include <QObject>

// A long operation on the user-interface thread (a page estimate or a printing run over
// thousands of fonts) that must not freeze the program: while one lives, beat() lets Qt paint
// the windows and answer the window manager's pings every few frames, so the desktop never
// marks the program as not responding. No user input reaches any handler meanwhile: keys,
// clicks and the windows' close boxes are swallowed, so the handlers keep the order they were
// designed for. Escape is noted, so that the operation can stop when the user asks.
class LongOperation : public QObject
{
public:
    LongOperation();
    ~LongOperation() override;

    // Call often; cheap when called more often than it needs to be.
    void beat();
    bool escapePressed() const { return m_escape; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QElapsedTimer m_sinceEvents;
    bool m_escape = false;
    bool m_inBeat = false;
};
