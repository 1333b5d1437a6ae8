// The recorder's file writer and the journal beside each file being written,
// checked against libsndfile's reading of the files.
#include "sound/RecordingJournal.h"
#include "sound/WavRecordingFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/resource.h>

#include <csignal>
#include <vector>

using namespace velmar::sound;
using velmar::platform::SystemTime;

namespace {

struct Sound {
    int rate = 0;
    int channels = 0;
    qint64 frames = -1;
    std::vector<int16_t> samples;
};

Sound ReadSound(const QString& path)
{
    SF_INFO info{};
    SNDFILE* f = sf_open(path.toLocal8Bit().constData(), SFM_READ, &info);
    if (!f)
        return {};
    Sound s{info.samplerate, info.channels, qint64(info.frames), {}};
    s.samples.resize(std::size_t(info.frames * info.channels));
    sf_read_short(f, s.samples.data(), sf_count_t(s.samples.size()));
    sf_close(f);
    return s;
}

WAVHEADER Header(uint16_t channels, uint32_t rate)
{
    WAVHEADER h;
    h.Channels = channels;
    h.SampleRate = rate;
    h.BlockAlign = uint16_t(channels * 2);
    h.BytesPerSecond = rate * h.BlockAlign;
    h.setCreationDate(QStringLiteral("08 Dec 2010 14:03:05"));
    return h;
}

// Frames whose every sample names its frame and channel.
std::vector<int16_t> Frames(int channels, int count, int first = 0)
{
    std::vector<int16_t> s;
    for (int f = first; f < first + count; ++f)
        for (int c = 0; c < channels; ++c)
            s.push_back(int16_t((f % 3000) * 10 + c));
    return s;
}

// The process may write files of at most `bytes` while it lives: as a disk
// that fills up.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_before);
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = m_before;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_before);
        std::signal(SIGXFSZ, m_signal);
    }

private:
    rlimit m_before{};
    void (*m_signal)(int) = nullptr;
};

TEST(WavRecordingFile, WholeFramesAreCountedWhenTheDiskFillsInsideAFrame)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Rec.wav"));
    WavRecordingFile file;
    ASSERT_TRUE(file.create(path, Header(3, 8000)));
    const std::vector<int16_t> first = Frames(3, 100);
    ASSERT_TRUE(file.append(reinterpret_cast<const char*>(first.data()), qint64(first.size() * 2)));
    {
        // Room for 50 more frames and 4 bytes of the 51st.
        FileSizeLimit limit(132 + 150 * 6 + 4);
        const std::vector<int16_t> more = Frames(3, 100, 100);
        EXPECT_FALSE(file.append(reinterpret_cast<const char*>(more.data()), qint64(more.size() * 2)));
        EXPECT_EQ(file.errorText(), QStringLiteral("File too large"));
        EXPECT_EQ(file.soundBytes(), 150 * 6);
    }
    // Written on after room came back, the next frame follows in place.
    const std::vector<int16_t> later = Frames(3, 10, 150);
    ASSERT_TRUE(file.append(reinterpret_cast<const char*>(later.data()), qint64(later.size() * 2)));
    ASSERT_TRUE(file.close());
    EXPECT_DOUBLE_EQ(file.seconds(), 160.0 / 8000);

    const Sound s = ReadSound(path);
    EXPECT_EQ(s.rate, 8000);
    EXPECT_EQ(s.channels, 3);
    ASSERT_EQ(s.frames, 160);
    EXPECT_EQ(QFileInfo(path).size(), 132 + 160 * 6);
    EXPECT_EQ(s.samples, Frames(3, 160));

    // An existing file is never overwritten, and the system says why.
    WavRecordingFile again;
    EXPECT_FALSE(again.create(path, Header(3, 8000)));
    EXPECT_EQ(again.errorText(), QStringLiteral("File exists"));
    EXPECT_EQ(ReadSound(path).frames, 160);
    WavRecordingFile nowhere;
    EXPECT_FALSE(nowhere.create(dir.filePath(QStringLiteral("no/such/folder.wav")), Header(2, 8000)));
    EXPECT_EQ(nowhere.errorText(), QStringLiteral("No such file or directory"));
}

