// Button panels built from a sample definition table, and what a press does:
// its row in the press log, the linked form, the broadcast, the order of its
// actions, the repeat rules of grouped buttons and the reports of what could
// not be done.
#include "forms/ButtonDefinition.h"
#include "forms/ButtonDigitalIo.h"
#include "forms/ButtonPorts.h"
#include "forms/ButtonSerialPort.h"
#include "forms/ControlIds.h"
#include "forms/ControlKeywords.h"
#include "forms/ui/ButtonInfoDialog.h"
#include "forms/ui/ComPortDialog.h"
#include "forms/ui/TButtonForm.h"
#include "sound/ButtonSound.h"
#include "settings/ProgramSettings.h"
#include "store/FixedSchema.h"
#include "store/RecordWriters.h"
#include "tests/forms/FormsTestSupport.h"
#include "tests/support/CutTexts.h"
#include "tests/nmeaserver/PtyPair.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSerialPort>
#include <QTabBar>
#include <QTest>

#include <memory>
#include <vector>

namespace velmar::forms::test {
namespace {

struct Broadcast {
    QString message;
    quint64 w;
    qint64 l;
    bool operator==(const Broadcast&) const = default;
};

struct FakeForm : ButtonLinkedForm {
    bool FillFromButton(const QString& indexTitle, const QString& indexText, const QString& dataTitle,
                        const QString& ctrlData) override
    {
        calls << QStringList{indexTitle, indexText, dataTitle, ctrlData}.join(QLatin1Char('|'));
        return true;
    }
    QStringList calls;
};

// A row of the sample definition: Order, Type, Name, then extra columns.
struct SampleRow {
    int order;
    const char* type;
    const char* name;
    QString extra; // ", \"Code\"='X', ..." assignments after the insert
};

class ButtonPanelTest : public FormsTest {
protected:
    void SetUp() override
    {
        FormsTest::SetUp();
        ResetControlIds();
        ResetButtonPressPorts();
        store::SetLastGpsReference(7, QStringLiteral("2026-12-10 10:00:00"));
        ButtonPressPorts& p = buttonPressPorts();
        p.programTime = [] {
            platform::SystemTime t;
            t.wYear = 2026, t.wMonth = 12, t.wDay = 10, t.wHour = 10, t.wMinute = 0, t.wSecond = 5;
            return t;
        };
        p.pollGps = [this] { ++polls; };
        p.broadcast = [this](const QString& m, quint64 w, qint64 l) { broadcasts.push_back({m, w, l}); };
        p.findUserForm = [this](const QString& name) -> ButtonLinkedForm* {
            return name.compare(QLatin1String("Sightings"), Qt::CaseInsensitive) == 0 ? &form : nullptr;
        };
    }
    void TearDown() override
    {
        DeleteButtonForms();
        ResetButtonPressPorts();
        FormsTest::TearDown();
    }

    // Makes "UDB_<panel>" from the template and fills it.
    void definePanel(const QString& panel, const std::vector<SampleRow>& rows)
    {
        const QString table = QStringLiteral("UDB_") + panel;
        ASSERT_TRUE(store::DbCheckUserTable(store::GetDbConnection(), table, store::kUserTableButtonForm));
        for (const SampleRow& r : rows) {
            ASSERT_TRUE(
                execSql(QStringLiteral("INSERT INTO \"%1\" (\"Order\", \"Type\", \"Name\") VALUES (%2, '%3', '%4')")
                            .arg(table)
                            .arg(r.order)
                            .arg(QLatin1String(r.type), QLatin1String(r.name))));
            if (!r.extra.isEmpty()) {
                ASSERT_TRUE(execSql(
                    QStringLiteral("UPDATE \"%1\" SET %2 WHERE \"Order\" = %3").arg(table, r.extra).arg(r.order)));
            }
        }
    }

    void defineSample()
    {
        definePanel(QStringLiteral("Watch"),
                    {
                        {1, "BUTTONGROUP", "Behaviour", {}},
                        {2, "RADIOBUTTON", "Feeding", "\"Code\"='FEED'"},
                        {3, "RADIOBUTTON", "Resting", "\"Code\"='REST'"},
                        {4, "ENDBUTTONGROUP", "", {}},
                        {5, "NEWLINE", "", {}},
                        {6, "BUTTON", "Sighting",
                         "\"Code\"='SIGHT', \"Hot Key\"='S', \"Form\"='sightings', \"Button Index\"='Press', "
                         "\"Form Ctrl\"='What', \"Ctrl Data\"='dolphin', \"Broadcast\"=5"},
                        {7, "BUTTON", "Record",
                         "\"Code\"='REC', \"Recording\"=30, \"Recorder\"=0, \"Kelvor\"=2, "
                         "\"Ctrl Data\"='song'"},
                        {8, "STATIC", "Notes", {}},
                        {9, "BUTTON", "Echo", "\"Code\"='ECHO', \"OnBroadcast\"=5"},
                    });
    }

    // Builds every panel of the database; returns the one of that name (the
    // first when no name is given).
    TButtonForm* load(const QString& name = QString())
    {
        tabs = std::make_unique<QTabBar>();
        host = std::make_unique<QWidget>();
        LoadButtonForms(host.get(), tabs.get(), 0);
        for (TButtonForm* p : ButtonFormList())
            if (name.isEmpty() || p->PanelName() == name)
                return p;
        return nullptr;
    }

