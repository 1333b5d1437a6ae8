#include "StoreTestSupport.h"

#include "platform/ProgramClock.h"
#include "platform/RunMode.h"
#include "sound/RecordingWriter.h"
#include "nav/EventWriters.h"
#include "store/FixedSchema.h"
#include "settings/ProgramSettings.h"
#include "store/RecordReaders.h"
#include "store/RecordWriters.h"
#include "store/TableDefinition.h"
#include "store/TableInserter.h"

#include <QCoreApplication>

#include <functional>
#include <limits>
#include <thread>

using namespace velmar;
using namespace velmar::store;
using namespace velmar::platform;
using namespace velmar::store::test;
using platform::SystemTime;

namespace {

// The program time while the writers run: offline logging, frozen clock.
const SystemTime kProgramTime{2026, 12, 4, 10, 8, 30, 15, 0};
const QString kProgramTimeText = QStringLiteral("2026-12-10 08:30:15");

class EventWritersTest : public OpenDbTest {
protected:
    void SetUp() override
    {
        RunMode = RunModeOffline;
        SetProgramClockSource(ClockSourceFrozen);
        SetProgramStartTime(kProgramTime, nullptr);
        OpenDbTest::SetUp();
        SetLastGpsReference(0, QString::fromLatin1(kNoGpsTime));
    }
    void TearDown() override
    {
        OpenDbTest::TearDown();
        RunMode = RunModeOnline;
    }
    // The newest row of a table as stored, cells joined with "|".
    QString newestRow(const QString& table)
    {
        DirectDb db(file);
        return db.rows(QStringLiteral("SELECT * FROM %1 ORDER BY \"Index\" DESC LIMIT 1").arg(QuoteIdentifier(table)))
            .value(0);
    }
    QString typeOf(const QString& table, const QString& column)
    {
        DirectDb db(file);
        return db
            .rows(QStringLiteral("SELECT typeof(%1) FROM %2 ORDER BY rowid DESC LIMIT 1")
                      .arg(QuoteIdentifier(column), QuoteIdentifier(table)))
            .value(0);
    }
};

nav::GpsFixData sampleFix(int second)
{
    nav::GpsFixData fix(SystemTime{2026, 12, 4, 10, 8, 0, quint16(second), 0});
    fix.SetPosition(56.5 * 60, -6.25 * 60); // 56.5 N, 6.25 W
    fix.sentenceTime = 80000 + second;
    fix.course = 181.5f;
    fix.speed = 9.5f;
    fix.statusLetter = 'A';
    fix.statusCode = 0;
    fix.trueHeading = 183.0f;
    return fix;
}

} // namespace

