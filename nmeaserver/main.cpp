// NMEA: the serial instrument server of the suite. One copy runs at a time; a
// second start brings the running copy to the front and ends.
#include "nmeaserver/NmeaServer.h"
#include "nmeaserver/NmeaWindow.h"
#include "platform/MessageBus.h"
#include "platform/SerialPortList.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

using namespace velmar;

namespace {
const QString MutexName = QStringLiteral("NMEA Server");
const QString OnTopMessage = QStringLiteral("NMEAOnTop");

// A session that ends (logout, the run script's kill, Ctrl+C) ends the server
// as closing its window does, settings written, without asking: the signal
// handler only wakes the event loop through this pair.
int signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[0], &byte, 1);
}

void catchTerminationSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &action, nullptr);
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("NMEA"));
    QApplication::setApplicationVersion(QStringLiteral(VELMAR_VERSION));

    platform::MessageBus& bus = platform::MessageBus::instance();
    platform::NamedMutex mutex(MutexName);
    if (mutex.existsElsewhere() || (!mutex.tryCreate() && bus.connected())) {
        bus.broadcast(OnTopMessage, 0, 0);
        return 0;
    }
    platform::MessageBus::registerWindowMessage(OnTopMessage);

    nmeaserver::NmeaServer server;
    nmeaserver::TTNMEAWindow window(server);
    if (!server.InitNmeaDde())
        QMessageBox::critical(&window, QStringLiteral("Error"), QStringLiteral("Could not initialize DDE"));
    server.initialise(platform::serialPortNames());
    window.applyDisplaySettings();

    QObject::connect(&bus, &platform::MessageBus::broadcastReceived, &window,
                     [&window](const QString& message, quint64, qint64) {
                         if (message.compare(OnTopMessage, Qt::CaseInsensitive) == 0)
                             window.bringToFront();
                     });
    catchTerminationSignals();
    QSocketNotifier terminations(signalPipe[1], QSocketNotifier::Read);
    QObject::connect(&terminations, &QSocketNotifier::activated, &window, [&window] {
        char byte;
        [[maybe_unused]] const auto n = ::read(signalPipe[1], &byte, 1);
        window.endSession();
    });

    window.show();
    return app.exec();
}
