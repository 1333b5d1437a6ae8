#pragma once
// The user forms and the button panels as the main window sees them: their
// tabs after the fixed, recorder, deck and grabber tabs, their layout and
// tab choice, their hot keys, the counter thread of the panels, and the
// forms' part in the shown data and the effort line.
//
// User-interface thread only. The services are not owned by the main window
// and outlive it.
#include <vector>

class QPoint;
class QRect;
class QString;
class QTabBar;
class QWidget;

namespace velmar::shell {

struct EffortPoint; // MainCommands.h

// The user forms.
class UserFormService {
public:
    virtual ~UserFormService() = default;
    // The hot-key service on the main window, before any panel or form
    // takes its key.
    virtual void InstallHotKeys(QWidget* mainWindow) = 0;
    // The forms' tabs from firstTab on; answers how many tabs it added.
    virtual int LoadForms(QTabBar* tabs, int firstTab) = 0;
    // The controls of the forms shown above the tabs (logging only).
    virtual void CreateTopControls(QWidget* parent, const QPoint& origin) = 0;
    // At exit: open pop-up and sub-tab forms are closed after the operator
    // agrees; false keeps the program running.
    virtual bool CanClose(QWidget* owner) = 0;
    virtual void SavePlotMenus() = 0;
    virtual void Layout(const QRect& area) = 0;
    // The forms' reminder bars, the first at firstBar.
    virtual void PlaceWarnings(const QRect& firstBar) = 0;
    virtual void SelectTab(int tab) = 0;
    // A form definition table made while the program runs (command 31943):
    // its form gets a tab at the end of the row at once. Other commands are
    // not the forms'. Answers how many tabs it added.
    virtual int AddFormTab(QTabBar* tabs, int command, const QString& table) = 0;
    // Every form tab index at or after `from` moves by delta.
    virtual void MoveTabs(int from, int delta) = 0;
    // The sub-tab strip of the form on a main tab, or null.
    virtual QTabBar* FindSubTabs(int tab) = 0;
    // True when a form took the hot key; frame is the main frame.
    virtual bool OnHotKey(QWidget* frame, int key) = 0;
    // The form on main tab `tab` exports its loaded rows.
    virtual void ExportData(QWidget* parent, int tab) = 0;
    // The forms' external counters, started.
    virtual void StartCounters() = 0;
    // Every shown tab form loads the rows of the shown period.
    virtual void LoadAllData() = 0;
    // The effort form's line made again; false when there is no effort form.
    virtual bool RebuildEffortSegments() = 0;
    // The effort line of the user form that is the effort source (when the
    // settings make a user form the source); null when there is no effort form.
    virtual const std::vector<EffortPoint>* EffortFormLine() = 0;
};

// The button panels.
class ButtonPanelService {
public:
    virtual ~ButtonPanelService() = default;
    // The panels' tabs from firstTab on (online logging); answers the tab
    // count after them.
    virtual int LoadPanels(QTabBar* tabs, int firstTab) = 0;
    virtual void Layout(const QRect& area) = 0;
    virtual void SelectTab(int tab) = 0;
    // A panel definition table made while the program runs (command 31941):
    // its panel gets a tab at the end of the row at once. Other commands are
    // not the panels'. Answers how many tabs it added.
    virtual int AddPanelTab(QTabBar* tabs, int command, const QString& table) = 0;
    // Every panel tab index at or after `from` moves by delta.
    virtual void MoveTabs(int from, int delta) = 0;
    // True when a panel took the hot key (id: the virtual-key code of the
    // key pressed with Ctrl, MainWindowMessages.h).
    virtual bool OnHotKey(int key) = 0;
    // The button thread started again with the settings now in force.
    virtual void RestartButtonThread() = 0;
    // The counter thread.
    virtual bool CounterThreadRunning() = 0;
    virtual void QuitCounterThread() = 0;
    // True when it ended within ms.
    virtual bool WaitCounterThread(int ms) = 0;
    virtual void StartCounterThread() = 0;
};

// The defaults: no forms, no panels.
UserFormService& NoUserForms();
ButtonPanelService& NoButtonPanels();

} // namespace velmar::shell
