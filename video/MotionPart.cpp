#include "MotionPart.h"

namespace velmar::video {

namespace {
// The first frames of a graph carry no answer: the camera is still settling.
constexpr qint32 firstAnsweredFrame = 4;

int MotionDepth(const QImage& frame)
{
    switch (frame.format()) {
    case QImage::Format_RGB32: return 32;
    case QImage::Format_BGR888: return 24;
    default: return 0; // not analysed
    }
}
} // namespace

bool MotionPart::needsNewGraph(TFrameGrabberRGBFormat format)
{
    return format == fgf_RGB565 || format == fgf_RGB555 || format == fgf_RGB8;
}

std::optional<MotionPart::Answer> MotionPart::step(QImage& image, const TFrameInfo& info)
{
    if (image.isNull())
        return std::nullopt;
    const qint64 time = info.frameTime;
    const qint64 interval = m_detector.minimumInterval();
    const qint64 last = m_detector.lastAnalysedTime();
    if (interval > 0 && last >= 0 && time < last + interval)
        return std::nullopt;
    MotionFrame frame;
    frame.bits = image.bits();
    frame.width = image.width();
    frame.height = image.height();
    frame.bytesPerLine = int(image.bytesPerLine());
    frame.bitsPerPixel = MotionDepth(image);
    frame.bottomUp = false;
    const bool found = m_detector.analyse(frame, time);
    if (info.frameNumber < firstAnsweredFrame)
        return std::nullopt;
    return Answer{found, m_detector.globalMotionRatio()};
}

} // namespace velmar::video
