#pragma once
// The shown data and the comment panel in the running Velmar: the readers
// behind the main window's load and reload of the shown data (message 1056
// and the Show Times page), the comment panel as its "Comments" tab with the
// messages 1065 and 1069, and the "Update GPS Cross References" command with
// the check of each fixed table at open in show-data mode.
//
// Everything the main window needs of these is set here, in one place.
// User-interface thread only.
class QWidget;

namespace velmar::nav {
class ShowDataReader;
}

namespace velmar::shell {

class CommentService;
class ShownDataService;

// The shown data's service: the readers of the survey database.
ShownDataService& BindShowData();
// The comment panel's service: the panel on the "Comments" tab.
CommentService& CommentPanelService();
// The reader of the last load of the shown data, whose ranges select the
// events the other lists load.
nav::ShowDataReader& ShownDataReader();
// "Update GPS Cross References": the fixed event tables, then each user
// form's data table, offered the fill of their missing cross references.
void CheckGpsReferences(QWidget* parent);

} // namespace velmar::shell
