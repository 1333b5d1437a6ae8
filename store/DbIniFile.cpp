#include "DbIniFile.h"

#include "DbConnection.h"
#include "DbMessages.h"
#include "FixedSchema.h"
#include "SqlText.h"
#include "platform/DateTimeText.h"

#include <sqlext.h>

#include <QSet>

#include <charconv>
#include <cmath>
#include <cstring>

namespace velmar::store {

namespace {

const QString kSelectAll = QStringLiteral(
    "SELECT \"Section\", \"Identifier\", \"Data\" FROM \"UDC_Settings\" ORDER BY \"Index\"");
// Trailing blanks of stored keys do not count, nor does case (the keys are
// the program's own ASCII names).
const QString kFind = QStringLiteral(
    "SELECT \"Index\", \"Data\" FROM \"UDC_Settings\" WHERE rtrim(\"Section\") = ? COLLATE NOCASE "
    "AND rtrim(\"Identifier\") = ? COLLATE NOCASE ORDER BY \"Index\" LIMIT 1");
const QString kUpdate = QStringLiteral(
    "UPDATE \"UDC_Settings\" SET \"Section\" = ?, \"Identifier\" = ?, \"Data\" = ? WHERE \"Index\" = ?");
const QString kInsert = QStringLiteral(
    "INSERT INTO \"UDC_Settings\" ( \"Section\", \"Identifier\", \"Data\" ) VALUES ( ?, ?, ? )");

// Copies text, cut to the column width, as UTF-8 with its null.
template <std::size_t N>
void fill(char (&buffer)[N], const QString& text)
{
    const QByteArray bytes = CutToWidth(text, TDbIniFile::TextWidth).toUtf8();
    const std::size_t n = std::min<std::size_t>(std::size_t(bytes.size()), N - 1);
    std::memcpy(buffer, bytes.constData(), n);
    buffer[n] = 0;
}

bool bindText(SQLHSTMT statement, SQLUSMALLINT number, char* buffer, SQLLEN size, SQLLEN* length)
{
    return sqlSucceeded(SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                         TDbIniFile::TextWidth, 0, buffer, size, length));
}

QString trimmedRight(const QString& text)
{
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1).isSpace())
        --n;
    return text.left(n);
}

} // namespace

TDbIniFile::TDbIniFile()
{
    BuildFixedSchema();
    SQLHDBC connection = GetDbConnection();
    {
        SqlStatement probe(connection);
        if (!probe.execDirect(kSelectAll)) {
            DbMessage(nullptr, kSelectAll, QStringLiteral("Error in Form Definition Table"));
            return;
        }
    }
    const SQLLEN textSize = SQLLEN(sizeof m_section);
    m_valid = prepare(m_find, kFind) && prepare(m_update, kUpdate) && prepare(m_insert, kInsert)
           && bindText(m_find, 1, m_section, textSize, &m_sectionLength)
           && bindText(m_find, 2, m_identifier, textSize, &m_identifierLength)
           && sqlSucceeded(SQLBindCol(m_find, 1, SQL_C_SLONG, &m_foundIndex, 0, &m_foundIndexLength))
           && sqlSucceeded(
                  SQLBindCol(m_find, 2, SQL_C_CHAR, m_foundData, SQLLEN(sizeof m_foundData), &m_foundDataLength))
           && bindText(m_update, 1, m_section, textSize, &m_sectionLength)
           && bindText(m_update, 2, m_identifier, textSize, &m_identifierLength)
           && bindText(m_update, 3, m_data, textSize, &m_dataLength)
           && sqlSucceeded(SQLBindParameter(m_update, 4, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &m_foundIndex,
                                            0, nullptr))
           && bindText(m_insert, 1, m_section, textSize, &m_sectionLength)
           && bindText(m_insert, 2, m_identifier, textSize, &m_identifierLength)
           && bindText(m_insert, 3, m_data, textSize, &m_dataLength);
    if (!m_valid)
        DbMessage(nullptr, kSelectAll, QStringLiteral("Error in Form Definition Table"));
}

TDbIniFile::~TDbIniFile()
{
    for (SQLHSTMT s : {m_find, m_update, m_insert})
        if (s != SQL_NULL_HSTMT)
            SQLFreeHandle(SQL_HANDLE_STMT, s);
}

bool TDbIniFile::prepare(SQLHSTMT& statement, const QString& text)
{
    if (!sqlSucceeded(SQLAllocHandle(SQL_HANDLE_STMT, GetDbConnection(), &statement))) {
        statement = SQL_NULL_HSTMT;
        return false;
    }
    QByteArray bytes = toSqlBytes(text);
    return sqlSucceeded(SQLPrepare(statement, reinterpret_cast<SQLCHAR*>(bytes.data()), SQL_NTS));
}

bool TDbIniFile::execute(SQLHSTMT statement)
{
    const SQLRETURN r = SQLExecute(statement);
    if (sqlSucceeded(r) || r == SQL_NO_DATA)
        return true;
    ShowSqlError(nullptr, SQL_HANDLE_STMT, statement);
    return false;
}

