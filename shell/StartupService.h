#pragma once
// The program's start and end as the main window sees them: the sheets its
// constructor shows (the "Database File" sheet, the first-run set-up), the
// recent-files list, the settings block and the end of the event loop.
//
// User-interface thread only.
#include <QString>

class QWidget;

namespace velmar::store {
class RecentDatabaseList;
}

namespace velmar::shell {

class SettingsDialogService;

class StartupService {
public:
    virtual ~StartupService() = default;
    // The "Database File" sheet; true when a database was confirmed.
    virtual bool DatabaseSheet(QWidget* parent) = 0;
    // The first-run set-up: the GPS control form, then the wizard.
    virtual void ProgrammeSetup(QWidget* parent) = 0;
    virtual void ReadPipeSettings() = 0;
    // The database path goes to the top of the recent-files list.
    virtual void AddRecentFile(const QString& path) = 0;
    // Writes the settings block; false when it was not written, with the
    // reason in error when there is one to tell.
    virtual bool WriteProgramSettings(QString* error) = 0;
    // Ends the event loop once queued events are handled.
    virtual void PostQuit() = 0;
};

// The default: no sheet shown (a database counts as confirmed), no set-up,
// no pipe settings, no recent-files list; it writes the settings block and
// ends the event loop as the program does.
StartupService& NoStartup();

// Velmar's start-up: the sheets over the recent-files list, the set-up with
// the GPS control form and the pages of the settings dialogs, the pipe
// server's settings file read into the process-wide record; the rest as the
// default.
class ProgramStartup : public StartupService {
public:
    ProgramStartup(store::RecentDatabaseList& recent, SettingsDialogService& dialogs);

    bool DatabaseSheet(QWidget* parent) override;
    void ProgrammeSetup(QWidget* parent) override;
    void ReadPipeSettings() override;
    void AddRecentFile(const QString& path) override;
    bool WriteProgramSettings(QString* error) override;
    void PostQuit() override;

private:
    store::RecentDatabaseList& m_recent;
    SettingsDialogService& m_dialogs;
};

} // namespace velmar::shell
