#pragma once
// The user forms' plot menus as the map offers them: after the map's own
// entries, each form that has a plot menu appears under its name, its items
// ticked as the form's plot choices stand; with look-up selections in a
// pop-up box (the menu-style setting) the form is one entry "<name>..." that
// opens the box instead. A choice goes to HandleUserFormPlotMenu, which
// keeps the ticks and tells the map to redraw.
//
// User-interface thread only. The sub-menus and actions belong to the menu
// they are added to.
class QMenu;

namespace velmar::forms {

// Adds the forms' entries to the map's plot-options menu; returns how many
// forms were added.
int AddUserFormPlotMenus(QMenu* menu);

} // namespace velmar::forms
