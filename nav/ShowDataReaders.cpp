#include "nav/ShowDataReaders.h"

#include "nav/GpsDataSets.h"
#include "nav/ProgramStatus.h"
#include "platform/DateTimeText.h"
#include "store/DbConnection.h"
#include "store/DbMessages.h"
#include "store/FixedSchema.h"
#include "store/RecordWriters.h"
#include "store/SqlText.h"
#include "store/TableDefinition.h"
#include "platform/Utilities.h"

#include <sqlext.h>
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace velmar::nav {

using store::QuoteIdentifier;
using store::SqlStatement;
using store::sqlSucceeded;

namespace {

constexpr const char* kCaptionSqlError = "Can't execute SQL statement";
constexpr qint64 kGpsProgressStep = 500;
// The gauge repaints at once: about one report per percent of a big track.
constexpr qint64 kGpsProgressReports = 100;
constexpr qint64 kEventProgressStep = 100;
// Widths the rows are read to (as the list view and the forms show them).
constexpr int kCommentTimeWidth = 21;
// The whole comment column: a stored piece may fill all 100 characters.
constexpr int kCommentWidth = 100;
constexpr int kRecordingWidth = 49;
constexpr int kTextBufferSize = 256;

QString noFixTime()
{
    return QString::fromLatin1(store::kNoGpsTime);
}

void ShowQueryError(const QString& text, const QString& caption)
{
    store::DbMessage(store::DbOwnerWindow(), text, caption, store::DbIcon::Stop);
}

// Column values fetched one at a time (the event readers: few rows).
std::optional<QString> GetText(SQLHSTMT h, int column)
{
    std::array<char, kTextBufferSize> buffer{};
    SQLLEN indicator = 0;
    if (!sqlSucceeded(SQLGetData(h, SQLUSMALLINT(column), SQL_C_CHAR, buffer.data(), SQLLEN(buffer.size()), &indicator))
        || indicator == SQL_NULL_DATA)
        return std::nullopt;
    QString text = QString::fromUtf8(buffer.data());
    platform::TrimRight(text);
    return text;
}

QString Text(SQLHSTMT h, int column, int width = kTextBufferSize)
{
    return GetText(h, column).value_or(QString()).left(width);
}

std::optional<double> GetReal(SQLHSTMT h, int column)
{
    double value = 0;
    SQLLEN indicator = 0;
    if (!sqlSucceeded(SQLGetData(h, SQLUSMALLINT(column), SQL_C_DOUBLE, &value, 0, &indicator))
        || indicator == SQL_NULL_DATA)
        return std::nullopt;
    return value;
}

std::optional<qint64> GetInt(SQLHSTMT h, int column)
{
    qint64 value = 0;
    SQLLEN indicator = 0;
    if (!sqlSucceeded(SQLGetData(h, SQLUSMALLINT(column), SQL_C_SBIGINT, &value, 0, &indicator))
        || indicator == SQL_NULL_DATA)
        return std::nullopt;
    return value;
}

// Rows a query will give, for the gauge: the same query counted (its order
// does not change the count, and sorting a track twice costs time).
qint64 CountRows(const QString& query)
{
    const qsizetype order = query.lastIndexOf(QStringLiteral(" ORDER BY "));
    SqlStatement count(store::GetDbConnection());
    if (!count.execDirect(QStringLiteral("SELECT COUNT(*) FROM ( %1 )").arg(order < 0 ? query : query.left(order)))
        || !sqlSucceeded(SQLFetch(count.handle())))
        return 0;
    return GetInt(count.handle(), 1).value_or(0);
}

// A read-only connection of SQLite's own on the open survey, for the GPS
// tracks: the ODBC driver turns every value into text and back, several
// times the work of stepping the rows. WAL lets it read beside the program's
// connection; it sees what that one has committed. It is the SQLite library
// the driver itself is linked to (libsqlite3), so both connections share
// SQLite's bookkeeping of the file's POSIX locks; a driver carrying its own
// copy of SQLite would not, and closing this connection could drop its locks.
class SurveyReadConnection {
public:
    SurveyReadConnection()
    {
        const QByteArray path = store::GetDbPath().toUtf8();
        if (sqlite3_open_v2(path.constData(), &m_db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) == SQLITE_OK)
            sqlite3_busy_timeout(m_db, store::kBusyTimeoutMs);
    }
    ~SurveyReadConnection()
    {
        sqlite3_finalize(m_statement);
        sqlite3_close(m_db);
    }
    SurveyReadConnection(const SurveyReadConnection&) = delete;
    SurveyReadConnection& operator=(const SurveyReadConnection&) = delete;

    // The statement, stepped by the caller; nothing when it cannot be made.
    sqlite3_stmt* Prepare(const QString& query)
    {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        const QByteArray text = query.toUtf8();
        if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &m_statement, nullptr) != SQLITE_OK) {
            sqlite3_finalize(m_statement);
            m_statement = nullptr;
        }
        return m_statement;
    }
    // The one number a COUNT query gives; 0 when it fails.
    qint64 Count(const QString& query) const
    {
        const QByteArray text = query.toUtf8();
        sqlite3_stmt* count = nullptr;
        qint64 n = 0;
        if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &count, nullptr) == SQLITE_OK
            && sqlite3_step(count) == SQLITE_ROW)
            n = sqlite3_column_int64(count, 0);
        sqlite3_finalize(count);
        return n;
    }
    QString ErrorText() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_statement = nullptr;
};

