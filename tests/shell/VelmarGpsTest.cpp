// The GPS poll inside the running Velmar: the real program, offscreen, on a
// survey database of its own and a private session bus, with a stand-in NMEA
// server (or none). What it stores is read back from the file afterwards.
// Also the read-outs on the main window's and the map's boxes.
#include "forms/AutoFillSources.h"
#include "nav/GpsFixData.h"
#include "nav/GpsReadout.h"
#include "nav/NmeaSentence.h"
#include "settings/IniFile.h"
#include "nmeaserver/NmeaSettings.h"
#include "platform/Dde.h"
#include "platform/SystemTime.h"
#include "shell/MainWindowNav.h"
#include "shell/MainWindowPorts.h"
#include "widgets/MyControls.h"
#include "platform/RunMode.h"
#include "store/DbConnection.h"
#include "settings/ProgramSettings.h"

#include "tests/nav/NmeaTestSentences.h"
#include "tests/nav/ShipGpsLog.h"
#include "tests/nmeaserver/PtyPair.h"
#include "tests/store/StoreTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <signal.h>

using namespace velmar;
using velmar::navtest::withChecksum;
using velmar::store::TheProgramSettings;

namespace {

const QByteArray Rmc = withChecksum("$GPRMC,101530,A,5105.123,N,00130.500,W,10.5,45.0,101226,,,A");
const QByteArray Datum = withChecksum("$PGRMM,WGS 84");

// A form that stores a record with every GPS reading: its rows carry the
// GPS index that was newest when they were stored.
const char* const ReadWithGpsForm =
    "CREATE TABLE \"UDF_Watch\" (\"Order\" SMALLINT PRIMARY KEY, \"Type\" VARCHAR(50), \"Title\" VARCHAR(50), "
    "\"PostTitle\" VARCHAR(50), \"DbTitle\" VARCHAR(50), \"Default\" VARCHAR(50), \"Length\" SMALLINT, "
    "\"Height\" SMALLINT, \"Topic\" VARCHAR(50), \"MinValue\" REAL, \"MaxValue\" REAL, \"NMEA String\" VARCHAR(50), "
    "\"NMEA Position\" SMALLINT, \"ADC Channel\" SMALLINT, \"ADC Gain\" SMALLINT, \"Analog Multiply\" REAL, "
    "\"Analog Add\" REAL, \"Required\" BIT, \"ReadOnly\" BIT, \"AutoUpdate\" SMALLINT, \"AutoClear\" BIT, "
    "\"ForceGps\" BIT, \"Plot\" BIT, \"Hint\" VARCHAR(100), \"Colour\" VARCHAR(20), \"Send Control Name\" VARCHAR(50), "
    "\"Control on Subform\" VARCHAR(50), \"Get Control Data\" VARCHAR(50));"
    "INSERT INTO \"UDF_Watch\" (\"Order\", \"Type\", \"Title\") VALUES (1, 'TIME', 'Time');"
    "INSERT INTO \"UDF_Watch\" (\"Order\", \"Type\", \"Title\") VALUES (2, 'READWITHGPS', '');";

QString BinDir()
{
    return qEnvironmentVariable("VELMAR_BIN_DIR");
}

class VelmarGps : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        m_oldHome = qgetenv("VELMAR_HOME");
        qputenv("VELMAR_HOME", home.path().toLocal8Bit());
        survey = QDir(home.path()).filePath(QStringLiteral("Survey.sqlite"));
        startsFile = QDir(home.path()).filePath(QStringLiteral("starts"));

