// A stand-in for the pipe server in tests: owns Pelvane's bus name until it
// is told to quit (message "StandInQuit") or a minute has passed.
#include "platform/MessageBus.h"
#include "sound/PipeProtocol.h"

#include <QCoreApplication>
#include <QTimer>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    auto& bus = velmar::platform::MessageBus::instance();
    if (!bus.ownName(velmar::sound::PelvaneBusName()))
        return 1;
    bus.setHandler(QStringLiteral("StandInQuit"), [](quint64, qint64) {
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return qint64(1);
    });
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    return app.exec();
}
