#pragma once
// The main window's entries that reach the user-form windows themselves: the
// exit check of open pop-up and sub-tab forms, the show-data load and export
// of the tab forms, the external counters, and the forms' map items in the
// detector purge and the clearing of the shown data.
//
// User-interface thread only.
#include "nav/RecentEventDispatch.h"

#include <QString>

#include <functional>

namespace velmar::shell {
struct MainWindowHooks;
struct MainCommandHooks;
struct ShellHooks;
}

namespace velmar::forms {

// How a show-data load is reported: the status-bar text and the gauge
// (rows so far, total; 0, 0 at the end). Either may be left empty.
struct UserFormLoadReport {
    std::function<void(const QString& text)> statusText;
    std::function<void(int done, int total)> progress;
};

// Every tab-form window whose form is not HIDDEN loads the rows of the
// shown period and shows the first.
void LoadAllUserFormData(const UserFormLoadReport& report = {});
// The tab-form window on main tab `tab` exports its loaded rows.
void ExportUserFormData(int tab);
// The effort form's line made again from its first window's rows; false
// when there is no effort form.
bool RebuildEffortSegments();

// Fills the main window's entries for the user forms.
void BindUserForms(shell::MainWindowHooks& hooks, shell::ShellHooks& shellHooks);

void BindUserFormWindows(shell::MainWindowHooks& hooks, shell::MainCommandHooks& commands,
                         nav::RecentEventDispatch::Ports& events, UserFormLoadReport report = {});

} // namespace velmar::forms
