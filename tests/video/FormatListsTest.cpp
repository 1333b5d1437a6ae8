// Size lists, size walks, nearest sizes and name patterns of the video component.
#include "video/VideoFormatLists.h"

#include <gtest/gtest.h>

using namespace velmar::video;

namespace {
TVideoSizeList listOf(std::initializer_list<VideoSize> sizes)
{
    TVideoSizeList list;
    for (VideoSize s : sizes)
        list.addSize(s.width, s.height);
    return list;
}
} // namespace

TEST(SizeList, FirstSizeAddsTheDefaultCopyAndDuplicatesAreIgnored)
{
    TVideoSizeList list;
    EXPECT_TRUE(list.addSize(640, 480));
    EXPECT_FALSE(list.addSize(640, 480));
    EXPECT_EQ(list.entries(), (QStringList{"    640x480", " 640x480"}));
    list.addSize(96, 72);
    list.addSize(1024, 768);
    // Text order runs from the narrowest to the widest after the default.
    EXPECT_EQ(list.entries(), (QStringList{"    640x480", "  96x72", " 640x480", "1024x768"}));
}

TEST(SizeList, ParsesSizeTexts)
{
    struct Case {
        const char* text;
        bool ok;
        int w, h;
    } cases[] = {
        {" 640x480", true, 640, 480}, {"x480", false, 0, 0}, {"640x", false, 0, 0},
        {"    96x72", true, 96, 72},  {"half", false, 0, 0}, {"0x0", false, 0, 0},
    };
    for (const Case& c : cases) {
        int w = 0, h = 0;
        EXPECT_EQ(ParseSizeText(QString::fromLatin1(c.text), w, h), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(w, c.w) << c.text;
            EXPECT_EQ(h, c.h) << c.text;
        }
    }
}

// The walks halve and double from the capability's size and its limits. A
// minimum of 0 or a maximum near the integer range must still end.
TEST(SizeList, WalksEndForEveryCapability)
{
    struct Case {
        const char* legend;
        VideoSize size, min, max;
        QStringList expected; // empty: only check it ends with sane sizes
    } cases[] = {
        {"fixed size", {640, 480}, {640, 480}, {640, 480}, {"    640x480", " 640x480"}},
        {"range halves to the minimum",
         {640, 480},
         {160, 120},
         {640, 480},
         {"    640x480", " 160x120", " 320x240", " 640x480"}},
        {"minimum of 0", {640, 480}, {0, 0}, {640, 480}, {}},
        {"negative minimum", {64, 48}, {-5, -5}, {64, 48}, {}},
        {"maximum near the integer range", {640, 480}, {640, 480}, {INT_MAX, INT_MAX}, {}},
        {"all zero", {0, 0}, {0, 0}, {0, 0}, {}},
    };
    for (const Case& c : cases) {
        TVideoSizeList list;
        list.addWalkedSizes(c.size, c.min, c.max);
        if (!c.expected.isEmpty()) {
            EXPECT_EQ(list.entries(), c.expected) << c.legend;
        }
        EXPECT_LE(list.count(), 1 + 12 * maxWalkSteps) << c.legend;
        for (int i = 0; i < list.count(); ++i) {
            VideoSize s;
            EXPECT_TRUE(list.sizeAt(i, s)) << c.legend << " " << list.entries().at(i).toStdString();
            EXPECT_GE(s.width, 1) << c.legend;
            EXPECT_GE(s.height, 1) << c.legend;
        }
    }
}

