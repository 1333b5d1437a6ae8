#pragma once
// Small pieces every statement of the data layer is built from: identifier
// quoting, the one translation of the schema's Access DDL types into SQLite's,
// cutting texts to their column width, locale-free reals, and a statement
// handle that frees itself. Any thread; no shared state.
#include <QByteArray>
#include <QString>

#include <sql.h>
#include <sqlext.h>

namespace velmar::store {

// "name" with every inner double quote doubled. Table and column names may
// hold blanks and SQLite reserved words ("Index", "Order", "Table").
QString QuoteIdentifier(const QString& name);

// The SQLite column type for an Access DDL type text of the schema: COUNTER and
// LONG INTEGER, SHORT SMALLINT, SINGLE REAL, DOUBLE DOUBLE, BIT BIT,
// CHAR(n)/TEXT(n) VARCHAR(n), DATETIME/TIMESTAMP TIMESTAMP, MEMO/LONGCHAR TEXT.
// Keywords compare without regard to case; anything else passes unchanged.
QString SqliteColumnType(const QString& accessType);

// The length n of a "CHAR(n)" or "TEXT(n)" type text, or 0 for other types.
int CharTypeLength(const QString& accessType);

// The text cut to at most `width` characters, never inside a surrogate pair.
// SQLite keeps whatever it is given, so widths are kept here.
QString CutToWidth(const QString& text, int width);

// The integer a text begins with (after blanks, with an optional sign), as C's
// atoi reads it, limited to the int range; 0 when it begins with none.
int LeadingInteger(const QString& text);

// A real number as SQL text: always "." as the decimal point, whatever locale.
QString FormatReal(double value);

// Text for the narrow ODBC calls (the SQLite driver takes UTF-8).
inline QByteArray toSqlBytes(const QString& text)
{
    return text.toUtf8();
}

// One ODBC statement handle, allocated on a connection and freed on scope exit.
class SqlStatement {
public:
    explicit SqlStatement(SQLHDBC connection);
    ~SqlStatement();
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    bool isValid() const { return m_handle != SQL_NULL_HSTMT; }
    SQLHSTMT handle() const { return m_handle; }
    // SQLExecDirect; true on SQL_SUCCESS, SQL_SUCCESS_WITH_INFO or SQL_NO_DATA
    // (an UPDATE or DELETE that touched no row).
    bool execDirect(const QString& text);

private:
    SQLHSTMT m_handle = SQL_NULL_HSTMT;
};

inline bool sqlSucceeded(SQLRETURN r)
{
    return r == SQL_SUCCESS || r == SQL_SUCCESS_WITH_INFO;
}

} // namespace velmar::store
