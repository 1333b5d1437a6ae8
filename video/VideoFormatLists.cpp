#include "VideoFormatLists.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace velmar::video {

namespace {
constexpr int defaultWidth = 320;
constexpr int defaultHeight = 240;
constexpr int largeDefaultSide = 400;
constexpr int widthWindowPercent = 20;
const QString defaultMark = QStringLiteral("   ");

const VideoSize analogStandardSizes[] = {
    {176, 144}, {320, 240}, {352, 240}, {352, 288}, {480, 288}, {480, 480},
    {640, 480}, {704, 480}, {704, 574}, {720, 480}, {720, 576},
};

struct DVRow {
    VideoSize pal;
    VideoSize ntsc;
};
constexpr DVRow dvSizes[] = {
    {{360, 288}, {360, 240}}, {{88, 72}, {88, 60}},     {{180, 144}, {180, 120}},
    {{360, 288}, {360, 240}}, {{720, 576}, {720, 480}},
};

bool textLess(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) < 0;
}

int64_t squaredDistance(VideoSize s, int width, int height)
{
    const int64_t dw = std::llabs(int64_t(s.width) - width);
    const int64_t dh = std::llabs(int64_t(s.height) - height);
    return dw * dw + dh * dh;
}
} // namespace

QString SizeText(int width, int height)
{
    QString text = QString::number(width) + QLatin1Char('x') + QString::number(height);
    if (width < 100)
        return QStringLiteral("  ") + text;
    if (width < 1000)
        return QLatin1Char(' ') + text;
    return text;
}

bool ParseSizeText(const QString& text, int& width, int& height)
{
    const int x = int(text.indexOf(QLatin1Char('x')));
    if (x < 1)
        return false;
    width = text.left(x).trimmed().toInt();
    height = text.mid(x + 1).trimmed().toInt();
    return width >= 1 && height >= 1;
}

bool TVideoSizeList::addText(const QString& text)
{
    const auto pos = std::lower_bound(m_entries.begin(), m_entries.end(), text, textLess);
    if (pos != m_entries.end() && pos->compare(text, Qt::CaseInsensitive) == 0)
        return false;
    m_entries.insert(pos, text);
    return true;
}

bool TVideoSizeList::addSize(int width, int height)
{
    if (width < 1 || height < 1)
        return false;
    const QString text = SizeText(width, height);
    if (m_entries.isEmpty())
        addText(defaultMark + text);
    return addText(text);
}

void TVideoSizeList::removeAt(int index)
{
    if (index >= 0 && index < m_entries.size())
        m_entries.removeAt(index);
}

bool TVideoSizeList::sizeAt(int index, VideoSize& size) const
{
    if (index < 0 || index >= m_entries.size())
        return false;
    return ParseSizeText(m_entries.at(index), size.width, size.height);
}

void TVideoSizeList::addWalkedSizes(VideoSize size, VideoSize minSize, VideoSize maxSize)
{
    // Halving and doubling as the capture drivers report their steps; the
    // walks are bounded explicitly because drivers report minimums of 0 and
    // maximums near the integer range.
    const auto halve = [](int v) { return int(unsigned(v) / 2u); };
    const auto canDouble = [](int v) { return v >= 1 && v <= INT_MAX / 2; };
    for (VideoSize start : {size, minSize, maxSize}) {
        if (start.width < start.height)
            start.height = halve(start.height);
        VideoSize s = start;
        for (int step = 0; step < maxWalkSteps && s.width >= minSize.width && s.width >= 1 && s.height >= 1; ++step) {
            addSize(s.width, s.height);
            s = {halve(s.width), halve(s.height)};
        }
        s = start;
        for (int step = 0; step < maxWalkSteps && s.height >= minSize.height && s.width >= 1 && s.height >= 1; ++step) {
            addSize(s.width, s.height);
            s = {halve(s.width), halve(s.height)};
        }
        s = start;
        for (int step = 0; step < maxWalkSteps && s.width <= maxSize.width && s.width >= 1 && s.height >= 1; ++step) {
            addSize(s.width, s.height);
            if (!canDouble(s.width) || !canDouble(s.height))
                break;
            s = {s.width * 2, s.height * 2};
        }
        s = start;
        for (int step = 0; step < maxWalkSteps && s.height <= maxSize.height && s.width >= 1 && s.height >= 1; ++step) {
            addSize(s.width, s.height);
            if (!canDouble(s.width) || !canDouble(s.height))
                break;
            s = {s.width * 2, s.height * 2};
        }
    }
}

void TVideoSizeList::addAnalogStandardSizes()
{
    for (const VideoSize& s : analogStandardSizes)
        addSize(s.width, s.height);
}

bool DVSizeOfIndex(int index, bool pal, VideoSize& size)
{
    if (index < 0 || index >= int(std::size(dvSizes)))
        return false;
    size = pal ? dvSizes[index].pal : dvSizes[index].ntsc;
    return true;
}

int DVDisplaySizeCode(const QString& sizeText)
{
    const QString t = sizeText.trimmed();
    if (t == QLatin1String("full"))
        return 1000;
    if (t == QLatin1String("quarter"))
        return 1002;
    if (t == QLatin1String("dc"))
        return 1003;
    return 1001;
}

