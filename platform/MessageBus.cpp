#include "MessageBus.h"

#include "Dde.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusVirtualObject>
#include <QMutex>
#include <QMutexLocker>
#include <QTimer>

#include <algorithm>

namespace velmar::platform {

Q_LOGGING_CATEGORY(busLog, "velmar.platform.bus")

namespace {

const QString MessagesInterface = QStringLiteral("org.velmar.Messages");
const QString MessagesPath = QStringLiteral("/org/velmar/Messages");
const QString RootPath = QStringLiteral("/");
const QString SendMember = QStringLiteral("Send");
const QString BroadcastMember = QStringLiteral("Broadcast");
const QString MessageSignature = QStringLiteral("stx");

QString folded(const QString& name)
{
    return name.toCaseFolded();
}

// Registered message names live for the whole process, as atoms do.
struct MessageRegistry {
    QMutex mutex;
    QHash<QString, uint> ids; // key: folded name
    QHash<uint, QString> names;
};

MessageRegistry& registry()
{
    static MessageRegistry r;
    return r;
}

const char* const MessagesIntrospection = "  <interface name=\"org.velmar.Messages\">\n"
                                          "    <method name=\"Send\">\n"
                                          "      <arg name=\"name\" type=\"s\" direction=\"in\"/>\n"
                                          "      <arg name=\"wparam\" type=\"t\" direction=\"in\"/>\n"
                                          "      <arg name=\"lparam\" type=\"x\" direction=\"in\"/>\n"
                                          "      <arg name=\"result\" type=\"x\" direction=\"out\"/>\n"
                                          "    </method>\n"
                                          "    <signal name=\"Broadcast\">\n"
                                          "      <arg name=\"name\" type=\"s\"/>\n"
                                          "      <arg name=\"wparam\" type=\"t\"/>\n"
                                          "      <arg name=\"lparam\" type=\"x\"/>\n"
                                          "    </signal>\n"
                                          "  </interface>\n";

} // namespace

void flushToBus(const QDBusConnection& connection)
{
    // The daemon handles a connection's messages in order, so once it has
    // answered a ping, everything sent before has been handed on.
    const QDBusMessage ping = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    const QDBusMessage reply = connection.call(ping, QDBus::Block, BusDaemonTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage)
        qCWarning(busLog) << "bus did not confirm delivery:" << reply.errorMessage();
}

void flushBeforeQuit(const QString& connectionName, QObject* context)
{
    // Replies given just before the program leaves would otherwise be lost.
    if (auto* app = QCoreApplication::instance())
        QObject::connect(app, &QCoreApplication::aboutToQuit, context,
                         [connectionName] { flushToBus(QDBusConnection(connectionName)); });
}

namespace detail {

// Object "/" of one connection: answers org.velmar.Messages for every name the
// connection owns, and org.velmar.Dde when it carries a DDE server.
class BusRoot : public QDBusVirtualObject {
public:
    BusRoot(DdeServer* dde, QObject* parent) : QDBusVirtualObject(parent), m_dde(dde) {}

    QString introspect(const QString& path) const override
    {
        if (path != RootPath)
            return {};
        QString xml = QString::fromLatin1(MessagesIntrospection);
        if (m_dde)
            xml += DdeServer::introspection();
        return xml;
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.path() != RootPath)
            return false;
        const QString iface = message.interface();
        if ((iface.isEmpty() || iface == MessagesInterface) && message.member() == SendMember)
            return answerSend(message, connection);
        if (m_dde)
            return m_dde->answerBusCall(message, connection);
        return false;
    }

private:
    static bool answerSend(const QDBusMessage& message, const QDBusConnection& connection)
    {
        if (message.signature() != MessageSignature) {
            connection.send(message.createErrorReply(QDBusError::InvalidArgs,
                                                     QStringLiteral("Send takes (name s, wparam t, lparam x)")));
            return true;
        }
        const QList<QVariant> args = message.arguments();
        const qint64 result = MessageBus::instance().dispatch(args.at(0).toString(), args.at(1).toULongLong(),
                                                              args.at(2).toLongLong());
        if (message.isReplyRequired())
            connection.send(message.createReply(QVariant::fromValue<qlonglong>(result)));
        return true;
    }

    DdeServer* m_dde;
};

} // namespace detail

