#include "nmea/NmeaChecksum.h"

#include <cstdint>

namespace velmar::nmea {

namespace {
constexpr int ChecksumDigits = 2;

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}
} // namespace

bool NmeaChecksumOk(const QByteArray& sentence)
{
    qsizetype end = sentence.size();
    while (end > 0 && (sentence[end - 1] == '\0' || sentence[end - 1] == '\r' || sentence[end - 1] == '\n'))
        --end;
    const qsizetype star = sentence.indexOf('*');
    if (star < 0)
        return true;
    if (end - star - 1 != ChecksumDigits)
        return false;
    const int high = hexDigit(sentence[star + 1]);
    const int low = hexDigit(sentence[star + 2]);
    if (high < 0 || low < 0)
        return false;
    uint8_t sum = 0;
    for (qsizetype i = (sentence.startsWith('$') || sentence.startsWith('!')) ? 1 : 0; i < star; ++i)
        sum ^= uint8_t(sentence[i]);
    return sum == uint8_t(high * 16 + low);
}

} // namespace velmar::nmea
