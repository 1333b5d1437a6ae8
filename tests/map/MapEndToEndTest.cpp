// The map in the running Velmar: the real program, offscreen, on a survey
// database and settings of its own and a private session bus, with a
// stand-in NMEA server. The "Map" tab draws the chart file named in the
// settings, the static objects of the survey and the track of the fixes the
// program polls; the plot's drawing log says what it drew.
#include "platform/SystemTime.h"
#include "store/DbConnection.h"
#include "settings/ProgramSettings.h"

#include "tests/nav/NmeaTestSentences.h"
#include "tests/shell/ScriptedVelmar.h"
#include "tests/store/StoreTestSupport.h"

#include <QDir>
#include <QFile>
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
        ASSERT_TRUE(db.exec("INSERT INTO StaticObjects (\"Order\", Name, TableName, Type, Symbol, Size, LineColour, "
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

} // namespace
