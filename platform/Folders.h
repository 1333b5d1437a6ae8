#pragma once
// Where the suite keeps its files on this machine.
//
// The settings folder takes the place of the Windows folder of the original
// design: every program reads and writes its shared files there. All functions
// may be called from any thread; they return owned strings.
#include <QString>

namespace velmar::platform {

// $VELMAR_HOME when set, else $XDG_CONFIG_HOME/velmar, else ~/.config/velmar.
// The folder is created when it does not exist yet.
QString settingsFolder();

// A file of the settings folder, e.g. settingsFile("Velmar2000.dat").
QString settingsFile(const QString& name);

// The folder of the running executable (where the suite's programs and the
// data that ships with them lie side by side).
QString executableFolder();

// Read-only data shipped with the suite: looked up beside the executable,
// then under ../share/velmar, then in the source tree's data folder.
// Returns the first existing path, or the path beside the executable.
QString dataFile(const QString& name);

// Folder of the suite's named pipes: $XDG_RUNTIME_DIR/velmar, or the settings
// folder when that variable is unset. Created when missing.
QString pipeFolder();

// A path read from an old file or database row: backslashes become slashes.
QString toLocalPath(const QString& storedPath);

} // namespace velmar::platform
