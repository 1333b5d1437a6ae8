// The component's motion step on its frames: no answer while a graph's
// camera settles, frames within the detector's minimum interval left out,
// and the frame formats that need a new graph.
#include "video/MotionPart.h"

#include <gtest/gtest.h>

using namespace velmar::video;

namespace {
QImage still()
{
    QImage frame(32, 24, QImage::Format_RGB32);
    frame.fill(QColor(40, 40, 40));
    return frame;
}

TFrameInfo frameAt(qint32 number, qint64 time)
{
    TFrameInfo info;
    info.frameNumber = number;
    info.frameTime = time;
    return info;
}
} // namespace

TEST(MotionPart, AnswersFromTheFourthFrameOfAGraphOn)
{
    MotionPart part;
    part.detector().setEnabled(true);
    QImage frame = still();
    for (qint32 n = 1; n <= 3; ++n)
        EXPECT_FALSE(part.step(frame, frameAt(n, n * 400000))) << "frame " << n;
    const auto answer = part.step(frame, frameAt(4, 4 * 400000));
    ASSERT_TRUE(answer);
    EXPECT_FALSE(answer->found) << "a still picture";
    EXPECT_EQ(part.detector().lastAnalysedTime(), 4 * 400000);
}

TEST(MotionPart, FramesWithinTheMinimumIntervalAreLeftOut)
{
    MotionPart part;
    part.detector().setEnabled(true);
    ASSERT_TRUE(part.detector().setMaxDetectionsPerSecond(2)); // one analysis per 0.5 s
    const qint64 interval = part.detector().minimumInterval();
    ASSERT_GT(interval, 0);
    QImage frame = still();
    for (qint32 n = 1; n <= 4; ++n)
        part.step(frame, frameAt(n, n * interval));
    const qint64 last = part.detector().lastAnalysedTime();
    EXPECT_FALSE(part.step(frame, frameAt(5, last + interval - 1)));
    EXPECT_EQ(part.detector().lastAnalysedTime(), last) << "not analysed";
    EXPECT_TRUE(part.step(frame, frameAt(6, last + interval)));
}

TEST(MotionPart, OnlySixteenAndEightBitGrabbersNeedANewGraph)
{
    const struct {
        TFrameGrabberRGBFormat format;
        bool newGraph;
    } cases[] = {{fgf_Default, false}, {fgf_RGB32, false}, {fgf_RGB24, false},
                 {fgf_RGB565, true},   {fgf_RGB555, true}, {fgf_RGB8, true}};
    for (const auto& c : cases)
        EXPECT_EQ(MotionPart::needsNewGraph(c.format), c.newGraph) << int(c.format);
}
