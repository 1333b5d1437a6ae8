#pragma once
// TButtonForm: one button panel, a page of the main window's tab set built
// from its definition table "UDB_" + name. Buttons, radio groups, labels and
// fonts come from the rows; every press, whatever its route (click, hot key,
// external switch, broadcast from another panel, automatic next press, the
// start-up default), ends in DoActions, which polls GPS, records, grabs,
// stores the press in the panel's press log, fills the linked user form,
// broadcasts the press and sends its outputs and sound.
//
// The panel list functions below keep every panel of the program in creation
// order; panels live until the program ends.
//
// User-interface thread only. Panels are children of the window given to
// LoadButtonForms (Qt ownership).
#include "forms/ButtonDefinition.h"
#include "platform/MessageIds.h"
#include "store/ProgramSettingsDb.h"

#include <QFont>
#include <QRect>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QGroupBox;
class QMenu;
class QPlainTextEdit;
class QTabBar;
class QTimer;

namespace velmar::forms {

class ButtonPressLog;
class ButtonSerialPort;

// The codes already broadcast by the presses that led to this one: a row is
// never pressed again by a code its own chain of presses has sent, so two
// rows (or one) answering each other's broadcasts cannot press without end.
using BroadcastChain = std::set<int32_t>;

// The fixed id of the "Enable Property Edits" box.
inline constexpr int kEnablePropertyEditsId = 30055;
// Commands of the settings menu: this base plus the row's index.
inline constexpr int kSettingsEntryBase = 35000;

class TButtonForm : public QWidget {
    Q_OBJECT
public:
    TButtonForm(QWidget* parent, int tabIndex, const QString& definitionTable);
    ~TButtonForm() override;

    int TabIndex = -1;
    bool Visible = false;
    // Bit n set when a button row answers external input n.
    uint32_t ExternalMask = 0;

    const QString& DefinitionTable() const { return m_definitionTable; }
    // The panel's name, which is also its press log's.
    const QString& PanelName() const { return m_panelName; }
    std::vector<ButtonDefinition>& Rows() { return m_rows; }
    // The control of a row, or null.
    QAbstractButton* ButtonOf(int row) const;
    QWidget* ControlOf(int row) const;
    // The "Index" of the last stored press.
    int PressIndex() const;
    QFont PanelFont() const { return m_font; }

    // Runs the rows whose Default is set (set-up of the window).
    void SetupWindow();
    // Presses a row as if clicked: a radio row is selected first and the
    // others of its group cleared; the press itself follows from the event
    // loop, as a click's would.
    void Press(int controlId, const BroadcastChain& chain = {});
    // A click (or Press) on a row's control.
    void CmButton(int controlId, const BroadcastChain& chain = {});
    // The actions of one press.
    void DoActions(int row, bool external, const BroadcastChain& chain = {});
    // A press broadcast by a panel of this program.
    void OnBroadcast(int32_t code, qint64 lParam, const BroadcastChain& chain = {});
    // An external switch changed level.
    void OnExternalInput(int bit, int level);
    // A hot key of this panel; false when no row has it.
    bool OnHotKey(int id);
    // The automatic next press armed by the row with this control id.
    void EvTimer(int controlId);
    // The delay of the armed automatic press of a row's control id, -1 when
    // none is armed.
    int ArmedTimerMs(int controlId) const;
    // Writes an edited row back into the definition table; true on success.
    bool WriteBackRow(int row);
    // The settings menu's entry of a row: a button row is edited (and
    // written back on OK), a serial port row gets its port settings.
    void SettingsEntry(int row);
    // The port settings of a SERIALPORT row: on OK the row is written back,
    // the line settings stored under the port name and the port reopened for
    // every button that sends to it.
    void CmPortSettings(int row);
    QMenu* SettingsMenu() const { return m_settingsMenu; }
    bool PropertyEditsEnabled() const;
    // The port a SERIALPORT row opened, or null.
    ButtonSerialPort* SerialPortOf(int row) const;

protected:
    bool event(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ReadDefinition();
    void LayoutRows();
    void RegisterHotKey(ButtonDefinition& row);
    // A radio row is checked and the others of its group box cleared.
    void SelectRadio(int row);
    int RowOfControl(int controlId) const;
    int RowOfOrder(int32_t order) const;
    bool LinkToForm(int row, bool stored);
    void ResolveForms();
    void PlaySound(const ButtonDefinition& row);
    void ArmTimer(int controlId, int ms);
    void OpenButtonSerialPort(int row);
    void AddSettingsEntry(int row, const QString& text);
    void EditChosenRow();
    void SendSerialCommand(const ButtonDefinition& row);

    QString m_definitionTable;
    QString m_panelName;
    std::vector<ButtonDefinition> m_rows;
    std::vector<QWidget*> m_controls;
    std::unique_ptr<ButtonPressLog> m_log;
    QFont m_font;
    bool m_formsNotResolved = true;
    QCheckBox* m_enableEdits = nullptr;
    QMenu* m_settingsMenu = nullptr;
    int m_editRow = -1; // the row chosen for editing
    std::map<int, QTimer*> m_timers;
    std::map<int, int> m_timerDelays;
    std::map<int, ButtonSerialPort*> m_ports; // by SERIALPORT row; children of the panel
};

// The button editor: edits a row of a panel, true on OK. The program installs
// the "Button Settings" form; empty, nothing is edited.
using ButtonEditor = std::function<bool(QWidget* owner, ButtonDefinition& row, TButtonForm& panel)>;
ButtonEditor& buttonEditor();
// The port dialog of a SERIALPORT row: edits the row's Name and OptionFlags
// and the line settings; true on OK. The panel's own dialog unless the
// program installs another; empty, nothing is edited.
using ButtonPortEditor = std::function<bool(QWidget* owner, ButtonDefinition& row, store::SerialLineSettings& line)>;
ButtonPortEditor& buttonPortEditor();

// Builds a panel for every "UDB_" table of the open database as a page of
// `parent`, with a tab in `tabs` from firstTab on (online logging only; in
// other modes or without a database nothing is made). Returns the tab index
// after the last panel.
int LoadButtonForms(QWidget* parent, QTabBar* tabs, int firstTab);
// A panel definition table made while the program runs: its panel, with a
// tab at the end of the row (online logging only), placed by the next
// ButtonFormsLayout. Null when nothing was made (another mode, no database,
// a panel of that table already there).
TButtonForm* AddButtonForm(QWidget* parent, QTabBar* tabs, const QString& definitionTable);
// Starts (or, after the board settings changed, restarts) the external-button
// thread with the external inputs of every panel.
void ButtonFormsStartButtonThread(bool restart);
// Shows the panel of that tab, hides the others; true when one matched.
bool ButtonFormsSelectTab(int tab);
// Every panel takes the area of the tab pages.
void ButtonFormsLayout(const QRect& area);
// The first panel with a row of this hot key presses it; false when none.
bool ButtonFormsOnHotKey(int id);
// Every panel hears a press broadcast of this program (queued).
void PostToButtonForms(int32_t code, qint64 lParam, const BroadcastChain& chain = {});
// Tab indices at or after `from` move by delta.
void ButtonFormsMoveTabs(int from, int delta);
const std::vector<TButtonForm*>& ButtonFormList();
// Adds text a port received at the end of its box (the box keeps its last
// lines only).
void AppendReceivedText(QPlainTextEdit* box, const QString& text);
// Frees every panel (tests).
void DeleteButtonForms();

} // namespace velmar::forms
