#include "nav/GpsCrossReference.h"

#include "store/DbConnection.h"
#include "store/DbMessages.h"
#include "store/FixedSchema.h"
#include "store/RecordWriters.h"
#include "store/SqlText.h"

#include <sqlext.h>

#include <array>
#include <cmath>
#include <algorithm>
#include <cstring>
#include <limits>

namespace velmar::nav {

using store::QuoteIdentifier;
using store::SqlStatement;
using store::sqlSucceeded;

namespace {

constexpr double kMetresPerNauticalMile = 1852.0;
constexpr double kSecondsPerHour = 3600.0;
constexpr std::size_t kTimeTextSize = 32;
constexpr int kSqlTimestamp = 11; // ODBC 2 code of TIMESTAMP columns
constexpr int kCatalogTextSize = 128;
constexpr qsizetype kStoredTimeLength = 19; // "YYYY-MM-DD hh:mm:ss"

QString NoFixTime()
{
    return QString::fromLatin1(store::kNoGpsTime);
}

QString DiagnosticText(SQLSMALLINT type, SQLHANDLE handle)
{
    SQLCHAR state[8] = {};
    SQLCHAR text[512] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    if (!sqlSucceeded(SQLGetDiagRec(type, handle, 1, state, &native, text, sizeof text, &length)))
        return QStringLiteral("(no diagnostic)");
    return QString::fromUtf8(reinterpret_cast<const char*>(text));
}

std::optional<double> RealOf(double value, SQLLEN indicator)
{
    return indicator == SQL_NULL_DATA ? std::nullopt : std::optional<double>(value);
}

void BindNullable(SQLHSTMT h, SQLUSMALLINT number, const std::optional<double>& value, double& slot, SQLLEN& ind)
{
    slot = value.value_or(0);
    ind = value ? 0 : SQL_NULL_DATA;
    SQLBindParameter(h, number, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, &slot, 0, &ind);
}

} // namespace

// ---- the search

GpsTimeSearch::GpsTimeSearch(FixLookup atOrBefore, FixLookup after)
    : m_atOrBefore(std::move(atOrBefore)), m_after(std::move(after))
{
}

bool GpsTimeSearch::InKnownGap(const QString& eventTime) const
{
    return m_known && (!m_before || m_before->pcTime <= eventTime) && (!m_next || eventTime < m_next->pcTime);
}

GpsSearchResult GpsTimeSearch::FindGpsIndexForTime(const QString& eventTime)
{
    if (!InKnownGap(eventTime)) {
        m_before = m_atOrBefore(eventTime);
        m_next = m_after(eventTime);
        m_known = true;
    }
    if (!m_before)
        return {NoGpsFixIndex, NoFixTime(), m_next ? m_next->speed : 0.0};
    return {m_before->index, m_before->pcTime, m_next ? m_next->speed : m_before->speed};
}

PorpoiseRanges ComputePorpoiseRanges(const PorpoiseRanges& stored, double speedKnots)
{
    PorpoiseRanges out = stored;
    if (stored.secsOffBeam && *stored.secsOffBeam > 0) {
        const double v = speedKnots * kMetresPerNauticalMile / kSecondsPerHour;
        const double abeam = stored.timeABeam.value_or(0);
        const double off = *stored.secsOffBeam;
        out.rangeOffBeam = off * v;
        out.initialRange = std::sqrt(abeam * abeam + off * off) * v;
        return out;
    }
    for (std::optional<double>* field : {&out.timeABeam, &out.secsOffBeam, &out.rangeOffBeam, &out.initialRange})
        if (*field)
            *field = 0.0;
    return out;
}

int CountRowsWithoutGpsReference(const QString& table)
{
    SqlStatement count(store::GetDbConnection());
    if (!count.execDirect(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE \"GpsIndex\" IS NULL OR \"GpsIndex\" = 0")
                              .arg(QuoteIdentifier(table)))
        || !sqlSucceeded(SQLFetch(count.handle())))
        return -1;
    SQLBIGINT n = 0;
    SQLLEN ind = 0;
    SQLGetData(count.handle(), 1, SQL_C_SBIGINT, &n, 0, &ind);
    return int(std::min<SQLBIGINT>(n, std::numeric_limits<int>::max()));
}

