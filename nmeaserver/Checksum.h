#pragma once
// The checksum of an NMEA 0183 sentence: the two hex digits after "*", the
// XOR of every character between the start character and the "*".
//
// Pure functions; safe from any thread.
#include <QByteArray>

namespace velmar::nmeaserver {

// "HH" of a sentence, from the characters after its start character up to the
// "*" (or its end).
QByteArray nmeaChecksum(const QByteArray& sentence);

// False only when the sentence carries a checksum that does not match; a
// sentence without one (older instruments send none) passes. A line end after
// the checksum is allowed.
bool nmeaChecksumHolds(const QByteArray& sentence);

} // namespace velmar::nmeaserver
