#pragma once
// THeardForm: the "Things Heard" tab, the listening observer's scoring form.
// Each line of the survey's UDF_ThingsHeard table is a row of strength
// buttons ("0" up to its NButtons); a press records an aural detection
// through the main window (message 1040) and is listed at the top of the
// form's list. Beside the rows: the listening-effort panel ("Full", "Half",
// "Stop", each asking for a reason first), a comment line stored as a
// ThingsHeard row of its own, and the list of the latest entries (48 at
// most). Showing stored data, the form holds only two lists: the things heard
// and the listening-effort changes of the shown period.
//
// The form also owns the species' plot choices of the map ("&Things Heard"
// submenu); the species list itself is nav's (HeardSpecies.h), where the map
// reads it.
//
// One form per program (TheHeardForm). User-interface thread only; the form
// is a child of the window given (Qt ownership).
#include "nav/ShowDataReaders.h"
#include "platform/SystemTime.h"

#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <functional>

class QLineEdit;
class QListWidget;
class QMenu;

namespace velmar::forms {

// Ids the rest of the program knows the form's controls by.
inline constexpr int kHeardCommentEdit = 30071;
inline constexpr int kHeardList = 30072;
inline constexpr int kHeardEffortList = 30073;
inline constexpr int kEffortReasonEdit = 30070;
inline constexpr int kListeningPanelBase = 31080;
inline constexpr int kListeningStatusEdit = 31082;
inline constexpr int kListeningRunTimeEdit = 31083;
inline constexpr int kListeningCountEdit = 31084;
inline constexpr int kListeningLastEdit = 31085;
inline constexpr int kListeningFull = 31120;
inline constexpr int kListeningHalf = 31121;
inline constexpr int kListeningStop = 31122;
// The plot menu: "Everything..." and then one item per species.
inline constexpr int kPlotHeardEverything = 31158;
inline constexpr int kPlotHeardFirstSpecies = 31159;
// The list keeps this many lines.
inline constexpr int kHeardListLines = 48;
// The comment and the effort reason fit their columns.
inline constexpr int kHeardCommentWidth = 50;

inline constexpr const char* kHeardTitle = "Form to be used for scoring vocalisations when with whales";

// What the form reaches outside itself. Empty entries do nothing.
struct HeardFormPorts {
    // Message 1040 to the main window: something heard, with its strength.
    std::function<void(const QString& species, int strength)> thingHeard;
    // The listening-effort command (31120 to 31122) to the main window.
    std::function<void(int command)> listeningCommand;
    // The reason of a listening-effort change, asked modally; the text typed
    // (empty when none was given).
    std::function<QString(QWidget* owner)> askEffortReason;
    // Stores a comment as a ThingsHeard row (DbWriteHeardComment).
    std::function<bool(const QString& comment)> writeComment;
    // The list boxes (the copyable list of the comment panel); a plain list
    // when empty.
    std::function<QListWidget*(QWidget* parent, int id)> makeList;
    // Message 1029 (no refit, reset) to the map.
    std::function<void()> redrawMap;
    // Default: the program clock.
    std::function<platform::SystemTime()> programTime;
};

// The process-wide reason of the next listening-effort change: emptied each
// time the reason dialog is made, set by its OK (cut to 50 characters).
QString& ListeningEffortReason();

// The small modal dialog "Listening Effort".
class TEffortReason : public QDialog {
    Q_OBJECT
public:
    explicit TEffortReason(QWidget* parent);
    QLineEdit* Edit() const { return m_edit; }

    void accept() override;

private:
    QLineEdit* m_edit = nullptr;
};

class THeardForm : public QWidget, public nav::HeardSink {
    Q_OBJECT
public:
    // Reads UDF_ThingsHeard on a connection of its own and builds the rows;
    // showData builds the two lists of the shown-data mode instead.
    THeardForm(QWidget* parent, HeardFormPorts ports, bool showData);
    ~THeardForm() override;

    // Empties both lists and fills them from the database (shown data).
    void Reload(nav::ShowDataReader& reader);
    void AddHeard(const QString& time, int32_t gpsIndex, const QString& species, int strength,
                  const QString& comment) override;
    void AddEffort(const QString& time, const QString& status, const QString& comment) override;

    // A strength button of species row `row` (as the button's click does).
    void PressStrength(int row, int strength);
    // "OK" and "Clear" of the comment line.
    void CmOk();
    void CmClear();
    // "Full", "Half" or "Stop" of the listening panel.
    void CmEffort(int command);
    // A choice of the plot menu: its tick flips, the map redraws. False in
    // every case, as the map expects of its sub-menus.
    bool TogglePlotItem(int id);

    // The plot menu (null when the form has no species); owned by the form.
    QMenu* PlotMenu() const { return m_plotMenu; }
    QListWidget* HeardList() const { return m_heardList; }
    QListWidget* EffortList() const { return m_effortList; }
    QLineEdit* CommentEdit() const { return m_comment; }
    // The strength button of a row, or null.
    QPushButton* StrengthButton(int row, int strength) const;
    // The button that takes the focus when the form is shown, or null.
    QPushButton* FocusButton() const { return m_focusButton; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ReadSpecies();
    void LayoutForm();
    int AddSpeciesRow(int row, int y, int* rightEdge);
    void AddListeningPanel(int x, int y);
    void BuildPlotMenu();
    void PutAtTop(const QString& line);
    QString NowText() const;
    QListWidget* MakeList(int id);

    HeardFormPorts m_ports;
    bool m_showData;
    QLineEdit* m_comment = nullptr;
    QListWidget* m_heardList = nullptr;
    QListWidget* m_effortList = nullptr;
    QMenu* m_plotMenu = nullptr;
    QPointer<QPushButton> m_focusButton;
    // Strength buttons by species row.
    std::vector<std::vector<QPushButton*>> m_buttons;
};

// The program's heard form, or null.
THeardForm* TheHeardForm();
// Command of the map's "&Things Heard" submenu; false without a form.
bool HeardFormTogglePlotItem(int id);
// Adds the form's plot menu as the "&Things Heard" submenu of the map's
// acoustic-detections menu; false when there is no form or it has no
// species.
bool AddHeardFormPlotMenu(QMenu* acousticMenu);

} // namespace velmar::forms
