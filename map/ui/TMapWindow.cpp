#include "map/ui/TMapWindow.h"

#include "map/MapLayers.h"
#include "map/MapMessages.h"
#include "map/StaticObjects.h"
#include "map/ui/MapPicture.h"
#include "map/ui/TMapKey.h"
#include "nav/ClickEventRange.h"
#include "nav/GpsFixList.h"
#include "nav/GpsReadout.h"
#include "nav/RecentLists.h"
#include "platform/MessageIds.h"
#include "platform/WindowMessage.h"
#include "settings/ProgramSettings.h"
#include "widgets/MyControls.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QTimer>

namespace velmar::map {

using shell::ControlIdOf;
using shell::FindMyEdit;
using shell::TMyButton;
using shell::TMyCheckBox;
using shell::TMyEdit;

namespace {

constexpr int RunModeOnline = 1;
constexpr int MarkerMargin = 7;
constexpr char CopyDescription[] = "Velmar 2010";

struct Readout {
    int id;
    const char* text;
    int widthChars;
};
constexpr Readout Readouts[] = {
    {nav::ControlLatitude, "Latitude", 17},      {nav::ControlLongitude, "Longitude", 17},
    {nav::ControlCourse, "Heading", 17},         {nav::ControlSpeed, "Speed", 17},
    {nav::ControlFixTime, "Last Fix", 24},       {nav::ControlTrueHeading, "True Heading", 22},
    {nav::ControlMagHeading, "Mag Heading", 22},
};

// The read-outs share the row above the plot; the headings' are wide enough
// for "No TRUE Heading info". A window narrower than their
// natural widths narrows them alike, so that the last one is not cut off by
// the window's (or, maximised, the screen's) edge; none becomes narrower
// than its caption.
void PlaceReadouts(QWidget* window, int charWidth, int rowHeight)
{
    constexpr int Gap = 3;
    const int left = 22 * charWidth;
    const int room = std::max(0, window->width() - left - 4 * charWidth);
    int natural = 0;
    for (const Readout& r : Readouts)
        natural += r.widthChars * charWidth + Gap;
    int x = left;
    for (const Readout& r : Readouts) {
        TMyEdit* edit = FindMyEdit(window, r.id);
        if (!edit)
            continue;
        int w = r.widthChars * charWidth;
        if (natural > room)
            w = std::max((w + Gap) * room / natural - Gap,
                         edit->fontMetrics().horizontalAdvance(QString::fromLatin1(r.text)) + charWidth);
        edit->setGeometry(x, 2, w, rowHeight);
        x += w + Gap;
    }
}

bool& PlotFlag(int id)
{
    store::ProgramSettings& s = store::TheProgramSettings;
    switch (id) {
    case CmdPlotPorpoises: return s.PlotPorpoises;
    case CmdPlotWhistles: return s.PlotWhistles;
    case CmdPlotSperms: return s.PlotSperms;
    case CmdPlotGrid: return s.PlotGrid;
    case CmdPlotHeard: return s.PlotHeard;
    case CmdPlotMap: return s.PlotMap;
    default: return s.PlotTrack;
    }
}

} // namespace

TMapWindow* FindMapWindow(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget())
        if (auto* map = qobject_cast<TMapWindow*>(w))
            return map;
    return widget ? widget->findChild<TMapWindow*>() : nullptr;
}

