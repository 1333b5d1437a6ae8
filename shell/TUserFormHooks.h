#pragma once
// The user forms' service of the main window (UserFormService.h): tabs,
// layout, hot keys, the exit check of open pop-up and sub-tab forms, the
// show-data load and export of the tab forms, the external counters and the
// effort line; and the forms' map items in the detector purge.
//
// User-interface thread only.
#include "nav/RecentEventDispatch.h"

#include <QString>

#include <functional>

namespace velmar::shell {
class ButtonPanelService;
class UserFormService;
} // namespace velmar::shell

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

// The user forms' service; binds what the form windows ask of the rest of
// the program. The button panels are offered a hot key before the forms.
shell::UserFormService& BindUserForms(shell::ButtonPanelService& panels);

// The forms' part in the detector purge; report tells of the service's
// show-data loads. Answers the service.
shell::UserFormService& BindUserFormWindows(nav::RecentEventDispatch::Ports& events, UserFormLoadReport report = {});

} // namespace velmar::forms
