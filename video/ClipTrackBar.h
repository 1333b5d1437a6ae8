#pragma once
// The host's track bar of the clip player, seen from the component: the bar
// itself is a widget (video/ui).
#include <QtGlobal>

class QSlider;

namespace velmar::video {

class ClipTrackBar {
public:
    virtual ~ClipTrackBar() = default;
    // Frames 1 to frameCount at position while a clip is open, else 0.
    virtual void follow(bool open, qint64 frameCount, qint64 position) = 0;
    virtual QSlider* bar() const = 0;
};

} // namespace velmar::video