// Every column of a fixed table in definition order, quoted, for a SELECT.
QString AllColumns(const QString& table, QString* counterColumn = nullptr)
{
    const store::TableDefinition* d = store::FixedTableDefinition(table);
    QStringList columns;
    if (!d)
        return QStringLiteral("*");
    for (int i = 0; i < d->GetCount(); ++i) {
        columns << QuoteIdentifier(d->GetColumnName(i));
        if (counterColumn && d->GetColumnType(i).compare(u"COUNTER", Qt::CaseInsensitive) == 0)
            *counterColumn = d->GetColumnName(i);
    }
    return columns.join(QStringLiteral(", "));
}

// A column's position among the table's definition (1-based) or 0.
int ColumnNumber(const QString& table, const char* column)
{
    const store::TableDefinition* d = store::FixedTableDefinition(table);
    for (int i = 0; d && i < d->GetCount(); ++i)
        if (d->GetColumnName(i).compare(QLatin1String(column), Qt::CaseInsensitive) == 0)
            return i + 1;
    return 0;
}

using ColumnOf = std::function<int(const char* name)>;
using EventRow = std::function<void(SQLHSTMT h, const ColumnOf& column)>;

// Runs the query of an event table and hands each row over with the
// positions of the table's columns. False when the query failed (shown).
bool ReadEventRows(const QString& table, const QString& query,
                   const std::function<void(qint64 done, qint64 total)>& progress, const EventRow& row)
{
    const qint64 total = CountRows(query);
    SqlStatement statement(store::GetDbConnection());
    if (!statement.execDirect(query)) {
        ShowQueryError(query, QString::fromLatin1(kCaptionSqlError));
        return false;
    }
    const ColumnOf column = [&table](const char* name) { return ColumnNumber(table, name); };
    qint64 done = 0;
    while (sqlSucceeded(SQLFetch(statement.handle()))) {
        row(statement.handle(), column);
        if (++done % kEventProgressStep == 0)
            progress(done, std::max(total, done));
    }
    progress(0, 0);
    return true;
}

// One row of the GPS reader, read from SQLite's own statement: the track
// tables are the big ones, so their values are taken as SQLite holds them
// (the ODBC driver would turn each into text and back).
struct GpsRowBuffer {
    enum Column {
        Index = 1,
        PCTime,
        Latitude,
        Longitude,
        GPSTime,
        Heading,
        HeadingType,
        Speed,
        SpeedType,
        GPSError,
        DataStatus,
        TrueHeading,
        MagneticHeading,
        Count = MagneticHeading
    };
    int32_t index = 0;
    std::array<char, 32> pcTime{};
    double latitude = 0, longitude = 0;
    int32_t gpsTime = 0;
    double heading = 0;
    std::array<char, 8> headingType{};
    double speed = 0;
    std::array<char, 8> speedType{};
    int32_t gpsError = 0;
    std::array<char, 8> dataStatus{};
    double trueHeading = 0, magneticHeading = 0;
    std::array<bool, Count + 1> null{};

