#include "platform/ProgramClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace velmar::platform;
using velmar::platform::SystemTime;
using namespace std::chrono;

namespace {

SystemTime at(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return SystemTime::fromTimePoint(sys_days{year{y} / mo / d} + hours{h} + minutes{mi} + seconds{s}
                                     + milliseconds{ms});
}

// A clock whose UTC time and tick count the test moves by hand.
struct ManualTime {
    sys_time<milliseconds> utc = sys_days{year{2026} / 6 / 15} + hours{12};
    uint64_t tick = 5'000'000;
    void advance(milliseconds d)
    {
        utc += d;
        tick += uint64_t(d.count());
    }
};

struct FakeDeck : IDeckTimeSource {
    bool answers = true;
    SystemTime position;
    bool deckTime(SystemTime& time) override
    {
        if (answers)
            time = position;
        return answers;
    }
};

class ProgramClockTest : public ::testing::Test {
protected:
    ManualTime now;
    quint32 mode = RunModeOnline;
    ProgramClock clock{[this] { return now.utc; }, [this] { return now.tick; }, [this] { return mode; }};

    SystemTime programTime(SystemTime in = {})
    {
        clock.getProgramTime(in);
        return in;
    }
};

TEST_F(ProgramClockTest, OnlineAndShowDataGiveUtcNow)
{
    for (quint32 m : {RunModeOnline, RunModeShowData}) {
        mode = m;
        clock.setSource(ClockSourceManual); // ignored outside offline logging
        EXPECT_EQ(programTime(), SystemTime::fromTimePoint(now.utc)) << m;
        now.advance(seconds(1));
        EXPECT_EQ(programTime(), SystemTime::fromTimePoint(now.utc)) << m;
    }
}

TEST(ProgramClockProcess, OnlineTimeIsTheComputersUtcTime)
{
    RunMode = RunModeOnline;
    const auto before = time_point_cast<milliseconds>(system_clock::now());
    SystemTime t;
    GetProgramTime(&t);
    const auto after = time_point_cast<milliseconds>(system_clock::now());
    EXPECT_GE(t.toTimePoint(), before);
    EXPECT_LE(t.toTimePoint(), after);
}

TEST_F(ProgramClockTest, AlteringSettingsLeavesTheTimeUntouched)
{
    mode = RunModeAlterSettings;
    const SystemTime given = at(2011, 3, 4, 5, 6, 7, 8);
    EXPECT_EQ(programTime(given), given);
    SystemTime shifted = given;
    clock.toProgramTime(shifted);
    EXPECT_EQ(shifted, given);
}

TEST_F(ProgramClockTest, OfflineBeforeAnythingGivesTheZeroStartTime)
{
    mode = RunModeOffline;
    EXPECT_EQ(programTime(at(2020, 1, 1, 0, 0, 0)), SystemTime{});
    now.advance(seconds(90));
    EXPECT_EQ(programTime(at(2020, 1, 1, 0, 0, 0)), SystemTime{});
}

TEST_F(ProgramClockTest, ManualRunAdvancesInWholeSecondsAndStopFreezesAtTheStart)
{
    mode = RunModeOffline;
    const SystemTime typed = at(2019, 8, 20, 23, 59, 58);
    clock.startRun(typed, nullptr);
    EXPECT_EQ(clock.source(), ClockSourceManual);
    EXPECT_EQ(programTime(), typed);

    now.advance(milliseconds(2500));
    EXPECT_EQ(programTime(), at(2019, 8, 21, 0, 0, 0, 0)); // +2 s, across midnight, ms 0

    now.advance(hours(49));
    EXPECT_EQ(programTime(), at(2019, 8, 23, 1, 0, 0, 0));

    clock.stopRun();
    EXPECT_EQ(clock.source(), ClockSourceFrozen);
    EXPECT_EQ(programTime(), typed);
}

TEST_F(ProgramClockTest, DeckSourceFollowsTheDeckAndFreezesWhereItStopped)
{
    mode = RunModeOffline;
    auto deck = std::make_shared<FakeDeck>();
    deck->position = at(2015, 7, 1, 10, 0, 0, 250);
    clock.deckStateChanged(deck->position, deck, true);
    EXPECT_EQ(programTime(), deck->position);

    deck->position = at(2015, 7, 1, 10, 5, 30, 500);
    EXPECT_EQ(programTime(), deck->position);

    // A deck that cannot answer falls back to the time the clock last started from.
    deck->answers = false;
    EXPECT_EQ(programTime(), at(2015, 7, 1, 10, 0, 0, 250));

    deck->answers = true;
    clock.deckStateChanged(deck->position, deck, false);
    deck->position = at(2015, 7, 1, 11, 0, 0);
    now.advance(seconds(30));
    EXPECT_EQ(programTime(), at(2015, 7, 1, 10, 5, 30, 500));
}

TEST_F(ProgramClockTest, DeckSourceWithoutDeckGivesTheStartTime)
{
    mode = RunModeOffline;
    const SystemTime start = at(2015, 7, 1, 10, 0, 0);
    clock.setProgramStartTime(start, nullptr);
    clock.setSource(ClockSourceDeck);
    now.advance(seconds(10));
    EXPECT_EQ(programTime(), start);
}

TEST_F(ProgramClockTest, StartTimeYearsBackRoundTripsThroughToProgramTime)
{
    mode = RunModeOffline;
    // A recording three years old: a day-fraction offset held in a 32-bit
    // float would be several seconds out here.
    const auto start = now.utc - days(3 * 365 + 1) - milliseconds(321);
    clock.setProgramStartTime(SystemTime::fromTimePoint(start), nullptr);

    now.advance(milliseconds(61'237));
    SystemTime pc = SystemTime::fromTimePoint(now.utc);
    clock.toProgramTime(pc);
    const auto expected = start + milliseconds(61'237);
    EXPECT_LE(abs(pc.toTimePoint() - expected), seconds(1));
    EXPECT_EQ(pc, SystemTime::fromTimePoint(expected));

    mode = RunModeOnline;
    SystemTime unchanged = SystemTime::fromTimePoint(now.utc);
    clock.toProgramTime(unchanged);
    EXPECT_EQ(unchanged, SystemTime::fromTimePoint(now.utc));
}

TEST_F(ProgramClockTest, ProcessFunctionsDriveTheProcessClock)
{
    RunMode = RunModeOffline;
    const SystemTime start = at(2012, 2, 29, 6, 30, 0);
    SetProgramStartTime(start, nullptr);
    SetProgramClockSource(ClockSourceFrozen);
    EXPECT_EQ(GetProgramClockSource(), ClockSourceFrozen);
    SystemTime t;
    GetProgramTime(&t);
    EXPECT_EQ(t, start);

    auto deck = std::make_shared<FakeDeck>();
    deck->position = at(2012, 3, 1, 0, 0, 0);
    SetProgramClockDeck(deck);
    SetProgramClockSource(ClockSourceDeck);
    GetProgramTime(&t);
    EXPECT_EQ(t, deck->position);

    SetProgramClockDeck(nullptr);
    SetProgramClockSource(ClockSourceFrozen);
    RunMode = RunModeOnline;
}

TEST(ProgramClockText, OfflineShowsTheFormStartRunReadsBack)
{
    const SystemTime t = at(2010, 12, 8, 14, 3, 5, 900);
    EXPECT_EQ(ProgramClockText(t, RunModeOffline), "2010-12-08 14:03:05");
    EXPECT_EQ(ProgramClockText(t, RunModeOnline), "08 Dec 2010 14:03:05");
    EXPECT_EQ(ParseStartRunText(ProgramClockText(t, RunModeOffline)), at(2010, 12, 8, 14, 3, 5));
}

TEST(ProgramClockText, StartRunRefusesWhatIsNoDateAndTime)
{
    const std::pair<const char*, bool> cases[] = {
        {"2024-02-29 23:59:59", true},
        {"2024/02/29 00:00:00 and more text", true}, // only the first 21 characters count
        {"2023-02-30 10:00:00", false},              // 30 February
        {"1950-06-01 10:00:00", false},              // not after 1950
        {"2023-13-01 10:00:00", false},
        {"2023-01-01 24:00:00", false},
        {"2023-01-01 10:60:00", false},
        {"", false},
    };
    for (const auto& [text, valid] : cases)
        EXPECT_EQ(ParseStartRunText(text).has_value(), valid) << text;
}

// A recorder thread reads the clock while the user-interface thread replaces
// its start time: every read must be one whole start time or the other.
TEST(ProgramClockThreads, ReaderNeverSeesAHalfReplacedStartTime)
{
    ProgramClock clock{[] { return time_point_cast<milliseconds>(system_clock::now()); }, [] { return uint64_t(0); },
                       [] { return RunModeOffline; }};
    const SystemTime a = at(2001, 1, 1, 0, 0, 0, 1);
    const SystemTime b = at(2029, 12, 31, 23, 59, 59, 999);
    clock.setProgramStartTime(a, nullptr);

    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::atomic<int> reads{0};
    std::thread reader([&] {
        while (!done.load()) {
            SystemTime t;
            clock.getProgramTime(t);
            SystemTime pc = SystemTime::nowUtc();
            clock.toProgramTime(pc);
            if (!(t == a || t == b) || !pc.isValid())
                torn.fetch_add(1);
            reads.fetch_add(1);
        }
    });
    for (int i = 0; i < 20000; ++i)
        clock.setProgramStartTime(i % 2 ? a : b, nullptr);
    while (reads.load() < 1000)
        std::this_thread::yield();
    done = true;
    reader.join();
    EXPECT_EQ(torn.load(), 0);
}

} // namespace