        // The survey file, made as the program makes it, with the form.
        store::SetBlankDatabaseTemplate(BinDir() + QStringLiteral("/BlankVelmar._sqlite"));
        ASSERT_EQ(store::OpenDB(nullptr, survey), store::kOpenDbOk);
        store::CloseDB();
        store::test::DirectDb db(survey);
        ASSERT_TRUE(db.exec(QString::fromLatin1(ReadWithGpsForm)));
    }

    void TearDown() override
    {
        // A server the program started is ours to end.
        for (const QString& line : StartLines()) {
            if (const qint64 pid = line.section(QLatin1Char(' '), 1).toLongLong(); pid > 0)
                ::kill(pid_t(pid), SIGTERM);
        }
        if (velmar.state() != QProcess::NotRunning) {
            velmar.kill();
            velmar.waitForFinished(10000);
        }
        qputenv("VELMAR_HOME", m_oldHome);
    }

    // The NMEA program the survey names: a script that notes each start and
    // then runs `then` (nothing: a server that never answers).
    void SetServerProgram(const QString& then)
    {
        const QString script = QDir(home.path()).filePath(QStringLiteral("NMEA"));
        QFile f(script);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\necho \"started $$\" >> '%1'\n%2\n").arg(startsFile, then).toLocal8Bit());
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        serverProgram = script;
    }

    // Velmar in online logging for runMs with a GPS timer of that many
    // seconds, the shortest interval between readings too.
    void StartVelmar(int runMs, int intervalSeconds = 1)
    {
        TheProgramSettings = store::ProgramSettings();
        TheProgramSettings.DatabasePath.setText(survey);
        TheProgramSettings.FirstRunPending = 0;
        TheProgramSettings.MaxInterval = intervalSeconds;
        TheProgramSettings.MinInterval = intervalSeconds;
        TheProgramSettings.ReadHdt = true;
        TheProgramSettings.ProgramPaths[std::size_t(store::ProgramTypeIndex(store::ProgramNmea))].setText(
            serverProgram);
        ASSERT_TRUE(store::WriteProgramSettings());

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VELMAR_ACCEPT_SHEETS"), QStringLiteral("1"));
        env.insert(QStringLiteral("VELMAR_NO_MODAL"), QStringLiteral("1"));
        env.insert(QStringLiteral("VELMAR_QUIT_AFTER_MS"), QString::number(runMs));
        // The server program here is ours (TearDown ends what it started).
        env.remove(QStringLiteral("VELMAR_PROGRAM_START"));
        velmar.setProcessEnvironment(env);
        velmar.setProcessChannelMode(QProcess::MergedChannels);
        velmar.start(BinDir() + QStringLiteral("/Velmar"), {});
        ASSERT_TRUE(velmar.waitForStarted(10000));
    }

    // Waits for the end it set itself; its output.
    QByteArray FinishVelmar()
    {
        EXPECT_TRUE(velmar.waitForFinished(90000));
        const QByteArray output = velmar.readAll();
        EXPECT_EQ(velmar.exitStatus(), QProcess::NormalExit) << output.toStdString();
        EXPECT_EQ(velmar.exitCode(), 0) << output.toStdString();
        return output;
    }

    QByteArray RunVelmar(int runMs, int intervalSeconds = 1)
    {
        StartVelmar(runMs, intervalSeconds);
        return FinishVelmar();
    }

    QStringList StartLines() const
    {
        QFile f(startsFile);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLocal8Bit(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QStringList Rows(const QString& sql) const { return store::test::DirectDb(survey).rows(sql); }

    QTemporaryDir home;
    QProcess velmar;
    QString survey;
    QString startsFile;
    QString serverProgram = QStringLiteral("/nonexistent/NMEA");

private:
    QByteArray m_oldHome;
};

TEST_F(VelmarGps, EveryReadingIsStoredAndTheFormRecordsPointAtIt)
{
    QProcess server;
    server.start(QStringLiteral(NMEA_STANDIN),
                 {QStringLiteral("--status"), QStringLiteral("OK"), QStringLiteral("--sentence"),
                  QString::fromLatin1(Rmc), QStringLiteral("--sentence"), QString::fromLatin1(Datum)});
    ASSERT_TRUE(server.waitForReadyRead(10000));
    ASSERT_EQ(server.readLine().trimmed(), QByteArray("ready"));

    const QByteArray output = RunVelmar(5000);
    server.terminate();
    server.waitForFinished(5000);

    // The start-up poll and at least one of the GPS timer.
    const QStringList rows = Rows(
        QStringLiteral("SELECT \"Index\", GPSTime, DataStatus, printf('%.5f', Latitude), printf('%.5f', Longitude) "
                       "FROM GpsData ORDER BY \"Index\""));
    ASSERT_GE(rows.size(), 2) << output.toStdString();
    for (int i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i], QStringLiteral("%1|101530|A|51.08538|-1.50833").arg(i + 1));
    EXPECT_TRUE(StartLines().isEmpty());

    // The form stored once per reading, each record with the reading's row:
    // the newest GPS index moved with every reading.
    const QStringList records = Rows(QStringLiteral("SELECT GpsIndex FROM Watch ORDER BY \"Index\""));
    QStringList expected;
    for (int i = 1; i <= rows.size(); ++i)
        expected << QString::number(i);
    EXPECT_EQ(records.join(QLatin1Char(',')), expected.join(QLatin1Char(','))) << output.toStdString();
}

