// The caps a graph asks of its device for the chosen format, size and rate.
#include "video/StreamConfig.h"

#include <gtest/gtest.h>

using namespace velmar::video;

TEST(StreamConfig, ChoosesTheCapsStepByStep)
{
    const QList<CapsEntry> fixed{{"YUY2", {640, 480}, {640, 480}, {640, 480}, 1500, 3000},
                                 {"MJPG", {1280, 720}, {1280, 720}, {1280, 720}, 3000, 3000}};
    const QList<CapsEntry> ranged{{"I420", {1280, 720}, {160, 120}, {1280, 720}, 100, 3000}};
    struct Case {
        const char* legend;
        const QList<CapsEntry>* formats;
        const char* subtype;
        VideoSize size;
        int rate;
        int step;
        const char* caps;
    } cases[] = {
        {"exact capability, rate 0 is 15 fps",
         &fixed,
         "YUY2",
         {640, 480},
         0,
         1,
         "video/x-raw,format=YUY2,width=640,height=480,framerate=15/1"},
        {"size inside a range",
         &ranged,
         "I420",
         {352, 288},
         2500,
         2,
         "video/x-raw,format=I420,width=352,height=288,framerate=25/1"},
        {"fractional rate",
         &ranged,
         "I420",
         {320, 240},
         2997,
         2,
         "video/x-raw,format=I420,width=320,height=240,framerate=2997/100"},
        {"unknown size keeps only the rate", &fixed, "YUY2", {800, 600}, 3000, 3, "video/x-raw,framerate=30/1"},
        {"rate nobody offers", &fixed, "YUY2", {640, 480}, 6000, 0, ""},
        {"no device formats", nullptr, "", {640, 480}, 1500, 0, ""},
    };
    const QList<CapsEntry> none;
    for (const Case& c : cases) {
        const StreamChoice choice = ChooseStreamCaps(c.formats ? *c.formats : none, c.subtype, c.size, c.rate);
        EXPECT_EQ(choice.step, c.step) << c.legend;
        EXPECT_EQ(choice.caps.toStdString(), c.caps) << c.legend;
    }
}

TEST(StreamConfig, ChoosesTheSubtype)
{
    const QStringList list{"YUY2", "YUY2", "RGB", "RGB24", "MJPG"};
    EXPECT_EQ(ChooseSubtype(list, 0, true), "RGB24") << "the frame grabber wants RGB";
    EXPECT_EQ(ChooseSubtype(list, 0, false), "YUY2");
    EXPECT_EQ(ChooseSubtype(list, 4, true), "MJPG");
    EXPECT_EQ(ChooseSubtype(list, 9, false), "YUY2");
    EXPECT_EQ(ChooseSubtype({}, 0, false), "");
}
