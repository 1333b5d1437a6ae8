#pragma once
// TV2000Window: the client window of Velmar's main frame and the owner of
// almost everything the operator sees. Its constructor reads the settings
// block (running the first-run set-up when there is none), lets the operator
// confirm the survey database and makes the child objects of the run mode;
// SetupWindow brings windows, threads, tabs and timers to life in a fixed
// order; CanClose runs the exit checks and the shut-down sequence.
//
// Tabs: a tab strip (id 31000) whose pages are sibling windows, shown when
// the selected tab equals the tab index each page object stores.
//
// Subsystems around the main window are reached through its typed services
// (MainWindowServices.h) and GrabberForms.h; one that is not there does
// nothing.
//
// User-interface thread only. The window owns its recorders, decks and
// grabber forms; child windows belong to it through Qt parenthood.
#include "shell/GrabberForms.h"
#include "widgets/FontConversion.h"
#include "widgets/MainLayout.h"
#include "platform/MessageIds.h"
#include "shell/MainTimers.h"
#include "shell/MainWindowPorts.h"
#include "shell/MainWindowServices.h"
#include "widgets/MyControls.h"
#include "widgets/NightDay.h"
#include "widgets/TrafficLight.h"
#include "platform/SystemTime.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class QFrame;

namespace velmar::store {
struct LogFont;
}

namespace velmar::shell {

// Control ids of the main window.
inline constexpr int IdClockLabel1 = 31010;
inline constexpr int IdClockLabel2 = 31011;
inline constexpr int IdClockEdit1 = 31012;
inline constexpr int IdClockEdit2 = 31013;
inline constexpr int IdStartRun = 31016;
inline constexpr int IdStopRun = 31017;
inline constexpr int IdStatusNmea = 31142;
inline constexpr int IdStatusPower = 31143;
inline constexpr int IdStatusCable = 31144;
inline constexpr int IdStatusDatum = 31145;

// Timers of the main window (the animation's 559 and 560: MainCommands.h).
inline constexpr int TimerClock = 555;
inline constexpr int TimerProgramStatus = 556;
inline constexpr int TimerGps = 557;
inline constexpr int TimerPurge = 558;
inline constexpr int ClockPeriodMs = 1000;
inline constexpr int ProgramStatusPeriodMs = 1000;
inline constexpr int PurgePeriodMs = 60000;
// The GPS timer's period: the longest interval between readings, at least
// one second; an interval too long for a timer is cut to the longest one.
int GpsPeriodMs(int maxIntervalS);

// The private messages the main window handles are in platform/MessageIds.h.

inline constexpr int MaxRecorders = 255;
inline constexpr int MaxGrabberForms = 128;

// Recorder count in force, grabber count, and the recorder names.
int GetRecorderCount();
void SetRecorderCount(int count); // the audio page changes the live count
QString GetRecorderName(int index);
int GetGrabberCount();

class TV2000Window;
class TMainCommands;
// The main window, once built; null otherwise.
TV2000Window* MainWindowHandle();

// What the main window last knew of one detector program (status code and
// two times); the program-status cycle keeps them.
struct ProgramStatusSlot {
    quint32 status = 0;
    velmar::platform::SystemTime time;
    velmar::platform::SystemTime earlier;
};
inline constexpr int ProgramStatusSlots = 6;
inline constexpr int ProgramStatusHeadStartS = 20;

class TV2000Window : public QWidget, public NightDayWindow, public StatusPopupTarget {
    Q_OBJECT
public:
    inline static const QString ProgramName = QStringLiteral("Velmar 2010");

    // The services the start-up wiring supplies; each left null is its
    // default (MainWindowServices.h).
    explicit TV2000Window(QWidget* parent = nullptr, const MainWindowServices& services = {});
    ~TV2000Window() override;

    // Called once the frame around the window exists.
    virtual void SetupWindow();
    // True when the program may end; runs the shut-down when it may.
    virtual bool CanClose();
    // The shut-down without the exit questions (the session or the system
    // is ending the program): recordings stopped, the settings saved, the
    // database closed and compacted, the settings block written. Runs once;
    // CanClose answers true afterwards.
    void ShutDown();
    bool IsShutDown() const { return m_shutDown; }
    // A menu command; true when the main window handled it.
    virtual bool Command(int id);
    // Menu commands, sheets, messages and animation timers (MainCommands.h).
    TMainCommands& Commands() { return *m_commands; }
    RecorderService& Recorders() const { return *m_recorderService; }
    DeckService& Decks() const { return *m_deckService; }
    CameraService& Cameras() const { return *m_cameraService; }
    CommentService& Comments() const { return *m_commentService; }
    WeatherService& Weather() const { return *m_weatherService; }
    MapService& Map() const { return *m_mapService; }
    ShownDataService& ShownData() const { return *m_shownDataService; }
    SurveyStoreService& Store() const { return *m_storeService; }
    StartupService& Startup() const { return *m_startupService; }
    NavigationService& Navigation() const { return *m_navigationService; }
    SettingsDialogService& SettingsDialogs() const { return *m_settingsDialogService; }
    UserFormService& UserForms() const { return *m_userFormService; }
    ButtonPanelService& ButtonPanels() const { return *m_buttonPanelService; }
    DetectorLinkService& Detectors() const { return *m_detectorService; }
    ThingsHeardService& Heard() const { return *m_heardService; }
    // Timers 555 to 560; tests make them manual before SetupWindow.
    MainTimers& Timers() { return m_timers; }
    // Timer 557 again with the interval now in the settings block.
    void RestartGpsTimer();

