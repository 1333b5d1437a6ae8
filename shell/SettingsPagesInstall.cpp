#include "shell/SettingsPagesInstall.h"

#include "forms/UserFormPlotMenu.h"
#include "forms/UserFormWindows.h"
#include "forms/ui/LookupCheckBoxes.h"
#include "forms/ui/UserFormList.h"
#include "nav/GpsDataSets.h"
#include "platform/MessageIds.h"
#include "platform/WindowMessage.h"
#include "shell/DatabaseSheet.h"
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

bool RunSmallForm(QDialog& form)
{
    if (const auto& run = mainCommandHooks().runDialog)
        return run(form.parentWidget(), form);
    if (!qEnvironmentVariableIsSet("VELMAR_NO_MODAL"))
        return form.exec() == QDialog::Accepted;
    if (!AcceptSheetsUnattended()) {
        qCInfo(shellLog).noquote() << "form not shown:" << form.windowTitle();
        return false;
    }
    // Taken as it stands, as if "Ok" were pressed.
    form.accept();
    const bool ok = form.result() == QDialog::Accepted;
    qCInfo(shellLog).noquote() << "form:" << form.windowTitle() << (ok ? "ended with OK" : "closed");
    return ok;
}

QWidget* MapWindow()
{
    TV2000Window* w = MainWindowHandle();
    return w ? w->MapWindow() : nullptr;
}

void MapOptionsChanged()
{
    if (QWidget* map = MapWindow())
        postWindowMessage(map, MsgMapOptionsChanged, 0, 1);
    if (const auto& redraw = mainCommandHooks().redrawMap)
        redraw(false, true);
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

void BindSettingsPages(MainCommandHooks& hooks)
{
    ui::setFormRunner(RunSmallForm);
    hooks.gpsControlDialog = [](QWidget* parent) { return ui::ShowGpsControlDialog(parent); };
    hooks.flashWarningTypeDialog = [](QWidget* parent) { ui::ShowFlashWarningTypeDialog(parent); };
    hooks.errorCheckingDialog = [](QWidget* parent) { ui::ShowErrorCheckingDialog(parent); };
    hooks.zoomStepSizeDialog = [](QWidget* parent) { ui::ShowZoomStepSizeDialog(parent); };
    hooks.menuStyleDialog = [](QWidget* parent) { return ui::ShowMenuStyleDialog(parent); };
    hooks.transferEffortDialog = [](QWidget* parent) {
        ui::ShowTransferEffortDialog(parent, {TransferEntries, DataTableOfEntry});
    };
    hooks.effortSourceIndex = [] { return ui::GetEffortSourceIndex(); };
    // Pages of other subsystems (the weather station's) stay theirs.
    hooks.makePage = [others = hooks.makePage](const QString& name) -> ui::SettingsPage* {
        if (name == QLatin1String("MapFileDialog"))
            return new ui::MapFileDialog(MapOptionsChanged);
        if (name == QLatin1String("EffortDlg"))
            return new ui::EffortDlg(EffortForms, [] {
                if (TV2000Window* w = MainWindowHandle())
                    postWindowMessage(w, MsgEffortReload, 0, 0);
            });
        if (name == QLatin1String("NavigateDialog"))
            return new ui::NavigateDialog;
        return others ? others(name) : nullptr;
    };
    forms::setLookupCheckBoxesHandler([](forms::TUserFormInfo& form) {
        forms::LookupCheckBoxes boxes(MainWindowHandle(), form, MapOptionsChanged);
        ui::RunForm(boxes);
    });
}

} // namespace velmar::shell
