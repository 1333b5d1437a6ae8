#pragma once
// DDE over the session bus.
//
// A server of service S owns org.velmar.dde.S and serves interface
// org.velmar.Dde on its object "/": Connect(topic s) -> b, Disconnect(topic s)
// (no reply; ends a conversation that Connect opened),
// Request(topic s, item s) -> ay (error org.velmar.Dde.NoData when there is no
// data), Poke(topic s, item s, data ay) -> b, Execute(topic s, command ay) -> b,
// and the signal Advise(topic s, item s, data ay) for hot links. Data travel as
// byte arrays exactly in their record layout; receivers check lengths before
// reading.
//
// Threads: user-interface thread only; the server's handlers run there, inside
// its event loop. Client calls block for at most their time-out; a client and
// a server of the same process talk directly, so neither waits on the other.
#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QDBusConnection;
class QDBusMessage;
class QDBusServiceWatcher;

namespace velmar::platform {

namespace detail {
class BusRoot;
}

// Case-insensitive compare of service, topic and item names, as in DDE.
bool ddeNamesEqual(const QString& a, const QString& b);

class DdeServer : public QObject {
    Q_OBJECT
public:
    explicit DdeServer(const QString& service, QObject* parent = nullptr);
    ~DdeServer() override;

    bool start(); // claims the bus name; false when taken or no bus
    void stop();
    bool isRunning() const;
    QString service() const { return m_service; }

    // Topic and item names compare without regard to case (ddeNamesEqual);
    // handlers get them as the client sent them.
    // Unset handlers: every topic is accepted, requests get no data, pokes
    // and commands are refused.
    std::function<bool(const QString& topic)> onConnect;
    std::function<std::optional<QByteArray>(const QString& topic, const QString& item)>
        onRequest; // nullopt -> org.velmar.Dde.NoData
    std::function<bool(const QString& topic, const QString& item, const QByteArray& data)> onPoke;
    std::function<bool(const QString& topic, const QByteArray& command)> onExecute;
    // A conversation this server accepted has ended: its client disconnected
    // it, or left the bus (ended or crashed) with it still open. Called once
    // per accepted Connect; not called by stop().
    std::function<void(const QString& topic)> onDisconnect;
    // The number of bus clients has changed: programs that opened a
    // conversation and are still on the bus, whether or not one is open now
    // (a client that polls opens and closes them all the time).
    std::function<void(int clients)> onClientsChanged;
    int clientCount() const { return int(m_clients.size()); }
    void advise(const QString& topic, const QString& item, const QByteArray& data); // hot-link signal

private:
    friend class DdeClient;
    friend class detail::BusRoot;

    // client: the caller's unique bus name, empty for this process.
    bool answerConnect(const QString& topic, const QString& client);
    void answerDisconnect(const QString& topic, const QString& client);
    void clientLeft(const QString& client);
    std::optional<QByteArray> answerRequest(const QString& topic, const QString& item) const;
    bool answerPoke(const QString& topic, const QString& item, const QByteArray& data) const;
    bool answerExecute(const QString& topic, const QByteArray& command) const;
    bool answerBusCall(const QDBusMessage& message, const QDBusConnection& connection);
    static QString introspection();
    // The running server of this process that owns a bus name, if any.
    static DdeServer* localServer(const QString& busName);

    QString m_service;
    QString m_busName;
    QString m_connectionName; // empty while stopped
    QObject* m_root = nullptr;
    QDBusServiceWatcher* m_clientWatcher = nullptr;
    QHash<QString, QStringList> m_conversations; // open topics by client
    QSet<QString> m_clients;                     // watched until they leave the bus
};

class DdeClient : public QObject {
    Q_OBJECT
public:
    explicit DdeClient(const QString& service, QObject* parent = nullptr);

    bool serverPresent() const;
    // True when the server accepts a conversation on the topic.
    bool connectTopic(const QString& topic, int timeoutMs);
    // Ends a conversation that connectTopic opened (nothing awaited). A
    // client that ends without it has its conversations ended by the bus.
    void disconnectTopic(const QString& topic);
    // nullopt: no data, no server or time-out.
    std::optional<QByteArray> request(const QString& topic, const QString& item, int timeoutMs);
    bool poke(const QString& topic, const QString& item, const QByteArray& data, int timeoutMs);
    bool execute(const QString& topic, const QByteArray& command, int timeoutMs);

signals:
    void advised(const QString& topic, const QString& item, const QByteArray& data);

private slots:
    void onAdviseSignal(const QDBusMessage& message);

private:
    // The reply of a call to the server, or an error message.
    QDBusMessage call(const QString& member, const QList<QVariant>& args, int timeoutMs) const;

    QString m_service;
    QString m_busName;
};

} // namespace velmar::platform
