#include "nmeaserver/ShipSimulator.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace velmar::nmeaserver;
using velmar::platform::SystemTime;

namespace {

bool checksumHolds(const QByteArray& s)
{
    const qsizetype star = s.lastIndexOf('*');
    return star > 0 && s.mid(star + 1, 2) == nmeaChecksum(s);
}

// The value of field n (0 is the name) of a sentence.
QByteArray field(const QByteArray& s, int n)
{
    return s.split(',').value(n);
}

double minutesOf(const QByteArray& nmeaValue, const QByteArray& hemisphere)
{
    const double v = nmeaValue.toDouble();
    const double deg = std::floor(v / 100.0);
    const double m = deg * 60.0 + (v - deg * 100.0);
    return (hemisphere == "S" || hemisphere == "W") ? -m : m;
}

const SystemTime Noon{2026, 12, 4, 10, 12, 0, 0, 0};

} // namespace

TEST(ShipSimulator, ChecksumOfAKnownSentence)
{
    EXPECT_EQ(nmeaChecksum("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A"), "6A");
    EXPECT_EQ(nmeaChecksum("!AIVDM,1,1,,A,x,0"), nmeaChecksum("!AIVDM,1,1,,A,x,0*00"));
}

TEST(ShipSimulator, StoredAisTrafficIsValidAndOfTheStatedKinds)
{
    int byType[6] = {};
    int channelB = 0;
    for (const char* line : AisSentences) {
        const QByteArray s(line);
        EXPECT_TRUE(s.startsWith("!AIVDM,1,1,,")) << line;
        EXPECT_TRUE(checksumHolds(s)) << line;
        EXPECT_FALSE(s.endsWith('\r'));
        const QByteArray payload = field(s, 5);
        const int type = payload[0] - '0';
        ASSERT_TRUE(type == 1 || type == 3 || type == 4 || type == 5) << line;
        ++byType[type];
        EXPECT_EQ(payload.size(), type == 5 ? 71 : 28) << line;
        EXPECT_EQ(field(s, 6).left(1), type == 5 ? "2" : "0") << line;
        EXPECT_EQ(s.size(), type == 5 ? 90 : 47) << line;
        channelB += field(s, 4) == "B";
    }
    EXPECT_EQ(byType[1], 69);
    EXPECT_EQ(byType[3], 13);
    EXPECT_EQ(byType[4], 4);
    EXPECT_EQ(byType[5], 11);
    EXPECT_EQ(channelB, 1);
}

TEST(ShipSimulator, DefaultShipSailsSouthWestWithCheckedSentences)
{
    ShipSimulator ship{SIMSETTINGS{}};
    const QList<QByteArray> first = ship.cycle(Noon);
    ASSERT_EQ(first.size(), ShipSimulator::SentencesPerCycle);
    for (int i = 0; i < ShipSimulator::SentencesPerCycle; ++i) {
        EXPECT_TRUE(first[i].endsWith("*" + nmeaChecksum(first[i]) + "\r\n")) << first[i].constData();
    }
    EXPECT_TRUE(first[0].startsWith("$GPRMC,120000,A,5124.000,N,00400.000,W,07.5,220,101226,0.0,R,S*"))
        << first[0].constData();
    EXPECT_TRUE(first[1].startsWith("$HEHDT,220.0,T*"));
    EXPECT_TRUE(first[2].startsWith("$HCHDM,227.2,M*"));
    EXPECT_TRUE(first[3].startsWith("$GPGGA,120000,5124.000,N,00400.000,W,1,04,24.4,19.7,M,,,,0000*"));
    EXPECT_TRUE(first[4].startsWith("$SDVHW,220,T,227,M,7.5,N,13.9,K,*"));
    EXPECT_EQ(first[5], QByteArray(AisSentences[0]) + "\r\n");

    const QList<QByteArray> second = ship.cycle(Noon);
    const double dLat = minutesOf(field(second[0], 3), field(second[0], 4))
                      - minutesOf(field(first[0], 3), field(first[0], 4));
    EXPECT_NEAR(ship.latitudeMinutes() - double(51.4f) * 60.0, 2 * -0.000798, 0.00001);
    EXPECT_NEAR(ship.longitudeMinutes() + double(4.0f) * 60.0, 2 * -0.001073, 0.00001);
    EXPECT_NEAR(dLat, 0.0, 0.0011) << "three decimals of a minute";
    EXPECT_EQ(second[5], QByteArray(AisSentences[1]) + "\r\n");
}

TEST(ShipSimulator, StoppedShipWrappedHeadingsAndRepeatingTraffic)
{
    SIMSETTINGS s;
    s.Speed = 0;
    s.Heading = 355;
    s.Initials = "II";
    ShipSimulator ship(s, [] { return 123; });
    const QList<QByteArray> c = ship.cycle(Noon);
    EXPECT_EQ(field(c[0], 0), "$IIRMC");
    EXPECT_EQ(field(c[0], 7), "00.0");
    EXPECT_EQ(field(c[0], 8), "123") << "a random course while stopped";
    EXPECT_TRUE(c[2].startsWith("$HCHDM,002.2,M*"));
    EXPECT_TRUE(c[4].startsWith("$SDVHW,355,T,2,M,0.0,N,0.0,K,*"));
    EXPECT_DOUBLE_EQ(ship.latitudeMinutes(), 51.4f * 60.0);

    // Every line of a whole round of traffic is checked and ends with CR LF.
    for (int i = 1; i < AisSentenceCount; ++i)
        for (const QByteArray& line : ship.cycle(Noon))
            EXPECT_TRUE(line.endsWith("*" + nmeaChecksum(line) + "\r\n")) << line.constData();
    EXPECT_EQ(ship.cycle(Noon)[5], QByteArray(AisSentences[0]) + "\r\n") << "after 97 cycles the traffic repeats";

    s.Interval = 0;
    EXPECT_DOUBLE_EQ(ShipSimulator(s).interval(), ShipSimulator::MinimumInterval);
}
