#pragma once
// The Recordings row of a closed file. A recorder's acquisition thread may
// call it: the row is carried over to the user-interface thread, which owns
// the database connection. A failed insert beeps and is logged.
#include "sound/RecordingInfo.h"

#include <sql.h>

#include <chrono>

namespace velmar::store {

// How long a recorder thread waits for its row to be stored.
inline constexpr std::chrono::milliseconds kRecordingWriteTimeout{10000};

// A Recordings row, with the cross reference the recorder took at the start.
// The driver's result: SQL_SUCCESS or SQL_SUCCESS_WITH_INFO when stored,
// SQL_ERROR when it failed, no database is open, or the user-interface thread
// did not take the row in time (it is then never stored).
SQLRETURN DbWriteRecording(const sound::RECORDINGINFO& recording,
                           std::chrono::milliseconds timeout = kRecordingWriteTimeout);

} // namespace velmar::store
