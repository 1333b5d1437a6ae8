#include "nmeaserver/SentenceQueue.h"

namespace velmar::nmeaserver {

namespace {
constexpr int QuietLineWait = 2; // times the delay
} // namespace

SentenceQueue::HandOver SentenceQueue::handOver(SentenceBatch& batch, SteadyTime now,
                                                std::chrono::steady_clock::duration delay)
{
    if (batch.empty())
        return {};
    std::lock_guard lock(m_mutex);
    if (m_waiting.empty()) {
        m_waiting.swap(batch);
        m_firstWaiting = now;
    } else {
        for (std::size_t i = 0; i < batch.size(); ++i)
            m_waiting.append(batch[i], batch.readAt(i));
    }
    batch.clear();
    if (m_wakeSent)
        return {};
    const auto waited = now - m_firstWaiting;
    if (waited >= delay || m_waiting.size() >= WakeCount) {
        m_wakeSent = true;
        return {true, std::nullopt};
    }
    // The next read, a few milliseconds on, is the one that wakes it; the
    // timer is for a line that has gone quiet meanwhile.
    return {false, QuietLineWait * delay - waited};
}

bool SentenceQueue::wakeDue()
{
    std::lock_guard lock(m_mutex);
    if (m_wakeSent || m_waiting.empty())
        return false;
    m_wakeSent = true;
    return true;
}

bool SentenceQueue::full()
{
    std::lock_guard lock(m_mutex);
    if (m_waiting.size() < Capacity)
        return false;
    m_readerWaiting = true;
    return true;
}

bool SentenceQueue::take(SentenceBatch& into)
{
    into.clear();
    std::lock_guard lock(m_mutex);
    into.swap(m_waiting);
    m_wakeSent = false;
    const bool resume = m_readerWaiting;
    m_readerWaiting = false;
    return resume;
}

} // namespace velmar::nmeaserver
