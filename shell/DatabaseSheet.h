#pragma once
// The "Database File" sheet: the operator confirms or changes the survey
// database before the main window builds anything on it, and changes it
// later from the menu. Its one page, the database page, opens the chosen
// file itself (creating it from the blank template when it does not exist
// yet). Also how the start-up runs its sheets when no operator is there.
//
// User-interface thread only.
#include <QString>

#include <memory>

class QWidget;

namespace velmar::store {
class DatabaseDialog;
class RecentDatabaseList;
} // namespace velmar::store

namespace velmar::shell {

namespace ui {
class SettingsSheet;
}

// Where a new user's survey database goes when nothing names one yet:
// "Survey.sqlite" in the user's data folder, or in $VELMAR_HOME/data when
// VELMAR_HOME is set, so that scripted runs never touch the real home.
// The folder is created when missing.
QString DefaultDatabasePath();

// True when VELMAR_ACCEPT_SHEETS is set: the start-up sheets are not shown
// but accepted at once with what they offer, as if OK were pressed. Only for
// scripted runs and tests, which have no operator to press it.
bool AcceptSheetsUnattended();

// A first start has an empty settings block and often an empty recent list:
// the page then offers DefaultDatabasePath() rather than an empty box the
// operator has to fill.
void OfferDefaultDatabase(store::DatabaseDialog& page);

// The "Database File" sheet with its one page. When neither the settings
// block nor the recent-files list names a database, the page offers
// DefaultDatabasePath().
std::unique_ptr<ui::SettingsSheet> MakeDatabaseSheet(QWidget* parent, store::RecentDatabaseList& recent);

// Runs a sheet of the start-up and returns its result (1 when values were
// applied). Unattended, every page is visited in turn (as Next would) and
// the sheet is then accepted; a page whose check fails cancels it.
int RunStartupSheet(ui::SettingsSheet& sheet);

// The start-up's "Database File" sheet; true when it ended with OK and the
// chosen database is open and stored in the settings block (which is
// written).
bool DatabaseSheet(QWidget* parent, store::RecentDatabaseList& recent);

} // namespace velmar::shell
