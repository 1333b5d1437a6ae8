#pragma once
// TMainCommands: the main window's menu commands and their enablers, the
// settings sheets they open, the commands other windows send it, the private
// messages it handles beyond layout and start-up, the effort lists and the
// animation timers. Owned by TV2000Window, which hands it every command and
// message it does not handle itself. Subsystems these handlers reach that
// are not part of the main window are the window's typed services
// (MainWindowServices.h).
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
