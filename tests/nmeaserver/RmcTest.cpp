#include "nmeaserver/RmcFix.h"

#include <gtest/gtest.h>

#include <string>

using namespace velmar::nmeaserver;

TEST(ParseRmc, FormsOfTheSentence)
{
    struct Row {
        const char* legend;
        QByteArray text;
        bool parsed;
        bool noTime;
        int time;
        int ms;
        int date;
        float course;
        char latHemisphere;
        bool valid;
    };
    const Row rows[] = {
        {"a full sentence", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A", true, false, 123519,
         0, 230394, 84.4f, 'N', true},
        {"an empty course", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,,230394,003.1,W*6A", true, false, 123519, 0,
         230394, 0.0f, 'N', true},
        {"an empty time", "$GPRMC,,A,4807.038,S,01131.000,E,022.4,084.4,230394,003.1,W*6A", true, true, 0, 0, 0, 84.4f,
         'S', true},
        {"no fix: empty position fields", "$GPRMC,123519,V,,,,,,,230394,,*6A", false, false, 0, 0, 0, 0.0f, 0, false},
        {"status V with a position", "$IIRMC,123519.25,V,4807.038,N,01131.000,E,022.4,084.4,230394,,", true, false,
         123519, 250, 230394, 84.4f, 'N', false},
        {"a name that is not five letters", "$RMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394", false, false, 0,
         0, 0, 0.0f, 'N', false},
        {"a time with neither course nor date", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,,", false, false, 0, 0, 0,
         0.0f, 'N', false},
        {"milliseconds rounded, never 1000", "$GPRMC,235959.9996,A,4807.038,N,01131.000,E,022.4,084.4,230394,,", true,
         false, 235959, 999, 230394, 84.4f, 'N', true},
        {"a long fraction", "$GPRMC,000000.0004999999999,A,4807.038,N,01131.000,E,022.4,084.4,230394,,", true, false, 0,
         0, 230394, 84.4f, 'N', true},
        {"speed nan", "$GPRMC,123519,A,4807.038,N,01131.000,E,nan,084.4,230394,,", false, false, 0, 0, 0, 0.0f, 'N',
         false},
        {"latitude inf", "$GPRMC,123519,A,inf,N,01131.000,E,022.4,084.4,230394,,", false, false, 0, 0, 0, 0.0f, 'N',
         false},
        {"course beyond a float", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,1e39,230394,,", false, false, 0, 0, 0,
         0.0f, 'N', false},
    };
    for (const Row& row : rows) {
        RmcFix fix = newRmcFix();
        EXPECT_EQ(ParseRmc(fix, row.text), row.parsed) << row.legend;
        if (!row.parsed)
            continue;
        EXPECT_EQ(fix.NoTime, row.noTime) << row.legend;
        if (!row.noTime) {
            EXPECT_EQ(fix.Time, row.time) << row.legend;
            EXPECT_EQ(fix.Milliseconds, row.ms) << row.legend;
            EXPECT_EQ(fix.Date, row.date) << row.legend;
        }
        EXPECT_FLOAT_EQ(fix.Course, row.course) << row.legend;
        EXPECT_EQ(fix.LatHemisphere[0], row.latHemisphere) << row.legend;
        EXPECT_EQ(fix.Valid, row.valid) << row.legend;
        EXPECT_FLOAT_EQ(fix.Latitude, 4807.038f) << row.legend;
        EXPECT_FLOAT_EQ(fix.Longitude, 1131.0f) << row.legend;
        EXPECT_FLOAT_EQ(fix.Speed, 22.4f) << row.legend;
    }
}
