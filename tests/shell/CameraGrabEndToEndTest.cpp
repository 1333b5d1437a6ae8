// The real Velmar, offscreen, with a test camera on its grabber tab and a
// button panel whose button grabs on it: the button is the panel's default
// (pressed at start-up) and presses itself again every two seconds, so
// presses go on once the camera runs. Every press that finds the camera
// running saves a frame, and every saved frame has one CameraGrabs row
// with the frame's time, the GPS reference of the survey and the reason
// "Button CAM"; no row names a file that is not there. In AVI mode each
// press opens a clip with the second before it, and each completed clip is
// one row naming an AVI file that GStreamer reads back.
#include "settings/ProgramSettings.h"
#include "store/FixedSchema.h"
#include "tests/shell/EndToEndSurvey.h"
#include "tests/store/StoreTestSupport.h"
#include "video/Ombrix.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using velmar::shell::test::ExecSql;
using velmar::shell::test::OpenBlankSurvey;
using velmar::shell::test::StartScriptedVelmar;
using velmar::store::test::DirectDb;

constexpr int kBoundMs = 60000;

// The survey: three stored GPS fixes, a panel "Cams" with the grabbing
// button pressing itself every `pressSeconds`, and camera 0 of grabber form
// 0 with the settings `camera`.
void MakeSurvey(const QString& file, const QList<std::pair<QString, QString>>& camera, int pressSeconds)
{
    OpenBlankSurvey(file);
    if (testing::Test::HasFatalFailure())
        return;
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(
            ExecSql(QStringLiteral("INSERT INTO \"GpsData\" (\"PCTime\") VALUES ('2010-12-03 08:14:0%1')").arg(i)));
    ASSERT_TRUE(velmar::store::DbCheckUserTable(velmar::store::GetDbConnection(), QStringLiteral("UDB_Cams"),
                                                velmar::store::kUserTableButtonForm));
    ASSERT_TRUE(ExecSql(
        QStringLiteral(
            "INSERT INTO \"UDB_Cams\" (\"Order\", \"Type\", \"Name\", \"Code\", \"Kelvor\", \"AutoNextButton\", "
            "\"AutoNextTime\", \"Default\") VALUES (1, 'BUTTON', 'Photo', 'CAM', 0, 1, %1, 1)")
            .arg(pressSeconds)));
    for (const auto& [key, value] : camera)
        ASSERT_TRUE(ExecSql(QStringLiteral("INSERT INTO \"UDC_Settings\" (\"Section\", \"Identifier\", \"Data\") "
                                           "VALUES ('Camera Grab Unit 0_0', '%1', '%2')")
                                .arg(key, value)));
    velmar::store::CloseDB();
}

// Velmar's settings for the survey, with one grabber tab.
void WriteSettings(const QString& home, const QString& survey)
{
    qputenv("VELMAR_HOME", home.toLocal8Bit());
    velmar::store::ProgramSettings& settings = velmar::store::TheProgramSettings;
    settings = velmar::store::ProgramSettings();
    settings.FirstRunPending = false;
    settings.DatabasePath.setText(survey);
    settings.NGrabbers = 1;
    ASSERT_TRUE(velmar::store::WriteProgramSettings());
}

// Velmar with a test camera on the survey until `done` or its end; its output.
std::string RunVelmar(const QString& home, const QString& survey, const QList<std::pair<QString, QString>>& camera,
                      int pressSeconds, const std::function<bool()>& done)
{
    MakeSurvey(survey, camera, pressSeconds);
    if (testing::Test::HasFatalFailure())
        return {};
    WriteSettings(home, survey);
    if (testing::Test::HasFatalFailure())
        return {};
    QProcess velmar;
    StartScriptedVelmar(velmar, home, {{QStringLiteral("VELMAR_TEST_CAMERAS"), QStringLiteral("1")}});
    if (testing::Test::HasFatalFailure())
        return {};
    EXPECT_TRUE(QTest::qWaitFor([&] { return done() || velmar.state() == QProcess::NotRunning; }, kBoundMs));
    velmar.terminate();
    EXPECT_TRUE(velmar.waitForFinished(kBoundMs));
    return velmar.readAll().toStdString();
}

