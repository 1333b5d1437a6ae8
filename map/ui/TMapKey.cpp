#include "map/ui/TMapKey.h"

#include "map/MapLayers.h"
#include "map/ui/MapPicture.h"
#include "widgets/PlotSymbols.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>

namespace velmar::map {

namespace {

constexpr int X0 = 2;
constexpr int SymbolX = X0 + 5;
constexpr int TextX = X0 + 12;
constexpr int EffortLineFrom = 3;
constexpr int EffortLineTo = 11;
constexpr int MarkerHalf = 4;
const QColor Grey{128, 128, 128};
const QColor Silver{192, 192, 192};
const QColor AuralKey{255, 127, 0};

QPen Pen(const QColor& c, int width = 1)
{
    QPen pen(c, width);
    pen.setCosmetic(width <= 1);
    return pen;
}

} // namespace

TMapKey::TMapKey(QWidget* parent, std::function<KeyInputs()> inputs, std::function<std::vector<QColor>()> clickColours,
                 std::function<std::vector<QColor>()> contourPens)
    : QWidget(parent), m_inputs(std::move(inputs)), m_clickColours(std::move(clickColours)),
      m_contourPens(std::move(contourPens))
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

std::vector<KeyEntry> TMapKey::Entries() const
{
    return BuildKeyEntries(m_inputs ? m_inputs() : KeyInputs{});
}

void TMapKey::DrawKey(QPainter& painter, const QRect& rect, bool frame)
{
    painter.save();
    painter.setFont(font());
    painter.setBackgroundMode(Qt::TransparentMode);
    const QFontMetrics metrics(font());
    const int t = metrics.height();
    const int cw = metrics.averageCharWidth();
    const int right = rect.width() - X0 - 2;
    const QColor text = painter.pen().color();
    const std::vector<QColor> clicks = m_clickColours ? m_clickColours() : std::vector<QColor>{};
    const std::vector<QColor> contours = m_contourPens ? m_contourPens() : std::vector<QColor>{};
    int y = t;
    const auto label = [&](int x, const QString& s) {
        painter.setPen(text);
        painter.drawText(QPoint(x, y + metrics.ascent()), s);
    };
    const auto sample = [&](const QColor& c, int sy) {
        painter.setPen(Pen(c));
        painter.drawLine(SymbolX, sy, right, sy);
    };
    const auto ellipse = [&](const QColor& c, int sy, bool filled = true) {
        painter.setPen(Pen(c));
        painter.setBrush(filled ? QBrush(c) : QBrush());
        painter.drawEllipse(QRect(QPoint(EffortLineFrom, sy - MarkerHalf), QPoint(EffortLineTo, sy + MarkerHalf)));
    };
    for (const KeyEntry& e : Entries()) {
        // Samples of lines run under their text; symbols and short lines
        // stand beside it.
        const bool under = e.kind == KeyEntry::Ship || e.kind == KeyEntry::Porpoises || e.kind == KeyEntry::Whistles
                        || e.kind == KeyEntry::Sperms || e.kind == KeyEntry::Aural || e.kind == KeyEntry::Contour;
        const int sy = under ? y + t + 2 : y + t / 2;
        const QColor colour = ColourFromValue(e.colour);
        int step = t + t / 2;
        switch (e.kind) {
        case KeyEntry::Ship: {
            sample(Grey, sy);
            painter.setPen(Pen(text));
            const std::vector<QPoint> ship = ShipSymbolPoints(QPoint(SymbolX, sy));
            painter.drawPolyline(ship.data(), int(ship.size()));
            label(TextX, e.text);
            step = 2 * t;
            break;
        }
        case KeyEntry::EffortSource: label(TextX, e.text); break;
        case KeyEntry::EffortLine:
            painter.setPen(Pen(colour, 2));
            painter.drawLine(EffortLineFrom, sy, EffortLineTo, sy);
            label(TextX, e.text);
            step = t + 2;
            break;
        case KeyEntry::Porpoises:
            ellipse(Qt::red, sy);
            sample(Qt::red, sy);
            label(TextX, e.text);
            break;
        case KeyEntry::Whistles:
            ellipse(Qt::blue, sy);
            sample(Qt::blue, sy);
            label(TextX, e.text);
            break;
        case KeyEntry::Sperms:
            ellipse(Qt::green, sy);
            if (e.clickColours && clicks.size() >= 12) {
                const double part = double(right - SymbolX) / 12;
                for (int i = 0; i < 12; ++i) {
                    painter.setPen(Pen(clicks[std::size_t(i)]));
                    painter.drawLine(int(SymbolX + i * part), sy, int(SymbolX + (i + 1) * part), sy);
                }
            } else {
                sample(Qt::green, sy);
            }
            label(TextX, e.text);
            break;
        case KeyEntry::Aural:
            ellipse(AuralKey, sy);
            sample(AuralKey, sy);
            label(TextX, e.text);
            break;
        case KeyEntry::StaticGroup:
            painter.setPen(Pen(ColourFromValue(e.colour < 0 ? 0 : e.colour)));
            painter.setBrush(e.fill >= 0 ? QBrush(ColourFromValue(e.fill)) : QBrush());
            if (e.lines)
                painter.drawLine(SymbolX - cw / 2, sy, int(SymbolX + 1.5 * cw), sy);
            else
                store::DrawPlotSymbol(painter, SymbolX, sy, e.symbol, e.size, e.filled);
            label(SymbolX + 2 * cw, e.text);
            break;
        case KeyEntry::Symbol:
            painter.setPen(Pen(colour));
            painter.setBrush(QBrush(colour));
            store::DrawPlotSymbol(painter, SymbolX, sy, e.symbol, e.size, e.filled);
            label(TextX, e.text);
            break;
        case KeyEntry::ContourHeading: label(X0, e.text); break;
        case KeyEntry::Contour:
            sample(e.contourPen >= 0 && std::size_t(e.contourPen) < contours.size()
                       ? contours[std::size_t(e.contourPen)]
                       : QColor(Qt::black),
                   sy);
            label(TextX, e.text);
            break;
        }
        painter.setBrush(QBrush());
        y += step;
    }
    if (frame) {
        painter.setPen(Pen(Silver));
        painter.drawRect(QRect(0, 0, rect.width() - 1, rect.height() - 1));
    }
    painter.restore();
}

void TMapKey::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(Qt::black);
    DrawKey(painter, rect(), false);
}

QMimeData* TMapKey::CopyData()
{
    return PictureMimeData(size(), QStringLiteral("Map Plot"), Qt::white, [this](QPainter& painter) {
        painter.setPen(Qt::black);
        DrawKey(painter, rect(), true);
    });
}

void TMapKey::CopyKey()
{
    QApplication::clipboard()->setMimeData(CopyData());
}

void TMapKey::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("&Copy"), this, [this] { CopyKey(); });
    menu.exec(event->globalPos());
}

} // namespace velmar::map
