#include "map/ui/TMapPlot.h"

#include "map/ui/MapPicture.h"

#include "nav/ClickEventRange.h"
#include "nav/GpsDataSets.h"
#include "nav/GpsFixList.h"
#include "nav/RecentLists.h"
#include "platform/DateTimeText.h"
#include "platform/Folders.h"
#include "widgets/MyControls.h"
#include "widgets/PlotSymbols.h"
#include "settings/ProgramSettings.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QMimeData>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QScrollBar>
#include <QStyle>

Q_LOGGING_CATEGORY(lcMapPlot, "velmar.map.plot")

namespace velmar::map {

namespace {

const QColor Silver{192, 192, 192};
constexpr int RunModeOnline = 1;
constexpr int RunModeShowData = 2;
constexpr int CmdZoomIn = 30040;
constexpr int CmdZoomOut = 30041;
constexpr int CmdCentreShip = 30046;
constexpr int CmdHideShip = 30059;
constexpr int DefaultFontPixels = 12;
constexpr int BoldWeight = 700;
constexpr char CopyDescription[] = "Velmar 2010";
constexpr int KeyLeft = 37;
constexpr int KeyRight = 39;
constexpr int BoxId = 31257;
constexpr int ReadoutWidthChars = 33;
constexpr int HoverMs = 1000;
constexpr int AfterClickMs = 100;
constexpr int SelectWithinPixels = 10;
constexpr int LabelSearchStart = 17;
constexpr int ShipMarkerMargin = 7;
constexpr double AnimationTick = 0.1; // seconds of the main window's step timer
const QColor LightYellow{255, 255, 215};
const QColor AuralDefault{255, 127, 0};
constexpr int WhistleHalf = 4;
constexpr int PorpoiseSymbolSize = 3;

QPen CosmeticPen(const QColor& colour, int width = 1)
{
    QPen pen(colour, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    if (width <= 1)
        pen.setCosmetic(true);
    return pen;
}

void DrawLines(QPainter& painter, const std::vector<std::vector<QPoint>>& lines)
{
    for (const std::vector<QPoint>& line : lines)
        painter.drawPolyline(line.data(), int(line.size()));
}

} // namespace

TMapPlot::TMapPlot(QWidget* parent, MapView* view, MapPlotSources sources)
    : QWidget(parent), m_view(view ? view : &m_ownView), m_sources(std::move(sources)),
      m_clickColours(LoadClickColours(platform::settingsFile(QString::fromLatin1(ClickColourFileName)),
                                      platform::dataFile(QString::fromLatin1(ClickColourFileName))))
{
    setMouseTracking(true);
    m_hoverTimer.setSingleShot(true);
    connect(&m_hoverTimer, &QTimer::timeout, this, &TMapPlot::HoverTimeout);
    m_ownView.Margin = store::TheProgramSettings.MapMargin;
    setCursor(Qt::CrossCursor);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    m_hBar = new QScrollBar(Qt::Horizontal, this);
    m_vBar = new QScrollBar(Qt::Vertical, this);
    for (QScrollBar* bar : {m_hBar, m_vBar}) {
        bar->setSingleStep(1);
        bar->setPageStep(ScrollPage);
        bar->hide();
        ScrollBarState& state = bar == m_hBar ? m_view->horizontal : m_view->vertical;
        connect(bar, &QScrollBar::valueChanged, this, [this, &state](int value) {
            state.position = value;
            update();
        });
    }
    SyncScrollBars();
}

TMapPlot::~TMapPlot() = default;

nav::GpsFixList& TMapPlot::Fixes() const
{
    return m_sources.fixes ? *m_sources.fixes : nav::TheGpsFixList();
}

std::vector<nav::GpsDataSet> TMapPlot::DataSets() const
{
    return m_sources.dataSets ? m_sources.dataSets() : nav::DbReadGpsDataSets();
}

MapFeatures& TMapPlot::Features() const
{
    return m_sources.features ? *m_sources.features : TheMapFeatures();
}

const std::vector<StaticPointsGroup>& TMapPlot::Statics() const
{
    return m_sources.staticGroups ? *m_sources.staticGroups : StaticGroups();
}

int TMapPlot::CurrentRunMode() const
{
    return m_sources.runMode ? m_sources.runMode() : RunModeOnline;
}

QFont TMapPlot::MapFont() const
{
    const store::LogFont& lf = store::TheProgramSettings.DisplayLogFont;
    QFont mapFont(font());
    const QString face = lf.lfFaceName.text();
    if (!face.isEmpty())
        mapFont.setFamily(face);
    mapFont.setPixelSize(lf.lfHeight != 0 ? std::abs(lf.lfHeight) : DefaultFontPixels);
    mapFont.setBold(lf.lfWeight >= BoldWeight);
    mapFont.setItalic(lf.lfItalic != 0);
    return mapFont;
}

QRect TMapPlot::PlotArea() const
{
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    QRect area = rect();
    if (m_vBar && m_vBar->isVisibleTo(this))
        area.setRight(area.right() - extent);
    if (m_hBar && m_hBar->isVisibleTo(this))
        area.setBottom(area.bottom() - extent);
    return area;
}

void TMapPlot::SyncScrollBars()
{
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    for (QScrollBar* bar : {m_hBar, m_vBar}) {
        const ScrollBarState& state = bar == m_hBar ? m_view->horizontal : m_view->vertical;
        const QSignalBlocker quiet(bar);
        bar->setRange(0, state.maximum);
        bar->setValue(state.position);
        bar->setVisible(state.shown);
    }
    const QRect area = PlotArea();
    m_hBar->setGeometry(0, area.bottom() + 1, area.width(), extent);
    m_vBar->setGeometry(area.right() + 1, 0, extent, area.height());
    update();
}

void TMapPlot::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    SyncScrollBars();
}

void TMapPlot::Command(int id)
{
    switch (id) {
    case CmdZoomIn: m_view->ZoomIn(store::TheProgramSettings.ZoomStep); break;
    case CmdZoomOut:
        if (m_view->ZoomOut(store::TheProgramSettings.ZoomStep))
            FitView();
        break;
    case CmdCentreShip: {
        std::optional<FixRef> ship = m_shipFix;
        if (m_animating && !m_resumeFix.empty() && m_resumeFix[0])
            ship = FixRef{0, *m_resumeFix[0]};
        if (ship) {
            if (const nav::GPSTHING* t = Fixes().FindByIndex(ship->gpsIndex, ship->dataSet))
                m_view->CentreOn(t->fix.GetLatitude(), t->fix.GetLongitude());
        }
        break;
    }
    case CmdHideShip: SelectShipFix(std::nullopt); break;
    default: m_view->Nudge(id); break;
    }
    SyncScrollBars();
}

void TMapPlot::FitView()
{
    TrackBounds bounds;
    for (const TrackPoint& p : m_trackCache.Points(Fixes(), 0))
        bounds.Add(p.latitude, p.longitude);
    m_view->FitView(bounds, Features().MapCentre(), PlotArea().size());
    m_fittedSize = size();
}

void TMapPlot::ResetDrawing()
{
    nav::GpsFixList& fixes = Fixes();
    m_resumeFix.assign(std::size_t(std::max<int>(int(DataSets().size()), fixes.DataSetCount())), std::nullopt);
    for (std::size_t i = 0; i < m_resumeFix.size(); ++i) {
        if (const nav::GPSTHING* first = fixes.First(int(i)))
            m_resumeFix[i] = first->Index;
    }
    update();
}

void TMapPlot::SelectShipFix(std::optional<FixRef> fix)
{
    if (fix == m_shipFix)
        return;
    m_shipFix = fix;
    RefreshShipMarker();
    if (m_sources.showGpsData)
        m_sources.showGpsData(fix ? Fixes().FindByIndex(fix->gpsIndex, fix->dataSet) : nullptr);
}

void TMapPlot::RefreshShipMarker()
{
    std::optional<QPoint> now;
    if (m_shipFix)
        if (const nav::GPSTHING* t = Fixes().FindByIndex(m_shipFix->gpsIndex, m_shipFix->dataSet))
            now = m_projection.ToPixel(t->fix.GetLatitude(), t->fix.GetLongitude());
    if (!m_shipDrawnAt && !now) {
        update();
        return;
    }
    const QPoint old = m_shipDrawnAt.value_or(*now);
    const QPoint fresh = now.value_or(old);
    const QRect area = QRect(old, old)
                           .united(QRect(fresh, fresh))
                           .adjusted(-ShipMarkerMargin, -ShipMarkerMargin, ShipMarkerMargin, ShipMarkerMargin);
    m_shipDrawnAt.reset();
    update(area);
}

void TMapPlot::SetNight(bool night)
{
    m_night = night;
    m_shipColour = night ? Qt::white : Qt::black;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, night ? Qt::black : Qt::white);
    setPalette(pal);
    update();
}

