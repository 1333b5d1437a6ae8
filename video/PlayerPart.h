#pragma once
// The clip player of the video component: the published player values, the
// sound of a playing clip, what is known of the open clip and where it
// stands, the stepped playback (backwards, fast) that moves it on a timer,
// and the reencoding jobs. No media library: the component turns what the
// part decides into seeks and step events on its graph.
//
// User-interface thread. The track bar is the host's widget seen through
// its holder, which the part owns.
#include "ClipTrackBar.h"
#include "VideoTypes.h"

#include <QElapsedTimer>
#include <QString>
#include <memory>

namespace velmar::video {

// A reencoding or copy of a clip.
struct TReencodingSettings {
    bool IncludeVideoStream = true;
    bool IncludeAudioStream = true;
    QString NewVideoClip;
    TRecordingMethod Method = rm_AVI;
    QString SourceVideoClip;
    qint64 StartTime = -1;
    qint64 StopTime = -1;
    bool UseFrameGrabber = false;
    bool UseVideoCompressor = false;
    bool UseAudioCompressor = false;
    bool WMVOutput = false;
};

// The published values of the player.
struct PlayerSettings {
    QString fileName;
    bool autoStart = false;
    bool audioRendering = false;
    double speedRatio = 1.0;
    int fastRatio = 4;
    // The sound of a playing clip, on the stream itself.
    bool speakerControl = false;
    int speakerVolume = 65535;
    int speakerBalance = 0;
    bool mute = false;
};

class PlayerPart {
public:
    static constexpr qint64 defaultFrameDuration = 416666; // 24 frames a second, 100-ns units
    static constexpr int maxVolume = 65535;
    static constexpr int minBalance = -32768;
    static constexpr int maxBalance = 32767;

    PlayerSettings& settings() { return m_settings; }
    const PlayerSettings& settings() const { return m_settings; }
    // True when the ratio changed; a ratio not above 0 is refused.
    bool setSpeedRatio(double ratio);
    // A ratio not above 0 is refused.
    void setFastRatio(int ratio);
    void setSpeakerVolume(int volume);
    void setSpeakerBalance(int balance);
    // What the speaker gets now: silence while muted.
    int speakerVolumeNow() const { return m_settings.mute ? 0 : m_settings.speakerVolume; }
    int speakerBalanceNow() const { return m_settings.mute ? 0 : m_settings.speakerBalance; }

    // The open clip, in 100-ns units.
    qint64 duration = 1;
    qint64 frameCount = 1;
    qint64 frameDuration = defaultFrameDuration;
    bool hasAudio = false;
    qint64 position = 0; // the last position sought or stepped to
    bool ended = false;
    // Before a clip is read: nothing known, nothing playing.
    void resetClip();
    // What was read of the clip; a frame duration of 0 (not told) is the default one.
    void openClip(qint64 clipDuration, qint64 clipFrameDuration, bool clipHasAudio);
    double frameRate() const;
    // The frame (from 1) at a time; 0 without a frame duration.
    qint64 framePosition(qint64 time) const;
    // A seek's time held within the clip, which becomes the position.
    qint64 seekTo(qint64 time);
    // True when a run from this position would find the clip at its end.
    bool atEnd(qint64 time) const;
    // The position at the end of the clip: its last frame.
    qint64 endPosition() const;

    // Stepped playback.
    bool stepping = false;
    void setStepDirection(bool backwards, bool fast);
    // The stepping starts from the frame at the position (from the other end
    // when at the end it runs to), its clock from now; the position to seek to.
    qint64 startStepping(qint64 time);
    // The timer's interval for the stepping.
    int stepIntervalMs() const;
    struct Step {
        enum Kind { Wait, Seek, Forward, End } kind = Wait;
        qint64 position = 0; // Seek: the time to seek to
        qint64 frames = 0;   // Forward: the frames to step
    };
    // One tick of the timer after elapsedMs: less than a frame waits;
    // backwards seeks (stepping ends at the start), forwards steps whole
    // frames (the clip's end ends it).
    Step stepTick(qint64 elapsedMs);
    // The real time since the last tick (or the start).
    qint64 restartStepClock() { return m_stepClock.restart(); }

    // The host's track bar.
    std::unique_ptr<ClipTrackBar> trackBar;

    // Reencoding: the published settings, the job that runs and its
    // temporary file beside the destination.
    TReencodingSettings reencoding;
    TReencodingSettings job;
    QString jobTemporary;

private:
    double stepRatio() const;

    PlayerSettings m_settings;
    bool m_stepBackwards = false;
    bool m_stepFast = false;
    qint64 m_stepPosition = 0;
    qint64 m_stepAdvance = 0; // 100 ns not yet stepped
    QElapsedTimer m_stepClock;
};

} // namespace velmar::video
