// The shown data and the comment tab in the real Velmar, offscreen, on a
// survey of its own and a private session bus: "Velmar -s" loads a track of
// 100,000 fixes and lists the comments of the shown window; in online
// logging a comment typed into the Comments tab becomes rows that SQLite
// reads back from the file.
#include "store/DbConnection.h"
#include "settings/ProgramSettings.h"

#include "tests/shell/ScriptedVelmar.h"
#include "tests/store/StoreTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using velmar::store::TheProgramSettings;
using velmar::store::test::DirectDb;

constexpr int kFixes = 100000;
constexpr int kBoundMs = 120000;

velmar::platform::SystemTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    velmar::platform::SystemTime t;
    t.wYear = uint16_t(y), t.wMonth = uint16_t(mo), t.wDay = uint16_t(d);
    t.wHour = uint16_t(h), t.wMinute = uint16_t(mi), t.wSecond = uint16_t(s);
    return t;
}

class ShowDataEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        m_oldHome = qgetenv("VELMAR_HOME");
        qputenv("VELMAR_HOME", home.path().toLocal8Bit());
        survey = QDir(home.path()).filePath(QStringLiteral("Survey.sqlite"));
        velmar::store::SetBlankDatabaseTemplate(qEnvironmentVariable("VELMAR_BIN_DIR")
                                                + QStringLiteral("/BlankVelmar._sqlite"));
        ASSERT_EQ(velmar::store::OpenDB(nullptr, survey), velmar::store::kOpenDbOk);
        velmar::store::CloseDB();
    }
    void TearDown() override
    {
        if (velmar.state() != QProcess::NotRunning) {
            velmar.kill();
            velmar.waitForFinished(10000);
        }
        qputenv("VELMAR_HOME", m_oldHome);
    }

    void WriteSettings(const velmar::platform::SystemTime& start, const velmar::platform::SystemTime& end)
    {
        TheProgramSettings = velmar::store::ProgramSettings();
        TheProgramSettings.DatabasePath.setText(survey);
        TheProgramSettings.FirstRunPending = 0;
        TheProgramSettings.StartTime = start;
        TheProgramSettings.EndTime = end;
        ASSERT_TRUE(velmar::store::WriteProgramSettings());
    }

    QByteArray Run(const QStringList& arguments, QProcessEnvironment env)
    {
        velmar.setProcessEnvironment(env);
        velmar.setProcessChannelMode(QProcess::MergedChannels);
        velmar.start(velmar::shell::test::VelmarProgramPath(), arguments);
        EXPECT_TRUE(velmar.waitForStarted(10000));
        EXPECT_TRUE(velmar.waitForFinished(kBoundMs));
        const QByteArray output = velmar.readAll();
        EXPECT_EQ(velmar.exitStatus(), QProcess::NormalExit) << output.toStdString();
        EXPECT_EQ(velmar.exitCode(), 0) << output.toStdString();
        return output;
    }

    QStringList Rows(const QString& sql) const { return DirectDb(survey).rows(sql); }

    QTemporaryDir home;
    QString survey;
    QProcess velmar;

private:
    QByteArray m_oldHome;
};