void TMapPlot::paintEvent(QPaintEvent* event)
{
    if (m_view == &m_ownView && size() != m_fittedSize)
        FitView();
    if (m_animating && !m_animBuffer.isNull()) {
        QPainter painter(this);
        painter.drawPixmap(0, 0, m_animBuffer);
        return;
    }
    m_animFrom.clear();
    QPainter painter(this);
    painter.setPen(m_night ? Qt::white : Qt::black);
    const QRect area = PlotArea();
    painter.setClipRect(area);
    DrawMap(painter, area, event->rect() & area, false);
    qCDebug(lcMapPlot).noquote()
        << QStringLiteral("drawn %1x%2: %3 fixes, %4 track points, %5 chart features, %6 static groups, ship %7")
               .arg(area.width())
               .arg(area.height())
               .arg(m_drawnFixes)
               .arg(m_drawnTrackPoints)
               .arg(Features().CountMapFeatures())
               .arg(Statics().size())
               .arg(m_shipDrawnAt ? QStringLiteral("at %1,%2").arg(m_shipDrawnAt->x()).arg(m_shipDrawnAt->y())
                                  : QStringLiteral("not drawn"));
}

void TMapPlot::DrawMap(QPainter& painter, const QRect& rect, const QRect& clip, bool frame)
{
    painter.save();
    painter.setFont(MapFont());
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setBackground(m_night ? Qt::black : Qt::white);
    painter.setRenderHint(QPainter::Antialiasing, false);
    m_projection = MapProjection::FromView(*m_view, rect.size());
    m_shipDrawnAt.reset();
    m_drawnFixes = m_drawnTrackPoints = 0;
    const store::ProgramSettings& s = store::TheProgramSettings;

    DrawStaticGroups(painter, true);
    if (s.PlotGrid)
        DrawGrid(painter, rect);
    if (s.PlotMap)
        DrawCoastline(painter, clip);
    DrawBorderScale(painter, rect);
    if (s.PlotTrack) {
        if (m_animating) {
            DrawAnimationTracks(painter, clip);
        } else {
            DrawTracks(painter, clip);
            DrawShip(painter);
        }
    }
    if (s.PlotPorpoises)
        DrawPorpoiseEvents(painter, clip);
    if (s.PlotWhistles && !m_animating)
        DrawWhistles(painter, clip);
    DrawHeard(painter, clip);
    if (s.PlotSperms)
        DrawClickEvents(painter, clip);
    DrawStaticGroups(painter, false);
    DrawUserRecords(painter, clip);
    if (frame) {
        painter.setPen(CosmeticPen(Silver));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(0, 0, rect.width() - 1, rect.height() - 1));
    }
    painter.restore();
}

