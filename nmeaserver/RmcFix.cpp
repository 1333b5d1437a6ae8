#include "nmeaserver/RmcFix.h"

#include "nmea/NmeaFields.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace velmar::nmeaserver {

namespace {
enum Field { Name, TimeField, StatusField, Lat, LatHemi, Lon, LonHemi, SpeedField, CourseField, DateField, FieldsRead };
constexpr int NameLength = 5;

// The text split at its commas, without copying: the fields up to the date,
// and how many there are in all.
struct Fields {
    QByteArrayView field[FieldsRead];
    int count = 0;
};

Fields splitFields(QByteArrayView text)
{
    Fields f;
    qsizetype begin = 0;
    for (;;) {
        qsizetype comma = text.indexOf(',', begin);
        const qsizetype end = comma < 0 ? text.size() : comma;
        if (f.count < FieldsRead)
            f.field[f.count] = text.sliced(begin, end - begin);
        ++f.count;
        if (comma < 0)
            return f;
        begin = comma + 1;
    }
}

// A plain decimal that a float holds: "nan", "inf" and exponents are no numbers.
bool number(QByteArrayView field, float& out)
{
    const std::optional<double> v = nmea::ReadNmeaNumber(field);
    if (!v || !std::isfinite(float(*v)))
        return false;
    out = float(*v);
    return true;
}

bool letter(QByteArrayView field, char& out)
{
    if (field.size() != 1)
        return false;
    out = field[0];
    return true;
}

// A whole number at the start of the field, as the date is read: what follows
// it (a checksum on a short sentence) does not matter.
bool leadingInteger(QByteArrayView field, int32_t& out)
{
    const char* begin = field.data();
    const char* end = begin + field.size();
    if (begin != end && *begin == '+') {
        ++begin;
        if (begin != end && *begin == '-')
            return false;
    }
    int32_t value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop == begin)
        return false;
    out = value;
    return true;
}
} // namespace

RmcFix newRmcFix()
{
    RmcFix fix;
    fix.ParsedAt = platform::SystemTime::nowUtc();
    return fix;
}

bool ParseRmc(RmcFix& fix, QByteArrayView text)
{
    fix.NoTime = false;
    const Fields split = splitFields(text.isEmpty() ? text : text.sliced(1));
    const QByteArrayView* f = split.field;
    if (split.count < CourseField + 1 || f[Name].size() != NameLength)
        return false;
    const bool noTime = f[TimeField].isEmpty();
    // The clock form sets the computer's clock from this field: anything but
    // hhmmss[.d+] within the day is no time at all.
    const std::optional<nmea::NmeaTimeField> time = nmea::ReadNmeaTimeField(f[TimeField]);
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
        if (split.count <= DateField || !leadingInteger(f[DateField], fix.Date))
            return false;
        fix.Time = time->hhmmss;
        fix.Milliseconds = time->milliseconds;
    }
    fix.Valid = fix.Status == 'A';
    fix.ParsedAt = platform::SystemTime::nowUtc();
    return true;
}

} // namespace velmar::nmeaserver
