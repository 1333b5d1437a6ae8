// The overlay template language: parsing into items and the line drawn for
// a frame.
#include "video/OverlayTemplate.h"

#include <gtest/gtest.h>

using namespace velmar::video;

namespace {
using Items = QList<TOverlayItem>;

struct ParseCase {
    const char* legend;
    QString text;
    Items expected;
};
} // namespace

TEST(OverlayTemplate, ParsesTemplatesIntoItems)
{
    const ParseCase cases[] = {
        {"literal, variable, literal",
         "Frame %frame_count% of day",
         {{"Frame ", ok_Literal}, {"", ok_FrameCount}, {" of day", ok_Literal}}},
        {"format variable", "%sys_time[hh:nn:ss]%", {{"", ok_Literal}, {"hh:nn:ss", ok_SysTime}}},
        {"dv format", "%dv_time[dd/mm/yy]%", {{"", ok_Literal}, {"dd/mm/yy", ok_DvTime}}},
        {"empty name", "%%", {{"", ok_Literal}, {"%%", ok_Literal}}},
        {"open variable dropped", "50%", {{"50", ok_Literal}}},
        {"custom digit", "%custom3%", {{"", ok_Literal}, {"", ok_Custom0 + 3}}},
        {"custom two digits", "%custom10%", {{"", ok_Literal}, {"%custom10%", ok_Literal}}},
        {"case matters", "%Custom3%", {{"", ok_Literal}, {"%Custom3%", ok_Literal}}},
        {"all names",
         "%time_code%%time_100ns%%time_sec%%time_full%",
         {{"", ok_Literal},
          {"", ok_TimeCode},
          {"", ok_Literal},
          {"", ok_Time100ns},
          {"", ok_Literal},
          {"", ok_TimeSec},
          {"", ok_Literal},
          {"", ok_TimeFull}}},
        {"empty", "", {}},
    };
    for (const ParseCase& c : cases)
        EXPECT_EQ(ParseOverlayTemplate(c.text), c.expected) << c.legend;
}

TEST(OverlayTemplate, KeepsTheFirstFortyItems)
{
    QString text;
    for (int i = 0; i < 30; ++i)
        text += QStringLiteral("a%frame_count%");
    const Items items = ParseOverlayTemplate(text);
    ASSERT_EQ(items.size(), overlayItemsMax);
    EXPECT_EQ(items.last(), (TOverlayItem{"", ok_FrameCount}));
}

TEST(OverlayTemplate, ExpandsFrameValues)
{
    // 1 min 2.5 s
    TFrameInfo frame = MakeFrameInfo(12, 625000000);
    const TOverlayCustomVars custom{"zero", "", "", "ship"};
    const QDateTime now(QDate(2026, 3, 7), QTime(9, 5, 4, 32));
    struct Case {
        QString text;
        QString expected;
    } cases[] = {
        {"Frame %frame_count% at %time_full%", "Frame 12 at 00:01:02 50"},
        {"%time_sec%|%time_100ns%", "62.50|625000000"},
        {"tc %time_code%.", "tc ."},
        {"%sys_time[dd/mm/yy hh:nn:ss.zzz]%", "07/03/26 09:05:04.032"},
        {"%sys_time[yyyy-mm-dd h:m]%", "2026-03-07 9:5"},
        {"%sys_time['at' hh]%", "at 09"},
        {"%custom3% %custom0% %custom9%.", "ship zero ."},
        {"dv:%dv_time[dd/mm/yy]%", "dv:"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExpandOverlayTemplate(ParseOverlayTemplate(c.text), frame, custom, now), c.expected)
            << c.text.toStdString();

    frame.timeCodePresent = true;
    frame.tcHours = 1, frame.tcMinutes = 2, frame.tcSeconds = 3, frame.tcFrames = 4;
    EXPECT_EQ(ExpandOverlayTemplate(ParseOverlayTemplate("%time_code%"), frame, custom, now), "01:02:03:04");

    const TFrameInfo hour = MakeFrameInfo(1, 37234500000); // 1 h 2 min 3.45 s
    EXPECT_EQ(hour.hours, 1);
    EXPECT_EQ(hour.minutes, 2);
    EXPECT_EQ(hour.seconds, 3);
    EXPECT_EQ(hour.hundredths, 45);
    EXPECT_EQ(hour.totalMinutes, 62);
}

TEST(OverlayTemplate, DvDateIsValidated)
{
    struct Case {
        const char* legend;
        int year, month, day, hour, minute, second;
        QString expected; // "" when nothing is drawn
    } cases[] = {
        {"plain", 2024, 5, 17, 13, 4, 5, "17/05/24 13:04:05"},
        {"day past the month's end rolls over", 2023, 2, 31, 0, 0, 0, "03/03/23 00:00:00"},
        {"month 0 is the base date", 2024, 0, 9, 1, 2, 3, "30/12/99 01:02:03"},
        {"month 13 draws nothing", 2024, 13, 1, 1, 2, 3, ""},
        {"month 255 draws nothing", 2024, 255, 1, 1, 2, 3, ""},
        {"hour 24 draws nothing", 2024, 5, 1, 24, 0, 0, ""},
        {"second 60 draws nothing", 2024, 5, 1, 0, 0, 60, ""},
    };
    for (const Case& c : cases) {
        TFrameInfo f;
        f.dvDatePresent = true;
        f.dvYear = c.year, f.dvMonth = c.month, f.dvDay = c.day;
        f.dvHour = c.hour, f.dvMinute = c.minute, f.dvSecond = c.second;
        EXPECT_EQ(ExpandOverlayTemplate(ParseOverlayTemplate("%dv_time[dd/mm/yy hh:nn:ss]%"), f, {}, {}), c.expected)
            << c.legend;
    }
}

TEST(OverlayTemplate, DefaultTemplateHasTenLines)
{
    const QString text = DefaultOverlayTemplate();
    EXPECT_EQ(text.split("\r\n").size(), 10);
    EXPECT_TRUE(text.startsWith("Note: the date/time formats \r\ncan be easily modified.\r\n\r\n"));
}
