#pragma once
// The video processing of the preview: brightness, contrast, saturation and
// hue, grey scale and inverted colours, flips, turns and deinterlacing, and
// what each change asks of a running graph. Pure values; the component sets
// them on its graph's elements.
//
// User-interface thread.
#include "VideoTypes.h"

namespace velmar::video {

class PreviewProcessing {
public:
    int brightness = 0, contrast = 0, saturation = 0, hue = 0;
    bool grayScale = false, invertColors = false, flipHorizontal = false, flipVertical = false;
    TVideoRotation rotation = rt_0_deg;
    TVideoDeinterlacing deinterlacing = di_Disabled;

    // What a change asks of a running graph: nothing (refused or the same
    // value), new values on its elements, or a new graph after them.
    enum Change { Unchanged, Applied, NewGraph };
    // Half size keeps one field: the graph's height changes.
    Change setDeinterlacing(TVideoDeinterlacing d);
    // A quarter turn swaps width and height.
    Change setRotation(TVideoRotation r);

    // The frames must reach the frame grabber as RGB for any of these.
    bool needsRgb() const;

    // The video balance: brightness and hue from -1 to 1, contrast and
    // saturation from 0 (none) through 1 (as delivered) to 2 (double); the
    // values beyond -100 .. 100 are held at its ends.
    struct Balance {
        double brightness = 0.0, hue = 0.0, contrast = 1.0, saturation = 1.0;
    };
    Balance balance() const;
};

} // namespace velmar::video