void TMapPlot::DrawGrid(QPainter& painter, const QRect& rect)
{
    painter.save();
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setPen(CosmeticPen(Silver));
    const MapProjection& p = m_projection;
    const int lonStep = GridStep(rect.width(), p.Right - p.Left);
    for (int v : GridValues(p.Left, p.Right, lonStep)) {
        const int x = p.LonToX(v);
        painter.drawLine(x, 0, x, rect.height());
    }
    const int latStep = GridStep(rect.height(), p.Top - p.Bottom);
    for (int v : GridValues(p.Bottom, p.Top, latStep)) {
        const int y = p.LatToY(v);
        painter.drawLine(0, y, rect.width(), y);
    }
    painter.restore();
}

void TMapPlot::DrawBorderScale(QPainter& painter, const QRect& rect)
{
    painter.save();
    painter.setBackgroundMode(Qt::OpaqueMode);
    const QColor text = painter.pen().color();
    const QFontMetrics metrics(painter.font());
    const int tick = 2 * metrics.averageCharWidth();
    const int height = metrics.height();
    const int bottom = rect.height();
    const MapProjection& p = m_projection;
    const auto label = [&](int x, int y, const QString& s) {
        painter.setPen(text);
        painter.drawText(QRect(x, y, metrics.horizontalAdvance(s) + 1, height), Qt::AlignLeft | Qt::AlignTop, s);
        painter.setPen(CosmeticPen(Silver));
    };
    painter.setPen(CosmeticPen(Silver));
    for (int v : GridValues(p.Left, p.Right, GridStep(rect.width(), p.Right - p.Left))) {
        const int x = p.LonToX(v);
        painter.drawLine(x, bottom - tick, x, bottom);
        label(x + 1, bottom - height, BorderLabel(int(WrapLongitude(v))));
    }
    for (int v : GridValues(p.Bottom, p.Top, GridStep(rect.height(), p.Top - p.Bottom))) {
        const int y = p.LatToY(v);
        painter.drawLine(0, y, tick, y);
        label(0, y - height, BorderLabel(v));
    }
    painter.restore();
}

void TMapPlot::DrawCoastline(QPainter& painter, const QRect& clip)
{
    const MapFeatures& features = Features();
    const store::ProgramSettings& s = store::TheProgramSettings;
    const std::vector<bool> flags(s.ShowContour.begin(), s.ShowContour.end());
    const int levelCount = int(features.Levels().size());
    const std::vector<QColor> pens = MakeContourPens(CountShownLevels(flags, levelCount), s.CoastColour, m_night,
                                                     m_night ? Qt::white : Qt::black);
    painter.save();
    for (const MapFeature& feature : features.Features()) {
        if (feature.points.size() < 2)
            continue;
        const std::optional<int> position = features.LevelPosition(feature.level);
        if (!position || !features.LevelShown(feature.level, flags))
            continue;
        const int index = ContourPenIndex(*position, flags);
        const QColor colour = index < int(pens.size()) ? pens[std::size_t(index)] : (m_night ? Qt::white : Qt::black);
        painter.setPen(CosmeticPen(colour));
        PolylineBuilder builder(clip);
        builder.MoveTo(m_projection.ToPixel(feature.points[0].latitude, feature.points[0].longitude));
        for (std::size_t i = 1; i < feature.points.size(); ++i)
            builder.LineTo(m_projection.ToPixel(feature.points[i].latitude, feature.points[i].longitude));
        DrawLines(painter, builder.Take());
    }
    painter.restore();
}

void TMapPlot::DrawTracks(QPainter& painter, const QRect& clip)
{
    const store::ProgramSettings& s = store::TheProgramSettings;
    nav::GpsFixList& fixes = Fixes();
    const std::vector<nav::GpsDataSet> sets = DataSets();
    // One entry per data set there is, however many that is.
    m_resumeFix.resize(std::max<std::size_t>(sets.size(), std::size_t(fixes.DataSetCount())));
    const std::vector<EffortChange> effort = m_sources.effortLine ? m_sources.effortLine()
                                                                  : std::vector<EffortChange>{};
    // Only where a line of one pixel lands on the pixels the points name
    // can a step between two pixels already reached be left out.
    const bool thinPen = s.TrackPenWidth <= 1 && !painter.testRenderHint(QPainter::Antialiasing)
                      && painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster
                      && painter.deviceTransform().type() <= QTransform::TxTranslate
                      && painter.deviceTransform().dx() == std::round(painter.deviceTransform().dx())
                      && painter.deviceTransform().dy() == std::round(painter.deviceTransform().dy());
    painter.save();
    for (std::size_t i = 0; i < sets.size(); ++i) {
        const std::vector<TrackPoint>& points = m_trackCache.Points(fixes, int(i));
        if (points.empty())
            continue;
        TrackOptions options;
        options.lineColour = sets[i].lineColour;
        options.maxGapSeconds = s.MaxEffortFixInterval;
        if (i == 0) {
            options.effort = effort;
            options.effortColours = s.EffortYes;
        }
        // A wide pen reaches into the clip from a little outside it.
        const int width = std::max(1, s.TrackPenWidth);
        if (thinPen)
            options.thinPen = &m_reachedPixels;
        const TrackDrawing drawing = BuildTrack(points, m_projection, clip.adjusted(-width, -width, width, width),
                                                options);
        for (const TrackStretch& stretch : drawing.stretches) {
            painter.setPen(CosmeticPen(ColourFromValue(stretch.colour), width));
            DrawLines(painter, stretch.lines);
            for (const std::vector<QPoint>& line : stretch.lines)
                m_drawnTrackPoints += int(line.size());
        }
        m_drawnFixes += int(points.size());
        m_resumeFix[i].reset(); // the walk reached the end of the list
    }
    painter.restore();
}