    int rowOf(TButtonForm* p, const QString& name)
    {
        for (int i = 0; i < int(p->Rows().size()); ++i)
            if (p->Rows()[std::size_t(i)].Name == name)
                return i;
        return -1;
    }

    QStringList log(const QString& table)
    {
        store::test::DirectDb db(dbFile);
        return db.rows(QStringLiteral("SELECT \"GpsIndex\", \"GPSTime\", \"DateTime\", \"Code\", \"External\", "
                                      "\"RecordingIndex\" FROM \"%1\" ORDER BY \"Index\"")
                           .arg(table));
    }

    static void settle()
    {
        for (int i = 0; i < 10; ++i)
            QCoreApplication::processEvents();
    }

    int polls = 0;
    std::vector<Broadcast> broadcasts;
    FakeForm form;
    std::unique_ptr<QTabBar> tabs;
    std::unique_ptr<QWidget> host;
};

TEST_F(ButtonPanelTest, PanelIsBuiltAsDefined)
{
    defineSample();
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->PanelName(), QStringLiteral("Watch"));
    ASSERT_EQ(tabs->count(), 1);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Watch"));

    auto* sighting = p->ButtonOf(rowOf(p, QStringLiteral("Sighting")));
    ASSERT_NE(sighting, nullptr);
    EXPECT_EQ(sighting->text(), QStringLiteral("Sighting\nCtrl - S"));
    EXPECT_EQ(p->Rows()[std::size_t(rowOf(p, QStringLiteral("Sighting")))].hotKeyId, 'S');
    EXPECT_TRUE(hotKeys.taken.count('S'));

    auto* feeding = qobject_cast<QRadioButton*>(p->ButtonOf(rowOf(p, QStringLiteral("Feeding"))));
    ASSERT_NE(feeding, nullptr);
    auto* box = qobject_cast<QGroupBox*>(p->ControlOf(rowOf(p, QStringLiteral("Behaviour"))));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->title(), QStringLiteral("Behaviour"));
    EXPECT_TRUE(box->geometry().contains(feeding->geometry().center()));
    // The line after the group starts below the box.
    EXPECT_GT(sighting->geometry().top(), box->geometry().top());
    EXPECT_NE(p->findChild<QCheckBox*>(), nullptr);
    EXPECT_EQ(p->Rows()[std::size_t(rowOf(p, QStringLiteral("Feeding")))].group, rowOf(p, QStringLiteral("Behaviour")));
    EXPECT_EQ(p->Rows()[std::size_t(rowOf(p, QStringLiteral("Echo")))].group, -1);
}

// At a large font, and after a font row of the panel, every caption of the
// panel and of its button editor's pages and tabs shows whole.
TEST_F(ButtonPanelTest, AtALargeFontNoCaptionIsCut)
{
    const QFont before = QApplication::font();
    QFont large(QStringLiteral("Sans Serif"));
    large.setPixelSize(26);
    QApplication::setFont(large);
    definePanel(QStringLiteral("Big"), {{1, "BUTTON", "Sighting", "\"Hot Key\"='S'"},
                                        {2, "RADIOBUTTON", "Feeding", {}},
                                        {3, "STATIC", "Comment", {}},
                                        {4, "NEWLINE", "", {}},
                                        {5, "FONT", "Sans Serif", "\"Recording\"=22"},
                                        {6, "BUTTON", "Harbour porpoise", {}},
                                        {7, "BUTTON", "MMMMWWWW", {}}});
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    p->resize(3000, 1200);
    p->show();
    QApplication::processEvents();
    EXPECT_EQ(velmar::test::CutTexts(p), QStringList());
    TButtonInfoDlg dialog(nullptr, p->Rows()[0], *p);
    dialog.show();
    QApplication::processEvents();
    EXPECT_EQ(velmar::test::CutTexts(&dialog), QStringList());
    QApplication::setFont(before);
}

TEST_F(ButtonPanelTest, PrefixInLowerCaseIsAPanel)
{
    definePanel(QStringLiteral("Low"), {{1, "BUTTON", "One", "\"Code\"='ONE'"}});
    ASSERT_TRUE(execSql(QStringLiteral("ALTER TABLE \"UDB_Low\" RENAME TO \"udb_Sightings\"")));
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->PanelName(), QStringLiteral("Sightings"));
}

TEST_F(ButtonPanelTest, ClickStoresOneRowWithTimeGpsAndCode)
{
    defineSample();
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    p->ButtonOf(rowOf(p, QStringLiteral("Sighting")))->click();
    EXPECT_EQ(log(QStringLiteral("Watch")),
              QStringList{QStringLiteral("7|2026-12-10 10:00:00|2026-12-10 10:00:05|SIGHT|0|0")});
    EXPECT_EQ(p->PressIndex(), 1);
    // Once before the actions and once right before the row is stored.
    EXPECT_EQ(polls, 2);
}

TEST_F(ButtonPanelTest, LinkedFormReceivesPressIndexAndCtrlData)
{
    defineSample();
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    QAbstractButton* b = p->ButtonOf(rowOf(p, QStringLiteral("Sighting")));
    b->click();
    b->click();
    EXPECT_EQ(form.calls,
              (QStringList{QStringLiteral("Press|1|What|dolphin"), QStringLiteral("Press|2|What|dolphin")}));
}

