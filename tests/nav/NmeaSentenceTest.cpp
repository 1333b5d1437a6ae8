// RMC and GGA sentences as receivers send them, with and without a fix, and
// the courses and speeds the parsers take from the previous fix.
#include "nav/NmeaSentence.h"

#include "NmeaTestSentences.h"

#include <gtest/gtest.h>

using namespace velmar::nav;
using velmar::navtest::withChecksum;
using velmar::nmea::NmeaChecksumOk;
using velmar::platform::SystemTime;

namespace {

struct SentenceCase {
    const char* legend;
    const char* sentence; // checksum added unless it has one
    bool read;
    uint8_t valid = 0;
    char status = 0;
    int16_t code = 0;
    uint8_t noTime = 0;
    int32_t time = 0;
    float latitude = 0;
    char latLetter = 0;
    float longitude = 0;
    char lonLetter = 0;
    float speed = 0;
    float course = 0;
};

void expectFix(const SentenceCase& c, bool read, const GpsFixData& fix)
{
    ASSERT_EQ(read, c.read) << c.legend;
    if (!c.read)
        return;
    EXPECT_EQ(fix.valid, c.valid) << c.legend;
    EXPECT_EQ(fix.statusLetter, c.status) << c.legend;
    EXPECT_EQ(fix.statusCode, c.code) << c.legend;
    EXPECT_EQ(fix.noTime, c.noTime) << c.legend;
    EXPECT_EQ(fix.sentenceTime, c.time) << c.legend;
    EXPECT_FLOAT_EQ(fix.latitude, c.latitude) << c.legend;
    EXPECT_EQ(fix.latitudeLetter, c.latLetter) << c.legend;
    EXPECT_FLOAT_EQ(fix.longitude, c.longitude) << c.legend;
    EXPECT_EQ(fix.longitudeLetter, c.lonLetter) << c.legend;
    EXPECT_FLOAT_EQ(fix.speed, c.speed) << c.legend;
    EXPECT_FLOAT_EQ(fix.course, c.course) << c.legend;
    EXPECT_EQ(fix.courseReference, 'T') << c.legend;
    EXPECT_EQ(fix.speedUnit, 'N') << c.legend;
}

QByteArray sentenceOf(const SentenceCase& c)
{
    const QByteArray s(c.sentence);
    return s.contains('*') ? s : withChecksum(s);
}

TEST(NmeaSentence, RmcTable)
{
    const SentenceCase cases[] = {
        {"valid fix", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W", true, 1, 'A', 0, 0, 123519,
         4807.038f, 'N', 1131.0f, 'E', 22.4f, 84.4f},
        {"fraction of a second dropped, mode field", "$GPRMC,235959.75,A,5105.123,S,00030.000,W,0.5,359.9,101226,,,A",
         true, 1, 'A', 0, 0, 235959, 5105.123f, 'S', 30.0f, 'W', 0.5f, 359.9f},
        {"empty time", "$GPRMC,,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W", true, 1, 'A', 0, 1, 0, 4807.038f,
         'N', 1131.0f, 'E', 22.4f, 84.4f},
        {"V with a position", "$GPRMC,123519,V,4807.038,N,01131.000,E,0.0,0.0,230394,,", true, 0, 'V', 3, 0, 123519,
         4807.038f, 'N', 1131.0f, 'E', 0, 0},
        {"no fix, fields empty", "$GPRMC,,V,,,,,,,,,,N", true, 0, 'V', 3, 1, 0},
        {"no fix with time", "$GPRMC,081836,V,,,,,,,130998,,", true, 0, 'V', 3, 0, 81836},
        {"other status letter", "$GPRMC,123519,X,4807.038,N,01131.000,E,1.0,2.0,230394,,", true, 0, 'X', 4, 0, 123519,
         4807.038f, 'N', 1131.0f, 'E', 1.0f, 2.0f},
        {"other talker", "$GNRMC,000001,A,0000.500,N,17959.900,W,10.0,270.0,010127,,", true, 1, 'A', 0, 0, 1, 0.5f, 'N',
         17959.9f, 'W', 10.0f, 270.0f},
        {"checksum of another text", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*00", false},
        {"checksum not hex", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*G1", false},
        {"valid fix without position", "$GPRMC,123519,A,,,,,0.0,0.0,230394,,", false},
        {"hemisphere letter wrong", "$GPRMC,123519,A,4807.038,Q,01131.000,E,022.4,084.4,230394,,", false},
        {"latitude not a number", "$GPRMC,123519,A,48O7.038,N,01131.000,E,022.4,084.4,230394,,", false},
        {"time not a number", "$GPRMC,12:35,A,4807.038,N,01131.000,E,022.4,084.4,230394,,", false},
        {"empty status", "$GPRMC,123519,,4807.038,N,01131.000,E,022.4,084.4,230394,,", false},
        {"cut short", "$GPRMC,123519,A,4807.038,N", false},
        {"a GGA sentence", "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", false},
        {"no dollar", "GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W", false},
        {"empty text", "", false},
        // Texts a general number reader takes are bad strings, not values.
        {"time nan", "$GPRMC,nan,A,4807.038,N,01131.000,E,022.4,084.4,230394,,", false},
        {"time as an exponent", "$GPRMC,1e5,A,4807.038,N,01131.000,E,022.4,084.4,230394,,", false},
        {"time 24:00:00", "$GPRMC,240000,A,4807.038,N,01131.000,E,022.4,084.4,230394,,", false},
        {"time with minute 60", "$GPRMC,126019,A,4807.038,N,01131.000,E,022.4,084.4,230394,,", false},
        {"latitude nan", "$GPRMC,123519,A,nan,N,01131.000,E,022.4,084.4,230394,,", false},
        {"longitude inf", "$GPRMC,123519,A,4807.038,N,inf,E,022.4,084.4,230394,,", false},
        {"latitude with 60 minutes", "$GPRMC,123519,A,4860.000,N,01131.000,E,022.4,084.4,230394,,", false},
        {"longitude beyond 180", "$GPRMC,123519,A,4807.038,N,18000.001,E,022.4,084.4,230394,,", false},
        {"speed nan", "$GPRMC,123519,A,4807.038,N,01131.000,E,nan,084.4,230394,,", false},
        {"speed infinite", "$GPRMC,123519,A,4807.038,N,01131.000,E,infinity,084.4,230394,,", false},
        {"speed beyond a float", "$GPRMC,123519,A,4807.038,N,01131.000,E,1e39,084.4,230394,,", false},
        {"course nan", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,nan,230394,,", false},
        {"course in hex", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,0x10,230394,,", false},
    };
    for (const auto& c : cases) {
        GpsSentenceParser parser;
        GpsFixData fix{SystemTime{}};
        expectFix(c, parser.ParseRMC(fix, sentenceOf(c)), fix);
    }
}

TEST(NmeaSentence, GgaTable)
{
    const SentenceCase cases[] = {
        {"fix", "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", true, 1, 'A', 0, 0, 123519, 4807.038f,
         'N', 1131.0f, 'E'},
        {"differential fix, other talker", "$GNGGA,092750.000,5321.6802,N,00630.3372,W,2,8,1.03,61.7,M,55.2,M,,", true,
         1, 'A', 0, 0, 92750, 5321.6802f, 'N', 630.3372f, 'W'},
        {"quality 0 with position", "$GPGGA,123519,4807.038,N,01131.000,E,0,00,,,M,,M,,", true, 0, 'V', 3, 0, 123519,
         4807.038f, 'N', 1131.0f, 'E'},
        {"quality 0, fields empty", "$GPGGA,,,,,,0,00,99.99,,,,,,", true, 0, 'V', 3, 1, 0},
        {"quality missing", "$GPGGA,123519,4807.038,N,01131.000,E,,08,0.9,545.4,M,46.9,M,,", false},
        {"fix without position", "$GPGGA,123519,,,,,1,08,0.9,545.4,M,46.9,M,,", false},
        {"checksum of another text", "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*00", false},
        {"an RMC sentence", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W", false},
        {"time nan", "$GPGGA,nan,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", false},
        {"latitude nan", "$GPGGA,123519,nan,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", false},
        {"longitude -inf", "$GPGGA,123519,4807.038,N,-inf,E,1,08,0.9,545.4,M,46.9,M,,", false},
    };
    for (const auto& c : cases) {
        GpsSentenceParser parser;
        GpsFixData fix{SystemTime{}};
        expectFix(c, parser.ParseGGA(fix, sentenceOf(c)), fix);
    }
}

TEST(NmeaSentence, RmcWithoutCourseTakesTheLegFromThePreviousFix)
{
    GpsSentenceParser parser;
    GpsFixData first{SystemTime{}};
    ASSERT_TRUE(parser.ParseRMC(first, withChecksum("$GPRMC,120000,A,5000.000,N,00000.000,E,5.0,,101226,,")));
    // Nothing before it: no leg from the cleared fix at 0,0.
    EXPECT_EQ(first.course, 0.0f);

    GpsFixData second{SystemTime{}};
    ASSERT_TRUE(parser.ParseRMC(second, withChecksum("$GPRMC,120100,A,4959.000,N,00000.000,E,5.0,,101226,,")));
    EXPECT_NEAR(second.course, 180.0, 1e-3);

    // Across the date line the leg runs east, not 359 degrees west.
    GpsFixData west{SystemTime{}}, east{SystemTime{}};
    ASSERT_TRUE(parser.ParseRMC(west, withChecksum("$GPRMC,120200,A,0000.000,N,17959.000,E,5.0,,101226,,")));
    ASSERT_TRUE(parser.ParseRMC(east, withChecksum("$GPRMC,120300,A,0000.000,N,17959.000,W,5.0,,101226,,")));
    EXPECT_NEAR(east.course, 90.0, 1e-3);
}

TEST(NmeaSentence, GgaSpeedAndCourseFromTheLeg)
{
    struct Step {
        const char* legend;
        const char* sentence;
        float speed;
        float course;
    };
    const Step steps[] = {
        {"first fix", "$GPGGA,235950,5000.000,N,00000.000,E,1,08,0.9,1,M,1,M,,", 0, 0},
        {"same time: nothing to measure", "$GPGGA,235950,5000.100,N,00000.000,E,1,08,0.9,1,M,1,M,,", 0, 0},
        {"0.1' north in 20 s across midnight", "$GPGGA,000010,5000.200,N,00000.000,E,1,08,0.9,1,M,1,M,,", 18.0f, 0},
        {"no fix: no leg", "$GPGGA,000020,5000.300,N,00000.000,E,0,00,,,M,,M,,", 0, 0},
    };
    GpsSentenceParser parser;
    for (const auto& s : steps) {
        GpsFixData fix{SystemTime{}};
        ASSERT_TRUE(parser.ParseGGA(fix, withChecksum(s.sentence))) << s.legend;
        EXPECT_NEAR(fix.speed, s.speed, 0.05) << s.legend;
        EXPECT_NEAR(fix.course, s.course, 1e-3) << s.legend;
    }
}

TEST(NmeaSentence, SecondsSinceCountsOneMidnight)
{
    GpsFixData a{SystemTime{}}, b{SystemTime{}};
    a.sentenceTime = 235959;
    b.sentenceTime = 1;
    EXPECT_EQ(GpsFixData::SecondsSince(b, a), 2);
    EXPECT_EQ(GpsFixData::SecondsSince(a, b), 86398);
    b.sentenceTime = 235959;
    EXPECT_EQ(GpsFixData::SecondsSince(b, a), 0);
}

TEST(NmeaSentence, HeadingTable)
{
    struct Row {
        const char* legend;
        QByteArray sentence;
        const char* type;
        std::optional<float> heading;
    };
    const Row rows[] = {
        {"true heading", withChecksum("$HEHDT,271.5,T"), "HDT", 271.5f},
        {"magnetic heading, no checksum", "$HCHDM,005.0,M", "HDM", 5.0f},
        {"north as 360", withChecksum("$HEHDT,360.0,T"), "HDT", 360.0f},
        {"checksum of another text", "$HEHDT,271.5,T*00", "HDT", std::nullopt},
        {"another sentence", withChecksum("$HEHDM,271.5,M"), "HDT", std::nullopt},
        {"empty heading", withChecksum("$HEHDT,,T"), "HDT", std::nullopt},
        {"nan", withChecksum("$HEHDT,nan,T"), "HDT", std::nullopt},
        {"inf", withChecksum("$HEHDT,inf,T"), "HDT", std::nullopt},
        {"beyond a turn", withChecksum("$HEHDT,360.1,T"), "HDT", std::nullopt},
        {"negative", withChecksum("$HEHDT,-1.0,T"), "HDT", std::nullopt},
        {"exponent", withChecksum("$HEHDT,2e2,T"), "HDT", std::nullopt},
        {"no field", withChecksum("$HEHDT"), "HDT", std::nullopt},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ParseHeading(r.sentence, r.type), r.heading) << r.legend;
}

TEST(NmeaSentence, FieldsAndChecksums)
{
    const QByteArray s = withChecksum("$HEHDT,271.5,T");
    EXPECT_EQ(GetNmeaField(s, 0), QByteArray("HEHDT"));
    EXPECT_EQ(GetNmeaField(s, 1), QByteArray("271.5"));
    EXPECT_EQ(GetNmeaField(s, 2), QByteArray("T"));
    EXPECT_FALSE(GetNmeaField(s, 3));
    EXPECT_FALSE(GetNmeaField(s, 1, 5)); // five characters do not fit in five bytes
    EXPECT_EQ(GetNmeaField(s, 1, 6), QByteArray("271.5"));
    EXPECT_EQ(GetNmeaField("$PGRMM,WGS 84", 1), QByteArray("WGS 84"));
    EXPECT_EQ(GetNmeaField("$GPXXX,,", 1), QByteArray());

    EXPECT_TRUE(NmeaChecksumOk(s));
    EXPECT_TRUE(NmeaChecksumOk(s + "\r\n"));
    EXPECT_TRUE(NmeaChecksumOk("$HEHDT,271.5,T")); // none given
    EXPECT_FALSE(NmeaChecksumOk("$HEHDT,271.5,T*"));
    QByteArray wrong = s;
    wrong[7] = '3';
    EXPECT_FALSE(NmeaChecksumOk(wrong));
}

} // namespace
