// The main window's commands: enablers by run mode and tab, the database
// change and its restart, printing the map, and the animation timers.
#include "MainWindowFakes.h"
#include "PagesTestSupport.h"
#include "ShellTestUtil.h"

#include "shell/CommandIds.h"
#include "store/DbConnection.h"
#include "shell/MainCommands.h"
#include "widgets/MyControls.h"
#include "platform/ProgramClock.h"
#include "shell/TV2000Window.h"

#include <QLineEdit>
#include <QFile>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>

namespace velmar::shell::test {
namespace {

using store::TheProgramSettings;

class MainCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.Install();
        SetRecorderCount(0);
        // Nothing modal may wait for an operator.
        world.dialogs.runSheet = [](ui::SettingsSheet&) { return 0; };
        world.dialogs.runDialog = [](QDialog&) { return false; };
    }
    void TearDown() override
    {
        window.reset();
        platform::RunMode = platform::RunModeOnline;
    }
    TV2000Window& Make(unsigned mode)
    {
        platform::RunMode = mode;
        WriteSettings([](store::ProgramSettings&) {});
        window = std::make_unique<TV2000Window>(nullptr, world.Services());
        window->resize(1000, 700);
        window->SetupWindow();
        return *window;
    }
    World world;
    // Above the world's dialogs: every message box and question is recorded here.
    MessageRecorder messages;
    std::unique_ptr<TV2000Window> window;
};

struct EnablerRow {
    const char* legend;
    unsigned mode;
    int tab; // -1: the first free tab
    bool printMap, gpsReferences, exportData;
};

class EnablerTest : public MainCommandsTest, public ::testing::WithParamInterface<EnablerRow> {};

TEST_P(EnablerTest, ByModeAndTab)
{
    const EnablerRow& r = GetParam();
    world.forms = {{QStringLiteral("Form A"), -1}};
    TV2000Window& w = Make(r.mode);
    ASSERT_NE(w.TabControl(), nullptr);
    const int tab = r.tab < 0 ? w.FirstFreeTab() : r.tab;
    ASSERT_LT(tab, w.TabControl()->count()) << r.legend;
    w.TabControl()->setCurrentIndex(tab);
    TMainCommands& c = w.Commands();
    EXPECT_EQ(c.IsEnabled(Command::PrintMap), r.printMap) << r.legend;
    EXPECT_EQ(c.IsEnabled(Command::UpdateGpsReferences), r.gpsReferences) << r.legend;
    EXPECT_EQ(c.IsEnabled(Command::ExportFormData), r.exportData) << r.legend;
    EXPECT_TRUE(c.IsEnabled(Command::CopyTableData)) << r.legend;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EnablerTest,
    ::testing::Values(EnablerRow{"online, map", platform::RunModeOnline, 0, true, false, false},
                      EnablerRow{"online, comments", platform::RunModeOnline, 1, false, false, false},
                      EnablerRow{"online, form", platform::RunModeOnline, -1, false, false, true},
                      EnablerRow{"show data, map", platform::RunModeShowData, 0, true, true, false},
                      EnablerRow{"show data, form", platform::RunModeShowData, -1, false, true, true},
                      EnablerRow{"offline, comments", platform::RunModeOffline, 1, false, true, false}));

