// User-form data tables on a real survey database: made and completed from
// the definition, records stored and read back with their GPS reference, the
// shown period loaded, the export read by a real CSV reader, and the
// plot-menu ticks.
#include "FormsTestSupport.h"

#include "forms/ControlKeywords.h"
#include "forms/UserFormData.h"
#include "store/FixedSchema.h"
#include "store/RecordWriters.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <gtest/gtest.h>

#include <cmath>

namespace velmar::forms::test {
namespace {

using store::test::DirectDb;

// One FormValues entry per value row of the sample Sightings form:
// SightTime, Species, Count, Bearing, Comment, HasCalves, Sighting No.
FormValues sighting(const char* time, const char* species, const char* count, const char* bearing,
                    const QString& comment, const char* calves, const char* number)
{
    auto v = [](const char* s) { return s ? QString::fromUtf8(s) : QString(); };
    return {v(time), v(species), v(count), v(bearing), comment, v(calves), v(number)};
}

class DataTableTest : public FormsTest {
protected:
    void SetUp() override
    {
        FormsTest::SetUp();
        store::SetLastGpsReference(0, QString());
    }
};

TEST_F(DataTableTest, DataTableIsMadeFromTheDefinitionAndCompletedLater)
{
    {
        TUserFormInfo form(QStringLiteral("UDF_Sightings"), 0);
        EXPECT_TRUE(sink.messages.empty()) << sink.texts().join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(form.GpsTimeColumn, 3);
        EXPECT_EQ(form.FindValueRow(QStringLiteral("Comment"))->dataColumn, 8);
        EXPECT_EQ(DbStoreRecord(form, sighting(nullptr, "HP", "3", nullptr, QString(), "0", "5"), {1, "x"}, false),
                  kStoreOk);
    }
    DirectDb db(dbFile);
    EXPECT_EQ(db.columns(QStringLiteral("Sightings")),
              (QStringList{"Index INTEGER", "GpsIndex INTEGER", "GpsTime TIMESTAMP", "SightTime TIMESTAMP",
                           "Species VARCHAR(6)", "Count INTEGER", "Bearing REAL", "Comment VARCHAR(30)",
                           "HasCalves BIT", "Sighting No VARCHAR(8)"}));

    // A row added to the definition adds its column; stored rows stay.
    ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDF_Sightings\" (\"Order\", \"Type\", \"Title\") "
                                       "VALUES (9, 'DOUBLE', 'Depth')")));
    TUserFormInfo form(QStringLiteral("UDF_Sightings"), 0);
    EXPECT_TRUE(sink.messages.empty()) << sink.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(db.columns(QStringLiteral("Sightings")).last(), QStringLiteral("Depth DOUBLE"));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT \"Species\", \"Count\", \"Depth\" FROM \"Sightings\"")),
              QStringList{QStringLiteral("HP|3|NULL")});
}

TEST_F(DataTableTest, ChangedColumnFormatsAreReportedAndTolerated)
{
    ASSERT_TRUE(execSql(
        QStringLiteral("CREATE TABLE \"EffortLog\" (\"Index\" INTEGER PRIMARY KEY, "
                       "\"Observer\" VARCHAR(5), \"Sea State\" INTEGER, \"Extra\" VARCHAR(10), \"Notes\" TEXT)")));
    // Neither a short column for an NMEACHAR control nor a TEXT column for a
    // CHAR control is a changed format.
    ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDF_Effort\" (\"Order\", \"Type\", \"Title\", \"DbTitle\", "
                                       "\"Length\") VALUES (6, 'NMEACHAR', 'Ship', 'Extra', 40), "
                                       "(7, 'CHAR', 'Notes', '', 200)")));
    platform::RunMode = platform::RunModeOffline;
    TUserFormInfo effort(QStringLiteral("UDF_Effort"), 0);
    ASSERT_EQ(sink.messages.size(), 2u) << sink.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("Observer"));
    EXPECT_TRUE(sink.messages[0].text.startsWith(
        QStringLiteral("The required format of column \"Observer\" in table \"EffortLog\" has changed from \n"
                       "\"Text(5)\" to \"Text(12)\".")))
        << sink.messages[0].text.toStdString();
    EXPECT_EQ(sink.messages[1].caption, QStringLiteral("Sea State"));
    EXPECT_TRUE(sink.messages[1].text.contains(QStringLiteral("\"LONG Integer\" to \"Integer\"")));
    // The table was completed all the same.
    DirectDb db(dbFile);
    EXPECT_TRUE(db.columns(QStringLiteral("EffortLog")).contains(QStringLiteral("GpsTime TIMESTAMP")));
}

