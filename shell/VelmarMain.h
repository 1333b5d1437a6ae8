#pragma once
// The entry function of Velmar: run mode, program folder, single instance,
// the application's run and the restart after a database change.
//
// Main thread only, before and after the event loop.
#include <QString>

#include <functional>

namespace velmar::platform {
class NamedMutex;
}

namespace velmar::shell {

// Name of the single-instance lock and of the bring-to-top message.
inline constexpr const char* SingleInstanceMutexName = "Velmar";
inline constexpr const char* OnTopMessageName = "VelmarOnTop";
inline constexpr const char* AlreadyRunningCaption = "Velmar 2010 Warning";
inline constexpr const char* AlreadyRunningText =
    "    Velmar 2010 is already running   \n\n    Only one copy can run at a time.     ";

// argv[0] is the program path as started; the options follow. Returns the
// process exit code: the event loop's result, or 0 when a second online
// copy gives way to the running one.
int VelmarMain(int argc, char** argv);

// Starts a program file with its arguments, detached; true when it started.
using ProgramStarter = std::function<bool(const QString& programPath, const QStringList& arguments)>;
bool StartProgramDetached(const QString& programPath, const QStringList& arguments);

// The command-line option of a run mode ("-s", "-p", "-t"; none online).
QStringList RunModeArguments(quint32 runMode);

// After the event loop: when the settings block asks for a restart
// (RestartMode non-zero), writes the block, releases the single-instance
// lock and starts the program again with the option of the mode it resumes,
// in this order, so that the new copy finds both (a show-data copy started
// without its option would meet a running online copy and give way). True
// when a restart was asked for.
bool RestartAfterDatabaseChange(const QString& programPath, platform::NamedMutex& lock,
                                const ProgramStarter& start = StartProgramDetached);

} // namespace velmar::shell
