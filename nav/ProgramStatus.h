#pragma once
// The status codes the detector programs answer (and the few the main
// program makes up itself), with the text, colour code and effort class each
// shows, and the one numbering of effort categories that the effort line,
// its reader, the track statistics and the map key share.
//
// Pure functions, callable from any thread.
#include <QString>

#include <cstdint>

namespace velmar::nav {

// Program ids (bits) and their panel indexes.
inline constexpr int ProgramIdPorpoise = 1;
inline constexpr int ProgramIdWhistle = 2;
inline constexpr int ProgramIdClick = 4;
inline constexpr int ProgramIdNmea = 8;
inline constexpr int ProgramIdListening = 16;
inline constexpr int ProgramIdAutoRecording = 32;

// Panel index of a program id (0 porpoise ... 5 NMEA), -1 for others.
int PanelIndexOf(int programId);

// Status codes.
inline constexpr quint32 StatusNoFile = 0;
inline constexpr quint32 StatusIdle = 1;
inline constexpr quint32 StatusRunning = 2;
inline constexpr quint32 StatusNoProgram = 0x4000;
inline constexpr quint32 StatusCrashed = 0x20000;
inline constexpr quint32 StatusHalf = 0x100000;
inline constexpr quint32 StatusUnknown = 0x200000; // no answer within the time-out

// Effort classes an effort row is written with.
inline constexpr int EffortClassStart = 1;
inline constexpr int EffortClassStop = 2;
inline constexpr int EffortClassCrashed = 3;
inline constexpr int EffortClassHalf = 4;
inline constexpr int EffortClassUnchanged = 0;

// Run states of automatic start and stop.
inline constexpr int RunStateRun = 1;
inline constexpr int RunStateStop = 2;
inline constexpr int RunStateLeave = 3;

struct StatusLook {
    QString text;
    unsigned colour = 0;
    int effortClass = EffortClassStop;
};

// Text, colour code and effort class of a code; runState colours "Idle" and
// "No Prog'" (1 should run: alarm, 2 should stop: normal, otherwise alarm).
StatusLook LookOfStatus(quint32 code, int runState);

// Codes counted as a running program for automatic stop.
bool IsActiveStatus(quint32 code);

// Effort categories of the effort line and the statistics: the track before
// the first change is Unknown.
inline constexpr int EffortCategoryUnknown = 0;
inline constexpr int EffortCategoryOn = 1;
inline constexpr int EffortCategoryHalf = 2;
inline constexpr int EffortCategoryOff = 3;

// The category a status code starts on the effort line.
int EffortCategoryOfStatus(quint32 code);
// The category of a stored effort row's Status text ("Start", "Half", others
// off), for the reader of stored effort.
int EffortCategoryOfStatusText(const QString& status);

} // namespace velmar::nav
