#pragma once
// Registered window messages between the suite's programs, over the session
// bus.
//
// A program that others find by window class or title owns the matching bus
// name (BusNames.h). A message sent to it is a call of
// org.velmar.Messages.Send(name s, wparam t, lparam x) -> x on its object "/";
// a post is the same call without waiting for the reply; a broadcast is the
// signal org.velmar.Messages.Broadcast(s, t, x) on /org/velmar/Messages.
//
// Threads: the object lives on the user-interface thread and every method but
// the two static ones must be called there; handlers and signals run there.
// registerWindowMessage and messageName may be called from any thread.
//
// Sends are synchronous but always bounded by the caller's time-out; a send to
// a name with no owner fails at once. A send to a name of this very process
// calls the handler directly, so it can never wait on itself. While a send
// waits, no other message of this program is handled (no re-entrancy).
//
// Without a session bus connected() is false, every send fails at once,
// isNameOwned is false and claiming a name fails.
#include <QLoggingCategory>
#include <QObject>
#include <QHash>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>

class QDBusConnection;
class QDBusMessage;
class QDBusServiceWatcher;

namespace velmar::platform {

Q_DECLARE_LOGGING_CATEGORY(busLog) // "velmar.platform.bus"

class DdeServer;
namespace detail {
class BusRoot;
}

// Calls to the bus daemon itself (claiming and looking up names) answer at
// once; this only bounds a daemon that has hung.
constexpr int BusDaemonTimeoutMs = 5000;

// Returns once the bus daemon has taken everything sent so far on the
// connection (bounded wait).
void flushToBus(const QDBusConnection& connection);
// Flushes the named connection when the application is about to quit, for as
// long as context lives.
void flushBeforeQuit(const QString& connectionName, QObject* context);

class MessageBus : public QObject {
    Q_OBJECT
public:
    // First ids handed out for registered messages, as on Windows.
    static constexpr uint FirstRegisteredMessage = 0xC000;

    static MessageBus& instance(); // one per process
    // Process-local id (>= 0xC000) for a message name; the same name (case
    // ignored, as on Windows) gives the same id.
    static uint registerWindowMessage(const QString& name);
    // The name an id was registered with; empty for an unknown id.
    static QString messageName(uint id);

    bool connected() const;
    // Claims a bus name without queueing, e.g.
    // ownName(windowClassBusName("PorpoiseADCWndClass")); false when another
    // connection holds it (or the name is not a valid bus name).
    bool ownName(const QString& busName);
    void releaseName(const QString& busName);
    // "Is that program running": does the name have an owner (this process
    // counts).
    bool isNameOwned(const QString& busName) const;
    // True when this process holds the name.
    bool ownsName(const QString& busName) const;
    // Emits nameOwnerChanged when the name appears or goes (no blocking wait).
    void watchName(const QString& busName);

    // SendMessageTimeout: the receiver's answer, or nothing on time-out or when
    // nobody owns the name. A receiver without a handler for the message
    // answers 0, as an unhandled message does on Windows.
    std::optional<qint64> send(const QString& busName, const QString& message, quint64 wParam, qint64 lParam,
                               int timeoutMs);
    // SendMessageTimeout without blocking: done runs later on this thread
    // with the answer, NoOwner when nobody holds the name, Failed on time-out
    // or error. Nothing runs when context is gone first.
    enum class SendOutcome { Answered, NoOwner, Failed };
    using SendDone = std::function<void(SendOutcome outcome, qint64 answer)>;
    void sendAsync(const QString& busName, const QString& message, quint64 wParam, qint64 lParam, int timeoutMs,
                   QObject* context, SendDone done);
    // PostMessage: no reply awaited; false when it could not be queued (no
    // bus, or nobody owns the name). Returns once the bus holds the message,
    // so the sender may end at once.
    bool post(const QString& busName, const QString& message, quint64 wParam, qint64 lParam);
    // Broadcast to every program of the suite, this one included. Returns
    // once the bus holds the signal, so the sender may end at once.
    void broadcast(const QString& message, quint64 wParam, qint64 lParam);

    using Handler = std::function<qint64(quint64 wParam, qint64 lParam)>;
    // Answers send and post of that message (case ignored) to any name this
    // process owns. An empty handler removes it.
    void setHandler(const QString& message, Handler handler);

signals:
    void broadcastReceived(const QString& message, quint64 wParam, qint64 lParam); // also for our own broadcasts
    void nameOwnerChanged(const QString& busName, bool owned);

private slots:
    void onBroadcastSignal(const QDBusMessage& message);
    void onServiceOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);

private:
    friend class DdeServer;
    friend class detail::BusRoot;

    MessageBus();
    ~MessageBus() override;

    qint64 dispatch(const QString& message, quint64 wParam, qint64 lParam);
    // Serves object "/" on a connection: Messages always, Dde when a server is
    // given. The returned root is owned by owner.
    QObject* exportRoot(QDBusConnection& connection, DdeServer* dde, QObject* owner);
    // Names held through other connections of this process (DDE servers).
    void noteLocalName(const QString& busName, bool held);

    bool m_connected = false;
    QObject* m_root = nullptr;
    QDBusServiceWatcher* m_watcher = nullptr;
    QSet<QString> m_ownedNames;         // through the main connection
    QSet<QString> m_localNames;         // through other connections of this process
    QHash<QString, Handler> m_handlers; // key: folded message name
};

} // namespace velmar::platform
