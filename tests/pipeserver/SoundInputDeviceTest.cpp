// Pelvane's device on a shared sound input, over an input in memory whose
// "driver" pushes from the test: the samples reach the engine whole and in
// order, the rate the input settles is the device's, and every loss (scans
// the ring could not take, the input's own gaps and lost frames) reaches the
// status line.
#include "pipeserver/backend/SoundInputDevice.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using namespace velmar;
using namespace velmar::pipeserver;

namespace {

struct Driver {
    sound::SampleRing* ring = nullptr;
    int channels = 0;
    qint64 lost = 0;
    int gaps = 0;
    bool stopped = false;
};

class MemoryInput : public sound::SoundInput {
public:
    explicit MemoryInput(Driver& d) : m_d(d) {}
    bool prepare(sound::InputSettings& s) override
    {
        s.sampleRate = 32000; // as a JACK server at its own rate
        return true;
    }
    std::size_t blockSamples() const override { return 512; }
    bool start(sound::InputSettings& s, sound::SampleRing& ring) override
    {
        m_d.ring = &ring;
        m_d.channels = s.channels;
        return true;
    }
    void stop() override { m_d.stopped = true; }
    qint64 lostFrames() const override { return m_d.lost; }
    int gaps() const override { return m_d.gaps; }

private:
    Driver& m_d;
};

struct Events : DeviceEvents {
    int rate = 0;
    std::vector<int16_t> samples;
    QStringList status;
    QString failed;
    bool stopped = false;
    void deviceStarted(int sampleRate) override { rate = sampleRate; }
    void deviceStartFailed(const QString& text, const QString&) override { failed = text; }
    void deviceStopped(const QString&) override { stopped = true; }
    void deviceBlock(const int16_t* s, qsizetype count) override { samples.insert(samples.end(), s, s + count); }
    void deviceStatus(const QString& text) override { status << text; }
};

} // namespace

TEST(SoundInputDevice, HandsOnWholeScansAndTellsEveryLoss)
{
    Driver driver;
    Events events;
    SoundInputDevice device(std::make_unique<MemoryInput>(driver), QStringLiteral("JACK xruns"), false);
    PipeSettings settings;
    settings.ScanLength = 2;
    settings.ScanList[0] = 0;
    settings.ScanList[1] = 1;
    settings.BufferSeconds = 1;
    device.start(settings, events);
    ASSERT_TRUE(events.failed.isEmpty()) << events.failed.toStdString();
    EXPECT_EQ(events.rate, 32000);
    ASSERT_NE(driver.ring, nullptr);
    ASSERT_EQ(driver.ring->capacity(), 64000u) << "a second of the input's rate";

    std::vector<int16_t> scans(1000);
    for (std::size_t i = 0; i < scans.size(); ++i)
        scans[i] = int16_t(i);
    driver.ring->push(scans.data(), scans.size());
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.samples.size() == scans.size(); }, 5000));
    EXPECT_EQ(events.samples, scans);
    EXPECT_TRUE(events.status.isEmpty()) << events.status.join('\n').toStdString();

    // The acquisition thread falls behind by more than the ring holds, and
    // the input reports a gap of 100 frames.
    std::vector<int16_t> flood(70000, 7);
    driver.ring->push(flood.data(), flood.size());
    driver.lost = 100;
    driver.gaps = 1;
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.status.size() >= 2; }, 5000));
    EXPECT_TRUE(events.status.contains("JACK xruns: 1 (samples lost)")) << events.status.join('\n').toStdString();
    EXPECT_TRUE(events.status.contains("6200 samples lost: the acquisition thread fell behind"))
        << events.status.join('\n').toStdString();

    device.stop();
    EXPECT_TRUE(driver.stopped);
    EXPECT_TRUE(events.stopped);
    EXPECT_EQ(events.samples.size(), scans.size() + 64000);
}