TEST_F(VelmarGps, AServerThatNeverAnswersIsStartedOnceAndNothingIsStored)
{
    SetServerProgram(QString());
    const QByteArray output = RunVelmar(3500);

    // Polls at start and every second; the back-off is far longer.
    EXPECT_EQ(StartLines().size(), 1) << output.toStdString();
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM GpsData")), QStringList{QStringLiteral("0")});
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM Watch")), QStringList{QStringLiteral("0")});
}

TEST_F(VelmarGps, AStartedServerIsPolledAsSoonAsItAppears)
{
    SetServerProgram(QStringLiteral("exec '%1' --status OK --sentence '%2' --lifetime-ms 30000")
                         .arg(QStringLiteral(NMEA_STANDIN), QString::fromLatin1(Rmc)));
    const QByteArray output = RunVelmar(3500);

    EXPECT_EQ(StartLines().size(), 1) << output.toStdString();
    const QStringList rows = Rows(
        QStringLiteral("SELECT printf('%.5f', Latitude), printf('%.5f', Longitude) FROM GpsData"));
    ASSERT_FALSE(rows.isEmpty()) << output.toStdString();
    for (const QString& row : rows)
        EXPECT_EQ(row, QStringLiteral("51.08538|-1.50833"));
}

// The NMEA program's simulated ship, already running when Velmar starts, as
// on board: its position and time move on with every second, so each of
// Velmar's readings is a fix of its own and is stored once, from the first,
// with the form's records pointing at their own readings.
TEST_F(VelmarGps, EachReadingOfTheSimulatedShipIsOneRow)
{
    nmeaserver::IniFile ini(nmeaserver::settingsFilePath());
    ini.writeBool("Simulation", "Simulate", true);
    ini.writeBool("UDPPORT", "SendUDPData", false);
    ini.writeBool("DataDump", "DumpData", false);
    ASSERT_TRUE(ini.save());
    QProcess nmea;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("VELMAR_NMEA_CLOCK_SET"), QStringLiteral("off"));
    nmea.setProcessEnvironment(env);
    nmea.setProcessChannelMode(QProcess::ForwardedChannels);
    nmea.start(BinDir() + QStringLiteral("/NMEA"), {});
    ASSERT_TRUE(nmea.waitForStarted(10000));
    platform::DdeClient server(QStringLiteral("NMEA"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return server.request(QStringLiteral("System"), QStringLiteral("Status"), 500) == QByteArray("OK\0", 3);
        },
        30000));

    const QByteArray output = RunVelmar(7000, 2);
    nmea.terminate();
    nmea.waitForFinished(10000);

    const QStringList rows = Rows(QStringLiteral("SELECT \"Index\", GPSTime, PCTime FROM GpsData ORDER BY \"Index\""));
    ASSERT_GE(rows.size(), 2) << output.toStdString();
    EXPECT_TRUE(Rows(QStringLiteral("SELECT GPSTime FROM GpsData GROUP BY GPSTime HAVING COUNT(*) > 1")).isEmpty())
        << rows.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(Rows(QStringLiteral("SELECT GpsIndex FROM Watch ORDER BY \"Index\"")),
              Rows(QStringLiteral("SELECT \"Index\" FROM GpsData ORDER BY \"Index\"")))
        << rows.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(StartLines().isEmpty()) << "the running server is used";
}

