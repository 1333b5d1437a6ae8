#include "RecordReaders.h"

#include "DbConnection.h"
#include "DbMessages.h"
#include "SqlText.h"

#include <sqlext.h>

namespace velmar::store {

namespace {
// Value texts are read up to 19 characters, as many as a 64-bit number needs.
constexpr SQLLEN kValueTextSize = 20;
} // namespace

int DbGetLastValue(const QString& table, const QString& column, const QString& orderColumn, bool takeMaximum)
{
    // One row from the database either way: the newest through the order
    // column's key, or the largest that SQLite finds itself. Reading the
    // whole table back row by row grows with the survey.
    const QString order = orderColumn.isEmpty() ? QStringLiteral("Index") : orderColumn;
    const QString text = takeMaximum
                           ? QStringLiteral("SELECT max(CAST(%1 AS INTEGER)) FROM %2")
                                 .arg(QuoteIdentifier(column), QuoteIdentifier(table))
                           : QStringLiteral("SELECT %1 FROM %2 ORDER BY %3 DESC LIMIT 1")
                                 .arg(QuoteIdentifier(column), QuoteIdentifier(table), QuoteIdentifier(order));
    SqlStatement statement(GetDbConnection());
    if (!statement.execDirect(text)) {
        DbMessage(DbOwnerWindow(), text, QStringLiteral("Can't execute SQL statement"), DbIcon::Stop);
        return 0;
    }
    SQLCHAR value[kValueTextSize];
    SQLLEN indicator = 0;
    SQLBindCol(statement.handle(), 1, SQL_C_CHAR, value, kValueTextSize, &indicator);
    if (!sqlSucceeded(SQLFetch(statement.handle())) || indicator == SQL_NULL_DATA)
        return 0;
    return LeadingInteger(QString::fromUtf8(reinterpret_cast<const char*>(value)));
}

} // namespace velmar::store
