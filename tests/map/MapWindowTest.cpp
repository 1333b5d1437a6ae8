// The map window offscreen: its controls and menus by run mode, the pointer
// read-outs, a click on the track, the label of a record under a resting
// pointer, a replay of a shown survey, the click colours and detections
// whose fix is gone; the program's map emptying its read-outs.
#include "MapTestSupport.h"

#include "map/MapMessages.h"
#include "nav/GpsReadout.h"
#include "map/ui/TMapKey.h"
#include "map/ui/TMapPlot.h"
#include "map/ui/TMapWindow.h"
#include "map/ui/MapUi.h"
#include "nav/RecentLists.h"
#include "platform/RunMode.h"
#include "settings/ProgramSettings.h"
#include "widgets/MyControls.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmar::map;
using maptest::FixListBuilder;
using velmar::store::TheProgramSettings;

namespace {

constexpr int32_t Grey = 128 | (128 << 8) | (128 << 16);

class MapWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = TheProgramSettings;
        savedMode = velmar::platform::RunMode;
        MapMessageHandlers h;
        h.message = [this](const QString& t, const QString& c) { messages << c + ": " + t; };
        before = SetMapMessageHandlers(std::move(h));
    }
    void TearDown() override
    {
        velmar::nav::PurgeAllDetections();
        TheProgramSettings = saved;
        velmar::platform::RunMode = savedMode;
        SetMapMessageHandlers(std::move(before));
    }

    MapWindowSources Sources(FixListBuilder& fixes, int runMode)
    {
        MapWindowSources s;
        s.plot.fixes = &fixes.List();
        s.plot.features = &features;
        s.plot.staticGroups = &statics;
        s.plot.dataSets = [] {
            std::vector<velmar::nav::GpsDataSet> list(1);
            list[0].lineColour = Grey;
            return list;
        };
        s.plot.runMode = [runMode] { return runMode; };
        return s;
    }
    std::unique_ptr<TMapWindow> MakeWindow(MapWindowSources sources)
    {
        auto w = std::make_unique<TMapWindow>(nullptr, std::move(sources));
        w->resize(900, 600);
        w->show();
        w->Plot()->FitView();
        w->Plot()->grab(); // one drawing: the projection and the ship marker
        return w;
    }
    static void Mouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button = Qt::LeftButton)
    {
        QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    static QPoint Pixel(TMapWindow& w, const velmar::nav::GPSTHING* fix)
    {
        return w.Plot()->Projection().ToPixel(fix->fix.GetLatitude(), fix->fix.GetLongitude());
    }
    static int Count(const QImage& image, QColor colour)
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixelColor(x, y) == colour ? 1 : 0;
        return n;
    }

    velmar::store::ProgramSettings saved;
    quint32 savedMode = 0;
    MapMessageHandlers before;
    QStringList messages;
    MapFeatures features;
    std::vector<StaticPointsGroup> statics;
};

TEST_F(MapWindowTest, MenusByRunMode)
{
    struct Case {
        int runMode;
        bool followShip;
    };
    for (const Case c : {Case{1, true}, Case{2, false}, Case{3, false}}) {
        FixListBuilder fixes;
        auto w = MakeWindow(Sources(fixes, c.runMode));
        EXPECT_EQ(velmar::shell::FindMyCheckBox(w.get(), IdFollowShip) != nullptr, c.followShip) << c.runMode;
        w->BuildPlotMenu();
        ASSERT_TRUE(w->PlotMenu());
        QAction* whistles = nullptr;
        QStringList texts;
        for (QAction* a : w->PlotMenu()->findChildren<QAction*>()) {
            if (a->data().toInt() == CmdPlotWhistles)
                whistles = a;
        }
        for (QAction* a : w->PlotMenu()->actions())
            texts << a->text();
        ASSERT_TRUE(whistles);
        EXPECT_EQ(whistles->isEnabled(), c.runMode == 1) << c.runMode;
        EXPECT_EQ(texts, (QStringList{"Map &File...", "&Effort Line...", "", "&Ships Track", "&Map", "&Grid",
                                      "&Acoustic Detections"}));
    }
}