TEST_F(ButtonPanelTest, FailedInsertHandsTheFormNoStaleNumber)
{
    defineSample();
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    QAbstractButton* b = p->ButtonOf(rowOf(p, QStringLiteral("Sighting")));
    b->click();
    ASSERT_TRUE(execSql(QStringLiteral("DROP TABLE \"Watch\"")));
    b->click();
    ASSERT_EQ(form.calls.size(), 2);
    EXPECT_EQ(form.calls[1], QStringLiteral("Press||What|dolphin"));
    EXPECT_EQ(p->PressIndex(), 1);
    EXPECT_EQ(sink.beeps, 1);
}

TEST_F(ButtonPanelTest, RadioGroupKeepsOneButtonDown)
{
    defineSample();
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    QAbstractButton* feeding = p->ButtonOf(rowOf(p, QStringLiteral("Feeding")));
    QAbstractButton* resting = p->ButtonOf(rowOf(p, QStringLiteral("Resting")));
    QTest::mouseClick(feeding, Qt::LeftButton);
    settle();
    EXPECT_TRUE(feeding->isChecked());
    QTest::mouseClick(resting, Qt::LeftButton);
    settle();
    EXPECT_TRUE(resting->isChecked());
    EXPECT_FALSE(feeding->isChecked());
    // A second click on the selected one keeps it down.
    QTest::mouseClick(resting, Qt::LeftButton);
    settle();
    EXPECT_TRUE(resting->isChecked());
    EXPECT_EQ(log(QStringLiteral("Watch")).size(), 3);
}

TEST_F(ButtonPanelTest, RecordingStartsBeforeTheRowIsStoredAndItsIndexIsInTheRow)
{
    defineSample();
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    QStringList steps;
    buttonPressPorts().triggerRecorder = [&](int recorder, int seconds, const QString& reason) -> std::optional<int> {
        steps << QStringLiteral("record %1 %2 %3 rows=%4")
                     .arg(recorder)
                     .arg(seconds)
                     .arg(reason)
                     .arg(log("Watch").size());
        return 42;
    };
    buttonPressPorts().grab = [&](int grabber, const QString& reason) {
        steps << QStringLiteral("grab %1 %2 rows=%3").arg(grabber).arg(reason).arg(log("Watch").size());
        return true;
    };
    p->ButtonOf(rowOf(p, QStringLiteral("Record")))->click();
    EXPECT_EQ(steps, (QStringList{QStringLiteral("record 0 30 Watch button rec 0, code song rows=0"),
                                  QStringLiteral("grab 2 Button REC rows=0")}));
    EXPECT_EQ(log(QStringLiteral("Watch")),
              QStringList{QStringLiteral("7|2026-12-10 10:00:00|2026-12-10 10:00:05|REC|0|42")});
}

TEST_F(ButtonPanelTest, WithoutRecorderOrGrabberThePressIsStillStored)
{
    defineSample();
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    buttonPressPorts().triggerRecorder = [](int, int, const QString&) -> std::optional<int> { return std::nullopt; };
    p->ButtonOf(rowOf(p, QStringLiteral("Record")))->click();
    EXPECT_EQ(log(QStringLiteral("Watch")),
              QStringList{QStringLiteral("7|2026-12-10 10:00:00|2026-12-10 10:00:05|REC|0|0")});
}

TEST_F(ButtonPanelTest, BroadcastGoesOutTwiceAndPressesAnsweringRowsOnce)
{
    defineSample();
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    p->ButtonOf(rowOf(p, QStringLiteral("Sighting")))->click();
    settle();
    const QString name = QStringLiteral("VelmarButtonMessage");
    EXPECT_EQ(broadcasts, (std::vector<Broadcast>{{name, 5, 1}, {name, 5, 2}}));
    QStringList codes;
    for (const QString& r : log(QStringLiteral("Watch")))
        codes << r.section(QLatin1Char('|'), 3, 3);
    EXPECT_EQ(codes, (QStringList{QStringLiteral("SIGHT"), QStringLiteral("ECHO")}));
}

TEST_F(ButtonPanelTest, CodeZeroAndSecondCopyAreIgnored)
{
    defineSample();
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    p->OnBroadcast(5, 2);
    p->OnBroadcast(0, 1);
    settle();
    EXPECT_TRUE(log(QStringLiteral("Watch")).isEmpty());
}

TEST_F(ButtonPanelTest, RowsAnsweringEachOtherDoNotPressWithoutEnd)
{
    definePanel(QStringLiteral("Loop"),
                {
                    {1, "BUTTON", "Self", "\"Code\"='SELF', \"Broadcast\"=9, \"OnBroadcast\"=9"},
                    {2, "BUTTON", "Ping", "\"Code\"='PING', \"Broadcast\"=3, \"OnBroadcast\"=4"},
                    {3, "BUTTON", "Pong", "\"Code\"='PONG', \"Broadcast\"=4, \"OnBroadcast\"=3"},
                });
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    p->ButtonOf(0)->click();
    settle();
    EXPECT_EQ(log(QStringLiteral("Loop")).size(), 1);
    p->ButtonOf(1)->click();
    settle();
    QStringList codes;
    for (const QString& r : log(QStringLiteral("Loop")))
        codes << r.section(QLatin1Char('|'), 3, 3);
    EXPECT_EQ(codes, (QStringList{QStringLiteral("SELF"), QStringLiteral("PING"), QStringLiteral("PONG")}));
}

