#pragma once
// The ship's log of tests/data/nav/ship_gps_log.nmea, second by second, as
// the instrument sends it: each entry holds one second's sentences.
#include <QByteArray>
#include <QFile>
#include <QList>

#include <vector>

namespace velmar::navtest {

inline std::vector<QList<QByteArray>> readShipGpsLog()
{
    QFile f(qEnvironmentVariable("VELMAR_SOURCE_DIR") + QStringLiteral("/tests/data/nav/ship_gps_log.nmea"));
    std::vector<QList<QByteArray>> seconds(1);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& raw : f.readAll().split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('#'))
            continue;
        if (line.isEmpty()) {
            if (!seconds.back().isEmpty())
                seconds.emplace_back();
            continue;
        }
        seconds.back() << line;
    }
    if (seconds.back().isEmpty())
        seconds.pop_back();
    return seconds;
}

} // namespace velmar::navtest
