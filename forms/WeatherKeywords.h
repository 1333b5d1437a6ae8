#pragma once
// The weather-station values a DAVISWEATHER row of a user form can name by
// keyword (its Topic), with the width of the value's text and the type of the
// column it is stored in.
//
// Pure functions; safe from any thread.
#include <QString>

namespace velmar::forms {

enum WeatherKeyword : int {
    WEATHER_NONE = 0,
    WEATHER_OUTSIDETEMP = 1,
    WEATHER_INSIDETEMP = 2,
    WEATHER_OUTSIDEHUM = 3,
    WEATHER_INSIDEHUM = 4,
    WEATHER_BAROMETER = 5,
    WEATHER_WINDSPEED = 6,
    WEATHER_WINDDIRECTION = 7,
    WEATHER_TOTALRAIN = 8,
};

// The code of a keyword, compared without regard to case; 0 when unknown.
int WeatherKeywordCode(const QString& keyword);
// Characters of the value's text: 6, 4 or 5; 0 for code 0.
int WeatherValueWidth(int code);
// ODBC SQL type of the value's column: REAL (7) or SMALLINT (5); 0 for code 0.
int WeatherValueSqlType(int code);

} // namespace velmar::forms
