#include "shell/ShellHooks.h"

namespace velmar::shell {

ShellHooks& shellHooks()
{
    static ShellHooks hooks;
    return hooks;
}

} // namespace velmar::shell
