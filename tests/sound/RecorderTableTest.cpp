#include "sound/RecorderTable.h"

#include "tests/store/StoreTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>

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
    EXPECT_EQ(DbWriteRecording(recorder(0)), 0);
}

// Two recorders closing files at the same moment: every booking is its own
// copy and reaches the database whole.
TEST_F(RecorderTableTest, BookingsFromRecorderThreadsStayApart)
{
    RecordingBooker booker;
    constexpr int PerRecorder = 40;
    auto recorderThread = [&booker](int id) {
        RECORDINGINFO r;
        r.RecorderId = id;
        for (int i = 0; i < PerRecorder; ++i) {
            r.FileName = QStringLiteral("R%1_%2.wav").arg(id).arg(i);
            r.Comment = QStringLiteral("recorder %1").arg(id);
            r.StartTime = QStringLiteral("2010-12-08 14:03:%1").arg(i % 60, 2, 10, QLatin1Char('0'));
            r.Duration = i;
            booker.book(r);
        }
    };
    std::thread a(recorderThread, 0), b(recorderThread, 1);
    a.join();
    b.join();
    QCoreApplication::processEvents();
    const QStringList rows = DirectDb(file).rows(
        QStringLiteral("SELECT DeckNo, \"File Name\", Comment, Duration FROM Recordings ORDER BY DeckNo, Duration"));
    ASSERT_EQ(rows.size(), 2 * PerRecorder);
    for (int id = 0; id < 2; ++id)
        for (int i = 0; i < PerRecorder; ++i)
            EXPECT_EQ(rows[id * PerRecorder + i], QStringLiteral("%1|R%1_%2.wav|recorder %1|%2").arg(id).arg(i));
    EXPECT_EQ(DirectDb(file).rows(QStringLiteral("SELECT \"Start Time\" FROM Recordings LIMIT 1")),
              QStringList{"2010-12-08 14:03:00"});
}
