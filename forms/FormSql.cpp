#include "forms/FormSql.h"

#include "platform/Utilities.h"

namespace velmar::forms::detail {

ParamStatement::ParamStatement(SQLHDBC connection) : m_statement(connection)
{
}

bool ParamStatement::prepare(const QString& text)
{
    m_text = text;
    m_textBytes = store::toSqlBytes(text);
    m_prepared = m_statement.isValid()
              && store::sqlSucceeded(
                     SQLPrepare(m_statement.handle(), reinterpret_cast<SQLCHAR*>(m_textBytes.data()), SQL_NTS));
    return m_prepared;
}

void ParamStatement::addText(const QString& text)
{
    Param& p = m_params.emplace_back();
    const auto number = SQLUSMALLINT(m_params.size());
    if (text.isNull()) {
        p.indicator = SQL_NULL_DATA;
        m_bindFailed |= !store::sqlSucceeded(SQLBindParameter(m_statement.handle(), number, SQL_PARAM_INPUT, SQL_C_CHAR,
                                                              SQL_VARCHAR, 1, 0, nullptr, 0, &p.indicator));
        return;
    }
    p.bytes = store::toSqlBytes(text);
    p.indicator = p.bytes.size();
    m_bindFailed |= !store::sqlSucceeded(SQLBindParameter(m_statement.handle(), number, SQL_PARAM_INPUT, SQL_C_CHAR,
                                                          SQL_VARCHAR, SQLULEN(qMax<qsizetype>(1, p.bytes.size())), 0,
                                                          p.bytes.data(), p.bytes.size() + 1, &p.indicator));
}

void ParamStatement::addInt(qint64 value)
{
    Param& p = m_params.emplace_back();
    p.integer = value;
    m_bindFailed |= !store::sqlSucceeded(SQLBindParameter(m_statement.handle(), SQLUSMALLINT(m_params.size()),
                                                          SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &p.integer,
                                                          0, nullptr));
}

void ParamStatement::addDouble(double value)
{
    Param& p = m_params.emplace_back();
    p.real = value;
    m_bindFailed |= !store::sqlSucceeded(SQLBindParameter(m_statement.handle(), SQLUSMALLINT(m_params.size()),
                                                          SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, &p.real, 0,
                                                          nullptr));
}

void ParamStatement::addNull()
{
    addText(QString());
}

bool ParamStatement::execute()
{
    if (!m_prepared || m_bindFailed)
        return false;
    const SQLRETURN r = SQLExecute(m_statement.handle());
    return store::sqlSucceeded(r) || r == SQL_NO_DATA;
}

qint64 ParamStatement::rowCount() const
{
    SQLLEN count = 0;
    if (!store::sqlSucceeded(SQLRowCount(m_statement.handle(), &count)))
        return -1;
    return qint64(count);
}

QString columnText(SQLHSTMT statement, int column)
{
    QByteArray value;
    char chunk[512];
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN r = SQLGetData(statement, SQLUSMALLINT(column), SQL_C_CHAR, chunk, SQLLEN(sizeof chunk),
                                       &indicator);
        if (r == SQL_NO_DATA)
            break;
        if (!store::sqlSucceeded(r))
            return value.isEmpty() ? QString() : QString::fromUtf8(value);
        if (indicator == SQL_NULL_DATA)
            return QString();
        // With info the chunk was full: all but its terminating null counts.
        const qsizetype got = (indicator == SQL_NO_TOTAL || indicator >= SQLLEN(sizeof chunk))
                                ? qsizetype(sizeof chunk - 1)
                                : qsizetype(indicator);
        value.append(chunk, got);
        if (r == SQL_SUCCESS)
            break;
    }
    return QString::fromUtf8(value.isNull() ? QByteArray("") : value);
}

std::optional<qint64> columnInt(SQLHSTMT statement, int column)
{
    SQLBIGINT v = 0;
    SQLLEN indicator = 0;
    if (!store::sqlSucceeded(SQLGetData(statement, SQLUSMALLINT(column), SQL_C_SBIGINT, &v, 0, &indicator))
        || indicator == SQL_NULL_DATA)
        return std::nullopt;
    return qint64(v);
}

std::optional<double> columnDouble(SQLHSTMT statement, int column)
{
    double v = 0;
    SQLLEN indicator = 0;
    if (!store::sqlSucceeded(SQLGetData(statement, SQLUSMALLINT(column), SQL_C_DOUBLE, &v, 0, &indicator))
        || indicator == SQL_NULL_DATA)
        return std::nullopt;
    return v;
}

QString DefinitionRowReader::text(int column, int width) const
{
    const QString value = columnText(m_statement, column + 1);
    m_seen(column, !value.isNull());
    QString cut = store::CutToWidth(value, width);
    platform::TrimRight(cut);
    return cut;
}

std::optional<qint64> DefinitionRowReader::integer(int column) const
{
    const auto value = columnInt(m_statement, column + 1);
    m_seen(column, value.has_value());
    return value;
}

std::optional<double> DefinitionRowReader::real(int column) const
{
    const auto value = columnDouble(m_statement, column + 1);
    m_seen(column, value.has_value());
    return value;
}

QString definitionSelectText(const QStringList& columns, const QString& table)
{
    QStringList quoted;
    for (const QString& c : columns)
        quoted << store::QuoteIdentifier(c);
    return QStringLiteral("SELECT %1 FROM %2 ORDER BY \"Order\" ASC")
        .arg(quoted.join(QStringLiteral(", ")), store::QuoteIdentifier(table));
}

} // namespace velmar::forms::detail
