// Format names, caps, audio formats and standards of the video component.
#include "video/GstCapsFormats.h"
#include "video/MediaFormats.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

using namespace velmar::video;

TEST(MediaFormats, SubtypeNames)
{
    EXPECT_EQ(SubtypeName("{E436EB7D-524F-11CE-9F53-0020AF0BA770}"), "RGB24");
    EXPECT_EQ(SubtypeName("{E436EB7F-524F-11CE-9F53-0020AF0BA770}"), "RGB");
    EXPECT_EQ(SubtypeName("{47504A4D-0000-0010-8000-00AA00389B71}"), "MJPG");
    EXPECT_EQ(SubtypeName("{32595559-0000-0010-8000-00AA00389B71}"), "YUY2");
    EXPECT_EQ(SubtypeName("{E06D8026-DB46-11CF-B4D1-00805F6CBBEA}"), "MPEG2");
    EXPECT_EQ(SubtypeName("{E436EB7D-52"), "");
}

TEST(MediaFormats, CompressionAndImageSize)
{
    struct Case {
        const char* name;
        bool known;
        uint32_t compression;
        int bits;
    } cases[] = {
        {"RGB24", true, BI_RGB, 24},
        {"BITF16", true, BI_BITFIELDS, 16},
        {"RLE4", true, BI_RLE4, 4},
        {"YVU9", true, fourCC('Y', 'U', 'V', '9'), 9},
        {"I420", true, fourCC('I', '4', '2', '0'), 12},
        {"", false, 0, 0},
        {"H264", false, 0, 0},
    };
    for (const Case& c : cases) {
        const auto r = CompressionFromName(QString::fromLatin1(c.name));
        ASSERT_EQ(r.has_value(), c.known) << c.name;
        if (c.known) {
            EXPECT_EQ(r->compression, c.compression) << c.name;
            EXPECT_EQ(r->bitCount, c.bits) << c.name;
        }
    }
    EXPECT_EQ(ImageSize(641, -480, 24), 1924 * 480);
}

TEST(MediaFormats, AudioFormatsStandardsAndDVModes)
{
    const QStringList names = AudioFormatNames();
    ASSERT_EQ(names.size(), 29);
    EXPECT_EQ(names.first(), "default");
    EXPECT_EQ(names.at(1), "8000 Hz, 8-bit Mono");
    EXPECT_EQ(names.last(), "48000 Hz, 16-bit Stereo");
    const WaveFormat w = AudioFormatToWave(28);
    EXPECT_EQ(w.blockAlign, 4);
    EXPECT_EQ(w.avgBytesPerSec, 192000);
    EXPECT_EQ(AnalogStandardNames(0x11), (QStringList{"NTSC M", "PAL B"}));
    EXPECT_EQ(AnalogStandardFromName("SECAM L1"), 0x80000u);
    EXPECT_EQ(AnalogStandardFromName("nonsense"), 0x1u);
    EXPECT_EQ(DVCommandCode(dv_RecordFreeze), 4904);
    EXPECT_EQ(DVCommandCode(99), 0);
    EXPECT_EQ(DVModeName(0), "not in VCR mode");
    EXPECT_EQ(DVModeName(4905), "rev");
    EXPECT_EQ(DVModeName(1), "not supported");
    EXPECT_EQ(AvgTimePerFrame(1500), 666667);
    EXPECT_EQ(RateOfAvgTimePerFrame(333667), 2997);
}

// A device's caps become the component's format entries, one per format.
TEST(MediaFormats, FormatListsFromCaps)
{
    gst_init(nullptr, nullptr);
    struct Case {
        const char* legend;
        const char* caps;
        QList<CapsEntry> expected;
    } cases[] = {
        {"fixed raw size",
         "video/x-raw,format=YUY2,width=640,height=480,framerate=30/1",
         {{"YUY2", {640, 480}, {640, 480}, {640, 480}, 3000, 3000}}},
        {"format list and ranges",
         "video/x-raw,format={BGR,I420},width=[160,1280],height=[120,720],framerate=[1/1,30/1]",
         {{"RGB24", {1280, 720}, {160, 120}, {1280, 720}, 100, 3000},
          {"I420", {1280, 720}, {160, 120}, {1280, 720}, 100, 3000}}},
        {"jpeg and a rate list",
         "image/jpeg,width=320,height=240,framerate={15/1,30000/1001}",
         {{"MJPG", {320, 240}, {320, 240}, {320, 240}, 1500, 2997}}},
        {"two structures",
         "video/x-raw,format=BGRx,width=64,height=48; video/x-dv,width=720,height=576",
         {{"RGB32", {64, 48}, {64, 48}, {64, 48}, 0, 0}, {"dvsd", {720, 576}, {720, 576}, {720, 576}, 0, 0}}},
        {"unknown media type is skipped", "audio/x-raw,rate=8000", {}},
        {"nonsense caps", "not caps at all ,,,", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CapsEntries(QString::fromLatin1(c.caps)), c.expected) << c.legend;
    EXPECT_EQ(CapsOfFormatName("RGB24"), "video/x-raw,format=BGR");
    EXPECT_EQ(CapsOfFormatName(" MJPG"), "image/jpeg");
    EXPECT_TRUE(IsDVSubtype("DVSD"));
}
