#include "platform/SerialPortList.h"

#include <QRegularExpression>
#include <QSerialPortInfo>

#include <algorithm>

namespace velmar::platform {

QStringList serialPortNames()
{
    QStringList names;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : ports) {
        const QString path = info.systemLocation();
        if (!path.isEmpty())
            names << path;
    }
    // Byte order, as the port lists have always been sorted (ttyS10 before ttyS2).
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) { return a.toUtf8() < b.toUtf8(); });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

bool isWindowsPortName(const QString& name)
{
    constexpr int HighestWindowsPort = 256;
    static const QRegularExpression re(QStringLiteral("^com(\\d+)$"), QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(name.trimmed());
    if (!m.hasMatch())
        return false;
    const int n = m.captured(1).toInt();
    return n >= 1 && n <= HighestWindowsPort;
}

QString windowsPortNameMessage(const QString& name, const QStringList& present)
{
    const QString choices = present.isEmpty() ? QStringLiteral("/dev/ttyUSB0, /dev/ttyS0 or /dev/serial/by-id/...")
                                              : present.join(QStringLiteral(", "));
    return QStringLiteral("%1 is the name of a Windows serial port and cannot be opened on this computer.\n"
                          "Choose one of its serial ports: %2")
        .arg(name, choices);
}

} // namespace velmar::platform
