#pragma once
// The recorder's decisions without a window: which mode it should be in,
// what a refresh does about it, the automatic cycle's window, the status
// line and the level meter's decibels. Pure functions, any thread.
#include "platform/SystemTime.h"
#include "sound/RecordingInfo.h"

#include <QString>
#include <QStringList>

namespace velmar::recorder {

// The mode buttons, by their ids.
enum Mode : int { ModeOff = 31554, ModeAutomatic = 31555, ModeContinuous = 31556, ModeContinuousBuffer = 31557 };
// Recorder states.
enum State : int { StateIdle = 1, StateRecording = 2, StateBuffering = 0x10000000 };

Mode DesiredMode(Mode selected, Mode current, bool insideCycle);

// What a refresh does: start with a start type, stop, or nothing.
enum class Action { Nothing, StartRecord, StartBuffer, StartRecordWithBuffer, Stop };
Action UpdateAction(State state, Mode desired, bool enableBuffer);

struct CycleWindow {
    int now = 0; // seconds of the day
    int start = 0;
    int end = 0;
    bool inside = false;
};
// Interval in minutes, duration in seconds. An interval below one minute is
// taken as one (the stored value may be anything).
CycleWindow CycleAt(int secondsOfDay, int intervalMinutes, int durationSeconds);

struct StatusInput {
    bool deviceValid = true;
    QString deviceName;
    Mode mode = ModeOff;
    State state = StateIdle;
    int deviceStatus = 0;
    int bufferedSeconds = 0;
    CycleWindow cycle;
    int intervalMinutes = 120;
    int elapsedSeconds = 0;
    bool triggerActive = false;
    QString triggerReason;
    QString triggerStopText;
    // Sound lost since the device started ("0.25 s of sound lost"), empty
    // when none.
    QString lostText;
};
struct StatusLine {
    QString text;
    bool alarm = false;
};
StatusLine StatusText(const StatusInput& in);

// The length of lost sound: "0.02 s", "12.5 s", "03:25" (from 60 s on).
QString LostTimeText(double seconds);

// Decibels of full scale of a peak (bits of the samples); -60 for silence.
double LevelDb(int peak, int bits);

// The trigger bits of the mask: 5 fixed detectors, then user forms; the
// mask has 32 bits.
inline constexpr int FixedTriggerBits = 5;
inline constexpr int MaxTriggerBits = 32;
inline constexpr int MaxUserFormTriggers = MaxTriggerBits - FixedTriggerBits;

// Puts back the defaults of stored values the recorder divides by or sizes
// with (channels, rate, cycle times, buffer, file and folder limits) when a
// row holds unusable ones; returns the names of the fields changed.
QStringList RepairStoredRecording(sound::RECORDINGINFO& recording);

} // namespace velmar::recorder
