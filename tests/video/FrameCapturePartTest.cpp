// The frame capture part on its own: the values it refuses, and the frames
// handed from the streaming thread to the capture step for requests,
// bursts, a preview paused on its next frame and the host's samples.
#include "video/FrameCapturePart.h"

#include <gtest/gtest.h>

using namespace velmar::video;

namespace {
// One frame through the part as the streaming thread and the capture step
// pass it: offered, published when eligible, taken.
FrameCapturePart::Offer passFrame(FrameCapturePart& part, qint32 number, bool motion = false)
{
    const FrameCapturePart::Offer offer = part.offerFrame(true, motion);
    if (offer.eligible) {
        FrameCapturePart::FrameRecord record;
        record.info.frameNumber = number;
        if (offer.taken)
            record.image = QImage(4, 4, QImage::Format_RGB32);
        part.publish(std::move(record));
        part.take();
    }
    return offer;
}
} // namespace

TEST(FrameCapturePart, RefusesValuesOutOfRangeAndTellsWhatNeedsANewGraph)
{
    FrameCapturePart part;
    EXPECT_TRUE(part.setRgbFormat(fgf_RGB24));
    EXPECT_FALSE(part.setRgbFormat(fgf_RGB24)) << "unchanged";
    EXPECT_FALSE(part.setRgbFormat(TFrameGrabberRGBFormat(99)));
    EXPECT_EQ(part.settings().rgbFormat, fgf_RGB24);
    EXPECT_TRUE(part.setFrameBuffers(FrameCapturePart::maxFrameBuffers));
    EXPECT_FALSE(part.setFrameBuffers(FrameCapturePart::maxFrameBuffers + 1));
    EXPECT_FALSE(part.setFrameBuffers(-1));
    EXPECT_TRUE(part.setWithoutOverlay(true));
    EXPECT_FALSE(part.setWithoutOverlay(true));

    part.setZoom(0);
    part.setJpegQuality(0);
    part.setJpegQuality(101);
    part.setSyncTimeOutMs(0);
    part.setBurstType(TFrameCaptureDest(5));
    part.setSampleVideo(TSampleCapture(9));
    part.setBurstCount(-1);
    part.setBurstInterval(-1);
    const FrameCaptureSettings defaults;
    EXPECT_EQ(part.settings().zoom, defaults.zoom);
    EXPECT_EQ(part.settings().jpeg.quality, defaults.jpeg.quality);
    EXPECT_EQ(part.settings().syncTimeOutMs, defaults.syncTimeOutMs);
    EXPECT_EQ(part.settings().burstType, defaults.burstType);
    EXPECT_EQ(part.settings().sampleVideo, defaults.sampleVideo);
    EXPECT_EQ(part.burstCount(), 3);
    EXPECT_EQ(part.burstInterval(), 0);

    part.settings().storagePathChanged = false;
    part.setAutoFilePrefix(part.settings().autoFilePrefix);
    EXPECT_FALSE(part.settings().storagePathChanged) << "the same prefix keeps the folder's numbers";
    part.setAutoFilePrefix("cam");
    EXPECT_TRUE(part.settings().storagePathChanged) << "another prefix numbers its files anew";
}

TEST(FrameCapturePart, ARequestTakesTheNextFrameOnce)
{
    FrameCapturePart part;
    EXPECT_FALSE(passFrame(part, 1).taken) << "nobody wants its picture";
    EXPECT_TRUE(part.request(fc_JpegFile, "a.jpg"));
    EXPECT_FALSE(part.request(fc_BmpFile, "b.bmp")) << "one request at a time";
    part.frameReady = true;
    EXPECT_FALSE(part.offerFrame(true, false).eligible) << "the step has not taken the one before";
    part.frameReady = false;
    EXPECT_FALSE(part.offerFrame(false, false).eligible) << "no frame grabber";
    EXPECT_TRUE(passFrame(part, 2).taken);
    EXPECT_EQ(part.current.info.frameNumber, 2);
    const FrameCapturePart::Pending pending = part.takePending();
    EXPECT_EQ(pending.kind, FrameCapturePart::Pending::Request);
    EXPECT_EQ(pending.dest, fc_JpegFile);
    EXPECT_EQ(pending.file, "a.jpg");
    EXPECT_EQ(part.takePending().kind, FrameCapturePart::Pending::None);

    EXPECT_TRUE(part.request(fc_TBitmap, {}));
    part.cancelRequest();
    EXPECT_FALSE(part.requestPending()) << "a synchronous capture that timed out";
    EXPECT_TRUE(passFrame(part, 3, true).taken) << "the motion detector wants every frame";
}

TEST(FrameCapturePart, ABurstTakesItsCountEverySoManyFramesThenSwitchesOff)
{
    FrameCapturePart part;
    part.setBurstCount(2);
    part.setBurstInterval(1);
    part.settings().burstType = fc_BmpFile;
    part.resetForGraph();
    part.setBurstMode(true);
    QList<int> burst;
    for (int n = 1; n <= 8; ++n) {
        passFrame(part, n);
        const FrameCapturePart::Pending pending = part.takePending();
        if (pending.kind == FrameCapturePart::Pending::Burst) {
            EXPECT_EQ(pending.dest, fc_BmpFile);
            if (pending.burstOn)
                burst << n;
        }
    }
    EXPECT_EQ(burst, (QList<int>{1, 3})) << "one frame, one skipped, two in all";
    EXPECT_FALSE(part.burstMode());
}

TEST(FrameCapturePart, APausedPreviewHoldsTheNextFrameAndAGraphStartsClean)
{
    FrameCapturePart part;
    part.pauseOnNextFrame();
    EXPECT_FALSE(part.takePausedOnFrame()) << "no frame came yet";
    EXPECT_TRUE(passFrame(part, 1).taken);
    EXPECT_FALSE(part.current.image.isNull());
    EXPECT_TRUE(part.takePausedOnFrame());
    EXPECT_FALSE(part.takePausedOnFrame()) << "once";

    TSampleData first, second;
    first.Width = 1;
    second.Width = 2;
    part.offerVideoSample(first);
    part.offerVideoSample(second);
    std::optional<TSampleData> video, audio;
    part.takeSamples(video, audio);
    ASSERT_TRUE(video);
    EXPECT_EQ(video->Width, 2) << "only the newest waits";
    EXPECT_FALSE(audio);

    part.request(fc_TBitmap, {});
    part.pauseOnNextFrame();
    part.offerAudioSample(first);
    part.syncWaiting = true;
    part.resetForGraph();
    EXPECT_FALSE(part.requestPending());
    EXPECT_TRUE(part.current.image.isNull());
    EXPECT_FALSE(part.syncWaiting) << "a waiting synchronous capture returns";
    EXPECT_FALSE(passFrame(part, 1).taken) << "no pause left over";
    part.takeSamples(video, audio);
    EXPECT_FALSE(audio);
}
