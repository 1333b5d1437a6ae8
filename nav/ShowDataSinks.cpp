#include "nav/ShowDataSinks.h"

#include "nav/GpsFixList.h"
#include "nav/RecentLists.h"

namespace velmar::nav {

namespace {
constexpr int kMainTrack = 0;
}

ProgramFixSink::ProgramFixSink(const platform::SystemTime& showStart) : m_showStart(showStart)
{
}

void ProgramFixSink::ClearGpsFixes()
{
    nav::ClearGpsFixes();
    TheGpsFixList().SetShowPeriodStart(m_showStart);
}

void ProgramFixSink::AddFix(const GpsFixData& fix, int32_t index, int dataSet)
{
    TheGpsFixList().Append(fix, index, dataSet);
}

bool ProgramEventSink::AddClickEvent(const NewRCEventRecord& record, int32_t gpsIndex)
{
    GPSTHING* fix = FindGpsFixByIndex(gpsIndex, kMainTrack);
    if (!fix)
        return false;
    NewRCEvent(record, fix);
    return true;
}

void ProgramEventSink::AddPorpoiseEvent(const PorpoiseEventRecord& record, int32_t gpsIndex)
{
    NewPorpoiseEvent(record, FindGpsFixByIndex(gpsIndex, kMainTrack));
}

void ClearGpsFixes()
{
    PurgeGpsFixes(0);
}
void ClearRCEvents()
{
    PurgeRCEvents(0);
}
void ClearPorpoiseEvents()
{
    PurgePorpoiseEvents(0);
}

} // namespace velmar::nav
