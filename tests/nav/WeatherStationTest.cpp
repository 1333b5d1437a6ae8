// The weather station: the stand-in library bound and read by the weather
// thread, the formatting of the values and the report of missing entry
// points.
#include "nav/WeatherStation.h"
#include "forms/WeatherKeywords.h"

#include <QTest>

#include <gtest/gtest.h>

#include <sql.h>

using namespace velmar::nav;

namespace {

TEST(WeatherKeywords, CodesWidthsAndColumnTypes)
{
    using namespace velmar::forms;
    struct Case {
        const char* keyword;
        int code;
        int width;
        int sqlType;
    };
    const Case cases[] = {
        {"windspeed", 6, 5, SQL_REAL}, {"OUTSIDEHUM", 3, 4, SQL_SMALLINT},
        {"TotalRain", 8, 6, SQL_REAL}, // fractions of rain are kept
        {"WINDSPEED ", 0, 0, 0},       {"", 0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WeatherKeywordCode(c.keyword), c.code) << c.keyword;
        EXPECT_EQ(WeatherValueWidth(c.code), c.width) << c.keyword;
        EXPECT_EQ(WeatherValueSqlType(c.code), c.sqlType) << c.keyword;
    }
}

TEST(WeatherStation, TheThreadReadsTheStationAndTheFormsSeeItsValues)
{
    ASSERT_TRUE(LoadWeatherDllFrom(QStringLiteral(WEATHERLINK_STANDIN)));
    EXPECT_FALSE(FormatWeatherValue(1)) << "nothing before the port is open";
    {
        WeatherThread thread(2);
        thread.Begin();
        ASSERT_TRUE(QTest::qWaitFor([] { return bool(FormatWeatherValue(7)); }, 10000));
        const std::pair<int, const char*> shown[] = {{1, "  12.5"}, {2, "  20.4"}, {3, "80"},  {4, "45"},
                                                     {5, "1013.2"}, {6, "   7.5"}, {7, "270"}, {8, "   0.3"}};
        for (const auto& [code, text] : shown)
            EXPECT_EQ(FormatWeatherValue(code).value_or("none"), QString::fromLatin1(text)) << code;
        EXPECT_FALSE(FormatWeatherValue(0));
        EXPECT_FALSE(FormatWeatherValue(9));
    }
    EXPECT_FALSE(TheWeatherValues().portOpen) << "the port closes with the thread";
}

TEST(WeatherStation, NoStationOnThePortLeavesEveryValueEmpty)
{
    ASSERT_TRUE(LoadWeatherDllFrom(QStringLiteral(WEATHERLINK_STANDIN)));
    ReadWeatherValues(3);
    for (int code = 1; code <= 8; ++code)
        EXPECT_FALSE(FormatWeatherValue(code)) << code;
}

TEST(WeatherStation, MissingEntryPointsAreNamedInOneMessageAndNeverCalled)
{
    static QStringList messages;
    SetWeatherMessageSink([](const QString& text, const QString& caption) { messages << caption + ": " + text; });
    QString missing;
    ASSERT_TRUE(LoadWeatherDllFrom(QStringLiteral(WEATHERLINK_PARTIAL), &missing));
    EXPECT_EQ(missing, "ExtGetBarometer\nExtGetWindDirection");
    EXPECT_EQ(messages, QStringList{"No routine: ExtGetBarometer\nExtGetWindDirection"});
    ReadWeatherValues(2);
    EXPECT_EQ(FormatWeatherValue(1).value_or("none"), "  12.5");
    EXPECT_FALSE(FormatWeatherValue(5));
    CloseWeatherStation();
    SetWeatherMessageSink(nullptr);
    EXPECT_FALSE(LoadWeatherDllFrom(QStringLiteral("/no/such/libweatherlink.so")));
}

} // namespace
