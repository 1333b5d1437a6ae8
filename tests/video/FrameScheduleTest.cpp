// Which frames a burst takes, and the display windows' wanted state.
#include "video/BurstSchedule.h"
#include "video/VideoWindow.h"

#include <QList>
#include <gtest/gtest.h>

using namespace velmar::video;

TEST(BurstSchedule, TakesFramesByCountAndInterval)
{
    struct Case {
        int count, interval, frames;
        QList<int> pending; // 1-based frames saved
        int endedAt;        // the frame that switches the burst off, 0 for none
    } cases[] = {
        {3, 2, 12, {1, 4, 7}, 10},
        {0, 0, 5, {1, 2, 3, 4, 5}, 0},
        {2, 0, 5, {1, 2}, 3},
        {0, 1, 6, {1, 3, 5}, 0},
    };
    for (const Case& c : cases) {
        BurstSchedule s;
        s.switchOn(c.count);
        QList<int> pending;
        int endedAt = 0;
        for (int f = 1; f <= c.frames; ++f) {
            const auto outcome = s.frame(c.count, c.interval);
            if (outcome == BurstSchedule::Pending)
                pending << f;
            if (outcome == BurstSchedule::Ended)
                endedAt = f;
        }
        EXPECT_EQ(pending, c.pending) << c.count << "/" << c.interval;
        EXPECT_EQ(endedAt, c.endedAt) << c.count << "/" << c.interval;
        EXPECT_EQ(s.isOn(), c.endedAt == 0);
    }
}

TEST(VideoWindow, OnlyOneWindowEmbeddedAndNoticesOnlyForChanges)
{
    TVideoWindow display(0, true, true, 320, 240, 10, 10, 320, 240);
    TVideoWindow dual(1, false, false, 320, 240, 400, 10, 320, 240);
    display.setPartner(&dual);
    dual.setPartner(&display);
    QList<std::pair<int, int>> notices; // window, index
    for (TVideoWindow* w : {&display, &dual})
        w->setChangeCallback([&](TVideoWindow& window, TVideoWindowNotify index, int) {
            notices << std::pair{window.number(), int(index)};
        });

    dual.SetBool(vwEmbedded, true);
    EXPECT_FALSE(display.GetBool(vwEmbedded));
    EXPECT_TRUE(dual.GetBool(vwEmbedded));
    EXPECT_EQ(notices, (QList<std::pair<int, int>>{{1, vwEmbedded}})) << "only the dual display is told";

    notices.clear();
    display.SetInt(vwWidth, 320);
    EXPECT_TRUE(notices.isEmpty()) << "unchanged";
    display.SetLocation(10, 10, 320, 240);
    EXPECT_EQ(notices, (QList<std::pair<int, int>>{{0, vwLocation}})) << "always told";
    display.SetInt(vwMonitor, 1);
    EXPECT_EQ(display.GetInt(vwMonitor), 1);
}
