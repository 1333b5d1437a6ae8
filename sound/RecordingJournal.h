#pragma once
// The journal of a recording file: a small file beside the WAV file while it
// is written ("Rec20101208_140305.wav.booking"), holding what its Recordings
// row needs besides the duration. A file is booked when it closes; should the
// program end before that (a crash, a power cut), the journal stays, and the
// recorder books the file from it at its next start, with the duration the
// file holds. The journal goes once the row is stored, so a Recordings row
// still means a closed file with its true length.
//
// Any thread; each call works on its own file.
#include "platform/SystemTime.h"
#include "sound/RecordingInfo.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace velmar::sound {

// "<output folder>/<FileName>.booking".
QString RecordingJournalPath(const RECORDINGINFO& recording);

// Writes the journal of the file the recording has begun (its FileName in its
// OutputDirectory, first sample at `fileStart`) and waits until it, and the
// recording file's name beside it, are on the disk. False, with the system's
// reason in `error`, when it could not be written (none is left then).
bool WriteRecordingJournal(const RECORDINGINFO& recording, const platform::SystemTime& fileStart,
                           QString* error = nullptr);

// Removes the journal of a booked file (nothing when there is none).
void RemoveRecordingJournal(const RECORDINGINFO& booking);

// The journals in an output folder, oldest name first.
QStringList FindRecordingJournals(const QString& outputDirectory);

struct RecordingJournal {
    // RecorderId, FileName and the description fields of the row (start time
    // text, GPS reference, media, device, rate, channels, comment).
    RECORDINGINFO recording;
    platform::SystemTime fileStart;
};

// Reads a journal; nothing, with the reason in `error`, when it cannot be read
// or is not whole.
std::optional<RecordingJournal> ReadRecordingJournal(const QString& path, QString* error = nullptr);

} // namespace velmar::sound