TEST_F(ButtonPanelTest, RepeatPressOfAGroupedButtonFollowsOptionFlags)
{
    for (int flags : {0, 7}) {
        SCOPED_TRACE(flags);
        DeleteButtonForms();
        const QString panel = QStringLiteral("Rep%1").arg(flags);
        const QString extra = QStringLiteral("\"Code\"='A', \"AutoNextButton\"=5, \"AutoNextTime\"=2.5, "
                                             "\"OutputChannel\"=3, \"PulseType\"='hilo', \"PulseLength\"=0.2, "
                                             "\"OptionFlags\"=%1")
                                  .arg(flags);
        definePanel(panel, {{1, "BUTTONGROUP", "G", {}},
                            {2, "PUSHRADIOBUTTON", "A", extra},
                            {3, "PUSHRADIOBUTTON", "B", "\"Code\"='B'"},
                            {4, "ENDBUTTONGROUP", "", {}},
                            {5, "BUTTON", "Next", "\"Code\"='N'"}});
        TButtonForm* p = load(panel);
        ASSERT_NE(p, nullptr);
        std::vector<int> pulses;
        buttonPressPorts().requestDigitalOutput = [&](int bit, int count, int code, int ms) {
            pulses.push_back(bit * 1000000 + count * 10000 + code * 1000 + ms);
            return true;
        };
        const int a = p->Rows()[1].controlId;
        const int b = p->Rows()[2].controlId;
        p->Press(a);
        settle();
        EXPECT_EQ(p->ArmedTimerMs(a), 2500);
        p->EvTimer(a); // the armed press, without waiting for it
        settle();
        EXPECT_EQ(p->ArmedTimerMs(a), -1);
        p->Press(a); // repeat press
        settle();
        EXPECT_EQ(p->ArmedTimerMs(a), flags ? 2500 : -1);
        // Bit 2 is "don't send repeat digital signals", as the editor names it.
        EXPECT_EQ(pulses.size(), flags ? 1u : 2u);
        p->Press(b);
        settle();
        p->Press(a); // a normal press again
        settle();
        EXPECT_EQ(p->ArmedTimerMs(a), 2500);
        EXPECT_EQ(pulses.size(), flags ? 2u : 3u);
        EXPECT_EQ(pulses.front(), 3 * 1000000 + 1 * 10000 + 3 * 1000 + 200);
        QStringList codes;
        for (const QString& r : log(panel))
            codes << r.section(QLatin1Char('|'), 3, 3);
        // Every press is logged, the repeat press too.
        EXPECT_EQ(codes, (QStringList{"A", "N", "A", "B", "A"}));
    }
}

TEST_F(ButtonPanelTest, AutoNextNamingNoRowArmsNothing)
{
    definePanel(QStringLiteral("Auto"), {{1, "BUTTON", "A", "\"AutoNextButton\"=99, \"AutoNextTime\"=1"}});
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    p->ButtonOf(0)->click();
    EXPECT_EQ(p->ArmedTimerMs(p->Rows()[0].controlId), -1);
}

TEST_F(ButtonPanelTest, OutputThatCannotBeSentIsReportedOnce)
{
    definePanel(QStringLiteral("Out"), {{1, "BUTTON", "Pulse", "\"OutputChannel\"=1, \"PulseType\"='GOHI'"},
                                        {2, "BUTTON", "NoPulse", "\"PulseType\"='GOHI'"}});
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    buttonPressPorts().requestDigitalOutput = [](int, int, int, int) { return false; };
    p->ButtonOf(0)->click();
    p->ButtonOf(0)->click();
    p->ButtonOf(1)->click(); // a NULL OutputChannel sends no pulse at all
    EXPECT_EQ(captions(), QStringList{QStringLiteral("Digital Output")});
    EXPECT_EQ(log(QStringLiteral("Out")).size(), 3);
}

TEST_F(ButtonPanelTest, MissingSoundIsReportedOnceAndThePressStored)
{
    definePanel(QStringLiteral("Snd"), {{1, "BUTTON", "Beep", "\"PlaySound\"='/no/such/file.wav'"}});
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    int played = 0;
    buttonPressPorts().playSound = [&](const QString&, QString*) { return ++played, true; };
    p->ButtonOf(0)->click();
    p->ButtonOf(0)->click();
    EXPECT_EQ(captions(), QStringList{QStringLiteral("Button Sound")});
    EXPECT_EQ(played, 0);
    EXPECT_EQ(log(QStringLiteral("Snd")).size(), 2);
}

TEST_F(ButtonPanelTest, ExternalSwitchStoresExternalOnItsFallingEdge)
{
    definePanel(QStringLiteral("Ext"), {{1, "BUTTON", "Foot", "\"Code\"='FOOT', \"External\"=3"},
                                        {2, "BUTTON", "Far", "\"Code\"='FAR', \"External\"=35"}});
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->ExternalMask, 1u << 3);
    p->OnExternalInput(3, 1);
    p->OnExternalInput(3, 0);
    EXPECT_EQ(log(QStringLiteral("Ext")),
              QStringList{QStringLiteral("7|2026-12-10 10:00:00|2026-12-10 10:00:05|FOOT|1|0")});
}

