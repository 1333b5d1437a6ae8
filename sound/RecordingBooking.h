#pragma once
// Booking recording files in Recordings: the row of a file that has closed,
// and the rows of files that a program which ended while writing them (a
// crash, a power cut) left without one. Each file being written has a journal
// beside it (sound/RecordingJournal.h); the journal goes only once the row is
// stored, so a file whose row was never stored is booked at the recorder's
// next start.
//
// User-interface thread only: the database connection belongs to it.
#include "sound/RecordingFiles.h"
#include "sound/RecordingInfo.h"

namespace velmar::sound {

// Inserts the Recordings row of a closed file (DbWriteRecording); once it is
// stored, the file's journal is removed. False when the row was not stored
// (the journal stays, and the next start books the file).
bool BookRecording(const RECORDINGINFO& booking);

// Books the files this recorder (its RecorderId) left unbooked in its output
// folder: each file is found (in the output folder, or in a media folder it
// was already moved to), its header made to count the whole frames it holds,
// moved into its media folder as a closing would, and booked through
// services.bookRecording with the whole seconds of sound it holds. A file
// whose row is already stored is not booked twice. A journal that cannot be
// read, a file that is gone or cannot be read is said through
// services.showMessage. The recorder's media number and name follow a media
// folder begun here. Returns the files booked.
int BookInterruptedRecordings(RECORDINGINFO& recorder, const RecordingServices& services);

} // namespace velmar::sound
