#pragma once
// The hand-over of sentences from a reader thread to the user-interface
// thread, in batches and bounded.
//
// The reader appends what each read of its port gave, at once, but wakes the
// user-interface thread only once its sentences have waited a little (a
// twentieth of a second, a tenth when the line falls quiet) or enough of them
// wait: an instrument line brings a
// sentence every few milliseconds, and waking a second thread for each would
// cost more than the sentence. Each sentence keeps the moment it was read, so
// the wait shifts no time stamp. The user-interface thread takes everything
// waiting at once. When as many sentences wait as the queue holds, the reader
// stops reading its port until the user-interface thread has taken them: the
// port's own buffers then fill, and a writer that can wait (a
// pseudo-terminal, a socket) waits, so memory stays flat whatever the rate.
//
// SentenceQueue is shared by one reader thread and the user-interface thread.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmar::nmeaserver {

using SteadyTime = std::chrono::steady_clock::time_point;

// Sentences back to back in one buffer, each with the moment it was read (a
// default time: not known); clearing keeps the room, so a batch that is
// filled and emptied again allocates nothing.
class SentenceBatch {
public:
    void append(std::string_view text, SteadyTime readAt = {})
    {
        m_bytes.append(text);
        m_marks.push_back({uint32_t(m_bytes.size()), readAt});
    }
    void clear()
    {
        m_bytes.clear();
        m_marks.clear();
    }
    std::size_t size() const { return m_marks.size(); }
    bool empty() const { return m_marks.empty(); }
    std::string_view operator[](std::size_t i) const
    {
        const uint32_t begin = i == 0 ? 0 : m_marks[i - 1].end;
        return std::string_view(m_bytes).substr(begin, m_marks[i].end - begin);
    }
    SteadyTime readAt(std::size_t i) const { return m_marks[i].readAt; }
    void swap(SentenceBatch& other) noexcept
    {
        m_bytes.swap(other.m_bytes);
        m_marks.swap(other.m_marks);
    }

private:
    struct Mark {
        uint32_t end;
        SteadyTime readAt;
    };
    std::string m_bytes;
    std::vector<Mark> m_marks;
};

class SentenceQueue {
public:
    // Sentences that may wait before the reader stops reading; one read's
    // worth more can come on top.
    static constexpr std::size_t Capacity = 128;

    // As many waiting wake the user-interface thread at once, however
    // short they have waited.
    static constexpr std::size_t WakeCount = Capacity / 2;
    // How long sentences wait before the next hand-over wakes the
    // user-interface thread; when no more come, twice that.
    static constexpr std::chrono::milliseconds HandOverDelay{50};

    // What the reader must do after a hand-over.
    struct HandOver {
        bool wakeNow = false; // wake the user-interface thread now
        // Wake it this long from now unless a later hand-over did (arm a timer
        // that then calls wakeDue()).
        std::optional<std::chrono::steady_clock::duration> wakeIn;
    };
    // Reader thread. Moves the batch's sentences in (the batch is left empty).
    // delay: how long the first of them may wait (zero: wake at once).
    HandOver handOver(SentenceBatch& batch, SteadyTime now, std::chrono::steady_clock::duration delay = HandOverDelay);
    // Reader thread: the wait is over, or the reader ends. True when
    // sentences wait and the user-interface thread must now be woken.
    bool wakeDue();
    // Reader thread. True when the queue is full; the reader is then marked
    // as waiting to be resumed.
    bool full();

    // User-interface thread. Everything waiting, in `into` (emptied first).
    // True when the reader stopped reading and must now be resumed.
    bool take(SentenceBatch& into);

private:
    std::mutex m_mutex;
    SentenceBatch m_waiting;
    SteadyTime m_firstWaiting; // when the oldest waiting sentence came in
    bool m_wakeSent = false;
    bool m_readerWaiting = false;
};

} // namespace velmar::nmeaserver
