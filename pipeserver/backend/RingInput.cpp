#include "pipeserver/backend/RingInput.h"

#include <QSocketNotifier>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace velmar::pipeserver {

RingInput::RingInput(std::size_t capacitySamples, Drain drain)
    : m_ring(capacitySamples + 1), m_out(capacitySamples), m_drain(std::move(drain))
{
    m_bell = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_bell < 0)
        return;
    m_notifier = new QSocketNotifier(m_bell, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        uint64_t rings;
        [[maybe_unused]] const ssize_t n = ::read(m_bell, &rings, sizeof rings);
        this->drain();
        if (takeFlag() && m_onFlag)
            m_onFlag();
    });
}

RingInput::~RingInput()
{
    delete m_notifier;
    if (m_bell >= 0)
        ::close(m_bell);
}

void RingInput::ring()
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_bell, &one, sizeof one);
}

bool RingInput::push(const int16_t* samples, std::size_t count)
{
    const std::size_t size = m_ring.size();
    const std::size_t head = m_head.load(std::memory_order_relaxed);
    const std::size_t tail = m_tail.load(std::memory_order_acquire);
    const std::size_t used = (head + size - tail) % size;
    if (count > size - 1 - used) {
        m_lost.fetch_add(qint64(count), std::memory_order_relaxed);
        raiseFlag();
        return false;
    }
    const std::size_t first = std::min(count, size - head);
    std::memcpy(&m_ring[head], samples, first * sizeof(int16_t));
    std::memcpy(&m_ring[0], samples + first, (count - first) * sizeof(int16_t));
    m_head.store((head + count) % size, std::memory_order_release);
    ring();
    return true;
}

void RingInput::drain()
{
    const std::size_t size = m_ring.size();
    const std::size_t tail = m_tail.load(std::memory_order_relaxed);
    const std::size_t head = m_head.load(std::memory_order_acquire);
    const std::size_t count = (head + size - tail) % size;
    if (count == 0)
        return;
    const std::size_t first = std::min(count, size - tail);
    std::memcpy(m_out.data(), &m_ring[tail], first * sizeof(int16_t));
    std::memcpy(m_out.data() + first, &m_ring[0], (count - first) * sizeof(int16_t));
    m_tail.store((tail + count) % size, std::memory_order_release);
    m_drain(m_out.data(), qsizetype(count));
}

} // namespace velmar::pipeserver
