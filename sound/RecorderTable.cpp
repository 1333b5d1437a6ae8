#include "sound/RecorderTable.h"

#include "store/DbConnection.h"
#include "store/DbMessages.h"
#include "store/SqlText.h"

#include <sqlext.h>

#include <deque>
#include <optional>
#include <variant>
#include <vector>

namespace velmar::sound {

namespace {

using namespace velmar::store;

const QString RecorderTable = QStringLiteral("UDC_TapeRecorders");
const QString RecorderKey = QStringLiteral("RecorderId");

// A prepared statement with its parameters bound to buffers it owns.
class BoundStatement {
public:
    explicit BoundStatement(const QString& text) : m_statement(GetDbConnection()), m_text(text)
    {
        QByteArray bytes = toSqlBytes(text);
        m_ok = m_statement.isValid()
            && sqlSucceeded(SQLPrepare(m_statement.handle(), reinterpret_cast<SQLCHAR*>(bytes.data()), SQL_NTS));
    }

    void addInt(qint64 value)
    {
        m_ints.push_back(SQLBIGINT(value));
        m_indicators.push_back(0);
        bind(SQL_C_SBIGINT, SQL_BIGINT, 0, &m_ints.back(), 0);
    }

    void addText(const QString& text, int width)
    {
        m_texts.push_back(toSqlBytes(CutToWidth(text, width)));
        m_indicators.push_back(SQLLEN(m_texts.back().size()));
        bind(SQL_C_CHAR, SQL_VARCHAR, SQLULEN(std::max(width, 1)), m_texts.back().data(), m_texts.back().size() + 1);
    }

    // SQL_NO_DATA (nothing touched) counts as success.
    SQLRETURN execute()
    {
        if (!m_ok)
            return SQL_ERROR;
        return SQLExecute(m_statement.handle());
    }

    SQLHSTMT handle() const { return m_statement.handle(); }
    const QString& text() const { return m_text; }

    // The rows an UPDATE or DELETE touched.
    SQLLEN rowCount() const
    {
        SQLLEN n = 0;
        SQLRowCount(m_statement.handle(), &n);
        return n;
    }

    bool fetch() { return sqlSucceeded(SQLFetch(m_statement.handle())); }

    std::optional<qint64> intColumn(int column)
    {
        SQLBIGINT v = 0;
        SQLLEN indicator = 0;
        if (!sqlSucceeded(SQLGetData(m_statement.handle(), SQLUSMALLINT(column), SQL_C_SBIGINT, &v, 0, &indicator))
            || indicator == SQL_NULL_DATA)
            return std::nullopt;
        return qint64(v);
    }

    QString textColumn(int column)
    {
        QByteArray buffer(1024, '\0');
        SQLLEN indicator = 0;
        if (!sqlSucceeded(SQLGetData(m_statement.handle(), SQLUSMALLINT(column), SQL_C_CHAR, buffer.data(),
                                     buffer.size(), &indicator))
            || indicator == SQL_NULL_DATA)
            return {};
        return QString::fromUtf8(buffer.constData());
    }

private:
    void bind(SQLSMALLINT cType, SQLSMALLINT sqlType, SQLULEN size, SQLPOINTER value, SQLLEN bufferLength)
    {
        if (m_ok)
            m_ok = sqlSucceeded(SQLBindParameter(m_statement.handle(), SQLUSMALLINT(m_indicators.size()),
                                                 SQL_PARAM_INPUT, cType, sqlType, size, 0, value, bufferLength,
                                                 &m_indicators.back()));
    }