void TDbIniFile::setRow(const QString& section, const QString& identifier, const QString& text)
{
    fill(m_section, section);
    fill(m_identifier, identifier);
    fill(m_data, text);
    m_sectionLength = m_identifierLength = m_dataLength = SQL_NTS;
}

bool TDbIniFile::FindKey(const QString& section, const QString& identifier)
{
    if (!m_valid)
        return false;
    setRow(section, identifier, QString());
    bool found = false;
    if (sqlSucceeded(SQLExecute(m_find)))
        found = sqlSucceeded(SQLFetch(m_find));
    SQLFreeStmt(m_find, SQL_CLOSE);
    if (found && m_foundDataLength == SQL_NULL_DATA)
        m_foundData[0] = 0;
    return found;
}

bool TDbIniFile::AddKey(const QString& section, const QString& identifier, const QString& text)
{
    if (!m_valid)
        return false;
    setRow(section, identifier, text);
    return execute(m_insert);
}

QString TDbIniFile::ReadString(const QString& section, const QString& identifier, const QString& defaultText)
{
    if (FindKey(section, identifier))
        return trimmedRight(QString::fromUtf8(m_foundData));
    AddKey(section, identifier, defaultText);
    return defaultText;
}

void TDbIniFile::ReadStringBuf(const QString& section, const QString& identifier, char* buffer, std::size_t bufferSize,
                               const QString& defaultText)
{
    if (buffer == nullptr || bufferSize == 0)
        return;
    const QByteArray bytes = ReadString(section, identifier, defaultText).toUtf8();
    std::size_t n = std::min<std::size_t>(std::size_t(bytes.size()), bufferSize - 1);
    // Never split a character.
    while (n > 0 && n < std::size_t(bytes.size()) && (uchar(bytes[qsizetype(n)]) & 0xC0) == 0x80)
        --n;
    std::memcpy(buffer, bytes.constData(), n);
    buffer[n] = 0;
}

int TDbIniFile::ReadInteger(const QString& section, const QString& identifier, int defaultValue)
{
    return LeadingInteger(ReadString(section, identifier, IntegerText(defaultValue)));
}

double TDbIniFile::ReadFloat(const QString& section, const QString& identifier, double defaultValue)
{
    QString text = ReadString(section, identifier, RealText(defaultValue)).trimmed();
    // Databases written under a locale with a decimal comma hold ",".
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? value : defaultValue;
}

bool TDbIniFile::ReadBool(const QString& section, const QString& identifier, bool defaultValue)
{
    const QString text = ReadString(section, identifier, BoolText(defaultValue));
    if (text.compare(u"true", Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(u"false", Qt::CaseInsensitive) != 0) {
        // Only "true" means true: a "1" or a "yes" that someone typed into
        // the table reads as false, which the log says once per row and text
        // (a row is read again whenever its settings are).
        static QSet<QString> reported;
        const QString row = section.toLower() + QLatin1Char('\n') + identifier.toLower() + QLatin1Char('\n') + text;
        if (!reported.contains(row)) {
            reported.insert(row);
            qCWarning(lcStore).noquote() << QStringLiteral("settings row %1/%2 holds \"%3\", which is neither "
                                                           "\"true\" nor \"false\": it is read as false")
                                                .arg(section, identifier, text);
        }
    }
    return false;
}

platform::SystemTime TDbIniFile::ReadTime(const QString& section, const QString& identifier,
                                          const platform::SystemTime& defaultValue)
{
    return platform::ParseTimeStamp(ReadString(section, identifier, platform::FormatTimeStamp(defaultValue)));
}

bool TDbIniFile::WriteString(const QString& section, const QString& identifier, const QString& text)
{
    if (!FindKey(section, identifier))
        return AddKey(section, identifier, text);
    setRow(section, identifier, text);
    return execute(m_update);
}

bool TDbIniFile::WriteInteger(const QString& section, const QString& identifier, int value)
{
    return WriteString(section, identifier, IntegerText(value));
}

bool TDbIniFile::WriteFloat(const QString& section, const QString& identifier, double value)
{
    return WriteString(section, identifier, RealText(value));
}

bool TDbIniFile::WriteBool(const QString& section, const QString& identifier, bool value)
{
    return WriteString(section, identifier, BoolText(value));
}

bool TDbIniFile::WriteTime(const QString& section, const QString& identifier, const platform::SystemTime& value)
{
    return WriteString(section, identifier, platform::FormatTimeStamp(value));
}

QString TDbIniFile::IntegerText(int value)
{
    return QString::number(value);
}

QString TDbIniFile::RealText(double value)
{
    // Most reals come from 32-bit fields: written with 15 digits, 0.1 would
    // read "0.100000001490116" in the table. The shortest text that reads
    // back as the same float says the same and stays editable.
    const float single = float(value);
    if (double(single) == value && std::isfinite(single)) {
        char text[32];
        const auto result = std::to_chars(text, text + sizeof text, single);
        if (result.ec == std::errc())
            return QString::fromLatin1(text, result.ptr - text);
    }
    // Up to 15 significant digits, always with "." whatever the locale.
    return QString::number(value, 'g', 15);
}

QString TDbIniFile::BoolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace velmar::store
