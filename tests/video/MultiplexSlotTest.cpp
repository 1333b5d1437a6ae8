// The hand-over of a multiplexed master's frames to a slave: one frame at a
// time, only to a waiting slave, never one of another size or format; the
// input of a frame and the blue frames of inputs without a camera.
#include "video/MultiplexSlot.h"

#include <QThread>
#include <gtest/gtest.h>

using namespace velmar::video;

TEST(MultiplexSlot, HandsOverOnlyWaitedFramesOfTheAgreedFormat)
{
    TMultiplexSlot slot;
    QImage frame(64, 48, QImage::Format_RGB32);
    frame.fill(Qt::green);
    EXPECT_FALSE(slot.offer(frame)) << "closed until a format is set";
    slot.setFormat(frame.size(), frame.format());
    EXPECT_FALSE(slot.offer(frame)) << "no slave waits";
    EXPECT_TRUE(slot.take(10).isNull()) << "nothing came in time";

    QImage taken;
    QThread* slave = QThread::create([&] { taken = slot.take(5000); });
    slave->start();
    const QImage bigger(128, 96, QImage::Format_RGB32);
    const QImage other = frame.convertToFormat(QImage::Format_RGB888);
    bool handed = false;
    for (int i = 0; i < 500 && !handed; ++i) {
        EXPECT_FALSE(slot.offer(bigger));
        EXPECT_FALSE(slot.offer(other));
        handed = slot.offer(frame);
        QThread::msleep(2);
    }
    slave->wait();
    delete slave;
    EXPECT_TRUE(handed);
    EXPECT_EQ(taken, frame);

    slot.close();
    EXPECT_TRUE(slot.take(5000).isNull()) << "a closed slot does not wait";
}

TEST(MultiplexSlot, InputAndMissingSignal)
{
    QImage frame(40, 30, QImage::Format_RGB32);
    for (const auto& [first, input] : {std::pair{0, 0}, std::pair{3, 3}, std::pair{4, 0}, std::pair{7, 0}}) {
        frame.fill(Qt::white);
        frame.bits()[0] = uchar(first);
        EXPECT_EQ(MultiplexInputIndex(frame), input) << first;
    }
    frame.fill(QColor(0, 0, 192));
    EXPECT_TRUE(IsNoSignalFrame(frame));
    frame.setPixelColor(20, 15, Qt::white); // the middle sample point
    EXPECT_FALSE(IsNoSignalFrame(frame));
    QImage small(19, 30, QImage::Format_RGB32);
    small.fill(QColor(0, 0, 192));
    EXPECT_FALSE(IsNoSignalFrame(small)) << "too small to tell";
}
