// The main window's private messages and the commands of its status pop-up:
// what each message does in which state (with or without the child window it
// addresses), the weather station, the first show-data message, the
// pop-up's start, stop and show, and what the display and I/O sheets do once
// they close.
#include "MainWindowFakes.h"
#include "PagesTestSupport.h"
#include "ShellTestUtil.h"

#include "shell/CommandIds.h"
#include "shell/MainCommands.h"
#include "shell/MainWindowMessages.h"
#include "widgets/MyControls.h"
#include "shell/TV2000Window.h"
#include "platform/WindowMessage.h"

#include <QAction>
#include <QMenu>

namespace velmar::shell::test {
namespace {

using store::TheProgramSettings;

// Logs the private messages that reach a window as "<name> <message>
// <wParam>" and answers them; a child's messages stop here, the main
// window's go on to it.
class MessageLog : public QObject {
public:
    MessageLog(World& world, std::string name, QObject* target, bool consume, qint64 answer = 0)
        : m_world(world), m_name(std::move(name)), m_consume(consume), m_answer(answer)
    {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() != platform::WindowMessageEvent::eventType())
            return false;
        auto* m = static_cast<platform::WindowMessageEvent*>(e);
        m_world.Log(m_name + " " + std::to_string(m->message()) + " " + std::to_string(m->wParam()));
        if (m_consume)
            m->setResult(m_answer);
        return m_consume;
    }

private:
    World& m_world;
    std::string m_name;
    bool m_consume;
    qint64 m_answer;
};

class MainMessagesTest : public ::testing::Test {
protected:
    void SetUp() override { SetRecorderCount(0); }
    void InstallHooks()
    {
        world.Install();
        world.detectors.setProgramStatus = [this](quint64 p, qint64 s) { Log("status", p, s); };
        world.detectors.ddeEvent = [this](quint64 k, qint64 r) { Log("dde", k, r); };
        world.heard.thingsHeard = [this](quint64 w, qint64 l) { Log("heard", w, l); };
        world.mapService.checkTrack = [this] { world.Log("check track"); };
        world.mapService.item = [this](qint64 item) { Log("map item", item); };
        world.mapService.newFix = [this](const platform::SystemTime& t) { Log("new fix", t.wSecond); };
        world.decks.playing = [this](bool playing, int deck) { Log("deck playing", playing, deck); };
        world.mapService.redraw = [this](bool refit, bool reset) { Log("redraw", refit, reset); };
        world.detectors.startProgram = [this](int p, int how) { Log("start program", p, how); };
        world.detectors.sendDetectorCommand = [this](int p, int action, int value) {
            Log("detector command", p, action, value);
        };
        world.detectors.getProgramStatus = [this](int) { return programStatus; };
        world.weather.library = [this] { return weatherDll; };
        world.weather.windowExists = [this] { return weatherWindowExists; };
        world.detectors.makeDetectorForm = [](QWidget* parent) {
            auto* panel = new QWidget(parent);
            new TMyEdit(panel, 31552, QString(), 0, 0, 80, 20);
            new TMyEdit(panel, 31559, QString(), 0, 20, 80, 20);
            return panel;
        };
    }
    void TearDown() override
    {
        logs.clear();
        window.reset();
        platform::RunMode = platform::RunModeOnline;
    }
    template <class... A>
    void Log(const std::string& what, A... a)
    {
        std::string line = what;
        ((line += " " + std::to_string(a)), ...);
        world.Log(line);
    }
    // The window with its map, comment window and first deck logged; a child
    // the row leaves out is never made.
    TV2000Window& Make(unsigned mode, bool withMap = true, bool withComments = true,
                       const std::function<void()>& hooks = {})
    {
        logs.clear();
        window.reset();
        world.map = nullptr;
        InstallHooks();
        if (hooks)
            hooks();
        platform::RunMode = mode;
        if (!withMap)
            world.mapService.make = nullptr;
        world.comments.make = [this, withComments](QWidget* parent) -> QWidget* {
            if (!withComments)
                return nullptr;
            auto* w = new QWidget(parent);
            logs.push_back(std::make_unique<MessageLog>(world, "comments", w, true, commentAnswer));
            return w;
        };
        WriteSettings([&](store::ProgramSettings& s) {
            s.DetectorsPosition = DetectorsOnTab;
            s.CollectWeather = collectWeather;
        });
        window = std::make_unique<TV2000Window>(nullptr, world.Services());
        window->resize(1000, 700);
        window->SetupWindow();
        Drain();
        if (withMap && world.map)
            logs.push_back(std::make_unique<MessageLog>(world, "map", world.map, true));
        if (Deck* d = window->DeckAt(0))
            logs.push_back(std::make_unique<MessageLog>(world, "deck", d->Widget(), true, deckAnswer));
        logs.push_back(std::make_unique<MessageLog>(world, "self", window.get(), false));
        world.log.clear();
        return *window;
    }
    // The log without the lines that start with prefix.
    std::vector<std::string> LogWithout(const std::string& prefix) const
    {
        std::vector<std::string> lines;
        for (const std::string& line : world.log)
            if (line.rfind(prefix, 0) != 0)
                lines.push_back(line);
        return lines;
    }

