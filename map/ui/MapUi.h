#pragma once
// How the running program gets its map: what the map offers the main window
// (make the map, load the chart file, read the static objects, redraw, the
// plot menu, the fixes shown) and what the map needs of the program in
// return.
//
// User-interface thread only. The map widget made belongs to the parent the
// main window gives it.
#include "map/ui/TMapWindow.h"

#include <QString>

#include <functional>

class QWidget;

namespace velmar::nav {
class GpsPoller;
struct DetectionKey;
} // namespace velmar::nav

namespace velmar::map {

struct MapEnvironment {
    std::function<int()> runMode;
    // The modeless progress text of a long load; an empty text closes it.
    std::function<void(const QString& text)> progress;
    // The GPS poll: each new fix of data set 0 is drawn (the first one
    // fits the view to it).
    nav::GpsPoller* poller = nullptr;
};

// Keeps what the map window is made with; the map's messages go to the data
// layer's message seam. detectionToMap is set to pass the event dispatch's
// detections (message 1028) to the map window.
void BindMap(MapEnvironment environment, MapWindowSources sources,
             std::function<void(nav::DetectionKey key)>& detectionToMap);

// The running program's map window (made once, by the main window), and
// what the program asks of it. Each call on the window does nothing while
// there is none.
QWidget* MakeMapWindow(QWidget* parent);
TMapWindow* TheMapWindow();
// The chart file read, and the map drawn again.
void LoadMapFile(const QString& path);
// The static objects of the survey database read.
void ReadStaticObjects();
void RedrawMap(bool refit, bool reset);
// The plot menu of the map window of map.
void BuildPlotMenu(QWidget* map);
void CheckTrack();
void NewGpsFix(const platform::SystemTime& time);
// The GPS read-outs show no fix.
void ShowEmptyGpsData();

} // namespace velmar::map