TMapWindow::TMapWindow(QWidget* parent, MapWindowSources sources) : QWidget(parent), m_sources(std::move(sources))
{
    m_view.Margin = store::TheProgramSettings.MapMargin;
    const QFontMetrics metrics(font());
    m_textHeight = metrics.height();
    m_charWidth = metrics.averageCharWidth();
    m_rowHeight = m_textHeight + 8;
    m_controlsHeight = (m_rowHeight + 4) + m_rowHeight + 2;

    MapPlotSources plotSources = m_sources.plot;
    if (!plotSources.showGpsData)
        plotSources.showGpsData = [this](const nav::GPSTHING* fix) { ShowGpsData(fix); };
    m_plot = new TMapPlot(this, &m_view, std::move(plotSources));
    connect(m_plot, &TMapPlot::viewCommand, this, [this](int) { update(); });
    m_key = new TMapKey(
        this, [this] { return MakeKeyInputs(); },
        [this] {
            const auto& c = m_plot->ClickColours();
            return std::vector<QColor>(c.begin() + 1, c.end());
        },
        [this] { return ContourPens(); });

    int x = 22 * m_charWidth;
    for (const Readout& r : Readouts) {
        new TMyEdit(this, r.id, QString::fromLatin1(r.text), x, 2, r.widthChars * m_charWidth, m_rowHeight);
        x += r.widthChars * m_charWidth + 3;
    }
    const int by = m_rowHeight + 4;
    x = 22 * m_charWidth;
    const auto button = [&](int id, const char* text, int widthChars) {
        auto* b = new TMyButton(this, id, QString::fromLatin1(text), x, by, widthChars * m_charWidth, m_rowHeight);
        x += widthChars * m_charWidth + 6;
        return b;
    };
    connect(button(CmdZoomInMap, "Zoom In", 14), &QPushButton::clicked, this, [this] { Command(CmdZoomInMap); });
    connect(button(CmdZoomOutMap, "Zoom Out", 14), &QPushButton::clicked, this, [this] { Command(CmdZoomOutMap); });
    connect(button(IdPlotOptions, "Plot Options", 14), &QPushButton::clicked, this, [this] { Command(IdPlotOptions); });
    if (RunMode() == RunModeOnline) {
        auto* follow = new TMyCheckBox(this, IdFollowShip, QStringLiteral("Follow Ship"), x, by, 28 * m_charWidth,
                                       m_rowHeight);
        follow->setChecked(store::TheProgramSettings.MapFollowsShip);
        connect(follow, &QCheckBox::toggled, this, [this](bool on) { ToggleFollowShip(on); });
    }
}

TMapWindow::~TMapWindow() = default;

int TMapWindow::RunMode() const
{
    return m_sources.plot.runMode ? m_sources.plot.runMode() : RunModeOnline;
}

QRect TMapWindow::PlotRect() const
{
    const int left = 22 * m_charWidth;
    return QRect(left, m_controlsHeight, std::max(0, width() - left - 4 * m_charWidth),
                 std::max(0, height() - m_controlsHeight - 3 * m_textHeight));
}

void TMapWindow::Layout()
{
    PlaceReadouts(this, m_charWidth, m_rowHeight);
    m_plot->setGeometry(PlotRect());
    const int top = m_controlsHeight + m_textHeight * 3 / 2;
    const int h = height() - 3 * m_textHeight - m_controlsHeight - 3 * m_textHeight;
    if (h <= 0) {
        m_key->hide();
        return;
    }
    m_key->setGeometry(0, top, 22 * m_charWidth - 6, h);
    m_key->show();
}

void TMapWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Layout();
    m_plot->FitView();
    update();
}

void TMapWindow::Redraw(bool refit, bool reset)
{
    if (refit)
        m_plot->FitView();
    update();
    if (reset)
        m_plot->ResetDrawing();
    m_plot->update();
    Layout();
    m_key->update();
}

void TMapWindow::CheckTrack()
{
    if (!nav::TheGpsFixList().First(0))
        Redraw(true, true);
}

void TMapWindow::NewGpsFix(const platform::SystemTime& time)
{
    const nav::GPSTHING* fix = nav::FindGpsFixByTime(time, 0);
    m_plot->SelectShipFix(fix ? std::optional(FixRef{0, fix->Index}) : std::nullopt);
}

void TMapWindow::ShowGpsData(const nav::GPSTHING* fix)
{
    const nav::GpsPanelTexts panel = nav::GpsPanelTextsFor(fix ? &fix->fix : nullptr, quint32(RunMode()));
    const std::pair<int, const std::optional<nav::ReadoutText>*> boxes[] = {
        {nav::ControlLatitude, &panel.latitude},     {nav::ControlLongitude, &panel.longitude},
        {nav::ControlCourse, &panel.course},         {nav::ControlSpeed, &panel.speed},
        {nav::ControlFixTime, &panel.time},          {nav::ControlTrueHeading, &panel.trueHeading},
        {nav::ControlMagHeading, &panel.magHeading},
    };
    for (const auto& [id, text] : boxes)
        if (TMyEdit* edit = FindMyEdit(this, id); edit && *text) {
            edit->setText((*text)->text);
            edit->SetColourCode(unsigned((*text)->colour));
        }
}

