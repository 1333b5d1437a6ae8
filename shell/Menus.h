#pragma once
// The three menu bars of Velmar (100 online and offline logging, 101 show
// data, 102 altering settings). User-interface thread only.
#include <QtGlobal>

#include <functional>

class QMenuBar;

namespace velmar::shell {

// The menu bar that a run mode uses.
int MenuForRunMode(quint32 runMode);

// Fills an empty menu bar with the items of the given menu. Every action
// carries its command id in data(); choosing it calls onCommand with the id.
void BuildMenuBar(QMenuBar* bar, int menuId, const std::function<void(int)>& onCommand);

} // namespace velmar::shell