QStringList EventTimeColumns(const QString& table)
{
    QStringList names;
    SqlStatement columns(store::GetDbConnection());
    const QByteArray name = store::toSqlBytes(table);
    if (!sqlSucceeded(SQLColumns(columns.handle(), nullptr, 0, nullptr, 0,
                                 reinterpret_cast<SQLCHAR*>(const_cast<char*>(name.constData())), SQL_NTS, nullptr, 0)))
        return names;
    SQLCHAR column[kCatalogTextSize];
    SQLSMALLINT type = 0;
    SQLLEN columnInd = 0, typeInd = 0;
    SQLBindCol(columns.handle(), 4, SQL_C_CHAR, column, kCatalogTextSize, &columnInd);
    SQLBindCol(columns.handle(), 5, SQL_C_SSHORT, &type, 0, &typeInd);
    while (sqlSucceeded(SQLFetch(columns.handle()))) {
        const QString c = QString::fromUtf8(reinterpret_cast<const char*>(column)).trimmed();
        // The driver reports TIMESTAMP in ODBC 3 (93) or 2 (11) codes.
        if ((type == kSqlTimestamp || type == SQL_TYPE_TIMESTAMP) && c.compare(u"GpsTime", Qt::CaseInsensitive) != 0)
            names << c;
    }
    return names;
}

// ---- the fill

// The two seeks of the search, prepared once: the event time is their one
// parameter, one fix their row.
struct GpsReferenceFill::Lookups {
    struct Seek {
        explicit Seek(SQLHDBC db) : statement(db) {}

        bool Prepare(const QString& text)
        {
            query = text;
            QByteArray bytes = store::toSqlBytes(text);
            const SQLHSTMT h = statement.handle();
            if (!sqlSucceeded(SQLPrepare(h, reinterpret_cast<SQLCHAR*>(bytes.data()), SQL_NTS)))
                return false;
            SQLBindParameter(h, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, parameter.size() - 1, 0, parameter.data(),
                             SQLLEN(parameter.size()), &parameterLength);
            SQLBindCol(h, 1, SQL_C_SLONG, &index, 0, &ind[0]);
            SQLBindCol(h, 2, SQL_C_CHAR, time.data(), SQLLEN(time.size()), &ind[1]);
            SQLBindCol(h, 3, SQL_C_DOUBLE, &speed, 0, &ind[2]);
            return true;
        }

        // Nothing also when the seek fails: failed then tells.
        std::optional<FixTime> Find(const QString& eventTime)
        {
            const QByteArray t = eventTime.toLatin1().left(qsizetype(parameter.size() - 1));
            std::memcpy(parameter.data(), t.constData(), std::size_t(t.size()));
            parameter[std::size_t(t.size())] = '\0';
            parameterLength = SQL_NTS;
            const SQLHSTMT h = statement.handle();
            std::optional<FixTime> found;
            if (!sqlSucceeded(SQLExecute(h))) {
                error = DiagnosticText(SQL_HANDLE_STMT, h);
                failed = true;
            } else if (sqlSucceeded(SQLFetch(h))) {
                found = FixTime{ind[0] == SQL_NULL_DATA ? 0 : index,
                                QString::fromLatin1(time.data()).left(kStoredTimeLength),
                                ind[2] == SQL_NULL_DATA ? 0.0 : speed};
            }
            SQLFreeStmt(h, SQL_CLOSE);
            return found;
        }

        SqlStatement statement;
        QString query;
        std::array<char, kTimeTextSize> parameter{};
        SQLLEN parameterLength = SQL_NTS;
        SQLINTEGER index = 0;
        std::array<char, kTimeTextSize> time{};
        double speed = 0;
        std::array<SQLLEN, 3> ind{};
        bool failed = false;
        QString error;
    };

    explicit Lookups(SQLHDBC db) : atOrBefore(db), after(db) {}
    Seek atOrBefore;
    Seek after;
};

GpsReferenceFill::GpsReferenceFill(const QString& table, const QString& eventColumn, const QString& gpsTable)
    : m_table(table), m_eventColumn(eventColumn), m_gpsTable(gpsTable)
{
    m_porpoise = table.compare(u"PorpoiseEvents", Qt::CaseInsensitive) == 0;
    m_eventIsGpsTime = eventColumn.compare(u"GpsTime", Qt::CaseInsensitive) == 0;
}

