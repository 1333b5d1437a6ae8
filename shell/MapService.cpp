#include "shell/MapService.h"

#include "shell/ShellLog.h"

#include <QString>

namespace velmar::shell {

namespace {

class NoMapService final : public MapService {
public:
    QWidget* MakeMap(QWidget*) override
    {
        qCInfo(lcServices) << "map: no map window made (no map service)";
        return nullptr;
    }
    void LoadMapFile(const QString& path) override
    {
        qCInfo(lcServices).noquote() << "map: chart file" << path << "not read (no map service)";
    }
    void ReadStaticObjects() override { qCInfo(lcServices) << "map: no static objects read (no map service)"; }
    void BuildPlotMenu(QWidget*) override {}
    void ShowZoomStepSizeDialog(QWidget*) override
    {
        qCInfo(lcServices) << "map: no zoom step size form (no map service)";
    }
    bool ShowMenuStyleDialog(QWidget*) override
    {
        qCInfo(lcServices) << "map: no menu style form (no map service)";
        return false;
    }
    bool PrintMap(QWidget*, QPainter&, QPrinter&) override
    {
        qCInfo(lcServices) << "map: nothing printed (no map service)";
        return false;
    }
    void Redraw(bool, bool) override {}
    void ShowEmptyGpsData() override {}
    void NewGpsFix(const platform::SystemTime&) override {}
    void CheckTrack() override {}
    void PlotItem(qint64) override {}
};

} // namespace

MapService& NoMap()
{
    static NoMapService map;
    return map;
}

} // namespace velmar::shell