TEST_F(EventWritersTest, EveryWriterStoresItsColumns)
{
    ASSERT_TRUE(DbWriteGpsData(sampleFix(1)));
    const QString ref = QStringLiteral("1|2026-12-10 08:00:01");

    nav::WHISTLEDETECTION whistle;
    auto& w = whistle.record;
    w.pcTime = kProgramTime;
    w.sectionTime = 1.5f;
    w.channel = 2;
    w.duration = 0.25f;
    w.correlation = 0.5f;
    w.maxFrequency = 12000;
    w.minFrequency = 8000;
    w.aveFrequency = 10000;
    w.aveAmplitude = 3.5f;
    w.maxAmplitude = 7.5f;
    w.peaks = 3;
    w.troughs = 4;
    w.maxPeakFreq = 11000;
    w.minTroughFreq = 9000;
    w.startFrequency = 8500;
    w.endFrequency = 11500;
    w.bearing = 45.5f;
    w.range = 2.5f;
    w.species = QStringLiteral("Tursiops truncatus long name");
    w.fileName = QStringLiteral("w.wav");
    w.fileSection = 7;

    nav::RCEvent click;
    click.record.eventTime = kProgramTime;
    click.record.sectionSeconds = 12;
    click.record.duration = 3.5f;
    click.record.nClicks = 40;
    click.record.species = 0;
    click.record.eventNumber = 9;
    click.record.whaleId = 2;
    click.record.meanBearing = 10.5f;

    nav::PorpoiseEvent porpoise;
    porpoise.record.eventStart = kProgramTime;
    porpoise.record.number = 5;
    porpoise.record.speciesCode = QStringLiteral("PPX");
    porpoise.record.automatic = 1;
    porpoise.record.storeClicks = 0;
    porpoise.record.comment = QStringLiteral("close");

    nav::SEISMIC seismic;
    seismic.record.detector = QStringLiteral("Airgun");
    seismic.record.pcTime = kProgramTime;
    seismic.record.channel = 1;
    seismic.record.amplitude1 = 0.5f;
    seismic.record.amplitude2 = 1.5f;

    nav::THINGHEARD thing;
    thing.name = QStringLiteral("Harbour porpoise clicks");
    thing.strength = 3;
    thing.programTime = kProgramTime;

    sound::RECORDINGINFO recording;
    recording.RecorderId = 2;
    recording.StartTime = QStringLiteral("2026-12-10 08:10:00");
    recording.Duration = 600;
    recording.GpsIndex = 77;
    recording.GpsTime = QStringLiteral("2026-12-10 08:09:58");
    recording.MediaName = QStringLiteral("AutoRec_0001");
    recording.MediaType = QStringLiteral("Hard Disk");
    recording.FileName = QStringLiteral("Rec20261210_081000.wav");
    recording.DeviceTypeText = QStringLiteral("Sound card");
    recording.DeviceNameText = QStringLiteral("hw:0");
    recording.SampleRate = 96000;
    recording.nChannels = 2;
    recording.Comment = QStringLiteral("towed array");

    struct Row {
        const char* table;
        std::function<bool()> write;
        QString expected;
    };
    const Row rows[] = {
        {"GpsData", [] { return DbWriteGpsData(sampleFix(2)); },
         "2|2026-12-10 08:00:02|56.5|-6.25|80002|181.5|T|9.5|N|0|A|183.0|-99999.0"},
        {"Whistles", [&] { return DbWriteWhistle(whistle); },
         "1|0|" + kProgramTimeText
             + "|2|2026-12-10 08:00:02|1.5|2|0.25|0.5|12000|8000|10000|3.5|7.5|3|4|11000|9000|"
               "8500|11500|45.5|2.5|Tursiops truncatus l|w.wav|7"},
        {"QuintraEvents", [&] { return DbWriteQuintraEvent(click); },
         "1|" + kProgramTimeText + "|12|2|2026-12-10 08:00:02|3.5|40|Unknown|9|2|10.5|0.0|0.0|0.0|0.0|0.0|0.0|0.0"},
        {"Seismics", [&] { return DbWriteSeismic(seismic); },
         "1|" + kProgramTimeText + "|2|2026-12-10 08:00:02|Airgun|1|0.5|1.5"},
        {"ThingsHeard", [&] { return DbWriteThingHeard(thing); },
         "1|" + kProgramTimeText + "|2|2026-12-10 08:00:02|Harbour porpoise cl|3|"},
        {"ThingsHeard", [] { return DbWriteHeardComment(QStringLiteral("distant blows")); },
         "2|" + kProgramTimeText + "|2|2026-12-10 08:00:02||0|distant blows"},
        {"Hydrophone", [] { return DbWriteHydrophoneState(1, 2); },
         "1|" + kProgramTimeText + "|2|2026-12-10 08:00:02|On|Disconnected"},
        {"Hydrophone", [] { return DbWriteHydrophoneState(5, 5); },
         "2|" + kProgramTimeText + "|2|2026-12-10 08:00:02|On|Disconnected"},
        {"Comments", [] { return DbWriteComment(kProgramTime, QStringLiteral("pod of five"), QString()); },
         "1|" + kProgramTimeText + "|2|2026-12-10 08:00:02|pod of five|"},
        {"UserFormErrors", [] { return DbWriteUserFormError("Sightings", "Count", QString(60, u'9')); },
         "1|2|2026-12-10 08:00:02|" + kProgramTimeText + "|Sightings|Count|" + QString(49, u'9')},
        {"Recordings", [&] { return sqlSucceeded(DbWriteRecording(recording)); },
         "1|2|2026-12-10 08:10:00|600|77|2026-12-10 08:09:58|AutoRec_0001|Hard Disk|Rec20261210_081000.wav|"
         "Sound card|hw:0|96000|2|towed array"},
    };
    for (const Row& r : rows) {
        EXPECT_TRUE(r.write()) << r.table;
        EXPECT_EQ(newestRow(QString::fromLatin1(r.table)), r.expected) << r.table;
    }
    const QString porpoiseRow = (DbWritePorpoiseEvent(porpoise), newestRow(QStringLiteral("PorpoiseEvents")));
    EXPECT_TRUE(porpoiseRow.startsWith("1|" + kProgramTimeText + "|5|2|2026-12-10 08:00:02||0.0|PP|0|"))
        << porpoiseRow.toStdString();
    EXPECT_TRUE(porpoiseRow.contains(QStringLiteral("|close|"))) << porpoiseRow.toStdString();
    EXPECT_TRUE(porpoiseRow.endsWith(QStringLiteral("|1|0.0|0.0|0.0|0.0|0.0|0.0|0.0|0.0|0.0|0")))
        << porpoiseRow.toStdString();
    EXPECT_EQ(typeOf(QStringLiteral("GpsData"), QStringLiteral("Latitude")), QStringLiteral("real"));
    EXPECT_EQ(typeOf(QStringLiteral("Whistles"), QStringLiteral("Max Frequency")), QStringLiteral("integer"));
    EXPECT_TRUE(sink.messages.empty()) << sink.texts().join(u'\n').toStdString();
    EXPECT_EQ(sink.beeps, 0);
}

