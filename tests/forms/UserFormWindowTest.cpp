// The user-form window offscreen, on the sample survey: typing a record and
// storing it with its program time and GPS reference, a required field left
// empty, the counter, a pop-up form that stores and closes, F1 on an
// injected clock, a failed insert that keeps the values, stores on the form's
// timer, hot-key and panel fills, browsing and exporting the shown rows, the
// font and colour menu, and a picture of the laid-out form.
#include "FormsTestSupport.h"
#include "tests/support/CutTexts.h"
#include "tests/support/ScriptedDialogs.h"

#include "forms/UserControlChecks.h"
#include "forms/UserPlotThing.h"
#include "forms/ui/TUserForm.h"
#include "shell/TUserFormHooks.h"
#include "shell/UserFormService.h"
#include "forms/ui/UserFormWindowPort.h"
#include "nav/GpsFixList.h"
#include "shell/MainCommands.h"
#include "shell/MainWindowPorts.h"
#include "settings/ProgramSettings.h"
#include "store/RecordWriters.h"
#include "store/DbConnection.h"
#include "store/SqlText.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <tuple>

namespace velmar::forms::test {
namespace {

platform::SystemTime fixedTime()
{
    platform::SystemTime t;
    t.wYear = 2026;
    t.wMonth = 6;
    t.wDay = 1;
    t.wHour = 10;
    t.wMinute = 15;
    t.wSecond = 30;
    return t;
}

// The export file dialog answered with file; proposed, when given, takes
// the name the dialog offered.
std::function<bool(QDialog&)> saveAs(const QString& file, QString* proposed = nullptr)
{
    return [file, proposed](QDialog& dialog) {
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        if (files == nullptr)
            return false;
        if (proposed)
            *proposed = QFileInfo(files->selectedFiles().value(0)).fileName();
        files->selectFile(file);
        return true;
    };
}

class UserFormWindowTest : public FormsTest {
protected:
    void SetUp() override
    {
        FormsTest::SetUp();
        setUserFormClock(fixedTime);
        store::SetLastGpsReference(2, QStringLiteral("2026-06-01 10:01:00"));
        saved = store::TheProgramSettings;
        store::TheProgramSettings.FormErrorChecking = 2;
        store::TheProgramSettings.FormErrorWarnings = 2;
    }
    void TearDown() override
    {
        setUserFormClock({});
        store::TheProgramSettings = saved;
        FormsTest::TearDown();
    }
    std::unique_ptr<TUserForm> openSightings()
    {
        info = std::make_unique<TUserFormInfo>(QStringLiteral("UDF_Sightings"), 0);
        auto window = std::make_unique<TUserForm>(nullptr, info.get());
        window->SetupWindow();
        window->show();
        QApplication::processEvents();
        return window;
    }
    static QLineEdit* edit(TUserForm& w, const char* title, bool second = false)
    {
        UserControl* c = w.FindControl(QString::fromLatin1(title));
        return c ? qobject_cast<QLineEdit*>(second ? c->SecondControl() : c->ValueControl()) : nullptr;
    }
    QStringList rows(const QString& columns, const QString& table = QStringLiteral("Sightings"))
    {
        return store::test::DirectDb(dbFile).rows(
            QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY \"Index\"").arg(columns, table));
    }

