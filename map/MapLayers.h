#pragma once
// The decisions of the map's base layers, kept apart from any painting: where
// grid lines go and how the border labels them, the pens of the coast and
// contour levels, and how a data set's fixes become the stretches of line
// the plot draws (effort colours, gaps, off-screen culling, fixes that fall
// on one pixel).
//
// Plain functions over values; the plot (map/ui/TMapPlot.h) paints what they
// return. User-interface thread, like the fix lists they read.
#include "map/MapView.h"
#include "map/TrackCache.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace velmar::map {

// Colour value of the named colour "Clear": the stretch it starts is not drawn.
inline constexpr int32_t ColourClear = -2;

// A colour value (red in the low byte) as a colour.
QColor ColourFromValue(int32_t value);

// Grid values (whole minutes, multiples of step) from `from` to `to`; empty
// for a step below 1 or a span that would need more lines than any plot can
// show.
std::vector<int> GridValues(double from, double to, int step);

// The border label of a grid value v in minutes: "30´" (minutes mark, code
// 180) when v is not a whole number of degrees, else "2°" (degree sign).
QString BorderLabel(int minutes);

// The pens of the coast and contour levels for n shown levels: the coast
// colour (the night foreground when it is 0 at night), cyan, then from
// RGB(0,255,255) downwards in equal steps of green and blue. Fewer than three
// levels need no step.
std::vector<QColor> MakeContourPens(int shownLevels, int32_t coastColour, bool night, QColor nightForeground);

// The number of show flags set among the first levelCount flags.
int CountShownLevels(const std::vector<bool>& showFlags, int levelCount);

// The pen of the level at `position` in the ascending order of levels: the
// number of shown levels before it (so the lowest shown level has pen 0).
int ContourPenIndex(int position, const std::vector<bool>& showFlags);

// Whether a segment's bounding box reaches the clip rectangle. A segment
// that only ends on the clip's first column or row still puts a pixel there.
inline bool SegmentVisible(QPoint a, QPoint b, const QRect& clip)
{
    const int minX = a.x() < b.x() ? a.x() : b.x(), maxX = a.x() < b.x() ? b.x() : a.x();
    const int minY = a.y() < b.y() ? a.y() : b.y(), maxY = a.y() < b.y() ? b.y() : a.y();
    return minX < clip.x() + clip.width() && maxX >= clip.x() && maxY >= clip.y() && minY < clip.y() + clip.height();
}

// The pixels that the lines of one colour have certainly painted, for a pen
// one pixel wide without antialiasing: such a pen paints a step to a
// neighbouring pixel on one of its two ends, so a step between two pixels
// already painted adds nothing to the picture. A long track that wanders
// over the same ground (a random walk, a ship on station, any track seen
// from far) then costs the drawing of the ground it covers, not of its
// fixes. Keeps its room from one use to the next.
class ReachedPixels {
public:
    // Covers the area, with no pixel reached.
    void Reset(const QRect& area);
    bool Has(QPoint p) const
    {
        const std::size_t i = indexOf(p);
        return i != Outside && m_stamps[i] == m_stamp;
    }
    void Add(QPoint p)
    {
        const std::size_t i = indexOf(p);
        if (i != Outside)
            m_stamps[i] = m_stamp;
    }

private:
    static constexpr std::size_t Outside = std::size_t(-1);
    std::size_t indexOf(QPoint p) const
    {
        const unsigned x = unsigned(p.x() - m_area.x()), y = unsigned(p.y() - m_area.y());
        return x < unsigned(m_area.width()) && y < unsigned(m_area.height())
                 ? std::size_t(y) * std::size_t(m_area.width()) + x
                 : Outside;
    }

    QRect m_area;
    // A pixel is reached when its stamp is the current one: starting anew
    // is one increment, not a clearing of every pixel.
    std::vector<uint8_t> m_stamps;
    uint8_t m_stamp = 0;
};

// The pixel that a pen one pixel wide, aliased and with flat caps, paints
// for a step between neighbouring pixels, wherever the step stands in its
// line: the left end, or the upper end of a step straight up or down.
inline QPoint ThinStepPixel(QPoint a, QPoint b)
{
    if (a.x() != b.x())
        return a.x() < b.x() ? a : b;
    return a.y() < b.y() ? a : b;
}

