#pragma once
// Recording files and media of a recorder: naming each WAV file, moving closed
// files into numbered media folders that roll over at a size limit, booking
// every closed file as a Recordings row, and the space, tape and folder lines
// of the recorder window.
//
// MakeRecordingFileName runs on the user-interface thread when a recording
// starts and on the recorder's acquisition thread when a file is split;
// OnFileClosed runs on the acquisition thread. Each works on the record it is
// given (the caller's own copy) and reaches the rest of the program only
// through RecordingServices, whose functions must be safe to call from that
// thread: the booking hands its own copy of the record to the thread that
// owns the database connection. No function here changes the process's
// current folder.
#include "platform/SystemTime.h"
#include "sound/RecordingInfo.h"

#include <QString>

#include <functional>
#include <optional>

namespace velmar::sound {

// Every function may be left empty: the clock is then the computer's UTC
// clock, messages go to the log, and nothing else happens.
struct RecordingServices {
    // The program clock (GetProgramTime).
    std::function<platform::SystemTime()> programTime;
    // Polls GPS when due and returns the newest fix's index and time text.
    std::function<void(int32_t& gpsIndex, QString& gpsTime)> gpsReference;
    // A message box owned by the recorder window (text, caption).
    std::function<void(const QString& text, const QString& caption)> showMessage;
    // A yes/no question in a message box owned by the recorder window; true
    // for yes. Asked from the recorder thread, it waits a bounded time.
    std::function<bool(const QString& text, const QString& caption)> askYesNo;
    // Writes the program's settings block.
    std::function<bool()> writeProgramSettings;
    // Inserts the Recordings row of a closed file (DbWriteRecording); the
    // record is the booking's own copy.
    std::function<void(RECORDINGINFO booking)> bookRecording;
};

// The folder on this machine for a stored output folder: backslashes become
// slashes; a Windows drive ("c:\AutorecFiles") or a relative folder is taken
// inside the user's home folder.
QString RecordingFolderPath(const QString& outputDirectory);

// "%s%8.8d_%6.6d.wav", the lettered "%s%8.8d_%6.6d_%c.wav" and the sequence
// form "%s%8.8d_%4.4d.wav".
QString TimeFileName(const QString& initials, int date, int timeOfDay, int letterIndex = -1);
QString SequenceFileName(const QString& initials, int date, int sequence);
// "Cut_%4.4d": the external tape machine's name of a cut.
QString TapeCutName(int cut);

// Sets the recording's start (FileTime, StartTime), MediaName, Comment (the
// trigger reason, else "Automatic Recording" while the automatic cycle's
// window is open, else empty), GPS reference and a FileName that is in use
// neither in the output folder nor in the current media folder. False (with
// "Unable to create output directory") when the output folder cannot be made.
bool MakeRecordingFileName(RECORDINGINFO& recording, const platform::SystemTime& time, const QString& triggerReason,
                           bool automaticWindowOpen, const RecordingServices& services);

// The full path of the file being written: output folder and FileName.
QString RecordingFilePath(const RECORDINGINFO& recording);

// The longest last-file path a recorder keeps.
inline constexpr int LastFileSize = 309;

// A file name reported by the recorder thread: returns the last file (path cut
// to `length` characters) and sets FileName to its part after the last
// separator, cut to the field's width.
QString SetLastFileName(RECORDINGINFO& recording, const QString& path, int length = LastFileSize);

struct FileClosedResult {
    QString finalPath;         // where the file now lies
    bool mediaChanged = false; // a new media folder was begun
};

// Books a file that has just been closed: start at fileStart; the duration is
// the whole seconds of sound the file holds (`fileSeconds`), or, for a
// recording without a file of its own, the seconds from fileStart to now; with
// SmartFolders the file moves into the media folder, which rolls
// over to the next media number when the file would take it past FolderSize;
// the booking gets its Recordings row; Comment is cleared. Every failure shows
// its message and the booking goes on. Sizes are summed in 64 bits.
FileClosedResult OnFileClosed(RECORDINGINFO& recording, const platform::SystemTime& fileStart,
                              const RecordingServices& services, std::optional<double> fileSeconds = std::nullopt);

// Moves a closed file; across file systems it is copied, the copy checked,
// and only then the original deleted. Never overwrites an existing file.
bool MoveRecordingFile(const QString& from, const QString& to);

// "%d Directories require backing up and deleting": the media folders other
// than the current one.
QString FoldersLineText(const RECORDINGINFO& recording);

// The file system of the recording folder.
struct RecordingDisk {
    bool valid = false;
    qint64 freeMegabytes = 0;
    QString driveTypeText; // "Fixed Disk", "Removable Disk", ...
    QString driveText;     // the mount point
};
RecordingDisk MeasureRecordingDisk(const QString& outputDirectory);

// "%d Megabytes free space on %s %s".
QString DiskSpaceLineText(const RecordingDisk& disk);

// File line: "File Closed - Writing data to memory buffer", "Writing %d bit
// data to %s" while the device runs, else "File Closed - last file %s".
QString DiskFileLineText(const RECORDINGINFO& recording, int deviceStatus, bool buffering);

enum class RecorderDisplayMode { Off, AutomaticCycle, Other };

struct TimeLeft {
    int minutes = 0;
    bool alarm = false; // the line flashes
    QString text;
};

// Minutes of recording the free space holds, and the warning when fewer than
// the settings' disk-warning hours remain.
TimeLeft DiskTimeLeft(const RECORDINGINFO& recording, qint64 freeMegabytes, int diskWarningHours,
                      RecorderDisplayMode mode);

// The external tape: "%s Used on Tape %s" and the minutes left.
QString TapeUsedLineText(const RECORDINGINFO& recording, double secondsUsed);
TimeLeft TapeTimeLeft(const RECORDINGINFO& recording, RecorderDisplayMode mode);

// The change-media dialog: its four texts, and what OK does.
struct NewMediaTexts {
    QString remove; // "Remove the old tape" / "Remove the old disk"
    QString insert; // "Insert the new tape" / "Insert the new disk"
    QString oldName;
    QString newName;
};
NewMediaTexts NewMediaDialogTexts(const RECORDINGINFO& recording);
void AcceptNewMedia(RECORDINGINFO& recording);

} // namespace velmar::sound