    store::ProgramSettings saved;
    std::unique_ptr<TUserFormInfo> info;
};

TEST_F(UserFormWindowTest, TypedRecordIsStoredWithProgramTimeAndGpsReference)
{
    auto w = openSightings();
    ASSERT_NE(edit(*w, "Time"), nullptr);
    QTest::keyClick(edit(*w, "Time"), Qt::Key_F1);
    EXPECT_EQ(edit(*w, "Time")->text(), QStringLiteral("2026-06-01"));
    EXPECT_EQ(edit(*w, "Time", true)->text(), QStringLiteral("10:15:30"));

    QTest::keyClicks(edit(*w, "Species"), QStringLiteral("bnd"));
    QTest::keyClicks(edit(*w, "Count"), QStringLiteral("1x2")); // the letter is refused as typed
    QTest::keyClicks(edit(*w, "Bearing"), QStringLiteral("-12.5"));
    QTest::keyClicks(edit(*w, "Comment"), QStringLiteral("two adults; one calf"));
    qobject_cast<QCheckBox*>(w->FindControl(QStringLiteral("Calves"))->ValueControl())->click();
    EXPECT_TRUE(w->Edited());
    EXPECT_EQ(edit(*w, "Sighting No")->text(), QStringLiteral("5")) << "Default 5 is the next number to give";

    w->StoreButton()->click();
    EXPECT_TRUE(sink.messages.empty()) << sink.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(
        rows(QStringLiteral("GpsIndex, GpsTime, SightTime, Species, Count, Bearing, Comment, HasCalves, "
                            "\"Sighting No\"")),
        QStringList{QStringLiteral("2|2026-06-01 10:01:00|2026-06-01 10:15:30|BND|12|-12.5|two adults; one calf|1|5")});
    EXPECT_EQ(w->LastSavedText(), QStringLiteral("Sightings form last saved at 10:15:30"));

    // A tab form clears its AutoClear fields only; the counter moves on,
    // kept in the definition for the next run.
    EXPECT_EQ(edit(*w, "Count")->text(), QStringLiteral("12"));
    EXPECT_EQ(edit(*w, "Sighting No")->text(), QStringLiteral("6"));
    EXPECT_EQ(store::test::DirectDb(dbFile).rows(
                  QStringLiteral("SELECT \"Default\" FROM \"UDF_Sightings\" WHERE Type = 'COUNTER'")),
              QStringList{QStringLiteral("6")});
    EXPECT_FALSE(w->Edited());
}

TEST_F(UserFormWindowTest, AStoreTriggersTheRecordersOnTheFormsBit)
{
    store::SqlStatement insert(store::GetDbConnection());
    ASSERT_TRUE(insert.execDirect(QStringLiteral("INSERT INTO \"UDF_Sightings\" (\"Order\", \"Type\", \"Title\", "
                                                 "\"Length\") VALUES (99, 'AUTORECORD', 'Sighting', 30)")));
    const UserFormHost before = userFormHost();
    UserFormHost host = before;
    std::vector<std::tuple<int, int, QString>> triggers;
    host.recorderTrigger = [](const QString& form) { return form == QLatin1String("Sightings") ? 6 : 0; };
    host.triggerRecorders = [&](int bit, int seconds, const QString& form) {
        triggers.emplace_back(bit, seconds, form);
    };
    setUserFormHost(host);
    auto w = openSightings();
    QTest::keyClicks(edit(*w, "Species"), QStringLiteral("bnd"));
    QTest::keyClicks(edit(*w, "Count"), QStringLiteral("1"));
    w->StoreButton()->click();
    setUserFormHost(before);
    EXPECT_EQ(triggers, (std::vector<std::tuple<int, int, QString>>{{6, 30, QStringLiteral("Sightings")}}))
        << sink.texts().join(QLatin1Char('\n')).toStdString();
}

TEST_F(UserFormWindowTest, RefusedEntriesStopTheStoreAndKeepTheValues)
{
    auto w = openSightings();
    QTest::keyClicks(edit(*w, "Comment"), QStringLiteral("no count"));
    w->CmStore();
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("Error - Cannot store data"));
    EXPECT_EQ(sink.messages[0].text, QStringLiteral("The Field Count must be completed"));

