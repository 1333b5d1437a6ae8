#pragma once
// The keyword table of the survey designer's definition tables: the Type of a
// user-form row (and of a button-panel row) names what the row is, and the
// code found here decides how the row is read. Also the small name tables of
// the BEARING, HEADING and RANGE rows and their unit conversions.
//
// Pure functions over values; safe from any thread.
#include <QString>

#include <cstdint>

namespace velmar::forms {

// Type codes of definition rows; 0 is a Type that is no keyword (inert row).
enum ControlTypeCode : int32_t {
    CT_NONE = 0,
    CT_FONT = 1,
    CT_TIMESTAMP = 2,
    CT_NEWLINE = 3,
    CT_LOOKUP = 4,
    CT_STATIC = 5,
    CT_INTEGER = 6,
    CT_SHORT = 7,
    CT_SINGLE = 8,
    CT_DOUBLE = 9,
    CT_NMEAFLOAT = 10,
    CT_NMEAINT = 11,
    CT_NMEACHAR = 12,
    CT_CHAR = 13,
    CT_HIDDEN = 14,
    CT_READWITHGPS = 15,
    CT_READONTIMER = 16,
    CT_AUTOALERT = 17,
    CT_TIME = 18,
    CT_COUNTER = 19,
    CT_HSPACE = 20,
    CT_VSPACE = 21,
    CT_CHECKBOX = 22,
    CT_DBTABLENAME = 23,
    CT_HOTKEY = 24,
    CT_ANALOG = 25,
    CT_DIGITAL = 26,
    CT_DAVISWEATHER = 27,
    CT_BEARING = 28,
    CT_RANGE = 29,
    CT_BLOBSIZE = 30,
    CT_SYMBOLTYPE = 31,
    CT_INTERPOLATEGPS = 32,
    CT_HYDROPHONELENGTH = 33,
    CT_NOTONLINE = 34,
    CT_NOTOFFLINE = 35,
    CT_PLOT = 36,
    CT_DDEENABLE = 37,
    CT_HEADING = 38,
    CT_GPSDATASET = 39,
    CT_AUTORECORD = 40,
    CT_BUTTON = 41,
    CT_POPUP = 42,
    CT_NOTSHOWDATA = 43,
    CT_NOCANCEL = 44,
    CT_NOCLEAR = 45,
    CT_SUBFORM = 46,
    CT_FORMCOLOUR = 47,
    CT_SUBTABS = 48,
    CT_SETTABNUMBER = 49,
    CT_BUTTONGROUP = 50,
    CT_PUSHRADIOBUTTON = 51,
    CT_RADIOBUTTON = 52,
    CT_SERIALPORT = 53,
    CT_ENDBUTTONGROUP = 54,
};

// The code of a Type text: trailing blanks are removed, then the text must
// equal a keyword exactly (case matters: "font" is no keyword). 0 otherwise.
int ControlTypeFromName(const QString& text);
// The keyword of a code ("FONT"; "FORMCOLOUR" for 47), empty for 0 or unknown.
QString ControlTypeName(int code);

// Types whose control stores a value into the form's data table.
bool HasDataField(int code);
// Types that fill themselves (F1, timers): the AutoUpdate column only
// means something for these.
bool IsAutoFillType(int code);

// Bearing references (BEARING Topic, any case). Any other text is RELATIVE2.
enum BearingReference : int32_t {
    BEARING_TRUE = 1,
    BEARING_MAGNETIC = 2,
    BEARING_RELATIVE1 = 3,
    BEARING_RELATIVE2 = 4,
    BEARING_FIXED = 5,
};
int BearingTypeFromName(const QString& text);

// Heading references (HEADING Topic, any case); any other text is 0.
enum HeadingReference : int32_t {
    HEADING_NONE = 0,
    HEADING_TRUE = 1,
    HEADING_MAGNETIC = 2,
    HEADING_RELATIVESHIP = 3,
    HEADING_RELATIVEBEARING = 4,
};
int HeadingTypeFromName(const QString& text);

// Range and heading-mark units (PostTitle, exact). "FIXED" counts as miles.
enum RangeUnits : int32_t {
    UNITS_NONE = 0,
    UNITS_METRES = 1,
    UNITS_NMI = 2,
    UNITS_KM = 3,
    UNITS_PIXELS = 4,
};
int RangeUnitsFromName(const QString& text);

// Range sources (RANGE Topic): "FIXED" (any case) is fixed, else a control.
enum RangeSource : int32_t {
    RANGE_FROM_CONTROL = 1,
    RANGE_FIXED = 2,
};
int RangeTypeFromName(const QString& text);

inline constexpr double kMetresPerNauticalMile = 1852.0;

// A RANGE row's fixed Length in nautical miles: metres and kilometres are
// converted, every other unit is taken as it stands (926 m is 0.5 nmi).
double FixedRangeToMiles(double length, int units);
// A range typed into a control, in nautical miles: metres, miles and
// kilometres; any other unit gives 0.
double RangeToMiles(double value, int units);
// The HYDROPHONELENGTH row's Length (metres) in nautical miles.
double HydrophoneLengthToMiles(double metres);

} // namespace velmar::forms
