#include "RecordingRules.h"

#include "FileOps.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <limits>

namespace velmar::video {

namespace {
constexpr qint64 ticksPerMs = 10000;
constexpr qint64 ticksPerSecond = 10000000;
} // namespace

bool RecordingClock::pause(qint64 streamTime)
{
    if (m_paused)
        return false;
    m_paused = true;
    m_pauseStart = streamTime;
    return true;
}

bool RecordingClock::resume(qint64 streamTime)
{
    if (!m_paused)
        return false;
    m_paused = false;
    m_pauseOffset += std::max<qint64>(0, streamTime - m_pauseStart);
    m_pauseStart = 0;
    return true;
}

qint64 RecordingClock::frameTime(qint64 streamTime) const
{
    return (m_paused ? m_pauseStart : streamTime) - m_pauseOffset;
}

MotionRecordingGate::Action MotionRecordingGate::step(bool motion, double globalMotionRatio, qint64 nowMs,
                                                      bool recordingPaused)
{
    if (motion && globalMotionRatio >= m_threshold) {
        m_deadlineMs = nowMs + m_delayMs;
        return recordingPaused ? Resume : Nothing;
    }
    return !recordingPaused && nowMs > m_deadlineMs ? Pause : Nothing;
}

qint64 SteppedAdvance(qint64 elapsedMs, double speedRatio)
{
    return std::llround(double(elapsedMs) * double(ticksPerMs) * speedRatio);
}

int SteppingIntervalMs(qint64 frameDuration, double speedRatio)
{
    if (speedRatio <= 0.0)
        speedRatio = 1.0;
    return std::max(1, int(std::lround(double(frameDuration) / double(ticksPerMs) / speedRatio)));
}

double ClipFrameRate(qint64 frameCount, qint64 duration)
{
    if (frameCount <= 0 || duration <= 0)
        return 0.0;
    return double(frameCount) * double(ticksPerSecond) / double(duration);
}

qint64 FramePositionTime(qint64 frameNumber, qint64 frameDuration)
{
    return (std::max<qint64>(frameNumber, 1) - 1) * frameDuration;
}

qint64 ClampSeekTime(qint64 time, qint64 duration, qint64 frameDuration)
{
    const qint64 last = std::max<qint64>(0, duration - frameDuration);
    return std::clamp<qint64>(time, 0, last);
}

TimeRange ReencodingTimeRange(qint64 startTime, qint64 stopTime, qint64 duration)
{
    TimeRange r;
    r.start = 0;
    r.stop = duration;
    if (startTime == -1 && stopTime == -1)
        return r;
    const bool stopGiven = stopTime != -1;
    const qint64 start = startTime == -1 ? 0 : startTime;
    const qint64 stop = stopTime == -1 ? std::numeric_limits<qint64>::max() : stopTime;
    if (start < 0 || stop < 0) {
        r.error = QStringLiteral("start time and stop time must have positive values");
        return r;
    }
    if (stop < start) {
        r.error = QStringLiteral("stop time must be higher than start time");
        return r;
    }
    if (start > duration) {
        r.error = QStringLiteral("start time exceeds duration (") + QString::number(duration) + QLatin1Char(')');
        return r;
    }
    if (stopGiven && stop > duration)
        r.warning = QStringLiteral("stop time exceeds duration  (") + QString::number(duration) + QLatin1Char(')');
    r.start = start;
    if (stop < duration)
        r.stop = stop;
    return r;
}

namespace {
// The file as the file system resolves it: links followed, "." and ".."
// gone; for a file that does not exist yet, its folder resolved.
QString canonicalPath(const QString& name)
{
    const QFileInfo info(name);
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = info.absoluteDir().canonicalPath();
    return folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : folder + QLatin1Char('/') + info.fileName();
}
} // namespace

std::optional<QString> CheckReencodingFiles(const QString& source, const QString& destination)
{
    const QString src = source.trimmed();
    const QString dst = destination.trimmed();
    if (src.isEmpty())
        return QStringLiteral("source video clip not specified");
    if (dst.isEmpty())
        return QStringLiteral("new video clip not specified");
    if (src == dst || canonicalPath(src) == canonicalPath(dst))
        return QStringLiteral("source and destination files must not be identical");
    const QFileInfo in(src);
    if (!in.exists() || !in.isFile() || !in.isReadable())
        return QStringLiteral("source not found or not suitable: ") + src;
    const QFileInfo out(dst);
    if (out.exists() && !out.isFile())
        return QStringLiteral("can't write the new video clip: ") + dst;
    if (!QDir().mkpath(out.absolutePath()) || !QFileInfo(out.absolutePath()).isWritable())
        return QStringLiteral("can't write the new video clip: ") + dst;
    return std::nullopt;
}

QString WmvDestination(const QString& destination)
{
    return ChangeExtension(QStringLiteral("wmv"), destination);
}

} // namespace velmar::video