    SqlStatement m_statement;
    QString m_text;
    bool m_ok = false;
    // Deques: bound addresses stay put as parameters are added.
    std::deque<SQLBIGINT> m_ints;
    std::deque<QByteArray> m_texts;
    std::deque<SQLLEN> m_indicators;
};

// One column of UDC_TapeRecorders and its field of the record.
struct RecorderColumn {
    const char* name;
    std::variant<int32_t RECORDINGINFO::*, uint32_t RECORDINGINFO::*, bool RECORDINGINFO::*, QString RECORDINGINFO::*>
        field;
    int width = 0; // text columns
};

const std::vector<RecorderColumn>& recorderColumns()
{
    using R = RECORDINGINFO;
    static const std::vector<RecorderColumn> columns = {
        {"RecorderId", &R::RecorderId},
        {"Name", &R::Name, 80},
        {"DeviceType", &R::DeviceType},
        {"DeviceNumber", &R::DeviceNumber},
        {"SampleRate", &R::SampleRate},
        {"nChannels", &R::nChannels},
        {"nBits", &R::nBits},
        {"OutputDirectory", &R::OutputDirectory, 255},
        {"RecordInterval", &R::RecordInterval},
        {"RecordDuration", &R::RecordDuration},
        {"MediaInitials", &R::MediaInitials, 20},
        {"FileInitials", &R::FileInitials, 20},
        {"TimeFileName", &R::TimeFileName},
        {"Copyright", &R::Copyright, 20},
        {"MediaNumber", &R::MediaNumber},
        {"SmartFolders", &R::SmartFolders},
        {"FolderSize", &R::FolderSize},
        {"LimitSingle", &R::LimitSingle},
        {"MaxSingle", &R::MaxSingle},
        {"EnableBuffer", &R::EnableBuffer},
        {"BufferLength", &R::BufferLength},
        {"ChannelGain", &R::ChannelGain},
        {"RemoteEnable", &R::RemoteEnable},
        {"FlashDiode", &R::FlashDiode},
        {"Diode", &R::Diode},
        {"DeviceName", &R::DeviceName, 255},
    };
    return columns;
}

void bindField(BoundStatement& s, const RECORDINGINFO& r, const RecorderColumn& c)
{
    std::visit(
        [&](auto member) {
            using T = std::decay_t<decltype(r.*member)>;
            if constexpr (std::is_same_v<T, QString>)
                s.addText(r.*member, c.width);
            else
                s.addInt(qint64(r.*member));
        },
        c.field);
}

void readField(BoundStatement& s, int column, RECORDINGINFO& r, const RecorderColumn& c)
{
    std::visit(
        [&](auto member) {
            using T = std::decay_t<decltype(r.*member)>;
            if constexpr (std::is_same_v<T, QString>)
                r.*member = s.textColumn(column);
            else if constexpr (std::is_same_v<T, bool>)
                r.*member = s.intColumn(column).value_or(0) != 0;
            else
                r.*member = T(s.intColumn(column).value_or(0));
        },
        c.field);
}

QString columnList()
{
    QStringList names;
    for (const RecorderColumn& c : recorderColumns())
        names << QuoteIdentifier(QString::fromLatin1(c.name));
    return names.join(QStringLiteral(", "));
}

bool recorderRowExists(int32_t recorderId)
{
    BoundStatement s(QStringLiteral("SELECT %1 FROM %2 WHERE %1 = ?")
                         .arg(QuoteIdentifier(RecorderKey), QuoteIdentifier(RecorderTable)));
    s.addInt(recorderId);
    return sqlSucceeded(s.execute()) && s.fetch();
}

} // namespace

bool DbReadRecorder(RECORDINGINFO& record)
{
    if (!IsDbOpen())
        return false;
    BoundStatement s(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                         .arg(columnList(), QuoteIdentifier(RecorderTable), QuoteIdentifier(RecorderKey)));
    s.addInt(record.RecorderId);
    if (!sqlSucceeded(s.execute())) {
        static bool shown = false; // once per run, as later reads fail alike
        if (!shown) {
            shown = true;
            DbMessage(DbOwnerWindow(), s.text(), QStringLiteral("Error in Form Definition Table"));
        }
        return false;
    }
    if (!s.fetch())
        return false;
    RECORDINGINFO row;
    row.Clear();
    const auto& columns = recorderColumns();
    for (int i = 0; i < int(columns.size()); ++i)
        readField(s, i + 1, row, columns[i]);
    row.TrimTexts();
    record = row;
    return true;
}

bool DbWriteRecorder(const RECORDINGINFO& record)
{
    if (!IsDbOpen() || !record.DeviceValid)
        return false;
    RECORDINGINFO row = record;
    row.TrimTexts();
    const auto& columns = recorderColumns();
    const bool exists = recorderRowExists(record.RecorderId);
    QString text;
    if (exists) {
        QStringList sets;
        for (std::size_t i = 1; i < columns.size(); ++i)
            sets << QuoteIdentifier(QString::fromLatin1(columns[i].name)) + QStringLiteral(" = ?");
        text = QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                   .arg(QuoteIdentifier(RecorderTable), sets.join(QStringLiteral(", ")), QuoteIdentifier(RecorderKey));
    } else {
        QStringList marks;
        for (std::size_t i = 0; i < columns.size(); ++i)
            marks << QStringLiteral("?");
        text = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                   .arg(QuoteIdentifier(RecorderTable), columnList(), marks.join(QStringLiteral(", ")));
    }
    BoundStatement s(text);
    for (std::size_t i = exists ? 1 : 0; i < columns.size(); ++i)
        bindField(s, row, columns[i]);
    if (exists)
        s.addInt(row.RecorderId);
    if (!sqlSucceeded(s.execute())) {
        ShowSqlError(DbOwnerWindow(), SQL_HANDLE_STMT, s.handle());
        return false;
    }
    return true;
}

bool DbDeleteRecorder(const RECORDINGINFO& record)
{
    if (!IsDbOpen())
        return false;
    BoundStatement s(QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                         .arg(QuoteIdentifier(RecorderTable), QuoteIdentifier(RecorderKey)));
    s.addInt(record.RecorderId);
    const SQLRETURN r = s.execute();
    if (r == SQL_NO_DATA)
        return false;
    if (!sqlSucceeded(r)) {
        DbMessage(nullptr, QStringLiteral("Can't update %1 table with new info").arg(RecorderTable),
                  QStringLiteral("TAutoRec::WriteInfo"));
        return false;
    }
    return s.rowCount() > 0;
}

int DbCountRecorders()
{
    int count = 0;
    RECORDINGINFO record;
    while (count < MaxRecorders) {
        record.RecorderId = count;
        if (!DbReadRecorder(record))
            break;
        ++count;
    }
    return count;
}

bool DbAddRecorder()
{
    RECORDINGINFO record;
    record.RecorderId = DbCountRecorders();
    return DbWriteRecorder(record);
}

} // namespace velmar::sound
