#pragma once
// The small settings forms, the effort line, map file and nav data pages,
// the transfer of effort data and the look-up check boxes, bound into the
// main window's commands and the user forms' plot menus at start-up. Also
// how the running program runs a small form: through the main window's
// dialog runner when a test set one, never waiting under VELMAR_NO_MODAL
// (taken as it stands when VELMAR_ACCEPT_SHEETS is set, else cancelled).
//
// User-interface thread only.

namespace velmar::shell {

struct MainCommandHooks;

void BindSettingsPages(MainCommandHooks& hooks);

} // namespace velmar::shell
