#pragma once
// The small settings forms, the effort line, map file and nav data pages,
// the transfer of effort data and the look-up check boxes, bound into the
// main window's commands and the user forms' plot menus at start-up; answers
// the settings dialog service the main window is made with.
//
// User-interface thread only.

namespace velmar::shell {

class SettingsDialogService;

SettingsDialogService& BindSettingsPages();

} // namespace velmar::shell
