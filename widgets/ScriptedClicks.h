#pragma once
// Test hook for scripted runs: the steps of $VELMAR_CLICKS (separated by
// ";") run one after another as an operator would do them, each once its
// target is there (up to 20 s). A step is either the text or object name of
// a button or menu item, which is clicked, or "name=value", which sets the
// control of that object name: the text of an edit, the value of a spin
// box, the item of a list with that text, a check box ("1" checks it). The
// open popup menu is searched first, then the modal dialog on top, then
// every window. Each step is logged before it runs, with the title of the
// window it found its target in. Nothing happens when the variable is unset.
//
// User-interface thread only.
class QObject;

namespace velmar::shell::ui {

void RunScriptedClicks(QObject* context);

} // namespace velmar::shell::ui
