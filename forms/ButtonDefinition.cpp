#include "forms/ButtonDefinition.h"

#include "forms/ControlKeywords.h"
#include "forms/FormSql.h"
#include "forms/HotKeyCode.h"
#include "store/DbConnection.h"
#include "store/DbMessages.h"
#include "store/SqlText.h"
#include "platform/Utilities.h"

#include <QStringList>

namespace velmar::forms {

namespace {

constexpr const char* kColumnNames[ButtonColumnCount] = {
    "Order",         "Type",        "Code",           "Name",
    "Recording",     "Recorder",    "Kelvor",         "Form",
    "Button Index",  "Form Ctrl",   "Ctrl Data",      "Hot Key",
    "Broadcast",     "External",    "OutputChannel",  "PulseType",
    "PulseLength",   "PlaySound",   "WaitSound",      "SoundCardNumber",
    "SoundCardName", "OnBroadcast", "AutoNextButton", "AutoNextTime",
    "Default",       "OptionFlags", "SerialCommand",  "SendCarriageReturn",
};

// Widths of the text columns as the panel keeps them in memory.
constexpr int kNameWidth = 50;
constexpr int kShortTextWidth = 50; // Code and "Hot Key" are read into 50
constexpr int kPulseWidth = 20;
constexpr int kSoundWidth = 255;
constexpr int kCardNameWidth = 31;
constexpr int kSerialWidth = 80;

constexpr const char* kPulseNames[] = {"GOHI", "GOLO", "HILO", "LOHI"};

// The highest function key a panel can name.
constexpr int kLastFunctionKey = 24;

QString selectText(const QString& table)
{
    QStringList columns;
    for (const char* c : kColumnNames)
        columns << QString::fromLatin1(c);
    return detail::definitionSelectText(columns, table);
}

void readRow(SQLHSTMT h, ButtonDefinition& row)
{
    const detail::DefinitionRowReader read(
        h, [&row](int column, bool present) { row.present[std::size_t(column)] = present; });
    auto text = [&](int column, int width) { return read.text(column, width); };
    auto integer = [&](int column) { return read.integer(column).value_or(0); };
    auto real = [&](int column) { return float(read.real(column).value_or(0)); };
    row.Order = int16_t(integer(BcOrder));
    row.Type = text(BcType, kNameWidth);
    row.Code = text(BcCode, kShortTextWidth);
    row.Name = text(BcName, kNameWidth);
    row.Recording = int16_t(integer(BcRecording));
    row.Recorder = int16_t(integer(BcRecorder));
    row.Kelvor = int16_t(integer(BcKelvor));
    row.Form = text(BcForm, kNameWidth);
    row.ButtonIndex = text(BcButtonIndex, kNameWidth);
    row.FormCtrl = text(BcFormCtrl, kNameWidth);
    row.CtrlData = text(BcCtrlData, kNameWidth);
    row.HotKey = text(BcHotKey, kShortTextWidth);
    row.Broadcast = int32_t(integer(BcBroadcast));
    row.External = int32_t(integer(BcExternal));
    row.OutputChannel = int16_t(integer(BcOutputChannel));
    row.PulseType = text(BcPulseType, kPulseWidth);
    row.PulseLength = real(BcPulseLength);
    row.PlaySound = text(BcPlaySound, kSoundWidth);
    row.WaitSound = uint8_t(integer(BcWaitSound) != 0);
    row.SoundCardNumber = int32_t(integer(BcSoundCardNumber));
    row.SoundCardName = text(BcSoundCardName, kCardNameWidth);
    row.OnBroadcast = int32_t(integer(BcOnBroadcast));
    row.AutoNextButton = int32_t(integer(BcAutoNextButton));
    row.AutoNextTime = real(BcAutoNextTime);
    row.Default = uint8_t(integer(BcDefault) != 0);
    row.OptionFlags = int32_t(integer(BcOptionFlags));
    row.SerialCommand = text(BcSerialCommand, kSerialWidth);
    row.SendCarriageReturn = uint8_t(integer(BcSendCarriageReturn) != 0);
}

// Widths of the text columns in the table, which a written-back text is cut
// to; 0 for the columns that are no text.
constexpr int kTableWidths[ButtonColumnCount] = {
    0, 50, 5, 50, 0, 0, 0, 50, 50, 50, 50, 5, 0, 0, 0, 20, 0, 255, 0, 0, 32, 0, 0, 0, 0, 0, 80, 0,
};

// The row's value of a column as an SQL literal; NULL for a column the row
// does not hold.
QString literal(const ButtonDefinition& row, int column)
{
    if (!row.isSet(column))
        return QStringLiteral("NULL");
    auto text = [&](const QString& value) {
        return QLatin1Char('\'')
             + store::CutToWidth(value, kTableWidths[column]).replace(QLatin1Char('\''), QStringLiteral("''"))
             + QLatin1Char('\'');
    };
    switch (column) {
    case BcOrder: return QString::number(row.Order);
    case BcType: return text(row.Type);
    case BcCode: return text(row.Code);
    case BcName: return text(row.Name);
    case BcRecording: return QString::number(row.Recording);
    case BcRecorder: return QString::number(row.Recorder);
    case BcKelvor: return QString::number(row.Kelvor);
    case BcForm: return text(row.Form);
    case BcButtonIndex: return text(row.ButtonIndex);
    case BcFormCtrl: return text(row.FormCtrl);
    case BcCtrlData: return text(row.CtrlData);
    case BcHotKey: return text(row.HotKey);
    case BcBroadcast: return QString::number(row.Broadcast);
    case BcExternal: return QString::number(row.External);
    case BcOutputChannel: return QString::number(row.OutputChannel);
    case BcPulseType: return text(row.PulseType);
    case BcPulseLength: return store::FormatReal(row.PulseLength);
    case BcPlaySound: return text(row.PlaySound);
    case BcWaitSound: return QString::number(row.WaitSound);
    case BcSoundCardNumber: return QString::number(row.SoundCardNumber);
    case BcSoundCardName: return text(row.SoundCardName);
    case BcOnBroadcast: return QString::number(row.OnBroadcast);
    case BcAutoNextButton: return QString::number(row.AutoNextButton);
    case BcAutoNextTime: return store::FormatReal(row.AutoNextTime);
    case BcDefault: return QString::number(row.Default);
    case BcOptionFlags: return QString::number(row.OptionFlags);
    case BcSerialCommand: return text(row.SerialCommand);
    case BcSendCarriageReturn: return QString::number(row.SendCarriageReturn);
    default: return QStringLiteral("NULL");
    }
}

// Readies an edited row for its table: "Order" and Type are always written
// (Type from the kind of a button row), PulseType as the name of its code.
void PrepareForWrite(ButtonDefinition& row)
{
    row.present[BcOrder] = true;
    if (row.isButton())
        row.Type = ControlTypeName(row.kind);
    row.present[BcType] = true;
    row.PulseType = PulseTypeName(row.pulseCode);
    row.present[BcPulseType] = true;
}

} // namespace

bool WriteBackButtonRow(const QString& definitionTable, ButtonDefinition& row)
{
    PrepareForWrite(row);
    const QString table = store::QuoteIdentifier(definitionTable);
    qint64 key = 0;
    {
        // The first row of that "Order" as the panel reads them.
        store::SqlStatement find(store::GetDbConnection());
        const QString text = QStringLiteral("SELECT rowid FROM %1 WHERE \"Order\" = %2 ORDER BY rowid LIMIT 1")
                                 .arg(table)
                                 .arg(row.Order);
        if (!find.isValid() || !find.execDirect(text) || !store::sqlSucceeded(SQLFetch(find.handle())))
            return false;
        key = detail::columnInt(find.handle(), 1).value_or(0);
    }
    QStringList assignments;
    for (int c = 0; c < ButtonColumnCount; ++c)
        assignments << store::QuoteIdentifier(QString::fromLatin1(kColumnNames[c])) + QStringLiteral(" = ")
                           + literal(row, c);
    store::SqlStatement update(store::GetDbConnection());
    if (!update.isValid()
        || !update.execDirect(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = %3")
                                  .arg(table, assignments.join(QStringLiteral(", ")))
                                  .arg(key))) {
        store::DbMessage(store::DbOwnerWindow(), QString::fromLatin1(kCantUpdateButtonTableText), definitionTable);
        return false;
    }
    return true;
}

const char* ButtonColumnName(int column)
{
    return column >= 0 && column < ButtonColumnCount ? kColumnNames[column] : "";
}

int PulseTypeFromName(const QString& name)
{
    for (int i = 0; i < 4; ++i)
        if (name.compare(QLatin1String(kPulseNames[i]), Qt::CaseInsensitive) == 0)
            return i + 1;
    return PulseNone;
}

QString PulseTypeName(int code)
{
    return code >= PulseGoHi && code <= PulseLoHi ? QString::fromLatin1(kPulseNames[code - 1]) : QStringLiteral("NONE");
}

int ButtonHotKeyCode(const QString& text)
{
    // A lone "F" is the letter: read as a function key number it would be
    // key 111, the numeric pad's divide key, which nobody could guess.
    if (text.size() >= 2 && text.at(0) == QLatin1Char('F')) {
        bool ok = false;
        const int n = text.mid(1).toInt(&ok);
        if (ok && n >= 1 && n <= kLastFunctionKey && text.at(1).isDigit())
            return kVkF1 - 1 + n;
        return 0;
    }
    if (text.size() == 1)
        return HotKeyCodeFromText(text);
    return 0;
}

bool IsButtonFormTable(const QString& tableName)
{
    return tableName.startsWith(QLatin1String(kButtonTablePrefix), Qt::CaseInsensitive);
}

QString ButtonFormName(const QString& tableName)
{
    return tableName.mid(int(qstrlen(kButtonTablePrefix)));
}

QStringList ButtonFormTables()
{
    QStringList tables;
    store::SqlStatement statement(store::GetDbConnection());
    if (!statement.isValid())
        return tables;
    QByteArray type("'TABLE'");
    if (!store::sqlSucceeded(SQLTables(statement.handle(), nullptr, 0, nullptr, 0, nullptr, 0,
                                       reinterpret_cast<SQLCHAR*>(type.data()), SQL_NTS)))
        return tables;
    constexpr int kTableNameColumn = 3;
    while (store::sqlSucceeded(SQLFetch(statement.handle()))) {
        const QString name = detail::columnText(statement.handle(), kTableNameColumn);
        if (IsButtonFormTable(name))
            tables << name;
    }
    return tables;
}

bool ButtonDefinition::isButton() const
{
    return kind == CT_BUTTON || isRadio();
}

bool ButtonDefinition::isRadio() const
{
    return kind == CT_PUSHRADIOBUTTON || kind == CT_RADIOBUTTON;
}

std::vector<ButtonDefinition> ReadButtonDefinition(const QString& definitionTable)
{
    std::vector<ButtonDefinition> rows;
    const QString text = selectText(definitionTable);
    store::SqlStatement statement(store::GetDbConnection());
    if (!statement.isValid() || !statement.execDirect(text)) {
        store::DbMessage(store::DbOwnerWindow(), text, QString::fromLatin1(kButtonDefinitionErrorCaption));
        return rows;
    }
    while (store::sqlSucceeded(SQLFetch(statement.handle()))) {
        ButtonDefinition row;
        readRow(statement.handle(), row);
        row.kind = ControlTypeFromName(row.Type);
        row.pulseCode = PulseTypeFromName(row.PulseType);
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace velmar::forms