void TMapWindow::OnNewFix(const nav::GPSTHING* fix)
{
    if (!fix)
        return;
    const std::optional<QPoint> old = m_plot->ShipMarker();
    if (RunMode() == RunModeOnline)
        m_plot->SelectShipFix(FixRef{fix->dataSet, fix->Index});
    const QPoint p = m_plot->Projection().ToPixel(fix->fix.GetLatitude(), fix->fix.GetLongitude());
    const std::vector<int> commands = m_follow.OnFix(
        p, m_plot->PlotArea(), store::TheProgramSettings.MapFollowsShip && RunMode() == RunModeOnline);
    if (m_follow.Count() == 0) {
        const QPoint from = old.value_or(p);
        m_plot->repaint(
            QRect(from, from).united(QRect(p, p)).adjusted(-MarkerMargin, -MarkerMargin, MarkerMargin, MarkerMargin));
    }
    for (int id : commands)
        QTimer::singleShot(0, this, [this, id] { Command(id); });
    if (fix == nav::TheGpsFixList().First(0))
        Redraw(true, true);
}

void TMapWindow::OnNewDetection(const nav::DetectionKey& key)
{
    const nav::GPSTHING* fix = nullptr;
    double bearing = 0, range = 0;
    switch (key.kind) {
    case nav::KindWhistle:
        if (const nav::WHISTLEDETECTION* w = nav::WhistleDetections.FindBySerial(key.serial)) {
            fix = w->fix;
            bearing = w->record.bearing;
            range = w->record.range;
        }
        break;
    case nav::KindPorpoiseEvent:
        if (const nav::PorpoiseEvent* e = nav::PorpoiseEvents.FindBySerial(key.serial)) {
            fix = e->firstFix;
            if (e->record.porpoiseBearing < NoPorpoiseBearing)
                bearing = e->record.porpoiseBearing;
            else if (e->record.otherBearing < NoPorpoiseBearing)
                bearing = e->record.otherBearing;
            if (e->record.porpoiseBearing < NoPorpoiseBearing || e->record.otherBearing < NoPorpoiseBearing)
                range = e->record.initialRange / MetresPerNauticalMile;
        }
        break;
    case nav::KindClickEvent:
        if (const nav::RCEvent* e = nav::RCEvents.FindBySerial(key.serial)) {
            fix = e->firstFix;
            bearing = e->record.firstBearing;
            range = nav::GetClickEventRange(*e);
        }
        break;
    case nav::KindThingHeard:
        if (const nav::THINGHEARD* h = nav::ThingsHeard.FindBySerial(key.serial))
            fix = h->fix;
        break;
    default: return;
    }
    m_plot->InvalidateDetection(fix, bearing, range);
}

void TMapWindow::PlotUserRecord(const nav::GPSTHING* fix, double bearing, double range)
{
    m_plot->InvalidateDetection(fix, bearing, range);
}

void TMapWindow::TogglePlotFlag(int id)
{
    bool& flag = PlotFlag(id);
    flag = !flag;
    if (m_plotMenu)
        for (QAction* a : m_plotMenu->findChildren<QAction*>())
            if (a->data().toInt() == id)
                a->setChecked(flag);
    Redraw(false, true);
}

void TMapWindow::ToggleFollowShip(bool on)
{
    store::TheProgramSettings.MapFollowsShip = on;
    const std::optional<QPoint> ship = m_plot->ShipMarker();
    if (on && ship && !m_plot->PlotArea().contains(*ship))
        QTimer::singleShot(0, this, [this] { Command(CmdCentreShipView); });
}

void TMapWindow::BuildPlotMenu()
{
    delete m_plotMenu;
    m_plotMenu = new QMenu(this);
    const store::ProgramSettings& s = store::TheProgramSettings;
    const auto item = [this](QMenu* menu, const char* text, int id, std::optional<bool> checked = std::nullopt) {
        QAction* a = menu->addAction(QString::fromLatin1(text));
        a->setData(id);
        if (checked) {
            a->setCheckable(true);
            a->setChecked(*checked);
        }
        connect(a, &QAction::triggered, this, [this, id] { Command(id); });
        return a;
    };
    item(m_plotMenu, "Map &File...", CmdMapFile);
    item(m_plotMenu, "&Effort Line...", CmdEffortLine);
    m_plotMenu->addSeparator();
    item(m_plotMenu, "&Ships Track", CmdPlotTrack, s.PlotTrack);
    item(m_plotMenu, "&Map", CmdPlotMap, s.PlotMap);
    item(m_plotMenu, "&Grid", CmdPlotGrid, s.PlotGrid);
    const std::vector<StaticPointsGroup>& groups = StaticGroups();
    if (!groups.empty()) {
        QMenu* statics = m_plotMenu->addMenu(QStringLiteral("&Static Objects"));
        for (std::size_t i = 0; i < groups.size(); ++i) {
            QAction* a = statics->addAction(groups[i].name);
            a->setCheckable(true);
            a->setChecked(groups[i].shown);
            const int id = StaticMenuFirstId + int(i);
            a->setData(id);
            connect(a, &QAction::triggered, this, [this, id] { Command(id); });
        }
    }
    QMenu* acoustic = new QMenu(QStringLiteral("&Acoustic Detections"), m_plotMenu);
    item(acoustic, "&Porpoises", CmdPlotPorpoises, s.PlotPorpoises);
    item(acoustic, "&Whistles", CmdPlotWhistles, s.PlotWhistles)->setEnabled(RunMode() == RunModeOnline);
    item(acoustic, "S&perm Whales", CmdPlotSperms, s.PlotSperms);
    if (m_sources.addHeardPlotMenu)
        m_sources.addHeardPlotMenu(acoustic);
    m_plotMenu->addMenu(acoustic);
    if (m_sources.addUserFormPlotMenus)
        m_sources.addUserFormPlotMenus(m_plotMenu);
}

