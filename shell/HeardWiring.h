#pragma once
// The listener's tabs in the running Velmar: the "Things Heard" form (when
// the survey has UDF_ThingsHeard) with its presses through message 1040 into
// the recent lists and the ThingsHeard table, its listening-effort panel
// with the reason stored in ListeningEffort, its shown-data lists; the
// "Whistles" counts; and the measurement-board library behind the panels'
// external buttons and counters, bound when one is there.
//
// Called once at start-up by the entry function. User-interface thread.
namespace velmar::shell {

struct MainWindowHooks;
struct MainCommandHooks;

void BindThingsHeard(MainWindowHooks& hooks, MainCommandHooks& commands);

} // namespace velmar::shell
