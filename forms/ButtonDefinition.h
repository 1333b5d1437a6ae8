#pragma once
// ButtonDefinition: one row of a button panel's definition table "UDB_" +
// panel name, as the survey designer laid it out, with what the panel adds at
// run time (control id, hot key, group, linked form). Also the few pure rules
// of the rows: pulse names, hot-key texts, which tables are panels, and the
// reading of a definition table.
//
// User-interface thread only (reading uses the program's one connection).
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

namespace velmar::forms {

class ButtonLinkedForm;

// The prefix of definition tables; the rest of the name is the panel's.
inline constexpr const char* kButtonTablePrefix = "UDB_";
inline constexpr const char* kButtonDefinitionErrorCaption = "Error in Button Form Definition Table";
inline constexpr const char* kInvalidHotKeyCaption = "Invalid Hot Key Number";
inline constexpr const char* kCantUpdateButtonTableText = "Can't update UDB table with new info";

// Columns of the definition table, in the order they are read.
enum ButtonColumn : int {
    BcOrder,
    BcType,
    BcCode,
    BcName,
    BcRecording,
    BcRecorder,
    BcKelvor,
    BcForm,
    BcButtonIndex,
    BcFormCtrl,
    BcCtrlData,
    BcHotKey,
    BcBroadcast,
    BcExternal,
    BcOutputChannel,
    BcPulseType,
    BcPulseLength,
    BcPlaySound,
    BcWaitSound,
    BcSoundCardNumber,
    BcSoundCardName,
    BcOnBroadcast,
    BcAutoNextButton,
    BcAutoNextTime,
    BcDefault,
    BcOptionFlags,
    BcSerialCommand,
    BcSendCarriageReturn,
    ButtonColumnCount
};
// The column names as the table has them.
const char* ButtonColumnName(int column);

// Pulse codes of PulseType.
enum PulseCode : int32_t { PulseNone = 0, PulseGoHi = 1, PulseGoLo = 2, PulseHiLo = 3, PulseLoHi = 4 };
// "GOHI" 1, "GOLO" 2, "HILO" 3, "LOHI" 4 in any case; anything else 0.
int PulseTypeFromName(const QString& name);
// The text written back for a code: "NONE" for any other code.
QString PulseTypeName(int code);

// What OptionFlags change for a repeat press of a grouped button.
inline constexpr int32_t kRepeatArmsNext = 1;
inline constexpr int32_t kRepeatNoOutputs = 2;
inline constexpr int32_t kRepeatNoSound = 4;
inline constexpr int32_t kShowReceivedText = 8;

// The virtual-key code of a panel's "Hot Key" text, 0 for none: "F1" to
// "F24" name the function keys (112 onwards); any single character names the
// key that types it, so "F" alone is Ctrl+F.
int ButtonHotKeyCode(const QString& text);

// Whether a table is a panel definition ("UDB_" in any case).
bool IsButtonFormTable(const QString& tableName);
// The panel's name: the table name without the prefix.
QString ButtonFormName(const QString& tableName);
// Every table of the open database that is a panel definition, in the order
// the database lists them.
QStringList ButtonFormTables();

struct ButtonDefinition {
    int16_t Order = 0;
    QString Type;
    QString Code;
    QString Name;
    int16_t Recording = 0;
    int16_t Recorder = 0;
    int16_t Kelvor = 0;
    QString Form;
    QString ButtonIndex;
    QString FormCtrl;
    QString CtrlData;
    QString HotKey;
    int32_t Broadcast = 0;
    int32_t External = 0;
    int16_t OutputChannel = 0;
    QString PulseType;
    float PulseLength = 0;
    QString PlaySound;
    uint8_t WaitSound = 0;
    int32_t SoundCardNumber = 0;
    QString SoundCardName;
    int32_t OnBroadcast = 0;
    int32_t AutoNextButton = 0;
    float AutoNextTime = 0;
    uint8_t Default = 0;
    int32_t OptionFlags = 0;
    QString SerialCommand;
    uint8_t SendCarriageReturn = 0;

    // Which columns held a value (not NULL).
    std::array<bool, ButtonColumnCount> present{};

    // Run-time state.
    int kind = 0;     // ControlTypeFromName(Type)
    int hotKeyId = 0; // registered hot key, 0 when none
    QString hotKeyText;
    int controlId = 0; // 0 when the row has no control
    int pulseCode = PulseNone;
    ButtonLinkedForm* linkedForm = nullptr;
    int group = -1;       // index of the BUTTONGROUP row, -1 outside a group
    int serialPort = -1;  // index of the SERIALPORT row it sends to, -1 when none
    int lastPressed = -1; // BUTTONGROUP rows: index of the row pressed last

    bool isSet(int column) const { return present.at(std::size_t(column)); }
    // A push button or one of the two radio kinds.
    bool isButton() const;
    bool isRadio() const;
};

// Reads the definition rows ordered by "Order". When the select fails the
// statement text is shown under kButtonDefinitionErrorCaption and no row is
// returned.
std::vector<ButtonDefinition> ReadButtonDefinition(const QString& definitionTable);

// Writes an edited row over the first table row with the same "Order" (the
// columns the row does not hold become NULL). False without a message when
// no row has that "Order"; false after kCantUpdateButtonTableText when the
// update fails. The in-memory row keeps the edit either way.
bool WriteBackButtonRow(const QString& definitionTable, ButtonDefinition& row);

} // namespace velmar::forms
