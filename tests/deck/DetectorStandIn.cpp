// deck_detector_stand_in: a detector program in miniature for the deck's
// tests. It owns the bus name of a detector's input window class, answers
// the pipe messages a deck sends, reads the deck's pipe as it is fed and, at
// the end of the data, writes every byte it read to a file.
//
//   deck_detector_stand_in WINDOWCLASS PIPENAME OUTFILE [never-stops|real-time]
//
// With "never-stops" it keeps reporting a running detector after the end of
// the data, as a detector that hangs would. With "real-time" it reads no
// faster than 32000 bytes a second (two channels at 8 kHz), as a detector
// that keeps pace with the sound would, so a deck without speakers plays in
// real time.
// Prints "ready" once the name is owned, "running" when a run starts. Ends on "StandInQuit" or after a
// minute.
#include "platform/BusNames.h"
#include "platform/MessageBus.h"
#include "sound/PipeProtocol.h"
#include "sound/SamplePipe.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <QTimer>

using namespace velmar;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString option = args.value(3);
    if (args.size() < 3 || args.size() > 4
        || !(option.isEmpty() || option == QLatin1String("never-stops") || option == QLatin1String("real-time")))
        return 2;
    const bool neverStops = option == QLatin1String("never-stops");
    const bool realTime = option == QLatin1String("real-time");
    constexpr qint64 RealTimeBytesPerSecond = 32000;
    QElapsedTimer sinceStart;
    const QString pipeName = args[1];
    const QString outFile = args[2];
    auto& bus = platform::MessageBus::instance();
    if (!bus.ownName(platform::windowClassBusName(args[0])))
        return 1;

    sound::SamplePipeReader reader;
    QByteArray received;
    qint64 running = 0;
    // At the end of the data a detector takes the rest of the pipe at once.
    auto readAll = [&](bool rest) {
        while (reader.isOpen()) {
            const qint64 budget = realTime && !rest
                                    ? sinceStart.elapsed() * RealTimeBytesPerSecond / 1000 - received.size()
                                    : qint64(1 << 20);
            if (budget <= 0)
                break;
            const QByteArray got = reader.read(std::min<qint64>(budget, 1 << 20));
            if (got.isEmpty())
                break;
            received += got;
        }
    };
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] { readAll(false); });

    bus.setHandler(QStringLiteral("PipeMsgGetIpDevice"), [](quint64, qint64) { return sound::GetIpDeviceAccepted; });
    bus.setHandler(QStringLiteral("PipeMsgSampleSettings"),
                   [](quint64, qint64) { return sound::SampleSettingsAccepted; });
    bus.setHandler(QStringLiteral("PipeMsgStartSection"), [](quint64, qint64) { return qint64(0); });
    bus.setHandler(QStringLiteral("PipeMsgStartRun"), [&](quint64, qint64) {
        received.clear();
        running = reader.open(pipeName, 5000) ? 1 : 0;
        sinceStart.start();
        poll.start();
        QTextStream(stdout) << "running" << Qt::endl;
        return qint64(0);
    });
    bus.setHandler(QStringLiteral("PipeMsgAvailBytes"), [&](quint64 wParam, qint64) {
        readAll(wParam == sound::AvailBytesEndOfData);
        if (wParam == sound::AvailBytesEndOfData && running) {
            poll.stop();
            // Whole or not at all: a test that sees the file reads all of it.
            QFile f(outFile + QStringLiteral(".part"));
            if (f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(received) == received.size()) {
                f.close();
                QFile::remove(outFile);
                f.rename(outFile);
            }
            running = neverStops ? 1 : 0;
        }
        return reader.bytesAvailable();
    });
    bus.setHandler(QStringLiteral("PipeMsgGetADCStatus"), [&](quint64, qint64) { return running; });
    bus.setHandler(QStringLiteral("StandInQuit"), [](quint64, qint64) {
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return qint64(1);
    });
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    QTextStream(stdout) << "ready" << Qt::endl;
    return app.exec();
}
