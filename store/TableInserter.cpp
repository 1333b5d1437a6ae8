#include "TableInserter.h"

#include "DbConnection.h"
#include "DbMessages.h"
#include "FixedSchema.h"
#include "RecordWriters.h"
#include "SqlText.h"
#include "TableDefinition.h"
#include "platform/DateTimeText.h"

#include <sqlext.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace velmar::store {

namespace {
// Width of a time text "YYYY-MM-DD hh:mm:ss", as the writers declare it.
constexpr int kTimeTextWidth = 21;
// Width given to a text column whose type names none (MEMO and the like).
constexpr int kDefaultTextWidth = 255;
// UTF-8 takes up to four bytes a character.
constexpr int kBytesPerCharacter = 4;
} // namespace

struct TableInserter::Slot {
    enum class Kind { Int32, Int16, Real, Bit, Text };
    QString name;
    Kind kind = Kind::Text;
    int width = 0;
    SQLINTEGER int32 = 0;
    SQLSMALLINT int16 = 0;
    SQLDOUBLE real = 0;
    SQLCHAR bit = 0;
    std::vector<char> text;
    SQLLEN indicator = SQL_NULL_DATA;
};

TableInserter::TableInserter(const TableDefinition& definition, const QString& tableName)
    : m_definition(definition), m_table(tableName.isEmpty() ? definition.GetName() : tableName)
{
    for (int i = 0; i < definition.GetCount(); ++i) {
        const QString type = definition.GetColumnType(i).trimmed().toUpper();
        if (type == u"COUNTER")
            continue; // numbered by the database
        auto s = std::make_unique<Slot>();
        s->name = definition.GetColumnName(i);
        if (type == u"LONG") {
            s->kind = Slot::Kind::Int32;
        } else if (type == u"SHORT") {
            s->kind = Slot::Kind::Int16;
        } else if (type == u"SINGLE" || type == u"DOUBLE") {
            s->kind = Slot::Kind::Real;
        } else if (type == u"BIT") {
            s->kind = Slot::Kind::Bit;
        } else {
            s->kind = Slot::Kind::Text;
            const int n = CharTypeLength(type);
            s->width = (type == u"TIMESTAMP" || type == u"DATETIME") ? kTimeTextWidth : (n > 0 ? n : kDefaultTextWidth);
            s->text.assign(std::size_t(s->width * kBytesPerCharacter + 1), 0);
        }
        m_slots.push_back(std::move(s));
    }
    m_closeListener = AddDbCloseListener([this] { release(); });
}

TableInserter::TableInserter(const char* fixedTable)
    : TableInserter(*FixedTableDefinition(QString::fromLatin1(fixedTable)))
{
}

TableInserter::~TableInserter()
{
    RemoveDbCloseListener(m_closeListener);
    if (IsDbOpen())
        release();
}

TableInserter::Slot* TableInserter::slot(const char* column)
{
    const QString name = QString::fromUtf8(column);
    for (const auto& s : m_slots)
        if (s->name.compare(name, Qt::CaseInsensitive) == 0)
            return s.get();
    Q_ASSERT_X(false, "TableInserter", "no such column");
    return nullptr;
}

void TableInserter::setInt(const char* column, int32_t value)
{
    Slot* s = slot(column);
    if (!s)
        return;
    if (s->kind == Slot::Kind::Text)
        setText(column, QString::number(value));
    else
        setReal(column, value);
}

void TableInserter::setReal(const char* column, double value)
{
    Slot* s = slot(column);
    if (!s)
        return;
    s->real = value;
    s->indicator = 0;
    switch (s->kind) {
    case Slot::Kind::Int32:
    case Slot::Kind::Int16: {
        // Cut toward zero as an integer column stores it; a value the column
        // cannot hold (NaN, beyond its range) is stored as no value.
        const double lowest = s->kind == Slot::Kind::Int32 ? std::numeric_limits<SQLINTEGER>::min()
                                                           : std::numeric_limits<SQLSMALLINT>::min();
        const double highest = s->kind == Slot::Kind::Int32 ? std::numeric_limits<SQLINTEGER>::max()
                                                            : std::numeric_limits<SQLSMALLINT>::max();
        const double whole = std::trunc(value);
        if (!(whole >= lowest && whole <= highest)) {
            qCWarning(lcStore) << "no value stored in" << m_table << s->name << ": " << value
                               << "does not fit an integer column";
            s->indicator = SQL_NULL_DATA;
            break;
        }
        s->int32 = SQLINTEGER(whole);
        s->int16 = SQLSMALLINT(s->kind == Slot::Kind::Int16 ? whole : 0);
        break;
    }
    case Slot::Kind::Bit:
        s->bit = value != 0;
        if (std::isnan(value))
            s->indicator = SQL_NULL_DATA;
        break;
    case Slot::Kind::Real: break;
    case Slot::Kind::Text: setText(column, FormatReal(value)); break;
    }
}