TEST_F(ButtonPanelTest, ExternalSwitchesWithoutABoardLibraryAreToldOnce)
{
    definePanel(QStringLiteral("Ext"), {{1, "BUTTON", "Foot", "\"Code\"='FOOT', \"External\"=3"}});
    store::TheProgramSettings.ButtonDeviceType = kMeasurementComputingBoard;
    ASSERT_NE(load(), nullptr);
    ButtonFormsStartButtonThread(true);
    store::TheProgramSettings.ButtonDeviceType = 0;
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption, QLatin1String(kExternalButtonErrorCaption));
    EXPECT_EQ(sink.messages[0].text, QLatin1String(kExternalButtonsUnavailableText));
}

TEST_F(ButtonPanelTest, HotKeysPressTheirRowAndTheSecondTakerIsRefused)
{
    definePanel(QStringLiteral("Keys"), {{1, "BUTTON", "One", "\"Code\"='ONE', \"Hot Key\"='F'"},
                                         {2, "BUTTON", "Two", "\"Code\"='TWO', \"Hot Key\"='f'"}});
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Rows()[0].hotKeyId, 'F');
    EXPECT_EQ(p->Rows()[1].hotKeyId, 0);
    EXPECT_EQ(captions(), QStringList{QString::fromLatin1(kInvalidHotKeyCaption)});
    EXPECT_TRUE(ButtonFormsOnHotKey('F'));
    EXPECT_FALSE(ButtonFormsOnHotKey('G'));
    EXPECT_EQ(log(QStringLiteral("Keys")).size(), 1);
}

TEST_F(ButtonPanelTest, DefaultRadioStartsSelectedAndPressesOnce)
{
    definePanel(QStringLiteral("Def"), {{1, "BUTTONGROUP", "G", {}},
                                        {2, "RADIOBUTTON", "On", "\"Code\"='ON', \"Default\"=1"},
                                        {3, "RADIOBUTTON", "Off", "\"Code\"='OFF'"}});
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    settle();
    EXPECT_TRUE(p->ButtonOf(1)->isChecked());
    EXPECT_EQ(log(QStringLiteral("Def")).size(), 1);
}

TEST_F(ButtonPanelTest, NoPanelsOutsideOnlineLogging)
{
    defineSample();
    platform::RunMode = platform::RunModeOffline;
    tabs = std::make_unique<QTabBar>();
    EXPECT_EQ(LoadButtonForms(nullptr, tabs.get(), 3), 3);
    EXPECT_TRUE(ButtonFormList().empty());
}

TEST_F(ButtonPanelTest, SelectTabShowsOnlyItsPanel)
{
    defineSample();
    definePanel(QStringLiteral("Zed"), {{1, "BUTTON", "Z", {}}});
    tabs = std::make_unique<QTabBar>();
    host = std::make_unique<QWidget>();
    EXPECT_EQ(LoadButtonForms(host.get(), tabs.get(), 0), 2);
    ASSERT_EQ(ButtonFormList().size(), 2u);
    EXPECT_TRUE(ButtonFormsSelectTab(1));
    EXPECT_FALSE(ButtonFormList()[0]->Visible);
    EXPECT_TRUE(ButtonFormList()[1]->Visible);
    EXPECT_FALSE(ButtonFormsSelectTab(5));
}

TEST_F(ButtonPanelTest, EditedRowIsWrittenBackOverItsOrder)
{
    definePanel(QStringLiteral("Edit"), {{1, "BUTTON", "A", {}}, {2, "RADIOBUTTON", "R", {}}, {3, "BUTTON", "C", {}}});
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    ButtonDefinition& a = p->Rows()[std::size_t(rowOf(p, QStringLiteral("A")))];
    a.Code = QStringLiteral("O'NEILL");
    a.present[BcCode] = true;
    a.pulseCode = PulseHiLo;
    a.PulseLength = 0.25f;
    a.present[BcPulseLength] = true;
    a.Type = QStringLiteral("button");
    EXPECT_TRUE(p->WriteBackRow(rowOf(p, QStringLiteral("A"))));
    p->Rows()[std::size_t(rowOf(p, QStringLiteral("R")))].pulseCode = 9;
    EXPECT_TRUE(p->WriteBackRow(rowOf(p, QStringLiteral("R"))));

    store::test::DirectDb db(dbFile);
    EXPECT_EQ(
        db.rows(QStringLiteral("SELECT \"Order\", \"Type\", \"Name\", \"Code\", \"PulseType\", \"PulseLength\" "
                               "FROM \"UDB_Edit\" ORDER BY rowid")),
        (QStringList{"1|BUTTON|A|O'NEI|HILO|0.25", "2|RADIOBUTTON|R|NULL|NONE|NULL", "3|BUTTON|C|NULL|NULL|NULL"}));

    // A row whose "Order" the table no longer has fails without a word.
    a.Order = 9;
    EXPECT_FALSE(p->WriteBackRow(rowOf(p, QStringLiteral("A"))));
    EXPECT_TRUE(captions().isEmpty());
}

