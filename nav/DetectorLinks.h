#pragma once
// DetectorLinks: the main program's watch over the detector programs, the
// operator's listening effort and the automatic recorders. Once a second
// (UpdateProgramStatus, on the main window's status timer) it asks each
// detector for its status, shows the status and the run time, logs every
// change of effort and, under automatic start and stop, starts and stops the
// programs as the hydrophone or the sound-file deck says.
//
// A detector is found by the bus name of its window class and asked with the
// registered message "DetectorStatusMessage"; the question never blocks the
// window: its answer (or its 100 ms time-out) is handled when it arrives.
// Commands ("DetectorCommandMessage") go without waiting for a reply. A
// detector that reports a change on its own sends "DetectorStatusMessage"
// (wParam its id, lParam its code) to the name of the listener's window class
// "COMMCLASS", which this program holds from StartListener on.
//
// Everything the links touch outside themselves is a port; an empty port does
// nothing. User-interface thread only.
#include "nav/ProgramStatus.h"
#include "platform/SystemTime.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <optional>

namespace velmar::nav {

inline constexpr int StatusQueryTimeoutMs = 100;
// A stop of no more than this many seconds continues the old run time.
inline constexpr int RunTimeContinueS = 10;
// How long a started detector may take to appear before its start command
// is given up.
inline constexpr int StartWaitS = 2;
// Cycles between two restarts of a crashed detector: the first at once, then
// doubling up to the longest.
inline constexpr int RestartBackOffMaxCycles = 64;

// Commands of "DetectorCommandMessage".
inline constexpr int DetectorCommandStart = 1;
inline constexpr int DetectorCommandStop = 2;
inline constexpr int DetectorCommandShow = 3;

// Command ids of the panels.
inline constexpr int CmShowPorpoiseProgramme = 31026;
inline constexpr int CmShowWhistleProgramme = 31046;
inline constexpr int CmShowClickProgramme = 31066;
inline constexpr int CmListeningFull = 31120;
inline constexpr int CmListeningHalf = 31121;
inline constexpr int CmListeningStop = 31122;

// Modes of the automatic recorders.
inline constexpr int RecorderModeAuto = 31555;
inline constexpr int RecorderModeOff = 31554;

// Window class whose bus name a detector program owns (none for other ids).
QString DetectorWindowClass(int programId);
inline constexpr const char* ListenerWindowClass = "COMMCLASS";

class DetectorLinks : public QObject {
    Q_OBJECT
public:
    struct Ports {
        // Program time; default the program clock.
        std::function<platform::SystemTime()> now;
        // Run mode; default the process's.
        std::function<quint32()> runMode;
        // Asks a detector for its status; done gets the code (0x4000 no
        // program, 0x200000 no answer). Default: the session bus.
        std::function<void(int programId, std::function<void(quint32 code)> done)> query;
        // Posts a command; false when the program is not there. Default: bus.
        std::function<bool(int programId, int command)> sendCommand;
        // Starts a program from its configured path (ProgramLinks.h).
        std::function<bool(int programId)> startProgram;
        // The panel's status box and run-time box of a panel index.
        std::function<void(int panelIndex, const QString& text, unsigned colour)> showStatus;
        std::function<void(int panelIndex, const QString& text)> showRunTime;
        // A change of effort: the row (default DbWriteEffort) and the effort
        // line's change (status code of the change).
        std::function<void(int programId, int effortClass)> writeEffort;
        std::function<void(int panelIndex, quint32 code)> addEffortChange;
        // The hydrophone monitor: one reading (online logging) and its states.
        std::function<void()> checkPowerAndCable;
        std::function<int()> powerState;
        std::function<int()> cableState;
        // Offline logging: the first sound-file deck is playing.
        std::function<bool()> deckPlaying;
        // The first automatic recorder's status; nothing when none.
        std::function<std::optional<quint32>()> recorderStatus;
        std::function<void(int mode)> setRecorderModes;
    };
    Ports ports;

    explicit DetectorLinks(QObject* parent = nullptr);
    ~DetectorLinks() override;

    // One cycle.
    void UpdateProgramStatus();
    // A status the detector reported on its own (ids 1, 2 and 4).
    void SetProgramStatus(int programId, quint32 code);
    // "Show Programme" of a panel: start the program when it is not there,
    // else tell it to show its window.
    void ShowProgramme(int command);
    // The Listening panel's "Full", "Half" and "Stop".
    void SetListeningStatus(int command);
    bool SendDetectorCommand(int programId, int command);
    // Holds the listener's bus name and answers its status reports.
    bool StartListener();

    // The automatic start and stop decision.
    int GetRunState() const;
    void AutoStartStopPrograms();
    void AutoStartStopProgram(int lastRunState, int runState, int programId);

    quint32 LastStatus(int programId) const;
    int LastEffortClass(int programId) const;
    // Answers still outstanding.
    int PendingQueries() const;

signals:
    // Every status shown (also for a code that did not change).
    void statusShown(int programId, quint32 code);

private:
    struct Slot {
        quint32 last = StatusNoProgram;
        quint32 previous = StatusNoProgram;
        bool firstCycle = true;
        bool timedOut = false;
        bool pending = false;
        int effortClass = EffortClassStop;
        std::optional<platform::SystemTime> runStart;
        std::optional<platform::SystemTime> runStop;
        // Crashed restarts: cycles to wait before the next, and the gap.
        int restartWait = 0;
        int restartGap = 1;
        // A start command to give once the started program answers.
        std::optional<platform::SystemTime> startCommandUntil;
    };
    Slot& slot(int programId);
    const Slot& slot(int programId) const;
    platform::SystemTime Now() const;
    void PollProgram(int programId);
    void OnAnswer(int programId, quint32 code);
    void ShowProgramStatus(int programId, quint32 code);
    void ShowRunTime(int programId, quint32 code);
    void StartAndCommand(int programId);
    void QueryBus(int programId, std::function<void(quint32)> done);

    std::array<Slot, 6> m_slots;
    int m_lastRunState = 0;
    int m_lastListeningCommand = 0;
};

} // namespace velmar::nav
