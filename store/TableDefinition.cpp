#include "TableDefinition.h"

#include "DbConnection.h"
#include "DbMessages.h"
#include "SqlText.h"

#include <cstring>

namespace velmar::store {

TableDefinition::TableDefinition(const QString& name) : m_name(name)
{
}

void TableDefinition::AddItem(const QString& columnName, const QString& type, bool primaryKey)
{
    m_columns.push_back({columnName, type, primaryKey});
    if (!primaryKey)
        return;
    if (++m_primaryKeyCount == 2)
        DbMessage(nullptr, QStringLiteral("Only one primary key allowed in table %1").arg(m_name),
                  QStringLiteral("TableDefinition::AddItem() Warning !"));
}

QString TableDefinition::GetColumnName(int index) const
{
    return index >= 0 && index < GetCount() ? m_columns[std::size_t(index)].name : QString();
}

QString TableDefinition::GetColumnType(int index) const
{
    return index >= 0 && index < GetCount() ? m_columns[std::size_t(index)].type : QString();
}

bool TableDefinition::IsPrimaryKey(int index) const
{
    return index >= 0 && index < GetCount() && m_columns[std::size_t(index)].primaryKey;
}

bool TableDefinition::BuildSelectText(QString& text, const QString& suffix) const
{
    text = QStringLiteral("SELECT ");
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (i > 0)
            text += QStringLiteral(", ");
        text += QuoteIdentifier(m_columns[i].name) + QLatin1Char(' ');
    }
    text += QStringLiteral(" FROM ") + QuoteIdentifier(m_name);
    if (!suffix.isNull())
        text += QLatin1Char(' ') + suffix.trimmed();
    return true;
}

bool TableDefinition::BuildSelect(char* buffer, std::size_t bufferSize, const QString& suffix) const
{
    QString text;
    BuildSelectText(text, suffix);
    const QByteArray bytes = toSqlBytes(text);
    if (buffer == nullptr || std::size_t(bytes.size()) >= bufferSize)
        return false;
    std::memcpy(buffer, bytes.constData(), std::size_t(bytes.size()) + 1);
    return true;
}

QString BuildCreateTableText(const TableDefinition& definition, const QString& otherName)
{
    QString text = QStringLiteral("CREATE TABLE %1 ( ")
                       .arg(QuoteIdentifier(otherName.isEmpty() ? definition.GetName() : otherName));
    for (int i = 0; i < definition.GetCount(); ++i) {
        if (i > 0)
            text += QStringLiteral(", ");
        text += QuoteIdentifier(definition.GetColumnName(i)) + QLatin1Char(' ')
              + SqliteColumnType(definition.GetColumnType(i));
        if (definition.IsPrimaryKey(i))
            text += QStringLiteral(" CONSTRAINT MyFieldConstraint PRIMARY KEY");
    }
    text += QStringLiteral(" )");
    return text;
}

bool DbCreateTable(SQLHSTMT statement, const TableDefinition& definition, const QString& otherName)
{
    const QString text = BuildCreateTableText(definition, otherName);
    QByteArray bytes = toSqlBytes(text);
    const SQLRETURN r = SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(bytes.data()), SQL_NTS);
    if (sqlSucceeded(r))
        return true;
    DbMessage(DbOwnerWindow(), text, QStringLiteral("Error creating table %1").arg(definition.GetName()), DbIcon::Stop);
    return false;
}

namespace {
// The two wordings of each ODBC column type: the DDL text compared with the
// definitions, and the text shown to the survey designer ("%1" is the size).
struct SqlTypeWording {
    int sqlType;
    const char* definition;
    const char* display;
};

constexpr SqlTypeWording kSqlTypeWordings[] = {
    {SQL_CHAR, "CHAR(%1)", "Text(%1)"},
    {SQL_VARCHAR, "CHAR(%1)", "Text(%1)"},
    {SQL_INTEGER, "LONG", "LONG Integer"},
    {SQL_SMALLINT, "SHORT", "Integer"},
    {SQL_REAL, "SINGLE", "SINGLE"},
    {SQL_DOUBLE, "DOUBLE", "DOUBLE"},
    {SQL_TIME, "TIME", "TIME"},
    {SQL_TIMESTAMP, "TIMESTAMP", "TIMESTAMP"},
    {SQL_BIT, "BIT", "BIT"},
};

QString wording(int sqlType, int columnSize, const char* SqlTypeWording::*which)
{
    for (const SqlTypeWording& w : kSqlTypeWordings)
        if (w.sqlType == sqlType) {
            const QString text = QString::fromLatin1(w.*which);
            return text.contains(QLatin1String("%1")) ? text.arg(columnSize) : text;
        }
    return QStringLiteral("Unknown SQL Type");
}
} // namespace

QString SqlTypeDefinitionText(int sqlType, int columnSize)
{
    return wording(sqlType, columnSize, &SqlTypeWording::definition);
}

QString SqlTypeText(int sqlType, int columnSize)
{
    return wording(sqlType, columnSize, &SqlTypeWording::display);
}

} // namespace velmar::store
