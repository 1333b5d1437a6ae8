#include "nmea/NmeaAngle.h"

namespace velmar::nav {

namespace {
constexpr float DegreesPerHundred = 0.01f;
constexpr float HundredPerDegree = 100.0f;
}

int32_t NmeaDegrees(float value)
{
    const float scaled = value * DegreesPerHundred;
    return static_cast<int32_t>(scaled);
}

float NmeaMinutes(float value)
{
    return value - HundredPerDegree * static_cast<float>(NmeaDegrees(value));
}

} // namespace velmar::nav