TEST(SizeList, NearestSize)
{
    struct Case {
        const char* legend;
        std::initializer_list<VideoSize> sizes;
        VideoSize request;
        QString expected;
    } cases[] = {
        {"one inside the width window falls back to distance",
         {{320, 240}, {640, 480}, {1280, 720}},
         {640, 360},
         " 640x480"},
        {"closest aspect among those inside the window", {{640, 480}, {704, 396}}, {640, 360}, " 704x396"},
        {"exact size", {{320, 240}, {640, 480}}, {320, 240}, " 320x240"},
        {"none inside the window: by distance", {{160, 120}, {1920, 1080}}, {800, 600}, " 160x120"},
    };
    for (const Case& c : cases) {
        const TVideoSizeList list = listOf(c.sizes);
        const int i = NearestSizeIndex(list, c.request.width, c.request.height, 0);
        ASSERT_GE(i, 1) << c.legend;
        EXPECT_EQ(list.entries().at(i), c.expected) << c.legend;
    }
    TVideoSizeList empty;
    EXPECT_EQ(NearestSizeIndex(empty, 640, 480, 3), 3);
    EXPECT_EQ(NearestSizeIndexByDistance(listOf({{640, 480}}), 10, 10, 0), 1);
}

TEST(SizeList, SizeOfIndex)
{
    const TVideoSizeList list = listOf({{640, 480}, {320, 240}});
    struct Case {
        const char* legend;
        SizeContext context;
        int index;
        bool ok;
        VideoSize size;
    } cases[] = {
        {"empty list", {nullptr, 0, {}, false, false}, -1, false, {320, 240}},
        {"current index", {&list, 2, {}, false, false}, -1, true, {640, 480}},
        {"current beyond the list is the default", {&list, 9, {}, false, false}, -1, true, {640, 480}},
        {"configured stream size wins", {&list, 2, {300, 230}, false, false}, -1, true, {320, 240}},
        {"PAL DV index 4", {&list, 0, {}, true, true}, 4, true, {720, 576}},
        {"NTSC DV index 1", {&list, 0, {}, true, false}, 1, true, {88, 60}},
        {"DV beyond the table", {&list, 0, {}, true, false}, 5, false, {}},
    };
    for (const Case& c : cases) {
        VideoSize s;
        EXPECT_EQ(SizeOfIndex(c.context, c.index, s), c.ok) << c.legend;
        if (c.ok || !c.context.sizes) {
            EXPECT_EQ(s, c.size) << c.legend;
        }
    }
}

TEST(SizeList, FixDefaults)
{
    {
        TVideoSizeList sizes = listOf({{720, 576}, {176, 144}, {352, 288}, {640, 480}});
        TVideoSubtypeList subtypes;
        subtypes.add("YUY2");
        subtypes.add("MJPG");
        FixDefaults(sizes, subtypes, DeviceFormatKind::Capture);
        EXPECT_EQ(sizes.entries().first(), "    352x288") << "a large first size gives way to 352x288";
        EXPECT_EQ(subtypes.entries(), (QStringList{"YUY2", "YUY2", "MJPG"}));
    }
    {
        TVideoSizeList sizes = listOf({{720, 576}});
        TVideoSubtypeList subtypes;
        FixDefaults(sizes, subtypes, DeviceFormatKind::DV);
        EXPECT_EQ(sizes.entries(), (QStringList{"    half", "   dc", "  quarter", " half", "full"}));
    }
    {
        TVideoSizeList sizes = listOf({{320, 240}, {640, 480}});
        TVideoSubtypeList subtypes;
        FixDefaults(sizes, subtypes, DeviceFormatKind::Capture);
        EXPECT_EQ(sizes.entries().first(), "    320x240") << "a small default stays";
    }
}

TEST(NamePattern, FindsIndexes)
{
    const QStringList devices{"Integrated Camera (WDM)", "Logitech USB Cam (WDM)", "usb grabber (WDM)"};
    const QStringList sizes{"    640x480", " 640x480", " 800x600"};
    struct Case {
        const char* legend;
        const QStringList* list;
        const char* name;
        int expected;
    } cases[] = {
        {"contains, any case", &devices, "*usb*", 1},
        {"begins with", &devices, "usb*", 2},
        {"ends with", &sizes, "*x600", 2},
        {"trimmed name does not equal a padded entry", &sizes, "640x480", -1},
        {"star finds the padded entry", &sizes, "*640x480", 0},
        {"equal", &devices, " integrated camera (wdm) ", 0},
        {"empty", &devices, "", -1},
        {"no match", &devices, "*firewire*", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IndexOfName(*c.list, QString::fromLatin1(c.name)), c.expected) << c.legend;
}
