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

void BindMap(MapEnvironment environment, MapWindowSources sources,
             std::function<void(nav::DetectionKey key)>& detectionToMap)
{
    MapMessageHandlers handlers = mapMessageHandlers();
    handlers.progress = environment.progress;
    SetMapMessageHandlers(std::move(handlers));

    sources.plot.runMode = environment.runMode;
    theSources() = std::move(sources);
    detectionToMap = [](nav::DetectionKey key) {
        if (TMapWindow* window = theWindow())
            window->OnNewDetection(key);
    };
    if (environment.poller) {
        QObject::connect(environment.poller, &nav::GpsPoller::newFix, environment.poller, [](const nav::GPSTHING* fix) {
            if (TMapWindow* window = theWindow())
                window->OnNewFix(fix);
        });
    }
}

QWidget* MakeMapWindow(QWidget* parent)
{
    theWindow() = new TMapWindow(parent, theSources());
    return theWindow();
}

void LoadMapFile(const QString& path)
{
    TheMapFeatures().LoadMapFile(path);
    RedrawMap(true, false);
}

void ReadStaticObjects()
{
    DbReadStaticObjects(store::DbOwnerWindow());
}

void RedrawMap(bool refit, bool reset)
{
    if (TMapWindow* window = theWindow())
        window->Redraw(refit, reset);
}

void BuildPlotMenu(QWidget* map)
{
    if (TMapWindow* window = FindMapWindow(map))
        window->BuildPlotMenu();
}

void CheckTrack()
{
    if (TMapWindow* window = theWindow())
        window->CheckTrack();
}

void NewGpsFix(const platform::SystemTime& time)
{
    if (TMapWindow* window = theWindow())
        window->NewGpsFix(time);
}

void ShowEmptyGpsData()
{
    if (TMapWindow* window = theWindow())
        window->ShowGpsData(nullptr);
}

} // namespace velmar::map
