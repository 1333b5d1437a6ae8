#include "forms/ui/TUserFormHooks.h"

#include "forms/ExternalCounters.h"
#include "forms/UserPlotThing.h"
#include "forms/ui/TUserForm.h"
#include "nav/GpsFixList.h"
#include "shell/MainCommands.h"
#include "shell/MainWindowPorts.h"

namespace velmar::forms {

namespace {

std::vector<TUserForm*> tabWindows()
{
    std::vector<TUserForm*> out;
    for (TUserForm* w : TUserForm::AllWindows())
        if (w->Form()->FormKind == kTabForm)
            out.push_back(w);
    return out;
}

} // namespace

void LoadAllUserFormData()
{
    for (TUserForm* w : tabWindows()) {
        if (w->Form()->Hidden)
            continue;
        w->LoadShownData();
        w->ShowFirstRow();
    }
}

void ExportUserFormData(int tab)
{
    for (TUserForm* w : tabWindows())
        if (w->Form()->TabIndex == tab && tab >= 0) {
            w->Command(CM_USERFORM_DUMP);
            return;
        }
}

void BindUserFormWindows(shell::MainWindowHooks& hooks, shell::MainCommandHooks& commands,
                         nav::RecentEventDispatch::Ports& events)
{
    hooks.userFormsCanClose = [](QWidget* owner) { return TUserForm::CloseRecordWindowsForExit(owner); };
    commands.loadAllUserFormData = [] { LoadAllUserFormData(); };
    commands.exportUserFormData = [](QWidget*, int tab) { ExportUserFormData(tab); };
    commands.startUserFormCounters = [] { StartUserFormCounters(); };
    commands.clearShownData = [previous = commands.clearShownData] {
        if (previous)
            previous();
        ClearUserPlotThings();
    };
    events.purgeUserPlotThings = [](uint64_t ageMs) {
        return PurgeUserPlotThings(ageMs, nav::MonotonicMilliseconds());
    };
}

} // namespace velmar::forms
