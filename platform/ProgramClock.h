#pragma once
// ProgramClock: the one clock of the main program. Every stored record, every
// recent event and the clock strip take their time from GetProgramTime.
//
// Online logging and show data: the computer's UTC time. Offline logging (the
// survey replayed from recordings): the position of the sound-file deck that
// plays, or a typed start time plus the whole seconds elapsed since "Start
// Run", or the start time standing still. Altering settings: no time at all.
//
// Threads: the state is replaced on the user-interface thread only (deck
// construction, deck start/stop, the run commands), but recorder threads read
// it when they name a new sound file. Every reader takes one consistent
// snapshot of the state under a lock, so a start time is never seen half
// replaced; the deck is asked outside the lock.
#include "platform/SystemTime.h"
#include "platform/RunMode.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace velmar::platform {

// What a sound-file deck offers the program clock: the time of its current
// playing position. Implemented by the deck (and by fakes in tests).
//
// deckTime is called from whichever thread asks the program clock, recorder
// threads included; an implementation whose deck lives on the user-interface
// thread must forward the question there with a bounded wait. The clock keeps
// a shared reference while it asks, so an implementation must stay safe to
// call after its deck has gone (answer false then).
class IDeckTimeSource {
public:
    virtual ~IDeckTimeSource() = default;
    // Fills time and returns true when the deck can say where it is; false
    // makes the clock fall back to its start time.
    virtual bool deckTime(platform::SystemTime& time) = 0;
};

using DeckTimeSourcePtr = std::shared_ptr<IDeckTimeSource>;

// Where the offline clock takes its time from.
enum ProgramClockSource : int32_t {
    ClockSourceFrozen = 0, // the start time, unchanged
    ClockSourceDeck = 1,   // ask the clock deck
    ClockSourceManual = 2, // start time plus elapsed whole seconds
};

class ProgramClock {
public:
    using UtcNow = std::function<std::chrono::sys_time<std::chrono::milliseconds>()>;
    // A monotonic millisecond count (the system tick count).
    using TickNow = std::function<uint64_t()>;
    using RunModeNow = std::function<quint32()>;

    // A clock on the computer's UTC clock and monotonic tick count, in the
    // process's RunMode.
    ProgramClock();
    // A clock on injected sources (tests).
    ProgramClock(UtcNow utcNow, TickNow tickNow, RunModeNow runMode);

    // The process-wide clock behind GetProgramTime and its companions.
    static ProgramClock& instance();

    // Any thread.
    void getProgramTime(platform::SystemTime& time) const;
    void toProgramTime(platform::SystemTime& time) const;
    int32_t source() const;
    platform::SystemTime startTime() const;

    // User-interface thread.
    void setProgramStartTime(const platform::SystemTime& start, DeckTimeSourcePtr deck);
    void setClockDeck(DeckTimeSourcePtr deck);
    void setSource(int32_t source);

    // The transitions of the offline clock, as the main window drives them.
    // "Start Run" from a checked start time: manual source from that time.
    void startRun(const platform::SystemTime& start, DeckTimeSourcePtr firstDeck);
    // "Stop Run": frozen at the last start time (not the time reached).
    void stopRun();
    // A deck started (playing) or stopped at the time it reported: the clock
    // follows it while it plays and freezes at its position when it stops.
    void deckStateChanged(const platform::SystemTime& deckTime, DeckTimeSourcePtr deck, bool playing);

private:
    struct State {
        int32_t source = ClockSourceFrozen;
        DeckTimeSourcePtr deck;
        platform::SystemTime start; // zero until a start time is set
        uint64_t startTick = 0;
        // Start time minus the computer's UTC time when it was set.
        int64_t offsetMs = 0;
    };
    State snapshot() const;
    // Replaces start time, deck, start tick and offset (and the source when
    // given) in one step, so no reader sees a mix of old and new.
    void replaceStart(const platform::SystemTime& start, DeckTimeSourcePtr deck, std::optional<int32_t> source);

    UtcNow m_utcNow;
    TickNow m_tickNow;
    mutable std::mutex m_mutex;
    State m_state;
    RunModeNow m_runMode;
};

// The program's clock functions, on the process-wide clock.
void GetProgramTime(platform::SystemTime* time);
void SetProgramStartTime(const platform::SystemTime& start, DeckTimeSourcePtr deck);
// Shifts a time read from the computer's clock into program time (offline
// logging only; unchanged in the other modes).
void ToProgramTime(platform::SystemTime* time);
void SetProgramClockDeck(DeckTimeSourcePtr deck);
void SetProgramClockSource(int32_t source);
int32_t GetProgramClockSource();

// The clock strip's text of a time: in offline logging the program time as
// "YYYY-MM-DD hh:mm:ss" (the form "Start Run" reads back), in the other modes
// date and time as "08 Dec 2010 14:03:05". Any thread.
QString ProgramClockText(const platform::SystemTime& time, quint32 runMode);

// Caption of the message that refuses a typed start time; its text is the
// text that was read.
inline constexpr const char* InvalidStartTimeCaption = "Invalid Start Time String";
// Characters of the clock strip that "Start Run" reads.
inline constexpr int StartRunTextLength = 21;

// "Start Run": the first StartRunTextLength characters of the clock strip read
// as year, month, day, hour, minute and second; nothing unless that is a real
// date and time after 1950. Any thread.
std::optional<platform::SystemTime> ParseStartRunText(const QString& text);

} // namespace velmar::platform
