#include "sound/RecorderTable.h"
#include "sound/RecordingFiles.h"
#include "sound/RecordingWriter.h"

#include "tests/store/StoreTestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

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
