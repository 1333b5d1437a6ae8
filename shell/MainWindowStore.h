#pragma once
// Binds the main window's database entries (MainWindowPorts.h) to the survey
// database layer and the recorder rows. Called once at start-up by the entry
// function; tests leave them unbound or script them. User-interface thread.
namespace velmar::shell {

struct MainWindowHooks;

void BindSurveyDatabase(MainWindowHooks& hooks);

} // namespace velmar::shell
