#include "nmeaserver/NmeaServer.h"
#include "nmeaserver/SentenceQueue.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace velmar::nmeaserver;
using namespace std::chrono_literals;
using velmar::platform::SystemTime;

namespace {
SentenceBatch batchOf(int count, SteadyTime readAt = {})
{
    SentenceBatch b;
    for (int i = 0; i < count; ++i)
        b.append("$GPGGA,1\r", readAt);
    return b;
}
} // namespace

// A reader hands over what each read gave; the user-interface thread is woken
// once the first of the waiting sentences has waited the delay, or when many
// wait, and once only until it has taken them.
TEST(SentenceQueue, WakesTheUserInterfaceOncePerDelayNotPerSentence)
{
    const SteadyTime t0 = std::chrono::steady_clock::now();
    const auto delay = SentenceQueue::HandOverDelay;
    SentenceQueue queue;
    SentenceBatch read = batchOf(1, t0);

    SentenceQueue::HandOver h = queue.handOver(read, t0);
    EXPECT_FALSE(h.wakeNow) << "the first sentence waits";
    ASSERT_TRUE(h.wakeIn);
    EXPECT_GE(*h.wakeIn, delay) << "a quiet line still gets it handed on, a little later";
    EXPECT_TRUE(read.empty());

    read = batchOf(1);
    h = queue.handOver(read, t0 + delay / 2);
    EXPECT_FALSE(h.wakeNow);
    read = batchOf(1);
    h = queue.handOver(read, t0 + delay);
    EXPECT_TRUE(h.wakeNow) << "the first has waited the delay";
    read = batchOf(1);
    h = queue.handOver(read, t0 + 2 * delay);
    EXPECT_FALSE(h.wakeNow) << "woken already, not yet taken";
    EXPECT_FALSE(h.wakeIn);
    EXPECT_FALSE(queue.wakeDue());

    SentenceBatch taken;
    EXPECT_FALSE(queue.take(taken));
    ASSERT_EQ(taken.size(), 4u);
    EXPECT_EQ(taken.readAt(0), t0) << "each sentence keeps the moment it was read";
    EXPECT_EQ(taken[3], "$GPGGA,1\r");

    // Taken: the next sentence starts a new wait; the reader's timer ends it.
    read = batchOf(1);
    h = queue.handOver(read, t0 + 3 * delay);
    EXPECT_FALSE(h.wakeNow);
    EXPECT_TRUE(queue.wakeDue());
    EXPECT_FALSE(queue.wakeDue()) << "once";
    queue.take(taken);
    EXPECT_FALSE(queue.wakeDue()) << "nothing waits";

    // Many at once, or no delay at all: woken at once.
    read = batchOf(int(SentenceQueue::WakeCount));
    EXPECT_TRUE(queue.handOver(read, t0).wakeNow);
    queue.take(taken);
    read = batchOf(1);
    EXPECT_TRUE(queue.handOver(read, t0, 0ms).wakeNow);
}

// The clock is read once per batch, but a sentence that waited in the batch is
// stamped with the time it was read, and the clock form learns that moment.
TEST(NmeaServer, SentencesOfABatchKeepTheTimeTheyWereRead)
{
    const SystemTime noon{2026, 6, 1, 1, 12, 0, 0, 0};
    NmeaServer server([&] { return noon; });
    const SteadyTime now = std::chrono::steady_clock::now();
    SentenceBatch batch;
    batch.append("$GPGGA,1\r", now - 1500ms);
    batch.append("$GPRMC,2\r", now - 1500ms);
    batch.append("$HEHDT,3\r"); // read time not known: the batch's time
    const DataThing* rmc = nullptr;
    QObject::connect(&server, &NmeaServer::rmcStored, [&](const DataThing& e) { rmc = &e; });
    server.OnSentences("/dev/ttyS0", batch);

    const DataThing* gga = server.store().FindSentence("GPGGA");
    const DataThing* hdt = server.store().FindSentence("HEHDT");
    ASSERT_TRUE(gga && hdt && rmc);
    // Read 1.5 s before the batch was handled (a few milliseconds of which
    // may pass while it is).
    EXPECT_EQ(gga->Received.wSecond, 58);
    EXPECT_NEAR(gga->Received.wMilliseconds, 500, 100);
    EXPECT_EQ(rmc->Received, gga->Received);
    EXPECT_EQ(rmc->Arrived, now - 1500ms);
    EXPECT_EQ(hdt->Received, noon);
    EXPECT_EQ(hdt->Arrived, SteadyTime{});
    EXPECT_EQ(server.recent().newest(1).received, gga->Received);
}
