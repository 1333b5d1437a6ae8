// detector_status_stand_in: a detector program in miniature for the tests of
// the status cycle. It owns the bus name of a detector's window class,
// answers "DetectorStatusMessage" with a scripted sequence of codes (the last
// one repeats), and notes every "DetectorCommandMessage" it obeys as a line
// "command N" in a file (1 start: it then answers 2, running; 2 stop: it
// then answers 1, idle; 3 show).
//
//   detector_status_stand_in WINDOWCLASS LOGFILE CODE[,CODE...]
//
// Prints "ready" once the name is owned. Ends on "StandInQuit", or after two
// minutes; a test that wants it to vanish as a crashed program kills it.
#include "platform/BusNames.h"
#include "platform/MessageBus.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <QTimer>

#include <vector>

using namespace velmar;

namespace {

constexpr int LifetimeMs = 120000;

void note(const QString& file, const QString& line)
{
    QFile f(file);
    if (f.open(QIODevice::Append | QIODevice::Text))
        f.write((line + QLatin1Char('\n')).toUtf8());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 3)
        return 2;
    const QString logFile = args[1];
    std::vector<qint64> codes;
    for (const QString& code : args[2].split(QLatin1Char(','), Qt::SkipEmptyParts))
        codes.push_back(code.toLongLong(nullptr, 0));
    if (codes.empty())
        return 2;

    auto& bus = platform::MessageBus::instance();
    std::size_t next = 0;
    bus.setHandler(QStringLiteral("DetectorStatusMessage"), [&](quint64, qint64) {
        const qint64 code = codes[std::min(next, codes.size() - 1)];
        if (next < codes.size())
            ++next;
        return code;
    });
    bus.setHandler(QStringLiteral("DetectorCommandMessage"), [&](quint64 command, qint64) {
        note(logFile, QStringLiteral("command %1").arg(command));
        if (command == 1 || command == 2) {
            codes = {command == 1 ? 2 : 1};
            next = 0;
        }
        return qint64(0);
    });
    bus.setHandler(QStringLiteral("StandInQuit"), [](quint64, qint64) {
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return qint64(1);
    });
    if (!bus.ownName(platform::windowClassBusName(args[0])))
        return 1;
    QTimer::singleShot(LifetimeMs, &app, &QCoreApplication::quit);
    QTextStream(stdout) << "ready" << Qt::endl;
    return app.exec();
}
