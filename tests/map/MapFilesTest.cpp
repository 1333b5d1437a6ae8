// Chart files and the click colour file: levels, separators, endings, the
// same path twice, and files that are damaged or lie about their counts.
#include "map/MapFiles.h"
#include "map/MapMessages.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>

using namespace velmar::map;

namespace {

class MapFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        MapMessageHandlers h;
        h.message = [this](const QString& text, const QString& caption) { messages << caption + ": " + text; };
        h.progress = [this](const QString& text) { progress << text; };
        h.mapFileLoaded = [this] { ++loaded; };
        before = SetMapMessageHandlers(std::move(h));
    }
    void TearDown() override { SetMapMessageHandlers(std::move(before)); }

    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    static std::vector<int> LevelValues(const MapFeatures& m)
    {
        std::vector<int> v;
        for (const ContourFlag& f : m.Levels())
            v.push_back(f.value);
        return v;
    }
    static std::vector<std::size_t> PointCounts(const MapFeatures& m)
    {
        std::vector<std::size_t> v;
        for (const MapFeature& f : m.Features())
            v.push_back(f.points.size());
        return v;
    }

    QTemporaryDir dir;
    MapFeatures map;
    QStringList messages, progress;
    int loaded = 0;
    MapMessageHandlers before;
};

TEST_F(MapFilesTest, AscLevelsAreSortedAndFlagsFollowTheOrder)
{
    const QString path = Write("depths.asc", "200 2\n 50.5 -1.5\n50.6 -1.4\n"
                                             "0 3 50 -1 50.1 -1 50.2 -1.1\n"
                                             "100\t1\n\n50.3 -1.2");
    EXPECT_EQ(map.LoadMapFile(path), 3);
    EXPECT_EQ(LevelValues(map), (std::vector<int>{0, 100, 200}));
    EXPECT_EQ(map.FindContourLevel(200)->creationIndex, 0);
    EXPECT_EQ(map.FindContourLevel(0)->creationIndex, 1);
    ASSERT_EQ(map.CountMapFeatures(), 3);
    EXPECT_EQ(map.Features()[0].kind, FeatureContour);
    EXPECT_EQ(map.Features()[1].kind, FeatureContourZero);
    EXPECT_EQ(PointCounts(map), (std::vector<std::size_t>{2, 3, 1}));
    EXPECT_FLOAT_EQ(map.Features()[0].points[0].latitude, 50.5f * 60);
    EXPECT_FLOAT_EQ(map.Features()[0].points[0].longitude, -1.5f * 60);
    // Flag 0 governs level 0, flag 1 level 100, flag 2 level 200.
    const std::vector<bool> flags{false, true, false};
    EXPECT_FALSE(map.LevelShown(0, flags));
    EXPECT_TRUE(map.LevelShown(100, flags));
    EXPECT_FALSE(map.LevelShown(200, flags));
    EXPECT_FALSE(map.LevelShown(300, flags));
    // The centre of all points.
    ASSERT_TRUE(map.MapCentre());
    EXPECT_NEAR(map.MapCentre()->y(), 50.3 * 60, 1e-3);
    EXPECT_NEAR(map.MapCentre()->x(), -1.25 * 60, 1e-3);
    EXPECT_EQ(loaded, 1);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(progress.value(0), "Reading map file depths.asc Feature: 1");
    EXPECT_TRUE(progress.last().isEmpty()) << "the progress text is closed";
}

TEST_F(MapFilesTest, LevelsAreCappedAt29)
{
    QByteArray text;
    for (int level = 1; level <= 30; ++level)
        text += QByteArray::number(level * 10) + " 2 1 1 2 2\n";
    EXPECT_EQ(map.LoadMapFile(Write("many.asc", text)), 30);
    EXPECT_EQ(map.Levels().size(), 29u);
    EXPECT_EQ(map.FindContourLevel(300), nullptr);
    EXPECT_FALSE(map.LevelShown(300, std::vector<bool>(30, true)));
}

TEST_F(MapFilesTest, MapSeparatorsStartFeatures)
{
    struct Case {
        const char* legend;
        QByteArray text;
        std::vector<std::size_t> points;
    };
    const Case cases[] = {
        {"one letter", "50 -1\n50.1 -1.1\nx\n51 -2\n51.1 -2.1\n51.2 -2.2\n", {2, 3}},
        {"a word", "50 -1\n50.1 -1.1\nEND\n51 -2\n51.1 -2.1\n", {2, 0, 0, 2}},
        {"separator first", "#\n50 -1\n50.1 -1.1\n", {0, 2}},
        {"empty file", "", {0}},
        {"half a pair at the end", "50 -1\n50.1", {1, 0}},
    };
    for (const Case& c : cases) {
        map.FreeMapFeatures();
        EXPECT_EQ(map.ReadMapMapFile(Write("coast.map", c.text)), int(c.points.size())) << c.legend;
        EXPECT_EQ(PointCounts(map), c.points) << c.legend;
        EXPECT_EQ(LevelValues(map), (std::vector<int>{0})) << c.legend;
    }
}

