#include "forms/UserFormInfo.h"

#include "forms/ControlKeywords.h"
#include "forms/ExternalCounters.h"
#include "forms/FormSql.h"
#include "forms/HotKeyCode.h"
#include "forms/UserPlotThing.h" // PlotThings go with the form
#include "platform/RunMode.h"
#include "store/DbConnection.h"
#include "store/DbMessages.h"
#include "store/FixedSchema.h"
#include "settings/ProgramSettings.h"
#include "settings/ProgramSettings.h"
#include "store/RecordReaders.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <set>

namespace velmar::forms {

namespace {

using detail::columnDouble;
using detail::columnInt;
using detail::columnText;

constexpr const char* kReservedNames[] = {"Dummy", "Lookup", "Template", "ThingsHeard", "UDF_ThingsHeard"};
constexpr const char* kUserFormPrefix = "UDF_";
constexpr int kPrefixLength = 4;
// Font sizes are in points of 1/72 inch.
constexpr int kPointsPerInch = 72;
// Names of forms and tables are kept to 127 characters.
constexpr int kNameWidth = 127;
constexpr int kHotKeyTextWidth = 50;

struct Globals {
    std::vector<TUserFormInfo*> forms;
    HotKeyRegistrar* registrar = nullptr;
    int pixelsPerInch = 96;
    bool checkTableProgress = false;
};

Globals& globals()
{
    // Never destroyed: forms owned by other static objects (the form list)
    // leave the list in their destructors at exit, whatever the order in
    // which statics are destroyed.
    static Globals* const g = new Globals;
    return *g;
}

QString trimmedRight(QString text)
{
    platform::TrimRight(text);
    return text;
}

QString trimmedBoth(QString text)
{
    platform::Trim(text);
    return text;
}

int16_t toShort(std::optional<qint64> v)
{
    return v ? int16_t(std::clamp<qint64>(*v, INT16_MIN, INT16_MAX)) : int16_t(0);
}

// The 28 columns, and after them the rowid when asked for (not quoted: a
// quoted name that is no column would be read as a text).
QString definitionSelectText(const QString& table, bool withRowId)
{
    QStringList columns;
    for (int c = 0; c < DefinitionColumnCount; ++c)
        columns << QString::fromLatin1(DefinitionColumnName(c));
    QString text = detail::definitionSelectText(columns, table);
    if (withRowId)
        text.insert(text.indexOf(QStringLiteral(" FROM ")), QStringLiteral(", rowid"));
    return text;
}

std::optional<qint64> lastInsertedRowId(SQLHDBC connection)
{
    store::SqlStatement s(connection);
    if (!s.execDirect(QStringLiteral("SELECT last_insert_rowid()")) || !store::sqlSucceeded(SQLFetch(s.handle())))
        return std::nullopt;
    return detail::columnInt(s.handle(), 1);
}

// Reads the fetched row into a fresh definition row.
void readRow(SQLHSTMT h, CONTROLTYPEINFO& row)
{
    const detail::DefinitionRowReader read(h, [&row](int column, bool present) {
        if (!present)
            row.nullColumns.set(std::size_t(column));
    });
    auto text = [&](int column, int width) { return read.text(column, width); };
    auto integer = [&](int column) { return read.integer(column); };
    auto real = [&](int column) { return float(read.real(column).value_or(0.0)); };
    auto flag = [&](int column) { return uint8_t(integer(column).value_or(0) != 0 ? 1 : 0); };
    const int w = CONTROLTYPEINFO::TextWidth;
    row.Order = toShort(integer(COL_ORDER));
    row.Type = text(COL_TYPE, w);
    row.Title = text(COL_TITLE, w);
    row.PostTitle = text(COL_POSTTITLE, w);
    row.DbTitle = text(COL_DBTITLE, w);
    row.Default = text(COL_DEFAULT, w);
    row.Length = toShort(integer(COL_LENGTH));
    row.Height = toShort(integer(COL_HEIGHT));
    row.Topic = text(COL_TOPIC, w);
    row.MinValue = real(COL_MINVALUE);
    row.MaxValue = real(COL_MAXVALUE);
    row.NmeaString = text(COL_NMEASTRING, w);
    row.NmeaPosition = toShort(integer(COL_NMEAPOSITION));
    row.AdcChannel = toShort(integer(COL_ADCCHANNEL));
    row.AdcGain = toShort(integer(COL_ADCGAIN));
    row.AnalogMultiply = real(COL_ANALOGMULTIPLY);
    row.AnalogAdd = real(COL_ANALOGADD);
    row.Required = flag(COL_REQUIRED);
    row.ReadOnly = flag(COL_READONLY);
    row.AutoUpdate = toShort(integer(COL_AUTOUPDATE));
    row.AutoClear = flag(COL_AUTOCLEAR);
    row.ForceGps = flag(COL_FORCEGPS);
    row.Plot = flag(COL_PLOT);
    row.Hint = text(COL_HINT, CONTROLTYPEINFO::HintWidth);
    row.Colour = text(COL_COLOUR, CONTROLTYPEINFO::ColourWidth);
    row.SendControlName = text(COL_SENDCONTROLNAME, w);
    row.ControlOnSubform = text(COL_CONTROLONSUBFORM, w);
    row.GetControlData = text(COL_GETCONTROLDATA, w);
}

// Binds the 28 column values of a row in column order (after Order, which
// the caller places where its statement needs it).
void bindRowValues(detail::ParamStatement& s, const CONTROLTYPEINFO& row)
{
    auto text = [&](int column, const QString& value, int width) {
        if (row.IsNull(column))
            s.addNull();
        else
            s.addText(store::CutToWidth(value, width));
    };
    auto integer = [&](int column, qint64 value) {
        if (row.IsNull(column))
            s.addNull();
        else
            s.addInt(value);
    };
    auto real = [&](int column, double value) {
        if (row.IsNull(column))
            s.addNull();
        else
            s.addDouble(value);
    };
    const int w = CONTROLTYPEINFO::TextWidth;
    text(COL_TYPE, row.Type, w);
    text(COL_TITLE, row.Title, w);
    text(COL_POSTTITLE, row.PostTitle, w);
    text(COL_DBTITLE, row.DbTitle, w);
    text(COL_DEFAULT, row.Default, w);
    integer(COL_LENGTH, row.Length);
    integer(COL_HEIGHT, row.Height);
    text(COL_TOPIC, row.Topic, w);
    real(COL_MINVALUE, row.MinValue);
    real(COL_MAXVALUE, row.MaxValue);
    text(COL_NMEASTRING, row.NmeaString, w);
    integer(COL_NMEAPOSITION, row.NmeaPosition);
    integer(COL_ADCCHANNEL, row.AdcChannel);
    integer(COL_ADCGAIN, row.AdcGain);
    real(COL_ANALOGMULTIPLY, row.AnalogMultiply);
    real(COL_ANALOGADD, row.AnalogAdd);
    integer(COL_REQUIRED, row.Required);
    integer(COL_READONLY, row.ReadOnly);
    integer(COL_AUTOUPDATE, row.AutoUpdate);
    integer(COL_AUTOCLEAR, row.AutoClear);
    integer(COL_FORCEGPS, row.ForceGps);
    integer(COL_PLOT, row.Plot);
    text(COL_HINT, row.Hint, CONTROLTYPEINFO::HintWidth);
    text(COL_COLOUR, row.Colour, CONTROLTYPEINFO::ColourWidth);
    text(COL_SENDCONTROLNAME, row.SendControlName, w);
    text(COL_CONTROLONSUBFORM, row.ControlOnSubform, w);
    text(COL_GETCONTROLDATA, row.GetControlData, w);
}

// The number a text begins with (blanks and a sign allowed), 0 for none.
int leadingNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*([-+]?\\d+)"));
    const auto match = number.match(text);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

bool onlineLogging()
{
    return platform::RunMode == platform::RunModeOnline;
}

bool loggingMode()
{
    return platform::RunMode == platform::RunModeOnline || platform::RunMode == platform::RunModeOffline;
}

} // namespace

void setHotKeyRegistrar(HotKeyRegistrar* registrar)
{
    globals().registrar = registrar;
}

HotKeyRegistrar* hotKeyRegistrar()
{
    return globals().registrar;
}

void setFontResolution(int pixelsPerInch)
{
    globals().pixelsPerInch = pixelsPerInch > 0 ? pixelsPerInch : 96;
}

int fontResolution()
{
    return globals().pixelsPerInch;
}

void setCheckTableProgress(bool shown)
{
    globals().checkTableProgress = shown;
}

const std::vector<TUserFormInfo*>& UserFormList()
{
    return globals().forms;
}

bool IsUserFormTable(const QString& tableName)
{
    for (const char* reserved : kReservedNames)
        if (tableName.compare(QLatin1String(reserved), Qt::CaseInsensitive) == 0)
            return false;
    return tableName.left(kPrefixLength).compare(QLatin1String(kUserFormPrefix), Qt::CaseInsensitive) == 0;
}

QString ExclusionKeywordOfMode(quint32 runMode)
{
    switch (runMode) {
    case platform::RunModeOnline: return ControlTypeName(CT_NOTONLINE);
    case platform::RunModeShowData: return ControlTypeName(CT_NOTSHOWDATA);
    case platform::RunModeOffline: return ControlTypeName(CT_NOTOFFLINE);
    default: return QString();
    }
}

bool UserFormShownInMode(const QString& tableName)
{
    SQLHDBC connection = store::GetDbConnection();
    if (connection == SQL_NULL_HDBC)
        return false;
    const QString keyword = ExclusionKeywordOfMode(platform::RunMode);
    if (keyword.isEmpty())
        return true;
    // The same rule as the keyword table: exact text, trailing blanks ignored.
    detail::ParamStatement s(connection);
    const QString text =
        QStringLiteral("SELECT \"Type\" FROM %1 WHERE rtrim(\"Type\", ' ') = ?").arg(store::QuoteIdentifier(tableName));
    if (!s.prepare(text)) {
        store::DbMessage(store::DbOwnerWindow(), text, QString::fromLatin1(kDefinitionErrorCaption));
        return true;
    }
    s.addText(keyword);
    if (!s.execute()) {
        store::DbMessage(store::DbOwnerWindow(), text, QString::fromLatin1(kDefinitionErrorCaption));
        return true;
    }
    return !store::sqlSucceeded(SQLFetch(s.handle()));
}

TUserFormInfo::TUserFormInfo(const QString& definitionTable, int tabIndex) : TabIndex(tabIndex)
{
    Font = store::TheProgramSettings.DisplayLogFont;
    globals().forms.push_back(this);
    DefinitionTable = store::CutToWidth(definitionTable, kNameWidth);
    FormName = DefinitionTable.mid(kPrefixLength);
    DataTable = FormName;
    ReadDefinition();
    // A form storing into a fixed table would alter its columns and mix
    // its records into the survey's own: such a definition is refused.
    if (store::IsFixedTableName(DataTable)) {
        Refused = true;
        store::DbMessage(store::DbOwnerWindow(),
                         QStringLiteral("The form \"%1\" would store its data in the survey table \"%2\".\n\n"
                                        "Forms may not use the survey's own tables: the form is not loaded.")
                             .arg(FormName, DataTable),
                         QString::fromLatin1(kDefinitionErrorCaption), store::DbIcon::Stop);
        return;
    }
    if (globals().checkTableProgress && store::dbMessageSink())
        store::dbMessageSink()->setTableCheckText(DataTable);
    DbCheckDataTable();
    for (const auto& row : m_rows)
        if (row->typeCode == CT_LOOKUP)
            LoadLookupList(*row);
    if (FormKind == kPopupForm || Hidden)
        TabIndex = -1;
    if (loggingMode()) {
        InitCounters();
        StartFormCounters(*this);
    }
}

TUserFormInfo::~TUserFormInfo()
{
    if (HotKeyId > 0 && globals().registrar)
        globals().registrar->unregisterHotKey(HotKeyId);
    auto& forms = globals().forms;
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
}

std::vector<CONTROLTYPEINFO*> TUserFormInfo::ValueRows() const
{
    std::vector<CONTROLTYPEINFO*> rows;
    for (const auto& row : m_rows)
        if (row->HasColumn())
            rows.push_back(row.get());
    return rows;
}

void TUserFormInfo::ReadDefinition()
{
    m_rows.clear();
    // Each row with its rowid, unless the table has none (WITHOUT ROWID).
    m_rowIds = true;
    QString text = definitionSelectText(DefinitionTable, true);
    store::SqlStatement statement(store::GetDbConnection());
    bool read = statement.execDirect(text);
    if (!read && statement.isValid()) {
        m_rowIds = false;
        text = definitionSelectText(DefinitionTable, false);
        read = statement.execDirect(text);
    }
    if (!read) {
        store::DbMessage(store::DbOwnerWindow(), text, QString::fromLatin1(kDefinitionErrorCaption));
        return;
    }
    while (store::sqlSucceeded(SQLFetch(statement.handle()))) {
        auto row = std::make_unique<CONTROLTYPEINFO>();
        readRow(statement.handle(), *row);
        if (m_rowIds) {
            row->rowId = detail::columnInt(statement.handle(), DefinitionColumnCount + 1);
            m_rowIds = row->rowId.has_value();
        }
        row->typeCode = ControlTypeFromName(row->Type);
        QString colour = row->Colour;
        row->colourValue = platform::ColourFromName(colour);
        if (row->typeCode != CT_HOTKEY) {
            if (row->DbTitle.isEmpty())
                row->DbTitle = row->Title;
            if (row->Topic.isEmpty())
                row->Topic = row->Title;
        }
        row->DbTitle = trimmedBoth(row->DbTitle);
        row->Topic = trimmedBoth(row->Topic);
        ApplyFormKeyword(*row);
        row->CheckAutoUpdate();
        m_rows.push_back(std::move(row));
    }
}

void TUserFormInfo::ApplyFormKeyword(CONTROLTYPEINFO& row)
{
    if (HasDataField(row.typeCode))
        return;
    switch (row.typeCode) {
    case CT_FONT: SetFontFromRow(row); break;
    case CT_NEWLINE:
        if (!m_rows.empty())
            ++m_rows.back()->newLineCount;
        break;
    case CT_POPUP:
    case CT_SUBTABS:
        if (!onlineLogging())
            break;
        FormKind = row.typeCode == CT_POPUP ? kPopupForm : kSubTabForm;
        OpenInBackground = row.Plot ? 0 : 1;
        ForceGps = row.ForceGps;
        if (row.typeCode == CT_SUBTABS) {
            SubTabGroup = row.Title.isEmpty() ? FormName : store::CutToWidth(row.Title, kNameWidth);
            SubTabPrefix = row.PostTitle;
            SubTabLabelTitle = row.Topic;
        }
        break;
    case CT_HIDDEN: Hidden = 1; break;
    case CT_READWITHGPS: StoreWithGps = 1; break;
    case CT_READONTIMER:
        StoreOnTimer = 1;
        TimerInterval = row.AutoUpdate;
        break;
    case CT_AUTOALERT: ReminderInterval = row.AutoUpdate; break;
    case CT_DBTABLENAME:
        if (!row.DbTitle.isEmpty())
            DataTable = store::CutToWidth(row.DbTitle, kNameWidth);
        break;
    case CT_HOTKEY: ApplyHotKey(row); break;
    case CT_BEARING:
        BearingControl = row.Title;
        BearingReference = BearingTypeFromName(row.Topic);
        FixedBearing = row.Length;
        Symbol.lineFlag = row.Plot;
        break;
    case CT_RANGE:
        RangeControl = row.Title;
        RangeUnits = RangeUnitsFromName(row.PostTitle);
        RangeSource = RangeTypeFromName(row.Topic);
        if (RangeSource == RANGE_FIXED)
            FixedRange = float(FixedRangeToMiles(row.Length, RangeUnits));
        break;
    case CT_BLOBSIZE:
        platform::InitSymbolDesc(Symbol, std::max<int>(row.Length, 0), platform::SymbolCircle, 1, 1);
        break;
    case CT_SYMBOLTYPE:
        platform::InitSymbolDesc(Symbol, std::max<int>(row.Length, 0), platform::SymbolFromName(row.Title), row.Plot,
                                 Symbol.lineFlag);
        break;
    case CT_INTERPOLATEGPS:
        InterpolateGps = 1;
        InterpolationControl = row.Title;
        break;
    case CT_HYDROPHONELENGTH: HydrophoneLength = float(HydrophoneLengthToMiles(row.Length)); break;
    case CT_PLOT:
        HasPlotAll = 1;
        PlotColour = row.colourValue;
        break;
    case CT_DDEENABLE:
        if (loggingMode())
            DdeEnabled = 1;
        break;
    case CT_HEADING:
        HeadingControl = row.Title;
        HeadingReference = HeadingTypeFromName(row.Topic);
        HeadingLength = row.Length;
        HeadingWidth = row.Height;
        HeadingUnits = RangeUnitsFromName(row.PostTitle);
        HeadingPlot = row.Plot;
        HeadingColour = row.colourValue;
        break;
    case CT_GPSDATASET:
        if (!row.Title.isEmpty())
            GpsDataSetTable = trimmedBoth(row.Title);
        break;
    case CT_AUTORECORD:
        AutoRecord = 1;
        AutoRecordTrigger = row.Title.isEmpty() ? QStringLiteral("zzzzrecordzzzz") : row.Title;
        AutoRecordLength = row.Length;
        break;
    case CT_NOCANCEL: NoCancel = 1; break;
    case CT_NOCLEAR: NoClear = 1; break;
    case CT_FORMCOLOUR:
        if (row.colourValue >= 0)
            BackgroundColour = row.colourValue;
        break;
    case CT_SETTABNUMBER: FixedTabNumber = row.Length; break;
    default: break;
    }
}

void TUserFormInfo::ApplyHotKey(const CONTROLTYPEINFO& row)
{
    HotKeyText = store::CutToWidth(row.Title, kHotKeyTextWidth);
    const int code = HotKeyCodeFromText(HotKeyText);
    if (code > 0) {
        HotKeyRegistrar* registrar = globals().registrar;
        if (registrar && registrar->registerHotKey(code, code)) {
            HotKeyId = code;
        } else {
            HotKeyId = 0;
            store::DbMessage(store::DbOwnerWindow(), QStringLiteral("%1_%2").arg(DefinitionTable, HotKeyText),
                             QStringLiteral("Invalid Hot Key Number. It is possibly already in use by another form"));
        }
    }
    if (!row.Topic.isEmpty())
        HotKeyTarget = row.Topic;
}

void TUserFormInfo::LoadLookupList(CONTROLTYPEINFO& row)
{
    row.lookup.clear();
    row.lookup.emplace_back();
    // Access compared these without regard to case; so does the survey file.
    const QString text = QStringLiteral("SELECT \"Code\", \"Text\", \"Colour\", \"Symbol\" FROM \"Lookup\" "
                                        "WHERE \"Topic\" = ? COLLATE NOCASE AND \"Selectable\" = 'y' COLLATE NOCASE "
                                        "ORDER BY \"Order\"");
    detail::ParamStatement s(store::GetDbConnection());
    const bool ok = s.prepare(text) && (s.addText(row.Topic), s.execute());
    if (!ok) {
        store::DbMessage(store::DbOwnerWindow(), text, QString::fromLatin1(kDefinitionErrorCaption));
        return;
    }
    while (store::sqlSucceeded(SQLFetch(s.handle()))) {
        LookupItem item;
        item.code = trimmedRight(store::CutToWidth(columnText(s.handle(), 1), LookupItem::CodeWidth));
        item.text = trimmedRight(store::CutToWidth(columnText(s.handle(), 2), LookupItem::TextWidth));
        QString colour = trimmedRight(store::CutToWidth(columnText(s.handle(), 3), CONTROLTYPEINFO::ColourWidth));
        const QString symbol = trimmedRight(store::CutToWidth(columnText(s.handle(), 4), CONTROLTYPEINFO::ColourWidth));
        item.colour = colour.isEmpty() ? row.colourValue : platform::ColourFromName(colour);
        item.symbol = symbol.isEmpty() ? Symbol.symbol : platform::SymbolFromName(symbol);
        for (std::size_t i = 1; i < row.lookup.size(); ++i) {
            const LookupItem& earlier = row.lookup[i];
            if (earlier.code.compare(item.code, Qt::CaseInsensitive) == 0) {
                store::DbMessage(store::DbOwnerWindow(),
                                 QStringLiteral("Lookup code \"%1\" already exists in list \"%2\"\n\n%3 - %4\n%5 - %6")
                                     .arg(item.code, row.Topic, earlier.code, earlier.text, item.code, item.text),
                                 QStringLiteral("Lookup Table Error in Form %1").arg(FormName));
                break;
            }
        }
        row.lookup.push_back(item);
    }
}

bool TUserFormInfo::WriteDefinitionRow(CONTROLTYPEINFO& row)
{
    SQLHDBC connection = store::GetDbConnection();
    const QString table = store::QuoteIdentifier(DefinitionTable);
    QStringList sets;
    QStringList names;
    for (int c = 1; c < DefinitionColumnCount; ++c) {
        const QString name = store::QuoteIdentifier(QString::fromLatin1(DefinitionColumnName(c)));
        sets << name + QStringLiteral(" = ?");
        names << name;
    }
    // The row is found by its rowid: several rows may share an Order, and
    // only this one may change. A table without rowids has only the Order.
    // A row that was never in the table is added.
    if (row.rowId || !m_rowIds) {
        detail::ParamStatement update(connection);
        const QString text = QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                                 .arg(table, sets.join(QStringLiteral(", ")),
                                      row.rowId ? QStringLiteral("rowid") : QStringLiteral("\"Order\""));
        if (!update.prepare(text)) {
            store::DbMessage(store::DbOwnerWindow(), QStringLiteral("Can't update UDF table with new info"),
                             DefinitionTable);
            return false;
        }
        bindRowValues(update, row);
        update.addInt(row.rowId ? *row.rowId : qint64(row.Order));
        if (!update.execute()) {
            store::DbMessage(store::DbOwnerWindow(), QStringLiteral("Can't update UDF table with new info"),
                             DefinitionTable);
            return false;
        }
        if (update.rowCount() > 0)
            return true;
    }
    detail::ParamStatement insert(connection);
    QStringList marks;
    for (int c = 0; c < DefinitionColumnCount; ++c)
        marks << QStringLiteral("?");
    const QString text = QStringLiteral("INSERT INTO %1 ( \"Order\", %2 ) VALUES ( %3 )")
                             .arg(table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    const bool prepared = insert.prepare(text);
    insert.addInt(row.Order);
    bindRowValues(insert, row);
    if (prepared && insert.execute()) {
        if (m_rowIds)
            row.rowId = lastInsertedRowId(connection);
        return true;
    }
    store::ShowSqlError(store::DbOwnerWindow(), SQL_HANDLE_STMT, insert.handle());
    return false;
}

void TUserFormInfo::SetFontFromRow(const CONTROLTYPEINFO& row)
{
    if (row.Title.isEmpty() || row.Length == 0)
        return;
    store::LogFont font;
    font.lfHeight = -int32_t(std::lround(double(row.Length) * fontResolution() / kPointsPerInch));
    font.lfWeight = row.Height;
    font.lfItalic = row.Plot;
    font.lfFaceName.setText(row.Title);
    Font = font;
    for (const auto& listener : FontListeners)
        listener();
}

bool TUserFormInfo::WriteFormRow(int typeCode, const QString& keyword,
                                 const std::function<void(CONTROLTYPEINFO&)>& fill)
{
    CONTROLTYPEINFO* row = FindRowByType(typeCode);
    if (!row)
        row = NewDefinitionRow();
    if (row->Order == 0)
        row->Order = int16_t(FreeOrderNumber());
    row->Type = keyword;
    row->typeCode = typeCode;
    fill(*row);
    row->SetLengths();
    return WriteDefinitionRow(*row);
}

bool TUserFormInfo::StoreFont(const store::LogFont& font)
{
    Font = font;
    for (const auto& listener : FontListeners)
        listener();
    const int points = int(std::lround(std::abs(double(font.lfHeight)) * kPointsPerInch / fontResolution()));
    return WriteFormRow(CT_FONT, QStringLiteral("FONT"), [&](CONTROLTYPEINFO& row) {
        row.Title = font.lfFaceName.text();
        row.Length = int16_t(points);
        row.Height = int16_t(font.lfWeight);
        row.Plot = font.lfItalic ? 1 : 0;
    });
}

bool TUserFormInfo::StoreFormColour(int32_t colour)
{
    BackgroundColour = colour;
    return WriteFormRow(CT_FORMCOLOUR, QStringLiteral("FORMCOLOUR"), [&](CONTROLTYPEINFO& row) {
        row.Colour = QString::asprintf("RGB(%3.3d,%3.3d,%3.3d)", colour & 0xff, (colour >> 8) & 0xff,
                                       (colour >> 16) & 0xff);
        row.colourValue = colour;
    });
}

std::array<int32_t, 12> TUserFormInfo::CustomColours()
{
    constexpr int kStep = 16;
    std::array<int32_t, 12> colours{};
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const int level = 255 - kStep * int(i);
        colours[i] = platform::MakeColour(level, level, level);
    }
    return colours;
}

CONTROLTYPEINFO* TUserFormInfo::FindRowByType(int typeCode) const
{
    for (const auto& row : m_rows)
        if (row->typeCode == typeCode)
            return row.get();
    return nullptr;
}

CONTROLTYPEINFO* TUserFormInfo::NewDefinitionRow()
{
    m_rows.push_back(std::make_unique<CONTROLTYPEINFO>());
    CONTROLTYPEINFO* row = m_rows.back().get();
    row->nullColumns.set();
    return row;
}

int TUserFormInfo::FreeOrderNumber() const
{
    std::set<int> used;
    for (const auto& row : m_rows)
        used.insert(row->Order);
    int order = 1;
    while (used.count(order))
        ++order;
    return order;
}

CONTROLTYPEINFO* TUserFormInfo::FindValueRow(const QString& dbTitle) const
{
    for (const auto& row : m_rows)
        if (row->HasColumn() && row->DbTitle.compare(dbTitle, Qt::CaseInsensitive) == 0)
            return row.get();
    return nullptr;
}

CONTROLTYPEINFO* TUserFormInfo::FindRowByTitle(const QString& title) const
{
    for (const auto& row : m_rows)
        if (row->Title == title)
            return row.get();
    return nullptr;
}

void TUserFormInfo::InitCounters()
{
    for (const auto& row : m_rows) {
        if (row->typeCode != CT_COUNTER)
            continue;
        if (!row->Default.isEmpty()) {
            // Default holds the next number to give (every increment writes
            // it back), and the first window's set-up increments once: start
            // one below so that number is not skipped after a restart.
            const int next = std::max(0, leadingNumber(row->Default));
            row->counterValue = std::max(0, next - 1);
        } else {
            row->counterValue = store::DbGetLastValue(DataTable, row->DbTitle, QString(), true);
        }
    }
}

} // namespace velmar::forms
