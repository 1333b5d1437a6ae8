// A second program on the session bus for the bus tests: it owns the names it
// is given, answers messages, serves DDE and reports what it receives on
// standard output, one line per event, so a test can watch it across a
// process boundary.
//
//   bus_peer [--own NAME]... [--mutex NAME] [--dde SERVICE]
//   bus_peer --dde-client SERVICE [--connect TOPIC | --disconnect TOPIC]...
//                                            (a DDE client, steps in order)
//   bus_peer --broadcast-and-leave MESSAGE   (broadcasts MESSAGE (1, 2), ends)
//   bus_peer --post-and-leave NAME           (posts "Add" (1, 2) to NAME, ends)
//
// Messages it answers on every name it owns:
//   "Add" (w, l)          -> w + l
//   "PleaseBroadcast" (w, l) -> broadcasts "FromPeer" (w, l), answers 1
//   "PleaseAdvise" (w, l) -> advises item "Level" on topic "Strings" with the
//                            bytes of w as 8 little-endian bytes, answers 1
//   "Quit"                -> leaves, answers 1
// DDE (when --dde is given): topics "System" and "Strings" are accepted;
// requests of "Status" answer "OK" with its NUL, "Binary" the 256 byte
// values, anything else no data; pokes are printed and accepted on "Strings"
// only; an execute is printed and accepted.
#include "platform/Dde.h"
#include "platform/MessageBus.h"
#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QtEndian>

#include <cstdio>
#include <memory>

using namespace velmar::platform;

namespace {
void say(const QString& line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    MessageBus& bus = MessageBus::instance();
    if (!bus.connected()) {
        // Without a bus every facility must fail at once and say so.
        NamedMutex mutex(QStringLiteral("Velmar"));
        DdeServer server(QStringLiteral("NMEA"));
        DdeClient client(QStringLiteral("NMEA"));
        const QString name = QStringLiteral("org.velmar.wndclass.Anything");
        const bool allFail = !bus.ownName(name) && !bus.isNameOwned(name)
                          && !bus.send(name, QStringLiteral("Add"), 1, 2, 100)
                          && !bus.post(name, QStringLiteral("Add"), 1, 2) && !mutex.tryCreate() && !server.start()
                          && !client.serverPresent()
                          && !client.request(QStringLiteral("System"), QStringLiteral("Status"), 100);
        say(allFail ? QStringLiteral("nobus, all fail") : QStringLiteral("nobus, something succeeded"));
        return 2;
    }

    std::unique_ptr<NamedMutex> mutex;
    std::unique_ptr<DdeServer> dde;
    std::unique_ptr<DdeClient> client;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i + 1 < args.size(); i += 2) {
        const QString& option = args.at(i);
        const QString& value = args.at(i + 1);
        if (option == QLatin1String("--own")) {
            say((bus.ownName(value) ? QStringLiteral("owned ") : QStringLiteral("refused ")) + value);
        } else if (option == QLatin1String("--mutex")) {
            mutex = std::make_unique<NamedMutex>(value);
            say(mutex->existsElsewhere() ? QStringLiteral("exists") : QStringLiteral("free"));
            say(mutex->tryCreate() ? QStringLiteral("held") : QStringLiteral("refused"));
        } else if (option == QLatin1String("--broadcast-and-leave")) {
            // As a second copy of a program does before it ends.
            bus.broadcast(value, 1, 2);
            return 0;
        } else if (option == QLatin1String("--post-and-leave")) {
            return bus.post(value, QStringLiteral("Add"), 1, 2) ? 0 : 1;
        } else if (option == QLatin1String("--dde-client")) {
            client = std::make_unique<DdeClient>(value);
        } else if (option == QLatin1String("--connect") && client) {
            const bool ok = client->connectTopic(value, 2000);
            say((ok ? QStringLiteral("connected ") : QStringLiteral("refused ")) + value);
        } else if (option == QLatin1String("--disconnect") && client) {
            client->disconnectTopic(value);
            say(QStringLiteral("disconnected ") + value);
        } else if (option == QLatin1String("--dde")) {
            dde = std::make_unique<DdeServer>(value);
            dde->onConnect = [](const QString& topic) {
                return ddeNamesEqual(topic, QStringLiteral("System"))
                    || ddeNamesEqual(topic, QStringLiteral("Strings"));
            };
            dde->onRequest = [](const QString&, const QString& item) -> std::optional<QByteArray> {
                if (ddeNamesEqual(item, QStringLiteral("Status")))
                    return QByteArray("OK", 3);
                if (ddeNamesEqual(item, QStringLiteral("Binary"))) {
                    QByteArray all(256, '\0');
                    for (int b = 0; b < 256; ++b)
                        all[b] = char(b);
                    return all;
                }
                return std::nullopt;
            };
            dde->onPoke = [](const QString& topic, const QString& item, const QByteArray& data) {
                say(QStringLiteral("poke %1 %2 %3").arg(topic, item, QString::fromLatin1(data.toHex())));
                return ddeNamesEqual(topic, QStringLiteral("Strings"));
            };
            dde->onExecute = [](const QString& topic, const QByteArray& command) {
                say(QStringLiteral("execute %1 %2").arg(topic, QString::fromLatin1(command.toHex())));
                return true;
            };
            say(dde->start() ? QStringLiteral("serving") : QStringLiteral("taken"));
        }
    }

    bus.setHandler(QStringLiteral("Add"), [](quint64 w, qint64 l) { return qint64(w) + l; });
    bus.setHandler(QStringLiteral("PleaseBroadcast"), [&bus](quint64 w, qint64 l) {
        bus.broadcast(QStringLiteral("FromPeer"), w, l);
        return qint64(1);
    });
    bus.setHandler(QStringLiteral("PleaseAdvise"), [&dde](quint64 w, qint64) {
        if (!dde)
            return qint64(0);
        QByteArray bytes(8, '\0');
        qToLittleEndian<quint64>(w, bytes.data());
        dde->advise(QStringLiteral("Strings"), QStringLiteral("Level"), bytes);
        return qint64(1);
    });
    bus.setHandler(QStringLiteral("Quit"), [&app](quint64, qint64) {
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
        return qint64(1);
    });
    QObject::connect(&bus, &MessageBus::broadcastReceived, [](const QString& message, quint64 w, qint64 l) {
        say(QStringLiteral("broadcast %1 %2 %3").arg(message).arg(w).arg(l));
    });

    say(QStringLiteral("ready"));
    return app.exec();
}
