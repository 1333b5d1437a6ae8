#include "ProcessLog.h"

#include "platform/Folders.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QTextStream>

Q_LOGGING_CATEGORY(lcVideoLog, "velmar.video.log")

namespace velmar::video {

namespace {
constexpr int ruleLength = 70;
const char* const header[] = {
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1036{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 Courier New;}}",
    "{\\colortbl "
    ";\\red128\\green128\\blue128;\\red0\\green0\\blue255;\\red0\\green128\\blue0;\\red255\\green0\\blue0;"
    "\\red128\\green0\\blue128;\\red255\\green255\\blue0;}",
    "\\viewkind4\\uc1\\pard\\b\\f0\\fs20",
};

qint64 monotonicMs()
{
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.elapsed();
}
} // namespace

QString versionText()
{
    return QStringLiteral("1.0.0 build 1 2026-12-10");
}

TLog::TLog() : m_tick(monotonicMs)
{
}

TLog& TLog::instance()
{
    static TLog log;
    return log;
}

QString TLog::fileName()
{
    QMutexLocker locker(&instance().m_lock);
    if (!instance().m_fileName.isEmpty())
        return instance().m_fileName;
    return platform::settingsFile(QStringLiteral("tolvexlog.rtf"));
}

void TLog::enable()
{
    QMutexLocker locker(&m_lock);
    m_enabled = true;
}

bool TLog::isEnabled() const
{
    QMutexLocker locker(&m_lock);
    return m_enabled;
}

void TLog::write(QChar marker, const char* colour, const QString& text)
{
    QMutexLocker locker(&m_lock);
    if (!m_enabled)
        return;
    if (!m_started) {
        m_started = true;
        for (const char* line : header)
            m_lines << QString::fromLatin1(line);
        writeLocked(QLatin1Char('='), cfDefault,
                    QStringLiteral("BEGIN TOmbrix v") + versionText() + QStringLiteral(" process log"));
    }
    writeLocked(marker, colour, text);
}

void TLog::writeLocked(QChar marker, const char* colour, const QString& text)
{
    QString entry = text;
    const qint64 now = m_tick();
    if (m_hasPrevious)
        entry = QString::number((now - m_previousTick) / 1000.0, 'f', 3) + QLatin1Char(' ') + entry;
    m_previousTick = now;
    m_hasPrevious = true;

    const QString col = QString::fromLatin1(colour);
    if (marker.isNull()) {
        m_lines << col + entry + QStringLiteral("\\par");
    } else {
        const QString rule = QString::fromLatin1(cfYellow) + QString(ruleLength, marker) + QStringLiteral("\\par");
        m_lines << QStringLiteral("\\par") << rule << col + entry + QStringLiteral("\\par") << rule
                << QStringLiteral("\\par");
    }

    const QString path = m_fileName.isEmpty() ? platform::settingsFile(QStringLiteral("tolvexlog.rtf")) : m_fileName;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        // Diagnosis only: a log that cannot be written never stops the caller.
        qCDebug(lcVideoLog) << "cannot write" << path;
        return;
    }
    QTextStream out(&file);
    for (const QString& line : std::as_const(m_lines))
        out << line << '\n';
    out << "}\n";
}

bool TLog::writeYesNo(bool condition, const char* colour, const QString& text)
{
    write(colour, text + (condition ? QStringLiteral(": YES") : QStringLiteral(": no")));
    return condition;
}

QStringList TLog::lines() const
{
    QMutexLocker locker(&m_lock);
    return m_lines;
}

void TLog::setTickSource(std::function<qint64()> tick)
{
    QMutexLocker locker(&m_lock);
    m_tick = tick ? std::move(tick) : std::function<qint64()>(monotonicMs);
}

void TLog::setFileName(const QString& path)
{
    QMutexLocker locker(&m_lock);
    m_fileName = path;
}

void TLog::reset()
{
    QMutexLocker locker(&m_lock);
    m_enabled = false;
    m_started = false;
    m_lines.clear();
    m_hasPrevious = false;
}

void WriteLog(const char* colour, const QString& text)
{
    TLog::instance().write(QChar(), colour, text);
}

void WriteLog(QChar marker, const char* colour, const QString& text)
{
    TLog::instance().write(marker, colour, text);
}

bool WriteLogYesNo(bool condition, const char* colour, const QString& text)
{
    return TLog::instance().writeYesNo(condition, colour, text);
}

} // namespace velmar::video
