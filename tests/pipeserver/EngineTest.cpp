// The acquisition engine with a fake device and real pipes (local sockets of
// a fresh pipe folder): states, the pipes' lives and independent back-pressure.
#include "FakeDevice.h"

#include "pipeserver/AcquisitionEngine.h"
#include "platform/Folders.h"
#include "sound/PipeProtocol.h"
#include "sound/SamplePipe.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocalSocket>

#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace velmar;
using namespace velmar::pipeserver;
using velmar::pipeserver::testing::FakeDevice;
using velmar::pipeserver::testing::FakeDeviceScript;

namespace {

class EngineFixture : public ::testing::Test {
protected:
    EngineFixture()
        : script(std::make_shared<FakeDeviceScript>()),
          engine([s = script](const PipeSettings&) { return std::make_unique<FakeDevice>(s); },
                 [this] { return nowMs; })
    {
        for (auto& c : settings.ChannelSettings)
            c.Routing = 0;
        settings.ChannelSettings[0].Routing = RouteWhistle | RouteAutorec;
        settings.ChannelSettings[1].Routing = RouteAutorec;
        settings.SampleRate = 1000;
        settings.BufferSeconds = 3;
        engine.setSettings(settings);
        QObject::connect(&engine, &AcquisitionEngine::adcStateChanged, [this](int s) { states.push_back(s); });
        QObject::connect(&engine, &AcquisitionEngine::pipeStateChanged,
                         [this](uint bit, int s) { pipeStates[bit].push_back(s); });
        QObject::connect(&engine, &AcquisitionEngine::message,
                         [this](const QString& text, const QString& caption) { messages << caption + ": " + text; });
    }

    void settle() { QCoreApplication::processEvents(); }
    void started()
    {
        ASSERT_TRUE(script->startPending);
        script->startPending = false;
        script->events->deviceStarted(settings.SampleRate);
        settle();
    }
    void stopped()
    {
        ASSERT_TRUE(script->stopPending);
        script->stopPending = false;
        script->events->deviceStopped({});
        settle();
    }
    // Blocks of whole scans, counting up from `next` (channel 0 even, channel 1 odd).
    void deliver(int scans)
    {
        std::vector<int16_t> block;
        for (int i = 0; i < scans * 2; ++i)
            block.push_back(int16_t(next++));
        script->events->deviceBlock(block.data(), qsizetype(block.size()));
    }
    static std::unique_ptr<sound::SamplePipeReader> connectTo(uint32_t bit)
    {
        auto reader = std::make_unique<sound::SamplePipeReader>();
        EXPECT_TRUE(reader->open(QString::fromLatin1(sound::PipeRouteOfBit(bit)->pipeName), 1000));
        return reader;
    }
    static std::vector<int16_t> readAll(sound::SamplePipeReader& reader)
    {
        QByteArray bytes;
        for (int i = 0; i < 50 && (bytes.isEmpty() || reader.bytesAvailable() > 0); ++i)
            bytes += reader.read(1 << 20);
        std::vector<int16_t> v(std::size_t(bytes.size() / 2));
        memcpy(v.data(), bytes.constData(), v.size() * 2);
        return v;
    }

    qint64 nowMs = 0;
    int next = 0;
    std::shared_ptr<FakeDeviceScript> script;
    PipeSettings settings;
    AcquisitionEngine engine;
    std::vector<int> states;
    std::map<uint, std::vector<int>> pipeStates;
    QStringList messages;
};

} // namespace

