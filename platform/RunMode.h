#pragma once
// The run mode of Velmar: which of its four jobs this copy of the program does.
//
// Chosen once at start from the command line (VelmarMain), and replaced once
// by the main window when a copy resumes after a database change. Every other
// subsystem only reads it, from the user-interface thread or after start-up.
#include <QStringList>
#include <QtGlobal>

namespace velmar::platform {

inline constexpr quint32 RunModeOnline = 1;        // online logging (no option)
inline constexpr quint32 RunModeShowData = 2;      // showing stored data ("-s")
inline constexpr quint32 RunModeOffline = 3;       // offline logging from recordings ("-p")
inline constexpr quint32 RunModeAlterSettings = 4; // altering settings only ("-t")

// Process-wide run mode; online logging until VelmarMain decides.
extern quint32 RunMode;

// The run mode an argument list selects. arguments[0] is the program path and
// is never looked at. The first later argument whose first two characters are
// "-s", "-p" or "-t" in either case decides; arguments that match none are
// skipped; without a match the mode is online logging.
quint32 RunModeFromArguments(const QStringList& arguments);

} // namespace velmar::platform
