#pragma once
// RECORDINGINFO: the one record of the recording side of Velmar. It is at once
// a recorder's settings (one row of UDC_TapeRecorders), the description of the
// recording being written, and the parameter record of its Recordings row.
// The decks use it to describe the recordings they list.
//
// A plain value type: each thread works on its own copy (a recorder's booking
// is copied and handed to the thread that owns the database connection).
#include "platform/SystemTime.h"

#include <QString>

#include <cstdint>

namespace velmar::sound {

struct RECORDINGINFO {
    // Widths of the text fields, terminator included, as the columns and the
    // Recordings row hold them.
    static constexpr int NameSize = 81;
    static constexpr int OutputDirectorySize = 260;
    static constexpr int InitialsSize = 20; // MediaInitials, FileInitials, Copyright
    static constexpr int DeviceNameSize = 256;
    static constexpr int TimeTextSize = 22; // GpsTime, StartTime
    static constexpr int MediaTypeSize = 50;
    static constexpr int DeviceTypeTextSize = 20;
    static constexpr int MediaNameSize = 50;
    static constexpr int FileNameSize = 50;
    static constexpr int DeviceNameTextSize = 32;
    static constexpr int CommentSize = 101;

    // Start kinds of a running recording.
    enum StartKind : int32_t { StartRecord = 0, StartBufferOnly = 1, StartRecordWithBuffer = 2 };

    // The acquisition settings: the first six fields.
    int32_t DeviceType = 1;
    int32_t DeviceNumber = 0;
    int32_t Bits = 0;
    int32_t nChannels = 2;
    uint32_t SampleRate = 48000;
    int32_t ChannelGain = 1;

    int32_t RecorderId = 0;
    QString Name;
    QString OutputDirectory = QStringLiteral("c:\\AutorecFiles");
    int32_t RecordInterval = 120; // minutes
    int32_t RecordDuration = 20;  // seconds
    QString MediaInitials = QStringLiteral("AutoRec");
    QString FileInitials = QStringLiteral("Rec");
    bool TimeFileName = true;
    QString Copyright;
    int32_t nBits = 16;
    int32_t MediaNumber = 0;
    bool SmartFolders = true;
    int32_t FolderSize = 640; // megabytes
    bool LimitSingle = true;
    int32_t MaxSingle = 640; // megabytes
    bool EnableBuffer = false;
    int32_t BufferLength = 10; // seconds
    int32_t TapeLength = 3600; // minutes
    int32_t RemoteEnable = 0;  // trigger mask, bit i = user form i
    bool FlashDiode = false;
    int32_t Diode = 0;
    QString DeviceName;

    // The description of the recording.
    int32_t GpsIndex = 0;
    QString GpsTime;
    QString StartTime;    // "YYYY-MM-DD hh:mm:ss"
    int32_t Duration = 0; // seconds
    QString MediaType;
    QString DeviceTypeText;
    QString MediaName;
    QString FileName;
    QString DeviceNameText;
    QString Comment;
    int32_t FileDate = 0; // yyyymmdd of the last file name made
    int32_t FileSequence = 0;
    float SecondsUsed = 0;
    int32_t StartType = StartRecord;
    bool DeviceValid = true;
    platform::SystemTime FileTime;

    // A record with the defaults.
    RECORDINGINFO() = default;

    // Everything zero, false or empty (what reading a row starts from).
    void Clear();
    // Trailing blanks off the six stored texts.
    void TrimTexts();

    // "%s_%4.4d" of MediaInitials and MediaNumber (and of a given number).
    QString MediaFolderName() const;
    QString MediaFolderName(int mediaNumber) const;

    // The size at which a recording file is closed and the next begun: MaxSingle
    // megabytes (at least one), never so large that the WAV header's 32-bit
    // sizes would overflow.
    qint64 SingleFileLimitBytes() const;
    // FolderSize megabytes (at least one), in 64 bits.
    qint64 FolderLimitBytes() const;

    bool operator==(const RECORDINGINFO&) const = default;
};

} // namespace velmar::sound
