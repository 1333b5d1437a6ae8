// NMEA: the serial instrument server of the suite. One copy runs at a time; a
// second start brings the running copy to the front and ends.
#include "nmeaserver/NmeaServer.h"
#include "nmeaserver/NmeaWindow.h"
#include "platform/MessageBus.h"
#include "platform/SerialPortList.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"

#include <QApplication>
#include <QMessageBox>

using namespace velmar;

namespace {
const QString MutexName = QStringLiteral("NMEA Server");
const QString OnTopMessage = QStringLiteral("NMEAOnTop");
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
    // A session that ends (logout, the run script's kill, Ctrl+C) ends the
    // server as closing its window does, settings written, without asking.
    platform::CatchTerminationSignals(&window, [&window] { window.endSession(); });

    window.show();
    return app.exec();
}
