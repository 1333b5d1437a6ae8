#pragma once
// TUserForm: one window of a user form, filled at run time with the form's
// controls, three hint lines, the Store and Clear (Ok and Cancel on pop-up
// and sub-tab windows, Prev and Next when showing data) buttons, the "Enable
// Property Edits" box and the hot-key hint. It checks and stores records,
// clears, fills and stores on its timers, and keeps the save reminder.
//
// A tab form has one window for the whole run; a pop-up form gets a new
// top-level window per record, a sub-tab form a new tab per record.
//
// User-interface thread only. The window belongs to its Qt parent (or, for a
// pop-up window, deletes itself when closed); it does not own its
// TUserFormInfo.
#include "forms/UserFormData.h"
#include "forms/UserFormInfo.h"
#include "forms/ui/UserControl.h"
#include "widgets/NightDay.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QMenu;
class QPushButton;

namespace velmar::shell {
class TFlashWarning;
}

namespace velmar::forms {

// Command ids of a form window.
inline constexpr int CM_USERFORM_STORE = 30050;
inline constexpr int CM_USERFORM_CLEAR = 30051;
inline constexpr int CM_USERFORM_PREV = 30052;
inline constexpr int CM_USERFORM_NEXT = 30053;
inline constexpr int CM_USERFORM_DUMP = 30054;
inline constexpr int CM_USERFORM_PROPERTYEDITS = 30055;
// Timers of a form window.
inline constexpr int kStoreTimer = 500;
inline constexpr int kReminderTimer = 501;
inline constexpr int kFirstControlTimer = 555;
inline constexpr int kNmeaTimer = 600;
// The trigger name of an AUTORECORD row without a Title.
inline constexpr const char* kDefaultTriggerName = "zzzzrecordzzzz";
// The entries of the form's pop-up menu while property edits are on.
inline constexpr int CM_USERFORM_FONT = 34000;
inline constexpr int CM_USERFORM_COLOUR = 34001;

// What a form window asks of the rest of the program. Every entry may be
// left empty: the window then does without.
struct UserFormHost {
    // The main window selects the tab of a tab form (WM_USER+27).
    std::function<void(int tabIndex)> selectTab;
    // TriggerRecorders (trigger number, length, form name).
    std::function<void(int trigger, int seconds, const QString& formName)> triggerRecorders;
    // The recorders' trigger bit of a form (0: none), given by the recorders
    // when they make their trigger boxes.
    std::function<int(const QString& formName)> recorderTrigger;
    // Opens a sub-form window (SUBFORM button); the new window or null.
    std::function<TUserForm*(TUserFormInfo* form, QWidget* parent)> openSubForm;
    // Finds a form by name (SUBFORM Topic).
    std::function<TUserFormInfo*(const QString& name)> findForm;
};
void setUserFormHost(UserFormHost host);
const UserFormHost& userFormHost();

class TUserForm : public QWidget, public shell::NightDayWindow {
    Q_OBJECT
public:
    // A pop-up form's window is top-level (parent only owns it).
    TUserForm(QWidget* parent, TUserFormInfo* form);
    ~TUserForm() override;

    // Counters, preset values, timers, placement; call once after construction.
    void SetupWindow();
    // Read-only rows become read-only and fields mirrored in the top strip
    // refresh on their own timer (not in offline mode); again whenever the
    // strip came to mirror more fields.
    void ApplyTopStripRules();
    bool CanClose() const { return m_canClose; }

    bool Store(bool pollGps, CheckOrigin origin = CheckOrigin::Operator);
    void FillAndStore(bool pollGps);
    // True when the record was stored.
    bool CmStore();
    // UserFormWindow::StoreFilled: fill, store now, or put every control
    // back when the record is refused; messages wait until the caller is done.
    bool StoreFilled(const std::function<void()>& fill);
    void CmClear();
    void ClearControls(bool all);
    void SetEdited(bool state);
    void FocusFirstControl();
    void ActivateTimers(bool on);
    void EvTimer(int id);
    bool FillFromButton(UserControl* first, int number, UserControl* second, const QString& text);
    UserControl* FindControl(const QString& title) const;
    UserControl* FindControlByOrder(int order) const;
    void SetRecorderTrigger(int trigger, int link);
    void RefreshControls();
    void CmSubForm(UserControl* control);
    // Show-data browsing: the rows of the shown period (GpsIndex from first
    // to last), each also a map item; the window is left on no row.
    int LoadRows(int firstGpsIndex, int lastGpsIndex, const LoadProgress& progress = {});
    // The rows of the fixes loaded for the form's GPS data set (none without
    // fixes).
    int LoadShownData(const LoadProgress& progress = {});
    void ShowFirstRow();
    void CmPrev();
    void CmNext();
    // Exports the loaded rows to a text file the operator names.
    void CmDump();
    // The effort line again from the newest record before the shown period
    // and the loaded rows (show-data reload of the effort form).
    void RebuildEffortSegments();
    int LoadedCount() const { return int(m_loaded.size()); }
    int CurrentRow() const { return m_row; }
    // The form's commands by id (buttons, the property-edits box, the menu).
    void Command(int id);
    // The pop-up menu of the window: null unless property edits are on.
    std::unique_ptr<QMenu> MakePropertyMenu();
    void ChooseFont();
    void ChooseColour();
    // The window's reminder: due time in seconds since 1970.
    qint64 ReminderDue() const { return m_reminderDue; }
    void SetReminderNow(qint64 now);
    void AdvanceReminder(qint64 now);
    // The text of the hint line, store prompt and last-saved line.
    QString HintText() const;
    QString PromptText() const;
    QString LastSavedText() const;
    void ShowHintText(const QString& text);
    // Lays the window out again with the form font.
    void Relayout();

