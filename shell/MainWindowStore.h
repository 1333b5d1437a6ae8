#pragma once
// The main window's survey database: the survey database layer, the recorder
// rows, the user-form tables and the check of GPS cross references. Called
// once at start-up by the entry function; tests make the main window with
// it or with a stand-in. User-interface thread.
namespace velmar::shell {

class SurveyStoreService;

SurveyStoreService& BindSurveyDatabase();

} // namespace velmar::shell