    template <std::size_t N>
    void ReadText(sqlite3_stmt* st, int column, std::array<char, N>& text)
    {
        const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(st, column - 1));
        const std::size_t n = value ? std::min<std::size_t>(std::size_t(sqlite3_column_bytes(st, column - 1)), N - 1)
                                    : 0;
        if (n > 0)
            std::memcpy(text.data(), value, n);
        text[n] = '\0';
    }

    void Read(sqlite3_stmt* st)
    {
        for (int c = Index; c <= Count; ++c)
            null[std::size_t(c)] = sqlite3_column_type(st, c - 1) == SQLITE_NULL;
        index = sqlite3_column_int(st, Index - 1);
        ReadText(st, PCTime, pcTime);
        latitude = sqlite3_column_double(st, Latitude - 1);
        longitude = sqlite3_column_double(st, Longitude - 1);
        gpsTime = sqlite3_column_int(st, GPSTime - 1);
        heading = sqlite3_column_double(st, Heading - 1);
        ReadText(st, HeadingType, headingType);
        speed = sqlite3_column_double(st, Speed - 1);
        ReadText(st, SpeedType, speedType);
        gpsError = sqlite3_column_int(st, GPSError - 1);
        ReadText(st, DataStatus, dataStatus);
        trueHeading = sqlite3_column_double(st, TrueHeading - 1);
        magneticHeading = sqlite3_column_double(st, MagneticHeading - 1);
    }
    bool Has(int column) const { return !null[std::size_t(column)]; }
    double Real(int column, double value) const { return Has(column) ? value : 0.0; }
    char Letter(int column, const std::array<char, 8>& text, char fallback) const
    {
        return Has(column) && text[0] != 0 && text[0] != ' ' ? text[0] : fallback;
    }

    // The stored "YYYY-MM-DD hh:mm:ss" read in place; any other form goes
    // through the general parser.
    platform::SystemTime ProgramTime() const
    {
        if (!Has(PCTime))
            return platform::ParseTimeStamp(QString());
        const char* t = pcTime.data();
        auto digits = [t](int at, int n, uint16_t& out) {
            int v = 0;
            for (int i = at; i < at + n; ++i) {
                if (t[i] < '0' || t[i] > '9')
                    return false;
                v = v * 10 + (t[i] - '0');
            }
            out = uint16_t(v);
            return true;
        };
        platform::SystemTime time;
        constexpr int kLength = 19;
        if (std::strlen(t) == kLength && t[4] == '-' && t[7] == '-' && t[10] == ' ' && t[13] == ':' && t[16] == ':'
            && digits(0, 4, time.wYear) && digits(5, 2, time.wMonth) && digits(8, 2, time.wDay)
            && digits(11, 2, time.wHour) && digits(14, 2, time.wMinute) && digits(17, 2, time.wSecond))
            return time;
        return platform::ParseTimeStamp(QString::fromLatin1(t));
    }

    GpsFixData Fix() const
    {
        GpsFixData fix(ProgramTime());
        fix.SetLatitude(Real(Latitude, latitude));
        fix.SetLongitude(Real(Longitude, longitude));
        fix.sentenceTime = Has(GPSTime) ? gpsTime : 0;
        fix.SetCourse(float(Real(Heading, heading)));
        fix.courseReference = Letter(HeadingType, headingType, fix.courseReference);
        fix.speedUnit = Letter(SpeedType, speedType, fix.speedUnit);
        fix.speed = float(Real(Speed, speed));
        fix.statusCode = int16_t(Has(GPSError) ? gpsError : 0);
        if (Has(TrueHeading))
            fix.SetTrueHeading(float(trueHeading));
        if (Has(MagneticHeading))
            fix.SetMagHeading(float(magneticHeading));
        fix.valid = 1;
        return fix;
    }
};

} // namespace

