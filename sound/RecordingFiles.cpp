#include "sound/RecordingFiles.h"

#include "settings/PipeSettings.h"
#include "platform/Folders.h"
#include "platform/DateTimeText.h"
#include "platform/Utilities.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QStorageInfo>

#include <unistd.h>

Q_LOGGING_CATEGORY(lcRecordingFiles, "velmar.sound.recordingfiles")

namespace velmar::sound {

namespace {

constexpr qint64 Megabyte = 1 << 20;
constexpr int TapeAlarmMinutes = 15;
constexpr int TapeCycleAlarmMinutes = 60;

const QString UnableToCreate = QStringLiteral("Unable to create output directory");

QString zeroPadded(qint64 value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

int dateNumber(const platform::SystemTime& t)
{
    return t.wYear * 10000 + t.wMonth * 100 + t.wDay;
}

int timeOfDayNumber(const platform::SystemTime& t)
{
    return t.wHour * 10000 + t.wMinute * 100 + t.wSecond;
}

// The minutes of an automatic cycle's recording time that fit in `minutes` of
// continuous recording.
double cycleFactor(const RECORDINGINFO& r)
{
    return r.RecordDuration > 0 ? double(qint64(r.RecordInterval) * 60 / r.RecordDuration) : 1.0;
}

// Messages go to the recorder window, or to the log when there is none.
void say(const RecordingServices& services, const QString& text, const QString& caption)
{
    if (services.showMessage)
        services.showMessage(text, caption);
    else
        qCWarning(lcRecordingFiles).noquote() << caption << text;
}

bool ensureFolder(const QString& folder)
{
    return QFileInfo(folder).isDir() || QDir().mkpath(folder);
}

QString driveTypeText(const QStorageInfo& storage)
{
    if (!storage.isValid())
        return QStringLiteral("Unknown Drive Type");
    const QByteArray type = storage.fileSystemType().toLower();
    static const QRegularExpression remote(
        QStringLiteral("^(nfs|nfs4|cifs|smb|smb3|smbfs|sshfs|fuse\\.sshfs|9p|afs|ceph|glusterfs)$"));
    if (remote.match(QString::fromLatin1(type)).hasMatch())
        return QStringLiteral("Remote Disk");
    if (type == "iso9660" || type == "udf")
        return QStringLiteral("CD Rom");
    if (type == "tmpfs" || type == "ramfs")
        return QStringLiteral("RAM Disk");
    // A block device that the kernel marks removable (card readers, USB discs).
    const QString device = QFileInfo(QString::fromLocal8Bit(storage.device())).fileName();
    if (!device.isEmpty()) {
        const QString sys = QStringLiteral("/sys/class/block/") + device;
        for (const QString& flag : {sys + QStringLiteral("/removable"), sys + QStringLiteral("/../removable")}) {
            QFile f(flag);
            if (f.open(QIODevice::ReadOnly))
                return f.readAll().trimmed() == "1" ? QStringLiteral("Removable Disk") : QStringLiteral("Fixed Disk");
        }
    }
    return QStringLiteral("Fixed Disk");
}

} // namespace

QString RecordingFolderPath(const QString& outputDirectory)
{
    QString path = platform::toLocalPath(outputDirectory);
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:/*"));
    const bool windowsDrive = drive.match(path).hasMatch();
    if (windowsDrive)
        path.remove(drive);
    if (windowsDrive || QFileInfo(path).isRelative())
        path = QDir::home().filePath(path);
    return QDir::cleanPath(path);
}

QString TimeFileName(const QString& initials, int date, int timeOfDay, int letterIndex)
{
    QString name = initials + zeroPadded(date, 8) + QLatin1Char('_') + zeroPadded(timeOfDay, 6);
    if (letterIndex >= 0)
        name += QLatin1Char('_') + QChar(u'A' + letterIndex);
    return name + QStringLiteral(".wav");
}

QString SequenceFileName(const QString& initials, int date, int sequence)
{
    return initials + zeroPadded(date, 8) + QLatin1Char('_') + zeroPadded(sequence, 4) + QStringLiteral(".wav");
}

QString TapeCutName(int cut)
{
    return QStringLiteral("Cut_") + zeroPadded(cut, 4);
}

QString RecordingFilePath(const RECORDINGINFO& recording)
{
    return QDir(RecordingFolderPath(recording.OutputDirectory)).filePath(recording.FileName);
}

bool MakeRecordingFileName(RECORDINGINFO& r, const platform::SystemTime& time, const QString& triggerReason,
                           bool automaticWindowOpen, const RecordingServices& services)
{
    r.FileTime = time;
    r.StartTime = platform::FormatTimeStamp(time);
    r.MediaName = r.MediaFolderName();
    if (!triggerReason.isEmpty())
        r.Comment = triggerReason;
    else if (automaticWindowOpen)
        r.Comment = QStringLiteral("Automatic Recording");
    else
        r.Comment.clear();
    if (services.gpsReference)
        services.gpsReference(r.GpsIndex, r.GpsTime);

    const QDir output(RecordingFolderPath(r.OutputDirectory));
    if (!ensureFolder(output.path())) {
        say(services, output.path(), UnableToCreate);
        return false;
    }
    const QDir media(output.filePath(r.MediaName));

    const int date = dateNumber(time);
    const int timeOfDay = timeOfDayNumber(time);
    if (date != r.FileDate)
        r.FileSequence = 1;
    // A file name is never used twice in the output folder or the current
    // media folder.
    for (int letter = -1;; ++letter) {
        r.FileName = r.TimeFileName ? TimeFileName(r.FileInitials, date, timeOfDay, letter)
                                    : SequenceFileName(r.FileInitials, date, r.FileSequence);
        ++r.FileSequence;
        if (!QFileInfo::exists(media.filePath(r.FileName)) && !QFileInfo::exists(output.filePath(r.FileName)))
            break;
    }
    r.FileDate = date;
    return true;
}

QString SetLastFileName(RECORDINGINFO& r, const QString& path, int length)
{
    r.FileName = platform::FileNameTail(path).left(RECORDINGINFO::FileNameSize - 1);
    return path.left(std::max(length, 0));
}

bool MoveRecordingFile(const QString& from, const QString& to)
{
    if (QFileInfo::exists(to))
        return false;
    if (QDir().rename(from, to))
        return true;
    // Another file system: copy, check the copy, then delete the original.
    const qint64 size = QFileInfo(from).size();
    if (!QFile::copy(from, to))
        return false;
    QFile copy(to);
    if (!copy.open(QIODevice::ReadWrite) || QFileInfo(to).size() != size || ::fsync(copy.handle()) != 0) {
        copy.close();
        QFile::remove(to);
        return false;
    }
    copy.close();
    if (!QFile::remove(from))
        qCWarning(lcRecordingFiles).noquote() << "copied" << from << "to" << to << "but could not delete it";
    return true;
}

QString FoldersLineText(const RECORDINGINFO& r)
{
    return QStringLiteral("%1 Directories require backing up and deleting")
        .arg(platform::CountSubFolders(RecordingFolderPath(r.OutputDirectory), r.MediaFolderName()));
}

FileClosedResult OnFileClosed(RECORDINGINFO& r, const platform::SystemTime& fileStart,
                              const RecordingServices& services, std::optional<double> fileSeconds)
{
    FileClosedResult result;
    r.FileTime = fileStart;
    r.StartTime = platform::FormatTimeStamp(fileStart);
    if (fileSeconds) {
        // What the file holds, not the time it was open: a source that ended
        // or a disk that filled up leaves less sound than time.
        r.Duration = int32_t(std::clamp(*fileSeconds, 0.0, double(INT32_MAX)));
    } else {
        const platform::SystemTime now = services.programTime ? services.programTime() : platform::SystemTime::nowUtc();
        r.Duration = int32_t(platform::SecondsBetween(now, fileStart));
    }

    const QDir output(RecordingFolderPath(r.OutputDirectory));
    const QString lastFile = output.filePath(r.FileName);
    result.finalPath = lastFile;
    if (r.DeviceType != pipeserver::DeviceExternalTape && r.SmartFolders) {
        QString folder = output.filePath(r.MediaName);
        if (!ensureFolder(folder))
            say(services, folder, UnableToCreate);
        const qint64 folderBytes = platform::SumWavFileSizes(folder);
        const QFileInfo closed(lastFile);
        qint64 fileBytes = 0;
        if (closed.isFile())
            fileBytes = closed.size();
        else
            say(services, QStringLiteral("Cannot get size of %1").arg(r.FileName), QString());

        if (r.FolderLimitBytes() < folderBytes + fileBytes) {
            ++r.MediaNumber;
            result.mediaChanged = true;
            if (services.writeProgramSettings)
                services.writeProgramSettings();
            r.MediaName = r.MediaFolderName();
            folder = output.filePath(r.MediaName);
            if (QFileInfo(folder).isDir())
                say(services, folder, QStringLiteral("Warning, output directory already exists"));
            else if (!QDir().mkpath(folder))
                say(services, folder, QStringLiteral("Warning can't create output directory"));
        }
        const QString target = QDir(folder).filePath(r.FileName);
        if (MoveRecordingFile(lastFile, target))
            result.finalPath = target;
        else
            say(services, target, QStringLiteral("Cannot move file to new directory"));
    }
    if (services.bookRecording)
        services.bookRecording(r);
    r.Comment.clear();
    return result;
}

RecordingDisk MeasureRecordingDisk(const QString& outputDirectory)
{
    // The folder itself, or the nearest folder above it that exists yet.
    QFileInfo folder(RecordingFolderPath(outputDirectory));
    while (!folder.exists() && !folder.isRoot())
        folder = QFileInfo(folder.absolutePath());
    const QStorageInfo storage(folder.absoluteFilePath());
    RecordingDisk disk;
    disk.valid = storage.isValid() && storage.isReady();
    disk.freeMegabytes = disk.valid ? storage.bytesAvailable() / Megabyte : 0;
    disk.driveTypeText = driveTypeText(storage);
    disk.driveText = storage.rootPath();
    return disk;
}

QString DiskSpaceLineText(const RecordingDisk& disk)
{
    return QStringLiteral("%1 Megabytes free space on %2 %3")
        .arg(disk.freeMegabytes)
        .arg(disk.driveTypeText, disk.driveText);
}

QString DiskFileLineText(const RECORDINGINFO& r, int deviceStatus, bool buffering)
{
    if (deviceStatus == 1)
        return buffering ? QStringLiteral("File Closed - Writing data to memory buffer")
                         : QStringLiteral("Writing %1 bit data to %2").arg(r.nBits).arg(r.FileName);
    return QStringLiteral("File Closed - last file %1").arg(r.FileName);
}

TimeLeft DiskTimeLeft(const RECORDINGINFO& r, qint64 freeMegabytes, int diskWarningHours, RecorderDisplayMode mode)
{
    const double bytesPerMinute = std::max(double(r.SampleRate) * std::max(r.nChannels, 1) * 2 * 60, 1.0);
    double minutes = double(freeMegabytes) * double(Megabyte) / bytesPerMinute;
    if (mode == RecorderDisplayMode::AutomaticCycle)
        minutes *= cycleFactor(r);
    TimeLeft left;
    left.minutes = int(std::min(minutes, double(INT32_MAX)));
    left.alarm = double(diskWarningHours) * 60 > minutes;
    left.text = (mode == RecorderDisplayMode::Off ? QStringLiteral("%1 minutes of record time remaining on disk")
                                                  : QStringLiteral("Disk will be full in %1 minutes"))
                    .arg(left.minutes);
    return left;
}

QString TapeUsedLineText(const RECORDINGINFO& r, double secondsUsed)
{
    return QStringLiteral("%1 Used on Tape %2")
        .arg(platform::FormatSecondsHms(int(std::max(secondsUsed, 0.0))), r.MediaName);
}

TimeLeft TapeTimeLeft(const RECORDINGINFO& r, RecorderDisplayMode mode)
{
    double minutes = r.TapeLength - r.SecondsUsed / 60.0;
    TimeLeft left;
    if (mode == RecorderDisplayMode::AutomaticCycle) {
        left.alarm = minutes < TapeCycleAlarmMinutes;
        minutes *= cycleFactor(r);
    } else {
        left.alarm = minutes < TapeAlarmMinutes;
    }
    left.minutes = int(std::clamp(minutes, double(INT32_MIN), double(INT32_MAX)));
    left.text = (mode == RecorderDisplayMode::Off ? QStringLiteral("%1 minutes of record time remaining on tape")
                                                  : QStringLiteral("Tape will be full in %1 minutes"))
                    .arg(left.minutes);
    return left;
}

NewMediaTexts NewMediaDialogTexts(const RECORDINGINFO& r)
{
    const bool tape = r.DeviceType == pipeserver::DeviceExternalTape;
    return {tape ? QStringLiteral("Remove the old tape") : QStringLiteral("Remove the old disk"),
            tape ? QStringLiteral("Insert the new tape") : QStringLiteral("Insert the new disk"),
            r.MediaFolderName(r.MediaNumber), r.MediaFolderName(r.MediaNumber + 1)};
}

void AcceptNewMedia(RECORDINGINFO& r)
{
    ++r.MediaNumber;
    r.SecondsUsed = 0;
    r.FileSequence = 0;
}

} // namespace velmar::sound
