#include "map/MapLayers.h"

#include "platform/Utilities.h"

#include <algorithm>
#include <optional>

namespace velmar::map {

namespace {

// More grid lines than this cannot be told apart on any screen or page.
constexpr double MaxGridLines = 4000;

constexpr int MaxColourValue = 255;
// The blue of the deepest contour pen is this much below the first.
constexpr int ContourBlueRange = 63;
const QColor ContourSecondColour{0, 255, 255};

constexpr QChar MinutesMark{0xb4};
constexpr QChar DegreeSign{0xb0};

// Follows one data set's points, stretch by stretch, remembering the last
// drawn fix so that gaps are measured from it.
class TrackWalker {
public:
    TrackWalker(const std::vector<TrackPoint>& points, const MapProjection& projection, const QRect& clip,
                double maxGapSeconds, ReachedPixels* thinPen)
        : m_points(points), m_projection(projection), m_clip(clip), m_maxGapMs(maxGapSeconds * 1000.0),
          m_thinPen(thinPen)
    {
    }

    bool AtEnd() const { return m_next >= m_points.size(); }

    // Walks to the first fix whose index is above endIndex (all when none
    // is given), drawing into the stretch unless it is invisible.
    void Walk(TrackStretch* stretch, std::optional<int32_t> endIndex)
    {
        // Each stretch has its own colour and paints over what came before.
        if (stretch && m_thinPen)
            m_thinPen->Reset(m_clip);
        PolylineBuilder builder(m_clip, stretch ? m_thinPen : nullptr);
        if (stretch && m_joined)
            builder.MoveTo(m_lastPixel);
        const std::size_t count = m_points.size();
        for (; m_next < count; ++m_next) {
            const TrackPoint& t = m_points[m_next];
            if (endIndex && t.gpsIndex > *endIndex)
                break;
            if (!t.valid)
                continue;
            if (!stretch) {
                // A passed-over stretch leaves a gap: the next drawn fix starts anew.
                m_joined = false;
                continue;
            }
            const QPoint p = m_projection.ToPixel(t.latitude, t.longitude);
            if (m_joined && double(t.milliseconds - m_lastMs) < m_maxGapMs)
                builder.LineTo(p);
            else
                builder.MoveTo(p);
            m_joined = true;
            m_lastPixel = p;
            m_lastMs = t.milliseconds;
            m_lastIndex = t.gpsIndex;
        }
        if (stretch)
            stretch->lines = builder.Take();
    }

