#pragma once
// A lock-free ring of 16-bit samples between exactly one producer (a sound
// callback or a pipe poll) and exactly one consumer (the recorder thread).
// The producer never waits: what does not fit is dropped and counted, so a
// stalled consumer loses the newest sound instead of blocking the device.
#include <atomic>
#include <cstdint>
#include <vector>

namespace velmar::recorder {

class SampleRing {
public:
    // capacitySamples is rounded up to a whole number of frames.
    SampleRing(std::size_t capacitySamples, int channels);

    // Producer only. Takes whole frames; returns the samples taken.
    std::size_t push(const int16_t* samples, std::size_t count);
    // Consumer only. Copies at most maxSamples (whole frames) out.
    std::size_t pop(int16_t* out, std::size_t maxSamples);
    // Either side: samples waiting.
    std::size_t available() const;
    std::size_t capacity() const { return m_buffer.size(); }
    // Samples the producer had to drop since construction.
    uint64_t dropped() const { return m_dropped.load(std::memory_order_relaxed); }

private:
    std::vector<int16_t> m_buffer;
    std::size_t m_frame;
    // Monotonic counters; index = counter % capacity.
    std::atomic<uint64_t> m_written{0};
    std::atomic<uint64_t> m_read{0};
    std::atomic<uint64_t> m_dropped{0};
};

} // namespace velmar::recorder