TEST_F(DataTableTest, ShowDataModeChecksTheTablesGpsReferences)
{
    QStringList checked;
    setDataTableGpsCheck([&](const QString& table, const QString& dataSet) { checked << table + "/" + dataSet; });
    platform::RunMode = platform::RunModeOffline;
    {
        TUserFormInfo effort(QStringLiteral("UDF_Effort"), 0);
    }
    EXPECT_TRUE(checked.isEmpty());
    platform::RunMode = platform::RunModeShowData;
    {
        TUserFormInfo effort(QStringLiteral("UDF_Effort"), 0);
    }
    setDataTableGpsCheck({});
    EXPECT_EQ(checked, QStringList{QStringLiteral("EffortLog/GpsData")});
}

TEST_F(DataTableTest, FormsSharingATableEachAddTheirColumns)
{
    ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDF_Sightings\" (\"Order\", \"Type\", \"Title\") "
                                       "VALUES (30, 'DBTABLENAME', 'EffortLog')")));
    platform::RunMode = platform::RunModeOffline;
    TUserFormInfo effort(QStringLiteral("UDF_Effort"), 0);
    TUserFormInfo sightings(QStringLiteral("UDF_Sightings"), 1);
    EXPECT_EQ(sightings.DataTable, QStringLiteral("EffortLog"));
    ASSERT_EQ(DbStoreRecord(effort, {QStringLiteral("Ann"), QStringLiteral("3")}, {2, "2026-06-01 10:01:00"}, false),
              kStoreOk);
    DirectDb db(dbFile);
    EXPECT_EQ(db.rows(QStringLiteral("SELECT \"Observer\", \"Species\" FROM \"EffortLog\"")),
              QStringList{QStringLiteral("Ann|NULL")});
}

TEST_F(DataTableTest, StoredRecordsReadBackWithEveryValueAndTheirGpsReference)
{
    TUserFormInfo form(QStringLiteral("UDF_Sightings"), 0);
    int polls = 0;
    setPollGpsHandler([&] {
        ++polls;
        store::SetLastGpsReference(2, QStringLiteral("2026-06-01 10:01:00"));
    });
    const FormValues first = sighting("2026-06-01 10:00:30", "BND", "12", "45.5", QStringLiteral("Ünïcödé; \"quoted\""),
                                      "1", "6");
    // The reference the window took wins over the newest fix.
    ASSERT_EQ(DbStoreRecord(form, first, {1, "2026-06-01 10:00:00"}, true), kStoreOk);
    // Without one, the newest fix after the poll.
    ASSERT_EQ(DbStoreRecord(form, sighting(nullptr, "HP", "1", nullptr, QString(), "0", "7"), {}, true), kStoreOk);
    EXPECT_EQ(polls, 2);
    setPollGpsHandler({});
    // Before any fix: GpsIndex 0 and the 1900 time; never loaded.
    store::SetLastGpsReference(0, QString());
    ASSERT_EQ(DbStoreRecord(form, FormValues(7), {}, false), kStoreOk);
    EXPECT_TRUE(sink.messages.empty()) << sink.texts().join(QLatin1Char('\n')).toStdString();

    DirectDb db(dbFile);
    EXPECT_EQ(
        db.rows(QStringLiteral("SELECT \"GpsIndex\", \"GpsTime\", \"Count\" FROM \"Sightings\" ORDER BY \"Index\"")),
        (QStringList{QStringLiteral("1|2026-06-01 10:00:00|12"), QStringLiteral("2|2026-06-01 10:01:00|1"),
                     QStringLiteral("0|1900-01-01 00:00:00|NULL")}));

    const auto loaded = DbLoadUserFormData(form, 1, 2);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0].gpsIndex, 1);
    EXPECT_EQ(loaded[1].gpsIndex, 2);
    EXPECT_EQ(loaded[0].index, 1);
    EXPECT_EQ(loaded[0].values, first);
    EXPECT_TRUE(loaded[1].values[4].isNull()) << "a control without a value stores NULL";

    // The newest record presets a form (all its rows, none AutoClear here).
    const auto last = DbLoadLastValues(form);
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(*last, FormValues(7));
    ASSERT_TRUE(execSql(QStringLiteral("DELETE FROM \"Sightings\" WHERE \"GpsIndex\" = 0")));
    EXPECT_EQ(DbLoadLastValues(form)->at(1), QStringLiteral("HP"));
}