TEST_F(ShowDataEndToEnd, ShowDataLoadsAHundredThousandFixesAndTheCommentsOfTheWindow)
{
    {
        DirectDb db(survey);
        ASSERT_TRUE(db.exec(
            QStringLiteral(
                "BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                "INSERT INTO \"GpsData\" (\"PCTime\", \"Latitude\", \"Longitude\", \"GPSTime\", \"Heading\", "
                "\"HeadingType\", \"Speed\", \"SpeedType\", \"GPSError\", \"DataStatus\") "
                "SELECT datetime('2026-03-01 00:00:00', '+' || i || ' seconds'), 56.0 + i * 0.00001, -6.0, 0, 90.0, "
                "'T', 10.0, 'N', 0, 'A' FROM n; COMMIT;")
                .arg(kFixes)));
        // One comment in two pieces, and one outside the shown window.
        ASSERT_TRUE(db.exec(QStringLiteral(
            "INSERT INTO \"Comments\" (\"PCTime\", \"GpsIndex\", \"GPSTime\", \"Comment\", \"Recording\") VALUES "
            "('2026-03-01 00:10:00', 600, '2026-03-01 00:10:00', 'first piece', 'Rec1'), "
            "('2026-03-01 00:10:00', 600, '2026-03-01 00:10:00', 'second piece', ''), "
            "('2026-03-05 00:00:00', 200000, '2026-03-05 00:00:00', 'elsewhere', '')")));
    }
    WriteSettings(At(2026, 3, 1), At(2026, 3, 2, 12));

    const QByteArray output = Run({QStringLiteral("-s")},
                                  velmar::shell::test::ScriptedVelmarEnvironment(home.path(), 1000));
    EXPECT_TRUE(output.contains(QByteArray("shown data: GPS fixes loaded: ") + QByteArray::number(kFixes)))
        << output.toStdString();
    EXPECT_TRUE(output.contains("comments listed: 2")) << output.toStdString();
}

TEST_F(ShowDataEndToEnd, AStoredEndThatIsNoDateLoadsNothingAndSaysSo)
{
    // 29 February of a common year: the Show Times page refuses it.
    WriteSettings(At(2026, 3, 1), At(2026, 2, 29, 12));
    const QByteArray output = Run({QStringLiteral("-s")},
                                  velmar::shell::test::ScriptedVelmarEnvironment(home.path(), 500));
    EXPECT_TRUE(output.contains("Stop Time format must be YYYY-MM-DD HH:MM:SS")) << output.toStdString();
    EXPECT_FALSE(output.contains("shown data: GPS fixes loaded")) << output.toStdString();
}

TEST_F(ShowDataEndToEnd, ACommentTypedInTheCommentsTabIsStoredInPieces)
{
    WriteSettings(At(2026, 3, 1), At(2026, 3, 2));
    QProcessEnvironment env = velmar::shell::test::ScriptedVelmarEnvironment(home.path(), 1000);
    const QString typed = QStringLiteral("Three dolphins bow riding");
    env.insert(QStringLiteral("VELMAR_TYPE_COMMENT"), typed);
    const QByteArray output = Run({}, env);
    // One row per line as the edit showed them (the window's width decides
    // the wrapping), all with the comment's time.
    const QStringList rows = Rows(QStringLiteral("SELECT \"Comment\" FROM \"Comments\" ORDER BY \"Index\""));
    ASSERT_FALSE(rows.isEmpty()) << output.toStdString();
    EXPECT_EQ(rows.join(QString()), typed);
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(DISTINCT \"PCTime\"), MIN(length(\"PCTime\")), "
                                  "COUNT(*) - COUNT(NULLIF(\"Recording\", '')) FROM \"Comments\"")),
              QStringList{QStringLiteral("1|19|%1").arg(rows.size())});
}

TEST_F(ShowDataEndToEnd, RowsStoredWithoutAGpsReferenceAreGivenOneWhenTheSurveyIsShown)
{
    {
        DirectDb db(survey);
        ASSERT_TRUE(db.exec(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100) "
                           "INSERT INTO \"GpsData\" (\"PCTime\", \"Speed\", \"DataStatus\") "
                           "SELECT datetime('2026-03-01 00:00:00', '+' || (i * 60) || ' seconds'), 10.0, 'A' FROM n")));
        // Comments typed while nothing was read from the GPS.
        ASSERT_TRUE(db.exec(
            QStringLiteral("INSERT INTO \"Comments\" (\"PCTime\", \"GpsIndex\", \"GPSTime\", \"Comment\") VALUES "
                           "('2026-03-01 00:30:30', 0, '1900-01-01 00:00:00', 'half past'), "
                           "('2026-03-01 00:00:10', 0, '1900-01-01 00:00:00', 'before the track')")));
    }
    WriteSettings(At(2026, 3, 1), At(2026, 3, 2));
    const QByteArray output = Run({QStringLiteral("-s")},
                                  velmar::shell::test::ScriptedVelmarEnvironment(home.path(), 500));
    EXPECT_TRUE(output.contains("2 Rows of table Comments do not contain a valid Gps cross reference"))
        << output.toStdString();
    EXPECT_EQ(
        Rows(QStringLiteral("SELECT \"Comment\", \"GpsIndex\", \"GPSTime\" FROM \"Comments\" ORDER BY \"PCTime\"")),
        (QStringList{"before the track|-1|1900-01-01 00:00:00", "half past|30|2026-03-01 00:30:00"}));
    // Filled before the load: the comment on the track is listed.
    EXPECT_TRUE(output.contains("comments listed: 1")) << output.toStdString();
}

