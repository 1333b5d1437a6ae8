#pragma once
// The map as the main window reaches it: the "Map" tab's window, its chart
// file and static objects, its plot menu and small settings forms, its
// drawing (redraw, print) and the fixes and items it is told of.
//
// User-interface thread only.
#include <QtGlobal>

class QPainter;
class QPrinter;
class QString;
class QWidget;

namespace velmar::platform {
struct SystemTime;
}

namespace velmar::shell {

class MapService {
public:
    virtual ~MapService() = default;
    // The map window, a child of parent; null when there is none.
    virtual QWidget* MakeMap(QWidget* parent) = 0;
    // The chart file read, and the map drawn again.
    virtual void LoadMapFile(const QString& path) = 0;
    // The static objects of the survey database read for the map.
    virtual void ReadStaticObjects() = 0;
    // The plot menu of a map MakeMap made, built again.
    virtual void BuildPlotMenu(QWidget* map) = 0;
    virtual void ShowZoomStepSizeDialog(QWidget* parent) = 0;
    // How look-up selections are offered; true when ended with OK.
    virtual bool ShowMenuStyleDialog(QWidget* parent) = 0;
    // The map drawn on a printer page; false when it drew nothing.
    virtual bool PrintMap(QWidget* map, QPainter& painter, QPrinter& printer) = 0;
    virtual void Redraw(bool refit, bool reset) = 0;
    // The map's GPS read-outs show no fix.
    virtual void ShowEmptyGpsData() = 0;
    // A deck shows a time: the fix then in effect becomes the ship's.
    virtual void NewGpsFix(const platform::SystemTime& time) = 0;
    // The chart file was loaded: without a fix the view is fitted again.
    virtual void CheckTrack() = 0;
    // A user form's new item (message 1072).
    virtual void PlotItem(qint64 item) = 0;
};

// The default: no map window, and nothing drawn.
MapService& NoMap();

} // namespace velmar::shell
