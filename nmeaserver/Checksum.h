#pragma once
// The checksum of an NMEA 0183 sentence: the two hex digits after "*", the
// XOR of every character between the start character and the "*". Checking
// one is nmea::NmeaChecksumOk.
//
// Pure functions; safe from any thread.
#include <QByteArray>

namespace velmar::nmeaserver {

// "HH" of a sentence, from the characters after its start character up to the
// "*" (or its end).
QByteArray nmeaChecksum(const QByteArray& sentence);

} // namespace velmar::nmeaserver
