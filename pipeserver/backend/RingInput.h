#pragma once
// The hand-over from a driver's own thread to the acquisition thread: the
// driver's callback only copies whole scans into a single-producer,
// single-consumer ring and rings a bell (an eventfd); the acquisition thread
// wakes on the bell, drains the ring and hands the samples on as one block.
// A ring that is full when the callback comes loses that callback's scans,
// which are counted.
//
// Made and drained on the acquisition thread; push() only from the driver's
// thread (never blocks, never allocates).
#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

class QSocketNotifier;

namespace velmar::pipeserver {

class RingInput : public QObject {
public:
    using Drain = std::function<void(const int16_t* samples, qsizetype count)>;

    RingInput(std::size_t capacitySamples, Drain drain);
    ~RingInput() override;

    bool isOK() const { return m_bell >= 0; }
    // Driver's thread.
    bool push(const int16_t* samples, std::size_t count);
    // Driver's thread: something for the acquisition thread to notice.
    void raiseFlag()
    {
        m_flag.store(true, std::memory_order_release);
        ring();
    }
    bool takeFlag() { return m_flag.exchange(false, std::memory_order_acq_rel); }
    qint64 lostSamples() const { return m_lost.load(std::memory_order_relaxed); }
    // Acquisition thread: hands on what the ring holds now.
    void drain();
    void setOnFlag(std::function<void()> onFlag) { m_onFlag = std::move(onFlag); }

private:
    void ring();

    std::vector<int16_t> m_ring;
    std::vector<int16_t> m_out;
    std::atomic<std::size_t> m_head{0}; // written by the producer
    std::atomic<std::size_t> m_tail{0}; // written by the consumer
    std::atomic<qint64> m_lost{0};
    std::atomic<bool> m_flag{false};
    int m_bell = -1;
    QSocketNotifier* m_notifier = nullptr;
    Drain m_drain;
    std::function<void()> m_onFlag;
};

} // namespace velmar::pipeserver