TEST_F(ButtonPanelTest, SerialCommandsGoOutAndReceivedTextIsShown)
{
    PtyPair pair;
    ASSERT_TRUE(pair.ready());
    definePanel(QStringLiteral("Ser"),
                {{1, "SERIALPORT", "PORT", "\"OptionFlags\"=8"},
                 {2, "BUTTON", "Hello", "\"Code\"='HI', \"SerialCommand\"='HELLO', \"SendCarriageReturn\"=1"},
                 {3, "BUTTON", "Cr", "\"Code\"='CR', \"SendCarriageReturn\"=1"},
                 {4, "BUTTON", "Quiet", "\"Code\"='Q'"}});
    ASSERT_TRUE(execSql(QStringLiteral("UPDATE \"UDB_Ser\" SET \"Name\"='%1' WHERE \"Order\"=1").arg(pair.port())));
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(captions().isEmpty());
    ASSERT_NE(p->SerialPortOf(0), nullptr);
    EXPECT_TRUE(p->SerialPortOf(0)->IsOpen());

    QSerialPort instrument(pair.folder() + QStringLiteral("/instrument"));
    ASSERT_TRUE(instrument.open(QIODevice::ReadWrite));
    for (int row = 1; row <= 3; ++row)
        p->ButtonOf(row)->click();
    QByteArray received;
    (void)QTest::qWaitFor(
        [&] {
            received += instrument.readAll();
            return received.size() >= 7;
        },
        10000);
    EXPECT_EQ(received, QByteArray("HELLO\r\r"));
    p->Press(p->Rows()[0].controlId); // the port row's box is no button
    settle();
    EXPECT_EQ(log(QStringLiteral("Ser")).size(), 3);

    // The box keeps the newest 40 lines.
    auto* box = qobject_cast<QPlainTextEdit*>(p->ControlOf(0));
    ASSERT_NE(box, nullptr);
    QByteArray lines;
    for (int i = 1; i <= 45; ++i)
        lines += "reply " + QByteArray::number(i) + "\n";
    instrument.write(lines);
    instrument.flush();
    EXPECT_TRUE(QTest::qWaitFor([&] { return box->toPlainText().contains(QStringLiteral("reply 45\n")); }, 10000));
    EXPECT_LE(box->document()->blockCount(), 40);
    EXPECT_FALSE(box->toPlainText().contains(QStringLiteral("reply 1\n")));
}

TEST_F(ButtonPanelTest, PortThatCannotOpenIsReportedAndThePanelWorks)
{
    definePanel(QStringLiteral("Bad"),
                {{1, "SERIALPORT", "/no/such/port", {}}, {2, "BUTTON", "Send", "\"Code\"='S', \"SerialCommand\"='X'"}});
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(captions(), QStringList{QString::fromLatin1(kCantOpenCommPortCaption)});
    p->ButtonOf(1)->click();
    EXPECT_EQ(log(QStringLiteral("Bad")).size(), 1);
}

// A port named as on Windows is kept as stored and refused with a message
// that says why and what to choose instead.
TEST_F(ButtonPanelTest, AWindowsPortNameIsRefusedWithAClearMessage)
{
    definePanel(QStringLiteral("Old"),
                {{1, "SERIALPORT", "COM3", {}}, {2, "BUTTON", "Send", "\"Code\"='S', \"SerialCommand\"='X'"}});
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption, QString::fromLatin1(kCantOpenCommPortCaption));
    EXPECT_TRUE(sink.messages[0].text.startsWith(QStringLiteral("COM3 is the name of a Windows serial port")))
        << sink.messages[0].text.toStdString();
    EXPECT_EQ(p->Rows()[0].Name, QStringLiteral("COM3"));
}

// A WAV file of 16-bit mono samples, written by hand so that the reader is
// checked against the format rather than against itself.
void writeWav(const QString& file, int frames, int sampleRate = 8000)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QDataStream out(&f);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 dataBytes = quint32(frames) * 2;
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataBytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(sampleRate) << quint32(sampleRate * 2) << quint16(2)
        << quint16(16);
    out.writeRawData("data", 4);
    out << dataBytes;
    for (int i = 0; i < frames; ++i)
        out << qint16((i % 16) * 1000);
}

TEST_F(ButtonPanelTest, SoundFilesAreReadOrRefusedWithAReason)
{
    const QString good = path(QStringLiteral("beep.wav"));
    const QString empty = path(QStringLiteral("empty.wav"));
    const QString nonsense = path(QStringLiteral("nonsense.wav"));
    writeWav(good, 800);
    writeWav(empty, 0);
    QFile junk(nonsense);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("this is no sound file at all");
    junk.close();

    sound::SoundSamples samples;
    QString error;
    ASSERT_TRUE(sound::LoadSoundFile(good, samples, &error)) << error.toStdString();
    EXPECT_EQ(samples.channels, 1);
    EXPECT_EQ(samples.sampleRate, 8000);
    ASSERT_EQ(samples.samples.size(), 800u);
    EXPECT_FLOAT_EQ(samples.samples[1], 1000.0f / 32768.0f);
    for (const QString& bad : {empty, nonsense, path(QStringLiteral("missing.wav"))}) {
        error.clear();
        EXPECT_FALSE(sound::LoadSoundFile(bad, samples, &error)) << bad.toStdString();
        EXPECT_TRUE(error.contains(bad)) << error.toStdString();
    }
}

