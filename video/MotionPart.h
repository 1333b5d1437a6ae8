#pragma once
// Motion detection on the frames of a running graph: the detector with its
// grid and sensitivities, the running graph's copy of its switch, and the
// step that analyses the capture step's frame and says what to tell the host.
//
// The switch and the settings on the user-interface thread; step on the
// thread of the capture step; running is read by the streaming thread.
#include "MotionDetector.h"
#include "OverlayTemplate.h"
#include "VideoTypes.h"

#include <QImage>
#include <atomic>
#include <optional>

namespace velmar::video {

class MotionPart {
public:
    TImplMotionDetector& detector() { return m_detector; }
    bool enabled() const { return m_detector.enabled(); }

    // The running graph hands every frame to the detector.
    bool running() const { return m_running; }
    void setRunning(bool on) { m_running = on; }
    // The detector compares 24- and 32-bit frames only: a graph grabbing
    // 16- or 8-bit frames is built again to switch it on.
    static bool needsNewGraph(TFrameGrabberRGBFormat format);

    struct Answer {
        bool found = false;
        double globalMotionRatio = 0.0;
    };
    // Analyses a frame unless it comes within the detector's minimum
    // interval of the last one analysed; no answer for the first frames of a
    // graph, while the camera settles.
    std::optional<Answer> step(QImage& image, const TFrameInfo& info);
    // A new graph's first frame starts the analysis again.
    void reset() { m_detector.reset(); }

private:
    TImplMotionDetector m_detector;
    std::atomic<bool> m_running{false};
};

} // namespace velmar::video
