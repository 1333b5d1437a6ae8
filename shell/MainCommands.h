#pragma once
// TMainCommands: the main window's menu commands and their enablers, the
// settings sheets they open, the commands other windows send it, the private
// messages it handles beyond layout and start-up, the effort lists and the
// animation timers. Owned by TV2000Window, which hands it every command and
// message it does not handle itself.
//
// Subsystems these handlers reach that are not part of the main window come
// through mainCommandHooks(); an empty entry does nothing and answers a
// neutral value (no dialog shown, status unknown, nothing loaded).
//
// User-interface thread only.
#include "platform/MessageIds.h"
#include "shell/MainTimers.h"
#include "widgets/SettingsSheet.h"

#include <QColor>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QDialog;
class QMenu;
class QMenuBar;
class QPainter;
class QPrinter;

namespace velmar::platform {
struct SystemTime;
}

namespace velmar::shell {

class TV2000Window;

// Further command ids of the main window (menus: CommandIds.h).
namespace Command {
inline constexpr int ShowPorpoiseProgramme = 31026;
inline constexpr int ShowWhistleProgramme = 31046;
inline constexpr int ShowClickProgramme = 31066;
inline constexpr int SelectThingsHeard = 31086;
inline constexpr int SelectFirstRecorder = 31096;
inline constexpr int ListeningFirst = 31120; // to 31122
inline constexpr int ListeningLast = 31122;
inline constexpr int PollGpsIfDue = 30057;
inline constexpr int PollGps = 30058;
inline constexpr int PopupStart = 30061;
inline constexpr int PopupStop = 30062;
inline constexpr int PopupShow = 30063;
inline constexpr int StartRun = 31016;
inline constexpr int StopRun = 31017;
inline constexpr int RecorderLongRecording = 30060;
} // namespace Command

// The private messages handled here are in platform/MessageIds.h.

// The animation timers (show data).
inline constexpr int TimerAnimationStep = 559;
inline constexpr int TimerAnimationFix = 560;
inline constexpr int AnimationStepMs = 100;
inline constexpr int AnimationFixMs = 1000;
// wParam of message 1064 to the map.
inline constexpr int AnimationStart = 1;
inline constexpr int AnimationStop = 2;
inline constexpr int AnimationStep = 3;
inline constexpr int AnimationShowFix = 4;

// Programs of the status pop-up (ProgramType bits).
inline constexpr int PopupLongRecording = 32;
// Program status codes that mean "not running".
inline constexpr quint32 StatusNotRunning = 16384;
inline constexpr quint32 StatusNotFound = 131072;
inline constexpr quint32 StatusEffortOn = 2;
inline constexpr quint32 StatusEffortPaused = 1048576;

// One change of effort colour along the track.
struct EffortPoint {
    qint32 gpsIndex = 0; // the stored fix from which the colour applies
    quint32 colour = 0;  // RGB
    qint32 state = 0;    // category read by the effort statistics
    bool operator==(const EffortPoint&) const = default;
};
inline constexpr int EffortListCount = 6;
using EffortList = std::vector<EffortPoint>;

struct MainCommandHooks {
    // Small settings forms; the bool ones answer true when ended with OK.
    std::function<bool(QWidget* parent)> gpsControlDialog;
    std::function<void(QWidget* parent)> flashWarningTypeDialog;
    std::function<void(QWidget* parent)> errorCheckingDialog;
    std::function<void(QWidget* parent)> zoomStepSizeDialog;
    // How look-up selections are offered; the plot menus are built again
    // after OK.
    std::function<bool(QWidget* parent)> menuStyleDialog;
    std::function<void(QWidget* parent)> transferEffortDialog;
    std::function<void(QWidget* parent)> statisticsDialog;
    std::function<void(QWidget* parent, int tab)> exportUserFormData;
    std::function<void(QWidget* parent)> checkGpsReferences;
    // The pages of other subsystems by class name: "MapFileDialog",
    // "EffortDlg", "NavigateDialog", "DavisPortDlg"; null when not there.
    std::function<ui::SettingsPage*(const QString& name)> makePage;
    // Modal dialogs whose answer is fixed in tests: the print and printer
    // set-up dialogs, the font dialog and the new-table dialog. Each answers
    // true for OK.
    std::function<bool(QWidget* parent, QPrinter& printer, bool setupOnly)> printDialog;
    std::function<bool(QWidget* parent, QFont& font)> fontDialog;
    std::function<bool(QWidget* parent, int command, QString& name)> newTableDialog;
    std::function<bool(QWidget* parent, QDialog& dialog)> runDialog;
    // Runs a settings sheet and returns its result; tests drive the sheet.
    std::function<int(ui::SettingsSheet& sheet)> runSheet;
    // Runs a pop-up menu at a screen point; the chosen action or null.
    std::function<QAction*(QMenu& menu, const QPoint& at)> runPopup;
    // The map draws itself on a printer page.
    std::function<void(QWidget* map, QPainter& painter, QPrinter& printer)> printMap;

