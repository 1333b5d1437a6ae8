#include "DisplayGeometry.h"

#include <cfenv>
#include <cmath>

namespace velmar::video {

qint64 RoundHalfEven(double value)
{
    const int mode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(value);
    std::fesetround(mode);
    return qint64(r);
}

QSize ZoomedVideoSize(QSize source, int percent)
{
    if (percent == 100)
        return source;
    return {int(RoundHalfEven(source.width() * percent / 100.0)),
            int(RoundHalfEven(source.height() * percent / 100.0))};
}

QRect PictureRect(QSize window, QSize source, bool keepAspectRatio)
{
    if (!keepAspectRatio || source.width() <= 0 || source.height() <= 0 || window.isEmpty())
        return QRect(QPoint(0, 0), window);
    // Compare width/height ratios by cross-multiplying to stay in integers.
    const qint64 windowByPicture = qint64(window.width()) * source.height();
    const qint64 pictureByWindow = qint64(source.width()) * window.height();
    if (windowByPicture < pictureByWindow) {
        const int h = int(RoundHalfEven(double(window.width()) * source.height() / source.width()));
        return {0, (window.height() - h) / 2, window.width(), h};
    }
    const int w = int(RoundHalfEven(double(window.height()) * source.width() / source.height()));
    return {(window.width() - w) / 2, 0, w, window.height()};
}

QRect FullScreenRect(int monitor, const QList<QRect>& monitors, QRect wholeScreen)
{
    if (monitor >= 0 && monitor < monitors.size())
        return monitors.at(monitor);
    return wholeScreen;
}

std::optional<QPoint> WindowToVideo(QPoint window, QRect picture, QSize source)
{
    const QPoint p = window - picture.topLeft();
    if (p.x() < 0 || p.y() < 0 || p.x() > picture.width() || p.y() > picture.height() || picture.isEmpty())
        return std::nullopt;
    return QPoint(int(RoundHalfEven(double(p.x()) * source.width() / picture.width())),
                  int(RoundHalfEven(double(p.y()) * source.height() / picture.height())));
}

bool FrameTimeThinner::take(quint32 tickMs)
{
    if (m_any && quint32(tickMs - m_last) <= intervalMs)
        return false;
    m_any = true;
    m_last = tickMs;
    return true;
}

} // namespace velmar::video