TEST(WavRecordingFile, RepairCountsTheWholeFramesOnDiskOfAFileLeftOpen)
{
    QTemporaryDir dir;
    struct Row {
        const char* legend;
        int headerFrames; // what the last header rewrite counted
        int framesOnDisk;
        int extraBytes; // a frame cut off in the middle
    };
    const Row rows[] = {
        {"header behind the sound", 400, 1000, 0},
        {"a partial frame at the end", 400, 1000, 5},
        {"header never rewritten", 0, 700, 2},
        {"nothing but the header", 0, 0, 0},
    };
    for (const Row& row : rows) {
        const QString path = dir.filePath(QString::fromLatin1(row.legend) + QStringLiteral(".wav"));
        WAVHEADER h = Header(3, 8000);
        h.setDataBytes(row.headerFrames * 6);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(WriteWavHeader(h, &f));
        const std::vector<int16_t> s = Frames(3, row.framesOnDisk + 1);
        f.write(reinterpret_cast<const char*>(s.data()), row.framesOnDisk * 6 + row.extraBytes);
        f.close();

        QString error;
        const auto seconds = WavRecordingFile::Repair(path, &error);
        ASSERT_TRUE(seconds) << row.legend << ": " << error.toStdString();
        EXPECT_DOUBLE_EQ(*seconds, row.framesOnDisk / 8000.0) << row.legend;
        const Sound back = ReadSound(path);
        EXPECT_EQ(back.frames, row.framesOnDisk) << row.legend;
        EXPECT_EQ(QFileInfo(path).size(), 132 + row.framesOnDisk * 6) << row.legend;
    }

    // What is not a recording of ours is left as it is.
    const QString text = dir.filePath(QStringLiteral("notes.wav"));
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a recording at all");
    f.close();
    QString error;
    EXPECT_FALSE(WavRecordingFile::Repair(text, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(QFileInfo(text).size(), 22);
    EXPECT_FALSE(WavRecordingFile::Repair(dir.filePath(QStringLiteral("missing.wav")), &error));
}

TEST(RecordingJournal, RoundTripsTheRowsDescriptionAndRefusesATornOne)
{
    QTemporaryDir dir;
    RECORDINGINFO r;
    r.OutputDirectory = dir.path();
    r.RecorderId = 2;
    r.FileName = QStringLiteral("Rec20101208_140305.wav");
    r.GpsIndex = 7;
    r.GpsTime = QStringLiteral("2010-12-08 14:00:00");
    r.MediaName = QStringLiteral("AutoRec_0003");
    r.MediaType = QStringLiteral("Disk");
    r.DeviceType = 6;
    r.DeviceTypeText = QStringLiteral("Piped Data");
    r.DeviceNameText = QStringLiteral("Pelvane");
    r.SampleRate = 96000;
    r.nChannels = 4;
    r.Comment = QStringLiteral("Whistle \"loud\", bow");
    const SystemTime start{2010, 12, 3, 8, 14, 3, 5, 250};
    QString error;
    ASSERT_TRUE(WriteRecordingJournal(r, start, &error)) << error.toStdString();
    const QString path = RecordingJournalPath(r);
    EXPECT_EQ(path, dir.filePath(QStringLiteral("Rec20101208_140305.wav.booking")));
    EXPECT_EQ(FindRecordingJournals(dir.path()), QStringList{path});

    const auto back = ReadRecordingJournal(path, &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(back->fileStart, start);
    const RECORDINGINFO& b = back->recording;
    EXPECT_EQ(b.RecorderId, 2);
    EXPECT_EQ(b.FileName, r.FileName);
    EXPECT_EQ(b.StartTime, QStringLiteral("2010-12-08 14:03:05"));
    EXPECT_EQ(b.GpsIndex, 7);
    EXPECT_EQ(b.GpsTime, r.GpsTime);
    EXPECT_EQ(b.MediaName, r.MediaName);
    EXPECT_EQ(b.MediaType, r.MediaType);
    EXPECT_EQ(b.DeviceType, 6);
    EXPECT_EQ(b.DeviceTypeText, r.DeviceTypeText);
    EXPECT_EQ(b.DeviceNameText, r.DeviceNameText);
    EXPECT_EQ(b.SampleRate, 96000u);
    EXPECT_EQ(b.nChannels, 4);
    EXPECT_EQ(b.Comment, r.Comment);

    // A journal cut short (the program ended while writing it) is refused.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.resize(f.size() / 2));
    f.close();
    EXPECT_FALSE(ReadRecordingJournal(path, &error));
    EXPECT_FALSE(error.isEmpty());

    RemoveRecordingJournal(r);
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(FindRecordingJournals(dir.path()).isEmpty());
}

} // namespace
