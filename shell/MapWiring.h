#pragma once
// What the map window needs of the rest of the main program and what waits
// for it: the user forms' records, key entries and plot menus, the effort
// line, the display-settings pages it opens, the look-up check boxes, and
// the detections of the event dispatch.
//
// User-interface thread only; called once at start-up, before the main
// window makes the map.
namespace velmar::shell {

struct MainWindowHooks;
struct MainCommandHooks;

void BindMapWindowWiring(MainWindowHooks& hooks, MainCommandHooks& commands);

} // namespace velmar::shell
