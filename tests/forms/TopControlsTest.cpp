// The strip of read-outs above the tabs, on the sample survey with real form
// windows offscreen: the designer's rows placed in lines and columns, rows
// naming nothing skipped, a failing query reported, and the values the form
// shows or stores copied into the strip.
#include "FormsTestSupport.h"

#include "forms/ui/FormMetrics.h"
#include "forms/ui/TUserForm.h"
#include "forms/ui/TopControls.h"
#include "forms/ui/UserFormList.h"
#include "forms/ui/UserFormWindowPort.h"
#include "shell/MainWindowPorts.h"
#include "widgets/MyControls.h"
#include "tests/support/ScriptedFormServices.h"
#include "shell/TUserFormHooks.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTabBar>

#include <gtest/gtest.h>

#include <algorithm>

namespace velmar::forms::test {
namespace {

constexpr int kFixedTabs = 2;
const QPoint kOrigin(300, 8);

class TopControlsTest : public FormsTest {
protected:
    void SetUp() override
    {
        FormsTest::SetUp();
        setUserFormWindowFactory(MakeUserFormWindow);
        tabs = new QTabBar(&mainWindow);
        tabs->addTab(QStringLiteral("Map"));
        tabs->addTab(QStringLiteral("Comments"));
        mainWindow.resize(1000, 700);
    }
    void TearDown() override
    {
        UnloadUserForms();
        setUserFormWindowFactory({});
        FormsTest::TearDown();
    }
    struct StripRow {
        const char* table;
        const char* field = "";
        const char* title = "";
    };
    // The designer's rows, numbered in the order given.
    void addRows(std::initializer_list<StripRow> rows)
    {
        int order = 0;
        for (const StripRow& r : rows)
            ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDC_TopControls\" (\"Order\", \"Table\", \"Field\", "
                                               "\"Title\") VALUES (%1, '%2', '%3', '%4')")
                                    .arg(++order)
                                    .arg(QLatin1String(r.table), QLatin1String(r.field), QLatin1String(r.title))));
    }
    TUserForm* sightings()
    {
        UserFormWindow* w = GetFormWindow(*FindUserForm(QStringLiteral("Sightings")), 0);
        return w ? qobject_cast<TUserForm*>(w->Object()) : nullptr;
    }
    static const CONTROLTYPEINFO& row(TUserForm& w, const char* title)
    {
        return *w.FindControl(QLatin1String(title))->Row();
    }
    static QLineEdit* stripEdit(TUserForm& w, const char* title)
    {
        return qobject_cast<QLineEdit*>(row(w, title).topStripEdit);
    }
    static QWidget* stripTitle(TUserForm& w, const char* title)
    {
        return qobject_cast<QWidget*>(row(w, title).topStripStatic);
    }

    QWidget mainWindow;
    QTabBar* tabs = nullptr;
};

