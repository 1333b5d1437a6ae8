#pragma once
// Strict readers of the number and time fields of NMEA sentences, shared by
// the main program's sentence parsers and the NMEA server's clock form.
//
// A field is plain decimal as instruments write it: an optional "-", digits
// and at most one ".". Texts a general number reader would also take ("nan",
// "inf", "1e5", "0x1A", blanks) are no numbers here, so a garbled field with
// a valid checksum makes its sentence a bad string instead of a wrong value.
//
// Pure functions; safe from any thread.
#include <QByteArrayView>

#include <cstdint>
#include <optional>

namespace velmar::nmea {

// The value of a plain decimal field; nothing for an empty field or any
// other text.
std::optional<double> ReadNmeaNumber(QByteArrayView field);

// A UTC time field hhmmss or hhmmss.d+ with hours 0-23, minutes and seconds
// 0-59.
struct NmeaTimeField {
    int32_t hhmmss = 0;       // hours x 10000 + minutes x 100 + seconds
    int32_t milliseconds = 0; // the fraction rounded to 0-999
};
std::optional<NmeaTimeField> ReadNmeaTimeField(QByteArrayView field);

} // namespace velmar::nmea
