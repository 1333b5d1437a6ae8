#pragma once
// The states a port reader or the simulator reports, their status-bar texts
// and the status words that the DDE item "Status" answers.
#include <QString>

#include <optional>

namespace velmar::nmeaserver {

enum ReaderStatus {
    StatusPortError = 1,  // the port cannot be opened or refuses its line settings
    StatusTimeOut = 2,    // no byte within two read time-outs
    StatusIdle = 3,       // the reader or the simulator has ended
    StatusStarting = 4,   // the port is open and reading starts
    StatusCollecting = 5, // a sentence was stored under a name already known
    StatusOverflow = 6,   // more than 255 characters without a start
    StatusSimulating = 7, // the simulator has started
};

// Status values of the server as the DDE item "Status" reports them.
enum DdeStatusValue : int {
    DdeStatusNone = 0,
    DdeStatusIdle = 1,
    DdeStatusOK = 2,
    DdeStatusStarting = 64,
    DdeStatusTimeOut = 0x40000,
    DdeStatusPortError = 0x80000,
};

// The name under which the simulator reports.
inline const QString SimulatorName = QStringLiteral("Sim");

// Status-bar text; empty for an unknown code. rmcInitials is the simulated
// RMC talker, used by the simulator's texts.
QString statusText(int code, const QString& name, bool simulating, const QString& rmcInitials);
// The server's status value after that code; nothing for a code that leaves it.
std::optional<int> statusValueAfter(int code);
// The word the item "Status" answers; empty for DdeStatusNone.
QByteArray statusWord(int value);

} // namespace velmar::nmeaserver
