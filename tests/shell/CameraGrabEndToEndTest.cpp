// The real Velmar, offscreen, with a test camera on its grabber tab and a
// button panel whose button grabs on it: the button is the panel's default
// (pressed at start-up) and presses itself again every two seconds, so
// presses go on once the camera runs. Every press that finds the camera
// running saves a frame, and every saved frame has one CameraGrabs row
// with the frame's time, the GPS reference of the survey and the reason
// "Button CAM"; no row names a file that is not there.
#include "settings/ProgramSettings.h"
#include "store/FixedSchema.h"
#include "tests/shell/EndToEndSurvey.h"
#include "tests/store/StoreTestSupport.h"

#include <QDir>
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
// button, and camera 0 of grabber form 0 saving single JPEG frames in `out`.
void MakeSurvey(const QString& file, const QString& out)
{
    OpenBlankSurvey(file);
    if (testing::Test::HasFatalFailure())
        return;
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(ExecSql(QStringLiteral("INSERT INTO \"GpsData\" (\"PCTime\") VALUES ('2010-12-03 08:14:0%1')").arg(i)));
    ASSERT_TRUE(velmar::store::DbCheckUserTable(velmar::store::GetDbConnection(), QStringLiteral("UDB_Cams"),
                                                velmar::store::kUserTableButtonForm));
    ASSERT_TRUE(ExecSql(QStringLiteral(
        "INSERT INTO \"UDB_Cams\" (\"Order\", \"Type\", \"Name\", \"Code\", \"Kelvor\", \"AutoNextButton\", "
        "\"AutoNextTime\", \"Default\") VALUES (1, 'BUTTON', 'Photo', 'CAM', 0, 1, 2, 1)")));
    for (const auto& [key, value] : {std::pair{"outputDirectory", out}, std::pair{"grabSingle", QStringLiteral("true")}})
        ASSERT_TRUE(ExecSql(QStringLiteral("INSERT INTO \"UDC_Settings\" (\"Section\", \"Identifier\", \"Data\") "
                                           "VALUES ('Camera Grab Unit 0_0', '%1', '%2')")
                                .arg(QLatin1String(key), value)));
    velmar::store::CloseDB();
}

TEST(CameraGrabEndToEnd, ButtonPressSavesFramesLoggedWithTheirReference)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString survey = QDir(home.path()).filePath(QStringLiteral("data/Survey.sqlite"));
    const QString out = QDir(home.path()).filePath(QStringLiteral("frames"));
    MakeSurvey(survey, out);
    if (testing::Test::HasFatalFailure())
        return;
    qputenv("VELMAR_HOME", home.path().toLocal8Bit());
    velmar::store::ProgramSettings& settings = velmar::store::TheProgramSettings;
    settings = velmar::store::ProgramSettings();
    settings.FirstRunPending = false;
    settings.DatabasePath.setText(survey);
    settings.NGrabbers = 1;
    ASSERT_TRUE(velmar::store::WriteProgramSettings());

    QProcess velmar;
    StartScriptedVelmar(velmar, home.path(), {{QStringLiteral("VELMAR_TEST_CAMERAS"), QStringLiteral("1")}});
    if (testing::Test::HasFatalFailure())
        return;
    const auto frames = [&] { return QDir(out).entryList({QStringLiteral("*.jpg")}, QDir::Files); };
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frames().isEmpty() || velmar.state() == QProcess::NotRunning; },
                                kBoundMs));
    velmar.terminate();
    ASSERT_TRUE(velmar.waitForFinished(kBoundMs));
    const std::string output = velmar.readAll().toStdString();
    const QStringList saved = frames();
    ASSERT_FALSE(saved.isEmpty()) << output;

    DirectDb db(survey);
    ASSERT_TRUE(db.ok());
    const QStringList references =
        db.rows(QStringLiteral("SELECT DISTINCT \"GpsIndex\", \"GPSTime\" FROM \"Cams\""));
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

} // namespace