void TMapPlot::DrawShip(QPainter& painter)
{
    nav::GpsFixList& fixes = Fixes();
    const nav::GPSTHING* newest = fixes.Last(0);
    if (!newest)
        return;
    const nav::GPSTHING* ship = nullptr;
    if (CurrentRunMode() == RunModeOnline) {
        m_shipFix = FixRef{0, newest->Index};
        ship = newest;
    } else if (m_shipFix) {
        ship = fixes.FindByIndex(m_shipFix->gpsIndex, m_shipFix->dataSet);
    }
    if (!ship || ship->fix.latitudeLetter == 0)
        return;
    const QPoint p = m_projection.ToPixel(ship->fix.GetLatitude(), ship->fix.GetLongitude());
    const std::vector<QPoint> symbol = ShipSymbolPoints(p);
    painter.save();
    painter.setPen(CosmeticPen(m_shipColour));
    painter.drawPolyline(symbol.data(), int(symbol.size()));
    painter.restore();
    m_shipDrawnAt = p;
}

void TMapPlot::DrawStaticGroups(QPainter& painter, bool drawFirst)
{
    const QFontMetrics metrics(painter.font());
    const int textHeight = metrics.height();
    for (const StaticPointsGroup& group : Statics()) {
        if (!group.shown || group.drawFirst != drawFirst)
            continue;
        painter.save();
        painter.setPen(CosmeticPen(ColourFromValue(group.lineColour < 0 ? 0 : group.lineColour)));
        painter.setBrush(group.fillColour >= 0 ? QBrush(ColourFromValue(group.fillColour)) : QBrush());
        QPainterPath path;
        bool pathOpen = false;
        int32_t pathFill = -1;
        const auto endPath = [&] {
            if (!pathOpen)
                return;
            if (pathFill < 0)
                painter.strokePath(path, painter.pen());
            else
                painter.drawPath(path);
            path = QPainterPath();
            pathOpen = false;
        };
        bool firstItem = true;
        for (const StaticItem& item : group.items) {
            const QPoint p = m_projection.ToPixel(item.latitude * MinutesPerDegree, item.longitude * MinutesPerDegree);
            if (item.code == StaticLineStart) {
                endPath();
                path.moveTo(p);
                pathOpen = true;
            } else if (item.code == StaticLineContinue) {
                if (firstItem || !pathOpen) {
                    path.moveTo(p);
                    pathOpen = true;
                } else {
                    path.lineTo(p);
                }
            } else {
                store::DrawPlotSymbol(painter, p.x(), p.y(), item.code, item.size, item.fillColour >= 0);
            }
            pathFill = item.fillColour;
            firstItem = false;
            if (!item.text.isEmpty()) {
                const int width = metrics.horizontalAdvance(item.text);
                const QPoint at = StaticTextOrigin(p, item.size, item.hAlign, item.vAlign, QSize(width, textHeight));
                painter.drawText(QRect(at, QSize(width + 1, textHeight)), Qt::AlignLeft | Qt::AlignTop, item.text);
            }
        }
        endPath();
        painter.restore();
    }
}

QMimeData* TMapPlot::CopyData()
{
    const QRect area(QPoint(0, 0), PlotArea().size());
    return PictureMimeData(area.size(), QString::fromLatin1(CopyDescription), m_night ? Qt::black : Qt::white,
                           [&](QPainter& painter) {
                               painter.setPen(m_night ? Qt::white : Qt::black);
                               DrawMap(painter, area, area, true);
                           });
}

void TMapPlot::CopyPlot()
{
    QApplication::clipboard()->setMimeData(CopyData());
}

void TMapPlot::PrintPlot(QPainter& painter, const QRect& page)
{
    const QRect area(QPoint(0, 0), PlotArea().size());
    if (area.isEmpty() || page.isEmpty())
        return;
    const double scale = std::min(double(page.width()) / area.width(), double(page.height()) / area.height());
    painter.save();
    painter.translate(page.topLeft());
    painter.scale(scale, scale);
    painter.setPen(Qt::black);
    DrawMap(painter, area, area, true);
    painter.restore();
}

void TMapPlot::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_readout)
        return;
    QMenu menu(this);
    const auto item = [&](const char* text, int id) {
        menu.addAction(QString::fromLatin1(text), this, [this, id] {
            Command(id);
            emit viewCommand(id);
        });
    };
    item("Zoom &In", CmdZoomIn);
    item("Zoom &Out", CmdZoomOut);
    item("Centre Ship", CmdCentreShip);
    if (CurrentRunMode() == RunModeShowData)
        item("Hide Ship", CmdHideShip);
    menu.addSeparator();
    item("Nudge &Up", CmdNudgeUp);
    item("Nudge &Down", CmdNudgeDown);
    item("Nudge &Left", CmdNudgeLeft);
    item("Nudge &Right", CmdNudgeRight);
    menu.addSeparator();
    menu.addAction(QStringLiteral("&Copy"), this, [this] { CopyPlot(); });
    menu.exec(event->globalPos());
}

// ---- detection and record layers

