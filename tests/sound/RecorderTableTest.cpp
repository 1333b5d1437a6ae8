#include "sound/RecorderTable.h"
#include "sound/RecordingBooking.h"
#include "sound/RecordingFiles.h"
#include "sound/RecordingJournal.h"
#include "sound/RecordingWriter.h"
#include "sound/WavHeader.h"

#include "tests/store/StoreTestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>

#include <thread>

using namespace velmar::sound;
using namespace velmar::store;
using velmar::store::test::DirectDb;

namespace {

class RecorderTableTest : public velmar::store::test::StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        file = path(QStringLiteral("survey.sqlite"));
        ASSERT_EQ(OpenDB(nullptr, file), kOpenDbOk);
        sink.messages.clear();
    }

    QStringList recorderIds() const
    {
        return DirectDb(file).rows(QStringLiteral("SELECT RecorderId FROM UDC_TapeRecorders ORDER BY RecorderId"));
    }

    RECORDINGINFO recorder(int id)
    {
        RECORDINGINFO r;
        r.RecorderId = id;
        r.Name = QStringLiteral("Recorder %1").arg(id);
        return r;
    }

    QString file;
};

} // namespace

TEST_F(RecorderTableTest, RecordersAreCountedWithoutGaps)
{
    EXPECT_EQ(DbCountRecorders(), 0);
    for (int id : {0, 1, 3})
        ASSERT_TRUE(DbWriteRecorder(recorder(id)));
    EXPECT_EQ(DbCountRecorders(), 2);
    ASSERT_TRUE(DbAddRecorder());
    EXPECT_EQ(recorderIds(), (QStringList{"0", "1", "2", "3"}));
    EXPECT_EQ(DbCountRecorders(), 4);
    RECORDINGINFO added;
    added.RecorderId = 2;
    ASSERT_TRUE(DbReadRecorder(added));
    EXPECT_EQ(added.OutputDirectory, RECORDINGINFO().OutputDirectory);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(RecorderTableTest, RowsRoundTripAddUpdateDelete)
{
    RECORDINGINFO r = recorder(0);
    r.Name = QStringLiteral("Bow array   ");
    r.DeviceType = 6;
    r.SampleRate = 96000;
    r.TimeFileName = false;
    r.SmartFolders = false;
    r.MaxSingle = 1000;
    r.RemoteEnable = 0x15;
    r.DeviceName = QString(300, QLatin1Char('x'));
    r.Copyright = QString();
    ASSERT_TRUE(DbWriteRecorder(r));
    EXPECT_EQ(recorderIds(), QStringList{"0"});

    RECORDINGINFO back;
    back.RecorderId = 0;
    back.TapeLength = 99;
    ASSERT_TRUE(DbReadRecorder(back));
    EXPECT_EQ(back.Name, QStringLiteral("Bow array"));
    EXPECT_EQ(back.DeviceType, 6);
    EXPECT_EQ(back.SampleRate, 96000u);
    EXPECT_FALSE(back.TimeFileName);
    EXPECT_FALSE(back.SmartFolders);
    EXPECT_TRUE(back.LimitSingle);
    EXPECT_EQ(back.MaxSingle, 1000);
    EXPECT_EQ(back.RemoteEnable, 0x15);
    EXPECT_EQ(back.DeviceName, QString(255, QLatin1Char('x')));
    EXPECT_TRUE(back.Copyright.isEmpty());
    EXPECT_EQ(back.MediaInitials, QStringLiteral("AutoRec"));
    // Fields without a column come back cleared until the caller sets them.
    EXPECT_EQ(back.TapeLength, 0);
    EXPECT_EQ(back.SecondsUsed, 0);
    EXPECT_FALSE(back.DeviceValid);

    back.DeviceValid = true;
    back.MediaNumber = 12;
    ASSERT_TRUE(DbWriteRecorder(back));
    EXPECT_EQ(DirectDb(file).rows(QStringLiteral("SELECT MediaNumber, Name FROM UDC_TapeRecorders")),
              QStringList{"12|Bow array"});

    // A recorder whose device is missing keeps its stored settings.
    back.DeviceValid = false;
    back.MediaNumber = 13;
    EXPECT_FALSE(DbWriteRecorder(back));
    EXPECT_EQ(DirectDb(file).rows(QStringLiteral("SELECT MediaNumber FROM UDC_TapeRecorders")), QStringList{"12"});

    RECORDINGINFO missing;
    missing.RecorderId = 7;
    EXPECT_FALSE(DbReadRecorder(missing));
    EXPECT_EQ(missing.RecorderId, 7);
    EXPECT_FALSE(DbDeleteRecorder(missing));
    EXPECT_TRUE(DbDeleteRecorder(back));
    EXPECT_TRUE(recorderIds().isEmpty());
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(RecorderTableTest, FailedWritesAndDeletesAreReported)
{
    ASSERT_TRUE(DbWriteRecorder(recorder(0)));
    ASSERT_TRUE(DirectDb(file).exec(QStringLiteral("DROP TABLE UDC_TapeRecorders")));
    EXPECT_FALSE(DbWriteRecorder(recorder(0)));
    ASSERT_EQ(sink.messages.size(), 1u);
    sink.messages.clear();
    EXPECT_FALSE(DbDeleteRecorder(recorder(0)));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, QStringLiteral("Can't update UDC_TapeRecorders table with new info"));
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("TAutoRec::WriteInfo"));
    CloseDB();
    EXPECT_FALSE(DbWriteRecorder(recorder(0)));
    EXPECT_EQ(DbCountRecorders(), 0);
}

