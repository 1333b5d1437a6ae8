#include "nmeaserver/ReaderStatus.h"

#include <QByteArray>

namespace velmar::nmeaserver {

QString statusText(int code, const QString& name, bool simulating, const QString& rmcInitials)
{
    switch (code) {
    case StatusPortError: return QStringLiteral("Can't open comm port %1").arg(name);
    case StatusTimeOut: return QStringLiteral("Timeout port %1").arg(name);
    case StatusIdle: return QStringLiteral("Port %1 Idle").arg(name);
    case StatusStarting: return QStringLiteral("Starting port %1").arg(name);
    case StatusCollecting:
        if (simulating)
            return QStringLiteral("Simulating NMEA %1RMC and AIS Data").arg(rmcInitials);
        return QStringLiteral("Collecting NMEA data on port %1").arg(name);
    case StatusOverflow: return QStringLiteral("Data overflow port %1 error (wrong baud rate ?)").arg(name);
    case StatusSimulating: return QStringLiteral("Simulating %1RMC and AIS Data").arg(rmcInitials);
    default: return {};
    }
}

std::optional<int> statusValueAfter(int code)
{
    switch (code) {
    case StatusPortError: return DdeStatusPortError;
    case StatusTimeOut:
    case StatusOverflow: return DdeStatusTimeOut;
    case StatusIdle: return DdeStatusIdle;
    case StatusStarting:
    case StatusSimulating: return DdeStatusStarting;
    case StatusCollecting: return DdeStatusOK;
    default: return std::nullopt;
    }
}

QByteArray statusWord(int value)
{
    switch (value) {
    case DdeStatusIdle: return "Idle";
    case DdeStatusOK: return "OK";
    case DdeStatusStarting: return "Starting";
    case DdeStatusTimeOut: return "TimeOut";
    case DdeStatusPortError: return "Port Error";
    default: return {};
    }
}

} // namespace velmar::nmeaserver
