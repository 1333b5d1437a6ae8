#pragma once
// TImplMotionDetector: compares each analysed video frame with the one before,
// cell by cell of a grid laid over the picture, and tells whether anything
// moved and how much. Every component owns one.
//
// Frames are 24- or 32-bit BGR(x) pixel buffers with their own row stride
// (a 24-bit row of an odd width is padded), top-down or bottom-up. The
// current frame is changed in place by the grey-scale and noise steps.
//
// Threads: the analysis runs where frames arrive (the worker or a streaming
// thread); the grid and the settings are changed from the user-interface
// thread. One lock guards both, so a grid change never meets a running
// analysis. Every public method may be called from any thread.
#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QVector>

namespace velmar::video {

// One frame as the detector sees it; the pixels are not owned.
struct MotionFrame {
    uchar* bits = nullptr;
    int width = 0;
    int height = 0;        // rows; a negative value is taken by its size
    int bytesPerLine = 0;  // the row stride, padding included
    int bitsPerPixel = 24; // 24 or 32; anything else is not analysed
    bool bottomUp = true;  // the first row in memory is the bottom of the picture
};

class TImplMotionDetector {
public:
    static constexpr int maxLevel = 9;
    static constexpr int defaultGridCount = 10;
    static constexpr int defaultClickLevel = 5;
    static constexpr int lastBound = 2147483647;

    TImplMotionDetector();

    // Compares the frame with the previous one given, or with the frame of
    // the last call when none is given; true when motion was found. The
    // frame (after the grey-scale and noise steps) is kept as the next
    // call's previous frame and as the snapshot the grid dialog shows.
    bool analyse(MotionFrame& current, qint64 time);
    bool analyse(const MotionFrame* previous, MotionFrame& current, qint64 time);

    // --- grid ---
    QString grid() const;
    // Stores a valid text (extra characters after the grid are kept); an
    // invalid one only clears isGridValid.
    void setGrid(const QString& text);
    bool isGridValid() const;
    int gridXCount() const;
    int gridYCount() const;
    bool setGridSize(int xCount, int yCount);
    bool setCellSensitivity(int x, int y, int level);
    bool getCellSensitivity(int x, int y, int& level) const;
    double cellMotionRatio(int x, int y) const;
    double globalMotionRatio() const;
    void globallyIncOrDecSensitivity(int step);
    void resetGlobalSensitivity(int level);
    void reset();
    QString get2DTextGrid() const;
    QString get2DTextMotion() const;
    // The rounded mean of the cells that are on, 5 when every cell is off.
    int meanSensitivity() const;

    // --- settings ---
    bool enabled() const;
    void setEnabled(bool on);
    int clickLevel() const;
    void setClickLevel(int level);
    bool compareRed() const;
    void setCompareRed(bool on);
    bool compareGreen() const;
    void setCompareGreen(bool on);
    bool compareBlue() const;
    void setCompareBlue(bool on);
    bool greyScale() const;
    void setGreyScale(bool on);
    bool reduceVideoNoise() const;
    void setReduceVideoNoise(bool on);
    int reduceCPULoad() const;
    bool setReduceCPULoad(int pixelStep);
    double maxDetectionsPerSecond() const;
    bool setMaxDetectionsPerSecond(double rate);
    // In 100-ns units; 0 when every frame may be analysed.
    qint64 minimumInterval() const;
    qint64 lastAnalysedTime() const;

    // The last analysed frame, rows top-down without padding, 3 or 4 bytes
    // per pixel (BGR order); empty before the first frame.
    struct Snapshot {
        QByteArray pixels;
        int width = 0;
        int height = 0;
        int bytesPerPixel = 3;
    };
    Snapshot snapshot() const;

private:
    int index(int x, int y) const { return x * m_gridY + y; }
    void setCell(int x, int y, int level);
    void rebuildGridText();
    void computeBounds(int width, int height);
    void prepareFrame(MotionFrame& frame) const;
    void keepPrevious(const MotionFrame& frame);
    bool analyseLocked(const MotionFrame* previous, MotionFrame& current, qint64 time);

    mutable QMutex m_lock;
    bool m_enabled = false;
    int m_clickLevel = defaultClickLevel;
    bool m_skipNextResult = true;
    bool m_compareBlue = true;
    bool m_compareGreen = true;
    bool m_greyScale = false;
    bool m_compareRed = true;
    QString m_gridText;
    int m_gridX = defaultGridCount;
    int m_gridY = defaultGridCount;
    QVector<int> m_sensitivity;
    QVector<int> m_motionCount;
    QVector<int> m_comparedCount;
    QVector<int> m_threshold;
    QVector<int> m_xBounds;
    QVector<int> m_yBounds;
    double m_cellWidth = 0;
    double m_cellHeight = 0;
    bool m_gridValid = true;
    qint64 m_lastAnalysedTime = -1;
    double m_maxDetectionsPerSecond = 0;
    qint64 m_minimumInterval = 0;
    double m_globalMotionRatio = 0;
    int m_pixelStep = 1;
    bool m_reduceNoise = false;
    bool m_restartAnalysis = true;
    int m_bytesPerPixel = 3;
    bool m_boundsValid = false;
    int m_frameWidth = 0;
    int m_frameHeight = 0;

    // The previous frame, copied with its stride and orientation.
    QByteArray m_previous;
    MotionFrame m_previousFrame;
};

} // namespace velmar::video
