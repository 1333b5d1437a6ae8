// The plot drawn offscreen: a fixture chart and track against a reference
// picture, a long track against a plain polyline of the same points, many
// data sets, the ship marker, the copy and the print.
#include "MapTestSupport.h"

#include "map/MapMessages.h"
#include "map/ui/TMapPlot.h"
#include "nav/GpsFixData.h"
#include "settings/ProgramSettings.h"

#include <QFile>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace velmar::map;
using maptest::FixListBuilder;
using velmar::store::TheProgramSettings;

namespace {

constexpr int32_t Grey = 128 | (128 << 8) | (128 << 16);
constexpr int32_t Red = 0xff;

class MapPlotTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        saved = TheProgramSettings;
        MapMessageHandlers h;
        h.message = [this](const QString& t, const QString& c) { messages << c + ": " + t; };
        before = SetMapMessageHandlers(std::move(h));
    }
    void TearDown() override
    {
        TheProgramSettings = saved;
        SetMapMessageHandlers(std::move(before));
    }

    std::unique_ptr<TMapPlot> MakePlot(FixListBuilder& fixes, QSize size, int sets = 1, int runMode = 1)
    {
        MapPlotSources sources;
        sources.fixes = &fixes.List();
        sources.features = &features;
        sources.staticGroups = &statics;
        sources.dataSets = [sets] {
            std::vector<velmar::nav::GpsDataSet> list(static_cast<std::size_t>(sets));
            for (auto& s : list)
                s.lineColour = Grey;
            list.back().lineColour = sets > 1 ? Red : Grey;
            return list;
        };
        sources.runMode = [runMode] { return runMode; };
        auto plot = std::make_unique<TMapPlot>(nullptr, nullptr, std::move(sources));
        plot->resize(size);
        plot->FitView();
        return plot;
    }
    static QImage Render(TMapPlot& plot)
    {
        QImage image(plot.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setPen(Qt::black);
        plot.DrawMap(painter, image.rect(), image.rect(), false);
        return image;
    }
    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    QTemporaryDir dir;
    velmar::store::ProgramSettings saved;
    MapMessageHandlers before;
    QStringList messages;
    MapFeatures features;
    std::vector<StaticPointsGroup> statics;
};

// A small chart and a track that curves along it.
void FixtureChart(MapFeatures& features, const std::function<QString(const QString&, const QByteArray&)>& write)
{
    features.ReadMapMapFile(write("coast.map", "50.30 -1.30\n50.25 -1.10\n50.20 -1.00\n50.10 -0.95\n"
                                               "x\n50.00 -1.40\n50.05 -1.35\n"));
    features.ReadAscMapFile(write("depth.asc", "100 4 50.28 -1.35 50.20 -1.20 50.12 -1.10 50.05 -1.02\n"));
}

StaticItem Item(float lat, float lon, int code, int32_t line, int32_t fill, int size = 0)
{
    StaticItem item;
    item.latitude = lat;
    item.longitude = lon;
    item.code = code;
    item.lineColour = line;
    item.fillColour = fill;
    item.size = size;
    return item;
}

// A survey block drawn first, filled, and two buoys drawn on top.
std::vector<StaticPointsGroup> FixtureStatics()
{
    const int32_t blue = 0xff0000, red = 0xff, paleYellow = 255 | (255 << 8) | (192 << 16);
    StaticPointsGroup block;
    block.shown = true;
    block.drawFirst = true;
    block.type = StaticLines;
    block.lineColour = blue;
    block.fillColour = paleYellow;
    block.items = {Item(50.08f, -1.25f, StaticLineStart, blue, paleYellow),
                   Item(50.08f, -1.15f, StaticLineContinue, blue, paleYellow),
                   Item(50.15f, -1.15f, StaticLineContinue, blue, paleYellow),
                   Item(50.15f, -1.25f, StaticLineContinue, blue, paleYellow),
                   Item(50.22f, -1.28f, StaticLineStart, blue, paleYellow),
                   Item(50.22f, -1.05f, StaticLineContinue, blue, paleYellow)};

    StaticPointsGroup buoys;
    buoys.shown = true;
    buoys.type = StaticPoints;
    buoys.lineColour = red;
    buoys.fillColour = -1;
    buoys.symbol = 8;
    buoys.size = 6;
    buoys.items = {Item(50.18f, -1.05f, buoys.symbol, red, -1, buoys.size),
                   Item(50.06f, -1.2f, buoys.symbol, red, -1, buoys.size)};
    StaticPointsGroup hidden = buoys;
    hidden.shown = false;
    hidden.lineColour = 0xff00;
    for (StaticItem& item : hidden.items) {
        item.latitude += 0.02f;
        item.lineColour = hidden.lineColour;
    }
    return {block, buoys, hidden};
}

