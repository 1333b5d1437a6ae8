// The real Velmar, offscreen, online: File > New Database Object makes a
// button panel and then a user form while the program runs. Each gets its
// tab at once, made current, and the operator is told so; both definition
// tables are in the survey.
#include "store/FixedSchema.h"
#include "tests/shell/EndToEndSurvey.h"
#include "tests/store/StoreTestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using velmar::shell::test::OpenBlankSurvey;
using velmar::shell::test::StartScriptedVelmar;
using velmar::store::test::DirectDb;

constexpr int kBoundMs = 60000;

TEST(NewDatabaseObjectEndToEnd, ANewPanelAndANewFormGetTheirTabsAtOnce)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString survey = QDir(home.path()).filePath(QStringLiteral("data/Survey.sqlite"));
    OpenBlankSurvey(survey);
    if (testing::Test::HasFatalFailure())
        return;
    velmar::store::CloseDB();

    QProcess velmar;
    const QString commands =
        QStringLiteral("%1,%2").arg(velmar::store::kCmdNewButtonFormTable).arg(velmar::store::kCmdNewUserFormTable);
    StartScriptedVelmar(velmar, home.path(),
                        {{QStringLiteral("VELMAR_RUN_COMMANDS"), commands},
                         {QStringLiteral("VELMAR_NEW_TABLE_NAME"), QStringLiteral("Watch,Sightings")}});
    if (testing::Test::HasFatalFailure())
        return;
    QByteArray output;
    (void)velmar::shell::test::ReadOutputUntil(velmar, "commands done", output, kBoundMs);
    velmar.terminate();
    ASSERT_TRUE(velmar.waitForFinished(kBoundMs));
    output += velmar.readAll();
    const std::string log = output.toStdString();

    // Each command: the operator's message and the new tab, current.
    const qsizetype panelTab = output.indexOf("tab Watch selected");
    ASSERT_GE(panelTab, 0) << log;
    EXPECT_GT(output.indexOf("tab Sightings selected"), panelTab) << log;
    for (const char* told : {"\"Watch\" has been added to the database: its tab is open",
                             "\"Sightings\" has been added to the database: its tab is open"})
        EXPECT_TRUE(output.contains(told)) << told << "\n" << log;

    DirectDb db(survey);
    ASSERT_TRUE(db.ok());
    EXPECT_EQ(db.rows(QStringLiteral("SELECT name FROM sqlite_master WHERE name IN ('UDB_Watch', 'UDF_Sightings') "
                                     "ORDER BY name")),
              (QStringList{QStringLiteral("UDB_Watch"), QStringLiteral("UDF_Sightings")}))
        << log;
}

} // namespace
