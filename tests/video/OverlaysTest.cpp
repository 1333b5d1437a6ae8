// The overlays drawn into a frame, without a graph: the host's shapes (each
// once), the host's handlers in their order, pictures drawn only from inside
// the overlay handler, and the text style's alignment.
#include "video/Overlays.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace velmar::video;

namespace {
QImage whiteFrame()
{
    QImage frame(64, 48, QImage::Format_RGB32);
    frame.fill(Qt::white);
    return frame;
}

TShapeOverlay redBox(QRect bounds)
{
    TShapeOverlay shape;
    shape.bounds = bounds;
    shape.penColor = Qt::red;
    shape.brushColor = Qt::red;
    return shape;
}
} // namespace

TEST(Overlays, ShapesAreDrawnOnceEachAndGoWhenRemoved)
{
    Overlays overlays;
    const TShapeOverlay box = redBox({10, 10, 20, 20});
    EXPECT_TRUE(overlays.changeShapeList(box, true));
    EXPECT_FALSE(overlays.changeShapeList(box, true)) << "already in the list";
    overlays.setShape(redBox({40, 30, 10, 10}));

    QImage frame = whiteFrame();
    overlays.draw(frame, {});
    EXPECT_EQ(frame.pixelColor(20, 20), QColor(Qt::red));
    EXPECT_EQ(frame.pixelColor(45, 35), QColor(Qt::white)) << "the single shape waits for its switch";

    overlays.setShapeEnabled(true);
    EXPECT_TRUE(overlays.changeShapeList(box, false));
    frame = whiteFrame();
    overlays.draw(frame, {});
    EXPECT_EQ(frame.pixelColor(20, 20), QColor(Qt::white));
    EXPECT_EQ(frame.pixelColor(45, 35), QColor(Qt::red));
}

TEST(Overlays, HandlersDrawInTheirOrderAndPicturesOnlyInsideTheOverlayHandler)
{
    Overlays overlays;
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    EXPECT_FALSE(overlays.drawBitmap(picture, 0, 0, 8, 8)) << "no frame outside the handler";

    Overlays other;
    bool otherDrew = true;
    overlays.setOverlayHandler([&](const TFrameInfo&, QPainter&) {
        EXPECT_TRUE(overlays.drawBitmap(picture, 0, 0, 8, 8));
        otherDrew = other.drawBitmap(picture, 8, 8, 8, 8);
    });
    QColor seenByPixels;
    overlays.setPixelsHandler([&](const TFrameInfo& info, QImage& frame) {
        EXPECT_EQ(info.frameNumber, 7);
        seenByPixels = frame.pixelColor(2, 2);
        frame.setPixelColor(60, 40, Qt::green);
    });
    QImage frame = whiteFrame();
    TFrameInfo info;
    info.frameNumber = 7;
    overlays.draw(frame, info);
    EXPECT_FALSE(otherDrew) << "another component's frame is not this one";
    EXPECT_EQ(frame.pixelColor(2, 2), QColor(Qt::blue));
    EXPECT_EQ(frame.pixelColor(10, 10), QColor(Qt::white));
    EXPECT_EQ(seenByPixels, QColor(Qt::blue)) << "the pixels handler comes after the overlay handler";
    EXPECT_EQ(frame.pixelColor(60, 40), QColor(Qt::green));
}

TEST(Overlays, AnAlignmentBeyondRightKeepsTheOneBefore)
{
    Overlays overlays;
    TextOverlayStyle style;
    style.align = tf_Right;
    overlays.setTextStyle(style);
    style.align = TTextOverlayAlign(tf_Right + 1);
    style.left = 12;
    overlays.setTextStyle(style);
    EXPECT_EQ(overlays.textStyle().align, tf_Right);
    EXPECT_EQ(overlays.textStyle().left, 12);
}
