#include "shell/ui/EffortTransfer.h"

#include "store/FixedSchema.h"
#include "store/SqlText.h"

#include <sqlext.h>

#include <algorithm>

namespace velmar::shell::ui {

using store::QuoteIdentifier;
using store::SqlStatement;
using store::sqlSucceeded;

namespace {

constexpr int TextChunk = 1024;

QString Diagnostic(SQLSMALLINT type, SQLHANDLE handle)
{
    SQLCHAR state[8] = {};
    SQLCHAR text[512] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    if (!sqlSucceeded(SQLGetDiagRec(type, handle, 1, state, &native, text, sizeof text, &length)))
        return QString();
    return QString::fromUtf8(reinterpret_cast<const char*>(text));
}

bool IsIntegerType(SQLSMALLINT t)
{
    return t == SQL_INTEGER || t == SQL_SMALLINT || t == SQL_TINYINT || t == SQL_BIGINT || t == SQL_BIT;
}

bool IsRealType(SQLSMALLINT t)
{
    return t == SQL_REAL || t == SQL_FLOAT || t == SQL_DOUBLE || t == SQL_NUMERIC || t == SQL_DECIMAL;
}

// A whole text value, however long; null for NULL.
std::optional<QString> TextAt(SQLHSTMT h, SQLUSMALLINT column, bool* failed)
{
    QByteArray bytes;
    char chunk[TextChunk];
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN r = SQLGetData(h, column, SQL_C_CHAR, chunk, sizeof chunk, &indicator);
        if (r == SQL_NO_DATA)
            break;
        if (!sqlSucceeded(r)) {
            *failed = true;
            return std::nullopt;
        }
        if (indicator == SQL_NULL_DATA)
            return std::nullopt;
        // More to come: the chunk is full but for its terminating zero.
        const bool more = r == SQL_SUCCESS_WITH_INFO
                       && (indicator == SQL_NO_TOTAL || indicator >= SQLLEN(sizeof chunk));
        const qsizetype full = qsizetype(sizeof chunk - 1);
        const qsizetype length = more || indicator == SQL_NO_TOTAL ? qsizetype(qstrnlen(chunk, sizeof chunk))
                                                                   : std::min(qsizetype(indicator), full);
        bytes.append(chunk, length);
        if (!more)
            break;
    }
    return QString::fromUtf8(bytes);
}

// The value of a column as its type says: integer, real or text.
QVariant ValueAt(SQLHSTMT h, SQLUSMALLINT column, SQLSMALLINT type, bool* failed)
{
    SQLLEN indicator = 0;
    if (IsIntegerType(type)) {
        SQLBIGINT v = 0;
        if (!sqlSucceeded(SQLGetData(h, column, SQL_C_SBIGINT, &v, 0, &indicator)))
            *failed = true;
        return indicator == SQL_NULL_DATA || *failed ? QVariant() : QVariant(qint64(v));
    }
    if (IsRealType(type)) {
        double v = 0;
        if (!sqlSucceeded(SQLGetData(h, column, SQL_C_DOUBLE, &v, 0, &indicator)))
            *failed = true;
        return indicator == SQL_NULL_DATA || *failed ? QVariant() : QVariant(v);
    }
    const std::optional<QString> text = TextAt(h, column, failed);
    return text ? QVariant(*text) : QVariant();
}

SQLSMALLINT ColumnType(SQLHSTMT h, SQLUSMALLINT column)
{
    SQLCHAR name[256];
    SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    SQLDescribeCol(h, column, name, sizeof name, &nameLength, &type, &size, &digits, &nullable);
    return type;
}

// Every statement on the connection runs inside one transaction from here
// until Commit; leaving without Commit rolls it back.
class Transaction {
public:
    explicit Transaction(SQLHDBC db) : m_db(db)
    {
        SQLSetConnectAttr(m_db, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
    }
    ~Transaction()
    {
        if (!m_done)
            SQLEndTran(SQL_HANDLE_DBC, m_db, SQL_ROLLBACK);
        SQLSetConnectAttr(m_db, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
    }
    bool Commit()
    {
        m_done = sqlSucceeded(SQLEndTran(SQL_HANDLE_DBC, m_db, SQL_COMMIT));
        return m_done;
    }
    QString Error() const { return Diagnostic(SQL_HANDLE_DBC, m_db); }

private:
    SQLHDBC m_db;
    bool m_done = false;
};

TransferOutcome Failed(const QString& text, const QString& caption = QStringLiteral("Error"))
{
    TransferOutcome o;
    o.message = text;
    o.caption = caption;
    return o;
}

QString SelectText(const QString& first, const QString& join, const QString& table)
{
    return QStringLiteral("select %1, %2 from %3 order by %2, \"Index\"")
        .arg(first, QuoteIdentifier(join), QuoteIdentifier(table));
}

} // namespace

std::vector<QVariant> AssignSourceValues(const std::vector<TransferSourceRow>& sources,
                                         const std::vector<QString>& destKeys, int keySqlType)
{
    std::vector<QVariant> values;
    values.reserve(destKeys.size());
    QVariant current;
    std::size_t next = 0;
    for (const QString& key : destKeys) {
        while (next < sources.size() && store::DbCompareValues(keySqlType, sources[next].key, key) <= 0)
            current = sources[next++].value;
        values.push_back(current);
    }
    return values;
}

QStringList TableColumnNames(SQLHDBC db, const QString& table)
{
    QStringList names;
    if (db == SQL_NULL_HDBC || table.isEmpty())
        return names;
    SqlStatement select(db);
    if (!select.execDirect(QStringLiteral("select * from %1 limit 0").arg(QuoteIdentifier(table))))
        return names;
    SQLSMALLINT count = 0;
    SQLNumResultCols(select.handle(), &count);
    for (SQLUSMALLINT i = 1; i <= SQLUSMALLINT(count); ++i) {
        SQLCHAR name[256] = {};
        SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        if (sqlSucceeded(
                SQLDescribeCol(select.handle(), i, name, sizeof name, &length, &type, &size, &digits, &nullable)))
            names << QString::fromUtf8(reinterpret_cast<const char*>(name));
    }
    return names;
}

TransferOutcome TransferColumn(SQLHDBC db, const EffortTransferRequest& r, const std::optional<ColumnToCreate>& create,
                               const std::function<void(int, int)>& progress)
{
    if (db == SQL_NULL_HDBC)
        return Failed(QStringLiteral("You have not opened a database file"));
    const QString cantRead = QStringLiteral("Can't read table %1");

    // The sources are read before the destination is touched: a column
    // copied within one table is never cleared before it is read.
    std::vector<TransferSourceRow> sources;
    {
        SqlStatement select(db);
        const QString text = SelectText(QuoteIdentifier(r.sourceColumn), r.sourceJoin, r.sourceTable);
        if (!select.execDirect(text))
            return Failed(cantRead.arg(r.sourceTable) + QStringLiteral("\n")
                          + Diagnostic(SQL_HANDLE_STMT, select.handle()));
        const SQLHSTMT h = select.handle();
        const SQLSMALLINT valueType = ColumnType(h, 1);
        bool failed = false;
        while (!failed && sqlSucceeded(SQLFetch(h))) {
            TransferSourceRow row;
            row.value = ValueAt(h, 1, valueType, &failed);
            row.key = TextAt(h, 2, &failed).value_or(QString());
            sources.push_back(std::move(row));
        }
        if (failed)
            return Failed(cantRead.arg(r.sourceTable) + QStringLiteral("\n") + Diagnostic(SQL_HANDLE_STMT, h));
    }

    Transaction transaction(db);
    if (create) {
        const bool characters = create->typeName.contains(QStringLiteral("CHAR"), Qt::CaseInsensitive)
                             && !create->typeName.contains(QLatin1Char('('));
        store::DbAddColumn(db, r.destTable, r.destColumn, characters ? QStringLiteral("CHAR") : create->typeName,
                           characters ? create->size : 0);
        if (store::DbGetColumnInfo(db, r.destTable, r.destColumn, nullptr, nullptr, nullptr) < 0)
            return Failed(QStringLiteral("%1 Column %2 still does not exit in table %3. Check database write access")
                              .arg(create->sourceTypeName, r.destColumn, r.destEntry));
    } else {
        SqlStatement clear(db);
        if (!clear.execDirect(QStringLiteral("update %1 set %2 = NULL")
                                  .arg(QuoteIdentifier(r.destTable), QuoteIdentifier(r.destColumn))))
            return Failed(QStringLiteral("Column clear failed") + QStringLiteral("\n")
                          + Diagnostic(SQL_HANDLE_STMT, clear.handle()));
    }
    int keyType = SQL_VARCHAR;
    store::DbGetColumnInfo(db, r.destTable, r.destJoin, nullptr, &keyType, nullptr);
    int destType = SQL_VARCHAR;
    int destWidth = 0;
    store::DbGetColumnInfo(db, r.destTable, r.destColumn, nullptr, &destType, &destWidth);
    const bool cutTexts = (destType == SQL_CHAR || destType == SQL_VARCHAR) && destWidth > 0;

    std::vector<qint64> rowIds;
    std::vector<QString> keys;
    {
        SqlStatement select(db);
        if (!select.execDirect(SelectText(QStringLiteral("rowid"), r.destJoin, r.destTable)))
            return Failed(cantRead.arg(r.destEntry) + QStringLiteral("\n")
                          + Diagnostic(SQL_HANDLE_STMT, select.handle()));
        const SQLHSTMT h = select.handle();
        bool failed = false;
        while (!failed && sqlSucceeded(SQLFetch(h))) {
            SQLBIGINT id = 0;
            SQLLEN indicator = 0;
            failed = !sqlSucceeded(SQLGetData(h, 1, SQL_C_SBIGINT, &id, 0, &indicator));
            rowIds.push_back(qint64(id));
            keys.push_back(TextAt(h, 2, &failed).value_or(QString()));
        }
        if (failed)
            return Failed(cantRead.arg(r.destEntry) + QStringLiteral("\n") + Diagnostic(SQL_HANDLE_STMT, h));
    }

    const std::vector<QVariant> values = AssignSourceValues(sources, keys, keyType);
    const int total = int(values.size());
    if (progress)
        progress(0, total);
    SqlStatement update(db);
    QByteArray text = store::toSqlBytes(QStringLiteral("update %1 set %2 = ? where rowid = ?")
                                            .arg(QuoteIdentifier(r.destTable), QuoteIdentifier(r.destColumn)));
    const SQLHSTMT h = update.handle();
    if (!sqlSucceeded(SQLPrepare(h, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS)))
        return Failed(QStringLiteral("Can't update effort info in table") + QStringLiteral("\n")
                      + Diagnostic(SQL_HANDLE_STMT, h));
    for (int i = 0; i < total; ++i) {
        const QVariant& v = values[std::size_t(i)];
        SQLLEN indicator = 0;
        SQLBIGINT integer = 0;
        double real = 0;
        QByteArray bytes;
        if (v.isNull()) {
            indicator = SQL_NULL_DATA;
            SQLBindParameter(h, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0, nullptr, 0, &indicator);
        } else if (v.typeId() == QMetaType::LongLong) {
            integer = v.toLongLong();
            SQLBindParameter(h, 1, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &integer, 0, nullptr);
        } else if (v.typeId() == QMetaType::Double) {
            real = v.toDouble();
            SQLBindParameter(h, 1, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, &real, 0, nullptr);
        } else {
            const QString s = cutTexts ? store::CutToWidth(v.toString(), destWidth) : v.toString();
            bytes = s.toUtf8();
            indicator = bytes.size();
            SQLBindParameter(h, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_LONGVARCHAR,
                             SQLULEN(std::max<qsizetype>(1, bytes.size())), 0, bytes.data(), bytes.size() + 1,
                             &indicator);
        }
        SQLBIGINT id = rowIds[std::size_t(i)];
        SQLBindParameter(h, 2, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &id, 0, nullptr);
        const SQLRETURN result = SQLExecute(h);
        if (!sqlSucceeded(result) && result != SQL_NO_DATA)
            return Failed(QStringLiteral("Can't update effort info in table") + QStringLiteral("\n")
                          + Diagnostic(SQL_HANDLE_STMT, h));
        SQLFreeStmt(h, SQL_RESET_PARAMS);
        if (progress)
            progress(i + 1, total);
    }
    if (!transaction.Commit())
        return Failed(QStringLiteral("Can't update effort info in table") + QStringLiteral("\n") + transaction.Error());
    TransferOutcome done;
    done.ok = true;
    done.rows = total;
    return done;
}

} // namespace velmar::shell::ui
