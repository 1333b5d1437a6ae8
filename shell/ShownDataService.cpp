#include "shell/ShownDataService.h"

#include "shell/ShellLog.h"

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