// The whole road: a ship's log written into a pseudo-terminal, read by the
// NMEA program that Velmar starts itself, polled by Velmar every second.
TEST_F(VelmarGps, TheShipsLogThroughTheNmeaProgramBecomesTheRows)
{
    const std::vector<QList<QByteArray>> log = navtest::readShipGpsLog();
    ASSERT_EQ(log.size(), 6u);
    PtyPair pty;
    ASSERT_TRUE(pty.ready());
    nmeaserver::IniFile ini(nmeaserver::settingsFilePath());
    ini.writeInteger(pty.port(), "BaudRate", 4800);
    ini.writeBool(pty.port(), "Enable", true);
    ini.writeBool("UDPPORT", "SendUDPData", false);
    ini.writeBool("DataDump", "DumpData", false);
    ASSERT_TRUE(ini.save());
    SetServerProgram(QStringLiteral("exec '%1/NMEA'").arg(BinDir()));

    // Ended by the test as soon as the last second is stored (a signal ends
    // it like a close); the quit timer only bounds a run that hangs.
    StartVelmar(120000);
    platform::DdeClient server(QStringLiteral("NMEA"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.serverPresent(); }, 30000));
    EXPECT_EQ(StartLines().size(), 1);

    // The port opens mid-line: the server drops what it first reads.
    ASSERT_TRUE(pty.write("$GPTXT,01,01,02,ANTSTATUS=OK*3B\r\n"));
    // Each second goes in once Velmar has stored the one before (the server
    // says "Starting" over the first, so that one is never stored).
    bool first = true;
    for (const QList<QByteArray>& second : log) {
        for (const QByteArray& sentence : second)
            ASSERT_TRUE(pty.write(sentence + "\r\n"));
        const QByteArray rmc = second.front();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return server.request(QStringLiteral("strings"), QStringLiteral("GPRMC"), 500) == rmc + '\0'; },
            20000));
        const QString time = QString::fromLatin1(rmc.split(',').at(1).split('.').front());
        if (!first) {
            ASSERT_TRUE(QTest::qWaitFor(
                [&] {
                    return Rows(QStringLiteral("SELECT COUNT(*) FROM GpsData WHERE GPSTime = '%1'").arg(time))
                        != QStringList{QStringLiteral("0")};
                },
                20000))
                << time.toStdString();
        }
        first = false;
    }
    velmar.terminate();
    const QByteArray output = FinishVelmar();

    // Every reading is a row: each second as often as Velmar read it.
    QStringList seconds;
    for (const QString& row :
         Rows(QStringLiteral("SELECT GPSTime, DataStatus, printf('%.4f', Latitude), printf('%.4f', Longitude), "
                             "printf('%.1f', TrueHeading) FROM GpsData ORDER BY \"Index\""))) {
        if (seconds.isEmpty() || seconds.back() != row)
            seconds << row;
    }
    EXPECT_EQ(seconds.join(QLatin1Char('\n')).toStdString(),
              "101501|V|0.0000|0.0000|44.5\n101502|A|50.1167|-5.5000|45.0\n101503|A|50.1167|-5.4999|45.5\n"
              "101504|A|50.1167|-5.4999|46.0\n101505|A|50.1168|-5.4998|46.5")
        << output.toStdString();
    // The form's record of each reading points at that reading's row.
    EXPECT_EQ(Rows(QStringLiteral("SELECT GpsIndex FROM Watch ORDER BY \"Index\"")),
              Rows(QStringLiteral("SELECT \"Index\" FROM GpsData ORDER BY \"Index\"")));
}

// The NMEA controls of the user forms fill from the server's newest
// sentences, field by field.
TEST(FormNmeaFields, FieldsOfTheNewestSentences)
{
    QProcess server;
    server.start(QStringLiteral(NMEA_STANDIN),
                 {QStringLiteral("--status"), QStringLiteral("OK"), QStringLiteral("--sentence"),
                  QString::fromLatin1(withChecksum("$HEHDT,271.5,T")), QStringLiteral("--sentence"),
                  QString::fromLatin1(withChecksum("$GPGGA,101530,5105.123,N,00130.500,W,1,08,0.9,12.0,M,,,,"))});
    ASSERT_TRUE(server.waitForReadyRead(10000));
    ASSERT_EQ(server.readLine().trimmed(), QByteArray("ready"));
    shell::BindNavigation();
    forms::AutoFillSources& fields = forms::autoFillSources();

    EXPECT_EQ(fields.nmeaFloat(QStringLiteral("HEHDT"), 1), std::optional(271.5));
    EXPECT_EQ(fields.nmeaString(QStringLiteral("HEHDT"), 2), std::optional(QStringLiteral("T")));
    EXPECT_EQ(fields.nmeaInt(QStringLiteral("GPGGA"), 7), std::optional(8));
    EXPECT_EQ(fields.nmeaString(QStringLiteral("GPGGA"), 13), std::optional(QString()));
    // No value: a word for a number, a field past the end, a sentence the
    // server never had.
    EXPECT_EQ(fields.nmeaFloat(QStringLiteral("HEHDT"), 2), std::nullopt);
    EXPECT_EQ(fields.nmeaString(QStringLiteral("HEHDT"), 4), std::nullopt);
    EXPECT_EQ(fields.nmeaInt(QStringLiteral("GPRMC"), 1), std::nullopt);
    // What is not NMEA is not answered here.
    EXPECT_EQ(fields.readVoltage(3, 0, 0, 0), std::nullopt);
    server.terminate();
    server.waitForFinished(5000);
}

