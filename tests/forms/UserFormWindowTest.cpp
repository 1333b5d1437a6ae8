// The user-form window offscreen, on the sample survey: typing a record and
// storing it with its program time and GPS reference, a required field left
// empty, the counter, a pop-up form that stores and closes, F1 on an
// injected clock, a failed insert that keeps the values, and a picture of
// the laid-out form.
#include "FormsTestSupport.h"

#include "forms/ui/TUserForm.h"
#include "store/ProgramSettings.h"
#include "store/RecordWriters.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

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
    EXPECT_EQ(rows(QStringLiteral("GpsIndex, GpsTime, SightTime, Species, Count, Bearing, Comment, HasCalves, "
                                  "\"Sighting No\"")),
              QStringList{QStringLiteral(
                  "2|2026-06-01 10:01:00|2026-06-01 10:15:30|BND|12|-12.5|two adults; one calf|1|5")});
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
    ASSERT_TRUE(execSql(QStringLiteral(
        "INSERT INTO \"UDF_Sightings\" (\"Order\", \"Type\") VALUES (31, 'NOCANCEL')")));
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

TEST_F(UserFormWindowTest, NoCancelPopupDoesNotKeepTheProgramFromEnding)
{
    ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDF_Sightings\" (\"Order\", \"Type\") VALUES (30, 'POPUP')")));
    ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDF_Sightings\" (\"Order\", \"Type\") VALUES (31, 'NOCANCEL')")));
    info = std::make_unique<TUserFormInfo>(QStringLiteral("UDF_Sightings"), -1);
    QPointer<TUserForm> w = new TUserForm(nullptr, info.get());
    w->SetupWindow();
    w->show();
    int answer = QMessageBox::No;
    QStringList asked;
    setFormQuestion([&](QWidget*, const QString& text, const QString&) {
        asked << text;
        return answer;
    });
    EXPECT_FALSE(TUserForm::CloseRecordWindowsForExit(nullptr));
    EXPECT_FALSE(w.isNull());
    answer = QMessageBox::Yes;
    EXPECT_TRUE(TUserForm::CloseRecordWindowsForExit(nullptr));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(asked.size(), 2);
    EXPECT_TRUE(rows(QStringLiteral("Count")).isEmpty());
    setFormQuestion({});
}

TEST_F(UserFormWindowTest, ReminderDueTimesAfterAStore)
{
    auto w = openSightings();
    info->ReminderInterval = 30;
    const qint64 day = 20000LL * 86400;
    auto at = [day](int h, int m) { return day + h * 3600 + m * 60; };
    w->AdvanceReminder(at(10, 14));
    EXPECT_EQ(w->ReminderDue(), at(10, 30));
    w->AdvanceReminder(at(10, 16));
    EXPECT_EQ(w->ReminderDue(), at(11, 0));
    w->SetReminderNow(at(10, 16));
    EXPECT_EQ(w->ReminderDue(), at(10, 30)) << "set-up takes the nearest multiple";
    info->ReminderInterval = 0;
    w->AdvanceReminder(at(10, 16)); // no interval: nothing to divide by
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

} // namespace
} // namespace velmar::forms::test
