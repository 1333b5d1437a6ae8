#include "nav/ProgramStatus.h"

namespace velmar::nav {

int PanelIndexOf(int programId)
{
    switch (programId) {
    case ProgramIdPorpoise: return 0;
    case ProgramIdWhistle: return 1;
    case ProgramIdClick: return 2;
    case ProgramIdListening: return 3;
    case ProgramIdAutoRecording: return 4;
    case ProgramIdNmea: return 5;
    default: return -1;
    }
}

StatusLook LookOfStatus(quint32 code, int runState)
{
    const unsigned byRunState = runState == RunStateStop ? 1 : 2;
    auto look = [](const char* text, unsigned colour, int effort = EffortClassStop) {
        return StatusLook{QString::fromLatin1(text), colour, effort};
    };
    switch (code) {
    case 0: return look("No File", 4);
    case 1: return look("Idle", byRunState);
    case 2: return look("Running", 1, EffortClassStart);
    case 4: return look("Set Thresh", 4);
    case 8: return look("Run In", 4);
    case 16: return look("Read Data", 1);
    case 32: return look("Batt Low", 2);
    case 64: return look("Starting", 3);
    case 128: return look("Stopping", 2);
    case 256: return look("Playing", 1);
    case 512: return look("Offline Anal", 1);
    case 1024: return look("Matching", 1);
    case 2048: return look("Outputting", 1);
    case 4096: return look("Map Making", 1);
    case 8192: return look("File Convert", 1);
    case StatusNoProgram: return look("No Prog'", byRunState);
    case StatusCrashed: return look("Crashed", 2, EffortClassCrashed);
    case StatusHalf: return look("Half", 4, EffortClassHalf);
    case StatusUnknown: return look("Unknown", 4, EffortClassUnchanged);
    default: return StatusLook{QString::number(code, 16).toUpper(), 2, EffortClassStop};
    }
}

bool IsActiveStatus(quint32 code)
{
    return code == 2 || code == 4 || code == 8 || code == 64 || code == 0x8000 || code == StatusHalf;
}

int EffortCategoryOfStatus(quint32 code)
{
    if (code == StatusRunning)
        return EffortCategoryOn;
    if (code == StatusHalf)
        return EffortCategoryHalf;
    return EffortCategoryOff;
}

int EffortCategoryOfStatusText(const QString& status)
{
    if (status.compare(QLatin1String("Start"), Qt::CaseInsensitive) == 0)
        return EffortCategoryOn;
    if (status.compare(QLatin1String("Half"), Qt::CaseInsensitive) == 0)
        return EffortCategoryHalf;
    return EffortCategoryOff;
}

} // namespace velmar::nav
