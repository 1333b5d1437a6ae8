// The deck's engine on its worker thread, with scripted detectors and sound
// outputs that play at once: decks do not share playback, and winding up
// never holds the user-interface thread.
#include "DeckFakes.h"

#include "deck/DeckEngine.h"

#include <QElapsedTimer>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace decktest;

namespace {

// Waits (bounded) for the engine to report `state`.
bool waitForState(QSignalSpy& states, int state)
{
    for (int i = 0; i < 200; ++i) {
        for (const auto& args : states)
            if (args.at(0).toInt() == state)
                return true;
        states.wait(100);
    }
    return false;
}

std::vector<int> reported(const QSignalSpy& states)
{
    std::vector<int> out;
    for (const auto& args : states)
        out.push_back(args.at(0).toInt());
    return out;
}

DeckSettings stereo()
{
    DeckSettings d;
    d.LeftMask = 1;
    d.RightMask = 2;
    d.ClickMask = 0;
    d.WhistleMask = 0;
    d.PlaybackRate = 8000;
    return d;
}

} // namespace

TEST(DeckEngine, EachDeckPlaysItsOwnFile)
{
    FakeOutput::Shared outA, outB;
    outA.autoPlay = outB.autoPlay = true;
    DeckEngine a(std::make_unique<FakeDetectors>(), [&] { return std::make_unique<FakeOutput>(outA); });
    DeckEngine b(std::make_unique<FakeDetectors>(), [&] { return std::make_unique<FakeOutput>(outB); });
    QSignalSpy statesA(&a, &DeckEngine::stateChanged), statesB(&b, &DeckEngine::stateChanged);
    QSignalSpy levelsA(&a, &DeckEngine::levels);

    const std::vector<int16_t> first(16000, 1111), second(8000, -2222), chained(4000, 3333);
    SoundFile fileA(makeWav(2, 8000, first)), fileB(makeWav(2, 8000, second)), next(makeWav(2, 8000, chained));
    std::vector<uint32_t> asked;
    bool nextGiven = false;
    a.nextFile = [&](uint32_t framesRead) -> QIODevice* {
        asked.push_back(framesRead);
        if (nextGiven)
            return nullptr;
        nextGiven = true;
        return &next.buffer;
    };
    a.start(DeckStart{fileA.header, &fileA.buffer, 0, stereo(), {}});
    b.start(DeckStart{fileB.header, &fileB.buffer, 0, stereo(), {}});
    ASSERT_TRUE(waitForState(statesA, DeckStopped));
    ASSERT_TRUE(waitForState(statesB, DeckStopped));

    std::vector<int16_t> expectedA = first;
    expectedA.insert(expectedA.end(), chained.begin(), chained.end());
    EXPECT_EQ(outA.written, expectedA);
    EXPECT_EQ(outB.written, second);
    EXPECT_EQ(asked, (std::vector<uint32_t>{8000, 10000}));
    EXPECT_EQ(reported(statesA), (std::vector<int>{DeckStarting, DeckPlaying, DeckStopped}));
    EXPECT_EQ(reported(statesB), (std::vector<int>{DeckStarting, DeckPlaying, DeckStopped}));
    EXPECT_EQ(levelsA.size(), 25); // one report per block of 1/20 s heard
    EXPECT_EQ(a.position(), 10000u);
    EXPECT_EQ(b.position(), 4000u);
}

TEST(DeckEngine, WaitingForADetectorAfterAStopNeverHoldsTheCaller)
{
    auto detectors = std::make_unique<FakeDetectors>();
    FakeDetectors& fake = *detectors;
    const QString whistle = QString::fromLatin1(WhistleDetectorClass);
    fake.willing(whistle);
    fake.answers[{whistle, QStringLiteral("PipeMsgGetADCStatus")}] = 1; // still busy
    DeckEngine engine(std::move(detectors), [] { return std::unique_ptr<AudioOutput>(); });
    QSignalSpy states(&engine, &DeckEngine::stateChanged);
    QSignalSpy started(&engine, &DeckEngine::started);

    SoundFile file(makeWav(1, 8000, std::vector<int16_t>(80000, 5)));
    DeckSettings timerMode;
    timerMode.LeftMask = timerMode.RightMask = 0;
    timerMode.ClickMask = 0;
    timerMode.WhistleMask = 1;
    engine.start(DeckStart{file.header, &file.buffer, 0, timerMode, {}});
    ASSERT_TRUE(started.wait(5000));
    ASSERT_TRUE(started.at(0).at(0).toBool());
    ASSERT_TRUE(waitForState(states, DeckPlaying));

    QElapsedTimer held;
    held.start();
    engine.stop();
    EXPECT_LT(held.elapsed(), 1000);
    ASSERT_TRUE(waitForState(states, DeckStopping));
    // The detector goes on answering "busy"; meanwhile the caller's thread
    // runs and the engine says it is stopping.
    QSignalSpy more(&engine, &DeckEngine::stateChanged);
    more.wait(300);
    EXPECT_EQ(engine.state(), DeckStopping);
    EXPECT_GE(fake.messagesTo(whistle).count(QStringLiteral("PipeMsgGetADCStatus")), 2);

    fake.answers[{whistle, QStringLiteral("PipeMsgGetADCStatus")}] = 0;
    ASSERT_TRUE(waitForState(states, DeckStopped));
    EXPECT_EQ(engine.state(), DeckStopped);
}

TEST(DeckEngine, ASoundOutputThatCannotOpenIsReported)
{
    FakeOutput::Shared out;
    out.openError = QStringLiteral("Device unavailable");
    DeckEngine engine(std::make_unique<FakeDetectors>(), [&] { return std::make_unique<FakeOutput>(out); });
    QSignalSpy started(&engine, &DeckEngine::started);
    QSignalSpy messages(&engine, &DeckEngine::message);
    SoundFile file(makeWav(2, 8000, std::vector<int16_t>(800, 1)));
    engine.start(DeckStart{file.header, &file.buffer, 0, stereo(), {}});
    ASSERT_TRUE(started.wait(5000));
    EXPECT_FALSE(started.at(0).at(0).toBool());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages.at(0).at(0).toString(), QStringLiteral("Device unavailable"));
    EXPECT_EQ(messages.at(0).at(1).toString(), QStringLiteral("Error starting Soundcard"));
}