TEST_F(EngineFixture, StatesFollowTheFirstOpenAndTheLastCloseAndStartsWaitForIdle)
{
    engine.openOutputPipe(RouteWhistle);
    EXPECT_EQ(engine.adcState(), AdcStarting);
    engine.openOutputPipe(RouteAutorec); // a start in state 2 does nothing
    engine.openOutputPipe(RouteWhistle); // already open
    engine.openOutputPipe(8);            // names no pipe
    EXPECT_EQ(script->starts, 1);
    started();
    EXPECT_EQ(engine.adcState(), AdcRunning);

    engine.closeOutputPipe(RouteWhistle);
    EXPECT_EQ(engine.adcState(), AdcRunning);
    engine.closeOutputPipe(RouteAutorec);
    EXPECT_EQ(engine.adcState(), AdcStopping);

    // A consumer asks for its pipe while the device stops: the device is
    // started again once the stop is through, and the pipe is fed.
    engine.openOutputPipe(RouteAutorec);
    EXPECT_EQ(script->starts, 1);
    auto reader = connectTo(RouteAutorec);
    next = 100;
    deliver(2); // the tail of the stopping device: not for the new consumer
    next = 0;
    stopped();
    EXPECT_EQ(engine.adcState(), AdcStarting);
    EXPECT_EQ(script->starts, 2);
    started();
    deliver(4);
    EXPECT_EQ(readAll(*reader), (std::vector<int16_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    engine.closeOutputPipe(RouteAutorec);
    stopped();
    EXPECT_EQ(states, (std::vector<int>{2, 1, 3, 0, 2, 1, 3, 0}));
    EXPECT_EQ(pipeStates[RouteWhistle], (std::vector<int>{PipeStarting, PipeIdle}));
    EXPECT_EQ(pipeStates[RouteAutorec],
              (std::vector<int>{PipeStarting, PipeIdle, PipeStarting, PipeFilling, PipeIdle}));
    EXPECT_FALSE(script->live);
    EXPECT_TRUE(messages.isEmpty());
}

// A device that runs at another rate than the settings say sends nothing
// until that rate is published, so no consumer reads samples at a rate the
// file does not tell yet; with nobody to publish it, nothing is held.
TEST_F(EngineFixture, ADeviceAtAnotherRateFeedsThePipesOnlyOnceItsRateIsPublished)
{
    std::vector<int> found;
    QObject::connect(&engine, &AcquisitionEngine::sampleRateFound, [&](int rate) { found.push_back(rate); });
    engine.openOutputPipe(RouteAutorec);
    auto reader = connectTo(RouteAutorec);
    script->startPending = false;
    script->events->deviceStarted(2000);
    next = 100;
    deliver(1); // before the engine's turn
    settle();
    EXPECT_EQ(found, std::vector<int>{2000});
    deliver(1); // before the publication
    engine.ratePublished();
    next = 0;
    deliver(2);
    EXPECT_EQ(readAll(*reader), (std::vector<int16_t>{0, 1, 2, 3}));
}

TEST_F(EngineFixture, AnotherRateWithNobodyToPublishItHoldsNothing)
{
    engine.openOutputPipe(RouteAutorec);
    auto reader = connectTo(RouteAutorec);
    script->startPending = false;
    script->events->deviceStarted(2000);
    settle();
    deliver(2);
    EXPECT_EQ(readAll(*reader), (std::vector<int16_t>{0, 1, 2, 3}));
}

TEST_F(EngineFixture, AFailedStartCleansUpStaysIdleAndSaysSoOnce)
{
    engine.openOutputPipe(RouteAutorec);
    script->events->deviceStartFailed("JACK server not running", "JACK");
    settle();
    EXPECT_EQ(engine.adcState(), AdcIdle);
    EXPECT_FALSE(script->live);
    deliver(1);
    engine.openOutputPipe(RouteWhistle);
    EXPECT_EQ(messages, QStringList{"JACK: JACK server not running"});
    EXPECT_EQ(states, (std::vector<int>{2, 0}));
    // A failed stop still ends at idle, with its reason shown.
    engine.closeOutputPipe(RouteWhistle);
    engine.closeOutputPipe(RouteAutorec);
    engine.openOutputPipe(RouteAutorec);
    started();
    engine.closeOutputPipe(RouteAutorec);
    script->events->deviceStopped("DAQmxStopTask failed");
    settle();
    EXPECT_EQ(engine.adcState(), AdcIdle);
    EXPECT_EQ(messages.last(), "Stop: DAQmxStopTask failed");
}

TEST_F(EngineFixture, InconsistentRoutingAndAnUnmakeablePipeStartNothing)
{
    // A routed channel that is not sampled.
    settings.ChannelSettings[5].Routing = RouteWhistle;
    engine.setSettings(settings);
    engine.openOutputPipe(RouteWhistle);
    EXPECT_EQ(script->starts, 0);
    EXPECT_EQ(engine.adcState(), AdcIdle);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("Channel 5 goes to the Whistle Detector"));
    engine.closeOutputPipe(RouteWhistle);

    // Something in the way of the recorder's pipe.
    ASSERT_TRUE(QDir(platform::pipeFolder()).mkpath("AutorecPipe/blocked"));
    engine.openOutputPipe(RouteAutorec);
    EXPECT_EQ(engine.openPipes(), 0u);
    EXPECT_EQ(script->starts, 0);
    EXPECT_EQ(messages.last(), "Invalid Pipe Handle: \\\\.\\pipe\\AutorecPipe");
    EXPECT_EQ(pipeStates[RouteAutorec], (std::vector<int>{PipeError, PipeIdle}));
    QDir(platform::pipeFolder() + "/AutorecPipe").removeRecursively();
}

TEST_F(EngineFixture, AVanishedReaderEndsOnlyItsOwnPipeAndTheLastOneStopsTheDevice)
{
    engine.openOutputPipe(RouteWhistle);
    auto whistle = connectTo(RouteWhistle);
    engine.openOutputPipe(RouteAutorec);
    auto recorder = connectTo(RouteAutorec);
    started();
    deliver(10);
    EXPECT_EQ(readAll(*whistle).size(), 10u);
    EXPECT_EQ(readAll(*recorder).size(), 20u);

    whistle->close();
    for (int i = 0; i < 20 && (engine.openPipes() & RouteWhistle); ++i)
        deliver(10);
    EXPECT_FALSE(engine.openPipes() & RouteWhistle);
    EXPECT_EQ(pipeStates[RouteWhistle], (std::vector<int>{PipeStarting, PipeFilling, PipeError, PipeIdle}));
    EXPECT_EQ(engine.adcState(), AdcRunning);
    const std::vector<int16_t> got = readAll(*recorder);
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.front(), 20); // nothing lost, nothing out of step
    EXPECT_EQ(got.back(), next - 1);

    recorder->close();
    for (int i = 0; i < 20 && engine.openPipes(); ++i)
        deliver(10);
    EXPECT_EQ(engine.openPipes(), 0u);
    EXPECT_EQ(engine.adcState(), AdcStopping);
    stopped();
    EXPECT_EQ(engine.adcState(), AdcIdle);
}

