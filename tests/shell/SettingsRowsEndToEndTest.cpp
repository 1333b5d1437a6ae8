// The real Velmar on a survey whose settings rows were typed by hand: a
// boolean that is neither "true" nor "false" reads as false, and the
// program's log says so once for that row.
#include "tests/shell/EndToEndSurvey.h"
#include "tests/shell/ScriptedVelmar.h"
#include "tests/store/StoreTestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using velmar::shell::test::ExecSql;
using velmar::shell::test::OpenBlankSurvey;
using velmar::shell::test::StartScriptedVelmar;

TEST(SettingsRowsEndToEnd, ABooleanTypedAsOneIsReadAsFalseAndLoggedOnce)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString survey = QDir(home.path()).filePath(QStringLiteral("data/Survey.sqlite"));
    OpenBlankSurvey(survey);
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    ASSERT_TRUE(ExecSql(QStringLiteral("INSERT INTO \"UDC_Settings\" (\"Section\", \"Identifier\", \"Data\") VALUES "
                                       "('PLOT', 'PlotTrack', '1'), ('PLOT', 'PlotGrid', 'TRUE')")));
    velmar::store::CloseDB();

    QProcess velmar;
    StartScriptedVelmar(velmar, home.path(), {{QStringLiteral("VELMAR_QUIT_AFTER_MS"), QStringLiteral("2000")}});
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    ASSERT_TRUE(velmar.waitForFinished(60000));
    const QString output = QString::fromUtf8(velmar.readAll());
    EXPECT_EQ(velmar.exitCode(), 0) << output.toStdString();

    const QString said = QStringLiteral("settings row PLOT/PlotTrack holds \"1\", which is neither \"true\" nor "
                                        "\"false\": it is read as false");
    EXPECT_EQ(output.count(said), 1) << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("PlotGrid"))) << output.toStdString();
    // What the program read it as is what it keeps: written back as text.
    velmar::store::test::DirectDb db(survey);
    EXPECT_EQ(db.rows(QStringLiteral("SELECT \"Identifier\", \"Data\" FROM \"UDC_Settings\" WHERE \"Section\" = 'PLOT' "
                                     "AND \"Identifier\" IN ('PlotTrack', 'PlotGrid') ORDER BY \"Index\"")),
              (QStringList{QStringLiteral("PlotTrack|false"), QStringLiteral("PlotGrid|true")}));
}

} // namespace
