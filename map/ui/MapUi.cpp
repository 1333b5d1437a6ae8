#include "map/ui/MapUi.h"

#include "map/MapFiles.h"
#include "map/MapMessages.h"
#include "map/StaticObjects.h"
#include "map/ui/TMapPlot.h"
#include "nav/GpsFixList.h"
#include "nav/GpsPoller.h"
#include "nav/RecentLists.h"
#include "store/DbConnection.h"

#include <QPointer>

namespace velmar::map {

namespace {

QPointer<TMapWindow>& theWindow()
{
    static QPointer<TMapWindow> window;
    return window;
}

MapWindowSources& theSources()
{
    static MapWindowSources sources;
    return sources;
}

} // namespace

TMapWindow* TheMapWindow()
{
    return theWindow();
}

void BindMapWindow(MapWindowEntries entries, MapWindowSources sources)
{
    theSources() = std::move(sources);
    entries.buildPlotMenu = [](QWidget* map) {
        if (TMapWindow* window = FindMapWindow(map))
            window->BuildPlotMenu();
    };
    entries.mapCheckTrack = [] {
        if (TMapWindow* window = theWindow())
            window->CheckTrack();
    };
    entries.mapNewGpsFix = [](const platform::SystemTime& time) {
        if (TMapWindow* window = theWindow())
            window->NewGpsFix(time);
    };
    entries.detectionToMap = [](nav::DetectionKey key) {
        if (TMapWindow* window = theWindow())
            window->OnNewDetection(key);
    };
}

void BindMap(MapEntries entries, MapEnvironment environment)
{
    MapMessageHandlers handlers = mapMessageHandlers();
    handlers.progress = environment.progress;
    SetMapMessageHandlers(std::move(handlers));

    entries.makeMap = [runMode = environment.runMode](QWidget* parent) -> QWidget* {
        MapWindowSources sources = theSources();
        sources.plot.runMode = runMode;
        theWindow() = new TMapWindow(parent, std::move(sources));
        return theWindow();
    };
    entries.loadMapFile = [](const QString& path) {
        TheMapFeatures().LoadMapFile(path);
        if (TMapWindow* window = theWindow())
            window->Redraw(true, false);
    };
    entries.dbReadStaticObjects = [] { DbReadStaticObjects(store::DbOwnerWindow()); };
    entries.redrawMap = [](bool refit, bool reset) {
        if (TMapWindow* window = theWindow())
            window->Redraw(refit, reset);
    };
    entries.printMap = PrintMapPlot;

    if (environment.poller) {
        QObject::connect(environment.poller, &nav::GpsPoller::newFix, environment.poller,
                         [](const nav::GPSTHING* fix) {
                             if (TMapWindow* window = theWindow())
                                 window->OnNewFix(fix);
                         });
    }
}

} // namespace velmar::map
