// The main window: tabs made by run mode and settings, recorder-tab re-sync,
// the exit checks and shut-down order, start-up paths, and a rendering.
#include "MainWindowFakes.h"
#include "ShellTestUtil.h"
#include "tests/support/CutTexts.h"

#include "shell/CommandIds.h"
#include "shell/MainCommands.h"
#include "shell/MainWindowMessages.h"
#include "settings/PipeSettings.h"
#include "shell/StartupService.h"
#include "store/ui/DatabaseDialog.h"
#include "widgets/MyControls.h"
#include "widgets/TrafficLight.h"
#include "shell/TV2000Window.h"
#include "platform/WindowMessage.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTabBar>
#include <QTimer>
#include <gtest/gtest.h>

using namespace velmar::shell;
using namespace velmar::platform;
using namespace velmar::shell::test;
using velmar::store::ProgramSettings;
using velmar::store::TheProgramSettings;

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.Install();
        SetRecorderCount(0);
    }
    void TearDown() override
    {
        window.reset();
        RunMode = RunModeOnline;
    }

    TV2000Window& Make(
        unsigned mode, const std::function<void(ProgramSettings&)>& edit = [](ProgramSettings&) {})
    {
        RunMode = mode;
        WriteSettings(edit);
        window = std::make_unique<TV2000Window>(nullptr, world.Services());
        window->resize(1000, 700);
        window->SetupWindow();
        return *window;
    }

    // Every stored tab index names the tab of its own page.
    void ExpectIndicesConsistent(const char* legend)
    {
        const QTabBar* tabs = window->TabControl();
        for (int i = 0; i < MaxRecorders; ++i) {
            if (AutoRecorder* r = window->Recorder(i)) {
                EXPECT_EQ(tabs->tabText(r->TabIndex), QStringLiteral("Wav Recorder %1").arg(i)) << legend;
            }
            if (Deck* d = window->DeckAt(i)) {
                EXPECT_EQ(tabs->tabText(d->TabIndex), QStringLiteral("Wav Player %1").arg(i)) << legend;
            }
        }
        for (int i = 0; GrabberForm* g = window->Grabber(i); ++i)
            EXPECT_EQ(tabs->tabText(GetGrabberFormTab(g)), QStringLiteral("Grabber %1").arg(i)) << legend;
        for (const FormTab& f : world.forms)
            EXPECT_EQ(tabs->tabText(f.index), f.text) << legend;
    }

    World world;
    std::unique_ptr<TV2000Window> window;
};

struct ModeRow {
    const char* legend;
    unsigned mode;
    int detectorDisplay;
    int rows;
    int grabbers;
    bool heardTable;
    std::vector<QString> tabs;
    bool trafficLight;
    bool detectorForm;
};

class RunModeTabs : public MainWindowTest, public ::testing::WithParamInterface<ModeRow> {};

TEST_P(RunModeTabs, TabsFollowRunModeAndSettings)
{
    const ModeRow& row = GetParam();
    world.rows = row.rows;
    world.heardTable = row.heardTable;
    TV2000Window& w = Make(row.mode, [&](ProgramSettings& s) {
        s.DetectorsPosition = uint8_t(row.detectorDisplay);
        s.NGrabbers = uint8_t(row.grabbers);
    });
    EXPECT_EQ(TabTexts(w), row.tabs) << row.legend;
    EXPECT_EQ(w.TrafficLight() != nullptr, row.trafficLight) << row.legend;
    EXPECT_EQ(w.DetectorForm() != nullptr, row.detectorForm) << row.legend;
    ExpectIndicesConsistent(row.legend);
}

