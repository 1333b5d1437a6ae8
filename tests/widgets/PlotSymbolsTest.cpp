#include "widgets/PlotSymbols.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace velmar::store;
using namespace velmar::platform;

namespace {

constexpr int C = 20; // centre of the test image

struct SymbolCase {
    const char* legend;
    int symbol;
    int size;
    bool fill;
    QPoint inked; // a pixel the symbol must cover (offset from the centre)
    QPoint clear; // a pixel it must leave alone
};

QImage draw(const SymbolCase& c, const QBrush& brush)
{
    QImage image(2 * C, 2 * C, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(brush);
    DrawPlotSymbol(painter, C, C, c.symbol, c.size, c.fill);
    return image;
}

bool isWhite(const QImage& image, QPoint offset)
{
    return image.pixelColor(QPoint(C, C) + offset) == QColor(Qt::white);
}

TEST(PlotSymbols, EachSymbolCoversItsShape)
{
    const SymbolCase cases[] = {
        {"cross", SymbolCross, 10, false, {5, 0}, {3, 3}},
        {"cross, size 1 draws radius 1", SymbolCross, 1, false, {1, 0}, {2, 0}},
        {"diagonal cross", SymbolCross2, 10, false, {3, 3}, {3, 0}},
        {"square outline", SymbolSquare, 10, false, {5, 2}, {0, 0}},
        {"square filled", SymbolSquare, 10, true, {0, 0}, {7, 0}},
        {"diamond filled", SymbolDiamond, 10, true, {0, 3}, {4, 4}},
        {"triangle up filled", SymbolTriangleUp, 10, true, {0, -3}, {0, 4}},
        {"triangle down filled", SymbolTriangleDown, 10, true, {0, 3}, {0, -4}},
        {"triangle left filled", SymbolTriangleLeft, 10, true, {-3, 0}, {4, 0}},
        {"triangle right filled", SymbolTriangleRight, 10, true, {3, 0}, {-4, 0}},
        {"pentagon outline", SymbolPentagon, 10, false, {0, -5}, {0, 0}},
        {"hexagon filled", SymbolHexagon, 10, true, {0, 0}, {0, -6}},
        {"star", SymbolStar, 10, false, {3, 0}, {0, 3}},
        {"dot", SymbolDot, 10, false, {0, 0}, {1, 0}},
        {"circle", SymbolCircle, 10, false, {5, 0}, {4, 4}},
        {"unknown numbers draw a circle", 99, 10, false, {-5, 0}, {4, 4}},
    };
    for (const auto& c : cases) {
        const QImage image = draw(c, QBrush(Qt::black));
        EXPECT_FALSE(isWhite(image, c.inked)) << c.legend;
        EXPECT_TRUE(isWhite(image, c.clear)) << c.legend;
    }
}

TEST(PlotSymbols, FillUsesTheBrushAndTheCircleAlwaysDoes)
{
    const QBrush red(Qt::red);
    EXPECT_TRUE(isWhite(draw({"square", SymbolSquare, 10, false, {}, {}}, red), {0, 0}));
    EXPECT_EQ(draw({"square", SymbolSquare, 10, true, {}, {}}, red).pixelColor(C, C), QColor(Qt::red));
    EXPECT_EQ(draw({"circle", SymbolCircle, 10, false, {}, {}}, red).pixelColor(C, C), QColor(Qt::red));
}

TEST(PlotSymbols, SizedVariantTakesSizeFirst)
{
    QImage a(2 * C, 2 * C, QImage::Format_RGB32), b(2 * C, 2 * C, QImage::Format_RGB32);
    a.fill(Qt::white);
    b.fill(Qt::white);
    {
        QPainter pa(&a), pb(&b);
        DrawPlotSymbol(pa, C, C, SymbolHexagon, 14, false);
        DrawPlotSymbolSized(pb, C, C, 14, SymbolHexagon, false);
    }
    EXPECT_EQ(a, b);
}

} // namespace
