#pragma once
// The windows of the video component: its settings dialogs and the motion
// grid dialog. A program with windows calls InstallVideoDialogs once before
// its components show any dialog. User-interface thread only.
#include "video/Ombrix.h"

namespace velmar::video {

class TfrmGridDialog;

void InstallVideoDialogs();

// The grid dialog of a component, made on first use and freed with the
// component (also for hosts that restyle it before showing).
TfrmGridDialog* GridDialogOf(TOmbrix& component);

} // namespace velmar::video
