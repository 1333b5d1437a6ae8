// The main window's timers: which run in which run mode, the work each does
// once per period (injected ticks), and the commands and exit that start and
// stop them.
#include "MainWindowFakes.h"
#include "PagesTestSupport.h"
#include "ShellTestUtil.h"

#include "shell/CommandIds.h"
#include "shell/MainCommands.h"
#include "widgets/MyControls.h"
#include "platform/ProgramClock.h"
#include "shell/TV2000Window.h"

#include <limits>
#include <map>

namespace velmar::shell::test {
namespace {

using store::TheProgramSettings;

class MainTimersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.Install();
        SetRecorderCount(0);
        MainTimers::SetManualByDefault(true);
        world.navigation.logIfDue = true;
        world.detectors.updateProgramStatus = [this] { world.Log("program status"); };
        world.detectors.updateCounts = [this] { world.Log("counts"); };
        world.detectors.purgeOldDetections = [this] { world.Log("purge"); };
        world.comments.clockText = [this](const QString&) { world.Log("clock text"); };
    }
    void TearDown() override
    {
        window.reset();
        MainTimers::SetManualByDefault(false);
        platform::SetProgramClockSource(platform::ClockSourceFrozen);
        platform::RunMode = platform::RunModeOnline;
    }
    TV2000Window& Make(unsigned mode, int maxInterval = 10)
    {
        platform::RunMode = mode;
        WriteSettings([&](store::ProgramSettings& s) { s.MaxInterval = maxInterval; });
        window = std::make_unique<TV2000Window>(nullptr, world.Services());
        window->resize(1000, 700);
        window->SetupWindow();
        world.log.clear();
        return *window;
    }
    // The log entries one tick of a timer makes.
    std::vector<std::string> TickLog(int id)
    {
        world.log.clear();
        window->Timers().Tick(id);
        return world.log;
    }
    std::map<int, int> Running() const
    {
        std::map<int, int> running;
        for (int id = TimerClock; id <= TimerAnimationFix; ++id)
            if (window->Timers().IsRunning(id))
                running[id] = window->Timers().Period(id);
        return running;
    }

    World world;
    // Above the world's dialogs: every message box and question is recorded here.
    MessageRecorder messages;
    std::unique_ptr<TV2000Window> window;
};

TEST_F(MainTimersTest, EachRunModeStartsItsTimersWithTheirPeriods)
{
    struct Row {
        const char* legend;
        unsigned mode;
        std::map<int, int> running;
    };
    const Row rows[] = {
        {"online logging",
         platform::RunModeOnline,
         {{TimerClock, 1000}, {TimerProgramStatus, 1000}, {TimerGps, 7000}, {TimerPurge, 60000}}},
        // The clock waits for "Start Run".
        {"offline logging", platform::RunModeOffline, {{TimerProgramStatus, 1000}}},
        {"show data", platform::RunModeShowData, {}},
        {"altering settings", platform::RunModeAlterSettings, {}},
    };
    for (const Row& r : rows) {
        Make(r.mode, 7);
        EXPECT_EQ(Running(), r.running) << r.legend;
    }
}

TEST_F(MainTimersTest, EachTickDoesItsWorkOnce)
{
    TV2000Window& w = Make(platform::RunModeOnline);
    const std::map<int, std::vector<std::string>> work = {
        {TimerProgramStatus, {"program status", "counts"}},
        {TimerGps, {"poll gps if due"}},
        {TimerPurge, {"purge"}},
    };
    for (const auto& [id, expected] : work)
        EXPECT_EQ(TickLog(id), expected) << id;

    TMyEdit* clock = FindMyEdit(&w, IdClockEdit1);
    ASSERT_NE(clock, nullptr);
    clock->setText(QString());
    EXPECT_TRUE(TickLog(TimerClock).empty());
    EXPECT_FALSE(clock->text().isEmpty());
}

TEST_F(MainTimersTest, ExitStopsAllButTheProgramStatus)
{
    TV2000Window& w = Make(platform::RunModeOnline);
    messages.answers = {QMessageBox::Yes};
    ASSERT_TRUE(w.CanClose());
    EXPECT_EQ(Running(), (std::map<int, int>{{TimerProgramStatus, 1000}}));
    // A stopped timer's late tick does nothing.
    EXPECT_TRUE(TickLog(TimerGps).empty());
    EXPECT_TRUE(TickLog(TimerPurge).empty());
}

TEST_F(MainTimersTest, OfflineClockRunsBetweenStartRunAndStopRun)
{
    TV2000Window& w = Make(platform::RunModeOffline);
    platform::SetProgramClockSource(platform::ClockSourceFrozen);
    TMyEdit* clock = FindMyEdit(&w, IdClockEdit1);
    ASSERT_NE(clock, nullptr);
    clock->setText(QStringLiteral("2010-06-01 10:00:00"));
    EXPECT_TRUE(TickLog(TimerClock).empty());

    ASSERT_TRUE(w.Command(Command::StartRun));
    EXPECT_EQ(w.Timers().Period(TimerClock), 1000);
    EXPECT_EQ(TickLog(TimerClock), std::vector<std::string>{"clock text"});

    ASSERT_TRUE(w.Command(Command::StopRun));
    EXPECT_FALSE(w.Timers().IsRunning(TimerClock));
    EXPECT_TRUE(TickLog(TimerClock).empty());
}

TEST_F(MainTimersTest, NewGpsIntervalRestartsTheGpsTimer)
{
    TV2000Window& w = Make(platform::RunModeOnline, 10);
    world.settingsDialogs.gpsControl = [](QWidget*) {
        TheProgramSettings.MaxInterval = 30;
        return true;
    };
    ASSERT_TRUE(w.Command(Command::GpsControl));
    EXPECT_EQ(w.Timers().Period(TimerGps), 30000);
    EXPECT_EQ(world.log, std::vector<std::string>{"poll gps if due"});
}

TEST(GpsPeriod, IntervalsBecomeATimerPeriodTheTimerCanTake)
{
    constexpr int longest = std::numeric_limits<int>::max();
    const std::pair<int, int> cases[] = {{10, 10000},
                                         {1, 1000},
                                         {0, 1000},
                                         {-5, 1000},
                                         {longest / 1000, longest / 1000 * 1000},
                                         {longest, longest / 1000 * 1000}};
    for (const auto& [seconds, ms] : cases)
        EXPECT_EQ(GpsPeriodMs(seconds), ms) << seconds;
}

} // namespace
} // namespace velmar::shell::test
