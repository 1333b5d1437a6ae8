#include "nav/GpsFixList.h"

#include "platform/RunMode.h"
#include "platform/DateTimeText.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

namespace velmar::nav {

namespace {

double secondsBetween(const GPSTHING* fix, const platform::SystemTime& time)
{
    return platform::SecondsBetween(fix->fix.programTime, time);
}

} // namespace

uint64_t MonotonicMilliseconds()
{
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

GpsFixList::GpsFixList() : GpsFixList(MonotonicMilliseconds)
{
}

GpsFixList::GpsFixList(TickNow tickNow) : m_tickNow(std::move(tickNow))
{
}

GpsFixList::~GpsFixList() = default;

GPSTHING* GpsFixList::NewNode()
{
    GPSTHING* node = m_freeNodes;
    if (node) {
        m_freeNodes = node->newer;
    } else {
        if (m_usedInBlock == BlockSize) {
            ++m_block;
            m_usedInBlock = 0;
        }
        if (m_block == m_blocks.size())
            m_blocks.push_back(std::make_unique<GPSTHING[]>(BlockSize));
        node = &m_blocks[m_block][m_usedInBlock++];
    }
    *node = GPSTHING{};
    ++m_liveNodes;
    return node;
}

GPSTHING* GpsFixList::Append(const GpsFixData& fix, int32_t gpsIndex, int32_t dataSet)
{
    if (dataSet < 0)
        return nullptr;
    if (std::size_t(dataSet) >= m_oldest.size()) {
        m_oldest.resize(std::size_t(dataSet) + 1, nullptr);
        m_newest.resize(std::size_t(dataSet) + 1, nullptr);
    }
    GPSTHING* node = NewNode();
    node->fix = fix;
    node->Index = gpsIndex;
    node->dataSet = dataSet;
    node->tickCount = m_tickNow();
    if (platform::RunMode == platform::RunModeShowData) {
        // A stored fix decades from the shown start (a damaged time) is as far
        // as the count goes, not a wrapped one.
        const double seconds = platform::SecondsBetween(fix.programTime, m_showStart);
        node->secondsFromShowStart = std::isfinite(seconds)
                                       ? int32_t(std::clamp(seconds, double(std::numeric_limits<int32_t>::min()),
                                                            double(std::numeric_limits<int32_t>::max())))
                                       : 0;
    }

    GPSTHING*& newest = m_newest[std::size_t(dataSet)];
    node->older = newest;
    if (newest)
        newest->newer = node;
    else
        m_oldest[std::size_t(dataSet)] = node;
    newest = node;
    return node;
}

GPSTHING* GpsFixList::First(int dataSet) const
{
    return dataSet >= 0 && std::size_t(dataSet) < m_oldest.size() ? m_oldest[std::size_t(dataSet)] : nullptr;
}

GPSTHING* GpsFixList::Last(int dataSet) const
{
    return dataSet >= 0 && std::size_t(dataSet) < m_newest.size() ? m_newest[std::size_t(dataSet)] : nullptr;
}

GPSTHING* GpsFixList::FindByIndex(int32_t index, int dataSet)
{
    GPSTHING* fix = First(dataSet);
    if (m_indexCache.fix && index >= m_lastIndex && dataSet == m_indexCache.dataSet)
        fix = m_indexCache.fix;
    m_lastIndex = index;
    for (; fix; fix = fix->newer) {
        if (fix->Index == index) {
            m_indexCache = {fix, dataSet};
            return fix;
        }
    }
    return nullptr;
}

GPSTHING* GpsFixList::FindByTime(const platform::SystemTime& time, int dataSet)
{
    GPSTHING* newest = Last(dataSet);
    if (!newest || secondsBetween(newest, time) < 0)
        return nullptr;
    GPSTHING* fix = First(dataSet);
    if (secondsBetween(fix, time) > 0)
        return nullptr;
    if (m_timeCache.fix && dataSet == m_timeCache.dataSet && platform::SecondsBetween(time, m_lastTime) >= 0
        && secondsBetween(m_timeCache.fix, time) <= 0)
        fix = m_timeCache.fix;
    m_lastTime = time;
    // The last fix at or before the time; at the newest fix's own time that
    // is the newest fix.
    while (fix->newer && secondsBetween(fix->newer, time) <= 0)
        fix = fix->newer;
    m_timeCache = {fix, dataSet};
    return fix;
}

int GpsFixList::Purge(uint64_t ageMs)
{
    const uint64_t now = m_tickNow();
    if (ageMs != 0 && ageMs >= now)
        return 0;
    int freed = 0;
    for (std::size_t set = 0; set < m_oldest.size(); ++set) {
        GPSTHING* fix = m_oldest[set];
        while (fix && (ageMs == 0 || (fix->newer && now - fix->newer->tickCount >= ageMs))) {
            GPSTHING* next = fix->newer;
            Free(fix);
            fix = next;
            ++freed;
        }
        m_oldest[set] = fix;
        if (fix)
            fix->older = nullptr;
        else
            m_newest[set] = nullptr;
    }
    // Emptied: the blocks are filled again from the first (a reload of the
    // shown data takes the same memory).
    if (m_liveNodes == 0) {
        m_block = 0;
        m_usedInBlock = 0;
        m_freeNodes = nullptr;
    }
    return freed;
}

void GpsFixList::Free(GPSTHING* fix)
{
    if (m_indexCache.fix == fix)
        m_indexCache = {};
    if (m_timeCache.fix == fix)
        m_timeCache = {};
    for (const auto& [id, listener] : m_freeListeners)
        listener(fix);
    fix->newer = m_freeNodes;
    m_freeNodes = fix;
    --m_liveNodes;
}

int GpsFixList::AddFreeListener(FreeListener listener)
{
    const int id = m_nextListener++;
    m_freeListeners.emplace(id, std::move(listener));
    return id;
}

void GpsFixList::RemoveFreeListener(int id)
{
    m_freeListeners.erase(id);
}

GpsFixList& TheGpsFixList()
{
    static GpsFixList list;
    return list;
}

GPSTHING* GetFirstGpsFix(int dataSet)
{
    return TheGpsFixList().First(dataSet);
}

GPSTHING* GetLastGpsFix(int dataSet)
{
    return TheGpsFixList().Last(dataSet);
}

GPSTHING* FindGpsFixByIndex(int32_t index, int dataSet)
{
    return TheGpsFixList().FindByIndex(index, dataSet);
}

GPSTHING* FindGpsFixByTime(const platform::SystemTime& time, int dataSet)
{
    return TheGpsFixList().FindByTime(time, dataSet);
}

int PurgeGpsFixes(uint64_t ageMs)
{
    return TheGpsFixList().Purge(ageMs);
}

} // namespace velmar::nav
