#pragma once
// The recordings of the video component: the published recording values,
// what a graph freezes of them when it is built, the state of the recording
// that runs (held, paused, the file being written and the frames in it) and
// the gates between the recording queues and the writer.
//
// User-interface thread, except the counters GStreamer's threads touch
// (frames written and held, the writer's end of stream, the last stream
// time, the gates' end of stream, the frame times). The gates' pads and the
// writer's inputs are the part's references; the writer's elements belong
// to the graph they were added to.
#include "AsfProfileXml.h"
#include "CompressorSettings.h"
#include "RecordingRules.h"
#include "VideoTypes.h"

#include <gst/gst.h>

#include <QList>
#include <QMutex>
#include <QString>
#include <array>
#include <atomic>
#include <optional>

namespace velmar::video {

// The published values of recordings.
struct RecordingSettings {
    TRecordingMethod method = rm_AVI;
    TCompressionMode compressionMode = cm_NoCompression;
    bool hold = false;
    bool canPause = false;
    bool aviOpenDML = true;
    int backtimedCount = 0;
    TCompressionValues compression{1.0, 15, 0, -1};
    int asfProfile = -1;
    QString fileName; // the next recording's; empty for an automatic name
    QString fileExt;
    bool preallocEnabled = false;
    QString preallocName;
    int preallocSizeMB = 100;
    bool onMotion = false;
    double motionThreshold = 0.0;
    int motionDelayMs = 5000;
    QString asfProfileFile;
    int asfVideoBitRate = -1;
    int asfAudioBitRate = -1;
    int asfVideoWidth = -1;
    int asfVideoHeight = -1;
    int audioInputLevel = 65535;
    int audioInputBalance = 0;
    bool audioInputMono = false;
};

// What a graph takes of the settings when it is built.
struct RecordingFrozen {
    bool hold = false;
    bool canPause = false;
    int backtimed = 0;
    bool audio = false;
    bool prealloc = false;
    bool openDML = true;
    TRecordingMethod method = rm_AVI;
};

// The size and bit rates an ASF recording is written with; 0 where neither
// the profile nor the component gives one.
struct AsfValues {
    int videoBitRate = 0;
    int audioBitRate = 0;
    int width = 0;
    int height = 0;
};

class RecordingPart {
public:
    enum GateMode { gateOpen, gateBlock, gateDrop, gateEnd };
    enum Branch { videoGate, audioGate };
    static constexpr int maxLevel = 65535;
    static constexpr int minBalance = -32768;
    static constexpr int maxBalance = 32767;

    RecordingPart() = default;
    RecordingPart(const RecordingPart&) = delete;
    RecordingPart& operator=(const RecordingPart&) = delete;
    ~RecordingPart() { clearGates(); }

    RecordingSettings& settings() { return m_settings; }
    const RecordingSettings& settings() const { return m_settings; }
    // A method beyond the known ones and a negative count keep the value before.
    void setMethod(TRecordingMethod method);
    void setBacktimedCount(int count);
    void setAudioInputLevel(int level) { m_settings.audioInputLevel = std::clamp(level, 0, maxLevel); }
    static bool balanceInRange(int balance) { return balance >= minBalance && balance <= maxBalance; }
    // The recording's extension: the one given, else "avi" ("asf" for ASF).
    QString extension() const;

    // Freezes the settings for a graph; recording on motion pauses and
    // resumes a recording that is never held. True when a preallocated file
    // was asked for a method that cannot have one.
    bool freeze(bool captureDeviceSource, bool audioRecording);
    const RecordingFrozen& frozen() const { return m_frozen; }
    // What recording on motion does with a recording that runs.
    MotionRecordingGate::Action motionStep(bool motion, double globalMotionRatio, qint64 nowMs);

    // The profile's values with the component's over them (-1 leaves the
    // profile's), which are also set in the profile.
    AsfValues asfValues(TASFXML& xml) const;

    // The recording that runs.
    bool active = false;
    bool paused = false;
    std::atomic<bool> held{false};
    std::atomic<qint64> heldFrames{0};
    QString writtenFile;   // the file the writer writes, the one the host is told of
    int counterIndex = -1; // the sequential counter that named it
    int counterNumber = 0;
    std::atomic<qint64> framesWritten{0};
    std::atomic<bool> writerEnded{false};
    std::atomic<qint64> lastStreamTime{0};
    // The time of a frame: a paused recording's time stands still and runs
    // on after it (the streaming thread).
    qint64 frameTime(qint64 streamTime) const;
    // The recording clock pauses and resumes at the last stream time.
    void pauseClock();
    void resumeClock();

    // The gates: a branch queue's output, taken over (nullptr for none).
    GstPad* gatePad(int which) const { return m_gates[size_t(which)].pad; }
    void setGatePad(int which, GstPad* pad) { m_gates[size_t(which)].pad = pad; }
    int gateMode(int which) const { return m_gates[size_t(which)].mode; }
    void setGate(int which, int mode);
    void clearGates();
    // The writer's elements (in the pipeline) and inputs (the part's references).
    QList<GstElement*>& writerElements() { return m_writerElements; }
    QList<GstPad*>& writerInputs() { return m_writerInputs; }
    bool writerAttached() const { return !m_writerElements.isEmpty(); }
    // A new writer's frames are counted at its input and its end of stream
    // seen at its sink's input.
    void watchWriter(GstPad* sinkInput, GstPad* writerInput);
    // Each branch ends the file on its next frame; true when the writer saw
    // the end of stream within the time.
    bool finishWriter(int timeoutMs);
    // The writer unlinked from the gates and taken out of the pipeline.
    void detachWriter(GstElement* pipeline);
    // The run state and the clock of a graph that is gone.
    void resetRun();

private:
    struct Gate {
        GstPad* pad = nullptr;
        gulong probe = 0;
        int mode = gateOpen;
    };

    RecordingSettings m_settings;
    RecordingFrozen m_frozen;
    std::optional<MotionRecordingGate> m_motionGate;
    mutable QMutex m_clockLock;
    RecordingClock m_clock; // under the clock lock
    std::array<Gate, 2> m_gates;
    std::array<std::atomic<bool>, 2> m_gateEnded{};
    QList<GstElement*> m_writerElements;
    QList<GstPad*> m_writerInputs;
};

} // namespace velmar::video
