// The map in the running Velmar: the real program, offscreen, on a survey
// database and settings of its own and a private session bus, with a
// stand-in NMEA server or the NMEA program's simulator. The "Map" tab draws
// the chart file named in the settings, the static objects of the survey,
// the track of the fixes the program polls and the detections poked into it;
// the plot's drawing log and a picture of the map window say what it drew.
#include "nav/DetectorRecords.h"
#include "settings/IniFile.h"
#include "nmeaserver/NmeaSettings.h"
#include "platform/Dde.h"
#include "platform/SystemTime.h"
#include "store/DbConnection.h"
#include "settings/ProgramSettings.h"

#include "tests/nav/NmeaTestSentences.h"
#include "tests/shell/ScriptedVelmar.h"
#include "tests/store/StoreTestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmar;
using velmar::store::TheProgramSettings;

namespace {

const QByteArray Rmc = velmar::navtest::withChecksum("$GPRMC,101530,A,5105.123,N,00130.500,W,10.5,45.0,101226,,,A");

TEST(MapEndToEnd, MapTabDrawsChartStaticObjectsAndTheTrack)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QByteArray oldHome = qgetenv("VELMAR_HOME");
    qputenv("VELMAR_HOME", home.path().toLocal8Bit());
    const QString survey = QDir(home.path()).filePath("Survey.sqlite");
    const QString chart = QDir(home.path()).filePath("coast.MAP");
    {
        QFile f(chart);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("51.0 -1.6\n51.1 -1.5\n51.2 -1.45\nx\n51.0 -1.4\n51.05 -1.45\n");
    }

    // The survey, made as the program makes it, with one group of points.
    store::SetBlankDatabaseTemplate(qEnvironmentVariable("VELMAR_BIN_DIR") + "/BlankVelmar._sqlite");
    ASSERT_EQ(store::OpenDB(nullptr, survey), store::kOpenDbOk);
    store::CloseDB();
    {
        store::test::DirectDb db(survey);
        ASSERT_TRUE(
            db.exec("INSERT INTO StaticObjects (\"Order\", Name, TableName, Type, Symbol, Size, LineColour, "
                    "FillColour, DrawFirst) VALUES (0, 'Buoys', 'Buoys', 'POINTS', 'Circle', 6, 'Red', '', 0)"));
        ASSERT_TRUE(db.exec("CREATE TABLE Buoys (Latitude REAL, Longitude REAL, \"Text\" VARCHAR(20), "
                            "HTextAlign VARCHAR(20), VTextAlign VARCHAR(20), Hide BIT)"));
        ASSERT_TRUE(db.exec("INSERT INTO Buoys VALUES (51.08, -1.5, 'B1', 'L', 'T', 0)"));
        // The survey names its own map file.
        ASSERT_TRUE(db.exec(QStringLiteral("INSERT INTO UDC_Settings (Section, Identifier, Data) "
                                           "VALUES ('Map', 'MapFile', '%1')")
                                .arg(chart)));
    }

    TheProgramSettings = store::ProgramSettings();
    TheProgramSettings.DatabasePath.setText(survey);
    TheProgramSettings.FirstRunPending = 0;
    TheProgramSettings.MaxInterval = 1;
    TheProgramSettings.MinInterval = 1;
    TheProgramSettings.PlotStatics = 1;
    ASSERT_TRUE(store::WriteProgramSettings());

    QProcess server;
    server.start(QStringLiteral(NMEA_STANDIN), {"--status", "OK", "--sentence", QString::fromLatin1(Rmc)});
    ASSERT_TRUE(server.waitForReadyRead(10000));
    ASSERT_EQ(server.readLine().trimmed(), QByteArray("ready"));