    sink.messages.clear();
    QTest::keyClicks(edit(*w, "Count"), QStringLiteral("7"));
    QTest::keyClicks(edit(*w, "Species"), QStringLiteral("ZZ"));
    w->CmStore();
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("Data Format Error"));
    EXPECT_TRUE(sink.messages[0].text.startsWith(QStringLiteral("ZZ is not a valid lookup code for Species")));

    // Out of range: logged, warned, refused; the same again is let through.
    sink.messages.clear();
    edit(*w, "Species")->clear();
    edit(*w, "Count")->setText(QStringLiteral("900"));
    w->CmStore();
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, QStringLiteral("Value 900 is too high for field Count\n between 1 and 500"));
    EXPECT_TRUE(rows(QStringLiteral("Count")).isEmpty());
    EXPECT_EQ(edit(*w, "Comment")->text(), QStringLiteral("no count"));
    w->CmStore();
    EXPECT_EQ(rows(QStringLiteral("Count, Comment")), QStringList{QStringLiteral("900|no count")});
    EXPECT_EQ(store::test::DirectDb(dbFile).rows(QStringLiteral("SELECT \"Value\" FROM \"UserFormErrors\"")),
              QStringList{QStringLiteral("900")});
}

TEST_F(UserFormWindowTest, FailedInsertKeepsTheValuesOnScreen)
{
    auto w = openSightings();
    QTest::keyClicks(edit(*w, "Count"), QStringLiteral("3"));
    ASSERT_TRUE(execSql(QStringLiteral("DROP TABLE \"Sightings\"")));
    w->CmStore();
    EXPECT_TRUE(captions().contains(QStringLiteral("Database Write Error"))) << captions().join(',').toStdString();
    EXPECT_EQ(edit(*w, "Count")->text(), QStringLiteral("3"));
    EXPECT_TRUE(w->Edited());
}

TEST_F(UserFormWindowTest, PopupFormStoresAndCloses)
{
    ASSERT_TRUE(execSql(QStringLiteral(
        "INSERT INTO \"UDF_Sightings\" (\"Order\", \"Type\", \"ForceGps\", \"Plot\") VALUES (30, 'POPUP', 1, 1)")));
    ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDF_Sightings\" (\"Order\", \"Type\") VALUES (31, 'NOCANCEL')")));
    info = std::make_unique<TUserFormInfo>(QStringLiteral("UDF_Sightings"), -1);
    ASSERT_EQ(info->FormKind, kPopupForm);
    QPointer<TUserForm> w = new TUserForm(nullptr, info.get());
    w->SetupWindow();
    w->show();
    QApplication::processEvents();
    EXPECT_EQ(w->TakenGps().index, 2) << "ForceGps takes the fix when the window opens";
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Sightings, 1 of 1"));

    EXPECT_FALSE(w->ClearButton()->isVisible()) << "NOCANCEL hides Cancel";

    // Closing before a store is refused; after it the window goes.
    EXPECT_FALSE(w->close());
    store::SetLastGpsReference(3, QStringLiteral("2026-06-01 10:02:00"));
    QTest::keyClicks(edit(*w, "Count"), QStringLiteral("4"));
    w->StoreButton()->click();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(rows(QStringLiteral("GpsIndex, Count")), QStringList{QStringLiteral("2|4")})
        << "the record carries the fix taken when the window opened";
}

TEST_F(UserFormWindowTest, SecondPopupOpensSteppedFromTheFirst)
{
    ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDF_Sightings\" (\"Order\", \"Type\") VALUES (30, 'POPUP')")));
    info = std::make_unique<TUserFormInfo>(QStringLiteral("UDF_Sightings"), -1);
    TUserForm first(nullptr, info.get());
    first.SetupWindow();
    const QRect placed = first.geometry();
    TUserForm second(nullptr, info.get());
    second.SetupWindow();
    EXPECT_EQ(second.geometry(), placed.translated(20, 20));
    EXPECT_EQ(first.windowTitle(), QStringLiteral("Sightings, 1 of 2"));
    EXPECT_EQ(second.windowTitle(), QStringLiteral("Sightings, 2 of 2"));
}

