#include "settings/PipeSettings.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>

using namespace velmar::pipeserver;

namespace {

int32_t le32(const QByteArray& b, int at)
{
    return qFromLittleEndian<int32_t>(b.constData() + at);
}
int16_t le16(const QByteArray& b, int at)
{
    return qFromLittleEndian<int16_t>(b.constData() + at);
}

void putFile(const QByteArray& bytes)
{
    QFile f(PipeSettingsFilePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray fileBytes()
{
    QFile f(PipeSettingsFilePath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A record unlike the defaults in every part, reserved bytes included.
PipeSettings unusualSettings()
{
    PipeSettings s;
    s.SampleRate = 250000;
    s.DeviceType = DeviceNiDaqMx;
    s.DeviceNumber = 2;
    s.Bits = 12;
    s.BufferSeconds = 30;
    EXPECT_TRUE(ParseChannelList(s, QStringLiteral("3,15,3,15")).isEmpty());
    s.NiInputConfig = 2;
    s.Reserved1.fill(0x5A);
    for (int c = 0; c < PipeSettings::MaxChannels; ++c) {
        s.ChannelSettings[c].Routing = uint32_t(c);
        s.ChannelSettings[c].Gain = int16_t(c % 3 ? 10 : -1);
        s.ChannelSettings[c].Reserved1 = int16_t(0x7F00 + c);
        s.ChannelSettings[c].Reserved2.fill(uint8_t(c));
    }
    s.RateMultipliers = {2, 0, 2, 16};
    s.setProgramPath(QStringLiteral("/opt/velmar/bin/Pelvane"));
    s.ProgramPath[200] = 'x'; // garbage after the terminator stays as it was
    s.Reserved2.fill(0xA5);
    return s;
}

} // namespace

TEST(PipeSettings, DefaultImageHasTheFileLayout)
{
    const QByteArray b = PipeSettings().toBytes();
    ASSERT_EQ(b.size(), 1208);
    EXPECT_EQ(le32(b, 0), 48000);
    EXPECT_EQ(le32(b, 4), 1);
    EXPECT_EQ(le16(b, 12), 16);
    EXPECT_EQ(le32(b, 14), 6);
    EXPECT_EQ(le16(b, 18), 0);
    EXPECT_EQ(le16(b, 20), 1);
    EXPECT_EQ(le16(b, 22), 999);
    EXPECT_EQ(le16(b, 48), 999);
    EXPECT_EQ(le16(b, 50), 1);
    EXPECT_EQ(le16(b, 52), 1);
    EXPECT_EQ(le16(b, 54), 0);
    EXPECT_EQ(le32(b, 82), 2);
    EXPECT_EQ(le32(b, 188), 38);      // channel 0 routing
    EXPECT_EQ(le16(b, 196), 1);       // channel 0 gain
    EXPECT_EQ(le32(b, 188 + 36), 38); // channel 1
    EXPECT_EQ(le32(b, 188 + 72), 0);  // channel 2
    EXPECT_EQ(le16(b, 188 + 72 + 8), 1);
    for (int p = 0; p < 4; ++p)
        EXPECT_EQ(le32(b, 764 + 4 * p), 1);
    EXPECT_EQ(QByteArray(b.constData() + 780), QByteArray("pelvane.exe"));
    EXPECT_EQ(b.mid(1080), QByteArray(128, '\0'));
    EXPECT_TRUE(PipeSettings().problems().isEmpty());
}

TEST(PipeSettings, FileRoundTripKeepsEveryByte)
{
    const QByteArray original = unusualSettings().toBytes();
    putFile(original);
    PipeSettings read;
    ASSERT_TRUE(ReadPipeSettings(read).ok);
    EXPECT_EQ(read, unusualSettings());
    EXPECT_EQ(read.programPath(), QStringLiteral("/opt/velmar/bin/Pelvane"));
    ASSERT_TRUE(WritePipeSettings(read).ok);
    EXPECT_EQ(fileBytes(), original);
}

TEST(PipeSettings, UnusableFilesLeaveTheRecordAsItWas)
{
    const QByteArray good = PipeSettings().toBytes();
    auto with = [&](int at, int16_t v) {
        QByteArray b = good;
        qToLittleEndian<int16_t>(v, b.data() + at);
        return b;
    };
    auto with32 = [&](int at, int32_t v) {
        QByteArray b = good;
        qToLittleEndian<int32_t>(v, b.data() + at);
        return b;
    };
    struct Row {
        const char* legend;
        std::function<QByteArray()> bytes;
    };
    const Row rows[] = {
        {"empty", [] { return QByteArray(); }},
        {"truncated", [&] { return good.left(1207); }},
        {"overlong", [&] { return good + '\0'; }},
        {"zero rate", [&] { return with32(0, 0); }},
        {"unknown device", [&] { return with32(4, 2); }},
        {"buffer too short", [&] { return with32(14, 2); }},
        {"channel 16 in scan list", [&] { return with(18, 16); }},
        {"scan length 17", [&] { return with32(82, 17); }},
        {"scan length beyond list", [&] { return with32(82, 3); }},
        {"occurrences disagree", [&] { return with(50, 2); }},
        {"multiplier 17", [&] { return with32(764, 17); }},
        {"gain code -1025", [&] { return with(188 + 8, -1025); }},
        {"gain code 0 on the last channel", [&] { return with(188 + 15 * 36 + 8, 0); }},
        {"gain code 3", [&] { return with(188 + 36 + 8, 3); }},
        {"path without end",
         [&] {
             QByteArray b = good;
             b.replace(780, 300, QByteArray(300, 'p'));
             return b;
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        putFile(row.bytes());
        PipeSettings settings;
        settings.SampleRate = 12345; // what the caller held before
        const PipeFileResult r = ReadPipeSettings(settings);
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.reason.isEmpty());
        EXPECT_TRUE(r.messageText.isEmpty());
        EXPECT_EQ(settings.SampleRate, 12345);
        EXPECT_EQ(settings.ScanLength, 2);
    }
    QFile::remove(PipeSettingsFilePath());
    PipeSettings settings;
    EXPECT_FALSE(ReadPipeSettings(settings).ok);
    EXPECT_EQ(settings, PipeSettings());
}

TEST(PipeSettings, ChannelListTexts)
{
    struct Row {
        const char* text;
        int length;
        std::vector<int16_t> list;
        const char* formatted;
    };
    const Row rows[] = {
        {"3", 1, {3}, "3"},
        {"0,1,0,1", 4, {0, 1, 0, 1}, "0,1,0,1"},
        {"0, 1", 2, {0, 1}, "0,1"},
        {"", 1, {0}, "0"},
        {"2,x", 2, {2, 0}, "2,0"},
        {"15,14,13,12,11,10,9,8,7,6,5,4,3,2,1,0",
         16,
         {15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0},
         "15,14,13,12,11,10,9,8,7,6,5,4,3,2,1,0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        PipeSettings s;
        ASSERT_TRUE(ParseChannelList(s, QString::fromLatin1(row.text)).isEmpty());
        EXPECT_EQ(s.ScanLength, row.length);
        std::array<int16_t, 16> occurrences{};
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(s.ScanList[i], i < row.length ? row.list[i] : 999);
            if (i < row.length)
                ++occurrences[row.list[i]];
        }
        EXPECT_EQ(s.Occurrences, occurrences);
        EXPECT_EQ(FormatChannelList(s), QString::fromLatin1(row.formatted));
        EXPECT_TRUE(s.problems().isEmpty());
    }
}

TEST(PipeSettings, ChannelListsThatDoNotFitAreRefused)
{
    for (const char* text :
         {"0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,0", "0,16", "-1", "0,99999999999", "+3", "0,-0", " +1"}) {
        SCOPED_TRACE(text);
        PipeSettings s;
        EXPECT_FALSE(ParseChannelList(s, QString::fromLatin1(text)).isEmpty());
        EXPECT_EQ(s, PipeSettings());
    }
}

TEST(PipeSettings, ConsistencyCheckSetsRateMultipliers)
{
    PipeSettings s;
    for (auto& c : s.ChannelSettings)
        c.Routing = 0;
    ASSERT_TRUE(ParseChannelList(s, QStringLiteral("0,1,0,1")).isEmpty());
    s.ChannelSettings[0].Routing = RouteAutorec;
    s.ChannelSettings[1].Routing = RouteAutorec;
    s.ChannelSettings[2].Routing = RouteWhistle;
    EXPECT_EQ(CheckPipeConsistency(s), 0);
    EXPECT_EQ(s.RateMultipliers, (std::array<int32_t, 4>{0, 0, 0, 2}));
    EXPECT_EQ(CountAutorecChannels(s), 2);
    EXPECT_EQ(CountWhistleChannels(s), 1); // routed though never sampled
    EXPECT_EQ(CountPorpoiseChannels(s), 0);
    EXPECT_EQ(AutorecPipeSampleRate(s), 96000);

    ASSERT_TRUE(ParseChannelList(s, QStringLiteral("0,1,1")).isEmpty());
    s.ChannelSettings[0].Routing = RouteWhistle;
    s.ChannelSettings[1].Routing = RouteWhistle;
    s.ChannelSettings[2].Routing = 0;
    EXPECT_EQ(CheckPipeConsistency(s), 1);
    EXPECT_EQ(s.RateMultipliers[PipeIndexOfBit(RouteWhistle)], 1);

    ASSERT_TRUE(ParseChannelList(s, QStringLiteral("0,1")).isEmpty());
    s.ChannelSettings[0].Routing = RoutePorpoise;
    s.ChannelSettings[1].Routing = RoutePorpoise;
    s.ChannelSettings[0].Gain = 1;
    s.ChannelSettings[1].Gain = 10;
    s.DeviceType = DeviceNiDaq;
    EXPECT_EQ(CheckPipeConsistency(s), 2);
    s.DeviceType = DeviceSoundCard;
    EXPECT_EQ(CheckPipeConsistency(s), 0);
}
