#include "nmea/NmeaAngle.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace velmar::nmea;

TEST(NmeaAngle, SplitsDegreesAndMinutes)
{
    struct Row {
        float value;
        int degrees;
        float minutes;
    };
    const Row rows[] = {
        {4807.038f, 48, 7.038f}, {1131.000f, 11, 31.0f},   {5124.000f, 51, 24.0f}, {17959.999f, 179, 59.999f},
        {59.5f, 0, 59.5f},       {0.0f, 0, 0.0f},          {-130.5f, -1, -30.5f}, // cut toward zero, not floored
        {36000.0f, 360, 0.0f},   {std::nanf(""), 0, 0.0f}, // no wrapped count of degrees from a value that is none
        {INFINITY, 0, 0.0f},     {-INFINITY, 0, 0.0f},     {1e30f, 0, 0.0f},       {-3e9f, 0, 0.0f},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(NmeaDegrees(r.value), r.degrees) << r.value;
        EXPECT_NEAR(NmeaMinutes(r.value), r.minutes, 0.002f) << r.value;
    }
}
