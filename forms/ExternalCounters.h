#pragma once
// The external counters of COUNTER rows: a row whose "ADC Channel" is not
// NULL drives a counter display on the board's output lines, a reset line
// ("ADC Channel") and a count line (the next one). Setting one up resets it
// and then counts it up to the row's value, so the display shows what the
// form will give next. Done when a form is made and when the main window
// starts the counters (after a change of the board settings).
//
// Nothing is sent while the board library is not bound. Pulses that cannot
// be sent are never passed over in silence: the log has each, and the
// operator is told once per counter in a run.
//
// User-interface thread only.
#include "forms/ControlTypeInfo.h"

#include <functional>

namespace velmar::forms {

class TUserFormInfo;

// How long the counter is given to settle after its reset.
inline constexpr int kCounterResetSettleMs = 1000;

// Runs `then` after `ms` milliseconds on the user-interface thread; tests
// install one that runs it at once (an empty function restores the timer).
using CounterDelay = std::function<void(int ms, std::function<void()> then)>;
void setCounterDelay(CounterDelay delay);

// Whether the row drives an external counter.
bool HasExternalCounter(const CONTROLTYPEINFO& row);
// `count` pulses on `line` for the counter titled `title` of the form named
// formName; false when they could not be sent (then said as above). Nothing
// is asked, and false returned, while the board library is not bound.
bool SendCounterPulses(const QString& formName, const QString& title, int line, int count);
// Resets the row's counter, then sends it the row's counter value in pulses.
void StartExternalCounter(const QString& formName, const CONTROLTYPEINFO& row);
// Every COUNTER row of the form with a counter line.
void StartFormCounters(const TUserFormInfo& form);
// Every form's counters.
void StartUserFormCounters();

} // namespace velmar::forms
