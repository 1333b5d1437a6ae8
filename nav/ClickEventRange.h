#pragma once
// How the map places and colours a click-detector event.
// User-interface thread (reads the settings block).
#include "nav/DetectionRecords.h"

namespace velmar::nav {

// Nautical miles: the event's Mean Range, or when the detector gave none
// (-1) the default range of its species from the settings block (sperm
// whale for species 1, dolphin for any other).
float GetClickEventRange(const RCEventBase& event);

// Entries of the click colour table: Whale Ids 1 to 12 have colours of their
// own; 0 is the default colour.
inline constexpr int ClickColourCount = 12;
// The colour-table entry of the event's Whale Id; an id the table has no
// colour for draws in the default colour (0).
int GetClickEventColourIndex(const RCEventBase& event);

} // namespace velmar::nav
