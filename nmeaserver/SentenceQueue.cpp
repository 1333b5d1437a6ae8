#include "nmeaserver/SentenceQueue.h"

namespace velmar::nmeaserver {

bool SentenceQueue::handOver(SentenceBatch& batch)
{
    if (batch.empty())
        return false;
    std::lock_guard lock(m_mutex);
    if (m_waiting.empty())
        m_waiting.swap(batch);
    else
        for (std::size_t i = 0; i < batch.size(); ++i)
            m_waiting.append(batch[i]);
    batch.clear();
    const bool wake = !m_wakeSent;
    m_wakeSent = true;
    return wake;
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
