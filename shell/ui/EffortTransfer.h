#pragma once
// The copy of one column of a source table onto every row of a destination
// table, joined by a key column (a time, a GPS index): each destination row
// receives the value in force at its key, that of the last source row whose
// key is not later than its own (rows with equal keys in "Index" order).
//
// The copy is one transaction on the program's connection: the destination
// column is made or cleared and then filled inside it, and any failure rolls
// everything back, leaving the column as it was. Values keep their type
// (integers, reals, texts of any length, NULL).
//
// User-interface thread only (the program's one connection).
#include <QString>
#include <QStringList>
#include <QVariant>

#include <sql.h>

#include <functional>
#include <optional>
#include <vector>

namespace velmar::shell::ui {

// One source row: its join value as text (null for NULL) and its value.
struct TransferSourceRow {
    QString key;
    QVariant value; // a null QVariant for NULL
};

// The value each destination key receives (keys in ascending order; the
// sources sorted by key and then "Index"). keySqlType: the SQL type of the
// destination's join column, which decides how keys compare.
std::vector<QVariant> AssignSourceValues(const std::vector<TransferSourceRow>& sources,
                                         const std::vector<QString>& destKeys, int keySqlType);

struct EffortTransferRequest {
    QString sourceTable;
    QString sourceColumn;
    QString sourceJoin;
    QString destTable;
    QString destColumn;
    QString destJoin;
    QString destEntry; // the destination as the operator chose it, for messages
};

// A destination column to make first, with the source column's type.
struct ColumnToCreate {
    QString typeName;
    int size = 0;
    QString sourceTypeName; // as the messages name it
};

struct TransferOutcome {
    bool ok = false;
    int rows = 0;    // destination rows written
    QString message; // why it failed
    QString caption;
};

// The columns of a table in their order; empty when it cannot be read.
QStringList TableColumnNames(SQLHDBC connection, const QString& table);

// Runs the copy. progress(done, total) follows the destination rows.
TransferOutcome TransferColumn(SQLHDBC connection, const EffortTransferRequest& request,
                               const std::optional<ColumnToCreate>& create,
                               const std::function<void(int done, int total)>& progress = {});

} // namespace velmar::shell::ui
