#include "PtyPair.h"

#include "nmeaserver/ReaderStatus.h"
#include "nmeaserver/SerialPortWorker.h"
#include "nmeaserver/SerialThread.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

using namespace velmar::nmeaserver;

namespace {

struct Recorder {
    QList<QByteArray> sentences;
    QList<int> batchSizes;
    QList<int> statuses;
    explicit Recorder(SerialThread& t)
    {
        QObject::connect(&t, &SerialThread::sentencesReceived, [this](const QString&, const SentenceBatch& b) {
            batchSizes << int(b.size());
            for (size_t i = 0; i < b.size(); ++i)
                sentences << QByteArray(b[i].data(), qsizetype(b[i].size()));
        });
        QObject::connect(&t, &SerialThread::statusChanged, [this](const QString&, int c) { statuses << c; });
    }
};

SerialThread::WorkerFactory worker(const QString& port, int baud, int timeoutMs)
{
    return [=]() -> ReaderWorker* { return new SerialPortWorker(port, baud, timeoutMs); };
}

} // namespace

// A reader on the port end of a fresh pair, reading.
class SerialReader : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ready());
        reader.Start(worker(pty.port(), 4800, 60000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return rec.statuses.contains(StatusStarting); }, 10000));
    }
    PtyPair pty;
    SerialThread reader{pty.port()};
    Recorder rec{reader};
};

TEST_F(SerialReader, ReadsSentencesFromAPortStopsWithoutBlockingAndTimesOut)
{
    reader.Start(worker("/nonexistent", 4800, 60000)); // a running reader goes on unchanged
    // Bit 7 is the unchecked parity bit of 7-bit data.
    QByteArray parity = "$GPGGA,2\r\n";
    parity[3] = char(parity[3] | 0x80);
    // The last line is handed on at its line end, with no sentence after it.
    ASSERT_TRUE(pty.write("junk\r\n$GPRMC,0\r\n$GPRMC,1\r\n!AIVDM,1\r\n" + parity));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rec.sentences.size() >= 3; }, 10000));
    EXPECT_EQ(rec.sentences, QList<QByteArray>({"$GPRMC,1\r", "!AIVDM,1\r", "$GPGGA,2\r"}));

    QElapsedTimer clock;
    clock.start();
    reader.Stop();
    // A stop that waited for the reader thread would take its whole join time
    // (seconds); a loaded machine may still need a moment to return.
    EXPECT_LT(clock.elapsed(), 1000) << "Stop returns at once";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !reader.isRunning(); }, 10000));
    EXPECT_EQ(rec.statuses.last(), StatusIdle);

    // The same port again with a short time-out: silence ends the reader.
    rec.statuses.clear();
    reader.Start(worker(pty.port(), 4800, 100));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reader.isRunning() && !rec.statuses.isEmpty(); }, 10000));
    EXPECT_EQ(rec.statuses, QList<int>({StatusStarting, StatusTimeOut}));
}

TEST_F(SerialReader, StopsReadingWhileItsSentencesWaitAndLosesNoneOfThem)
{
    constexpr int Count = 5000;
    QByteArray all;
    for (int i = 0; i <= Count; ++i)
        all += "$GPGGA," + QByteArray::number(i) + "\r\n";
    bool written = false;
    std::thread writer([&] { written = pty.write(all); });
    // Nothing is taken meanwhile: the reader must stop at the queue's bound
    // (and one read more), and the writer wait. The user-interface thread is
    // kept busy on purpose (a wait for a condition would take the sentences):
    // the stretch it takes nothing is what is under test.
    QThread::msleep(500);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rec.sentences.size() >= Count; }, 20000));
    writer.join();
    EXPECT_TRUE(written);
    ASSERT_FALSE(rec.batchSizes.isEmpty());
    EXPECT_LE(rec.batchSizes.first(), int(SentenceQueue::Capacity) + 4096 / 10);
    ASSERT_EQ(rec.sentences.size(), Count);
    for (int i = 0; i < Count; ++i)
        ASSERT_EQ(rec.sentences[i], "$GPGGA," + QByteArray::number(i + 1) + "\r") << i;
}

// An instrument line brings a sentence every few milliseconds: they reach the
// user-interface thread a few at a time, each stamped with the moment it was
// read, none lost and in order.
TEST_F(SerialReader, HandsATrickleOnInBatchesStampedWhenRead)
{
    constexpr int Count = 40;
    QList<std::chrono::steady_clock::time_point> stamps;
    QObject::connect(&reader, &SerialThread::sentencesReceived, [&](const QString&, const SentenceBatch& b) {
        for (size_t i = 0; i < b.size(); ++i)
            stamps << b.readAt(i);
    });
    const auto begin = std::chrono::steady_clock::now();
    std::thread writer([&] {
        for (int i = 0; i <= Count; ++i) {
            pty.write("$HEHDT," + QByteArray::number(i) + ",T\r\n");
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    const bool all = QTest::qWaitFor([&] { return rec.sentences.size() >= Count; }, 20000);
    writer.join();
    ASSERT_TRUE(all);
    const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - begin);
    for (int i = 0; i < Count; ++i)
        ASSERT_EQ(rec.sentences[i], "$HEHDT," + QByteArray::number(i + 1) + ",T\r") << i;
    // One wake per hand-over delay at most (and one for the last ones), not one per sentence.
    EXPECT_LE(rec.batchSizes.size(), int(spent / SentenceQueue::HandOverDelay) + 2) << spent.count() << " ms";
    EXPECT_LT(rec.batchSizes.size(), Count / 2);
    ASSERT_EQ(stamps.size(), Count);
    EXPECT_GT(stamps.first(), begin);
    EXPECT_TRUE(std::is_sorted(stamps.begin(), stamps.end()));
    EXPECT_LT(stamps.first() + std::chrono::milliseconds(200), stamps.last()) << "read as they came, not at the end";
}

TEST_F(SerialReader, OverflowBadPortsAndRefusedSettingsEndTheReader)
{
    ASSERT_TRUE(pty.write(QByteArray(300, 'U')));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reader.isRunning(); }, 10000));
    EXPECT_EQ(rec.statuses, QList<int>({StatusStarting, StatusOverflow}));

    rec.statuses.clear();
    reader.Start(worker(pty.folder() + "/missing", 4800, 60000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reader.isRunning(); }, 10000));
    EXPECT_EQ(rec.statuses, QList<int>({StatusPortError}));

    // A rate never set is refused, and the port is closed again: the next
    // reader can open it.
    rec.statuses.clear();
    reader.Start(worker(pty.port(), 0, 60000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reader.isRunning(); }, 10000));
    EXPECT_EQ(rec.statuses, QList<int>({StatusPortError}));
    reader.Start(worker(pty.port(), 9600, 60000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rec.statuses.size() == 2; }, 10000));
    EXPECT_EQ(rec.statuses.last(), StatusStarting);
    reader.Stop();
    // A Start while the old thread is still ending starts a new one after it.
    reader.Start(worker(pty.port(), 9600, 60000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rec.statuses.size() == 4; }, 10000));
    EXPECT_EQ(rec.statuses.mid(2), QList<int>({StatusIdle, StatusStarting}));
}
