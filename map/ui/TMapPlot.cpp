#include "map/ui/TMapPlot.h"

#include "nav/GpsDataSets.h"
#include "nav/GpsFixList.h"
#include "platform/Folders.h"
#include "widgets/PlotSymbols.h"
#include "settings/ProgramSettings.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QScrollBar>
#include <QStyle>
#include <QSvgGenerator>

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
    : QWidget(parent)
    , m_view(view ? view : &m_ownView)
    , m_sources(std::move(sources))
    , m_clickColours(LoadClickColours(platform::settingsFile(QString::fromLatin1(ClickColourFileName))))
{
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
    case CmdCentreShip:
        if (m_shipFix) {
            if (const nav::GPSTHING* t = Fixes().FindByIndex(m_shipFix->gpsIndex, m_shipFix->dataSet))
                m_view->CentreOn(t->fix.GetLatitude(), t->fix.GetLongitude());
        }
        break;
    case CmdHideShip: m_shipFix.reset(); break;
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
    m_shipFix = fix;
    update();
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
    QPainter painter(this);
    painter.setPen(m_night ? Qt::white : Qt::black);
    const QRect area = PlotArea();
    painter.setClipRect(area);
    DrawMap(painter, area, event->rect() & area, false);
    qCDebug(lcMapPlot).noquote() << QStringLiteral("drawn %1x%2: %3 fixes, %4 track points, %5 chart features, %6 static groups, ship %7")
                                        .arg(area.width())
                                        .arg(area.height())
                                        .arg(m_drawnFixes)
                                        .arg(m_drawnTrackPoints)
                                        .arg(Features().CountMapFeatures())
                                        .arg(Statics().size())
                                        .arg(m_shipDrawnAt ? QStringLiteral("at %1,%2")
                                                                 .arg(m_shipDrawnAt->x())
                                                                 .arg(m_shipDrawnAt->y())
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
        DrawTracks(painter, clip);
        DrawShip(painter);
    }
    DrawStaticGroups(painter, false);
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
    const std::vector<EffortChange> effort = m_sources.effortLine ? m_sources.effortLine() : std::vector<EffortChange>{};
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
        const TrackDrawing drawing = BuildTrack(points, m_projection, clip.adjusted(-width, -width, width, width),
                                                options);
        for (const TrackStretch& stretch : drawing.stretches) {
            painter.setPen(CosmeticPen(ColourFromValue(stretch.colour), width));
            DrawLines(painter, stretch.lines);
            for (const std::vector<QPoint>& line : stretch.lines)
                m_drawnTrackPoints += int(line.size());
        }
        m_drawnFixes += int(points.size());
        m_resumeFix[i].reset();  // the walk reached the end of the list
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
    auto* data = new QMimeData;

    QBuffer svg;
    svg.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&svg);
    generator.setSize(area.size());
    generator.setViewBox(area);
    generator.setTitle(QString::fromLatin1(CopyDescription));
    {
        QPainter painter(&generator);
        painter.fillRect(area, m_night ? Qt::black : Qt::white);
        painter.setPen(m_night ? Qt::white : Qt::black);
        DrawMap(painter, area, area, true);
    }
    data->setData(QStringLiteral("image/svg+xml"), svg.data());

    QImage image(area.size(), QImage::Format_RGB32);
    image.fill(m_night ? Qt::black : Qt::white);
    {
        QPainter painter(&image);
        painter.setPen(m_night ? Qt::white : Qt::black);
        DrawMap(painter, area, area, true);
    }
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    image.save(&png, "PNG");
    data->setData(QStringLiteral("image/png"), png.data());
    data->setImageData(image);
    return data;
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
    QMenu menu(this);
    const auto item = [&](const char* text, int id) {
        menu.addAction(QString::fromLatin1(text), this, [this, id] { Command(id); });
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

void PrintMapPlot(QWidget* map, QPainter& painter, QPrinter& printer)
{
    auto* plot = qobject_cast<TMapPlot*>(map);
    if (!plot && map)
        plot = map->findChild<TMapPlot*>();
    if (plot)
        plot->PrintPlot(painter, QRect(QPoint(0, 0), painter.viewport().size()));
}

} // namespace velmar::map
