// Milliseconds per redraw of the map plot (coast, contours, border scale and
// a long track with the ship marker) into a 1600 x 1000 image, against plain
// QPainter polylines of the same points, with the whole track in view and
// zoomed in four times, for two tracks: a survey of parallel transects and a
// random walk (a fix a second in any direction, the track that wanders over
// its own ground most). Also counts the pixels in which the two pictures
// differ away from the grid and the border labels, and those of them that
// have no pixel of their colour next to them in the other picture.
//   bench_map_redraw [fixes] [redraws]     (default 1000000 and 10)
#include "map/MapFiles.h"
#include "map/ui/TMapPlot.h"
#include "nav/GpsFixList.h"
#include "settings/ProgramSettings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <utility>

using namespace velmar;

namespace {

constexpr QSize PlotSize(1600, 1000);
constexpr int32_t Grey = 128 | (128 << 8) | (128 << 16);

// A survey of parallel transects joined at their ends, one fix a second at
// about ten knots, with a little GPS noise: in degrees.
void MakeTrack(nav::GpsFixList& list, int fixes)
{
    std::mt19937 random(11);
    std::normal_distribution<double> noise(0.0, 0.00002);
    const auto start = std::chrono::sys_days{std::chrono::year{2026} / 6 / 1};
    double lat = 56.0, lon = -7.0, dLon = 0.00005;
    const int legLength = 20000;
    for (int i = 0; i < fixes; ++i) {
        if (i % legLength == legLength - 1) {
            lat += 0.02;
            dLon = -dLon;
        }
        lon += dLon;
        nav::GpsFixData fix(platform::SystemTime::fromTimePoint(start + std::chrono::seconds(i)));
        fix.SetPosition((lat + noise(random)) * 60, (lon + noise(random)) * 60);
        fix.valid = 1;
        list.Append(fix, i + 1, 0);
    }
}

// A random walk around the same waters: each fix a few metres from the last
// in any direction.
void MakeRandomWalk(nav::GpsFixList& list, int fixes)
{
    std::mt19937 random(13);
    std::normal_distribution<double> step(0.0, 0.00004);
    const auto start = std::chrono::sys_days{std::chrono::year{2026} / 6 / 1};
    double lat = 56.2, lon = -7.0;
    for (int i = 0; i < fixes; ++i) {
        lat += step(random);
        lon += step(random);
        nav::GpsFixData fix(platform::SystemTime::fromTimePoint(start + std::chrono::seconds(i)));
        fix.SetPosition(lat * 60, lon * 60);
        fix.valid = 1;
        list.Append(fix, i + 1, 0);
    }
}

// A wiggly coastline and contour lines south of the survey, as chart files.
void MakeChart(const QString& folder, map::MapFeatures& features)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<double> wiggle(-0.003, 0.003);
    QByteArray coast;
    for (int i = 0; i < 40000; ++i)
        coast += QByteArray::number(55.7 + 0.2 * std::sin(i / 3000.0) + wiggle(random), 'f', 5) + ' '
               + QByteArray::number(-8.0 + i * 0.0001, 'f', 5) + '\n';
    QByteArray depths;
    for (int level = 1; level <= 8; ++level) {
        const int points = 10000;
        depths += QByteArray::number(level * 50) + ' ' + QByteArray::number(points) + '\n';
        for (int i = 0; i < points; ++i)
            depths += QByteArray::number(55.75 + level * 0.15 + 0.1 * std::sin(i / 900.0 + level) + wiggle(random), 'f',
                                         5)
                    + ' ' + QByteArray::number(-8.0 + i * 0.0004, 'f', 5) + '\n';
    }
    const auto write = [&](const char* name, const QByteArray& bytes) {
        QFile f(folder + '/' + name);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    };
    features.ReadMapMapFile(write("coast.map", coast));
    features.ReadAscMapFile(write("depths.asc", depths));
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Result {
    double mapMs = 0, plainMs = 0, plainProjectedMs = 0;
    int differentPixels = 0;
    int apartPixels = 0; // differing with no pixel of their colour beside them in the other picture
};

bool ColourNear(const QImage& image, int x, int y, QRgb colour)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.rect().contains(x + dx, y + dy) && image.pixel(x + dx, y + dy) == colour)
                return true;
    return false;
}

