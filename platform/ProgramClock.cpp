#include "platform/ProgramClock.h"

#include "platform/DateTimeText.h"

namespace velmar::platform {

using platform::SystemTime;
using namespace std::chrono;

namespace {

constexpr uint64_t MillisecondsPerSecond = 1000;

sys_time<milliseconds> systemUtcNow()
{
    return time_point_cast<milliseconds>(system_clock::now());
}

uint64_t systemTickNow()
{
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

// RunMode is set at start and again only when a copy resumes another mode,
// before any recorder thread runs, so plain reads of it are safe here.
ProgramClock::ProgramClock() : ProgramClock(systemUtcNow, systemTickNow, [] { return RunMode; })
{
}

ProgramClock::ProgramClock(UtcNow utcNow, TickNow tickNow, RunModeNow runMode)
    : m_utcNow(std::move(utcNow)), m_tickNow(std::move(tickNow)), m_runMode(std::move(runMode))
{
}

ProgramClock& ProgramClock::instance()
{
    static ProgramClock clock;
    return clock;
}

ProgramClock::State ProgramClock::snapshot() const
{
    std::lock_guard lock(m_mutex);
    return m_state;
}

void ProgramClock::getProgramTime(SystemTime& time) const
{
    switch (m_runMode()) {
    case RunModeOnline:
    case RunModeShowData: time = SystemTime::fromTimePoint(m_utcNow()); return;
    case RunModeOffline: break;
    default: return; // altering settings: the caller's time stays as it was
    }

    const State s = snapshot();
    if (s.source == ClockSourceDeck && s.deck) {
        SystemTime deckTime = time;
        if (s.deck->deckTime(deckTime)) {
            time = deckTime;
            return;
        }
    }
    if (s.source == ClockSourceManual && s.start.isValid()) {
        // Whole seconds only: the manual clock moves in one-second steps.
        const uint64_t elapsedSeconds = (m_tickNow() - s.startTick) / MillisecondsPerSecond;
        const auto start = floor<seconds>(s.start.toTimePoint());
        time = SystemTime::fromTimePoint(start + seconds(elapsedSeconds));
        return;
    }
    time = s.start;
}

void ProgramClock::toProgramTime(SystemTime& time) const
{
    if (m_runMode() != RunModeOffline || !time.isValid())
        return;
    int64_t offsetMs;
    {
        std::lock_guard lock(m_mutex);
        offsetMs = m_state.offsetMs;
    }
    time = SystemTime::fromTimePoint(time.toTimePoint() + milliseconds(offsetMs));
}

int32_t ProgramClock::source() const
{
    std::lock_guard lock(m_mutex);
    return m_state.source;
}

SystemTime ProgramClock::startTime() const
{
    std::lock_guard lock(m_mutex);
    return m_state.start;
}

void ProgramClock::setProgramStartTime(const SystemTime& start, DeckTimeSourcePtr deck)
{
    replaceStart(start, std::move(deck), std::nullopt);
}

void ProgramClock::replaceStart(const SystemTime& start, DeckTimeSourcePtr deck, std::optional<int32_t> source)
{
    const uint64_t tick = m_tickNow();
    const auto utc = m_utcNow();
    const int64_t offsetMs = start.isValid() ? (start.toTimePoint() - utc).count() : 0;
    std::lock_guard lock(m_mutex);
    m_state.start = start;
    m_state.deck = std::move(deck);
    m_state.startTick = tick;
    m_state.offsetMs = offsetMs;
    if (source)
        m_state.source = *source;
}

void ProgramClock::setClockDeck(DeckTimeSourcePtr deck)
{
    std::lock_guard lock(m_mutex);
    m_state.deck = std::move(deck);
}

void ProgramClock::setSource(int32_t source)
{
    std::lock_guard lock(m_mutex);
    m_state.source = source;
}

void ProgramClock::startRun(const SystemTime& start, DeckTimeSourcePtr firstDeck)
{
    replaceStart(start, std::move(firstDeck), ClockSourceManual);
}

void ProgramClock::stopRun()
{
    setSource(ClockSourceFrozen);
}

void ProgramClock::deckStateChanged(const SystemTime& deckTime, DeckTimeSourcePtr deck, bool playing)
{
    replaceStart(deckTime, std::move(deck), playing ? ClockSourceDeck : ClockSourceFrozen);
}

void GetProgramTime(SystemTime* time)
{
    if (time)
        ProgramClock::instance().getProgramTime(*time);
}

void SetProgramStartTime(const SystemTime& start, DeckTimeSourcePtr deck)
{
    ProgramClock::instance().setProgramStartTime(start, std::move(deck));
}

void ToProgramTime(SystemTime* time)
{
    if (time)
        ProgramClock::instance().toProgramTime(*time);
}

void SetProgramClockDeck(DeckTimeSourcePtr deck)
{
    ProgramClock::instance().setClockDeck(std::move(deck));
}

void SetProgramClockSource(int32_t source)
{
    ProgramClock::instance().setSource(source);
}

int32_t GetProgramClockSource()
{
    return ProgramClock::instance().source();
}

QString ProgramClockText(const SystemTime& time, quint32 runMode)
{
    constexpr int dateInWords = 1;
    if (runMode == RunModeOffline)
        return platform::FormatTimeStamp(time);
    return platform::FormatDateString(time, 0, dateInWords) + u' ' + platform::FormatTimeString(time, 0);
}

std::optional<SystemTime> ParseStartRunText(const QString& text)
{
    const SystemTime start = platform::ParseTimeStamp(text.left(StartRunTextLength));
    if (!platform::CheckSystemTime(start))
        return std::nullopt;
    return SystemTime::fromTimePoint(start.toTimePoint()); // fills the day of week
}

} // namespace velmar::platform
