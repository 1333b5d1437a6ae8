#include "sound/WavHeader.h"

#include "platform/DateTimeText.h"
#include "platform/RecordIO.h"
#include "sound/RecordingInfo.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace velmar::sound {

namespace {

constexpr int ChunkHeaderBytes = 8;
constexpr int PcmFmtBytes = 16;
constexpr int ExtensibleFmtBytes = 40;
constexpr int ExtensibleSubFormatAt = 24;
constexpr int MaxChunksBeforeData = 101;
constexpr int AiffMinFileBytes = 12;
constexpr int AiffCommBytes = 18;
constexpr int AiffSsndHeaderBytes = 8; // offset and block size
constexpr uint16_t RequiredBits = 16;

const QString ListErrorText = QStringLiteral("Error in wav file list information");
const QString ListErrorCaption = QStringLiteral("Error in ReadWavHeader");

template <std::size_t N>
QString textOf(const std::array<char, N>& field)
{
    const auto end = std::find(field.begin(), field.end(), '\0');
    return QString::fromLatin1(field.data(), int(end - field.begin()));
}

template <std::size_t N>
void setText(std::array<char, N>& field, const QString& text)
{
    field.fill('\0');
    const QByteArray bytes = text.toLatin1();
    std::memcpy(field.data(), bytes.constData(), std::min<std::size_t>(bytes.size(), N - 1));
}

bool sameIdIgnoringCase(const QByteArray& id, const char* want, int length = 4)
{
    return id.size() >= length && qstrnicmp(id.constData(), want, uint(length)) == 0;
}

// Exactly n bytes at the current position, or nothing.
std::optional<QByteArray> readExact(QIODevice* file, qint64 n)
{
    QByteArray bytes = file->read(n);
    if (bytes.size() != n)
        return std::nullopt;
    return bytes;
}

std::optional<uint32_t> readLe32(QIODevice* file)
{
    const auto b = readExact(file, 4);
    if (!b)
        return std::nullopt;
    return platform::loadLe<uint32_t>(b->constData());
}

std::optional<uint32_t> readBe32(QIODevice* file)
{
    const auto b = readExact(file, 4);
    if (!b)
        return std::nullopt;
    return qFromBigEndian<uint32_t>(b->constData());
}

// Chunks hold an even number of bytes: an odd-sized one is followed by a pad byte.
qint64 paddedSize(uint32_t size)
{
    return qint64(size) + (size & 1);
}

// The text of a LIST sub-chunk: at most min(size, width) - 1 bytes of its data.
template <std::size_t N>
bool readInfoText(QIODevice* file, uint32_t size, std::array<char, N>& field)
{
    field.fill('\0');
    const qint64 keep = std::max<qint64>(std::min<qint64>(size, qint64(N)) - 1, 0);
    const auto bytes = readExact(file, keep);
    if (!bytes)
        return false;
    std::memcpy(field.data(), bytes->constData(), std::size_t(keep));
    return true;
}

void say(FileMessage* message, const QString& text, const QString& caption)
{
    if (message)
        *message = FileMessage{text, caption};
}

// Reads the LIST chunk whose size field has just been read; leaves the
// position after it.
bool readListChunk(WAVHEADER& header, QIODevice* file, uint32_t listSize, FileMessage* message)
{
    const qint64 listStart = file->pos();
    const qint64 listEnd = listStart + listSize;
    qint64 pos = listStart;
    while (pos < listEnd) {
        const auto id = readExact(file, 4);
        if (!id)
            break;
        pos += 4;
        if (sameIdIgnoringCase(*id, "INFO"))
            continue;
        const auto size = readLe32(file);
        if (!size)
            break;
        pos += 4;
        if (sameIdIgnoringCase(*id, "ICOP")) {
            header.IcopSize = *size;
            if (!readInfoText(file, *size, header.Icop))
                break;
        } else if (sameIdIgnoringCase(*id, "ICRD")) {
            header.IcrdSize = *size;
            if (!readInfoText(file, *size, header.Icrd))
                break;
        }
        pos += paddedSize(*size);
        if (!file->seek(pos))
            break;
    }
    // A last odd sub-chunk whose pad byte the LIST size leaves out ends one
    // byte past the list; that pad then doubles as the LIST chunk's own.
    if (pos < listEnd || pos > listEnd + 1) {
        say(message, ListErrorText, ListErrorCaption);
        return false;
    }
    return file->seek(listEnd + (listSize & 1));
}

// Whether a frame of 16-bit samples and a second of them fit the header's
// 16-bit block alignment and 32-bit byte rate (computed in 64 bits: 32768
// channels would wrap to a 0-byte frame, and a rate past 2^30 to a byte
// rate of a few bytes).
bool frameFitsHeader(qint64 channels, qint64 sampleRate)
{
    const qint64 frameBytes = channels * (RequiredBits / 8);
    return channels >= 1 && sampleRate >= 1 && frameBytes <= UINT16_MAX && frameBytes * sampleRate <= UINT32_MAX;
}

bool acceptedFormat(const WAVHEADER& h, const QByteArray& fmt)
{
    bool pcm = h.FormatTag == WAVHEADER::FormatPcm;
    if (h.FormatTag == WAVHEADER::FormatExtensible && fmt.size() >= ExtensibleFmtBytes)
        pcm = platform::loadLe<uint16_t>(fmt.constData() + ExtensibleSubFormatAt) == WAVHEADER::FormatPcm;
    return pcm && h.BitsPerSample == RequiredBits && h.Channels >= 1 && h.SampleRate >= 1
        && frameFitsHeader(h.Channels, h.SampleRate);
}

// The sample bytes the file really holds after the first sample, in whole
// frames, as much as a header can describe.
uint32_t realDataSize(qint64 fileSize, qint64 firstSample, int frameBytes)
{
    qint64 bytes = std::clamp<qint64>(fileSize - firstSample, 0, WAVHEADER::MaxDataBytes);
    if (frameBytes > 0)
        bytes -= bytes % frameBytes;
    return uint32_t(bytes);
}

} // namespace

