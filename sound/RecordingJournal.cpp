#include "sound/RecordingJournal.h"

#include "platform/DateTimeText.h"
#include "sound/RecordingFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace velmar::sound {

namespace {

const QString JournalSuffix = QStringLiteral(".booking");

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The folder's entries (a file just made or removed in it) reach the disk.
bool syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

QJsonArray timeToJson(const platform::SystemTime& t)
{
    return {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

std::optional<platform::SystemTime> timeFromJson(const QJsonValue& value)
{
    const QJsonArray a = value.toArray();
    if (a.size() != 8)
        return std::nullopt;
    uint16_t f[8];
    for (int i = 0; i < 8; ++i) {
        const int v = a[i].toInt(-1);
        if (v < 0 || v > 0xFFFF)
            return std::nullopt;
        f[i] = uint16_t(v);
    }
    platform::SystemTime t{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]};
    if (!t.isValid())
        return std::nullopt;
    return t;
}

} // namespace

QString RecordingJournalPath(const RECORDINGINFO& recording)
{
    return RecordingFilePath(recording) + JournalSuffix;
}

bool WriteRecordingJournal(const RECORDINGINFO& r, const platform::SystemTime& fileStart, QString* error)
{
    const QJsonObject journal{
        {QStringLiteral("recorderId"), r.RecorderId},
        {QStringLiteral("fileName"), r.FileName},
        {QStringLiteral("fileStart"), timeToJson(fileStart)},
        {QStringLiteral("startTime"), platform::FormatTimeStamp(fileStart)},
        {QStringLiteral("gpsIndex"), r.GpsIndex},
        {QStringLiteral("gpsTime"), r.GpsTime},
        {QStringLiteral("mediaName"), r.MediaName},
        {QStringLiteral("mediaType"), r.MediaType},
        {QStringLiteral("deviceType"), r.DeviceType},
        {QStringLiteral("deviceTypeText"), r.DeviceTypeText},
        {QStringLiteral("deviceNameText"), r.DeviceNameText},
        {QStringLiteral("sampleRate"), qint64(r.SampleRate)},
        {QStringLiteral("channels"), r.nChannels},
        {QStringLiteral("comment"), r.Comment},
    };
    const QByteArray bytes = QJsonDocument(journal).toJson();
    const QString path = RecordingJournalPath(r);
    const QByteArray local = QFile::encodeName(path);
    int failure = 0;
    const int fd = ::open(local.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        failure = errno;
    qint64 done = 0;
    while (!failure && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            failure = n == 0 ? ENOSPC : errno;
        else
            done += n;
    }
    if (!failure && ::fsync(fd) != 0)
        failure = errno;
    if (fd >= 0 && ::close(fd) != 0 && !failure)
        failure = errno;
    if (!failure && !syncFolder(QFileInfo(path).absolutePath()))
        failure = errno;
    if (failure) {
        if (error)
            *error = systemReason(failure);
        ::unlink(local.constData());
        return false;
    }
    return true;
}

void RemoveRecordingJournal(const RECORDINGINFO& booking)
{
    const QString path = RecordingJournalPath(booking);
    if (QFile::remove(path))
        syncFolder(QFileInfo(path).absolutePath());
}

QStringList FindRecordingJournals(const QString& outputDirectory)
{
    const QDir folder(RecordingFolderPath(outputDirectory));
    QStringList paths;
    for (const QString& name : folder.entryList({QStringLiteral("*") + JournalSuffix}, QDir::Files, QDir::Name))
        paths << folder.filePath(name);
    return paths;
}

std::optional<RecordingJournal> ReadRecordingJournal(const QString& path, QString* error)
{
    auto failed = [error](const QString& why) -> std::optional<RecordingJournal> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(file.errorString());
    QJsonParseError parse{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parse);
    if (parse.error != QJsonParseError::NoError || !document.isObject())
        return failed(QStringLiteral("It is not whole (%1)").arg(parse.errorString()));
    const QJsonObject o = document.object();
    RecordingJournal j;
    RECORDINGINFO& r = j.recording;
    const auto start = timeFromJson(o.value(QStringLiteral("fileStart")));
    r.FileName = o.value(QStringLiteral("fileName")).toString();
    r.SampleRate = uint32_t(o.value(QStringLiteral("sampleRate")).toInteger());
    r.nChannels = o.value(QStringLiteral("channels")).toInt();
    if (!start || r.FileName.isEmpty() || r.FileName.contains(QLatin1Char('/')) || r.SampleRate == 0 || r.nChannels < 1)
        return failed(QStringLiteral("It lacks the file's name, start, rate or channels"));
    j.fileStart = *start;
    r.RecorderId = o.value(QStringLiteral("recorderId")).toInt();
    r.FileTime = *start;
    r.StartTime = o.value(QStringLiteral("startTime")).toString();
    r.GpsIndex = o.value(QStringLiteral("gpsIndex")).toInt();
    r.GpsTime = o.value(QStringLiteral("gpsTime")).toString();
    r.MediaName = o.value(QStringLiteral("mediaName")).toString();
    r.MediaType = o.value(QStringLiteral("mediaType")).toString();
    r.DeviceType = o.value(QStringLiteral("deviceType")).toInt();
    r.DeviceTypeText = o.value(QStringLiteral("deviceTypeText")).toString();
    r.DeviceNameText = o.value(QStringLiteral("deviceNameText")).toString();
    r.Comment = o.value(QStringLiteral("comment")).toString();
    return j;
}

} // namespace velmar::sound
