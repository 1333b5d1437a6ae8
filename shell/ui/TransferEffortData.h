#pragma once
// "Transfer Effort Data": the operator picks a source table, column and join
// column, and a destination table, join column and column (typed when it is
// to be made), and "Start" copies the column (EffortTransfer.h). A table
// entry is "GpsData", a GPS data set's table or a user form's name.
//
// User-interface thread only; works on the program's connection.
#include <QDialog>
#include <QStringList>

#include <functional>

class QComboBox;
class QProgressBar;
class QPushButton;

namespace velmar::shell::ui {

struct TransferTables {
    // "GpsData", the other GPS data sets' tables, then the user forms'
    // names in form-list order.
    std::function<QStringList()> entries;
    // The data table of an entry: a user form's data table, else the entry.
    std::function<QString(const QString& entry)> dataTableOf;
};

class TTransferEffortData : public QDialog {
    Q_OBJECT
public:
    explicit TTransferEffortData(TransferTables tables, QWidget* parent = nullptr);

    QComboBox* sourceTable;
    QComboBox* sourceColumn;
    QComboBox* sourceJoin;
    QComboBox* destTable;
    QComboBox* destJoin;
    QComboBox* destColumn; // also takes a typed name
    QProgressBar* progressBar;
    QPushButton* start;
    QPushButton* close;

    void FillTableList();
    void UpdateStart();
    // "Start"; true when the column was copied.
    bool Start();
    // The form has no OK: ending it is "Close".
    void accept() override { reject(); }

private:
    void FillColumnList(QComboBox* table, QComboBox* column, QComboBox* join);
    QString DataTableOfEntry(const QString& entry) const;

    TransferTables m_tables;
};

// Opens the form modally; it ends with "Close", never with OK.
void ShowTransferEffortDialog(QWidget* parent, TransferTables tables);

} // namespace velmar::shell::ui
