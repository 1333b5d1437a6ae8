#include "deck/ui/DeckLogic.h"

#include "platform/DateTimeText.h"
#include "sound/RecordingInfo.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace velmar::deck {

bool CommandAvailable(DeckCommand command, const DeckCommandState& s)
{
    switch (command) {
    case CmdPlay: return s.lastState == 0 && s.fileOpen;
    case CmdPlayList: return !s.playListEmpty;
    case CmdPause:
    case CmdWind: return s.lastState == 1;
    case CmdRewind: return s.fileOpen;
    case CmdOptions: return s.lastState == 0;
    case CmdFilter: return s.lastFileRate != 0;
    case CmdSelectFolder: return true;
    case CmdSubFolders: return !s.listByPeriod;
    }
    return false;
}

uint32_t StartFrame(uint32_t fileRate, double startSeconds)
{
    const double frame = double(fileRate) * startSeconds;
    return frame > 0 ? uint32_t(frame) : 0;
}

double SliderSeconds(int sliderValue, double duration)
{
    return sliderValue / 1000.0 * duration;
}

int SliderValue(double positionSeconds, double duration)
{
    return duration > 0 ? int(positionSeconds * 1000 / duration) : 0;
}

NextTrack AfterPlayback(LastTransport last, int index, int count, float interTrackDelay)
{
    if (last == LastTransport::Pause || index + 1 >= count)
        return {};
    return {true, std::max(0, int(interTrackDelay * 1000))};
}

bool MayJoin(bool joinTracks, const std::optional<platform::SystemTime>& trackStart)
{
    if (!joinTracks)
        return false;
    return !trackStart || (trackStart->wMinute != 25 && trackStart->wMinute != 55);
}

int MeterDb(int peak)
{
    const double value = peak / 32768.0;
    return value > 0 ? int(20 * std::log(value) * 0.434105027) : -60;
}

QString DeckListItem::column(int c) const
{
    switch (c) {
    case 0: return name;
    case 1: return folder;
    case 2: return date;
    case 3: return length;
    case 4: return channels;
    case 5: return rate;
    case 6: return comment;
    }
    return QString();
}

namespace {

bool hasSuffix(const QString& path, const char* suffix)
{
    return path.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
}

void listDirectory(const QDir& base, const QDir& dir, bool recursive, std::vector<DeckListItem>& items)
{
    QStringList files;
    // WAV files first, then AIFF, as the list has always shown them.
    for (const char* pattern : {"*.wav", "*.aif"}) {
        QDir d(dir);
        d.setNameFilters({QLatin1String(pattern)});
        d.setFilter(QDir::Files);
        d.setSorting(QDir::Name);
        files += d.entryList();
    }
    const QString relative = base.relativeFilePath(dir.absolutePath());
    const QString folderColumn = relative.isEmpty() || relative == QLatin1String(".")
                                   ? QString()
                                   : QStringLiteral(".\\%1\\").arg(
                                       QString(relative).replace(QLatin1Char('/'), QLatin1Char('\\')));
    for (const QString& f : files) {
        DeckListItem item;
        item.name = f;
        item.folder = folderColumn;
        item.number = int(items.size());
        if (auto sound = OpenSoundFile(dir.filePath(f))) {
            sound::RECORDINGINFO info;
            sound::WavHeaderToRecordingInfo(sound->header, info);
            item.date = info.StartTime;
            item.length = platform::FormatSecondsHms(int(sound->header.Duration()));
            item.channels = QString::number(sound->header.Channels);
            item.rate = QString::number(sound->header.SampleRate);
            item.comment = info.Comment;
        }
        items.push_back(item);
    }
    if (!recursive)
        return;
    // Folders by type: links and hidden or read-only folders are folders too.
    for (const QString& sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name))
        listDirectory(base, QDir(dir.filePath(sub)), recursive, items);
}

} // namespace

