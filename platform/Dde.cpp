#include "Dde.h"

#include "BusNames.h"
#include "MessageBus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QHash>

#include <algorithm>

namespace velmar::platform {

namespace {

const QString DdeInterface = QStringLiteral("org.velmar.Dde");
const QString NoDataError = QStringLiteral("org.velmar.Dde.NoData");
const QString RootPath = QStringLiteral("/");

// Running servers of this process by bus name, so that a client of the same
// process calls them directly instead of waiting on its own event loop.
QHash<QString, DdeServer*>& localServers()
{
    static QHash<QString, DdeServer*> servers;
    return servers;
}

int connectionSerial = 0;

} // namespace

bool ddeNamesEqual(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// --- server ---------------------------------------------------------------

DdeServer::DdeServer(const QString& service, QObject* parent)
    : QObject(parent), m_service(service), m_busName(ddeBusName(service))
{
}

DdeServer::~DdeServer()
{
    stop();
}

bool DdeServer::start()
{
    if (isRunning())
        return true;
    MessageBus& bus = MessageBus::instance();
    if (!bus.connected())
        return false;
    // A connection of its own, so that calls to this service reach this server
    // whatever other names the process owns.
    const QString name = QStringLiteral("velmar-dde-%1-%2").arg(m_service).arg(++connectionSerial);
    QDBusConnection connection = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
    if (!connection.isConnected()) {
        qCWarning(busLog) << "DDE server" << m_service << "cannot connect:" << connection.lastError().message();
        QDBusConnection::disconnectFromBus(name);
        return false;
    }
    connection.interface()->setTimeout(BusDaemonTimeoutMs);
    m_root = bus.exportRoot(connection, this, this);
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = connection.interface()->registerService(
        m_busName, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (!m_root || !reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        qCWarning(busLog) << "DDE service" << m_service << "is taken or cannot be claimed";
        delete m_root;
        m_root = nullptr;
        QDBusConnection::disconnectFromBus(name);
        return false;
    }
    m_connectionName = name;
    flushBeforeQuit(name, m_root);
    m_clientWatcher = new QDBusServiceWatcher(QString(), connection, QDBusServiceWatcher::WatchForUnregistration,
                                              m_root);
    connect(m_clientWatcher, &QDBusServiceWatcher::serviceUnregistered, this, &DdeServer::clientLeft);
    bus.noteLocalName(m_busName, true);
    localServers().insert(m_busName, this);
    return true;
}

void DdeServer::stop()
{
    if (!isRunning())
        return;
    localServers().remove(m_busName);
    MessageBus::instance().noteLocalName(m_busName, false);
    QDBusConnection connection(m_connectionName);
    connection.unregisterObject(RootPath);
    connection.interface()->unregisterService(m_busName);
    delete m_root; // and the client watcher with it
    m_root = nullptr;
    m_clientWatcher = nullptr;
    m_conversations.clear();
    m_clients.clear();
    QDBusConnection::disconnectFromBus(m_connectionName);
    m_connectionName.clear();
}

bool DdeServer::isRunning() const
{
    return !m_connectionName.isEmpty();
}

void DdeServer::advise(const QString& topic, const QString& item, const QByteArray& data)
{
    if (!isRunning())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(RootPath, DdeInterface, QStringLiteral("Advise"));
    signal << topic << item << data;
    if (!QDBusConnection(m_connectionName).send(signal))
        qCWarning(busLog) << "DDE advise" << topic << item << "not sent";
}

bool DdeServer::answerConnect(const QString& topic, const QString& client)
{
    const bool accepted = onConnect ? onConnect(topic) : true;
    if (!accepted)
        return false;
    m_conversations[client].append(topic);
    if (!client.isEmpty() && !m_clients.contains(client) && m_clientWatcher) {
        m_clients.insert(client);
        if (onClientsChanged)
            onClientsChanged(clientCount());
        m_clientWatcher->addWatchedService(client);
        // It may have left before the watch was in place.
        const QDBusReply<bool> present = QDBusConnection(m_connectionName).interface()->isServiceRegistered(client);
        if (present.isValid() && !present.value())
            QMetaObject::invokeMethod(
                this, [this, client] { clientLeft(client); }, Qt::QueuedConnection);
    }
    return true;
}

void DdeServer::answerDisconnect(const QString& topic, const QString& client)
{
    auto it = m_conversations.find(client);
    if (it == m_conversations.end())
        return;
    // Only a conversation that was opened can end, so a stray Disconnect
    // never unbalances a count kept by the handlers.
    const auto open = std::find_if(it->begin(), it->end(), [&](const QString& t) { return ddeNamesEqual(t, topic); });
    if (open == it->end())
        return;
    it->erase(open);
    // The client stays watched (and counted) until it leaves the bus.
    if (it->isEmpty())
        m_conversations.erase(it);
    if (onDisconnect)
        onDisconnect(topic);
}

void DdeServer::clientLeft(const QString& client)
{
    const QStringList open = m_conversations.take(client);
    if (m_clientWatcher)
        m_clientWatcher->removeWatchedService(client);
    for (const QString& topic : open)
        if (onDisconnect)
            onDisconnect(topic);
    if (m_clients.remove(client) && onClientsChanged)
        onClientsChanged(clientCount());
}

std::optional<QByteArray> DdeServer::answerRequest(const QString& topic, const QString& item) const
{
    return onRequest ? onRequest(topic, item) : std::nullopt;
}

bool DdeServer::answerPoke(const QString& topic, const QString& item, const QByteArray& data) const
{
    return onPoke ? onPoke(topic, item, data) : false;
}

bool DdeServer::answerExecute(const QString& topic, const QByteArray& command) const
{
    return onExecute ? onExecute(topic, command) : false;
}

bool DdeServer::answerBusCall(const QDBusMessage& message, const QDBusConnection& connection)
{
    const QString iface = message.interface();
    if (!iface.isEmpty() && iface != DdeInterface)
        return false;
    const QString member = message.member();
    const QString signature = message.signature();
    const QList<QVariant> args = message.arguments();
    auto replyBool = [&](bool ok) { connection.send(message.createReply(ok)); };
    auto wrongArgs = [&] {
        connection.send(
            message.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("wrong arguments for %1").arg(member)));
    };
    if (member == QLatin1String("Connect")) {
        if (signature != QLatin1String("s"))
            wrongArgs();
        else
            replyBool(answerConnect(args.at(0).toString(), message.service()));
    } else if (member == QLatin1String("Disconnect")) {
        if (signature != QLatin1String("s")) {
            wrongArgs();
        } else {
            answerDisconnect(args.at(0).toString(), message.service());
            if (message.isReplyRequired())
                replyBool(true);
        }
    } else if (member == QLatin1String("Request")) {
        if (signature != QLatin1String("ss")) {
            wrongArgs();
        } else if (const auto data = answerRequest(args.at(0).toString(), args.at(1).toString())) {
            connection.send(message.createReply(*data));
        } else {
            connection.send(message.createErrorReply(NoDataError, QStringLiteral("no data")));
        }
    } else if (member == QLatin1String("Poke")) {
        if (signature != QLatin1String("ssay"))
            wrongArgs();
        else
            replyBool(answerPoke(args.at(0).toString(), args.at(1).toString(), args.at(2).toByteArray()));
    } else if (member == QLatin1String("Execute")) {
        if (signature != QLatin1String("say"))
            wrongArgs();
        else
            replyBool(answerExecute(args.at(0).toString(), args.at(1).toByteArray()));
    } else {
        return false;
    }
    return true;
}

QString DdeServer::introspection()
{
    return QStringLiteral("  <interface name=\"org.velmar.Dde\">\n"
                          "    <method name=\"Connect\">\n"
                          "      <arg name=\"topic\" type=\"s\" direction=\"in\"/>\n"
                          "      <arg type=\"b\" direction=\"out\"/>\n"
                          "    </method>\n"
                          "    <method name=\"Disconnect\">\n"
                          "      <arg name=\"topic\" type=\"s\" direction=\"in\"/>\n"
                          "      <annotation name=\"org.freedesktop.DBus.Method.NoReply\" value=\"true\"/>\n"
                          "    </method>\n"
                          "    <method name=\"Request\">\n"
                          "      <arg name=\"topic\" type=\"s\" direction=\"in\"/>\n"
                          "      <arg name=\"item\" type=\"s\" direction=\"in\"/>\n"
                          "      <arg type=\"ay\" direction=\"out\"/>\n"
                          "    </method>\n"
                          "    <method name=\"Poke\">\n"
                          "      <arg name=\"topic\" type=\"s\" direction=\"in\"/>\n"
                          "      <arg name=\"item\" type=\"s\" direction=\"in\"/>\n"
                          "      <arg name=\"data\" type=\"ay\" direction=\"in\"/>\n"
                          "      <arg type=\"b\" direction=\"out\"/>\n"
                          "    </method>\n"
                          "    <method name=\"Execute\">\n"
                          "      <arg name=\"topic\" type=\"s\" direction=\"in\"/>\n"
                          "      <arg name=\"command\" type=\"ay\" direction=\"in\"/>\n"
                          "      <arg type=\"b\" direction=\"out\"/>\n"
                          "    </method>\n"
                          "    <signal name=\"Advise\">\n"
                          "      <arg name=\"topic\" type=\"s\"/>\n"
                          "      <arg name=\"item\" type=\"s\"/>\n"
                          "      <arg name=\"data\" type=\"ay\"/>\n"
                          "    </signal>\n"
                          "  </interface>\n");
}

DdeServer* DdeServer::localServer(const QString& busName)
{
    return localServers().value(busName);
}

// --- client ---------------------------------------------------------------

DdeClient::DdeClient(const QString& service, QObject* parent)
    : QObject(parent), m_service(service), m_busName(ddeBusName(service))
{
    if (MessageBus::instance().connected())
        QDBusConnection::sessionBus().connect(m_busName, RootPath, DdeInterface, QStringLiteral("Advise"), this,
                                              SLOT(onAdviseSignal(QDBusMessage)));
}

bool DdeClient::serverPresent() const
{
    return DdeServer::localServer(m_busName) || MessageBus::instance().isNameOwned(m_busName);
}

QDBusMessage DdeClient::call(const QString& member, const QList<QVariant>& args, int timeoutMs) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(m_busName, RootPath, DdeInterface, member);
    message.setAutoStartService(false);
    message.setArguments(args);
    if (!MessageBus::instance().connected())
        return message.createErrorReply(QDBusError::Disconnected, QStringLiteral("no session bus"));
    const QDBusMessage reply = QDBusConnection::sessionBus().call(message, QDBus::Block, std::max(timeoutMs, 1));
    if (reply.type() != QDBusMessage::ReplyMessage && reply.errorName() != NoDataError)
        qCDebug(busLog) << "DDE" << member << "to" << m_service << "failed:" << reply.errorName()
                        << reply.errorMessage();
    return reply;
}

namespace {
bool boolAnswer(const QDBusMessage& reply)
{
    return reply.type() == QDBusMessage::ReplyMessage && reply.signature() == QLatin1String("b")
        && reply.arguments().at(0).toBool();
}
} // namespace

bool DdeClient::connectTopic(const QString& topic, int timeoutMs)
{
    if (DdeServer* local = DdeServer::localServer(m_busName))
        return local->answerConnect(topic, QString());
    return boolAnswer(call(QStringLiteral("Connect"), {topic}, timeoutMs));
}

void DdeClient::disconnectTopic(const QString& topic)
{
    if (DdeServer* local = DdeServer::localServer(m_busName)) {
        local->answerDisconnect(topic, QString());
        return;
    }
    if (!MessageBus::instance().connected())
        return;
    QDBusMessage message = QDBusMessage::createMethodCall(m_busName, RootPath, DdeInterface,
                                                          QStringLiteral("Disconnect"));
    message.setAutoStartService(false);
    message << topic;
    QDBusConnection::sessionBus().send(message);
}

std::optional<QByteArray> DdeClient::request(const QString& topic, const QString& item, int timeoutMs)
{
    if (DdeServer* local = DdeServer::localServer(m_busName))
        return local->answerRequest(topic, item);
    const QDBusMessage reply = call(QStringLiteral("Request"), {topic, item}, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("ay"))
        return std::nullopt;
    return reply.arguments().at(0).toByteArray();
}

bool DdeClient::poke(const QString& topic, const QString& item, const QByteArray& data, int timeoutMs)
{
    if (DdeServer* local = DdeServer::localServer(m_busName))
        return local->answerPoke(topic, item, data);
    return boolAnswer(call(QStringLiteral("Poke"), {topic, item, data}, timeoutMs));
}

bool DdeClient::execute(const QString& topic, const QByteArray& command, int timeoutMs)
{
    if (DdeServer* local = DdeServer::localServer(m_busName))
        return local->answerExecute(topic, command);
    return boolAnswer(call(QStringLiteral("Execute"), {topic, command}, timeoutMs));
}

void DdeClient::onAdviseSignal(const QDBusMessage& message)
{
    if (message.signature() != QLatin1String("ssay"))
        return;
    const QList<QVariant> args = message.arguments();
    emit advised(args.at(0).toString(), args.at(1).toString(), args.at(2).toByteArray());
}

} // namespace velmar::platform
