#include "nav/GpsFixData.h"

#include "nav/NmeaAngle.h"
#include "shell/ProgramClock.h"

#include <cmath>

namespace velmar::nav {

namespace {

constexpr double MinutesPerDegree = 60.0;
constexpr double NmeaDegreeScale = 100.0;

double signedMinutes(float nmeaValue, char letter, char positiveLetter)
{
    const double minutes = NmeaDegrees(nmeaValue) * MinutesPerDegree + NmeaMinutes(nmeaValue);
    return letter == positiveLetter ? minutes : -minutes;
}

float nmeaFromDegrees(double degrees)
{
    const double a = std::fabs(degrees);
    const double d = std::floor(a);
    return float(NmeaDegreeScale * d + (a - d) * MinutesPerDegree);
}

float nmeaFromMinutes(double minutes)
{
    const double a = std::fabs(minutes);
    const double d = std::trunc(a / MinutesPerDegree);
    return float(NmeaDegreeScale * d + (a - MinutesPerDegree * d));
}

} // namespace

GpsFixData::GpsFixData()
{
    shell::GetProgramTime(&programTime);
}

GpsFixData::GpsFixData(const platform::SystemTime& time)
    : programTime(time)
{
}

double GpsFixData::GetLatitude() const
{
    return signedMinutes(latitude, latitudeLetter, 'N');
}

double GpsFixData::GetLongitude() const
{
    return signedMinutes(longitude, longitudeLetter, 'E');
}

void GpsFixData::SetLatitude(double degrees)
{
    latitudeLetter = degrees >= 0 ? 'N' : 'S';
    latitude = nmeaFromDegrees(degrees);
}

void GpsFixData::SetLongitude(double degrees)
{
    longitudeLetter = degrees >= 0 ? 'E' : 'W';
    longitude = nmeaFromDegrees(degrees);
}

void GpsFixData::SetPosition(double latitudeMinutes, double longitudeMinutes)
{
    latitude = nmeaFromMinutes(latitudeMinutes);
    latitudeLetter = latitudeMinutes > 0 ? 'N' : 'S';
    longitude = nmeaFromMinutes(longitudeMinutes);
    longitudeLetter = longitudeMinutes > 0 ? 'E' : 'W';
}

double GpsFixData::GetHeading(double magneticVariation) const
{
    if (HasTrueHeading())
        return trueHeading;
    if (HasMagHeading())
        return magHeading + magneticVariation;
    return course;
}

} // namespace velmar::nav
