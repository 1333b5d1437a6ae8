#pragma once
// GStreamer caps as the component's format entries, and back.
#include "DeviceDescription.h"

typedef struct _GstCaps GstCaps;

namespace velmar::video {

// One entry per structure and format of the caps; sizes given as ranges
// keep their limits, fixed sizes have limits equal to the size.
QList<CapsEntry> CapsEntries(const GstCaps* caps);
QList<CapsEntry> CapsEntries(const QString& capsText);

} // namespace velmar::video