void FixtureTrack(FixListBuilder& track)
{
    for (int i = 0; i < 100; ++i) {
        const double t = i / 99.0;
        track.Add((50.05 + 0.2 * t) * 60, (-1.3 + 0.25 * t + 0.03 * std::sin(6 * t)) * 60, i * 10);
    }
}

// The pixels of either picture whose colour the other has neither there nor
// at any of the eight pixels around: a line that moved or went missing, not
// a join rounded to the next pixel.
int PixelsApart(const QImage& a, const QImage& b)
{
    const auto near = [](const QImage& image, int x, int y, QRgb colour) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (image.rect().contains(x + dx, y + dy) && image.pixel(x + dx, y + dy) == colour)
                    return true;
        return false;
    };
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y) && (!near(b, x, y, a.pixel(x, y)) || !near(a, x, y, b.pixel(x, y)))) {
                ++n;
                ADD_FAILURE() << "pixel " << x << "," << y << " has no pixel of its colour beside it";
            }
    return n;
}

// The pixels that differ, outside the border labels (fonts differ between machines).
int DifferentPixels(const QImage& a, const QImage& b, int labelBand)
{
    int n = 0;
    for (int y = 0; y < a.height() - labelBand; ++y)
        for (int x = labelBand; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                ++n;
                ADD_FAILURE() << "pixel " << x << "," << y << " differs";
            }
    return n;
}

TEST_F(MapPlotTest, FixtureChartAndTrackMatchTheReferencePicture)
{
    TheProgramSettings.ShowContour.fill(false);
    TheProgramSettings.ShowContour[0] = TheProgramSettings.ShowContour[1] = true;
    TheProgramSettings.MapMargin = 2;
    FixtureChart(features, [this](const QString& n, const QByteArray& b) { return Write(n, b); });
    statics = FixtureStatics();
    FixListBuilder track;
    FixtureTrack(track);
    auto plot = MakePlot(track, QSize(240, 160));
    const QImage image = Render(*plot);

    const QString reference = qEnvironmentVariable("VELMAR_SOURCE_DIR") + "/tests/data/map/plot_fixture.png";
    if (qEnvironmentVariableIsSet("VELMAR_WRITE_REFERENCE")) {
        image.save(reference);
        GTEST_SKIP() << "reference written to " << reference.toStdString();
    }
    const QImage expected = QImage(reference).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(expected.size(), image.size()) << reference.toStdString();
    EXPECT_EQ(DifferentPixels(image, expected, 36), 0);
    // The layers are there: grey track, cyan contour, black coast and ship,
    // the block filled under them, the buoys, not the hidden group.
    const auto has = [&](QColor c) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == c)
                    return true;
        return false;
    };
    EXPECT_TRUE(has(QColor(128, 128, 128)));
    EXPECT_TRUE(has(QColor(0, 255, 255)));
    EXPECT_TRUE(has(Qt::black));
    EXPECT_TRUE(has(QColor(192, 192, 192)));
    EXPECT_TRUE(has(QColor(255, 255, 192)));
    EXPECT_TRUE(has(QColor(0, 0, 255)));
    EXPECT_TRUE(has(QColor(255, 0, 0)));
    EXPECT_FALSE(has(QColor(0, 255, 0)));
}