// On a machine without sound output (a build server) presses with two
// different sounds are told once, and every press is stored.
TEST_F(ButtonPanelTest, SoundThroughTheRealOutputNeverFailsThePress)
{
    writeWav(path(QStringLiteral("a.wav")), 400);
    writeWav(path(QStringLiteral("b.wav")), 400);
    definePanel(QStringLiteral("Snd"),
                {{1, "BUTTON", "A", QStringLiteral("\"PlaySound\"='%1'").arg(path(QStringLiteral("a.wav")))},
                 {2, "BUTTON", "B", QStringLiteral("\"PlaySound\"='%1'").arg(path(QStringLiteral("b.wav")))}});
    TButtonForm* p = load();
    ASSERT_NE(p, nullptr);
    auto player = std::make_shared<sound::ButtonSoundPlayer>();
    buttonPressPorts().playSound = [player](const QString& file, QString* error) { return player->Play(file, error); };
    p->ButtonOf(0)->click();
    p->ButtonOf(1)->click();
    p->ButtonOf(0)->click();
    EXPECT_EQ(log(QStringLiteral("Snd")).size(), 3);
    EXPECT_LE(sink.messages.size(), 1u);
    for (const auto& m : sink.messages)
        EXPECT_EQ(m.text, QLatin1String(sound::kNoSoundOutputText));
    player->Stop();
}

// The "Button Settings" form on a row of a sample panel: what it accepts,
// what it refuses (the row then untouched), and the panel's edit path.
class ButtonEditorTest : public ButtonPanelTest {
protected:
    void SetUp() override
    {
        ButtonPanelTest::SetUp();
        definePanel(QStringLiteral("Ed"),
                    {{1, "SERIALPORT", "/no/such/port", {}},
                     {2, "BUTTON", "A", "\"Code\"='A', \"AutoNextButton\"=77, \"AutoNextTime\"=1"},
                     {3, "BUTTON", "B", "\"Code\"='B', \"Form\"='Sightings', \"Ctrl Data\"='x'"}});
        panel = load();
        ASSERT_NE(panel, nullptr);
        sink.messages.clear();
    }
    ButtonDefinition& row(const char* name) { return panel->Rows()[std::size_t(rowOf(panel, QLatin1String(name)))]; }

    TButtonForm* panel = nullptr;
};

TEST_F(ButtonEditorTest, EntriesAreCheckedInOrderAndARefusalLeavesTheRowAlone)
{
    struct Case {
        const char* legend;
        std::function<void(TButtonInfoDlg&)> edit;
        const char* refusal; // null: accepted
    };
    const Case cases[] = {
        {"code of five", [](TButtonInfoDlg& d) { d.buttonCode->setText(QStringLiteral("ABCDE")); }, nullptr},
        {"code of six", [](TButtonInfoDlg& d) { d.buttonCode->setText(QStringLiteral("ABCDEF")); },
         "Button code length exceds 5 characters"},
        {"hot key of six", [](TButtonInfoDlg& d) { d.buttonHotkey->setText(QStringLiteral("F12345")); },
         "Button HotKey length exceds 5 characters"},
        {"name of 49", [](TButtonInfoDlg& d) { d.buttonName->setText(QString(49, QLatin1Char('n'))); }, nullptr},
        {"name of 50", [](TButtonInfoDlg& d) { d.buttonName->setText(QString(50, QLatin1Char('n'))); },
         "Button name length exceds 50 characters"},
        {"set high needs no length",
         [](TButtonInfoDlg& d) {
             d.pulseGOHI->setChecked(true);
             d.pulseChannel->setText(QStringLiteral("3"));
             d.pulseLength->clear();
         },
         nullptr},
        {"a pulse needs a length",
         [](TButtonInfoDlg& d) {
             d.pulseHILO->setChecked(true);
             d.pulseChannel->setText(QStringLiteral("3"));
             d.pulseLength->clear();
         },
         "You have not specified a pulse length"},
        {"no number",
         [](TButtonInfoDlg& d) {
             d.sendBroadcast->setChecked(true);
             d.wParam->setText(QStringLiteral("five"));
         },
         "'five' is not a valid number"},
    };
    ButtonDefinition& b = row("B"); // renamed on the way
    for (const Case& c : cases) {
        SCOPED_TRACE(c.legend);
        sink.messages.clear();
        const ButtonDefinition before = b;
        TButtonInfoDlg dialog(nullptr, b, *panel);
        c.edit(dialog);
        EXPECT_EQ(dialog.ReadControls(), c.refusal == nullptr);
        if (c.refusal) {
            ASSERT_EQ(sink.messages.size(), 1u);
            EXPECT_EQ(sink.messages[0].text, QLatin1String(c.refusal));
            EXPECT_EQ(b.Code, before.Code);
            EXPECT_EQ(b.Name, before.Name);
        }
    }
    EXPECT_EQ(b.Name, QString(49, QLatin1Char('n')));
    EXPECT_EQ(b.Code, QStringLiteral("ABCDE"));
    EXPECT_EQ(b.pulseCode, PulseGoHi);
    EXPECT_EQ(b.OutputChannel, 3);
}

