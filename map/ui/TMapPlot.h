#pragma once
// TMapPlot: the window in which the map itself is drawn, in its fixed layer
// order: static objects marked to go first, grid, coastline and contours,
// border scale, the tracks of every GPS data set with the ship marker, the
// other static objects, and a frame for copies and prints.
//
// Painting happens in paintEvent only; copies (SVG and PNG in one clipboard
// entry) and prints draw the same map through DrawMap onto their own device.
// Fixes are referred to by data set and GPS index, so a purge of the fix
// lists can never leave the plot holding a freed fix.
//
// User-interface thread only. The view it draws is the map window's (or its
// own when made without one); the fix lists, data sets, chart and settings
// are the program's unless the sources say otherwise.
#include "map/MapFiles.h"
#include "map/MapLayers.h"
#include "map/MapView.h"
#include "map/StaticObjects.h"
#include "map/TrackCache.h"

#include <QFont>
#include <QLoggingCategory>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QMimeData;
class QPainter;
class QPrinter;
class QScrollBar;

Q_DECLARE_LOGGING_CATEGORY(lcMapPlot)

namespace velmar::nav {
class GpsFixList;
struct GpsDataSet;
}

namespace velmar::map {

// A fix as the map keeps it.
struct FixRef {
    int dataSet = 0;
    int32_t gpsIndex = 0;
    bool operator==(const FixRef&) const = default;
};

// What the plot reads from the rest of the program; empty entries take the
// program's own.
struct MapPlotSources {
    nav::GpsFixList* fixes = nullptr;
    std::function<std::vector<nav::GpsDataSet>()> dataSets;
    std::function<std::vector<EffortChange>()> effortLine;
    MapFeatures* features = nullptr;
    const std::vector<StaticPointsGroup>* staticGroups = nullptr;
    std::function<int()> runMode;
};

class TMapPlot : public QWidget {
    Q_OBJECT
public:
    // Draws view (owned by the caller, who outlives the plot); without one
    // the plot keeps its own and fits it itself when its size changes.
    explicit TMapPlot(QWidget* parent = nullptr, MapView* view = nullptr, MapPlotSources sources = {});
    ~TMapPlot() override;

    MapView& View() { return *m_view; }

    // The whole map onto a device: rect is the drawing rectangle (its size
    // sets the scales), clip the part that needs drawing.
    void DrawMap(QPainter& painter, const QRect& rect, const QRect& clip, bool frame);

    // Fits the view to data set 0 (or the chart) for the plot's size.
    void FitView();
    // The view commands of the plot's menu: zoom in and out, centre on the
    // ship, nudges, and hiding the ship.
    void Command(int id);
    // The part of the window the map is drawn in: all of it but the scroll
    // bars, which are shown only while the map is zoomed in.
    QRect PlotArea() const;
    QScrollBar* HorizontalBar() const { return m_hBar; }
    QScrollBar* VerticalBar() const { return m_vBar; }
    // Draws every data set from its oldest fix again.
    void ResetDrawing();
    // The fix shown as the ship outside online logging; none hides it.
    void SelectShipFix(std::optional<FixRef> fix);
    std::optional<FixRef> ShipFix() const { return m_shipFix; }
    // Where the last drawn track of each data set ended (one entry per data set).
    const std::vector<std::optional<int32_t>>& ResumeFixes() const { return m_resumeFix; }

    // Ship colour black by day, white at night; background the other.
    void SetNight(bool night);

    // The plot as SVG and PNG, with the frame; the caller owns the data.
    QMimeData* CopyData();
    // Puts CopyData on the clipboard.
    void CopyPlot();
    // Draws the plot with its frame onto one page at the painter's origin,
    // as large as the page allows in the plot's proportions.
    void PrintPlot(QPainter& painter, const QRect& page);

    // The click colours of "RTCOLS.DAT" (1 to 12).
    const std::array<QColor, ClickColourCount + 1>& ClickColours() const { return m_clickColours; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Puts the view's scroll positions on the bars and lays them out.
    void SyncScrollBars();
    void DrawGrid(QPainter& painter, const QRect& rect);
    void DrawBorderScale(QPainter& painter, const QRect& rect);
    void DrawCoastline(QPainter& painter, const QRect& clip);
    void DrawTracks(QPainter& painter, const QRect& clip);
    void DrawShip(QPainter& painter);
    void DrawStaticGroups(QPainter& painter, bool drawFirst);
    QFont MapFont() const;
    nav::GpsFixList& Fixes() const;
    std::vector<nav::GpsDataSet> DataSets() const;
    MapFeatures& Features() const;
    const std::vector<StaticPointsGroup>& Statics() const;
    int CurrentRunMode() const;

    MapView m_ownView;
    MapView* m_view;
    MapPlotSources m_sources;
    MapProjection m_projection;
    std::array<QColor, ClickColourCount + 1> m_clickColours;
    QColor m_shipColour{Qt::black};
    bool m_night = false;
    std::vector<std::optional<int32_t>> m_resumeFix;
    std::optional<FixRef> m_shipFix;
    std::optional<QPoint> m_shipDrawnAt;
    QSize m_fittedSize;
    TrackCache m_trackCache;
    int m_drawnFixes = 0;
    int m_drawnTrackPoints = 0;
    QScrollBar* m_hBar = nullptr;
    QScrollBar* m_vBar = nullptr;
};

// Finds the plot in a map window (or the plot itself) and prints it on the
// painter's page; nothing when there is none.
void PrintMapPlot(QWidget* map, QPainter& painter, QPrinter& printer);

} // namespace velmar::map
