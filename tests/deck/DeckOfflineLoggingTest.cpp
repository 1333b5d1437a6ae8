// Offline logging from a recording, end to end: the real Velmar in offline
// logging plays a recording of the deck's folder into a detector stand-in,
// and a record poked into a user form while it replays carries the
// recording's time plus the position reached.
#include "../shell/ScriptedVelmar.h"
#include "DeckFakes.h"

#include "deck/DeckSettings.h"
#include "platform/BusNames.h"
#include "platform/Dde.h"
#include "platform/MessageBus.h"
#include "sound/RecorderTable.h"
#include "store/DbConnection.h"
#include "store/FixedSchema.h"
#include "settings/ProgramSettings.h"
#include "store/SqlText.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace decktest;

QString binDir()
{
    return QString::fromLocal8Bit(qgetenv("VELMAR_BIN_DIR"));
}

// The times of the form's records (its time stamp, filled from the program
// clock as the record is stored).
QStringList storedTimes(const QString& survey)
{
    QStringList times;
    if (velmar::store::OpenDB(nullptr, survey) != velmar::store::kOpenDbOk)
        return times;
    {
        velmar::store::SqlStatement q(velmar::store::GetDbConnection());
        if (q.execDirect(QStringLiteral("SELECT \"Seen\" FROM \"Sightings\"")))
            while (velmar::store::sqlSucceeded(SQLFetch(q.handle()))) {
                char text[64] = {};
                SQLLEN length = 0;
                SQLGetData(q.handle(), 1, SQL_C_CHAR, text, sizeof text, &length);
                times << QString::fromUtf8(text);
            }
    }
    velmar::store::CloseDB();
    return times;
}

