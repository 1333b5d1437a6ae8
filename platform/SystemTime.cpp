#include "SystemTime.h"

#include "RecordIO.h"

namespace velmar::platform {

using namespace std::chrono;

std::array<uint8_t, SystemTime::ByteSize> SystemTime::toBytes() const
{
    const uint16_t fields[8] = {wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds};
    std::array<uint8_t, ByteSize> out{};
    for (int i = 0; i < 8; ++i)
        storeLe(out.data() + 2 * i, fields[i]);
    return out;
}

std::optional<SystemTime> SystemTime::fromBytes(const uint8_t* data, std::size_t size)
{
    if (!data || size < ByteSize)
        return std::nullopt;
    uint16_t f[8];
    for (int i = 0; i < 8; ++i)
        f[i] = loadLe<uint16_t>(data + 2 * i);
    return SystemTime{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]};
}

sys_time<milliseconds> SystemTime::toTimePoint() const
{
    const year_month_day ymd{year{int(wYear)}, month{wMonth}, day{wDay}};
    return sys_days{ymd} + hours{wHour} + minutes{wMinute} + seconds{wSecond} + milliseconds{wMilliseconds};
}

SystemTime SystemTime::fromTimePoint(sys_time<milliseconds> t)
{
    const sys_days d = floor<days>(t);
    const year_month_day ymd{d};
    const hh_mm_ss<milliseconds> hms{t - d};
    SystemTime st;
    st.wYear = uint16_t(int(ymd.year()));
    st.wMonth = uint16_t(unsigned(ymd.month()));
    st.wDay = uint16_t(unsigned(ymd.day()));
    st.wDayOfWeek = uint16_t(weekday{d}.c_encoding());
    st.wHour = uint16_t(hms.hours().count());
    st.wMinute = uint16_t(hms.minutes().count());
    st.wSecond = uint16_t(hms.seconds().count());
    st.wMilliseconds = uint16_t(hms.subseconds().count());
    return st;
}

SystemTime SystemTime::nowUtc()
{
    return fromTimePoint(time_point_cast<milliseconds>(system_clock::now()));
}

bool SystemTime::isValid() const
{
    const year_month_day ymd{year{int(wYear)}, month{wMonth}, day{wDay}};
    return ymd.ok() && wHour < 24 && wMinute < 60 && wSecond < 60 && wMilliseconds < 1000;
}

} // namespace velmar::platform
