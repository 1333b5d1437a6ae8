#include "shell/SettingsDialogService.h"

#include "shell/ShellLog.h"

#include <QString>

namespace velmar::shell {

namespace {

class NoSettingsDialogService final : public SettingsDialogService {
public:
    bool GpsControlDialog(QWidget*) override
    {
        qCInfo(lcServices) << "dialogs: no GPS control form (no settings dialog service)";
        return false;
    }
    void FlashWarningTypeDialog(QWidget*) override
    {
        qCInfo(lcServices) << "dialogs: no flash warning form (no settings dialog service)";
    }
    void ErrorCheckingDialog(QWidget*) override
    {
        qCInfo(lcServices) << "dialogs: no error checking form (no settings dialog service)";
    }
    void TransferEffortDialog(QWidget*) override
    {
        qCInfo(lcServices) << "dialogs: no effort transfer form (no settings dialog service)";
    }
    bool StatisticsDialog(QWidget*) override
    {
        qCInfo(lcServices) << "dialogs: no track statistics (no settings dialog service)";
        return false;
    }
    ui::SettingsPage* MakePage(const QString& name) override
    {
        qCInfo(lcServices).noquote() << "dialogs: no page" << name << "(no settings dialog service)";
        return nullptr;
    }
};

} // namespace

SettingsDialogService& NoSettingsDialogs()
{
    static NoSettingsDialogService dialogs;
    return dialogs;
}

} // namespace velmar::shell
