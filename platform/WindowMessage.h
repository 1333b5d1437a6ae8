#pragma once
// Window messages between the objects of one program.
//
// A private message of the design (WM_USER + n, or a registered message id,
// with two integer parameters) is a WindowMessageEvent: posting it queues the
// event for the receiver's thread; sending it delivers it at once on the
// calling thread and hands back the receiver's answer. A receiver handles the
// event in its event() override and stores its answer with setResult.
#include <QEvent>
#include <QObject>

namespace velmar::platform {

class WindowMessageEvent : public QEvent {
public:
    WindowMessageEvent(uint message, quint64 wParam, qint64 lParam);

    static QEvent::Type eventType();

    uint message() const { return m_message; }
    quint64 wParam() const { return m_wParam; }
    qint64 lParam() const { return m_lParam; }
    qint64 result() const { return m_result; }
    void setResult(qint64 result) { m_result = result; }

private:
    uint m_message;
    quint64 m_wParam;
    qint64 m_lParam;
    qint64 m_result = 0;
};

// Queues the message for the receiver; false when there is no receiver.
// Any thread may post (a worker thread's relay to the application object).
bool postWindowMessage(QObject* receiver, uint message, quint64 wParam, qint64 lParam);

// Delivers the message now, on the calling thread (which must be the
// receiver's), and returns the answer; 0 when there is no receiver.
qint64 sendWindowMessage(QObject* receiver, uint message, quint64 wParam, qint64 lParam);

// Ends the user-interface thread's event loop once the events queued before
// this call are handled; works before the loop has started too.
void postQuitMessage(int exitCode = 0);

} // namespace velmar::platform
