#include "map/ui/MapUi.h"

#include "map/MapFiles.h"
#include "map/MapMessages.h"
#include "map/StaticObjects.h"
#include "map/ui/TMapPlot.h"
#include "nav/GpsFixList.h"
#include "nav/GpsPoller.h"
#include "store/DbConnection.h"

#include <QPointer>

namespace velmar::map {

namespace {

QPointer<TMapPlot>& thePlot()
{
    static QPointer<TMapPlot> plot;
    return plot;
}

} // namespace

void BindMap(MapEntries entries, MapEnvironment environment)
{
    MapMessageHandlers handlers = mapMessageHandlers();
    handlers.progress = environment.progress;
    SetMapMessageHandlers(std::move(handlers));

    entries.makeMap = [runMode = environment.runMode](QWidget* parent) -> QWidget* {
        MapPlotSources sources;
        sources.runMode = runMode;
        thePlot() = new TMapPlot(parent, nullptr, std::move(sources));
        return thePlot();
    };
    entries.loadMapFile = [](const QString& path) {
        TheMapFeatures().LoadMapFile(path);
        if (TMapPlot* plot = thePlot()) {
            plot->FitView();
            plot->update();
        }
    };
    entries.dbReadStaticObjects = [] { DbReadStaticObjects(store::DbOwnerWindow()); };
    entries.redrawMap = [](bool refit, bool reset) {
        TMapPlot* plot = thePlot();
        if (!plot)
            return;
        if (refit)
            plot->FitView();
        if (reset)
            plot->ResetDrawing();
        plot->update();
    };
    entries.printMap = PrintMapPlot;

    if (environment.poller) {
        QObject::connect(environment.poller, &nav::GpsPoller::newFix, environment.poller,
                         [](const nav::GPSTHING* fix) {
                             TMapPlot* plot = thePlot();
                             if (!plot)
                                 return;
                             if (fix && fix == nav::TheGpsFixList().First(0))
                                 plot->FitView();
                             plot->update();
                         });
    }
}

} // namespace velmar::map
