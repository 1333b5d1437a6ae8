#include "forms/UserFormData.h"

#include "forms/ControlKeywords.h"
#include "forms/FormSql.h"
#include "platform/RunMode.h"
#include "platform/DateTimeText.h"
#include "store/DbConnection.h"
#include "store/DbMessages.h"
#include "store/FixedSchema.h"
#include "settings/ProgramSettings.h"
#include "store/RecordWriters.h"
#include "store/TableDefinition.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace velmar::forms {

namespace {

using detail::columnDouble;
using detail::columnInt;
using detail::columnText;

constexpr const char* kIndexColumn = "Index";
constexpr const char* kGpsIndexColumn = "GpsIndex";
constexpr const char* kGpsTimeColumn = "GpsTime";
constexpr const char* kMenuCheckTable = "MenuCheck";
constexpr int kProgressStep = 100;
// A heading that no instrument reported.
constexpr double kNoHeading = -99999.0;
constexpr double kMinutesPerDegree = 60.0;
constexpr double kPi = 3.14159265358979323846;

std::function<void()>& pollGpsHandler()
{
    static std::function<void()> handler;
    return handler;
}

std::function<void(const QString&, const QString&)>& gpsCheck()
{
    static std::function<void(const QString&, const QString&)> check;
    return check;
}

QString quoted(const QString& name)
{
    return store::QuoteIdentifier(name);
}

bool hasText(const FormValues& values, std::size_t i)
{
    return i < values.size() && !values[i].isEmpty();
}

// Whether an existing column may hold a control's values: the same ODBC type
// (the two text types count as one), or what the driver reports for the
// SQLite type the control's Access type becomes.
bool isUnboundedText(int columnType)
{
    return columnType == SQL_LONGVARCHAR || columnType == SQL_WLONGVARCHAR;
}

bool columnFits(const CONTROLTYPEINFO& row, int columnType, const QString& typeName)
{
    if (store::DbSqlTypesMatch(columnType, row.SqlType()))
        return true;
    // SQLite's TEXT has no width: any text control fits it.
    if (row.SqlType() == SQL_CHAR && isUnboundedText(columnType))
        return true;
    return !typeName.isEmpty()
        && typeName.compare(store::SqliteColumnType(row.ColumnTypeText()).section(QLatin1Char('('), 0, 0),
                            Qt::CaseInsensitive)
               == 0;
}

// The text a value is stored as, or nullopt when its column cannot hold it.
// Access refused such values; SQLite would keep a word in a number column.
// Texts are kept to their column's width; time stamps are stored in the one
// form the loads order and compare by.
std::optional<QString> storedValue(const CONTROLTYPEINFO& row, const QString& value)
{
    static const QRegularExpression wholeNumber(QStringLiteral("^[-+]?\\d+$"));
    const QString trimmed = value.trimmed();
    switch (row.SqlType()) {
    case SQL_CHAR: return store::CutToWidth(value, row.ColumnLength());
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_BIT: {
        if (!wholeNumber.match(trimmed).hasMatch())
            return std::nullopt;
        bool ok = false;
        const qlonglong n = trimmed.toLongLong(&ok);
        const qlonglong limit = row.SqlType() == SQL_SMALLINT ? 32767 : 2147483647;
        if (!ok || n > limit || n < -limit - 1)
            return std::nullopt;
        return QString::number(n);
    }
    case SQL_REAL:
    case SQL_DOUBLE: {
        bool ok = false;
        const double x = trimmed.toDouble(&ok);
        if (!ok || !std::isfinite(x))
            return std::nullopt;
        return trimmed;
    }
    case SQL_TIMESTAMP: {
        if (row.typeCode == CT_TIME)
            return platform::CheckTimeString(trimmed) ? std::optional<QString>(trimmed) : std::nullopt;
        platform::SystemTime time;
        if (!platform::ReadDateTimeString(trimmed, &time))
            return std::nullopt;
        return platform::FormatTimeStamp(time);
    }
    default: return value;
    }
}

// The value of the value row whose Title is `title`, or a null text.
QString valueOfTitle(const TUserFormInfo& form, const FormValues& values, const QString& title)
{
    if (title.isEmpty())
        return QString();
    const auto rows = form.ValueRows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i]->Title == title)
            return i < values.size() ? values[i] : QString();
    return QString();
}

