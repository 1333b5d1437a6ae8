// TOmbrix: motion detection on the frames of the running graph. The frame
// tap copies every frame while the detector is on; the capture step hands
// the copy to the motion part (with its real row stride) and tells the host
// what it found.
#include "Ombrix.h"

namespace velmar::video {

void TOmbrix::setMotionDetector_Enabled(bool on)
{
    m_motion.detector().setEnabled(on);
    if (!m_settings.frozen.frozen || m_settings.frozen.frameGrabber == fg_Disabled)
        return;
    if (on && MotionPart::needsNewGraph(m_settings.frozen.rgbFormat) && m_graphActive) {
        RefreshPreview(QStringLiteral("MotionDetector_Enabled"));
        return;
    }
    m_motion.setRunning(on);
}

void TOmbrix::motionStep()
{
    const auto answer = m_motion.step(m_capture.current.image, m_capture.current.info);
    if (!answer || m_destroying)
        return;
    RecordingMotionStep(answer->found, answer->globalMotionRatio);
    const TFrameData data{m_capture.current.image, m_capture.current.info.frameNumber,
                          m_capture.current.info.frameTime};
    bool captureFrame = false;
    if (answer->found)
        emit OnMotionDetected(answer->globalMotionRatio, data, &captureFrame);
    else
        emit OnMotionNotDetected(data, &captureFrame);
}

} // namespace velmar::video