    QProcess velmar;
    QProcessEnvironment env = shell::test::ScriptedVelmarEnvironment(home.path(), 4000);
    env.insert("QT_LOGGING_RULES", "velmar.map.plot.debug=true");
    velmar.setProcessEnvironment(env);
    velmar.setProcessChannelMode(QProcess::MergedChannels);
    velmar.start(shell::test::VelmarProgramPath(), {});
    ASSERT_TRUE(velmar.waitForStarted(10000));
    ASSERT_TRUE(velmar.waitForFinished(90000));
    server.terminate();
    server.waitForFinished(5000);
    qputenv("VELMAR_HOME", oldHome);
    const QString output = QString::fromLocal8Bit(velmar.readAll());
    EXPECT_EQ(velmar.exitCode(), 0) << output.toStdString();

    const QStringList rows = store::test::DirectDb(survey).rows("SELECT COUNT(*) FROM GpsData");
    const int fixes = rows.value(0).toInt();
    ASSERT_GE(fixes, 2) << output.toStdString();

    // The last drawing of the plot: every stored fix, the two coast lines,
    // the group of buoys and the ship in the middle of the fitted view.
    static const QRegularExpression drawn(
        "drawn (\\d+)x(\\d+): (\\d+) fixes, \\d+ track points, (\\d+) chart features, (\\d+) static groups, ship at "
        "(\\d+),(\\d+)");
    QRegularExpressionMatch last;
    for (QRegularExpressionMatchIterator i = drawn.globalMatch(output); i.hasNext();)
        last = i.next();
    ASSERT_TRUE(last.hasMatch()) << output.toStdString();
    const int width = last.captured(1).toInt(), height = last.captured(2).toInt();
    EXPECT_GT(width, 100);
    EXPECT_GT(height, 100);
    EXPECT_EQ(last.captured(3).toInt(), fixes) << output.toStdString();
    EXPECT_EQ(last.captured(4).toInt(), 2);
    EXPECT_EQ(last.captured(5).toInt(), 1);
    EXPECT_NEAR(last.captured(6).toInt(), width / 2, 2);
    EXPECT_NEAR(last.captured(7).toInt(), height / 2, 2);
}

