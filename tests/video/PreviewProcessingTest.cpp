// The preview's video processing on its own: what a change of
// deinterlacing or rotation asks of a running graph, when frames must be
// RGB, and the video balance's range.
#include "video/PreviewProcessing.h"

#include <gtest/gtest.h>

using namespace velmar::video;

TEST(PreviewProcessing, ChangesAskForNewValuesOrANewGraph)
{
    struct Case {
        const char* legend;
        TVideoDeinterlacing from, to;
        PreviewProcessing::Change expected;
    } cases[] = {
        {"same", di_FullSize, di_FullSize, PreviewProcessing::Unchanged},
        {"unknown", di_Disabled, TVideoDeinterlacing(3), PreviewProcessing::Unchanged},
        {"full size on", di_Disabled, di_FullSize, PreviewProcessing::Applied},
        {"half size on: half the height", di_Disabled, di_HalfSize, PreviewProcessing::NewGraph},
        {"half size off", di_HalfSize, di_FullSize, PreviewProcessing::NewGraph},
    };
    for (const Case& c : cases) {
        PreviewProcessing p;
        p.deinterlacing = c.from;
        EXPECT_EQ(p.setDeinterlacing(c.to), c.expected) << c.legend;
        EXPECT_EQ(p.deinterlacing, c.expected == PreviewProcessing::Unchanged ? c.from : c.to) << c.legend;
    }
    PreviewProcessing p;
    EXPECT_EQ(p.setRotation(rt_0_deg), PreviewProcessing::Unchanged);
    EXPECT_EQ(p.setRotation(TVideoRotation(8)), PreviewProcessing::Unchanged);
    EXPECT_EQ(p.setRotation(rt_90_deg), PreviewProcessing::NewGraph);
}

TEST(PreviewProcessing, FramesMustBeRgbForWhatTheGrabberChanges)
{
    PreviewProcessing p;
    EXPECT_FALSE(p.needsRgb());
    p.flipHorizontal = p.flipVertical = true;
    p.rotation = rt_180_deg;
    EXPECT_FALSE(p.needsRgb()) << "flips and half turns work on any format";
    const auto with = [](auto change) {
        PreviewProcessing q;
        change(q);
        return q.needsRgb();
    };
    EXPECT_TRUE(with([](PreviewProcessing& q) { q.hue = 5; }));
    EXPECT_TRUE(with([](PreviewProcessing& q) { q.grayScale = true; }));
    EXPECT_TRUE(with([](PreviewProcessing& q) { q.rotation = rt_270_deg_mirror; }));
    EXPECT_TRUE(with([](PreviewProcessing& q) { q.deinterlacing = di_HalfSize; }));
}

TEST(PreviewProcessing, BalanceIsHeldToItsRange)
{
    PreviewProcessing p;
    const PreviewProcessing::Balance none = p.balance();
    EXPECT_DOUBLE_EQ(none.contrast, 1.0) << "as delivered";
    EXPECT_DOUBLE_EQ(none.brightness, 0.0);
    p.brightness = 250;
    p.hue = -50;
    p.contrast = -100;
    p.saturation = 400;
    const PreviewProcessing::Balance b = p.balance();
    EXPECT_DOUBLE_EQ(b.brightness, 1.0);
    EXPECT_DOUBLE_EQ(b.hue, -0.5);
    EXPECT_DOUBLE_EQ(b.contrast, 0.0) << "none";
    EXPECT_DOUBLE_EQ(b.saturation, 2.0) << "double";
}
