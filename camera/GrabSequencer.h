#pragma once
// What a camera unit does with each frame its camera delivers: for JPEG and
// bitmap output it keeps the frames of the last grabPreSeconds, throttled to
// grabFrameRate unless grabFullRate is set; a trigger hands them out to be
// saved and the frames of the following grabPostSeconds too, after which
// buffering resumes. Times come from the caller (a tick count in ms and the
// UTC time in ms since the epoch), so the machine runs on any clock.
//
// Each frame is handed out for saving at most once.
#include "CamSettings.h"

#include <QImage>
#include <QList>

namespace velmar::camera {

struct TimedFrame {
    QImage image;
    qint64 utcMs = 0;
};

class GrabSequencer {
public:
    enum State { Idle = 0, Buffering = 1, Saving = 2 };

    // The settings are read at every call; they belong to the unit.
    explicit GrabSequencer(const TCamSettings& settings) : m_settings(settings) {}

    // Empties the buffer and starts idle (single frames) or buffering.
    void reset();
    // A frame arrived: true when it is to be saved now, with time nowMs.
    bool onFrame(const QImage& frame, quint32 tickMs, qint64 nowMs);
    // A trigger: the buffered frames, oldest first, to be saved with their
    // own times; the following frames are saved until now + grabPostSeconds.
    QList<TimedFrame> startSequence(qint64 nowMs);
    // The next frame that arrives is saved.
    void saveNextFrame() { m_saveNext = true; }

    void setReason(const QString& reason) { m_reason = reason.left(MaxReasonLength); }
    QString reason() const { return m_reason; }
    int bufferedFrames() const { return int(m_buffer.size()); }
    State state() const { return m_state; }

    static constexpr int MaxReasonLength = 50;

private:
    void bufferFrame(const QImage& frame, qint64 nowMs);
    void noteSaveTick(quint32 tickMs);

    const TCamSettings& m_settings;
    QList<TimedFrame> m_buffer; // oldest first
    State m_state = Buffering;
    qint64 m_saveUntilMs = 0;
    quint32 m_lastSaveTick = 0;
    bool m_haveSaveTick = false; // the first frame is never held back
    bool m_saveNext = false;
    QString m_reason;
};

// outputInitials + the UTC time as yyyyMMdd_hhmmss_zzz + ".jpg", ".bmp" or
// ".avi" by output format (nothing for another format).
QString MakeGrabFileName(const QString& initials, qint64 utcMs, int outputFormat);

} // namespace velmar::camera