TEST_F(UserFormWindowTest, NoCancelPopupDoesNotKeepTheProgramFromEnding)
{
    ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDF_Sightings\" (\"Order\", \"Type\") VALUES (30, 'POPUP')")));
    ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDF_Sightings\" (\"Order\", \"Type\") VALUES (31, 'NOCANCEL')")));
    info = std::make_unique<TUserFormInfo>(QStringLiteral("UDF_Sightings"), -1);
    QPointer<TUserForm> w = new TUserForm(nullptr, info.get());
    w->SetupWindow();
    w->show();
    QMessageBox::StandardButton answer = QMessageBox::No;
    QStringList asked;
    velmar::test::ScriptedDialogs dialogs;
    dialogs.messageBox = [&](QWidget*, const QString& text, const QString&, QMessageBox::Icon,
                             QMessageBox::StandardButtons) {
        asked << text;
        return answer;
    };
    EXPECT_FALSE(TUserForm::CloseRecordWindowsForExit(nullptr));
    EXPECT_FALSE(w.isNull());
    answer = QMessageBox::Yes;
    EXPECT_TRUE(TUserForm::CloseRecordWindowsForExit(nullptr));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(asked.size(), 2);
    EXPECT_TRUE(rows(QStringLiteral("Count")).isEmpty());
}

TEST_F(UserFormWindowTest, ReminderDueTimesAfterAStore)
{
    auto w = openSightings();
    info->ReminderInterval = 30;
    constexpr qint64 day = 20000LL * 86400;
    auto at = [](int h, int m) { return day + h * 3600 + m * 60; };
    w->AdvanceReminder(at(10, 14));
    EXPECT_EQ(w->ReminderDue(), at(10, 30));
    w->AdvanceReminder(at(10, 16));
    EXPECT_EQ(w->ReminderDue(), at(11, 0));
    w->SetReminderNow(at(10, 16));
    EXPECT_EQ(w->ReminderDue(), at(10, 30)) << "set-up takes the nearest multiple";
    info->ReminderInterval = 0;
    w->AdvanceReminder(at(10, 16)); // no interval: nothing to divide by
}

TEST_F(UserFormWindowTest, TimerStoresFillTheRecordAndNeverWaitForAnAnswer)
{
    ASSERT_TRUE(execSql(QStringLiteral(
        "INSERT INTO \"UDF_Sightings\" (\"Order\", \"Type\", \"AutoUpdate\") VALUES (30, 'READONTIMER', 60)")));
    ASSERT_TRUE(execSql(QStringLiteral("UPDATE \"UDF_Sightings\" SET \"Required\" = 0 WHERE \"Title\" = 'Count'")));
    store::TheProgramSettings.FormErrorWarnings = 1; // manual saves only
    auto w = openSightings();
    // The store timer ticks once as the window opens.
    EXPECT_EQ(rows(QStringLiteral("SightTime, Count")), QStringList{QStringLiteral("2026-06-01 10:15:30|NULL")});

    // A tick a minute later: the time is filled again; an out-of-range count
    // is logged but nobody is asked, so the record is stored.
    setUserFormClock([] {
        platform::SystemTime t = fixedTime();
        t.wMinute = 16;
        return t;
    });
    edit(*w, "Count")->setText(QStringLiteral("900"));
    w->EvTimer(kStoreTimer);
    EXPECT_TRUE(sink.messages.empty()) << sink.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(rows(QStringLiteral("SightTime, Count")),
              (QStringList{QStringLiteral("2026-06-01 10:15:30|NULL"), QStringLiteral("2026-06-01 10:16:30|900")}));
    EXPECT_EQ(store::test::DirectDb(dbFile).rows(QStringLiteral("SELECT \"Value\" FROM \"UserFormErrors\"")),
              QStringList{QStringLiteral("900")});
}

TEST_F(UserFormWindowTest, RefreshTimersRunWhileTheTabIsShownAndAlwaysForTheTopStrip)
{
    // Time refreshes every second (AutoUpdate 1).
    info = std::make_unique<TUserFormInfo>(QStringLiteral("UDF_Sightings"), 0);
    const int timeTimer = kFirstControlTimer + 0;
    {
        TUserForm w(nullptr, info.get());
        w.SetupWindow();
        EXPECT_FALSE(w.TimerRunning(timeTimer));
        w.ActivateTimers(true);
        EXPECT_TRUE(w.TimerRunning(timeTimer));
        w.ActivateTimers(false);
        EXPECT_FALSE(w.TimerRunning(timeTimer));
    }
    // Mirrored in the top strip it refreshes from the start and goes on when
    // the tab is left.
    QObject stripEdit;
    info->FindRowByTitle(QStringLiteral("Time"))->topStripEdit = &stripEdit;
    TUserForm w(nullptr, info.get());
    w.SetupWindow();
    EXPECT_TRUE(w.TimerRunning(timeTimer));
    w.ActivateTimers(true);
    w.ActivateTimers(false);
    EXPECT_TRUE(w.TimerRunning(timeTimer));
    info->FindRowByTitle(QStringLiteral("Time"))->topStripEdit = nullptr;
}

