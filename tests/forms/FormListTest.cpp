// The user forms as a set inside a stand-in main window: tabs after the fixed
// tabs, sub-tab groups, pop-ups, hot keys (panels first), the tab keys among
// sub-tabs, the plot menus kept in MenuCheck, and the poked-data fields.
#include "FakeFormWindow.h"
#include "FormsTestSupport.h"

#include "forms/HotKeyCode.h"
#include "forms/HotKeyService.h"
#include "forms/UserFormDdeInput.h"
#include "forms/UserFormPlotMenu.h"
#include "forms/ui/UserFormList.h"
#include "forms/ui/UserFormPlotMenus.h"
#include "forms/ui/LookupCheckBoxes.h"
#include "widgets/MainLayout.h"
#include "shell/MainWindowPorts.h"
#include "tests/support/ScriptedFormServices.h"
#include "store/FixedSchema.h"
#include "settings/ProgramSettings.h"
#include "shell/TUserFormHooks.h"
#include "settings/ProgramSettings.h"

#include "forms/UserFormMapKey.h"
#include "forms/ui/LookupCheckBoxes.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QCheckBox>
#include <QMenu>
#include <QTabBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace velmar::forms::test {
namespace {

QString formListScript()
{
    return QString::fromLocal8Bit(qgetenv("VELMAR_SOURCE_DIR")) + QStringLiteral("/tests/data/forms/form_list.sql");
}

constexpr int kFixedTabs = 2;

class FormListTest : public FormsTest {
protected:
    void SetUp() override
    {
        FormsTest::SetUp();
        QString failed;
        ASSERT_TRUE(execSql(QStringLiteral("DROP TABLE \"UDF_Sightings\"")));
        ASSERT_TRUE(execSql(QStringLiteral("DROP TABLE \"UDF_Effort\"")));
        ASSERT_TRUE(execSql(QStringLiteral("DELETE FROM \"Lookup\"")));
        ASSERT_TRUE(applyScript(formListScript(), &failed)) << failed.toStdString();
        setUserFormWindowFactory([this](QWidget* parent, TUserFormInfo& form, bool popup) {
            auto* w = new FakeFormWindow(popup ? nullptr : parent, form, popup);
            windows.push_back(w);
            return w;
        });
        tabs = new QTabBar(&mainWindow);
        tabs->addTab(QStringLiteral("Map"));
        tabs->addTab(QStringLiteral("Comments"));
        mainWindow.resize(800, 600);
    }
    void TearDown() override
    {
        UnloadUserForms();
        setUserFormWindowFactory({});
        FormsTest::TearDown();
    }
    int load() { return LoadUserForms(&mainWindow, tabs, kFixedTabs); }
    QStringList tabTexts() const
    {
        QStringList t;
        for (int i = 0; i < tabs->count(); ++i)
            t << tabs->tabText(i);
        return t;
    }
    FakeFormWindow* windowOf(const char* form, int n = 0)
    {
        return static_cast<FakeFormWindow*>(GetFormWindow(*FindUserForm(QLatin1String(form)), n));
    }

    QWidget mainWindow;
    QTabBar* tabs = nullptr;
    std::vector<QPointer<FakeFormWindow>> windows;
};

TEST_F(FormListTest, FormTabsFollowTheFixedTabsAndSubTabFormsShareTheirGroupTab)
{
    EXPECT_EQ(load(), kFixedTabs + 2);
    EXPECT_TRUE(sink.messages.empty()) << sink.texts().join(QLatin1Char('\n')).toStdString();

    // One main tab per tab form and per sub-tab group, in list order.
    QStringList expected{QStringLiteral("Map"), QStringLiteral("Comments")};
    for (TUserFormInfo* f : UserFormList()) {
        if (f->FormKind == kTabForm)
            expected << f->FormName;
        else if (f->FormKind == kSubTabForm && f->FormName == QLatin1String("Acoustic"))
            expected << QStringLiteral("Listening (0)");
    }
    EXPECT_EQ(tabTexts(), expected);

    TUserFormInfo* sightings = FindUserForm(QStringLiteral("SIGHTINGS"));
    ASSERT_NE(sightings, nullptr);
    EXPECT_EQ(FindUserFormByTab(sightings->TabIndex), sightings);
    EXPECT_EQ(tabs->tabText(sightings->TabIndex), QStringLiteral("Sightings"));
    EXPECT_EQ(FindUserForm(QStringLiteral("Incident"))->TabIndex, -1);
    EXPECT_EQ(FindUserForm(QStringLiteral("Acoustic"))->TabIndex, FindUserForm(QStringLiteral("Clicks"))->TabIndex);
    EXPECT_EQ(FindUserForm(QStringLiteral("Nothing")), nullptr);
    EXPECT_EQ(FindUserFormByTab(0), nullptr);

    // Only the tab form has a window at start.
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windowOf("Sightings"), windows[0]);
    EXPECT_EQ(CountUserFormWindows(), 0);

