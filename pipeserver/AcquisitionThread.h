#pragma once
// The acquisition thread of Pelvane and the user-interface thread's way to
// its engine: calls that wait for the engine's answer, always with a bound,
// and posts that do not wait. The engine's signals reach the caller's thread
// queued.
//
// Made, used and destroyed on the user-interface thread.
#include "pipeserver/AcquisitionEngine.h"

#include <QSemaphore>
#include <QThread>

#include <functional>
#include <memory>
#include <optional>

namespace velmar::pipeserver {

class AcquisitionThread {
public:
    AcquisitionThread(AcquisitionEngine::DeviceFactory factory, AcquisitionEngine::Clock clock);
    ~AcquisitionThread(); // closes the pipes, stops the device, ends the thread
    AcquisitionThread(const AcquisitionThread&) = delete;
    AcquisitionThread& operator=(const AcquisitionThread&) = delete;

    // For connecting to its signals; never call it from here.
    AcquisitionEngine* engine() const { return m_engine; }

    // Runs fn on the acquisition thread and returns its result, or nothing
    // when it did not answer within timeoutMs.
    template <typename R>
    std::optional<R> call(std::function<R(AcquisitionEngine&)> fn, int timeoutMs) const
    {
        struct Shared {
            QSemaphore done;
            R value{};
        };
        auto shared = std::make_shared<Shared>();
        post([shared, fn = std::move(fn)](AcquisitionEngine& e) {
            shared->value = fn(e);
            shared->done.release();
        });
        if (!shared->done.tryAcquire(1, timeoutMs))
            return std::nullopt;
        return shared->value;
    }
    void post(std::function<void(AcquisitionEngine&)> fn) const;

private:
    QThread m_thread;
    AcquisitionEngine* m_engine;
};

// How long the user-interface thread waits for the engine: opening a device
// may take a while, but never longer than a consumer waits for its answer.
inline constexpr int EngineCallTimeoutMs = 8000;
// The acquisition thread's real-time priority where it may have one: above
// ordinary programs, below a JACK server's own threads.
inline constexpr int AcquisitionRealTimePriority = 5;

} // namespace velmar::pipeserver