TEST_F(DataTableTest, LastValuesSkipAutoClearRows)
{
    platform::RunMode = platform::RunModeOffline;
    TUserFormInfo effort(QStringLiteral("UDF_Effort"), 0);
    ASSERT_EQ(DbStoreRecord(effort, {QStringLiteral("Bo"), QStringLiteral("4")}, {1, "2026-06-01 10:00:00"}, false),
              kStoreOk);
    const auto last = DbLoadLastValues(effort);
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ((*last)[0], QStringLiteral("Bo"));
    EXPECT_TRUE((*last)[1].isNull());
    // A form whose only value control is AutoClear reads nothing back.
    ASSERT_TRUE(execSql(QStringLiteral("DELETE FROM \"UDF_Effort\" WHERE \"Title\" IN ('Observer', 'F9')")));
    TUserFormInfo cleared(QStringLiteral("UDF_Effort"), 0);
    EXPECT_FALSE(DbLoadLastValues(cleared).has_value());
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(DataTableTest, TextsAreCutToTheirColumnAndARefusedStoreIsReported)
{
    TUserFormInfo form(QStringLiteral("UDF_Sightings"), 0);
    const QString longText = QString(45, QLatin1Char('w'));
    ASSERT_EQ(DbStoreRecord(form, sighting(nullptr, nullptr, nullptr, nullptr, longText, nullptr, nullptr),
                            {1, "2026-06-01 10:00:00"}, false),
              kStoreOk);
    DirectDb db(dbFile);
    EXPECT_EQ(db.rows(QStringLiteral("SELECT length(\"Comment\") FROM \"Sightings\"")), QStringList{"30"});

    ASSERT_TRUE(execSql(QStringLiteral("DROP TABLE \"Sightings\"")));
    EXPECT_EQ(DbStoreRecord(form, FormValues(7), {}, false), kStoreFailed);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("Database Write Error"));
    EXPECT_TRUE(sink.messages[0].text.startsWith(QStringLiteral("Error in table Sightings\n")));
    EXPECT_EQ(sink.beeps, 1);
}

