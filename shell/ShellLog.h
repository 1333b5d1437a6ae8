#pragma once
// Logging categories of the application shell: "velmar.shell", and
// "velmar.shell.services" for what the main window's services do and what
// their defaults do not.
#include <QLoggingCategory>

namespace velmar::shell {
Q_DECLARE_LOGGING_CATEGORY(shellLog)
Q_DECLARE_LOGGING_CATEGORY(lcServices)
} // namespace velmar::shell
