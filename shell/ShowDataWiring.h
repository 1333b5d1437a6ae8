#pragma once
// The shown data and the comment panel in the running Velmar: the readers
// behind the main window's load and reload of the shown data (message 1056
// and the Show Times page), the comment panel as its "Comments" tab with the
// messages 1065 and 1069, and the "Update GPS Cross References" command with
// the check of each fixed table at open in show-data mode.
//
// Everything the main window needs of these is set here, in one place.
// User-interface thread only.
namespace velmar::nav {
class ShowDataReader;
}

namespace velmar::shell {

struct MainWindowHooks;
struct MainCommandHooks;

void BindShowData(MainWindowHooks& hooks, MainCommandHooks& commands);
// The reader of the last load of the shown data, whose ranges select the
// events the other lists load.
nav::ShowDataReader& ShownDataReader();

} // namespace velmar::shell