struct Point {
    double latitude;
    double longitude;
};

// Flat earth: east-west distances scaled by the cosine of the latitude.
Point projectPosition(Point p, double rangeMiles, double bearingDegrees)
{
    const double b = bearingDegrees * kPi / 180.0;
    const double r = rangeMiles / kMinutesPerDegree;
    Point q;
    q.latitude = p.latitude + r * std::cos(b);
    const double c = std::abs(std::cos(p.latitude * kPi / 180.0));
    q.longitude = c > 0 ? p.longitude + r * std::sin(b) / c : p.longitude;
    return q;
}

} // namespace

void setPollGpsHandler(std::function<void()> handler)
{
    pollGpsHandler() = std::move(handler);
}

void setDataTableGpsCheck(std::function<void(const QString& table, const QString& dataSet)> check)
{
    gpsCheck() = std::move(check);
}

bool TUserFormInfo::DbCheckDataTable()
{
    SQLHDBC connection = store::GetDbConnection();
    QObject* owner = store::DbOwnerWindow();
    if (!store::DbTableExists(connection, DataTable)) {
        store::TableDefinition definition(DataTable);
        definition.AddItem(QString::fromLatin1(kIndexColumn), QStringLiteral("COUNTER"), true);
        const QString text = store::BuildCreateTableText(definition);
        store::SqlStatement statement(connection);
        if (!statement.execDirect(text)) {
            store::DbMessage(owner, text, QStringLiteral("Error creating table \"%1\"").arg(DataTable),
                             store::DbIcon::Stop);
            return false;
        }
    }
    if (!store::DbTableExists(connection, DataTable)) {
        store::DbMessage(owner, QStringLiteral("Unable to Create table"), FormName);
        return false;
    }
    const std::pair<const char*, const char*> keyColumns[] = {
        {kIndexColumn, "LONG"}, {kGpsIndexColumn, "LONG"}, {kGpsTimeColumn, "TIMESTAMP"}};
    for (const auto& [name, type] : keyColumns) {
        const QString column = QString::fromLatin1(name);
        int position = store::DbGetColumnInfo(connection, DataTable, column, nullptr, nullptr, nullptr);
        if (position < 0) {
            store::DbAddColumn(connection, DataTable, column, QString::fromLatin1(type), 0);
            position = store::DbGetColumnInfo(connection, DataTable, column, nullptr, nullptr, nullptr);
        }
        if (position < 0) {
            store::DbMessage(owner, QStringLiteral("Column doesn't exist"), column);
            return false;
        }
        if (column == QLatin1String(kGpsTimeColumn))
            GpsTimeColumn = position;
    }
    for (const auto& rowPtr : m_rows) {
        CONTROLTYPEINFO& row = *rowPtr;
        if (!HasDataField(row.typeCode) || row.SqlType() == 0)
            continue;
        QString typeName;
        int columnType = 0;
        int columnSize = 0;
        int position = store::DbGetColumnInfo(connection, DataTable, row.DbTitle, &typeName, &columnType, &columnSize);
        if (position < 0) {
            store::DbAddUserColumn(DataTable, row.DbTitle, row.SqlType(), row.ColumnLength());
            position = store::DbGetColumnInfo(connection, DataTable, row.DbTitle, &typeName, &columnType, &columnSize);
        }
        if (position < 0) {
            store::DbMessage(owner, row.DbTitle, QStringLiteral("Unable to create Column"));
            return false;
        }
        row.dataColumn = int16_t(position);
        const bool shortText = row.typeCode == CT_CHAR && !isUnboundedText(columnType)
                            && columnSize < row.ColumnLength();
        if (!columnFits(row, columnType, typeName) || shortText) {
            const QString required = store::SqlTypeText(row.SqlType(), row.ColumnLength());
            store::DbMessage(owner,
                             QStringLiteral("The required format of column \"%1\" in table \"%2\" has changed from "
                                            "\n\"%3\" to \"%4\". You must either alter the column format manually "
                                            "to \"%5\" \nin the database %6, or create a new database. \n\nI am "
                                            "sorry that I cannot do this automatically for you.")
                                 .arg(row.DbTitle, DataTable, store::SqlTypeText(columnType, columnSize), required,
                                      required, store::GetDbPath()),
                             row.DbTitle);
        }
    }
    if (platform::RunMode == platform::RunModeShowData && gpsCheck())
        gpsCheck()(DataTable, GpsDataSetTable);
    return true;
}