// In a window no wider than a small screen every read-out box stays inside
// it, side by side, in each run mode.
TEST_F(MapWindowTest, ReadoutsFitANarrowWindow)
{
    for (int runMode : {1, 2, 3}) {
        FixListBuilder fixes;
        auto w = MakeWindow(Sources(fixes, runMode));
        w->resize(800, 600);
        QApplication::processEvents();
        int right = 0;
        for (int id : {velmar::nav::ControlLatitude, velmar::nav::ControlLongitude, velmar::nav::ControlCourse,
                       velmar::nav::ControlSpeed, velmar::nav::ControlFixTime, velmar::nav::ControlTrueHeading,
                       velmar::nav::ControlMagHeading}) {
            const QWidget* box = velmar::shell::FindMyEdit(w.get(), id);
            ASSERT_NE(box, nullptr) << id;
            EXPECT_GE(box->x(), right) << id;
            right = box->geometry().right() + 1;
        }
        EXPECT_LE(right, w->width()) << runMode;
    }
}

TEST_F(MapWindowTest, TheProgramsMapEmptiesItsReadoutsWhenAskedAndIgnoresCallsBeforeItIsMade)
{
    FixListBuilder fixes;
    std::function<void(velmar::nav::DetectionKey)> toMap;
    MapEnvironment environment;
    environment.runMode = [] { return int(velmar::platform::RunModeShowData); };
    BindMap(std::move(environment), Sources(fixes, int(velmar::platform::RunModeShowData)), toMap);
    ASSERT_TRUE(toMap);
    if (!TheMapWindow()) {
        ShowEmptyGpsData();
        RedrawMap(true, true);
        CheckTrack();
    }

    QWidget parent;
    QWidget* made = MakeMapWindow(&parent);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made, TheMapWindow());
    velmar::shell::TMyEdit* latitude = velmar::shell::FindMyEdit(made, velmar::nav::ControlLatitude);
    ASSERT_NE(latitude, nullptr);
    latitude->setText(QStringLiteral("56 00.000 N"));
    ShowEmptyGpsData();
    EXPECT_EQ(latitude->text(), QStringLiteral("No Data"));
}

