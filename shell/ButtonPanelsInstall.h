#pragma once
// Puts the button panels into Velmar: the main window's panel entries (tab
// set-up in online logging, layout, tab choice, tab moves), the application's
// hot-key offer, and the ports a press reaches (the main window's grabber
// forms, the button sound player). Called once at start-up, before the main
// window is made. User-interface thread only.
namespace velmar::forms {

void InstallButtonPanels();

} // namespace velmar::forms