    EXPECT_TRUE(UserFormsSelectTab(sightings->TabIndex));
    EXPECT_TRUE(windows[0]->isVisibleTo(&mainWindow));
    EXPECT_TRUE(windows[0]->timersOn);
    EXPECT_FALSE(UserFormsSelectTab(0));
    EXPECT_FALSE(windows[0]->isVisibleTo(&mainWindow));
    EXPECT_FALSE(windows[0]->timersOn);

    // A recorder tab added before the forms moves them along.
    const int groupTab = FindUserForm(QStringLiteral("Clicks"))->TabIndex;
    MoveUserFormTabs(kFixedTabs, 1);
    EXPECT_EQ(FindUserForm(QStringLiteral("Clicks"))->TabIndex, groupTab + 1);
    EXPECT_NE(FindUserFormSubTabs(groupTab + 1), nullptr);
    EXPECT_EQ(FindUserFormSubTabs(groupTab), nullptr);
}

TEST_F(FormListTest, HotKeysOpenOrBringFormsForwardAfterThePanelsDeclined)
{
    velmar::test::ScriptedButtonPanels panels;
    BindUserForms(panels);
    HotKeyService* service = InstallHotKeyService(&mainWindow);
    load();
    TUserFormInfo* acoustic = FindUserForm(QStringLiteral("Acoustic"));
    const int s = HotKeyCodeFromText(QStringLiteral("s"));
    const int a = HotKeyCodeFromText(QStringLiteral("a"));
    const int i = HotKeyCodeFromText(QStringLiteral("i"));
    EXPECT_EQ(FindUserForm(QStringLiteral("Sightings"))->HotKeyId, s);
    EXPECT_TRUE(service->isRegistered(s));

    // A panel that takes the key keeps it from the forms.
    std::vector<int> offered;
    panels.onHotKey = [&](int key) {
        offered.push_back(key);
        return key == s;
    };
    emit service->hotKeyPressed(s);
    EXPECT_EQ(offered, std::vector<int>{s});
    EXPECT_EQ(windowOf("Sightings")->activations, 0);
    panels.onHotKey = {};

    // The tab form: filled and brought forward; with unsaved edits only
    // brought forward, and the key is not taken.
    EXPECT_TRUE(UserFormsOnHotKey(&mainWindow, s));
    EXPECT_EQ(windowOf("Sightings")->fills, 1);
    windowOf("Sightings")->edited = true;
    EXPECT_FALSE(UserFormsOnHotKey(&mainWindow, s));
    EXPECT_EQ(windowOf("Sightings")->activations, 2);
    EXPECT_EQ(windowOf("Sightings")->fills, 1);

    // Pop-ups: a new window per key press.
    emit service->hotKeyPressed(i);
    EXPECT_TRUE(UserFormsOnHotKey(&mainWindow, i));
    TUserFormInfo* incident = FindUserForm(QStringLiteral("Incident"));
    ASSERT_EQ(FormWindowCount(*incident), 2);
    EXPECT_TRUE(windowOf("Incident", 1)->popup);
    EXPECT_EQ(windowOf("Incident", 1)->fills, 1);
    EXPECT_TRUE(windowOf("Incident", 1)->isVisible());

    // Sub-tab forms: a new sub-tab, selected with its group's main tab.
    EXPECT_TRUE(UserFormsOnHotKey(&mainWindow, a));
    windowOf("Acoustic")->label = QStringLiteral("Ac H2");
    EXPECT_TRUE(UserFormsOnHotKey(&mainWindow, a));
    QTabBar* strip = FindUserFormSubTabs(acoustic->TabIndex);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(tabs->currentIndex(), acoustic->TabIndex);
    EXPECT_EQ(tabs->tabText(acoustic->TabIndex), QStringLiteral("Listening (2)"));
    EXPECT_EQ(strip->tabText(0), QStringLiteral("Acoustic"));
    EXPECT_EQ(strip->currentIndex(), 1);
    EXPECT_EQ(CountUserFormWindows(), 4);
    EXPECT_FALSE(windowOf("Acoustic", 0)->isVisibleTo(&mainWindow));
    EXPECT_TRUE(windowOf("Acoustic", 1)->isVisibleTo(&mainWindow));

    // A closed sub-tab takes its tab with it; the later one moves up.
    delete windowOf("Acoustic", 0);
    EXPECT_EQ(tabs->tabText(acoustic->TabIndex), QStringLiteral("Listening (1)"));
    EXPECT_EQ(windowOf("Acoustic", 0)->SubTabIndex, 0);
    EXPECT_EQ(CountUserFormWindows(), 3);
    EXPECT_FALSE(UserFormsOnHotKey(&mainWindow, HotKeyCodeFromText(QStringLiteral("q"))));
}