TEST_F(TopControlsTest, RowsAreLaidOutInLinesAndColumnsAndRowsNamingNothingAreSkipped)
{
    addRows({{"Sightings", "Count", "Count  "},
             {"newline"},
             {"Nowhere", "Count", "Gone"},
             {"Sightings", "Missing", "Gone"},
             {"Sightings", "count", "Gone"}, // a field is named exactly
             {"NewColumn"},
             {"sightings", "Sighting No", "No"},
             {"Sightings", "Species", "Sp"}});
    LoadUserForms(&mainWindow, tabs, kFixedTabs);
    TUserForm* w = sightings();
    ASSERT_NE(w, nullptr);

    EXPECT_EQ(CreateTopControls(&mainWindow, kOrigin), 3);
    EXPECT_TRUE(sink.messages.empty()) << sink.texts().join(QLatin1Char('\n')).toStdString();

    const int rh = RowHeight(1);
    const int countEditLeft = kOrigin.x() + StaticWidth(6);
    const int countEditWidth = EditWidth(row(*w, "Count").FieldLength());
    ASSERT_NE(stripTitle(*w, "Count"), nullptr);
    // A title sits a little lower than its edit, as every status static does.
    const int titleDrop = stripTitle(*w, "Count")->y() - kOrigin.y();
    EXPECT_EQ(stripTitle(*w, "Count")->x(), kOrigin.x());
    EXPECT_EQ(stripTitle(*w, "Count")->width(), StaticWidth(5));
    EXPECT_EQ(qobject_cast<QLabel*>(stripTitle(*w, "Count"))->text(), QStringLiteral("Count"));
    EXPECT_EQ(stripEdit(*w, "Count")->geometry(), QRect(countEditLeft, kOrigin.y(), countEditWidth, rh));
    EXPECT_TRUE(stripEdit(*w, "Count")->isReadOnly());

    // A new column starts clear of the widest edit, back at the top.
    const int column = countEditLeft + countEditWidth;
    EXPECT_EQ(stripTitle(*w, "Sighting No")->geometry().topLeft(), QPoint(column, kOrigin.y() + titleDrop));
    EXPECT_EQ(stripEdit(*w, "Species")->geometry().top(), kOrigin.y() + rh);
    EXPECT_EQ(stripTitle(*w, "Species")->x(), column);
    EXPECT_EQ(stripEdit(*w, "Species")->geometry().left(), column + StaticWidth(3));

    // The counter shows its number at once, the others nothing yet.
    EXPECT_EQ(stripEdit(*w, "Sighting No")->text(), QString::number(row(*w, "Sighting No").counterValue));
    EXPECT_EQ(stripEdit(*w, "Species")->text(), QString());
    EXPECT_EQ(row(*w, "Bearing").topStripEdit, nullptr);

    // Without the form list the rows are unhooked, the widgets gone.
    QPointer<QWidget> edit = stripEdit(*w, "Count");
    UnloadUserForms();
    EXPECT_TRUE(edit.isNull());
}

TEST_F(TopControlsTest, ValuesShownOrStoredInTheFormAreMirrored)
{
    addRows({{"Sightings", "Species", "Species"},
             {"Sightings", "Calves", "Calves"},
             {"Sightings", "Count", "Count"},
             {"Sightings", "Time", "Time"},
             {"Sightings", "Comment", "Comment"}});
    LoadUserForms(&mainWindow, tabs, kFixedTabs);
    TUserForm* w = sightings();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(CreateTopControls(&mainWindow, kOrigin), 5);

    w->FindControl(QStringLiteral("Species"))->SetValue(QStringLiteral("HP"));
    EXPECT_EQ(stripEdit(*w, "Species")->text(), QStringLiteral("HP - Harbour porpoise"));
    w->FindControl(QStringLiteral("Calves"))->SetValue(QStringLiteral("1"));
    EXPECT_EQ(stripEdit(*w, "Calves")->text(), QStringLiteral("true"));
    w->FindControl(QStringLiteral("Calves"))->SetValue(QStringLiteral("0"));
    EXPECT_EQ(stripEdit(*w, "Calves")->text(), QStringLiteral("false"));
    w->FindControl(QStringLiteral("Time"))->SetValue(QStringLiteral("2026-06-01 10:15:30"));
    EXPECT_EQ(stripEdit(*w, "Time")->text(), QStringLiteral("2026-06-01 10:15:30"));

    // Reading the controls for a store copies what was typed.
    qobject_cast<QLineEdit*>(w->FindControl(QStringLiteral("Count"))->ValueControl())->setText(QStringLiteral("42"));
    w->FindControl(QStringLiteral("Count"))->GetValue();
    EXPECT_EQ(stripEdit(*w, "Count")->text(), QStringLiteral("42"));

    // A text as long as its control takes is shown whole.
    UserControl* comment = w->FindControl(QStringLiteral("Comment"));
    comment->SetText(QString(300, QLatin1Char('z')));
    comment->GetValue();
    EXPECT_FALSE(comment->ShownText().isEmpty());
    EXPECT_EQ(stripEdit(*w, "Comment")->text(), comment->ShownText());

    // A mirrored control with an AutoUpdate refreshes on its own timer,
    // whether or not its tab is shown.
    UserFormsSelectTab(0);
    const int seconds = row(*w, "Time").AutoUpdate;
    ASSERT_GT(seconds, 0);
    const auto& controls = w->Controls();
    const auto time = std::find_if(controls.begin(), controls.end(),
                                   [&](const auto& c) { return c->Row() == &row(*w, "Time"); });
    ASSERT_NE(time, controls.end());
    const bool refreshing = w->TimerRunning(kFirstControlTimer + int(time - controls.begin()));
    EXPECT_TRUE(refreshing);
}