// A survey with one recorder slot (one deck), a form that takes pokes, a
// recording of the deck's folder and a detector stand-in that reads it.
class DeckInVelmar : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("tapes")));
        // Two seconds of a recording that began at 2010-12-08 14:03:05.
        QByteArray wav = makeWav(channels, rate, samples);
        velmar::sound::WAVHEADER h;
        QBuffer b(&wav);
        b.open(QIODevice::ReadWrite);
        ASSERT_TRUE(velmar::sound::ReadWavHeader(h, &b));
        h.setCreationDate(velmar::sound::RecordingCreationDate({2010, 12, 3, 8, 14, 3, 5, 0}));
        b.seek(0);
        ASSERT_TRUE(velmar::sound::WriteWavHeader(h, &b));
        QFile f(QDir(tapes()).filePath(QLatin1String(recording)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(wav);
        f.close();

        qputenv("VELMAR_HOME", home.path().toLocal8Bit());
        // Pipes of our own: other runs on this machine use the same pipe names.
        QDir(home.path()).mkdir(QStringLiteral("run"));
        QFile::setPermissions(home.filePath(QStringLiteral("run")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", home.filePath(QStringLiteral("run")).toLocal8Bit());
        velmar::store::SetBlankDatabaseTemplate(binDir() + QStringLiteral("/BlankVelmar._sqlite"));
        ASSERT_EQ(velmar::store::OpenDB(nullptr, survey()), velmar::store::kOpenDbOk);
        ASSERT_TRUE(velmar::sound::DbAddRecorder());
        velmar::store::DbCheckUserTable(velmar::store::GetDbConnection(), QStringLiteral("UDF_Sightings"),
                                        velmar::store::kUserTableUserForm);
        {
            velmar::store::SqlStatement form(velmar::store::GetDbConnection());
            ASSERT_TRUE(form.execDirect(QStringLiteral(
                "INSERT INTO \"UDF_Sightings\" (\"Order\", \"Type\", \"Title\", \"AutoUpdate\") "
                "VALUES (1, 'TIMESTAMP', 'Seen', 1), (2, 'INTEGER', 'Count', 0), (3, 'DDEENABLE', '', 0)")));
            velmar::store::SqlStatement recordings(velmar::store::GetDbConnection());
            ASSERT_TRUE(recordings.execDirect(
                QStringLiteral(
                    "INSERT INTO \"Recordings\" (\"Start Time\", \"Duration\", \"GpsIndex\", \"Media Name\", "
                    "\"File Name\", \"Sample Rate\", \"nChannels\", \"Comment\") "
                    "VALUES ('2010-12-08 14:03:05', 2, 1, 'DISK1', '%1', 8000, 2, 'first')")
                    .arg(QLatin1String(recording))));
        }
        velmar::store::CloseDB();
        velmar::store::TheProgramSettings = velmar::store::ProgramSettings();
        velmar::store::TheProgramSettings.FirstRunPending = false;
        velmar::store::TheProgramSettings.DatabasePath.setText(survey());
        velmar::store::TheProgramSettings.StartTime = {2010, 12, 3, 8, 14, 0, 0, 0};
        velmar::store::TheProgramSettings.EndTime = {2010, 12, 3, 8, 15, 0, 0, 0};
        ASSERT_TRUE(velmar::store::WriteProgramSettings());

        detector.start(QStringLiteral(DETECTOR_STAND_IN),
                       {QString::fromLatin1(velmar::deck::WhistleDetectorClass),
                        QString::fromLatin1(velmar::deck::WhistlePipeName), received()});
        ASSERT_TRUE(detector.waitForReadyRead(20000));
    }
    void TearDown() override
    {
        velmar.terminate();
        velmar.waitForFinished(60000);
        velmar::platform::MessageBus::instance().send(
            velmar::platform::windowClassBusName(QString::fromLatin1(velmar::deck::WhistleDetectorClass)),
            QStringLiteral("StandInQuit"), 0, 0, 5000);
        detector.waitForFinished(10000);
    }
    // The deck lists the folder or the period and plays to the whistle
    // detector only.
    void writeDeckSettings(bool byPeriod)
    {
        velmar::deck::DeckSettingsFile deck;
        deck.deck.setFolder(tapes());
        deck.deck.LeftMask = deck.deck.RightMask = deck.deck.ClickMask = 0;
        deck.deck.WhistleMask = 3;
        deck.deck.ListByPeriod = byPeriod ? 1 : 0;
        ASSERT_TRUE(velmar::deck::WriteDeckSettings(deck, home.filePath(QStringLiteral("TapeSet.dat"))).ok);
    }
    void startVelmar(const QString& mode)
    {
        QProcessEnvironment env = velmar::shell::test::ScriptedVelmarEnvironment(home.path());
        env.insert(QStringLiteral("VELMAR_MESSAGE_LOG"), home.filePath(QStringLiteral("messages.log")));
        env.insert(QStringLiteral("VELMAR_DECK_PLAY"), QLatin1String(recording));
        velmar.setProcessEnvironment(env);
        velmar.setProcessChannelMode(QProcess::MergedChannels);
        velmar.start(velmar::shell::test::VelmarProgramPath(), {mode});
    }
    // The whole recording reached the detector.
    void expectPlayed()
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(received()); }, 60000))
            << velmar.readAll().toStdString();
        EXPECT_EQ(QFile(received()).size(), qint64(samples.size() * 2)) << velmar.readAll().toStdString();
    }
    QString tapes() const { return home.filePath(QStringLiteral("tapes")); }
    QString survey() const { return home.filePath(QStringLiteral("Survey.sqlite")); }
    QString received() const { return home.filePath(QStringLiteral("received.raw")); }

    static constexpr const char* recording = "Rec20101208_140305.wav";
    static constexpr int rate = 8000, channels = 2;
    std::vector<int16_t> samples = std::vector<int16_t>(std::size_t(2 * rate * channels), 1000);
    QTemporaryDir home;
    QProcess detector, velmar;
};

TEST_F(DeckInVelmar, ARecordPokedDuringOfflineReplayCarriesTheRecordingsTime)
{
    writeDeckSettings(false);
    startVelmar(QStringLiteral("-p"));
    expectPlayed();
    // The deck has stopped at the end: the clock stands two seconds after the
    // recording's start. A poke may come before the deck's stop reaches the
    // clock; the position is the same then.
    velmar::platform::DdeClient dde(QStringLiteral("Velmar2000"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return dde.serverPresent(); }, 30000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return dde.poke(QStringLiteral("UDFSERVICE"), QStringLiteral("Sightings"), ",7", 10000); }, 30000));
    velmar.terminate();
    ASSERT_TRUE(velmar.waitForFinished(60000));

    const QStringList times = storedTimes(survey());
    ASSERT_EQ(times.size(), 1) << times.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(times.front().startsWith(QStringLiteral("2010-12-08 14:03:07"))) << times.front().toStdString();
}

TEST_F(DeckInVelmar, ShowDataListsAndPlaysTheRecordingsOfThePeriod)
{
    writeDeckSettings(true);
    startVelmar(QStringLiteral("-s"));
    expectPlayed();
}

} // namespace
