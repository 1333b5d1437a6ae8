#include "nmeaserver/RmcFix.h"

#include "nmea/NmeaFields.h"

#include <QList>

#include <cmath>
#include <optional>

namespace velmar::nmeaserver {

namespace {
enum Field { Name, TimeField, StatusField, Lat, LatHemi, Lon, LonHemi, SpeedField, CourseField, DateField };
constexpr int NameLength = 5;

// A plain decimal that a float holds: "nan", "inf" and exponents are no numbers.
bool number(const QByteArray& field, float& out)
{
    const std::optional<double> v = nav::ReadNmeaNumber(field);
    if (!v || !std::isfinite(float(*v)))
        return false;
    out = float(*v);
    return true;
}

bool letter(const QByteArray& field, char& out)
{
    if (field.size() != 1)
        return false;
    out = field[0];
    return true;
}

// A whole number at the start of the field, as the date is read: what follows
// it (a checksum on a short sentence) does not matter.
bool leadingInteger(const QByteArray& field, int32_t& out)
{
    qsizetype end = 0;
    if (end < field.size() && (field[end] == '-' || field[end] == '+'))
        ++end;
    const qsizetype digits = end;
    while (end < field.size() && field[end] >= '0' && field[end] <= '9')
        ++end;
    if (end == digits)
        return false;
    bool ok = false;
    out = field.left(end).toInt(&ok);
    return ok;
}
} // namespace

RmcFix newRmcFix()
{
    RmcFix fix;
    fix.ParsedAt = platform::SystemTime::nowUtc();
    return fix;
}

bool ParseRmc(RmcFix& fix, const QByteArray& text)
{
    fix.NoTime = false;
    QList<QByteArray> f = text.mid(1).split(',');
    if (f.size() < CourseField + 1 || f[Name].size() != NameLength)
        return false;
    const bool noTime = f[TimeField].isEmpty();
    // The clock form sets the computer's clock from this field: anything but
    // hhmmss[.d+] within the day is no time at all.
    const std::optional<nav::NmeaTimeField> time = nav::ReadNmeaTimeField(f[TimeField]);
    if (!noTime && !time) {
        fix.NoTime = true;
        return false;
    }
    if (!letter(f[StatusField], fix.Status) || !number(f[Lat], fix.Latitude)
        || !letter(f[LatHemi], fix.LatHemisphere[0]) || !number(f[Lon], fix.Longitude)
        || !letter(f[LonHemi], fix.LonHemisphere[0]) || !number(f[SpeedField], fix.Speed))
        return false;
    if (noTime) {
        // Without a time the course must be there, and the date is not read.
        if (!number(f[CourseField], fix.Course))
            return false;
        fix.NoTime = true;
    } else {
        if (!f[CourseField].isEmpty() && !number(f[CourseField], fix.Course))
            return false;
        if (f.size() <= DateField || !leadingInteger(f[DateField], fix.Date))
            return false;
        fix.Time = time->hhmmss;
        fix.Milliseconds = time->milliseconds;
    }
    fix.Valid = fix.Status == 'A';
    fix.ParsedAt = platform::SystemTime::nowUtc();
    return true;
}

} // namespace velmar::nmeaserver
