// TOmbrix: motion detection on the frames of the running graph. The frame
// tap copies every frame while the detector is on; the capture step hands
// the copy to the detector (with its real row stride) and tells the host
// what it found.
#include "Ombrix.h"

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

void TOmbrix::setMotionDetector_Enabled(bool on)
{
    m_motionDetector.setEnabled(on);
    if (!m_frozen.frozen || m_frozen.frameGrabber == fg_Disabled)
        return;
    // The detector compares 24- or 32-bit frames only.
    const bool sixteenOrEightBits = m_frozen.rgbFormat == fgf_RGB565 || m_frozen.rgbFormat == fgf_RGB555
                                 || m_frozen.rgbFormat == fgf_RGB8;
    if (on && sixteenOrEightBits && m_graphActive) {
        RefreshPreview(QStringLiteral("MotionDetector_Enabled"));
        return;
    }
    m_motionOn = on;
}

void TOmbrix::motionStep()
{
    QImage& image = m_current.image;
    if (image.isNull())
        return;
    const qint64 time = m_current.info.frameTime;
    const qint64 interval = m_motionDetector.minimumInterval();
    const qint64 last = m_motionDetector.lastAnalysedTime();
    if (interval > 0 && last >= 0 && time < last + interval)
        return;
    MotionFrame frame;
    frame.bits = image.bits();
    frame.width = image.width();
    frame.height = image.height();
    frame.bytesPerLine = int(image.bytesPerLine());
    frame.bitsPerPixel = MotionDepth(image);
    frame.bottomUp = false;
    const bool found = m_motionDetector.analyse(frame, time);
    if (m_current.info.frameNumber < firstAnsweredFrame || m_destroying)
        return;
    RecordingMotionStep(found, m_motionDetector.globalMotionRatio());
    const TFrameData data{image, m_current.info.frameNumber, time};
    bool captureFrame = false;
    if (found)
        emit OnMotionDetected(m_motionDetector.globalMotionRatio(), data, &captureFrame);
    else
        emit OnMotionNotDetected(data, &captureFrame);
}

} // namespace velmar::video
