#include "recorder/RecorderLogic.h"

#include "platform/DateTimeText.h"

#include <algorithm>
#include <cmath>

namespace velmar::recorder {

namespace {
bool Continuous(Mode m)
{
    return m == ModeContinuous || m == ModeContinuousBuffer;
}
constexpr double SilenceDb = -60;
} // namespace

Mode DesiredMode(Mode selected, Mode current, bool insideCycle)
{
    if (Continuous(selected))
        return selected;
    if (Continuous(current))
        return current;
    if (selected == ModeAutomatic)
        return insideCycle ? ModeContinuous : ModeOff;
    return ModeOff;
}

Action UpdateAction(State state, Mode desired, bool enableBuffer)
{
    const bool off = !Continuous(desired);
    const Action record = desired == ModeContinuousBuffer ? Action::StartRecordWithBuffer : Action::StartRecord;
    switch (state) {
    case StateIdle: return off ? (enableBuffer ? Action::StartBuffer : Action::Nothing) : record;
    case StateRecording: return off ? (enableBuffer ? Action::StartBuffer : Action::Stop) : Action::Nothing;
    case StateBuffering: return off ? (enableBuffer ? Action::Nothing : Action::Stop) : record;
    }
    return Action::Nothing;
}

CycleWindow CycleAt(int secondsOfDay, int intervalMinutes, int durationSeconds)
{
    CycleWindow c;
    c.now = secondsOfDay;
    c.start = secondsOfDay - secondsOfDay % (std::max(1, intervalMinutes) * 60);
    c.end = c.start + durationSeconds;
    c.inside = c.start <= c.now && c.now < c.end;
    return c;
}

namespace {
StatusLine BaseStatusText(const StatusInput& in)
{
    if (!in.deviceValid)
        return {QStringLiteral("%1 cannot be found on the system").arg(in.deviceName), true};
    const QString buffered = platform::FormatDuration(in.bufferedSeconds);
    const bool failing = in.deviceStatus != 1;
    switch (in.mode) {
    case ModeOff:
        if (in.state == StateIdle)
            return {QStringLiteral("No Recordings - Autorec Idle"), false};
        if (in.state == StateRecording)
            return {QStringLiteral("Error - ADC should be idle"), false};
        return {QStringLiteral(" Buffering %1 stored ").arg(buffered), false};
    case ModeAutomatic:
        if (in.state == StateIdle)
            return {QStringLiteral(" Next automatic recording due in %1 minutes")
                        .arg(platform::FormatDuration(in.intervalMinutes * 60 + in.cycle.start - in.cycle.now)),
                    false};
        if (failing)
            return {QStringLiteral(" Input device failure"), true};
        if (in.state == StateRecording)
            return {
                QStringLiteral(" Automatic Recording running: %1 seconds remaining").arg(in.cycle.end - in.cycle.now),
                false};
        return {QStringLiteral(" Buffering %1 stored").arg(buffered), false};
    case ModeContinuous:
    case ModeContinuousBuffer:
        if (failing)
            return {QStringLiteral(" Input device failure"), true};
        if (in.triggerActive)
            return {QStringLiteral("%1, length: %2 stop at %3")
                        .arg(in.triggerReason, platform::FormatDuration(in.elapsedSeconds), in.triggerStopText),
                    false};
        return {QStringLiteral(" Long Recording in progress : %1").arg(platform::FormatDuration(in.elapsedSeconds)),
                false};
    }
    return {};
}
} // namespace

StatusLine StatusText(const StatusInput& in)
{
    StatusLine line = BaseStatusText(in);
    if (!in.lostText.isEmpty())
        line.text += QStringLiteral(" - ") + in.lostText;
    return line;
}

QString LostTimeText(double seconds)
{
    if (seconds < 10)
        return QStringLiteral("%1 s").arg(seconds, 0, 'f', 2);
    if (seconds < 60)
        return QStringLiteral("%1 s").arg(seconds, 0, 'f', 1);
    return platform::FormatDuration(int(std::lround(seconds)));
}

QStringList RepairStoredRecording(sound::RECORDINGINFO& r)
{
    const sound::RECORDINGINFO defaults;
    QStringList changed;
    auto repair = [&changed](auto& field, auto value, bool bad, const char* name) {
        if (bad) {
            field = value;
            changed << QString::fromLatin1(name);
        }
    };
    repair(r.nChannels, defaults.nChannels, r.nChannels < 1 || r.nChannels > 32, "nChannels");
    repair(r.SampleRate, defaults.SampleRate, r.SampleRate < 1 || r.SampleRate > 1000000, "SampleRate");
    repair(r.RecordInterval, defaults.RecordInterval, r.RecordInterval < 1, "RecordInterval");
    repair(r.RecordDuration, defaults.RecordDuration, r.RecordDuration < 1, "RecordDuration");
    repair(r.BufferLength, defaults.BufferLength, r.BufferLength < 0, "BufferLength");
    repair(r.MaxSingle, defaults.MaxSingle, r.MaxSingle < 1 || r.MaxSingle > 4095, "MaxSingle");
    repair(r.FolderSize, defaults.FolderSize, r.FolderSize < 1, "FolderSize");
    repair(r.nBits, defaults.nBits, r.nBits != 16, "nBits");
    return changed;
}

double LevelDb(int peak, int bits)
{
    if (peak <= 1)
        return SilenceDb;
    return 20 * std::log10(double(peak) / std::pow(2.0, std::clamp(bits, 2, 32) - 1));
}

} // namespace velmar::recorder
