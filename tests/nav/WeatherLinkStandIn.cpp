// A weather-station library in miniature for the weather tests: a station on
// port 2 only, with fixed readings. Built twice; the "partial" build lacks
// two entry points.
#include <cstring>

extern "C" {

static bool g_open = false;

short OpenCommPort(short port, int baud)
{
    g_open = port == 2 && baud == 2400;
    return g_open ? 1 : 0;
}
short SetCommTimeoutVal(short, short)
{
    return 1;
}
short SetUnits(char* units)
{
    static const char expected[4] = {1, 1, 2, 1};
    return std::memcmp(units, expected, 4) == 0 ? 1 : 0;
}
void CloseCommPort()
{
    g_open = false;
}
float GetOutsideTemp()
{
    return 12.5f;
}
float GetInsideTemp()
{
    return 20.4f;
}
float GetWindSpeed()
{
    return 7.5f;
}
float GetTotalRain()
{
    return 0.3f;
}
short GetInsideHumidity()
{
    return 45;
}
short GetOutsideHumidity()
{
    return 80;
}
#ifndef WEATHERLINK_PARTIAL
float GetBarometer()
{
    return 1013.2f;
}
short GetWindDirection()
{
    return 270;
}
#endif
}