Result Measure(map::TMapPlot& plot, nav::GpsFixList& list, map::MapFeatures& features, int redraws)
{
    Result r;
    store::ProgramSettings& s = store::TheProgramSettings;
    QImage image(PlotSize, QImage::Format_RGB32);
    std::vector<double> times;
    for (int i = 0; i < redraws; ++i) {
        image.fill(Qt::white);
        QElapsedTimer t;
        t.start();
        QPainter painter(&image);
        painter.setPen(Qt::black);
        plot.DrawMap(painter, image.rect(), image.rect(), false);
        painter.end();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    r.mapMs = Median(times);

    // The same picture without the track and chart layers, then the plain
    // polylines over it: the chart in its pens, the track, the ship.
    s.PlotTrack = false;
    s.PlotMap = false;
    QImage base(PlotSize, QImage::Format_RGB32);
    base.fill(Qt::white);
    {
        QPainter painter(&base);
        painter.setPen(Qt::black);
        plot.DrawMap(painter, base.rect(), base.rect(), false);
    }
    s.PlotTrack = true;
    s.PlotMap = true;

    const map::MapProjection p = map::MapProjection::FromView(plot.View(), PlotSize);
    const std::vector<bool> flags(s.ShowContour.begin(), s.ShowContour.end());
    const std::vector<QColor> pens = map::MakeContourPens(map::CountShownLevels(flags, int(features.Levels().size())),
                                                          s.CoastColour, false, Qt::black);
    struct Line {
        QColor colour;
        std::vector<QPoint> points;
    };
    const auto project = [&] {
        std::vector<Line> lines;
        for (const map::MapFeature& f : features.Features()) {
            if (f.points.size() < 2 || !features.LevelShown(f.level, flags))
                continue;
            Line line{pens[std::size_t(map::ContourPenIndex(*features.LevelPosition(f.level), flags))], {}};
            line.points.reserve(f.points.size());
            for (const map::MapPoint& m : f.points)
                line.points.push_back(p.ToPixel(m.latitude, m.longitude));
            lines.push_back(std::move(line));
        }
        Line track{QColor(128, 128, 128), {}};
        for (const nav::GPSTHING* t = list.First(0); t; t = t->newer)
            track.points.push_back(p.ToPixel(t->fix.GetLatitude(), t->fix.GetLongitude()));
        lines.push_back(std::move(track));
        lines.push_back({Qt::black, map::ShipSymbolPoints(lines.back().points.back())});
        return lines;
    };
    const auto draw = [](QImage& onto, const std::vector<Line>& lines) {
        QPainter painter(&onto);
        for (const Line& line : lines) {
            QPen pen(line.colour, 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
            pen.setCosmetic(true);
            painter.setPen(pen);
            painter.drawPolyline(line.points.data(), int(line.points.size()));
        }
    };
    std::vector<Line> lines = project();
    QImage plain;
    times.clear();
    std::vector<double> projectedTimes;
    for (int i = 0; i < redraws; ++i) {
        plain = base.copy();
        QElapsedTimer t;
        t.start();
        draw(plain, lines);
        times.push_back(t.nsecsElapsed() / 1e6);

        plain = base.copy();
        t.start();
        lines = project();
        draw(plain, lines);
        projectedTimes.push_back(t.nsecsElapsed() / 1e6);
    }
    r.plainMs = Median(times);
    r.plainProjectedMs = Median(projectedTimes);

    // Where the chart crosses the grid and the border labels the two draw
    // in another order; everywhere else the pictures must agree.
    const QRgb untouched = qRgb(1, 2, 3);
    QImage mask(PlotSize, QImage::Format_RGB32);
    mask.fill(untouched);
    {
        s.PlotTrack = s.PlotMap = false;
        QPainter painter(&mask);
        plot.DrawMap(painter, mask.rect(), mask.rect(), false);
        s.PlotTrack = s.PlotMap = true;
    }
    for (int y = 0; y < PlotSize.height(); ++y)
        for (int x = 0; x < PlotSize.width(); ++x) {
            if (mask.pixel(x, y) != untouched || image.pixel(x, y) == plain.pixel(x, y))
                continue;
            ++r.differentPixels;
            if (!ColourNear(plain, x, y, image.pixel(x, y)) || !ColourNear(image, x, y, plain.pixel(x, y)))
                ++r.apartPixels;
        }
    return r;
}

void Report(const char* legend, const Result& r)
{
    std::printf("%-22s map plot %8.1f ms   plain polylines %8.1f ms (%6.1f ms with their projection)   "
                "ratio %.2f (%.2f)   differing pixels %d, apart %d\n",
                legend, r.mapMs, r.plainMs, r.plainProjectedMs, r.mapMs / r.plainMs, r.mapMs / r.plainProjectedMs,
                r.differentPixels, r.apartPixels);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int fixes = argc > 1 ? std::max(2, std::atoi(argv[1])) : 1000000;
    const int redraws = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;

    QTemporaryDir folder;
    store::ProgramSettings& s = store::TheProgramSettings;
    s.PlotGrid = true;
    s.PlotMap = true;
    s.PlotTrack = true;
    s.EffortYes = false;
    s.TrackPenWidth = 1;
    s.MapMargin = 5;
    s.ShowContour.fill(true);

    map::MapFeatures features;
    MakeChart(folder.path(), features);
    int chartPoints = 0;
    for (const map::MapFeature& f : features.Features())
        chartPoints += int(f.points.size());
    std::printf("%d fixes, %d chart points in %d features, %dx%d, median of %d redraws\n", fixes, chartPoints,
                features.CountMapFeatures(), PlotSize.width(), PlotSize.height(), redraws);

    const std::pair<const char*, void (*)(nav::GpsFixList&, int)> tracks[] = {
        {"transects", MakeTrack},
        {"random walk", MakeRandomWalk},
    };
    for (const auto& [name, make] : tracks) {
        nav::GpsFixList list([] { return uint64_t(0); });
        make(list, fixes);
        map::MapPlotSources sources;
        sources.fixes = &list;
        sources.features = &features;
        sources.dataSets = [] {
            std::vector<nav::GpsDataSet> sets(1);
            sets[0].lineColour = Grey;
            return sets;
        };
        sources.runMode = [] { return 1; };
        map::TMapPlot plot(nullptr, nullptr, sources);
        plot.resize(PlotSize);
        plot.FitView();
        {
            // The plot reads the fix list into its arrays once, then only the fixes that come.
            map::TrackCache cache;
            QElapsedTimer t;
            t.start();
            cache.Points(list, 0);
            std::printf("%s: reading the fixes into the drawing's arrays (once) %.1f ms\n", name,
                        t.nsecsElapsed() / 1e6);
            // The first drawing loads the fonts.
            QImage image(PlotSize, QImage::Format_RGB32);
            QPainter painter(&image);
            plot.DrawMap(painter, image.rect(), image.rect(), false);
        }
        Report((std::string(name) + ", whole track").c_str(), Measure(plot, list, features, redraws));
        plot.View().ZoomIn(4);
        Report((std::string(name) + ", zoomed in 4x").c_str(), Measure(plot, list, features, redraws));
    }
    return 0;
}