TMapPlot::AnimFilter TMapPlot::AnimationFilter(const nav::GPSTHING* fix, int dataSet) const
{
    if (!fix)
        return AnimFilter::Skip;
    if (!m_animating)
        return AnimFilter::Draw;
    if (dataSet >= 0 && std::size_t(dataSet) < m_eventFrom.size() && fix->Index < m_eventFrom[std::size_t(dataSet)])
        return AnimFilter::Skip;
    return fix->secondsFromShowStart > m_animTime ? AnimFilter::Stop : AnimFilter::Draw;
}

void TMapPlot::DrawDetection(QPainter& painter, const DetectionItem& item, const QRect& clip, int symbolSize,
                             bool filled)
{
    const store::ProgramSettings& s = store::TheProgramSettings;
    const DetectionDrawing d = PlotDetection(item, clip, m_projection.YScale, s.MagneticVariation);
    for (const auto& [a, b] : d.lines)
        painter.drawLine(a, b);
    for (const QPoint& p : d.symbols)
        store::DrawPlotSymbol(painter, p.x(), p.y(), item.symbolNumber, symbolSize, filled);
    if (d.arrows.empty())
        return;
    painter.save();
    if (item.mark.colour >= 0) {
        painter.setPen(CosmeticPen(ColourFromValue(item.mark.colour)));
        painter.setBrush(item.mark.fill ? QBrush(ColourFromValue(item.mark.colour)) : QBrush());
    }
    for (const ArrowGeometry& a : d.arrows) {
        painter.drawLine(a.from, a.tip);
        QPainterPath path;
        path.moveTo(a.barb1);
        path.lineTo(a.tip);
        path.lineTo(a.barb2);
        if (item.mark.fill)
            painter.drawPath(path);
        else
            painter.strokePath(path, painter.pen());
    }
    painter.restore();
}

void TMapPlot::DrawPorpoiseEvents(QPainter& painter, const QRect& clip)
{
    const store::ProgramSettings& s = store::TheProgramSettings;
    painter.save();
    painter.setPen(CosmeticPen(Qt::red));
    painter.setBrush(QBrush(Qt::red));
    const nav::GPSTHING* previous = nullptr;
    for (const nav::PorpoiseEvent* e = nav::PorpoiseEvents.oldest; e; e = e->newer) {
        const AnimFilter filter = AnimationFilter(e->firstFix, 0);
        if (filter == AnimFilter::Stop)
            break;
        if (filter == AnimFilter::Skip)
            continue;
        const float bearing = PorpoiseDrawBearing(e->record.porpoiseBearing, e->record.otherBearing);
        const bool hasBearing = bearing < NoPorpoiseBearing;
        if (!hasBearing && e->firstFix == previous)
            continue;
        previous = e->firstFix;
        const std::optional<Placement> place = PlaceDetection(e->firstFix, s.HydrophoneLength / MetresPerNauticalMile,
                                                              true, &e->record.eventStart, m_projection,
                                                              s.MagneticVariation);
        if (!place)
            continue;
        DetectionItem item;
        item.position = place->position;
        item.heading = place->heading;
        item.bearingType = BearingEitherSide;
        // An absent bearing draws the symbol alone.
        if (hasBearing) {
            item.bearing = bearing;
            item.range = e->record.initialRange / MetresPerNauticalMile;
        }
        item.symbolNumber = platform::SymbolCircle;
        item.line = true;
        DrawDetection(painter, item, clip, PorpoiseSymbolSize, true);
    }
    painter.restore();
}

void TMapPlot::DrawWhistles(QPainter& painter, const QRect& clip)
{
    painter.save();
    painter.setPen(CosmeticPen(Qt::blue));
    painter.setBrush(QBrush(Qt::blue));
    const nav::GPSTHING* previous = nullptr;
    for (const nav::WHISTLEDETECTION* w = nav::WhistleDetections.oldest; w; w = w->newer) {
        if (!w->fix || w->fix == previous)
            continue;
        previous = w->fix;
        const QPoint p = m_projection.ToPixel(w->fix->fix.GetLatitude(), w->fix->fix.GetLongitude());
        if (clip.contains(p))
            painter.drawEllipse(QRect(QPoint(p.x() - WhistleHalf, p.y() - WhistleHalf),
                                      QPoint(p.x() + WhistleHalf, p.y() + WhistleHalf)));
    }
    painter.restore();
}

void TMapPlot::DrawHeard(QPainter& painter, const QRect& clip)
{
    if (!m_sources.heardPlotStyle)
        return;
    const store::ProgramSettings& s = store::TheProgramSettings;
    painter.save();
    for (const nav::THINGHEARD* h = nav::ThingsHeard.oldest; h; h = h->newer) {
        const AnimFilter filter = AnimationFilter(h->fix, 0);
        if (filter == AnimFilter::Stop)
            break;
        if (filter == AnimFilter::Skip)
            continue;
        const std::optional<int32_t> colour = m_sources.heardPlotStyle(*h);
        if (!colour)
            continue;
        const std::optional<Placement> place = PlaceDetection(h->fix, s.HydrophoneLength / MetresPerNauticalMile, false,
                                                              nullptr, m_projection, s.MagneticVariation);
        if (!place || !clip.contains(place->position))
            continue;
        const QColor c = *colour < 0 ? AuralDefault : ColourFromValue(*colour);
        painter.setPen(CosmeticPen(c));
        painter.setBrush(QBrush(c));
        const QPoint p = place->position;
        painter.drawEllipse(
            QRect(QPoint(p.x() - WhistleHalf, p.y() - WhistleHalf), QPoint(p.x() + WhistleHalf, p.y() + WhistleHalf)));
    }
    painter.restore();
}

