#include "nav/DetectionRecords.h"
#include "nav/DetectorRecords.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <functional>

using namespace velmar::nav;
using velmar::platform::SystemTime;

namespace {

// Raw record bytes poked by hand, independent of the layout code under test.
struct Bytes {
    QByteArray b;
    explicit Bytes(std::size_t size, char fill = '\0') : b(qsizetype(size), fill) {}
    Bytes& u8(int at, uint8_t v)
    {
        b[at] = char(v);
        return *this;
    }
    Bytes& i16(int at, int16_t v) { return raw(at, uint16_t(v), 2); }
    Bytes& i32(int at, int64_t v) { return raw(at, uint32_t(v), 4); }
    Bytes& f32(int at, float v) { return raw(at, std::bit_cast<uint32_t>(v), 4); }
    Bytes& time(int at, const SystemTime& t)
    {
        const auto tb = t.toBytes();
        std::memcpy(b.data() + at, tb.data(), tb.size());
        return *this;
    }
    // Text without a terminating zero of its own: the test sets what follows.
    Bytes& text(int at, const char* s)
    {
        std::memcpy(b.data() + at, s, std::strlen(s));
        return *this;
    }
    Bytes& raw(int at, uint32_t v, int n)
    {
        for (int i = 0; i < n; ++i)
            b[at + i] = char((v >> (8 * i)) & 0xff);
        return *this;
    }
};

const SystemTime T1{2024, 7, 3, 17, 23, 45, 12, 345};

struct DecoderCase {
    const char* legend;
    std::size_t size;
    std::function<QByteArray()> bytes;
    // Decodes the given bytes, checks the known values, and returns whether
    // decoding succeeded; the round trip re-encodes what it decoded.
    std::function<bool(const QByteArray&, bool check)> decodeAndCheck;
    std::function<QByteArray(const QByteArray&)> reencode;
};

template <class R>
std::function<QByteArray(const QByteArray&)> reencodeAs()
{
    return [](const QByteArray& in) { return R::decode(in)->encode(); };
}

std::vector<DecoderCase> decoderCases()
{
    std::vector<DecoderCase> cases;

    cases.push_back({"NewWhistles", 128,
                     [] {
                         return Bytes(128, '\x5a')
                             .i32(0, -77)
                             .time(4, T1)
                             .i32(20, 0x11111111)
                             .f32(24, 12.5f)
                             .f32(28, 0.75f)
                             .i32(32, 21000)
                             .i32(36, 4000)
                             .i32(40, 9000)
                             .i32(44, 5000)
                             .i32(48, 18000)
                             .f32(52, 33.25f)
                             .f32(56, 70.5f)
                             .i16(60, -3)
                             .i16(62, 7)
                             .i32(64, 15000)
                             .i32(68, 6000)
                             .f32(72, 271.5f)
                             .f32(76, 1.25f)
                             .text(80, "ABCDEFGHIJKLMNOPQRS")
                             .u8(99, 0)
                             .text(100, "whistle.wav")
                             .u8(111, 0)
                             .i16(120, 42)
                             .i16(122, 2)
                             .f32(124, 0.875f)
                             .b;
                     },
                     [](const QByteArray& in, bool check) {
                         auto r = NewWhistlesRecord::decode(in);
                         if (r && check) {
                             EXPECT_EQ(r->whistleNumber, -77);
                             EXPECT_EQ(r->pcTime, T1);
                             EXPECT_EQ(r->sectionTime, 12.5f);
                             EXPECT_EQ(r->duration, 0.75f);
                             EXPECT_EQ(r->maxFrequency, 21000);
                             EXPECT_EQ(r->minFrequency, 4000);
                             EXPECT_EQ(r->aveFrequency, 9000);
                             EXPECT_EQ(r->startFrequency, 5000);
                             EXPECT_EQ(r->endFrequency, 18000);
                             EXPECT_EQ(r->aveAmplitude, 33.25f);
                             EXPECT_EQ(r->maxAmplitude, 70.5f);
                             EXPECT_EQ(r->peaks, -3);
                             EXPECT_EQ(r->troughs, 7);
                             EXPECT_EQ(r->maxPeakFreq, 15000);
                             EXPECT_EQ(r->minTroughFreq, 6000);
                             EXPECT_EQ(r->bearing, 271.5f);
                             EXPECT_EQ(r->range, 1.25f);
                             EXPECT_EQ(r->species, "ABCDEFGHIJKLMNOPQRS");
                             EXPECT_EQ(r->fileName, "whistle.wav");
                             EXPECT_EQ(r->fileSection, 42);
                             EXPECT_EQ(r->channel, 2);
                             EXPECT_EQ(r->correlation, 0.875f);
                         }
                         return r.has_value();
                     },
                     reencodeAs<NewWhistlesRecord>()});

    cases.push_back(
        {"NewSeismic", 46,
         [] { return Bytes(46).text(0, "AirGun").time(20, T1).i16(36, -1).f32(38, 150.5f).f32(42, -2.25f).b; },
         [](const QByteArray& in, bool check) {
             auto r = NewSeismicRecord::decode(in);
             if (r && check) {
                 EXPECT_EQ(r->detector, "AirGun");
                 EXPECT_EQ(r->pcTime, T1);
                 EXPECT_EQ(r->channel, -1);
                 EXPECT_EQ(r->amplitude1, 150.5f);
                 EXPECT_EQ(r->amplitude2, -2.25f);
             }
             return r.has_value();
         },
         reencodeAs<NewSeismicRecord>()});

    cases.push_back({"NewRCEvent", 82,
                     [] {
                         return Bytes(82)
                             .time(0, T1)
                             .f32(16, 95.5f)
                             .i32(20, 3600)
                             .i32(24, 812)
                             .i32(28, 2)
                             .i16(32, 17)
                             .f32(34, 45.5f)
                             .f32(38, 0.625f)
                             .f32(42, 88.0f)
                             .f32(46, 50.0f)
                             .f32(50, 0.5f)
                             .f32(54, 40.0f)
                             .f32(58, 0.75f)
                             .f32(62, -1.0f)
                             .i32(66, 3)
                             .i32(70, 123456)
                             .i32(74, 0xFFFFFFF0u)
                             .i32(78, 99)
                             .b;
                     },
                     [](const QByteArray& in, bool check) {
                         auto r = NewRCEventRecord::decode(in);
                         if (r && check) {
                             EXPECT_EQ(r->eventTime, T1);
                             EXPECT_EQ(r->duration, 95.5f);
                             EXPECT_EQ(r->sectionSeconds, 3600);
                             EXPECT_EQ(r->nClicks, 812);
                             EXPECT_EQ(r->species, NewRCEventRecord::SpeciesDolphin);
                             EXPECT_EQ(r->whaleId, 17);
                             EXPECT_EQ(r->meanBearing, 45.5f);
                             EXPECT_EQ(r->meanIci, 0.625f);
                             EXPECT_EQ(r->meanAmplitude, 88.0f);
                             EXPECT_EQ(r->lastBearing, 50.0f);
                             EXPECT_EQ(r->lastIci, 0.5f);
                             EXPECT_EQ(r->firstBearing, 40.0f);
                             EXPECT_EQ(r->firstIci, 0.75f);
                             EXPECT_EQ(r->meanRange, NewRCEventRecord::NoRange);
                             EXPECT_EQ(r->state, NewRCEventRecord::StateFinal);
                             EXPECT_EQ(r->eventKey, 123456);
                             EXPECT_EQ(r->tickCount, 0xFFFFFFF0u);
                             EXPECT_EQ(r->eventNumber, 99);
                         }
                         return r.has_value();
                     },
                     reencodeAs<NewRCEventRecord>()});

    cases.push_back({"PorpoiseEvent", 236,
                     [] {
                         return Bytes(236)
                             .i32(0, 0x7777)
                             .i32(4, 501)
                             .time(8, T1)
                             .i32(24, 9)
                             .i32(28, 3)
                             .i32(32, 4000000000u)
                             .f32(36, 12.75f)
                             .i16(40, 11)
                             .i16(42, 13)
                             .i32(44, 100200)
                             .i32(48, 100900)
                             .text(52, "HPORP")
                             .u8(57, 0)
                             .i16(58, -2)
                             .text(60, "a comment that fills all fifty one bytes of its fi") // 51 chars, no zero
                             .i32(111, 40)
                             .i32(115, 5)
                             .i32(119, 6)
                             .f32(123, 1.5f)
                             .f32(127, 2.5f)
                             .u8(131, 1)
                             .f32(132, 10.0f)
                             .f32(136, 170.0f)
                             .f32(140, 999.0f)
                             .f32(144, 35.5f)
                             .text(148, "porp0001.wav")
                             .u8(160, 0)
                             .u8(199, 1)
                             .f32(200, 3.0f)
                             .f32(204, 4.0f)
                             .f32(208, 5.0f)
                             .f32(212, 6.0f)
                             .f32(216, 7.0f)
                             .f32(220, 8.0f)
                             .f32(224, 9.0f)
                             .f32(228, 10.5f)
                             .f32(232, 0.25f)
                             .b;
                     },
                     [](const QByteArray& in, bool check) {
                         auto r = PorpoiseEventRecord::decode(in);
                         if (r && check) {
                             EXPECT_EQ(r->number, 501);
                             EXPECT_EQ(r->eventStart, T1);
                             EXPECT_EQ(r->runId, 9);
                             EXPECT_EQ(r->state, 3);
                             EXPECT_EQ(r->tickCount, 4000000000u);
                             EXPECT_EQ(r->duration, 12.75f);
                             EXPECT_EQ(r->startSection, 11);
                             EXPECT_EQ(r->endSection, 13);
                             EXPECT_EQ(r->startAdcTime, 100200);
                             EXPECT_EQ(r->endAdcTime, 100900);
                             EXPECT_EQ(r->speciesCode, "HPORP");
                             EXPECT_EQ(r->confidence, -2);
                             EXPECT_EQ(r->comment, "a comment that fills all fifty one bytes of its fi");
                             EXPECT_EQ(r->nPorpoiseClicks, 40);
                             EXPECT_EQ(r->nBroadBandClicks, 5);
                             EXPECT_EQ(r->nOtherClicks, 6);
                             EXPECT_EQ(r->backgroundDc, 1.5f);
                             EXPECT_EQ(r->backgroundAc, 2.5f);
                             EXPECT_EQ(r->storeClicks, 1);
                             EXPECT_EQ(r->minBearing, 10.0f);
                             EXPECT_EQ(r->maxBearing, 170.0f);
                             EXPECT_EQ(r->porpoiseBearing, 999.0f);
                             EXPECT_EQ(r->otherBearing, 35.5f);
                             EXPECT_EQ(r->fileName, "porp0001.wav");
                             EXPECT_EQ(r->automatic, 1);
                             EXPECT_EQ(r->timeABeam, 3.0f);
                             EXPECT_EQ(r->secsOffBeam, 4.0f);
                             EXPECT_EQ(r->rangeOffBeam, 5.0f);
                             EXPECT_EQ(r->initialBearing, 6.0f);
                             EXPECT_EQ(r->initialRange, 7.0f);
                             EXPECT_EQ(r->sigTimeABeam, 8.0f);
                             EXPECT_EQ(r->sigSecsOff, 9.0f);
                             EXPECT_EQ(r->chi2, 10.5f);
                             EXPECT_EQ(r->fitProb, 0.25f);
                         }
                         return r.has_value();
                     },
                     reencodeAs<PorpoiseEventRecord>()});

    cases.push_back({"NewWhislteEvent", 123,
                     [] {
                         return Bytes(123)
                             .u8(0, 1)
                             .i32(1, 14)
                             .i32(5, 9500)
                             .i32(9, 3000)
                             .i32(13, 22000)
                             .f32(17, 10.5f)
                             .f32(21, 80.5f)
                             .f32(25, 45.0f)
                             .i32(29, 12)
                             .i32(33, 1001)
                             .i32(37, 1014)
                             .f32(41, 20.0f)
                             .f32(45, 90.0f)
                             .f32(49, 55.5f)
                             .i32(53, -8)
                             .i32(57, 123456789)
                             .f32(61, 300.25f)
                             .time(65, T1)
                             .text(81, "Tursiops")
                             .text(101, "event.wav")
                             .i16(121, 7)
                             .b;
                     },
                     [](const QByteArray& in, bool check) {
                         auto r = NewWhistleEventRecord::decode(in);
                         if (r && check) {
                             EXPECT_EQ(r->open, 1);
                             EXPECT_EQ(r->nWhistles, 14);
                             EXPECT_EQ(r->aveFrequency, 9500);
                             EXPECT_EQ(r->minFrequency, 3000);
                             EXPECT_EQ(r->maxFrequency, 22000);
                             EXPECT_EQ(r->minBearing, 10.5f);
                             EXPECT_EQ(r->maxBearing, 80.5f);
                             EXPECT_EQ(r->aveBearing, 45.0f);
                             EXPECT_EQ(r->nBearings, 12);
                             EXPECT_EQ(r->firstWhistle, 1001);
                             EXPECT_EQ(r->lastWhistle, 1014);
                             EXPECT_EQ(r->minAmplitude, 20.0f);
                             EXPECT_EQ(r->maxAmplitude, 90.0f);
                             EXPECT_EQ(r->aveAmplitude, 55.5f);
                             EXPECT_EQ(r->eventKey, -8);
                             EXPECT_EQ(r->tickCount, 123456789u);
                             EXPECT_EQ(r->duration, 300.25f);
                             EXPECT_EQ(r->eventStart, T1);
                             EXPECT_EQ(r->species, "Tursiops");
                             EXPECT_EQ(r->fileName, "event.wav");
                             EXPECT_EQ(r->fileSection, 7);
                         }
                         return r.has_value();
                     },
                     reencodeAs<NewWhistleEventRecord>()});

    cases.push_back({"RightWhaleEvent", 226,
                     [] {
                         Bytes b(226);
                         b.i32(0, 1200)
                             .i32(4, 50)
                             .i32(8, -1)
                             .i32(12, -1)
                             .f32(16, 1.5f)
                             .i32(20, 3)
                             .i32(24, 30)
                             .i32(28, 4)
                             .f32(32, 0.5f)
                             .f32(36, 0.25f)
                             .i16(40, 1)
                             .i16(42, 2)
                             .i16(44, 3)
                             .i16(46, 1);
                         for (int i = 0; i < 10; ++i)
                             b.i32(48 + 4 * i, 100 + i);
                         return b.text(88, "rw.wav")
                             .i16(108, 5)
                             .time(110, T1)
                             .i32(126, 777)
                             .i32(130, 888)
                             .text(134, "default parameters")
                             .i32(194, 2)
                             .f32(198, 123.5f)
                             .f32(202, 4.5f)
                             .f32(206, 0.875f)
                             .f32(210, 60.0f)
                             .f32(214, 30.0f)
                             .i32(218, 6)
                             .i32(222, 9)
                             .b;
                     },
                     [](const QByteArray& in, bool check) {
                         auto r = RightWhaleEventRecord::decode(in);
                         if (r && check) {
                             EXPECT_EQ(r->maxFreq, 1200);
                             EXPECT_EQ(r->minFreq, 50);
                             EXPECT_EQ(r->duration, 1.5f);
                             EXPECT_EQ(r->nWhistles, 3);
                             EXPECT_EQ(r->totPeaks, 30);
                             EXPECT_EQ(r->fatPeaks, 4);
                             EXPECT_EQ(r->score, 0.5f);
                             EXPECT_EQ(r->harmonicScore, 0.25f);
                             EXPECT_EQ(r->pausedAtStart, 1);
                             EXPECT_EQ(r->unsettled, 2);
                             EXPECT_EQ(r->pausedAtEnd, 3);
                             EXPECT_EQ(r->isGood, 1);
                             for (int i = 0; i < 10; ++i)
                                 EXPECT_EQ(r->whistles[i], 100 + i) << i;
                             EXPECT_EQ(r->fileName, "rw.wav");
                             EXPECT_EQ(r->fileSection, 5);
                             EXPECT_EQ(r->eventStart, T1);
                             EXPECT_EQ(r->receiptTick1, 777u);
                             EXPECT_EQ(r->receiptTick2, 888u);
                             EXPECT_EQ(r->parameterSet, "default parameters");
                             EXPECT_EQ(r->noGoodBearingWsls, 2);
                             EXPECT_EQ(r->accurateBearing, 123.5f);
                             EXPECT_EQ(r->acBearingStd, 4.5f);
                             EXPECT_EQ(r->bearingScore, 0.875f);
                             EXPECT_EQ(r->maxStrengthOnBearing, 60.0f);
                             EXPECT_EQ(r->avStrengthOnBearing, 30.0f);
                             EXPECT_EQ(r->numGoodBearingWsls2, 6);
                             EXPECT_EQ(r->maxInList, 9);
                         }
                         return r.has_value();
                     },
                     reencodeAs<RightWhaleEventRecord>()});

    return cases;
}

class DecoderTable : public ::testing::TestWithParam<DecoderCase> {};

TEST_P(DecoderTable, ReadsEveryFieldAtItsOffset)
{
    EXPECT_TRUE(GetParam().decodeAndCheck(GetParam().bytes(), true));
}

TEST_P(DecoderTable, RefusesOneByteShortAcceptsExactAndLonger)
{
    const DecoderCase& c = GetParam();
    const QByteArray full = c.bytes();
    ASSERT_EQ(std::size_t(full.size()), c.size);
    EXPECT_FALSE(c.decodeAndCheck(full.left(full.size() - 1), false));
    EXPECT_FALSE(c.decodeAndCheck(QByteArray(), false));
    EXPECT_TRUE(c.decodeAndCheck(full, false));
    // Bytes past the record are ignored.
    EXPECT_TRUE(c.decodeAndCheck(full + QByteArray(9, '\x7f'), true));
}

TEST_P(DecoderTable, EncodeWritesTheLayoutBack)
{
    const DecoderCase& c = GetParam();
    const QByteArray once = c.reencode(c.bytes());
    ASSERT_EQ(std::size_t(once.size()), c.size);
    // What was read is written at the same offsets (unread gaps become zero).
    EXPECT_TRUE(c.decodeAndCheck(once, true));
    EXPECT_EQ(c.reencode(once), once);
}

INSTANTIATE_TEST_SUITE_P(Records, DecoderTable, ::testing::ValuesIn(decoderCases()),
                         [](const auto& info) { return std::string(info.param.legend); });

TEST(DetectorRecords, TextFillingItsWidthIsReadUpToTheWidthOnly)
{
    const QByteArray bytes = Bytes(128, 'x').text(80, "ABCDEFGHIJKLMNOPQRST").text(100, "next").u8(104, 0).b;
    const auto r = NewWhistlesRecord::decode(bytes);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->species, "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(r->fileName, "next");
}

TEST(DetectorRecords, TextIsUtf8OrElseLatin1AndIsCutOnACharacterBoundary)
{
    QByteArray bytes = Bytes(46).text(0, "Canon \xe9t\xe9").b; // Latin-1 from an old detector
    EXPECT_EQ(NewSeismicRecord::decode(bytes)->detector, QString::fromUtf8("Canon \u00e9t\u00e9"));
    bytes = Bytes(46).text(0, "Canon \xc3\xa9t\xc3\xa9").b; // UTF-8
    EXPECT_EQ(NewSeismicRecord::decode(bytes)->detector, QString::fromUtf8("Canon \u00e9t\u00e9"));

    NewSeismicRecord r;
    r.detector = QString::fromUtf8("seventeen letters \u00e9"); // 18 bytes, then an é that needs 2 more
    EXPECT_EQ(NewSeismicRecord::decode(r.encode())->detector, "seventeen letters ");
}

TEST(DetectorRecords, EncodedTextKeepsItsTerminatingZeroWithinItsWidth)
{
    NewSeismicRecord r;
    r.detector = "a detector name of thirty chars";
    r.channel = 0x0102;
    const QByteArray bytes = r.encode();
    EXPECT_EQ(bytes.at(19), '\0');
    EXPECT_EQ(NewSeismicRecord::decode(bytes)->detector, "a detector name of ");
    EXPECT_EQ(NewSeismicRecord::decode(bytes)->channel, 0x0102);
}

TEST(DetectorRecords, NodeKeysComeFromTheirRecordsAndAgesFromTheReceiver)
{
    PorpoiseEvent p;
    p.record.number = 4;
    p.record.runId = 1;
    p.record.tickCount = 55;
    p.receiptTick = 0x1'0000'0001;
    PorpoiseEventRecord sameNumberOtherRun = p.record;
    sameNumberOtherRun.runId = 2;
    EXPECT_FALSE(p.Key() == PorpoiseEvent::KeyOf(sameNumberOtherRun));
    EXPECT_TRUE(p.Key() == PorpoiseEvent::KeyOf(p.record));
    EXPECT_EQ(p.AgeStamp(), 0x1'0000'0001u);

    RCEvent c;
    c.record.eventKey = 7;
    c.record.eventNumber = 8;
    NewRCEventRecord other = c.record;
    other.eventNumber = 9;
    EXPECT_FALSE(c.Key() == RCEvent::KeyOf(other));

    RWEVENT rw;
    rw.record.receiptTick1 = 1;
    rw.record.receiptTick2 = 2;
    rw.receiptTick = 3;
    EXPECT_EQ(rw.AgeStamp(), 3u);

    THINGHEARD heard;
    heard.name = "Common dolphin whistles";
    EXPECT_EQ(heard.GetName(), "Common dolphin whis");
}

} // namespace