TEST_F(MainCommandsTest, DatabaseChangeSetsTheRestartModeAndQuits)
{
    QTemporaryDir dir;
    const QString open = dir.filePath(QStringLiteral("season.sqlite"));
    QFile(open).open(QIODevice::WriteOnly);
    QFile::link(open, dir.filePath(QStringLiteral("link.sqlite")));
    TheProgramSettings.DatabasePath.setText(open);
    TV2000Window& w = Make(platform::RunModeShowData);
    QString chosen;
    world.dialogs.runSheet = [&](ui::SettingsSheet&) {
        TheProgramSettings.DatabasePath.setText(chosen);
        return 1;
    };
    // Other names of the open file are no change.
    for (const QString& same :
         {dir.filePath(QStringLiteral("link.sqlite")), dir.path() + QStringLiteral("/./season.sqlite")}) {
        TheProgramSettings.DatabasePath.setText(open);
        chosen = same;
        EXPECT_TRUE(w.Command(Command::DatabaseFile));
        EXPECT_EQ(TheProgramSettings.RestartMode, 0) << same.toStdString();
        EXPECT_EQ(world.At("quit"), -1) << same.toStdString();
    }

    // On Linux a name differing only in case is another survey.
    TheProgramSettings.DatabasePath.setText(open);
    chosen = dir.filePath(QStringLiteral("Season.sqlite"));
    EXPECT_TRUE(w.Command(Command::DatabaseFile));
    EXPECT_EQ(TheProgramSettings.RestartMode, int(platform::RunModeShowData));
    EXPECT_NE(world.At("quit"), -1);
    // The normal shut-down runs before the program ends for its restart.
    EXPECT_NE(world.At("save settings rows"), -1);
    EXPECT_NE(world.At("close db"), -1);
    EXPECT_LT(world.At("close db"), world.At("quit"));
    EXPECT_EQ(messages.texts.last(),
              QStringLiteral("Velmar 2010 will now restart for the database changes to take effect"));
}

TEST_F(MainCommandsTest, NewDatabaseObjectSaysWhatWasMade)
{
    QTemporaryDir dir;
    store::SetBlankDatabaseTemplate(qEnvironmentVariable("VELMAR_BIN_DIR") + QStringLiteral("/BlankVelmar._sqlite"));
    ASSERT_EQ(store::OpenDB(nullptr, dir.filePath(QStringLiteral("survey.sqlite"))), store::kOpenDbOk);
    TV2000Window& w = Make(platform::RunModeOnline);
    QString typed;
    world.dialogs.runDialog = [&](QDialog& dialog) {
        dialog.findChild<QLineEdit*>()->setText(typed);
        dialog.accept();
        return dialog.result() == QDialog::Accepted;
    };
    typed = QStringLiteral("Sightings  ");
    EXPECT_TRUE(w.Command(Command::NewUserForm));
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_EQ(messages.texts.last(), QStringLiteral("\"Sightings\" has been added to the database. Its window opens "
                                                    "when the programme next starts"));
    typed = QStringLiteral("   ");
    EXPECT_TRUE(w.Command(Command::NewUserForm));
    EXPECT_EQ(messages.texts.last(), QStringLiteral("No name was given: nothing has been made"));
    store::CloseDB();
}

// Offline logging: the clock strip's buttons run their commands.
TEST_F(MainCommandsTest, StartRunAndStopRunButtonsDriveTheProgramClock)
{
    TV2000Window& w = Make(platform::RunModeOffline);
    QPushButton* start = nullptr;
    QPushButton* stop = nullptr;
    for (QPushButton* b : w.findChildren<QPushButton*>()) {
        if (ControlIdOf(b) == IdStartRun)
            start = b;
        if (ControlIdOf(b) == IdStopRun)
            stop = b;
    }
    ASSERT_NE(start, nullptr);
    ASSERT_NE(stop, nullptr);
    platform::SetProgramStartTime(velmar::platform::SystemTime{}, nullptr);
    platform::SetProgramClockSource(platform::ClockSourceFrozen);
    FindMyEdit(&w, IdClockEdit1)->setText(QStringLiteral("2026-05-06 07:08:09"));
    start->setEnabled(true);
    start->click();
    EXPECT_EQ(platform::GetProgramClockSource(), platform::ClockSourceManual);
    velmar::platform::SystemTime now;
    platform::GetProgramTime(&now);
    EXPECT_EQ(now.wYear, 2026);
    EXPECT_EQ(now.wHour, 7);
    EXPECT_TRUE(stop->isEnabled());
    stop->click();
    EXPECT_EQ(platform::GetProgramClockSource(), platform::ClockSourceFrozen);
    EXPECT_TRUE(start->isEnabled());
}

