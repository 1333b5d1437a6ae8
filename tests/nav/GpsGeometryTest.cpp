// Range, bearing and projection against values worked by hand, position
// texts, and the placing of detections along a track, across the date line.
#include "nav/GpsFixList.h"
#include "nav/GpsGeometry.h"

#include <gtest/gtest.h>

using namespace velmar::nav;
using velmar::platform::SystemTime;

namespace {

GpsFixData fixDegrees(double latitude, double longitude, const SystemTime& time = {})
{
    GpsFixData fix{time};
    fix.valid = 1;
    fix.SetLatitude(latitude);
    fix.SetLongitude(longitude);
    return fix;
}

TEST(GpsGeometry, DistancesAndBearings)
{
    struct Case {
        const char* legend;
        double lat1, lon1, lat2, lon2;
        double distance; // nautical miles
        double bearing;  // from 1 to 2
    } cases[] = {
        {"one degree north", 0, 0, 1, 0, 60, 0},
        {"one degree east at the equator", 0, 0, 0, 1, 60, 90},
        {"one degree west at 60N", 60, 0, 60, -1, 30, 270},
        {"south-east", 10, 10, 9.9, 10.1, 8.4217, 135.434},
        {"east across the date line", 0, 179.5, 0, -179.5, 60, 90},
        {"west across the date line", -40, -179.9, -40, 179.9, 9.1925, 270},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(TrackDistanceNm(c.lat2, c.lon2, c.lat1, c.lon1), c.distance, 2e-3) << c.legend;
        EXPECT_NEAR(TrackDistanceMetres(c.lat1, c.lon1, c.lat2, c.lon2), c.distance * 1852, 4) << c.legend;
        const GpsFixData from = fixDegrees(c.lat1, c.lon1);
        const GpsFixData to = fixDegrees(c.lat2, c.lon2);
        double bearing = -1;
        EXPECT_NEAR(GpsRangeBearing(&from, &to, &bearing), c.distance, 2e-3) << c.legend;
        EXPECT_NEAR(bearing, c.bearing, 0.01) << c.legend;
        double course = -1;
        EXPECT_NEAR(GpsLegDistance(to, from, &course), c.distance, 2e-3) << c.legend;
        EXPECT_NEAR(course, c.bearing, 0.01) << c.legend;
    }
    double untouched = 5;
    const GpsFixData any = fixDegrees(1, 1);
    EXPECT_EQ(GpsRangeBearing(nullptr, &any, &untouched), 0);
    EXPECT_EQ(untouched, 5);
}

TEST(GpsGeometry, Projection)
{
    struct Case {
        const char* legend;
        DetectionPosition from;
        double range, bearing;
        DetectionPosition to;
    } cases[] = {
        {"north", {0, 0}, 60, 0, {1, 0}},
        {"east at 60N", {60, 0}, 30, 90, {60, 1}},
        {"south-west", {-10, 20}, 6, 225, {-10.070711, 19.928199}},
        {"east over the date line", {0, 179.9}, 12, 90, {0, -179.9}},
        {"west over the date line", {0, -179.95}, 6, 270, {0, 179.95}},
    };
    for (const auto& c : cases) {
        const DetectionPosition p = ProjectPosition(c.from, c.range, c.bearing);
        EXPECT_NEAR(p.latitude, c.to.latitude, 1e-6) << c.legend;
        EXPECT_NEAR(p.longitude, c.to.longitude, 1e-6) << c.legend;
    }
}

TEST(GpsGeometry, HeadingsTurnTheShortWay)
{
    EXPECT_NEAR(InterpolateHeading(350, 10, 0.5), 0, 1e-9);
    EXPECT_NEAR(InterpolateHeading(10, 350, 0.25), 5, 1e-9);
    EXPECT_NEAR(InterpolateHeading(90, 270, 0), 90, 1e-9);
    EXPECT_NEAR(InterpolateHeading(100, 200, 0.5), 150, 1e-9);
    EXPECT_NEAR(InterpolateHeading(-20, 20, 1), 20, 1e-9);
}

TEST(GpsGeometry, PositionTexts)
{
    GpsFixData fix{SystemTime{}};
    fix.latitude = 5105.123f;
    fix.latitudeLetter = 'N';
    fix.longitude = 17959.9999f;
    fix.longitudeLetter = 'W';
    EXPECT_EQ(GpsFixData::FormatLatitudeText(fix), QString::fromUtf8("51°05.123´N"));
    EXPECT_EQ(GpsFixData::FormatLongitudeText(fix), QString::fromUtf8("180°00.000´W"));
    EXPECT_EQ(GpsFixData::FormatLatitudeText(GpsFixData{SystemTime{}}), QString::fromUtf8("00°00.000´"));
    EXPECT_EQ(FormatLongitude(-0.5), QString::fromUtf8("00°30.000´W"));
    EXPECT_EQ(FormatLatitude(0), QString::fromUtf8("00°00.000´S"));
    EXPECT_EQ(FormatLongitude(0), QString::fromUtf8("00°00.000´W"));
    EXPECT_EQ(FormatLongitude(151.25), QString::fromUtf8("151°15.000´E"));
    EXPECT_EQ(FormatLatitude(-33.999999), QString::fromUtf8("34°00.000´S"));
    fix.sentenceTime = 90501;
    EXPECT_EQ(GpsFixData::FormatSentenceTime(fix), QStringLiteral("09:05:01"));
}

SystemTime at(int second)
{
    SystemTime t;
    t.wYear = 2026;
    t.wMonth = 12;
    t.wDay = 10;
    t.wHour = 12;
    t.wSecond = uint16_t(second);
    return t;
}

struct LocateCase {
    const char* legend;
    int bearingType;
    DetectionPosition expected;
    DetectionPosition second;
};

TEST(GpsGeometry, LocateByBearingType)
{
    GpsFixList list{[] { return uint64_t(1); }};
    GpsFixData ship = fixDegrees(0, 179.99);
    ship.SetCourse(90); // heading from the course: no heading sentences
    const GPSTHING* fix = list.Append(ship, 1, 0);
    const double variation = -10;
    // One mile at 30 degrees true from the ship, and the bearings the other
    // types turn 30 into.
    const auto along = [&](double bearing) { return ProjectPosition({0, 179.99}, 1, bearing); };
    const LocateCase cases[] = {
        {"true", BearingTrue, along(30), along(30)},
        {"magnetic", BearingMagnetic, along(20), along(20)},
        {"relative", BearingRelative, along(120), along(120)},
        {"relative, either side", BearingRelativeEither, along(120), along(60)},
        {"fixed", BearingFixed, along(30), along(30)},
    };
    for (const auto& c : cases) {
        DetectionPosition second;
        const DetectionPosition p = GpsLocateDetection(fix, nullptr, 0, 1.0, 30.0, c.bearingType, variation, &second);
        EXPECT_NEAR(p.latitude, c.expected.latitude, 1e-4) << c.legend;
        EXPECT_NEAR(p.longitude, c.expected.longitude, 1e-4) << c.legend;
        EXPECT_NEAR(second.latitude, c.second.latitude, 1e-4) << c.legend;
        EXPECT_NEAR(second.longitude, c.second.longitude, 1e-4) << c.legend;
    }
    // The relative bearing of 120 crosses the date line.
    EXPECT_LT(along(120).longitude, -179.9);

    // Without range or bearing, the ship's position; without a fix, 0,0.
    DetectionPosition second{5, 5};
    const DetectionPosition p = GpsLocateDetection(fix, nullptr, 0, std::nullopt, 30.0, 4, variation, &second);
    EXPECT_NEAR(p.longitude, 179.99, 1e-4);
    EXPECT_NEAR(second.longitude, 179.99, 1e-4);
    const DetectionPosition none = GpsLocateDetection(nullptr, nullptr, 0, 1.0, 30.0, 1, 0);
    EXPECT_EQ(none.latitude, 0);
    EXPECT_EQ(none.longitude, 0);
}

TEST(GpsGeometry, LocateAtATimeAndAsternAcrossTheDateLine)
{
    // Eastward along the equator across the 180th meridian, 0.1 degree (6
    // miles) every 10 s; the heading swings from 350 through north to 10.
    GpsFixList list{[] { return uint64_t(1); }};
    const double longitudes[] = {179.8, 179.9, -180.0, -179.9};
    const double headings[] = {340, 350, 10, 20};
    GPSTHING* fix = nullptr;
    for (int i = 0; i < 4; ++i) {
        GpsFixData f = fixDegrees(0, longitudes[i], at(10 * i));
        f.SetTrueHeading(float(headings[i]));
        fix = list.Append(f, i + 1, 0);
    }
    const GPSTHING* newest = fix;
    const GPSTHING* oldest = list.First(0);
    SystemTime beforeTrack = at(0);
    beforeTrack.wHour = 11;
    beforeTrack.wMinute = 59;

    struct Case {
        const char* legend;
        const GPSTHING* fix;
        std::optional<SystemTime> time;
        double astern;    // miles
        double longitude; // of the result
        double heading;   // of the result, through a relative bearing of 0
    } cases[] = {
        {"at a fix", newest, std::nullopt, 0, -179.9, 20},
        {"half way, over the line", oldest, at(15), 0, 179.95, 0},
        {"three miles astern of the newest", newest, std::nullopt, 3, -179.95, 15},
        {"astern from a time, back over the line", newest, at(25), 7.5, 179.925, 355},
        {"astern beyond the track", newest, std::nullopt, 100, 179.8, 340},
        {"time before the track", newest, beforeTrack, 0, 179.8, 340},
    };
    for (const auto& c : cases) {
        const SystemTime* time = c.time ? &*c.time : nullptr;
        DetectionPosition p = GpsLocateDetection(c.fix, time, c.astern, std::nullopt, std::nullopt, 3, 0);
        EXPECT_NEAR(p.latitude, 0, 1e-9) << c.legend;
        EXPECT_NEAR(p.longitude, c.longitude, 1e-4) << c.legend;
        // A detection dead ahead shows the heading used.
        const DetectionPosition ahead = GpsLocateDetection(c.fix, time, c.astern, 10.0, 0.0, BearingRelative, 0);
        double bearing = 0;
        GpsFixData from = fixDegrees(p.latitude, p.longitude), to = fixDegrees(ahead.latitude, ahead.longitude);
        GpsRangeBearing(&from, &to, &bearing);
        EXPECT_NEAR(std::remainder(bearing - c.heading, 360.0), 0, 0.05) << c.legend;
    }
}

} // namespace
