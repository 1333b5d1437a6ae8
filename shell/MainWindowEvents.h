#pragma once
// Binds the event service "Velmar2000" to the recent-event dispatch: each new
// or updated detection is dispatched from the event loop, and the counts run
// on the main window's timer (the user forms' service). The main window starts and
// closes the service and purges old detections through its detector link
// service (DetectorWiring.h). Called once at start-up by the entry function.
// User-interface thread.
namespace velmar::nav {
class RecentEventDispatch;
}

namespace velmar::shell {

void BindDetectorEvents();

// The dispatch of this process, for the windows that fill its ports (status
// panels, map, recorders, things-heard form).
nav::RecentEventDispatch& TheRecentEventDispatch();

} // namespace velmar::shell
