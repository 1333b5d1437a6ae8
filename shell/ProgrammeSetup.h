#pragma once
// The first-run set-up ("Programme Setup"): the GPS control form, then one
// wizard of the settings pages a new installation needs, in this order:
// database, map file, display options, audio and cameras, I/O board,
// detector programme locations, automatic start and stop, data storage.
// A page whose subsystem is not built into this program is left out.
//
// The audio page changes the live recorder count (GetRecorderCount); the
// main window keeps that choice once the database is open.
//
// User-interface thread only.
#include <memory>

class QWidget;

namespace velmar::store {
class RecentDatabaseList;
}

namespace velmar::shell {

class SettingsDialogService;

namespace ui {
class SettingsSheet;
}

// The wizard with its pages, each with the title the set-up gives it; the
// map file page is the settings dialogs' one.
std::unique_ptr<ui::SettingsSheet> MakeProgrammeSetupSheet(QWidget* parent, store::RecentDatabaseList& recent,
                                                           SettingsDialogService& dialogs);

// The GPS control form, then the wizard; returns the wizard's result (1 when
// values were applied). Clearing the first-run flag and writing the block
// are the caller's.
int ProgrammeSetup(QWidget* parent, store::RecentDatabaseList& recent, SettingsDialogService& dialogs);

} // namespace velmar::shell