int DbStoreRecord(const TUserFormInfo& form, const FormValues& values, const GpsReference& taken, bool pollGps)
{
    if (pollGps && pollGpsHandler())
        pollGpsHandler()();
    GpsReference reference = taken;
    if (reference.index == 0) {
        QString time;
        reference.index = store::GetLastGpsIndex(&time);
        reference.time = time;
    }
    if (reference.time.isEmpty())
        reference.time = QString::fromLatin1(store::kNoGpsTime);

    const auto rows = form.ValueRows();
    QString text = QStringLiteral("INSERT INTO %1 ( GpsIndex , GpsTime ").arg(quoted(form.DataTable));
    QString marks = QStringLiteral(" ) VALUES ( ? , ? ");
    std::vector<QString> included;
    bool ok = true;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!hasText(values, i))
            continue;
        text += QStringLiteral(", ") + quoted(rows[i]->DbTitle);
        marks += QStringLiteral(", ? ");
        const auto value = storedValue(*rows[i], values[i]);
        ok = ok && value.has_value();
        included.push_back(value.value_or(QString()));
    }
    text += marks + QStringLiteral(" )");

    detail::ParamStatement statement(store::GetDbConnection());
    ok = statement.prepare(text) && ok;
    statement.addInt(reference.index);
    statement.addText(reference.time);
    for (const QString& value : included)
        statement.addText(value);
    ok = ok && statement.execute();
    if (ok)
        return kStoreOk;
    store::DbMessage(store::DbOwnerWindow(),
                     QStringLiteral("Error in table %1").arg(form.DataTable)
                         + QStringLiteral("\nYou have entered a value in one of the fields which cannont be "
                                          "recognised by the database drivers")
                         + QStringLiteral("\nMake sure that date and time formats are correct and that number "
                                          "fields contain valid numbers"),
                     QStringLiteral("Database Write Error"), store::DbIcon::Stop);
    store::DbBeep();
    return kStoreFailed;
}

std::optional<FormValues> DbLoadLastValues(const TUserFormInfo& form)
{
    const auto rows = form.ValueRows();
    QStringList columns;
    std::vector<std::size_t> selected;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i]->AutoClear)
            continue;
        columns << quoted(rows[i]->DbTitle);
        selected.push_back(i);
    }
    if (selected.empty())
        return std::nullopt;
    const QString text = QStringLiteral("SELECT %1 FROM %2 ORDER BY \"Index\" DESC")
                             .arg(columns.join(QStringLiteral(", ")), quoted(form.DataTable));
    store::SqlStatement statement(store::GetDbConnection());
    if (!statement.execDirect(text)) {
        store::DbMessage(store::DbOwnerWindow(), text, QStringLiteral("Can't execute SQL SELECT statement"),
                         store::DbIcon::Stop);
        return std::nullopt;
    }
    if (!store::sqlSucceeded(SQLFetch(statement.handle())))
        return std::nullopt;
    FormValues values(rows.size());
    for (std::size_t k = 0; k < selected.size(); ++k)
        values[selected[k]] = columnText(statement.handle(), int(k) + 1);
    return values;
}

