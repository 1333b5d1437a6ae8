// Layout of the main window as pure functions, and tab navigation by keys.
#include "widgets/MainLayout.h"

#include <gtest/gtest.h>

using namespace velmar::shell;

namespace {

const FontCells Font{13, 6}; // H = 21

struct ClockRow {
    const char* legend;
    unsigned mode;
    int option;
    std::optional<QRect> label2;
    std::optional<QRect> startRun;
    std::optional<QRect> stopRun;
    QRect groupBox;
    int tabTop;
};

class ClockStrip : public ::testing::TestWithParam<ClockRow> {};

TEST_P(ClockStrip, PlacesTheClockControls)
{
    const ClockRow& r = GetParam();
    const ClockStripGeometry g = LayoutClockStrip(r.mode, r.option, 8, Font);
    EXPECT_EQ(g.label1, QRect(18, 24, 48, 21)) << r.legend;
    EXPECT_EQ(g.edit1, QRect(69, 24, 156, 21)) << r.legend;
    EXPECT_EQ(g.label2, r.label2) << r.legend;
    if (r.label2)
        EXPECT_EQ(g.edit2, QRect(r.label2->x() + 51, r.label2->y(), 156, 21)) << r.legend;
    else
        EXPECT_FALSE(g.edit2) << r.legend;
    EXPECT_EQ(g.startRun, r.startRun) << r.legend;
    EXPECT_EQ(g.stopRun, r.stopRun) << r.legend;
    EXPECT_EQ(g.groupBox, r.groupBox) << r.legend;
    EXPECT_EQ(g.topControlsOrigin, QPoint(8 + r.groupBox.width() + 3, 8)) << r.legend;
    EXPECT_EQ(g.tabTop, r.tabTop) << r.legend;
}

const std::optional<QRect> None;

INSTANTIATE_TEST_SUITE_P(
    Modes, ClockStrip,
    ::testing::Values(
        ClockRow{"online, GMT only", 1, 0, None, None, None, QRect(8, 8, 227, 43), 59},
        ClockRow{"online, adjacent", 1, 1, QRect(228, 24, 48, 21), None, None, QRect(8, 8, 457, 43), 59},
        ClockRow{"online, one above the other", 1, 2, QRect(18, 48, 48, 21), None, None, QRect(8, 8, 227, 67), 83},
        ClockRow{"show data ignores the option", 2, 2, QRect(228, 24, 48, 21), None, None, QRect(8, 8, 457, 43), 59},
        ClockRow{"offline: run buttons", 3, 1, None, QRect(237, 24, 96, 21), QRect(345, 24, 96, 21),
                 QRect(8, 8, 457, 43), 59}));

TEST(MainLayout, OnlineWithBottomRow)
{
    MainLayoutInput in;
    in.runMode = 1;
    in.font = Font;
    in.leftMargin = 8;
    in.tabTop = 59;
    in.client = QSize(1000, 700);
    in.bottomControls = true;
    in.tabHeaderHeight = 24;
    in.lightArea = QRect(300, 120, 660, 24); // the menu bar's free end, on the screen
    in.trafficLightWidth = 150;
    const MainLayoutGeometry g = LayoutMainWindow(in);
    EXPECT_EQ(g.tabControl, QRect(8, 59, 984, 613));
    EXPECT_EQ(g.page, QRect(8, 89, 984, 583));
    EXPECT_EQ(g.map, QRect(16, 91, 968, 576));
    EXPECT_EQ(g.grabber, QRect(10, 85, 984, 583));
    EXPECT_EQ(g.firstWarning, QRect(782, 8, 210, 13));
    EXPECT_EQ(g.trafficLight, QRect(810, 123, 150, 18)) << "moves with the window, hides no menu";
    EXPECT_EQ(g.cable, QRect(860, 675, 132, 21));
    EXPECT_EQ(g.power, QRect(725, 675, 132, 21));
    EXPECT_EQ(g.mapDatum, QRect(614, 675, 108, 21));
    EXPECT_EQ(g.nmea, QRect(503, 675, 108, 21));

    // The row belongs to online logging; elsewhere the tabs take the room.
    in.runMode = 2;
    const MainLayoutGeometry shown = LayoutMainWindow(in);
    EXPECT_EQ(shown.tabControl.bottom() + 1, 696);
    EXPECT_FALSE(shown.nmea);
}

TEST(MainLayout, DetectorColumnMovesTheMargin)
{
    EXPECT_EQ(LeftMargin(DetectorsDownLeftSide, 120), 128);
    EXPECT_EQ(LeftMargin(DetectorsOnTab, 120), 8);
    EXPECT_EQ(LeftMargin(DetectorsNotShown, 120), 8);
    EXPECT_EQ(LayoutClockStrip(1, 0, 128, Font).label1.x(), 138);
}

// Labels wider than eight characters of a large font push their boxes and
// the frame out; no control overlaps the next.
TEST(MainLayout, WideClockLabelsMoveTheirBoxes)
{
    for (unsigned mode : {1u, 2u}) {
        const ClockStripGeometry g = LayoutClockStrip(mode, TimesAdjacentOption, 8, Font, 70);
        EXPECT_EQ(g.label1.width(), 70);
        EXPECT_GE(g.edit1.left(), g.label1.right() + 1);
        EXPECT_GE(g.label2->left(), g.edit1.right() + 1);
        EXPECT_GE(g.edit2->left(), g.label2->right() + 1);
        EXPECT_GE(g.groupBox.right(), g.edit2->right());
    }
}

TEST(MainLayout, CentringKeepsDecksInsideThePage)
{
    const QRect page(10, 20, 100, 50);
    EXPECT_EQ(CentreIn(page, QSize(40, 10), false), QRect(40, 40, 40, 10));
    EXPECT_EQ(CentreIn(page, QSize(200, 100), false), QRect(-40, -5, 200, 100));
    EXPECT_EQ(CentreIn(page, QSize(200, 100), true), QRect(10, 20, 200, 100));
}

struct KeyRow {
    const char* legend;
    int key, main, mainCount, sub, subCount;
    TabKeyResult expected;
};

class TabKeys : public ::testing::TestWithParam<KeyRow> {};

TEST_P(TabKeys, MoveSubTabsFirstAndClamp)
{
    const KeyRow& r = GetParam();
    const TabKeyResult got = EvaluateTabKey(r.key, r.main, r.mainCount, r.sub, r.subCount);
    EXPECT_EQ(got.mainTab, r.expected.mainTab) << r.legend;
    EXPECT_EQ(got.subTab, r.expected.subTab) << r.legend;
    EXPECT_EQ(got.subMoved, r.expected.subMoved) << r.legend;
}

INSTANTIATE_TEST_SUITE_P(Keys, TabKeys,
                         ::testing::Values(KeyRow{"page down", VkNext, 2, 5, 0, 0, {3, -1, false}},
                                           KeyRow{"page up", VkPrior, 2, 5, 0, 0, {1, -1, false}},
                                           KeyRow{"page down on the last tab", VkNext, 4, 5, 0, 0, {4, -1, false}},
                                           KeyRow{"page up on the first tab", VkPrior, 0, 5, 0, 0, {0, -1, false}},
                                           KeyRow{"sub-tab back first", VkPrior, 3, 5, 2, 3, {3, 1, true}},
                                           KeyRow{"first sub-tab: main tab back", VkPrior, 3, 5, 0, 3, {2, 0, false}},
                                           KeyRow{"last sub-tab: main tab on", VkNext, 3, 5, 2, 3, {4, 2, false}},
                                           KeyRow{"other key", 0x41, 3, 5, 1, 3, {3, 1, false}},
                                           KeyRow{"no tabs", VkNext, 0, 0, 0, 0, {0, -1, false}}));

} // namespace