// Two recorders closing files at the same moment: every booking is its own
// copy and reaches the database whole.
TEST_F(RecorderTableTest, BookingsFromRecorderThreadsStayApart)
{
    constexpr int PerRecorder = 30;
    std::atomic<int> finished = 0;
    auto recorderThread = [&finished](int id) {
        RECORDINGINFO r;
        r.RecorderId = id;
        r.SmartFolders = false;
        r.Comment = QStringLiteral("recorder %1").arg(id);
        RecordingServices services;
        services.bookRecording = [](RECORDINGINFO booking) { DbWriteRecording(booking); };
        for (int i = 0; i < PerRecorder; ++i) {
            r.FileName = QStringLiteral("R%1_%2.wav").arg(id).arg(i);
            velmar::platform::SystemTime start{2010, 12, 3, 8, 14, 3, uint16_t(i), 0};
            services.programTime = [start] {
                auto end = start;
                end.wMinute += 1;
                return end;
            };
            OnFileClosed(r, start, services);
            r.Comment = QStringLiteral("recorder %1").arg(id);
        }
        ++finished;
    };
    std::thread a(recorderThread, 0), b(recorderThread, 1);
    const QDeadlineTimer deadline(30000);
    while (finished < 2 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    a.join();
    b.join();
    const QStringList rows = DirectDb(file).rows(
        QStringLiteral("SELECT DeckNo, \"File Name\", Comment, Duration, \"Start Time\" FROM Recordings ORDER BY "
                       "DeckNo, \"File Name\""));
    QStringList expected;
    for (int id = 0; id < 2; ++id)
        for (int i = 0; i < PerRecorder; ++i)
            expected << QStringLiteral("%1|R%1_%2.wav|recorder %1|60|2010-12-08 14:03:%3")
                            .arg(id)
                            .arg(i)
                            .arg(i, 2, 10, QLatin1Char('0'));
    std::sort(expected.begin(), expected.end());
    QStringList sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, expected);
}

namespace {

// A recording file as a program that ended while writing it leaves it: the
// header counts what it counted at its last rewrite, and sound follows,
// possibly ending inside a frame.
void LeaveOpenFile(const QString& path, const RECORDINGINFO& r, qint64 bytesOnDisk)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    WAVHEADER h;
    h.Channels = uint16_t(r.nChannels);
    h.SampleRate = r.SampleRate;
    h.BlockAlign = uint16_t(r.nChannels * 2);
    h.BytesPerSecond = r.SampleRate * h.BlockAlign;
    h.setDataBytes(bytesOnDisk / 3);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(WriteWavHeader(h, &f));
    f.write(QByteArray(bytesOnDisk, '\x01'));
}

} // namespace