TEST_F(ShowDataEndToEnd, AFirstStartWithNoStoredTimesShowsTheWholeTrack)
{
    {
        DirectDb db(survey);
        ASSERT_TRUE(db.exec(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 500) "
            "INSERT INTO \"GpsData\" (\"PCTime\", \"Speed\", \"DataStatus\") "
            "SELECT datetime('2026-03-01 00:00:00', '+' || (i * 600) || ' seconds'), 10.0, 'A' FROM n")));
    }
    WriteSettings({}, {});
    const QByteArray output = Run({QStringLiteral("-s")},
                                  velmar::shell::test::ScriptedVelmarEnvironment(home.path(), 500));
    EXPECT_FALSE(output.contains("Time format must be")) << output.toStdString();
    // The first and the last fix are inside the window offered.
    EXPECT_TRUE(output.contains("shown data: GPS fixes loaded: 500")) << output.toStdString();
}

TEST_F(ShowDataEndToEnd, UpdateGpsCrossReferencesShowsEachTableAndHowManyRowsItFilled)
{
    {
        DirectDb db(survey);
        ASSERT_TRUE(db.exec(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100) "
                           "INSERT INTO \"GpsData\" (\"PCTime\", \"Speed\", \"DataStatus\") "
                           "SELECT datetime('2026-03-01 00:00:00', '+' || (i * 60) || ' seconds'), 10.0, 'A' FROM n")));
        // Two time columns: an unattended copy cannot choose the event time,
        // so these rows stay without a reference.
        ASSERT_TRUE(db.exec(QStringLiteral("ALTER TABLE \"Comments\" ADD COLUMN \"Noted\" TIMESTAMP")));
        ASSERT_TRUE(db.exec(QStringLiteral("INSERT INTO \"Comments\" (\"PCTime\", \"GpsIndex\", \"Comment\") VALUES "
                                           "('2026-03-01 00:30:30', 0, 'one'), ('2026-03-01 00:40:30', NULL, 'two')")));
    }
    WriteSettings(At(2026, 3, 1), At(2026, 3, 2));
    const QString messages = QDir(home.path()).filePath(QStringLiteral("messages.log"));
    QProcessEnvironment env = velmar::shell::test::ScriptedVelmarEnvironment(home.path(), 1500);
    env.insert(QStringLiteral("VELMAR_RUN_COMMANDS"), QStringLiteral("30017"));
    env.insert(QStringLiteral("VELMAR_MESSAGE_LOG"), messages);
    const QByteArray output = Run({QStringLiteral("-s")}, env);
    EXPECT_TRUE(output.contains("checking GPS cross references of Hydrophone")) << output.toStdString();
    EXPECT_TRUE(output.contains("checking GPS cross references of CameraGrabs")) << output.toStdString();
    QFile log(messages);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly)) << output.toStdString();
    EXPECT_TRUE(log.readAll().contains("Update GPS Cross References : 0 of 2 rows without a GPS cross reference were "
                                       "given one. 2 rows still have none."))
        << output.toStdString();
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM \"Comments\" WHERE \"GpsIndex\" > 0")), QStringList{"0"});
}

} // namespace