int ProgressPercent(qint64 done, qint64 total)
{
    if (total <= 0 || done <= 0)
        return 0;
    if (done >= total)
        return 100;
    return int(done * 100 / total);
}

std::optional<TrackTimeSpan> MainTrackTimeSpan()
{
    if (!store::IsDbOpen())
        return std::nullopt;
    // Both ends are one seek each through the PCTime index.
    SqlStatement span(store::GetDbConnection());
    if (!span.execDirect(QStringLiteral("SELECT MIN(\"PCTime\"), MAX(\"PCTime\") FROM \"GpsData\""))
        || !sqlSucceeded(SQLFetch(span.handle())))
        return std::nullopt;
    const std::optional<QString> first = GetText(span.handle(), 1);
    const std::optional<QString> last = GetText(span.handle(), 2);
    TrackTimeSpan t;
    if (!first || !last || !platform::ReadDateTimeString(*first, &t.first)
        || !platform::ReadDateTimeString(*last, &t.last))
        return std::nullopt;
    return t;
}

int32_t ClickSpeciesCode(const QString& stored)
{
    QString s = stored;
    platform::TrimRight(s);
    if (s == u"Sperm Whale")
        return NewRCEventRecord::SpeciesSpermWhale;
    if (s == u"Dolphin")
        return NewRCEventRecord::SpeciesDolphin;
    return 0;
}

ShowDataReader::ShowDataReader(const platform::SystemTime& start, const platform::SystemTime& end,
                               ReaderProgress progress)
    : m_start(start), m_end(end), m_progress(std::move(progress))
{
}

void ShowDataReader::Progress(qint64 done, qint64 total) const
{
    if (m_progress.progress)
        m_progress.progress(done, total);
}

void ShowDataReader::Status(const QString& text) const
{
    if (m_progress.statusText)
        m_progress.statusText(text);
}

ShownIndexRange ShowDataReader::MainRange() const
{
    return m_ranges.empty() ? ShownIndexRange{} : m_ranges.front();
}

bool ShowDataReader::DbLoadAllGpsData(GpsFixSink& sink)
{
    m_ranges.clear();
    m_fixesLoaded = 0;
    if (!store::IsDbOpen())
        return false;
    sink.ClearGpsFixes();
    if (!platform::CheckSystemTime(m_start) || !platform::CheckSystemTime(m_end)) {
        // Said once, so the operator knows why the displays stay empty.
        store::DbMessage(store::DbOwnerWindow(),
                         QStringLiteral("The shown data window %1 to %2 is not a valid period; no data loaded")
                             .arg(platform::FormatTimeStamp(m_start), platform::FormatTimeStamp(m_end)),
                         QStringLiteral("DbLoadGpsData"), store::DbIcon::Stop);
        return false;
    }
    const std::vector<GpsDataSet>& sets = DbReadGpsDataSets();
    m_ranges.assign(sets.size(), ShownIndexRange{});
    for (std::size_t i = 0; i < sets.size(); ++i)
        DbLoadGpsData(sets[i].tableName, int(i), sink);
    return true;
}

