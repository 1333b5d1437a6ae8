#include "GrabSequencer.h"

#include <QDateTime>
#include <QTimeZone>

namespace velmar::camera {

void GrabSequencer::reset()
{
    m_buffer.clear();
    m_saveNext = false;
    m_state = m_settings.grabSingle ? Idle : Buffering;
}

bool GrabSequencer::onFrame(const QImage& frame, quint32 tickMs, qint64 nowMs)
{
    const bool saveNext = m_saveNext;
    m_saveNext = false;
    const quint32 elapsed = tickMs - m_lastSaveTick;
    const double rate = m_settings.grabFrameRate > 0 ? m_settings.grabFrameRate : 0.1;
    const quint32 gap = quint32(1000.0 / rate);

    // A frame asked for, or any frame of a single-frame camera, is saved once
    // and neither buffered nor saved again by a running sequence.
    if (saveNext || m_settings.grabSingle) {
        noteSaveTick(tickMs);
        return true;
    }
    if (m_settings.grabFullRate == 0 && m_haveSaveTick && elapsed < gap)
        return false;
    switch (m_state) {
    case Buffering:
        bufferFrame(frame, nowMs);
        noteSaveTick(tickMs);
        return false;
    case Saving:
        if (nowMs > m_saveUntilMs) {
            m_state = Buffering;
            return false;
        }
        noteSaveTick(tickMs);
        return true;
    case Idle: return false;
    }
    return false;
}

void GrabSequencer::noteSaveTick(quint32 tickMs)
{
    m_lastSaveTick = tickMs;
    m_haveSaveTick = true;
}

void GrabSequencer::bufferFrame(const QImage& frame, qint64 nowMs)
{
    const qint64 cutoff = nowMs - qint64(m_settings.grabPreSeconds * 1000.0);
    while (!m_buffer.isEmpty() && m_buffer.front().utcMs < cutoff)
        m_buffer.pop_front();
    m_buffer.append({frame.copy(), nowMs});
}

QList<TimedFrame> GrabSequencer::startSequence(qint64 nowMs)
{
    QList<TimedFrame> saved;
    saved.swap(m_buffer);
    m_saveUntilMs = nowMs + qint64(m_settings.grabPostSeconds * 1000.0);
    m_state = Saving;
    return saved;
}

QString MakeGrabFileName(const QString& initials, qint64 utcMs, int outputFormat)
{
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(utcMs, QTimeZone::utc());
    QString name = initials + t.toString(QStringLiteral("yyyyMMdd_hhmmss_zzz"));
    switch (outputFormat) {
    case 0: return name + QStringLiteral(".jpg");
    case 1: return name + QStringLiteral(".bmp");
    case 2: return name + QStringLiteral(".avi");
    default: return name;
    }
}

} // namespace velmar::camera