TEST_F(TopControlsTest, AFailingQueryIsReportedAndBuildsNothing)
{
    LoadUserForms(&mainWindow, tabs, kFixedTabs);
    ASSERT_TRUE(execSql(QStringLiteral("DROP TABLE \"UDC_TopControls\"")));
    EXPECT_EQ(CreateTopControls(&mainWindow, kOrigin), 0);
    EXPECT_EQ(captions(), QStringList{QStringLiteral("Error in Form Definition Table")});
    EXPECT_TRUE(mainWindow.findChildren<shell::TMyEdit*>().isEmpty());
}

TEST_F(TopControlsTest, TheMainWindowBuildsTheStripAndStacksReminderBarsThroughItsEntries)
{
    const QString columns = QStringLiteral(
        "(\"Order\" SMALLINT PRIMARY KEY, \"Type\" VARCHAR(50), \"Title\" VARCHAR(50), \"PostTitle\" VARCHAR(50), "
        "\"DbTitle\" VARCHAR(50), \"Default\" VARCHAR(50), \"Length\" SMALLINT, \"Height\" SMALLINT, \"Topic\" "
        "VARCHAR(50), \"MinValue\" REAL, \"MaxValue\" REAL, \"NMEA String\" VARCHAR(50), \"NMEA Position\" SMALLINT, "
        "\"ADC Channel\" SMALLINT, \"ADC Gain\" SMALLINT, \"Analog Multiply\" REAL, \"Analog Add\" REAL, "
        "\"Required\" BIT, \"ReadOnly\" BIT, \"AutoUpdate\" SMALLINT, \"AutoClear\" BIT, \"ForceGps\" BIT, "
        "\"Plot\" BIT, \"Hint\" VARCHAR(100), \"Colour\" VARCHAR(20), \"Send Control Name\" VARCHAR(50), "
        "\"Control on Subform\" VARCHAR(50), \"Get Control Data\" VARCHAR(50))");
    ASSERT_TRUE(execSql(QStringLiteral("CREATE TABLE \"UDF_Watch\" ") + columns));
    ASSERT_TRUE(execSql(
        QStringLiteral("INSERT INTO \"UDF_Watch\" (\"Order\", \"Type\", \"Title\") VALUES (1, 'CHAR', 'Observer')")));
    for (const char* table : {"UDF_Sightings", "UDF_Watch"})
        ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"%1\" (\"Order\", \"Type\", \"AutoUpdate\") "
                                           "VALUES (90, 'AUTOALERT', 30)")
                                .arg(QLatin1String(table))));
    addRows({{"Sightings", "Count", "Count"}});

    velmar::test::ScriptedButtonPanels panels;
    shell::UserFormService& forms = BindUserForms(panels);
    LoadUserForms(&mainWindow, tabs, kFixedTabs);
    forms.CreateTopControls(&mainWindow, kOrigin);
    EXPECT_NE(stripEdit(*sightings(), "Count"), nullptr);

    std::vector<QWidget*> bars;
    for (UserFormWindow* w : TabFormWindows())
        if (w->ReminderBar())
            bars.push_back(w->ReminderBar());
    ASSERT_EQ(bars.size(), 2u);
    const QRect first(500, 8, 330, 14);
    forms.PlaceWarnings(first);
    const int h0 = bars[0]->geometry().height();
    EXPECT_GT(h0, 0);
    EXPECT_EQ(bars[0]->geometry(), QRect(500, 8, 330, h0));
    EXPECT_EQ(bars[1]->geometry().topLeft(), QPoint(500, 8 + h0));
    EXPECT_EQ(bars[1]->geometry().width(), 330);
}

} // namespace
} // namespace velmar::forms::test