// A long random walk looks as the plain polyline of its points: whole in
// view, where it crosses its own ground again and again, and zoomed in so
// that much of it is off the plot. At most a rare join may round to the
// neighbouring pixel.
TEST_F(MapPlotTest, LongTrackDrawsAsThePlainPolylineOfItsPoints)
{
    TheProgramSettings.PlotGrid = false;
    FixListBuilder track;
    std::mt19937 random(7);
    std::normal_distribution<double> step(0.0, 0.02);
    double lat = 50 * 60, lon = -60;
    for (int i = 0; i < 100000; ++i) {
        lat += step(random);
        lon += step(random) + 0.001;
        track.Add(lat, lon, i);
    }
    for (const bool zoomed : {false, true}) {
        SCOPED_TRACE(zoomed ? "zoomed in" : "whole track");
        TheProgramSettings.PlotTrack = true;
        auto plot = MakePlot(track, QSize(400, 300));
        if (zoomed) {
            plot->View().ZoomIn(2);
            plot->View().horizontal.position = 30;
        }
        const QImage image = Render(*plot);

        TheProgramSettings.PlotTrack = false;
        QImage plain = Render(*plot);
        const MapProjection p = MapProjection::FromView(plot->View(), plot->size());
        std::vector<QPoint> points;
        for (const auto* t = track.First(); t; t = t->newer)
            points.push_back(p.ToPixel(t->fix.GetLatitude(), t->fix.GetLongitude()));
        {
            QPainter painter(&plain);
            QPen pen(QColor(128, 128, 128), 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
            pen.setCosmetic(true);
            painter.setPen(pen);
            painter.drawPolyline(points.data(), int(points.size()));
            const std::vector<QPoint> ship = ShipSymbolPoints(points.back());
            pen.setColor(Qt::black);
            painter.setPen(pen);
            painter.drawPolyline(ship.data(), int(ship.size()));
        }
        EXPECT_EQ(PixelsApart(image, plain), 0);
        int trackPixels = 0, changed = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                trackPixels += plain.pixel(x, y) == qRgb(128, 128, 128) ? 1 : 0;
                changed += plain.pixel(x, y) != image.pixel(x, y) ? 1 : 0;
            }
        EXPECT_GT(trackPixels, 500);
        EXPECT_LE(changed, trackPixels / 100) << "a join rounded to the next pixel is the rare exception";
    }
}

TEST_F(MapPlotTest, EveryDataSetIsDrawnHoweverMany)
{
    FixListBuilder fixes;
    constexpr int Sets = 300;
    for (int set = 0; set < Sets; ++set) {
        fixes.Add(50 * 60 + set * 0.01, -60, 0, true, set);
        fixes.Add(50 * 60 + set * 0.01, -59, 1, true, set);
    }
    auto plot = MakePlot(fixes, QSize(200, 200), Sets);
    plot->ResetDrawing();
    ASSERT_EQ(plot->ResumeFixes().size(), std::size_t(Sets));
    EXPECT_TRUE(plot->ResumeFixes().back().has_value());
    const QImage image = Render(*plot);
    EXPECT_EQ(plot->ResumeFixes().size(), std::size_t(Sets));
    EXPECT_FALSE(plot->ResumeFixes().back().has_value()) << "drawn to its end";
    const MapProjection p = MapProjection::FromView(plot->View(), plot->size());
    const QPoint mid = p.ToPixel(50 * 60 + (Sets - 1) * 0.01, -59.5);
    EXPECT_EQ(image.pixelColor(mid), QColor(Qt::red)) << "the last data set has its own colour";
}

