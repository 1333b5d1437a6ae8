// The cross-reference dialog on a seeded survey: the event-time column it
// offers, a fill stepped by hand (the timer's work) with Stop after the first
// transaction and Ok again for the rest, and the check over the fixed tables.
#include "gpsref/NoGpsRefDlg.h"

#include "platform/RunMode.h"
#include "store/DbConnection.h"
#include "store/FixedSchema.h"

#include "tests/store/StoreTestSupport.h"
#include "tests/support/ScriptedDialogs.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace velmar;
using namespace velmar::nav;
using namespace velmar::gpsref;

namespace {

class NoGpsRefDlgTest : public store::test::OpenDbTest {
protected:
    void SetUp() override
    {
        OpenDbTest::SetUp();
        ASSERT_TRUE(exec(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100) "
                           "INSERT INTO \"GpsData\" (\"PCTime\", \"Speed\", \"DataStatus\") "
                           "SELECT datetime('2026-03-01 00:00:00', '+' || (i * 60) || ' seconds'), 10, 'A' FROM n")));
        ASSERT_TRUE(exec(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 600) "
            "INSERT INTO \"Comments\" (\"PCTime\", \"GpsIndex\", \"Comment\") "
            "SELECT datetime('2026-03-01 00:00:00', '+' || (i * 10) || ' seconds'), 0, 'c' || i FROM n")));
        ui.showStop = [this](QWidget*, const QString& text, const QString& caption) {
            messages << caption + ": " + text;
        };
    }
    int Remaining() { return CountRowsWithoutGpsReference(QStringLiteral("Comments")); }
    void RunFill(NoGpsRefDlg& dialog, int maxSteps)
    {
        for (int i = 0; i < maxSteps && dialog.Running(); ++i)
            dialog.FillStep();
    }

    GpsReferenceUi ui;
    QStringList messages;
};

TEST_F(NoGpsRefDlgTest, StopLeavesTheDialogOpenAndOkFillsTheRest)
{
    NoGpsRefDlg dialog(nullptr, QStringLiteral("Comments"), Remaining(), QStringLiteral("GpsData"), ui);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("No GPS Cross References"));
    const QString text = dialog.Text()->text();
    EXPECT_EQ(text, QStringLiteral("600 Rows of table Comments do not contain a valid Gps cross reference Click Ok to "
                                   "automatically updata cross reference data ..."));
    // The one time column besides GpsTime is chosen.
    EXPECT_EQ(dialog.Columns()->currentText(), QStringLiteral("PCTime"));
    EXPECT_TRUE(dialog.OkButton()->isEnabled());

    dialog.CmOk();
    ASSERT_TRUE(dialog.Running());
    EXPECT_FALSE(dialog.Columns()->isEnabled());
    EXPECT_TRUE(dialog.StepTimer().isActive());
    dialog.FillStep();
    dialog.CmStop();
    RunFill(dialog, 5);
    EXPECT_FALSE(dialog.Running());
    EXPECT_EQ(dialog.result(), 0); // still open
    EXPECT_EQ(dialog.Text()->text(), text);
    EXPECT_EQ(Remaining(), 600 - GpsReferenceFill::RowsPerTransaction);
    EXPECT_TRUE(dialog.Columns()->isEnabled());

    dialog.CmOk();
    RunFill(dialog, 10);
    EXPECT_FALSE(dialog.Running());
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    EXPECT_EQ(dialog.Progress()->value(), 100);
    EXPECT_EQ(Remaining(), 0);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    // Every comment points at the last fix at or before it.
    store::test::DirectDb db(file);
    EXPECT_EQ(db.rows(QStringLiteral("SELECT COUNT(*) FROM \"Comments\" c JOIN \"GpsData\" g ON g.\"Index\" = "
                                     "c.\"GpsIndex\" WHERE g.\"PCTime\" <= c.\"PCTime\" AND c.\"GPSTime\" = "
                                     "g.\"PCTime\" AND c.\"PCTime\" < datetime(g.\"PCTime\", '+60 seconds')")),
              QStringList{"595"});
    EXPECT_EQ(db.rows(QStringLiteral("SELECT COUNT(*) FROM \"Comments\" WHERE \"GpsIndex\" = -1")), QStringList{"5"});
}

TEST_F(NoGpsRefDlgTest, AFailedWriteIsReportedWithWhatWasDone)
{
    ASSERT_TRUE(exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON \"Comments\" WHEN OLD.\"Comment\" = "
                                    "'c300' BEGIN SELECT RAISE(ABORT, 'disk full'); END")));
    NoGpsRefDlg dialog(nullptr, QStringLiteral("Comments"), Remaining(), QStringLiteral("GpsData"), ui);
    dialog.CmOk();
    RunFill(dialog, 10);
    EXPECT_FALSE(dialog.Running());
    EXPECT_EQ(dialog.result(), 0);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("CheckGpsIndexes: 250 of 600 rows of table Comments")))
        << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("disk full")));
    EXPECT_EQ(Remaining(), 350);
}

TEST_F(NoGpsRefDlgTest, ATableWithoutATimeColumnCannotBeFilled)
{
    ASSERT_TRUE(exec(QStringLiteral("CREATE TABLE \"Plain\" (\"Index\" INTEGER PRIMARY KEY, \"GpsIndex\" INTEGER, "
                                    "\"GpsTime\" TIMESTAMP)")));
    NoGpsRefDlg dialog(nullptr, QStringLiteral("Plain"), 1, QStringLiteral("GpsData"), ui);
    EXPECT_EQ(dialog.Columns()->count(), 0);
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
}

