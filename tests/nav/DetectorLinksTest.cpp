// The detector links with a fake detector: the status table, the crash rule
// and the run time on an injected clock.
#include "nav/DetectorLinks.h"
#include "settings/ProgramSettings.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace velmar::nav;
using velmar::platform::SystemTime;

TEST(ProgramStatus, CodesGiveTextColourAndEffortClass)
{
    struct Case {
        quint32 code;
        int run;
        const char* text;
        unsigned colour;
        int effort;
    };
    const Case cases[] = {
        {0, 1, "No File", 4, EffortClassStop},       {1, 1, "Idle", 2, EffortClassStop},
        {1, 2, "Idle", 1, EffortClassStop},          {2, 3, "Running", 1, EffortClassStart},
        {0x4000, 2, "No Prog'", 1, EffortClassStop}, {0x20000, 1, "Crashed", 2, EffortClassCrashed},
        {0x100000, 1, "Half", 4, EffortClassHalf},   {0x200000, 1, "Unknown", 4, EffortClassUnchanged},
        {0x30, 1, "30", 2, EffortClassStop},
    };
    for (const Case& c : cases) {
        const StatusLook look = LookOfStatus(c.code, c.run);
        EXPECT_EQ(look.text, QString::fromLatin1(c.text)) << c.code;
        EXPECT_EQ(look.colour, c.colour) << c.code;
        EXPECT_EQ(look.effortClass, c.effort) << c.code;
    }
}

struct FakeDetector : ::testing::Test {
    DetectorLinks links;
    quint32 answer = StatusNoProgram;
    SystemTime now = SystemTime::fromTimePoint(std::chrono::sys_days{std::chrono::year{2026} / 12 / 10});
    QStringList shown;
    QStringList runTimes;
    std::vector<int> efforts;

    FakeDetector()
    {
        links.ports.runMode = [] { return quint32(1); };
        links.ports.now = [this] { return now; };
        links.ports.query = [this](int id, std::function<void(quint32)> done) {
            if (id == ProgramIdPorpoise)
                done(answer);
            else
                done(StatusNoProgram);
        };
        links.ports.showStatus = [this](int panel, const QString& text, unsigned) {
            if (panel == 0)
                shown << text;
        };
        links.ports.showRunTime = [this](int panel, const QString& text) {
            if (panel == 0)
                runTimes << text;
        };
        links.ports.writeEffort = [this](int id, int effortClass) {
            if (id == ProgramIdPorpoise)
                efforts.push_back(effortClass);
        };
    }
    void cycle(quint32 code, int seconds = 1)
    {
        answer = code;
        now = SystemTime::fromTimePoint(now.toTimePoint() + std::chrono::seconds(seconds));
        links.UpdateProgramStatus();
    }
};

TEST_F(FakeDetector, ZeroAndVanishingAfterRunningAreCrashed)
{
    cycle(StatusRunning);
    cycle(StatusNoProgram);
    EXPECT_EQ(shown.last(), QStringLiteral("Crashed"));
    cycle(StatusIdle);
    cycle(StatusNoFile);
    EXPECT_EQ(shown.last(), QStringLiteral("Crashed"));
    // A time-out changes no effort; then no window: it hung and died.
    cycle(StatusIdle);
    cycle(StatusUnknown);
    cycle(StatusNoProgram);
    EXPECT_EQ(shown.mid(shown.size() - 2), (QStringList{"Unknown", "Crashed"}));
    EXPECT_EQ(efforts, (std::vector<int>{EffortClassStart, EffortClassCrashed, EffortClassStop, EffortClassCrashed,
                                         EffortClassStop, EffortClassCrashed}));
}

TEST_F(FakeDetector, AShortStopContinuesTheRunTime)
{
    cycle(StatusRunning);
    cycle(StatusRunning, 5);
    EXPECT_EQ(runTimes.last(), QStringLiteral("00:05"));
    cycle(StatusIdle);
    cycle(StatusRunning, 8); // 8 s after the stop: the old run goes on
    EXPECT_EQ(runTimes.last(), QStringLiteral("00:14"));
    cycle(StatusIdle);
    cycle(StatusRunning, 11); // 11 s: a new run
    EXPECT_EQ(runTimes.last(), QStringLiteral("00:00"));
}

TEST(AutoStartStop, DecisionOverRunStateFlagsAndLastCode)
{
    struct Case {
        const char* legend;
        int last, run;
        int32_t flags;
        quint32 code;
        const char* actions;
    };
    const Case cases[] = {
        {"power on starts an absent detector", 2, 1, velmar::store::AutoStart, StatusNoProgram, "start"},
        {"power on commands an idle one", 2, 1, velmar::store::AutoStart, StatusIdle, "command 1"},
        {"a running one is left running", 2, 1, velmar::store::AutoStart, StatusRunning, ""},
        {"no change of run state, nothing", 1, 1, velmar::store::AutoStart, StatusIdle, ""},
        {"without its start flag, nothing", 2, 1, velmar::store::AutoStop, StatusIdle, ""},
        {"power off stops an active one", 1, 2, velmar::store::AutoStop, StatusRunning, "command 2"},
        {"power off leaves an idle one", 1, 2, velmar::store::AutoStop, StatusIdle, ""},
        {"a crashed one is restarted", 1, 1, velmar::store::AutoStart, StatusCrashed, "start"},
        {"a crashed one without start flag stays", 1, 1, velmar::store::AutoStop, StatusCrashed, ""},
    };
    for (const Case& c : cases) {
        DetectorLinks links;
        QStringList actions;
        links.ports.runMode = [] { return quint32(1); };
        links.ports.startProgram = [&](int) {
            actions << "start";
            return true;
        };
        links.ports.sendCommand = [&](int, int command) {
            actions << QStringLiteral("command %1").arg(command);
            return true;
        };
        velmar::store::TheProgramSettings.ProgramAutoControl[0] = c.flags;
        links.SetProgramStatus(ProgramIdPorpoise, c.code);
        links.AutoStartStopProgram(c.last, c.run, ProgramIdPorpoise);
        EXPECT_EQ(actions.join(','), QString::fromLatin1(c.actions)) << c.legend;
    }
    velmar::store::TheProgramSettings = velmar::store::ProgramSettings();
}

TEST_F(FakeDetector, ACrashedDetectorIsRestartedWithBackOffNotEveryCycle)
{
    int starts = 0;
    links.ports.startProgram = [&](int) {
        ++starts;
        return true;
    };
    velmar::store::TheProgramSettings.ProgramAutoControl[0] = velmar::store::AutoStart;
    cycle(StatusRunning);
    cycle(StatusNoProgram);
    for (int i = 0; i < 10; ++i)
        links.AutoStartStopProgram(1, 1, ProgramIdPorpoise);
    // At once, then after one and after two skipped cycles (the next after four).
    EXPECT_EQ(starts, 3);
    velmar::store::TheProgramSettings = velmar::store::ProgramSettings();
}

TEST_F(FakeDetector, ListeningFullTwiceLogsOneChange)
{
    std::vector<int> listening;
    links.ports.writeEffort = [&](int id, int effortClass) {
        if (id == ProgramIdListening)
            listening.push_back(effortClass);
    };
    links.SetListeningStatus(CmListeningFull);
    links.SetListeningStatus(CmListeningFull);
    links.SetListeningStatus(CmListeningHalf);
    EXPECT_EQ(listening, (std::vector<int>{EffortClassStart, EffortClassHalf}));
}
