#pragma once
// Sentences for tests: the checksum an instrument would append.
#include <QByteArray>

namespace velmar::navtest {

// "$BODY" -> "$BODY*hh".
inline QByteArray withChecksum(const QByteArray& sentence)
{
    unsigned char sum = 0;
    for (qsizetype i = 1; i < sentence.size(); ++i)
        sum ^= static_cast<unsigned char>(sentence[i]);
    return sentence + '*' + QByteArray::number(sum, 16).rightJustified(2, '0').toUpper();
}

} // namespace velmar::navtest
