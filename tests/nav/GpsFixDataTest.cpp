#include "nav/GpsFixData.h"

#include "platform/ProgramClock.h"

#include <gtest/gtest.h>

using namespace velmar::nav;
using velmar::platform::SystemTime;

namespace {

TEST(GpsFixData, ClearedFixCarriesTheProgramTimeAndNoHeadings)
{
    velmar::platform::RunMode = velmar::platform::RunModeOnline;
    const auto before = SystemTime::nowUtc().toTimePoint();
    const GpsFixData fix;
    EXPECT_GE(fix.programTime.toTimePoint(), before);
    EXPECT_EQ(fix.valid, 0);
    EXPECT_EQ(fix.latitude, 0.0f);
    EXPECT_EQ(fix.latitudeLetter, '\0');
    EXPECT_EQ(fix.statusLetter, '\0');
    EXPECT_EQ(fix.courseReference, 'T');
    EXPECT_EQ(fix.speedUnit, 'N');
    EXPECT_FALSE(fix.HasTrueHeading());
    EXPECT_FALSE(fix.HasMagHeading());
    EXPECT_EQ(fix.GetTrueHeading(), GpsFixData::NoHeading);
}

struct PositionCase {
    const char* legend;
    float nmea;
    char letter;
    double signedMinutes; // latitude
};

TEST(GpsFixData, SignedMinutesFromNmeaValuesAndLetters)
{
    const PositionCase cases[] = {
        {"north", 5105.123f, 'N', 51 * 60 + 5.123},
        {"south", 5105.123f, 'S', -(51 * 60 + 5.123)},
        {"cleared letter counts as south", 30.0f, '\0', -30.0},
        {"zero", 0.0f, 'N', 0.0},
    };
    for (const auto& c : cases) {
        GpsFixData fix{SystemTime{}};
        fix.latitude = c.nmea;
        fix.latitudeLetter = c.letter;
        fix.longitude = c.nmea;
        fix.longitudeLetter = c.letter == 'N' ? 'E' : 'W';
        EXPECT_NEAR(fix.GetLatitude(), c.signedMinutes, 1e-3) << c.legend;
        EXPECT_NEAR(fix.GetLongitude(),
                    c.signedMinutes == 0 ? 0 : (c.letter == 'N' ? 1 : -1) * std::abs(c.signedMinutes), 1e-3)
            << c.legend;
    }
}

TEST(GpsFixData, SettersRoundTripThroughSignedMinutes)
{
    GpsFixData fix{SystemTime{}};
    fix.SetLatitude(-33.5);
    fix.SetLongitude(151.25);
    EXPECT_EQ(fix.latitudeLetter, 'S');
    EXPECT_EQ(fix.longitudeLetter, 'E');
    EXPECT_NEAR(fix.latitude, 3330.0f, 1e-3);
    EXPECT_NEAR(fix.GetLatitude(), -33.5 * 60, 1e-3);
    EXPECT_NEAR(fix.GetLongitude(), 151.25 * 60, 1e-3);

    fix.SetPosition(57 * 60 + 30.5, -(4 * 60 + 0.25));
    EXPECT_EQ(fix.latitudeLetter, 'N');
    EXPECT_EQ(fix.longitudeLetter, 'W');
    EXPECT_NEAR(fix.latitude, 5730.5f, 1e-3);
    EXPECT_NEAR(fix.longitude, 400.25f, 1e-3);

    fix.SetPosition(0, 0);
    EXPECT_EQ(fix.latitudeLetter, 'S');
    EXPECT_EQ(fix.longitudeLetter, 'W');
}

TEST(GpsFixData, HeadingPrefersTrueThenMagneticThenCourse)
{
    GpsFixData fix{SystemTime{}};
    fix.SetCourse(90);
    EXPECT_EQ(fix.GetHeading(-5), 90);
    fix.SetMagHeading(100);
    EXPECT_EQ(fix.GetHeading(-5), 95);
    fix.SetTrueHeading(120);
    EXPECT_EQ(fix.GetHeading(-5), 120);
}

TEST(GpsFixData, SentenceTimeParts)
{
    GpsFixData fix{SystemTime{}};
    fix.sentenceTime = 235901;
    EXPECT_EQ(fix.SentenceHours(), 23);
    EXPECT_EQ(fix.SentenceMinutes(), 59);
    EXPECT_EQ(fix.SentenceSeconds(), 1);
}

} // namespace
