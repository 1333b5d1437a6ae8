#pragma once
// The hand-over of sentences from a reader thread to the user-interface
// thread, in batches and bounded.
//
// The reader appends what one read of its port gave and wakes the
// user-interface thread only when nothing was waiting; that thread takes
// everything waiting at once. When as many sentences wait as the queue holds,
// the reader stops reading its port until the user-interface thread has taken
// them: the port's own buffers then fill, and a writer that can wait (a
// pseudo-terminal, a socket) waits, so memory stays flat whatever the rate.
//
// SentenceQueue is shared by one reader thread and the user-interface thread.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace velmar::nmeaserver {

// Sentences back to back in one buffer; clearing keeps the room, so a batch
// that is filled and emptied again allocates nothing.
class SentenceBatch {
public:
    void append(std::string_view text)
    {
        m_bytes.append(text);
        m_ends.push_back(uint32_t(m_bytes.size()));
    }
    void clear()
    {
        m_bytes.clear();
        m_ends.clear();
    }
    std::size_t size() const { return m_ends.size(); }
    bool empty() const { return m_ends.empty(); }
    std::string_view operator[](std::size_t i) const
    {
        const uint32_t begin = i == 0 ? 0 : m_ends[i - 1];
        return std::string_view(m_bytes).substr(begin, m_ends[i] - begin);
    }
    void swap(SentenceBatch& other) noexcept
    {
        m_bytes.swap(other.m_bytes);
        m_ends.swap(other.m_ends);
    }

private:
    std::string m_bytes;
    std::vector<uint32_t> m_ends;
};

class SentenceQueue {
public:
    // Sentences that may wait before the reader stops reading; one read's
    // worth more can come on top.
    static constexpr std::size_t Capacity = 128;

    // Reader thread. Moves the batch's sentences in (the batch is left empty).
    // True when the user-interface thread must be woken to take them.
    bool handOver(SentenceBatch& batch);
    // Reader thread. True when the queue is full; the reader is then marked
    // as waiting to be resumed.
    bool full();

    // User-interface thread. Everything waiting, in `into` (emptied first).
    // True when the reader stopped reading and must now be resumed.
    bool take(SentenceBatch& into);

private:
    std::mutex m_mutex;
    SentenceBatch m_waiting;
    bool m_wakeSent = false;
    bool m_readerWaiting = false;
};

} // namespace velmar::nmeaserver
