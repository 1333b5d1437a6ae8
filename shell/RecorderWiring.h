#pragma once
// Attaches the sound recorders to the main window: the recorder tabs, message
// 30060, the recorder triggers of detector events and button panels, the
// recording link (1069) and the detector panel's recorder read-outs.
// Called once at start-up, before the main window is made; answers the
// recorder service the main window is made with. The recorders poll the GPS
// for their references and write the settings block through the services
// given, which outlive them.
namespace velmar::shell {

class NavigationService;
class RecorderService;
class StartupService;

RecorderService& BindRecorders(NavigationService& navigation, StartupService& startup);

} // namespace velmar::shell
