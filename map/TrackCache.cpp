#include "map/TrackCache.h"

#include "nav/GpsFixList.h"

#include <algorithm>

namespace velmar::map {

namespace {

TrackPoint PointOf(const nav::GPSTHING& t)
{
    TrackPoint p;
    p.latitude = t.fix.GetLatitude();
    p.longitude = t.fix.GetLongitude();
    p.milliseconds = t.fix.programTime.toTimePoint().time_since_epoch().count();
    p.gpsIndex = t.Index;
    p.valid = t.fix.valid != 0;
    return p;
}

bool SameFix(const TrackPoint& p, const nav::GPSTHING& t)
{
    return p.gpsIndex == t.Index && p.milliseconds == t.fix.programTime.toTimePoint().time_since_epoch().count();
}

} // namespace

std::vector<TrackPoint> TrackPointsFrom(const nav::GPSTHING* first)
{
    std::size_t count = 0;
    for (const nav::GPSTHING* t = first; t; t = t->newer)
        ++count;
    std::vector<TrackPoint> points;
    points.reserve(count);
    for (const nav::GPSTHING* t = first; t; t = t->newer)
        points.push_back(PointOf(*t));
    return points;
}

const std::vector<TrackPoint>& TrackCache::Points(const nav::GpsFixList& list, int dataSet)
{
    if (int(m_sets.size()) <= dataSet)
        m_sets.resize(std::size_t(dataSet) + 1);
    Set& set = m_sets[std::size_t(dataSet)];
    const nav::GPSTHING* first = list.First(dataSet);
    const nav::GPSTHING* last = list.Last(dataSet);
    if (!set.read || set.points.empty() || !first) {
        set.points = TrackPointsFrom(first);
        set.read = true;
        return set.points;
    }
    // The purge frees the oldest fixes: those points go from the front.
    if (!SameFix(set.points.front(), *first)) {
        const auto kept = std::find_if(set.points.begin(), set.points.end(),
                                       [first](const TrackPoint& p) { return SameFix(p, *first); });
        if (kept == set.points.end()) {
            set.points = TrackPointsFrom(first);
            return set.points;
        }
        set.points.erase(set.points.begin(), kept);
    }
    // Fixes come only at the newest end: find the newest one held and add those after it.
    std::vector<const nav::GPSTHING*> added;
    const nav::GPSTHING* t = last;
    for (; t && !SameFix(set.points.back(), *t); t = t->older)
        added.push_back(t);
    if (!t) {
        set.points = TrackPointsFrom(first);
        return set.points;
    }
    std::for_each(added.rbegin(), added.rend(), [&](const nav::GPSTHING* a) { set.points.push_back(PointOf(*a)); });
    return set.points;
}

} // namespace velmar::map
