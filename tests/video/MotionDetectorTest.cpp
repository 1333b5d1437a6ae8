// The motion detector on synthetic frames: still and moving pictures,
// thresholds, cell masks, padded rows of odd widths, the grid text, and grid
// changes while frames are analysed.
#include "video/MotionDetector.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <thread>

using namespace velmar::video;

namespace {
// A frame with rows padded to four bytes, as capture frames of odd widths are.
struct Picture {
    Picture(int w, int h, int bits = 24, uchar value = 40)
        : width(w), height(h), bitsPerPixel(bits), stride(((w * bits / 8) + 3) & ~3)
    {
        data.fill(char(value), qsizetype(stride) * h);
    }
    uchar* pixel(int x, int yFromTop)
    {
        return reinterpret_cast<uchar*>(data.data()) + qsizetype(height - 1 - yFromTop) * stride + x * bitsPerPixel / 8;
    }
    void square(int x0, int y0, int size, uchar value)
    {
        for (int y = y0; y < y0 + size && y < height; ++y)
            for (int x = x0; x < x0 + size && x < width; ++x)
                for (int b = 0; b < 3; ++b)
                    pixel(x, y)[b] = value;
    }
    MotionFrame frame() { return {reinterpret_cast<uchar*>(data.data()), width, height, stride, bitsPerPixel, true}; }
    int width, height, bitsPerPixel, stride;
    QByteArray data;
};

// Starts the analysis on the first frame, uses up a result that is skipped
// after a start or a setting change, then compares the second with it.
bool motionBetween(TImplMotionDetector& d, Picture first, Picture second)
{
    for (qint64 t = 1; t <= 3; ++t) {
        MotionFrame a = first.frame();
        d.analyse(a, t);
    }
    MotionFrame b = second.frame();
    return d.analyse(b, 4);
}

// The detector owns a lock and is never copied: each test makes its own.
#define ENABLED_DETECTOR(d)                                                                                            \
    TImplMotionDetector d;                                                                                             \
    d.setEnabled(true)
} // namespace

TEST(MotionDetector, StartsWithTheDefaultGrid)
{
    TImplMotionDetector d;
    EXPECT_EQ(d.grid().size(), 110);
    EXPECT_EQ(d.grid().left(11), "5555555555 ");
    EXPECT_TRUE(d.isGridValid());
    EXPECT_EQ(d.gridXCount(), 10);
    EXPECT_EQ(d.lastAnalysedTime(), -1);
}

TEST(MotionDetector, FramesGiveMotionOnlyWhereTheyDiffer)
{
    struct Case {
        const char* legend;
        int width, height, bits;
        int x, y, size; // the square drawn on the second frame only
        int change;     // added to the green byte of pixel (x, y) instead, when size is 0
        bool compareGreen;
        bool expected;
    } cases[] = {
        {"still frames", 40, 30, 24, 0, 0, 0, 0, true, false},
        {"moving square", 40, 30, 24, 5, 5, 6, 0, true, true},
        {"green up 120 over threshold 116", 40, 30, 24, 3, 3, 0, 120, true, true},
        {"green up 116 is not over it", 40, 30, 24, 3, 3, 0, 116, true, false},
        {"green not compared", 40, 30, 24, 3, 3, 0, 120, false, false},
        {"32-bit frame", 40, 30, 32, 5, 5, 6, 0, true, true},
        {"odd width, square at the right edge", 33, 21, 24, 30, 10, 3, 0, true, true},
        {"odd width, still", 33, 21, 24, 0, 0, 0, 0, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.legend);
        ENABLED_DETECTOR(d);
        d.setCompareGreen(c.compareGreen);
        Picture first(c.width, c.height, c.bits, 10);
        Picture second = first;
        if (c.size > 0)
            second.square(c.x, c.y, c.size, 250);
        else
            second.pixel(c.x, c.y)[1] = uchar(10 + c.change);
        EXPECT_EQ(motionBetween(d, first, second), c.expected);
        EXPECT_EQ(d.globalMotionRatio() > 0, c.expected);
    }
}

TEST(MotionDetector, PaddingBytesOfOddWidthsAreNoPicture)
{
    ENABLED_DETECTOR(d);
    Picture first(33, 20, 24, 10);
    Picture second = first;
    // Only the padding after each row differs.
    for (int y = 0; y < second.height; ++y)
        second.data[qsizetype(y) * second.stride + second.stride - 1] = char(255);
    EXPECT_FALSE(motionBetween(d, first, second));
}

TEST(MotionDetector, AMovingSquareMarksTheCellsItCrosses)
{
    ENABLED_DETECTOR(d);
    ASSERT_TRUE(d.setGridSize(4, 2));
    Picture first(40, 20, 24, 10);
    first.square(2, 2, 4, 200); // cell (0, 0)
    Picture second(40, 20, 24, 10);
    second.square(32, 12, 4, 200); // cell (3, 1)
    ASSERT_TRUE(motionBetween(d, first, second));
    EXPECT_GT(d.cellMotionRatio(0, 0), 0);
    EXPECT_GT(d.cellMotionRatio(3, 1), 0);
    EXPECT_EQ(d.cellMotionRatio(1, 0), 0);
    EXPECT_EQ(d.cellMotionRatio(4, 0), -1);
    const QString motion = d.get2DTextMotion();
    EXPECT_TRUE(motion.startsWith("1 . . . \r\n")) << motion.toStdString();
    EXPECT_TRUE(motion.endsWith(". . . 2 \r\n")) << motion.toStdString();
}

