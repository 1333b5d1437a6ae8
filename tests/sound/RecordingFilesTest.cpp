#include "sound/RecordingFiles.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

// Readable failures for texts and lists of texts.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

using namespace velmar::sound;
using velmar::platform::SystemTime;

namespace {

constexpr SystemTime At140305{2010, 12, 3, 8, 14, 3, 5, 250};

class RecordingFilesTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        rec.OutputDirectory = dir.path();
        services.programTime = [this] { return now; };
        services.gpsReference = [](int32_t& index, QString& time) {
            index = 7;
            time = QStringLiteral("2010-12-08 14:00:00");
        };
        services.showMessage = [this](const QString& text, const QString& caption) {
            messages << caption + QLatin1Char('|') + text;
        };
        services.writeProgramSettings = [this] {
            ++settingsWrites;
            return true;
        };
        services.bookRecording = [this](RECORDINGINFO booking) { bookings.push_back(booking); };
    }

    QString out(const QString& name) const { return QDir(dir.path()).filePath(name); }

    // A file of that size; sparse, so large sizes cost no disk.
    void makeFile(const QString& path, qint64 size = 0)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(size));
    }

    // Names and "records" a file that starts at `start`.
    void record(const SystemTime& start, qint64 size)
    {
        ASSERT_TRUE(MakeRecordingFileName(rec, start, {}, false, services));
        makeFile(out(rec.FileName), size);
    }

    QTemporaryDir dir;
    RECORDINGINFO rec;
    RecordingServices services;
    SystemTime now = At140305;
    QStringList messages;
    int settingsWrites = 0;
    std::vector<RECORDINGINFO> bookings;
};

} // namespace

