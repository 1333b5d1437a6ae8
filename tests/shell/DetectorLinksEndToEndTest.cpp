// The detector links in the running Velmar, offscreen on a private bus, with
// a stand-in detector program that answers its status from a script:
// - online logging: the status sequence becomes rows of the detector's effort
//   table, a detector that vanishes while running is logged "Crashed", and
//   the hydrophone monitor without a board logs its unknown states once;
// - offline logging: the deck's playing starts the detector (command 1) and
//   its end stops it (command 2);
// - the weather station, read through a stand-in library, fills a user
//   form's weather control, and the form stores the reading.
#include "../deck/DeckFakes.h"
#include "../store/StoreTestSupport.h"
#include "ScriptedVelmar.h"

#include "deck/DeckSettings.h"
#include "platform/BusNames.h"
#include "platform/Dde.h"
#include "platform/MessageBus.h"
#include "settings/ProgramSettings.h"
#include "sound/RecorderTable.h"
#include "store/DbConnection.h"
#include "store/FixedSchema.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace velmar;
using store::TheProgramSettings;

constexpr int WaitMs = 60000;
const QString PorpoiseClass = QStringLiteral("PorpoiseADCWndClass");

QString binDir()
{
    return qEnvironmentVariable("VELMAR_BIN_DIR");
}

class DetectorsInVelmar : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        qputenv("VELMAR_HOME", home.path().toLocal8Bit());
        QDir(home.path()).mkdir(QStringLiteral("run"));
        QFile::setPermissions(home.filePath(QStringLiteral("run")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", home.filePath(QStringLiteral("run")).toLocal8Bit());
        store::SetBlankDatabaseTemplate(binDir() + QStringLiteral("/BlankVelmar._sqlite"));
        ASSERT_EQ(store::OpenDB(nullptr, survey()), store::kOpenDbOk);
    }
    void TearDown() override
    {
        for (QProcess* p : {&velmar, &detector, &deckDetector}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(10000);
            }
        }
    }
    // The settings block of the survey, closed first so that the program
    // opens it alone.
    void writeSettings(int32_t porpoiseFlags)
    {
        store::CloseDB();
        TheProgramSettings = store::ProgramSettings();
        TheProgramSettings.FirstRunPending = false;
        TheProgramSettings.DatabasePath.setText(survey());
        TheProgramSettings.DetectorsPosition = 2;
        TheProgramSettings.ProgramAutoControl[0] = porpoiseFlags;
        TheProgramSettings.StartTime = {2010, 12, 3, 8, 14, 0, 0, 0};
        TheProgramSettings.EndTime = {2010, 12, 3, 8, 15, 0, 0, 0};
        ASSERT_TRUE(store::WriteProgramSettings());
    }
    void startDetector(const QString& codes)
    {
        detector.start(QStringLiteral(DETECTOR_STATUS_STAND_IN), {PorpoiseClass, commandLog(), codes});
        ASSERT_TRUE(detector.waitForReadyRead(20000)) << detector.readAllStandardError().toStdString();
    }
    void startVelmar(const QStringList& arguments, const QProcessEnvironment& extra = {})
    {
        QProcessEnvironment env = shell::test::ScriptedVelmarEnvironment(home.path());
        for (const QString& key : extra.keys())
            env.insert(key, extra.value(key));
        velmar.setProcessEnvironment(env);
        velmar.setProcessChannelMode(QProcess::MergedChannels);
        velmar.start(shell::test::VelmarProgramPath(), arguments);
        ASSERT_TRUE(velmar.waitForStarted(10000));
    }
    QStringList rows(const QString& sql) const
    {
        store::test::DirectDb db(survey());
        return db.ok() ? db.rows(sql) : QStringList();
    }
    // Waits until the query reads the rows; what it last read.
    QStringList waitForRows(const QString& sql, const QStringList& expected)
    {
        QStringList seen;
        (void)QTest::qWaitFor(
            [&] {
                seen = rows(sql);
                return seen == expected || velmar.state() == QProcess::NotRunning;
            },
            WaitMs);
        return seen;
    }
    QStringList commands() const
    {
        QFile f(commandLog());
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
            return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QString survey() const { return home.filePath(QStringLiteral("Survey.sqlite")); }
    QString commandLog() const { return home.filePath(QStringLiteral("commands.log")); }

    QTemporaryDir home;
    QProcess velmar, detector, deckDetector;
};

TEST_F(DetectorsInVelmar, StatusSequenceIsLoggedAsEffortAndAVanishedDetectorAsCrashed)
{
    writeSettings(0);
    // Idle twice, then running.
    startDetector(QStringLiteral("1,1,2"));
    startVelmar({});
    const QString effort = QStringLiteral("SELECT \"Status\" FROM \"PorpoiseEffort\" ORDER BY \"Index\"");
    QStringList seen = waitForRows(effort, {QStringLiteral("Start")});
    ASSERT_EQ(seen, QStringList{QStringLiteral("Start")}) << velmar.readAll().toStdString();

    detector.kill();
    detector.waitForFinished(10000);
    seen = waitForRows(effort, {QStringLiteral("Start"), QStringLiteral("Crashed")});
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Start"), QStringLiteral("Crashed")}))
        << velmar.readAll().toStdString();

    // No board: the monitor logs its unknown states once, and nothing else
    // gets an effort row (no other detector, no listening).
    EXPECT_EQ(rows(QStringLiteral("SELECT \"Power\", \"Cable\" FROM \"Hydrophone\"")),
              QStringList{QStringLiteral("Unknown|Unknown")});
    for (const char* table : {"WhistleEffort", "QuintraEffort", "ListeningEffort"})
        EXPECT_EQ(rows(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(QLatin1String(table))),
                  QStringList{QStringLiteral("0")})
            << table;
    QByteArray output;
    EXPECT_TRUE(shell::test::ReadOutputUntil(velmar, "\"Crashed\"", output, WaitMs)) << output.toStdString();
}

