#pragma once
// The recorders' rows of the survey table UDC_TapeRecorders: one row per
// recorder, RecorderId 0, 1, 2 ... without gaps, read and written by keyed
// statements on RecorderId. (Each closed file's Recordings row is written by
// DbWriteRecording in sound/RecordingWriter.h.)
//
// User-interface thread only: the database connection belongs to it.
#include "sound/RecordingInfo.h"

namespace velmar::sound {

// The most recorders a survey can have.
inline constexpr int MaxRecorders = 255;

// Fills the record from the row of its RecorderId: every field without a
// column is 0, false or empty (DeviceValid included), texts come back
// without trailing blanks. False, record untouched, when there is no such row.
bool DbReadRecorder(RECORDINGINFO& record);
// Updates the row of the record's RecorderId, or adds one. False without a
// database, for a record whose device was not found (DeviceValid false, so a
// missing device's stored settings stay as they were), and when the statement
// fails (the driver's message is shown).
bool DbWriteRecorder(const RECORDINGINFO& record);
// Deletes the row of the record's RecorderId. False when there is none or the
// delete failed (shown).
bool DbDeleteRecorder(const RECORDINGINFO& record);
// The number of consecutive rows from RecorderId 0 (at most MaxRecorders).
int DbCountRecorders();
// Adds a row with the defaults, numbered DbCountRecorders().
bool DbAddRecorder();

} // namespace velmar::sound