// The read-outs: the link's state on the main window, the fix on the map;
// a window without the box (no map yet) is passed over.
TEST(MainWindowGpsReadout, FixAndFailureReachTheirBoxes)
{
    QWidget main;
    QWidget map(&main);
    auto* status = new shell::TMyEdit(&main, nav::ControlNmeaStatus, QStringLiteral("NMEA OK"), 0, 0, 10, 10);
    auto* datum = new shell::TMyEdit(&main, nav::ControlMapDatum, QStringLiteral("Map Datum"), 0, 0, 10, 10);
    std::map<int, shell::TMyEdit*> boxes;
    for (int id : {nav::ControlLatitude, nav::ControlLongitude, nav::ControlCourse, nav::ControlSpeed,
                   nav::ControlFixTime, nav::ControlTrueHeading, nav::ControlMagHeading})
        boxes[id] = new shell::TMyEdit(&map, id, QString(), 0, 0, 10, 10);
    bool withMap = true;
    shell::MainWindowGpsReadout readout([&] {
        return withMap ? std::vector<QWidget*>{&main, &map} : std::vector<QWidget*>{&main};
    });

    nav::GpsFixData fix{platform::SystemTime{}};
    ASSERT_TRUE(nav::ParseRMC(fix, Rmc));
    fix.SetTrueHeading(271.5f);
    readout.ShowGpsPanel(nav::GpsPanelTextsFor(&fix, platform::RunModeOnline));
    readout.ShowMapDatum(nav::MapDatumText(nav::NmeaOk, QStringLiteral("WGS 84")));
    EXPECT_EQ(status->text(), QStringLiteral("GPS OK"));
    EXPECT_EQ(datum->text(), QStringLiteral("WGS 84"));
    EXPECT_EQ(boxes[nav::ControlLatitude]->text(), nav::GpsFixData::FormatLatitudeText(fix));
    EXPECT_EQ(boxes[nav::ControlLongitude]->text(), nav::GpsFixData::FormatLongitudeText(fix));
    EXPECT_EQ(boxes[nav::ControlFixTime]->text(), QStringLiteral("Last Fix 10:15:30"));
    EXPECT_EQ(boxes[nav::ControlTrueHeading]->text(), QStringLiteral("HDT 271.5 °T"));
    EXPECT_EQ(boxes[nav::ControlMagHeading]->text(), QStringLiteral("No Mag' Heading info"));

    // A read that fails: the state in the alarm colour, the fix boxes empty.
    readout.ShowNmeaStatus(nav::NmeaStatusText(nav::NmeaPortError));
    readout.ShowGpsPanel(nav::GpsPanelTextsFor(nullptr, platform::RunModeOnline));
    EXPECT_EQ(status->text(), QStringLiteral("Port Error"));
    shell::TMyEdit alarm(nullptr, 0, QString(), 0, 0, 0, 0);
    alarm.SetColourCode(nav::ColourAlarm);
    EXPECT_EQ(status->Background(), alarm.Background());
    for (const auto& [id, box] : boxes)
        EXPECT_EQ(box->text(), QStringLiteral("No Data")) << id;

    withMap = false;
    readout.ShowGpsPanel(nav::GpsPanelTextsFor(&fix, platform::RunModeOnline));
    EXPECT_EQ(status->text(), QStringLiteral("GPS OK"));
    EXPECT_EQ(boxes[nav::ControlLatitude]->text(), QStringLiteral("No Data"));
}

} // namespace
