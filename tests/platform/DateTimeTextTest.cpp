#include "platform/DateTimeText.h"

#include <QDir>
#include <QLocale>
#include <QString>

#include <gtest/gtest.h>

#include <clocale>
#include <vector>

using namespace velmar::platform;

namespace {

SystemTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    SystemTime t;
    t.wYear = uint16_t(y);
    t.wMonth = uint16_t(mo);
    t.wDay = uint16_t(d);
    t.wHour = uint16_t(h);
    t.wMinute = uint16_t(mi);
    t.wSecond = uint16_t(s);
    t.wMilliseconds = uint16_t(ms);
    return t;
}

std::string dateTimeOf(const SystemTime& t)
{
    return FormatTimeStamp(t).toStdString();
}

std::vector<QString> mixedWordMessages;
void collectMessage(const QString& text, const QString& caption)
{
    mixedWordMessages.push_back(caption + QStringLiteral(": ") + text);
}

} // namespace

TEST(DateTimeText, OleDatesCountFromThe30thOfDecember1899)
{
    struct Row {
        SystemTime t;
        double ole;
    };
    const Row rows[] = {
        {at(1899, 12, 30), 0.0},        {at(1900, 1, 1, 12), 2.5},    {at(2000, 1, 1), 36526.0},
        {at(2028, 2, 29, 6), 46812.25}, {at(1899, 12, 29, 6), -1.25}, // before day 0 the fraction counts forwards
    };
    for (const Row& r : rows) {
        double v = -99;
        ASSERT_TRUE(SystemTimeToVariantTime(r.t, v)) << dateTimeOf(r.t);
        EXPECT_DOUBLE_EQ(v, r.ole) << dateTimeOf(r.t);
        SystemTime back;
        ASSERT_TRUE(VariantTimeToSystemTime(r.ole, back));
        EXPECT_EQ(dateTimeOf(back), dateTimeOf(r.t));
    }
    SystemTime t;
    ASSERT_TRUE(VariantTimeToSystemTime(46812.25, t));
    EXPECT_EQ(t.wDayOfWeek, 2); // 29 February 2028 is a Tuesday
    ASSERT_TRUE(VariantTimeToSystemTime(1.0 + 0.49 / 86400, t));
    EXPECT_EQ(dateTimeOf(t), "1899-12-31 00:00:00");
    ASSERT_TRUE(VariantTimeToSystemTime(1.0 + 0.51 / 86400, t));
    EXPECT_EQ(dateTimeOf(t), "1899-12-31 00:00:01");
    double v = 0;
    EXPECT_FALSE(SystemTimeToVariantTime(at(2026, 0, 1), v));
    EXPECT_FALSE(SystemTimeToVariantTime(at(2026, 13, 1), v));
    EXPECT_FALSE(VariantTimeToSystemTime(3e6, t));
}

TEST(DateTimeText, Formatters)
{
    const SystemTime t = at(2010, 12, 8, 14, 3, 5, 999);
    EXPECT_EQ(FormatTimeStamp(t), QStringLiteral("2010-12-08 14:03:05"));
    EXPECT_EQ(FormatTimeStamp(SystemTime{}), QStringLiteral("0000-00-00 00:00:00"));
    EXPECT_EQ(FormatDateString(t, 0, 1), QStringLiteral("08 Dec 2010"));
    EXPECT_EQ(FormatDateString(at(2010, 9, 1), 0, 1), QStringLiteral("01 Sept 2010"));
    EXPECT_EQ(FormatDateString(t, 0, 2), QStringLiteral("08/12/2010"));
    EXPECT_EQ(FormatDateString(t, 0, 3), QStringLiteral("2010-12-08"));
    EXPECT_EQ(FormatDateString(t, 0, 4), QStringLiteral("No format !"));
    EXPECT_EQ(FormatDateString(at(2010, 12, 31, 23, 59, 59), 1.0, 3), QStringLiteral("2011-01-01"));
    EXPECT_EQ(FormatDateString(at(2010, 0, 8), 0, 3), QString());
    EXPECT_EQ(FormatTimeString(t, 0), QStringLiteral("14:03:05"));
    EXPECT_EQ(FormatTimeString(t, 3600.5), QStringLiteral("15:03:05"));
    EXPECT_EQ(FormatTimeString(at(2010, 0, 8, 14), 0), QString());

    const std::pair<int, const char*> durations[] = {
        {59, "00:59"}, {3599, "59:59"}, {3600, "1:00:00"}, {36061, "10:01:01"}, {-1, "-"}};
    for (auto [s, text] : durations)
        EXPECT_EQ(FormatDuration(s), QString::fromLatin1(text)) << s;

    const std::pair<int, const char*> hms[] = {{0, "00:00:00"}, {3661, "01:01:01"}, {360000, "100:00:00"}};
    for (auto [s, text] : hms)
        EXPECT_EQ(FormatSecondsHms(s), QString::fromLatin1(text)) << s;

    const std::pair<double, const char*> ms[] = {
        {75.25, "01:15.250"}, {3675.5, "0101:15.500"}, {0.3, "00:00.300"}, {59.9999, "00:59.999"}};
    for (auto [s, text] : ms)
        EXPECT_EQ(FormatSecondsMs(s), QString::fromLatin1(text)) << s;
}