TEST_F(FormListTest, TabKeysWalkTheSubTabsBeforeTheMainTabs)
{
    load();
    TUserFormInfo* clicks = FindUserForm(QStringLiteral("Clicks"));
    OpenUserFormWindow(&mainWindow, FindUserForm(QStringLiteral("Acoustic")));
    OpenUserFormWindow(&mainWindow, clicks);
    QTabBar* strip = FindUserFormSubTabs(clicks->TabIndex);
    ASSERT_NE(strip, nullptr);
    ASSERT_EQ(strip->count(), 2);
    strip->setCurrentIndex(0);
    const auto next = shell::EvaluateTabKey(shell::VkNext, clicks->TabIndex, tabs->count(), strip->currentIndex(),
                                            strip->count());
    EXPECT_TRUE(next.subMoved);
    EXPECT_EQ(next.subTab, 1);
    strip->setCurrentIndex(next.subTab);
    EXPECT_TRUE(windowOf("Clicks")->isVisibleTo(&mainWindow));
    EXPECT_FALSE(windowOf("Acoustic")->isVisibleTo(&mainWindow));
}

TEST_F(FormListTest, LayoutPutsSubTabWindowsBelowTheirStrip)
{
    load();
    TUserFormInfo* clicks = FindUserForm(QStringLiteral("Clicks"));
    OpenUserFormWindow(&mainWindow, clicks);
    const QRect area(10, 40, 600, 400);
    UserFormsLayout(area);
    EXPECT_EQ(windowOf("Sightings")->geometry(), area);
    QTabBar* strip = FindUserFormSubTabs(clicks->TabIndex);
    EXPECT_EQ(strip->geometry().topLeft(), area.topLeft());
    const QRect page = windowOf("Clicks")->geometry();
    EXPECT_GT(page.top(), strip->geometry().bottom());
    EXPECT_EQ(page.left(), area.left() + 2);
    EXPECT_EQ(page.right(), area.right() - 2);
    EXPECT_EQ(page.bottom(), area.bottom() - 2);
}

