#include "nav/GpsFixData.h"

#include "nmea/NmeaAngle.h"
#include "platform/ProgramClock.h"

#include <cmath>

namespace velmar::nav {

namespace {

constexpr double MinutesPerDegree = 60.0;
constexpr double NmeaDegreeScale = 100.0;
constexpr int SecondsPerDay = 86400;
constexpr QChar DegreeSign{0x00B0};
// The acute accent that the position texts have always used as minute mark.
constexpr QChar MinuteMark{0x00B4};

double signedMinutes(float nmeaValue, char letter, char positiveLetter)
{
    const double minutes = nmea::NmeaDegrees(nmeaValue) * MinutesPerDegree + nmea::NmeaMinutes(nmeaValue);
    // No position is 0, never -0.
    return letter == positiveLetter || minutes == 0 ? minutes : -minutes;
}

float nmeaFromDegrees(double degrees)
{
    const double a = std::fabs(degrees);
    const double d = std::floor(a);
    return float(NmeaDegreeScale * d + (a - d) * MinutesPerDegree);
}

// Whole degrees, the degree sign, minutes to three places with a leading
// zero, the minute mark and the letter. Minutes that round up to 60 carry
// into the degrees, so no text ever reads 60.000.
QString positionText(int degrees, double minutes, const QString& letter)
{
    const double rounded = std::round(minutes * 1000.0) / 1000.0;
    if (rounded >= MinutesPerDegree) {
        ++degrees;
        minutes = 0;
    }
    return QStringLiteral("%1%2%3%4%5")
        .arg(degrees, 2, 10, QLatin1Char('0'))
        .arg(DegreeSign)
        .arg(minutes, 6, 'f', 3, QLatin1Char('0'))
        .arg(MinuteMark)
        .arg(letter);
}

QString letterText(char letter)
{
    return letter ? QString(QLatin1Char(letter)) : QString();
}

QString degreesText(double degrees, char positive, char negative)
{
    const double a = std::fabs(degrees);
    const double d = std::floor(a);
    return positionText(int(d), (a - d) * MinutesPerDegree, letterText(degrees > 0 ? positive : negative));
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
    platform::GetProgramTime(&programTime);
}

GpsFixData::GpsFixData(const platform::SystemTime& time) : programTime(time)
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

int GpsFixData::SecondsSince(const GpsFixData& fix, const GpsFixData& earlier)
{
    int seconds = (fix.SentenceSeconds() - earlier.SentenceSeconds())
                + 60 * (fix.SentenceMinutes() - earlier.SentenceMinutes())
                + 3600 * (fix.SentenceHours() - earlier.SentenceHours());
    if (seconds < 0)
        seconds += SecondsPerDay;
    return seconds;
}

QString GpsFixData::FormatLatitudeText(const GpsFixData& fix)
{
    return positionText(nmea::NmeaDegrees(fix.latitude), nmea::NmeaMinutes(fix.latitude),
                        letterText(fix.latitudeLetter));
}

QString GpsFixData::FormatLongitudeText(const GpsFixData& fix)
{
    return positionText(nmea::NmeaDegrees(fix.longitude), nmea::NmeaMinutes(fix.longitude),
                        letterText(fix.longitudeLetter));
}

QString GpsFixData::FormatSentenceTime(const GpsFixData& fix)
{
    return QStringLiteral("%1:%2:%3")
        .arg(fix.SentenceHours(), 2, 10, QLatin1Char('0'))
        .arg(fix.SentenceMinutes(), 2, 10, QLatin1Char('0'))
        .arg(fix.SentenceSeconds(), 2, 10, QLatin1Char('0'));
}

QString FormatLatitude(double degrees)
{
    return degreesText(degrees, 'N', 'S');
}

QString FormatLongitude(double degrees)
{
    return degreesText(degrees, 'E', 'W');
}

} // namespace velmar::nav
