#pragma once
// Fixes for the map's tests: a fix list of its own filled with positions in
// minutes, one fix per call, numbered from 1.
#include "nav/GpsFixList.h"

#include <chrono>

namespace maptest {

class FixListBuilder {
public:
    explicit FixListBuilder(velmar::nav::GpsFixList::TickNow tickNow = [] { return uint64_t(0); })
        : m_list(std::move(tickNow))
    {
    }
    // latitude and longitude in minutes; seconds after a fixed start.
    FixListBuilder& Add(double latitude, double longitude, int64_t seconds, bool valid = true, int dataSet = 0)
    {
        using namespace std::chrono;
        const auto start = sys_days{year{2025} / 6 / 1} + hours{8};
        velmar::nav::GpsFixData fix(
            velmar::platform::SystemTime::fromTimePoint(time_point_cast<milliseconds>(start + seconds * 1s)));
        fix.SetPosition(latitude, longitude);
        fix.SetTrueHeading(m_heading);
        fix.valid = valid ? 1 : 0;
        m_list.Append(fix, ++m_index, dataSet);
        return *this;
    }
    // The true heading of the fixes added from now on.
    FixListBuilder& Heading(float degrees)
    {
        m_heading = degrees;
        return *this;
    }
    const velmar::nav::GPSTHING* First(int dataSet = 0) const { return m_list.First(dataSet); }
    velmar::nav::GpsFixList& List() { return m_list; }

private:
    velmar::nav::GpsFixList m_list;
    int32_t m_index = 0;
    float m_heading = velmar::nav::GpsFixData::NoHeading;
};

} // namespace maptest
