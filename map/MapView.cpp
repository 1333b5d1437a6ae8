#include "map/MapView.h"

#include <algorithm>
#include <array>

namespace velmar::map {

namespace {

// Near a pole the cosine of the middle latitude goes to 0; held here, the
// longitude margin and scale stay finite.
constexpr double MinimumCosine = 0.01;

double MidCosine(double minLat, double maxLat)
{
    const double mid = (maxLat + minLat) / 2 / MinutesPerDegree;
    return std::max(std::cos(mid * M_PI / 180.0), MinimumCosine);
}

template <typename T>
void WidenTo(T& low, T& high, double span)
{
    const double missing = span - (double(high) - double(low));
    if (missing > 0 || !std::isfinite(missing)) {
        const double middle = std::isfinite(double(high) + double(low)) ? (double(high) + double(low)) / 2 : 0.0;
        low = T(middle - span / 2);
        high = T(middle + span / 2);
    }
}

double Fraction(const ScrollBarState& bar)
{
    return double(bar.position) / (bar.maximum > 1 ? bar.maximum : 1);
}

} // namespace

double WrapLongitude(double minutes)
{
    if (!std::isfinite(minutes))
        return 0;
    double d = std::fmod(minutes + HalfTurnMinutes, FullTurnMinutes);
    if (d < 0)
        d += FullTurnMinutes;
    return d - HalfTurnMinutes;
}

void TrackBounds::Add(double latitude, double longitude)
{
    if (m_empty) {
        m_empty = false;
        m_lastLon = longitude;
        m_minLat = m_maxLat = latitude;
        m_minLon = m_maxLon = longitude;
        return;
    }
    const double lon = m_lastLon + WrapLongitude(longitude - m_lastLon);
    m_lastLon = lon;
    m_minLat = std::min(m_minLat, latitude);
    m_maxLat = std::max(m_maxLat, latitude);
    m_minLon = std::min(m_minLon, lon);
    m_maxLon = std::max(m_maxLon, lon);
}

void MapView::FitView(const TrackBounds& track, std::optional<QPointF> mapCentre, QSize plot)
{
    if (!track.IsEmpty()) {
        MinLat = float(track.MinLat());
        MaxLat = float(track.MaxLat());
        MinLon = float(track.MinLon());
        MaxLon = float(track.MaxLon());
    } else if (mapCentre) {
        MinLat = MaxLat = float(mapCentre->y());
        MinLon = MaxLon = float(mapCentre->x());
    }
    const double c = MidCosine(MinLat, MaxLat);
    MaxLat += Margin;
    MinLat -= Margin;
    MinLon -= float(Margin / c);
    MaxLon += float(Margin / c);
    WidenTo(MinLat, MaxLat, MinimumSpanMinutes);
    WidenTo(MinLon, MaxLon, MinimumSpanMinutes / c);

    if (plot.width() <= 0 || plot.height() <= 0)
        return;
    const double width = plot.width(), height = plot.height();
    LonScale = width / (MaxLon - MinLon);
    LatScale = height / (MaxLat - MinLat);
    if (!(LonScale > 0))
        LonScale = 1.0;
    if (!(LatScale > 0))
        LatScale = 1.0;
    const double f = LonScale / c;
    if (f >= LatScale) {
        LonScale = c * LatScale;
        const double widen = (width / LonScale - (double(MaxLon) - MinLon)) / 2;
        MinLon = float(MinLon - widen);
        MaxLon = float(MaxLon + widen);
    } else {
        LatScale = f;
        const double widen = (height / LatScale - (double(MaxLat) - MinLat)) / 2;
        MinLat = float(MinLat - widen);
        MaxLat = float(MaxLat + widen);
    }
}

double MapView::ViewTop() const
{
    if (Zoom <= ZoomWhole)
        return MaxLat;
    const double s = double(MaxLat) - MinLat;
    return MaxLat - s * (Fraction(vertical) - 0.5 / Zoom);
}

double MapView::ViewBottom() const
{
    if (Zoom <= ZoomWhole)
        return MinLat;
    return ViewTop() - (double(MaxLat) - MinLat) / Zoom;
}

double MapView::ViewLeft() const
{
    if (Zoom <= ZoomWhole)
        return MinLon;
    const double t = double(MaxLon) - MinLon;
    return MinLon + t * (Fraction(horizontal) - 0.5 / Zoom);
}

double MapView::ViewRight() const
{
    if (Zoom <= ZoomWhole)
        return MaxLon;
    return ViewLeft() + (double(MaxLon) - MinLon) / Zoom;
}

double MapView::ViewYScale(int pixels) const
{
    if (pixels == 0)
        return LatScale * Zoom;
    return Zoom * pixels / (double(MaxLat) - MinLat);
}

double MapView::ViewXScale(int pixels) const
{
    if (pixels == 0)
        return LonScale * Zoom;
    return Zoom * pixels / (double(MaxLon) - MinLon);
}

void MapView::ZoomIn(float step)
{
    Zoom *= step;
    UpdateScrollBars();
}

bool MapView::ZoomOut(float step)
{
    bool refit = false;
    if (Zoom > step) {
        Zoom /= step;
    } else {
        Zoom = 1.0f;
        Margin *= step;
        refit = true;
    }
    UpdateScrollBars();
    return refit;
}

void MapView::Nudge(int command)
{
    const double dLat = (double(MaxLat) - MinLat) * 0.1 / Zoom;
    const double dLon = (double(MaxLon) - MinLon) * 0.1 / Zoom;
    switch (command) {
    case CmdNudgeUp:
        MinLat = float(MinLat - dLat);
        MaxLat = float(MaxLat - dLat);
        break;
    case CmdNudgeDown:
        MinLat = float(MinLat + dLat);
        MaxLat = float(MaxLat + dLat);
        break;
    case CmdNudgeLeft:
        MinLon = float(MinLon + dLon);
        MaxLon = float(MaxLon + dLon);
        break;
    case CmdNudgeRight:
        MinLon = float(MinLon - dLon);
        MaxLon = float(MaxLon - dLon);
        break;
    default: break;
    }
}

void MapView::CentreOn(double latitude, double longitude)
{
    const double s = double(MaxLat) - MinLat, t = double(MaxLon) - MinLon;
    MaxLat = float(latitude + s / 2);
    MinLat = float(latitude - s / 2);
    MaxLon = float(longitude + t / 2);
    MinLon = float(longitude - t / 2);
    CentreScrollBars();
}

void MapView::UpdateScrollBars()
{
    for (ScrollBarState* bar : {&horizontal, &vertical}) {
        if (Zoom > ZoomWhole) {
            const double old = Fraction(*bar);
            bar->maximum = int(Zoom * ScrollPositionsPerZoom);
            bar->position = int(bar->maximum * old);
            bar->fraction = old;
            bar->shown = true;
        } else {
            *bar = ScrollBarState{};
        }
    }
}

void MapView::CentreScrollBars()
{
    if (Zoom <= ZoomWhole)
        return;
    for (ScrollBarState* bar : {&horizontal, &vertical})
        bar->position = bar->maximum / 2;
}

bool MapView::Scroll(ScrollBarState& bar, ScrollCode code, int thumbPosition)
{
    int position = bar.position;
    switch (code) {
    case ScrollCode::LineBack: position -= 1; break;
    case ScrollCode::LineForward: position += 1; break;
    case ScrollCode::PageBack: position -= ScrollPage; break;
    case ScrollCode::PageForward: position += ScrollPage; break;
    case ScrollCode::Thumb: position = thumbPosition; break;
    case ScrollCode::Other: return false;
    }
    bar.position = std::clamp(position, 0, bar.maximum);
    return true;
}

MapProjection MapProjection::FromView(const MapView& view, QSize plot)
{
    MapProjection p;
    p.Top = view.ViewTop();
    p.Bottom = view.ViewBottom();
    p.Left = view.ViewLeft();
    p.Right = view.ViewRight();
    p.YScale = view.ViewYScale(plot.height());
    p.XScale = view.ViewXScale(plot.width());
    // An unfitted view has no area; a plot of no size has no scale.
    if (!(p.YScale > 0) || !std::isfinite(p.YScale))
        p.YScale = 1;
    if (!(p.XScale > 0) || !std::isfinite(p.XScale))
        p.XScale = 1;
    return p;
}

int GridStep(double pixels, double span)
{
    static constexpr std::array<int, 8> Steps{1, 2, 5, 10, 20, 30, 60, 120};
    if (span == 0 || !std::isfinite(span) || !std::isfinite(pixels))
        return 1;
    const double k = pixels / std::fabs(span);
    for (int step : Steps)
        if (step * k >= GridMinimumPixels)
            return step;
    return Steps.back();
}

} // namespace velmar::map
