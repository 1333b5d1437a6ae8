#include "forms/WeatherKeywords.h"

#include <sql.h>

#include <array>

namespace velmar::forms {

namespace {
struct WeatherItem {
    const char* keyword;
    int code;
    int width;
    int sqlType;
};

// Total rain is a real value: its fractions are kept.
constexpr std::array<WeatherItem, 8> kItems{{
    {"OUTSIDETEMP", WEATHER_OUTSIDETEMP, 6, SQL_REAL},
    {"INSIDETEMP", WEATHER_INSIDETEMP, 6, SQL_REAL},
    {"OUTSIDEHUM", WEATHER_OUTSIDEHUM, 4, SQL_SMALLINT},
    {"INSIDEHUM", WEATHER_INSIDEHUM, 4, SQL_SMALLINT},
    {"BAROMETER", WEATHER_BAROMETER, 6, SQL_REAL},
    {"WINDSPEED", WEATHER_WINDSPEED, 5, SQL_REAL},
    {"WINDDIRECTION", WEATHER_WINDDIRECTION, 4, SQL_SMALLINT},
    {"TOTALRAIN", WEATHER_TOTALRAIN, 6, SQL_REAL},
}};

const WeatherItem* itemOf(int code)
{
    for (const WeatherItem& item : kItems)
        if (item.code == code)
            return &item;
    return nullptr;
}
} // namespace

int WeatherKeywordCode(const QString& keyword)
{
    for (const WeatherItem& item : kItems)
        if (keyword.compare(QLatin1String(item.keyword), Qt::CaseInsensitive) == 0)
            return item.code;
    return WEATHER_NONE;
}

int WeatherValueWidth(int code)
{
    const WeatherItem* item = itemOf(code);
    return item ? item->width : 0;
}

int WeatherValueSqlType(int code)
{
    const WeatherItem* item = itemOf(code);
    return item ? item->sqlType : 0;
}

} // namespace velmar::forms