QString WAVHEADER::copyright() const
{
    return textOf(Icop);
}
void WAVHEADER::setCopyright(const QString& text)
{
    setText(Icop, text);
}
QString WAVHEADER::creationDate() const
{
    return textOf(Icrd);
}
void WAVHEADER::setCreationDate(const QString& text)
{
    setText(Icrd, text);
}

void WAVHEADER::setDataBytes(qint64 bytes)
{
    bytes = std::clamp<qint64>(bytes, 0, MaxDataBytes);
    if (BlockAlign > 0 && bytes == MaxDataBytes)
        bytes -= bytes % BlockAlign;
    DataSize = uint32_t(bytes);
}

double WAVHEADER::Duration() const
{
    return BytesPerSecond ? double(DataSize) / double(BytesPerSecond) : 0.0;
}

QByteArray WAVHEADER::toBytes()
{
    IcopSize = CopyrightBytes;
    IcrdSize = CreationDateBytes;
    ListSize = 4 + (CopyrightBytes + ChunkHeaderBytes) + (CreationDateBytes + ChunkHeaderBytes);
    FmtSize = PcmFmtBytes;
    RiffSize = 4 + (ListSize + ChunkHeaderBytes) + (FmtSize + ChunkHeaderBytes) + ChunkHeaderBytes + DataSize;

    platform::RecordWriter out(ByteSize);
    const auto id = [&out](const char* four) { out.writeBytes(four, 4); };
    id("RIFF");
    out << RiffSize;
    id("WAVE");
    id("LIST");
    out << ListSize;
    id("INFO");
    id("ICOP");
    out << IcopSize << Icop;
    id("ICRD");
    out << IcrdSize << Icrd;
    id("fmt ");
    out << FmtSize << FormatTag << Channels << SampleRate << BytesPerSecond << BlockAlign << BitsPerSample;
    id("data");
    out << DataSize;
    Q_ASSERT(out.bytes().size() == ByteSize);
    return out.bytes();
}

bool WriteWavHeader(WAVHEADER& header, QIODevice* file)
{
    if (!file || !file->isOpen() || !file->seek(0))
        return false;
    const QByteArray bytes = header.toBytes();
    return file->write(bytes) == bytes.size();
}

