#include "nmea/NmeaFields.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace velmar::nmea {

namespace {
constexpr int TimeDigits = 6;
constexpr int LargestHour = 23;
constexpr int LargestMinuteOrSecond = 59;
constexpr int LargestMilliseconds = 999;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int twoDigits(QByteArrayView text, qsizetype at)
{
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}
} // namespace

std::optional<double> ReadNmeaNumber(QByteArrayView field)
{
    qsizetype i = 0;
    if (i < field.size() && field[i] == '-')
        ++i;
    qsizetype digits = 0;
    bool dot = false;
    for (; i < field.size(); ++i) {
        if (isDigit(field[i]))
            ++digits;
        else if (field[i] == '.' && !dot)
            dot = true;
        else
            return std::nullopt;
    }
    if (digits == 0)
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    // Only a field of hundreds of digits could still overflow.
    if (error != std::errc() || end != field.data() + field.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<NmeaTimeField> ReadNmeaTimeField(QByteArrayView field)
{
    if (field.size() < TimeDigits || field.size() == TimeDigits + 1)
        return std::nullopt;
    for (qsizetype i = 0; i < field.size(); ++i)
        if (!isDigit(field[i]) && !(i == TimeDigits && field[i] == '.'))
            return std::nullopt;
    if (field.size() > TimeDigits && field[TimeDigits] != '.')
        return std::nullopt;
    const int hours = twoDigits(field, 0);
    const int minutes = twoDigits(field, 2);
    const int seconds = twoDigits(field, 4);
    if (hours > LargestHour || minutes > LargestMinuteOrSecond || seconds > LargestMinuteOrSecond)
        return std::nullopt;
    NmeaTimeField time;
    time.hhmmss = hours * 10000 + minutes * 100 + seconds;
    if (field.size() > TimeDigits) {
        // "." and the fraction's digits: a value in [0, 1) however many digits.
        double fraction = 0;
        std::from_chars(field.data() + TimeDigits, field.data() + field.size(), fraction);
        time.milliseconds = std::min(int32_t(std::lround(fraction * 1000.0)), int32_t(LargestMilliseconds));
    }
    return time;
}

} // namespace velmar::nmea
