// The real Velmar with the board library's stand-in: a user form's external
// counter gets its start-up pulses and one pulse per stored record, and a
// buffering recorder blinks its diode, all through the counter and
// external-button threads to the board's output bits. Where the board's
// output cannot be reached, the form and the recorder say so once.
#include "store/FixedSchema.h"
#include "tests/shell/EndToEndSurvey.h"
#include "tests/shell/ScriptedVelmar.h"
#include "tests/store/StoreTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using velmar::shell::test::ExecSql;
using velmar::shell::test::OpenBlankSurvey;
using velmar::shell::test::StartScriptedVelmar;
using velmar::store::test::DirectDb;

constexpr int kBoundMs = 60000;
constexpr int kCounterLine = 4; // reset line; the count line is the next
constexpr int kDiodeLine = 7;

// The form "Tally": a counter on the board's lines 4 and 5 that stands at 2
// (Default is the next number) and a note that shares its Order. Recorder 0 reads the stand-in board and fills
// its pre-trigger buffer from the start, flashing its diode on line 7. The
// external buttons' board is of `buttonDevice` type.
void MakeSurvey(const QString& file, const QString& folder, int buttonDevice)
{
    OpenBlankSurvey(file);
    if (testing::Test::HasFatalFailure())
        return;
    ASSERT_TRUE(ExecSql(QStringLiteral(
        "CREATE TABLE \"UDF_Tally\" (\"Order\" SMALLINT, \"Type\" VARCHAR(50), \"Title\" VARCHAR(50), "
        "\"PostTitle\" VARCHAR(50), \"DbTitle\" VARCHAR(50), \"Default\" VARCHAR(50), \"Length\" SMALLINT, "
        "\"Height\" SMALLINT, \"Topic\" VARCHAR(50), \"MinValue\" REAL, \"MaxValue\" REAL, \"NMEA String\" "
        "VARCHAR(50), "
        "\"NMEA Position\" SMALLINT, \"ADC Channel\" SMALLINT, \"ADC Gain\" SMALLINT, \"Analog Multiply\" REAL, "
        "\"Analog Add\" REAL, \"Required\" BIT, \"ReadOnly\" BIT, \"AutoUpdate\" SMALLINT, \"AutoClear\" BIT, "
        "\"ForceGps\" BIT, \"Plot\" BIT, \"Hint\" VARCHAR(100), \"Colour\" VARCHAR(20), \"Send Control Name\" "
        "VARCHAR(50), \"Control on Subform\" VARCHAR(50), \"Get Control Data\" VARCHAR(50))")));
    ASSERT_TRUE(ExecSql(
        QStringLiteral("INSERT INTO \"UDF_Tally\" (\"Order\", \"Type\", \"Title\", \"Default\", \"ADC Channel\") "
                       "VALUES (1, 'COUNTER', 'Tally', '3', %1), (1, 'CHAR', 'Note', 'keep', NULL)")
            .arg(kCounterLine)));
    // A panel whose button, pressed by the switch on input bit 3, brings the
    // form's tab to the front.
    ASSERT_TRUE(velmar::store::DbCheckUserTable(velmar::store::GetDbConnection(), QStringLiteral("UDB_Go"),
                                                velmar::store::kUserTableButtonForm));
    ASSERT_TRUE(ExecSql(QStringLiteral("INSERT INTO \"UDB_Go\" (\"Order\", \"Type\", \"Name\", \"Code\", \"Form\", "
                                       "\"External\") VALUES (1, 'BUTTON', 'To Tally', 'GO', 'Tally', 3)")));
    ASSERT_TRUE(ExecSql(
        QStringLiteral(
            "INSERT INTO \"UDC_TapeRecorders\" (\"RecorderId\", \"Name\", \"DeviceType\", \"DeviceNumber\", "
            "\"SampleRate\", \"nChannels\", \"nBits\", \"OutputDirectory\", \"RecordInterval\", \"RecordDuration\", "
            "\"MediaInitials\", \"FileInitials\", \"TimeFileName\", \"Copyright\", \"MediaNumber\", \"SmartFolders\", "
            "\"FolderSize\", \"LimitSingle\", \"MaxSingle\", \"EnableBuffer\", \"BufferLength\", \"ChannelGain\", "
            "\"RemoteEnable\", \"FlashDiode\", \"Diode\", \"DeviceName\") VALUES (0, '', 3, 0, 15000, 2, 16, '%1', "
            "120, 20, 'AutoRec', 'Rec', 1, '', 0, 0, 640, 1, 640, 1, 10, 1, 0, 1, %2, 'PCI-DAS1602/16')")
            .arg(folder)
            .arg(kDiodeLine)));
    for (const QString& row : {QStringLiteral("('Buttons', 'ButtonDeviceType', '%1')").arg(buttonDevice),
                               QStringLiteral("('Buttons', 'ButtonInputPort', '10')"),
                               QStringLiteral("('Buttons', 'ButtonOutputPort', '11')"),
                               QStringLiteral("('Buttons', 'ButtonSampleRate', '100')"),
                               QStringLiteral("('Buttons', 'ButtonCountRate', '50')")})
        ASSERT_TRUE(ExecSql(
            QStringLiteral("INSERT INTO \"UDC_Settings\" (\"Section\", \"Identifier\", \"Data\") VALUES ") + row));
    velmar::store::CloseDB();
}

