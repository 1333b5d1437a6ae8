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
#include "shell/MainWindowEvents.h"
#include "shell/MainWindowPorts.h"
#include "shell/UserFormService.h"
#include "store/FixedSchema.h"

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

namespace {

class UserFormTabs final : public shell::UserFormService {
public:
    void InstallHotKeys(QWidget* mainWindow) override { InstallHotKeyService(mainWindow); }
    int LoadForms(QTabBar* tabs, int firstTab) override
    {
        QWidget* mainWindow = tabs ? tabs->parentWidget() : nullptr;
        return LoadUserForms(mainWindow, tabs, firstTab) - firstTab;
    }
    void CreateTopControls(QWidget* parent, const QPoint& origin) override { forms::CreateTopControls(parent, origin); }
    bool CanClose(QWidget* owner) override { return TUserForm::CloseRecordWindowsForExit(owner); }
    void SavePlotMenus() override { SaveUserFormPlotMenus(); }
    void Layout(const QRect& area) override { UserFormsLayout(area); }
    void PlaceWarnings(const QRect& firstBar) override
    {
        UserFormsPlaceWarnings(firstBar.left(), firstBar.top(), firstBar.left() + firstBar.width());
    }
    void SelectTab(int tab) override { UserFormsSelectTab(tab); }
    int AddFormTab(QTabBar* tabs, int command, const QString& table) override
    {
        if (command != store::kCmdNewUserFormTable)
            return 0;
        return AddUserForm(tabs ? tabs->parentWidget() : nullptr, tabs, table);
    }
    void MoveTabs(int from, int delta) override { MoveUserFormTabs(from, delta); }
    QTabBar* FindSubTabs(int tab) override { return FindUserFormSubTabs(tab); }
    bool OnHotKey(QWidget* frame, int key) override { return UserFormsOnHotKey(frame, key); }
    void ExportData(QWidget*, int tab) override { ExportUserFormData(tab); }
    void StartCounters() override { StartUserFormCounters(); }
    void LoadAllData() override { LoadAllUserFormData(report); }
    bool RebuildEffortSegments() override { return forms::RebuildEffortSegments(); }
    const shell::EffortList* EffortFormLine() override
    {
        // The shell keeps its own copy of the line in its own terms.
        m_line.clear();
        if (const TUserFormInfo* form = FindEffortForm())
            for (const EffortSegment& s : form->EffortSegments)
                m_line.push_back(shell::EffortPoint{s.gpsIndex, quint32(s.colour), s.state});
        return &m_line;
    }

    UserFormLoadReport report;

private:
    shell::EffortList m_line;
};

UserFormTabs& userFormTabs()
{
    static UserFormTabs tabs;
    return tabs;
}

} // namespace

shell::UserFormService& BindUserFormWindows(nav::RecentEventDispatch::Ports& events, UserFormLoadReport report)
{
    userFormTabs().report = std::move(report);
    events.purgeUserPlotThings = [](uint64_t ageMs) {
        return PurgeUserPlotThings(ageMs, nav::MonotonicMilliseconds());
    };
    return userFormTabs();
}

shell::UserFormService& BindUserForms(shell::ButtonPanelService& panels)
{
    SetHotKeyFirstTaker([&panels](int key) { return panels.OnHotKey(key); });
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
    return userFormTabs();
}

} // namespace velmar::forms
