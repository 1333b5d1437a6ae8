#pragma once
// Help and the about box of the running program: the help service
// (MainWindowServices.h) on the HTML help pages beside the program and the
// about box.
//
// User-interface thread only.

namespace velmar::shell {

class HelpService;

HelpService& BindHelpAndAbout();

} // namespace velmar::shell