bool ShowDataReader::DbLoadGpsData(const QString& table, int dataSet, GpsFixSink& sink)
{
    if (dataSet < 0)
        return false;
    if (std::size_t(dataSet) >= m_ranges.size())
        m_ranges.resize(std::size_t(dataSet) + 1);
    ShownIndexRange& range = m_ranges[std::size_t(dataSet)];
    range = {};
    const QString window = QStringLiteral("FROM %1 WHERE \"PCTime\" BETWEEN '%2' AND '%3'")
                               .arg(QuoteIdentifier(table), platform::FormatTimeStamp(m_start),
                                    platform::FormatTimeStamp(m_end));
    const QString query = QStringLiteral("SELECT %1 %2 AND \"DataStatus\" = 'A' ORDER BY \"PCTime\"")
                              .arg(AllColumns(QStringLiteral("GpsData")), window);
    SurveyReadConnection direct;
    sqlite3_stmt* statement = direct.Prepare(query);
    if (!statement) {
        ShowQueryError(query + QStringLiteral("\n") + direct.ErrorText(), QString::fromLatin1(kCaptionSqlError));
        return true;
    }
    // For the gauge, the fixes of the window whatever their status: the
    // index alone answers that.
    const qint64 total = direct.Count(QStringLiteral("SELECT COUNT(*) ") + window);
    GpsRowBuffer row;
    const qint64 progressStep = std::max(kGpsProgressStep, total / kGpsProgressReports);
    qint64 done = 0;
    int stepped = SQLITE_ROW;
    while ((stepped = sqlite3_step(statement)) == SQLITE_ROW) {
        row.Read(statement);
        sink.AddFix(row.Fix(), row.index, dataSet);
        if (done == 0)
            range.first = row.index;
        range.last = row.index;
        if (++done % progressStep == 0)
            Progress(done, std::max(total, done));
    }
    if (stepped != SQLITE_DONE)
        ShowQueryError(QStringLiteral("%1\n%2 fixes were read before: %3").arg(query).arg(done).arg(direct.ErrorText()),
                       QString::fromLatin1(kCaptionSqlError));
    m_fixesLoaded += done;
    Progress(0, 0);
    return true;
}

// Every column of an event table inside the main track's range, in event
// order (then by the counter column, when the table has one).
QString ShowDataReader::EventQuery(const QString& table) const
{
    QString counter;
    QString query = QStringLiteral("SELECT %1 FROM %2").arg(AllColumns(table, &counter), QuoteIdentifier(table))
                  + RangeWhere("GPSTime") + QStringLiteral(" ORDER BY \"GPSTime\"");
    if (!counter.isEmpty())
        query += QStringLiteral(", ") + QuoteIdentifier(counter);
    return query;
}

QString ShowDataReader::RangeWhere(const char* gpsTimeColumn) const
{
    const ShownIndexRange r = MainRange();
    return QStringLiteral(" WHERE \"GpsIndex\" BETWEEN %1 AND %2 AND %3 > '%4'")
        .arg(r.first)
        .arg(r.last)
        .arg(QuoteIdentifier(QLatin1String(gpsTimeColumn)), noFixTime());
}

bool ShowDataReader::DbLoadSpermData(DetectorEventSink& sink)
{
    const QString table = QStringLiteral("QuintraEvents");
    return ReadEventRows(
        table, EventQuery(table), [this](qint64 d, qint64 t) { Progress(d, t); },
        [&](SQLHSTMT h, const ColumnOf& col) {
            NewRCEventRecord r;
            const QString eventTime = Text(h, col("EventTime"));
            r.sectionSeconds = int32_t(GetInt(h, col("Section Seconds")).value_or(0));
            const int32_t gpsIndex = int32_t(GetInt(h, col("GpsIndex")).value_or(0));
            const QString gpsTime = Text(h, col("GPSTime"));
            r.duration = float(GetReal(h, col("Duration")).value_or(0));
            r.nClicks = int32_t(GetInt(h, col("nClicks")).value_or(0));
            r.species = ClickSpeciesCode(Text(h, col("Species")));
            r.eventNumber = int32_t(GetInt(h, col("Event Number")).value_or(0));
            r.whaleId = int16_t(GetInt(h, col("Whale Id")).value_or(0));
            r.meanBearing = float(GetReal(h, col("Mean Bearing")).value_or(0));
            r.firstBearing = float(GetReal(h, col("First Bearing")).value_or(0));
            r.lastBearing = float(GetReal(h, col("Last Bearing")).value_or(0));
            r.meanIci = float(GetReal(h, col("Mean ICI")).value_or(0));
            r.firstIci = float(GetReal(h, col("First ICI")).value_or(0));
            r.lastIci = float(GetReal(h, col("Last ICI")).value_or(0));
            r.meanRange = float(GetReal(h, col("Mean Range")).value_or(0));
            r.meanAmplitude = float(GetReal(h, col("Mean Amplitude")).value_or(0));
            r.state = NewRCEventRecord::StateFinal;
            // The event key of a stored event: milliseconds of section time at
            // its start (the event number keeps the stored one).
            r.eventKey = int32_t(std::trunc(double(r.sectionSeconds) * 1000.0));
            if (!sink.AddClickEvent(r, gpsIndex))
                store::DbMessage(nullptr,
                                 QStringLiteral("Can't find GPS data at %1, Gps Time / index %2 %3")
                                     .arg(eventTime, gpsTime)
                                     .arg(gpsIndex),
                                 QStringLiteral("DbLoadSpermData"));
        });
}