TEST(CameraGrabEndToEnd, ButtonPressSavesFramesLoggedWithTheirReference)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString survey = QDir(home.path()).filePath(QStringLiteral("data/Survey.sqlite"));
    const QString out = QDir(home.path()).filePath(QStringLiteral("frames"));
    const auto frames = [&] { return QDir(out).entryList({QStringLiteral("*.jpg")}, QDir::Files); };
    const std::string output = RunVelmar(home.path(), survey, {{"outputDirectory", out}, {"grabSingle", "true"}}, 2,
                                         [&] { return !frames().isEmpty(); });
    if (testing::Test::HasFatalFailure())
        return;
    const QStringList saved = frames();
    ASSERT_FALSE(saved.isEmpty()) << output;

    DirectDb db(survey);
    ASSERT_TRUE(db.ok());
    const QStringList references = db.rows(QStringLiteral("SELECT DISTINCT \"GpsIndex\", \"GPSTime\" FROM \"Cams\""));
    const QStringList rows = db.rows(QStringLiteral(
        "SELECT \"FileName\", \"GpsIndex\", \"GPSTime\", length(\"DateTime\"), \"GrabberForm\", \"CameraNumber\", "
        "\"Message\" FROM \"CameraGrabs\""));
    QSet<QString> logged;
    for (const QString& row : rows) {
        const QStringList cells = row.split(QLatin1Char('|'));
        ASSERT_EQ(cells.size(), 7) << row.toStdString();
        logged.insert(cells[0]);
        EXPECT_EQ(cells[1], QStringLiteral("3")) << row.toStdString();
        EXPECT_TRUE(references.contains(cells[1] + QLatin1Char('|') + cells[2]))
            << row.toStdString() << " not among " << references.join(' ').toStdString();
        EXPECT_EQ(cells.mid(3).join(QLatin1Char('|')), QStringLiteral("19|0|0|Button CAM")) << row.toStdString();
    }
    EXPECT_EQ(logged, QSet<QString>(saved.begin(), saved.end())) << output;
    EXPECT_EQ(rows.size(), logged.size()) << "a frame logged twice";
}

TEST(CameraGrabEndToEnd, AviModeLogsOneRowPerCompletedClip)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString survey = QDir(home.path()).filePath(QStringLiteral("data/Survey.sqlite"));
    const QString out = QDir(home.path()).filePath(QStringLiteral("clips"));
    // Each press keeps the second before it and records two more after it;
    // presses come every 4 s, so every clip ends before the next press.
    const auto clips = [&] { return QDir(out).entryList({QStringLiteral("*.avi")}, QDir::Files); };
    QElapsedTimer sinceLook;
    const std::string output = RunVelmar(
        home.path(), survey,
        {{"outputDirectory", out}, {"outputFormat", "2"}, {"grabPreSeconds", "1"}, {"grabPostSeconds", "1"}}, 4, [&] {
            // Three clips, and every one before the last logged: a loaded
            // machine can take a while to close a clip.
            if (clips().size() < 3 || (sinceLook.isValid() && sinceLook.elapsed() < 500))
                return false;
            sinceLook.start();
            DirectDb db(survey);
            return db.ok()
                && db.rows(QStringLiteral("SELECT \"FileName\" FROM \"CameraGrabs\"")).size() >= clips().size() - 1;
        });
    if (testing::Test::HasFatalFailure())
        return;
    const QStringList saved = clips();
    ASSERT_GE(saved.size(), 3) << output;

    DirectDb db(survey);
    ASSERT_TRUE(db.ok());
    const QStringList rows = db.rows(QStringLiteral("SELECT \"FileName\", \"GpsIndex\", length(\"DateTime\"), "
                                                    "\"Width\", \"Height\", \"Message\" FROM \"CameraGrabs\""));
    ASSERT_GE(rows.size(), 1) << output;
    QSet<QString> logged;
    int whole = 0;
    for (const QString& row : rows) {
        const QStringList cells = row.split(QLatin1Char('|'));
        ASSERT_EQ(cells.size(), 6) << row.toStdString();
        logged.insert(cells[0]);
        EXPECT_TRUE(cells[0].startsWith(QStringLiteral("Cam_0_")) && cells[0].endsWith(QStringLiteral(".avi")))
            << row.toStdString();
        EXPECT_EQ(cells.mid(1).join(QLatin1Char('|')), QStringLiteral("3|19|320|240|Button CAM")) << row.toStdString();
        qint64 duration = 0, frames = 0;
        EXPECT_TRUE(velmar::video::TOmbrix::AVIDuration(QDir(out).filePath(cells[0]), duration, frames) && frames > 0)
            << cells[0].toStdString();
        // A clip holds the pre seconds and ends pre + post seconds after
        // its trigger, unless the camera was set up again while it ran (as
        // at start-up), which closes it early.
        EXPECT_LE(double(duration) / 1e7, 3.5) << cells[0].toStdString();
        whole += std::abs(double(duration) / 1e7 - 3.0) < 0.5;
    }
    EXPECT_GE(whole, 1) << "no whole clip";
    EXPECT_EQ(rows.size(), logged.size()) << "a clip logged twice";
    for (const QString& name : logged)
        EXPECT_TRUE(saved.contains(name)) << name.toStdString() << " logged but not written";
    // Only the clip that the end of the program cut short is not logged.
    EXPECT_LE(saved.size() - logged.size(), 1) << saved.join(' ').toStdString();
}

} // namespace
