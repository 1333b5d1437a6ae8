#pragma once
// TMapPlot: the window in which the map itself is drawn, in its fixed layer
// order: static objects marked to go first, grid, coastline and contours,
// border scale, the tracks of every GPS data set with the ship marker, the
// detections (porpoise events, whistles, things heard, click events), the
// other static objects, the user-form records, and a frame for copies and
// prints. It also answers the pointer (position read-out while the left
// button is held, a record's label when the pointer rests on it, a click on
// the track selects that fix), steps the ship fix with the arrow keys, and
// replays a shown survey: the animation draws into a back buffer on each
// step and asks for a repaint.
//
// Painting happens in paintEvent only; copies (SVG and PNG in one clipboard
// entry) and prints draw the same map through DrawMap onto their own device.
// Fixes are referred to by data set and GPS index, so a purge of the fix
// lists can never leave the plot holding a freed fix.
//
// User-interface thread only. The view it draws is the map window's (or its
// own when made without one); the fix lists, data sets, chart and settings
// are the program's unless the sources say otherwise.
#include "map/MapDetections.h"
#include "map/MapFiles.h"
#include "map/MapLayers.h"
#include "map/MapView.h"
#include "map/StaticObjects.h"
#include "map/TrackCache.h"

#include <QFont>
#include <QLoggingCategory>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <vector>

#include <QLabel>
class QMimeData;
class QPainter;
class QPrinter;
class QScrollBar;

Q_DECLARE_LOGGING_CATEGORY(lcMapPlot)

namespace velmar::nav {
class GpsFixList;
struct GpsDataSet;
struct GPSTHING;
struct THINGHEARD;
} // namespace velmar::nav

namespace velmar::map {

// A fix as the map keeps it.
struct FixRef {
    int dataSet = 0;
    int32_t gpsIndex = 0;
    bool operator==(const FixRef&) const = default;
};

// A user-form record as the map draws it: its fix by key, its values and
// its form's plot description, and the labels of its two sides.
struct MapRecord {
    FixRef fix;
    bool hasFix = false;
    bool hasTime = false;
    platform::SystemTime time;
    std::optional<double> range; // nautical miles
    std::optional<double> bearing;
    std::optional<double> heading; // the heading mark's value
    int32_t colour = 0;
    int symbolSize = 0;
    int symbolNumber = 0;
    bool filled = false;
    bool line = false;
    int bearingType = 0;
    HeadingMark mark;
    bool interpolate = false;
    double hydrophoneLength = 0; // nautical miles
    QString label1, label2;
    int lineCount = 1;
    int widestLine = 0;
};

// What the plot reads from the rest of the program; empty entries take the
// program's own (or, for the user forms and the things-heard form, nothing).
struct MapPlotSources {
    nav::GpsFixList* fixes = nullptr;
    std::function<std::vector<nav::GpsDataSet>()> dataSets;
    std::function<std::vector<EffortChange>()> effortLine;
    MapFeatures* features = nullptr;
    const std::vector<StaticPointsGroup>* staticGroups = nullptr;
    std::function<int()> runMode;
    // The records the user forms plot now.
    std::function<std::vector<MapRecord>()> userRecords;
    // Whether the things-heard form plots an aural detection, and its colour
    // value (negative: the default orange); none: not drawn.
    std::function<std::optional<int32_t>(const nav::THINGHEARD&)> heardPlotStyle;
    // The main window's GPS read-outs show a fix (none: the no-data texts).
    std::function<void(const nav::GPSTHING* fix)> showGpsData;
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
    // The fix shown as the ship outside online logging; none hides it. The
    // main window's read-outs show it.
    void SelectShipFix(std::optional<FixRef> fix);
    std::optional<FixRef> ShipFix() const { return m_shipFix; }
    // Where the ship marker was last drawn.
    std::optional<QPoint> ShipMarker() const { return m_shipDrawnAt; }
    // Left (37) and right (39) arrow keys move the ship fix along the track.
    void StepShipFix(int keyCode);
    // Invalidates the area a new item at the fix can cover.
    void InvalidateDetection(const nav::GPSTHING* fix, double bearing, double range);
    // The projection of the last drawing on the window.
    const MapProjection& Projection() const { return m_projection; }

    // The show-data animation.
    void StartAnimation();
    void StopAnimation();
    // Draws the next 100 ms of replay; false when every data set is done.
    bool AnimationStep();
    void ShowAnimationFix();
    bool Animating() const { return m_animating; }
    double AnimationTime() const { return m_animTime; }

    // The position read-out while the left button is held, and the label of
    // the record under a resting pointer (null when not shown).
    QLabel* ReadoutBox() const { return m_readout; }
    QLabel* LabelBox() const { return m_label; }
    // The pointer rested: the label of the record under it (timer 555).
    void HoverTimeout();
    QTimer& HoverTimer() { return m_hoverTimer; }
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

signals:
    // A view command (zoom, nudge, centre) for the map window.
    void viewCommand(int id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Puts the view's scroll positions on the bars and lays them out.
    void SyncScrollBars();
    void DrawGrid(QPainter& painter, const QRect& rect);
    void DrawBorderScale(QPainter& painter, const QRect& rect);
    void DrawCoastline(QPainter& painter, const QRect& clip);
    void DrawTracks(QPainter& painter, const QRect& clip);
    void DrawShip(QPainter& painter);
    void DrawStaticGroups(QPainter& painter, bool drawFirst);
    void DrawPorpoiseEvents(QPainter& painter, const QRect& clip);
    void DrawWhistles(QPainter& painter, const QRect& clip);
    void DrawHeard(QPainter& painter, const QRect& clip);
    void DrawClickEvents(QPainter& painter, const QRect& clip);
    void DrawUserRecords(QPainter& painter, const QRect& clip);
    void DrawDetection(QPainter& painter, const DetectionItem& item, const QRect& clip, int symbolSize, bool filled);
    // Whether a layer's item at the fix is drawn now: always, but while the
    // animation runs only from the data set's event start up to its time.
    enum class AnimFilter { Draw, Skip, Stop };
    AnimFilter AnimationFilter(const nav::GPSTHING* fix, int dataSet) const;
    void DrawAnimationTracks(QPainter& painter, const QRect& clip);
    void RenderAnimationBuffer();
    bool ShipExists() const;
    void RemoveLabel();
    void FillReadout(QPoint p);
    void RefreshShipMarker();
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
    ReachedPixels m_reachedPixels; // room kept from one redraw to the next
    int m_drawnFixes = 0;
    int m_drawnTrackPoints = 0;
    QScrollBar* m_hBar = nullptr;
    QScrollBar* m_vBar = nullptr;

    bool m_animating = false;
    double m_animTime = 0;
    std::vector<int32_t> m_animFrom;
    std::vector<int32_t> m_eventFrom;
    QPixmap m_animBuffer;

    QPointer<QLabel> m_readout;
    QPointer<QLabel> m_label;
    QPoint m_downAt;
    QPoint m_lastPointer{-1, -1};
    QSize m_readoutSize;
    QPoint m_readoutOffset;
    bool m_buttonDown = false;
    QTimer m_hoverTimer;
};

// Finds the plot in a map window (or the plot itself) and prints it on the
// painter's page; nothing when there is none.
void PrintMapPlot(QWidget* map, QPainter& painter, QPrinter& printer);

} // namespace velmar::map