MessageBus& MessageBus::instance()
{
    // Never destroyed: the bus connection must not be touched after the
    // application object has gone.
    static MessageBus* bus = new MessageBus;
    return *bus;
}

uint MessageBus::registerWindowMessage(const QString& name)
{
    MessageRegistry& r = registry();
    QMutexLocker lock(&r.mutex);
    const QString key = folded(name);
    if (auto it = r.ids.constFind(key); it != r.ids.constEnd())
        return *it;
    const uint id = FirstRegisteredMessage + uint(r.ids.size());
    r.ids.insert(key, id);
    r.names.insert(id, name);
    return id;
}

QString MessageBus::messageName(uint id)
{
    MessageRegistry& r = registry();
    QMutexLocker lock(&r.mutex);
    return r.names.value(id);
}

MessageBus::MessageBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    m_connected = bus.isConnected();
    if (!m_connected) {
        qCWarning(busLog) << "no session bus:" << bus.lastError().message();
        return;
    }
    bus.interface()->setTimeout(BusDaemonTimeoutMs);
    flushBeforeQuit(bus.name(), this);
    m_root = exportRoot(bus, nullptr, this);
    if (!bus.connect(QString(), MessagesPath, MessagesInterface, BroadcastMember, this,
                     SLOT(onBroadcastSignal(QDBusMessage))))
        qCWarning(busLog) << "cannot listen to broadcasts:" << bus.lastError().message();
    m_watcher = new QDBusServiceWatcher(QString(), bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &MessageBus::onServiceOwnerChanged);
}

MessageBus::~MessageBus() = default;

bool MessageBus::connected() const
{
    return m_connected;
}

QObject* MessageBus::exportRoot(QDBusConnection& connection, DdeServer* dde, QObject* owner)
{
    auto* root = new detail::BusRoot(dde, owner);
    if (!connection.registerVirtualObject(RootPath, root, QDBusConnection::SingleNode)) {
        qCWarning(busLog) << "cannot serve object / on" << connection.name() << connection.lastError().message();
        delete root;
        return nullptr;
    }
    return root;
}

bool MessageBus::ownName(const QString& busName)
{
    if (!m_connected)
        return false;
    if (m_ownedNames.contains(busName))
        return true;
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        QDBusConnection::sessionBus().interface()->registerService(busName, QDBusConnectionInterface::DontQueueService,
                                                                   QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
        qCWarning(busLog) << "cannot claim" << busName << reply.error().message();
        return false;
    }
    if (reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        qCDebug(busLog) << busName << "is held elsewhere";
        return false;
    }
    m_ownedNames.insert(busName);
    return true;
}

void MessageBus::releaseName(const QString& busName)
{
    if (!m_ownedNames.remove(busName))
        return;
    const QDBusReply<bool> reply = QDBusConnection::sessionBus().interface()->unregisterService(busName);
    if (!reply.isValid())
        qCWarning(busLog) << "cannot release" << busName << reply.error().message();
}

bool MessageBus::isNameOwned(const QString& busName) const
{
    if (!m_connected)
        return false;
    if (ownsName(busName))
        return true;
    const QDBusReply<bool> reply = QDBusConnection::sessionBus().interface()->isServiceRegistered(busName);
    return reply.isValid() && reply.value();
}

bool MessageBus::ownsName(const QString& busName) const
{
    return m_ownedNames.contains(busName) || m_localNames.contains(busName);
}

void MessageBus::noteLocalName(const QString& busName, bool held)
{
    if (held)
        m_localNames.insert(busName);
    else
        m_localNames.remove(busName);
}

void MessageBus::watchName(const QString& busName)
{
    if (m_watcher && !m_watcher->watchedServices().contains(busName))
        m_watcher->addWatchedService(busName);
}

void MessageBus::onServiceOwnerChanged(const QString& name, const QString&, const QString& newOwner)
{
    emit nameOwnerChanged(name, !newOwner.isEmpty());
}

