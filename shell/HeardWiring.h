#pragma once
// The listener's tab in the running Velmar: the "Things Heard" form (when
// the survey has UDF_ThingsHeard) with its presses through message 1040 into
// the recent lists and the ThingsHeard table, its listening-effort panel
// with the reason stored in ListeningEffort, its shown-data lists.
//
// Called once at start-up by the entry function, after the other windows
// that show the dispatch's status boxes are bound. User-interface thread.
namespace velmar::shell {

class ThingsHeardService;

// The main window's things-heard service.
ThingsHeardService& BindThingsHeard();

} // namespace velmar::shell
