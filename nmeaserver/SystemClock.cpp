#include "nmeaserver/SystemClock.h"

#include <QtGlobal>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace velmar::nmeaserver {

QString setSystemClock(UtcTime time)
{
    // Tests run NMEA against made-up instruments on a shared machine: they
    // must never move its clock.
    if (qEnvironmentVariable("VELMAR_NMEA_CLOCK_SET") == QLatin1String("off"))
        return QStringLiteral("Setting the PC clock is turned off (VELMAR_NMEA_CLOCK_SET=off)");
    const auto ms = time.time_since_epoch().count();
    timespec ts{};
    ts.tv_sec = time_t(ms / 1000);
    ts.tv_nsec = long(ms % 1000) * 1000000L;
    if (ts.tv_nsec < 0) {
        ts.tv_sec -= 1;
        ts.tv_nsec += 1000000000L;
    }
    if (::clock_settime(CLOCK_REALTIME, &ts) == 0)
        return {};
    const int error = errno;
    return QStringLiteral("The PC clock could not be set: %1").arg(QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace velmar::nmeaserver