bool ShowDataReader::DbLoadPorpoiseEvents(DetectorEventSink& sink)
{
    const QString table = QStringLiteral("PorpoiseEvents");
    // A NULL column keeps what the record held before the first row.
    PorpoiseEventRecord r;
    r.maxBearing = 180.0f;
    r.porpoiseBearing = 999.0f;
    r.otherBearing = 999.0f;
    r.chi2 = -1.0f;
    r.fitProb = -1.0f;
    return ReadEventRows(
        table, EventQuery(table), [this](qint64 d, qint64 t) { Progress(d, t); },
        [&](SQLHSTMT h, const ColumnOf& col) {
            auto real = [&](const char* name, float& field) {
                if (auto v = GetReal(h, col(name)))
                    field = float(*v);
            };
            auto integer = [&](const char* name, auto& field) {
                if (auto v = GetInt(h, col(name)))
                    field = std::remove_reference_t<decltype(field)>(*v);
            };
            auto text = [&](const char* name, QString& field, int width) {
                if (auto v = GetText(h, col(name)))
                    field = v->left(width - 1);
            };
            if (auto v = GetText(h, col("EventStart")))
                r.eventStart = platform::ParseTimeStamp(*v);
            integer("Number", r.number);
            const int32_t gpsIndex = int32_t(GetInt(h, col("GpsIndex")).value_or(0));
            text("FileName", r.fileName, PorpoiseEventRecord::FileNameWidth);
            real("Duration", r.duration);
            text("SpeciesCode", r.speciesCode, PorpoiseEventRecord::SpeciesCodeWidth);
            integer("Confidence", r.confidence);
            integer("nPorpoiseClicks", r.nPorpoiseClicks);
            integer("nBroadBandClicks", r.nBroadBandClicks);
            integer("nOtherClicks", r.nOtherClicks);
            real("MinBearing", r.minBearing);
            real("MaxBearing", r.maxBearing);
            text("Comment", r.comment, PorpoiseEventRecord::CommentWidth);
            integer("StartSection", r.startSection);
            integer("EndSection", r.endSection);
            real("BackgroundDC", r.backgroundDc);
            real("BackgroundAC", r.backgroundAc);
            real("PorpoiseBearing", r.porpoiseBearing);
            real("OtherBearing", r.otherBearing);
            integer("StartADCTime", r.startAdcTime);
            integer("EndADCTime", r.endAdcTime);
            integer("Automatic", r.automatic);
            real("TimeABeam", r.timeABeam);
            real("SecsOffBeam", r.secsOffBeam);
            real("RangeOffBeam", r.rangeOffBeam);
            real("InitialBearing", r.initialBearing);
            real("InitialRange", r.initialRange);
            real("SigTimeABeam", r.sigTimeABeam);
            real("SigSecsOff", r.sigSecsOff);
            real("Chi2", r.chi2);
            real("FitProb", r.fitProb);
            integer("StoreClicks", r.storeClicks);
            sink.AddPorpoiseEvent(r, gpsIndex);
        });
}

