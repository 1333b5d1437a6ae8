#include "MotionDetector.h"

#include <QMutexLocker>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace velmar::video {

namespace {
constexpr int colourBytes = 3;
constexpr int thresholdBase = 256;
constexpr int thresholdPerLevel = 56;
constexpr double ratioScale = 10000.0;
constexpr double unitsPerSecond = 10000000.0;
const QLatin1String lineEnd("\r\n");

// Halves to even, as every rounding of the detector.
double roundEven(double v)
{
    return std::nearbyint(v);
}

int thresholdOf(int level)
{
    return thresholdBase - ((level * thresholdPerLevel) >> 1);
}

int rowsOf(const MotionFrame& f)
{
    return std::abs(f.height);
}

// The row y counted from the top of the picture.
uchar* rowAt(const MotionFrame& f, int y)
{
    const int row = f.bottomUp ? rowsOf(f) - 1 - y : y;
    return f.bits + qsizetype(row) * f.bytesPerLine;
}

bool depthKnown(int bitsPerPixel)
{
    return bitsPerPixel == 24 || bitsPerPixel == 32;
}
} // namespace

TImplMotionDetector::TImplMotionDetector()
{
    const int cells = m_gridX * m_gridY;
    m_sensitivity.fill(defaultClickLevel, cells);
    m_threshold.fill(thresholdOf(defaultClickLevel), cells);
    m_motionCount.fill(0, cells);
    m_comparedCount.fill(0, cells);
    m_xBounds.fill(0, m_gridX);
    m_yBounds.fill(0, m_gridY);
    // The text the component starts with: every group followed by a blank.
    for (int y = 0; y < m_gridY; ++y)
        m_gridText += QString(m_gridX, QLatin1Char('5')) + QLatin1Char(' ');
}

// ------------------------------------------------------------------ analysis

bool TImplMotionDetector::analyse(MotionFrame& current, qint64 time)
{
    QMutexLocker locker(&m_lock);
    const MotionFrame* previous = m_previous.isEmpty() ? nullptr : &m_previousFrame;
    const bool found = analyseLocked(previous, current, time);
    keepPrevious(current);
    return found;
}

bool TImplMotionDetector::analyse(const MotionFrame* previous, MotionFrame& current, qint64 time)
{
    QMutexLocker locker(&m_lock);
    const bool found = analyseLocked(previous, current, time);
    keepPrevious(current);
    return found;
}

void TImplMotionDetector::keepPrevious(const MotionFrame& frame)
{
    if (!m_enabled || !frame.bits || !depthKnown(frame.bitsPerPixel)) {
        m_previous.clear();
        return;
    }
    const qsizetype size = qsizetype(rowsOf(frame)) * frame.bytesPerLine;
    if (m_previous.data() != reinterpret_cast<const char*>(frame.bits))
        m_previous = QByteArray(reinterpret_cast<const char*>(frame.bits), size);
    m_previousFrame = frame;
    m_previousFrame.bits = reinterpret_cast<uchar*>(m_previous.data());
}

bool TImplMotionDetector::analyseLocked(const MotionFrame* previous, MotionFrame& current, qint64 time)
{
    m_globalMotionRatio = 0;
    if (!m_enabled || !current.bits)
        return false;
    if (!depthKnown(current.bitsPerPixel)) {
        m_restartAnalysis = true;
        return false;
    }
    const int width = current.width;
    const int height = rowsOf(current);
    // A previous frame of another size or depth cannot be compared pixel by pixel.
    if (!previous || !previous->bits || previous->width != width || rowsOf(*previous) != height
        || previous->bitsPerPixel != current.bitsPerPixel || current.bitsPerPixel != m_bytesPerPixel * 8)
        m_restartAnalysis = true;

    if (m_restartAnalysis) {
        m_lastAnalysedTime = -1;
        m_restartAnalysis = false;
        m_bytesPerPixel = current.bitsPerPixel / 8;
        prepareFrame(current);
        computeBounds(width, height);
        return false;
    }
    if (!m_boundsValid)
        return false;

    m_lastAnalysedTime = time;
    prepareFrame(current);
    m_motionCount.fill(0);
    m_comparedCount.fill(0);
    qint64 motionTotal = 0;
    qint64 comparedTotal = 0;
    const int step = m_pixelStep;
    const int bpp = m_bytesPerPixel;
    int cy = 0;
    for (int y = 0; y < height; y += step) {
        // A pixel step wider than a cell moves over more than one bound.
        while (cy < m_gridY - 1 && m_yBounds[cy] < y)
            ++cy;
        const uchar* cur = rowAt(current, y);
        const uchar* prev = rowAt(*previous, y);
        int cx = 0;
        for (int x = 0; x < width; x += step) {
            while (cx < m_gridX - 1 && m_xBounds[cx] < x)
                ++cx;
            const int i = index(cx, cy);
            if (m_sensitivity[i] > 0) {
                ++m_comparedCount[i];
                const uchar* c = cur + x * bpp;
                const uchar* p = prev + x * bpp;
                const int t = m_threshold[i];
                const auto differs = [&](int b) { return std::abs(int(c[b]) - int(p[b])) > t; };
                const bool changed = m_greyScale ? differs(0)
                                                 : (m_compareBlue && differs(0)) || (m_compareGreen && differs(1))
                                                       || (m_compareRed && differs(2));
                if (changed)
                    ++m_motionCount[i];
            }
            // Each sampled pixel weighs its cell's counts so far.
            comparedTotal += m_comparedCount[i];
            motionTotal += m_motionCount[i];
        }
    }
    if (m_skipNextResult) {
        m_skipNextResult = false;
        return false;
    }
    if (motionTotal > 0) {
        m_globalMotionRatio = double(motionTotal) / double(comparedTotal);
        return true;
    }
    return false;
}

