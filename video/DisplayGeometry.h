#pragma once
// Where the video lies in a display window, and how window positions map to
// video pixels. Pure functions; callable from any thread.
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

namespace velmar::video {

// Half-way values go to the even neighbour, as the design's rounding does.
qint64 RoundHalfEven(double value);

// The video size scaled by a zoom percentage (100 keeps it).
QSize ZoomedVideoSize(QSize source, int percent);

// The picture inside a window: with the aspect ratio kept, full width and a
// centred height when the window is relatively taller, else full height and
// a centred width; otherwise the whole window.
QRect PictureRect(QSize window, QSize source, bool keepAspectRatio);

// The area a full-screen window covers: its monitor, or the whole screen
// when that monitor does not exist.
QRect FullScreenRect(int monitor, const QList<QRect>& monitors, QRect wholeScreen);

// A position in the window to source video pixels; none outside the picture.
std::optional<QPoint> WindowToVideo(QPoint window, QRect picture, QSize source);

// Thins frame-time updates to one per interval of a free-running
// millisecond tick (which may wrap). Used on one thread.
class FrameTimeThinner {
public:
    static constexpr quint32 intervalMs = 66;
    // True when this update is taken.
    bool take(quint32 tickMs);

private:
    bool m_any = false;
    quint32 m_last = 0;
};

} // namespace velmar::video
