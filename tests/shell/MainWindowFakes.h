#pragma once
// Stand-ins for the subsystems around the main window: recorders, decks,
// grabber forms, the database's recorder rows, panels and user forms. Every
// call the main window makes through its hooks lands in one log, so tests
// can check the order of steps.
#include "shell/GrabberForms.h"
#include "shell/MainWindowPorts.h"
#include "shell/MainCommands.h"
#include "shell/MainWindowServices.h"
#include "platform/RunMode.h"
#include "shell/TV2000Window.h"
#include "settings/ProgramSettings.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/ScriptedFormServices.h"

#include <QFile>
#include <QTabBar>
#include <QWidget>

#include <deque>
#include <string>
#include <vector>

namespace velmar::shell::test {

struct World;

class FakeRecorder : public AutoRecorder {
public:
    FakeRecorder(World& w, QWidget* parent, int index);
    ~FakeRecorder() override;
    QWidget* Widget() override { return m_widget; }
    void SetNumber(int n) override { number = n; }
    QString GetRecorderName() override { return QStringLiteral("Wav Recorder %1").arg(number); }
    void CreateWindow() override;
    void CreateTriggerBoxes() override;
    bool CanClose() override { return !recording; }
    void StopRecording(int) override;
    void AutoStartCheck() override;

    World& world;
    int index;
    int number = -1;
    bool recording = false;
    QWidget* m_widget;
};

class FakeDeck : public Deck {
public:
    FakeDeck(World& w, QWidget* parent, int index);
    QWidget* Widget() override { return m_widget; }
    void CreateWindow() override;
    bool CanClose() override { return !playing; }
    void StopPlayback() override;

    World& world;
    int index;
    bool playing = false;
    QWidget* m_widget;
};

class FakeGrabber : public GrabberForm {
public:
    FakeGrabber(World& w, QWidget* parent, int index);
    ~FakeGrabber() override;
    void SetTab(int t) override { tab = t; }
    int Tab() const override { return tab; }
    void Place(QWidget* parent, const QRect& r) override
    {
        widget->setParent(parent);
        widget->setGeometry(r);
    }
    void SetVisible(bool v) override { widget->setVisible(v); }
    void Start(int) override;
    void Grab(const QString&) override {}