TEST_F(DataTableTest, ValuesTheirColumnsCannotHoldAreRefused)
{
    TUserFormInfo form(QStringLiteral("UDF_Sightings"), 0);
    struct Case {
        std::size_t field;
        const char* value;
        bool stored;
        const char* readBack;
    } cases[] = {
        {2, " 7 ", true, "7"},
        {2, "-12", true, "-12"},
        {2, "abc", false, ""},
        {2, "1.5", false, ""},
        {2, "99999999999", false, ""},
        {3, "-.5", true, "-0.5"},
        {3, "1e3", true, "1000.0"},
        {3, "1,5", false, ""},
        {0, "2026-06-01 10:00:30", true, "2026-06-01 10:00:30"},
        {0, "2026-6-1 9:05", true, "2026-06-01 09:05:00"},
        {0, "yesterday", false, ""},
        {5, "1", true, "1"},
        {5, "yes", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        sink.messages.clear();
        FormValues values(7);
        values[c.field] = QString::fromLatin1(c.value);
        const int result = DbStoreRecord(form, values, {1, "2026-06-01 10:00:00"}, false);
        EXPECT_EQ(result, c.stored ? kStoreOk : kStoreFailed);
        EXPECT_EQ(sink.messages.size(), c.stored ? 0u : 1u);
        if (c.stored) {
            EXPECT_EQ(DbLoadLastValues(form)->at(c.field), QString::fromLatin1(c.readBack));
        }
    }
}

TEST_F(DataTableTest, LoadQueriesSelectThePeriodOrTheRowsBefore)
{
    TUserFormInfo form(QStringLiteral("UDF_Effort"), 0);
    EXPECT_EQ(BuildLoadQuery(form, kLoadShownPeriod, 10, 20),
              QStringLiteral("SELECT \"Index\", \"GpsIndex\", \"Observer\", \"Sea State\" FROM \"EffortLog\" WHERE "
                             "\"GpsIndex\" BETWEEN 10 AND 20 AND \"GpsTime\" > '1900-01-01 00:00:00' ORDER BY "
                             "\"GpsTime\", \"Index\""));
    EXPECT_TRUE(BuildLoadQuery(form, kLoadBefore, 10, 20)
                    .endsWith(QStringLiteral("WHERE \"GpsIndex\" < 10 AND \"GpsTime\" > '1900-01-01 00:00:00' "
                                             "ORDER BY \"GpsTime\" DESC, \"Index\" DESC")));
}

TEST_F(DataTableTest, ExportFieldsQuoteOnlyWhatWouldShiftColumns)
{
    EXPECT_EQ(ExportField(QStringLiteral("abc"), 6), QStringLiteral(";    abc"));
    EXPECT_EQ(ExportField(QString(), 3), QStringLiteral(";    "));
    EXPECT_EQ(ExportField(QStringLiteral("a;b"), 5), QStringLiteral(";\"   a;b\""));
    EXPECT_EQ(ExportField(QStringLiteral("say \"x\""), 2), QStringLiteral(";\" say \"\"x\"\"\""));
    EXPECT_EQ(ExportField(QStringLiteral("longer than width"), 4), QStringLiteral("; longer than width"));
}

QJsonArray readWithPythonCsv(const QString& file)
{
    QProcess python;
    python.start(
        QStringLiteral("python3"),
        {QString::fromLocal8Bit(qgetenv("VELMAR_SOURCE_DIR")) + QStringLiteral("/tests/forms/read_export.py"), file});
    if (!python.waitForFinished(30000) || python.exitCode() != 0) {
        ADD_FAILURE() << python.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

QStringList strings(const QJsonValue& row)
{
    QStringList out;
    for (const QJsonValue& v : row.toArray())
        out << v.toString();
    return out;
}

// The sample survey from end to end: both forms and the look-up list read,
// their data tables made, records stored, read back and exported.
TEST_F(DataTableTest, SampleSurveyExportIsReadBackByACsvReader)
{
    platform::RunMode = platform::RunModeOffline;
    TUserFormInfo sightings(QStringLiteral("UDF_Sightings"), 0);
    TUserFormInfo effort(QStringLiteral("UDF_Effort"), 1);
    ASSERT_EQ(sightings.FindRowByType(CT_LOOKUP)->lookup.size(), 4u);

    const QString longText = QStringLiteral("a comment that runs on past thirty characters");
    const std::vector<std::pair<GpsReference, FormValues>> records = {
        {{1, "2026-06-01 10:00:00"},
         sighting("2026-06-01 10:00:10", "HP", "2", "30", QStringLiteral("near; then far"), "0", "5")},
        {{2, "2026-06-01 10:01:00"},
         sighting("2026-06-01 10:01:10", "BND", "40", "", QStringLiteral("the \"big\" pod"), "1", "6")},
        {{2, "2026-06-01 10:01:00"}, sighting(nullptr, "MW", "1", "270", longText, "0", "7")},
    };
    for (const auto& [gps, values] : records)
        ASSERT_EQ(DbStoreRecord(sightings, values, gps, false), kStoreOk);
    ASSERT_EQ(DbStoreRecord(effort, {QStringLiteral("Cy"), QStringLiteral("2")}, {1, "2026-06-01 10:00:00"}, false),
              kStoreOk);

    auto rows = DbLoadUserFormData(sightings, 1, 2);
    ASSERT_EQ(rows.size(), 3u);
    // A row whose fix is not in the data set exports without a position.
    rows[2].gpsIndex = 99;
    const QString file = path(QStringLiteral("Sightings.txt"));
    ASSERT_TRUE(ExportUserFormData(sightings, rows, file));
    EXPECT_TRUE(sink.messages.empty()) << sink.texts().join(QLatin1Char('\n')).toStdString();

    QFile raw(file);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    EXPECT_EQ(bytes.count("\r\n"), 4);
    EXPECT_TRUE(bytes.startsWith("   Latitude;  Longitude; " + QByteArray(13, ' ') + "SightTime; " + QByteArray(13, ' ')
                                 + "Species; "))
        << bytes.left(80).toStdString();

    const QJsonArray table = readWithPythonCsv(file);
    ASSERT_EQ(table.size(), 4);
    EXPECT_EQ(strings(table[0]), (QStringList{"Latitude", "Longitude", "SightTime", "Species", "Count", "Bearing",
                                              "Comment", "HasCalves", "Sighting No"}));
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(table[i].toArray().size(), 9) << "row " << i;
    const QStringList r1 = strings(table[1]);
    const QStringList r2 = strings(table[2]);
    const QStringList r3 = strings(table[3]);
    EXPECT_EQ(r1.mid(2), (QStringList{"2026-06-01 10:00:10", "HP", "2", "30.0", "near; then far", "0", "5"}));
    EXPECT_EQ(r2.mid(2), (QStringList{"2026-06-01 10:01:10", "BND", "40", "", "the \"big\" pod", "1", "6"}));
    EXPECT_EQ(r3.mid(0, 2), (QStringList{"No Pos Data", "No Pos Data"}));
    EXPECT_EQ(r3[6], longText.left(30));
    EXPECT_EQ(r3[2], QString());

    // The form's fixed range (926 m = 0.5 nmi) along the true bearing typed
    // into its Bearing control, from the fix of the form's data set.
    const double lat1 = 56.0 + 0.5 / 60.0 * std::cos(30.0 * M_PI / 180.0);
    const double lon1 = -5.0 + 0.5 / 60.0 * std::sin(30.0 * M_PI / 180.0) / std::cos(56.0 * M_PI / 180.0);
    EXPECT_EQ(r1[0], QString::asprintf("%.5f", lat1));
    EXPECT_EQ(r1[1], QString::asprintf("%.5f", lon1));
    EXPECT_EQ(r2[0], QString::asprintf("%.5f", 56.01 + 0.5 / 60.0));
    EXPECT_EQ(r2[1], QStringLiteral("-5.00000"));
}

TEST_F(DataTableTest, ExportFollowsTheFormsGpsDataSet)
{
    ASSERT_TRUE(execSql(QStringLiteral("CREATE TABLE \"ShipTwo\" AS SELECT * FROM \"GpsData\" WHERE 0")));
    ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"ShipTwo\" (\"Index\", \"PCTime\", \"Latitude\", \"Longitude\") "
                                       "VALUES (1, '2026-06-01 10:00:00', -33.5, 18.25)")));
    ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDF_Effort\" (\"Order\", \"Type\", \"Title\") "
                                       "VALUES (7, 'GPSDATASET', 'ShipTwo ')")));
    platform::RunMode = platform::RunModeOffline;
    TUserFormInfo effort(QStringLiteral("UDF_Effort"), 0);
    EXPECT_EQ(effort.GpsDataSetTable, QStringLiteral("ShipTwo"));
    LoadedRow row;
    row.gpsIndex = 1;
    row.values = {QStringLiteral("Di"), QStringLiteral("1")};
    const QString file = path(QStringLiteral("Effort.txt"));
    ASSERT_TRUE(ExportUserFormData(effort, {row}, file));
    const QJsonArray table = readWithPythonCsv(file);
    ASSERT_EQ(table.size(), 2);
    EXPECT_EQ(strings(table[1]), (QStringList{"-33.50000", "18.25000", "Di", "1"}));

    ASSERT_FALSE(ExportUserFormData(effort, {}, file));
    EXPECT_EQ(sink.messages.back().text, QStringLiteral("No Data loaded"));
}

