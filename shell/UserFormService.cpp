#include "shell/UserFormService.h"

#include "shell/ShellLog.h"

#include <QString>

namespace velmar::shell {

namespace {

class NoUserFormService final : public UserFormService {
public:
    void InstallHotKeys(QWidget*) override { qCInfo(lcServices) << "user forms: no hot keys (no user form service)"; }
    int LoadForms(QTabBar*, int) override
    {
        qCInfo(lcServices) << "user forms: no form tabs (no user form service)";
        return 0;
    }
    void CreateTopControls(QWidget*, const QPoint&) override {}
    bool CanClose(QWidget*) override { return true; }
    void SavePlotMenus() override {}
    void Layout(const QRect&) override {}
    void PlaceWarnings(const QRect&) override {}
    void SelectTab(int) override {}
    int AddFormTab(QTabBar*, int, const QString& table) override
    {
        qCInfo(lcServices).noquote() << "user forms: no tab for" << table << "(no user form service)";
        return 0;
    }
    void MoveTabs(int, int) override {}
    QTabBar* FindSubTabs(int) override { return nullptr; }
    bool OnHotKey(QWidget*, int) override { return false; }
    void ExportData(QWidget*, int tab) override
    {
        qCInfo(lcServices) << "user forms: nothing exported from tab" << tab << "(no user form service)";
    }
    void StartCounters() override {}
    void LoadAllData() override { qCInfo(lcServices) << "user forms: no form data loaded (no user form service)"; }
    bool RebuildEffortSegments() override { return false; }
    const std::vector<EffortPoint>* EffortFormLine() override { return nullptr; }
};

class NoButtonPanelService final : public ButtonPanelService {
public:
    int LoadPanels(QTabBar*, int firstTab) override
    {
        qCInfo(lcServices) << "button panels: no panel tabs (no button panel service)";
        return firstTab;
    }
    void Layout(const QRect&) override {}
    void SelectTab(int) override {}
    int AddPanelTab(QTabBar*, int, const QString&) override { return 0; }
    void MoveTabs(int, int) override {}
    bool OnHotKey(int) override { return false; }
    void RestartButtonThread() override
    {
        qCInfo(lcServices) << "button panels: no button thread started (no button panel service)";
    }
    bool CounterThreadRunning() override { return false; }
    void QuitCounterThread() override {}
    bool WaitCounterThread(int) override { return true; }
    void StartCounterThread() override
    {
        qCInfo(lcServices) << "button panels: no counter thread started (no button panel service)";
    }
};

} // namespace

UserFormService& NoUserForms()
{
    static NoUserFormService forms;
    return forms;
}

ButtonPanelService& NoButtonPanels()
{
    static NoButtonPanelService panels;
    return panels;
}

} // namespace velmar::shell
