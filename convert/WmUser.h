#pragma once
// The progress message the interpreter component sends to its window.

#include <QEvent>

namespace convert {

constexpr int WM_USER = 1024;

// Sent synchronously (QCoreApplication::sendEvent), so it is handled while a
// run holds the event loop. wParam is the percentage; lParam is unused (0).
class WmUserEvent : public QEvent
{
public:
    WmUserEvent(qintptr wParam, qintptr lParam)
        : QEvent(QEvent::Type(WM_USER)), m_wParam(wParam), m_lParam(lParam)
    {
    }
    qintptr wParam() const { return m_wParam; }
    qintptr lParam() const { return m_lParam; }

private:
    qintptr m_wParam;
    qintptr m_lParam;
};

} // namespace convert
