#pragma once
// The frame icon of each run mode, drawn at run time so that an operator can
// tell the copies apart in the task bar. User-interface thread only.
#include <QIcon>

namespace velmar::shell {

inline constexpr int IconOnline = 1001;
inline constexpr int IconShowData = 1002;
inline constexpr int IconAlterSettings = 1003;
inline constexpr int IconOffline = 1004;

int IconForRunMode(quint32 runMode);

// The icon (sizes 16 and 32) for one of the ids above.
QIcon RunModeIcon(int iconId);

} // namespace velmar::shell