TEST_F(ButtonEditorTest, NextButtonThatIsNoRowIsShownUnchosenAndRefused)
{
    TButtonInfoDlg dialog(nullptr, row("A"), *panel);
    EXPECT_TRUE(dialog.autoNext->isChecked());
    EXPECT_EQ(dialog.nextButton->count(), 2);
    EXPECT_EQ(dialog.nextButton->currentIndex(), -1);
    EXPECT_FALSE(dialog.serialCommand->isEnabled()); // its port did not open
    EXPECT_FALSE(dialog.ReadControls());
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, QStringLiteral("You have not specified a button for the next action"));

    dialog.nextButton->setCurrentIndex(1);
    dialog.formName->setCurrentIndex(0);      // "- none -"
    dialog.grabberNumber->setCurrentIndex(0); // "No Frame Grabbing"
    EXPECT_TRUE(dialog.ReadControls());
    EXPECT_EQ(row("A").AutoNextButton, 3);
    EXPECT_TRUE(row("A").Form.isEmpty());
    EXPECT_FALSE(row("A").isSet(BcForm));
    EXPECT_FALSE(row("A").isSet(BcKelvor));
}

TEST_F(ButtonEditorTest, SettingsEntryEditsTheRowAndWritesItBack)
{
    QStringList entries;
    for (QAction* a : panel->SettingsMenu()->actions())
        entries << a->text();
    EXPECT_EQ(entries,
              (QStringList{"/no/such/port port settings ...", "A button settings ...", "B button settings ..."}));

    buttonEditor() = [](QWidget*, ButtonDefinition& r, TButtonForm&) {
        r.Code = QStringLiteral("EDIT");
        return true;
    };
    panel->SettingsEntry(rowOf(panel, QStringLiteral("B")));
    buttonEditor() = {};
    EXPECT_EQ(store::test::DirectDb(dbFile).rows(QStringLiteral("SELECT \"Code\" FROM \"UDB_Ed\" WHERE \"Order\"=3")),
              QStringList{QStringLiteral("EDIT")});
    // The press takes the edit at once.
    panel->ButtonOf(rowOf(panel, QStringLiteral("B")))->click();
    EXPECT_EQ(log(QStringLiteral("Ed")).last().section(QLatin1Char('|'), 3, 3), QStringLiteral("EDIT"));
}

TEST_F(ButtonEditorTest, PortSettingsEntryReopensThePortForItsButtons)
{
    PtyPair pair;
    ASSERT_TRUE(pair.ready());
    buttonPortEditor() = [&](QWidget*, ButtonDefinition& r, store::SerialLineSettings& line) {
        r.Name = pair.port();
        line.BaudRate = 4800;
        return true;
    };
    panel->SettingsEntry(0);
    buttonPortEditor() = ShowComPortDialog;
    EXPECT_EQ(store::test::DirectDb(dbFile).rows(QStringLiteral("SELECT \"Name\" FROM \"UDB_Ed\" WHERE \"Order\"=1")),
              QStringList{pair.port()});
    EXPECT_EQ(store::ReadSerialSettings(pair.port(), {}).BaudRate, 4800);
    ASSERT_NE(panel->SerialPortOf(0), nullptr);
    EXPECT_TRUE(panel->SerialPortOf(0)->IsOpen());

    // The buttons laid out after the row send on the reopened port.
    QSerialPort instrument(pair.folder() + QStringLiteral("/instrument"));
    ASSERT_TRUE(instrument.open(QIODevice::ReadWrite));
    row("B").SerialCommand = QStringLiteral("GO");
    panel->ButtonOf(rowOf(panel, QStringLiteral("B")))->click();
    QByteArray received;
    (void)QTest::qWaitFor(
        [&] {
            received += instrument.readAll();
            return received.size() >= 2;
        },
        10000);
    EXPECT_EQ(received, QByteArray("GO"));
}

TEST(ButtonSerialCommand, BytesWritten)
{
    EXPECT_EQ(SerialCommandBytes(QStringLiteral("ABCDE"), true), QByteArray("ABCDE\r"));
    EXPECT_EQ(SerialCommandBytes(QString(), true), QByteArray("\r"));
    EXPECT_EQ(SerialCommandBytes(QStringLiteral("GO"), false), QByteArray("GO"));
}

struct HotKeyCase {
    const char* text;
    int code;
};

TEST(ButtonHotKeyCode, Table)
{
    const HotKeyCase cases[] = {
        {"F1", 112}, {"F12", 123}, {"F24", 135}, {"F", 'F'}, {"f", 'F'}, {"x", 'X'},
        {"7", '7'},  {"", 0},      {"AB", 0},    {"F0", 0},  {"F25", 0}, {"Fx", 0},
    };
    for (const HotKeyCase& c : cases)
        EXPECT_EQ(ButtonHotKeyCode(QString::fromLatin1(c.text)), c.code) << c.text;
}

TEST(ButtonPulseType, NamesAndCodes)
{
    EXPECT_EQ(PulseTypeFromName(QStringLiteral("gohi")), PulseGoHi);
    EXPECT_EQ(PulseTypeFromName(QStringLiteral("LOHI")), PulseLoHi);
    EXPECT_EQ(PulseTypeFromName(QStringLiteral("pulse")), PulseNone);
    EXPECT_EQ(PulseTypeName(PulseHiLo), QStringLiteral("HILO"));
    EXPECT_EQ(PulseTypeName(9), QStringLiteral("NONE"));
}

} // namespace
} // namespace velmar::forms::test