void TImplMotionDetector::prepareFrame(MotionFrame& frame) const
{
    const int width = frame.width;
    const int height = rowsOf(frame);
    const int bpp = frame.bitsPerPixel / 8;
    if (m_greyScale) {
        for (int y = 0; y < height; y += m_pixelStep) {
            uchar* row = rowAt(frame, y);
            for (int x = 0; x < width; x += m_pixelStep) {
                uchar* p = row + x * bpp;
                const uchar grey = uchar((p[0] + p[1] + p[2]) / 3);
                p[0] = p[1] = p[2] = grey;
            }
        }
    }
    if (m_reduceNoise && height >= 3 && width >= 3) {
        const qsizetype size = qsizetype(height) * frame.bytesPerLine;
        const QByteArray copy(reinterpret_cast<const char*>(frame.bits), size);
        const auto* src = reinterpret_cast<const uchar*>(copy.constData());
        for (int r = 0; r < height; ++r) {
            const uchar* own = src + qsizetype(r) * frame.bytesPerLine;
            const uchar* below = r > 0 ? own - frame.bytesPerLine : nullptr;
            const uchar* above = r < height - 1 ? own + frame.bytesPerLine : nullptr;
            uchar* out = frame.bits + qsizetype(r) * frame.bytesPerLine;
            for (int x = 0; x < width; ++x) {
                for (int b = 0; b < colourBytes; ++b) {
                    const int o = x * bpp + b;
                    out[o] = uchar(((below ? below[o] : 0) + own[o] + (above ? above[o] : 0)) / 3);
                }
            }
        }
    }
}

void TImplMotionDetector::computeBounds(int width, int height)
{
    m_frameWidth = width;
    m_frameHeight = height;
    if (width <= 0 || height <= 0) {
        m_boundsValid = false;
        return;
    }
    m_cellWidth = double(width) / m_gridX;
    m_cellHeight = double(height) / m_gridY;
    m_xBounds.resize(m_gridX);
    m_yBounds.resize(m_gridY);
    for (int i = 0; i < m_gridX - 1; ++i)
        m_xBounds[i] = int(roundEven((i + 1) * m_cellWidth));
    m_xBounds[m_gridX - 1] = lastBound;
    for (int i = 0; i < m_gridY - 1; ++i)
        m_yBounds[i] = int(roundEven((i + 1) * m_cellHeight));
    m_yBounds[m_gridY - 1] = lastBound;
    m_boundsValid = true;
}

TImplMotionDetector::Snapshot TImplMotionDetector::snapshot() const
{
    QMutexLocker locker(&m_lock);
    Snapshot s;
    if (m_previous.isEmpty())
        return s;
    const MotionFrame& f = m_previousFrame;
    s.width = f.width;
    s.height = rowsOf(f);
    s.bytesPerPixel = f.bitsPerPixel / 8;
    const int rowBytes = s.width * s.bytesPerPixel;
    s.pixels.resize(qsizetype(rowBytes) * s.height);
    for (int y = 0; y < s.height; ++y)
        std::memcpy(s.pixels.data() + qsizetype(y) * rowBytes, rowAt(f, y), size_t(rowBytes));
    return s;
}

// ---------------------------------------------------------------------- grid

void TImplMotionDetector::setCell(int x, int y, int level)
{
    m_sensitivity[index(x, y)] = level;
    m_threshold[index(x, y)] = thresholdOf(level);
}

void TImplMotionDetector::rebuildGridText()
{
    QString text;
    text.reserve(m_gridY * (m_gridX + 1));
    for (int y = 0; y < m_gridY; ++y) {
        if (y > 0)
            text += QLatin1Char(' ');
        for (int x = 0; x < m_gridX; ++x)
            text += QChar(QLatin1Char('0' + m_sensitivity[index(x, y)]));
    }
    m_gridText = text;
}