void TMapPlot::DrawClickEvents(QPainter& painter, const QRect& clip)
{
    const store::ProgramSettings& s = store::TheProgramSettings;
    std::vector<const nav::RCEvent*> events;
    std::vector<ClickSample> samples;
    for (const nav::RCEvent* e = nav::RCEvents.oldest; e; e = e->newer) {
        events.push_back(e);
        samples.push_back({e->record.eventKey, e->record.firstBearing});
    }
    const std::vector<bool> drawn = ThinClickEvents(samples, s.SpermPlotAll, s.SpermTimeWindow,
                                                    s.SpermMinBearingDifference);
    painter.save();
    for (std::size_t i = 0; i < events.size(); ++i) {
        const nav::RCEvent* e = events[i];
        const AnimFilter filter = AnimationFilter(e->firstFix, 0);
        if (filter == AnimFilter::Stop)
            break;
        if (filter == AnimFilter::Skip || !drawn[i])
            continue;
        const std::optional<Placement> place = PlaceDetection(e->firstFix, s.HydrophoneLength / MetresPerNauticalMile,
                                                              false, nullptr, m_projection, s.MagneticVariation);
        if (!place)
            continue;
        // An id without a colour of its own draws in the default colour.
        const QColor c = s.SpermClickColours ? m_clickColours[std::size_t(nav::GetClickEventColourIndex(*e))]
                                             : QColor(Qt::green);
        painter.setPen(CosmeticPen(c));
        painter.setBrush(QBrush(c));
        DetectionItem item;
        item.position = place->position;
        item.heading = place->heading;
        item.bearingType = BearingEitherSide;
        item.bearing = e->record.firstBearing;
        item.range = nav::GetClickEventRange(*e);
        item.line = true;
        DrawDetection(painter, item, clip, 0, false);
    }
    painter.restore();
}

void TMapPlot::DrawUserRecords(QPainter& painter, const QRect& clip)
{
    if (!m_sources.userRecords)
        return;
    const store::ProgramSettings& s = store::TheProgramSettings;
    nav::GpsFixList& fixes = Fixes();
    const QBrush before = painter.brush();
    painter.save();
    for (const MapRecord& r : m_sources.userRecords()) {
        const nav::GPSTHING* fix = r.hasFix ? fixes.FindByIndex(r.fix.gpsIndex, r.fix.dataSet) : nullptr;
        const AnimFilter filter = AnimationFilter(fix, r.fix.dataSet);
        if (filter != AnimFilter::Draw)
            continue;
        const std::optional<Placement> place = PlaceDetection(
            fix, r.hydrophoneLength, r.interpolate, r.hasTime ? &r.time : nullptr, m_projection, s.MagneticVariation);
        if (!place)
            continue;
        const QColor c = ColourFromValue(r.colour);
        painter.setPen(CosmeticPen(c));
        painter.setBrush(r.filled ? QBrush(c) : before);
        DetectionItem item;
        item.position = place->position;
        item.heading = place->heading;
        item.bearingType = r.bearingType;
        item.range = r.range;
        item.bearing = r.bearing;
        item.symbolNumber = r.symbolNumber;
        item.line = r.line;
        item.mark = r.mark;
        item.headingValue = r.heading;
        DrawDetection(painter, item, clip, r.symbolSize, r.filled);
    }
    painter.restore();
}

void TMapPlot::InvalidateDetection(const nav::GPSTHING* fix, double bearing, double range)
{
    if (!fix)
        return;
    const QPoint p = m_projection.ToPixel(fix->fix.GetLatitude(), fix->fix.GetLongitude());
    const double heading = fix->fix.GetHeading(store::TheProgramSettings.MagneticVariation);
    update(DetectionArea(p, bearing, heading, range, m_projection.YScale));
}

// ---- show-data animation

void TMapPlot::StartAnimation()
{
    nav::GpsFixList& fixes = Fixes();
    const std::size_t sets = std::size_t(std::max<int>(int(DataSets().size()), fixes.DataSetCount()));
    m_animating = true;
    m_animFrom.assign(sets, 0);
    m_eventFrom.assign(sets, 0);
    m_resumeFix.assign(sets, std::nullopt);
    bool any = false;
    for (std::size_t i = 0; i < sets; ++i) {
        const nav::GPSTHING* first = fixes.First(int(i));
        if (!first)
            continue;
        m_resumeFix[i] = first->Index;
        m_animFrom[i] = first->Index;
        m_animTime = any ? std::min<double>(m_animTime, first->secondsFromShowStart) : first->secondsFromShowStart;
        any = true;
    }
    if (!any)
        return;
    RenderAnimationBuffer();
    ShowAnimationFix();
}

void TMapPlot::RenderAnimationBuffer()
{
    const QRect area = PlotArea();
    m_animBuffer = QPixmap(area.size());
    m_animBuffer.fill(m_night ? Qt::black : Qt::white);
    QPainter painter(&m_animBuffer);
    painter.setPen(m_night ? Qt::white : Qt::black);
    DrawMap(painter, QRect(QPoint(0, 0), area.size()), QRect(QPoint(0, 0), area.size()), false);
    update();
}

