#pragma once
// Reading position sentences into GPS fixes: RMC and GGA as the NMEA server
// hands them over ("$" up to, not including, the carriage return), and single
// fields of any sentence.
//
// Sentences are split into their comma-separated fields and each field is
// checked on its own: a receiver without a fix sends its sentences with the
// position fields empty, and that is a fix with status "V", not a bad string.
// A sentence whose checksum does not match its text is never read.
//
// User-interface thread only (the parser keeps the previous fix of each kind).
#include "nav/GpsFixData.h"
#include "nmea/NmeaChecksum.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace velmar::nav {

// Field n of a sentence (0 is the sentence name without "$", 1 the first data
// field), ending at the next ",", else at "*", else at the end. Nothing when
// the sentence has fewer fields, or when the field is maxLength characters or
// longer (maxLength <= 0: no limit).
std::optional<QByteArray> GetNmeaField(const QByteArray& sentence, int n, int maxLength = 0);

// The heading of an HDT or HDM sentence (type "HDT" or "HDM"), 0-360
// degrees. Nothing for a sentence of another type, a checksum that does not
// match, or a heading that is no plain number in that range.
std::optional<float> ParseHeading(const QByteArray& sentence, const char* type);

// The two position parsers with their memory of the previous fix each: an RMC
// without course takes the course of the leg from the previous RMC fix, and a
// GGA takes course and speed from the leg since the previous GGA fix.
class GpsSentenceParser {
public:
    // Fills fix from an RMC sentence; the program time is stamped with
    // GetProgramTime. False for a bad string (fix then partly filled; do not
    // use it). The caller passes a cleared fix.
    bool ParseRMC(GpsFixData& fix, const QByteArray& sentence);
    // The same for GGA: quality 1 or more is status "A", else "V".
    bool ParseGGA(GpsFixData& fix, const QByteArray& sentence);

    const GpsFixData& PreviousRmcFix() const { return m_previousRmc; }
    const GpsFixData& PreviousGgaFix() const { return m_previousGga; }

private:
    GpsFixData m_previousRmc{platform::SystemTime{}};
    GpsFixData m_previousGga{platform::SystemTime{}};
};

// The program's parser, kept for the whole run.
GpsSentenceParser& TheGpsSentenceParser();
bool ParseRMC(GpsFixData& fix, const QByteArray& sentence);
bool ParseGGA(GpsFixData& fix, const QByteArray& sentence);

} // namespace velmar::nav