INSTANTIATE_TEST_SUITE_P(Modes, RunModeTabs,
                         ::testing::Values(ModeRow{"online, everything on tabs",
                                                   RunModeOnline,
                                                   2,
                                                   1,
                                                   2,
                                                   true,
                                                   {"Map", "Comments", "Detectors", "Whistles", "Things Heard",
                                                    "Wav Recorder 0", "Grabber 0", "Grabber 1", "Panel", "Form A"},
                                                   true,
                                                   true},
                                           ModeRow{"online, detectors down the left side",
                                                   RunModeOnline,
                                                   1,
                                                   0,
                                                   0,
                                                   false,
                                                   {"Map", "Comments", "Whistles", "Panel", "Form A"},
                                                   true,
                                                   true},
                                           ModeRow{"show data: no detectors, no light, no panels",
                                                   RunModeShowData,
                                                   2,
                                                   2,
                                                   3,
                                                   false,
                                                   {"Map", "Comments", "Wav Player 0", "Wav Player 1", "Form A"},
                                                   false,
                                                   false},
                                           ModeRow{"offline logging with two recorders",
                                                   RunModeOffline,
                                                   0,
                                                   2,
                                                   1,
                                                   false,
                                                   {"Map", "Comments", "Wav Recorder 0", "Wav Player 0",
                                                    "Wav Recorder 1", "Wav Player 1", "Form A"},
                                                   true,
                                                   false}));

TEST_F(MainWindowTest, OfflineLastDeckDrivesTheClock)
{
    world.rows = 2;
    TV2000Window& w = Make(RunModeOffline);
    ASSERT_NE(world.clockDeck, nullptr);
    EXPECT_EQ(world.clockDeck, w.DeckAt(1));
    EXPECT_EQ(window->windowTitle(), "Velmar 2010 - /surveys/season.sqlite - (Offline Logging)");
}

// At a large display font every clock label shows whole and clear of the
// box before it, in each run mode that shows two clocks or the run buttons.
TEST_F(MainWindowTest, AtALargeFontNoTextIsCutAndNoLabelCoversABox)
{
    for (unsigned mode : {RunModeOnline, RunModeShowData, RunModeOffline}) {
        SCOPED_TRACE(mode);
        TV2000Window& w = Make(mode, [](ProgramSettings& s) {
            s.DisplayLogFont.lfHeight = -26;
            s.DisplayLogFont.lfFaceName.setText(QStringLiteral("Sans Serif"));
            s.TimesAdjacent = TimesAdjacentOption;
        });
        w.resize(1800, 900);
        w.show();
        Drain();
        EXPECT_EQ(velmar::test::CutTexts(&w), QStringList());
        const QWidget* gmt = FindMyEdit(&w, IdClockEdit1);
        const QWidget* local = nullptr;
        for (auto* label : w.findChildren<TMyStatic*>(Qt::FindDirectChildrenOnly))
            if (ControlIdOf(label) == IdClockLabel2)
                local = label;
        ASSERT_NE(gmt, nullptr);
        if (local) {
            EXPECT_FALSE(local->geometry().intersects(gmt->geometry()));
        }
        window.reset();
    }
}

TEST_F(MainWindowTest, AlteringSettingsMakesNoChildren)
{
    TV2000Window& w = Make(RunModeAlterSettings);
    EXPECT_EQ(w.TabControl(), nullptr);
    EXPECT_EQ(w.TrafficLight(), nullptr);
    EXPECT_EQ(w.windowTitle(), "Velmar 2010 - Alter Settings");
    EXPECT_EQ(world.At("init dde"), -1);
}