TEST_F(RecorderTableTest, FilesLeftOpenByAProgramThatEndedAreBookedWithTheSoundTheyHold)
{
    const QString output = path(QStringLiteral("rec"));
    ASSERT_TRUE(QDir().mkpath(output));
    RECORDINGINFO r = recorder(0);
    r.OutputDirectory = output;
    r.SampleRate = 8000;
    r.nChannels = 2;
    r.DeviceTypeText = QStringLiteral("Sound Card");
    QStringList said;
    RecordingServices services;
    services.showMessage = [&said](const QString& text, const QString&) { said << text; };
    services.bookRecording = [](RECORDINGINFO booking) { BookRecording(booking); };
    const auto journal = [&](int recorderId, const QString& name, const QString& comment) {
        RECORDINGINFO j = r;
        j.RecorderId = recorderId;
        j.FileName = name;
        j.Comment = comment;
        j.MediaName = j.MediaFolderName();
        velmar::platform::SystemTime start{2010, 12, 3, 8, 14, 3, 5, 0};
        ASSERT_TRUE(WriteRecordingJournal(j, start));
    };
    // Cut short while still in the output folder: 3.5 s and 3 bytes.
    journal(0, QStringLiteral("A.wav"), QStringLiteral("cut short"));
    LeaveOpenFile(QDir(output).filePath("A.wav"), r, 7 * 16000 + 3);
    // Closed and moved into its media folder, but its row never stored.
    journal(0, QStringLiteral("B.wav"), QStringLiteral("moved"));
    LeaveOpenFile(QDir(output).filePath("AutoRec_0000/B.wav"), r, 72000); // 2.25 s
    // Another recorder's file, and a file that has gone since.
    journal(1, QStringLiteral("C.wav"), QStringLiteral("other recorder"));
    LeaveOpenFile(QDir(output).filePath("C.wav"), r, 16000);
    journal(0, QStringLiteral("D.wav"), QStringLiteral("gone"));

    EXPECT_EQ(BookInterruptedRecordings(r, services), 2);
    EXPECT_EQ(DirectDb(file).rows(QStringLiteral("SELECT DeckNo, \"File Name\", Duration, \"Media Name\", \"Start "
                                                 "Time\", Comment, \"Sample Rate\" FROM Recordings ORDER BY "
                                                 "\"File Name\"")),
              (QStringList{"0|A.wav|3|AutoRec_0000|2010-12-08 14:03:05|cut short|8000",
                           "0|B.wav|2|AutoRec_0000|2010-12-08 14:03:05|moved|8000"}));
    ASSERT_EQ(said.size(), 1) << said.join('\n').toStdString();
    EXPECT_TRUE(said[0].startsWith("D.wav was being recorded in " + output)) << said[0].toStdString();
    // A's header now counts the whole frames it holds, and it lies with B.
    const QString a = QDir(output).filePath("AutoRec_0000/A.wav");
    QFile f(a);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    WAVHEADER h;
    ASSERT_TRUE(ReadWavHeader(h, &f));
    EXPECT_EQ(h.DataSize, 7u * 16000);
    EXPECT_EQ(f.size(), 132 + 7 * 16000);
    EXPECT_EQ(FindRecordingJournals(output), QStringList{QDir(output).filePath("C.wav.booking")});

    // A journal whose row is stored already (the program ended between the
    // two) books nothing twice.
    said.clear();
    journal(0, QStringLiteral("A.wav"), QStringLiteral("cut short"));
    EXPECT_EQ(BookInterruptedRecordings(r, services), 0);
    EXPECT_EQ(DirectDb(file).rows(QStringLiteral("SELECT COUNT(*) FROM Recordings")), QStringList{"2"});
    EXPECT_TRUE(said.isEmpty()) << said.join('\n').toStdString();
    EXPECT_EQ(FindRecordingJournals(output).size(), 1);
}