    int32_t LastIndex() const { return m_lastIndex; }

private:
    const std::vector<TrackPoint>& m_points;
    std::size_t m_next = 0;
    const MapProjection& m_projection;
    QRect m_clip;
    double m_maxGapMs;
    ReachedPixels* m_thinPen;
    bool m_joined = false;
    QPoint m_lastPixel;
    int64_t m_lastMs = 0;
    int32_t m_lastIndex = -1;
};

} // namespace

QColor ColourFromValue(int32_t value)
{
    const auto v = uint32_t(value);
    return QColor(int(v & 0xff), int((v >> 8) & 0xff), int((v >> 16) & 0xff));
}

std::vector<int> GridValues(double from, double to, int step)
{
    std::vector<int> values;
    if (step < 1 || !std::isfinite(from) || !std::isfinite(to) || (to - from) / step > MaxGridLines)
        return values;
    for (double v = std::trunc(from / step) * step; v <= to; v += step) {
        if (v >= from)
            values.push_back(int(v));
    }
    return values;
}

QString BorderLabel(int minutes)
{
    const int part = minutes % 60;
    if (part != 0)
        return QStringLiteral("%1").arg(std::abs(part), 2, 10, QLatin1Char('0')) + MinutesMark;
    return QString::number(std::abs(int(std::floor(minutes / 60.0)))) + DegreeSign;
}

std::vector<QColor> MakeContourPens(int shownLevels, int32_t coastColour, bool night, QColor nightForeground)
{
    std::vector<QColor> pens;
    if (shownLevels <= 0)
        return pens;
    pens.push_back(night && coastColour == 0 ? nightForeground : ColourFromValue(coastColour));
    if (shownLevels > 1)
        pens.push_back(ContourSecondColour);
    if (shownLevels > 2) {
        const int steps = shownLevels - 2;
        const int greenStep = MaxColourValue / steps, blueStep = ContourBlueRange / steps;
        int green = MaxColourValue, blue = MaxColourValue;
        for (int i = 2; i < shownLevels; ++i) {
            green -= greenStep;
            blue -= blueStep;
            pens.emplace_back(0, green & 0xff, blue & 0xff);
        }
    }
    return pens;
}

int CountShownLevels(const std::vector<bool>& showFlags, int levelCount)
{
    int n = 0;
    for (int i = 0; i < levelCount && i < int(showFlags.size()); ++i)
        n += showFlags[std::size_t(i)] ? 1 : 0;
    return n;
}

int ContourPenIndex(int position, const std::vector<bool>& showFlags)
{
    return CountShownLevels(showFlags, position);
}

void ReachedPixels::Reset(const QRect& area)
{
    const std::size_t size = std::size_t(std::max(0, area.width())) * std::size_t(std::max(0, area.height()));
    if (area != m_area || m_stamps.size() != size) {
        m_area = area;
        m_stamps.assign(size, 0);
        m_stamp = 0;
    }
    if (++m_stamp == 0) {
        std::fill(m_stamps.begin(), m_stamps.end(), uint8_t(0));
        m_stamp = 1;
    }
}

std::vector<std::vector<QPoint>> PolylineBuilder::Take()
{
    Flush();
    return std::move(m_lines);
}

TrackDrawing BuildTrack(const std::vector<TrackPoint>& points, const MapProjection& projection, const QRect& clip,
                        const TrackOptions& options)
{
    TrackDrawing drawing;
    TrackWalker walker(points, projection, clip, options.maxGapSeconds, options.thinPen);
    int32_t colour = options.lineColour;
    const auto walkStretch = [&](std::optional<int32_t> endIndex) {
        if (colour == ColourClear) {
            walker.Walk(nullptr, endIndex);
            return;
        }
        TrackStretch stretch;
        stretch.colour = colour;
        walker.Walk(&stretch, endIndex);
        if (!stretch.lines.empty())
            drawing.stretches.push_back(std::move(stretch));
    };
    for (const EffortChange& change : options.effort) {
        if (walker.AtEnd())
            break;
        walkStretch(change.gpsIndex);
        if (options.effortColours)
            colour = change.colour;
    }
    if (!walker.AtEnd())
        walkStretch(std::nullopt);
    drawing.lastDrawnIndex = walker.LastIndex();
    return drawing;
}

QPoint StaticTextOrigin(QPoint p, int size, int hAlign, int vAlign, QSize text)
{
    const int s = std::max(1, size / 2);
    int x = p.x() + s;
    if (hAlign == platform::AlignRightOrBottom)
        x = p.x() - s - text.width();
    else if (hAlign == platform::AlignCentre)
        x = p.x() - text.width() / 2;
    int y = p.y() + s;
    if (vAlign == platform::AlignRightOrBottom)
        y = p.y() + s - text.height();
    else if (vAlign == platform::AlignCentre)
        y = p.y() - text.height() / 2;
    return {x, y};
}

std::vector<QPoint> ShipSymbolPoints(QPoint c)
{
    const int x = c.x(), y = c.y();
    return {{x - 5, y - 5}, {x + 5, y + 5}, {x + 5, y - 5}, {x - 5, y + 5},
            {x + 5, y + 5}, {x + 5, y - 5}, {x - 5, y - 5}, {x - 5, y + 5}};
}

} // namespace velmar::map
