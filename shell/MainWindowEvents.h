#pragma once
// Binds the main window's detector-event entries (MainWindowPorts.h) to the
// event service "Velmar2000" and the recent-event dispatch: the service starts
// with the main window (online and offline logging), each new or updated
// detection is dispatched from the event loop, and the counts and the purge
// run on the main window's timers. Called once at start-up by the entry
// function. User-interface thread.
namespace velmar::nav { class RecentEventDispatch; }

namespace velmar::shell {

struct MainWindowHooks;

void BindDetectorEvents(MainWindowHooks& hooks);

// The dispatch of this process, for the windows that fill its ports (status
// panels, map, recorders, things-heard form).
nav::RecentEventDispatch& TheRecentEventDispatch();

} // namespace velmar::shell
