#include "sound/RecordingInfo.h"

#include "platform/Utilities.h"

#include <algorithm>

namespace velmar::sound {

namespace {
constexpr qint64 Megabyte = 1 << 20;
// The largest file split size: the WAV header's RIFF size (data + 124) must
// fit in 32 bits whatever MaxSingle says.
constexpr qint64 MaxSingleMegabytes = 4095;

} // namespace

void RECORDINGINFO::Clear()
{
    *this = RECORDINGINFO();
    DeviceType = DeviceNumber = Bits = nChannels = 0;
    SampleRate = 0;
    ChannelGain = RecorderId = 0;
    OutputDirectory.clear();
    RecordInterval = RecordDuration = 0;
    MediaInitials.clear();
    FileInitials.clear();
    TimeFileName = false;
    nBits = MediaNumber = 0;
    SmartFolders = false;
    FolderSize = 0;
    LimitSingle = false;
    MaxSingle = 0;
    BufferLength = TapeLength = 0;
    DeviceValid = false;
}

void RECORDINGINFO::TrimTexts()
{
    for (QString* text : {&Name, &OutputDirectory, &MediaInitials, &FileInitials, &Copyright, &DeviceName})
        platform::TrimRight(*text);
}

QString RECORDINGINFO::MediaFolderName() const
{
    return MediaFolderName(MediaNumber);
}

QString RECORDINGINFO::MediaFolderName(int mediaNumber) const
{
    return QStringLiteral("%1_%2").arg(MediaInitials).arg(mediaNumber, 4, 10, QLatin1Char('0'));
}

qint64 RECORDINGINFO::SingleFileLimitBytes() const
{
    return std::clamp<qint64>(MaxSingle, 1, MaxSingleMegabytes) * Megabyte;
}

qint64 RECORDINGINFO::FolderLimitBytes() const
{
    return std::max<qint64>(FolderSize, 1) * Megabyte;
}

} // namespace velmar::sound