TEST_F(EngineFixture, AStalledReaderLosesWholeFramesAndHoldsNobodyUp)
{
    settings.SampleRate = 48000;
    engine.setSettings(settings);
    engine.openOutputPipe(RouteWhistle);
    auto stalled = connectTo(RouteWhistle); // never reads
    engine.openOutputPipe(RouteAutorec);
    auto healthy = connectTo(RouteAutorec);
    started();
    const qint64 cap = sound::PelvanePipeBufferBytes(1, 48000, 3);
    int expected = 0;
    for (int block = 0; block < 200; ++block) { // 20 s of 0.1 s blocks
        deliver(4800);
        for (int16_t s : readAll(*healthy))
            ASSERT_EQ(s, int16_t(expected++));
        ASSERT_LE(engine.counters(RouteWhistle).pendingBytes, cap);
    }
    EXPECT_EQ(expected, 200 * 9600);
    const PipeCounters whistle = engine.counters(RouteWhistle);
    EXPECT_TRUE(whistle.open);
    EXPECT_GT(whistle.droppedFrames, 0);
    EXPECT_EQ(whistle.droppedBytes, whistle.droppedFrames * 2);
    EXPECT_EQ(engine.counters(RouteAutorec).droppedFrames, 0);

    // What the stalled reader does get is whole frames in order.
    const std::vector<int16_t> late = readAll(*stalled);
    ASSERT_FALSE(late.empty());
    for (std::size_t i = 1; i < late.size(); ++i)
        ASSERT_EQ(late[i] % 2, 0);
}

TEST_F(EngineFixture, AReaderGetsThePipeTimeOutToConnectAndAReopenedPipeIsANewOne)
{
    engine.openOutputPipe(RouteAutorec);
    started();
    deliver(3);
    nowMs = sound::PipeDefaultTimeoutMs - 1;
    deliver(3);
    EXPECT_TRUE(engine.openPipes() & RouteAutorec);
    EXPECT_EQ(engine.counters(RouteAutorec).droppedFrames, 6);
    auto reader = connectTo(RouteAutorec);
    deliver(2);
    EXPECT_EQ(readAll(*reader), (std::vector<int16_t>{12, 13, 14, 15}));

    // Close and open again: a new pipe, whose reader starts at a frame.
    engine.closeOutputPipe(RouteAutorec);
    EXPECT_EQ(engine.adcState(), AdcStopping);
    engine.openOutputPipe(RouteAutorec);
    reader = connectTo(RouteAutorec);
    stopped();
    started();
    deliver(1);
    EXPECT_EQ(readAll(*reader), (std::vector<int16_t>{16, 17}));

    // A reader that never comes ends the pipe after the time-out.
    engine.openOutputPipe(RouteWhistle);
    nowMs += sound::PipeDefaultTimeoutMs;
    deliver(1);
    EXPECT_FALSE(engine.openPipes() & RouteWhistle);
    EXPECT_TRUE(engine.openPipes() & RouteAutorec);
}
