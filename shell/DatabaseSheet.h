#pragma once
// The "Database File" sheet: the operator confirms or changes the survey
// database before the main window builds anything on it. Its one page,
// DatabaseDialog, opens the chosen file itself (creating it from the blank
// template when it does not exist yet).
//
// User-interface thread only.
#include <QString>

class QWidget;

namespace velmar::store {
class RecentDatabaseList;
}

namespace velmar::shell {

// Where a new user's survey database goes when nothing names one yet:
// "Survey.sqlite" in the user's data folder, or in $VELMAR_HOME/data when
// VELMAR_HOME is set, so that scripted runs never touch the real home.
// The folder is created when missing.
QString DefaultDatabasePath();

// True when VELMAR_ACCEPT_SHEETS is set: the start-up sheets are not shown
// but accepted at once with what they offer, as if OK were pressed. Only for
// scripted runs and tests, which have no operator to press it.
bool AcceptSheetsUnattended();

// Shows the sheet modally; true when it ended with OK and the chosen
// database is open and stored in the settings block (which is written).
bool DatabaseSheet(QWidget* parent, store::RecentDatabaseList& recent);

} // namespace velmar::shell