// Polylines of pixels. Points that follow one another in one pixel are
// kept once, and segments that do not reach the clip rectangle break the
// line, so an off-screen stretch costs no drawing. Given the pixels a thin
// pen has reached in this colour, a step between two of them breaks the
// line too (see ReachedPixels): the picture stays the same to the pixel.
class PolylineBuilder {
public:
    explicit PolylineBuilder(const QRect& clip, ReachedPixels* reached = nullptr) : m_clip(clip), m_reached(reached) {}
    // Starts a new line at p.
    void MoveTo(QPoint p)
    {
        Flush();
        m_current = p;
        m_hasCurrent = true;
    }
    // Joins p to the current point when the segment is visible; else moves.
    void LineTo(QPoint p)
    {
        if (p == m_current && m_hasCurrent)
            return;
        if (!m_hasCurrent || !SegmentVisible(m_current, p, m_clip)) {
            MoveTo(p);
            return;
        }
        if (m_reached && std::abs(p.x() - m_current.x()) <= 1 && std::abs(p.y() - m_current.y()) <= 1) {
            if (m_reached->Has(m_current) && m_reached->Has(p)) {
                MoveTo(p);
                return;
            }
            m_reached->Add(ThinStepPixel(m_current, p));
        }
        if (m_line.empty())
            m_line.push_back(m_current);
        m_line.push_back(p);
        m_current = p;
    }
    // The lines so far (each of at least two points); clears them.
    std::vector<std::vector<QPoint>> Take();

private:
    void Flush()
    {
        if (m_line.size() >= 2)
            m_lines.push_back(std::move(m_line));
        m_line.clear();
    }

    QRect m_clip;
    ReachedPixels* m_reached;
    QPoint m_current;
    bool m_hasCurrent = false;
    std::vector<QPoint> m_line;
    std::vector<std::vector<QPoint>> m_lines;
};

// One change of effort colour along the ship's track: from the stored fix
// with this GPS index on, this colour (ColourClear: not drawn).
struct EffortChange {
    int32_t gpsIndex = 0;
    int32_t colour = 0;
};

// Lines of one colour.
struct TrackStretch {
    int32_t colour = 0;
    std::vector<std::vector<QPoint>> lines;
};

struct TrackOptions {
    int32_t lineColour = 0;           // the data set's colour
    double maxGapSeconds = 300;       // a longer gap between fixes breaks the line
    bool effortColours = false;       // colour the stretches by the effort list
    std::vector<EffortChange> effort; // data set 0 only
    // Given when the pen is one pixel wide, aliased and not scaled: the
    // walk then passes over steps that would paint nothing new. Reset for
    // each stretch.
    ReachedPixels* thinPen = nullptr;
};

// What the walk of a data set leaves: its stretches, and the last fix drawn
// (data set and GPS index, never a pointer a purge could free).
struct TrackDrawing {
    std::vector<TrackStretch> stretches;
    int32_t lastDrawnIndex = -1;
};

// Walks a data set's points from the oldest to the newest: invalid fixes are
// passed over; a fix joins the previous drawn one when the segment is visible
// and less than the maximum gap later, else the line breaks there. The effort
// list divides the walk: each stretch ends at the first fix whose index is
// above its entry's index; after an entry the pen is that entry's colour
// when effort colouring is on, and a "Clear" stretch is passed over (the
// next drawn fix starts a new line).
TrackDrawing BuildTrack(const std::vector<TrackPoint>& points, const MapProjection& projection, const QRect& clip,
                        const TrackOptions& options);

// The top-left corner of a static point's text of that size, for a symbol
// of `size` at p: left-aligned (code 0) it starts half the symbol right of
// it, right-aligned (2) it ends half the symbol left of it, centred (6) it is
// centred on it; vertically it starts half the symbol below (0), ends there
// (2) or is centred on p (6). Another code is taken as left and top.
QPoint StaticTextOrigin(QPoint p, int size, int hAlign, int vAlign, QSize text);

// The ship marker: an 11 x 11 square with both diagonals, as one line
// sequence around the centre.
std::vector<QPoint> ShipSymbolPoints(QPoint centre);

} // namespace velmar::map
