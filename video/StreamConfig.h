#pragma once
// The caps a capture graph asks of its device for the chosen format, size and
// frame rate: first an exact capability ("video stream config 1"), then the
// device's format edited to the chosen size ("video stream config 2"), then
// the frame rate alone; with none of them the device keeps its own format.
//
// Pure logic over the device's format entries; any thread.
#include "DeviceDescription.h"

#include <QString>
#include <QStringList>

namespace velmar::video {

// A frame rate below 1 hundredth stands for 15 frames per second.
inline constexpr int defaultRateHundredths = 1500;

struct StreamChoice {
    int step = 0; // 1, 2, 3, or 0 when nothing could be set
    QString caps; // caps text for the device's capsfilter; empty for none
};

// The subtype to ask for: the entry at the index (0, the default entry, when
// the index is past the end); with the frame grabber on and the default
// entry, the first RGB format of the list. Empty for an empty list.
QString ChooseSubtype(const QStringList& subtypes, int index, bool frameGrabberOn);

// For step 1 and 2 the chosen size must be at least 1 x 1.
StreamChoice ChooseStreamCaps(const QList<CapsEntry>& formats, const QString& subtype, VideoSize size,
                              int rateHundredths);

// "30/1" style fraction of a rate in hundredths.
QString RateFraction(int rateHundredths);

} // namespace velmar::video