class BoardOutputs : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        survey = QDir(home.path()).filePath(QStringLiteral("data/Survey.sqlite"));
        log = QDir(home.path()).filePath(QStringLiteral("board.log"));
        messages = QDir(home.path()).filePath(QStringLiteral("messages.txt"));
        input = QDir(home.path()).filePath(QStringLiteral("board.in"));
    }
    void TearDown() override
    {
        if (velmar.state() != QProcess::NotRunning) {
            velmar.kill();
            velmar.waitForFinished(kBoundMs);
        }
    }

    // The operator goes to the form and stores two records.
    void Start(int buttonDevice)
    {
        MakeSurvey(survey, QDir(home.path()).filePath(QStringLiteral("rec")), buttonDevice);
        if (testing::Test::HasFatalFailure())
            return;
        // The switch is open (bit 3 high) until the threads are up.
        ASSERT_TRUE(SetInput(0x8));
        StartScriptedVelmar(velmar, home.path(),
                            {{QStringLiteral("VELMAR_CB_LIBRARY"), QStringLiteral(CB_STANDIN)},
                             {QStringLiteral("STANDIN_CB_DIN"), input},
                             {QStringLiteral("STANDIN_CB_LOG"), log},
                             {QStringLiteral("VELMAR_MESSAGE_LOG"), messages},
                             {QStringLiteral("VELMAR_CLICKS"), QStringLiteral("Store;Store")}});
    }

    bool SetInput(int value)
    {
        QFile f(input);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(QByteArray::number(value)) > 0;
    }

    // Closes the switch once the external-button thread has read the port
    // and polled it once ("din" lines of the board's log).
    void PressSwitch()
    {
        const auto polls = [&] {
            QFile f(log);
            return f.open(QIODevice::ReadOnly) ? f.readAll().count("din ") : 0;
        };
        (void)QTest::qWaitFor([&] { return polls() >= 2 || velmar.state() == QProcess::NotRunning; }, kBoundMs);
        ASSERT_TRUE(SetInput(0));
    }

    QByteArray Stop()
    {
        velmar.terminate();
        EXPECT_TRUE(velmar.waitForFinished(kBoundMs));
        return velmar.readAll();
    }

    // The levels the board was given on one output bit, in order.
    QStringList Levels(int bit) const
    {
        QFile f(log);
        QStringList levels;
        if (f.open(QIODevice::ReadOnly))
            for (const QString& line : QString::fromLatin1(f.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
                const QStringList words = line.split(u' ');
                if (words.size() == 5 && words[0] == QLatin1String("out") && words[3].toInt() == bit)
                    levels << words[4];
            }
        return levels;
    }

    QStringList Messages() const
    {
        QFile f(messages);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                           : QStringList();
    }

    int Records() const
    {
        return DirectDb(survey).rows(QStringLiteral("SELECT COUNT(*) FROM \"Tally\"")).value(0).toInt();
    }

    QTemporaryDir home;
    QString survey;
    QString log;
    QString messages;
    QString input;
    QProcess velmar;
};