TEST_F(EventWritersTest, EventsCarryTheNewestFixAsStoredByTheDatabase)
{
    QString time;
    EXPECT_EQ(GetLastGpsIndex(&time), 0);
    ASSERT_TRUE(DbWriteComment(kProgramTime, QStringLiteral("before any fix")));
    EXPECT_EQ(newestRow(QStringLiteral("Comments")).section(u'|', 2, 3), QStringLiteral("0|1900-01-01 00:00:00"));

    // Rows another program stored leave a gap: the reference follows the
    // database's numbering, not a count of our own.
    ASSERT_TRUE(exec(QStringLiteral("INSERT INTO \"GpsData\" (\"Index\") VALUES (41)")));
    ASSERT_TRUE(DbWriteGpsData(sampleFix(5)));
    ASSERT_TRUE(DbWriteGpsData(sampleFix(6)));
    EXPECT_EQ(GetLastGpsIndex(&time), 43);
    EXPECT_EQ(time, QStringLiteral("2026-12-10 08:00:06"));
    ASSERT_TRUE(DbWriteComment(kProgramTime, QStringLiteral("after")));
    EXPECT_EQ(newestRow(QStringLiteral("Comments")).section(u'|', 2, 3), QStringLiteral("43|2026-12-10 08:00:06"));
    ResetLastGpsIndex();
    EXPECT_EQ(GetLastGpsIndex(&time), 0);
    EXPECT_EQ(time, QStringLiteral("2026-12-10 08:00:06"));
    DbReadLastGpsIndex();
    EXPECT_EQ(GetLastGpsIndex(), 43);
}

TEST_F(EventWritersTest, AFailedFixLeavesTheReferenceAlone)
{
    ASSERT_TRUE(DbWriteGpsData(sampleFix(1)));
    ASSERT_TRUE(exec(QStringLiteral(
        "CREATE TRIGGER \"refuse\" BEFORE INSERT ON \"GpsData\" BEGIN SELECT RAISE(ABORT, 'disk full'); END")));
    EXPECT_FALSE(DbWriteGpsData(sampleFix(2)));
    QString time;
    EXPECT_EQ(GetLastGpsIndex(&time), 1);
    EXPECT_EQ(time, QStringLiteral("2026-12-10 08:00:01"));
    EXPECT_EQ(sink.beeps, 1);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("DbWriteGpsData"));
    EXPECT_EQ(sink.messages[0].text, QStringLiteral("Error : -1 : 3.39e+03, -375, 80002, 181.5, T,  9.5, N, 0, A"));
}

TEST_F(EventWritersTest, TextsAreCutToTheirColumns)
{
    const QString longComment = QString(60, u'a') + QString(60, u'b');
    ASSERT_TRUE(DbWriteComment(kProgramTime, longComment, QString(70, u'r')));
    DirectDb db(file);
    EXPECT_EQ(db.rows(QStringLiteral("SELECT \"Comment\", \"Recording\" FROM \"Comments\"")),
              QStringList{longComment.left(100) + u'|' + QString(50, u'r')});
}

