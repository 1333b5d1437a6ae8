#pragma once
// GpsFixList: the GPS fixes the main program holds in memory, one list per
// data set (set 0 is the table GpsData), oldest to newest, with the searches
// by Index and by program time and the purge by age.
//
// The list owns every GPSTHING it hands out; a pointer stays good until the
// purge frees that fix. Fixes live in blocks of a few thousand (a season's
// track is a million of them): a freed fix's place is reused, and once the
// lists are empty the blocks are filled again from the first. Whoever keeps such a pointer beyond one call (the
// map's ship fix, the recent detection lists) registers a free listener and
// lets go of the fix when told, so nothing points at a freed fix. The two
// search caches are cleared the same way.
//
// Ages are measured on a 64-bit monotonic millisecond clock (injected in
// tests). User-interface thread only; nothing is locked.
#include "nav/GpsFixData.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace velmar::nav {

class GpsFixList {
public:
    using TickNow = std::function<uint64_t()>;
    using FreeListener = std::function<void(const GPSTHING* fix)>;

    // On the steady clock of the machine.
    GpsFixList();
    explicit GpsFixList(TickNow tickNow);
    ~GpsFixList();
    GpsFixList(const GpsFixList&) = delete;
    GpsFixList& operator=(const GpsFixList&) = delete;

    // Copies the fix in as the newest of its data set (growing the lists to
    // hold the set), stamps the tick and, in show-data mode, the seconds from
    // the start of the shown period. Nothing for a negative set.
    GPSTHING* Append(const GpsFixData& fix, int32_t gpsIndex, int32_t dataSet);

    // Oldest / newest fix of a set; nothing beyond the lists or when empty.
    GPSTHING* First(int dataSet) const;
    GPSTHING* Last(int dataSet) const;
    // Number of data sets the lists hold (the largest set seen + 1).
    int DataSetCount() const { return int(m_oldest.size()); }

    // The fix of a set whose Index equals index; nothing when absent.
    // Searches for rising indexes of one set go on from the last one found.
    GPSTHING* FindByIndex(int32_t index, int dataSet);
    // The fix in effect at a program time: the last fix at or before it.
    // Nothing before the oldest fix or after the newest.
    GPSTHING* FindByTime(const platform::SystemTime& time, int dataSet);

    // Frees the fixes of every set that are superseded by a fix at least
    // ageMs old, so the track still reaches back to the edge of the window;
    // the newest fix of a set is always kept. ageMs 0 frees everything.
    // Returns how many were freed.
    int Purge(uint64_t ageMs);

    // Start of the shown period (show-data mode), for the fixes' seconds.
    void SetShowPeriodStart(const platform::SystemTime& start) { m_showStart = start; }

    int AddFreeListener(FreeListener listener);
    void RemoveFreeListener(int id);

private:
    struct SearchCache {
        GPSTHING* fix = nullptr;
        int dataSet = -1;
    };

    static constexpr std::size_t BlockSize = 8192;

    GPSTHING* NewNode();
    void Free(GPSTHING* fix);

    TickNow m_tickNow;
    std::vector<GPSTHING*> m_oldest;
    std::vector<GPSTHING*> m_newest;
    SearchCache m_indexCache;
    int32_t m_lastIndex = 0;
    SearchCache m_timeCache;
    platform::SystemTime m_lastTime;
    platform::SystemTime m_showStart;
    std::vector<std::unique_ptr<GPSTHING[]>> m_blocks;
    std::size_t m_block = 0; // the block being filled
    std::size_t m_usedInBlock = 0;
    GPSTHING* m_freeNodes = nullptr; // chained through newer
    std::size_t m_liveNodes = 0;
    std::map<int, FreeListener> m_freeListeners;
    int m_nextListener = 1;
};

// Milliseconds of the machine's monotonic clock, the clock of fix ages.
uint64_t MonotonicMilliseconds();

// The program's fix lists, for the whole run.
GpsFixList& TheGpsFixList();

// The program's fix lists under the names the rest of the program uses.
GPSTHING* GetFirstGpsFix(int dataSet);
GPSTHING* GetLastGpsFix(int dataSet);
GPSTHING* FindGpsFixByIndex(int32_t index, int dataSet);
GPSTHING* FindGpsFixByTime(const platform::SystemTime& time, int dataSet);
int PurgeGpsFixes(uint64_t ageMs);

} // namespace velmar::nav
