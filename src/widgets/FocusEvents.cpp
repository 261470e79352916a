#include "widgets/FocusEvents.h"

#include "widgets/VbComboBox.h"
#include "widgets/VbTextBox.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace {

// Hands the focus to a control at the window's first activation, then goes away.
class FirstActivationFocus : public QObject
{
public:
    FirstActivationFocus(QWidget *window, QWidget *control)
        : QObject(window)
        , m_control(control)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Qt gives the window's focus back right after this event; the control then already
        // holds it, so no other control sees it for a moment.
        if (event->type() == QEvent::WindowActivate) {
            watched->removeEventFilter(this);
            if (m_control && m_control->isEnabled() && m_control->isVisible())
                m_control->setFocus(Qt::OtherFocusReason);
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QWidget> m_control;
};

} // namespace

bool isControlFocusChange(Qt::FocusReason reason)
{
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

void raisePendingLostFocus(QWidget *window)
{
    for (QWidget *w = window->focusWidget(); w && w != window; w = w->parentWidget()) {
        if (auto *text = qobject_cast<VbTextBox *>(w)) {
            Q_EMIT text->LostFocus();
            return;
        }
        if (auto *combo = qobject_cast<VbComboBox *>(w)) {
            Q_EMIT combo->LostFocus();
            return;
        }
    }
}

void focusOnFirstActivation(QWidget *window, QWidget *control)
{
    new FirstActivationFocus(window, control);
}