TEST_F(EventWritersTest, RefusedWritesAndNoDatabase)
{
    EXPECT_FALSE(DbWriteEffort(ProgramNmea, 1));
    EXPECT_EQ(sink.beeps, 1);
    EXPECT_TRUE(DbWriteEffort(ProgramWhistle, 2));
    EXPECT_TRUE(newestRow(QStringLiteral("WhistleEffort")).startsWith("1|" + kProgramTimeText + "|Stop|0|"));
    EXPECT_TRUE(newestRow(QStringLiteral("WhistleEffort")).endsWith(QStringLiteral("||-1")));
    SetListeningEffortReasonSource([] { return QStringLiteral("Watch change"); });
    EXPECT_TRUE(DbWriteEffort(ProgramListening, 1));
    EXPECT_TRUE(newestRow(QStringLiteral("ListeningEffort")).endsWith(QStringLiteral("|Watch change")));
    SetListeningEffortReasonSource(nullptr);

    CloseDB();
    sink.beeps = 0;
    EXPECT_FALSE(DbWriteComment(kProgramTime, QStringLiteral("lost")));
    EXPECT_FALSE(DbWriteGpsData(sampleFix(1)));
    EXPECT_EQ(DbWriteRecording(sound::RECORDINGINFO()), SQL_ERROR);
    EXPECT_EQ(sink.beeps, 0);
    // The writers prepare again on the next database.
    ASSERT_EQ(OpenDB(nullptr, path(QStringLiteral("second.sqlite"))), kOpenDbOk);
    EXPECT_TRUE(DbWriteComment(kProgramTime, QStringLiteral("kept")));
}

// Offline, before "Start Run" the clock has no time: a record would be
// stored without one, so it is refused and the operator told.
TEST_F(EventWritersTest, OfflineRecordsWaitForTheProgramClock)
{
    SetProgramStartTime(SystemTime{}, nullptr);
    EXPECT_FALSE(DbWriteComment(kProgramTime, QStringLiteral("too early")));
    EXPECT_FALSE(DbWriteEffort(ProgramWhistle, 2));
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages[0].caption, QString::fromLatin1(kClockNotSetCaption));
    EXPECT_TRUE(sink.messages[0].text.contains(QStringLiteral("\"Start Run\"")));
    EXPECT_EQ(DirectDb(file).rows(QStringLiteral("SELECT count(*) FROM Comments")), QStringList{QStringLiteral("0")});

    ProgramClock::instance().startRun(kProgramTime, nullptr);
    EXPECT_TRUE(DbWriteComment(kProgramTime, QStringLiteral("timed")));
    ProgramClock::instance().stopRun();
    EXPECT_TRUE(DbWriteComment(kProgramTime, QStringLiteral("frozen at the start")));
    EXPECT_EQ(DirectDb(file).rows(QStringLiteral("SELECT count(*) FROM Comments")), QStringList{QStringLiteral("2")});
    EXPECT_EQ(sink.messages.size(), 2u);

    RunMode = RunModeOnline;
    SetProgramStartTime(SystemTime{}, nullptr);
    EXPECT_TRUE(DbWriteComment(kProgramTime, QStringLiteral("online: the computer's clock")));
}

TEST_F(EventWritersTest, ARecorderThreadsRowIsStoredOnTheUserInterfaceThread)
{
    sound::RECORDINGINFO recording;
    recording.FileName = QStringLiteral("from thread.wav");
    std::atomic<int> result{99};
    std::thread recorder([&] { result = DbWriteRecording(recording); });
    while (result == 99)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    recorder.join();
    EXPECT_TRUE(sqlSucceeded(SQLRETURN(result.load())));
    EXPECT_TRUE(newestRow(QStringLiteral("Recordings")).contains(QStringLiteral("|from thread.wav|")));

    // A row that waited in vain was reported as not stored: it never comes.
    recording.FileName = QStringLiteral("too late.wav");
    std::thread late([&] { result = DbWriteRecording(recording, std::chrono::milliseconds(50)); });
    late.join();
    EXPECT_EQ(result.load(), SQL_ERROR);
    QCoreApplication::processEvents();
    EXPECT_FALSE(newestRow(QStringLiteral("Recordings")).contains(QStringLiteral("too late")));
}

