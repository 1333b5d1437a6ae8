#pragma once
// The map's view: which rectangle of the earth the plot shows and how a
// position becomes a pixel and back.
//
// Positions are signed minutes of arc (north and east positive). The map is
// an equirectangular projection with separate scales on the two axes; the fit
// makes one nautical mile as long across as up at the middle of the view.
//
// MapView is the state the map window keeps (extents, scales at zoom 1,
// margin, zoom, the two scroll bars); MapProjection is what the plot copies
// from it at the start of every drawing. Plain values without windows; the
// map window and the plot own theirs. User-interface thread, like the map.
#include <QPoint>
#include <QPointF>
#include <QSize>

#include <cmath>
#include <cstdint>
#include <optional>

namespace velmar::map {

inline constexpr double MinutesPerDegree = 60.0;
inline constexpr double HalfTurnMinutes = 180.0 * MinutesPerDegree;
inline constexpr double FullTurnMinutes = 360.0 * MinutesPerDegree;

// A view whose fitted extents collapse (one fix, a margin of 0, every fix at
// one place) is widened to this span on that axis, so the scales stay finite.
inline constexpr double MinimumSpanMinutes = 1.0;
// Above this zoom the scroll bars choose the visible part of the view.
inline constexpr float ZoomWhole = 1.005f;
// Positions of a scroll bar per unit of zoom, and a page of it.
inline constexpr int ScrollPositionsPerZoom = 20;
inline constexpr int ScrollPage = 10;
// The commands that nudge and centre the view.
inline constexpr int CmdNudgeUp = 30042;
inline constexpr int CmdNudgeDown = 30043;
inline constexpr int CmdNudgeLeft = 30044;
inline constexpr int CmdNudgeRight = 30045;
// Grid lines are at least this many pixels apart when a step allows it.
inline constexpr double GridMinimumPixels = 70.0;

// A longitude difference folded into [-180°, 180°): a track across the date
// line is a short leg, not one round the world.
double WrapLongitude(double minutes);

// The bounding box of a track, in minutes. Longitudes are followed
// continuously from fix to fix, so a track across the date line gets a
// narrow box whose east edge may lie beyond 180°.
class TrackBounds {
public:
    void Add(double latitude, double longitude);
    bool IsEmpty() const { return m_empty; }
    double MinLat() const { return m_minLat; }
    double MaxLat() const { return m_maxLat; }
    double MinLon() const { return m_minLon; }
    double MaxLon() const { return m_maxLon; }

private:
    bool m_empty = true;
    double m_lastLon = 0;
    double m_minLat = 0, m_maxLat = 0, m_minLon = 0, m_maxLon = 0;
};

// One scroll bar of the plot.
struct ScrollBarState {
    int position = 1;
    int maximum = 2;
    double fraction = 0.5; // the position kept across zoom changes
    bool shown = false;
};

// Scroll codes of the plot's bars.
enum class ScrollCode { LineBack, LineForward, PageBack, PageForward, Thumb, Other };

class MapView {
public:
    // Before the first fit.
    float MinLat = 0, MaxLat = 1, MinLon = 1, MaxLon = 0;
    double LatScale = 1.0, LonScale = 1.0;
    float Margin = 20.0f;
    float Zoom = 1.0f;
    ScrollBarState horizontal, vertical;

    // Refits the whole view: around the track when there is one, else around
    // the map's centre when a map is loaded, else around the extents there
    // are; then the margin is added and the scales made for a plot of that
    // size (nothing more when it has no area).
    void FitView(const TrackBounds& track, std::optional<QPointF> mapCentre, QSize plot);

    // The visible rectangle (minutes) and the pixels per minute for a plot
    // dimension (0 pixels: the fitted scale times the zoom).
    double ViewTop() const;
    double ViewBottom() const;
    double ViewLeft() const;
    double ViewRight() const;
    double ViewYScale(int pixels) const;
    double ViewXScale(int pixels) const;

    void ZoomIn(float step);
    // True when the zoom went below the whole view: the margin grew and the
    // caller fits the view again.
    [[nodiscard]] bool ZoomOut(float step);
    // Moves the extents by a tenth of the visible span (CmdNudge...).
    void Nudge(int command);
    // Centres the whole view on a position, keeping its spans, and the bars.
    void CentreOn(double latitude, double longitude);

    // After a zoom change: bars shown above ZoomWhole, with their old place.
    void UpdateScrollBars();
    void CentreScrollBars();
    // A scroll of one bar; false for a code that is ignored.
    bool Scroll(ScrollBarState& bar, ScrollCode code, int thumbPosition = 0);
};

// What the plot draws with: the visible rectangle and its scales.
struct MapProjection {
    double Top = 1, Bottom = 0, Left = 0, Right = 1;
    double YScale = 1, XScale = 1;

    // The view as a plot of that size shows it.
    static MapProjection FromView(const MapView& view, QSize plot);

    // Pixel column and row, truncated toward zero; a position far outside
    // the plot is held to a bound rather than overflowing an int.
    int LonToX(double longitude) const { return Truncate(LonOffset(longitude) * XScale); }
    int LatToY(double latitude) const { return Truncate((Top - latitude) * YScale); }
    QPoint ToPixel(double latitude, double longitude) const { return {LonToX(longitude), LatToY(latitude)}; }
    double YToLat(int y) const { return Top - y / YScale; }
    double XToLon(int x) const { return x / XScale + Left; }

    // Minutes east of Left, the longitude taken on the side of the date line
    // that is nearer the middle of the view.
    double LonOffset(double longitude) const
    {
        const double half = (Right - Left) / 2;
        double d = longitude - (Left + half);
        if (d < -HalfTurnMinutes || d >= HalfTurnMinutes)
            d = WrapLongitude(d);
        return d + half;
    }

    static int Truncate(double pixels)
    {
        constexpr double Bound = 1 << 24;
        if (!(pixels > -Bound)) // also NaN
            return -int(Bound);
        if (pixels > Bound)
            return int(Bound);
        return int(pixels);
    }
};

// The grid spacing in minutes for a plot dimension of `pixels` that shows
// `span` minutes: the first of 1, 2, 5, 10, 20, 30, 60, 120 minutes that is
// at least 70 pixels long; 120 when none is; 1 for no span.
int GridStep(double pixels, double span);

} // namespace velmar::map