GpsReferenceFill::~GpsReferenceFill() = default;

bool GpsReferenceFill::Start()
{
    m_rows.clear();
    m_next = 0;
    m_committed = 0;
    m_failed = false;
    m_error.clear();
    SQLHDBC db = store::GetDbConnection();
    // Rows are written back by their key; a table without "Index" by rowid.
    m_keyColumn = store::DbGetColumnInfo(db, m_table, QStringLiteral("Index"), nullptr, nullptr, nullptr) > 0
                    ? QuoteIdentifier(QStringLiteral("Index"))
                    : QStringLiteral("rowid");
    const QString t = QuoteIdentifier(m_table);
    const QString e = QuoteIdentifier(m_eventColumn);
    QString query;
    if (m_eventIsGpsTime)
        query = QStringLiteral("SELECT %1, \"GpsTime\" FROM %2 WHERE \"GpsIndex\" IS NULL OR \"GpsIndex\" = 0 "
                               "ORDER BY \"GpsTime\" ASC, %1 ASC")
                    .arg(m_keyColumn, t);
    else if (m_porpoise)
        query = QStringLiteral("SELECT %1, %2, \"TimeABeam\", \"SecsOffBeam\", \"RangeOffBeam\", \"InitialRange\" "
                               "FROM %3 WHERE \"GpsIndex\" IS NULL OR \"GpsIndex\" = 0 ORDER BY %2 ASC, %1 ASC")
                    .arg(m_keyColumn, e, t);
    else
        query = QStringLiteral("SELECT %1, %2 FROM %3 WHERE (\"GpsIndex\" IS NULL OR \"GpsIndex\" = 0) AND "
                               "NOT (%2 IS NULL) ORDER BY %2 ASC, %1 ASC")
                    .arg(m_keyColumn, e, t);
    {
        SqlStatement rows(db);
        if (!rows.execDirect(query)) {
            m_error = DiagnosticText(SQL_HANDLE_STMT, rows.handle());
            m_failedQuery = query;
            return false;
        }
        SQLBIGINT key = 0;
        std::array<char, kTimeTextSize> time{};
        std::array<double, 4> r{};
        std::array<SQLLEN, 6> ind{};
        const SQLHSTMT h = rows.handle();
        SQLBindCol(h, 1, SQL_C_SBIGINT, &key, 0, &ind[0]);
        SQLBindCol(h, 2, SQL_C_CHAR, time.data(), SQLLEN(time.size()), &ind[1]);
        if (m_porpoise)
            for (SQLUSMALLINT c = 0; c < 4; ++c)
                SQLBindCol(h, SQLUSMALLINT(3 + c), SQL_C_DOUBLE, &r[c], 0, &ind[std::size_t(2 + c)]);
        while (sqlSucceeded(SQLFetch(h))) {
            Row row;
            row.key = key;
            row.eventTime = ind[1] == SQL_NULL_DATA ? QString() : QString::fromLatin1(time.data()).left(19);
            if (m_porpoise)
                row.ranges = {RealOf(r[0], ind[2]), RealOf(r[1], ind[3]), RealOf(r[2], ind[4]), RealOf(r[3], ind[5])};
            m_rows.push_back(std::move(row));
        }
    }

    if (m_rows.empty())
        return true;
    // A track without its time index would be read whole for every row.
    store::EnsureGpsTimeIndex(m_gpsTable);
    m_lookups = std::make_unique<Lookups>(db);
    const QString g = QuoteIdentifier(m_gpsTable);
    for (auto [seek, text] :
         {std::pair{&m_lookups->atOrBefore, QStringLiteral("SELECT \"Index\", \"PCTime\", \"Speed\" FROM %1 WHERE "
                                                           "\"PCTime\" <= ? ORDER BY \"PCTime\" DESC, \"Index\" DESC "
                                                           "LIMIT 1")},
          std::pair{&m_lookups->after,
                    QStringLiteral("SELECT \"Index\", \"PCTime\", \"Speed\" FROM %1 WHERE "
                                   "\"PCTime\" > ? ORDER BY \"PCTime\" ASC, \"Index\" ASC LIMIT 1")}}) {
        if (!seek->Prepare(text.arg(g))) {
            m_error = DiagnosticText(SQL_HANDLE_STMT, seek->statement.handle());
            m_failedQuery = seek->query;
            m_rows.clear();
            m_lookups.reset();
            return false;
        }
    }
    Lookups* lookups = m_lookups.get();
    m_search = std::make_unique<GpsTimeSearch>([lookups](const QString& t) { return lookups->atOrBefore.Find(t); },
                                               [lookups](const QString& t) { return lookups->after.Find(t); });
    return true;
}

