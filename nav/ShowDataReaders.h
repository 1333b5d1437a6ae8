#pragma once
// The readers that bring a survey back into memory for showing: the GPS
// tracks of every data set inside the shown-data window, and, inside the main
// track's loaded range, the click and porpoise events, the comments, the
// things heard with the listening effort and the detector effort changes.
//
// Readers never touch a window or a list of the program directly: each hands
// its rows to a small receiver (the sinks below). The program's receivers put
// them into the fix lists, the recent lists, the comment list and the effort
// lists; tests collect them. Progress goes out as 64-bit row counts.
//
// User-interface thread only (the survey database's connection).
#include "nav/DetectionRecords.h"
#include "nav/GpsFixData.h"
#include "platform/SystemTime.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace velmar::nav {

// Receives the fixes of a GPS load.
class GpsFixSink {
public:
    virtual ~GpsFixSink() = default;
    // Every fix held in memory goes (a new load starts).
    virtual void ClearGpsFixes() = 0;
    virtual void AddFix(const GpsFixData& fix, int32_t index, int dataSet) = 0;
};

// Receives the click-detector and porpoise-detector events.
class DetectorEventSink {
public:
    virtual ~DetectorEventSink() = default;
    // False when no loaded fix of the main track has that Index: the event is
    // not made.
    virtual bool AddClickEvent(const NewRCEventRecord& record, int32_t gpsIndex) = 0;
    // Made also without a fix (it then has no position).
    virtual void AddPorpoiseEvent(const PorpoiseEventRecord& record, int32_t gpsIndex) = 0;
};

// Receives comment rows in list order: time and recording are empty on a
// row that continues the comment before it.
class CommentListSink {
public:
    virtual ~CommentListSink() = default;
    virtual void AddCommentRow(int itemData, const QString& time, const QString& comment, const QString& recording) = 0;
};

// Receives the things heard and the listening effort.
class HeardSink {
public:
    virtual ~HeardSink() = default;
    virtual void AddHeard(const QString& time, int32_t gpsIndex, const QString& species, int strength,
                          const QString& comment) = 0;
    virtual void AddEffort(const QString& time, const QString& status, const QString& comment) = 0;
};

// Receives the effort changes of one detector program.
class EffortSink {
public:
    virtual ~EffortSink() = default;
    virtual void AddEffortPoint(int program, int32_t gpsIndex, uint32_t colour, int state) = 0;
};

// Where a reader reports its progress and what it is loading; either may be
// empty.
struct ReaderProgress {
    std::function<void(qint64 done, qint64 total)> progress;
    std::function<void(const QString& text)> statusText;
};

// Whole percent of done over total, 0 to 100, in 64-bit arithmetic (row
// counts beyond 21 million would overflow 32 bits once multiplied by 100).
int ProgressPercent(qint64 done, qint64 total);

// The Index of the first and last loaded fix of one data set; 0 and 0 when
// the set loaded nothing.
struct ShownIndexRange {
    int32_t first = 0;
    int32_t last = 0;
    bool operator==(const ShownIndexRange&) const = default;
};

// The effort programs of DbGetEffortData.
inline constexpr int EffortProgramCount = 4; // PorpoiseEffort, WhistleEffort, QuintraEffort, ListeningEffort

class ShowDataReader {
public:
    // The shown-data window (start and end of the settings block).
    ShowDataReader(const platform::SystemTime& start, const platform::SystemTime& end, ReaderProgress progress = {});

    // Every data set of the survey (DbReadGpsDataSets order, the main track
    // first): its fixes inside the window. False when no database is open or
    // when a window edge is not a date (nothing loaded, the reason shown).
    bool DbLoadAllGpsData(GpsFixSink& sink);
    // One data set; true also when the query failed (shown, nothing loaded).
    bool DbLoadGpsData(const QString& table, int dataSet, GpsFixSink& sink);

    // One entry per data set loaded, however many there are.
    const std::vector<ShownIndexRange>& ShownGpsIndexRange() const { return m_ranges; }
    ShownIndexRange MainRange() const;
    // Fixes loaded by the last DbLoadAllGpsData, all data sets.
    qint64 FixesLoaded() const { return m_fixesLoaded; }

    bool DbLoadSpermData(DetectorEventSink& sink);
    bool DbLoadPorpoiseEvents(DetectorEventSink& sink);
    // Returns the number of list rows made.
    int DbLoadComments(CommentListSink& sink);
    void DbLoadHeardData(HeardSink& sink);
    // Program 0 PorpoiseEffort, 1 WhistleEffort, 2 QuintraEffort, 3
    // ListeningEffort; any other does nothing. firstFixIndex: the main
    // track's first loaded fix (nothing happens without one).
    void DbGetEffortData(int program, EffortSink& sink, std::optional<int32_t> firstFixIndex);

private:
    void Progress(qint64 done, qint64 total) const;
    void Status(const QString& text) const;
    QString RangeWhere(const char* gpsTimeColumn) const;
    QString EventQuery(const QString& table) const;

    platform::SystemTime m_start;
    platform::SystemTime m_end;
    ReaderProgress m_progress;
    std::vector<ShownIndexRange> m_ranges;
    qint64 m_fixesLoaded = 0;
};

// The PC times of the main track's first and last fix (GpsData, any status);
// nothing without an open survey or a fix with a readable time.
struct TrackTimeSpan {
    platform::SystemTime first;
    platform::SystemTime last;
};
std::optional<TrackTimeSpan> MainTrackTimeSpan();

// The species code of a stored click event: 1 "Sperm Whale", 2 "Dolphin"
// (trailing blanks ignored), else 0.
int32_t ClickSpeciesCode(const QString& stored);

} // namespace velmar::nav
