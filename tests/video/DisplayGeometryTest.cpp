// Display geometry: zoom, aspect ratio, full screen, mouse translation and
// the thinning of frame-time updates.
#include "video/DisplayGeometry.h"

#include <gtest/gtest.h>

using namespace velmar::video;

TEST(DisplayGeometry, PictureRectangles)
{
    struct Case {
        const char* legend;
        QSize window, source;
        bool keep;
        QRect expected;
    } cases[] = {
        {"4:3 in a square", {400, 400}, {640, 480}, true, {0, 50, 400, 300}},
        {"4:3 in a wide window", {800, 300}, {320, 240}, true, {200, 0, 400, 300}},
        {"same ratio", {640, 480}, {320, 240}, true, {0, 0, 640, 480}},
        {"ratio not kept", {400, 400}, {640, 480}, false, {0, 0, 400, 400}},
        {"no source size yet", {400, 400}, {0, 0}, true, {0, 0, 400, 400}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PictureRect(c.window, c.source, c.keep), c.expected) << c.legend;
}

TEST(DisplayGeometry, ZoomRoundsHalvesToEven)
{
    EXPECT_EQ(ZoomedVideoSize({320, 240}, 100), QSize(320, 240));
    EXPECT_EQ(ZoomedVideoSize({320, 240}, 50), QSize(160, 120));
    EXPECT_EQ(ZoomedVideoSize({5, 7}, 50), QSize(2, 4)); // 2.5 -> 2, 3.5 -> 4
    EXPECT_EQ(ZoomedVideoSize({640, 480}, 150), QSize(960, 720));
}

TEST(DisplayGeometry, FullScreenCoversTheMonitorOrTheScreen)
{
    const QList<QRect> monitors{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    EXPECT_EQ(FullScreenRect(1, monitors, {0, 0, 3200, 1080}), QRect(1920, 0, 1280, 1024));
    EXPECT_EQ(FullScreenRect(2, monitors, {0, 0, 3200, 1080}), QRect(0, 0, 3200, 1080));
    EXPECT_EQ(FullScreenRect(-1, monitors, {0, 0, 3200, 1080}), QRect(0, 0, 3200, 1080));
}

TEST(DisplayGeometry, WindowPositionsToVideoPixels)
{
    const QRect full(0, 0, 640, 480);
    EXPECT_EQ(WindowToVideo({320, 240}, full, {320, 240}), QPoint(160, 120));
    EXPECT_EQ(WindowToVideo({0, 0}, full, {320, 240}), QPoint(0, 0));
    EXPECT_EQ(WindowToVideo({1, 3}, full, {320, 240}), QPoint(0, 2)); // 0.5 -> 0, 1.5 -> 2
    // A 4:3 picture letterboxed in a 400x400 window.
    const QRect boxed = PictureRect({400, 400}, {640, 480}, true);
    EXPECT_EQ(WindowToVideo({200, 50}, boxed, {640, 480}), QPoint(320, 0));
    EXPECT_FALSE(WindowToVideo({200, 360}, boxed, {640, 480})) << "margin below the picture";
    EXPECT_FALSE(WindowToVideo({200, 20}, boxed, {640, 480})) << "margin above the picture";
}

TEST(DisplayGeometry, FrameTimeUpdatesAreThinnedTo66Ms)
{
    FrameTimeThinner thinner;
    struct Step {
        quint32 tick;
        bool taken;
    } steps[] = {
        {1000, true},
        {1033, false},
        {1066, false},
        {1067, true},
        {1100, false},
        {1200, true},
        // The tick wraps after 49 days; the difference is taken unsigned.
        {0xFFFFFFF0u, true},
        {20, false},
        {60, true},
    };
    for (const Step& s : steps)
        EXPECT_EQ(thinner.take(s.tick), s.taken) << s.tick;
}
