#include "platform/SerialPortList.h"

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
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.toUtf8() < b.toUtf8();
    });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

} // namespace velmar::platform
