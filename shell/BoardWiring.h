#pragma once
// The measurement boards' libraries as the rest of the program reaches
// them: loading the Measurement Computing library at start-up (the
// application object's board library service), and installing, once it is bound,
// the board list of the IO board pages (shell::ui::BoardLibrary), the
// digital ports of the external buttons (forms::DigitalBoard) and the
// analog and digital readings of the user forms (forms::AutoFillSources).
// The hydrophone monitor reads its lines through the same digital port
// (sound::TheCbLibrary().CbReadDigitalInput).
//
// User-interface thread only.
#include "shell/BoardLibraryService.h"

namespace velmar::shell {

BoardLibraryService& BindBoards();

} // namespace velmar::shell
