#pragma once
// CONTROLTYPEINFO: one row of a user form's definition table ("UDF_" + form
// name), as read, plus what the program works out from it. The 28 column
// values keep the widths of the definition table; the derived fields are
// filled by the form description (TUserFormInfo) and the form windows.
//
// A plain value; owned by its TUserFormInfo. User-interface thread only.
#include <QString>

#include <bitset>
#include <cstdint>
#include <optional>
#include <vector>

class QObject;

namespace velmar::forms {

// One item of a LOOKUP row's list. Item 0 is the empty "all" item.
struct LookupItem {
    static constexpr int CodeWidth = 5;
    static constexpr int TextWidth = 20;

    QString code;
    QString text;
    int32_t symbol = 0;
    uint8_t plotSelected = 0;
    int32_t menuId = 0;
    int32_t colour = -1;
};

// The columns of a definition table, in the order they are read and written.
enum DefinitionColumn : int {
    COL_ORDER,
    COL_TYPE,
    COL_TITLE,
    COL_POSTTITLE,
    COL_DBTITLE,
    COL_DEFAULT,
    COL_LENGTH,
    COL_HEIGHT,
    COL_TOPIC,
    COL_MINVALUE,
    COL_MAXVALUE,
    COL_NMEASTRING,
    COL_NMEAPOSITION,
    COL_ADCCHANNEL,
    COL_ADCGAIN,
    COL_ANALOGMULTIPLY,
    COL_ANALOGADD,
    COL_REQUIRED,
    COL_READONLY,
    COL_AUTOUPDATE,
    COL_AUTOCLEAR,
    COL_FORCEGPS,
    COL_PLOT,
    COL_HINT,
    COL_COLOUR,
    COL_SENDCONTROLNAME,
    COL_CONTROLONSUBFORM,
    COL_GETCONTROLDATA,
    DefinitionColumnCount
};

// Column names, as the statements quote them.
const char* DefinitionColumnName(int column);

struct CONTROLTYPEINFO {
    // Characters a text column brings in: 50, Hint 99, Colour 20.
    static constexpr int TextWidth = 50;
    static constexpr int HintWidth = 99;
    static constexpr int ColourWidth = 20;

    int16_t Order = 0;
    QString Type;
    QString Title;
    QString PostTitle;
    QString DbTitle;
    QString Default;
    int16_t Length = 0;
    int16_t Height = 0;
    QString Topic;
    float MinValue = 0;
    float MaxValue = 0;
    QString NmeaString;
    int16_t NmeaPosition = 0;
    int16_t AdcChannel = 0;
    int16_t AdcGain = 0;
    float AnalogMultiply = 0;
    float AnalogAdd = 0;
    uint8_t Required = 0;
    uint8_t ReadOnly = 0;
    int16_t AutoUpdate = 0;
    uint8_t AutoClear = 0;
    uint8_t ForceGps = 0;
    uint8_t Plot = 0;
    QString Hint;
    QString Colour;
    QString SendControlName;
    QString ControlOnSubform;
    QString GetControlData;

    // Columns that were NULL when read and are still empty or zero: a
    // write-back keeps them NULL (a NULL "ADC Channel" means no counter line).
    std::bitset<DefinitionColumnCount> nullColumns;
    // The table row this one was read from or last written to (SQLite's
    // rowid): rows may share an Order, so a write-back finds its row by this.
    // None for a row not in the table yet.
    std::optional<qint64> rowId;

    int32_t typeCode = 0;
    int32_t newLineCount = 0;
    int16_t dataColumn = 0;
    uint8_t autoNmea = 0;
    int32_t colourValue = -1;
    std::vector<LookupItem> lookup;
    int32_t counterValue = 0;
    QObject* topStripStatic = nullptr;
    QObject* topStripEdit = nullptr;
    int32_t firstPlotId = 0;
    int32_t lastPlotId = 0;
    uint8_t plotSelected = 0;

    // The ODBC SQL type of the row's data column; 0 when it stores nothing.
    int SqlType() const;
    // Characters of the value's text buffer, the terminating null included.
    int FieldLength() const;
    // Width of the data column (what the data-table check asks for).
    int ColumnLength() const;
    // The Access DDL type text of the data column ("CHAR(20)", "SHORT"...),
    // empty for a row without one.
    QString ColumnTypeText() const;
    bool HasColumn() const { return SqlType() != 0; }

    // Brings the null marks up to date before a write-back: a column that
    // now holds a value is no longer NULL.
    void SetLengths();
    bool IsNull(int column) const { return nullColumns.test(std::size_t(column)); }
    // AutoUpdate only for the self-filling types; the NMEA flag; a positive
    // AutoUpdate clears ForceGps.
    void CheckAutoUpdate();
};

} // namespace velmar::forms