TEST_F(MainWindowTest, RecorderResyncKeepsEveryTabIndexRight)
{
    world.rows = 1;
    TV2000Window& w = Make(RunModeOnline, [](ProgramSettings& s) { s.NGrabbers = 2; });
    const std::vector<QString> before = TabTexts(w);

    SetRecorderCount(3);
    w.UpdateRecorderTabs();
    EXPECT_EQ(world.rows, 3);
    EXPECT_EQ(TabTexts(w), (std::vector<QString>{"Map", "Comments", "Wav Recorder 0", "Wav Recorder 1",
                                                 "Wav Recorder 2", "Grabber 0", "Grabber 1", "Panel", "Form A"}));
    ExpectIndicesConsistent("raised to 3");
    EXPECT_EQ(w.FirstFreeTab(), 7);

    // Showing a grabber tab shows that grabber form and no recorder.
    w.TabControl()->setCurrentIndex(GetGrabberFormTab(w.Grabber(1)));
    EXPECT_TRUE(static_cast<FakeGrabber*>(w.Grabber(1))->widget->isVisibleTo(&w));
    EXPECT_FALSE(w.Recorder(2)->Widget()->isVisibleTo(&w));

    SetRecorderCount(1);
    w.UpdateRecorderTabs();
    EXPECT_EQ(world.rows, 1);
    EXPECT_GE(world.At("delete row 2"), 0);
    EXPECT_LT(world.At("delete row 2"), world.At("delete row 1")); // from the last one down
    EXPECT_EQ(TabTexts(w), before);
    ExpectIndicesConsistent("back to 1");
    EXPECT_EQ(w.Recorder(1), nullptr);
}

TEST_F(MainWindowTest, OfflineResyncPutsTheNewRecorderAfterTheLastDeck)
{
    world.rows = 2;
    TV2000Window& w = Make(RunModeOffline);
    SetRecorderCount(3);
    w.UpdateRecorderTabs();
    EXPECT_EQ(TabTexts(w), (std::vector<QString>{"Map", "Comments", "Wav Recorder 0", "Wav Player 0", "Wav Recorder 1",
                                                 "Wav Player 1", "Wav Recorder 2", "Form A"}));
    ExpectIndicesConsistent("offline raised");
}

struct CloseRow {
    const char* legend;
    unsigned mode;
    int popupForms;
    bool recording;
    std::vector<QMessageBox::StandardButton> answers;
    bool closes;
    std::vector<QString> questions;
    bool stopsRecorder;
};

const QString PopupText = "close unsaved forms ?";
const QString BusyText =
    "One or more Mavrels are still recording / playing.\nThey must be stopped before exiting Velmar";
const QString SureText = "Are you sure you want to exit Velmar ?";

class CloseDecisions : public MainWindowTest, public ::testing::WithParamInterface<CloseRow> {};

TEST_P(CloseDecisions, AsksAndDecides)
{
    const CloseRow& row = GetParam();
    world.rows = 1;
    TV2000Window& w = Make(row.mode);
    world.popupForms = row.popupForms;
    if (row.recording)
        world.recorders.at(0)->recording = true;
    world.answers.assign(row.answers.begin(), row.answers.end());
    world.questions.clear();
    world.log.clear();

    EXPECT_EQ(w.CanClose(), row.closes) << row.legend;
    EXPECT_EQ(world.questions, row.questions) << row.legend;
    EXPECT_EQ(world.At("stop recorder 0") >= 0, row.stopsRecorder) << row.legend;
    EXPECT_EQ(world.At("close db") >= 0, row.closes) << row.legend;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CloseDecisions,
    ::testing::Values(
        CloseRow{"pop-up form open, kept: refused, nothing stopped",
                 RunModeOnline,
                 1,
                 true,
                 {QMessageBox::No},
                 false,
                 {PopupText},
                 false},
        CloseRow{"pop-up form open, let go: the usual question follows",
                 RunModeOnline,
                 1,
                 false,
                 {QMessageBox::Yes, QMessageBox::Yes},
                 true,
                 {PopupText, SureText},
                 false},
        CloseRow{"online, idle, Yes", RunModeOnline, 0, false, {QMessageBox::Yes}, true, {SureText}, false},
        CloseRow{"online, idle, No", RunModeOnline, 0, false, {QMessageBox::No}, false, {SureText}, false},
        CloseRow{"online, idle, Cancel", RunModeOnline, 0, false, {QMessageBox::Cancel}, false, {SureText}, false},
        CloseRow{
            "recording, Cancel keeps running", RunModeOnline, 0, true, {QMessageBox::Cancel}, false, {BusyText}, false},
        CloseRow{"recording, OK stops and exits without asking again",
                 RunModeOnline,
                 0,
                 true,
                 {QMessageBox::Ok},
                 true,
                 {BusyText},
                 true},
        CloseRow{"offline, idle: no question", RunModeOffline, 0, false, {}, true, {}, false}));

