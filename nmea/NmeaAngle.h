#pragma once
// The two halves of an NMEA angle written as ddmm.mmm or dddmm.mmm (degrees
// x 100 + minutes), as the sentences carry latitudes and longitudes.
//
// Pure functions; safe from any thread. The arithmetic is single precision on
// purpose: the programs that show these values were built on it, and the same
// input must split the same way everywhere.
#include <cstdint>

namespace velmar::nmea {

// Whole degrees: value x 0.01, cut toward zero. A value that is no number
// (NaN, infinite) or more than 360 degrees splits into 0 degrees, 0 minutes.
int32_t NmeaDegrees(float value);

// Minutes: value - 100 x NmeaDegrees(value).
float NmeaMinutes(float value);

} // namespace velmar::nmea
