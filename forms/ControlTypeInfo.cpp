#include "forms/ControlTypeInfo.h"

#include "forms/ControlKeywords.h"
#include "forms/WeatherKeywords.h"
#include "store/TableDefinition.h"

#include <sql.h>
#include <sqlext.h>

namespace velmar::forms {

namespace {

constexpr const char* kColumnNames[DefinitionColumnCount] = {
    "Order",
    "Type",
    "Title",
    "PostTitle",
    "DbTitle",
    "Default",
    "Length",
    "Height",
    "Topic",
    "MinValue",
    "MaxValue",
    "NMEA String",
    "NMEA Position",
    "ADC Channel",
    "ADC Gain",
    "Analog Multiply",
    "Analog Add",
    "Required",
    "ReadOnly",
    "AutoUpdate",
    "AutoClear",
    "ForceGps",
    "Plot",
    "Hint",
    "Colour",
    "Send Control Name",
    "Control on Subform",
    "Get Control Data",
};

// Timestamps are "YYYY-MM-DD hh:mm:ss" with room to spare; times "hh:mm:ss".
constexpr int kTimestampLength = 22;
constexpr int kTimeLength = 9;
// A lookup code is at most five characters.
constexpr int kLookupColumnLength = 6;

int orDefault(int16_t length, int fallback)
{
    return length != 0 ? length : fallback;
}

} // namespace

const char* DefinitionColumnName(int column)
{
    return column >= 0 && column < DefinitionColumnCount ? kColumnNames[column] : "";
}

int CONTROLTYPEINFO::SqlType() const
{
    switch (typeCode) {
    case CT_TIMESTAMP:
    case CT_TIME: return SQL_TIMESTAMP;
    case CT_LOOKUP:
    case CT_NMEACHAR:
    case CT_CHAR:
    case CT_COUNTER:
    case CT_ANALOG:
    case CT_SUBFORM: return SQL_CHAR;
    case CT_INTEGER:
    case CT_NMEAINT: return SQL_INTEGER;
    case CT_SHORT: return SQL_SMALLINT;
    case CT_SINGLE:
    case CT_NMEAFLOAT: return SQL_REAL;
    case CT_DOUBLE: return SQL_DOUBLE;
    case CT_CHECKBOX:
    case CT_DIGITAL: return SQL_BIT;
    case CT_DAVISWEATHER: return WeatherValueSqlType(WeatherKeywordCode(Topic));
    default: return 0;
    }
}

int CONTROLTYPEINFO::FieldLength() const
{
    switch (typeCode) {
    case CT_TIMESTAMP: return kTimestampLength;
    case CT_TIME: return kTimeLength;
    case CT_LOOKUP:
    case CT_NMEACHAR:
    case CT_CHAR: return orDefault(Length, 20);
    case CT_COUNTER:
    case CT_SUBFORM:
    case CT_INTEGER:
    case CT_NMEAINT: return orDefault(Length, 8);
    case CT_ANALOG:
    case CT_SINGLE:
    case CT_NMEAFLOAT: return orDefault(Length, 7);
    case CT_SHORT: return orDefault(Length, 6);
    case CT_DOUBLE: return orDefault(Length, 10);
    case CT_CHECKBOX:
    case CT_DIGITAL: return 1;
    case CT_DAVISWEATHER: return WeatherValueWidth(WeatherKeywordCode(Topic));
    default: return 0;
    }
}

int CONTROLTYPEINFO::ColumnLength() const
{
    return typeCode == CT_LOOKUP ? kLookupColumnLength : FieldLength();
}

QString CONTROLTYPEINFO::ColumnTypeText() const
{
    const int type = SqlType();
    return type == 0 ? QString() : store::SqlTypeDefinitionText(type, ColumnLength());
}

void CONTROLTYPEINFO::SetLengths()
{
    const QString* texts[] = {&Type,       &Title, &PostTitle, &DbTitle,         &Default,          &Topic,
                              &NmeaString, &Hint,  &Colour,    &SendControlName, &ControlOnSubform, &GetControlData};
    const int textColumns[] = {COL_TYPE,    COL_TITLE,           COL_POSTTITLE,        COL_DBTITLE,
                               COL_DEFAULT, COL_TOPIC,           COL_NMEASTRING,       COL_HINT,
                               COL_COLOUR,  COL_SENDCONTROLNAME, COL_CONTROLONSUBFORM, COL_GETCONTROLDATA};
    for (std::size_t i = 0; i < std::size(textColumns); ++i)
        if (!texts[i]->isEmpty())
            nullColumns.reset(std::size_t(textColumns[i]));
    const std::pair<int, double> numbers[] = {
        {COL_LENGTH, Length},
        {COL_HEIGHT, Height},
        {COL_MINVALUE, MinValue},
        {COL_MAXVALUE, MaxValue},
        {COL_NMEAPOSITION, NmeaPosition},
        {COL_ADCCHANNEL, AdcChannel},
        {COL_ADCGAIN, AdcGain},
        {COL_ANALOGMULTIPLY, AnalogMultiply},
        {COL_ANALOGADD, AnalogAdd},
    };
    for (const auto& [column, value] : numbers)
        if (value != 0)
            nullColumns.reset(std::size_t(column));
    // Order, the flags and AutoUpdate are always written.
    for (int column : {COL_ORDER, COL_REQUIRED, COL_READONLY, COL_AUTOUPDATE, COL_AUTOCLEAR, COL_FORCEGPS, COL_PLOT})
        nullColumns.reset(std::size_t(column));
}

void CONTROLTYPEINFO::CheckAutoUpdate()
{
    if (!IsAutoFillType(typeCode))
        AutoUpdate = 0;
    autoNmea = AutoUpdate != 0 && (typeCode == CT_NMEAFLOAT || typeCode == CT_NMEAINT || typeCode == CT_NMEACHAR);
    if (AutoUpdate > 0)
        ForceGps = 0;
}

} // namespace velmar::forms