void TMapWindow::Command(int id)
{
    switch (id) {
    case CmdZoomInMap:
    case CmdZoomOutMap:
    case CmdNudgeUp:
    case CmdNudgeDown:
    case CmdNudgeLeft:
    case CmdNudgeRight:
    case CmdCentreShipView:
        m_plot->Command(id);
        Redraw(false, false);
        return;
    case IdPlotOptions:
        if (m_plotMenu) {
            const QWidget* b = nullptr;
            for (const QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (ControlIdOf(w) == IdPlotOptions)
                    b = w;
            const QPoint at = b ? b->mapToGlobal(b->rect().center()) : mapToGlobal(QPoint(0, 0));
            m_plotMenu->popup(at);
        }
        return;
    case CmdPlotTrack:
    case CmdPlotPorpoises:
    case CmdPlotWhistles:
    case CmdPlotSperms:
    case CmdPlotGrid:
    case CmdPlotHeard:
    case CmdPlotMap: TogglePlotFlag(id); return;
    case CmdMapFile:
    case CmdEffortLine:
        if (m_sources.displaySettings)
            m_sources.displaySettings(this,
                                      id == CmdMapFile ? QStringLiteral("MapFileDialog") : QStringLiteral("EffortDlg"));
        Redraw(false, true);
        return;
    case CmdMenuStyle: {
        const bool before = store::TheProgramSettings.LookupPopup;
        if (!m_sources.menuStyleDialog) {
            MapMessage(QStringLiteral("The menu style form is not part of this programme yet"),
                       QStringLiteral("Menu Style"));
            return;
        }
        m_sources.menuStyleDialog(this);
        if (before != store::TheProgramSettings.LookupPopup)
            BuildPlotMenu();
        return;
    }
    case CmdCopyWindow: CopyWindow(); return;
    default:
        if (ToggleStaticGroup(id))
            Redraw(false, true);
        return;
    }
}

bool TMapWindow::event(QEvent* e)
{
    if (e->type() != platform::WindowMessageEvent::eventType())
        return QWidget::event(e);
    auto* m = static_cast<platform::WindowMessageEvent*>(e);
    switch (m->message()) {
    case platform::MsgMapOptionsChanged: Redraw(m->wParam() != 0, m->lParam() != 0); break;
    case platform::MsgArrowKey: m_plot->StepShipFix(int(m->wParam())); break;
    case platform::MsgMapAnimation:
        switch (m->wParam()) {
        case 1: m_plot->StartAnimation(); break;
        case 2: m_plot->StopAnimation(); break;
        case 3: m->setResult(m_plot->AnimationStep() ? 1 : 0); break;
        case 4: m_plot->ShowAnimationFix(); break;
        default: break;
        }
        break;
    case platform::MsgCommand: Command(int(m->wParam())); break;
    default: break;
    }
    return true;
}

void TMapWindow::DrawFrame(QPainter& painter, const QRect& client)
{
    painter.save();
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setFont(font());
    const QFontMetrics metrics(font());
    const int c = m_charWidth, t = m_textHeight, k = m_controlsHeight;
    const QRect plot = PlotRect();
    const int bottom = client.height();
    const auto text = [&](int x, int y, const QString& s, bool right) {
        const int w = metrics.horizontalAdvance(s);
        painter.drawText(QPoint(right ? x - w : x, y + metrics.ascent()), s);
    };
    const auto lat = [](double minutes) { return nav::FormatLatitude(minutes / MinutesPerDegree); };
    const auto lon = [](double minutes) { return nav::FormatLongitude(minutes / MinutesPerDegree); };
    text(22 * c - c, k - t / 2, lat(m_view.ViewTop()), true);
    text(22 * c, bottom - 3 * t + t / 2 + 1, lon(m_view.ViewLeft()), false);
    text(22 * c - c, k + plot.height() - t / 2, lat(m_view.ViewBottom()), true);
    text(client.width() - 4 * c, bottom - 3 * t + t / 2 + 1, lon(m_view.ViewRight()), true);

    const int w = client.width();
    const ScaleBar bar = ChooseScaleBar(store::TheProgramSettings.LengthUnits,
                                        GridStep(plot.height(), m_view.ViewTop() - m_view.ViewBottom()),
                                        m_view.ViewYScale(0), w);
    const int x0 = w / 2 - bar.pixels / 2;
    const QPoint line[] = {{x0, bottom - 3 * t / 2},
                           {x0, bottom - t},
                           {x0 + bar.pixels, bottom - t},
                           {x0 + bar.pixels, bottom - 3 * t / 2}};
    painter.drawPolyline(line, 4);
    const int lw = metrics.horizontalAdvance(bar.label);
    painter.drawText(QPoint(w / 2 - lw / 2, bottom - 9 * t / 4 - t / 2 + metrics.ascent()), bar.label);
    painter.restore();
}

void TMapWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    DrawFrame(painter, rect());
}

