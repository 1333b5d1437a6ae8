#pragma once
// Filling the GPS cross reference of rows stored without one: each row gets
// the last fix of a data set whose PC time is not later than the row's event
// time. The fixes are looked up through the track's PCTime index, two seeks
// for a row (the fix at or before it, the fix after it), and a row whose time
// falls between the same two fixes as the row before needs none; a season's
// track is never read whole for a handful of rows. The rows are written back
// with a keyed UPDATE, a few hundred to a transaction, in steps a timer drives
// (so a Stop between steps takes effect and the window repaints).
//
// No window: the dialog that runs a fill (NoGpsRefDlg) and the menu command
// sit above this. User-interface thread only (the survey's connection).
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace velmar::nav {

// The GPS reference of an event earlier than every fix.
inline constexpr int32_t NoGpsFixIndex = -1;

// One fix as the search sees it.
struct FixTime {
    int32_t index = 0;
    QString pcTime; // "YYYY-MM-DD hh:mm:ss"
    double speed = 0;
};

struct GpsSearchResult {
    int32_t index = NoGpsFixIndex;
    QString time;     // the found fix's PC time, "1900-01-01 00:00:00" for none
    double speed = 0; // knots: of the first fix after the event, or of the last fix
    bool operator==(const GpsSearchResult&) const = default;
};

// The search over one track. Times compare as texts, which orders
// "YYYY-MM-DD hh:mm:ss" by time; of fixes with equal times the one with the
// highest Index is the later. An event between the same two fixes as the
// event before is answered without a lookup.
class GpsTimeSearch {
public:
    // The last fix at or before a time / the first fix after it, or nothing.
    using FixLookup = std::function<std::optional<FixTime>(const QString& time)>;
    GpsTimeSearch(FixLookup atOrBefore, FixLookup after);
    GpsSearchResult FindGpsIndexForTime(const QString& eventTime);

private:
    bool InKnownGap(const QString& eventTime) const;

    FixLookup m_atOrBefore;
    FixLookup m_after;
    bool m_known = false;
    std::optional<FixTime> m_before; // around the last event looked up
    std::optional<FixTime> m_next;
};

// The porpoise detector's ranges of a row from the ship's speed (knots).
// With SecsOffBeam above 0: RangeOffBeam = SecsOffBeam x v and InitialRange =
// sqrt(TimeABeam^2 + SecsOffBeam^2) x v, v in metres per second. Otherwise
// the four become 0, except that a NULL among them stays NULL.
struct PorpoiseRanges {
    std::optional<double> timeABeam, secsOffBeam, rangeOffBeam, initialRange;
    bool operator==(const PorpoiseRanges&) const = default;
};
PorpoiseRanges ComputePorpoiseRanges(const PorpoiseRanges& stored, double speedKnots);

// The rows of a table without a cross reference (GpsIndex NULL or 0); -1
// when the query fails (the table has no such column), which callers count
// as none.
int CountRowsWithoutGpsReference(const QString& table);

// The TIMESTAMP columns of a table other than GpsTime, in table order: the
// choice of event-time column.
QStringList EventTimeColumns(const QString& table);

// One fill of one table from one GPS data set's table.
class GpsReferenceFill {
public:
    // Rows written per transaction (and per step).
    static constexpr int RowsPerTransaction = 250;

    GpsReferenceFill(const QString& table, const QString& eventColumn, const QString& gpsTable);
    ~GpsReferenceFill();
    GpsReferenceFill(const GpsReferenceFill&) = delete;
    GpsReferenceFill& operator=(const GpsReferenceFill&) = delete;

    // Reads the rows to fill and prepares the track's lookups (adding the
    // track's PCTime index when it lacks one). False with errorText() and the
    // failing statement in failedQuery() when a query fails.
    bool Start();
    // Fills and commits up to maxRows rows. False once the fill has ended
    // (all rows done, or a write failed: see Failed()).
    bool Step(int maxRows = RowsPerTransaction);
    bool Finished() const { return m_next >= m_rows.size() || m_failed; }
    bool Failed() const { return m_failed; }
    QString ErrorText() const { return m_error; }
    QString FailedQuery() const { return m_failedQuery; }
    // Rows written and committed so far, and the rows this fill took on.
    qint64 RowsDone() const { return m_committed; }
    qint64 RowCount() const { return qint64(m_rows.size()); }
    bool IsPorpoiseTable() const { return m_porpoise; }

private:
    struct Row {
        qint64 key = 0;
        QString eventTime;
        PorpoiseRanges ranges;
    };
    struct Lookups;

    QString m_table;
    QString m_eventColumn;
    QString m_gpsTable;
    QString m_keyColumn;
    bool m_porpoise = false;
    bool m_eventIsGpsTime = false;
    std::vector<Row> m_rows;
    std::size_t m_next = 0;
    qint64 m_committed = 0;
    bool m_failed = false;
    QString m_error;
    QString m_failedQuery;
    std::unique_ptr<Lookups> m_lookups;
    std::unique_ptr<GpsTimeSearch> m_search;
};

} // namespace velmar::nav
