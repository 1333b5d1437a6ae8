// A second program on the test's bus: prints "ready" once it listens, then
// every broadcast it hears as "name wParam lParam", and ends after `count`
// (first argument, default 2) "VelmarButtonMessage" broadcasts or ten seconds.
#include "platform/MessageBus.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int wanted = argc > 1 ? QByteArray(argv[1]).toInt() : 2;
    auto& bus = velmar::platform::MessageBus::instance();
    if (!bus.connected())
        return 2;
    int heard = 0;
    QObject::connect(&bus, &velmar::platform::MessageBus::broadcastReceived, &app,
                     [&](const QString& message, quint64 w, qint64 l) {
                         std::printf("%s %llu %lld\n", qPrintable(message), static_cast<unsigned long long>(w),
                                     static_cast<long long>(l));
                         std::fflush(stdout);
                         if (message == QLatin1String("VelmarButtonMessage") && ++heard == wanted)
                             app.quit();
                     });
    QTimer::singleShot(10000, &app, [&] { app.exit(1); });
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