TEST(DateTimeText, TextsIgnoreTheLocale)
{
    // A decimal comma and other digits' grouping must change nothing, be it
    // Qt's default locale or the C library's.
    const QLocale savedQt;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const std::string savedC = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "de_DE.UTF-8"); // where installed
    EXPECT_EQ(FormatSecondsMs(75.25), QStringLiteral("01:15.250"));
    EXPECT_EQ(FormatDuration(36061), QStringLiteral("10:01:01"));
    EXPECT_EQ(FormatDateString(at(2010, 3, 8), 0, 1), QStringLiteral("08 March 2010"));
    EXPECT_TRUE(ReadDateTimeString(QStringLiteral("2010-12-08 14:03:05")));
    std::setlocale(LC_ALL, savedC.c_str());
    QLocale::setDefault(savedQt);
}

TEST(DateTimeText, AddSecondsToTime)
{
    struct Row {
        SystemTime in;
        double seconds;
        const char* out;
        int ms;
    };
    const Row rows[] = {
        {at(2010, 12, 8, 14, 3, 5), 2.7, "2010-12-08 14:03:07", 700},
        {at(2010, 12, 8, 14, 3, 5), 1.5, "2010-12-08 14:03:06", 500},
        {at(2010, 12, 8, 14, 3, 5, 900), 0.25, "2010-12-08 14:03:05", 250}, // input ms ignored
        {at(2010, 12, 8, 14, 3, 5), -3605, "2010-12-08 13:03:00", 0},
        {at(2028, 2, 28, 23, 59, 59), 1, "2028-02-29 00:00:00", 0},
        {at(2027, 2, 28, 23, 59, 59), 1, "2027-03-01 00:00:00", 0},
        {at(2026, 12, 31, 23, 0, 0), 86400.0 * 60, "2027-03-01 23:00:00", 0},
    };
    for (const Row& r : rows) {
        const SystemTime out = AddSecondsToTime(r.in, r.seconds);
        EXPECT_EQ(dateTimeOf(out), r.out) << dateTimeOf(r.in) << " + " << r.seconds;
        EXPECT_EQ(out.wMilliseconds, r.ms) << dateTimeOf(r.in) << " + " << r.seconds;
    }
    EXPECT_EQ(AddSecondsToTime(at(2028, 2, 29, 12), 0).wDayOfWeek, 2);
    // No date to shift: the time comes back as it was.
    EXPECT_EQ(AddSecondsToTime(SystemTime{}, 5), SystemTime{});
}

TEST(DateTimeText, SecondsBetweenAndOfDay)
{
    EXPECT_EQ(SecondsBetween(at(2028, 3, 1), at(2028, 2, 28)), 2 * 86400.0);
    EXPECT_EQ(SecondsBetween(at(2027, 3, 1), at(2027, 2, 28)), 86400.0);
    EXPECT_EQ(SecondsBetween(at(2010, 12, 8, 14, 3, 5, 10), at(2010, 12, 8, 14, 3, 5, 990)), 0.0);
    EXPECT_EQ(SecondsBetween(at(2010, 12, 8, 14, 3, 5), at(2010, 12, 8, 14, 3, 6)), -1.0);
    EXPECT_EQ(SecondsOfDay(at(2010, 12, 8, 14, 3, 5)), 50585);
}

TEST(DateTimeText, CalendarChecksCountLeapYears)
{
    struct Row {
        SystemTime t;
        bool ok;
    };
    const Row rows[] = {
        {at(2028, 2, 29), true},
        {at(2027, 2, 29), false},
        {at(2000, 2, 29), true},
        {at(2100, 2, 29, 0), false},
        {at(2010, 12, 31, 23, 59, 59), true},
        {at(2010, 4, 31), false},
        {at(2010, 12, 0), false},
        {at(2010, 0, 1), false},
        {at(2010, 13, 1), false},
        {at(2010, 1, 1, 24), false},
        {at(2010, 1, 1, 0, 60), false},
        {at(2010, 1, 1, 0, 0, 60), false},
        {at(1950, 6, 1), false},
        {at(1951, 6, 1), true},
    };
    for (const Row& r : rows)
        EXPECT_EQ(CheckSystemTime(r.t), r.ok) << dateTimeOf(r.t);
    EXPECT_EQ(DaysInMonth(1, 2028), 29);
    EXPECT_EQ(DaysInMonth(1, 2027), 28);
    EXPECT_EQ(DaysInMonth(11, 2027), 31);
    EXPECT_EQ(DaysInMonth(12, 2027), 0);
}

