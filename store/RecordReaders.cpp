#include "RecordReaders.h"

#include "DbConnection.h"
#include "DbMessages.h"
#include "SqlText.h"

#include <QRegularExpression>

#include <sqlext.h>

#include <algorithm>
#include <limits>

namespace velmar::store {

namespace {
// Value texts are read up to 19 characters, as many as a 64-bit number needs.
constexpr SQLLEN kValueTextSize = 20;

// The integer a text begins with, as atoi reads it: 0 when it begins with none.
int leadingInteger(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*[+-]?\\d+"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return 0;
    bool ok = false;
    const qlonglong v = m.captured(0).trimmed().toLongLong(&ok);
    if (!ok)
        return 0;
    return int(std::clamp<qlonglong>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}
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
        return indicator == SQL_NULL_DATA ? 0 : leadingInteger(QString::fromUtf8(reinterpret_cast<const char*>(value)));
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
