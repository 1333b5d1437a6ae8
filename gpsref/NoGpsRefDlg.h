#pragma once
// NoGpsRefDlg ("No GPS Cross References"): offers to fill the GPS cross
// reference of a table's rows that have none, from the event-time column the
// operator picks, and runs the fill in steps from a timer, so that Stop ends
// it between transactions and the window keeps repainting. A stopped fill
// leaves the dialog open for another Ok; a failed write is reported, the rows
// already written stay, and the dialog stays open.
//
// Also the check over one table (CheckGpsIndexes) and over every event and
// user-form table (DbCheckGpsReferences).
//
// User-interface thread only.
#include "nav/GpsCrossReference.h"

#include <QDialog>
#include <QTimer>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace velmar::gpsref {

inline constexpr int IdNoGpsRefText = 31910;
inline constexpr int IdNoGpsRefColumns = 31911;
inline constexpr int IdNoGpsRefProgress = 31912;
inline constexpr int IdNoGpsRefStop = 31913;
inline constexpr int IdNoGpsRefOk = 31914;
inline constexpr int IdNoGpsRefCancel = 31915;

// How the check reaches the operator; tests script it.
struct GpsReferenceUi {
    // A message box with the stop icon.
    std::function<void(QWidget* owner, const QString& text, const QString& caption)> showStop;
    // Runs the dialog modally; its result. Empty: the dialog service runs it.
    std::function<int(QDialog& dialog)> runDialog;
    // The table name shown while the check goes through the tables.
    std::function<void(const QString& table)> showTable;
};

class NoGpsRefDlg : public QDialog {
    Q_OBJECT
public:
    NoGpsRefDlg(QWidget* parent, const QString& table, int rowCount, const QString& gpsTable, GpsReferenceUi ui);
    ~NoGpsRefDlg() override;

    // The buttons, callable by tests.
    void CmOk();
    void CmStop();
    void CmCancel();
    // One step of a running fill (the timer's work).
    void FillStep();
    // Ok with the column as chosen, and every step at once (no operator):
    // the dialog's result.
    int RunToEnd();

    bool Running() const { return m_running; }
    // Rows written by every fill this dialog ran (stopped and failed ones
    // count what they committed).
    qint64 RowsFilled() const { return m_filled; }
    QComboBox* Columns() const { return m_columns; }
    QLabel* Text() const { return m_text; }
    QProgressBar* Progress() const { return m_progress; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }
    QPushButton* StopButton() const { return m_stop; }
    QTimer& StepTimer() { return m_timer; }

private:
    void UpdateControls();
    void EndFill();

    QString m_table;
    int m_rowCount = 0;
    QString m_gpsTable;
    GpsReferenceUi m_ui;
    bool m_running = false;
    bool m_stopRequested = false;
    qint64 m_filled = 0;
    std::unique_ptr<nav::GpsReferenceFill> m_fill;
    QTimer m_timer;
    QLabel* m_text = nullptr;
    QComboBox* m_columns = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_stop = nullptr;
};

// What a check found and did.
struct GpsReferenceCheck {
    qint64 rowsMissing = 0; // rows without a reference when their table was checked
    qint64 rowsFilled = 0;
    GpsReferenceCheck& operator+=(const GpsReferenceCheck& other)
    {
        rowsMissing += other.rowsMissing;
        rowsFilled += other.rowsFilled;
        return *this;
    }
};
// The operator's summary of a check: how many rows were filled, and how many
// still have no reference.
QString GpsReferenceSummary(const GpsReferenceCheck& check);

// Counts the table's rows without a cross reference and, when there are
// any, runs NoGpsRefDlg on them with the data set's track.
GpsReferenceCheck CheckGpsIndexes(QWidget* parent, const QString& table, const QString& gpsTable,
                                  const GpsReferenceUi& ui);

// The fixed event tables in their order, each against the main track; then
// the further tables given (a user form's data table with its data set's
// track).
struct TableAndTrack {
    QString table;
    QString gpsTable;
};
GpsReferenceCheck DbCheckGpsReferences(QWidget* parent, const std::vector<TableAndTrack>& userFormTables,
                                       const GpsReferenceUi& ui);
// The fixed tables the menu command checks, in order.
QStringList GpsReferenceTables();

} // namespace velmar::gpsref