// The simulated ship's track and a porpoise event poked by a detector appear
// on the map: a picture of the map window (kept under the build folder)
// holds the track's grey and the detection's red; and a fresh settings
// folder takes the click colours that ship with the suite without a word.
TEST(MapEndToEnd, SimulatedTrackAndAPokedDetectionAppearOnTheMap)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QByteArray oldHome = qgetenv("VELMAR_HOME");
    qputenv("VELMAR_HOME", home.path().toLocal8Bit());
    const QString survey = QDir(home.path()).filePath("Survey.sqlite");
    store::SetBlankDatabaseTemplate(qEnvironmentVariable("VELMAR_BIN_DIR") + "/BlankVelmar._sqlite");
    ASSERT_EQ(store::OpenDB(nullptr, survey), store::kOpenDbOk);
    store::CloseDB();

    TheProgramSettings = store::ProgramSettings();
    TheProgramSettings.DatabasePath.setText(survey);
    TheProgramSettings.FirstRunPending = 0;
    TheProgramSettings.MaxInterval = 1;
    TheProgramSettings.MinInterval = 1;
    TheProgramSettings.MapMargin = 1.0f;
    TheProgramSettings.PlotGrid = false;
    TheProgramSettings.PlotPorpoises = true;
    ASSERT_TRUE(store::WriteProgramSettings());
    {
        nmeaserver::IniFile ini(nmeaserver::settingsFilePath());
        ini.writeBool("Simulation", "Simulate", true);
        ini.writeFloat("Simulation", "Latitude", 51.5f);
        ini.writeFloat("Simulation", "Longitude", -4.5f);
        ini.writeFloat("Simulation", "Speed", 120.0f);
        ini.writeFloat("Simulation", "Heading", 45.0f);
        ini.writeFloat("Simulation", "Interval", 0.5f);
        ASSERT_TRUE(ini.save());
    }
    QProcess nmea;
    QProcessEnvironment nmeaEnv = QProcessEnvironment::systemEnvironment();
    nmeaEnv.insert("QT_QPA_PLATFORM", "offscreen");
    nmeaEnv.insert("VELMAR_NMEA_CLOCK_SET", "off");
    nmeaEnv.insert("VELMAR_HOME", home.path());
    nmea.setProcessEnvironment(nmeaEnv);
    nmea.setProcessChannelMode(QProcess::ForwardedChannels);
    nmea.start(qEnvironmentVariable("VELMAR_BIN_DIR") + "/NMEA", {});
    ASSERT_TRUE(nmea.waitForStarted(10000));

    const QString snapshot = home.filePath("map.png");
    const QString log = home.filePath("messages.log");
    QProcess velmar;
    QProcessEnvironment env = shell::test::ScriptedVelmarEnvironment(home.path());
    env.insert("VELMAR_MAP_SNAPSHOT", snapshot);
    env.insert("VELMAR_MESSAGE_LOG", log);
    velmar.setProcessEnvironment(env);
    velmar.setProcessChannelMode(QProcess::MergedChannels);
    velmar.start(shell::test::VelmarProgramPath(), {});
    ASSERT_TRUE(velmar.waitForStarted(10000));
    const auto fixes = [&] {
        return store::test::DirectDb(survey).rows("SELECT COUNT(*) FROM GpsData").value(0).toInt();
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixes() >= 3; }, 60000)) << velmar.readAll().toStdString();

    // A porpoise detector reports an event abeam, a nautical mile out.
    nav::PorpoiseEventRecord event;
    event.number = 1;
    event.runId = 1;
    event.state = nav::PorpoiseEventRecord::StateFinal;
    event.eventStart = platform::SystemTime::fromTimePoint(
        std::chrono::time_point_cast<std::chrono::milliseconds>(std::chrono::system_clock::now()));
    event.porpoiseBearing = 90.0f;
    event.otherBearing = 999.0f;
    event.initialRange = 1852.0f;
    event.speciesCode = QStringLiteral("PHPH");
    platform::DdeClient dde(QStringLiteral("Velmar2000"));
    ASSERT_TRUE(dde.serverPresent());
    EXPECT_TRUE(dde.poke(QStringLiteral("EventsService"), QStringLiteral("PorpoiseEvent"), event.encode(), 10000));
    const int before = fixes();
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixes() >= before + 3; }, 30000));
    // The map's picture is taken on a timer: wait for one that shows the detection.
    const auto showsRed = [&] {
        const QImage shot = QImage(snapshot).convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (shot.pixelColor(x, y) == QColor(255, 0, 0))
                    return true;
        return false;
    };
    EXPECT_TRUE(QTest::qWaitFor(showsRed, 30000));

    velmar.terminate();
    EXPECT_TRUE(velmar.waitForFinished(60000));
    nmea.terminate();
    nmea.waitForFinished(10000);
    qputenv("VELMAR_HOME", oldHome);
    const QString output = QString::fromLocal8Bit(velmar.readAll());

    QImage picture(snapshot);
    ASSERT_FALSE(picture.isNull()) << output.toStdString();
    const QString artifact = QStringLiteral(VELMAR_ARTIFACT_DIR "/map_track_and_detection.png");
    QDir().mkpath(QFileInfo(artifact).path());
    picture.save(artifact);
    picture = picture.convertToFormat(QImage::Format_RGB32);
    int grey = 0, red = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            grey += c == QColor(128, 128, 128) ? 1 : 0;
            red += c == QColor(255, 0, 0) ? 1 : 0;
        }
    EXPECT_GT(grey, 20) << "the track, see " << artifact.toStdString();
    EXPECT_GT(red, 100) << "the porpoise event's symbol and bearing lines, see " << artifact.toStdString();

    QFile shown(log);
    const QString messages = shown.open(QIODevice::ReadOnly) ? QString::fromUtf8(shown.readAll()) : QString();
    EXPECT_FALSE(messages.contains(QStringLiteral("sperm whale colour file"))) << messages.toStdString();
}

} // namespace