    TUserFormInfo* Form() const { return m_form; }
    const std::vector<std::unique_ptr<UserControl>>& Controls() const { return m_controls; }
    bool Edited() const { return m_edited; }
    bool PropertyEdits() const { return m_propertyEdits; }
    bool IsPopupKind() const;
    QPushButton* StoreButton() const { return m_store; }
    QPushButton* ClearButton() const { return m_clear; }
    QCheckBox* PropertyEditsBox() const { return m_propertyBox; }
    shell::TFlashWarning* ReminderBar() const { return m_reminderBar; }
    const GpsReference& TakenGps() const { return m_gps; }
    int Widest() const { return m_widest; }
    int TotalHeight() const { return m_totalHeight; }
    char Letter() const { return m_letter; }
    void SetLetter(char letter) { m_letter = letter; }
    // Takes the newest GPS reference for the next record of this window.
    void TakeGpsReference();
    // The focus moves to the next or previous control of the form.
    void FocusNeighbour(QWidget* from, bool forward, int steps = 1);
    bool ClosingAfterStore() const { return m_closingAfterStore; }
    // Whether one of the window's timers (500, 501, 555 + n, 600) runs.
    bool TimerRunning(int id) const { return m_qtTimerOf.contains(id); }
    // Whether focus changes should check the values now (not while the
    // window is hidden, closed or destroyed).
    bool ChecksFocus() const { return !m_destroying && isVisible() && !m_closingAfterStore; }
    // Every open window of any form, in the order they were made.
    static const std::vector<TUserForm*>& AllWindows();
    // Every open pop-up and sub-tab window of any form.
    static std::vector<TUserForm*> OpenRecordWindows();
    // At program exit: with record windows open, asks whether to close them
    // without storing; yes closes every one of them, NOCANCEL ones too, so
    // no form can keep the program from ending. False keeps the program
    // running.
    static bool CloseRecordWindowsForExit(QWidget* owner);

signals:
    void stored();

protected:
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    // Makes the controls, hints, buttons and boxes of the form once.
    void CreateControls();
    // Places them for the form's font (again after a font change).
    void LayoutControls();
    void PlaceButtons(int w);
    void StartTimer(int id, int ms);
    void StopTimer(int id);
    void UpdateReminder();
    FormValues CollectValues() const;
    void ShowRow(int row);
    void UpdateBrowseButtons();
    void AddPlotThing(const FormValues& values, int32_t gpsIndex);
    void ApplyBackground();

    TUserFormInfo* m_form;
    char m_letter = 0;
    QString m_triggerName;
    std::vector<std::unique_ptr<UserControl>> m_controls;
    int m_plotCount = 0;
    bool m_hasUserEdits = false;
    bool m_edited = false;
    GpsReference m_gps;
    shell::TFlashWarning* m_reminderBar = nullptr;
    qint64 m_reminderDue = 0;
    int m_nmeaTicks = 0;
    bool m_propertyEdits = false;
    QPushButton* m_store = nullptr;
    QPushButton* m_clear = nullptr;
    QCheckBox* m_propertyBox = nullptr;
    QLabel* m_hotKeyHint = nullptr;
    int m_buttonY = 0;
    int m_x = 20;
    int m_y = 20;
    int m_widest = 0;
    int m_totalHeight = 0;
    TUserHint* m_hint = nullptr;
    TUserHint* m_prompt = nullptr;
    TUserHint* m_lastSaved = nullptr;
    int m_trigger = 0;
    int m_recordSeconds = 0;
    int m_recorderLink = 0;
    bool m_timersActive = false;
    bool m_canClose = true;
    bool m_closingAfterStore = false;
    bool m_destroying = false;
    // Show data: the loaded rows and the one shown (1-based, 0 none).
    std::vector<LoadedRow> m_loaded;
    int m_row = 0;
    int32_t m_rowIndex = 0;
    int32_t m_rowGpsIndex = 0;
    int m_firstGpsIndex = 0;
    // Our timer ids to Qt's and back.
    QHash<int, int> m_qtTimerOf;
    QHash<int, int> m_timerOfQt;
};

} // namespace velmar::forms
