// The real Velmar, offscreen, on a survey with UDF_ThingsHeard: the "Things
// Heard" tab is there, a strength press (the test hook clicks the button)
// stores its ThingsHeard row, and since listening effort was off the effort
// goes to full with the note that it was set after hearing something.
#include "store/FixedSchema.h"
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
using velmar::store::test::DirectDb;

constexpr int kBoundMs = 60000;

void MakeSurvey(const QString& file)
{
    OpenBlankSurvey(file);
    if (testing::Test::HasFatalFailure())
        return;
    ASSERT_TRUE(velmar::store::DbCheckUserTable(velmar::store::GetDbConnection(), QStringLiteral("UDF_ThingsHeard"),
                                                velmar::store::kUserTableThingsHeard));
    ASSERT_TRUE(ExecSql(QStringLiteral("INSERT INTO \"UDF_ThingsHeard\" (\"Order\", \"Title\", \"Species\", \"NButtons\", "
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

    QProcessEnvironment env = velmar::shell::test::ScriptedVelmarEnvironment(home.path(), 120000);
    env.insert(QStringLiteral("VELMAR_PRESS_HEARD"), QStringLiteral("Dolphin/2"));
    env.insert(QStringLiteral("VELMAR_PROGRAM_START"), QStringLiteral("off"));
    QProcess velmar;
    velmar.setProcessEnvironment(env);
    velmar.setProcessChannelMode(QProcess::MergedChannels);
    velmar.start(velmar::shell::test::VelmarProgramPath(), {});
    ASSERT_TRUE(velmar.waitForStarted(kBoundMs));

    QByteArray output;
    (void)QTest::qWaitFor([&] {
        output += velmar.readAll();
        return output.contains("pressing Dolphin 2") || velmar.state() == QProcess::NotRunning;
    }, kBoundMs);
    // The press's row and effort change are written before the next events.
    QTest::qWait(1000);
    velmar.terminate();
    ASSERT_TRUE(velmar.waitForFinished(kBoundMs));
    output += velmar.readAll();
    EXPECT_EQ(velmar.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_TRUE(output.contains("tab Things Heard shown: true")) << output.toStdString();

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

} // namespace
