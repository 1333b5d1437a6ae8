#pragma once
// Setting the computer's clock. Needs the privilege to set the system time
// (CAP_SYS_TIME, e.g. `setcap cap_sys_time+ep NMEA`); without it the call
// fails and says why. With VELMAR_NMEA_CLOCK_SET=off in the environment (the
// test runs) it never touches the clock.
//
// Any thread.
#include <QString>

#include <chrono>

namespace velmar::nmeaserver {

using UtcTime = std::chrono::sys_time<std::chrono::milliseconds>;

// Empty when the clock was set, else the reason it was not.
QString setSystemClock(UtcTime time);

} // namespace velmar::nmeaserver