QMimeData* TMapWindow::CopyData()
{
    return PictureMimeData(
        size(), QString::fromLatin1(CopyDescription), palette().color(QPalette::Window), [this](QPainter& painter) {
            painter.setPen(Qt::black);
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
            DrawFrame(painter, rect());
            const QRect plot = m_plot->geometry();
            painter.save();
            painter.translate(plot.topLeft());
            painter.fillRect(QRect(QPoint(0, 0), plot.size()), Qt::white);
            m_plot->DrawMap(painter, QRect(QPoint(0, 0), plot.size()), QRect(QPoint(0, 0), plot.size()), true);
            painter.restore();
            if (m_key->isVisible() && m_key->height() > 0) {
                painter.save();
                painter.translate(m_key->pos());
                painter.fillRect(m_key->rect(), Qt::white);
                m_key->DrawKey(painter, m_key->rect(), true);
                painter.restore();
            }
        });
}

void TMapWindow::CopyWindow()
{
    QApplication::clipboard()->setMimeData(CopyData());
}

void TMapWindow::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("&Copy"), this, [this] { Command(CmdCopyWindow); });
    menu.exec(event->globalPos());
}

KeyInputs TMapWindow::MakeKeyInputs() const
{
    const store::ProgramSettings& s = store::TheProgramSettings;
    KeyInputs in;
    in.plotTrack = s.PlotTrack;
    in.effortYes = s.EffortYes;
    in.effortSource = m_sources.effortSource ? m_sources.effortSource() : -1;
    if (m_sources.effortControl)
        in.effortControl = m_sources.effortControl();
    in.plotPorpoises = s.PlotPorpoises;
    in.plotWhistles = s.PlotWhistles;
    in.plotSperms = s.PlotSperms;
    in.plotHeard = s.PlotHeard;
    in.clickColours = s.SpermClickColours;
    for (const StaticPointsGroup& g : StaticGroups())
        if (g.shown)
            in.staticGroups.push_back({g.name, g.type == StaticLines, g.lineColour, g.fillColour, g.symbol, g.size});
    if (m_sources.formKeyEntries)
        in.formEntries = m_sources.formKeyEntries();
    in.plotMap = s.PlotMap;
    const MapFeatures& features = m_sources.plot.features ? *m_sources.plot.features : TheMapFeatures();
    const std::vector<bool> flags(s.ShowContour.begin(), s.ShowContour.end());
    for (const ContourFlag& level : features.Levels())
        if (features.LevelShown(level.value, flags))
            in.shownLevels.push_back(level.value);
    return in;
}

std::vector<QColor> TMapWindow::ContourPens() const
{
    const store::ProgramSettings& s = store::TheProgramSettings;
    const MapFeatures& features = m_sources.plot.features ? *m_sources.plot.features : TheMapFeatures();
    const std::vector<bool> flags(s.ShowContour.begin(), s.ShowContour.end());
    return MakeContourPens(CountShownLevels(flags, int(features.Levels().size())), s.CoastColour, false, Qt::black);
}

} // namespace velmar::map
