#include "FixedSchema.h"

#include "DbConnection.h"
#include "DbMessages.h"
#include "platform/RunMode.h"
#include "SqlText.h"
#include "TableDefinition.h"

#include <sqlext.h>

#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace velmar::store {

namespace {

// Buffer of a column name or type name read from the catalogue.
constexpr SQLLEN kCatalogTextSize = 128;
// Column numbers of the SQLColumns and SQLTables result sets.
constexpr SQLUSMALLINT kCatTableName = 3;
constexpr SQLUSMALLINT kCatColumnName = 4;
constexpr SQLUSMALLINT kCatDataType = 5;
constexpr SQLUSMALLINT kCatTypeName = 6;
constexpr SQLUSMALLINT kCatColumnSize = 7;

struct ColumnSpec {
    const char* name;
    const char* type;
    bool primaryKey = false;
};

struct TableSpec {
    const char* name;
    std::vector<ColumnSpec> columns;
};

const ColumnSpec kIndex{"Index", "COUNTER", true};

std::vector<ColumnSpec> effortColumns()
{
    return {kIndex,
            {"PCTime", "TIMESTAMP"},
            {"Status", "CHAR(10)"},
            {"GPSIndex", "LONG"},
            {"GPSTime", "TIMESTAMP"},
            {"FileName", "CHAR(50)"},
            {"FileSection", "SHORT"}};
}

std::vector<ColumnSpec> harmonicColumns()
{
    std::vector<ColumnSpec> c{kIndex,
                              {"EventStart", "TIMESTAMP"},
                              {"GpsIndex", "LONG"},
                              {"GPSTime", "TIMESTAMP"},
                              {"Duration", "SINGLE"},
                              {"N Whistles", "LONG"},
                              {"Min Freq", "LONG"},
                              {"Max Freq", "LONG"},
                              {"PausedAtStart", "SHORT"},
                              {"PausedAtEnd", "SHORT"},
                              {"Unsettled", "SHORT"},
                              {"File Name", "CHAR(20)"},
                              {"File Section", "SHORT"},
                              {"Score", "SINGLE"},
                              {"Is Good", "SHORT"},
                              {"totPeaks", "LONG"},
                              {"fatPeaks", "LONG"},
                              {"harmonicScore", "SINGLE"},
                              {"Parameter Set", "CHAR(60)"},
                              {"noGoodBearingWsls", "LONG"},
                              {"accurateBearing", "SINGLE"},
                              {"acBearingSTD", "SINGLE"},
                              {"BearingScore", "SINGLE"},
                              {"maxStrengthOnBearing", "SINGLE"},
                              {"avStrengthOnBearing", "SINGLE"},
                              {"numGoodBearingWsls2", "LONG"},
                              {"maxInList", "LONG"}};
    static const char* const whistles[] = {"Whistle00", "Whistle01", "Whistle02", "Whistle03", "Whistle04",
                                           "Whistle05", "Whistle06", "Whistle07", "Whistle08", "Whistle09"};
    for (const char* w : whistles)
        c.push_back({w, "LONG"});
    return c;
}

// The whole schema in the order the definitions are built.
std::vector<TableSpec> schemaSpecs()
{
    return {
        {"GpsData",
         {kIndex,
          {"PCTime", "TIMESTAMP"},
          {"Latitude", "SINGLE"},
          {"Longitude", "SINGLE"},
          {"GPSTime", "LONG"},
          {"Heading", "SINGLE"},
          {"HeadingType", "CHAR(2)"},
          {"Speed", "SINGLE"},
          {"SpeedType", "CHAR(2)"},
          {"GPSError", "SHORT"},
          {"DataStatus", "CHAR(3)"},
          {"TrueHeading", "SINGLE"},
          {"MagneticHeading", "SINGLE"}}},
        {"Hydrophone",
         {kIndex,
          {"PCTime", "TIMESTAMP"},
          {"GPSIndex", "LONG"},
          {"GPSTime", "TIMESTAMP"},
          {"Power", "CHAR(15)"},
          {"Cable", "CHAR(15)"}}},
        {"ListeningEffort",
         {kIndex,
          {"PCTime", "TIMESTAMP"},
          {"Status", "CHAR(10)"},
          {"GPSIndex", "LONG"},
          {"GPSTime", "TIMESTAMP"},
          {"Comment", "CHAR(50)"}}},
        {"WhistleEffort", effortColumns()},
        {"PorpoiseEffort", effortColumns()},
        {"QuintraEffort", effortColumns()},
        {"Whistles",
         {kIndex,
          {"WhistleNumber", "LONG"},
          {"PCTime", "TIMESTAMP"},
          {"GpsIndex", "LONG"},
          {"GPSTime", "TIMESTAMP"},
          {"SectionTime", "SINGLE"},
          {"Channel", "SHORT"},
          {"Duration", "SINGLE"},
          {"Correlation", "SINGLE"},
          {"Max Frequency", "LONG"},
          {"Min Frequency", "LONG"},
          {"Ave Frequency", "LONG"},
          {"Ave Amplitude", "SINGLE"},
          {"Max Amplitude", "SINGLE"},
          {"Peaks", "SHORT"},
          {"Troughs", "SHORT"},
          {"Max Peak Freq", "LONG"},
          {"Min Trough Freq", "LONG"},
          {"Start Frequency", "LONG"},
          {"End Frequency", "LONG"},
          {"Bearing", "SINGLE"},
          {"Range", "SINGLE"},
          {"Species", "CHAR(20)"},
          {"File Name", "CHAR(20)"},
          {"File Section", "SHORT"}}},
        {"ThingsHeard",
         {kIndex,
          {"PCTime", "TIMESTAMP"},
          {"GpsIndex", "LONG"},
          {"GPSTime", "TIMESTAMP"},
          {"Species", "CHAR(20)"},
          {"Strength", "SHORT"},
          {"Comment", "CHAR(50)"}}},
        {"Seismics",
         {kIndex,
          {"PCTime", "TIMESTAMP"},
          {"GpsIndex", "LONG"},
          {"GPSTime", "TIMESTAMP"},
          {"Detector", "CHAR(20)"},
          {"Channel", "SHORT"},
          {"Amplitude1", "SINGLE"},
          {"Amplitude2", "SINGLE"}}},
        {"Comments",
         {kIndex,
          {"PCTime", "TIMESTAMP"},
          {"GpsIndex", "LONG"},
          {"GPSTime", "TIMESTAMP"},
          {"Comment", "CHAR(100)"},
          {"Recording", "CHAR(50)"}}},
        {"QuintraEvents",
         {kIndex,
          {"EventTime", "TIMESTAMP"},
          {"Section Seconds", "LONG"},
          {"GpsIndex", "LONG"},
          {"GPSTime", "TIMESTAMP"},
          {"Duration", "SINGLE"},
          {"nClicks", "LONG"},
          {"Species", "CHAR(20)"},
          {"Event Number", "LONG"},
          {"Whale Id", "SHORT"},
          {"Mean Bearing", "SINGLE"},
          {"First Bearing", "SINGLE"},
          {"Last Bearing", "SINGLE"},
          {"Mean ICI", "SINGLE"},
          {"First ICI", "SINGLE"},
          {"Last ICI", "SINGLE"},
          {"Mean Range", "SINGLE"},
          {"Mean Amplitude", "SINGLE"}}},
        {"PorpoiseEvents",
         {kIndex,
          {"EventStart", "TIMESTAMP"},
          {"Number", "LONG"},
          {"GpsIndex", "LONG"},
          {"GPSTime", "TIMESTAMP"},
          {"FileName", "CHAR(50)"},
          {"Duration", "SINGLE"},
          {"SpeciesCode", "CHAR(2)"},
          {"Confidence", "LONG"},
          {"nPorpoiseClicks", "LONG"},
          {"nBroadBandClicks", "LONG"},
          {"nOtherClicks", "LONG"},
          {"MinBearing", "SINGLE"},
          {"MaxBearing", "SINGLE"},
          {"Comment", "CHAR(50)"},
          {"StartSection", "LONG"},
          {"EndSection", "LONG"},
          {"BackgroundDC", "SINGLE"},
          {"BackgroundAC", "SINGLE"},
          {"PorpoiseBearing", "SINGLE"},
          {"OtherBearing", "SINGLE"},
          {"StartADCTime", "LONG"},
          {"EndADCTime", "LONG"},
          {"Automatic", "BIT"},
          {"TimeABeam", "SINGLE"},
          {"SecsOffBeam", "SINGLE"},
          {"RangeOffBeam", "SINGLE"},
          {"InitialBearing", "SINGLE"},
          {"InitialRange", "SINGLE"},
          {"SigTimeABeam", "SINGLE"},
          {"SigSecsOff", "SINGLE"},
          {"Chi2", "SINGLE"},
          {"FitProb", "SINGLE"},
          {"StoreClicks", "BIT"}}},
        {"WhistleEvents",
         {kIndex,
          {"EventStart", "TIMESTAMP"},
          {"GpsIndex", "LONG"},
          {"GPSTime", "TIMESTAMP"},
          {"Duration", "SINGLE"},
          {"N Whistles", "LONG"},
          {"First Whistle", "LONG"},
          {"Last Whistle", "LONG"},
          {"Min Frequency", "LONG"},
          {"Max Frequency", "LONG"},
          {"Ave Frequency", "LONG"},
          {"N Bearings", "LONG"},
          {"Min Bearing", "SINGLE"},
          {"Max Bearing", "SINGLE"},
          {"Ave Bearing", "SINGLE"},
          {"Min Amplitude", "SINGLE"},
          {"Max Amplitude", "SINGLE"},
          {"Ave Amplitude", "SINGLE"},
          {"Species", "CHAR(20)"},
          {"File Name", "CHAR(20)"},
          {"File Section", "SHORT"}}},
        {"Harmonic Events", harmonicColumns()},
        {"Recordings",
         {kIndex,
          {"DeckNo", "SHORT"},
          {"Start Time", "TIMESTAMP"},
          {"Duration", "LONG"},
          {"GpsIndex", "LONG"},
          {"GPSTime", "TIMESTAMP"},
          {"Media Name", "CHAR(50)"},
          {"Media Type", "CHAR(50)"},
          {"File Name", "CHAR(50)"},
          {"Device Type", "CHAR(20)"},
          {"Device Name", "CHAR(32)"},
          {"Sample Rate", "LONG"},
          {"nChannels", "LONG"},
          {"Comment", "CHAR(100)"}}},
        {"CameraGrabs",
         {kIndex,
          {"GpsIndex", "LONG"},
          {"GPSTime", "TIMESTAMP"},
          {"DateTime", "TIMESTAMP"},
          {"FileName", "CHAR(50)"},
          {"GrabberForm", "SHORT"},
          {"CameraNumber", "SHORT"},
          {"DeviceName", "CHAR(50)"},
          {"Width", "SHORT"},
          {"Height", "SHORT"},
          {"Message", "CHAR(50)"}}},
        {"UserForm",
         {{"Order", "SHORT", true},
          {"Type", "CHAR(50)"},
          {"Title", "CHAR(50)"},
          {"PostTitle", "CHAR(50)"},
          {"DbTitle", "CHAR(50)"},
          {"Default", "CHAR(50)"},
          {"Length", "SHORT"},
          {"Height", "SHORT"},
          {"Topic", "CHAR(50)"},
          {"MinValue", "SINGLE"},
          {"MaxValue", "SINGLE"},
          {"NMEA String", "CHAR(50)"},
          {"NMEA Position", "SHORT"},
          {"ADC Channel", "SHORT"},
          {"ADC Gain", "SHORT"},
          {"Analog Multiply", "SINGLE"},
          {"Analog Add", "SINGLE"},
          {"Required", "BIT"},
          {"ReadOnly", "BIT"},
          {"AutoUpdate", "SHORT"},
          {"AutoClear", "BIT"},
          {"ForceGps", "BIT"},
          {"Plot", "BIT"},
          {"Hint", "CHAR(100)"},
          {"Colour", "CHAR(20)"},
          {"Send Control Name", "CHAR(50)"},
          {"Control on Subform", "CHAR(50)"},
          {"Get Control Data", "CHAR(50)"}}},
        {"ButtonForm", {{"Order", "SHORT", true},     {"Type", "CHAR(50)"},        {"Code", "CHAR(5)"},
                        {"Name", "CHAR(50)"},         {"Recording", "SHORT"},      {"Recorder", "SHORT"},
                        {"Kelvor", "SHORT"},          {"Form", "CHAR(50)"},        {"Button Index", "CHAR(50)"},
                        {"Form Ctrl", "CHAR(50)"},    {"Ctrl Data", "CHAR(50)"},   {"Hot Key", "CHAR(5)"},
                        {"Broadcast", "LONG"},        {"External", "LONG"},        {"OutputChannel", "SHORT"},
                        {"PulseType", "CHAR(20)"},    {"PulseLength", "SINGLE"},   {"PlaySound", "CHAR(255)"},
                        {"WaitSound", "BIT"},         {"SoundCardNumber", "LONG"}, {"SoundCardName", "CHAR(32)"},
                        {"OnBroadcast", "LONG"},      {"AutoNextButton", "LONG"},  {"AutoNextTime", "SINGLE"},
                        {"Default", "BIT"},           {"OptionFlags", "LONG"},     {"SerialCommand", "CHAR(80)"},
                        {"SendCarriageReturn", "BIT"}}},
        {"ButtonData",
         {kIndex,
          {"GpsIndex", "LONG"},
          {"GPSTime", "TIMESTAMP"},
          {"DateTime", "TIMESTAMP"},
          {"Code", "CHAR(5)"},
          {"External", "BIT"},
          {"RecordingIndex", "LONG"}}},
        {"Lookup",
         {{"Topic", "CHAR(15)"},
          {"Code", "CHAR(5)"},
          {"Text", "CHAR(19)"},
          {"Selectable", "CHAR(1)"},
          {"Colour", "CHAR(20)"},
          {"Symbol", "CHAR(20)"},
          {"Order", "SHORT"}}},
        {"UDF_ThingsHeard",
         {{"Order", "LONG"},
          {"Title", "CHAR(50)"},
          {"Species", "CHAR(20)"},
          {"NButtons", "SHORT"},
          {"Colour", "CHAR(20)"}}},
        {"StaticObjects",
         {{"Order", "SHORT"},
          {"Name", "CHAR(20)"},
          {"TableName", "CHAR(20)"},
          {"Type", "CHAR(20)"},
          {"Symbol", "CHAR(20)"},
          {"Size", "SHORT"},
          {"LineColour", "CHAR(20)"},
          {"FillColour", "CHAR(20)"},
          {"DrawFirst", "BIT"}}},
        {"GpsDataSets",
         {{"Order", "SHORT"},
          {"TableName", "CHAR(20)"},
          {"Show", "CHAR(1)"},
          {"LineColour", "CHAR(20)"},
          {"EffortTable", "CHAR(20)"},
          {"EffortControl", "CHAR(20)"}}},
        {"UDF_StaticPoints",
         {{"Latitude", "SINGLE"},
          {"Longitude", "SINGLE"},
          {"Text", "CHAR(20)"},
          {"HTextAlign", "CHAR(20)"},
          {"VTextAlign", "CHAR(20)"},
          {"Hide", "BIT"}}},
        {"UDF_StaticLines", {{"Order", "LONG"}, {"Latitude", "SINGLE"}, {"Longitude", "SINGLE"}, {"LineStart", "BIT"}}},
        {"MenuCheck", {{"TableName", "CHAR(36)"}, {"CheckStatus", "CHAR(255)"}}},
        {"UserFormErrors",
         {kIndex,
          {"GpsIndex", "LONG"},
          {"GPSTime", "TIMESTAMP"},
          {"DateTime", "TIMESTAMP"},
          {"Table", "CHAR(50)"},
          {"Field", "CHAR(50)"},
          {"Value", "CHAR(50)"}}},
        {"UDC_TopControls",
         {{"ORDER", "LONG", true}, {"Table", "CHAR(50)"}, {"Field", "CHAR(50)"}, {"Title", "CHAR(50)"}}},
        {"UDC_TapeRecorders",
         {{"RecorderId", "LONG", true},
          {"Name", "CHAR(80)"},
          {"DeviceType", "LONG"},
          {"DeviceNumber", "LONG"},
          {"SampleRate", "LONG"},
          {"nChannels", "LONG"},
          {"nBits", "LONG"},
          {"OutputDirectory", "CHAR(255)"},
          {"RecordInterval", "LONG"},
          {"RecordDuration", "LONG"},
          {"MediaInitials", "CHAR(20)"},
          {"FileInitials", "CHAR(20)"},
          {"TimeFileName", "BIT"},
          {"Copyright", "CHAR(20)"},
          {"MediaNumber", "LONG"},
          {"SmartFolders", "BIT"},
          {"FolderSize", "LONG"},
          {"LimitSingle", "BIT"},
          {"MaxSingle", "LONG"},
          {"EnableBuffer", "BIT"},
          {"BufferLength", "LONG"},
          {"ChannelGain", "LONG"},
          {"RemoteEnable", "LONG"},
          {"FlashDiode", "BIT"},
          {"Diode", "LONG"},
          {"DeviceName", "CHAR(255)"}}},
        {"UDC_Settings", {kIndex, {"Section", "CHAR(255)"}, {"Identifier", "CHAR(255)"}, {"Data", "CHAR(255)"}}},
    };
}

const char* const kTablesAtOpen[] = {
    "GpsDataSets",    "GpsData",        "Hydrophone",      "ListeningEffort",   "WhistleEffort", "PorpoiseEffort",
    "QuintraEffort",  "Whistles",       "ThingsHeard",     "Seismics",          "Comments",      "QuintraEvents",
    "PorpoiseEvents", "WhistleEvents",  "Harmonic Events", "Recordings",        "StaticObjects", "Lookup",
    "MenuCheck",      "UserFormErrors", "UDC_TopControls", "UDC_TapeRecorders", "CameraGrabs",   "UDC_Settings",
};

struct Schema {
    bool built = false;
    std::vector<std::unique_ptr<TableDefinition>> definitions;
    std::map<QString, const TableDefinition*> byName;
    bool checkingFixedTables = false;
    GpsIndexCheck gpsIndexCheck;
};

Schema& schema()
{
    static Schema s;
    return s;
}

const TableDefinition& definitionOf(const char* name)
{
    const TableDefinition* d = FixedTableDefinition(QString::fromLatin1(name));
    Q_ASSERT(d);
    return *d;
}

const char* templateOfKind(int kind)
{
    switch (kind) {
    case kUserTableLookup: return "Lookup";
    case kUserTableUserForm: return "UserForm";
    case kUserTableThingsHeard: return "UDF_ThingsHeard";
    case kUserTableStaticPoints: return "UDF_StaticPoints";
    case kUserTableStaticLines: return "UDF_StaticLines";
    case kUserTableButtonForm: return "ButtonForm";
    case kUserTableButtonData: return "ButtonData";
    default: return nullptr;
    }
}

QString textOf(const SQLCHAR* buffer, SQLLEN indicator)
{
    return indicator == SQL_NULL_DATA ? QString() : QString::fromUtf8(reinterpret_cast<const char*>(buffer));
}

// The ODBC 3 driver reports date and time types with their newer codes; the
// program compares against the ODBC 2 ones throughout.
int odbc2Type(int type)
{
    switch (type) {
    case SQL_TYPE_DATE: return SQL_DATE;
    case SQL_TYPE_TIME: return SQL_TIME;
    case SQL_TYPE_TIMESTAMP: return SQL_TIMESTAMP;
    default: return type;
    }
}

// True when an existing column may stand for a defined non-text column: the
// type text that its ODBC type gives, a LONG for a COUNTER, or exactly what the
// driver reports for the SQLite type the definition is translated to.
bool columnTypeAccepted(const QString& defined, int sqlType, int columnSize, const QString& typeName)
{
    const QString actual = SqlTypeDefinitionText(sqlType, columnSize);
    if (actual == defined)
        return true;
    if (actual == u"LONG" && defined == u"COUNTER")
        return true;
    return typeName.compare(SqliteColumnType(defined), Qt::CaseInsensitive) == 0;
}

} // namespace