TEST_F(UserFormWindowTest, HotKeyAndPanelFills)
{
    ASSERT_TRUE(
        execSql(QStringLiteral("UPDATE \"UDF_Sightings\" SET \"Topic\" = 'SightTime' WHERE \"Type\" = 'HOTKEY'")));
    info = std::make_unique<TUserFormInfo>(QStringLiteral("UDF_Sightings"), 3);
    UserFormWindow* port = MakeUserFormWindow(nullptr, *info, false);
    std::unique_ptr<TUserForm> w(qobject_cast<TUserForm*>(port->Object()));
    ASSERT_NE(w, nullptr);
    QApplication::processEvents();
    std::vector<int> selected;
    UserFormHost host;
    host.selectTab = [&](int tab) { selected.push_back(tab); };
    setUserFormHost(host);

    port->ActivateFromHotKey(false);
    EXPECT_TRUE(edit(*w, "Time")->text().isEmpty()) << "a form with edits is only brought forward";
    port->ActivateFromHotKey(true);
    EXPECT_EQ(edit(*w, "Time")->text(), QStringLiteral("2026-06-01"));
    EXPECT_EQ(edit(*w, "Time", true)->text(), QStringLiteral("10:15:30"));
    EXPECT_TRUE(edit(*w, "Count")->text().isEmpty()) << "only the target is filled";

    // A panel's link: its press number and text, then the form's tab.
    EXPECT_TRUE(w->FillFromButton(w->FindControl(QStringLiteral("Count")), 14,
                                  w->FindControl(QStringLiteral("comment")), QStringLiteral("panel row")));
    EXPECT_EQ(edit(*w, "Count")->text(), QStringLiteral("14"));
    EXPECT_EQ(edit(*w, "Comment")->text(), QStringLiteral("panel row"));
    EXPECT_EQ(selected, (std::vector<int>{3, 3, 3})) << "each brings the form's tab forward";
    setUserFormHost({});
}

TEST_F(UserFormWindowTest, EffortFormStoresMakeTheEffortLine)
{
    // The setting names the form in other letters: one rule, without case,
    // finds it and makes its stores extend the line.
    store::TheProgramSettings.EffortForm.setText(QStringLiteral("SIGHTINGS"));
    store::TheProgramSettings.EffortControl.setText(QStringLiteral("Species"));
    auto w = openSightings();
    ASSERT_EQ(FindEffortForm(), info.get());
    const CONTROLTYPEINFO& species = *info->FindRowByTitle(QStringLiteral("Species"));
    const int bnd = FindLookupCode(species, QStringLiteral("BND"));

    QTest::keyClicks(edit(*w, "Species"), QStringLiteral("bnd"));
    QTest::keyClicks(edit(*w, "Count"), QStringLiteral("3"));
    w->CmStore();
    edit(*w, "Count")->setText(QStringLiteral("4"));
    edit(*w, "Species")->clear();
    w->CmStore();
    EXPECT_EQ(info->EffortSegments,
              (std::vector<EffortSegment>{
                  {0, 0, 0}, {2, species.lookup[std::size_t(bnd)].colour, bnd}, {2, kNoEffortColour, 0}}))
        << "a new line starts at the oldest fix (none in memory here); each store adds the newest fix";

    nav::RecentEventDispatch::Ports events;
    const shell::EffortList* line = BindUserFormWindows(events).EffortFormLine();
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->size(), 3u);
    ClearUserPlotThings();
    EXPECT_TRUE(info->EffortSegments.empty());
}

