#pragma once
// The length and duration of the ship's track, in total and split by the
// effort state of the effort source: what the "Effort Statistics" dialog
// shows and copies.
//
// Pure functions, callable from any thread.
#include "nav/GpsFixData.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace velmar::nav {

// A leg this long or longer is a gap in the track and counts nowhere.
inline constexpr double StatisticsGapSeconds = 300.0;
inline constexpr double KmPerNauticalMile = 1.852;

// One stored fix of the track (data set 0), oldest first.
struct TrackPoint {
    int32_t index = 0; // Index in GpsData
    GpsFixData fix;
};

// One change of effort on the effort line: from the fix after gpsIndex on,
// the track belongs to category.
struct EffortMark {
    int32_t gpsIndex = 0;
    int category = 0;
};

struct TrackAmount {
    QString name;
    double miles = 0; // nautical miles
    double seconds = 0;
};

struct TrackStatistics {
    TrackAmount total;                   // "Total Track"
    std::vector<TrackAmount> categories; // empty without a breakdown
};

// The category names of a detector effort source (0 porpoise, 1 whistle,
// 2 click, 3 Listening): "Unknown", "%s On Effort", "%s Half Effort",
// "%s Off Effort"; empty for other sources.
QStringList DetectorEffortCategories(int sourceIndex);
// The names of a user form's effort control: one per lookup entry after the
// first, or On and Off with the control's name when it has no lookup.
QStringList FormEffortCategories(const QString& controlName, const QStringList& lookupEntries, bool isLookup);

// The total over all legs and, when categories are given, the split by the
// effort line (a leg that crosses a change counts for the state before it;
// the track before the first change is category 0).
TrackStatistics ComputeTrackStatistics(const std::vector<TrackPoint>& track, const std::vector<EffortMark>& effort,
                                       const QStringList& categories);

// The table as tab-separated text: heading, total and one line per category.
QString StatisticsClipboardText(const TrackStatistics& statistics);
// The three shown texts of an amount: miles, km ("%5.1f") and the duration.
QStringList StatisticsTexts(const TrackAmount& amount);

} // namespace velmar::nav