    // Threads and counters of the button panels and the weather station.
    std::function<void()> restartButtonThread;
    std::function<void()> startUserFormCounters;
    std::function<bool()> loadWeatherDll;
    std::function<bool()> weatherWindowExists;
    std::function<void(QWidget* mainWindow)> startWeatherThread;

    // Program links.
    std::function<quint32(int program)> getProgramStatus;
    std::function<void(int program, int how)> startProgram;
    std::function<void(int program, int action, int value)> sendDetectorCommand;
    std::function<void(int id)> showProgramme;
    std::function<void(int id)> setListeningStatus;
    std::function<void(quint64 program, qint64 status)> setProgramStatus;
    std::function<void(quint64 kind, qint64 record)> ddeEvent;
    std::function<void(quint64 wParam, qint64 lParam)> thingsHeard;

    // The shown data.
    std::function<void()> clearShownData; // user-form items, click and porpoise events, GPS fixes
    std::function<void()> clearComments;
    std::function<int()> loadAllGpsData;  // fixes loaded
    std::function<void()> loadSpermData;
    std::function<void()> loadPorpoiseEvents;
    std::function<void()> loadAllUserFormData;
    std::function<void()> reloadComments;
    std::function<void()> reloadThingsHeard;
    std::function<bool()> rebuildEffortSegments;
    // Fills list `source` (0 to 3) from the database.
    std::function<void(int source, EffortList& list)> dbGetEffortData;
    std::function<void(bool refit, bool reset)> redrawMap;
    std::function<void()> showEmptyGpsData;
    std::function<void(const platform::SystemTime& time)> mapNewGpsFix;
    std::function<void()> mapCheckTrack;
    std::function<void(qint64 item)> mapItem;
    // -1 when a user form is the effort source (its line then comes from
    // effortFormLine, null when there is no effort form).
    std::function<int()> effortSourceIndex;
    std::function<const EffortList*()> effortFormLine;
    std::function<void(bool playing, int deck)> deckPlaying;
};

MainCommandHooks& mainCommandHooks();

class TMainCommands {
public:
    explicit TMainCommands(TV2000Window& window);
    ~TMainCommands();

    // A command; true when handled here.
    bool Command(int id);
    // Whether a command is enabled now (true for commands without an enabler).
    bool IsEnabled(int id) const;
    // Runs the enablers on every action of the menu bar (and keeps doing it
    // whenever one of its menus is about to show), and on the Start Run and
    // Stop Run buttons.
    void AttachMenuBar(QMenuBar* bar);
    void UpdateEnablers();

    // A private message; handled is cleared for messages not handled here.
    qint64 Message(uint message, quint64 wParam, qint64 lParam, bool& handled);

    // Status pop-up menu of a status button (message 1027).
    long EvStatusPopup(int buttonId, const QPoint& screenPoint);
    int PopupTarget() const { return m_popupTarget; }
    void SetPopupTarget(int program) { m_popupTarget = program; }

    // Settings sheets and the commands that open them.
    bool DatabaseSheet();
    void CmDatabaseFile();
    int ShowTimesSheet();
    void CmPrintMap();
    void CmAnimate();
    void CmStopAnimation();
    void CmStartRun();
    void CmStopRun();
    void CmProgramPopup(int id);

    // Shown data and effort lists.
    void EvShowData();
    void ReloadData();
    void ClearEffortLists();
    void LoadEffortLists();
    void AddEffortPoint(int list, const EffortPoint& point);
    void AddEffortChange(int list, quint32 status);
    // The effort line of the configured source, or null.
    const EffortList* GetEffortLine() const;
    const EffortList& EffortListAt(int n) const { return m_effort.at(std::size_t(n)); }
    void EvWeatherStation();

    // The printer the print commands use (a PDF printer in tests).
    QPrinter& Printer();
    // The main window's timers (MainTimers.h).
    MainTimers& Timers();

private:
    QWidget* Map() const;
    void PostToSelf(unsigned message, quint64 wParam = 0, qint64 lParam = 0);
    void SelectTab(int index);
    void RunSheet(ui::SettingsSheet& sheet, int* result = nullptr);
    void AddPageByName(ui::SettingsSheet& sheet, const QString& name);
    void CmGpsControl();
    void CmIoSheet();
    void CmDisplaySheet();
    void CmFont();
    void CmNewTable(int id);
    void AddWebButton();

    TV2000Window& m_window;
    QPointer<QMenuBar> m_menuBar;
    int m_popupTarget = 0;
    bool m_showDataFirst = true;
    QWidget* m_weatherWindow = nullptr;
    std::array<EffortList, EffortListCount> m_effort;
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace velmar::shell