TEST(DateTimeText, MonthNames)
{
    const std::pair<const char*, int> rows[] = {{"sep", 9},  {"Mar", 3},  {"MARCH", 3}, {"september", 9},
                                                {"Dec", 12}, {"xyz", 13}, {"Ma", 13},   {"", 13}};
    for (auto [word, month] : rows)
        EXPECT_EQ(MonthFromName(QString::fromLatin1(word)), month) << word;
    EXPECT_EQ(MonthName(7), QStringLiteral("July"));
    EXPECT_EQ(MonthName(13), QString());
}

TEST(DateTimeText, ParseTimeStamp)
{
    struct Row {
        const char* text;
        const char* out;
    };
    const Row rows[] = {
        {"2010-12-08 14:03:05", "2010-12-08 14:03:05"},
        {"2010/12/08   14.03.05", "2010-12-08 14:03:05"},
        {"2028-02-29 00:00:00", "2028-02-29 00:00:00"},
        {"2010-12-08", "2010-12-08 00:00:00"},
        {"2010-12-08T14:03:05", "2010-12-08 00:00:00"}, // blanks must part date and time
        {"2010-12", "2010-12-00 00:00:00"},
        {"", "0000-00-00 00:00:00"},
        {"1900-01-01 00:00:00", "1900-01-01 00:00:00"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(dateTimeOf(ParseTimeStamp(QString::fromLatin1(r.text))), r.out) << r.text;
    const SystemTime t = ParseTimeStamp(QStringLiteral("2010-12-08 14:03:05"));
    EXPECT_EQ(t.wDayOfWeek, 0);
    EXPECT_EQ(t.wMilliseconds, 0);
    // What FormatTimeStamp writes, ParseTimeStamp reads back.
    const SystemTime leap = at(2028, 2, 29, 23, 59, 58);
    EXPECT_EQ(ParseTimeStamp(FormatTimeStamp(leap)), leap);
}

TEST(DateTimeText, ReadDateTimeString)
{
    struct Row {
        const char* text;
        bool ok;
        const char* out;
    };
    const Row rows[] = {
        {"2010-12-08 14:03:05", true, "2010-12-08 14:03:05"},
        {"10-12-08", true, "2010-12-08 00:00:00"},
        {"2010-12-8 7:5", true, "2010-12-08 07:05:00"},
        {"2028-2-29", true, "2028-02-29 00:00:00"},
        {"2027-2-29", false, ""},
        {"1989-1-1", false, ""},
        {"95-1-1", false, ""}, // two-digit years from 90 on are below 1990
        {"2091-1-1", false, ""},
        {"2010-2-30 10:00", false, ""},
        {"2010-12-08 24:00", false, ""},
        {"2010-12", false, ""},
        {"", false, ""},
        {"8 Dec 2010", false, ""},
    };
    for (const Row& r : rows) {
        SystemTime t = at(1, 1, 1);
        t.wDayOfWeek = 5;
        const SystemTime before = t;
        EXPECT_EQ(ReadDateTimeString(QString::fromLatin1(r.text), &t), r.ok) << r.text;
        if (r.ok) {
            EXPECT_EQ(dateTimeOf(t), r.out) << r.text;
            EXPECT_EQ(t.wDayOfWeek, 5) << r.text;
        } else {
            EXPECT_EQ(t, before) << r.text; // nothing written
        }
    }
    EXPECT_TRUE(ReadDateTimeString(QStringLiteral("2010-12-08")));
}

TEST(DateTimeText, CheckTimeString)
{
    const std::pair<const char*, bool> rows[] = {
        {"7:5", true},    {"23:59:59", true},  {"  12:30", true}, {"24:00", false}, {"12", false},
        {"12:60", false}, {"12:00:60", false}, {"", false},       {"   ", false},   {"1:2:3:4", false}};
    for (auto [text, ok] : rows)
        EXPECT_EQ(CheckTimeString(QString::fromLatin1(text)), ok) << text;
}

TEST(DateTimeText, InterpretDateString)
{
    SetDateTextMessageHandler(collectMessage);
    const int thisYear = SystemTime::nowUtc().wYear;
    struct Row {
        const char* text;
        bool ok;
        int kind;
        SystemTime out;
    };
    const Row rows[] = {
        {"2010-12-08", true, 3, at(2010, 12, 8)},     {"  8 Dec 2010", true, 1, at(2010, 12, 8)},
        {"Dec 8 2010", true, 1, at(2010, 12, 8)},     {"8 March 10", true, 1, at(2010, 3, 8)},
        {"8 March 75", true, 1, at(1975, 3, 8)},      {"8 March 49", true, 1, at(2049, 3, 8)},
        {"29 Feb 2028", true, 1, at(2028, 2, 29)},    {"29 Feb 2027", false, 1, at(2027, 2, 29)},
        {"2028-02-29", true, 3, at(2028, 2, 29)},     {"2027-02-29", false, 3, at(2027, 2, 29)},
        {"8 xyz 2010", false, 1, at(2010, 13, 8)},    {"08/12/2010", false, 2, SystemTime{}},
        {"2010-12-08 14:03", false, 0, SystemTime{}}, {"8Dec 2010", false, 0, SystemTime{}},
        {"December", false, 0, SystemTime{}},
    };
    for (const Row& r : rows) {
        SystemTime t;
        int kind = 0;
        EXPECT_EQ(InterpretDateString(QString::fromLatin1(r.text), &t, &kind), r.ok) << r.text;
        EXPECT_EQ(kind, r.kind) << r.text;
        if (r.kind == 1 || r.kind == 3) {
            EXPECT_EQ(dateTimeOf(t), dateTimeOf(r.out)) << r.text;
        }
    }
    SystemTime t;
    EXPECT_TRUE(InterpretDateString(QStringLiteral("1 Jun"), &t));
    EXPECT_EQ(t.wYear, thisYear);
    EXPECT_FALSE(InterpretDateString(QStringLiteral("2010-12-08"), nullptr));
    ASSERT_EQ(mixedWordMessages.size(), 1u);
    EXPECT_EQ(mixedWordMessages[0],
              QStringLiteral("Error in InterpretTimeString: Mixing of Numbers and Characters - confused"));
    mixedWordMessages.clear();
    SetDateTextMessageHandler(nullptr);
}

TEST(DateTimeText, InterpretTimeString)
{
    SetDateTextMessageHandler(collectMessage);
    struct Row {
        const char* text;
        bool ok;
        const char* out;
    };
    const Row rows[] = {
        {"2010-12-08 14:03:05", true, "2010-12-08 14:03:05"},
        {"08 Dec 2010 14:03:05", true, "2010-12-08 14:03:05"},
        {"Dec 8 2010 14:03", true, "2010-12-08 14:03:00"},
        {"8 March 10 14:03:05", true, "2010-03-08 14:03:05"},
        {"Dec 8 14:03", true, "2000-12-08 14:03:00"}, // no year: 2000
        {"29 Feb 2028 12:00", true, "2028-02-29 12:00:00"},
        {"2027-02-29 12:00", false, nullptr},
        {"14:03:05", false, nullptr},
        {"08/12/2010 14:03", false, nullptr},
        {"2010-12-08 24:03", false, nullptr},
        {"2010-12-08", false, nullptr},
        {"2010-12-08 1:2:3:4", false, nullptr},
        {"8 Dec2010 14:03", false, nullptr},
        {"", false, nullptr},
    };
    for (const Row& r : rows) {
        SystemTime t;
        EXPECT_EQ(InterpretTimeString(QString::fromLatin1(r.text), &t), r.ok) << r.text;
        if (r.out) {
            EXPECT_EQ(dateTimeOf(t), r.out) << r.text;
        }
    }
    EXPECT_EQ(mixedWordMessages.size(), 1u);
    mixedWordMessages.clear();
    SetDateTextMessageHandler(nullptr);
}

TEST(DateTimeText, TimeTextFromFileName)
{
    const QString tmp = QDir::tempPath();
    struct Row {
        QString path;
        std::optional<QString> text;
    };
    const Row rows[] = {
        {QStringLiteral("/data/rec/Rec20101208_140305.wav"), QStringLiteral("08 Dec 2010 14:03:05")},
        {QStringLiteral("/data/D101208/140305.wav"), QStringLiteral("08 Dec 2010 14:03:05")},
        {QStringLiteral("/data/20280229/235959.wav"), QStringLiteral("29 Feb 2028 23:59:59")},
        {QStringLiteral("C:\\AutorecFiles\\OD20100308_090000.wav"), QStringLiteral("08 March 2010 09:00:00")},
        {QStringLiteral("/data/D991231/000001.wav"), QStringLiteral("31 Dec 1999 00:00:01")},
        {QStringLiteral("/data/D1208/140305.wav"), std::nullopt},    // too few date digits
        {QStringLiteral("/data/D1012080/140305.wav"), std::nullopt}, // seven digits
        {QStringLiteral("/data/rec/Rec20101208_1403.wav"), std::nullopt},
        {QStringLiteral("/data/rec/Rec20101308_140305.wav"), std::nullopt}, // month 13
        {tmp + QStringLiteral("/notes.txt"), std::nullopt},
    };
    for (const Row& r : rows)
        EXPECT_EQ(TimeTextFromFileName(r.path), r.text) << r.path.toStdString();
}
