#pragma once
// SIGTERM, SIGINT and SIGHUP (a session logging out, a system shutting down,
// Ctrl+C in a terminal) turned into a call on the user-interface thread, so a
// program can end as it does when the operator closes it: nothing stored is
// lost and every file is closed cleanly.
//
// The signal handler itself only writes a byte to a socket pair; the call
// runs from the event loop. Install once per process, from the
// user-interface thread, after the application object exists.
#include <functional>

class QObject;

namespace velmar::platform {

// Calls onSignal (in context's thread, while context lives) each time one of
// the three signals arrives. False when the socket pair could not be made:
// the signals then keep their default action.
bool CatchTerminationSignals(QObject* context, std::function<void()> onSignal);

} // namespace velmar::platform