bool SizeOfIndex(const SizeContext& c, int index, VideoSize& size)
{
    if (!c.sizes || c.sizes->count() == 0) {
        size = {defaultWidth, defaultHeight};
        return false;
    }
    if (index == -1) {
        index = c.videoSize;
        if (index < 0 || index >= c.sizes->count())
            index = 0;
        if (c.configuredSize.width >= 1 && c.configuredSize.height >= 1)
            index = NearestSizeIndex(*c.sizes, c.configuredSize.width, c.configuredSize.height, index);
    }
    if (c.isDV)
        return DVSizeOfIndex(index, c.isDVPal, size);
    return c.sizes->sizeAt(index, size);
}

int NearestSizeIndexByDistance(const TVideoSizeList& sizes, int width, int height, int currentIndex)
{
    if (sizes.count() <= 1)
        return currentIndex;
    int best = currentIndex;
    int64_t bestDistance = -1;
    for (int i = 1; i < sizes.count(); ++i) {
        VideoSize s;
        if (!sizes.sizeAt(i, s))
            continue;
        const int64_t d = squaredDistance(s, width, height);
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

int NearestSizeIndex(const TVideoSizeList& sizes, int width, int height, int currentIndex)
{
    if (sizes.count() <= 1)
        return currentIndex;
    struct Candidate {
        int index;
        int64_t distance;
        int width;
        double aspectDifference;
    };
    std::vector<Candidate> candidates;
    const double requestedAspect = height != 0 ? double(width) / height : 0.0;
    for (int i = 1; i < sizes.count(); ++i) {
        VideoSize s;
        if (!sizes.sizeAt(i, s))
            continue;
        candidates.push_back(
            {i, squaredDistance(s, width, height), s.width, std::fabs(requestedAspect - double(s.width) / s.height)});
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.distance < b.distance; });
    const int window = int(std::lround(width * widthWindowPercent / 100.0));
    std::erase_if(candidates, [&](const Candidate& c) { return std::abs(c.width - width) > window; });
    if (candidates.size() <= 1)
        return NearestSizeIndexByDistance(sizes, width, height, currentIndex);
    const auto best = std::min_element(
        candidates.begin(), candidates.end(),
        [](const Candidate& a, const Candidate& b) { return a.aspectDifference < b.aspectDifference; });
    return best->index;
}

bool TVideoSubtypeList::add(const QString& name)
{
    if (m_entries.contains(name))
        return false;
    m_entries << name;
    return true;
}

bool TVideoSubtypeList::nameAt(int index, QString& name) const
{
    if (index < 0 || index >= m_entries.size())
        return false;
    name = m_entries.at(index).trimmed();
    return true;
}

void FixDefaults(TVideoSizeList& sizes, TVideoSubtypeList& subtypes, DeviceFormatKind kind)
{
    if (subtypes.count() > 0)
        subtypes.entries().insert(0, subtypes.entries().first());

    const auto preferredIndex = [&] {
        int i = sizes.indexOf(QStringLiteral(" 352x288"));
        if (i < 0)
            i = sizes.indexOf(QStringLiteral(" 320x240"));
        return i;
    };

    if (kind == DeviceFormatKind::DV) {
        sizes.clear();
        for (const char* t : {"    half", "   dc", "  quarter", " half", "full"})
            sizes.addText(QString::fromLatin1(t));
        return;
    }
    if (kind == DeviceFormatKind::VfW) {
        if (sizes.count() > 1) {
            const int i = preferredIndex();
            if (i > 1)
                sizes.addText(defaultMark + sizes.entries().at(i).trimmed());
        }
        return;
    }
    VideoSize first;
    if (sizes.sizeAt(0, first) && (first.width > largeDefaultSide || first.height > largeDefaultSide)) {
        const int i = preferredIndex();
        if (i > 1) {
            const QString preferred = sizes.entries().at(i);
            sizes.removeAt(0);
            sizes.addText(defaultMark + preferred);
        }
    }
}

void SetMpegDeviceLists(TVideoSizeList& sizes, TVideoSubtypeList& subtypes)
{
    subtypes.clear();
    subtypes.add(QStringLiteral(" MPEG2"));
    subtypes.add(QStringLiteral("MPEG2"));
    sizes.clear();
    sizes.addText(QStringLiteral("  360x240"));
    for (const char* t :
         {" 320x240", " 352x240", " 352x288", " 360x240", " 640x480", " 704x480", " 720x480", " 720x576"})
        sizes.addText(QString::fromLatin1(t));
}

int IndexOfName(const QStringList& list, const QString& name)
{
    const QString n = name.trimmed().toUpper();
    if (n.isEmpty())
        return -1;
    std::function<bool(const QString&)> matches;
    if (n.size() > 2 && n.startsWith(QLatin1Char('*')) && n.endsWith(QLatin1Char('*'))) {
        const QString inner = n.mid(1, n.size() - 2);
        matches = [inner](const QString& e) { return e.contains(inner); };
    } else if (n.size() > 1 && n.startsWith(QLatin1Char('*'))) {
        const QString rest = n.mid(1);
        matches = [rest](const QString& e) { return e.endsWith(rest); };
    } else if (n.size() > 1 && n.endsWith(QLatin1Char('*'))) {
        const QString rest = n.left(n.size() - 1);
        matches = [rest](const QString& e) { return e.startsWith(rest); };
    } else {
        matches = [n](const QString& e) { return e == n; };
    }
    for (int i = 0; i < list.size(); ++i)
        if (matches(list.at(i).toUpper()))
            return i;
    return -1;
}

} // namespace velmar::video