std::vector<DeckListItem> ListFolder(const QString& folder, bool recursive)
{
    std::vector<DeckListItem> items;
    const QDir base(folder);
    if (base.exists())
        listDirectory(base, base, recursive, items);
    return items;
}

std::vector<DeckListItem> ListPeriod(const std::vector<PeriodRecording>& rows, const platform::SystemTime& periodStart,
                                     const QString& folder)
{
    std::vector<DeckListItem> items;
    for (const PeriodRecording& r : rows) {
        platform::SystemTime start;
        if (!platform::InterpretTimeString(r.startTime, &start))
            continue;
        if (platform::SecondsBetween(platform::AddSecondsToTime(start, r.duration), periodStart) < 0)
            continue;
        DeckListItem item;
        item.name = r.fileName.trimmed();
        item.folder = r.mediaName.trimmed();
        item.date = r.startTime;
        item.length = platform::FormatSecondsHms(r.duration);
        item.channels = QString::number(r.channels);
        item.rate = QString::number(r.sampleRate);
        const QString comment = r.comment.trimmed();
        item.comment = QFileInfo::exists(PeriodItemPath(folder, item.name)) ? QStringLiteral("* ") + comment : comment;
        item.number = int(items.size());
        items.push_back(item);
    }
    return items;
}

int NextSortState(int state)
{
    return state == 1 ? 2 : 1;
}

void SortItems(std::vector<DeckListItem>& items, int column, int state)
{
    std::stable_sort(items.begin(), items.end(), [column, state](const DeckListItem& a, const DeckListItem& b) {
        const QByteArray x = a.column(column).left(29).toUtf8();
        const QByteArray y = b.column(column).left(29).toUtf8();
        return state == 2 ? y < x : x < y;
    });
}

namespace {
QString withoutTrailingSlash(QString folder)
{
    if (folder.size() > 1 && (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
        folder.chop(1);
    return folder;
}
} // namespace

QString FolderItemPath(const QString& folder, const QString& column1, const QString& name)
{
    QString sub = column1;
    if (sub.startsWith(QLatin1String(".\\")))
        sub = sub.mid(2);
    sub.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return withoutTrailingSlash(folder) + QLatin1Char('/') + sub + name;
}

QString PeriodItemPath(const QString& folder, const QString& name)
{
    return withoutTrailingSlash(folder) + QLatin1Char('/') + name;
}

std::optional<SoundFile> OpenSoundFile(const QString& path)
{
    const bool wav = hasSuffix(path, ".wav");
    const bool aif = hasSuffix(path, ".aif");
    if (!wav && !aif)
        return std::nullopt;
    SoundFile sound;
    sound.file = std::make_unique<QFile>(path);
    if (!sound.file->open(QIODevice::ReadOnly))
        return std::nullopt;
    if (wav) {
        if (!sound::ReadWavHeader(sound.header, sound.file.get()))
            return std::nullopt;
    } else {
        if (!sound::ReadAiffHeader(sound.header, sound.file.get()).isEmpty())
            return std::nullopt;
        if (const auto text = platform::TimeTextFromFileName(path))
            sound.header.setCreationDate(*text);
    }
    platform::SystemTime start;
    if (platform::InterpretTimeString(sound.header.creationDate(), &start))
        sound.start = start;
    return sound;
}

QString FolderLine(const QString& folder, const QString& volumeLabel)
{
    return volumeLabel.isEmpty() ? folder : QStringLiteral("%1  (%2)").arg(folder, volumeLabel);
}

uint32_t MaskFromBoxes(const std::array<bool, 8>& boxes)
{
    uint32_t mask = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i)
        if (boxes[i])
            mask |= 1u << i;
    return mask;
}

std::array<bool, 8> BoxesFromMask(uint32_t mask)
{
    std::array<bool, 8> boxes{};
    for (std::size_t i = 0; i < boxes.size(); ++i)
        boxes[i] = (mask >> i) & 1u;
    return boxes;
}

} // namespace velmar::deck
