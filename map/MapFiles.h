#pragma once
// The charts under the track: ".asc" contour files (groups of a level and a
// point count, then the points) and ".map" coastline files (point pairs,
// polylines separated by anything that is not a number), read into features
// in file order with the list of contour levels; and the click colour file
// "RTCOLS.DAT" of the settings folder.
//
// Both readers go through one tokenizer that stops at the first token it
// cannot use and keeps what it read before; a count in a file never sizes an
// allocation, only points actually read are stored.
//
// User-interface thread only. TheMapFeatures() holds the program's chart for
// the run; its vectors are read by the plot while it paints.
#include <QColor>
#include <QPointF>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace velmar::map {

// Kinds of feature.
inline constexpr int FeatureCoast = 1;
inline constexpr int FeatureContourZero = 2;
inline constexpr int FeatureContour = 4;
// Levels beyond this many are refused; their features are never drawn.
inline constexpr int MaxContourLevels = 29;
// The progress text is shown again after this many features.
inline constexpr int ProgressEvery = 100;

struct MapPoint {
    float latitude = 0;  // minutes
    float longitude = 0; // minutes
};

struct MapFeature {
    int kind = FeatureCoast;
    int level = 0;
    std::vector<MapPoint> points;
};

struct ContourFlag {
    int value = 0;
    int creationIndex = 0; // 0 for the first level met in the file, ...
};

class MapFeatures {
public:
    // Reads the file named in the settings: the same path as last time reads
    // nothing and answers the features there are; ".asc" and ".map" in any
    // letter case choose the reader, anything else leaves the map empty.
    // Shows the progress text while it reads and tells the main window when
    // it is done. Returns the reader's count.
    int LoadMapFile(const QString& path);
    // Each returns the number of features read or made (0 when the file
    // cannot be opened, which is shown).
    int ReadAscMapFile(const QString& path);
    int ReadMapMapFile(const QString& path);
    void FreeMapFeatures();

    int CountMapFeatures() const { return int(m_features.size()); }
    const std::vector<MapFeature>& Features() const { return m_features; }
    // Ascending by value.
    const std::vector<ContourFlag>& Levels() const { return m_levels; }
    const ContourFlag* FindContourLevel(int value) const;
    // The level's place in the ascending order, none when it has no entry.
    std::optional<int> LevelPosition(int value) const;
    // The show flag at the level's position; a level without entry is not shown.
    bool LevelShown(int value, const std::vector<bool>& showFlags) const;
    // The middle of all points (latitude as y, longitude as x); none
    // without a point.
    std::optional<QPointF> MapCentre() const;
    const QString& LastPath() const { return m_lastPath; }

private:
    MapFeature& NewFeature(int kind, int level);
    void Progress();
    void ComputeCentre();

    std::vector<MapFeature> m_features;
    std::vector<ContourFlag> m_levels;
    int m_levelsMade = 0;
    std::optional<QPointF> m_centre;
    QString m_lastPath;
    QString m_fileName; // shown in the progress text
};

MapFeatures& TheMapFeatures();

// The click colour file's name in the settings folder.
inline constexpr const char* ClickColourFileName = "RTCOLS.DAT";
inline constexpr int ClickColourCount = 12;

// Colours 1 to 12 of the click events by Whale Id (entry 0 unused). Every
// entry not read from the file stays green. A settings folder without the
// file reads the fallback (the default file that ships with the suite); only
// when neither can be opened is that shown. A file that cannot be read is
// shown; a short file is not.
std::array<QColor, ClickColourCount + 1> LoadClickColours(const QString& path, const QString& fallback = {});

} // namespace velmar::map
