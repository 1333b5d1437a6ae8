#pragma once
// How the running program gets its map: the main window's entries that the
// map fills (make the map, load the chart file, read the static objects,
// redraw, print) and what the map needs of the program in return.
//
// User-interface thread only. The map widget made belongs to the parent the
// main window gives it.
#include "map/ui/TMapWindow.h"

#include <QString>

#include <functional>

class QPainter;
class QPrinter;
class QWidget;

namespace velmar::nav {
class GpsPoller;
struct DetectionKey;
}

namespace velmar::map {

struct MapEntries {
    std::function<QWidget*(QWidget* parent)>& makeMap;
    std::function<void(const QString& mapFile)>& loadMapFile;
    std::function<void()>& dbReadStaticObjects;
    std::function<void(bool refit, bool reset)>& redrawMap;
    std::function<void(QWidget* map, QPainter& painter, QPrinter& printer)>& printMap;
};

struct MapEnvironment {
    std::function<int()> runMode;
    // The modeless progress text of a long load; an empty text closes it.
    std::function<void(const QString& text)> progress;
    // The GPS poll: each new fix of data set 0 is drawn (the first one
    // fits the view to it).
    nav::GpsPoller* poller = nullptr;
};

// Fills the entries; the map's messages go to the data layer's message seam.
void BindMap(MapEntries entries, MapEnvironment environment);

// What else waits for the map window: its plot menu after the map file is
// loaded, the track check (message 1063), the fix shown at a deck's time and
// the detections of the event dispatch (message 1028).
struct MapWindowEntries {
    std::function<void(QWidget* map)>& buildPlotMenu;
    std::function<void()>& mapCheckTrack;
    std::function<void(const platform::SystemTime& time)>& mapNewGpsFix;
    std::function<void(nav::DetectionKey key)>& detectionToMap;
};

// Fills those entries and keeps the sources the map window is made with
// (before the main window makes it).
void BindMapWindow(MapWindowEntries entries, MapWindowSources sources);

// The running program's map window, or null.
TMapWindow* TheMapWindow();

} // namespace velmar::map