TEST_F(MapFilesTest, EndingsInAnyCaseAndOthersLeaveTheMapEmpty)
{
    const QByteArray coast = "50 -1\n50.1 -1.1\n";
    EXPECT_EQ(map.LoadMapFile(Write("a.Map", coast)), 1);
    EXPECT_EQ(map.CountMapFeatures(), 1);
    EXPECT_EQ(map.LoadMapFile(Write("b.ASC", "0 2 50 -1 50.1 -1.1")), 1);
    EXPECT_EQ(map.LoadMapFile(Write("c.txt", coast)), 0);
    EXPECT_EQ(map.CountMapFeatures(), 0);
    EXPECT_FALSE(map.MapCentre());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(MapFilesTest, SamePathTwiceIsReadOnce)
{
    const QString first = Write("first.map", "50 -1\n50.1 -1.1\n");
    const QString second = Write("second.map", "50 -1\nx\n50 -1\n50.1 -1.1\n");
    EXPECT_EQ(map.LoadMapFile(first), 1);
    Write("first.map", "50 -1\nx\n50 -1\nx\n50 -1\n");
    EXPECT_EQ(map.LoadMapFile(first), 1) << "not read again";
    EXPECT_EQ(loaded, 1);
    EXPECT_EQ(map.LoadMapFile(second), 2);
    EXPECT_EQ(map.LoadMapFile(first), 3) << "read again after another";
}

TEST_F(MapFilesTest, DamagedAscFilesEndAndKeepWhatWasRead)
{
    struct Case {
        const char* legend;
        QByteArray text;
        int headers;
        std::vector<std::size_t> points;
        bool reported;
    };
    const Case cases[] = {
        {"header not a number", "10 2 50 -1 50.1 -1.1\ndepth 2 50 -1", 1, {2}, true},
        {"negative count", "10 2 50 -1 50.1 -1.1\n20 -5 50 -1", 1, {2}, true},
        {"huge count", "10 2000000000 50 -1 50.1 -1.1", 1, {2}, false},
        {"count beyond int", "10 99999999999999999999 50 -1", 0, {}, true},
        {"point not a number", "10 3 50 -1 north -1.1 50.2 -1.2\n20 1 50 -1", 1, {1}, true},
        {"cut short by the end", "10 3 50 -1 50.1", 1, {1}, false},
    };
    for (const Case& c : cases) {
        map.FreeMapFeatures();
        messages.clear();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(map.ReadAscMapFile(Write("bad.asc", c.text)), c.headers) << c.legend;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.legend;
        EXPECT_EQ(PointCounts(map), c.points) << c.legend;
        EXPECT_EQ(!messages.isEmpty(), c.reported) << c.legend << messages.join('\n').toStdString();
        if (c.reported) {
            EXPECT_TRUE(messages.first().startsWith("ReadAscMapFile() Error: ")) << c.legend;
        }
    }
}

TEST_F(MapFilesTest, MissingFilesAreReported)
{
    EXPECT_EQ(map.LoadMapFile(dir.filePath("none.asc")), 0);
    EXPECT_EQ(map.ReadMapMapFile(dir.filePath("none.map")), 0);
    EXPECT_EQ(messages, (QStringList{"ReadAscMapFile() Error: Cannot open file " + dir.filePath("none.asc"),
                                     "ReadMapMapFile() Error: Cannot open file " + dir.filePath("none.map")}));
}

TEST_F(MapFilesTest, ProgressEveryHundredFeatures)
{
    QByteArray text;
    for (int i = 0; i < 250; ++i)
        text += "50 -1\nx\n";
    map.LoadMapFile(Write("long.map", text));
    EXPECT_EQ(progress, (QStringList{"Reading map file long.map Feature: 1", "Reading map file long.map Feature: 100",
                                     "Reading map file long.map Feature: 200", QString()}));
}

TEST_F(MapFilesTest, ClickColours)
{
    const QColor green(0, 255, 0);
    struct Case {
        const char* legend;
        QByteArray bytes;
        QColor first, second, last;
    };
    QByteArray full;
    for (int i = 0; i <= ClickColourCount; ++i)
        full += QByteArray::fromHex(QByteArray::number(i, 16).rightJustified(2, '0') + "204000");
    const Case cases[] = {
        // Entry 0 is read and not used; 8 bytes give colour 1 only.
        {"short",
         QByteArray::fromHex("ffffff00"
                             "0a141e00"),
         QColor(10, 20, 30), green, green},
        {"full", full, QColor(1, 32, 64), QColor(2, 32, 64), QColor(12, 32, 64)},
        {"empty", QByteArray(), green, green, green},
    };
    for (const Case& c : cases) {
        const auto colours = LoadClickColours(Write("RTCOLS.DAT", c.bytes));
        EXPECT_EQ(colours[1], c.first) << c.legend;
        EXPECT_EQ(colours[2], c.second) << c.legend;
        EXPECT_EQ(colours[12], c.last) << c.legend;
    }
    EXPECT_TRUE(messages.isEmpty());

    const auto colours = LoadClickColours(dir.filePath("missing/RTCOLS.DAT"));
    EXPECT_EQ(colours[7], green);
    EXPECT_EQ(messages,
              QStringList{"Orvid: Unable to open sperm whale colour file: " + dir.filePath("missing/RTCOLS.DAT")});
}

} // namespace
