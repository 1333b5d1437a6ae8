#include "shell/TUserFormHooks.h"

#include "forms/ExternalCounters.h"
#include "forms/UserPlotThing.h"
#include "forms/UserFormDb.h"
#include "forms/UserFormDdeInput.h"
#include "forms/UserFormPlotMenu.h"
#include "forms/ui/TUserForm.h"
#include "forms/ui/TopControls.h"
#include "forms/ui/UserFormList.h"
#include "forms/ui/UserFormPlotMenus.h"
#include "forms/ui/UserFormWindowPort.h"
#include "nav/DetectorEventServer.h"
#include "nav/GpsFixList.h"
#include "shell/MainCommands.h"
#include "shell/MainWindowPorts.h"
#include "shell/ShellHooks.h"

#include <QTabBar>

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

void BindUserForms(shell::MainWindowHooks& hooks, shell::ShellHooks& shellHooks)
{
    SetHotKeyFirstTaker([&shellHooks](int key) {
        return shellHooks.buttonFormsOnHotKey && shellHooks.buttonFormsOnHotKey(key);
    });
    UseDefaultUserFormWindowFactory();
    nav::DetectorEventServer::instance().hooks.userFormPoke = UserFormDdePoke;
    // What the form windows ask of the rest of the program; entries other
    // parts fill stay as they are.
    UserFormHost host = userFormHost();
    host.selectTab = [](int tab) { SelectMainTab(tab); };
    host.findForm = [](const QString& name) { return FindUserForm(name); };
    host.openSubForm = [](TUserFormInfo* form, QWidget* parent) -> TUserForm* {
        UserFormWindow* w = OpenUserFormWindow(parent, form);
        return w ? qobject_cast<TUserForm*>(w->Object()) : nullptr;
    };
    setUserFormHost(host);
    hooks.installHotKeys = [](QWidget* mainWindow) { InstallHotKeyService(mainWindow); };
    hooks.loadUserForms = [](QTabBar* tabs, int firstTab) {
        QWidget* mainWindow = tabs ? tabs->parentWidget() : nullptr;
        return LoadUserForms(mainWindow, tabs, firstTab) - firstTab;
    };
    hooks.saveUserFormPlotMenus = [] { SaveUserFormPlotMenus(); };
    hooks.userFormsLayout = [](const QRect& area) { UserFormsLayout(area); };
    hooks.userFormsSelectTab = [](int tab) { UserFormsSelectTab(tab); };
    hooks.moveFormTabs = [previous = hooks.moveFormTabs](int from, int delta) {
        if (previous)
            previous(from, delta);
        MoveUserFormTabs(from, delta);
    };
    hooks.findUserFormSubTabs = [](int tab) { return FindUserFormSubTabs(tab); };
    hooks.userFormDbTableExists = [](const QString& table) { return UserFormDbTableExists(table); };
    hooks.createTopControls = [](QWidget* parent, const QPoint& origin) { CreateTopControls(parent, origin); };
    hooks.userFormsPlaceWarnings = [](const QRect& firstBar) {
        UserFormsPlaceWarnings(firstBar.left(), firstBar.top(), firstBar.left() + firstBar.width());
    };
    shellHooks.userFormsOnHotKey = [](QWidget* frame, int key) { return UserFormsOnHotKey(frame, key); };
}

} // namespace velmar::forms