    World& world;
    int index;
    int tab = -1;
    QWidget* widget;
};

// A page that panels or user forms own: a tab text and the index it keeps.
struct FormTab {
    QString text;
    int index;
};

// The recorders the main window is made with: fake recorders.
struct FakeRecorders : RecorderService {
    explicit FakeRecorders(World& w) : world(w) {}
    std::unique_ptr<AutoRecorder> MakeRecorder(QWidget* parent, int index) override;
    World& world;
};

// The decks the main window is made with: fake decks, the clock deck kept,
// a deck's playing told to `playing` when set.
struct FakeDecks : DeckService {
    explicit FakeDecks(World& w) : world(w) {}
    std::unique_ptr<Deck> MakeDeck(QWidget* parent, int index) override;
    void SetProgramClockDeck(Deck* deck) override;
    void DeckPlaying(bool isPlaying, int index) override
    {
        if (playing)
            playing(isPlaying, index);
    }
    World& world;
    std::function<void(bool playing, int index)> playing;
};

// The camera forms the main window is made with: fake grabbers.
struct FakeCameras : CameraService {
    explicit FakeCameras(World& w) : world(w) {}
    GrabberForm* MakeGrabberForm(QWidget* parent, int index) override;
    World& world;
};

// The comment panel the main window is made with: a label, or what `make`
// makes; the clock's texts told to `clockText` when set.
struct FakeComments : CommentService {
    QWidget* MakeCommentWindow(QWidget* parent) override;
    void ClockText(const QString& text) override
    {
        if (clockText)
            clockText(text);
    }
    void ClearComments() override {}
    void ReloadComments() override {}
    std::function<QWidget*(QWidget* parent)> make;
    std::function<void(const QString& text)> clockText;
};

// The weather station the main window is made with: a library and a window
// as the test says (none while unset), the start logged.
struct FakeWeather : WeatherService {
    explicit FakeWeather(World& w) : world(w) {}
    bool LoadLibrary() override { return library && library(); }
    bool WindowExists() override { return windowExists && windowExists(); }
    void StartWindow(QWidget*) override;
    World& world;
    std::function<bool()> library;
    std::function<bool()> windowExists;
};

// The map the main window is made with: what `make` makes (none while it is
// unset), and the calls of the tests that watch them told to their entries.
struct FakeMap : MapService {
    QWidget* MakeMap(QWidget* parent) override { return make ? make(parent) : nullptr; }
    void LoadMapFile(const QString&) override {}
    void ReadStaticObjects() override {}
    void BuildPlotMenu(QWidget*) override {}
    void ShowZoomStepSizeDialog(QWidget*) override {}
    bool ShowMenuStyleDialog(QWidget*) override { return false; }
    bool PrintMap(QWidget*, QPainter&, QPrinter&) override { return false; }
    void Redraw(bool refit, bool reset) override
    {
        if (redraw)
            redraw(refit, reset);
    }
    void ShowEmptyGpsData() override {}
    void NewGpsFix(const platform::SystemTime& time) override
    {
        if (newFix)
            newFix(time);
    }
    void CheckTrack() override
    {
        if (checkTrack)
            checkTrack();
    }
    void PlotItem(qint64 plotted) override
    {
        if (item)
            item(plotted);
    }
    std::function<QWidget*(QWidget* parent)> make;
    std::function<void(bool refit, bool reset)> redraw;
    std::function<void(const platform::SystemTime& time)> newFix;
    std::function<void()> checkTrack;
    std::function<void(qint64 item)> item;
};

// The shown data the main window is made with: the clearing told to `clear`,
// the fixes loaded by `loadGps` (none while it is unset).
struct FakeShownData : ShownDataService {
    void ClearShownData() override
    {
        if (clear)
            clear();
    }
    int LoadAllGpsData() override { return loadGps ? loadGps() : 0; }
    void LoadEffortData(int, EffortList&) override {}
    std::function<void()> clear;
    std::function<int()> loadGps;
};

// The survey the main window is made with: the world's recorder rows, its
// answers to the open, opens, closes and settings rows logged; the GPS
// reference check told to `checkGpsReferences` when set.
struct FakeStore : SurveyStoreService {
    explicit FakeStore(World& w) : world(w) {}
    int OpenDb(const QString& path, QWidget* owner) override;
    bool IsDbOpen() override;
    void CloseDb() override;
    void LoadSettingsFromDb() override;
    void SaveSettingsToDb() override;
    int CountRecorders() override;
    void AddRecorder(int index) override;
    void DeleteRecorder(int index) override;
    bool UserFormTableExists(const QString& table) override;
    void CheckGpsReferences(QWidget*) override
    {
        if (checkGpsReferences)
            checkGpsReferences();
    }
    World& world;
    std::function<void()> checkGpsReferences;
};

// The start-up the main window is made with: the sheets' and the set-up's
// answers are the world's, the settings block is written, quits and writes
// are logged.
struct FakeStartup : StartupService {
    explicit FakeStartup(World& w) : world(w) {}
    bool DatabaseSheet(QWidget* parent) override;
    void ProgrammeSetup(QWidget* parent) override;
    void ReadPipeSettings() override {}
    void AddRecentFile(const QString&) override {}
    bool WriteProgramSettings(QString* error) override;
    void PostQuit() override;
    World& world;
};

// The GPS poll the main window is made with: polls logged, the polls when
// due only while `logIfDue` is set.
struct FakeNavigation : NavigationService {
    explicit FakeNavigation(World& w) : world(w) {}
    void PollGps() override;
    void PollGpsIfDue() override;
    World& world;
    bool logIfDue = false;
};

// The settings dialogs the main window is made with: `next`'s (the default:
// none shown), but for the GPS control form and the statistics a test sets.
struct FakeSettingsDialogs : SettingsDialogService {
    bool GpsControlDialog(QWidget* parent) override
    {
        return gpsControl ? gpsControl(parent) : next->GpsControlDialog(parent);
    }
    void FlashWarningTypeDialog(QWidget* parent) override { next->FlashWarningTypeDialog(parent); }
    void ErrorCheckingDialog(QWidget* parent) override { next->ErrorCheckingDialog(parent); }
    void TransferEffortDialog(QWidget* parent) override { next->TransferEffortDialog(parent); }
    bool StatisticsDialog(QWidget* parent) override
    {
        if (!statistics)
            return next->StatisticsDialog(parent);
        statistics(parent);
        return true;
    }
    ui::SettingsPage* MakePage(const QString& name) override { return next->MakePage(name); }
    SettingsDialogService* next = &NoSettingsDialogs();
    std::function<bool(QWidget* parent)> gpsControl;
    std::function<void(QWidget* parent)> statistics;
};

// The detector links the main window is made with: labels for the panel
// (or what `makeDetectorForm` makes) and the whistle form, the event
// service's start and close logged; every other call goes to its function
// when the test sets one.
struct FakeDetectorLinks : DetectorLinkService {
    explicit FakeDetectorLinks(World& w) : world(w) {}
    QWidget* MakeDetectorForm(QWidget* parent) override;
    QWidget* MakeWhistleForm(QWidget* parent) override;
    int DetectorPanelWidth() override { return panelWidth; }
    void PlaceDetectorForm(QWidget* panel, const QRect& page) override
    {
        if (placeDetectorForm)
            placeDetectorForm(panel, page);
    }
    void InitDde() override;
    void CloseDde() override;
    void StartDetectorListener(QWidget*) override {}
    void UpdateProgramStatus() override { Run(updateProgramStatus); }
    void PurgeOldDetections() override { Run(purgeOldDetections); }
    void UpdateCounts() override { Run(updateCounts); }
    quint32 ProgramStatus(int program) override;
    void StartProgram(int program, int how) override { Run(startProgram, program, how); }
    void SendDetectorCommand(int program, int action, int value) override
    {
        Run(sendDetectorCommand, program, action, value);
    }
    void ShowProgramme(int) override {}
    void SetListeningStatus(int) override {}
    void SetProgramStatus(quint64 program, qint64 status) override { Run(setProgramStatus, program, status); }
    void DdeEvent(quint64 kind, qint64 record) override { Run(ddeEvent, kind, record); }
    void LoadSpermData() override { Run(loadSpermData); }
    void LoadPorpoiseEvents() override {}

