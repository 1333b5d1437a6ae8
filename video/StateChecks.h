#pragma once
// The checks every public operation of the video component makes before it
// acts ("first stop preview" and its kin). Pure logic; any thread.
#include "LogTypes.h"
#include "VideoTypes.h"

#include <QList>
#include <QString>

namespace velmar::video {

struct StateReport {
    QString message;
    TLogType code;
    friend bool operator==(const StateReport&, const StateReport&) = default;
};

struct StateCheckInput {
    int allowed = 0; // AllowedState bits
    bool needDevice = false;
    bool captureDeviceSource = true;
    int videoDevice = -1;
    TCurrentState state = cs_Down;
};

// Every report that applies, in the order the component makes them; the
// operation may run only when the list is empty.
QList<StateReport> CheckStateReports(const StateCheckInput& input);

// The index check of a selection list: an error past the end, information
// when the list is empty, nothing for a negative index (nothing selected).
struct IndexReport {
    bool reported = false;
    int severity = 0;
    QString message;
    TLogType code = e_index_out_of_range;
};
IndexReport CheckIndex(int index, int count, const QString& itemName);

} // namespace velmar::video
