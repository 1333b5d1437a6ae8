#include "map/MapFiles.h"

#include "map/MapLayers.h"
#include "map/MapMessages.h"
#include "map/MapView.h"

#include "platform/RecordIO.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace velmar::map {

namespace {

const QColor DefaultClickColour{0, 255, 0};
constexpr int ColourRecordBytes = 4;

// Numbers separated by white space, read the way the chart files were
// written: an optional sign, then an integer or a real. A read that fails
// consumes nothing, so the caller decides whether to skip or stop.
class MapTokenizer {
public:
    explicit MapTokenizer(const QByteArray& text) : m_p(text.constData()), m_end(text.constData() + text.size()) {}

    bool AtEnd()
    {
        SkipBlanks();
        return m_p >= m_end;
    }

    bool ReadInt(int& value) { return Read(value); }
    bool ReadReal(double& value)
    {
        if (!Read(value))
            return false;
        return std::isfinite(value);
    }
    void SkipOne()
    {
        if (m_p < m_end)
            ++m_p;
    }
    qint64 Offset(const QByteArray& text) const { return m_p - text.constData(); }

private:
    void SkipBlanks()
    {
        while (m_p < m_end
               && (*m_p == ' ' || *m_p == '\t' || *m_p == '\n' || *m_p == '\r' || *m_p == '\f' || *m_p == '\v'))
            ++m_p;
    }

    template <typename T>
    bool Read(T& value)
    {
        SkipBlanks();
        const char* start = m_p;
        if (start < m_end && *start == '+')
            ++start;
        // A second sign after "+" is no number.
        if (start != m_p && start < m_end && (*start == '-' || *start == '+'))
            return false;
        T parsed{};
        const auto [end, error] = std::from_chars(start, m_end, parsed);
        if (error != std::errc{})
            return false;
        value = parsed;
        m_p = end;
        return true;
    }

    const char* m_p;
    const char* m_end;
};

std::optional<QByteArray> ReadWholeFile(const QString& path, const char* caption)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        MapMessage(QStringLiteral("Cannot open file %1").arg(path), QString::fromLatin1(caption), store::DbIcon::Stop);
        return std::nullopt;
    }
    return file.readAll();
}

} // namespace

MapFeature& MapFeatures::NewFeature(int kind, int level)
{
    MapFeature& feature = m_features.emplace_back();
    feature.kind = kind;
    feature.level = level;
    if (!FindContourLevel(level) && m_levelsMade < MaxContourLevels) {
        const auto at = std::lower_bound(m_levels.begin(), m_levels.end(), level,
                                         [](const ContourFlag& f, int v) { return f.value < v; });
        m_levels.insert(at, ContourFlag{level, m_levelsMade++});
    }
    if (m_features.size() % ProgressEvery == 0)
        Progress();
    return feature;
}

void MapFeatures::Progress()
{
    MapProgress(QStringLiteral("Reading map file ") + m_fileName + QStringLiteral(" Feature: ")
                + QString::number(std::max<std::size_t>(m_features.size(), 1)));
}

int MapFeatures::ReadAscMapFile(const QString& path)
{
    static constexpr char Caption[] = "ReadAscMapFile() Error";
    const std::optional<QByteArray> text = ReadWholeFile(path, Caption);
    if (!text)
        return 0;
    MapTokenizer tokens(*text);
    // Reading ends at what cannot be read; what came before stays.
    const auto Unreadable = [&](const QString& what) {
        MapMessage(QStringLiteral("%1: no contour %2 at byte %3; the features before it are kept")
                       .arg(path, what)
                       .arg(tokens.Offset(*text)),
                   QString::fromLatin1(Caption), store::DbIcon::Stop);
    };
    int headers = 0;
    while (!tokens.AtEnd()) {
        int level = 0, count = 0;
        if (!tokens.ReadInt(level) || !tokens.ReadInt(count) || count < 0) {
            Unreadable(QStringLiteral("header"));
            break;
        }
        ++headers;
        MapFeature& feature = NewFeature(level == 0 ? FeatureContourZero : FeatureContour, level);
        bool bad = false;
        for (int i = 0; i < count && !tokens.AtEnd(); ++i) {
            double latitude = 0, longitude = 0;
            if (!tokens.ReadReal(latitude) || !tokens.ReadReal(longitude)) {
                // A group cut short by the end of the file keeps its points.
                bad = !tokens.AtEnd();
                break;
            }
            feature.points.push_back({float(latitude * MinutesPerDegree), float(longitude * MinutesPerDegree)});
        }
        if (bad) {
            Unreadable(QStringLiteral("point"));
            break;
        }
    }
    return headers;
}

