#pragma once
// The detector links and the things heard as the main window reaches them:
// the detector status panel and the "Whistles" counts form, the event service
// "Velmar2000" with the recent detections, the one-second status cycle, the
// status pop-up's commands to the detector programs, the listening effort,
// and the detections of the shown data; the "Things Heard" form with its
// presses and its shown-data lists.
//
// User-interface thread only. Windows a service makes become children of
// the parent it is given (Qt ownership).
#include <QtGlobal>

class QRect;
class QWidget;

namespace velmar::shell {

// The detector programs and their events.
class DetectorLinkService {
public:
    virtual ~DetectorLinkService() = default;

    // The detector status panel (down the left side or on its tab) and the
    // "Whistles" counts form, children of parent; null when there is none.
    virtual QWidget* MakeDetectorForm(QWidget* parent) = 0;
    virtual QWidget* MakeWhistleForm(QWidget* parent) = 0;
    // The width the panel takes down the left side; 0 without a panel.
    virtual int DetectorPanelWidth() = 0;
    // The panel (MakeDetectorForm's) laid out in the tab page.
    virtual void PlaceDetectorForm(QWidget* panel, const QRect& page) = 0;

    // The event service "Velmar2000": opened with the main window in online
    // and offline logging, closed at shut-down.
    virtual void InitDde() = 0;
    virtual void CloseDde() = 0;
    // Holds the listener's bus name and answers the detectors' own status
    // reports.
    virtual void StartDetectorListener(QWidget* mainWindow) = 0;
    // Timer 556: one status cycle of every detector program.
    virtual void UpdateProgramStatus() = 0;
    // Timer 558: the recent detections too old to keep go.
    virtual void PurgeOldDetections() = 0;
    // The recent-event counts (things heard, the detector panel) brought up
    // to date, with the traffic light.
    virtual void UpdateCounts() = 0;

    // The last status code of a program (StatusNotRunning when unknown).
    virtual quint32 ProgramStatus(int program) = 0;
    // Starts a program from its configured path.
    virtual void StartProgram(int program, int how) = 0;
    // A command of the status pop-up (start, stop, show) to a program.
    virtual void SendDetectorCommand(int program, int action, int value) = 0;
    // A panel's "Show Programme" command (31026, 31046, 31066).
    virtual void ShowProgramme(int command) = 0;
    // The Listening panel's "Full", "Half" and "Stop" (31120 to 31122).
    virtual void SetListeningStatus(int command) = 0;
    // Message 1225: a status a detector reported on its own.
    virtual void SetProgramStatus(quint64 program, qint64 status) = 0;
    // Message 1028: a new or updated detection (its kind and serial) to
    // dispatch.
    virtual void DdeEvent(quint64 kind, qint64 record) = 0;

    // The shown data: the click events and the porpoise events of the
    // period last loaded.
    virtual void LoadSpermData() = 0;
    virtual void LoadPorpoiseEvents() = 0;
};

// The "Things Heard" form of the listener.
class ThingsHeardService {
public:
    virtual ~ThingsHeardService() = default;
    // The form, a child of parent; null when there is none.
    virtual QWidget* MakeHeardForm(QWidget* parent) = 0;
    // Message 1040: a strength button pressed (wParam the species text,
    // lParam the strength).
    virtual void ThingsHeard(quint64 wParam, qint64 lParam) = 0;
    // The shown data: the form's lists again from the survey.
    virtual void ReloadThingsHeard() = 0;
};

// The defaults: no panel, no forms, no links; each says in the log (category
// "velmar.shell.services") what it did not do.
DetectorLinkService& NoDetectorLinks();
ThingsHeardService& NoThingsHeard();

} // namespace velmar::shell