QString TImplMotionDetector::grid() const
{
    QMutexLocker locker(&m_lock);
    return m_gridText;
}

void TImplMotionDetector::setGrid(const QString& text)
{
    QMutexLocker locker(&m_lock);
    const int length = m_gridY * (m_gridX + 1) - 1;
    const QString head = text.left(length).trimmed();
    bool valid = head.size() == length;
    for (int y = 0; valid && y < m_gridY; ++y) {
        const int start = y * (m_gridX + 1);
        for (int x = 0; valid && x < m_gridX; ++x)
            valid = head[start + x] >= QLatin1Char('0') && head[start + x] <= QLatin1Char('9');
        if (valid && y < m_gridY - 1)
            valid = head[start + m_gridX] == QLatin1Char(' ');
    }
    m_gridValid = valid;
    if (!valid || text == m_gridText)
        return;
    m_gridText = text;
    for (int y = 0; y < m_gridY; ++y)
        for (int x = 0; x < m_gridX; ++x)
            setCell(x, y, head[y * (m_gridX + 1) + x].unicode() - '0');
}

bool TImplMotionDetector::isGridValid() const
{
    QMutexLocker locker(&m_lock);
    return m_gridValid;
}

int TImplMotionDetector::gridXCount() const
{
    QMutexLocker locker(&m_lock);
    return m_gridX;
}

int TImplMotionDetector::gridYCount() const
{
    QMutexLocker locker(&m_lock);
    return m_gridY;
}

bool TImplMotionDetector::setGridSize(int xCount, int yCount)
{
    QMutexLocker locker(&m_lock);
    if (xCount <= 0 || yCount <= 0)
        return false;
    if (xCount == m_gridX && yCount == m_gridY)
        return true;
    m_gridX = xCount;
    m_gridY = yCount;
    const int cells = xCount * yCount;
    m_sensitivity.fill(m_clickLevel, cells);
    m_threshold.fill(thresholdOf(m_clickLevel), cells);
    m_motionCount.fill(0, cells);
    m_comparedCount.fill(0, cells);
    rebuildGridText();
    m_skipNextResult = true;
    // New cells need their bounds before the next frame is analysed.
    if (m_boundsValid)
        computeBounds(m_frameWidth, m_frameHeight);
    else {
        m_xBounds.fill(0, m_gridX);
        m_yBounds.fill(0, m_gridY);
    }
    return true;
}

bool TImplMotionDetector::setCellSensitivity(int x, int y, int level)
{
    QMutexLocker locker(&m_lock);
    if (x < 0 || x >= m_gridX || y < 0 || y >= m_gridY || level < 0 || level > maxLevel)
        return false;
    setCell(x, y, level);
    rebuildGridText();
    m_gridValid = true;
    return true;
}

bool TImplMotionDetector::getCellSensitivity(int x, int y, int& level) const
{
    QMutexLocker locker(&m_lock);
    if (x < 0 || x >= m_gridX || y < 0 || y >= m_gridY)
        return false;
    level = m_sensitivity[index(x, y)];
    return true;
}

double TImplMotionDetector::cellMotionRatio(int x, int y) const
{
    QMutexLocker locker(&m_lock);
    if (x < 0 || x >= m_gridX || y < 0 || y >= m_gridY)
        return -1;
    const int motion = m_motionCount[index(x, y)];
    if (motion <= 0)
        return 0;
    return roundEven(double(motion) / m_comparedCount[index(x, y)] * ratioScale) / ratioScale;
}

double TImplMotionDetector::globalMotionRatio() const
{
    QMutexLocker locker(&m_lock);
    return m_globalMotionRatio;
}

void TImplMotionDetector::globallyIncOrDecSensitivity(int step)
{
    QMutexLocker locker(&m_lock);
    for (int x = 0; x < m_gridX; ++x) {
        for (int y = 0; y < m_gridY; ++y) {
            int s = m_sensitivity[index(x, y)];
            if (s <= 0)
                continue;
            if ((step < 0 && s > 1) || (step > 0 && s < maxLevel))
                s += step;
            if (s < 0 || s > maxLevel)
                s = 0;
            setCell(x, y, s);
        }
    }
    rebuildGridText();
}

void TImplMotionDetector::resetGlobalSensitivity(int level)
{
    QMutexLocker locker(&m_lock);
    if (level < 0 || level > maxLevel)
        return;
    for (int x = 0; x < m_gridX; ++x)
        for (int y = 0; y < m_gridY; ++y)
            setCell(x, y, level);
    rebuildGridText();
}

