#include "shell/NavigationService.h"

#include "shell/ShellLog.h"

namespace velmar::shell {

namespace {

class NoNavigationService final : public NavigationService {
public:
    void PollGps() override { qCInfo(lcServices) << "navigation: no GPS poll (no navigation service)"; }
    // The GPS timer's work: every second, so not logged.
    void PollGpsIfDue() override {}
};

} // namespace

NavigationService& NoNavigation()
{
    static NoNavigationService navigation;
    return navigation;
}

} // namespace velmar::shell
