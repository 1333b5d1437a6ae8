// The real Velmar, offscreen, on a survey with UDF_ThingsHeard: the "Things
// Heard" tab is there, a strength press (the test hook clicks the button)
// stores its ThingsHeard row, and since listening effort was off the effort
// goes to full with the note that it was set after hearing something, which
// the form's Listening group shows. With
// the detector display on, the "Whistles" tab counts a whistle the detector
// pokes.
#include "platform/Dde.h"
#include "settings/ProgramSettings.h"
#include "store/FixedSchema.h"
#include "tests/nav/KnownRecords.h"
#include "tests/shell/EndToEndSurvey.h"
#include "tests/shell/ScriptedVelmar.h"
#include "tests/store/StoreTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using velmar::shell::test::ExecSql;
using velmar::shell::test::OpenBlankSurvey;
using velmar::shell::test::StartScriptedVelmar;
using velmar::store::test::DirectDb;

constexpr int kBoundMs = 60000;

void MakeSurvey(const QString& file)
{
    OpenBlankSurvey(file);
    if (testing::Test::HasFatalFailure())
        return;
    ASSERT_TRUE(velmar::store::DbCheckUserTable(velmar::store::GetDbConnection(), QStringLiteral("UDF_ThingsHeard"),
                                                velmar::store::kUserTableThingsHeard));
    ASSERT_TRUE(
        ExecSql(QStringLiteral("INSERT INTO \"UDF_ThingsHeard\" (\"Order\", \"Title\", \"Species\", \"NButtons\", "
                               "\"Colour\") VALUES (1, 'Sperm clicks', 'Sperm Whale', 0, 'Red'), "
                               "(2, 'Dolphin whistles', 'Dolphin', 3, 'Blue')")));
    velmar::store::CloseDB();
}

TEST(HeardEndToEnd, TabShownAndAPressStoresItsRow)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString survey = QDir(home.path()).filePath(QStringLiteral("data/Survey.sqlite"));
    MakeSurvey(survey);
    if (testing::Test::HasFatalFailure())
        return;

    QProcess velmar;
    StartScriptedVelmar(velmar, home.path(), {{QStringLiteral("VELMAR_PRESS_HEARD"), QStringLiteral("Dolphin/2")}});
    if (testing::Test::HasFatalFailure())
        return;

    QByteArray output;
    (void)velmar::shell::test::ReadOutputUntil(velmar, "pressing Dolphin 2", output, kBoundMs);
    // The press's row and effort change are stored before Velmar is closed;
    // a reader beside it sees them once they are durable.
    (void)QTest::qWaitFor(
        [&] {
            DirectDb seen(survey);
            return seen.ok()
                && seen.rows(QStringLiteral("SELECT count(*) FROM \"ThingsHeard\"")) == QStringList{QStringLiteral("1")}
                && seen.rows(QStringLiteral("SELECT count(*) FROM \"ListeningEffort\""))
                       == QStringList{QStringLiteral("1")};
        },
        kBoundMs);
    velmar.terminate();
    ASSERT_TRUE(velmar.waitForFinished(kBoundMs));
    output += velmar.readAll();
    EXPECT_EQ(velmar.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_TRUE(output.contains("Things Heard shown: true")) << output.toStdString();
    // The effort set to full shows on the form's Listening group at once.
    EXPECT_TRUE(output.contains("listening status: Running")) << output.toStdString();

    DirectDb db(survey);
    ASSERT_TRUE(db.ok());
    EXPECT_EQ(db.rows(QStringLiteral("SELECT \"GpsIndex\", \"GPSTime\", \"Species\", \"Strength\", length(\"PCTime\") "
                                     "FROM \"ThingsHeard\"")),
              QStringList{QStringLiteral("0|1900-01-01 00:00:00|Dolphin|2|19")})
        << output.toStdString();
    EXPECT_EQ(db.rows(QStringLiteral("SELECT \"Status\", \"Comment\" FROM \"ListeningEffort\"")),
              QStringList{QStringLiteral("Start|Effort set AFTER hearing something")})
        << output.toStdString();
}

TEST(HeardEndToEnd, WhistlesTabCountsAPokedWhistle)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString survey = QDir(home.path()).filePath(QStringLiteral("data/Survey.sqlite"));
    OpenBlankSurvey(survey);
    if (testing::Test::HasFatalFailure())
        return;
    ASSERT_TRUE(ExecSql(QStringLiteral("INSERT INTO \"UDC_Settings\" (\"Section\", \"Identifier\", \"Data\") "
                                       "VALUES ('Display', 'DetectorsPosition', '2')")));
    velmar::store::CloseDB();
    // The detector display is taken from the settings block before the
    // survey's rows are read.
    qputenv("VELMAR_HOME", home.path().toLocal8Bit());
    velmar::store::ProgramSettings& settings = velmar::store::TheProgramSettings;
    settings = velmar::store::ProgramSettings();
    settings.FirstRunPending = false;
    settings.DatabasePath.setText(survey);
    settings.DetectorsPosition = 2;
    ASSERT_TRUE(velmar::store::WriteProgramSettings());

    QProcess velmar;
    StartScriptedVelmar(velmar, home.path(), {{QStringLiteral("VELMAR_SHOW_TAB"), QStringLiteral("Whistles")}});
    if (testing::Test::HasFatalFailure())
        return;

    QByteArray output;
    const auto seen = [&](const char* text) {
        return QTest::qWaitFor(
                   [&] {
                       output += velmar.readAll();
                       return output.contains(text) || velmar.state() == QProcess::NotRunning;
                   },
                   kBoundMs)
            && output.contains(text);
    };
    EXPECT_TRUE(seen("tab Whistles selected")) << output.toStdString();
    EXPECT_TRUE(seen("whistle counts: whistles 0 (-)")) << output.toStdString();
    velmar::platform::DdeClient dde(QStringLiteral("Velmar2000"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return dde.serverPresent(); }, kBoundMs));
    EXPECT_TRUE(dde.poke(QStringLiteral("EventsService"), QLatin1String(velmar::nav::NewWhistlesRecord::ItemName),
                         knownrecords::whistle().encode(), kBoundMs));
    // Counted at the next refresh of the read-out, within its two seconds.
    EXPECT_TRUE(seen("whistle counts: whistles 1 (09:26:01)")) << output.toStdString();
    velmar.terminate();
    ASSERT_TRUE(velmar.waitForFinished(kBoundMs));
}

} // namespace