class ShowDataWindowTest : public UserFormWindowTest {
protected:
    void SetUp() override
    {
        UserFormWindowTest::SetUp();
        TUserFormInfo makesTheTable(QStringLiteral("UDF_Sightings"), 0);
        for (const char* values :
             {"1, '2026-06-01 10:00:00', 'HP', 2, 'first'", "2, '2026-06-01 10:01:00', 'BND', 7, NULL",
              "0, '1900-01-01 00:00:00', 'MW', 1, 'no fix'"})
            ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"Sightings\" (GpsIndex, GpsTime, Species, Count, Comment) "
                                               "VALUES (%1)")
                                    .arg(QString::fromLatin1(values))));
        ASSERT_TRUE(
            execSql(QStringLiteral("UPDATE \"UDF_Sightings\" SET \"Default\" = 'none' WHERE \"Title\" = 'Comment'")));
        platform::RunMode = platform::RunModeShowData;
    }
    void TearDown() override { UserFormWindowTest::TearDown(); }
    velmar::test::ScriptedDialogs dialogs;
};

TEST_F(ShowDataWindowTest, BrowsesTheLoadedRowsAndExportsThem)
{
    auto w = openSightings();
    EXPECT_EQ(w->StoreButton()->text(), QStringLiteral("Prev'"));
    EXPECT_EQ(w->ClearButton()->text(), QStringLiteral("Next"));
    EXPECT_EQ(w->LoadRows(1, 2), 2) << "the row without a fix is never loaded";
    EXPECT_EQ(UserPlotThings(*info).size(), 2u) << "each loaded row is a map item";
    w->ShowFirstRow();
    EXPECT_EQ(w->HintText(), QStringLiteral("2 records loaded from database"));
    auto shown = [&] {
        return QStringList{edit(*w, "Species")->text(), edit(*w, "Count")->text(), edit(*w, "Comment")->text()};
    };
    EXPECT_EQ(shown(), (QStringList{QStringLiteral("HP"), QStringLiteral("2"), QStringLiteral("first")}));
    EXPECT_FALSE(w->StoreButton()->isEnabled());

    w->ClearButton()->click();
    EXPECT_EQ(w->CurrentRow(), 2);
    EXPECT_EQ(shown(), (QStringList{QStringLiteral("BND"), QStringLiteral("7"), QString()}))
        << "a NULL column shows empty, not the Default";
    EXPECT_FALSE(w->ClearButton()->isEnabled());
    w->CmNext();
    EXPECT_EQ(w->CurrentRow(), 2);
    w->StoreButton()->click();
    EXPECT_EQ(shown()[0], QStringLiteral("HP"));
    EXPECT_EQ(rows(QStringLiteral("Count")).size(), 3) << "browsing stores nothing";

    QString proposed;
    const QString file = path(QStringLiteral("export.txt"));
    dialogs.runDialog = saveAs(file, &proposed);
    ExportUserFormData(info->TabIndex); // the main window's export command, for the form's tab
    EXPECT_EQ(proposed, QStringLiteral("Sightings.txt"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4) << "heading, two rows, the last line end";
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("   Latitude;  Longitude")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("first")));
    EXPECT_EQ(w->CurrentRow(), 1);
}

TEST_F(ShowDataWindowTest, AnExportOverTheOpenSurveyIsRefused)
{
    auto w = openSightings();
    ASSERT_EQ(w->LoadRows(1, 2), 2);
    for (const QString& file : {dbFile, dbFile + QStringLiteral("-wal")}) {
        sink.messages.clear();
        dialogs.runDialog = saveAs(file);
        ExportUserFormData(info->TabIndex);
        EXPECT_EQ(sink.texts(),
                  QStringList{
                      QStringLiteral("Export Data: %1\n\nis the open survey database: choose another file").arg(file)});
    }
    EXPECT_EQ(rows(QStringLiteral("Count")).size(), 3) << "the survey is whole";
}

