#pragma once
// The deck's playback: one stored recording played in real time to the
// speakers (masked channels mixed, optional filter and gain) and, unfiltered,
// into the pipes of the click and whistle detectors, chaining into the next
// track, reporting levels, state and position.
//
// Two ways of pacing: with at least one speaker channel the sound output
// paces everything and each block heard is what then goes into the pipes;
// without one the pipes are topped up as fast as the detectors empty them.
//
// One DeckPlayer per deck; it keeps no state outside the object. Single
// threaded: the thread that owns it (the deck engine's) calls every method
// but state() and position(), which any thread may call. It never waits on
// anything but the bounded calls of its DetectorLink and DeckHost: waiting
// for the detectors to finish after a playback is a step at a time, driven by
// windUpStep().
#include "deck/DeckBlock.h"
#include "deck/DeckSettings.h"
#include "platform/SystemTime.h"
#include "sound/WavHeader.h"

#include <QString>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QIODevice;

namespace velmar::sound {
class SamplePipeServer;
}

namespace velmar::deck {

class AudioOutput;
class DigitalFilter;

enum DeckState : int32_t { DeckStopped = 0, DeckPlaying = 1, DeckStarting = 2, DeckStopping = 4 };

// Pacing and waiting, as the deck has always done them.
inline constexpr int DeckBuffersQueued = 20; // blocks of 1/20 s: about one second queued
inline constexpr int DeckBlocksPerSecond = 20;
inline constexpr int PipeChunksPerSecond = 10; // timer mode tops up in tenths of a second
inline constexpr int PipePumpIntervalMs = 20;
inline constexpr int DetectorWaitIntervalMs = 100;
inline constexpr int DetectorWaitQuestions = 52; // about five seconds
inline constexpr int AdcStatusTimeoutMs = 50;
// Our bound on every other question to a detector (Windows waited forever).
inline constexpr int DetectorSendTimeoutMs = 2000;
// A detector still on the bus that answers no question for this long is
// taken for dead, like one that has left the bus or closed its pipe.
inline constexpr int DetectorSilenceLimitMs = 2000;

inline constexpr const char* ClickDetectorClass = "QuintraADCWndClass";
inline constexpr const char* WhistleDetectorClass = "WhistleADCWndClass";
inline constexpr const char* ClickPipeName = "\\\\.\\pipe\\QuintraPipe";
inline constexpr const char* WhistlePipeName = "\\\\.\\pipe\\WhistlePipe";

inline constexpr const char* SoundCardErrorCaption = "Error starting Soundcard";
inline constexpr const char* FilterProblemCaption = "Digital Filter";
inline constexpr const char* PipeProblemCaption = "Detector Pipe";
inline constexpr const char* DetectorWaitFailureText = "MavrelWaitDetectorEnd failure - wated < 50 counts";
// %1 is the detector's pipe.
inline constexpr const char* DetectorGoneText =
    "The detector reading %1 has stopped (it no longer answers or has closed the pipe). Its pipe is closed; "
    "the rest of this playback goes to the other detector only.";

// How the engine reaches the detector programs (found by window class).
class DetectorLink {
public:
    virtual ~DetectorLink() = default;
    virtual bool present(const QString& windowClass) = 0;
    // The detector's answer, or nothing when it did not answer in time.
    virtual std::optional<qint64> send(const QString& windowClass, const QString& message, quint64 wParam,
                                       qint64 lParam, int timeoutMs) = 0;
    virtual void post(const QString& windowClass, const QString& message, quint64 wParam, qint64 lParam) = 0;
};

// The deck window as the engine sees it.
class DeckHost {
public:
    virtual ~DeckHost() = default;
    // The open file's start time, or nothing when it is not known.
    virtual std::optional<platform::SystemTime> fileStartTime() = 0;
    // The next track to continue with after `framesRead` frames, or null; the
    // deck keeps owning it (and the one it replaces).
    virtual QIODevice* nextFile(uint32_t framesRead) = 0;
    virtual void levels(const BlockLevels& levels) = 0;
    virtual void stateChanged(int state) = 0;
    virtual void message(const QString& text, const QString& caption) = 0;
};

struct DeckStart {
    sound::WAVHEADER header;   // the open file's, as the deck read it
    QIODevice* file = nullptr; // owned by the deck
    uint32_t startFrame = 0;
    DeckSettings deck; // copies taken at the start
    FilterSpec filter;
};

class DeckPlayer {
public:
    using OutputFactory = std::function<std::unique_ptr<AudioOutput>()>;
    // `engineId` is what the detectors are told in "PipeMsgGetIpDevice".
    DeckPlayer(DeckHost& host, DetectorLink& detectors, OutputFactory makeOutput, quint64 engineId);
    ~DeckPlayer();