    long EvNightDay(int scheme, long lParam) override;
    long EvStatusPopup(int controlId, const QPoint& screenPoint) override;

    void Layout();
    // Timer 555: the program time (and local time) in the clock strip.
    void UpdateClock();
    void ShowSelectedTab();
    void UpdateRecorderTabs();
    // A panel or form definition table just made (command 31941 or 31943):
    // its tab at the end of the row, made current. False when none was
    // added (a kind or run mode without one).
    bool AddFormTab(int command, const QString& table);
    long EvTabKey(int key);
    long EvAutoStart();
    void EvBringToFront();

    bool DatabaseConfirmed() const { return m_dbConfirmed; }
    bool QuitPosted() const { return m_quitPosted; }
    TMyTabControl* TabControl() const { return m_tabs; }
    int FixedTabCount() const { return m_fixedTabs; }
    int FirstFreeTab() const { return m_firstFreeTab; }
    AutoRecorder* Recorder(int slot) const;
    Deck* DeckAt(int slot) const;
    GrabberForm* Grabber(int index) const;
    TTrafficLight* TrafficLight() const { return m_trafficLight; }
    QWidget* MapWindow() const { return m_map; }
    QWidget* DetectorForm() const { return m_detectorForm; }
    int DetectorDisplay() const { return m_detectorDisplay; }
    FontCells Cells() const { return m_cells; }
    uint DetectorStatusMessageId() const { return m_detectorStatusMessage; }
    uint DetectorCommandMessageId() const { return m_detectorCommandMessage; }
    ProgramStatusSlot& StatusSlot(int i) { return m_statusSlots.at(std::size_t(i)); }

protected:
    bool event(QEvent* event) override;
    // A private message; the answer for a sent one.
    virtual qint64 WindowMessage(uint message, quint64 wParam, qint64 lParam);
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    // The traffic light follows the frame when it moves.
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    friend class TMainCommands;
    void ReadSettingsBlock();
    void ProgrammeSetup();
    bool ChooseDatabase();
    void RestartCounterThread();
    void CreateChildObjects();
    void CreateClockStrip();
    void AddRecorderTab(int slot, int position);
    void RemoveRecorder(int slot);
    void ShiftTabs(int from, int delta);
    int RecorderInsertPosition(int slot) const;
    void StopMainTimers();
    void PostQuit();
    void WriteBlock();
    QMessageBox::StandardButton Ask(const QString& text, const QString& caption, QMessageBox::StandardButtons buttons);
    void PostToSelf(unsigned message, quint64 wParam = 0, qint64 lParam = 0);

    uint m_detectorStatusMessage = 0;
    uint m_detectorCommandMessage = 0;
    std::array<ProgramStatusSlot, ProgramStatusSlots> m_statusSlots;
    bool m_firstRun = false;
    bool m_shutDown = false;
    bool m_dbConfirmed = false;
    bool m_quitPosted = false;
    std::optional<int> m_setupRecorderCount; // chosen in the first-run set-up
    int m_detectorDisplay = DetectorsNotShown;
    FontCells m_cells;
    ClockStripGeometry m_clock;

    TMyTabControl* m_tabs = nullptr;
    QFrame* m_tabPane = nullptr;
    QWidget* m_map = nullptr;
    QWidget* m_detectorForm = nullptr;
    QWidget* m_whistleForm = nullptr;
    QWidget* m_heardForm = nullptr;
    QWidget* m_commentWindow = nullptr;
    QPointer<TTrafficLight> m_trafficLight;
    QPointer<QWidget> m_watchedFrame;   // the frame whose moves the light follows
    std::array<TMyEdit*, 4> m_bottom{}; // NMEA, datum, power, cable

    std::array<std::unique_ptr<AutoRecorder>, MaxRecorders> m_recorders;
    std::array<std::unique_ptr<Deck>, MaxRecorders> m_decks;
    std::vector<GrabberForm*> m_grabbers;

    int m_mapTab = -1;
    int m_commentsTab = -1;
    int m_detectorsTab = -1;
    int m_whistlesTab = -1;
    int m_heardTab = -1;
    int m_fixedTabs = 0;
    int m_firstFreeTab = 0;

    std::unique_ptr<TMainCommands> m_commands;
    RecorderService* m_recorderService;
    DeckService* m_deckService;
    CameraService* m_cameraService;
    CommentService* m_commentService;
    WeatherService* m_weatherService;
    MapService* m_mapService;
    ShownDataService* m_shownDataService;
    SurveyStoreService* m_storeService;
    StartupService* m_startupService;
    NavigationService* m_navigationService;
    SettingsDialogService* m_settingsDialogService;
    UserFormService* m_userFormService;
    ButtonPanelService* m_buttonPanelService;
    DetectorLinkService* m_detectorService;
    ThingsHeardService* m_heardService;
    // After the commands: their timer work goes before they do.
    MainTimers m_timers;
};

} // namespace velmar::shell