TEST_F(MapWindowTest, PointerDragShowsRangeAndBearing)
{
    FixListBuilder fixes;
    fixes.Add(3000, -60, 0).Add(3001, -59, 10);
    struct Case {
        int units;
        double miles;
        const char* unit;
    };
    for (const Case c : {Case{1, 2, " nm,"}, Case{2, 0.5, " m,"}, Case{2, 3, " km,"}}) {
        TheProgramSettings.LengthUnits = c.units;
        auto w = MakeWindow(Sources(fixes, 1));
        TMapPlot* plot = w->Plot();
        ASSERT_TRUE(plot->ShipMarker());
        const QPoint ship = *plot->ShipMarker();
        const QPoint to = ship + QPoint(int(c.miles * plot->Projection().YScale), 0);
        Mouse(plot, QEvent::MouseButtonPress, ship);
        ASSERT_TRUE(plot->ReadoutBox());
        Mouse(plot, QEvent::MouseMove, to);
        const QString text = plot->ReadoutBox()->text();
        EXPECT_TRUE(text.contains(QString::fromLatin1(c.unit))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Bearing 90"))) << text.toStdString();
        Mouse(plot, QEvent::MouseButtonRelease, to);
        EXPECT_FALSE(plot->ReadoutBox());
    }
}

TEST_F(MapWindowTest, ClickSelectsTheNearestFixWithinTenPixels)
{
    FixListBuilder fixes;
    fixes.Add(3000, -60, 0).Add(3005, -55, 10);
    auto w = MakeWindow(Sources(fixes, 2));
    TMapPlot* plot = w->Plot();
    const velmar::nav::GPSTHING* first = fixes.First();
    const QPoint p = Pixel(*w, first);
    struct Case {
        const char* legend;
        QPoint down, up;
        bool selects;
    };
    const Case cases[] = {
        {"8 pixels away", p + QPoint(8, 0), p + QPoint(8, 0), true},
        {"11 pixels away", p + QPoint(11, 0), p + QPoint(11, 0), false},
        {"moved between press and release", p + QPoint(1, 0), p + QPoint(2, 0), false},
    };
    for (const Case& c : cases) {
        plot->SelectShipFix(std::nullopt);
        Mouse(plot, QEvent::MouseButtonPress, c.down);
        Mouse(plot, QEvent::MouseButtonRelease, c.up);
        EXPECT_EQ(plot->ShipFix().has_value(), c.selects) << c.legend;
    }
    // The arrow keys step along the track; right on the newest stays there.
    plot->SelectShipFix(FixRef{0, first->Index});
    plot->StepShipFix(39);
    EXPECT_EQ(plot->ShipFix()->gpsIndex, first->newer->Index);
    plot->StepShipFix(39);
    EXPECT_EQ(plot->ShipFix()->gpsIndex, first->newer->Index);
    plot->StepShipFix(37);
    EXPECT_EQ(plot->ShipFix()->gpsIndex, first->Index);
}

TEST_F(MapWindowTest, LabelOfARecordAfterTheRestingTime)
{
    FixListBuilder fixes;
    fixes.Add(3000, -60, 0).Add(3005, -55, 10);
    MapWindowSources sources = Sources(fixes, 1);
    MapRecord record;
    record.hasFix = true;
    record.fix = FixRef{0, fixes.First()->Index};
    record.colour = 0xff;
    record.symbolNumber = 8;
    record.symbolSize = 6;
    record.label1 = QStringLiteral("Sightings\r\nSpecies : Harbour porpoise");
    record.lineCount = 2;
    record.widestLine = 26;
    sources.plot.userRecords = [record] { return std::vector<MapRecord>{record}; };
    auto w = MakeWindow(std::move(sources));
    TMapPlot* plot = w->Plot();
    const QPoint p = Pixel(*w, fixes.First());

    Mouse(plot, QEvent::MouseMove, p + QPoint(3, 2), Qt::NoButton);
    EXPECT_TRUE(plot->HoverTimer().isActive());
    EXPECT_EQ(plot->HoverTimer().interval(), 1000);
    EXPECT_FALSE(plot->LabelBox()) << "not before the second has passed";
    plot->HoverTimeout();
    ASSERT_TRUE(plot->LabelBox());
    EXPECT_EQ(plot->LabelBox()->text(), QStringLiteral("Sightings\nSpecies : Harbour porpoise"));
    Mouse(plot, QEvent::MouseMove, p + QPoint(40, 40), Qt::NoButton);
    EXPECT_FALSE(plot->LabelBox()) << "moving on removes it";
    plot->HoverTimeout();
    EXPECT_FALSE(plot->LabelBox()) << "nothing under the pointer";
}

TEST_F(MapWindowTest, AnimationReplaysToTheEnd)
{
    velmar::platform::RunMode = velmar::platform::RunModeShowData;
    FixListBuilder fixes;
    fixes.List().SetShowPeriodStart(
        velmar::platform::SystemTime::fromTimePoint(std::chrono::time_point_cast<std::chrono::milliseconds>(
            std::chrono::sys_days{std::chrono::year{2025} / 6 / 1} + std::chrono::hours{8})));
    for (int i = 0; i < 20; ++i)
        fixes.Add(3000 + i * 0.5, -60 + i * 0.5, i * 60);
    auto w = MakeWindow(Sources(fixes, 2));
    TMapPlot* plot = w->Plot();
    TheProgramSettings.ReplaySpeedUp = 600; // a minute of survey per step
    plot->StartAnimation();
    ASSERT_TRUE(plot->Animating());
    int steps = 0;
    while (plot->AnimationStep() && steps < 1000)
        ++steps;
    EXPECT_GT(steps, 10);
    EXPECT_LT(steps, 1000);
    EXPECT_GE(plot->AnimationTime(), 19 * 60);
    const QImage replayed = plot->grab().toImage();
    EXPECT_GT(Count(replayed, QColor(128, 128, 128)), 50) << "the replayed track";
    plot->StopAnimation();
    EXPECT_FALSE(plot->Animating());
}

TEST_F(MapWindowTest, ClickColoursAndDetectionsWhoseFixIsGone)
{
    QTemporaryDir dir;
    const QString colours = dir.filePath("RTCOLS.DAT");
    {
        QFile f(colours);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (int i = 0; i <= 12; ++i) {
            const char entry[4] = {char(i == 3 ? 0xff : 0), 0, char(i == 3 ? 0xff : 0), 0}; // 3 is magenta
            f.write(entry, 4);
        }
    }
    // A settings folder without the file takes the one that ships, silently.
    const auto fallback = LoadClickColours(dir.filePath("missing"), colours);
    EXPECT_EQ(fallback[3], QColor(255, 0, 255));
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    LoadClickColours(dir.filePath("missing"), dir.filePath("missing too"));
    EXPECT_EQ(messages.size(), 1);

    TheProgramSettings.PlotSperms = true;
    TheProgramSettings.SpermClickColours = true;
    TheProgramSettings.SpermPlotAll = true;
    FixListBuilder fixes;
    fixes.Add(3000, -60, 0).Add(3010, -50, 10);
    auto w = MakeWindow(Sources(fixes, 1));
    const QImage plain = w->Plot()->grab().toImage();
    velmar::nav::NewRCEventRecord r;
    r.species = velmar::nav::NewRCEventRecord::SpeciesSpermWhale;
    r.firstBearing = 90;
    r.meanRange = 2;
    r.whaleId = 13; // no colour of its own
    velmar::nav::NewRCEvent(r, const_cast<velmar::nav::GPSTHING*>(fixes.First()));
    const QImage drawn = w->Plot()->grab().toImage();
    EXPECT_GT(Count(drawn, QColor(0, 255, 0)), Count(plain, QColor(0, 255, 0)) + 20) << "the default green";
}

TEST_F(MapWindowTest, ADetectionWhoseFixWasFreedIsNotDrawn)
{
    TheProgramSettings.PlotPorpoises = true;
    velmar::nav::GpsFixList& program = velmar::nav::TheGpsFixList();
    velmar::nav::GpsFixData fix;
    fix.SetPosition(3000, -60);
    velmar::nav::GPSTHING* first = program.Append(fix, 1, 0);
    velmar::nav::PorpoiseEventRecord r;
    r.porpoiseBearing = 45;
    r.initialRange = 1852;
    velmar::nav::PorpoiseEvent* event = velmar::nav::NewPorpoiseEvent(r, first);
    program.Purge(0);
    EXPECT_EQ(event->firstFix, nullptr);
    MapWindowSources sources;
    sources.plot.runMode = [] { return 1; };
    TMapWindow w(nullptr, std::move(sources));
    w.resize(600, 400);
    w.OnNewDetection(velmar::nav::DetectionKey{velmar::nav::KindPorpoiseEvent, event->serial});
    const QImage image = w.Plot()->grab().toImage();
    EXPECT_EQ(Count(image, QColor(255, 0, 0)), 0);
}

TEST_F(MapWindowTest, CopiesAreSvgAndPng)
{
    FixListBuilder fixes;
    fixes.Add(3000, -60, 0);
    auto w = MakeWindow(Sources(fixes, 1));
    for (QMimeData* data : {w->CopyData(), w->Key()->CopyData()}) {
        EXPECT_FALSE(data->data("image/png").isEmpty());
        EXPECT_FALSE(data->data("image/svg+xml").isEmpty());
        delete data;
    }
    std::unique_ptr<QMimeData> key(w->Key()->CopyData());
    EXPECT_TRUE(key->data("image/svg+xml").contains("Map Plot"));
}

TEST_F(MapWindowTest, KeyListsTheShownLayers)
{
    TheProgramSettings.PlotTrack = true;
    TheProgramSettings.PlotPorpoises = true;
    TheProgramSettings.PlotMap = false;
    FixListBuilder fixes;
    auto w = MakeWindow(Sources(fixes, 1));
    QStringList texts;
    for (const KeyEntry& e : w->Key()->Entries())
        texts << e.text;
    EXPECT_EQ(texts, (QStringList{"Ship", "Porpoises"}));
}

} // namespace