int ShowDataReader::DbLoadComments(CommentListSink& sink)
{
    const QString query = QStringLiteral("SELECT \"PCTime\", \"Comment\", \"Recording\" FROM \"Comments\"")
                        + RangeWhere("GpsTime") + QStringLiteral(" ORDER BY \"PCTime\", \"Index\"");
    const qint64 total = CountRows(query);
    SqlStatement statement(store::GetDbConnection());
    if (!statement.execDirect(query)) {
        ShowQueryError(query, QString::fromLatin1(kCaptionSqlError));
        return 0;
    }
    const SQLHSTMT h = statement.handle();
    QString previousTime;
    int item = 0;
    while (sqlSucceeded(SQLFetch(h))) {
        const QString time = Text(h, 1, kCommentTimeWidth);
        const QString comment = Text(h, 2, kCommentWidth);
        const QString recording = Text(h, 3, kRecordingWidth);
        // A long comment is stored in pieces that share their time.
        const bool continuation = item > 0 && time == previousTime;
        sink.AddCommentRow(item, continuation ? QString() : time, comment, continuation ? QString() : recording);
        previousTime = time;
        if (++item % kEventProgressStep == 0)
            Progress(item, std::max<qint64>(total, item));
    }
    Progress(0, 0);
    return item;
}

void ShowDataReader::DbLoadHeardData(HeardSink& sink)
{
    const QString heard = QStringLiteral("SELECT \"PCTime\", \"GpsIndex\", \"Species\", \"Strength\", \"Comment\" "
                                         "FROM \"ThingsHeard\"")
                        + RangeWhere("GpsTime") + QStringLiteral(" ORDER BY \"Index\"");
    {
        SqlStatement statement(store::GetDbConnection());
        if (!statement.execDirect(heard))
            ShowQueryError(heard, QString::fromLatin1(kCaptionSqlError));
        else
            while (sqlSucceeded(SQLFetch(statement.handle()))) {
                const SQLHSTMT h = statement.handle();
                sink.AddHeard(Text(h, 1), int32_t(GetInt(h, 2).value_or(0)), Text(h, 3), int(GetInt(h, 4).value_or(0)),
                              Text(h, 5));
            }
    }
    const QString effort = QStringLiteral("SELECT \"PCTime\", \"Status\", \"Comment\" FROM \"ListeningEffort\"")
                         + RangeWhere("GpsTime") + QStringLiteral(" ORDER BY \"Index\"");
    SqlStatement statement(store::GetDbConnection());
    if (!statement.execDirect(effort)) {
        ShowQueryError(effort, QString::fromLatin1(kCaptionSqlError));
        return;
    }
    while (sqlSucceeded(SQLFetch(statement.handle()))) {
        const SQLHSTMT h = statement.handle();
        sink.AddEffort(Text(h, 1), Text(h, 2), Text(h, 3));
    }
}

void ShowDataReader::DbGetEffortData(int program, EffortSink& sink, std::optional<int32_t> firstFixIndex)
{
    static const char* const tables[EffortProgramCount] = {"PorpoiseEffort", "WhistleEffort", "QuintraEffort",
                                                           "ListeningEffort"};
    if (program < 0 || program >= EffortProgramCount || !firstFixIndex)
        return;
    const QString table = QString::fromLatin1(tables[program]);
    Status(QStringLiteral("Loadding data from %1").arg(table));
    const QString query = QStringLiteral("SELECT \"GpsIndex\", \"Status\" FROM %1").arg(QuoteIdentifier(table))
                        + RangeWhere("GPSTime") + QStringLiteral(" ORDER BY \"PCTime\", \"Index\"");
    SqlStatement statement(store::GetDbConnection());
    if (!statement.execDirect(query)) {
        ShowQueryError(query, QString::fromLatin1(kCaptionSqlError));
        return;
    }
    // No known effort at the start of the track.
    sink.AddEffortPoint(program, *firstFixIndex, 0, EffortCategoryUnknown);
    // Colours as the effort lists hold them: 0xRRGGBB.
    constexpr uint32_t cyan = 0x00FFFFu;
    constexpr uint32_t blue = 0x0000FFu;
    constexpr uint32_t grey = 0xC0C0C0u;
    while (sqlSucceeded(SQLFetch(statement.handle()))) {
        const SQLHSTMT h = statement.handle();
        const int32_t index = int32_t(GetInt(h, 1).value_or(0));
        const QString status = Text(h, 2);
        const int category = EffortCategoryOfStatusText(status);
        const uint32_t colour = category == EffortCategoryOn ? blue : category == EffortCategoryHalf ? cyan : grey;
        sink.AddEffortPoint(program, index, colour, category);
    }
}

} // namespace velmar::nav