TEST_F(RecordingFilesTest, SameSecondGetsALetteredName)
{
    ASSERT_TRUE(MakeRecordingFileName(rec, At140305, QStringLiteral("Button Sighting"), true, services));
    EXPECT_EQ(rec.FileName, QStringLiteral("Rec20101208_140305.wav"));
    EXPECT_EQ(rec.StartTime, QStringLiteral("2010-12-08 14:03:05"));
    EXPECT_EQ(rec.MediaName, QStringLiteral("AutoRec_0000"));
    EXPECT_EQ(rec.Comment, QStringLiteral("Button Sighting"));
    EXPECT_EQ(rec.GpsIndex, 7);
    EXPECT_EQ(rec.FileTime, At140305);
    makeFile(out(rec.FileName));

    ASSERT_TRUE(MakeRecordingFileName(rec, At140305, {}, true, services));
    EXPECT_EQ(rec.FileName, QStringLiteral("Rec20101208_140305_A.wav"));
    EXPECT_EQ(rec.Comment, QStringLiteral("Automatic Recording"));
    // A name already in the current media folder (but not the output folder)
    // is skipped too.
    makeFile(out(QStringLiteral("AutoRec_0000/Rec20101208_140305_A.wav")));
    ASSERT_TRUE(MakeRecordingFileName(rec, At140305, {}, false, services));
    EXPECT_EQ(rec.FileName, QStringLiteral("Rec20101208_140305_B.wav"));
    EXPECT_TRUE(rec.Comment.isEmpty());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(RecordingFilesTest, SequenceNamesRestartEachDay)
{
    rec.TimeFileName = false;
    record(At140305, 0);
    EXPECT_EQ(rec.FileName, QStringLiteral("Rec20101208_0001.wav"));
    makeFile(out(QStringLiteral("AutoRec_0000/Rec20101208_0002.wav")));
    record(At140305, 0);
    EXPECT_EQ(rec.FileName, QStringLiteral("Rec20101208_0003.wav"));
    EXPECT_EQ(rec.FileSequence, 4);
    SystemTime nextDay = At140305;
    nextDay.wDay = 9;
    record(nextDay, 0);
    EXPECT_EQ(rec.FileName, QStringLiteral("Rec20101209_0001.wav"));
    EXPECT_EQ(rec.FileDate, 20101209);
}

TEST_F(RecordingFilesTest, LastFileReportedByTheThread)
{
    const QString path = out(QStringLiteral("Rec20101208_140305_A.wav"));
    EXPECT_EQ(SetLastFileName(rec, path), path);
    EXPECT_EQ(rec.FileName, QStringLiteral("Rec20101208_140305_A.wav"));
    EXPECT_EQ(RecordingFilePath(rec), path);
    EXPECT_EQ(SetLastFileName(rec, QStringLiteral("c:\\AutorecFiles\\x.wav"), 5), QStringLiteral("c:\\Au"));
    EXPECT_EQ(rec.FileName, QStringLiteral("x.wav"));
}

TEST_F(RecordingFilesTest, OutputFolderIsMadeOrRefused)
{
    rec.OutputDirectory = out(QStringLiteral("deeper/still"));
    EXPECT_TRUE(MakeRecordingFileName(rec, At140305, {}, false, services));
    EXPECT_TRUE(QFileInfo(rec.OutputDirectory).isDir());
    makeFile(out(QStringLiteral("plainfile")));
    rec.OutputDirectory = out(QStringLiteral("plainfile/sub"));
    EXPECT_FALSE(MakeRecordingFileName(rec, At140305, {}, false, services));
    EXPECT_EQ(messages, QStringList{QStringLiteral("Unable to create output directory|") + rec.OutputDirectory});
}

TEST_F(RecordingFilesTest, ClosedFilesMoveIntoMediaFoldersThatRollOver)
{
    constexpr qint64 MB = 1 << 20;
    rec.FolderSize = 640;
    makeFile(out(QStringLiteral("AutoRec_0000/old.WAV")), 600 * MB);
    makeFile(out(QStringLiteral("AutoRec_0000/notes.txt")), 100 * MB); // not a recording
    record(At140305, 30 * MB);
    now.wMinute = 13; // ten minutes later
    FileClosedResult r = OnFileClosed(rec, At140305, services);
    EXPECT_FALSE(r.mediaChanged);
    EXPECT_EQ(r.finalPath, out(QStringLiteral("AutoRec_0000/Rec20101208_140305.wav")));
    EXPECT_TRUE(QFileInfo::exists(r.finalPath));
    EXPECT_FALSE(QFileInfo::exists(out(rec.FileName)));
    ASSERT_EQ(bookings.size(), 1u);
    EXPECT_EQ(bookings[0].Duration, 600);
    EXPECT_EQ(bookings[0].MediaName, QStringLiteral("AutoRec_0000"));

    // 630 MB held and a closed 20 MB file: past 640 MB, so a new folder.
    SystemTime later = At140305;
    later.wMinute = 20;
    record(later, 20 * MB);
    r = OnFileClosed(rec, later, services);
    EXPECT_TRUE(r.mediaChanged);
    EXPECT_EQ(rec.MediaNumber, 1);
    EXPECT_EQ(settingsWrites, 1);
    EXPECT_EQ(r.finalPath, out(QStringLiteral("AutoRec_0001/Rec20101208_142005.wav")));
    EXPECT_TRUE(QFileInfo::exists(r.finalPath));
    ASSERT_EQ(bookings.size(), 2u);
    EXPECT_EQ(bookings[1].MediaName, QStringLiteral("AutoRec_0001"));
    EXPECT_EQ(bookings[1].Duration, -420); // the clock stood at 14:13:05
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(FoldersLineText(rec), QStringLiteral("1 Directories require backing up and deleting"));
}

TEST_F(RecordingFilesTest, LargeFolderLimitsDoNotWrapAround)
{
    constexpr qint64 MB = 1 << 20;
    rec.FolderSize = 4096; // 2^32 bytes: wraps to 0 in 32 bits
    makeFile(out(QStringLiteral("AutoRec_0000/a.wav")), 3000 * MB);
    record(At140305, 1000 * MB);
    EXPECT_FALSE(OnFileClosed(rec, At140305, services).mediaChanged);
    record(At140305, 200 * MB);
    EXPECT_TRUE(OnFileClosed(rec, At140305, services).mediaChanged);
    EXPECT_EQ(rec.SingleFileLimitBytes(), 640 * MB);
    rec.MaxSingle = 100000;
    EXPECT_LT(rec.SingleFileLimitBytes(), qint64(1) << 32);
    rec.MaxSingle = -5;
    EXPECT_EQ(rec.SingleFileLimitBytes(), MB);
}

TEST_F(RecordingFilesTest, FailuresAreShownAndTheBookingGoesOn)
{
    QDir().mkpath(out(QStringLiteral("AutoRec_0001")));
    rec.FolderSize = 1;
    record(At140305, 2 << 20);
    rec.Comment = QStringLiteral("Whistle form");
    OnFileClosed(rec, At140305, services);
    EXPECT_EQ(messages, QStringList{QStringLiteral("Warning, output directory already exists|")
                                    + out(QStringLiteral("AutoRec_0001"))});
    EXPECT_TRUE(QFileInfo::exists(out(QStringLiteral("AutoRec_0001/") + rec.FileName)));
    EXPECT_TRUE(rec.Comment.isEmpty());
    ASSERT_EQ(bookings.size(), 1u);
    EXPECT_EQ(bookings[0].Comment, QStringLiteral("Whistle form"));

    messages.clear();
    rec.FolderSize = 100;
    rec.FileName = QStringLiteral("gone.wav");
    OnFileClosed(rec, At140305, services);
    EXPECT_EQ(messages, (QStringList{QStringLiteral("|Cannot get size of gone.wav"),
                                     QStringLiteral("Cannot move file to new directory|")
                                         + out(QStringLiteral("AutoRec_0001/gone.wav"))}));
    EXPECT_EQ(bookings.size(), 2u);

    // The external tape machine has no files to move.
    messages.clear();
    rec.DeviceType = 8;
    rec.FileName = TapeCutName(12);
    OnFileClosed(rec, At140305, services);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(bookings.back().FileName, QStringLiteral("Cut_0012"));
}

TEST_F(RecordingFilesTest, MovingNeverOverwritesAndCrossesFileSystems)
{
    makeFile(out(QStringLiteral("a.wav")), 10);
    makeFile(out(QStringLiteral("b.wav")), 20);
    EXPECT_FALSE(MoveRecordingFile(out(QStringLiteral("a.wav")), out(QStringLiteral("b.wav"))));
    EXPECT_EQ(QFileInfo(out(QStringLiteral("b.wav"))).size(), 20);

    const QTemporaryDir other(QStringLiteral("/dev/shm/velmar-move-XXXXXX"));
    if (!other.isValid() || QStorageInfo(other.path()).device() == QStorageInfo(dir.path()).device())
        GTEST_SKIP() << "no second file system";
    const QString target = QDir(other.path()).filePath(QStringLiteral("a.wav"));
    EXPECT_TRUE(MoveRecordingFile(out(QStringLiteral("a.wav")), target));
    EXPECT_EQ(QFileInfo(target).size(), 10);
    EXPECT_FALSE(QFileInfo::exists(out(QStringLiteral("a.wav"))));
}

TEST(RecordingDisplay, RecordTimeLeft)
{
    RECORDINGINFO r;
    r.SampleRate = 48000;
    r.nChannels = 2;
    TimeLeft left = DiskTimeLeft(r, 4096, 6, RecorderDisplayMode::Off);
    EXPECT_EQ(left.minutes, 372);
    EXPECT_FALSE(left.alarm);
    EXPECT_EQ(left.text, QStringLiteral("372 minutes of record time remaining on disk"));
    EXPECT_TRUE(DiskTimeLeft(r, 4096, 7, RecorderDisplayMode::Other).alarm);
    EXPECT_EQ(DiskTimeLeft(r, 4096, 7, RecorderDisplayMode::Other).text,
              QStringLiteral("Disk will be full in 372 minutes"));
    r.RecordDuration = 20;
    r.RecordInterval = 120;
    EXPECT_EQ(DiskTimeLeft(r, 4096, 7, RecorderDisplayMode::AutomaticCycle).minutes, 134217); // x 360
    r.RecordDuration = 0;
    r.SampleRate = 0;
    EXPECT_GE(DiskTimeLeft(r, 10, 6, RecorderDisplayMode::AutomaticCycle).minutes, 0);

    RECORDINGINFO tape;
    tape.DeviceType = 8;
    tape.TapeLength = 0;
    tape.SecondsUsed = 120;
    tape.MediaName = QStringLiteral("AutoRec_0002");
    left = TapeTimeLeft(tape, RecorderDisplayMode::Off);
    EXPECT_EQ(left.minutes, -2);
    EXPECT_TRUE(left.alarm);
    EXPECT_EQ(left.text, QStringLiteral("-2 minutes of record time remaining on tape"));
    EXPECT_EQ(TapeUsedLineText(tape, 3725), QStringLiteral("01:02:05 Used on Tape AutoRec_0002"));
    tape.TapeLength = 50;
    EXPECT_TRUE(TapeTimeLeft(tape, RecorderDisplayMode::AutomaticCycle).alarm);
    EXPECT_FALSE(TapeTimeLeft(tape, RecorderDisplayMode::Other).alarm);

    r.FileName = QStringLiteral("Rec20101208_140305.wav");
    EXPECT_EQ(DiskFileLineText(r, 1, false), QStringLiteral("Writing 16 bit data to Rec20101208_140305.wav"));
    EXPECT_EQ(DiskFileLineText(r, 1, true), QStringLiteral("File Closed - Writing data to memory buffer"));
    EXPECT_EQ(DiskFileLineText(r, 0, false), QStringLiteral("File Closed - last file Rec20101208_140305.wav"));
}

TEST(RecordingDisplay, DiskOfTheRecordingFolderAndMedia)
{
    QTemporaryDir dir;
    const RecordingDisk disk = MeasureRecordingDisk(dir.filePath(QStringLiteral("not/made/yet")));
    ASSERT_TRUE(disk.valid);
    // Other programs write to the same file system meanwhile: the figure
    // must be this file system's free space, not the same byte count.
    const double freeNow = double(QStorageInfo(dir.path()).bytesAvailable() / (1 << 20));
    EXPECT_NEAR(double(disk.freeMegabytes), freeNow, 1024.0);
    EXPECT_EQ(disk.driveText, QStorageInfo(dir.path()).rootPath());
    EXPECT_TRUE(DiskSpaceLineText(disk).startsWith(QString::number(disk.freeMegabytes)
                                                   + QStringLiteral(" Megabytes free space on ")));
    const RecordingDisk ram = MeasureRecordingDisk(QStringLiteral("/dev/shm"));
    if (ram.valid) {
        EXPECT_EQ(ram.driveTypeText, QStringLiteral("RAM Disk"));
    }

    EXPECT_EQ(RecordingFolderPath(QStringLiteral("c:\\AutorecFiles")),
              QDir::home().filePath(QStringLiteral("AutorecFiles")));
    EXPECT_EQ(RecordingFolderPath(QStringLiteral("/data/rec/")), QStringLiteral("/data/rec"));

    RECORDINGINFO r;
    r.MediaNumber = 3;
    NewMediaTexts texts = NewMediaDialogTexts(r);
    EXPECT_EQ(texts.remove, QStringLiteral("Remove the old disk"));
    EXPECT_EQ(texts.oldName, QStringLiteral("AutoRec_0003"));
    EXPECT_EQ(texts.newName, QStringLiteral("AutoRec_0004"));
    r.DeviceType = 8;
    EXPECT_EQ(NewMediaDialogTexts(r).insert, QStringLiteral("Insert the new tape"));
    r.SecondsUsed = 50;
    r.FileSequence = 9;
    AcceptNewMedia(r);
    EXPECT_EQ(r.MediaNumber, 4);
    EXPECT_EQ(r.SecondsUsed, 0);
    EXPECT_EQ(r.FileSequence, 0);
}