TEST_F(MainWindowTest, ShutdownClosesDatabaseThenWritesBlockLast)
{
    world.rows = 1;
    TV2000Window& w = Make(RunModeOnline, [](ProgramSettings& s) { s.NGrabbers = 1; });
    world.answers = {QMessageBox::Yes};
    world.log.clear();
    RemoveSettings();
    ASSERT_TRUE(w.CanClose());
    const std::vector<std::string> expected{"free grabber 0", "save plot menus", "save settings rows",
                                            "close db",       "write block",     "close dde"};
    EXPECT_EQ(world.log, expected);
    EXPECT_TRUE(QFileInfo::exists(velmar::store::ProgramSettingsFilePath()));
}

TEST_F(MainWindowTest, CancelledDatabaseSheetEndsTheProgram)
{
    world.databaseSheetAnswer = false;
    TV2000Window& w = Make(RunModeOnline);
    EXPECT_TRUE(w.QuitPosted());
    EXPECT_FALSE(w.DatabaseConfirmed());
    EXPECT_EQ(w.TabControl(), nullptr);
    EXPECT_EQ(world.At("open db"), -1);
    EXPECT_EQ(world.At("init dde"), -1); // set-up did nothing
}

TEST_F(MainWindowTest, NoDatabaseAfterTheSecondSheetEndsTheProgram)
{
    world.openResult = 1;
    world.dbOpen = false;
    TV2000Window& w = Make(RunModeOnline);
    EXPECT_TRUE(w.QuitPosted());
    ASSERT_EQ(world.questions.size(), 1u);
    EXPECT_EQ(world.questions[0], "A valid database must be open before the programme can execute");
    EXPECT_EQ(world.At("load settings rows"), -1);
}

TEST_F(MainWindowTest, RestartResumesWithoutTheSheet)
{
    TV2000Window& w = Make(RunModeOnline, [](ProgramSettings& s) { s.RestartMode = int32_t(RunModeOffline); });
    EXPECT_EQ(RunMode, RunModeOffline);
    EXPECT_EQ(world.At("database sheet"), -1);
    EXPECT_TRUE(w.DatabaseConfirmed());
    EXPECT_EQ(TheProgramSettings.RestartMode, 0);
    EXPECT_NE(w.DeckAt(0), nullptr);
}

TEST_F(MainWindowTest, FirstRunKeepsTheRecorderCountChosenInSetup)
{
    RunMode = RunModeOnline;
    RemoveSettings();
    world.rows = 1;
    world.setupRecorderCount = 2;
    window = std::make_unique<TV2000Window>(nullptr, world.Services());
    window->SetupWindow();
    ASSERT_GE(world.questions.size(), 1u);
    EXPECT_TRUE(world.questions[0].startsWith("This is either the first time"));
    EXPECT_LT(world.At("write block"), world.At("programme setup"));
    EXPECT_LT(world.At("programme setup"), world.At("database sheet"));
    EXPECT_EQ(GetRecorderCount(), 2);
    EXPECT_EQ(world.rows, 2);
    EXPECT_NE(window->Recorder(1), nullptr);
    EXPECT_FALSE(TheProgramSettings.FirstRunPending);
}

