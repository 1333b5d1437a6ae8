#include "forms/ControlKeywords.h"

#include <array>

namespace velmar::forms {

namespace {

struct Keyword {
    const char* text;
    int code;
};

// In code order; FORMCOLOR is the second spelling of 47.
constexpr std::array<Keyword, 55> kKeywords{{
    {"FONT", CT_FONT},
    {"TIMESTAMP", CT_TIMESTAMP},
    {"NEWLINE", CT_NEWLINE},
    {"LOOKUP", CT_LOOKUP},
    {"STATIC", CT_STATIC},
    {"INTEGER", CT_INTEGER},
    {"SHORT", CT_SHORT},
    {"SINGLE", CT_SINGLE},
    {"DOUBLE", CT_DOUBLE},
    {"NMEAFLOAT", CT_NMEAFLOAT},
    {"NMEAINT", CT_NMEAINT},
    {"NMEACHAR", CT_NMEACHAR},
    {"CHAR", CT_CHAR},
    {"HIDDEN", CT_HIDDEN},
    {"READWITHGPS", CT_READWITHGPS},
    {"READONTIMER", CT_READONTIMER},
    {"AUTOALERT", CT_AUTOALERT},
    {"TIME", CT_TIME},
    {"COUNTER", CT_COUNTER},
    {"HSPACE", CT_HSPACE},
    {"VSPACE", CT_VSPACE},
    {"CHECKBOX", CT_CHECKBOX},
    {"DBTABLENAME", CT_DBTABLENAME},
    {"HOTKEY", CT_HOTKEY},
    {"ANALOG", CT_ANALOG},
    {"DIGITAL", CT_DIGITAL},
    {"DAVISWEATHER", CT_DAVISWEATHER},
    {"BEARING", CT_BEARING},
    {"RANGE", CT_RANGE},
    {"BLOBSIZE", CT_BLOBSIZE},
    {"SYMBOLTYPE", CT_SYMBOLTYPE},
    {"INTERPOLATEGPS", CT_INTERPOLATEGPS},
    {"HYDROPHONELENGTH", CT_HYDROPHONELENGTH},
    {"NOTONLINE", CT_NOTONLINE},
    {"NOTOFFLINE", CT_NOTOFFLINE},
    {"PLOT", CT_PLOT},
    {"DDEENABLE", CT_DDEENABLE},
    {"HEADING", CT_HEADING},
    {"GPSDATASET", CT_GPSDATASET},
    {"AUTORECORD", CT_AUTORECORD},
    {"BUTTON", CT_BUTTON},
    {"POPUP", CT_POPUP},
    {"NOTSHOWDATA", CT_NOTSHOWDATA},
    {"NOCANCEL", CT_NOCANCEL},
    {"NOCLEAR", CT_NOCLEAR},
    {"SUBFORM", CT_SUBFORM},
    {"FORMCOLOUR", CT_FORMCOLOUR},
    {"FORMCOLOR", CT_FORMCOLOUR},
    {"SUBTABS", CT_SUBTABS},
    {"SETTABNUMBER", CT_SETTABNUMBER},
    {"BUTTONGROUP", CT_BUTTONGROUP},
    {"PUSHRADIOBUTTON", CT_PUSHRADIOBUTTON},
    {"RADIOBUTTON", CT_RADIOBUTTON},
    {"SERIALPORT", CT_SERIALPORT},
    {"ENDBUTTONGROUP", CT_ENDBUTTONGROUP},
}};

QString withoutTrailingBlanks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.left(end);
}

bool sameNoCase(const QString& a, const char* b)
{
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

} // namespace

int ControlTypeFromName(const QString& text)
{
    const QString type = withoutTrailingBlanks(text);
    for (const Keyword& k : kKeywords)
        if (type == QLatin1String(k.text))
            return k.code;
    return CT_NONE;
}

QString ControlTypeName(int code)
{
    for (const Keyword& k : kKeywords)
        if (k.code == code)
            return QString::fromLatin1(k.text);
    return QString();
}

bool HasDataField(int code)
{
    switch (code) {
    case CT_TIMESTAMP:
    case CT_LOOKUP:
    case CT_INTEGER:
    case CT_SHORT:
    case CT_SINGLE:
    case CT_DOUBLE:
    case CT_NMEAFLOAT:
    case CT_NMEAINT:
    case CT_NMEACHAR:
    case CT_CHAR:
    case CT_TIME:
    case CT_COUNTER:
    case CT_CHECKBOX:
    case CT_ANALOG:
    case CT_DIGITAL:
    case CT_DAVISWEATHER:
    case CT_SUBFORM: return true;
    default: return false;
    }
}

bool IsAutoFillType(int code)
{
    switch (code) {
    case CT_TIMESTAMP:
    case CT_NMEAFLOAT:
    case CT_NMEAINT:
    case CT_NMEACHAR:
    case CT_TIME:
    case CT_ANALOG:
    case CT_DIGITAL:
    case CT_DAVISWEATHER: return true;
    default: return false;
    }
}

int BearingTypeFromName(const QString& text)
{
    if (sameNoCase(text, "TRUE"))
        return BEARING_TRUE;
    if (sameNoCase(text, "MAGNETIC"))
        return BEARING_MAGNETIC;
    if (sameNoCase(text, "RELATIVE1"))
        return BEARING_RELATIVE1;
    if (sameNoCase(text, "RELATIVE2"))
        return BEARING_RELATIVE2;
    if (sameNoCase(text, "FIXED"))
        return BEARING_FIXED;
    return BEARING_RELATIVE2;
}

int HeadingTypeFromName(const QString& text)
{
    if (sameNoCase(text, "TRUE"))
        return HEADING_TRUE;
    if (sameNoCase(text, "MAGNETIC"))
        return HEADING_MAGNETIC;
    if (sameNoCase(text, "RELATIVESHIP"))
        return HEADING_RELATIVESHIP;
    if (sameNoCase(text, "RELATIVEBEARING"))
        return HEADING_RELATIVEBEARING;
    return HEADING_NONE;
}

int RangeUnitsFromName(const QString& text)
{
    if (text == u"m")
        return UNITS_METRES;
    if (text == u"nmi" || text == u"FIXED")
        return UNITS_NMI;
    if (text == u"km")
        return UNITS_KM;
    if (text == u"pix")
        return UNITS_PIXELS;
    return UNITS_NONE;
}

int RangeTypeFromName(const QString& text)
{
    return sameNoCase(text, "FIXED") ? RANGE_FIXED : RANGE_FROM_CONTROL;
}

double FixedRangeToMiles(double length, int units)
{
    switch (units) {
    case UNITS_METRES: return length / kMetresPerNauticalMile;
    case UNITS_KM: return length * (1000.0 / kMetresPerNauticalMile);
    default: return length;
    }
}

double RangeToMiles(double value, int units)
{
    switch (units) {
    case UNITS_METRES: return value / kMetresPerNauticalMile;
    case UNITS_NMI: return value;
    case UNITS_KM: return value * 1000.0 / kMetresPerNauticalMile;
    default: return 0.0;
    }
}

double HydrophoneLengthToMiles(double metres)
{
    return metres / kMetresPerNauticalMile;
}

} // namespace velmar::forms
