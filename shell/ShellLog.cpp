#include "shell/ShellLog.h"

namespace velmar::shell {
Q_LOGGING_CATEGORY(shellLog, "velmar.shell")
Q_LOGGING_CATEGORY(lcServices, "velmar.shell.services")
} // namespace velmar::shell