TEST_F(MainWindowTest, CounterThreadThatWillNotStopIsNotStartedTwice)
{
    world.counterRunning = true;
    world.counterStops = false;
    Make(RunModeOnline, [](ProgramSettings& s) {
        s.ButtonDeviceType = 3;
        s.ButtonOutputPort = 1;
    });
    EXPECT_GE(world.At("counter wait 5000"), 0);
    EXPECT_EQ(world.At("counter start"), -1);

    world.log.clear();
    world.counterStops = true;
    window.reset();
    Make(RunModeOnline, [](ProgramSettings& s) {
        s.ButtonDeviceType = 3;
        s.ButtonOutputPort = 1;
    });
    EXPECT_LT(world.At("counter quit"), world.At("counter start"));
}

TEST_F(MainWindowTest, TabKeysAndSelectFirstRecorder)
{
    world.rows = 1;
    TV2000Window& w = Make(RunModeOnline);
    QTabBar* tabs = w.TabControl();
    tabs->setCurrentIndex(0);
    sendWindowMessage(&w, MsgTabKey, Qt::Key_PageUp, 0);
    EXPECT_EQ(tabs->currentIndex(), 0);
    sendWindowMessage(&w, MsgTabKey, Qt::Key_PageDown, 0);
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_TRUE(w.findChild<QLabel*>()->parentWidget() == &w);
    tabs->setCurrentIndex(tabs->count() - 1);
    sendWindowMessage(&w, MsgTabKey, Qt::Key_PageDown, 0);
    EXPECT_EQ(tabs->currentIndex(), tabs->count() - 1);

    EXPECT_TRUE(w.Command(Command::SelectFirstRecorder));
    EXPECT_EQ(tabs->currentIndex(), w.Recorder(0)->TabIndex);
    EXPECT_TRUE(w.Recorder(0)->Widget()->isVisibleTo(&w));
    EXPECT_FALSE(world.map->isVisibleTo(&w));

    sendWindowMessage(&w, MsgSelectTab, 0, 0);
    EXPECT_TRUE(world.map->isVisibleTo(&w));
}

TEST_F(MainWindowTest, ClockStripStatusSlotsAndDetectorMessages)
{
    TV2000Window& w = Make(RunModeOnline, [](ProgramSettings& s) { s.TimesAdjacent = 1; });
    const QRegularExpression dateTime(R"(^\d\d \w{3} \d{4} \d\d:\d\d:\d\d$)");
    EXPECT_TRUE(dateTime.match(FindMyEdit(&w, IdClockEdit1)->text()).hasMatch())
        << FindMyEdit(&w, IdClockEdit1)->text().toStdString();
    EXPECT_TRUE(dateTime.match(FindMyEdit(&w, IdClockEdit2)->text()).hasMatch());

    for (int i = 0; i < ProgramStatusSlots; ++i) {
        const ProgramStatusSlot& slot = w.StatusSlot(i);
        EXPECT_EQ(slot.status, StatusNotRunning);
        EXPECT_EQ(slot.time.toTimePoint() - slot.earlier.toTimePoint(), std::chrono::seconds(20));
    }
    EXPECT_NE(w.DetectorStatusMessageId(), 0u);
    EXPECT_NE(w.DetectorStatusMessageId(), w.DetectorCommandMessageId());
}