void TMapPlot::DrawAnimationTracks(QPainter& painter, const QRect& clip)
{
    const store::ProgramSettings& s = store::TheProgramSettings;
    nav::GpsFixList& fixes = Fixes();
    const std::vector<nav::GpsDataSet> sets = DataSets();
    const std::vector<EffortChange> effort = m_sources.effortLine ? m_sources.effortLine()
                                                                  : std::vector<EffortChange>{};
    const int width = std::max(1, s.TrackPenWidth);
    painter.save();
    for (std::size_t i = 0; i < m_resumeFix.size(); ++i) {
        if (!m_resumeFix[i])
            continue;
        const nav::GPSTHING* t = fixes.FindByIndex(*m_resumeFix[i], int(i));
        if (!t) {
            m_resumeFix[i].reset();
            continue;
        }
        const int32_t from = i < m_animFrom.size() ? m_animFrom[i] : 0;
        const nav::GPSTHING* last = t;
        for (const nav::GPSTHING* n = t->newer; n; n = n->newer) {
            if (n->secondsFromShowStart > m_animTime)
                break;
            if (n->fix.valid && n->Index >= from) {
                int32_t colour = i < sets.size() ? sets[i].lineColour : 0;
                if (i == 0 && s.EffortYes)
                    for (const EffortChange& e : effort)
                        if (e.gpsIndex < n->Index)
                            colour = e.colour;
                const QPoint a = m_projection.ToPixel(last->fix.GetLatitude(), last->fix.GetLongitude());
                const QPoint b = m_projection.ToPixel(n->fix.GetLatitude(), n->fix.GetLongitude());
                const bool gap = platform::SecondsBetween(n->fix.programTime, last->fix.programTime)
                              >= s.MaxEffortFixInterval;
                if (colour != ColourClear && !gap && SegmentVisible(a, b, clip)) {
                    painter.setPen(CosmeticPen(ColourFromValue(colour), width));
                    painter.drawLine(a, b);
                }
                last = n;
            }
            if (!n->newer) {
                last = nullptr;
                break;
            }
        }
        if (last)
            m_resumeFix[i] = last->Index;
        else
            m_resumeFix[i].reset();
    }
    painter.restore();
}

bool TMapPlot::AnimationStep()
{
    if (!m_animating || m_animBuffer.isNull())
        return false;
    const store::ProgramSettings& s = store::TheProgramSettings;
    m_animTime += s.ReplaySpeedUp * AnimationTick;
    QPainter painter(&m_animBuffer);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRect clip(QPoint(0, 0), m_animBuffer.size());
    if (s.PlotTrack)
        DrawAnimationTracks(painter, clip);
    for (std::size_t i = 0; i < m_resumeFix.size() && i < m_animFrom.size(); ++i)
        if (m_resumeFix[i])
            m_animFrom[i] = *m_resumeFix[i];
    if (s.PlotPorpoises)
        DrawPorpoiseEvents(painter, clip);
    DrawHeard(painter, clip);
    if (s.PlotSperms)
        DrawClickEvents(painter, clip);
    DrawUserRecords(painter, clip);
    bool left = false;
    for (std::size_t i = 0; i < m_eventFrom.size() && i < m_animFrom.size(); ++i) {
        m_eventFrom[i] = m_animFrom[i];
        if (i < m_resumeFix.size() && m_resumeFix[i]) {
            m_animFrom[i] = *m_resumeFix[i];
            left = true;
        }
    }
    painter.end();
    update();
    return left;
}

void TMapPlot::StopAnimation()
{
    m_animating = false;
    m_animBuffer = QPixmap();
    RefreshShipMarker();
    ResetDrawing();
}

void TMapPlot::ShowAnimationFix()
{
    if (!m_sources.showGpsData || m_resumeFix.empty() || !m_resumeFix[0])
        return;
    m_sources.showGpsData(Fixes().FindByIndex(*m_resumeFix[0], 0));
}

// ---- pointer read-outs and ship fix selection

bool TMapPlot::ShipExists() const
{
    if (CurrentRunMode() == RunModeShowData)
        return m_shipFix.has_value();
    return Fixes().First(0) != nullptr;
}

void TMapPlot::RemoveLabel()
{
    if (!m_label)
        return;
    delete m_label;
    if (!m_buttonDown)
        releaseMouse();
}

void TMapPlot::FillReadout(QPoint p)
{
    if (!m_readout)
        return;
    const std::optional<QPoint> ship = ShipExists() ? m_shipDrawnAt : std::nullopt;
    m_readout->setText(PointerReadoutText(m_projection.YToLat(p.y()), m_projection.XToLon(p.x()), ship, p,
                                          m_projection.YScale, store::TheProgramSettings.LengthUnits));
}

void TMapPlot::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    m_downAt = p;
    const QFontMetrics metrics(MapFont());
    const int h = (ShipExists() ? 2 * metrics.height() : metrics.height()) + 1;
    const int w = ReadoutWidthChars * metrics.averageCharWidth();
    m_buttonDown = true;
    grabMouse();
    m_hoverTimer.stop();
    RemoveLabel();
    delete m_readout;
    m_readout = new QLabel(this);
    shell::SetControlId(m_readout, BoxId);
    m_readout->setFont(MapFont());
    m_readout->setAlignment(Qt::AlignCenter);
    m_readout->setWordWrap(true);
    m_readout->setAutoFillBackground(true);
    QPalette pal = m_readout->palette();
    pal.setColor(QPalette::Window, LightYellow);
    pal.setColor(QPalette::WindowText, Qt::black);
    m_readout->setPalette(pal);
    m_readoutSize = QSize(w, h);
    m_readoutOffset = QPoint(2, -h);
    m_readout->setGeometry(QRect(p + m_readoutOffset, m_readoutSize));
    FillReadout(p);
    m_readout->show();
}

void TMapPlot::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (p != m_lastPointer)
        RemoveLabel();
    m_lastPointer = p;
    if (!m_buttonDown) {
        m_hoverTimer.start(HoverMs);
        return;
    }
    if (!m_readout)
        return;
    const QRect area = PlotArea();
    QPoint& d = m_readoutOffset;
    const int w = m_readoutSize.width(), h = m_readoutSize.height();
    if (p.x() + d.x() + w > area.right())
        d.setX(-w - 2);
    if (p.x() + d.x() < 0)
        d.setX(2);
    if (p.y() + d.y() + h > area.bottom())
        d.setY(-h - 3);
    if (p.y() + d.y() < 0)
        d.setY(2);
    m_readout->move(p + d);
    FillReadout(p);
}