    // The deck starts only while the state is 0. False when the file cannot
    // be positioned at the start frame or the sound output cannot be opened.
    bool start(const DeckStart& start);
    // False when already stopped; while stopping, tells the detectors again.
    bool stop();

    int state() const { return m_state.load(); }
    // Frames heard (sound output) or sent (timer mode) since the start.
    uint32_t position() const { return m_position.load(); }

    // Timer mode: tops the pipes up; the engine calls it every 20 ms while
    // pumping() and stops the playback itself when the file is done.
    bool pumping() const { return m_pumping; }
    void pumpTick();
    // Sound output: hands on the blocks that have been heard. The engine
    // calls it often (every few ms) while outputActive().
    bool outputActive() const { return m_output != nullptr && !m_windingUp; }
    void serviceOutput();
    // After the end: asks the next detector whether it has stopped; called
    // every 100 ms while windingUp().
    bool windingUp() const { return m_windingUp; }
    void windUpStep();

    // The filter of the running playback (none without one).
    const DigitalFilter* filter() const { return m_filter.get(); }

private:
    struct Detector;
    struct Block {
        uint64_t endFrame = 0; // output frames written up to the end of this block
        BlockLevels levels;
        QByteArray click, whistle;
    };

    void setState(int state);
    std::size_t readPlay(int16_t* buffer, std::size_t frames);
    bool takeNextFile();
    void openDetectorPipes();
    bool openDetector(Detector& d, const std::pair<quint64, qint64>& section);
    void writeToPipe(Detector& d, const QByteArray& bytes);
    // Closes the pipe of a detector that has gone and tells the operator, once.
    void dropDetector(Detector& d, const char* why);
    void postEndOfData();
    void closeDetectorPipes();
    std::size_t queueBlock();
    bool startSoundOutput();
    void beginWindUp();
    void finishWindUp();

    DeckHost& m_host;
    DetectorLink& m_link;
    OutputFactory m_makeOutput;
    quint64 m_engineId;

    std::atomic<int> m_state{DeckStopped};
    std::atomic<uint32_t> m_position{0};

    sound::WAVHEADER m_header;
    QIODevice* m_file = nullptr;
    DeckSettings m_settings;
    DeckRouting m_routing;
    std::unique_ptr<DigitalFilter> m_filter;
    std::optional<float> m_gain;
    uint32_t m_startFrame = 0;
    uint32_t m_framesRead = 0;
    uint32_t m_framesSent = 0;
    bool m_endOfData = false;

    std::unique_ptr<AudioOutput> m_output;
    std::size_t m_blockFrames = 0;
    uint64_t m_framesWritten = 0;
    std::deque<Block> m_blocks;
    std::vector<int16_t> m_readBuffer;
    std::vector<int16_t> m_speakerBuffer;
    bool m_pumping = false;

    std::vector<std::unique_ptr<Detector>> m_detectors; // click, whistle
    bool m_windingUp = false;
    std::size_t m_waitIndex = 0;
    int m_waitQuestions = 0;
};

// The deck's answer to the program clock: the file's start time plus the
// position, or nothing when the start time is not known (the program clock
// then falls back to its own time).
std::optional<platform::SystemTime> DeckClockTime(const std::optional<platform::SystemTime>& fileStart,
                                                  double positionSeconds);

} // namespace velmar::deck
