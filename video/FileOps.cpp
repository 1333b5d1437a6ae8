#include "FileOps.h"

#include "ProcessLog.h"
#include "platform/Folders.h"
#include "platform/RecordIO.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <cmath>

namespace velmar::video {

namespace {
constexpr int balanceSpan = 32767;
constexpr int balanceOffset = 32768;

QStringList linesOf(const QString& text)
{
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& l : lines)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}
} // namespace

int LineCount(const QString& text)
{
    return int(linesOf(text).size());
}

QString LineAt(const QString& text, int index)
{
    const QStringList lines = linesOf(text);
    if (index < 0 || index >= lines.size())
        return {};
    return lines.at(index);
}

int IndexOfLine(const QString& text, const QString& line)
{
    const QStringList lines = linesOf(text);
    for (int i = 0; i < lines.size(); ++i)
        if (lines.at(i).compare(line, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void MoveToFront(QStringList& list, const QString& item)
{
    const int i = int(list.indexOf(item));
    if (i > 0) {
        list.removeAt(i);
        list.insert(0, item);
    }
}

int LastCharPos(QChar c, const QString& text)
{
    return int(text.lastIndexOf(c)) + 1;
}

QString ChangeExtension(const QString& newExtension, const QString& fileName)
{
    // A dot in a folder's name is not the file's extension.
    const int dot = LastCharPos(QLatin1Char('.'), fileName);
    if (dot == 0 || dot < LastCharPos(QLatin1Char('/'), fileName))
        return fileName + QLatin1Char('.') + newExtension;
    return fileName.left(dot) + newExtension;
}

qint64 FileSize64(const QString& fileName)
{
    const QFileInfo info(fileName);
    return info.exists() ? info.size() : -1;
}

QSize AviFrameSize(const QString& fileName)
{
    // "RIFF" size "AVI " "LIST" size "hdrl" "avih" size, then the main
    // header, whose ninth and tenth words are the width and the height.
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.read(72);
    if (head.size() < 72 || !head.startsWith("RIFF") || head.mid(8, 4) != "AVI " || head.mid(12, 4) != "LIST"
        || head.mid(20, 4) != "hdrl" || head.mid(24, 4) != "avih")
        return {};
    const auto word = [&](int at) { return platform::loadLe<quint32>(head.constData() + at); };
    const quint32 width = word(32 + 32), height = word(32 + 36);
    if (width == 0 || height == 0 || width > 65535 || height > 65535)
        return {};
    return QSize(int(width), int(height));
}

bool DirectoryExists(const QString& path)
{
    return QFileInfo(path).isDir();
}

bool ForceDirectories(const QString& path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    if (p.isEmpty() || DirectoryExists(p))
        return true;
    return QDir().mkpath(p);
}

bool ForceFileDirectory(const QString& fileName)
{
    const int slash = LastCharPos(QLatin1Char('/'), fileName);
    if (slash <= 1)
        return true;
    return ForceDirectories(fileName.left(slash - 1));
}

bool EnoughFreeSpace(qint64 freeBytes)
{
    return freeBytes >= minimumFreeBytes;
}

bool HasEnoughDiskSpace(const QString& path)
{
    if (path.isEmpty())
        return false;
    QFileInfo info(path);
    QString existing = info.absoluteFilePath();
    while (!existing.isEmpty() && !QFileInfo::exists(existing))
        existing = QFileInfo(existing).absolutePath() == existing ? QString() : QFileInfo(existing).absolutePath();
    const QStorageInfo storage(existing.isEmpty() ? QDir::rootPath() : existing);
    if (!storage.isValid() || !storage.isReady())
        return true;
    return EnoughFreeSpace(storage.bytesAvailable());
}

int DriveKind(const QString& path)
{
    const QStorageInfo storage(path);
    const QByteArray type = storage.fileSystemType();
    if (type.startsWith("nfs") || type == "cifs" || type == "smb3" || type.startsWith("fuse.sshfs"))
        return 1;
    if (type == "iso9660" || type == "udf")
        return 2;
    return 0;
}

ChannelVolumes VolumeBalanceToChannels(int volume, int balance)
{
    if (balance <= 0)
        return {volume, int(std::lround(double(volume) * (balance + balanceOffset) / balanceSpan))};
    return {int(std::lround(double(volume) * (balanceSpan - balance) / balanceSpan)), volume};
}

void ChannelsToVolumeBalance(ChannelVolumes c, int& volume, int& balance)
{
    if (c.left == c.right) {
        volume = c.left;
        balance = 0;
    } else if (c.right < c.left) {
        volume = c.left;
        balance = int(std::lround(double(c.right) / c.left * balanceSpan - balanceOffset));
    } else {
        volume = c.right;
        balance = int(std::lround(balanceSpan - double(c.left) / c.right * balanceSpan));
    }
}

bool MixerLineMute(int, int, bool, bool&)
{
    WriteLog(cfRed, QStringLiteral("mixer line mute: not available"));
    return false;
}

bool SpeakerVolumeBalance(int&, int&, bool)
{
    WriteLog(cfRed, QStringLiteral("speaker volume and balance: not available"));
    return false;
}

QString TemporaryFolder()
{
    const QString folder = platform::settingsFolder() + QStringLiteral("/temp");
    QDir().mkpath(folder);
    return QDir(folder).absolutePath();
}

} // namespace velmar::video