TEST_F(MapPlotTest, ShipMarker)
{
    TheProgramSettings.PlotGrid = false;
    FixListBuilder fixes;
    fixes.Add(3000, -60, 0).Add(3001, -59, 1).Add(3002, -58, 2);
    const auto corner = [](TMapPlot& plot, double lat, double lon) {
        const MapProjection p = MapProjection::FromView(plot.View(), plot.size());
        return p.ToPixel(lat, lon) + QPoint(5, -5);
    };
    // Online logging: always on the newest fix.
    auto online = MakePlot(fixes, QSize(200, 200));
    QImage image = Render(*online);
    EXPECT_EQ(image.pixelColor(corner(*online, 3002, -58)), QColor(Qt::black));
    EXPECT_EQ(online->ShipFix(), (FixRef{0, 3}));

    // Showing data: none until a fix is selected.
    auto shown = MakePlot(fixes, QSize(200, 200), 1, 2);
    image = Render(*shown);
    EXPECT_NE(image.pixelColor(corner(*shown, 3001, -59)), QColor(Qt::black));
    shown->SelectShipFix(FixRef{0, 2});
    image = Render(*shown);
    EXPECT_EQ(image.pixelColor(corner(*shown, 3001, -59)), QColor(Qt::black));
    // A fix purged from the lists is not drawn, and nothing dangles.
    fixes.List().Purge(0);
    image = Render(*shown);
    EXPECT_NE(image.pixelColor(corner(*shown, 3001, -59)), QColor(Qt::black));
}

TEST_F(MapPlotTest, ZoomShowsScrollBarsThatMoveTheView)
{
    FixListBuilder track;
    FixtureTrack(track);
    auto plot = MakePlot(track, QSize(300, 200));
    EXPECT_FALSE(plot->HorizontalBar()->isVisibleTo(plot.get()));
    EXPECT_EQ(plot->PlotArea(), QRect(0, 0, 300, 200));
    const double wholeLeft = plot->View().ViewLeft();

    plot->Command(30040); // "Zoom &In"
    ASSERT_TRUE(plot->HorizontalBar()->isVisibleTo(plot.get()));
    ASSERT_TRUE(plot->VerticalBar()->isVisibleTo(plot.get()));
    EXPECT_EQ(plot->HorizontalBar()->maximum(), 40);
    EXPECT_EQ(plot->HorizontalBar()->value(), 20);
    EXPECT_LT(plot->PlotArea().width(), 300);
    const double centredLeft = plot->View().ViewLeft();
    plot->HorizontalBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(plot->View().horizontal.position, 30);
    EXPECT_GT(plot->View().ViewLeft(), centredLeft);

    // Out beyond the whole view: the bars go and the margin grows.
    plot->Command(30041);
    EXPECT_FALSE(plot->HorizontalBar()->isVisibleTo(plot.get()));
    EXPECT_LT(plot->View().ViewLeft(), wholeLeft);
}

TEST_F(MapPlotTest, CopyHoldsSvgAndPng)
{
    FixListBuilder track;
    FixtureTrack(track);
    auto plot = MakePlot(track, QSize(160, 120));
    std::unique_ptr<QMimeData> data(plot->CopyData());
    ASSERT_TRUE(data->hasFormat("image/svg+xml"));
    ASSERT_TRUE(data->hasFormat("image/png"));
    const QByteArray svg = data->data("image/svg+xml");
    EXPECT_TRUE(svg.contains("<svg")) << svg.left(200).toStdString();
    EXPECT_TRUE(svg.contains("Velmar 2010"));
    EXPECT_TRUE(svg.contains("polyline") || svg.contains("<path"));
    QImage png;
    ASSERT_TRUE(png.loadFromData(data->data("image/png"), "PNG"));
    EXPECT_EQ(png.size(), QSize(160, 120));
    // The copy has its frame.
    EXPECT_EQ(png.pixelColor(0, 60), QColor(192, 192, 192));
    EXPECT_EQ(png.pixelColor(159, 119), QColor(192, 192, 192));
}

TEST_F(MapPlotTest, PrintsToPdf)
{
    FixtureChart(features, [this](const QString& n, const QByteArray& b) { return Write(n, b); });
    FixListBuilder track;
    FixtureTrack(track);
    auto plot = MakePlot(track, QSize(300, 200));
    const QString pdf = dir.filePath("map.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QPainter painter;
    ASSERT_TRUE(painter.begin(&printer));
    PrintMapPlot(plot.get(), painter, printer);
    painter.end();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_GT(bytes.size(), 1000);
}

} // namespace