TEST_F(MainCommandsTest, LiveEffortChangesCarryTheCategoryTheStatisticsCount)
{
    TV2000Window& w = Make(platform::RunModeOnline);
    TMainCommands& c = w.Commands();
    for (quint32 status : {2u, 0x100000u, 1u, 0x20000u})
        c.AddEffortChange(0, status);
    std::vector<qint32> states;
    for (const EffortPoint& p : c.EffortListAt(0))
        states.push_back(p.state);
    EXPECT_EQ(states, (std::vector<qint32>{1, 2, 3, 3})); // on, half, off, off
}

TEST_F(MainCommandsTest, PrintMapMakesOnePagePerCopy)
{
    TV2000Window& w = Make(platform::RunModeOnline);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("map.pdf"));
    world.dialogs.printDialog = [&](QWidget*, QPrinter& printer, bool) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setCopyCount(3);
        return true;
    };
    w.TabControl()->setCurrentIndex(0);
    EXPECT_TRUE(w.Command(Command::PrintMap));
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 3)
        << bytes.count("/Type /Page");
}

TEST_F(MainCommandsTest, PrintMapRefusesToWriteOverTheOpenSurvey)
{
    QTemporaryDir dir;
    const QString survey = dir.filePath(QStringLiteral("survey.sqlite"));
    store::SetBlankDatabaseTemplate(qEnvironmentVariable("VELMAR_BIN_DIR") + QStringLiteral("/BlankVelmar._sqlite"));
    ASSERT_EQ(store::OpenDB(nullptr, survey), store::kOpenDbOk);
    TV2000Window& w = Make(platform::RunModeOnline);
    world.dialogs.printDialog = [&](QWidget*, QPrinter& printer, bool) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(survey);
        return true;
    };
    w.TabControl()->setCurrentIndex(0);
    EXPECT_TRUE(w.Command(Command::PrintMap));
    store::CloseDB();
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_EQ(messages.texts.last(), survey + QStringLiteral("\n\nis the open survey database: choose another file"));
    QFile f(survey);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("SQLite format 3")) << "the survey is still a database";
}

TEST_F(MainCommandsTest, PrintMapThatCannotStartSaysWhy)
{
    TV2000Window& w = Make(platform::RunModeOnline);
    w.TabControl()->setCurrentIndex(0);
    QTemporaryDir dir;
    struct Case {
        QString file;
        QString reason;
    };
    for (const Case& c :
         {Case{dir.filePath(QStringLiteral("gone/map.pdf")), QStringLiteral("its folder does not exist")},
          Case{dir.path(), QStringLiteral("it is a folder")}}) {
        SCOPED_TRACE(c.file.toStdString());
        world.dialogs.printDialog = [&](QWidget*, QPrinter& printer, bool) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(c.file);
            return true;
        };
        messages.texts.clear();
        EXPECT_TRUE(w.Command(Command::PrintMap));
        EXPECT_EQ(messages.texts,
                  QStringList{QStringLiteral("The map was not printed: the file\n\n") + c.file
                              + QStringLiteral("\n\ncannot be made (") + c.reason + QStringLiteral(").")});
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("gone"))));
}

TEST_F(MainCommandsTest, AnimationTimersRunUntilTheMapRunsOut)
{
    TV2000Window& w = Make(platform::RunModeShowData);
    world.dialogs.runDialog = [](QDialog&) { return true; };
    MainTimers& timers = w.Commands().Timers();
    timers.SetManual(true);
    EXPECT_TRUE(w.Command(Command::Animate));
    ASSERT_NE(w.MapWindow(), nullptr);
    EXPECT_EQ(timers.Period(TimerAnimationStep), AnimationStepMs);
    EXPECT_EQ(timers.Period(TimerAnimationFix), AnimationFixMs);
    // The stand-in map answers 0 to a step: the animation has ended.
    timers.Tick(TimerAnimationStep);
    Drain();
    EXPECT_FALSE(timers.IsRunning(TimerAnimationStep));
    EXPECT_FALSE(timers.IsRunning(TimerAnimationFix));
}

} // namespace
} // namespace velmar::shell::test