void BuildFixedSchema()
{
    Schema& s = schema();
    if (s.built)
        return;
    for (const TableSpec& layout : schemaSpecs()) {
        auto definition = std::make_unique<TableDefinition>(QString::fromLatin1(layout.name));
        for (const ColumnSpec& c : layout.columns)
            definition->AddItem(QString::fromLatin1(c.name), QString::fromLatin1(c.type), c.primaryKey);
        s.byName[definition->GetName()] = definition.get();
        s.definitions.push_back(std::move(definition));
    }
    s.built = true;
}

const TableDefinition* FixedTableDefinition(const QString& name)
{
    BuildFixedSchema();
    const auto& byName = schema().byName;
    const auto it = byName.find(name);
    return it == byName.end() ? nullptr : it->second;
}

bool IsFixedTableName(const QString& name)
{
    BuildFixedSchema();
    const QString trimmed = name.trimmed();
    for (const auto& [fixed, definition] : schema().byName)
        if (fixed.compare(trimmed, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QStringList FixedTablesAtOpen()
{
    QStringList names;
    for (const char* name : kTablesAtOpen)
        names << QString::fromLatin1(name);
    return names;
}

void SetGpsIndexCheck(GpsIndexCheck check)
{
    schema().gpsIndexCheck = std::move(check);
}

void DbCheckFixedTables()
{
    BuildFixedSchema();
    if (!IsDbOpen())
        return;
    Schema& s = schema();
    DbMessageSink* sink = dbMessageSink();
    if (sink)
        sink->beginTableCheck();
    s.checkingFixedTables = true;
    {
        SqlStatement statement(GetDbConnection());
        for (const char* name : kTablesAtOpen)
            DbCheckTable(statement.handle(), definitionOf(name));
        DbCheckGpsDataSetTables(statement.handle());
    }
    s.checkingFixedTables = false;
    if (sink)
        sink->endTableCheck();
}

bool DbCheckGpsDataSetTables(SQLHSTMT statement)
{
    // The further data sets shown are the GpsDataSets rows marked 'Y', in
    // order; the main track (GpsData) is checked on its own.
    QStringList tables;
    {
        SqlStatement query(GetDbConnection());
        if (query.execDirect(QStringLiteral("SELECT \"TableName\" FROM \"GpsDataSets\" WHERE \"Show\" = 'Y' "
                                            "ORDER BY \"Order\""))) {
            SQLCHAR name[kCatalogTextSize];
            SQLLEN indicator = 0;
            SQLBindCol(query.handle(), 1, SQL_C_CHAR, name, kCatalogTextSize, &indicator);
            while (sqlSucceeded(SQLFetch(query.handle()))) {
                const QString table = textOf(name, indicator).trimmed();
                if (!table.isEmpty())
                    tables << table;
            }
        }
    }
    bool any = false;
    for (const QString& table : tables)
        any = DbCheckTable(statement, definitionOf("GpsData"), table) || any;
    return any;
}

bool DbCheckTable(SQLHSTMT statement, const TableDefinition& definition, const QString& tableName)
{
    const QString table = tableName.isEmpty() ? definition.GetName() : tableName;
    Schema& s = schema();
    if (s.checkingFixedTables && dbMessageSink())
        dbMessageSink()->setTableCheckText(table);
    SQLHDBC connection = GetDbConnection();
    if (!DbTableExists(connection, table)) {
        DbCreateTable(statement, definition, table);
        SQLFreeStmt(statement, SQL_CLOSE);
        if (!DbTableExists(connection, table)) {
            DbMessage(DbOwnerWindow(), table, QStringLiteral("Can't create table"));
            return false;
        }
    }
    for (int i = 0; i < definition.GetCount(); ++i) {
        const QString column = definition.GetColumnName(i);
        const QString defined = definition.GetColumnType(i);
        QString typeName;
        int sqlType = 0;
        int size = 0;
        if (DbGetColumnInfo(connection, table, column, &typeName, &sqlType, &size) < 0) {
            DbAddColumn(connection, table, column, defined, 0);
            if (DbGetColumnInfo(connection, table, column, &typeName, &sqlType, &size) < 0) {
                DbMessage(DbOwnerWindow(), column, QStringLiteral("Can't create Column"));
                return false;
            }
        }
        if (defined.left(4).compare(u"CHAR", Qt::CaseInsensitive) == 0) {
            const int length = CharTypeLength(defined);
            // A TEXT column has no width to be short of.
            if (sqlType != SQL_LONGVARCHAR && size < length)
                DbMessage(DbOwnerWindow(),
                          QStringLiteral("Character data field in Column %1 in table %2 needs to be increased to "
                                         "length %3 from length %4 !")
                              .arg(column, table)
                              .arg(length)
                              .arg(size),
                          QStringLiteral("Error"), DbIcon::Stop);
        } else if (!columnTypeAccepted(defined, sqlType, size, typeName)) {
            DbMessage(DbOwnerWindow(),
                      QStringLiteral("Column %1 (%2) in table %3 is not %4 !")
                          .arg(column, SqlTypeDefinitionText(sqlType, size), table, defined),
                      QStringLiteral("Error"), DbIcon::Stop);
        }
    }
    const QString name = definition.GetName();
    if (name == u"GpsData")
        EnsureGpsTimeIndex(table);
    if (platform::RunMode == platform::RunModeShowData && name != u"GpsData" && name != u"UDF_ThingsHeard"
        && s.gpsIndexCheck)
        s.gpsIndexCheck(table);
    return true;
}

bool EnsureGpsTimeIndex(const QString& table)
{
    SQLHDBC connection = GetDbConnection();
    if (connection == SQL_NULL_HDBC)
        return false;
    // Any index whose first column is PCTime serves, whatever its name.
    QString literal = table;
    literal.replace(QLatin1Char('\''), QStringLiteral("''"));
    {
        SqlStatement existing(connection);
        if (existing.execDirect(
                QStringLiteral("SELECT 1 FROM pragma_index_list(%1) AS l, pragma_index_info(l.name) AS i "
                               "WHERE i.seqno = 0 AND i.name = 'PCTime' COLLATE NOCASE LIMIT 1")
                    .arg(QLatin1Char('\'') + literal + QLatin1Char('\'')))
            && sqlSucceeded(SQLFetch(existing.handle())))
            return true;
    }
    QString name = table + QStringLiteral("_PCTime");
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    SqlStatement create(connection);
    if (create.execDirect(QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (\"PCTime\")")
                              .arg(QuoteIdentifier(name), QuoteIdentifier(table))))
        return true;
    qCWarning(lcStore).noquote() << "could not add the PCTime index to" << table;
    return false;
}

bool DbCheckUserTable(SQLHDBC connection, const QString& tableName, int kind)
{
    BuildFixedSchema();
    const char* templateName = templateOfKind(kind);
    if (!templateName)
        return false;
    const TableDefinition& definition = definitionOf(templateName);
    SqlStatement statement(connection);
    if (!DbTableExists(connection, tableName))
        DbCreateTable(statement.handle(), definition, tableName);
    for (int i = 0; i < definition.GetCount(); ++i) {
        const QString column = definition.GetColumnName(i);
        if (DbGetColumnInfo(connection, tableName, column, nullptr, nullptr, nullptr) >= 0)
            continue;
        DbAddColumn(connection, tableName, column, definition.GetColumnType(i), 0);
        if (DbGetColumnInfo(connection, tableName, column, nullptr, nullptr, nullptr) < 0)
            DbMessage(nullptr,
                      QStringLiteral("Can't add column %1, type %2 to table %3")
                          .arg(column, definition.GetColumnType(i), tableName),
                      QStringLiteral("Checking User Definition Tables"));
    }
    return true;
}

QString DbUserTableName(int command, const QString& name)
{
    switch (command) {
    case kCmdNewUserFormTable: return QStringLiteral("UDF_") + name;
    case kCmdNewButtonFormTable: return QStringLiteral("UDB_") + name;
    default: return name;
    }
}

bool DbCreateUserTable(int command, const QString& name)
{
    BuildFixedSchema();
    const QString table = DbUserTableName(command, name);
    const char* templateName = nullptr;
    switch (command) {
    case kCmdNewStaticPointsTable: templateName = "UDF_StaticPoints"; break;
    case kCmdNewUserFormTable: templateName = "UserForm"; break;
    case kCmdNewStaticLinesTable: templateName = "UDF_StaticLines"; break;
    case kCmdNewButtonFormTable: templateName = "ButtonForm"; break;
    default: return false;
    }
    SQLHDBC connection = GetDbConnection();
    if (connection == SQL_NULL_HDBC) {
        DbMessage(DbOwnerWindow(), QStringLiteral("You have not opened a database file"), QStringLiteral("Warning"));
        return false;
    }
    if (command == kCmdNewUserFormTable && DbTableExists(connection, table)) {
        DbMessage(DbOwnerWindow(), name, QStringLiteral("Table Already Exists"), DbIcon::Stop);
        return false;
    }
    SqlStatement statement(connection);
    return DbCreateTable(statement.handle(), definitionOf(templateName), table);
}

bool DbTableExists(SQLHDBC connection, const QString& tableName)
{
    SqlStatement statement(connection);
    if (!statement.isValid())
        return false;
    QByteArray name = toSqlBytes(tableName);
    QByteArray type("'TABLE'");
    if (!sqlSucceeded(SQLTables(statement.handle(), nullptr, 0, nullptr, 0, reinterpret_cast<SQLCHAR*>(name.data()),
                                SQL_NTS, reinterpret_cast<SQLCHAR*>(type.data()), SQL_NTS)))
        return false;
    SQLCHAR found[kCatalogTextSize];
    SQLLEN indicator = 0;
    SQLBindCol(statement.handle(), kCatTableName, SQL_C_CHAR, found, kCatalogTextSize, &indicator);
    // The name is a search pattern ("_" matches any character): check it.
    while (sqlSucceeded(SQLFetch(statement.handle())))
        if (textOf(found, indicator).compare(tableName, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

int DbGetColumnInfo(SQLHDBC connection, const QString& table, const QString& column, QString* typeName, int* sqlType,
                    int* columnSize)
{
    SqlStatement statement(connection);
    if (!statement.isValid())
        return -1;
    QByteArray tableBytes = toSqlBytes(table);
    if (!sqlSucceeded(SQLColumns(statement.handle(), nullptr, 0, nullptr, 0,
                                 reinterpret_cast<SQLCHAR*>(tableBytes.data()), SQL_NTS, nullptr, 0)))
        return -1;
    SQLCHAR tableFound[kCatalogTextSize];
    SQLCHAR name[kCatalogTextSize];
    SQLCHAR type[kCatalogTextSize];
    SQLSMALLINT dataType = 0;
    SQLINTEGER size = 0;
    SQLLEN tableInd = 0, nameInd = 0, typeInd = 0, dataTypeInd = 0, sizeInd = 0;
    const SQLHSTMT h = statement.handle();
    SQLBindCol(h, kCatTableName, SQL_C_CHAR, tableFound, kCatalogTextSize, &tableInd);
    SQLBindCol(h, kCatColumnName, SQL_C_CHAR, name, kCatalogTextSize, &nameInd);
    SQLBindCol(h, kCatDataType, SQL_C_SSHORT, &dataType, 0, &dataTypeInd);
    SQLBindCol(h, kCatTypeName, SQL_C_CHAR, type, kCatalogTextSize, &typeInd);
    // Sizes are 32-bit: a 16-bit read would wrap for wide text columns.
    SQLBindCol(h, kCatColumnSize, SQL_C_SLONG, &size, 0, &sizeInd);
    int position = 0;
    while (sqlSucceeded(SQLFetch(h))) {
        if (textOf(tableFound, tableInd).compare(table, Qt::CaseInsensitive) != 0)
            continue;
        ++position;
        if (textOf(name, nameInd).compare(column, Qt::CaseInsensitive) != 0)
            continue;
        if (sqlType)
            *sqlType = odbc2Type(dataType);
        if (columnSize)
            *columnSize = sizeInd == SQL_NULL_DATA ? 0 : int(size);
        if (typeName)
            *typeName = textOf(type, typeInd);
        return position;
    }
    return -1;
}

bool DbAddColumn(SQLHDBC connection, const QString& table, const QString& column, const QString& type, int length)
{
    QString fullType = type;
    if (type == u"CHAR" && length >= 1)
        fullType += QStringLiteral("(%1)").arg(length);
    const QString text = QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                             .arg(QuoteIdentifier(table), QuoteIdentifier(column), SqliteColumnType(fullType));
    SqlStatement statement(connection);
    if (statement.execDirect(text))
        return true;
    DbMessage(DbOwnerWindow(), text, QStringLiteral("Error creating column %1").arg(column), DbIcon::Stop);
    return false;
}

int DbGetUserColumnInfo(const QString& table, const QString& column, int* sqlType, int* columnSize)
{
    return DbGetColumnInfo(GetDbConnection(), table, column, nullptr, sqlType, columnSize);
}

bool DbAddUserColumn(const QString& table, const QString& column, int sqlType, int columnSize)
{
    return DbAddColumn(GetDbConnection(), table, column, SqlTypeDefinitionText(sqlType, columnSize), 0);
}

bool DbSqlTypesMatch(int columnType, int controlType)
{
    if (columnType == controlType)
        return true;
    return (columnType == SQL_CHAR && controlType == SQL_VARCHAR)
        || (columnType == SQL_VARCHAR && controlType == SQL_CHAR);
}

int DbCountRows(SQLHSTMT statement)
{
    int count = 0;
    SQLSMALLINT direction = SQL_FETCH_FIRST;
    while (sqlSucceeded(SQLFetchScroll(statement, direction, 0))) {
        ++count;
        direction = SQL_FETCH_NEXT;
    }
    return count;
}

bool DbClearColumn(SQLHDBC connection, const QString& table, const QString& column)
{
    const QString text = QStringLiteral("update %1 set %2 = ?").arg(QuoteIdentifier(table), QuoteIdentifier(column));
    SqlStatement statement(connection);
    QByteArray bytes = toSqlBytes(text);
    SQLLEN nullIndicator = SQL_NULL_DATA;
    bool ok = statement.isValid()
           && sqlSucceeded(SQLPrepare(statement.handle(), reinterpret_cast<SQLCHAR*>(bytes.data()), SQL_NTS))
           && sqlSucceeded(SQLBindParameter(statement.handle(), 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_CHAR, 1, 0, nullptr,
                                            0, &nullIndicator));
    if (ok) {
        const SQLRETURN r = SQLExecute(statement.handle());
        ok = sqlSucceeded(r) || r == SQL_NO_DATA;
    }
    if (!ok)
        DbMessage(nullptr, text, QStringLiteral("Column clear failed"));
    return ok;
}

int DbCompareValues(int sqlType, const QString& a, const QString& b)
{
    switch (sqlType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_DATE:
    case SQL_TIME:
    case SQL_TIMESTAMP: {
        const QByteArray x = a.toUtf8();
        const QByteArray y = b.toUtf8();
        const int c = std::strcmp(x.constData(), y.constData());
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    default: {
        const double x = a.toDouble();
        const double y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    }
}

} // namespace velmar::store