void TImplMotionDetector::reset()
{
    QMutexLocker locker(&m_lock);
    m_restartAnalysis = true;
}

QString TImplMotionDetector::get2DTextGrid() const
{
    QMutexLocker locker(&m_lock);
    QString out;
    for (int y = 0; y < m_gridY; ++y) {
        QString line;
        for (const QChar c : m_gridText.mid(y * (m_gridX + 1), m_gridX))
            line += c == QLatin1Char('0') ? QStringLiteral(". ") : QString(c) + QLatin1Char(' ');
        out += line.trimmed() + lineEnd;
    }
    return out;
}

QString TImplMotionDetector::get2DTextMotion() const
{
    QString out;
    const int xs = gridXCount();
    const int ys = gridYCount();
    for (int y = 0; y < ys; ++y) {
        for (int x = 0; x < xs; ++x) {
            const double ratio = cellMotionRatio(x, y);
            out += ratio > 0 ? QString::number(std::min(maxLevel, int(roundEven(ratio * 10)))) + QLatin1Char(' ')
                             : QStringLiteral(". ");
        }
        out += lineEnd;
    }
    return out;
}

int TImplMotionDetector::meanSensitivity() const
{
    QMutexLocker locker(&m_lock);
    int sum = 0;
    int on = 0;
    for (const int s : m_sensitivity) {
        if (s != 0) {
            sum += s;
            ++on;
        }
    }
    return on == 0 ? defaultClickLevel : int(roundEven(double(sum) / on));
}

// ------------------------------------------------------------------ settings

#define VELMAR_LOCKED_GET(type, name, field)                                                                           \
    type TImplMotionDetector::name() const                                                                             \
    {                                                                                                                  \
        QMutexLocker locker(&m_lock);                                                                                  \
        return field;                                                                                                  \
    }
VELMAR_LOCKED_GET(bool, enabled, m_enabled)
VELMAR_LOCKED_GET(int, clickLevel, m_clickLevel)
VELMAR_LOCKED_GET(bool, compareRed, m_compareRed)
VELMAR_LOCKED_GET(bool, compareGreen, m_compareGreen)
VELMAR_LOCKED_GET(bool, compareBlue, m_compareBlue)
VELMAR_LOCKED_GET(bool, greyScale, m_greyScale)
VELMAR_LOCKED_GET(bool, reduceVideoNoise, m_reduceNoise)
VELMAR_LOCKED_GET(int, reduceCPULoad, m_pixelStep)
VELMAR_LOCKED_GET(double, maxDetectionsPerSecond, m_maxDetectionsPerSecond)
VELMAR_LOCKED_GET(qint64, minimumInterval, m_minimumInterval)
VELMAR_LOCKED_GET(qint64, lastAnalysedTime, m_lastAnalysedTime)
#undef VELMAR_LOCKED_GET

#define VELMAR_LOCKED_SET(name, field)                                                                                 \
    void TImplMotionDetector::name(bool on)                                                                            \
    {                                                                                                                  \
        QMutexLocker locker(&m_lock);                                                                                  \
        field = on;                                                                                                    \
    }
VELMAR_LOCKED_SET(setEnabled, m_enabled)
VELMAR_LOCKED_SET(setCompareRed, m_compareRed)
VELMAR_LOCKED_SET(setCompareGreen, m_compareGreen)
VELMAR_LOCKED_SET(setCompareBlue, m_compareBlue)
#undef VELMAR_LOCKED_SET

void TImplMotionDetector::setClickLevel(int level)
{
    QMutexLocker locker(&m_lock);
    if (level >= 0 && level <= maxLevel)
        m_clickLevel = level;
}

void TImplMotionDetector::setGreyScale(bool on)
{
    QMutexLocker locker(&m_lock);
    if (on != m_greyScale)
        m_skipNextResult = true;
    m_greyScale = on;
}

void TImplMotionDetector::setReduceVideoNoise(bool on)
{
    QMutexLocker locker(&m_lock);
    if (on != m_reduceNoise)
        m_skipNextResult = true;
    m_reduceNoise = on;
}

bool TImplMotionDetector::setReduceCPULoad(int pixelStep)
{
    QMutexLocker locker(&m_lock);
    if (pixelStep < 1)
        return false;
    m_pixelStep = pixelStep;
    m_restartAnalysis = true;
    return true;
}

bool TImplMotionDetector::setMaxDetectionsPerSecond(double rate)
{
    QMutexLocker locker(&m_lock);
    if (rate < 0)
        return false;
    m_maxDetectionsPerSecond = rate;
    m_minimumInterval = rate == 0 ? 0 : qint64(roundEven(unitsPerSecond / rate));
    return true;
}

} // namespace velmar::video
