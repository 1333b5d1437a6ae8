#include "sound/WavHeader.h"

#include "sound/RecordingInfo.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>
#include <sndfile.h>

#include <vector>

using namespace velmar::sound;

namespace {

QByteArray le32(uint32_t v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}
QByteArray le16(uint16_t v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}
QByteArray be32(uint32_t v)
{
    QByteArray b(4, '\0');
    qToBigEndian(v, b.data());
    return b;
}
QByteArray be16(uint16_t v)
{
    QByteArray b(2, '\0');
    qToBigEndian(v, b.data());
    return b;
}

// One RIFF or IFF chunk, padded to an even length unless told not to.
QByteArray chunk(const char* id, const QByteArray& data, bool bigEndian = false, bool pad = true,
                 std::optional<uint32_t> statedSize = {})
{
    const uint32_t size = statedSize.value_or(uint32_t(data.size()));
    QByteArray b = QByteArray(id, 4) + (bigEndian ? be32(size) : le32(size)) + data;
    if (pad && (data.size() & 1))
        b += '\0';
    return b;
}

QByteArray fmtChunk(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits)
{
    const uint16_t align = uint16_t(channels * bits / 8);
    return chunk("fmt ", le16(tag) + le16(channels) + le32(rate) + le32(rate * align) + le16(align) + le16(bits));
}

QByteArray wav(const QByteArray& body)
{
    return "RIFF" + le32(uint32_t(body.size() + 4)) + "WAVE" + body;
}

QByteArray samples(int frames, int channels)
{
    QByteArray b;
    for (int i = 0; i < frames * channels; ++i)
        b += le16(uint16_t(int16_t(i * 37 - 5000)));
    return b;
}

struct TempFile {
    QTemporaryDir dir;
    QString path(const QString& name = QStringLiteral("f")) const { return dir.filePath(name); }
};

// What libsndfile makes of a file: its facts and all samples as 16-bit values.
struct SndfileView {
    SF_INFO info{};
    std::vector<short> samples;
    bool opened = false;
};

SndfileView readWithLibsndfile(const QString& path)
{
    SndfileView v;
    SNDFILE* sf = sf_open(QFile::encodeName(path).constData(), SFM_READ, &v.info);
    if (!sf)
        return v;
    v.opened = true;
    v.samples.resize(std::size_t(v.info.frames * v.info.channels));
    v.samples.resize(std::size_t(sf_read_short(sf, v.samples.data(), sf_count_t(v.samples.size()))));
    sf_close(sf);
    return v;
}

QString writeFile(const TempFile& t, const QByteArray& bytes, const QString& name = QStringLiteral("f"))
{
    QFile f(t.path(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return f.fileName();
}

} // namespace

TEST(WavHeader, WrittenHeaderHasFixedLayoutAndRewritesInPlace)
{
    TempFile t;
    QFile f(t.path());
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    WAVHEADER h;
    h.DataSize = 1000;
    h.setCopyright(QStringLiteral("Survey 2026 copyright text that is too long"));
    h.setCreationDate(QStringLiteral("08 Dec 2010 14:03:05"));
    ASSERT_TRUE(WriteWavHeader(h, &f));
    EXPECT_EQ(f.pos(), 132);
    const QByteArray body = samples(250, 2);
    f.write(body);
    f.seek(0);
    const QByteArray first = f.readAll();
    ASSERT_EQ(first.size(), 1132);
    EXPECT_EQ(first.left(4), "RIFF");
    EXPECT_EQ(qFromLittleEndian<uint32_t>(first.constData() + 4), 1124u);
    EXPECT_EQ(qFromLittleEndian<uint32_t>(first.constData() + 16), 80u);
    EXPECT_EQ(QByteArray(first.constData() + 32), QByteArray("Survey 2026 copyrig")); // 19 + terminator
    EXPECT_EQ(QByteArray(first.constData() + 60), QByteArray("08 Dec 2010 14:03:05"));
    EXPECT_EQ(first.mid(100, 4), "fmt ");
    EXPECT_EQ(qFromLittleEndian<uint16_t>(first.constData() + 110), 2u);
    EXPECT_EQ(qFromLittleEndian<uint32_t>(first.constData() + 112), 22050u);
    EXPECT_EQ(first.mid(124, 4), "data");
    EXPECT_EQ(qFromLittleEndian<uint32_t>(first.constData() + 128), 1000u);

    h.setDataBytes(998);
    ASSERT_TRUE(WriteWavHeader(h, &f));
    f.seek(0);
    const QByteArray second = f.readAll();
    EXPECT_EQ(second.mid(132), body);
    EXPECT_EQ(qFromLittleEndian<uint32_t>(second.constData() + 4), 1122u);
    EXPECT_FALSE(WriteWavHeader(h, nullptr));

    // A recording that ran past 4 GiB still gets sizes that fit their fields.
    h.setDataBytes(qint64(5) << 30);
    EXPECT_EQ(h.DataSize, 0xFFFFFFFFu - 124 - (0xFFFFFFFFu - 124) % 4);
    EXPECT_EQ(qFromLittleEndian<uint32_t>(h.toBytes().constData() + 4), h.DataSize + 124);
    EXPECT_GE(h.RiffSize, h.DataSize);
}

// A recording as the recorder makes it: header, samples appended, header
// written again; our reader and libsndfile must agree on every fact.
TEST(WavHeader, RecordingReadsBackWithOurReaderAndLibsndfile)
{
    struct Row {
        uint16_t channels;
        uint32_t rate;
        int frames;
    };
    for (const Row& row : {Row{1, 8000, 801}, Row{2, 48000, 4800}, Row{4, 96000, 1000}}) {
        SCOPED_TRACE(row.channels);
        TempFile t;
        QFile f(t.path(QStringLiteral("rec.wav")));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        WAVHEADER h;
        h.Channels = row.channels;
        h.SampleRate = row.rate;
        h.BlockAlign = uint16_t(row.channels * 2);
        h.BytesPerSecond = row.rate * h.BlockAlign;
        h.setCopyright(QStringLiteral("Velmar"));
        ASSERT_TRUE(WriteWavHeader(h, &f));
        const QByteArray body = samples(row.frames, row.channels);
        f.write(body.left(body.size() / 2));
        f.write(body.mid(body.size() / 2));
        h.DataSize = uint32_t(body.size());
        ASSERT_TRUE(WriteWavHeader(h, &f));
        f.close();

        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        WAVHEADER r;
        FileMessage m;
        ASSERT_TRUE(ReadWavHeader(r, &f, &m));
        EXPECT_TRUE(m.isEmpty());
        EXPECT_EQ(r.Channels, row.channels);
        EXPECT_EQ(r.SampleRate, row.rate);
        EXPECT_EQ(r.DataSize, uint32_t(body.size()));
        EXPECT_EQ(r.DataOffset(), 132);
        EXPECT_EQ(f.pos(), 132);
        EXPECT_EQ(r.FileFormat, FormatWav);
        EXPECT_EQ(r.copyright(), QStringLiteral("Velmar"));
        EXPECT_DOUBLE_EQ(r.Duration(), double(row.frames) / row.rate);
        EXPECT_EQ(f.readAll(), body);

        const SndfileView theirs = readWithLibsndfile(f.fileName());
        ASSERT_TRUE(theirs.opened) << sf_strerror(nullptr);
        EXPECT_EQ(theirs.info.channels, row.channels);
        EXPECT_EQ(theirs.info.samplerate, int(row.rate));
        EXPECT_EQ(theirs.info.frames, row.frames);
        EXPECT_EQ(theirs.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(theirs.samples.data()), int(theirs.samples.size() * 2)),
                  body);
    }
}

TEST(WavHeader, AwkwardFiles)
{
    const QByteArray pcm = fmtChunk(1, 2, 44100, 16);
    const QByteArray frames = samples(250, 2); // 1000 bytes
    const QByteArray info = chunk("LIST", "INFO" + chunk("IART", "Someone") + chunk("ICOP", "ABCDE")
                                              + chunk("ICRD", QByteArray(30, 'd')));
    QByteArray extensibleFmt = le16(0xFFFE) + le16(4) + le32(8000) + le32(64000) + le16(8) + le16(16) + le16(22)
                             + le16(16) + le32(0x33) + le16(1) + QByteArray(14, '\x11');
    struct Row {
        const char* legend;
        QByteArray bytes;
        bool ok;
        uint32_t dataSize = 0;
        qint64 offset = 0;
        bool message = false;
    };
    const Row rows[] = {
        {"chunks with odd sizes before data",
         wav(pcm + chunk("fact", "abc") + chunk("junk", "") + chunk("data", frames)), true, 1000, 12 + 24 + 12 + 8 + 8},
        {"LIST with an unknown odd sub-chunk", wav(info + pcm + chunk("data", frames)), true, 1000,
         12 + info.size() + 24 + 8},
        {"identifiers in mixed case", wav(pcm + chunk("DaTa", frames)).replace(0, 4, "riff").replace(8, 4, "Wave"),
         true, 1000, 44},
        {"16-bit extensible PCM", wav(chunk("fmt ", extensibleFmt) + chunk("data", samples(10, 4))), true, 80, 68},
        {"data size 0 after a crash", wav(pcm + chunk("data", frames, false, true, 0u)), true, 1000, 44},
        {"data size past the end", wav(pcm + chunk("data", frames + "x", false, false, 70000u)), true, 1000, 44},
        {"8-bit samples", wav(fmtChunk(1, 1, 8000, 8) + chunk("data", "abcd")), false, 0, 0, true},
        {"float samples", wav(fmtChunk(3, 1, 8000, 32) + chunk("data", "abcd")), false, 0, 0, true},
        {"no channels", wav(fmtChunk(1, 0, 8000, 16) + chunk("data", "abcd")), false, 0, 0, true},
        {"rate 0", wav(fmtChunk(1, 1, 0, 16) + chunk("data", "abcd")), false, 0, 0, true},
        // Frames and byte rates that the header's 16 and 32 bits cannot hold.
        {"32768 channels: a 0-byte frame", wav(fmtChunk(1, 32768, 8000, 16) + chunk("data", "abcd")), false, 0, 0,
         true},
        {"65535 channels", wav(fmtChunk(1, 65535, 8000, 16) + chunk("data", "abcd")), false, 0, 0, true},
        {"a byte rate past 32 bits", wav(fmtChunk(1, 2, 1073741825, 16) + chunk("data", samples(100, 2))), false, 0, 0,
         true},
        {"the largest byte rate", wav(fmtChunk(1, 2, 1073741823, 16) + chunk("data", samples(100, 2))), true, 400, 44},
        {"the most channels", wav(fmtChunk(1, 32767, 8000, 16) + chunk("data", samples(1, 32767))), true, 65534, 44},
        {"LIST size too small", wav(chunk("LIST", "INFO" + chunk("ICOP", "abcd"), false, true, 9u) + pcm), false, 0, 0,
         true},
        {"no data chunk", wav(pcm + chunk("fact", "abcd")), false, 0, 0, true},
        {"truncated in the format", wav(pcm).left(30), false, 0, 0, true},
        {"format chunk of 14 bytes", wav(chunk("fmt ", pcm.mid(8, 14)) + chunk("data", "ab")), false, 0, 0, true},
        {"not RIFF", QByteArray("RIFX") + wav(pcm).mid(4), false},
        {"empty", QByteArray(), false},
        {"nonsense", QByteArray(500, '\xA7'), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        TempFile t;
        QFile f(writeFile(t, row.bytes));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        WAVHEADER h;
        FileMessage m;
        EXPECT_EQ(ReadWavHeader(h, &f, &m), row.ok);
        EXPECT_EQ(!m.isEmpty(), row.message) << m.text.toStdString();
        if (!row.ok)
            continue;
        EXPECT_EQ(h.DataSize, row.dataSize);
        EXPECT_EQ(h.DataOffset(), row.offset);
        EXPECT_EQ(f.pos(), row.offset);
    }

    TempFile t;
    QFile f(writeFile(t, wav(info + pcm + chunk("data", frames))));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    WAVHEADER h;
    ASSERT_TRUE(ReadWavHeader(h, &f));
    EXPECT_EQ(h.copyright(), QStringLiteral("ABCD"));
    EXPECT_EQ(h.creationDate(), QString(29, QLatin1Char('d')));
    EXPECT_FALSE(ReadWavHeader(h, nullptr));
}

TEST(AiffHeader, FileMadeBySoxIsDescribed)
{
    TempFile t;
    const QString path = t.path(QStringLiteral("tone.aiff"));
    QProcess sox;
    sox.start(QStringLiteral("sox"),
              {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"), QStringLiteral("-c"),
               QStringLiteral("2"), QStringLiteral("-b"), QStringLiteral("16"), path, QStringLiteral("synth"),
               QStringLiteral("0.1"), QStringLiteral("sine"), QStringLiteral("440")});
    ASSERT_TRUE(sox.waitForFinished(20000));
    ASSERT_EQ(sox.exitCode(), 0) << sox.readAllStandardError().toStdString();

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    WAVHEADER h;
    ASSERT_EQ(ReadAiffHeader(h, &f), QString());
    EXPECT_EQ(h.FileFormat, FormatAiff);
    EXPECT_EQ(h.Channels, 2);
    EXPECT_EQ(h.SampleRate, 44100u);
    EXPECT_EQ(h.DataSize, 4410u * 4);
    EXPECT_EQ(h.BytesPerSecond, 44100u * 4);
    EXPECT_EQ(f.pos(), h.DataOffset());
    const QByteArray ours = f.read(h.DataSize);

    const SndfileView theirs = readWithLibsndfile(path);
    ASSERT_TRUE(theirs.opened);
    ASSERT_EQ(ours.size(), int(theirs.samples.size() * 2));
    for (std::size_t i = 0; i < theirs.samples.size(); ++i)
        ASSERT_EQ(qFromBigEndian<int16_t>(ours.constData() + 2 * i), theirs.samples[i]) << i;
}

TEST(AiffHeader, AwkwardFiles)
{
    const QByteArray rate44100 = QByteArray::fromHex("400EAC44000000000000");
    auto comm = [&](int16_t channels, int16_t bits, const QByteArray& rate = QByteArray()) {
        return chunk("COMM",
                     be16(uint16_t(channels)) + be32(100) + be16(uint16_t(bits)) + (rate.isEmpty() ? rate44100 : rate),
                     true);
    };
    auto ssnd = [](const QByteArray& data, uint32_t offset = 0, std::optional<uint32_t> size = {}) {
        const QByteArray body = be32(offset) + be32(0) + QByteArray(int(offset), 'o') + data;
        return chunk("SSND", body, true, true, size);
    };
    auto aiff = [](const QByteArray& body) { return "FORM" + be32(uint32_t(body.size() + 4)) + "AIFF" + body; };
    const QByteArray frames = samples(100, 2); // 400 bytes
    struct Row {
        const char* legend;
        QByteArray bytes;
        QString error;
        uint32_t rate = 0;
        uint32_t dataSize = 0;
        qint64 offset = 0;
    };
    const Row rows[] = {
        {"odd chunk before COMM",
         aiff(chunk("NAME", "abc", true) + comm(2, 16) + ssnd(frames)),
         {},
         44100,
         400,
         12 + 12 + 26 + 16},
        {"sample offset in SSND", aiff(comm(2, 16) + ssnd(frames, 4)), {}, 44100, 400, 12 + 26 + 16 + 4},
        {"SSND size 0 after a crash", aiff(comm(2, 16) + ssnd(frames, 0, 0u)), {}, 44100, 400, 12 + 26 + 16},
        {"SSND size past the end", aiff(comm(2, 16) + ssnd(frames + "x", 0, 99999u)), {}, 44100, 400, 12 + 26 + 16},
        {"8-bit samples", aiff(comm(1, 8) + ssnd(frames)),
         QStringLiteral("AIFF file has 8 bit samples; only 16 bit samples can be read.")},
        {"infinite rate", aiff(comm(2, 16, QByteArray::fromHex("7FFF8000000000000000")) + ssnd(frames)),
         QStringLiteral("Can't convert SANE 80-bit Inf or NaN to double.")},
        {"a byte rate past 32 bits", aiff(comm(2, 16, QByteArray::fromHex("401D8000000200000000")) + ssnd(frames)),
         QStringLiteral("AIFF file has 2 channels at %1 Hz.").arg(1073741825.0)},
        {"no COMM", aiff(ssnd(frames)), QStringLiteral("AIFF file common chunk seek failed.")},
        {"no SSND", aiff(comm(2, 16)), QStringLiteral("AIFF file sound data chunk seek failed.")},
        {"AIFC", aiff(comm(2, 16) + ssnd(frames)).replace(8, 4, "AIFC"), QStringLiteral("File is not AIFF file.")},
        {"lower-case form", aiff(comm(2, 16) + ssnd(frames)).replace(0, 4, "form"),
         QStringLiteral("File is not AIFF file.")},
        {"short", QByteArray("FORM"), QStringLiteral("File is not AIFF file.")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        TempFile t;
        QFile f(writeFile(t, row.bytes));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        WAVHEADER h;
        EXPECT_EQ(ReadAiffHeader(h, &f), row.error);
        if (!row.error.isEmpty()) {
            FileMessage m;
            EXPECT_FALSE(ReadAiffFileHeader(h, &f, &m));
            EXPECT_EQ(m.text, row.error);
            EXPECT_EQ(m.caption, QStringLiteral("Error Reading Aif File"));
            continue;
        }
        EXPECT_EQ(h.SampleRate, row.rate);
        EXPECT_EQ(h.Channels, 2);
        EXPECT_EQ(h.DataSize, row.dataSize);
        EXPECT_EQ(h.DataOffset(), row.offset);
        EXPECT_EQ(f.pos(), row.offset);
    }
}

TEST(WavHeader, DescribesARecording)
{
    WAVHEADER h;
    h.Channels = 2;
    h.SampleRate = 48000;
    h.BytesPerSecond = 192000;
    h.DataSize = 192000 * 90 + 1000;
    h.setCreationDate(RecordingCreationDate(velmar::platform::SystemTime{2010, 12, 3, 8, 14, 3, 5, 0}));
    EXPECT_EQ(h.creationDate(), QStringLiteral("08 Dec 2010 14:03:05"));
    RECORDINGINFO r;
    r.FileName = QStringLiteral("left over");
    EXPECT_TRUE(WavHeaderToRecordingInfo(h, r));
    EXPECT_EQ(r.StartTime, QStringLiteral("2010-12-08 14:03:05"));
    EXPECT_EQ(r.Duration, 90);
    EXPECT_EQ(r.nChannels, 2);
    EXPECT_EQ(r.SampleRate, 48000u);
    EXPECT_TRUE(r.FileName.isEmpty());
    EXPECT_FALSE(r.DeviceValid);

    h.setCreationDate(QStringLiteral("Recorded from the bow array"));
    WavHeaderToRecordingInfo(h, r);
    EXPECT_EQ(r.StartTime, QStringLiteral("Recorded from the bow"));
}

// Damaged headers of every kind: the readers never read past the file, never
// hang, and whatever they accept lies inside the file.
TEST(SoundFileReaders, DamagedHeadersAreReadSafely)
{
    const QByteArray frames = samples(64, 2);
    const QByteArray wavFile = wav(chunk("LIST", "INFO" + chunk("ICOP", "abc")) + fmtChunk(1, 2, 8000, 16)
                                   + chunk("fact", "abcde") + chunk("data", frames));
    const QByteArray aiffBody = chunk("COMM",
                                      be16(2) + be32(64) + be16(16) + QByteArray::fromHex("400CFA00000000000000"), true)
                              + chunk("SSND", be32(0) + be32(0) + frames, true);
    const QByteArray aiffFile = "FORM" + be32(uint32_t(aiffBody.size() + 4)) + "AIFF" + aiffBody;
    TempFile t;
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (const QByteArray& original : {wavFile, aiffFile}) {
        for (int round = 0; round < 300; ++round) {
            QByteArray bytes = original;
            const int changes = 1 + int(next() % 4);
            for (int c = 0; c < changes; ++c) {
                const int at = int(next() % uint32_t(std::min<int>(bytes.size(), 80)));
                bytes[at] = char(next());
            }
            if (next() % 4 == 0)
                bytes.truncate(int(next() % uint32_t(bytes.size())));
            SCOPED_TRACE(bytes.toHex().left(200).toStdString());
            QFile f(writeFile(t, bytes));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            WAVHEADER h;
            const bool ok = original.startsWith("RIFF") ? ReadWavHeader(h, &f) : ReadAiffHeader(h, &f).isEmpty();
            if (!ok)
                continue;
            EXPECT_GE(h.DataOffset(), 0);
            EXPECT_LE(h.DataOffset() + qint64(h.DataSize), qint64(bytes.size()));
            EXPECT_GE(h.Channels, 1);
            EXPECT_GE(h.SampleRate, 1u);
            EXPECT_EQ(f.pos(), h.DataOffset());
        }
    }
}
