#pragma once
// The fixes of each GPS data set as the map draws them: position in minutes,
// time, GPS index and validity side by side in one array, so a redraw of a
// long track reads memory in order instead of following the fix list node by
// node and converting every position again.
//
// The arrays follow the fix list by comparing each set's oldest and newest
// fix (GPS index and time) with theirs at every use: fixes the purge freed
// at the old end are dropped, new fixes at the newest end are added, and
// anything else reads the set again. Nothing here keeps a pointer to a fix
// beyond one call.
//
// User-interface thread only, like the fix lists.
#include <cstdint>
#include <vector>

namespace velmar::nav {
class GpsFixList;
struct GPSTHING;
} // namespace velmar::nav

namespace velmar::map {

struct TrackPoint {
    double latitude = 0;  // minutes
    double longitude = 0; // minutes
    int64_t milliseconds = 0;
    int32_t gpsIndex = 0;
    bool valid = false;
};

// The points of the fixes from `first` to the newest.
std::vector<TrackPoint> TrackPointsFrom(const nav::GPSTHING* first);

class TrackCache {
public:
    // The data set's points, brought in step with the list.
    const std::vector<TrackPoint>& Points(const nav::GpsFixList& list, int dataSet);
    // Every set is read again at its next use.
    void Invalidate() { m_sets.clear(); }
    // Number of data sets held.
    int DataSetCount() const { return int(m_sets.size()); }

private:
    struct Set {
        std::vector<TrackPoint> points;
        bool read = false;
    };
    std::vector<Set> m_sets;
};

} // namespace velmar::map
