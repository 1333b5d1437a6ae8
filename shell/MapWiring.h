#pragma once
// The map in the running Velmar: the map window and what it needs of the
// rest of the main program (the user forms' records, key entries and plot
// menus, the effort line, the display-settings pages it opens, the look-up
// check boxes, the GPS poll's fixes and the detections of the event
// dispatch), and the main window's map service over it.
//
// User-interface thread only; called once at start-up, before the main
// window makes the map.
namespace velmar::nav {
class GpsPoller;
}

namespace velmar::shell {

class MapService;
class SettingsDialogService;

// Without a poller the map is not told of new fixes. The display-settings
// pages the map opens are the settings dialogs' ones.
MapService& BindMapService(nav::GpsPoller* poller, SettingsDialogService& dialogs);

} // namespace velmar::shell
