// The things-heard form and the whistle counts: species rows from
// UDF_ThingsHeard, the plot style the map asks for, a strength press stored
// through the recent-event dispatch, a listening-effort change with its
// reason, the list of the latest entries, and the counts on an injected clock.
#include "forms/ui/THeardForm.h"
#include "forms/ui/TWhistleForm.h"
#include "nav/DetectorLinks.h"
#include "nav/HeardSpecies.h"
#include "nav/RecentEventDispatch.h"
#include "nav/RecentLists.h"
#include "settings/ProgramSettings.h"
#include "store/FixedSchema.h"
#include "store/RecordWriters.h"
#include "tests/forms/FormsTestSupport.h"
#include "widgets/MyControls.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

namespace velmar::forms::test {
namespace {

using nav::HeardSpeciesList;
using nav::HeardSpeciesRow;

const QString kLongSpecies = QStringLiteral("Northern Bottlenose Whale"); // 25 characters

std::vector<HeardSpeciesRow> SampleRows()
{
    return {
        {QStringLiteral("Sperm clicks"), QStringLiteral("Sperm Whale"), 0, QStringLiteral("Red")},
        {QStringLiteral("Dolphin whistles"), QStringLiteral("Dolphin"), 20, QStringLiteral("Blue")},
        {QStringLiteral("Odd"), QStringLiteral("Odd"), -1, QString()},
        {QStringLiteral("SPACE"), QStringLiteral("Gap"), 3, QString()},
        {QStringLiteral("No species"), QString(), 3, QString()},
        {QStringLiteral("Long"), kLongSpecies, 2, QString()},
    };
}

TEST(HeardSpecies, RowsAsTheFormMakesThem)
{
    HeardSpeciesList list;
    list.Build(SampleRows());
    struct Expect {
        const char* species;
        int baseId;
        int topStrength;
        bool gap;
    };
    const Expect expected[] = {
        {"Sperm Whale", 4096, 5, false},         // NButtons 0: "0" to "5"
        {"Dolphin", 4112, 15, false},            // 20 capped at 15
        {"Odd", 4128, -1, false},                // negative: a label, no buttons
        {"Gap", 4144, -1, true},                 // SPACE: a gap that keeps its id and species
        {"", 4160, -1, true},                    // empty Species: a gap
        {"Northern Bottlenose", 4176, 2, false}, // cut to its 20-character column
    };
    ASSERT_EQ(list.Species().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(list.Species()[i].species, QString::fromLatin1(expected[i].species));
        EXPECT_EQ(list.Species()[i].baseId, expected[i].baseId);
        EXPECT_EQ(list.Species()[i].topStrength, expected[i].topStrength);
        EXPECT_EQ(list.Species()[i].gap, expected[i].gap);
    }
    EXPECT_EQ(list.FindSpecies(QStringLiteral("sperm whale")), 0);
    // A stored name keeps 19 characters and still finds its species.
    EXPECT_EQ(list.FindSpecies(kLongSpecies.left(19)), 5);
    EXPECT_EQ(list.FindSpecies(QStringLiteral("Minke")), -1);
}

TEST(HeardSpecies, PlotStyleWithEverythingOnAndOff)
{
    HeardSpeciesList list;
    list.Build(SampleRows());
    list.Species()[0].plot = true;
    const int32_t red = list.Species()[0].colour;
    const int32_t blue = list.Species()[1].colour;
    ASSERT_NE(red, -1);
    struct Case {
        const char* legend;
        int species;
        bool everything;
        HeardSpeciesList::PlotStyle style;
    };
    const Case cases[] = {
        {"ticked species, everything off", 0, false, {true, red}},
        {"unticked species, everything off", 1, false, {false, blue}},
        {"unticked species, everything on", 1, true, {true, blue}},
        {"unknown species, everything on", -1, true, {false, -1}},
        {"index past the list", 17, true, {false, -1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(list.PlotStyleOf(c.species, c.everything), c.style) << c.legend;
}

class HeardFormTest : public FormsTest {
protected:
    void SetUp() override
    {
        FormsTest::SetUp();
        store::TheProgramSettings.DatabasePath.setText(dbFile);
        store::TheProgramSettings.PlotHeard = false;
        ASSERT_TRUE(store::DbCheckUserTable(store::GetDbConnection(), QStringLiteral("UDF_ThingsHeard"),
                                            store::kUserTableThingsHeard));
        int order = 1;
        for (const HeardSpeciesRow& r : SampleRows())
            ASSERT_TRUE(execSql(
                QStringLiteral("INSERT INTO \"UDF_ThingsHeard\" (\"Order\", \"Title\", \"Species\", "
                               "\"NButtons\", \"Colour\") VALUES (%1, '%2', %3, %4, '%5')")
                    .arg(order++)
                    .arg(r.title, r.species.isEmpty() ? QStringLiteral("NULL") : QStringLiteral("'%1'").arg(r.species))
                    .arg(r.nButtons)
                    .arg(r.colour)));
        store::SetLastGpsReference(7, QStringLiteral("2026-12-10 10:00:00"));
        store::SetListeningEffortReasonSource([] { return ListeningEffortReason(); });
        ports.programTime = [] {
            platform::SystemTime t;
            t.wYear = 2026, t.wMonth = 12, t.wDay = 10, t.wHour = 10, t.wMinute = 0, t.wSecond = 5;
            return t;
        };
        nav::PurgeAllDetections();
    }
    void TearDown() override
    {
        store::SetListeningEffortReasonSource({});
        nav::PurgeAllDetections();
        FormsTest::TearDown();
    }

    HeardFormPorts ports;
};

TEST_F(HeardFormTest, RowsMakeTheirButtonsAndThePlotMenu)
{
    int redraws = 0;
    ports.redrawMap = [&] { ++redraws; };
    THeardForm form(nullptr, ports, false);
    EXPECT_TRUE(captions().isEmpty()) << captions().join(QLatin1Char(',')).toStdString();
    EXPECT_NE(form.StrengthButton(0, 5), nullptr);
    EXPECT_EQ(form.StrengthButton(0, 6), nullptr);
    EXPECT_NE(form.StrengthButton(1, 15), nullptr);
    EXPECT_EQ(form.StrengthButton(1, 16), nullptr);
    EXPECT_EQ(form.StrengthButton(2, 0), nullptr);
    EXPECT_EQ(form.StrengthButton(3, 0), nullptr);
    EXPECT_EQ(form.StrengthButton(0, 3)->text(), QStringLiteral("3"));
    EXPECT_NE(shell::FindHeardFormEdit(&form, kListeningCountEdit), nullptr);

    ASSERT_NE(form.PlotMenu(), nullptr);
    QStringList items;
    for (QAction* a : form.PlotMenu()->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(items,
              (QStringList{"Everything...", "-", "Sperm Whale", "Dolphin", "Odd", "Gap", "", "Northern Bottlenose"}));

    // The map's submenu toggles a species and asks for a redraw.
    form.PlotMenu()->actions()[2]->trigger();
    EXPECT_TRUE(nav::TheHeardSpecies().Species()[0].plot);
    EXPECT_FALSE(HeardFormTogglePlotItem(kPlotHeardEverything));
    EXPECT_TRUE(store::TheProgramSettings.PlotHeard);
    EXPECT_TRUE(form.PlotMenu()->actions()[0]->isChecked());
    EXPECT_EQ(redraws, 2);
}

TEST_F(HeardFormTest, StrengthPressStoresItsRowAndAddsAnAuralDetection)
{
    nav::RecentEventDispatch dispatch;
    ports.thingHeard = [&](const QString& species, int strength) { dispatch.OnThingHeard(species, int16_t(strength)); };
    THeardForm form(nullptr, ports, false);
    form.StrengthButton(1, 3)->click();

    EXPECT_EQ(form.FocusButton(), form.StrengthButton(1, 3));
    ASSERT_EQ(form.HeardList()->count(), 1);
    EXPECT_EQ(form.HeardList()->item(0)->text(), QStringLiteral("2026-12-10 10:00:05, Dolphin,  3"));
    ASSERT_NE(nav::ThingsHeard.newest, nullptr);
    EXPECT_EQ(nav::ThingsHeard.newest->GetName(), QStringLiteral("Dolphin"));
    EXPECT_EQ(nav::ThingsHeard.newest->value, 1); // its species, for the map's colour
    const QStringList rows = store::test::DirectDb(dbFile).rows(
        QStringLiteral("SELECT \"GpsIndex\", \"GPSTime\", \"Species\", \"Strength\", \"Comment\", length(\"PCTime\") "
                       "FROM \"ThingsHeard\""));
    EXPECT_EQ(rows, QStringList{QStringLiteral("7|2026-12-10 10:00:00|Dolphin|3||19")});

    // A comment is a row of its own; an empty one stores nothing.
    form.CommentEdit()->setText(QStringLiteral("blows to port"));
    form.CmOk();
    form.CmOk();
    EXPECT_EQ(form.HeardList()->item(0)->text(), QStringLiteral("2026-12-10 10:00:05, blows to port"));
    EXPECT_TRUE(form.CommentEdit()->text().isEmpty());
}

TEST_F(HeardFormTest, TheListKeepsTheNewest48Lines)
{
    THeardForm form(nullptr, ports, false);
    for (int i = 0; i < 49; ++i)
        form.PressStrength(0, i % 6);
    ASSERT_EQ(form.HeardList()->count(), kHeardListLines);
    EXPECT_TRUE(form.HeardList()->item(0)->text().endsWith(QStringLiteral("Sperm Whale,  0")));  // the 49th
    EXPECT_TRUE(form.HeardList()->item(47)->text().endsWith(QStringLiteral("Sperm Whale,  1"))); // the 2nd
}

TEST_F(HeardFormTest, ListeningEffortChangeStoresItsReason)
{
    nav::DetectorLinks links;
    ports.askEffortReason = [](QWidget*) { return QStringLiteral("whales close %1").arg(QString(60, u'x')); };
    ports.listeningCommand = [&](int command) { links.SetListeningStatus(command); };
    THeardForm form(nullptr, ports, false);
    form.CmEffort(kListeningFull);
    EXPECT_EQ(ListeningEffortReason().size(), kHeardCommentWidth);
    EXPECT_EQ(store::test::DirectDb(dbFile).rows(
                  QStringLiteral("SELECT \"Status\", \"GPSIndex\", \"Comment\" FROM \"ListeningEffort\"")),
              QStringList{QStringLiteral("Start|7|whales close ") + QString(37, u'x')});
}

TEST_F(HeardFormTest, ReasonDialogStartsEmptyAndKeepsFiftyCharacters)
{
    ListeningEffortReason() = QStringLiteral("old");
    TEffortReason dialog(nullptr);
    EXPECT_TRUE(ListeningEffortReason().isEmpty());
    dialog.Edit()->setText(QString(70, u'r'));
    dialog.accept();
    EXPECT_EQ(ListeningEffortReason(), QString(50, u'r'));
}

TEST_F(HeardFormTest, ShownDataListsAndStoredDetections)
{
    THeardForm form(nullptr, ports, true);
    ASSERT_NE(form.EffortList(), nullptr);
    form.AddHeard(QStringLiteral("2026-12-10 09:00:00"), 0, QStringLiteral("sperm whale"), 2, QString());
    form.AddHeard(QStringLiteral("2026-12-10 09:01:00"), 0, QString(), 0, QStringLiteral("a note"));
    form.AddEffort(QStringLiteral("2026-12-10 08:00:00"), QStringLiteral("Start"), QStringLiteral("dawn"));
    ASSERT_EQ(form.HeardList()->count(), 2);
    EXPECT_EQ(form.HeardList()->item(0)->text(), QStringLiteral("2026-12-10 09:00:00  sperm whale  Strength 2"));
    EXPECT_EQ(form.HeardList()->item(1)->text(), QStringLiteral("2026-12-10 09:01:00  a note"));
    EXPECT_EQ(form.EffortList()->item(0)->text(), QStringLiteral("2026-12-10 08:00:00  Start  dawn"));
    // The note has no species: listed, never plotted.
    ASSERT_NE(nav::ThingsHeard.oldest, nullptr);
    EXPECT_EQ(nav::ThingsHeard.oldest->value, 0);
    EXPECT_EQ(nav::ThingsHeard.newest->value, -1);
    EXPECT_FALSE(nav::HeardFormPlotStyle(*nav::ThingsHeard.newest).plotted);
}

class WhistleCountsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        nav::PurgeAllDetections();
        nav::SetRecentTickSource([this] { return now; });
    }
    void TearDown() override
    {
        nav::PurgeAllDetections();
        nav::SetRecentTickSource({});
    }
    QString text(QWidget& form, int id) { return shell::FindMyEdit(&form, id)->text(); }

    uint64_t now = 10 * 60000;
};

TEST_F(WhistleCountsTest, CountsWithinTheWarningTime)
{
    TWhistleForm form(nullptr, [] { return 10; });
    // Refreshed the moment it is shown.
    EXPECT_EQ(text(form, kWhistleTimeEdit), QStringLiteral("11:00:45"));
    form.show();
    EXPECT_TRUE(form.RefreshTimerActive());
    for (int id : {kWhistleCountEdit, kWhistleEventCountEdit, kHarmonicCountEdit})
        EXPECT_EQ(text(form, id), QStringLiteral("0"));
    for (int id : {kWhistleTimeEdit, kWhistleEventTimeEdit, kHarmonicTimeEdit})
        EXPECT_EQ(text(form, id), QStringLiteral("-"));

    nav::NewWhistlesRecord whistle;
    whistle.pcTime.wYear = 2026, whistle.pcTime.wMonth = 12, whistle.pcTime.wDay = 10;
    whistle.pcTime.wHour = 9, whistle.pcTime.wMinute = 30, whistle.pcTime.wSecond = 15;
    nav::NewWhistleDetection(whistle, nullptr); // at minute 10
    nav::NewWhistleEventRecord open;
    open.open = 1;
    nav::NewWhistleEvent(open, nullptr); // begun at minute 10, still open
    now += 15 * 60000;                   // both are now older than the warning time
    form.Refresh();
    EXPECT_EQ(text(form, kWhistleCountEdit), QStringLiteral("0"));
    EXPECT_EQ(text(form, kWhistleTimeEdit), QStringLiteral("-"));
    EXPECT_EQ(text(form, kWhistleEventCountEdit), QStringLiteral("1"));
    EXPECT_NE(text(form, kWhistleEventTimeEdit), QStringLiteral("-"));

    nav::NewWhistleDetection(whistle, nullptr);
    form.Refresh();
    EXPECT_EQ(text(form, kWhistleCountEdit), QStringLiteral("1"));
    EXPECT_EQ(text(form, kWhistleTimeEdit), QStringLiteral("09:30:15"));
    form.hide();
    EXPECT_FALSE(form.RefreshTimerActive());
}

} // namespace
} // namespace velmar::forms::test
