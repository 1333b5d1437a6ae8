#pragma once
// Fixed things the survey designer puts on the map through the survey
// database: the table StaticObjects lists groups with their drawing style,
// and each group's points or lines are in a table of its own (made from the
// templates UDF_StaticPoints and UDF_StaticLines).
//
// Read once at start-up over the main connection; failures are shown through
// the data layer's message seam and reading goes on with the next row or
// group. User-interface thread only; the list lives for the run.
#include <QString>

#include <cstdint>
#include <vector>

class QObject;

namespace velmar::map {

inline constexpr int StaticPoints = 1;
inline constexpr int StaticLines = 2;
inline constexpr int StaticOther = 3;
// Drawing codes of a line item.
inline constexpr int StaticLineStart = 2;
inline constexpr int StaticLineContinue = 3;
// The command id of a group's menu item is this plus its place in the list.
inline constexpr int StaticMenuFirstId = 37000;
// Only this many groups keep their shown flag in the settings.
inline constexpr int StaticSavedGroups = 32;
inline constexpr int StaticTextWidth = 20;

struct StaticItem {
    float latitude = 0; // decimal degrees as stored
    float longitude = 0;
    int32_t code = 0; // points: the group's symbol; lines: StaticLineStart or StaticLineContinue
    int32_t lineColour = 0;
    int32_t fillColour = 0;
    int32_t size = 0;
    QString text;
    int32_t hAlign = -1;
    int32_t vAlign = -1;
};

struct StaticPointsGroup {
    bool shown = false;
    bool drawFirst = false;
    int32_t lineColour = 0;
    int32_t fillColour = 0;
    int32_t symbol = 0;
    int32_t size = 0;
    QString name;
    int32_t type = StaticOther;
    std::vector<StaticItem> items;
    int32_t index = 0;
};

// Reads the groups from the open database (none without one) and returns
// how many were made. owner owns the message boxes.
int DbReadStaticObjects(QObject* owner);
const std::vector<StaticPointsGroup>& StaticGroups();
// For a command id of a group's menu item: inverts its shown flag and keeps
// its bit of PlotStatics (first 32 groups); false for another id.
bool ToggleStaticGroup(int commandId);

} // namespace velmar::map
