// Status controls: colour codes, the shared blink phase, lookups by id.
#include "widgets/MyControls.h"
#include "tests/shell/ShellTestUtil.h"
#include "tests/support/CutTexts.h"

#include "platform/SystemTime.h"
#include "platform/RunMode.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace velmar::shell;
using namespace velmar::platform;
using velmar::shell::test::Drain;
using velmar::shell::test::PaintCounter;
using velmar::shell::test::PixelAt;

namespace {

const QColor Alarm(225, 128, 128);

struct EditCodeRow {
    const char* legend;
    unsigned code;
    QColor background;
    QColor text;
    QColor staticOn;
};

class EditColourCodes : public ::testing::TestWithParam<EditCodeRow> {};

TEST_P(EditColourCodes, ReadOutAndStaticTakeTheirOwnColours)
{
    const EditCodeRow& row = GetParam();
    QWidget parent;
    auto* edit = new TMyEdit(&parent, 100, "x", 0, 0, 80, 24);
    parent.resize(100, 40);
    parent.show();
    edit->SetColourCode(row.code);
    EXPECT_EQ(edit->Background(), row.background) << row.legend;
    EXPECT_EQ(edit->TextColour(), row.text) << row.legend;
    EXPECT_EQ(edit->palette().color(QPalette::Text), row.text) << row.legend;
    // What the field really shows, away from the centred text.
    EXPECT_EQ(PixelAt(edit, 6, 12), row.background) << row.legend;
    EXPECT_EQ(StaticOnColourForCode(row.code), row.staticOn) << row.legend;
}

INSTANTIATE_TEST_SUITE_P(
    Codes, EditColourCodes,
    ::testing::Values(EditCodeRow{"normal", 1, Qt::white, Qt::black, Qt::white},
                      EditCodeRow{"alarm", 2, Alarm, Qt::black, Alarm},
                      EditCodeRow{"active", 3, QColor(0, 255, 0), Qt::black, QColor(0, 192, 0)},
                      EditCodeRow{"waiting", 4, QColor(128, 128, 255), Qt::black, QColor(128, 128, 255)},
                      EditCodeRow{"as alarm", 5, Alarm, Qt::black, Alarm},
                      EditCodeRow{"pale", 6, QColor(255, 255, 215), Qt::black, QColor(255, 255, 215)},
                      EditCodeRow{"dark", 7, Qt::black, QColor(255, 0, 0), Alarm},
                      EditCodeRow{"zero", 0, Qt::white, Qt::black, Alarm},
                      EditCodeRow{"above seven", 8, Qt::white, Qt::black, Alarm}));

TEST(MyEdit, SetCountColoursOnlyNonZeroAlarms)
{
    struct Row {
        int number;
        bool alarm;
        QColor background;
    };
    const Row rows[] = {{0, true, Qt::white}, {3, false, Qt::white}, {3, true, Alarm}, {-2, true, Alarm}};
    for (const Row& r : rows) {
        TMyEdit edit(nullptr, 1, "", 0, 0, 50, 20);
        edit.SetCount(r.number, r.alarm);
        EXPECT_EQ(edit.text(), QString::number(r.number));
        EXPECT_EQ(edit.Background(), r.background) << r.number << " " << r.alarm;
    }
}

TEST(MyEdit, SameBackgroundRepaintsNothing)
{
    QWidget parent;
    auto* edit = new TMyEdit(&parent, 100, "7", 0, 0, 80, 24);
    parent.show();
    edit->SetColourCode(2);
    Drain();
    PaintCounter paints(edit);
    edit->SetColourCode(2);
    edit->SetColourCode(5); // same look as 2
    Drain();
    EXPECT_EQ(paints.count, 0);
    edit->SetColourCode(3);
    Drain();
    EXPECT_GT(paints.count, 0);
}

TEST(MyEdit, ReadOnlyCentredUnlessShowingData)
{
    TMyEdit readOut(nullptr, 1, "", 0, 0, 50, 20);
    EXPECT_TRUE(readOut.isReadOnly());
    TMyEdit editable(nullptr, 2, "", 0, 0, 50, 20, true);
    EXPECT_FALSE(editable.isReadOnly());

    RunMode = RunModeShowData;
    TMyEdit shown(nullptr, 3, "", 0, 0, 50, 20);
    RunMode = RunModeOnline;
    EXPECT_FALSE(shown.isReadOnly());
    EXPECT_EQ(shown.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

class BlinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetBlinkClock([this] { return now; });
    }
    void TearDown() override
    {
        SetBlinkClock({});
        SetStatusBlackAndWhiteSource({});
    }
    int64_t now = 0;
};

TEST_F(BlinkTest, StaticsStartedAtDifferentMomentsBlinkInStep)
{
    QWidget parent;
    parent.resize(200, 100);
    auto* a = new TMyStatic(&parent, 1, "Recording", 0, 0, 90, 30);
    auto* b = new TMyStatic(&parent, 2, "Buffering", 100, 0, 90, 30);
    a->SetColourCode(3);
    b->SetColourCode(3);
    parent.show();

    now = 1'500; // odd second: phase on
    a->SetFlashing(true);
    Drain();
    EXPECT_TRUE(a->Phase());

    now = 2'300; // b starts 800 ms later, in an even second
    b->SetFlashing(true);
    Drain();
    a->EvTimer(BlinkTimerId);
    EXPECT_FALSE(a->Phase());
    EXPECT_FALSE(b->Phase());
    // Off phase in the colour look: on colour text on white.
    EXPECT_EQ(PixelAt(a, 88, 28), QColor(Qt::white));
    EXPECT_EQ(a->CurrentColours().text, QColor(0, 192, 0));

    now = 3'000; // the second boundary switches both
    a->EvTimer(BlinkTimerId);
    b->EvTimer(BlinkTimerId);
    EXPECT_TRUE(a->Phase());
    EXPECT_TRUE(b->Phase());
    EXPECT_EQ(PixelAt(a, 88, 28), QColor(0, 192, 0));
    EXPECT_EQ(PixelAt(b, 88, 28), QColor(0, 192, 0));
    EXPECT_EQ(b->CurrentColours().text, QColor(Qt::black));

    // Other timer ids are not blink ticks.
    now = 4'000;
    a->EvTimer(556);
    EXPECT_TRUE(a->Phase());
}

TEST_F(BlinkTest, StillStaticShowsBackgroundWhateverItsCode)
{
    QWidget parent;
    auto* s = new TMyStatic(&parent, 1, "Idle", 0, 0, 90, 30);
    s->SetColourCode(2);
    parent.show();
    const QColor face = QApplication::palette().color(QPalette::Button);
    EXPECT_EQ(s->CurrentColours().fill, face);
    EXPECT_EQ(PixelAt(s, 88, 26), face);
    EXPECT_EQ(s->geometry().y(), 2); // placed 2 pixels below the y given
}

TEST_F(BlinkTest, BlackAndWhiteFlagChangesTheLookAtTheNextRepaint)
{
    bool blackAndWhite = false;
    SetStatusBlackAndWhiteSource([&] { return blackAndWhite; });
    TMyStatic s(nullptr, 1, "Shooting", 0, 0, 90, 30);
    s.SetColourCode(2);
    now = 1'000;
    s.SetFlashing(true);
    s.EvTimer(BlinkTimerId);
    EXPECT_EQ(s.CurrentColours().fill, Alarm);
    EXPECT_EQ(s.BuiltFor(), TMyStatic::Look::Colour);

    blackAndWhite = true;
    EXPECT_EQ(s.CurrentColours().fill, QColor(Qt::black));
    EXPECT_EQ(s.BuiltFor(), TMyStatic::Look::BlackAndWhite);
    now = 2'000;
    s.EvTimer(BlinkTimerId);
    const auto off = s.CurrentColours();
    EXPECT_EQ(off.text, QColor(Qt::white));
    EXPECT_EQ(off.fill, QApplication::palette().color(QPalette::Button));
}

TEST_F(BlinkTest, TextChangesOnlyWhenItDiffers)
{
    QWidget parent;
    auto* s = new TMyStatic(&parent, 1, "Recording 12", 0, 0, 90, 30);
    parent.show();
    Drain();
    PaintCounter paints(s);
    s->SetTextIfChanged("Recording 12");
    Drain();
    EXPECT_EQ(paints.count, 0);
    s->SetTextIfChanged("Recording 1"); // a shorter beginning is a change
    EXPECT_EQ(s->text(), "Recording 1");
    EXPECT_GT(paints.count, 0);
}

TEST_F(BlinkTest, FlashingOnTwiceIsOneStateAndOffStops)
{
    TMyStatic s(nullptr, 1, "Starting", 0, 0, 90, 30);
    s.SetFlashing(true);
    s.SetFlashing(true, 1);
    EXPECT_TRUE(s.IsFlashing());
    s.SetFlashing(false);
    EXPECT_FALSE(s.IsFlashing());
    EXPECT_EQ(s.CurrentColours().fill, QApplication::palette().color(QPalette::Button));
}

struct PopupParent : QWidget, StatusPopupTarget {
    long EvStatusPopup(int controlId, const QPoint& screenPoint) override
    {
        id = controlId;
        point = screenPoint;
        return 0;
    }
    int id = 0;
    QPoint point;
};

TEST(MyButton, RightClickReportsToParentOnlyWhenAsked)
{
    PopupParent parent;
    auto* reporting = new TMyButton(&parent, 31142, "NMEA OK", 0, 0, 80, 24, false, true);
    auto* quiet = new TMyButton(&parent, 31143, "Power OFF", 0, 30, 80, 24);
    parent.show();
    QTest::mouseClick(quiet, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(parent.id, 0);
    QTest::mouseClick(reporting, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(parent.id, 31142);
    EXPECT_EQ(parent.point, reporting->mapToGlobal(QPoint(5, 5)));

    // A status button on a panel inside the window reaches the window.
    auto* panel = new QWidget(&parent);
    auto* inner = new TMyButton(panel, 31026, "Porpoise", 0, 0, 80, 24, false, true);
    panel->show();
    QTest::mouseClick(inner, Qt::RightButton, {}, QPoint(3, 3));
    EXPECT_EQ(parent.id, 31026);
}

// A static sized from a smaller font's metrics still shows all its text in
// a large display font: one word whole, wrapped lines all there.
TEST(MyStatic, GrowsToItsTextInTheDisplayFont)
{
    const QFont before = DisplayFont();
    QFont large(QStringLiteral("Sans Serif"));
    large.setPixelSize(28);
    SetDisplayFont(large);
    QWidget parent;
    auto* word = new TMyStatic(&parent, -1, "Comment", 0, 0, 30, 12);
    auto* lines = new TMyStatic(&parent, -1, "Rows of the table have no cross reference", 0, 40, 200, 14);
    auto* blank = new TMyStatic(&parent, -1, "", 0, 80, 30, 12);
    parent.show();
    EXPECT_EQ(velmar::test::CutTexts(&parent), QStringList());
    EXPECT_EQ(word->pos(), QPoint(0, 2));
    EXPECT_EQ(lines->width(), 200);
    EXPECT_EQ(blank->size(), QSize(30, 12));
    SetDisplayFont(before);
}

TEST(Lookups, FindByIdAndClass)
{
    QWidget window;
    auto* edit = new TMyEdit(&window, 10, "", 0, 0, 10, 10);
    auto* box = new TMyCheckBox(&window, 11, "Auto", 0, 0, 10, 10);
    auto* plain = new QLabel(&window);
    SetControlId(plain, 12);

    EXPECT_EQ(FindMyEdit(&window, 10), edit);
    EXPECT_EQ(FindMyCheckBox(&window, 11), box);
    EXPECT_EQ(FindMyEdit(&window, 12), nullptr);
    EXPECT_EQ(FindMyEdit(&window, 11), nullptr);
    EXPECT_EQ(FindMyEdit(&window, 99), nullptr);
    EXPECT_EQ(FindMyCheckBox(nullptr, 11), nullptr);
    EXPECT_EQ(FindHeardFormEdit(&window, 10), edit);
}

TEST(Lookups, SetTimeText)
{
    TMyEdit edit(nullptr, 1, "", 0, 0, 10, 10);
    SetTimeText(&edit, nullptr);
    EXPECT_EQ(edit.text(), "-");
    velmar::platform::SystemTime t;
    t.wYear = 2026;
    t.wMonth = 3;
    t.wDay = 4;
    t.wHour = 7;
    t.wMinute = 5;
    t.wSecond = 9;
    SetTimeText(&edit, &t);
    EXPECT_EQ(edit.text(), "07:05:09");
    SetTimeText(nullptr, &t);
}

} // namespace
