#include "platform/WindowMessage.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace velmar::platform {

WindowMessageEvent::WindowMessageEvent(uint message, quint64 wParam, qint64 lParam)
    : QEvent(eventType()), m_message(message), m_wParam(wParam), m_lParam(lParam)
{
}

QEvent::Type WindowMessageEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

bool postWindowMessage(QObject* receiver, uint message, quint64 wParam, qint64 lParam)
{
    if (!receiver)
        return false;
    QCoreApplication::postEvent(receiver, new WindowMessageEvent(message, wParam, lParam));
    return true;
}

qint64 sendWindowMessage(QObject* receiver, uint message, quint64 wParam, qint64 lParam)
{
    if (!receiver)
        return 0;
    WindowMessageEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(receiver, &event);
    return event.result();
}

void postQuitMessage(int exitCode)
{
    // QCoreApplication::exit does nothing before the loop runs; a queued call
    // reaches the loop as soon as it starts.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [exitCode] { QCoreApplication::exit(exitCode); }, Qt::QueuedConnection);
}

} // namespace velmar::platform