TEST(DbBuildInsert, ListsEveryColumnButTheCounter)
{
    BuildFixedSchema();
    EXPECT_EQ(DbBuildInsert(*FixedTableDefinition(QStringLiteral("Comments"))),
              QStringLiteral(R"(INSERT INTO "Comments" ( "PCTime" , "GpsIndex" , "GPSTime" , "Comment" , )"
                             R"("Recording"  ) VALUES (? , ? , ? , ? ,  ? ))"));
    EXPECT_EQ(DbBuildInsert(*FixedTableDefinition(QStringLiteral("Comments")), QStringLiteral("My \"Notes\"")).left(26),
              QStringLiteral(R"(INSERT INTO "My ""Notes""")"));
    for (const auto& [table, columns] : {std::pair{"Whistles", 24}, std::pair{"UDC_TapeRecorders", 26}}) {
        const QString text = DbBuildInsert(*FixedTableDefinition(QString::fromLatin1(table)));
        EXPECT_EQ(text.count(u'?'), columns) << table;
        EXPECT_EQ(text.section(QStringLiteral(" VALUES "), 0, 0).count(u'"'), 2 * (columns + 1)) << table;
    }
    EXPECT_EQ(EffortStatusText(3), QStringLiteral("Crashed"));
    EXPECT_EQ(EffortStatusText(0), QString());
}

TEST_F(EventWritersTest, LastValueReadsNumbersFromTheNewestRows)
{
    EXPECT_EQ(DbGetLastValue(QStringLiteral("Comments"), QStringLiteral("Index")), 0);
    ASSERT_TRUE(exec(QStringLiteral("INSERT INTO \"Comments\" (\"Comment\") VALUES ('12 whales'), ('3 seals'), "
                                    "('none')")));
    EXPECT_EQ(DbGetLastValue(QStringLiteral("Comments"), QStringLiteral("Comment")), 0);
    EXPECT_EQ(DbGetLastValue(QStringLiteral("Comments"), QStringLiteral("Comment"), QString(), true), 12);
    EXPECT_EQ(DbGetLastValue(QStringLiteral("Comments"), QStringLiteral("Index")), 3);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(DbGetLastValue(QStringLiteral("No Table"), QStringLiteral("Index")), 0);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("Can't execute SQL statement"));
}

TEST_F(EventWritersTest, RealsReachIntegerColumnsOnlyWhenTheyFit)
{
    ASSERT_TRUE(exec(QStringLiteral(
        "CREATE TABLE \"Numbers\" (\"L\" INTEGER, \"S\" SMALLINT, \"D\" DOUBLE, \"B\" BIT, \"T\" VARCHAR(20))")));
    TableDefinition definition(QStringLiteral("Numbers"));
    definition.AddItem(QStringLiteral("L"), QStringLiteral("LONG"));
    definition.AddItem(QStringLiteral("S"), QStringLiteral("SHORT"));
    definition.AddItem(QStringLiteral("D"), QStringLiteral("DOUBLE"));
    definition.AddItem(QStringLiteral("B"), QStringLiteral("BIT"));
    definition.AddItem(QStringLiteral("T"), QStringLiteral("CHAR(20)"));
    TableInserter insert(definition);
    struct Row {
        double value;
        const char* stored; // L|S|D|B as read back
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Row rows[] = {
        {12.7, "12|12|12.7|1"},
        {-12.7, "-12|-12|-12.7|1"},
        {0, "0|0|0.0|0"},
        {32767.9, "32767|32767|32767.9|1"},
        {-32768, "-32768|-32768|-32768.0|1"},
        {32768, "32768|NULL|32768.0|1"},
        {2147483647.5, "2147483647|NULL|2147483647.5|1"},
        {2147483648.0, "NULL|NULL|2147483648.0|1"},
        {-2147483649.0, "NULL|NULL|-2147483649.0|1"},
        {1e30, "NULL|NULL|1.0e+30|1"},
        {nan, "NULL|NULL|NULL|NULL"},
    };
    DirectDb db(file);
    for (const Row& r : rows) {
        ASSERT_TRUE(exec(QStringLiteral("DELETE FROM \"Numbers\"")));
        for (const char* column : {"L", "S", "D", "B"})
            insert.setReal(column, r.value);
        ASSERT_TRUE(sqlSucceeded(insert.execute())) << r.value << insert.lastError().toStdString();
        EXPECT_EQ(db.rows(QStringLiteral("SELECT \"L\", \"S\", \"D\", \"B\" FROM \"Numbers\"")).value(0),
                  QLatin1String(r.stored))
            << r.value;
    }
    // The same range check for an integer given as such.
    ASSERT_TRUE(exec(QStringLiteral("DELETE FROM \"Numbers\"")));
    insert.setInt("S", 40000);
    insert.setInt("L", 40000);
    ASSERT_TRUE(sqlSucceeded(insert.execute()));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT \"L\", \"S\" FROM \"Numbers\"")).value(0), QStringLiteral("40000|NULL"));
}
