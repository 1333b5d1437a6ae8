#pragma once
// A lock-free ring of 16-bit samples between exactly one producer (a sound
// callback on its driver's thread, or a poll on the owner's thread) and
// exactly one consumer (the thread that owns the input). The producer never
// waits and never allocates: what does not fit is dropped and counted, so a
// stalled consumer loses the newest sound instead of blocking the device,
// and the owner can say how much was lost.
//
// Made and destroyed on the consumer's thread while no producer runs.
// push() and ringBell(): producer only. pop() and takeBell(): consumer only.
// available(), capacity(), channels(), dropped(), bell(): any thread.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmar::sound {

// The least a ring holds: this many of the largest blocks a device hands
// over at once, so that a device's whole block always finds room while the
// consumer takes the one before.
inline constexpr std::size_t MinRingBlocks = 3;

// Samples of a ring that holds `wantedSamples` and at least MinRingBlocks
// blocks of `blockSamples`.
std::size_t InputRingSamples(std::size_t wantedSamples, std::size_t blockSamples);

class SampleRing {
public:
    // capacitySamples is rounded up to a whole number of frames. With a
    // bell, every push and ringBell() wakes the consumer through an eventfd
    // (bell()), which a socket notifier can watch.
    SampleRing(std::size_t capacitySamples, int channels, bool withBell = false);
    ~SampleRing();
    SampleRing(const SampleRing&) = delete;
    SampleRing& operator=(const SampleRing&) = delete;

    // Producer only. Takes the whole frames that fit; returns the samples
    // taken. What does not fit is counted in dropped().
    std::size_t push(const int16_t* samples, std::size_t count);
    // Producer only: wakes the consumer without samples (a problem to tell).
    void ringBell();
    // Consumer only. Copies at most maxSamples (whole frames) out.
    std::size_t pop(int16_t* out, std::size_t maxSamples);
    // Consumer only: quiets the bell before the consumer looks at the ring.
    void takeBell();

    std::size_t available() const;
    std::size_t capacity() const { return m_buffer.size(); }
    int channels() const { return int(m_frame); }
    // Samples the producer had to drop since construction.
    uint64_t dropped() const { return m_dropped.load(std::memory_order_relaxed); }
    // The eventfd of the bell; -1 without one (or when none could be made).
    int bell() const { return m_bell; }

private:
    std::vector<int16_t> m_buffer;
    std::size_t m_frame;
    // Monotonic counters; index = counter % capacity.
    std::atomic<uint64_t> m_written{0};
    std::atomic<uint64_t> m_read{0};
    std::atomic<uint64_t> m_dropped{0};
    int m_bell = -1;
};

} // namespace velmar::sound
