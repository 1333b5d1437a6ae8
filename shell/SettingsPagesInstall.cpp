#include "shell/SettingsPagesInstall.h"

#include "forms/UserFormPlotMenu.h"
#include "forms/UserFormWindows.h"
#include "forms/ui/LookupCheckBoxes.h"
#include "forms/ui/UserFormList.h"
#include "nav/GpsDataSets.h"
#include "platform/MessageIds.h"
#include "platform/WindowMessage.h"
#include "shell/DatabaseSheet.h"
#include "shell/DetectorWiring.h"
#include "shell/MainCommands.h"
#include "shell/ShellLog.h"
#include "shell/TV2000Window.h"
#include "shell/ui/EffortDlg.h"
#include "shell/ui/MapFileDialog.h"
#include "shell/ui/NavigateDialog.h"
#include "shell/ui/SmallForms.h"
#include "shell/ui/TransferEffortData.h"
#include "widgets/FormRunner.h"

#include <QDialog>

namespace velmar::shell {

namespace {

const QString MainGpsTable = QStringLiteral("GpsData");

QWidget* MapWindow()
{
    TV2000Window* w = MainWindowHandle();
    return w ? w->MapWindow() : nullptr;
}

void MapOptionsChanged()
{
    if (QWidget* map = MapWindow())
        platform::postWindowMessage(map, platform::MsgMapOptionsChanged, 0, 1);
    if (TV2000Window* w = MainWindowHandle())
        w->Map().Redraw(false, true);
}

QStringList TransferEntries()
{
    QStringList entries{MainGpsTable};
    for (const nav::GpsDataSet& set : nav::DbReadGpsDataSets())
        if (set.tableName.trimmed() != MainGpsTable && !set.tableName.trimmed().isEmpty())
            entries << set.tableName.trimmed();
    for (const forms::TUserFormInfo* form : forms::UserFormList())
        entries << form->FormName;
    return entries;
}

QString DataTableOfEntry(const QString& entry)
{
    const forms::TUserFormInfo* form = forms::FindUserForm(entry);
    return form ? form->DataTable : entry;
}

std::vector<ui::EffortFormChoice> EffortForms()
{
    std::vector<ui::EffortFormChoice> choices;
    for (forms::UserFormWindow* window : forms::TabFormWindows()) {
        const forms::TUserFormInfo& form = window->Form();
        if (form.Hidden)
            continue;
        ui::EffortFormChoice choice{form.FormName, {}};
        for (const forms::CONTROLTYPEINFO* row : form.ValueRows())
            choice.controls << row->Title;
        choices.push_back(std::move(choice));
    }
    return choices;
}

} // namespace

namespace {

// The forms of the running program; the statistics and the weather
// station's page are the detector links' (DetectorWiring.h).
class SettingsForms final : public SettingsDialogService {
public:
    bool GpsControlDialog(QWidget* parent) override { return ui::ShowGpsControlDialog(parent); }
    void FlashWarningTypeDialog(QWidget* parent) override { ui::ShowFlashWarningTypeDialog(parent); }
    void ErrorCheckingDialog(QWidget* parent) override { ui::ShowErrorCheckingDialog(parent); }
    void TransferEffortDialog(QWidget* parent) override
    {
        ui::ShowTransferEffortDialog(parent, {TransferEntries, DataTableOfEntry});
    }
    bool StatisticsDialog(QWidget* parent) override
    {
        ShowStatistics(parent);
        return true;
    }
    ui::SettingsPage* MakePage(const QString& name) override
    {
        if (name == QLatin1String("MapFileDialog"))
            return new ui::MapFileDialog(MapOptionsChanged);
        if (name == QLatin1String("EffortDlg"))
            return new ui::EffortDlg(EffortForms, [] {
                if (TV2000Window* w = MainWindowHandle())
                    platform::postWindowMessage(w, platform::MsgEffortReload, 0, 0);
            });
        if (name == QLatin1String("NavigateDialog"))
            return new ui::NavigateDialog;
        return MakeWeatherPage(name);
    }
};

} // namespace

SettingsDialogService& BindSettingsPages()
{
    forms::setLookupCheckBoxesHandler([](forms::TUserFormInfo& form) {
        forms::LookupCheckBoxes boxes(MainWindowHandle(), form, MapOptionsChanged);
        ui::RunForm(boxes);
    });
    static SettingsForms settingsForms;
    return settingsForms;
}

} // namespace velmar::shell
