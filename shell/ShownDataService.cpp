#include "shell/ShownDataService.h"

#include <QLoggingCategory>

// "velmar.shell.services", the binding table's category (ServiceTable.cpp).
Q_DECLARE_LOGGING_CATEGORY(lcServices)

namespace velmar::shell {

namespace {

class NoShownDataService final : public ShownDataService {
public:
    void ClearShownData() override { qCInfo(lcServices) << "shown data: nothing cleared (no shown-data service)"; }
    int LoadAllGpsData() override
    {
        qCInfo(lcServices) << "shown data: no GPS fixes loaded (no shown-data service)";
        return 0;
    }
    void LoadEffortData(int source, std::vector<EffortPoint>&) override
    {
        qCInfo(lcServices) << "shown data: effort list" << source << "not read (no shown-data service)";
    }
};

} // namespace

ShownDataService& NoShownData()
{
    static NoShownDataService shown;
    return shown;
}

} // namespace velmar::shell
