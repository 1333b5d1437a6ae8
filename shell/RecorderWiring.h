#pragma once
// Attaches the sound recorders to the main window: the recorder tabs, message
// 30060, the recorder triggers of detector events and button panels, the
// recording link (1069) and the detector panel's recorder read-outs.
// Called once at start-up, before the main window is made.
namespace velmar::shell {

void BindRecorders();

} // namespace velmar::shell