QString BuildLoadQuery(const TUserFormInfo& form, int mode, int firstGpsIndex, int lastGpsIndex)
{
    QStringList columns{QStringLiteral("\"Index\""), QStringLiteral("\"GpsIndex\"")};
    for (const CONTROLTYPEINFO* row : form.ValueRows())
        columns << quoted(row->DbTitle);
    QString text = QStringLiteral("SELECT %1 FROM %2").arg(columns.join(QStringLiteral(", ")), quoted(form.DataTable));
    const QString noFix = QString::fromLatin1(store::kNoGpsTime);
    if (mode == kLoadBefore)
        text += QStringLiteral(" WHERE \"GpsIndex\" < %1 AND \"GpsTime\" > '%2' ORDER BY \"GpsTime\" DESC, "
                               "\"Index\" DESC")
                    .arg(firstGpsIndex)
                    .arg(noFix);
    else
        text += QStringLiteral(" WHERE \"GpsIndex\" BETWEEN %1 AND %2 AND \"GpsTime\" > '%3' ORDER BY "
                               "\"GpsTime\", \"Index\"")
                    .arg(firstGpsIndex)
                    .arg(lastGpsIndex)
                    .arg(noFix);
    return text;
}

std::optional<LoadedRow> DbLoadRowBefore(const TUserFormInfo& form, int firstGpsIndex)
{
    SQLHDBC connection = store::GetDbConnection();
    if (connection == SQL_NULL_HDBC)
        return std::nullopt;
    const QString text = BuildLoadQuery(form, kLoadBefore, firstGpsIndex, 0);
    store::SqlStatement statement(connection);
    if (!statement.execDirect(text)) {
        store::DbMessage(store::DbOwnerWindow(), text, QStringLiteral("Error in UserForm->MakeEffortData"));
        return std::nullopt;
    }
    if (!store::sqlSucceeded(SQLFetch(statement.handle())))
        return std::nullopt;
    LoadedRow row;
    row.index = int32_t(columnInt(statement.handle(), 1).value_or(0));
    row.gpsIndex = int32_t(columnInt(statement.handle(), 2).value_or(0));
    const std::size_t valueCount = form.ValueRows().size();
    row.values.resize(valueCount);
    for (std::size_t i = 0; i < valueCount; ++i)
        row.values[i] = columnText(statement.handle(), int(i) + 3);
    return row;
}

std::vector<LoadedRow> DbLoadUserFormData(const TUserFormInfo& form, int firstGpsIndex, int lastGpsIndex,
                                          const LoadProgress& progress)
{
    std::vector<LoadedRow> loaded;
    SQLHDBC connection = store::GetDbConnection();
    if (connection == SQL_NULL_HDBC)
        return loaded;
    const QString text = BuildLoadQuery(form, kLoadShownPeriod, firstGpsIndex, lastGpsIndex);
    int total = 0;
    {
        store::SqlStatement count(connection);
        if (count.execDirect(QStringLiteral("SELECT COUNT(*) FROM ( %1 )").arg(text))
            && store::sqlSucceeded(SQLFetch(count.handle())))
            total = int(columnInt(count.handle(), 1).value_or(0));
    }
    store::SqlStatement statement(connection);
    if (!statement.execDirect(text)) {
        store::DbMessage(store::DbOwnerWindow(), text,
                         QStringLiteral("Can't execute SQL statement in DbLoadUserFormData()"));
        return loaded;
    }
    const std::size_t valueCount = form.ValueRows().size();
    while (store::sqlSucceeded(SQLFetch(statement.handle()))) {
        LoadedRow row;
        row.index = int32_t(columnInt(statement.handle(), 1).value_or(0));
        row.gpsIndex = int32_t(columnInt(statement.handle(), 2).value_or(0));
        row.values.resize(valueCount);
        for (std::size_t i = 0; i < valueCount; ++i)
            row.values[i] = columnText(statement.handle(), int(i) + 3);
        loaded.push_back(std::move(row));
        if (progress && (loaded.size() == 1 || loaded.size() % kProgressStep == 0))
            progress(int(loaded.size()), std::max(total, int(loaded.size())));
    }
    if (progress)
        progress(0, 0);
    return loaded;
}

