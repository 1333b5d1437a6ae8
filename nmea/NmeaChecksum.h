#pragma once
// Checking the "*hh" checksum of an NMEA sentence, for the main program's
// sentence parsers and the NMEA server's clock form alike.
//
// Pure function; safe from any thread.
#include <QByteArray>

namespace velmar::nmea {

// True when the sentence carries no checksum, or a "*hh" that matches the
// exclusive or of the characters between "$" and "*". Trailing carriage
// return, line feed and NUL are ignored.
bool NmeaChecksumOk(const QByteArray& sentence);

} // namespace velmar::nmea