void TMapPlot::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_buttonDown) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    delete m_readout;
    m_buttonDown = false;
    releaseMouse();
    const QPoint p = event->position().toPoint();
    if (p == m_downAt) {
        nav::GpsFixList& fixes = Fixes();
        std::vector<QPoint> points;
        std::vector<FixRef> refs;
        for (int set = 0; set < fixes.DataSetCount(); ++set)
            for (const nav::GPSTHING* t = fixes.First(set); t; t = t->newer) {
                points.push_back(m_projection.ToPixel(t->fix.GetLatitude(), t->fix.GetLongitude()));
                refs.push_back(FixRef{set, t->Index});
            }
        if (const std::optional<std::size_t> nearest = NearestPoint(points, p, SelectWithinPixels))
            SelectShipFix(refs[*nearest]);
    }
    m_hoverTimer.start(AfterClickMs);
}

void TMapPlot::HoverTimeout()
{
    m_hoverTimer.stop();
    RemoveLabel();
    const QRect area = PlotArea();
    const QPoint p = m_lastPointer;
    if (!area.contains(p) || !m_sources.userRecords)
        return;
    const store::ProgramSettings& s = store::TheProgramSettings;
    nav::GpsFixList& fixes = Fixes();
    int best = LabelSearchStart;
    std::optional<MapRecord> found;
    int side = 1;
    for (const MapRecord& r : m_sources.userRecords()) {
        const nav::GPSTHING* fix = r.hasFix ? fixes.FindByIndex(r.fix.gpsIndex, r.fix.dataSet) : nullptr;
        const std::optional<Placement> place = PlaceDetection(
            fix, r.hydrophoneLength, r.interpolate, r.hasTime ? &r.time : nullptr, m_projection, s.MagneticVariation);
        if (!place)
            continue;
        const bool ends = r.range && r.bearing && r.bearingType >= BearingTrue && r.bearingType <= BearingFixed;
        const double offset = BearingOffset(r.bearingType, s.MagneticVariation, place->heading);
        const auto test = [&](QPoint c, int sign, bool orEqual) {
            if (!area.contains(c))
                return;
            const int dx = c.x() - p.x(), dy = c.y() - p.y();
            const int d2 = dx * dx + dy * dy;
            if (std::abs(dx) + std::abs(dy) < 2 * best && (d2 < best || (orEqual && d2 <= best))) {
                best = d2;
                found = r;
                side = sign;
            }
        };
        if (!ends) {
            test(place->position, 1, false);
            continue;
        }
        test(BearingEnd(place->position, *r.bearing, offset, *r.range, m_projection.YScale), 1, false);
        if (r.bearingType == BearingEitherSide)
            test(BearingEnd(place->position, *r.bearing, offset, *r.range, m_projection.YScale, -1), -1, true);
    }
    if (!found)
        return;
    const QFontMetrics metrics(MapFont());
    const int cw = metrics.averageCharWidth(), th = metrics.height();
    const int b = int((found->widestLine + 3) * cw * 1.05);
    const int c = (found->lineCount + 1) * th * 21 / 20 + th / 4;
    int x = p.x(), y = p.y();
    if (x + b >= area.right())
        x -= b;
    if (y + c >= area.bottom())
        y -= c;
    grabMouse();
    m_label = new QLabel(this);
    shell::SetControlId(m_label, BoxId);
    m_label->setFont(MapFont());
    m_label->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_label->setAutoFillBackground(true);
    QPalette pal = m_label->palette();
    pal.setColor(QPalette::Window, LightYellow);
    pal.setColor(QPalette::WindowText, Qt::black);
    m_label->setPalette(pal);
    m_label->setContentsMargins(cw / 3, th / 3, cw / 3, th / 3);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QString text = side == 1 ? found->label1 : found->label2;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_label->setText(text);
    m_label->setGeometry(std::max(0, x), std::max(0, y), b, c);
    m_label->show();
}

void TMapPlot::StepShipFix(int keyCode)
{
    if (keyCode != KeyLeft && keyCode != KeyRight)
        return;
    nav::GpsFixList& fixes = Fixes();
    if (!fixes.First(0))
        return;
    const nav::GPSTHING* current = m_shipFix ? fixes.FindByIndex(m_shipFix->gpsIndex, m_shipFix->dataSet) : nullptr;
    const nav::GPSTHING* next = nullptr;
    if (keyCode == KeyLeft) {
        const nav::GPSTHING* from = current ? current : fixes.Last(0);
        next = from->older ? from->older : fixes.First(0);
    } else {
        const nav::GPSTHING* from = current ? current : fixes.First(0);
        next = from->newer ? from->newer : fixes.Last(0);
    }
    const FixRef ref{next->dataSet, next->Index};
    if (!m_shipFix || !(*m_shipFix == ref)) {
        m_shipFix = ref;
        RefreshShipMarker();
    }
    repaint();
    if (m_sources.showGpsData)
        m_sources.showGpsData(next);
}

void PrintMapPlot(QWidget* map, QPainter& painter, QPrinter& printer)
{
    auto* plot = qobject_cast<TMapPlot*>(map);
    if (!plot && map)
        plot = map->findChild<TMapPlot*>();
    if (plot)
        plot->PrintPlot(painter, QRect(QPoint(0, 0), painter.viewport().size()));
}

} // namespace velmar::map
