#pragma once
// The arithmetic of recordings, clips and reencoding that needs no media
// library: the shift of frame times over recording pauses, the pause and
// resume decisions of recording on motion, the stepped playback advance,
// the time range of a reencoding and the checks of its two files.
// Pure functions and small value types over QtCore; any thread.
#include <QString>

#include <optional>

namespace velmar::video {

// Frame times of a recording that can pause: the time spent paused is taken
// out, so the frames after a pause run on from where they stopped.
// Times in 100-ns units.
class RecordingClock {
public:
    void reset() { *this = RecordingClock(); }
    // True when it paused now (false when already paused).
    bool pause(qint64 streamTime);
    // True when it resumed now (false when not paused).
    bool resume(qint64 streamTime);
    bool paused() const { return m_paused; }
    // The time of a frame with this stream time; while paused, the time the
    // pause began.
    qint64 frameTime(qint64 streamTime) const;
    qint64 pauseOffset() const { return m_pauseOffset; }

private:
    bool m_paused = false;
    qint64 m_pauseStart = 0;
    qint64 m_pauseOffset = 0;
};

// Recording on motion: motion at or above the threshold keeps the recording
// going for the no-motion delay; after it the recording pauses.
class MotionRecordingGate {
public:
    enum Action { Nothing, Pause, Resume };
    MotionRecordingGate(double threshold, qint64 noMotionDelayMs) : m_threshold(threshold), m_delayMs(noMotionDelayMs)
    {
    }
    Action step(bool motion, double globalMotionRatio, qint64 nowMs, bool recordingPaused);

private:
    double m_threshold;
    qint64 m_delayMs;
    qint64 m_deadlineMs = 0;
};

// The playback advance of one step of stepped playback, in 100-ns units,
// after `elapsedMs` of real time at `speedRatio`. It follows the real time,
// whatever the clip's frame rate: a 30 frames-per-second clip plays 30
// frames a second at ratio 1.
qint64 SteppedAdvance(qint64 elapsedMs, double speedRatio);
// The interval of the stepping timer for a clip's frame duration (100 ns)
// at a speed ratio, in whole ms (at least 1).
int SteppingIntervalMs(qint64 frameDuration, double speedRatio);
// The frame rate of a clip: frame count x 10,000,000 / duration, 0 when
// either is not above 0.
double ClipFrameRate(qint64 frameCount, qint64 duration);
// The time of a frame number (from 1; 0 or less count as 1).
qint64 FramePositionTime(qint64 frameNumber, qint64 frameDuration);
// A seek time held within the clip: not below 0, not beyond its last frame.
qint64 ClampSeekTime(qint64 time, qint64 duration, qint64 frameDuration);

// The part of a source clip a reencoding writes (100-ns units; -1 = open).
struct TimeRange {
    qint64 start = 0;
    qint64 stop = 0; // the end position
    QString error;   // refused: the message
    QString warning; // accepted with a warning
};
TimeRange ReencodingTimeRange(qint64 startTime, qint64 stopTime, qint64 duration);

// The files of a reencoding or copy, checked before anything is touched:
// both named, the source an existing readable file, the destination not the
// source (also through links or another spelling of the path) and in a
// folder that exists or can be made and can be written. The error message,
// or nothing when the pair is fine.
std::optional<QString> CheckReencodingFiles(const QString& source, const QString& destination);
// The destination with the extension "wmv" (appended when it has none).
QString WmvDestination(const QString& destination);

} // namespace velmar::video