TEST_F(FormListTest, PlotMenuTicksAreKeptAndRestoredAtTheNextStart)
{
    load();
    TUserFormInfo* sightings = FindUserForm(QStringLiteral("Sightings"));
    const auto& menu = PlotMenuOf(*sightings);
    QStringList texts;
    for (const PlotMenuItem& item : menu)
        texts << item.text;
    EXPECT_EQ(texts, (QStringList{"All Species", "", "Harbour porpoise", "Minke whale", "Range", "Plot All"}));
    EXPECT_EQ(sightings->FirstPlotId, menu.front().id);
    EXPECT_EQ(sightings->LastPlotId, menu.back().id);
    EXPECT_EQ(sightings->PlotAllId, menu.back().id);

    EXPECT_TRUE(HandleUserFormPlotMenu(menu[2].id));
    EXPECT_TRUE(HandleUserFormPlotMenu(sightings->PlotAllId));
    EXPECT_TRUE(HandleUserFormPlotMenu(menu[4].id));
    EXPECT_TRUE(HandleUserFormPlotMenu(menu[4].id)); // ticked and unticked again
    EXPECT_FALSE(HandleUserFormPlotMenu(menu.back().id + 1000));
    EXPECT_EQ(CountPlotSelections(*sightings), 2);
    EXPECT_EQ(PlotMenuCheckText(*sightings), QStringLiteral("uucuuc"));

    SaveUserFormPlotMenus();
    UnloadUserForms();
    load();
    sightings = FindUserForm(QStringLiteral("Sightings"));
    EXPECT_EQ(PlotMenuCheckText(*sightings), QStringLiteral("uucuuc"));
    EXPECT_TRUE(sightings->PlotSelected);
    const CONTROLTYPEINFO* species = sightings->FindRowByTitle(QStringLiteral("Species"));
    ASSERT_EQ(species->lookup.size(), 3u);
    EXPECT_TRUE(species->lookup[1].plotSelected);
    EXPECT_FALSE(species->lookup[2].plotSelected);
    EXPECT_EQ(CountPlotSelections(*sightings), 2);

    // A stored row longer than the menu is cut to the menu.
    UnloadUserForms();
    DbClearMenuChecks();
    DbWriteMenuCheck(QStringLiteral("Sightings"), QString(40, QLatin1Char('c')));
    load();
    sightings = FindUserForm(QStringLiteral("Sightings"));
    EXPECT_EQ(PlotMenuCheckText(*sightings), QStringLiteral("cucccc"));
    EXPECT_EQ(CountPlotSelections(*sightings), 5);
}

TEST_F(FormListTest, TheMapOffersEachFormsPlotMenuWithItsTicks)
{
    load();
    const store::ProgramSettings saved = store::TheProgramSettings;
    TUserFormInfo* sightings = FindUserForm(QStringLiteral("Sightings"));
    const auto& items = PlotMenuOf(*sightings);
    QMenu map;
    store::TheProgramSettings.LookupPopup = 0;
    EXPECT_GE(AddUserFormPlotMenus(&map), 1);
    QMenu* sub = nullptr;
    for (QAction* a : map.actions())
        if (a->menu() && a->text() == QLatin1String("Sightings"))
            sub = a->menu();
    ASSERT_NE(sub, nullptr);
    ASSERT_EQ(sub->actions().size(), qsizetype(items.size()));
    EXPECT_TRUE(sub->actions()[1]->isSeparator());
    EXPECT_EQ(sub->actions()[2]->text(), QStringLiteral("Harbour porpoise"));

    // A choice ticks the item in the menu and in the form's plot choices.
    sub->actions()[2]->trigger();
    EXPECT_TRUE(sub->actions()[2]->isChecked());
    EXPECT_TRUE(items[2].checked);
    EXPECT_TRUE(sightings->FindRowByTitle(QStringLiteral("Species"))->lookup[1].plotSelected);
    sub->actions()[2]->trigger();
    EXPECT_FALSE(items[2].checked);
    EXPECT_FALSE(sub->actions()[2]->isChecked());

    // With look-up selections in a box each form is one entry that opens it.
    int boxes = 0;
    setLookupCheckBoxesHandler([&](TUserFormInfo& form) { boxes += &form == sightings ? 1 : 0; });
    store::TheProgramSettings.LookupPopup = 1;
    QMenu styled;
    AddUserFormPlotMenus(&styled);
    QAction* entry = nullptr;
    for (QAction* a : styled.actions())
        if (a->text() == QLatin1String("Sightings..."))
            entry = a;
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->menu(), nullptr);
    entry->trigger();
    EXPECT_EQ(boxes, 1);
    setLookupCheckBoxesHandler({});
    store::TheProgramSettings = saved;
}