    World& world;
    std::function<QWidget*(QWidget* parent)> makeDetectorForm;
    int panelWidth = 0;
    std::function<void(QWidget* panel, const QRect& page)> placeDetectorForm;
    std::function<void()> updateProgramStatus;
    std::function<void()> purgeOldDetections;
    std::function<void()> updateCounts;
    std::function<quint32(int program)> getProgramStatus;
    std::function<void(int program, int how)> startProgram;
    std::function<void(int program, int action, int value)> sendDetectorCommand;
    std::function<void(quint64 program, qint64 status)> setProgramStatus;
    std::function<void(quint64 kind, qint64 record)> ddeEvent;
    std::function<void()> loadSpermData;

private:
    template <class F, class... A>
    static void Run(const F& f, A... a)
    {
        if (f)
            f(a...);
    }
};

// The things-heard form the main window is made with: a label; the presses
// go to `thingsHeard` when set.
struct FakeHeard : ThingsHeardService {
    QWidget* MakeHeardForm(QWidget* parent) override;
    void ThingsHeard(quint64 wParam, qint64 lParam) override
    {
        if (thingsHeard)
            thingsHeard(wParam, lParam);
    }
    void ReloadThingsHeard() override {}
    std::function<void(quint64 wParam, qint64 lParam)> thingsHeard;
};

struct World {
    std::vector<std::string> log;
    int rows = 1;
    bool heardTable = false;
    int popupForms = 0;
    int setupRecorderCount = -1; // what the first-run audio page chooses
    bool databaseSheetAnswer = true;
    int openResult = 0;
    bool dbOpen = true;
    bool counterRunning = false;
    bool counterStops = true;
    // The main window's questions and message boxes, and the answers they get
    // (OK when none is left); its sheets and dialogs end as cancelled.
    velmar::test::ScriptedDialogs dialogs;
    std::deque<QMessageBox::StandardButton> answers;
    std::vector<QString> questions;
    std::vector<FormTab> forms; // panels and user forms, in tab order
    std::vector<FakeRecorder*> recorders;
    FakeDeck* clockDeck = nullptr;
    QWidget* map = nullptr;

    FakeRecorders recorderService{*this};
    FakeDecks decks{*this};
    FakeCameras cameras{*this};
    FakeComments comments;
    FakeWeather weather{*this};
    FakeMap mapService;
    FakeShownData shownData;
    FakeStore store{*this};
    FakeStartup startup{*this};
    FakeNavigation navigation{*this};
    FakeSettingsDialogs settingsDialogs;
    // One panel tab (online logging) and one form tab; the forms ask their
    // own exit question while pop-up forms are open.
    velmar::test::ScriptedUserForms userForms;
    velmar::test::ScriptedButtonPanels buttonPanels;
    FakeDetectorLinks detectors{*this};
    FakeHeard heard;

    void Install();
    // The services a main window of this world is made with.
    MainWindowServices Services()
    {
        MainWindowServices services{&recorderService, &decks,   &cameras,    &comments,
                                    nullptr,          &weather, &mapService, &shownData};
        services.store = &store;
        services.startup = &startup;
        services.navigation = &navigation;
        services.settingsDialogs = &settingsDialogs;
        services.userForms = &userForms;
        services.buttonPanels = &buttonPanels;
        services.detectors = &detectors;
        services.heard = &heard;
        return services;
    }
    void Log(std::string s) { log.push_back(std::move(s)); }
    // Index of the first log entry equal to s, or -1.
    int At(const std::string& s) const;
};

// Writes a settings block with the given run-mode-related fields.
inline void WriteSettings(const std::function<void(velmar::store::ProgramSettings&)>& edit)
{
    velmar::store::TheProgramSettings = velmar::store::ProgramSettings();
    velmar::store::TheProgramSettings.FirstRunPending = false;
    velmar::store::TheProgramSettings.DatabasePath.setText(QStringLiteral("/surveys/season.sqlite"));
    edit(velmar::store::TheProgramSettings);
    velmar::store::WriteProgramSettings();
}

inline void RemoveSettings()
{
    QFile::remove(velmar::store::ProgramSettingsFilePath());
}

// Tab texts of the main tab strip, in order.
std::vector<QString> TabTexts(const TV2000Window& w);

} // namespace velmar::shell::test
