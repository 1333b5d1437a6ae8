#include "shell/TUserFormHooks.h"

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

void LoadAllUserFormData(const UserFormLoadReport& report)
{
    for (TUserForm* w : tabWindows()) {
        if (w->Form()->Hidden)
            continue;
        if (report.statusText)
            report.statusText(QStringLiteral("Loading %1 data from database").arg(w->Form()->FormName));
        w->LoadShownData(report.progress);
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

bool RebuildEffortSegments()
{
    TUserFormInfo* form = FindEffortForm();
    if (form == nullptr)
        return false;
    form->EffortSegments.clear();
    for (TUserForm* w : TUserForm::AllWindows())
        if (w->Form() == form) {
            w->RebuildEffortSegments();
            break;
        }
    return true;
}

void BindUserFormWindows(shell::MainWindowHooks& hooks, shell::MainCommandHooks& commands,
                         nav::RecentEventDispatch::Ports& events, UserFormLoadReport report)
{
    hooks.userFormsCanClose = [](QWidget* owner) { return TUserForm::CloseRecordWindowsForExit(owner); };
    commands.loadAllUserFormData = [report] { LoadAllUserFormData(report); };
    commands.exportUserFormData = [](QWidget*, int tab) { ExportUserFormData(tab); };
    commands.startUserFormCounters = [] { StartUserFormCounters(); };
    commands.rebuildEffortSegments = [] { return RebuildEffortSegments(); };
    commands.effortFormLine = [] {
        // The shell keeps its own copy of the line in its own terms.
        static shell::EffortList line;
        line.clear();
        if (const TUserFormInfo* form = FindEffortForm())
            for (const EffortSegment& s : form->EffortSegments)
                line.push_back(shell::EffortPoint{s.gpsIndex, quint32(s.colour), s.state});
        return static_cast<const shell::EffortList*>(&line);
    };
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