TEST_F(BoardOutputs, CounterPulsesAndTheRecordersDiodeReachTheBoard)
{
    Start(3);
    if (HasFatalFailure())
        return;
    PressSwitch();
    // The counter is reset (line 4), counted up to 2 and given one count for
    // the window's set-up, then one per record (line 5); the buffering
    // recorder's diode blinks meanwhile.
    const auto pulses = [&] { return int(Levels(kCounterLine + 1).count(QStringLiteral("0"))); };
    int records = 0;
    (void)QTest::qWaitFor(
        [&] {
            records = Records();
            return (records >= 2 && pulses() == 3 + records && Levels(kDiodeLine).count(QStringLiteral("1")) >= 2)
                || velmar.state() == QProcess::NotRunning;
        },
        kBoundMs);
    const QByteArray output = Stop();

    EXPECT_GE(records, 2) << output.toStdString();
    EXPECT_EQ(Levels(kCounterLine), (QStringList{"1", "0"})) << output.toStdString();
    const QStringList counts = Levels(kCounterLine + 1);
    EXPECT_EQ(pulses(), 3 + records) << counts.join(u' ').toStdString() << "\n" << output.toStdString();
    for (int i = 0; i < counts.size(); ++i)
        EXPECT_EQ(counts[i], i % 2 == 0 ? QStringLiteral("1") : QStringLiteral("0")) << "level " << i;
    // Blinking while buffering: lit on every other refresh, never twice in a row.
    const QString diode = Levels(kDiodeLine).join(QString());
    EXPECT_TRUE(diode.contains(QStringLiteral("101"))) << diode.toStdString();
    EXPECT_FALSE(diode.contains(QStringLiteral("11"))) << diode.toStdString();
    EXPECT_TRUE(Messages().filter(QStringLiteral("cannot")).isEmpty()) << Messages().join(u'\n').toStdString();

    // The counter's number went back into its own definition row only: the
    // note that shares its Order keeps its Default.
    // Default holds the number after the last one stored.
    DirectDb db(survey);
    const int last = db.rows(QStringLiteral("SELECT MAX(CAST(\"Tally\" AS INTEGER)) FROM \"Tally\"")).value(0).toInt();
    EXPECT_EQ(db.rows(QStringLiteral("SELECT \"Title\", \"Default\" FROM \"UDF_Tally\" WHERE \"Order\" = 1 "
                                     "ORDER BY rowid")),
              (QStringList{QStringLiteral("Tally|%1").arg(last + 1), QStringLiteral("Note|keep")}));
}

// A board type other than Measurement Computing for the external buttons:
// the counter thread runs, the thread that sets the bits does not. Nothing
// reaches the board, and the form and the recorder each say so once.
TEST_F(BoardOutputs, WithoutAThreadToSetTheBitsTheFormAndTheRecorderSaySoOnce)
{
    Start(5);
    if (HasFatalFailure())
        return;
    (void)QTest::qWaitFor(
        [&] {
            return Messages().filter(QStringLiteral("cannot")).size() >= 2 || velmar.state() == QProcess::NotRunning;
        },
        kBoundMs);
    // A few more refreshes and stores' worth: still once.
    EXPECT_FALSE(QTest::qWaitFor(
        [&] {
            return Messages().filter(QStringLiteral("cannot")).size() > 2 || velmar.state() == QProcess::NotRunning;
        },
        3000));
    const QByteArray output = Stop();

    for (int line : {kCounterLine, kCounterLine + 1, kDiodeLine})
        EXPECT_TRUE(Levels(line).isEmpty()) << line;
    const QStringList shown = Messages().filter(QStringLiteral("cannot"));
    ASSERT_EQ(shown.size(), 2) << shown.join(u'\n').toStdString() << "\n" << output.toStdString();
    EXPECT_EQ(
        shown.filter(QStringLiteral("The counter Tally of the form Tally cannot send its pulses on output 4")).size(),
        1)
        << shown.join(u'\n').toStdString();
    EXPECT_EQ(shown.filter(QStringLiteral("The diode on output 7 cannot be flashed")).size(), 1)
        << shown.join(u'\n').toStdString();
}

} // namespace