bool GpsReferenceFill::Step(int maxRows)
{
    if (Finished() || !m_search)
        return false;
    SQLHDBC db = store::GetDbConnection();
    QString text = QStringLiteral("UPDATE %1 SET \"GpsIndex\" = ?").arg(QuoteIdentifier(m_table));
    if (!m_eventIsGpsTime)
        text += QStringLiteral(", \"GpsTime\" = ?");
    if (m_porpoise)
        text += QStringLiteral(", \"TimeABeam\" = ?, \"SecsOffBeam\" = ?, \"RangeOffBeam\" = ?, \"InitialRange\" = ?");
    text += QStringLiteral(" WHERE %1 = ?").arg(m_keyColumn);

    SQLSetConnectAttr(db, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
    bool ok = true;
    std::size_t row = m_next;
    // The search moves forward only; what it found for this batch is kept
    // apart until the batch is committed, so a rolled-back batch is found
    // again by the next fill.
    {
        SqlStatement update(db);
        QByteArray bytes = store::toSqlBytes(text);
        ok = sqlSucceeded(SQLPrepare(update.handle(), reinterpret_cast<SQLCHAR*>(bytes.data()), SQL_NTS));
        for (int n = 0; ok && n < maxRows && row < m_rows.size(); ++n, ++row) {
            Row& r = m_rows[row];
            const GpsSearchResult found = m_search->FindGpsIndexForTime(r.eventTime);
            for (const Lookups::Seek* seek : {&m_lookups->atOrBefore, &m_lookups->after})
                if (seek->failed && ok) {
                    m_error = seek->error;
                    text = seek->query;
                    ok = false;
                }
            if (!ok)
                break;
            const SQLHSTMT h = update.handle();
            SQLUSMALLINT p = 1;
            SQLINTEGER index = found.index;
            SQLBindParameter(h, p++, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &index, 0, nullptr);
            QByteArray time = found.time.toLatin1();
            SQLLEN timeLength = time.size();
            if (!m_eventIsGpsTime)
                SQLBindParameter(h, p++, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, SQLULEN(time.size()), 0, time.data(),
                                 time.size() + 1, &timeLength);
            std::array<double, 4> v{};
            std::array<SQLLEN, 4> vi{};
            if (m_porpoise) {
                const PorpoiseRanges ranges = ComputePorpoiseRanges(r.ranges, found.speed);
                BindNullable(h, p++, ranges.timeABeam, v[0], vi[0]);
                BindNullable(h, p++, ranges.secsOffBeam, v[1], vi[1]);
                BindNullable(h, p++, ranges.rangeOffBeam, v[2], vi[2]);
                BindNullable(h, p++, ranges.initialRange, v[3], vi[3]);
            }
            SQLBIGINT key = r.key;
            SQLBindParameter(h, p++, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &key, 0, nullptr);
            const SQLRETURN result = SQLExecute(h);
            if (!sqlSucceeded(result) && result != SQL_NO_DATA) {
                m_error = DiagnosticText(SQL_HANDLE_STMT, h);
                ok = false;
            }
            SQLFreeStmt(h, SQL_RESET_PARAMS);
        }
        if (!ok && m_error.isEmpty())
            m_error = DiagnosticText(SQL_HANDLE_STMT, update.handle());
    }
    if (ok) {
        ok = sqlSucceeded(SQLEndTran(SQL_HANDLE_DBC, db, SQL_COMMIT));
        if (!ok)
            m_error = DiagnosticText(SQL_HANDLE_DBC, db);
    }
    if (!ok) {
        SQLEndTran(SQL_HANDLE_DBC, db, SQL_ROLLBACK);
        m_failed = true;
        m_failedQuery = text;
    } else {
        m_committed += qint64(row - m_next);
        m_next = row;
    }
    SQLSetConnectAttr(db, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
    return ok && !Finished();
}

} // namespace velmar::nav