// The look-up check boxes: one per non-empty menu item, applied to the
// menu's ticks; an Apply without a change tells the map nothing, and Cancel
// keeps what an earlier Apply did.
TEST_F(FormListTest, LookupCheckBoxesWorkOnTheMenuTicks)
{
    load();
    TUserFormInfo* sightings = FindUserForm(QStringLiteral("Sightings"));
    const auto& items = PlotMenuOf(*sightings);
    int separators = 0;
    for (const PlotMenuItem& item : items)
        separators += item.kind == PlotMenuItem::Separator ? 1 : 0;
    int redraws = 0;
    {
        LookupCheckBoxes boxes(&mainWindow, *sightings, [&] { ++redraws; });
        EXPECT_EQ(boxes.windowTitle(), QStringLiteral("Select Sightings to plot"));
        EXPECT_EQ(boxes.findChildren<QCheckBox*>().size(), qsizetype(items.size()) - separators);
        EXPECT_FALSE(boxes.ApplyBoxes());
        EXPECT_EQ(redraws, 0);
        boxes.Box(items[2].id)->setChecked(true);
        EXPECT_TRUE(boxes.ApplyBoxes());
        EXPECT_EQ(redraws, 1);
        EXPECT_TRUE(items[2].checked);
        EXPECT_TRUE(sightings->FindRowByTitle(QStringLiteral("Species"))->lookup[1].plotSelected);
        boxes.Box(items[2].id)->setChecked(false);
        boxes.reject();
    }
    EXPECT_TRUE(items[2].checked) << "Cancel keeps the applied choice";
    LookupCheckBoxes again(&mainWindow, *sightings, [&] { ++redraws; });
    EXPECT_TRUE(again.Box(items[2].id)->isChecked());
    SetPlotMenuCheck(*sightings, items[2].id, false);
    ReadPlotMenu(*sightings);
}

TEST(LookupCheckBoxGrid, ColumnsForTheScreenHeight)
{
    struct Row {
        int items, pitch, height, columns, rows;
    };
    for (const Row& r : {Row{10, 20, 700, 1, 10}, Row{0, 20, 700, 1, 0}, Row{60, 20, 700, 2, 30},
                         Row{100, 20, 700, 3, 34}, Row{5, 20, 50, 4, 2}})
        EXPECT_EQ((std::pair{LookupCheckBoxGrid(r.items, r.pitch, r.height).columns,
                             LookupCheckBoxGrid(r.items, r.pitch, r.height).rows}),
                  (std::pair{r.columns, r.rows}))
            << r.items << " items";
}

// The map's key lists what the form plots: "All Species" with the items
// drawn in colours of their own, then each other chosen control.
TEST_F(FormListTest, MapKeyEntriesListWhatTheFormPlots)
{
    load();
    TUserFormInfo* sightings = FindUserForm(QStringLiteral("Sightings"));
    const auto& items = PlotMenuOf(*sightings);
    EXPECT_TRUE(UserFormKeyEntries({sightings}).empty()) << "nothing chosen, nothing listed";
    SetPlotMenuCheck(*sightings, items[0].id, true);
    SetPlotMenuCheck(*sightings, items[4].id, true);
    ReadPlotMenu(*sightings);
    QStringList texts;
    for (const FormKeyEntry& e : UserFormKeyEntries({sightings}))
        texts << e.text;
    EXPECT_EQ(texts, (QStringList{"All Species", "Harbour porpoise", "Range"}));
    SetPlotMenuCheck(*sightings, items[0].id, false);
    SetPlotMenuCheck(*sightings, items[4].id, false);
    ReadPlotMenu(*sightings);
}

TEST_F(FormListTest, ButtonEditorListsFormsAndTheirFields)
{
    load();
    QStringList names;
    for (TUserFormInfo* f : UserFormList())
        names << f->FormName;
    EXPECT_EQ(UserFormNameList(), names.join(QLatin1Char('\r')) + QLatin1Char('\r'));
    EXPECT_EQ(UserFormFieldList(QStringLiteral("sightings")), QStringLiteral("Count\rSpecies\rComment\rRange\r"));
    EXPECT_EQ(UserFormFieldList(QStringLiteral("Nothing")), QString());
}

