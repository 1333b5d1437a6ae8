// State checks and sequential file numbers of the video component.
#include "video/FileOps.h"
#include "video/SequentialNumbers.h"
#include "video/StateChecks.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace velmar::video;

TEST(StateChecks, ReportsPerState)
{
    const auto codes = [](int allowed, TCurrentState state, int device = 0, bool needDevice = false) {
        QList<TLogType> out;
        for (const StateReport& r : CheckStateReports({allowed, needDevice, true, device, state}))
            out << r.code;
        return out;
    };
    EXPECT_EQ(codes(2, cs_Down), (QList<TLogType>{e_start_preview_first}));
    EXPECT_EQ(codes(3, cs_Down), QList<TLogType>{});
    EXPECT_EQ(codes(3, cs_Recording), (QList<TLogType>{e_stop_recording_first}));
    EXPECT_EQ(codes(0, cs_Preview), (QList<TLogType>{e_stop_preview_first}));
    EXPECT_EQ(codes(2, cs_Preview), QList<TLogType>{});
    EXPECT_EQ(codes(2, cs_Playback), (QList<TLogType>{e_stop_player_first}));
    EXPECT_EQ(codes(2, cs_Reencoding), (QList<TLogType>{e_reencoding}));
    EXPECT_EQ(codes(4, cs_Recording, -1), (QList<TLogType>{e_no_video_device_selected}));
    EXPECT_EQ(codes(2, cs_Down, -1, true), (QList<TLogType>{e_no_video_device_selected, e_start_preview_first}));
    EXPECT_EQ(CheckStateReports({2, false, true, 0, cs_Down}).first().message, "first start preview");

    EXPECT_FALSE(CheckIndex(-1, 3, "video capture device").reported);
    EXPECT_EQ(CheckIndex(3, 3, "video capture device").message, "index of video capture device out of range");
    EXPECT_EQ(CheckIndex(0, 0, "video capture device").message, "no video capture device available");
    EXPECT_EQ(CheckIndex(0, 0, "x").severity, 1);
}

TEST(SequentialNumbers, ScanReserveAndReturn)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    for (const char* name : {"om000041.jpg", "om000007.bmp", "om000012.avi", "other000099.jpg"}) {
        QFile f(folder + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    TSequentialCounters counters;
    int jpg = -1, bmp = -1, avi = -1;
    EXPECT_EQ(counters.nextSequentialNumber(folder, "om", "jpg", jpg), 42);
    EXPECT_EQ(counters.nextSequentialNumber(folder, "om", "bmp", bmp), 8);
    EXPECT_EQ(counters.nextSequentialNumber(folder, "om", "jpg", jpg), 43);
    EXPECT_EQ(counters.nextSequentialNumber(folder, "om", "avi", avi), 13);
    EXPECT_EQ(TSequentialCounters::counterKey(folder, "om", "avi"), folder + "/omavi");

    // A recording that wrote nothing gives its number back and its empty file goes.
    const QString empty = folder + "/om000013.avi";
    QFile(empty).open(QIODevice::WriteOnly);
    EXPECT_TRUE(DiscardIncompleteRecording(counters, {avi, 13, empty, true, 0}));
    EXPECT_FALSE(QFile::exists(empty));
    EXPECT_EQ(counters.nextSequentialNumber(folder, "om", "avi", avi), 13);

    // A recording stopped by a full disk keeps its footage and its number.
    const QString footage = folder + "/om000013.avi";
    {
        QFile f(footage);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(1000, 'x'));
    }
    EXPECT_FALSE(DiscardIncompleteRecording(counters, {avi, 13, footage, true, 25}));
    EXPECT_TRUE(QFile::exists(footage));
    EXPECT_EQ(counters.getSequentialNumber(avi), 13);

    // The number is given back only while the counter still holds it.
    counters.nextSequentialNumber(folder, "om", "avi", avi);
    EXPECT_FALSE(DiscardIncompleteRecording(counters, {avi, 13, footage, false, 0}));
    EXPECT_EQ(counters.getSequentialNumber(avi), 14);

    EXPECT_EQ(counters.getSequentialNumber(-1), -1);
    EXPECT_EQ(counters.getSequentialNumber(99), -1);
    counters.releaseSequentialNumber(99);
}

// The clip's main header as avimux writes it: "avih" right after "hdrl",
// width and height the ninth and tenth words.
TEST(FileOps, AviFrameSizeComesFromTheMainHeader)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto header = [](quint32 width, quint32 height) {
        QByteArray b("RIFF\0\0\0\0AVI LIST\0\0\0\0hdrlavih\x38\0\0\0", 32);
        QByteArray main(56, '\0');
        qToLittleEndian(width, main.data() + 32);
        qToLittleEndian(height, main.data() + 36);
        return b + main;
    };
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    EXPECT_EQ(AviFrameSize(write("clip.avi", header(320, 240))), QSize(320, 240));
    EXPECT_FALSE(AviFrameSize(write("short.avi", header(320, 240).left(60))).isValid());
    EXPECT_FALSE(AviFrameSize(write("wave.avi", QByteArray(header(320, 240)).replace(8, 4, "WAVE"))).isValid());
    EXPECT_FALSE(AviFrameSize(write("empty.avi", header(0, 240))).isValid());
    EXPECT_FALSE(AviFrameSize(dir.filePath("missing.avi")).isValid());
}

TEST(FileOps, NamesListsAndVolumes)
{
    EXPECT_EQ(ChangeExtension("avi", "clip"), "clip.avi");
    EXPECT_EQ(ChangeExtension("avi", "a.b.mpg"), "a.b.avi");
    EXPECT_EQ(ChangeExtension("avi", "/data/v1.2/clip"), "/data/v1.2/clip.avi");
    EXPECT_EQ(LastCharPos('.', "a.b.c"), 4);
    EXPECT_EQ(LastCharPos('x', "abc"), 0);
    EXPECT_EQ(LineAt("a\nb\nc", 1), "b");
    EXPECT_EQ(LineAt("a\nb", 5), "");
    EXPECT_EQ(IndexOfLine("One\nTwo", "two"), 1);
    QStringList l{"a", "b", "c"};
    MoveToFront(l, "c");
    EXPECT_EQ(l, (QStringList{"c", "a", "b"}));
    EXPECT_FALSE(EnoughFreeSpace(24999999));
    EXPECT_TRUE(EnoughFreeSpace(25000000));
    EXPECT_FALSE(HasEnoughDiskSpace(""));
    const ChannelVolumes c = VolumeBalanceToChannels(40000, -16384);
    EXPECT_EQ(c.left, 40000);
    EXPECT_EQ(c.right, 20001);
    int volume = 0, balance = 0;
    ChannelsToVolumeBalance({30000, 30000}, volume, balance);
    EXPECT_EQ(balance, 0);
    ChannelsToVolumeBalance({0, 50000}, volume, balance);
    EXPECT_EQ(volume, 50000);
    EXPECT_EQ(balance, 32767);
    bool mute = true;
    EXPECT_FALSE(MixerLineMute(0, 0, false, mute)) << "no mixer here";
    EXPECT_TRUE(mute);
    EXPECT_FALSE(SpeakerVolumeBalance(volume, balance, true));
    QTemporaryDir dir;
    EXPECT_TRUE(ForceDirectories(dir.path() + "/a/b/c/"));
    EXPECT_TRUE(DirectoryExists(dir.path() + "/a/b/c"));
    EXPECT_TRUE(TemporaryFolder().startsWith('/'));
}