LocateRequest LocateRequestFor(const TUserFormInfo& form, const FormValues& values)
{
    LocateRequest request;
    request.dataSetTable = form.GpsDataSetTable;
    request.hydrophoneLength = form.HydrophoneLength;
    request.bearingReference = form.BearingReference;
    if (form.BearingReference == BEARING_FIXED) {
        request.bearing = form.FixedBearing;
    } else {
        const QString bearing = valueOfTitle(form, values, form.BearingControl);
        request.bearing = bearing.trimmed().toDouble();
    }
    if (form.RangeSource == RANGE_FIXED) {
        request.range = form.FixedRange;
    } else {
        const QString range = valueOfTitle(form, values, form.RangeControl);
        if (!range.trimmed().isEmpty())
            request.range = RangeToMiles(range.trimmed().toDouble(), form.RangeUnits);
    }
    if (form.InterpolateGps)
        request.interpolationTime = valueOfTitle(form, values, form.InterpolationControl).trimmed();
    return request;
}

std::optional<RecordPosition> DbLocateRecord(const LocateRequest& request)
{
    detail::ParamStatement statement(store::GetDbConnection());
    const QString text = QStringLiteral("SELECT \"Latitude\", \"Longitude\", \"Heading\", \"TrueHeading\", "
                                        "\"MagneticHeading\" FROM %1 WHERE \"Index\" = ?")
                             .arg(quoted(request.dataSetTable));
    if (!statement.prepare(text))
        return std::nullopt;
    statement.addInt(request.gpsIndex);
    if (!statement.execute() || !store::sqlSucceeded(SQLFetch(statement.handle())))
        return std::nullopt;
    const SQLHSTMT h = statement.handle();
    const Point fix{columnDouble(h, 1).value_or(0), columnDouble(h, 2).value_or(0)};
    const auto course = columnDouble(h, 3);
    const auto trueHeading = columnDouble(h, 4);
    const auto magHeading = columnDouble(h, 5);
    double heading = course.value_or(0);
    if (trueHeading && *trueHeading != kNoHeading)
        heading = *trueHeading;
    else if (magHeading && *magHeading != kNoHeading)
        heading = *magHeading + store::TheProgramSettings.MagneticVariation;

    double bearing = request.bearing;
    double second = request.bearing;
    switch (request.bearingReference) {
    case BEARING_TRUE: break;
    case BEARING_MAGNETIC: bearing = second = request.bearing + store::TheProgramSettings.MagneticVariation; break;
    case BEARING_RELATIVE2:
        bearing = heading + request.bearing;
        second = heading - request.bearing;
        break;
    default: bearing = second = heading + request.bearing; break; // RELATIVE1 and FIXED: off the bow
    }
    Point first = fix;
    Point mirror = fix;
    if (request.range > 0) {
        first = projectPosition(fix, request.range, bearing);
        mirror = request.bearingReference == BEARING_RELATIVE2 ? projectPosition(fix, request.range, second) : first;
    }
    return RecordPosition{first.latitude, first.longitude, mirror.latitude, mirror.longitude};
}

QString ExportField(const QString& text, int width)
{
    const QString padded = text.rightJustified(width, QLatin1Char(' '));
    const bool needsQuotes = padded.contains(QLatin1Char(';')) || padded.contains(QLatin1Char('"'))
                          || padded.contains(QLatin1Char('\r')) || padded.contains(QLatin1Char('\n'));
    if (!needsQuotes)
        return QStringLiteral("; ") + padded;
    QString inner = QStringLiteral(" ") + padded;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QStringLiteral(";\"") + inner + QLatin1Char('"');
}

QString ExportHeading(const TUserFormInfo& form)
{
    QString line = QStringLiteral("   Latitude;  Longitude");
    if (form.BearingReference == BEARING_RELATIVE2)
        line += QStringLiteral(";  Latitude2; Longitude2");
    for (const CONTROLTYPEINFO* row : form.ValueRows())
        line += ExportField(row->DbTitle, row->FieldLength());
    return line;
}