TEST_F(NoGpsRefDlgTest, TheMenuCheckOffersTheDialogForEachTableThatNeedsIt)
{
    QStringList shown, offered;
    ui.showTable = [&](const QString& t) { shown << t; };
    ui.runDialog = [&](QDialog& d) {
        offered << d.findChild<QLabel*>()->text().section(QLatin1Char(' '), 0, 4);
        return 0;
    };
    const GpsReferenceCheck declined = DbCheckGpsReferences(
        nullptr, {{QStringLiteral("Comments"), QStringLiteral("GpsData")}}, ui);
    EXPECT_EQ(declined.rowsFilled, 0);
    EXPECT_EQ(GpsReferenceSummary(declined).toStdString(),
              "0 of 1200 rows without a GPS cross reference were given one. 1200 rows still have none.");
    EXPECT_EQ(shown.size(), GpsReferenceTables().size() + 1);
    EXPECT_EQ(shown.first(), QStringLiteral("Hydrophone"));
    EXPECT_EQ(offered, (QStringList{"600 Rows of table Comments", "600 Rows of table Comments"}));

    // Taken: the summary counts what was written.
    ui.runDialog = [](QDialog& d) { return qobject_cast<NoGpsRefDlg*>(&d)->RunToEnd(); };
    const GpsReferenceCheck taken = DbCheckGpsReferences(nullptr, {}, ui);
    EXPECT_EQ(GpsReferenceSummary(taken).toStdString(),
              "600 of 600 rows without a GPS cross reference were given one.");
    EXPECT_EQ(GpsReferenceSummary(DbCheckGpsReferences(nullptr, {}, ui)).toStdString(),
              "Every row has a GPS cross reference: none needed filling.");
}

// Opening a survey to show it: the track gets its PCTime index once, the
// rows without a reference are looked up through it, and a survey with none
// missing is not written at all.
TEST_F(NoGpsRefDlgTest, ShowingASurveyAddsTheTimeIndexOnceAndWritesOnlyRowsThatNeedIt)
{
    ASSERT_TRUE(exec(QStringLiteral("DROP INDEX \"GpsData_PCTime\"")));
    ASSERT_TRUE(exec(QStringLiteral("UPDATE \"Comments\" SET \"GpsIndex\" = 7, \"GPSTime\" = 'kept' "
                                    "WHERE \"Comment\" <> 'c75'")));
    store::CloseDB();
    const store::test::DirectDb direct(file);
    auto indexes = [&] {
        return direct.rows(QStringLiteral("SELECT i.name FROM pragma_index_list('GpsData') AS l, "
                                          "pragma_index_info(l.name) AS i WHERE i.seqno = 0"));
    };
    ASSERT_EQ(indexes(), QStringList{});

    const quint32 mode = platform::RunMode;
    platform::RunMode = platform::RunModeShowData;
    ui.runDialog = [](QDialog& d) { return qobject_cast<NoGpsRefDlg*>(&d)->RunToEnd(); };
    store::SetGpsIndexCheck(
        [this](const QString& table) { CheckGpsIndexes(nullptr, table, QStringLiteral("GpsData"), ui); });
    auto showOnce = [&] {
        ASSERT_EQ(store::OpenDB(nullptr, file), store::kOpenDbOk);
        store::CloseDB();
    };
    showOnce();
    EXPECT_EQ(indexes(), QStringList{"PCTime"});
    // 750 s: the fix of 720 s (Index 12); the rest untouched.
    EXPECT_EQ(direct.rows(QStringLiteral("SELECT \"Comment\", \"GpsIndex\", \"GPSTime\" FROM \"Comments\" "
                                         "WHERE \"GPSTime\" <> 'kept'")),
              QStringList{"c75|12|2026-03-01 00:12:00"});
    EXPECT_EQ(direct.rows(QStringLiteral("SELECT COUNT(*) FROM \"Comments\" WHERE \"GpsIndex\" = 7")),
              QStringList{"599"});

    // Nothing missing: neither a commit nor a touch of the file.
    const QStringList version = direct.rows(QStringLiteral("PRAGMA data_version"));
    const QDateTime modified = QFileInfo(file).lastModified();
    showOnce();
    EXPECT_EQ(direct.rows(QStringLiteral("PRAGMA data_version")), version);
    EXPECT_EQ(QFileInfo(file).lastModified(), modified);
    EXPECT_EQ(indexes(), QStringList{"PCTime"});

    store::SetGpsIndexCheck({});
    platform::RunMode = mode;
    ASSERT_EQ(store::OpenDB(nullptr, file), store::kOpenDbOk);
}

// A check given no runner of its own shows its dialog through the dialog
// service, never a modal loop of its own.
TEST_F(NoGpsRefDlgTest, WithoutARunnerTheDialogServiceRunsTheDialog)
{
    velmar::test::ScriptedDialogs dialogs;
    QStringList run;
    dialogs.runDialog = [&](QDialog& d) {
        run << d.windowTitle();
        return false;
    };
    CheckGpsIndexes(nullptr, QStringLiteral("Comments"), QStringLiteral("GpsData"), ui);
    EXPECT_EQ(run, QStringList{QStringLiteral("No GPS Cross References")});
    EXPECT_EQ(Remaining(), 600);
}

} // namespace
