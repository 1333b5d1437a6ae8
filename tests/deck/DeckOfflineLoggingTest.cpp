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
#include "store/ProgramSettings.h"
#include "store/SqlText.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace decktest;

QString binDir() { return QString::fromLocal8Bit(qgetenv("VELMAR_BIN_DIR")); }

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

TEST(DeckOfflineLogging, ARecordPokedDuringReplayCarriesTheRecordingsTime)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("tapes")));
    const QString tapes = home.filePath(QStringLiteral("tapes"));

    // Two seconds of a recording that began at 2010-12-08 14:03:05.
    const int rate = 8000, channels = 2;
    std::vector<int16_t> samples(std::size_t(2 * rate * channels), 1000);
    QByteArray wav = makeWav(channels, rate, samples);
    {
        velmar::sound::WAVHEADER h;
        QBuffer b(&wav);
        b.open(QIODevice::ReadWrite);
        ASSERT_TRUE(velmar::sound::ReadWavHeader(h, &b));
        h.setCreationDate(velmar::sound::RecordingCreationDate({2010, 12, 3, 8, 14, 3, 5, 0}));
        b.seek(0);
        ASSERT_TRUE(velmar::sound::WriteWavHeader(h, &b));
    }
    QFile f(QDir(tapes).filePath(QStringLiteral("Rec20101208_140305.wav")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(wav);
    f.close();

    // The deck lists that folder and plays to the whistle detector only.
    velmar::deck::DeckSettingsFile deck;
    deck.deck.setFolder(tapes);
    deck.deck.LeftMask = deck.deck.RightMask = deck.deck.ClickMask = 0;
    deck.deck.WhistleMask = 3;
    ASSERT_TRUE(velmar::deck::WriteDeckSettings(deck, home.filePath(QStringLiteral("TapeSet.dat"))).ok);

    // A survey with one recorder slot (one deck) and a form that takes pokes.
    qputenv("VELMAR_HOME", home.path().toLocal8Bit());
    const QString survey = home.filePath(QStringLiteral("Survey.sqlite"));
    velmar::store::SetBlankDatabaseTemplate(binDir() + QStringLiteral("/BlankVelmar._sqlite"));
    ASSERT_EQ(velmar::store::OpenDB(nullptr, survey), velmar::store::kOpenDbOk);
    ASSERT_TRUE(velmar::sound::DbAddRecorder());
    velmar::store::DbCheckUserTable(velmar::store::GetDbConnection(), QStringLiteral("UDF_Sightings"),
                                    velmar::store::kUserTableUserForm);
    {
        velmar::store::SqlStatement form(velmar::store::GetDbConnection());
        ASSERT_TRUE(form.execDirect(QStringLiteral(
            "INSERT INTO \"UDF_Sightings\" (\"Order\", \"Type\", \"Title\", \"AutoUpdate\") "
            "VALUES (1, 'TIMESTAMP', 'Seen', 1), (2, 'INTEGER', 'Count', 0), (3, 'DDEENABLE', '', 0)")));
    }
    velmar::store::CloseDB();
    velmar::store::TheProgramSettings = velmar::store::ProgramSettings();
    velmar::store::TheProgramSettings.FirstRunPending = false;
    velmar::store::TheProgramSettings.DatabasePath.setText(survey);
    ASSERT_TRUE(velmar::store::WriteProgramSettings());

    const QString received = home.filePath(QStringLiteral("received.raw"));
    QProcess detector;
    detector.start(QStringLiteral(DETECTOR_STAND_IN), {QString::fromLatin1(velmar::deck::WhistleDetectorClass),
                                                       QString::fromLatin1(velmar::deck::WhistlePipeName), received});
    ASSERT_TRUE(detector.waitForReadyRead(20000));

    QProcessEnvironment env = velmar::shell::test::ScriptedVelmarEnvironment(home.path());
    env.insert(QStringLiteral("VELMAR_MESSAGE_LOG"), home.filePath(QStringLiteral("messages.log")));
    env.insert(QStringLiteral("VELMAR_DECK_PLAY"), QStringLiteral("Rec20101208_140305.wav"));
    QProcess velmar;
    velmar.setProcessEnvironment(env);
    velmar.setProcessChannelMode(QProcess::MergedChannels);
    velmar.start(velmar::shell::test::VelmarProgramPath(), {QStringLiteral("-p")});

    // The whole recording reaches the detector; the deck then stops and the
    // clock stands at the end of the recording.
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(received); }, 60000)) << velmar.readAll().toStdString();
    EXPECT_EQ(QFile(received).size(), qint64(samples.size() * 2));
    velmar::platform::DdeClient dde(QStringLiteral("Velmar2000"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return dde.serverPresent(); }, 30000));
    bool taken = false;
    // The poke is refused until the deck has reported its stop (the clock
    // has no time before the first play); try until it is taken.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        taken = dde.poke(QStringLiteral("UDFSERVICE"), QStringLiteral("Sightings"), ",7", 10000);
        return taken;
    }, 30000));

    velmar.terminate();
    ASSERT_TRUE(velmar.waitForFinished(60000));
    velmar::platform::MessageBus::instance().send(
        velmar::platform::windowClassBusName(QString::fromLatin1(velmar::deck::WhistleDetectorClass)),
        QStringLiteral("StandInQuit"), 0, 0, 5000);
    detector.waitForFinished(10000);

    const QStringList times = storedTimes(survey);
    ASSERT_EQ(times.size(), 1) << times.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(times.front().startsWith(QStringLiteral("2010-12-08 14:03:07"))) << times.front().toStdString();
}

} // namespace
