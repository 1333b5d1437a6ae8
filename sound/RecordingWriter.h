#pragma once
// The Recordings row of a closed file. A recorder's acquisition thread may
// call it: the row is carried over to the user-interface thread, which owns
// the database connection. A failed insert beeps and is logged.
#include "sound/RecordingInfo.h"

#include <sql.h>

namespace velmar::store {

// A Recordings row, with the cross reference the recorder took at the start.
// The driver's result: SQL_SUCCESS or SQL_SUCCESS_WITH_INFO when stored,
// SQL_ERROR when it failed or no database is open.
SQLRETURN DbWriteRecording(const sound::RECORDINGINFO& recording);

} // namespace velmar::store
