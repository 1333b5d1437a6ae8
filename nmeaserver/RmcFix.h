#pragma once
// The one sentence the NMEA server reads itself: RMC, the GPS's time, date,
// position, speed and course.
//
// Pure functions and a value type; safe from any thread.
#include "platform/SystemTime.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>

namespace velmar::nmeaserver {

struct RmcFix {
    bool Valid = false;         // the status field is "A"
    float Latitude = 0;         // as sent, ddmm.mmm
    char LatHemisphere[2] = {}; // "N" or "S", empty without a fix
    float Longitude = 0;        // as sent, dddmm.mmm
    char LonHemisphere[2] = {};
    float Course = 0;         // degrees true
    float Speed = 0;          // knots
    int32_t Time = 0;         // UTC hhmmss
    int32_t Milliseconds = 0; // the fraction of a second the time was sent with
    int32_t Date = 0;         // ddmmyy
    char Status = 0;
    platform::SystemTime ParsedAt;
    bool NoTime = false; // the sentence had no time; Time means nothing
};

// A fresh record: all zero except ParsedAt (UTC now).
RmcFix newRmcFix();

// Reads the text (from its start character on) in one of three forms: all
// fields; an empty course; or no time and no date (NoTime). The name must be
// five characters; the checksum is not looked at. The time is hhmmss or
// hhmmss.d+ (hours 0-23, minutes and seconds 0-59); numbers are plain
// decimals. False when no form fits; the fix may then hold the fields read
// before the one that failed, and a time field that is no time sets NoTime.
bool ParseRmc(RmcFix& fix, QByteArrayView text);

} // namespace velmar::nmeaserver