// The answer to a poke tells whether its row is stored: it is stored before
// the answer, and a refused one leaves the window as it was.
TEST_F(FormListTest, PokedDataFillsTheFirstWindowOfAnEnabledFormAndStores)
{
    load();
    FakeFormWindow* w = windowOf("Sightings");
    int stored = -1;
    w->onStored = [&](int result) { stored = result; };
    EXPECT_TRUE(UserFormDdePoke(QStringLiteral("sightings"), QByteArray("12, HP ,,3.5")));
    EXPECT_EQ(w->stores, 1);
    EXPECT_EQ(stored, kStoreOk);
    EXPECT_EQ(w->values[0], QString());
    store::test::DirectDb db(dbFile);
    EXPECT_EQ(db.rows(QStringLiteral("SELECT Count, Species, Comment, Range FROM Sightings")),
              QStringList{QStringLiteral("12|HP |NULL|3.5")});

    // A value the table refuses: nothing stored, the typed values kept.
    w->values = {QStringLiteral("7"), QString(), QString(), QString()};
    ASSERT_TRUE(execSql(QStringLiteral("CREATE TRIGGER NoMore BEFORE INSERT ON Sightings BEGIN "
                                       "SELECT RAISE(ABORT, 'full'); END")));
    EXPECT_FALSE(UserFormDdePoke(QStringLiteral("Sightings"), QByteArray("99,MW")));
    EXPECT_EQ(w->values, (FormValues{"7", QString(), QString(), QString()}));
    ASSERT_TRUE(execSql(QStringLiteral("DROP TRIGGER NoMore")));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT count(*) FROM Sightings")), QStringList{QStringLiteral("1")});

    // Forms without DDEENABLE, other topics and oversized data are refused.
    EXPECT_FALSE(UserFormDdePoke(QStringLiteral("Incident"), QByteArray("x")));
    EXPECT_FALSE(UserFormDdeHandler(QStringLiteral("EventsService"), QStringLiteral("Sightings"), "1"));
    EXPECT_FALSE(UserFormDdePoke(QStringLiteral("Sightings"), QByteArray(kMaxUserFormPokeBytes + 1, '7')));
    EXPECT_TRUE(UserFormDdeHandler(QStringLiteral("udfservice"), QStringLiteral("Sightings"),
                                   QByteArray("1,MW,") + QByteArray(500, 'x')));
    // The control's buffer of 10 holds 9 characters and its terminator.
    EXPECT_EQ(db.rows(QStringLiteral("SELECT Comment FROM Sightings ORDER BY \"Index\" DESC LIMIT 1")),
              QStringList{QString(9, QLatin1Char('x'))});
    // Characters, not halves of one: a character beyond the first plane is
    // kept whole or left out, never cut to a lone surrogate stored as "?".
    const QByteArray face = "\xF0\x9F\x98\x80";
    EXPECT_TRUE(UserFormDdePoke(QStringLiteral("Sightings"), "1,MW,xxxxxxxx" + face + face));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT Comment FROM Sightings ORDER BY \"Index\" DESC LIMIT 1")),
              QStringList{QStringLiteral("xxxxxxxx") + QString::fromUtf8(face)});
}

