#pragma once
// The recorders' rows of the survey table UDC_TapeRecorders (one row per
// recorder, RecorderId 0, 1, 2 ... without gaps) and the Recordings row of
// each closed recording file.
//
// User-interface thread only: the database connection belongs to it. Recorder
// threads book their closed files through RecordingBooker, which hands each
// booking, as its own copy, to the user-interface thread.
#include "sound/RecordingInfo.h"

#include <QObject>

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

// Inserts the Recordings row of a closed file. Without a database it does
// nothing and returns 0; a failing insert beeps. Returns the ODBC result.
int DbWriteRecording(const RECORDINGINFO& recording);

// Made on the user-interface thread; book() may be called from any thread and
// writes the booking's Recordings row on the user-interface thread.
class RecordingBooker : public QObject {
    Q_OBJECT
public:
    explicit RecordingBooker(QObject* parent = nullptr);
    void book(RECORDINGINFO booking);
};

} // namespace velmar::sound
