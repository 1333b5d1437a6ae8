#pragma once
// The recorder thread: a QThread that owns one RecorderEngine and drains its
// sample ring every tenth of a second. The recorder window talks to it only
// through these calls (queued to the thread) and the engine's signals
// (queued back); nothing here waits on the window, so shutting down cannot
// deadlock.
//
// Created and destroyed on the user-interface thread.
#include "recorder/RecorderEngine.h"

#include <QThread>

namespace velmar::recorder {

// Milliseconds between two drains of the sample ring.
inline constexpr int DrainIntervalMs = 100;
// The longest a stop may take before the owner gives up waiting.
inline constexpr int StopWaitMs = 10000;

class RecorderThread {
public:
    RecorderThread(InputFactory factory, sound::RecordingServices services);
    // Stops the input, closes the file and ends the thread, waiting at most
    // StopWaitMs.
    ~RecorderThread();
    RecorderThread(const RecorderThread&) = delete;
    RecorderThread& operator=(const RecorderThread&) = delete;

    // Connect to its signals with a receiver on the caller's thread (queued).
    RecorderEngine* engine() const { return m_engine; }
    int status() const { return m_engine->status(); }

    void start(const sound::RECORDINGINFO& recording, int startType);
    void stop();
    void split();
    // Posts a stop and waits, at most timeoutMs, until the device is stopped.
    bool stopAndWait(int timeoutMs);

private:
    QThread m_thread;
    RecorderEngine* m_engine; // lives on m_thread; deleted there
};

} // namespace velmar::recorder
