#pragma once
// Puts the button panels into Velmar: the main window's panel service (tab
// set-up in online logging, layout, tab choice, tab moves, hot keys, the
// button and counter threads) and the ports a press reaches (the main
// window's grabber forms, the button sound player, the user forms). Called
// once at start-up, before the main window is made. User-interface thread
// only.
namespace velmar::shell {
class ButtonPanelService;
}

namespace velmar::forms {

shell::ButtonPanelService& BindButtonPanels();

} // namespace velmar::forms