TEST_F(ShowDataWindowTest, NothingLoadedNothingExported)
{
    auto w = openSightings();
    EXPECT_EQ(w->LoadShownData(), 0) << "no fixes in memory, no shown period";
    w->ShowFirstRow();
    EXPECT_EQ(w->HintText(), QStringLiteral("0 records loaded from database"));
    EXPECT_FALSE(w->StoreButton()->isEnabled());
    EXPECT_FALSE(w->ClearButton()->isEnabled());
    bool asked = false;
    dialogs.runDialog = [&](QDialog&) {
        asked = true;
        return false;
    };
    w->Command(CM_USERFORM_DUMP);
    EXPECT_FALSE(asked);
    EXPECT_EQ(sink.texts(), QStringList{QStringLiteral("Sightings: No Data loaded")});
}

TEST_F(ShowDataWindowTest, EffortLineIsRebuiltFromTheRowBeforeAndTheLoadedRows)
{
    store::TheProgramSettings.EffortForm.setText(QStringLiteral("sightings"));
    store::TheProgramSettings.EffortControl.setText(QStringLiteral("Species"));
    auto w = openSightings();
    ASSERT_EQ(w->LoadRows(2, 2), 1);
    ASSERT_TRUE(RebuildEffortSegments());
    const CONTROLTYPEINFO& species = *info->FindRowByTitle(QStringLiteral("Species"));
    const int hp = FindLookupCode(species, QStringLiteral("HP"));
    const int bnd = FindLookupCode(species, QStringLiteral("BND"));
    EXPECT_EQ(info->EffortSegments, (std::vector<EffortSegment>{{0, 0, 0},
                                                                {1, species.lookup[std::size_t(hp)].colour, hp},
                                                                {2, species.lookup[std::size_t(bnd)].colour, bnd}}));
    store::TheProgramSettings.EffortControl.setText(QStringLiteral("No such control"));
    EXPECT_FALSE(RebuildEffortSegments()) << "without its control the form is no effort form";
}

TEST_F(ShowDataWindowTest, ShownTrackPlacesTheExportedRecords)
{
    // The shown track in memory lies elsewhere than the survey's GpsData, so
    // the export shows which one placed the records.
    nav::GpsFixData fix;
    fix.SetLatitude(50.0);
    fix.SetLongitude(-4.0);
    fix.SetTrueHeading(0);
    nav::TheGpsFixList().Append(fix, 1, 0);
    fix.SetLatitude(50.01);
    nav::TheGpsFixList().Append(fix, 2, 0);
    auto w = openSightings();
    EXPECT_EQ(w->LoadShownData(), 2) << "the period of the fixes in memory";
    w->ShowFirstRow();
    const QString file = path(QStringLiteral("track.txt"));
    dialogs.runDialog = saveAs(file);
    w->Command(CM_USERFORM_DUMP);
    QStringList reported;
    nav::RecentEventDispatch::Ports events;
    shell::UserFormService& forms = BindUserFormWindows(
        events, {[&](const QString& text) { reported << text; },
                 [&](int done, int total) { reported << QStringLiteral("%1/%2").arg(done).arg(total); }});
    w->CmNext();
    forms.LoadAllData(); // the show-data reload: every tab form again, from its first row
    EXPECT_EQ(reported, (QStringList{QStringLiteral("Loading Sightings data from database"), QStringLiteral("1/2"),
                                     QStringLiteral("0/0")}));
    EXPECT_EQ(w->CurrentRow(), 1);
    nav::PurgeGpsFixes(0);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 3);
    // 926 m north (no bearing typed) of each fix.
    EXPECT_TRUE(lines[1].startsWith(QString::asprintf("%11.5f;%11.5f", 50.0 + 0.5 / 60, -4.0)))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith(QString::asprintf("%11.5f", 50.01 + 0.5 / 60))) << lines[2].toStdString();
}