    World world;
    // Above the world's dialogs: every message box and question is recorded here.
    MessageRecorder messages;
    std::vector<std::unique_ptr<MessageLog>> logs;
    std::unique_ptr<TV2000Window> window;
    qint64 commentAnswer = 5;
    qint64 deckAnswer = 6;
    quint32 programStatus = StatusNotRunning;
    bool collectWeather = false;
    bool weatherDll = true;
    bool weatherWindowExists = false;
};

const char deckClockText[] = "2010-06-01 10:00:05";
const platform::SystemTime deckTime = [] {
    platform::SystemTime t;
    t.wYear = 2010;
    t.wSecond = 5;
    return t;
}();

struct MessageRow {
    const char* legend;
    unsigned mode;
    bool withMap, withComments;
    int tab;
    unsigned message;
    quint64 wParam;
    qint64 lParam;
    qint64 result;
    std::vector<std::string> effects;
};

TEST_F(MainMessagesTest, EachMessageReachesItsTargetOrAnswersZeroWithoutIt)
{
    const auto text = quint64(reinterpret_cast<quintptr>(deckClockText));
    const auto time = qint64(reinterpret_cast<quintptr>(&deckTime));
    const std::string textArg = std::to_string(text);
    const MessageRow rows[] = {
        {"arrow key on the map tab",
         platform::RunModeShowData,
         true,
         true,
         0,
         platform::MsgArrowKey,
         VkLeft,
         1,
         1,
         {"map 1057 37"}},
        {"arrow key on another tab", platform::RunModeShowData, true, true, 1, platform::MsgArrowKey, VkLeft, 1, 0, {}},
        {"arrow key on the map tab, no map",
         platform::RunModeShowData,
         false,
         true,
         0,
         platform::MsgArrowKey,
         VkLeft,
         1,
         1,
         {}},
        {"map file loaded",
         platform::RunModeOnline,
         true,
         true,
         0,
         platform::MsgMapFileLoaded,
         0,
         0,
         0,
         {"check track"}},
        {"map file loaded, no map", platform::RunModeOnline, false, true, 0, platform::MsgMapFileLoaded, 0, 0, 0, {}},
        {"map item", platform::RunModeOnline, true, true, 0, platform::MsgMapItem, 7, 0, 0, {"map item 7"}},
        {"map item, no map", platform::RunModeOnline, false, true, 0, platform::MsgMapItem, 7, 0, 0, {}},
        {"deck time",
         platform::RunModeShowData,
         true,
         true,
         0,
         platform::MsgDeckTimeText,
         text,
         time,
         1,
         {"comments 1065 1", "new fix 5"}},
        {"deck time, no map nor comments",
         platform::RunModeShowData,
         false,
         false,
         0,
         platform::MsgDeckTimeText,
         text,
         time,
         1,
         {}},
        {"recording state",
         platform::RunModeOnline,
         true,
         true,
         0,
         platform::MsgRecordingState,
         2,
         0,
         5,
         {"comments 1069 2"}},
        {"recording state, no comments",
         platform::RunModeOnline,
         true,
         false,
         0,
         platform::MsgRecordingState,
         2,
         0,
         0,
         {}},
        {"device change, a deck",
         platform::RunModeShowData,
         true,
         true,
         0,
         platform::MsgDeviceChange,
         7,
         0,
         6,
         {"deck 537 7"}},
        {"device change, no deck", platform::RunModeOnline, true, true, 0, platform::MsgDeviceChange, 7, 0, 0, {}},
        {"deck detector text, a panel",
         platform::RunModeOnline,
         true,
         true,
         0,
         platform::MsgDeckDetectorText,
         text,
         3725,
         1,
         {}},
        {"deck detector text, no panel",
         platform::RunModeShowData,
         true,
         true,
         0,
         platform::MsgDeckDetectorText,
         text,
         3725,
         0,
         {}},
        {"deck playing",
         platform::RunModeShowData,
         true,
         true,
         0,
         platform::MsgDeckPlaying,
         1,
         0,
         0,
         {"deck playing 1 0"}},
        {"detector status",
         platform::RunModeOnline,
         true,
         true,
         0,
         platform::MsgDetectorStatus,
         4,
         131072,
         0,
         {"status 4 131072"}},
        {"detector event", platform::RunModeOnline, true, true, 0, platform::MsgDdeEvent, 3, 9, 0, {"dde 3 9"}},
        {"thing heard", platform::RunModeOnline, true, true, 0, platform::MsgThingsHeard, 1, 2, 0, {"heard 1 2"}},
        {"effort reload", platform::RunModeShowData, true, true, 0, platform::MsgEffortReload, 0, 0, 0, {"redraw 0 1"}},
        {"a message nobody handles", platform::RunModeOnline, true, true, 0, 1999, 0, 0, 0, {}},
    };
    for (const MessageRow& r : rows) {
        TV2000Window& w = Make(r.mode, r.withMap, r.withComments);
        w.TabControl()->setCurrentIndex(r.tab);
        world.log.clear();
        EXPECT_EQ(platform::sendWindowMessage(&w, r.message, r.wParam, r.lParam), r.result) << r.legend;
        Drain();
        EXPECT_EQ(LogWithout("self "), r.effects) << r.legend;

        if (r.message == platform::MsgDeckTimeText) {
            EXPECT_EQ(FindMyEdit(&w, IdClockEdit1)->text(), QString::fromLatin1(deckClockText)) << r.legend;
        }
        if (r.message == platform::MsgDeckDetectorText && w.DetectorForm()) {
            EXPECT_EQ(FindMyEdit(w.DetectorForm(), 31552)->text(), QString::fromLatin1(deckClockText));
            EXPECT_EQ(FindMyEdit(w.DetectorForm(), 31559)->text(), QStringLiteral("01:02:05"));
        }
    }
}

TEST_F(MainMessagesTest, WeatherStationRunsOnlyWhenEnabledInOnlineLogging)
{
    struct Row {
        const char* legend;
        unsigned mode;
        bool enabled, library, windowExists;
        std::vector<std::string> effects;
    };
    const Row rows[] = {
        {"enabled, online, not running", platform::RunModeOnline, true, true, false, {"start weather"}},
        {"enabled, online, running", platform::RunModeOnline, true, true, true, {}},
        {"turned off while online", platform::RunModeOnline, false, true, true, {"weather 1062 0"}},
        {"enabled, show data", platform::RunModeShowData, true, true, true, {"weather 1062 0"}},
        {"no weather library", platform::RunModeOnline, true, false, false, {}},
    };
    for (const Row& r : rows) {
        collectWeather = r.enabled;
        weatherDll = r.library;
        weatherWindowExists = false;
        TV2000Window& w = Make(r.mode);
        QObject weatherWindow;
        MessageLog weatherLog(world, "weather", &weatherWindow, true);
        // The weather thread announces its window, which is told to start.
        EXPECT_EQ(platform::sendWindowMessage(&w, platform::MsgWeatherWindow, 0,
                                              qint64(reinterpret_cast<quintptr>(&weatherWindow))),
                  0);
        Drain();
        EXPECT_EQ(LogWithout("self "), std::vector<std::string>{"weather 1060 0"}) << r.legend;

        world.log.clear();
        weatherWindowExists = r.windowExists;
        platform::sendWindowMessage(&w, platform::MsgWeatherStation, 0, 0);
        Drain();
        EXPECT_EQ(LogWithout("self "), r.effects) << r.legend;
    }
}

TEST_F(MainMessagesTest, FirstShowDataCancelledLoadsNothingAndTheNextLoadsWithoutAsking)
{
    int sheets = 0;
    QString clockText;
    // The set-up's own show-data message meets a cancelled options sheet.
    TV2000Window& w = Make(platform::RunModeShowData, true, true, [&] {
        world.dialogs.runSheet = [&](ui::SettingsSheet&) {
            clockText = FindMyEdit(window.get(), IdClockEdit1)->text();
            return ++sheets, 0;
        };
        world.shownData.loadGps = [this] { return world.Log("load gps"), 3; };
        world.detectors.loadSpermData = [this] { world.Log("load sperm"); };
    });
    EXPECT_EQ(sheets, 1);
    EXPECT_EQ(FindMyEdit(&w, IdClockEdit1)->text(), clockText);

    platform::sendWindowMessage(&w, platform::MsgShowData, 0, 0);
    EXPECT_EQ(sheets, 1);
    EXPECT_EQ(LogWithout("self "), (std::vector<std::string>{"load gps", "load sperm", "redraw 1 1"}));
    EXPECT_EQ(FindMyEdit(&w, IdClockEdit1)->text(), QStringLiteral("0000-00-00 00:00:00"));

    // An empty database: nothing after the GPS data is loaded.
    world.log.clear();
    world.shownData.loadGps = [this] { return world.Log("load gps"), 0; };
    platform::sendWindowMessage(&w, platform::MsgShowData, 0, 0);
    EXPECT_EQ(LogWithout("self "), std::vector<std::string>{"load gps"});
}

struct PopupRow {
    const char* legend;
    int button;     // the status button pressed
    quint32 status; // of the program behind it
    int choice;     // pop-up command chosen
    std::vector<std::string> effects;
};

TEST_F(MainMessagesTest, PopupCommandsStartStopAndShowTheProgramOfTheirButton)
{
    const PopupRow rows[] = {
        {"start a porpoise detector that is not running",
         Command::ShowPorpoiseProgramme,
         StatusNotRunning,
         Command::PopupStart,
         {"start program 1 1", "detector command 1 1 0", "self 1030 0"}},
        {"start a whistle detector already running",
         Command::ShowWhistleProgramme,
         2,
         Command::PopupStart,
         {"detector command 2 1 0"}},
        {"show a click detector not found: started, not brought forward",
         Command::ShowClickProgramme,
         StatusNotFound,
         Command::PopupShow,
         {"start program 4 1", "detector command 4 3 0"}},
        {"stop a detector that is not running",
         Command::ShowPorpoiseProgramme,
         StatusNotRunning,
         Command::PopupStop,
         {"detector command 1 2 0"}},
        {"start long recording",
         Command::SelectFirstRecorder,
         StatusNotRunning,
         Command::PopupStart,
         {"recorder 30060 1"}},
        {"stop long recording",
         Command::SelectFirstRecorder,
         StatusNotRunning,
         Command::PopupStop,
         {"recorder 30060 2"}},
    };
    for (const PopupRow& r : rows) {
        programStatus = r.status;
        TV2000Window& w = Make(platform::RunModeOnline);
        ASSERT_NE(w.Recorder(0), nullptr);
        MessageLog recorderLog(world, "recorder", w.Recorder(0)->Widget(), true);
        QStringList items;
        world.dialogs.runPopup = [&](QMenu& menu, const QPoint&) -> QAction* {
            QAction* chosen = nullptr;
            for (QAction* a : menu.actions()) {
                if (!a->isSeparator())
                    items << a->text();
                if (a->data().toInt() == r.choice)
                    chosen = a;
            }
            return chosen;
        };
        const QPoint at(10, 10);
        EXPECT_EQ(platform::sendWindowMessage(&w, platform::MsgStatusPopup, quint64(r.button),
                                              qint64(reinterpret_cast<quintptr>(&at))),
                  0);
        Drain();
        EXPECT_EQ(LogWithout("self 1027 "), r.effects) << r.legend;
        const QStringList expected = r.button == Command::SelectFirstRecorder
                                       ? QStringList{"S&how Form", "&Start Long Recording", "S&top Long Recording"}
                                       : QStringList{"S&how Detector", "&Start Detector", "S&top Detector"};
        EXPECT_EQ(items, expected) << r.legend;
    }
}

TEST_F(MainMessagesTest, PopupOfAnotherButtonOrWithoutRecordersDoesNothing)
{
    int menus = 0;
    world.rows = 0;
    TV2000Window& w = Make(platform::RunModeOnline);
    world.dialogs.runPopup = [&](QMenu& menu, const QPoint&) { return ++menus, menu.actions().first(); };
    const QPoint at(10, 10);
    EXPECT_EQ(platform::sendWindowMessage(&w, platform::MsgStatusPopup, 31000, qint64(reinterpret_cast<quintptr>(&at))),
              0);
    EXPECT_EQ(menus, 0);
    // Long recording without a recorder: the menu shows, its command finds
    // nothing to do.
    platform::sendWindowMessage(&w, platform::MsgStatusPopup, quint64(Command::SelectFirstRecorder),
                                qint64(reinterpret_cast<quintptr>(&at)));
    Drain();
    EXPECT_EQ(menus, 1);
    EXPECT_EQ(LogWithout("self 1027 "), std::vector<std::string>{});
}

struct DisplayRow {
    const char* legend;
    unsigned mode;
    std::function<void(store::ProgramSettings&)> change;
    QStringList texts; // after the first sheet; a second one without change repeats the grabber message
    bool mapTold;
};

TEST_F(MainMessagesTest, DisplaySheetTellsWhatItsChangesNeed)
{
    const QString restart = QStringLiteral("You must restart the programme before this change takes effect");
    const QString newCameras = QStringLiteral("New Camera forms will only be created when Velmar is restarted\n\n"
                                              "Remember that each grabber form may contian multiple cameras");
    const QString noCameras = QStringLiteral(
        "Camera forms are only available when Velmar is running in normal (Velmar) mode");
    const DisplayRow rows[] = {
        {"closed without changes", platform::RunModeOnline, [](store::ProgramSettings&) {}, {}, true},
        {"detector display",
         platform::RunModeOnline,
         [](store::ProgramSettings& s) { s.DetectorsPosition = 1; },
         {restart},
         false},
        {"clock strip",
         platform::RunModeShowData,
         [](store::ProgramSettings& s) { s.TimesAdjacent = 1; },
         {restart},
         false},
        {"cameras in online logging",
         platform::RunModeOnline,
         [](store::ProgramSettings& s) { s.NGrabbers = 2; },
         {newCameras},
         true},
        {"cameras in offline logging",
         platform::RunModeOffline,
         [](store::ProgramSettings& s) { s.NGrabbers = 2; },
         {noCameras},
         true},
        {"altering settings",
         platform::RunModeAlterSettings,
         [](store::ProgramSettings& s) { s.DetectorsPosition = 1; },
         {},
         false},
    };
    for (const DisplayRow& r : rows) {
        TV2000Window& w = Make(r.mode);
        bool changed = false;
        world.dialogs.runSheet = [&](ui::SettingsSheet&) {
            if (!changed)
                r.change(TheProgramSettings);
            changed = true;
            return 1;
        };
        messages.texts.clear();
        ASSERT_TRUE(w.Command(Command::DisplayOptions)) << r.legend;
        Drain();
        EXPECT_EQ(messages.texts, r.texts) << r.legend;
        EXPECT_EQ(world.At("map 1029 0") >= 0, r.mapTold) << r.legend;

        messages.texts.clear();
        w.Command(Command::DisplayOptions);
        const bool camerasDiffer = r.texts.contains(newCameras) || r.texts.contains(noCameras);
        EXPECT_EQ(messages.texts, camerasDiffer ? r.texts : QStringList{}) << r.legend << " (second sheet)";
    }
}

TEST_F(MainMessagesTest, IoSheetRestartsTheButtonThreadsOnlyAfterChanges)
{
    weatherDll = false;
    for (const int result : {0, 1}) {
        world.counterRunning = true;
        TV2000Window& w = Make(platform::RunModeOnline, true, true);
        world.dialogs.runSheet = [&](ui::SettingsSheet&) { return result; };
        ASSERT_TRUE(w.Command(Command::IoSelections));
        Drain();
        // The weather station is looked at again in any case.
        EXPECT_NE(world.At("self 1061 0"), -1) << result;
        EXPECT_EQ(world.At("restart button thread") >= 0, result != 0);
        EXPECT_EQ(world.At("counter quit") >= 0, result != 0);
    }
}

} // namespace
} // namespace velmar::shell::test
