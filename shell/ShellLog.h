#pragma once
// Logging category of the application shell ("velmar.shell").
#include <QLoggingCategory>

namespace velmar::shell {
Q_DECLARE_LOGGING_CATEGORY(shellLog)
}