TEST_F(DetectorsInVelmar, TheDeckPlayingInOfflineLoggingStartsAndStopsTheDetector)
{
    // A recorder slot (one deck), and six seconds of a recording in its folder.
    ASSERT_TRUE(sound::DbAddRecorder());
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("tapes")));
    constexpr int rate = 8000, channels = 2, seconds = 6;
    const std::vector<int16_t> samples(std::size_t(seconds * rate * channels), 1000);
    const QString recording = QStringLiteral("Rec20101208_140305.wav");
    QFile wav(QDir(home.filePath(QStringLiteral("tapes"))).filePath(recording));
    ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
    wav.write(decktest::makeWav(channels, rate, samples));
    wav.close();
    deck::DeckSettingsFile deckSettings;
    deckSettings.deck.setFolder(home.filePath(QStringLiteral("tapes")));
    deckSettings.deck.LeftMask = deckSettings.deck.RightMask = deckSettings.deck.ClickMask = 0;
    deckSettings.deck.WhistleMask = 3;
    deckSettings.deck.ListByPeriod = 0;
    ASSERT_TRUE(deck::WriteDeckSettings(deckSettings, home.filePath(QStringLiteral("TapeSet.dat"))).ok);
    writeSettings(store::AutoStart | store::AutoStop);

    // The deck plays into a whistle detector; the porpoise detector is idle.
    // Without speakers the deck goes as fast as the detector reads: this one
    // reads in real time, so the deck plays for several status cycles.
    deckDetector.start(QStringLiteral(DECK_DETECTOR_STAND_IN),
                       {QString::fromLatin1(deck::WhistleDetectorClass), QString::fromLatin1(deck::WhistlePipeName),
                        home.filePath(QStringLiteral("received.raw")), QStringLiteral("real-time")});
    ASSERT_TRUE(deckDetector.waitForReadyRead(20000));
    startDetector(QStringLiteral("1"));
    QProcessEnvironment env;
    env.insert(QStringLiteral("VELMAR_DECK_PLAY"), recording);
    startVelmar({QStringLiteral("-p")}, env);

    (void)QTest::qWaitFor([&] { return commands().size() >= 2 || velmar.state() == QProcess::NotRunning; }, WaitMs);
    EXPECT_EQ(commands(), (QStringList{QStringLiteral("command 1"), QStringLiteral("command 2")}))
        << velmar.readAll().toStdString();
    EXPECT_TRUE(QFile::exists(home.filePath(QStringLiteral("received.raw")))) << "the deck played";
}

TEST_F(DetectorsInVelmar, TheWeatherStationFillsTheFormsWeatherControl)
{
    // A form whose wind-speed control fills itself, taking pokes.
    store::DbCheckUserTable(store::GetDbConnection(), QStringLiteral("UDF_Weather"), store::kUserTableUserForm);
    {
        store::SqlStatement form(store::GetDbConnection());
        ASSERT_TRUE(form.execDirect(
            QStringLiteral("INSERT INTO \"UDF_Weather\" (\"Order\", \"Type\", \"Title\", \"Topic\", \"AutoUpdate\") "
                           "VALUES (1, 'DAVISWEATHER', 'Wind', 'WINDSPEED', 60), (2, 'DDEENABLE', '', '', 0)")));
    }
    writeSettings(0);
    TheProgramSettings.CollectWeather = true;
    TheProgramSettings.WeatherPort = 2;
    ASSERT_TRUE(store::WriteProgramSettings());
    QProcessEnvironment env;
    env.insert(QStringLiteral("VELMAR_WEATHERLINK_LIBRARY"), QStringLiteral(WEATHERLINK_STANDIN));
    startVelmar({}, env);

    platform::DdeClient dde(QStringLiteral("Velmar2000"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return dde.serverPresent(); }, WaitMs)) << velmar.readAll().toStdString();
    // The first reading comes once the weather thread is up: poke until a
    // stored record carries it.
    QStringList stored;
    (void)QTest::qWaitFor(
        [&] {
            dde.poke(QStringLiteral("UDFSERVICE"), QStringLiteral("Weather"), ",", 10000);
            stored = rows(QStringLiteral("SELECT \"Wind\" FROM \"Weather\" WHERE \"Wind\" IS NOT NULL"));
            return !stored.isEmpty() || velmar.state() == QProcess::NotRunning;
        },
        WaitMs);
    ASSERT_FALSE(stored.isEmpty()) << velmar.readAll().toStdString();
    EXPECT_EQ(stored.front().toDouble(), 7.5);
}

} // namespace
