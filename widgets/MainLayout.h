#pragma once
// Where the main window's children go: the clock strip at the top, the tab
// control with its page rectangle, the map, the save-reminder bars, the
// bottom status row and the traffic light; and tab navigation by the paging
// keys. Pure functions of the window's metrics, so they are tested without
// windows.
//
// Any thread. Rectangles are in the main window's client coordinates, the
// traffic light's in screen coordinates.
#include <QRect>

#include <optional>

namespace velmar::shell {

// Clock-strip option of the settings block (online logging only).
inline constexpr int TimesGmtOnly = 0;
inline constexpr int TimesAdjacentOption = 1;
inline constexpr int TimesOneAboveOther = 2;

// Detector display in force.
inline constexpr int DetectorsNotShown = 0;
inline constexpr int DetectorsDownLeftSide = 1;
inline constexpr int DetectorsOnTab = 2;

// Virtual keys the pre-filter passes on for tab navigation.
inline constexpr int VkPrior = 0x21; // page up
inline constexpr int VkNext = 0x22;  // page down

struct FontCells {
    int h = 0; // character height
    int w = 0; // average character width
    int ControlHeight() const { return h + 8; }
};

// Left margin: 8, or the detector panel's column + 8 when the panel runs down
// the left side.
int LeftMargin(int detectorDisplay, int detectorPanelWidth);

struct ClockStripGeometry {
    QRect label1;                  // 31010 "GMT:" / "Start:"
    QRect edit1;                   // 31012
    std::optional<QRect> label2;   // 31011 "Local:" / "End:"
    std::optional<QRect> edit2;    // 31013
    std::optional<QRect> startRun; // 31016, offline logging
    std::optional<QRect> stopRun;  // 31017
    QRect groupBox;                // "PC Time"
    QPoint topControlsOrigin;      // where the user forms' top strip starts
    int tabTop = 0;
};

// labelWidth: the widest clock label's text in the display font; the label
// column is never narrower than eight characters.
ClockStripGeometry LayoutClockStrip(unsigned runMode, int timesOption, int leftMargin, FontCells f, int labelWidth = 0);

struct MainLayoutInput {
    unsigned runMode = 1;
    FontCells font;
    int leftMargin = 8;
    int tabTop = 0; // from the clock strip
    QSize client;   // the main window's client area
    bool bottomControls = false;
    int tabRows = 1;
    int tabHeaderHeight = 0; // height of tab 0's header
    // Where the traffic light may sit, in screen coordinates: the free right
    // end of the main window's menu bar, where it hides nothing.
    QRect lightArea;
    int trafficLightWidth = 0; // as the light asks for TrafficLightHeight
};

inline constexpr int TrafficLightHeight = 18;

struct MainLayoutGeometry {
    QRect tabControl;
    QRect page; // where panels, recorders and decks go
    QRect map;
    QRect grabber;      // grabber forms (online logging)
    QRect firstWarning; // the user forms stack their reminder bars from here
    QRect trafficLight; // screen coordinates: right in lightArea, centred in its height
    // Bottom status row, online logging with the row shown.
    std::optional<QRect> nmea, mapDatum, power, cable;
};

MainLayoutGeometry LayoutMainWindow(const MainLayoutInput& in);

// A window of fixed size centred in the page; a deck is never placed left of
// or above the page's origin.
QRect CentreIn(const QRect& page, QSize size, bool keepInside);

// Tab navigation: the sub-tab of the selected user form moves first, the main
// tab only when the sub-tab cannot move. Selections clamp at both ends.
struct TabKeyResult {
    int mainTab;
    int subTab; // -1 when the form has no sub-tabs
    bool subMoved;
};
TabKeyResult EvaluateTabKey(int key, int mainTab, int mainCount, int subTab, int subCount);

} // namespace velmar::shell
