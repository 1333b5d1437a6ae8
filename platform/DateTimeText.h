#pragma once
// Date and time text routines: turn SystemTime values into the texts the
// suite stores and shows, and read the texts that operators type or that
// recordings carry in their file names.
//
// Every routine may be called from any thread: formatters return owned
// strings, and nothing here keeps state except the message handler. Numbers
// are read and written the same whatever the locale. Calendar checks count
// leap years (29 February 2028 is a date, 29 February 2027 is not).
//
// Arithmetic goes through OLE dates (days since 30 December 1899 as a
// double), as the program clock and the detector time stamps do.
#include "platform/SystemTime.h"

#include <QString>

#include <optional>

namespace velmar::platform {

// --- OLE dates --------------------------------------------------------------

// Day 0 of OLE dates is 30 December 1899. Milliseconds are ignored; the time
// of day of a date before day 0 counts forwards from its midnight, as OLE
// dates do. False (nothing written) for a month outside 1..12 or a year
// outside 100..9999.
bool SystemTimeToVariantTime(const SystemTime& time, double& variantTime);

// Converts back, rounded to the nearest second (milliseconds 0, day of week
// filled). False for dates outside the years 100 to 9999.
bool VariantTimeToSystemTime(double variantTime, SystemTime& time);

// --- Formatters -------------------------------------------------------------

// "YYYY-MM-DD hh:mm:ss", the time-stamp text of the survey database.
QString FormatTimeStamp(const SystemTime& time);

// The date of time shifted by shiftSeconds: style 1 "08 Dec 2010", style 2
// "08/12/2010", style 3 "2010-12-08", other styles "No format !". Empty for a
// time whose month is 0 (no time).
QString FormatDateString(const SystemTime& time, double shiftSeconds, int style);

// "hh:mm:ss" of time shifted by shiftSeconds; empty when the month is 0.
QString FormatTimeString(const SystemTime& time, double shiftSeconds);

// "-" when negative; "mm:ss" below one hour; else "h:mm:ss".
QString FormatDuration(int seconds);

// "hh:mm:ss" of whole seconds (hours not limited to two digits).
QString FormatSecondsHms(int seconds);

// "mm:ss.mmm"; with hours, their two digits go in front without separator
// ("0101:15.500" for 3675.5 s).
QString FormatSecondsMs(double seconds);

// "08 Dec 2010 14:03:05" from a recording's file name, e.g.
// ".../Rec20101208_140305.wav" or ".../D101208/140305.wav"; nothing when the
// name does not carry a date and time.
std::optional<QString> TimeTextFromFileName(const QString& path);

// --- Arithmetic and checks --------------------------------------------------

// time + seconds (may be negative). The milliseconds of time are ignored;
// those of the result are the fraction of a positive shift (2.7 s gives 2 s
// and 700 ms), 0 for a negative one. A time that is no date comes back as it
// was.
SystemTime AddSecondsToTime(const SystemTime& time, double seconds);

// a - b in seconds, milliseconds not counted; exactly 0 for equal times.
double SecondsBetween(const SystemTime& a, const SystemTime& b);

// Whole seconds from midnight of the same day.
int SecondsOfDay(const SystemTime& time);

// True when year > 1950, the month 1..12, the day within that month of that
// year, hour <= 23, minute <= 59 and second <= 59.
bool CheckSystemTime(const SystemTime& time);

// Days of month index 0..11 in the given year (0 for other indexes).
int DaysInMonth(int monthIndex, int year);

// 1..12 for the first month name whose first three letters equal the word's
// first three (case ignored), 13 when none.
int MonthFromName(const QString& word);

// Name of month 1..12 ("Jan", "Feb", "March", ... "Sept", "Oct"); empty
// for other numbers.
QString MonthName(int month);

// --- Parsers ----------------------------------------------------------------

// Reads "YYYY-MM-DD hh:mm:ss" (any one separator between the numbers, blanks
// between date and time). Fields not found are 0; no validation.
SystemTime ParseTimeStamp(const QString& text);

// True for a valid "Y-M-D h:m:s" text (time optional; a year below 90 is
// 2000 plus the year; 1990 to 2090). On success out, when given, receives
// the date and time with milliseconds 0; its day of week is left alone.
bool ReadDateTimeString(const QString& text, SystemTime* out = nullptr);

// True for "hh:mm" or "hh:mm:ss" in range.
bool CheckTimeString(const QString& text);

// Kinds of date texts found by InterpretDateString.
enum DateKind : int { DateKindNone = 0, DateKindWords = 1, DateKindSlashes = 2, DateKindDashes = 3 };

// A date alone: "2010-12-08" (kind 3) or words with a month name such as
// "8 Dec 2010" or "Dec 8" (kind 1; no year: the current UTC year). Texts with
// "/" (kind 2) or ":" are refused. True when out was given and holds a valid
// date.
bool InterpretDateString(const QString& text, SystemTime* out, int* kind = nullptr);

// A date as above followed by "hh:mm" or "hh:mm:ss". True when out was given
// and holds a valid date and time.
bool InterpretTimeString(const QString& text, SystemTime* out);

// The interpreters report a word that mixes letters and digits through this
// handler (text, caption), called on the interpreting thread. Without one the
// message is logged as a warning. The user-interface layer installs a
// handler that shows a message box.
using DateTextMessageHandler = void (*)(const QString& text, const QString& caption);
void SetDateTextMessageHandler(DateTextMessageHandler handler);

} // namespace velmar::platform