std::optional<qint64> MessageBus::send(const QString& busName, const QString& message, quint64 wParam, qint64 lParam,
                                       int timeoutMs)
{
    if (!m_connected)
        return std::nullopt;
    if (ownsName(busName))
        return dispatch(message, wParam, lParam);
    QDBusMessage call = QDBusMessage::createMethodCall(busName, RootPath, MessagesInterface, SendMember);
    call.setAutoStartService(false);
    call << message << QVariant::fromValue<qulonglong>(wParam) << QVariant::fromValue<qlonglong>(lParam);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, std::max(timeoutMs, 1));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QStringLiteral("x")) {
        qCDebug(busLog) << "send" << message << "to" << busName << "failed:" << reply.errorName()
                        << reply.errorMessage();
        return std::nullopt;
    }
    return reply.arguments().at(0).toLongLong();
}

void MessageBus::sendAsync(const QString& busName, const QString& message, quint64 wParam, qint64 lParam, int timeoutMs,
                           QObject* context, SendDone done)
{
    if (!m_connected || ownsName(busName)) {
        const bool own = m_connected;
        QTimer::singleShot(0, context, [this, own, message, wParam, lParam, done = std::move(done)] {
            if (own)
                done(SendOutcome::Answered, dispatch(message, wParam, lParam));
            else
                done(SendOutcome::NoOwner, 0);
        });
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(busName, RootPath, MessagesInterface, SendMember);
    call.setAutoStartService(false);
    call << message << QVariant::fromValue<qulonglong>(wParam) << QVariant::fromValue<qlonglong>(lParam);
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call, std::max(timeoutMs, 1)),
                                                context);
    connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, done = std::move(done)] {
        watcher->deleteLater();
        const QDBusMessage reply = watcher->reply();
        if (reply.type() == QDBusMessage::ReplyMessage && reply.signature() == QStringLiteral("x")) {
            done(SendOutcome::Answered, reply.arguments().at(0).toLongLong());
            return;
        }
        const QString error = reply.errorName();
        const bool noOwner = error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
                          || error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
        done(noOwner ? SendOutcome::NoOwner : SendOutcome::Failed, 0);
    });
}

bool MessageBus::post(const QString& busName, const QString& message, quint64 wParam, qint64 lParam)
{
    if (!m_connected)
        return false;
    if (ownsName(busName)) {
        QTimer::singleShot(0, this, [this, message, wParam, lParam] { dispatch(message, wParam, lParam); });
        return true;
    }
    if (!isNameOwned(busName))
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(busName, RootPath, MessagesInterface, SendMember);
    call.setAutoStartService(false);
    call << message << QVariant::fromValue<qulonglong>(wParam) << QVariant::fromValue<qlonglong>(lParam);
    // A method call sent without a reply wanted goes out flagged no-reply.
    // The sender may end right after posting; the post must not go with it.
    if (!QDBusConnection::sessionBus().send(call))
        return false;
    flushToBus(QDBusConnection::sessionBus());
    return true;
}

void MessageBus::broadcast(const QString& message, quint64 wParam, qint64 lParam)
{
    if (!m_connected) {
        // Still tell our own windows, as a broadcast would.
        QTimer::singleShot(0, this,
                           [this, message, wParam, lParam] { emit broadcastReceived(message, wParam, lParam); });
        return;
    }
    QDBusMessage signal = QDBusMessage::createSignal(MessagesPath, MessagesInterface, BroadcastMember);
    signal << message << QVariant::fromValue<qulonglong>(wParam) << QVariant::fromValue<qlonglong>(lParam);
    // A second copy of a program broadcasts and ends at once.
    if (QDBusConnection::sessionBus().send(signal))
        flushToBus(QDBusConnection::sessionBus());
    else
        qCWarning(busLog) << "broadcast" << message << "not sent";
}

void MessageBus::onBroadcastSignal(const QDBusMessage& message)
{
    if (message.signature() != MessageSignature) {
        qCDebug(busLog) << "broadcast with signature" << message.signature() << "ignored";
        return;
    }
    const QList<QVariant> args = message.arguments();
    emit broadcastReceived(args.at(0).toString(), args.at(1).toULongLong(), args.at(2).toLongLong());
}

void MessageBus::setHandler(const QString& message, Handler handler)
{
    if (handler)
        m_handlers.insert(folded(message), std::move(handler));
    else
        m_handlers.remove(folded(message));
}

qint64 MessageBus::dispatch(const QString& message, quint64 wParam, qint64 lParam)
{
    // A copy: the handler may replace itself while it runs.
    const Handler handler = m_handlers.value(folded(message));
    return handler ? handler(wParam, lParam) : 0;
}

} // namespace velmar::platform
