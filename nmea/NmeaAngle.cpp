#include "nmea/NmeaAngle.h"

#include <cmath>

namespace velmar::nmea {

namespace {
constexpr float DegreesPerHundred = 0.01f;
constexpr float HundredPerDegree = 100.0f;
constexpr float LargestDegrees = 360.0f;

// A value that is no number or beyond any angle splits into nothing (0 and
// 0) rather than into a wrapped count of degrees.
bool isAngle(float scaled)
{
    return std::isfinite(scaled) && std::fabs(scaled) <= LargestDegrees;
}
} // namespace

int32_t NmeaDegrees(float value)
{
    const float scaled = value * DegreesPerHundred;
    if (!isAngle(scaled))
        return 0;
    return static_cast<int32_t>(scaled);
}

float NmeaMinutes(float value)
{
    if (!isAngle(value * DegreesPerHundred))
        return 0.0f;
    return value - HundredPerDegree * static_cast<float>(NmeaDegrees(value));
}

} // namespace velmar::nmea
