#include "SequentialNumbers.h"

#include "ProcessLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace velmar::video {

namespace {
// The six digits just before the extension hold a file's number.
constexpr int numberDigits = 6;

QString basePath(const QString& folder, const QString& prefix)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder + prefix;
    return folder + QLatin1Char('/') + prefix;
}

bool keyLess(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) < 0;
}
} // namespace

QString TSequentialCounters::counterKey(const QString& folder, const QString& prefix, const QString& extension)
{
    return basePath(folder, prefix) + extension;
}

int TSequentialCounters::indexOfKey(const QString& key) const
{
    const auto it = std::lower_bound(m_counters.begin(), m_counters.end(), key,
                                     [](const Counter& c, const QString& k) { return keyLess(c.key, k); });
    if (it != m_counters.end() && it->key.compare(key, Qt::CaseInsensitive) == 0)
        return int(it - m_counters.begin());
    return -1;
}

int TSequentialCounters::nextSequentialNumber(const QString& folder, const QString& prefix, const QString& extension,
                                              int& index)
{
    const QString key = counterKey(folder, prefix, extension);
    index = indexOfKey(key);
    if (index < 0) {
        scanSequentialNumbers(folder, prefix, extension);
        index = indexOfKey(key);
    }
    if (index < 0) {
        WriteLog(cfRed, QStringLiteral("ERROR: sequential file count not found: ") + key);
        return 1;
    }
    return ++m_counters[index].value;
}

int TSequentialCounters::getSequentialNumber(int index) const
{
    if (index < 0 || index >= m_counters.size())
        return -1;
    return m_counters.at(index).value;
}

void TSequentialCounters::releaseSequentialNumber(int index)
{
    if (index < 0 || index >= m_counters.size())
        return;
    if (m_counters[index].value > 0)
        --m_counters[index].value;
}

void TSequentialCounters::scanSequentialNumbers(const QString& folder, const QString& prefix, const QString& extension)
{
    const QString base = basePath(folder, prefix);
    bool added = false;
    for (const QString& ext : {QStringLiteral("bmp"), QStringLiteral("jpg"), extension}) {
        const QString key = base + ext;
        if (indexOfKey(key) >= 0)
            continue;
        const auto pos = std::lower_bound(m_counters.begin(), m_counters.end(), key,
                                          [](const Counter& c, const QString& k) { return keyLess(c.key, k); });
        m_counters.insert(pos, Counter{key, 0});
        added = true;
    }
    if (!added)
        return;
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QStringList files = dir.entryList({prefix + QStringLiteral("*.*")}, QDir::Files);
    for (const QString& name : files) {
        const int dot = int(name.indexOf(QLatin1Char('.'), 1));
        if (dot < 1)
            continue;
        const int index = indexOfKey(base + name.mid(dot + 1));
        if (index < 0 || dot < numberDigits)
            continue;
        bool ok = false;
        const int number = name.mid(dot - numberDigits, numberDigits).toInt(&ok);
        if (ok && number > m_counters.at(index).value)
            m_counters[index].value = number;
    }
}

bool DiscardIncompleteRecording(TSequentialCounters& counters, const IncompleteRecording& recording)
{
    if (recording.framesWritten > 0)
        return false;
    if (recording.counterIndex < 0 || counters.getSequentialNumber(recording.counterIndex) != recording.number)
        return false;
    counters.releaseSequentialNumber(recording.counterIndex);
    if (recording.writtenToFinalName && !recording.fileName.isEmpty())
        QFile::remove(recording.fileName);
    return true;
}

} // namespace velmar::video