TEST_F(UserFormWindowTest, PropertyMenuChoosesFontAndColour)
{
    auto w = openSightings();
    EXPECT_EQ(w->MakePropertyMenu(), nullptr) << "no menu until property edits are on";
    w->PropertyEditsBox()->click();
    const auto menu = w->MakePropertyMenu();
    ASSERT_NE(menu, nullptr);
    QStringList texts;
    for (QAction* a : menu->actions())
        texts << a->text();
    EXPECT_EQ(texts, (QStringList{QStringLiteral("&Font..."), QStringLiteral("&Colour...")}));

    int32_t offeredWhite = 0;
    bool chooseFont = true;
    velmar::test::ScriptedDialogs dialogs;
    dialogs.fontDialog = [&](QWidget*, QFont& font) {
        font.setPixelSize(24);
        font.setWeight(QFont::Normal);
        return chooseFont;
    };
    dialogs.runDialog = [&](QDialog& dialog) {
        auto* colours = qobject_cast<QColorDialog*>(&dialog);
        if (colours == nullptr)
            return false;
        const QColor white = QColorDialog::customColor(0);
        offeredWhite = platform::MakeColour(white.red(), white.green(), white.blue());
        colours->setCurrentColor(QColor(10, 20, 30));
        colours->accept();
        return true;
    };
    menu->actions()[1]->trigger();
    QApplication::processEvents();
    EXPECT_EQ(offeredWhite, platform::MakeColour(255, 255, 255));
    EXPECT_EQ(w->palette().color(QPalette::Window), QColor(10, 20, 30));
    auto formRow = [&](const char* type, const char* columns) {
        return store::test::DirectDb(dbFile).rows(
            QStringLiteral("SELECT %1 FROM \"UDF_Sightings\" WHERE \"Type\" = '%2'")
                .arg(QString::fromLatin1(columns), QString::fromLatin1(type)));
    };
    EXPECT_EQ(formRow("FORMCOLOUR", "Colour"), QStringList{QStringLiteral("RGB(010,020,030)")});

    const int widest = w->Widest();
    menu->actions()[0]->trigger();
    QApplication::processEvents();
    EXPECT_EQ(formRow("FONT", "Title, Length, Height"), QStringList{QStringLiteral("DejaVu Sans|18|400")});
    EXPECT_GT(w->Widest(), widest) << "the window is laid out again in the larger font";

    chooseFont = false;
    w->Command(CM_USERFORM_FONT);
    EXPECT_EQ(formRow("FONT", "Length"), QStringList{QStringLiteral("18")}) << "a cancelled choice changes nothing";
}

TEST_F(UserFormWindowTest, MainWindowEntriesReachTheForms)
{
    nav::RecentEventDispatch::Ports events;
    shell::UserFormService& forms = BindUserFormWindows(events);
    ASSERT_TRUE(events.purgeUserPlotThings);
    EXPECT_TRUE(forms.CanClose(nullptr)) << "no pop-up form open";
}

TEST_F(UserFormWindowTest, PictureOfTheSampleForm)
{
    auto w = openSightings();
    w->resize(w->minimumSize());
    QTest::keyClick(edit(*w, "Time"), Qt::Key_F1);
    QTest::keyClicks(edit(*w, "Species"), QStringLiteral("HP"));
    QTest::keyClicks(edit(*w, "Count"), QStringLiteral("3"));
    const QString file = QString::fromLocal8Bit(qgetenv("VELMAR_BIN_DIR")) + QStringLiteral("/../sample_form.png");
    EXPECT_TRUE(w->grab().save(file));
    EXPECT_GT(w->minimumWidth(), 200);
}

// At a large font every caption of the sample form shows whole, the
// look-up texts ("HP - Harbour porpoise") too.
TEST_F(UserFormWindowTest, AtALargeFontNoTextIsCut)
{
    const QFont before = QApplication::font();
    QFont large(QStringLiteral("Sans Serif"));
    large.setPixelSize(26);
    QApplication::setFont(large);
    auto w = openSightings();
    w->resize(w->minimumSize().expandedTo(QSize(1600, 900)));
    QApplication::processEvents();
    EXPECT_EQ(velmar::test::CutTexts(w.get()), QStringList());
    QApplication::setFont(before);
}

} // namespace
} // namespace velmar::forms::test