int MapFeatures::ReadMapMapFile(const QString& path)
{
    const std::optional<QByteArray> text = ReadWholeFile(path, "ReadMapMapFile() Error");
    if (!text)
        return 0;
    MapTokenizer tokens(*text);
    MapFeature* feature = &NewFeature(FeatureCoast, 0);
    while (!tokens.AtEnd()) {
        double latitude = 0, longitude = 0;
        if (tokens.ReadReal(latitude) && tokens.ReadReal(longitude)) {
            feature->points.push_back({float(latitude * MinutesPerDegree), float(longitude * MinutesPerDegree)});
            continue;
        }
        // Anything that is not a number ends the polyline, one character at a time.
        tokens.SkipOne();
        feature = &NewFeature(FeatureCoast, 0);
    }
    return CountMapFeatures();
}

void MapFeatures::FreeMapFeatures()
{
    m_features.clear();
    m_levels.clear();
    m_levelsMade = 0;
    m_centre.reset();
}

void MapFeatures::ComputeCentre()
{
    bool any = false;
    double minLat = 0, maxLat = 0, minLon = 0, maxLon = 0;
    for (const MapFeature& f : m_features) {
        for (const MapPoint& p : f.points) {
            if (!any) {
                minLat = maxLat = p.latitude;
                minLon = maxLon = p.longitude;
                any = true;
            }
            minLat = std::min<double>(minLat, p.latitude);
            maxLat = std::max<double>(maxLat, p.latitude);
            minLon = std::min<double>(minLon, p.longitude);
            maxLon = std::max<double>(maxLon, p.longitude);
        }
    }
    if (any)
        m_centre = QPointF((minLon + maxLon) / 2, (minLat + maxLat) / 2);
    else
        m_centre.reset();
}

int MapFeatures::LoadMapFile(const QString& path)
{
    if (path == m_lastPath)
        return CountMapFeatures();
    m_lastPath = path;
    FreeMapFeatures();
    m_fileName = QFileInfo(path).fileName();
    Progress();
    int result = 0;
    if (path.endsWith(QStringLiteral(".asc"), Qt::CaseInsensitive))
        result = ReadAscMapFile(path);
    else if (path.endsWith(QStringLiteral(".map"), Qt::CaseInsensitive))
        result = ReadMapMapFile(path);
    ComputeCentre();
    if (mapMessageHandlers().mapFileLoaded)
        mapMessageHandlers().mapFileLoaded();
    MapProgress(QString());
    return result;
}

const ContourFlag* MapFeatures::FindContourLevel(int value) const
{
    for (const ContourFlag& f : m_levels)
        if (f.value == value)
            return &f;
    return nullptr;
}

std::optional<int> MapFeatures::LevelPosition(int value) const
{
    for (std::size_t i = 0; i < m_levels.size(); ++i)
        if (m_levels[i].value == value)
            return int(i);
    return std::nullopt;
}

bool MapFeatures::LevelShown(int value, const std::vector<bool>& showFlags) const
{
    const std::optional<int> at = LevelPosition(value);
    return at && *at < int(showFlags.size()) && showFlags[std::size_t(*at)];
}

std::optional<QPointF> MapFeatures::MapCentre() const
{
    return m_centre;
}

MapFeatures& TheMapFeatures()
{
    static MapFeatures features;
    return features;
}

std::array<QColor, ClickColourCount + 1> LoadClickColours(const QString& path, const QString& fallback)
{
    std::array<QColor, ClickColourCount + 1> colours;
    colours.fill(DefaultClickColour);
    QFile file(path);
    bool opened = file.open(QIODevice::ReadOnly);
    if (!opened && !fallback.isEmpty()) {
        file.setFileName(fallback);
        opened = file.open(QIODevice::ReadOnly);
    }
    if (!opened) {
        MapMessage(QStringLiteral("Unable to open sperm whale colour file: %1").arg(path), QStringLiteral("Orvid"));
        return colours;
    }
    for (int i = 0; i <= ClickColourCount; ++i) {
        uint8_t bytes[ColourRecordBytes];
        const qint64 got = file.read(reinterpret_cast<char*>(bytes), ColourRecordBytes);
        if (got < 0) {
            MapMessage(QStringLiteral("Unable to read colour file"), QStringLiteral("Orvid"));
            break;
        }
        if (got < ColourRecordBytes)
            break;
        const uint32_t value = platform::loadLe<uint32_t>(bytes);
        colours[std::size_t(i)] = ColourFromValue(int32_t(value));
    }
    colours[0] = DefaultClickColour;
    return colours;
}

} // namespace velmar::map
