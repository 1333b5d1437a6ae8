#include "widgets/PlotSymbols.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <span>

namespace velmar::store {

namespace {

struct Outline {
    std::span<const double> ux;
    std::span<const double> uy;
};

constexpr double TriangleUpX[] = {0, 0.866, -0.866};
constexpr double TriangleUpY[] = {1, -0.5, -0.5};
constexpr double TriangleDownX[] = {0, 0.866, -0.866};
constexpr double TriangleDownY[] = {-1, 0.5, 0.5};
constexpr double TriangleRightX[] = {1, -0.5, -0.5};
constexpr double TriangleRightY[] = {0, 0.866, -0.866};
constexpr double TriangleLeftX[] = {-1, 0.5, 0.5};
constexpr double TriangleLeftY[] = {0, 0.866, -0.866};
constexpr double PentagonX[] = {0, 0.951, 0.588, -0.588, -0.951};
constexpr double PentagonY[] = {1, 0.309, -0.809, -0.809, 0.309};
constexpr double HexagonX[] = {1, 0.5, -0.5, -1, -0.5, 0.5};
constexpr double HexagonY[] = {0, 0.866, 0.866, 0, -0.866, -0.866};

const Outline* polygonOutline(int symbol)
{
    static const Outline triangleUp{TriangleUpX, TriangleUpY};
    static const Outline triangleDown{TriangleDownX, TriangleDownY};
    static const Outline triangleRight{TriangleRightX, TriangleRightY};
    static const Outline triangleLeft{TriangleLeftX, TriangleLeftY};
    static const Outline pentagon{PentagonX, PentagonY};
    static const Outline hexagon{HexagonX, HexagonY};
    switch (symbol) {
    case platform::SymbolTriangleUp: return &triangleUp;
    case platform::SymbolTriangleDown: return &triangleDown;
    case platform::SymbolTriangleRight: return &triangleRight;
    case platform::SymbolTriangleLeft: return &triangleLeft;
    case platform::SymbolPentagon: return &pentagon;
    case platform::SymbolHexagon: return &hexagon;
    default: return nullptr;
    }
}

void drawClosedPath(QPainter& painter, const QPainterPath& path, bool fill)
{
    if (fill)
        painter.drawPath(path);
    else
        painter.strokePath(path, painter.pen());
}

} // namespace

void DrawPolygonPath(QPainter& painter, int x, int y, int count, int radius, const double* ux, const double* uy,
                     bool fill)
{
    if (count < 1)
        return;
    auto point = [&](int i) { return QPointF(int(x + radius * ux[i]), int(y - radius * uy[i])); };
    QPainterPath path(point(count - 1));
    for (int i = 0; i < count; ++i)
        path.lineTo(point(i));
    drawClosedPath(painter, path, fill);
}

void DrawPlotSymbol(QPainter& painter, int x, int y, int symbol, int size, bool fill)
{
    int r = size / 2;
    if (r <= 0)
        r = 1;

    if (const Outline* outline = polygonOutline(symbol)) {
        DrawPolygonPath(painter, x, y, int(outline->ux.size()), r, outline->ux.data(), outline->uy.data(), fill);
        return;
    }
    switch (symbol) {
    case platform::SymbolCross:
        painter.drawLine(x - r, y, x + r, y);
        painter.drawLine(x, y - r, x, y + r);
        break;
    case platform::SymbolCross2:
        painter.drawLine(x - r, y - r, x + r, y + r);
        painter.drawLine(x - r, y + r, x + r, y - r);
        break;
    case platform::SymbolSquare: {
        QPainterPath path;
        path.addPolygon(
            QPolygonF({QPointF(x - r, y - r), QPointF(x + r, y - r), QPointF(x + r, y + r), QPointF(x - r, y + r)}));
        path.closeSubpath();
        drawClosedPath(painter, path, fill);
        break;
    }
    case platform::SymbolDiamond: {
        QPainterPath path;
        path.addPolygon(QPolygonF({QPointF(x + r, y), QPointF(x, y + r), QPointF(x - r, y), QPointF(x, y - r)}));
        path.closeSubpath();
        drawClosedPath(painter, path, fill);
        break;
    }
    case platform::SymbolDot: painter.fillRect(x, y, 1, 1, painter.pen().color()); break;
    case platform::SymbolStar:
        for (std::size_t i = 0; i < std::size(HexagonX); ++i)
            painter.drawLine(x, y, x + int(std::ceil(r * HexagonX[i])), y - int(std::ceil(r * HexagonY[i])));
        break;
    default: painter.drawEllipse(x - r, y - r, 2 * r, 2 * r); break;
    }
}

void DrawPlotSymbolSized(QPainter& painter, int x, int y, int size, int symbol, bool fill)
{
    DrawPlotSymbol(painter, x, y, symbol, size, fill);
}

} // namespace velmar::store
