#include "nav/DetectorLinks.h"

#include "nav/ProgramLinks.h"
#include "platform/BusNames.h"
#include "platform/MessageBus.h"
#include "platform/ProgramClock.h"
#include "platform/RunMode.h"
#include "platform/DateTimeText.h"
#include "nav/EventWriters.h"
#include "settings/ProgramSettings.h"

#include <QLoggingCategory>
#include <QTimer>

#include <algorithm>
#include <chrono>

namespace velmar::nav {

namespace {

Q_LOGGING_CATEGORY(detectorLog, "velmar.nav.detectors")

const QString StatusMessage = QStringLiteral("DetectorStatusMessage");
const QString CommandMessage = QStringLiteral("DetectorCommandMessage");

bool isDetector(int programId)
{
    return programId == ProgramIdPorpoise || programId == ProgramIdWhistle || programId == ProgramIdClick;
}

bool isRunning(quint32 code)
{
    return code == StatusRunning || code == StatusHalf;
}

qint64 secondsBetween(const platform::SystemTime& from, const platform::SystemTime& to)
{
    return std::chrono::duration_cast<std::chrono::seconds>(to.toTimePoint() - from.toTimePoint()).count();
}

int32_t autoControl(int programId)
{
    const int slot = PanelIndexOf(programId);
    return slot < 0 ? 0 : store::TheProgramSettings.ProgramAutoControl[std::size_t(slot)];
}

} // namespace

QString DetectorWindowClass(int programId)
{
    switch (programId) {
    case ProgramIdPorpoise: return QStringLiteral("PorpoiseADCWndClass");
    case ProgramIdWhistle: return QStringLiteral("WhistleADCWndClass");
    case ProgramIdClick: return QStringLiteral("QuintraADCWndClass");
    default: return {};
    }
}

DetectorLinks::DetectorLinks(QObject* parent) : QObject(parent)
{
    ports.now = [] {
        platform::SystemTime t;
        platform::GetProgramTime(&t);
        return t;
    };
    ports.runMode = [] { return platform::RunMode; };
    ports.query = [this](int id, std::function<void(quint32)> done) { QueryBus(id, std::move(done)); };
    ports.sendCommand = [](int id, int command) {
        const QString cls = DetectorWindowClass(id);
        return !cls.isEmpty()
            && platform::MessageBus::instance().post(platform::windowClassBusName(cls), CommandMessage,
                                                     quint64(command), 0);
    };
    ports.startProgram = [](int id) { return StartProgram(id); };
    ports.writeEffort = [](int id, int effortClass) { store::DbWriteEffort(id, effortClass); };
    m_slots[std::size_t(PanelIndexOf(ProgramIdListening))].last = StatusIdle;
    m_slots[std::size_t(PanelIndexOf(ProgramIdListening))].previous = StatusIdle;
}

DetectorLinks::~DetectorLinks() = default;

DetectorLinks::Slot& DetectorLinks::slot(int programId)
{
    return m_slots.at(std::size_t(std::max(PanelIndexOf(programId), 0)));
}

const DetectorLinks::Slot& DetectorLinks::slot(int programId) const
{
    return m_slots.at(std::size_t(std::max(PanelIndexOf(programId), 0)));
}

platform::SystemTime DetectorLinks::Now() const
{
    return ports.now ? ports.now() : platform::SystemTime::nowUtc();
}

void DetectorLinks::QueryBus(int programId, std::function<void(quint32)> done)
{
    platform::MessageBus::instance().sendAsync(
        platform::windowClassBusName(DetectorWindowClass(programId)), StatusMessage, 0, 0, StatusQueryTimeoutMs, this,
        [done = std::move(done)](platform::MessageBus::SendOutcome outcome, qint64 answer) {
            using Outcome = platform::MessageBus::SendOutcome;
            done(outcome == Outcome::Answered  ? quint32(answer)
                 : outcome == Outcome::NoOwner ? StatusNoProgram
                                               : StatusUnknown);
        });
}

void DetectorLinks::UpdateProgramStatus()
{
    const quint32 mode = ports.runMode ? ports.runMode() : platform::RunMode;
    if (mode == platform::RunModeOnline && ports.checkPowerAndCable)
        ports.checkPowerAndCable();
    for (int id : {ProgramIdPorpoise, ProgramIdWhistle, ProgramIdClick, ProgramIdListening})
        PollProgram(id);
    if (store::TheProgramSettings.PowerMonitor != 0 || mode == platform::RunModeOffline)
        AutoStartStopPrograms();
}

void DetectorLinks::PollProgram(int programId)
{
    Slot& s = slot(programId);
    if (programId == ProgramIdListening) {
        s.firstCycle = false;
        ShowProgramStatus(programId, s.last);
        ShowRunTime(programId, s.last);
        return;
    }
    if (s.pending)
        return; // the last question is still out: never two at once
    if (s.firstCycle) {
        s.previous = StatusNoProgram;
        s.firstCycle = false;
    }
    s.pending = true;
    if (!ports.query) {
        OnAnswer(programId, StatusNoProgram);
        return;
    }
    ports.query(programId, [this, programId](quint32 code) { OnAnswer(programId, code); });
}

void DetectorLinks::OnAnswer(int programId, quint32 answer)
{
    Slot& s = slot(programId);
    s.pending = false;
    quint32 code = answer;
    // A program that stopped answering and then went away has hung and died.
    if (answer == StatusNoProgram && s.timedOut)
        code = StatusCrashed;
    else
        s.timedOut = answer == StatusUnknown;
    if (((s.last == StatusRunning || s.last == StatusCrashed) && code == StatusNoProgram) || code == StatusNoFile)
        code = StatusCrashed;

    if (code != StatusNoProgram && code != StatusCrashed && code != StatusUnknown) {
        s.restartWait = 0;
        s.restartGap = 1;
        if (s.startCommandUntil) {
            if (secondsBetween(Now(), *s.startCommandUntil) >= 0)
                SendDetectorCommand(programId, DetectorCommandStart);
            s.startCommandUntil.reset();
        }
    } else if (s.startCommandUntil && secondsBetween(*s.startCommandUntil, Now()) > 0) {
        qCInfo(detectorLog) << "program" << programId << "did not appear within" << StartWaitS << "s of its start";
        s.startCommandUntil.reset();
    }
    s.last = code;
    ShowProgramStatus(programId, code);
    ShowRunTime(programId, code);
}

void DetectorLinks::ShowRunTime(int programId, quint32 code)
{
    Slot& s = slot(programId);
    qint64 runTime = -1;
    if (isRunning(code)) {
        const platform::SystemTime now = Now();
        if (!isRunning(s.previous) && (!s.runStop || !s.runStart || secondsBetween(*s.runStop, now) > RunTimeContinueS))
            s.runStart = now;
        runTime = s.runStart ? secondsBetween(*s.runStart, now) : 0;
    } else if (isRunning(s.previous)) {
        s.runStop = Now();
    }
    s.previous = code;
    if (ports.showRunTime)
        ports.showRunTime(PanelIndexOf(programId), platform::FormatDuration(int(runTime)));
}

void DetectorLinks::ShowProgramStatus(int programId, quint32 code)
{
    Slot& s = slot(programId);
    const StatusLook look = LookOfStatus(code, GetRunState());
    if (ports.showStatus)
        ports.showStatus(PanelIndexOf(programId), look.text, look.colour);
    if (look.effortClass != EffortClassUnchanged && look.effortClass != s.effortClass) {
        qCInfo(detectorLog) << "effort of program" << programId << "now" << look.effortClass << look.text;
        if (ports.writeEffort)
            ports.writeEffort(programId, look.effortClass);
        if (ports.addEffortChange)
            ports.addEffortChange(PanelIndexOf(programId), code);
        s.effortClass = look.effortClass;
    }
    emit statusShown(programId, code);
}

void DetectorLinks::SetProgramStatus(int programId, quint32 code)
{
    if (!isDetector(programId))
        return;
    Slot& s = slot(programId);
    if (code == s.last)
        return;
    s.last = code;
    ShowProgramStatus(programId, code);
}

bool DetectorLinks::SendDetectorCommand(int programId, int command)
{
    const bool sent = ports.sendCommand && ports.sendCommand(programId, command);
    qCInfo(detectorLog) << "command" << command << "to program" << programId << (sent ? "sent" : "not sent");
    return sent;
}

void DetectorLinks::ShowProgramme(int command)
{
    const int id = command == CmShowPorpoiseProgramme ? ProgramIdPorpoise
                 : command == CmShowWhistleProgramme  ? ProgramIdWhistle
                 : command == CmShowClickProgramme    ? ProgramIdClick
                                                      : 0;
    if (!id)
        return;
    if (slot(id).last == StatusNoProgram) {
        if (ports.startProgram)
            ports.startProgram(id);
    } else {
        SendDetectorCommand(id, DetectorCommandShow);
    }
}

void DetectorLinks::SetListeningStatus(int command)
{
    if (command == m_lastListeningCommand)
        return;
    quint32 code;
    switch (command) {
    case CmListeningFull: code = StatusRunning; break;
    case CmListeningHalf: code = StatusHalf; break;
    case CmListeningStop: code = StatusIdle; break;
    default: return;
    }
    m_lastListeningCommand = command;
    slot(ProgramIdListening).last = code;
    ShowProgramStatus(ProgramIdListening, code);
}

bool DetectorLinks::StartListener()
{
    platform::MessageBus& bus = platform::MessageBus::instance();
    // The report is handled from the event loop, as a posted message is.
    bus.setHandler(StatusMessage, [this](quint64 wParam, qint64 lParam) -> qint64 {
        QTimer::singleShot(0, this, [this, wParam, lParam] { SetProgramStatus(int(wParam), quint32(lParam)); });
        return 0;
    });
    const bool owned = bus.ownName(platform::windowClassBusName(QLatin1String(ListenerWindowClass)));
    if (!owned)
        qCWarning(detectorLog) << "status reports of the detectors cannot reach this program:" << ListenerWindowClass
                               << "is held by another program";
    return owned;
}

int DetectorLinks::GetRunState() const
{
    const quint32 mode = ports.runMode ? ports.runMode() : platform::RunMode;
    if (mode == platform::RunModeOffline)
        return ports.deckPlaying && ports.deckPlaying() ? RunStateRun : RunStateStop;
    const int power = ports.powerState ? ports.powerState() : RunStateLeave;
    const int cable = ports.cableState ? ports.cableState() : RunStateLeave;
    const int32_t monitor = store::TheProgramSettings.PowerMonitor;
    if (power == 3)
        return RunStateLeave;
    if ((monitor & 1) && (monitor & 2))
        return power == 1 && cable == 1 ? RunStateRun : RunStateStop;
    if (monitor & 1)
        return power == 1 ? RunStateRun : RunStateStop;
    return RunStateLeave;
}

void DetectorLinks::AutoStartStopPrograms()
{
    const int run = GetRunState();
    if (run == RunStateLeave)
        return;
    if (run != m_lastRunState)
        qCInfo(detectorLog) << "automatic start and stop: run state" << run;
    for (int id : {ProgramIdPorpoise, ProgramIdWhistle, ProgramIdClick, ProgramIdListening, ProgramIdAutoRecording})
        AutoStartStopProgram(m_lastRunState, run, id);
    m_lastRunState = run;
}

void DetectorLinks::StartAndCommand(int programId)
{
    Slot& s = slot(programId);
    if (s.last != StatusNoProgram && s.last != StatusCrashed) {
        SendDetectorCommand(programId, DetectorCommandStart);
        return;
    }
    // The started program is told to start once it answers (not waiting here).
    if (ports.startProgram && ports.startProgram(programId))
        s.startCommandUntil = platform::SystemTime::fromTimePoint(Now().toTimePoint()
                                                                  + std::chrono::seconds(StartWaitS));
}

void DetectorLinks::AutoStartStopProgram(int lastRunState, int runState, int programId)
{
    const int32_t flags = autoControl(programId);
    const bool startFlag = flags & store::AutoStart;
    const bool stopFlag = flags & store::AutoStop;
    const bool changed = runState != lastRunState;
    if (programId == ProgramIdListening) {
        const bool active = IsActiveStatus(slot(programId).last);
        if (runState == RunStateRun && changed && startFlag)
            SetListeningStatus(CmListeningFull);
        else if (runState == RunStateStop && changed && active && stopFlag)
            SetListeningStatus(CmListeningStop);
        return;
    }
    if (programId == ProgramIdAutoRecording) {
        if (!changed || !ports.setRecorderModes)
            return;
        if (runState == RunStateRun && startFlag)
            ports.setRecorderModes(RecorderModeAuto);
        else if (runState == RunStateStop && stopFlag)
            ports.setRecorderModes(RecorderModeOff);
        return;
    }
    Slot& s = slot(programId);
    if (s.last == StatusCrashed) {
        // Only a program the operator wants started comes back, and not
        // every second while it keeps failing.
        if (!startFlag)
            return;
        if (s.restartWait > 0) {
            --s.restartWait;
            return;
        }
        StartAndCommand(programId);
        s.restartWait = s.restartGap;
        s.restartGap = std::min(s.restartGap * 2, RestartBackOffMaxCycles);
        return;
    }
    const bool active = IsActiveStatus(s.last);
    if (runState == RunStateRun && !active && startFlag && changed)
        StartAndCommand(programId);
    if (runState == RunStateStop && changed && active && stopFlag)
        SendDetectorCommand(programId, DetectorCommandStop);
}

quint32 DetectorLinks::LastStatus(int programId) const
{
    if (programId == ProgramIdAutoRecording) {
        const std::optional<quint32> status = ports.recorderStatus ? ports.recorderStatus() : std::nullopt;
        return status.value_or(StatusIdle);
    }
    return slot(programId).last;
}

int DetectorLinks::LastEffortClass(int programId) const
{
    return slot(programId).effortClass;
}

int DetectorLinks::PendingQueries() const
{
    return int(std::count_if(m_slots.begin(), m_slots.end(), [](const Slot& s) { return s.pending; }));
}

} // namespace velmar::nav