TEST(MotionDetector, CellsSwitchedOffAreNeverCompared)
{
    ENABLED_DETECTOR(d);
    ASSERT_TRUE(d.setGridSize(2, 1));
    ASSERT_TRUE(d.setCellSensitivity(0, 0, 0));
    Picture first(20, 10, 24, 10);
    Picture second = first;
    second.square(1, 1, 5, 250); // inside the switched-off left cell
    EXPECT_FALSE(motionBetween(d, first, second));
}

TEST(MotionDetector, NoResultAfterAStartAResetOrASizeChange)
{
    ENABLED_DETECTOR(d);
    Picture still(20, 10, 24, 10);
    Picture moved = still;
    moved.square(0, 0, 5, 250);
    EXPECT_TRUE(motionBetween(d, still, moved)) << "analysis running";
    MotionFrame f = moved.frame();

    d.reset();
    f = still.frame();
    EXPECT_FALSE(d.analyse(f, 4)) << "restart after reset";
    EXPECT_EQ(d.lastAnalysedTime(), -1);
    f = moved.frame();
    EXPECT_TRUE(d.analyse(f, 5));

    Picture larger(30, 10, 24, 10);
    f = larger.frame();
    EXPECT_FALSE(d.analyse(f, 6)) << "another frame size restarts";
}

TEST(MotionDetector, NoiseReductionAveragesEachByteWithTheRowsAround)
{
    ENABLED_DETECTOR(d);
    d.setReduceVideoNoise(true);
    Picture p(5, 4, 24, 90);
    MotionFrame f = p.frame();
    d.analyse(f, 1);
    const auto byteAt = [&](int row) { return uchar(p.data[qsizetype(row) * p.stride + 3]); };
    EXPECT_EQ(byteAt(0), 60);
    EXPECT_EQ(byteAt(1), 90);
    EXPECT_EQ(byteAt(2), 90);
    EXPECT_EQ(byteAt(3), 60);
}

TEST(MotionDetector, GridTextIsCheckedBeforeItIsTaken)
{
    TImplMotionDetector d;
    const QString before = d.grid();
    d.setGrid("123");
    EXPECT_FALSE(d.isGridValid());
    EXPECT_EQ(d.grid(), before);

    QString valid;
    for (int y = 0; y < 10; ++y)
        valid += (y ? " " : "") + QString("0123456789");
    d.setGrid(valid + " and more");
    EXPECT_TRUE(d.isGridValid());
    EXPECT_EQ(d.grid(), valid + " and more");
    int level = -1;
    ASSERT_TRUE(d.getCellSensitivity(7, 4, level));
    EXPECT_EQ(level, 7);
    EXPECT_TRUE(d.get2DTextGrid().startsWith(". 1 2 3 4 5 6 7 8 9\r\n"));

    ASSERT_TRUE(d.setGridSize(4, 3));
    EXPECT_EQ(d.grid(), "5555 5555 5555");
    EXPECT_FALSE(d.setGridSize(0, 3));
    ASSERT_TRUE(d.setCellSensitivity(0, 0, 6));
    ASSERT_TRUE(d.setCellSensitivity(1, 0, 0));
    EXPECT_FALSE(d.setCellSensitivity(0, 0, 10));
    EXPECT_FALSE(d.setCellSensitivity(4, 0, 1));
    d.globallyIncOrDecSensitivity(1);
    EXPECT_EQ(d.grid(), "7066 6666 6666");
    d.globallyIncOrDecSensitivity(5);
    EXPECT_EQ(d.grid(), "0000 0000 0000") << "6 + 5 and 7 + 5 wrap to off";
    d.resetGlobalSensitivity(3);
    EXPECT_EQ(d.grid(), "3333 3333 3333");
    EXPECT_EQ(d.meanSensitivity(), 3);
}

TEST(MotionDetector, ARefinedGridDetectsInItsNewCellsAtOnce)
{
    ENABLED_DETECTOR(d);
    Picture still(40, 20, 24, 10);
    Picture moved = still;
    moved.square(36, 16, 3, 250); // the bottom right corner
    motionBetween(d, still, still);
    ASSERT_TRUE(d.setGridSize(20, 10));
    MotionFrame f = still.frame();
    d.analyse(f, 3); // the size change's skipped result
    f = moved.frame();
    ASSERT_TRUE(d.analyse(f, 4));
    EXPECT_GT(d.cellMotionRatio(18, 8), 0);
}

TEST(MotionDetector, GridChangesWhileFramesAreAnalysed)
{
    ENABLED_DETECTOR(d);
    // Both sides do a bounded amount of work: the lock is not fair, so an
    // analysis loop that ran until told to stop could starve the grid side.
    std::thread analysis([&] {
        Picture a(64, 48, 24, 10);
        Picture b = a;
        b.square(10, 10, 20, 250);
        for (qint64 t = 0; t < 2000; ++t) {
            MotionFrame f = (t % 2 ? b : a).frame();
            d.analyse(f, t);
            std::this_thread::yield();
        }
    });
    for (int i = 0; i < 2000; ++i) {
        d.setGridSize(1 + i % 17, 1 + i % 13);
        d.setCellSensitivity(0, 0, i % 10);
        std::this_thread::yield();
    }
    analysis.join();
    EXPECT_EQ(d.gridXCount(), 1 + 1999 % 17);
}