TEST_F(MainWindowTest, OfflineClockTextGoesToTheCommentsToo)
{
    QString toComments;
    world.comments.clockText = [&](const QString& t) { toComments = t; };
    TV2000Window& w = Make(RunModeOffline);
    w.UpdateClock();
    EXPECT_TRUE(QRegularExpression(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d$)").match(toComments).hasMatch())
        << toComments.toStdString();
    EXPECT_EQ(FindMyEdit(&w, IdClockEdit1)->text(), toComments);
    EXPECT_FALSE(FindMyEdit(&w, IdClockEdit1)->isReadOnly()); // the start time is typed here
    EXPECT_NE(w.findChild<TMyButton*>(), nullptr);
}

TEST_F(MainWindowTest, GrabberFormsStopAt128)
{
    TV2000Window& w = Make(RunModeOnline, [](ProgramSettings& s) { s.NGrabbers = 130; });
    EXPECT_EQ(GetGrabberCount(), 130);
    EXPECT_NE(w.Grabber(MaxGrabberForms - 1), nullptr);
    EXPECT_EQ(w.Grabber(MaxGrabberForms), nullptr);
    EXPECT_EQ(TabTexts(w).at(w.FixedTabCount() + 1 + 127), "Grabber 127");
    ExpectIndicesConsistent("128 grabbers");
}

TEST_F(MainWindowTest, NightSchemeReachesTheMainWindowsControls)
{
    NightDayApp app;
    TV2000Window& w = Make(RunModeOnline, [](ProgramSettings& s) { s.ShowBottomControls = true; });
    app.CmNight();
    Drain();
    EXPECT_EQ(w.NightDayScheme(), NightScheme);
    EXPECT_EQ(FindMyEdit(&w, IdClockEdit1)->palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_EQ(FindMyEdit(&w, IdStatusCable)->palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_EQ(w.TabControl()->palette().color(QPalette::Window), QColor(Qt::black));
    app.CmDay();
    Drain();
    EXPECT_EQ(w.TabControl()->palette().color(QPalette::Window), QColor(Qt::white));
}

TEST_F(MainWindowTest, DetectorColumnDownTheLeftSide)
{
    world.detectors.panelWidth = 120;
    QRect placedIn;
    world.detectors.placeDetectorForm = [&](QWidget*, const QRect& page) { placedIn = page; };
    TV2000Window& w = Make(RunModeOnline, [](ProgramSettings& s) { s.DetectorsPosition = 1; });
    w.show();
    EXPECT_EQ(w.TabControl()->x(), 128);
    EXPECT_EQ(placedIn.x(), 128);
    for (int i = 0; i < w.TabControl()->count(); ++i) {
        w.TabControl()->setCurrentIndex(i);
        EXPECT_TRUE(w.DetectorForm()->isVisible()) << i;
    }
}

TEST_F(MainWindowTest, PageKeysMoveAmongSubTabsFirst)
{
    QTabBar sub;
    for (const char* t : {"Sighting", "Effort", "Weather"})
        sub.addTab(t);
    int formTab = -1;
    world.userForms.findSubTabs = [&](int tab) { return tab == formTab ? &sub : nullptr; };
    TV2000Window& w = Make(RunModeOnline);
    formTab = world.forms.back().index;
    QTabBar* tabs = w.TabControl();
    tabs->setCurrentIndex(formTab);
    sub.setCurrentIndex(1);

    sendWindowMessage(&w, MsgTabKey, VkPrior, 0);
    EXPECT_EQ(sub.currentIndex(), 0);
    EXPECT_EQ(tabs->currentIndex(), formTab);
    sendWindowMessage(&w, MsgTabKey, VkPrior, 0);
    EXPECT_EQ(sub.currentIndex(), 0);
    EXPECT_EQ(tabs->currentIndex(), formTab - 1);
}

TEST_F(MainWindowTest, AutoStartArmsRecordersAndStartsCameras)
{
    world.rows = 2;
    TV2000Window& w = Make(RunModeOnline, [](ProgramSettings& s) { s.NGrabbers = 1; });
    world.log.clear();
    sendWindowMessage(&w, MsgAutoStart, 0, 0);
    EXPECT_EQ(world.log, (std::vector<std::string>{"auto start 0", "auto start 1", "start grabber 0"}));
}

TEST_F(MainWindowTest, OnlineWindowRendering)
{
    world.rows = 1;
    TV2000Window& w = Make(RunModeOnline, [](ProgramSettings& s) {
        s.ShowBottomControls = true;
        s.TimesAdjacent = 1;
        s.DetectorsPosition = 2;
    });
    w.show();
    FindMyEdit(&w, IdStatusNmea)->SetColourCode(1);
    FindMyEdit(&w, IdStatusDatum)->SetColourCode(6);
    FindMyEdit(&w, IdStatusPower)->SetColourCode(2);
    FindMyEdit(&w, IdStatusCable)->SetColourCode(3);
    FindMyEdit(&w, IdClockEdit1)->setText("2026-12-10 13:20:00");
    Drain();
    const QImage shot = w.grab().toImage();
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath("main_window_online.png");
    ASSERT_TRUE(shot.save(path));

    auto sample = [&](int id) {
        const QRect r = FindMyEdit(&w, id)->geometry();
        return shot.pixelColor(r.left() + 5, r.center().y());
    };
    EXPECT_EQ(sample(IdStatusNmea), QColor(Qt::white));
    EXPECT_EQ(sample(IdStatusDatum), QColor(255, 255, 215));
    EXPECT_EQ(sample(IdStatusPower), QColor(225, 128, 128));
    EXPECT_EQ(sample(IdStatusCable), QColor(0, 255, 0));
    // The map shows on its tab inside the tab control.
    const QRect map = world.map->geometry();
    EXPECT_EQ(shot.pixelColor(map.center()), QColor(200, 230, 255));
    EXPECT_GT(map.top(), w.TabControl()->geometry().bottom());
    // The bottom row sits under the tab control.
    EXPECT_GT(FindMyEdit(&w, IdStatusNmea)->geometry().top(), map.bottom());
}

} // namespace

namespace {

TEST(GrabberForms, NullFormsAndNoCameraServiceDoNothing)
{
    EXPECT_EQ(NoCameras().MakeGrabberForm(nullptr, 0), nullptr);
    SetGrabberFormTab(nullptr, 3);
    EXPECT_EQ(GetGrabberFormTab(nullptr), -1);
    PlaceGrabberForm(nullptr, nullptr, QRect(0, 0, 10, 10));
    ShowGrabberForm(nullptr, true);
    StartGrabberForm(nullptr, 1);
    GrabberFormGrab(nullptr, "Button 7");
    FreeGrabberForm(nullptr);
}

// A main window made without a start-up service still writes its settings
// block and still ends the event loop.
TEST(StartupDefault, WritesTheSettingsBlockAndEndsTheEventLoop)
{
    QFile::remove(velmar::store::ProgramSettingsFilePath());
    QString error;
    ASSERT_TRUE(NoStartup().WriteProgramSettings(&error)) << error.toStdString();
    EXPECT_TRUE(QFile::exists(velmar::store::ProgramSettingsFilePath()));

    QTimer stuck;
    stuck.setSingleShot(true);
    QObject::connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    stuck.start(10000);
    NoStartup().PostQuit();
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

// Velmar's start-up takes the pipe server's settings file into the
// process-wide record; without the file the record keeps its values.
TEST(ProgramStartupPipes, ReadsThePipeServersFileWhenThereIsOne)
{
    struct NoRecent : velmar::store::RecentDatabaseList {
        QStringList entries() const override { return {}; }
        void saveMenuChoice(const QString&) override {}
    } recent;
    ProgramStartup startup(recent, NoSettingsDialogs());
    namespace pipes = velmar::pipeserver;
    const pipes::PipeSettings before = pipes::ThePipeSettings();
    QFile::remove(pipes::PipeSettingsFilePath());
    startup.ReadPipeSettings();
    EXPECT_EQ(pipes::ThePipeSettings().SampleRate, before.SampleRate);

    pipes::PipeSettings written = before;
    written.SampleRate = before.SampleRate == 96000 ? 48000 : 96000;
    ASSERT_TRUE(pipes::WritePipeSettings(written).ok);
    startup.ReadPipeSettings();
    EXPECT_EQ(pipes::ThePipeSettings().SampleRate, written.SampleRate);
    pipes::ThePipeSettings() = before;
    QFile::remove(pipes::PipeSettingsFilePath());
}

} // namespace
