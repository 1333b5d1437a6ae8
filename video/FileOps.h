#pragma once
// Small operations on text lists, file names, folders and free space that the
// video component's graph code relies on, with their exact rules.
// Pure functions over QtCore; any thread.
#include <QSize>
#include <QString>
#include <QStringList>

namespace velmar::video {

// Text lists: one item per line.
int LineCount(const QString& text);
QString LineAt(const QString& text, int index);
int IndexOfLine(const QString& text, const QString& line); // without regard to case
void MoveToFront(QStringList& list, const QString& item);

// 1-based position of the last occurrence of a character, 0 when absent.
int LastCharPos(QChar c, const QString& text);
// The name with its last extension replaced ("clip" gives "clip.avi"; a dot
// in a folder's name is not an extension).
QString ChangeExtension(const QString& newExtension, const QString& fileName);
// The size of a file, -1 when it does not exist.
qint64 FileSize64(const QString& fileName);
// The frame size in an AVI file's main header; an invalid size when the file
// is missing or no AVI file.
QSize AviFrameSize(const QString& fileName);
bool DirectoryExists(const QString& path);
// Creates a folder and its parents; true when it exists afterwards.
bool ForceDirectories(const QString& path);
bool ForceFileDirectory(const QString& fileName);

// Below this many free bytes a recording stops.
inline constexpr qint64 minimumFreeBytes = 25000000;
bool EnoughFreeSpace(qint64 freeBytes);
// False for an empty path; true when the free space cannot be told.
bool HasEnoughDiskSpace(const QString& path);
// 1 for a network file system, 2 for an optical disc, 0 otherwise.
int DriveKind(const QString& path);

// Speaker volume (0 .. 65535) and balance (-32768 left only .. 32767 right
// only) as the two channel volumes, and back.
struct ChannelVolumes {
    int left = 0;
    int right = 0;
};
ChannelVolumes VolumeBalanceToChannels(int volume, int balance);
void ChannelsToVolumeBalance(ChannelVolumes channels, int& volume, int& balance);

// The mixer of the original design (winmm speaker and line controls) has no
// counterpart here: these write "not available" to the process log and
// return false, leaving the values unchanged.
bool MixerLineMute(int mixerId, int lineId, bool set, bool& value);
bool SpeakerVolumeBalance(int& volume, int& balance, bool set);

// An absolute folder for the component's scratch files, under the user's
// settings folder (created when missing).
QString TemporaryFolder();

} // namespace velmar::video
