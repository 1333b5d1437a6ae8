// A stand-in for the NMEA server in tests: owns the DDE service "NMEA" on the
// session bus and answers as the server does, from its command line.
//
//   nmea_standin [--status TEXT] [--sentence '$GPRMC,...*hh']... [--lifetime-ms N]
//
// Topics "System", "strings" and "Command" are accepted; the item "Status"
// gets TEXT (no data without --status); an item named like a sentence gets
// that sentence; all data end with a NUL. Prints "ready" once it owns the
// name; exits with 1 when the name is taken, and by itself after its
// lifetime (default 60 s) so that no copy outlives a test run.
#include "platform/Dde.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

using velmar::platform::ddeNamesEqual;
using velmar::platform::DdeServer;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::optional<QByteArray> status;
    QList<QByteArray> sentences;
    int lifetimeMs = 60000;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--status"))
            status = args[i + 1].toLatin1();
        else if (args[i] == QLatin1String("--sentence"))
            sentences << args[i + 1].toLatin1();
        else if (args[i] == QLatin1String("--lifetime-ms"))
            lifetimeMs = args[i + 1].toInt();
    }

    DdeServer server(QStringLiteral("NMEA"));
    server.onConnect = [](const QString& topic) {
        return ddeNamesEqual(topic, QStringLiteral("System")) || ddeNamesEqual(topic, QStringLiteral("strings"))
            || ddeNamesEqual(topic, QStringLiteral("Command"));
    };
    server.onRequest = [&](const QString&, const QString& item) -> std::optional<QByteArray> {
        if (ddeNamesEqual(item, QStringLiteral("Status")))
            return status ? std::optional<QByteArray>(*status + '\0') : std::nullopt;
        for (const QByteArray& s : sentences) {
            const QByteArray name = s.mid(1).split(',').front().split('*').front();
            if (ddeNamesEqual(item, QString::fromLatin1(name)))
                return s + '\0';
        }
        return std::nullopt;
    };
    if (!server.start())
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    QTimer::singleShot(lifetimeMs, &app, &QCoreApplication::quit);
    return app.exec();
}
