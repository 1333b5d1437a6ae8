#pragma once
// Help and the about box of the running program: the shell's help and about
// entry points (ShellHooks.h) bound to the HTML help pages beside the
// program and to the about box.
//
// User-interface thread only.

namespace velmar::shell {

struct ShellHooks;

void BindHelpAndAbout(ShellHooks& hooks);

} // namespace velmar::shell
