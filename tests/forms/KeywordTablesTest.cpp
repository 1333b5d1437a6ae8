// The pure tables of the user forms: keywords, column types and sizes, the
// name parsers of BEARING, HEADING and RANGE rows, hot-key codes and the
// shared control ids.
#include "forms/ControlIds.h"
#include "forms/ControlKeywords.h"
#include "forms/ControlTypeInfo.h"
#include "forms/HotKeyCode.h"
#include "forms/UserFormInfo.h"

#include <QString>

#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

namespace velmar::forms {
namespace {

TEST(ControlKeywords, ExactCaseSensitiveMatchWithTrailingBlanksIgnored)
{
    struct Case {
        const char* type;
        int code;
    } cases[] = {
        {"FONT", CT_FONT},
        {"FONT   ", CT_FONT},
        {"font", 0},
        {" FONT", 0},
        {"TIMESTAMP", CT_TIMESTAMP},
        {"FORMCOLOUR", CT_FORMCOLOUR},
        {"FORMCOLOR", CT_FORMCOLOUR},
        {"ENDBUTTONGROUP", 54},
        {"SUBFORM", CT_SUBFORM},
        {"CHAR", CT_CHAR},
        {"CHARS", 0},
        {"", 0},
        {"Lookup", 0},
        {"LOOKUP", CT_LOOKUP},
        {"SETTABNUMBER", 49},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ControlTypeFromName(QString::fromLatin1(c.type)), c.code) << c.type;
    // Every code names back to a keyword that reads as the same code.
    for (int code = 1; code <= CT_ENDBUTTONGROUP; ++code)
        EXPECT_EQ(ControlTypeFromName(ControlTypeName(code)), code) << code;
}

TEST(ControlKeywords, ValueTypesAndAutoFillTypes)
{
    int values = 0;
    for (int code = 0; code <= CT_ENDBUTTONGROUP; ++code)
        values += HasDataField(code) ? 1 : 0;
    EXPECT_EQ(values, 17);
    EXPECT_FALSE(HasDataField(CT_STATIC));
    EXPECT_FALSE(HasDataField(CT_HOTKEY));
    EXPECT_TRUE(IsAutoFillType(CT_TIME));
    EXPECT_TRUE(IsAutoFillType(CT_DAVISWEATHER));
    EXPECT_FALSE(IsAutoFillType(CT_CHAR));
    EXPECT_FALSE(IsAutoFillType(CT_COUNTER));
}

TEST(ControlTypeInfo, SqlTypeAndSizesByValueType)
{
    struct Case {
        int code;
        int length;
        const char* topic;
        int sqlType;
        int fieldLength;
        int columnLength;
        const char* typeText;
    } cases[] = {
        {CT_TIMESTAMP, 0, "", SQL_TIMESTAMP, 22, 22, "TIMESTAMP"},
        {CT_TIME, 5, "", SQL_TIMESTAMP, 9, 9, "TIMESTAMP"},
        {CT_LOOKUP, 0, "", SQL_CHAR, 20, 6, "CHAR(6)"},
        {CT_LOOKUP, 30, "", SQL_CHAR, 30, 6, "CHAR(6)"},
        {CT_CHAR, 0, "", SQL_CHAR, 20, 20, "CHAR(20)"},
        {CT_NMEACHAR, 12, "", SQL_CHAR, 12, 12, "CHAR(12)"},
        {CT_COUNTER, 0, "", SQL_CHAR, 8, 8, "CHAR(8)"},
        {CT_ANALOG, 0, "", SQL_CHAR, 7, 7, "CHAR(7)"},
        {CT_SUBFORM, 0, "", SQL_CHAR, 8, 8, "CHAR(8)"},
        {CT_INTEGER, 0, "", SQL_INTEGER, 8, 8, "LONG"},
        {CT_NMEAINT, 4, "", SQL_INTEGER, 4, 4, "LONG"},
        {CT_SHORT, 0, "", SQL_SMALLINT, 6, 6, "SHORT"},
        {CT_SINGLE, 0, "", SQL_REAL, 7, 7, "SINGLE"},
        {CT_NMEAFLOAT, 9, "", SQL_REAL, 9, 9, "SINGLE"},
        {CT_DOUBLE, 0, "", SQL_DOUBLE, 10, 10, "DOUBLE"},
        {CT_CHECKBOX, 9, "", SQL_BIT, 1, 1, "BIT"},
        {CT_DIGITAL, 0, "", SQL_BIT, 1, 1, "BIT"},
        {CT_DAVISWEATHER, 0, "windspeed", SQL_REAL, 5, 5, "SINGLE"},
        {CT_DAVISWEATHER, 0, "OUTSIDEHUM", SQL_SMALLINT, 4, 4, "SHORT"},
        {CT_DAVISWEATHER, 0, "TOTALRAIN", SQL_REAL, 6, 6, "SINGLE"}, // rain fractions kept
        {CT_DAVISWEATHER, 0, "SUNSHINE", 0, 0, 0, ""},
        {CT_HOTKEY, 10, "", 0, 0, 0, ""},
        {CT_NONE, 10, "", 0, 0, 0, ""},
    };
    for (const Case& c : cases) {
        CONTROLTYPEINFO row;
        row.typeCode = c.code;
        row.Length = int16_t(c.length);
        row.Topic = QString::fromLatin1(c.topic);
        SCOPED_TRACE(ControlTypeName(c.code).toStdString() + " " + c.topic);
        EXPECT_EQ(row.SqlType(), c.sqlType);
        EXPECT_EQ(row.FieldLength(), c.fieldLength);
        EXPECT_EQ(row.ColumnLength(), c.columnLength);
        EXPECT_EQ(row.ColumnTypeText(), QString::fromLatin1(c.typeText));
    }
}

TEST(ControlTypeInfo, AutoUpdateOnlyForSelfFillingTypes)
{
    CONTROLTYPEINFO chr;
    chr.typeCode = CT_CHAR;
    chr.AutoUpdate = 5;
    chr.ForceGps = 1;
    chr.CheckAutoUpdate();
    EXPECT_EQ(chr.AutoUpdate, 0);
    EXPECT_EQ(chr.ForceGps, 1);

    CONTROLTYPEINFO time;
    time.typeCode = CT_TIME;
    time.AutoUpdate = 5;
    time.ForceGps = 1;
    time.CheckAutoUpdate();
    EXPECT_EQ(time.AutoUpdate, 5);
    EXPECT_EQ(time.ForceGps, 0);
    EXPECT_EQ(time.autoNmea, 0);

    CONTROLTYPEINFO nmea;
    nmea.typeCode = CT_NMEAFLOAT;
    nmea.AutoUpdate = -1;
    nmea.ForceGps = 1;
    nmea.CheckAutoUpdate();
    EXPECT_EQ(nmea.autoNmea, 1);
    EXPECT_EQ(nmea.ForceGps, 1);
}

TEST(ReferenceParsers, BearingHeadingRangeAndUnits)
{
    EXPECT_EQ(BearingTypeFromName(QStringLiteral("TRUE")), BEARING_TRUE);
    EXPECT_EQ(BearingTypeFromName(QStringLiteral("true")), BEARING_TRUE);
    EXPECT_EQ(BearingTypeFromName(QStringLiteral("Magnetic")), BEARING_MAGNETIC);
    EXPECT_EQ(BearingTypeFromName(QStringLiteral("relative1")), BEARING_RELATIVE1);
    EXPECT_EQ(BearingTypeFromName(QStringLiteral("FIXED")), BEARING_FIXED);
    EXPECT_EQ(BearingTypeFromName(QStringLiteral("sideways")), BEARING_RELATIVE2);
    EXPECT_EQ(BearingTypeFromName(QString()), BEARING_RELATIVE2);

    EXPECT_EQ(HeadingTypeFromName(QStringLiteral("relativeship")), HEADING_RELATIVESHIP);
    EXPECT_EQ(HeadingTypeFromName(QStringLiteral("RELATIVEBEARING")), HEADING_RELATIVEBEARING);
    EXPECT_EQ(HeadingTypeFromName(QStringLiteral("north")), HEADING_NONE);

    EXPECT_EQ(RangeUnitsFromName(QStringLiteral("m")), UNITS_METRES);
    EXPECT_EQ(RangeUnitsFromName(QStringLiteral("nmi")), UNITS_NMI);
    EXPECT_EQ(RangeUnitsFromName(QStringLiteral("FIXED")), UNITS_NMI);
    EXPECT_EQ(RangeUnitsFromName(QStringLiteral("km")), UNITS_KM);
    EXPECT_EQ(RangeUnitsFromName(QStringLiteral("pix")), UNITS_PIXELS);
    EXPECT_EQ(RangeUnitsFromName(QStringLiteral("M")), UNITS_NONE);

    EXPECT_EQ(RangeTypeFromName(QStringLiteral("FIXED")), RANGE_FIXED);
    EXPECT_EQ(RangeTypeFromName(QStringLiteral("Distance")), RANGE_FROM_CONTROL);
}

TEST(ReferenceParsers, RangesInNauticalMiles)
{
    EXPECT_DOUBLE_EQ(FixedRangeToMiles(926, UNITS_METRES), 0.5);
    EXPECT_DOUBLE_EQ(FixedRangeToMiles(1.852, UNITS_KM), 1.0);
    EXPECT_DOUBLE_EQ(FixedRangeToMiles(3, UNITS_NMI), 3.0);
    EXPECT_DOUBLE_EQ(FixedRangeToMiles(3, UNITS_PIXELS), 3.0);
    EXPECT_DOUBLE_EQ(RangeToMiles(3704, UNITS_METRES), 2.0);
    EXPECT_DOUBLE_EQ(RangeToMiles(3.704, UNITS_KM), 2.0);
    EXPECT_DOUBLE_EQ(RangeToMiles(7, UNITS_NMI), 7.0);
    EXPECT_DOUBLE_EQ(RangeToMiles(7, UNITS_PIXELS), 0.0);
    EXPECT_DOUBLE_EQ(HydrophoneLengthToMiles(463), 0.25);
}

TEST(HotKeyCode, KeyCodesFromTitles)
{
    struct Case {
        const char* text;
        int code;
        int qtKey;
    } cases[] = {
        {"x", 'X', Qt::Key_X},
        {"X", 'X', Qt::Key_X},
        {"7", '7', Qt::Key_7},
        {"!", '1', Qt::Key_1},
        {";", 0xBA, Qt::Key_Semicolon},
        {"/", 0xBF, Qt::Key_Slash},
        {"F1", 112, Qt::Key_F1},
        {"F9", 120, Qt::Key_F9},
        {"G5", 116, Qt::Key_F5},
        {"F10", 0, 0},
        {"F0", 0, 0},
        {"Fx", 0, 0},
        {"", 0, 0},
        {"\xe9", 0, 0},
    };
    for (const Case& c : cases) {
        const int code = HotKeyCodeFromText(QString::fromLatin1(c.text));
        EXPECT_EQ(code, c.code) << c.text;
        EXPECT_EQ(QtKeyFromHotKeyCode(code), c.qtKey) << c.text;
    }
    // A panel's "Hot Key" names F10 to F24 as well: the service maps them all.
    const std::pair<int, int> functionKeys[] = {{121, Qt::Key_F10}, {123, Qt::Key_F12}, {135, Qt::Key_F24}, {136, 0}};
    for (const auto& [code, qtKey] : functionKeys)
        EXPECT_EQ(QtKeyFromHotKeyCode(code), qtKey) << code;
}

TEST(FormColours, CustomColoursStepDownFromWhite)
{
    const auto colours = TUserFormInfo::CustomColours();
    EXPECT_EQ(colours.front(), platform::MakeColour(255, 255, 255));
    EXPECT_EQ(colours[1], platform::MakeColour(239, 239, 239));
    EXPECT_EQ(colours.back(), platform::MakeColour(79, 79, 79));
}

TEST(ControlIds, NeverCollideWithFixedCommands)
{
    ResetControlIds();
    EXPECT_EQ(NextControlIds(2), kFirstControlId);
    EXPECT_EQ(NextControlIds(1), kFirstControlId + 2);
    // Hand out ids until well past the last fixed range: none is a command.
    int last = 0;
    for (int i = 0; i < 3000; ++i) {
        const int first = NextControlIds(2);
        EXPECT_FALSE(IsFixedCommandId(first));
        EXPECT_FALSE(IsFixedCommandId(first + 1));
        EXPECT_GT(first, last);
        last = first + 1;
    }
    EXPECT_GT(last, 38000);
    EXPECT_TRUE(IsFixedCommandId(34000));
    EXPECT_TRUE(IsFixedCommandId(34001));
    EXPECT_TRUE(IsFixedCommandId(35007));
    EXPECT_TRUE(IsFixedCommandId(37010));
    EXPECT_TRUE(IsFixedCommandId(30057));
    ResetControlIds();
}

} // namespace
} // namespace velmar::forms
