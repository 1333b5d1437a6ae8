#include "nmeaserver/Checksum.h"

namespace velmar::nmeaserver {

namespace {
constexpr int ChecksumDigits = 2;
}

QByteArray nmeaChecksum(const QByteArray& sentence)
{
    quint8 sum = 0;
    for (qsizetype i = 1; i < sentence.size() && sentence[i] != '*'; ++i)
        sum ^= quint8(sentence[i]);
    return QByteArray::number(sum, 16).toUpper().rightJustified(ChecksumDigits, '0');
}

} // namespace velmar::nmeaserver