bool ReadWavHeader(WAVHEADER& header, QIODevice* file, FileMessage* message)
{
    if (message)
        *message = {};
    if (!file || !file->isOpen())
        return false;
    header.Icop.fill('\0');
    header.Icrd.fill('\0');
    header.FmtSize = header.IcrdSize = header.IcopSize = header.ListSize = header.RiffSize = 0;
    if (!file->seek(0))
        return false;

    const auto riff = readExact(file, 4);
    if (!riff || !sameIdIgnoringCase(*riff, "RIFF"))
        return false;
    const auto riffSize = readLe32(file);
    const auto wave = readExact(file, 4);
    if (!riffSize || !wave || !sameIdIgnoringCase(*wave, "WAVE"))
        return false;
    header.RiffSize = *riffSize;

    auto id = readExact(file, 4);
    if (!id)
        return false;
    if (sameIdIgnoringCase(*id, "LIST")) {
        const auto listSize = readLe32(file);
        if (!listSize)
            return false;
        header.ListSize = *listSize;
        if (!readListChunk(header, file, *listSize, message))
            return false;
        id = readExact(file, 4);
        if (!id)
            return false;
    }

    if (!sameIdIgnoringCase(*id, "fmt", 3))
        return false;
    const auto fmtSize = readLe32(file);
    if (!fmtSize)
        return false;
    header.FmtSize = *fmtSize;
    const qint64 fmtStart = file->pos();
    const auto fmt = readExact(file, std::min<qint64>(*fmtSize, ExtensibleFmtBytes));
    if (!fmt || fmt->size() < PcmFmtBytes) {
        say(message,
            fmt ? QStringLiteral("The wav file's format chunk is too short (%1 bytes)").arg(*fmtSize)
                : QStringLiteral("The wav file ends inside its format chunk"),
            ListErrorCaption);
        return false;
    }
    platform::RecordReader(*fmt) >> header.FormatTag >> header.Channels >> header.SampleRate >> header.BytesPerSecond
        >> header.BlockAlign >> header.BitsPerSample;
    if (!acceptedFormat(header, *fmt)) {
        say(message,
            QStringLiteral("Only 16 bit PCM wav files can be read; this one has format %1, %2 bits, "
                           "%3 channels at %4 Hz")
                .arg(header.FormatTag)
                .arg(header.BitsPerSample)
                .arg(header.Channels)
                .arg(header.SampleRate),
            ListErrorCaption);
        return false;
    }
    // The samples are read as interleaved 16-bit frames whatever the stored
    // alignment and rate claim.
    header.BlockAlign = uint16_t(header.Channels * 2);
    header.BytesPerSecond = uint32_t(qint64(header.BlockAlign) * header.SampleRate);
    if (!file->seek(fmtStart + paddedSize(*fmtSize)))
        return false;

    const QString noData = QStringLiteral("Can't find \"DATA\" section in WavFile");
    const QString noDataCaption = QStringLiteral("File Error");
    int others = 0;
    for (;;) {
        id = readExact(file, 4);
        const auto size = readLe32(file);
        if (!id || !size) {
            say(message, noData, noDataCaption);
            return false;
        }
        if (sameIdIgnoringCase(*id, "data")) {
            header.DataSize = *size;
            break;
        }
        if (++others >= MaxChunksBeforeData || !file->seek(file->pos() + paddedSize(*size))) {
            say(message, noData, noDataCaption);
            return false;
        }
    }
    header.FirstSampleOffset = file->pos();
    const qint64 fileSize = file->size();
    if (header.DataSize == 0 || header.FirstSampleOffset + qint64(header.DataSize) > fileSize)
        header.DataSize = realDataSize(fileSize, header.FirstSampleOffset, header.BlockAlign);
    header.FileFormat = FormatWav;
    return true;
}

namespace {

// Converts the 80-bit IEEE extended value of an AIFF sample rate.
std::optional<double> extendedToDouble(const char* b)
{
    const uint16_t signExponent = qFromBigEndian<uint16_t>(b);
    const uint64_t mantissa = qFromBigEndian<uint64_t>(b + 2);
    const int exponent = signExponent & 0x7FFF;
    if (exponent == 0x7FFF)
        return std::nullopt;
    if (exponent == 0 && mantissa == 0)
        return 0.0;
    const double value = std::ldexp(double(mantissa), exponent - 16383 - 63);
    return (signExponent & 0x8000) ? -value : value;
}

// The offset of the chunk `want` (at its identifier), searching from offset 12.
std::optional<qint64> findAiffChunk(QIODevice* file, qint64 fileLength, const char* want)
{
    qint64 offset = AiffMinFileBytes;
    while (offset + ChunkHeaderBytes <= fileLength && file->seek(offset)) {
        const auto id = readExact(file, 4);
        if (!id)
            return std::nullopt;
        if (std::memcmp(id->constData(), want, 4) == 0) {
            file->seek(offset);
            return offset;
        }
        const auto size = readBe32(file);
        if (!size)
            return std::nullopt;
        offset += paddedSize(*size) + ChunkHeaderBytes;
    }
    return std::nullopt;
}

} // namespace