// A form may never alter or fill one of the survey's own tables, whether it
// is named after one or names one as its data table (in any case).
TEST_F(FormListTest, AFormStoringIntoAFixedTableIsRefused)
{
    for (const char* table : {"UDF_Comments", "UDF_Fixes"})
        store::DbCheckUserTable(store::GetDbConnection(), QLatin1String(table), store::kUserTableUserForm);
    ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDF_Comments\" (\"Order\", \"Type\", \"Title\", \"Length\") "
                                       "VALUES (1, 'CHAR', 'Remark', 20), (2, 'DDEENABLE', '', 0)")));
    ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDF_Fixes\" (\"Order\", \"Type\", \"Title\", \"DbTitle\") "
                                       "VALUES (1, 'INTEGER', 'Satellites', ''), (2, 'DBTABLENAME', '', 'gpsdata')")));
    store::test::DirectDb db(dbFile);
    const QStringList commentsBefore = db.columns(QStringLiteral("Comments"));
    const QStringList gpsBefore = db.columns(QStringLiteral("GpsData"));
    sink.messages.clear();

    load();
    EXPECT_EQ(FindUserForm(QStringLiteral("Comments")), nullptr);
    EXPECT_EQ(FindUserForm(QStringLiteral("Fixes")), nullptr);
    ASSERT_NE(FindUserForm(QStringLiteral("Sightings")), nullptr);
    EXPECT_FALSE(tabTexts().contains(QStringLiteral("Fixes")));
    ASSERT_EQ(sink.messages.size(), 2u) << captions().join(u'\n').toStdString();
    for (const auto& m : sink.messages) {
        EXPECT_EQ(m.caption, QString::fromLatin1(kDefinitionErrorCaption));
        EXPECT_TRUE(m.text.contains(QStringLiteral("not loaded"))) << m.text.toStdString();
    }
    EXPECT_TRUE(sink.messages[0].text.contains(QStringLiteral("\"Comments\""))) << sink.messages[0].text.toStdString();
    EXPECT_TRUE(sink.messages[1].text.contains(QStringLiteral("\"gpsdata\""))) << sink.messages[1].text.toStdString();
    EXPECT_EQ(db.columns(QStringLiteral("Comments")), commentsBefore);
    EXPECT_EQ(db.columns(QStringLiteral("GpsData")), gpsBefore);
    EXPECT_FALSE(UserFormDdePoke(QStringLiteral("Comments"), QByteArray("a remark")));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT count(*) FROM Comments")), QStringList{QStringLiteral("0")});
}

// Forms still loaded when the program ends leave the form list without
// touching anything already destroyed (AddressSanitizer sees it). The form
// list's own state is made first, as at the program's start, so it is
// destroyed last.
TEST(FormsAtExit, FormsStillLoadedWhenTheProgramEndsLeaveCleanly)
{
    // The child starts afresh with this environment. It ends without its
    // application object, whose leaks are not the point here.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    qputenv("ASAN_OPTIONS", qgetenv("ASAN_OPTIONS") + ":detect_leaks=0");
    EXPECT_EXIT(
        {
            UnloadUserForms();
            QTemporaryDir dir;
            store::SetBlankDatabaseTemplate(store::test::blankTemplate());
            if (store::OpenDB(nullptr, dir.filePath(QStringLiteral("survey.sqlite"))) != store::kOpenDbOk
                || !applyScript(sampleSurveyScript()))
                std::exit(2);
            setHotKeyRegistrar(new FakeHotKeys); // lives on, as the program's service does
            setUserFormWindowFactory([](QWidget* parent, TUserFormInfo& form, bool popup) {
                return new FakeFormWindow(popup ? nullptr : parent, form, popup);
            });
            QWidget mainWindow;
            if (LoadUserForms(&mainWindow, nullptr, 0) == 0)
                std::exit(3);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

struct SplitCase {
    const char* legend;
    QByteArray data;
    std::vector<QString> fields;
};

TEST(PokedFields, SplitAtCommasWithLeadingBlanksSkipped)
{
    const SplitCase cases[] = {
        {"empty", QByteArray(), {}},
        {"one", "12", {"12"}},
        {"blanks and empties", "12, A ,,3.5", {"12", "A ", "", "3.5"}},
        {"trailing comma", "1,", {"1", ""}},
        {"ends at a zero byte", QByteArray("1,2\0,3", 6), {"1", "2"}},
        {"UTF-8", "caf\xc3\xa9", {QString::fromUtf8("caf\xc3\xa9")}},
        {"Latin-1", "caf\xe9", {QString::fromLatin1("caf\xe9")}},
    };
    for (const SplitCase& c : cases)
        EXPECT_EQ(SplitPokedFields(c.data), c.fields) << c.legend;
}

} // namespace
} // namespace velmar::forms::test
