#include "nav/NmeaSentence.h"

#include "nav/GpsGeometry.h"
#include "nmea/NmeaFields.h"
#include "platform/ProgramClock.h"
#include "platform/ProgramClock.h"

#include <cmath>
#include <limits>

namespace velmar::nav {

namespace {

constexpr int SentenceNameLength = 5;        // two talker letters and the type
constexpr float LargestLatitude = 9000.0f;   // ddmm.mmm
constexpr float LargestLongitude = 18000.0f; // dddmm.mmm
constexpr double MinutesPerDegree = 60.0;
constexpr float LargestHeading = 360.0f;
constexpr double SecondsPerHour = 3600.0;

// The sentence without the NUL, carriage return and line feed that may trail it.
QByteArray trimmedSentence(const QByteArray& sentence)
{
    QByteArray s = sentence;
    while (!s.isEmpty() && (s.back() == '\0' || s.back() == '\r' || s.back() == '\n'))
        s.chop(1);
    return s;
}

// Fields between the leading "$" and the checksum; nothing for a sentence
// that is no sentence or whose checksum does not match.
std::optional<QList<QByteArray>> sentenceFields(const QByteArray& sentence)
{
    const QByteArray s = trimmedSentence(sentence);
    if (s.size() < 2 || s.front() != '$' || !nmea::NmeaChecksumOk(s))
        return std::nullopt;
    const qsizetype star = s.indexOf('*');
    return s.mid(1, star < 0 ? -1 : star - 1).split(',');
}

bool nameIs(const QByteArray& name, const char* type)
{
    return name.size() == SentenceNameLength && name.endsWith(type);
}

// The sentence time field: empty sets the no-time flag, else hhmmss(.ss)
// truncated to whole seconds.
bool readTime(GpsFixData& fix, const QByteArray& field)
{
    if (field.isEmpty()) {
        fix.noTime = 1;
        fix.sentenceTime = 0;
        return true;
    }
    const std::optional<nmea::NmeaTimeField> time = nmea::ReadNmeaTimeField(field);
    if (!time)
        return false;
    fix.sentenceTime = time->hhmmss;
    return true;
}

// A plain decimal number from 0 to largest: a float that does not round
// above largest either.
bool readFloat(const QByteArray& field, float& value, float largest)
{
    const std::optional<double> v = nmea::ReadNmeaNumber(field);
    if (!v || *v < 0 || *v > largest || float(*v) > largest)
        return false;
    value = float(*v);
    return true;
}

// ddmm.mmm or dddmm.mmm: no more than 59.999... minutes.
bool readAngle(const QByteArray& field, float& value, float largest)
{
    if (!readFloat(field, value, largest))
        return false;
    const double minutes = double(value) - 100.0 * std::floor(double(value) / 100.0);
    return minutes < MinutesPerDegree;
}

enum class PositionFields { Absent, Present, Bad };

// Latitude, its letter, longitude, its letter from four consecutive fields.
// All four empty is a sentence without a position (no fix).
PositionFields readPosition(GpsFixData& fix, const QList<QByteArray>& f, int first)
{
    const QByteArray& lat = f[first];
    const QByteArray& ns = f[first + 1];
    const QByteArray& lon = f[first + 2];
    const QByteArray& ew = f[first + 3];
    if (lat.isEmpty() && ns.isEmpty() && lon.isEmpty() && ew.isEmpty())
        return PositionFields::Absent;
    if (ns != "N" && ns != "S")
        return PositionFields::Bad;
    if (ew != "E" && ew != "W")
        return PositionFields::Bad;
    if (!readAngle(lat, fix.latitude, LargestLatitude) || !readAngle(lon, fix.longitude, LargestLongitude))
        return PositionFields::Bad;
    fix.latitudeLetter = ns.front();
    fix.longitudeLetter = ew.front();
    return PositionFields::Present;
}

void setStatus(GpsFixData& fix, char letter)
{
    fix.statusLetter = letter;
    fix.valid = letter == 'A' ? 1 : 0;
    fix.statusCode = letter == 'A' ? GpsFixData::StatusCodeValid
                   : letter == 'V' ? GpsFixData::StatusCodeVoid
                                   : GpsFixData::StatusCodeOther;
}

} // namespace

std::optional<QByteArray> GetNmeaField(const QByteArray& sentence, int n, int maxLength)
{
    const QByteArray s = trimmedSentence(sentence);
    if (s.isEmpty() || n < 0)
        return std::nullopt;
    qsizetype start = 1;
    for (int i = 0; i < n; ++i) {
        const qsizetype comma = s.indexOf(',', start);
        if (comma < 0)
            return std::nullopt;
        start = comma + 1;
    }
    qsizetype end = s.indexOf(',', start);
    if (end < 0)
        end = s.indexOf('*', start);
    if (end < 0)
        end = s.size();
    const QByteArray field = s.mid(start, end - start);
    if (maxLength > 0 && field.size() >= maxLength)
        return std::nullopt;
    return field;
}

bool GpsSentenceParser::ParseRMC(GpsFixData& fix, const QByteArray& sentence)
{
    enum { Name, Time, Status, Lat, Speed = 7, Course = 8, Required = 8 };
    fix.noTime = 0;
    platform::GetProgramTime(&fix.programTime);

    const auto fields = sentenceFields(sentence);
    if (!fields || fields->size() < Required || !nameIs(fields->at(Name), "RMC"))
        return false;
    const QList<QByteArray>& f = *fields;
    if (!readTime(fix, f[Time]) || f[Status].size() != 1)
        return false;
    setStatus(fix, f[Status].front());

    const PositionFields position = readPosition(fix, f, Lat);
    if (position == PositionFields::Bad || (position == PositionFields::Absent && fix.valid))
        return false;
    if (f[Speed].isEmpty()) {
        if (position == PositionFields::Present)
            return false;
        fix.speed = 0;
    } else if (!readFloat(f[Speed], fix.speed, std::numeric_limits<float>::max())) {
        return false;
    }

    const bool hasCourse = f.size() > Course && !f[Course].isEmpty();
    if (hasCourse) {
        float course = 0;
        if (!readFloat(f[Course], course, LargestHeading))
            return false;
        fix.course = course;
    } else if (fix.valid && m_previousRmc.valid) {
        // Only a leg between two real positions has a course; the cleared
        // fix at 0,0 before the first one has none.
        double course = 0;
        GpsLegDistance(fix, m_previousRmc, &course);
        fix.course = float(course);
    } else {
        fix.course = 0;
    }

    fix.courseReference = 'T';
    fix.speedUnit = 'N';
    m_previousRmc = fix;
    return true;
}

bool GpsSentenceParser::ParseGGA(GpsFixData& fix, const QByteArray& sentence)
{
    enum { Name, Time, Lat, Quality = 6, Satellites = 7, Required = 8 };
    const auto fields = sentenceFields(sentence);
    if (!fields || fields->size() < Required || !nameIs(fields->at(Name), "GGA"))
        return false;
    const QList<QByteArray>& f = *fields;
    fix.noTime = 0;
    if (!readTime(fix, f[Time]))
        return false;
    bool ok = false;
    const int quality = f[Quality].toInt(&ok);
    if (!ok || quality < 0)
        return false;
    if (!f[Satellites].isEmpty()) {
        f[Satellites].toInt(&ok);
        if (!ok)
            return false;
    }
    setStatus(fix, quality >= 1 ? 'A' : 'V');

    const PositionFields position = readPosition(fix, f, Lat);
    if (position == PositionFields::Bad || (position == PositionFields::Absent && fix.valid))
        return false;

    platform::GetProgramTime(&fix.programTime);

    if (fix.valid && m_previousGga.valid && !fix.noTime && !m_previousGga.noTime) {
        const int seconds = GpsFixData::SecondsSince(fix, m_previousGga);
        if (seconds != 0) {
            double course = 0;
            const double distance = GpsLegDistance(fix, m_previousGga, &course);
            fix.course = float(course);
            fix.speed = float(distance / seconds * SecondsPerHour);
            fix.courseReference = 'T';
            fix.speedUnit = 'N';
        }
    }
    m_previousGga = fix;
    return true;
}

std::optional<float> ParseHeading(const QByteArray& sentence, const char* type)
{
    enum { Name, Heading, Required };
    const auto fields = sentenceFields(sentence);
    if (!fields || fields->size() < Required || !nameIs(fields->at(Name), type))
        return std::nullopt;
    float heading = 0;
    if (!readFloat(fields->at(Heading), heading, LargestHeading))
        return std::nullopt;
    return heading;
}

GpsSentenceParser& TheGpsSentenceParser()
{
    static GpsSentenceParser parser;
    return parser;
}

bool ParseRMC(GpsFixData& fix, const QByteArray& sentence)
{
    return TheGpsSentenceParser().ParseRMC(fix, sentence);
}

bool ParseGGA(GpsFixData& fix, const QByteArray& sentence)
{
    return TheGpsSentenceParser().ParseGGA(fix, sentence);
}

} // namespace velmar::nav