QString ReadAiffHeader(WAVHEADER& header, QIODevice* file)
{
    if (!file || !file->isOpen())
        return QStringLiteral("File seek failed.");
    const qint64 fileLength = file->size();
    bool isAiff = false;
    if (fileLength >= AiffMinFileBytes) {
        if (!file->seek(0))
            return QStringLiteral("File seek failed.");
        const auto form = readExact(file, AiffMinFileBytes);
        if (!form)
            return QStringLiteral("File read failed.");
        isAiff = form->startsWith("FORM") && form->mid(8, 4) == "AIFF";
    }
    if (!isAiff)
        return QStringLiteral("File is not AIFF file.");

    const auto comm = findAiffChunk(file, fileLength, "COMM");
    if (!comm)
        return QStringLiteral("AIFF file common chunk seek failed.");
    if (!file->seek(*comm + ChunkHeaderBytes))
        return QStringLiteral("AIFF file common chunk read failed.");
    const auto c = readExact(file, AiffCommBytes);
    if (!c)
        return QStringLiteral("AIFF file common chunk read failed.");
    const int16_t channels = qFromBigEndian<int16_t>(c->constData());
    const int16_t sampleBits = qFromBigEndian<int16_t>(c->constData() + 6);
    const auto rate = extendedToDouble(c->constData() + 8);
    if (!rate)
        return QStringLiteral("Can't convert SANE 80-bit Inf or NaN to double.");
    if (sampleBits != int16_t(RequiredBits))
        return QStringLiteral("AIFF file has %1 bit samples; only 16 bit samples can be read.").arg(sampleBits);
    if (channels < 1 || *rate < 1.0 || *rate > double(UINT32_MAX) || !frameFitsHeader(channels, qint64(*rate)))
        return QStringLiteral("AIFF file has %1 channels at %2 Hz.").arg(channels).arg(*rate);

    const auto ssnd = findAiffChunk(file, fileLength, "SSND");
    if (!ssnd)
        return QStringLiteral("AIFF file sound data chunk seek failed.");
    const QString samplesSeek = QStringLiteral("AIFF file samples seek failed.");
    if (!file->seek(*ssnd + 4))
        return samplesSeek;
    const auto ssndSize = readBe32(file);
    const auto sampleOffset = readBe32(file);
    if (!ssndSize || !sampleOffset || !readBe32(file))
        return samplesSeek;
    const qint64 firstSample = *ssnd + ChunkHeaderBytes + AiffSsndHeaderBytes + *sampleOffset;
    if (firstSample > fileLength || !file->seek(firstSample))
        return samplesSeek;

    header.FirstSampleOffset = firstSample;
    header.Channels = uint16_t(channels);
    header.SampleRate = uint32_t(*rate);
    header.BitsPerSample = RequiredBits;
    header.BlockAlign = uint16_t(channels * 2);
    header.BytesPerSecond = uint32_t(qint64(header.BlockAlign) * header.SampleRate);
    const qint64 stated = qint64(*ssndSize) - AiffSsndHeaderBytes - *sampleOffset;
    if (stated <= 0 || firstSample + stated > fileLength)
        header.DataSize = realDataSize(fileLength, firstSample, header.BlockAlign);
    else
        header.DataSize = uint32_t(std::min<qint64>(stated, WAVHEADER::MaxDataBytes));
    header.FileFormat = FormatAiff;
    return {};
}

bool ReadAiffFileHeader(WAVHEADER& header, QIODevice* file, FileMessage* message)
{
    const QString error = ReadAiffHeader(header, file);
    if (error.isEmpty())
        return true;
    say(message, error, QStringLiteral("Error Reading Aif File"));
    return false;
}

QString RecordingCreationDate(const platform::SystemTime& start)
{
    constexpr int DayMonthYear = 1;
    return platform::FormatDateString(start, 0, DayMonthYear) + QLatin1Char(' ') + platform::FormatTimeString(start, 0);
}

bool WavHeaderToRecordingInfo(const WAVHEADER& header, RECORDINGINFO& recording)
{
    // The start-time text of a recording whose creation date is no date.
    constexpr int MaxStartTextLength = 21;
    recording.Clear();
    const QString created = header.creationDate();
    platform::SystemTime start;
    if (platform::InterpretTimeString(created, &start))
        recording.StartTime = platform::FormatTimeStamp(start);
    else
        recording.StartTime = created.left(MaxStartTextLength);
    recording.Duration = int32_t(header.Duration());
    recording.nChannels = header.Channels;
    recording.SampleRate = header.SampleRate;
    return true;
}

} // namespace velmar::sound
