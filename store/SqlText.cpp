#include "SqlText.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace velmar::store {

namespace {
// Access gives a CHAR or TEXT column without a length 255 characters.
constexpr int kDefaultTextWidth = 255;

const QRegularExpression& charTypePattern()
{
    static const QRegularExpression re(QStringLiteral("^(CHAR|TEXT)\\s*\\(\\s*(\\d+)\\s*\\)$"),
                                       QRegularExpression::CaseInsensitiveOption);
    return re;
}
} // namespace

QString QuoteIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString SqliteColumnType(const QString& accessType)
{
    const QString t = accessType.trimmed();
    const QString u = t.toUpper();
    if (u == u"COUNTER" || u == u"LONG")
        return QStringLiteral("INTEGER");
    if (u == u"SHORT")
        return QStringLiteral("SMALLINT");
    if (u == u"SINGLE")
        return QStringLiteral("REAL");
    if (u == u"DOUBLE")
        return QStringLiteral("DOUBLE");
    if (u == u"BIT")
        return QStringLiteral("BIT");
    if (u == u"DATETIME" || u == u"TIMESTAMP")
        return QStringLiteral("TIMESTAMP");
    if (u == u"MEMO" || u == u"LONGCHAR")
        return QStringLiteral("TEXT");
    if (u == u"CHAR" || u == u"TEXT")
        return QStringLiteral("VARCHAR(%1)").arg(kDefaultTextWidth);
    const int n = CharTypeLength(t);
    if (n > 0)
        return QStringLiteral("VARCHAR(%1)").arg(n);
    return t;
}

int CharTypeLength(const QString& accessType)
{
    const auto m = charTypePattern().match(accessType.trimmed());
    return m.hasMatch() ? m.captured(2).toInt() : 0;
}

QString CutToWidth(const QString& text, int width)
{
    if (width < 0)
        width = 0;
    // Count characters, not UTF-16 units: a surrogate pair is one character.
    int units = 0;
    for (int chars = 0; units < text.size() && chars < width; ++chars)
        units += (text.at(units).isHighSurrogate() && units + 1 < text.size()) ? 2 : 1;
    return text.left(units);
}

int LeadingInteger(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*[+-]?\\d+"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return 0;
    bool ok = false;
    const qlonglong v = m.captured(0).trimmed().toLongLong(&ok);
    if (!ok) // more digits than 64 bits hold
        return m.captured(0).contains(QLatin1Char('-')) ? std::numeric_limits<int>::min()
                                                        : std::numeric_limits<int>::max();
    return int(std::clamp<qlonglong>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

QString FormatReal(double value)
{
    // QString::number never uses the locale's decimal separator.
    return QString::number(value, 'g', 9);
}

SqlStatement::SqlStatement(SQLHDBC connection)
{
    if (connection == SQL_NULL_HDBC || !sqlSucceeded(SQLAllocHandle(SQL_HANDLE_STMT, connection, &m_handle)))
        m_handle = SQL_NULL_HSTMT;
}

SqlStatement::~SqlStatement()
{
    if (m_handle != SQL_NULL_HSTMT)
        SQLFreeHandle(SQL_HANDLE_STMT, m_handle);
}

bool SqlStatement::execDirect(const QString& text)
{
    if (!isValid())
        return false;
    QByteArray bytes = toSqlBytes(text);
    const SQLRETURN r = SQLExecDirect(m_handle, reinterpret_cast<SQLCHAR*>(bytes.data()), SQL_NTS);
    return sqlSucceeded(r) || r == SQL_NO_DATA;
}

} // namespace velmar::store
