#include "shell/StartupService.h"

#include "shell/ShellLog.h"

#include "platform/WindowMessage.h"
#include "settings/PipeSettings.h"
#include "settings/ProgramSettings.h"
#include "shell/DatabaseSheet.h"
#include "shell/ProgrammeSetup.h"
#include "store/ui/DatabaseDialog.h"
#include "widgets/MessageBoxSeam.h"

namespace velmar::shell {

namespace {

class NoStartupService final : public StartupService {
public:
    bool DatabaseSheet(QWidget*) override
    {
        qCInfo(lcServices) << "program: no database sheet shown, the database counts as confirmed (no startup "
                              "service)";
        return true;
    }
    void ProgrammeSetup(QWidget*) override
    {
        qCInfo(lcServices) << "program: no first-run set-up shown (no startup service)";
    }
    void ReadPipeSettings() override { qCInfo(lcServices) << "program: no pipe settings read"; }
    void AddRecentFile(const QString& path) override
    {
        qCInfo(lcServices).noquote() << "program:" << path << "not added to a recent-files list (no startup service)";
    }
    bool WriteProgramSettings(QString* error) override { return store::WriteProgramSettings(error); }
    void PostQuit() override { platform::postQuitMessage(); }
};

} // namespace

StartupService& NoStartup()
{
    static NoStartupService startup;
    return startup;
}

ProgramStartup::ProgramStartup(store::RecentDatabaseList& recent, SettingsDialogService& dialogs)
    : m_recent(recent), m_dialogs(dialogs)
{
}

bool ProgramStartup::DatabaseSheet(QWidget* parent)
{
    return shell::DatabaseSheet(parent, m_recent);
}

void ProgramStartup::ProgrammeSetup(QWidget* parent)
{
    shell::ProgrammeSetup(parent, m_recent, m_dialogs);
}

void ProgramStartup::ReadPipeSettings()
{
    // The start goes on whatever the read gives: a survey computer that never
    // ran the pipe server has no file, and the defaults stand.
    const pipeserver::PipeFileResult read = pipeserver::ReadPipeSettings(pipeserver::ThePipeSettings());
    if (!read.messageText.isEmpty())
        ui::ShowMessageBox(nullptr, read.messageText, read.messageCaption, QMessageBox::Warning);
    else if (!read.ok)
        qCInfo(lcServices).noquote() << "program: pipe settings not read:" << read.reason;
}

void ProgramStartup::AddRecentFile(const QString& path)
{
    m_recent.saveMenuChoice(path);
}

bool ProgramStartup::WriteProgramSettings(QString* error)
{
    return store::WriteProgramSettings(error);
}

void ProgramStartup::PostQuit()
{
    platform::postQuitMessage();
}

} // namespace velmar::shell
