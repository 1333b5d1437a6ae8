#include "sound/input/SampleRing.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace velmar::sound {

std::size_t InputRingSamples(std::size_t wantedSamples, std::size_t blockSamples)
{
    return std::max(wantedSamples, blockSamples * MinRingBlocks);
}

SampleRing::SampleRing(std::size_t capacitySamples, int channels, bool withBell)
    : m_frame(std::size_t(std::max(1, channels)))
{
    const std::size_t frames = std::max<std::size_t>(1, (capacitySamples + m_frame - 1) / m_frame);
    m_buffer.assign(frames * m_frame, 0);
    if (withBell)
        m_bell = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

SampleRing::~SampleRing()
{
    if (m_bell >= 0)
        ::close(m_bell);
}

std::size_t SampleRing::push(const int16_t* samples, std::size_t count)
{
    const uint64_t w = m_written.load(std::memory_order_relaxed);
    const uint64_t r = m_read.load(std::memory_order_acquire);
    const std::size_t room = m_buffer.size() - std::size_t(w - r);
    std::size_t n = std::min(count, room);
    n -= n % m_frame;
    if (n < count)
        m_dropped.fetch_add(count - n, std::memory_order_relaxed);
    const std::size_t at = std::size_t(w % m_buffer.size());
    const std::size_t first = std::min(n, m_buffer.size() - at);
    std::memcpy(m_buffer.data() + at, samples, first * sizeof(int16_t));
    std::memcpy(m_buffer.data(), samples + first, (n - first) * sizeof(int16_t));
    m_written.store(w + n, std::memory_order_release);
    ringBell();
    return n;
}

void SampleRing::ringBell()
{
    if (m_bell < 0)
        return;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_bell, &one, sizeof one);
}

void SampleRing::takeBell()
{
    if (m_bell < 0)
        return;
    uint64_t rings;
    [[maybe_unused]] const ssize_t n = ::read(m_bell, &rings, sizeof rings);
}

std::size_t SampleRing::pop(int16_t* out, std::size_t maxSamples)
{
    const uint64_t r = m_read.load(std::memory_order_relaxed);
    const uint64_t w = m_written.load(std::memory_order_acquire);
    std::size_t n = std::min(maxSamples, std::size_t(w - r));
    n -= n % m_frame;
    const std::size_t at = std::size_t(r % m_buffer.size());
    const std::size_t first = std::min(n, m_buffer.size() - at);
    std::memcpy(out, m_buffer.data() + at, first * sizeof(int16_t));
    std::memcpy(out + first, m_buffer.data(), (n - first) * sizeof(int16_t));
    m_read.store(r + n, std::memory_order_release);
    return n;
}

std::size_t SampleRing::available() const
{
    return std::size_t(m_written.load(std::memory_order_acquire) - m_read.load(std::memory_order_acquire));
}

} // namespace velmar::sound
