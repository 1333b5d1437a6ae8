#include "RecordReaders.h"

#include "DbConnection.h"
#include "DbMessages.h"
#include "SqlText.h"

#include <sqlext.h>

#include <algorithm>

namespace velmar::store {

namespace {
// Value texts are read up to 19 characters, as many as a 64-bit number needs.
constexpr SQLLEN kValueTextSize = 20;
} // namespace

int DbGetLastValue(const QString& table, const QString& column, const QString& orderColumn, bool takeMaximum)
{
    const QString order = orderColumn.isEmpty() ? QStringLiteral("Index") : orderColumn;
    const QString text = QStringLiteral("SELECT %1 FROM %2 ORDER BY %3 DESC")
                             .arg(QuoteIdentifier(column), QuoteIdentifier(table), QuoteIdentifier(order));
    SqlStatement statement(GetDbConnection());
    if (!statement.execDirect(text)) {
        DbMessage(DbOwnerWindow(), text, QStringLiteral("Can't execute SQL statement"), DbIcon::Stop);
        return 0;
    }
    SQLCHAR value[kValueTextSize];
    SQLLEN indicator = 0;
    SQLBindCol(statement.handle(), 1, SQL_C_CHAR, value, kValueTextSize, &indicator);
    auto current = [&] {
        return indicator == SQL_NULL_DATA ? 0 : LeadingInteger(QString::fromUtf8(reinterpret_cast<const char*>(value)));
    };
    if (!sqlSucceeded(SQLFetch(statement.handle())))
        return 0;
    int result = current();
    if (takeMaximum)
        while (sqlSucceeded(SQLFetch(statement.handle())))
            result = std::max(result, current());
    return result;
}

} // namespace velmar::store