void TableInserter::setBit(const char* column, bool value)
{
    setInt(column, value ? 1 : 0);
}

void TableInserter::setText(const char* column, const QString& text)
{
    Slot* s = slot(column);
    if (!s)
        return;
    if (s->kind != Slot::Kind::Text) {
        setReal(column, text.toDouble());
        return;
    }
    const QByteArray bytes = CutToWidth(text, s->width).toUtf8();
    const std::size_t n = std::min(std::size_t(bytes.size()), s->text.size() - 1);
    std::memcpy(s->text.data(), bytes.constData(), n);
    s->text[n] = 0;
    s->indicator = SQL_NTS;
}

void TableInserter::setTime(const char* column, const platform::SystemTime& time)
{
    setText(column, platform::FormatTimeStamp(time));
}

QString TableInserter::statementText() const
{
    return DbBuildInsert(m_definition, m_table);
}

bool TableInserter::prepare()
{
    if (m_statement != SQL_NULL_HSTMT)
        return true;
    SQLHDBC connection = GetDbConnection();
    if (connection == SQL_NULL_HDBC || !sqlSucceeded(SQLAllocHandle(SQL_HANDLE_STMT, connection, &m_statement))) {
        m_statement = SQL_NULL_HSTMT;
        return false;
    }
    QByteArray text = toSqlBytes(statementText());
    bool ok = sqlSucceeded(SQLPrepare(m_statement, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS));
    SQLUSMALLINT number = 0;
    for (const auto& s : m_slots) {
        if (!ok)
            break;
        ++number;
        SQLSMALLINT cType = SQL_C_CHAR;
        SQLSMALLINT sqlType = SQL_VARCHAR;
        SQLPOINTER value = s->text.data();
        switch (s->kind) {
        case Slot::Kind::Int32: cType = SQL_C_SLONG, sqlType = SQL_INTEGER, value = &s->int32; break;
        case Slot::Kind::Int16: cType = SQL_C_SSHORT, sqlType = SQL_SMALLINT, value = &s->int16; break;
        case Slot::Kind::Real: cType = SQL_C_DOUBLE, sqlType = SQL_DOUBLE, value = &s->real; break;
        case Slot::Kind::Bit: cType = SQL_C_BIT, sqlType = SQL_BIT, value = &s->bit; break;
        case Slot::Kind::Text: break;
        }
        const bool isText = s->kind == Slot::Kind::Text;
        ok = sqlSucceeded(SQLBindParameter(m_statement, number, SQL_PARAM_INPUT, cType, sqlType,
                                           isText ? SQLULEN(s->width) : 0, 0, value,
                                           isText ? SQLLEN(s->text.size()) : 0, &s->indicator));
    }
    if (!ok)
        release();
    return ok;
}

void TableInserter::release()
{
    if (m_statement != SQL_NULL_HSTMT)
        SQLFreeHandle(SQL_HANDLE_STMT, m_statement);
    m_statement = SQL_NULL_HSTMT;
}

SQLRETURN TableInserter::execute()
{
    const SQLRETURN r = prepare() ? SQLExecute(m_statement) : SQLRETURN(SQL_ERROR);
    for (const auto& s : m_slots)
        s->indicator = SQL_NULL_DATA;
    return r;
}

QString TableInserter::lastError() const
{
    if (m_statement == SQL_NULL_HSTMT)
        return IsDbOpen() ? QStringLiteral("statement not prepared") : QStringLiteral("no database open");
    SQLCHAR state[6] = {0};
    SQLINTEGER native = 0;
    SQLCHAR message[256] = {0};
    SQLSMALLINT length = 0;
    if (!sqlSucceeded(SQLGetDiagRec(SQL_HANDLE_STMT, m_statement, 1, state, &native, message, sizeof message, &length)))
        return QString();
    return QString::fromUtf8(reinterpret_cast<const char*>(message));
}

} // namespace velmar::store
