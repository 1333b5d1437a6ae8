#pragma once
// Starting the programs the main program watches (the detector programs and
// the NMEA server) from the paths of the settings block.
//
// Nothing here waits for a started program to appear: callers watch its bus
// name (MessageBus::watchName) and go on when it is there. With
// VELMAR_PROGRAM_START=off in the environment (the test suite sets it) no
// program is started, as if none could be.
//
// User-interface thread only (it may change the settings block's path).
#include <QString>

#include <functional>

namespace velmar::nav {

// Starts a program detached from this one. The function is replaceable in
// tests; it returns false when the program could not be started.
using ProgramLauncher = std::function<bool(const QString& program)>;
void SetProgramLauncher(ProgramLauncher launcher);

// Starts the program of a program type (ProgramNmea, ProgramPorpoise, ...)
// from its configured path. When that fails, the same file name in the main
// program's folder is tried and, when it starts, becomes the configured path
// (a failing configured path is kept otherwise). False when nothing started;
// no message.
bool StartProgram(int programType);

} // namespace velmar::nav