QString ExportLine(const TUserFormInfo& form, const LoadedRow& row, const std::optional<RecordPosition>& position)
{
    const bool both = form.BearingReference == BEARING_RELATIVE2;
    QString line;
    if (position) {
        line = QString::asprintf("%11.5f;%11.5f", position->latitude, position->longitude);
        if (both)
            line += QString::asprintf(";%11.5f;%11.5f", position->latitude2, position->longitude2);
    } else {
        line = QStringLiteral("No Pos Data;No Pos Data");
        if (both)
            line += QStringLiteral(";No Pos Data;No Pos Data");
    }
    const auto rows = form.ValueRows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        line += ExportField(i < row.values.size() ? row.values[i] : QString(), rows[i]->FieldLength());
    return line;
}

bool ExportUserFormData(const TUserFormInfo& form, const std::vector<LoadedRow>& rows, const QString& path,
                        const PositionLocator& locator)
{
    if (rows.empty()) {
        store::DbMessage(store::DbOwnerWindow(), QStringLiteral("No Data loaded"), form.FormName);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        store::DbMessage(store::DbOwnerWindow(), QStringLiteral("Error Opening Output File"), form.FormName);
        return false;
    }
    const QByteArray crlf("\r\n");
    QByteArray out = ExportHeading(form).toUtf8() + crlf;
    for (const LoadedRow& row : rows) {
        std::optional<RecordPosition> position;
        if (locator) {
            LocateRequest request = LocateRequestFor(form, row.values);
            request.gpsIndex = row.gpsIndex;
            position = locator(request);
        }
        out += ExportLine(form, row, position).toUtf8() + crlf;
    }
    const bool written = file.write(out) == out.size() && file.flush();
    file.close();
    if (!written) {
        store::DbMessage(store::DbOwnerWindow(), QStringLiteral("Error Opening Output File"), form.FormName);
        return false;
    }
    return true;
}

bool DbReadMenuCheck(const QString& formName, QString* text)
{
    const QString sql = QStringLiteral("SELECT \"CheckStatus\" FROM %1 WHERE \"TableName\" = ?")
                            .arg(quoted(QString::fromLatin1(kMenuCheckTable)));
    detail::ParamStatement statement(store::GetDbConnection());
    const bool prepared = statement.prepare(sql);
    statement.addText(formName);
    if (!prepared || !statement.execute()) {
        store::DbMessage(store::DbOwnerWindow(), sql, QStringLiteral("Can't execute SQL statement"),
                         store::DbIcon::Stop);
        return false;
    }
    if (text) {
        text->clear();
        if (store::sqlSucceeded(SQLFetch(statement.handle())))
            *text = columnText(statement.handle(), 1);
    }
    return true;
}

void DbWriteMenuCheck(const QString& formName, const QString& text)
{
    const QString sql = QStringLiteral("INSERT INTO %1 ( \"TableName\", \"CheckStatus\" ) VALUES ( ?, ? )")
                            .arg(quoted(QString::fromLatin1(kMenuCheckTable)));
    detail::ParamStatement statement(store::GetDbConnection());
    const bool prepared = statement.prepare(sql);
    statement.addText(store::CutToWidth(formName, 36));
    statement.addText(store::CutToWidth(text, 255));
    if (!prepared || !statement.execute())
        store::DbMessage(store::DbOwnerWindow(), sql, QStringLiteral("Can't execute SQL  write statement"),
                         store::DbIcon::Stop);
}

void DbClearMenuChecks()
{
    store::SqlStatement statement(store::GetDbConnection());
    if (!statement.isValid()) {
        store::DbMessage(store::DbOwnerWindow(), QStringLiteral("no hSQLFetch handle"),
                         QStringLiteral("DbDeleteEvent"));
        return;
    }
    const QString sql = QStringLiteral("DELETE FROM \"MenuCheck\"");
    if (!statement.execDirect(sql))
        store::DbMessage(store::DbOwnerWindow(), sql, QStringLiteral("Can't delete MenuChecks"));
}

} // namespace velmar::forms
