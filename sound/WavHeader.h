#pragma once
// WAVHEADER: the 132-byte header that begins every WAV recording Velmar writes,
// plus the facts the readers find in WAV and AIFF files (format and offset of
// the first sample). The recorder writes a header when it opens a file and
// again over it when it closes the file; the decks read the headers of the
// files they list and play.
//
// Plain value type and free functions; any thread may use them on its own
// header and file. Readers never show anything: they hand back the message
// (text and caption) for the caller's window to show.
#include "platform/SystemTime.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

class QIODevice;

namespace velmar::sound {

struct RECORDINGINFO;

enum SoundFileFormat : int32_t { FormatNone = 0, FormatWav = 1, FormatAiff = 2 };

// A message for the operator: text and caption of a message box.
struct FileMessage {
    QString text;
    QString caption;
    bool isEmpty() const { return text.isEmpty(); }
};

struct WAVHEADER {
    static constexpr int ByteSize = 132;
    static constexpr int CopyrightBytes = 20;    // ICOP text
    static constexpr int CreationDateBytes = 40; // ICRD text
    static constexpr uint16_t FormatPcm = 1;
    static constexpr uint16_t FormatExtensible = 0xFFFE;
    // The most sample bytes a header can describe: RIFF size = data + 124.
    static constexpr qint64 MaxDataBytes = 0xFFFFFFFFll - 124;

    uint32_t RiffSize = 140;
    uint32_t ListSize = 80;
    uint32_t IcopSize = CopyrightBytes;
    std::array<char, CopyrightBytes> Icop{};
    uint32_t IcrdSize = CreationDateBytes;
    std::array<char, CreationDateBytes> Icrd{};
    uint32_t FmtSize = 16;
    uint16_t FormatTag = FormatPcm;
    uint16_t Channels = 2;
    uint32_t SampleRate = 22050;
    uint32_t BytesPerSecond = 88200;
    uint16_t BlockAlign = 4;
    uint16_t BitsPerSample = 16;
    uint32_t DataSize = 0;
    // Not written to files: set by the readers.
    int32_t FileFormat = FormatNone;
    qint64 FirstSampleOffset = 0;

    // The ICOP and ICRD texts (up to their terminator). The setters cut the
    // text to the field's width, keeping the terminator.
    QString copyright() const;
    void setCopyright(const QString& text);
    QString creationDate() const;
    void setCreationDate(const QString& text);

    // Sets the data size from a count of sample bytes, never past what the
    // 32-bit header fields can describe (whole frames kept).
    void setDataBytes(qint64 bytes);

    // Seconds of sound: data size / bytes per second (0 when that is 0).
    double Duration() const;
    // Offset of the first sample in the file.
    qint64 DataOffset() const { return FirstSampleOffset; }

    // Recomputes the chunk sizes (ICOP 20, ICRD 40, LIST 80, fmt 16, RIFF
    // data + 124) and returns the 132-byte image.
    QByteArray toBytes();
};

// Writes the header at the start of the file, the sizes recomputed first; the
// position is left after the header. False for a missing or unwritable file.
bool WriteWavHeader(WAVHEADER& header, QIODevice* file);

// Reads a WAV header; on success the position is at the first sample. Only
// 16-bit PCM with at least one channel and a rate of at least 1 Hz is taken.
// A data size of 0, or one that runs past the end of the file (a recording
// cut short by a crash), is replaced by the whole frames the file really holds.
// On failure `message` gets the text to show, or stays empty when the file is
// simply not a WAV file.
bool ReadWavHeader(WAVHEADER& header, QIODevice* file, FileMessage* message = nullptr);

// Reads an AIFF header; on success the position is at the first sample.
// Returns the error text, empty on success.
QString ReadAiffHeader(WAVHEADER& header, QIODevice* file);
// ReadAiffHeader with the message to show on failure (caption "Error Reading
// Aif File").
bool ReadAiffFileHeader(WAVHEADER& header, QIODevice* file, FileMessage* message);

// The ICRD text of a recording that starts at `start`: "08 Dec 2010 14:03:05".
QString RecordingCreationDate(const platform::SystemTime& start);

// Clears the recording and fills its start time, duration, channels and
// sample rate from the header. Always true.
bool WavHeaderToRecordingInfo(const WAVHEADER& header, RECORDINGINFO& recording);

} // namespace velmar::sound