TEST_F(DataTableTest, MirrorSideOfARelative2BearingGetsTwoMorePositionColumns)
{
    ASSERT_TRUE(
        execSql(QStringLiteral("UPDATE \"UDF_Sightings\" SET \"Topic\" = 'RELATIVE2' WHERE \"Type\" = 'BEARING'")));
    TUserFormInfo form(QStringLiteral("UDF_Sightings"), 0);
    EXPECT_TRUE(ExportHeading(form).startsWith(QStringLiteral("   Latitude;  Longitude;  Latitude2; Longitude2; ")));
    LoadedRow row;
    row.values = sighting(nullptr, nullptr, nullptr, "90", QString(), nullptr, nullptr);
    const RecordPosition p{1, 2, 3, 4};
    EXPECT_TRUE(
        ExportLine(form, row, p).startsWith(QStringLiteral("    1.00000;    2.00000;    3.00000;    4.00000; ")));
    EXPECT_TRUE(ExportLine(form, row, std::nullopt)
                    .startsWith(QStringLiteral("No Pos Data;No Pos Data;No Pos Data;No Pos Data; ")));
    // Heading 0 at fix 2: 90 degrees either side of the bow.
    LocateRequest request = LocateRequestFor(form, row.values);
    request.gpsIndex = 2;
    const auto position = DbLocateRecord(request);
    ASSERT_TRUE(position.has_value());
    EXPECT_NEAR(position->latitude, 56.01, 1e-9);
    EXPECT_GT(position->longitude, -5.0);
    EXPECT_LT(position->longitude2, -5.0);
    EXPECT_NEAR(position->longitude - -5.0, -5.0 - position->longitude2, 1e-9);
}

TEST_F(DataTableTest, MenuChecksAreKeptPerForm)
{
    QString text = QStringLiteral("x");
    EXPECT_TRUE(DbReadMenuCheck(QStringLiteral("Sightings"), &text));
    EXPECT_TRUE(text.isEmpty());
    DbWriteMenuCheck(QStringLiteral("Sightings"), QStringLiteral("cuuc"));
    DbWriteMenuCheck(QStringLiteral("O'Brien's"), QStringLiteral("u"));
    EXPECT_TRUE(DbReadMenuCheck(QStringLiteral("Sightings"), &text));
    EXPECT_EQ(text, QStringLiteral("cuuc"));
    EXPECT_TRUE(DbReadMenuCheck(QStringLiteral("O'Brien's"), &text));
    EXPECT_EQ(text, QStringLiteral("u"));
    DbClearMenuChecks();
    EXPECT_TRUE(DbReadMenuCheck(QStringLiteral("Sightings"), &text));
    EXPECT_TRUE(text.isEmpty());
    EXPECT_TRUE(sink.messages.empty());
}

} // namespace
} // namespace velmar::forms::test
