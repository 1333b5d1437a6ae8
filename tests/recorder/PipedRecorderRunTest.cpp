// The real Velmar, offscreen, records from the real Pelvane: Pelvane reads a
// JACK server with the dummy driver, where a test client plays a ramp whose
// every sample names its channel and frame, and routes two channels to the
// recorder pipe. A button panel's start-up default press triggers 10 s on a
// recorder whose input is Pelvane's pipe; the WAV file carries Pelvane's
// rate, both channels in their places and an unbroken ramp, and its
// Recordings row points at it. When Pelvane dies mid-recording the recorder
// says so, closes the file and books the sound it holds.
#include "settings/PipeSettings.h"
#include "platform/MessageBus.h"
#include "sound/PipeProtocol.h"
#include "store/DbConnection.h"
#include "store/FixedSchema.h"
#include "store/SqlText.h"
#include "tests/store/StoreTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>
#include <sndfile.h>

#include <csignal>
#include <vector>

namespace {

using namespace velmar;
using velmar::store::test::DirectDb;

constexpr int kBoundMs = 60000;
constexpr int kRate = 48000;
constexpr int kPipedKind = 6; // the recorder's device type for Pelvane's pipe

QString BinDir()
{
    return QString::fromLocal8Bit(qgetenv("VELMAR_BIN_DIR"));
}

bool Exec(const QString& sql)
{
    store::SqlStatement s(store::GetDbConnection());
    return s.execDirect(sql);
}

void Stop(QProcess& p)
{
    if (p.state() == QProcess::NotRunning)
        return;
    p.terminate();
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished(5000);
    }
}

// Recorder 0 takes Pelvane's recorder pipe (the row's rate and channels are
// Pelvane's to set), and the panel's default button records `seconds`.
void MakeSurvey(const QString& file, const QString& folder, int seconds)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).absolutePath()));
    ASSERT_TRUE(QFile::copy(BinDir() + QStringLiteral("/BlankVelmar._sqlite"), file));
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_EQ(store::OpenDB(nullptr, file), store::kOpenDbOk);
    ASSERT_TRUE(Exec(
        QStringLiteral(
            "INSERT INTO \"UDC_TapeRecorders\" (\"RecorderId\", \"Name\", \"DeviceType\", \"DeviceNumber\", "
            "\"SampleRate\", \"nChannels\", \"nBits\", \"OutputDirectory\", \"RecordInterval\", \"RecordDuration\", "
            "\"MediaInitials\", \"FileInitials\", \"TimeFileName\", \"Copyright\", \"MediaNumber\", \"SmartFolders\", "
            "\"FolderSize\", \"LimitSingle\", \"MaxSingle\", \"EnableBuffer\", \"BufferLength\", \"ChannelGain\", "
            "\"RemoteEnable\", \"FlashDiode\", \"Diode\", \"DeviceName\") VALUES (0, '', %1, 0, 22050, 1, 16, '%2', "
            "120, 20, 'AutoRec', 'Rec', 1, '', 0, 0, 640, 1, 640, 0, 10, 1, 0, 0, 0, '')")
            .arg(kPipedKind)
            .arg(folder)));
    ASSERT_TRUE(
        store::DbCheckUserTable(store::GetDbConnection(), QStringLiteral("UDB_Watch"), store::kUserTableButtonForm));
    ASSERT_TRUE(Exec(QStringLiteral("INSERT INTO \"UDB_Watch\" (\"Order\", \"Type\", \"Name\", \"Code\", "
                                    "\"Recording\", \"Recorder\", \"Default\") VALUES (1, 'BUTTON', 'Record', 'REC', "
                                    "%1, 0, 1)")
                         .arg(seconds)));
    store::CloseDB();
}

class PipedRecorderRun : public testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("jackd")).isEmpty())
            GTEST_SKIP() << "jackd is not installed (scripts/install-deps.sh)";
        ASSERT_TRUE(home.isValid());
        // Pelvane, Velmar and this test share one settings folder, where
        // "PipeDat.dat" is written.
        qputenv("VELMAR_HOME", home.path().toLocal8Bit());
        server = QStringLiteral("velmar-piped-%1").arg(QCoreApplication::applicationPid());
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VELMAR_HOME"), home.path());
        env.insert(QStringLiteral("JACK_DEFAULT_SERVER"), server);
        env.insert(QStringLiteral("JACK_NO_AUDIO_RESERVATION"), QStringLiteral("1"));
        env.insert(QStringLiteral("VELMAR_PELVANE_JACK_PORTS"), QStringLiteral("pelvane_ramp:out_.*"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        for (QProcess* p : {&jack, &ramp, &pelvane, &velmar})
            p->setProcessEnvironment(env);
        folder = QDir(home.path()).filePath(QStringLiteral("rec"));
        survey = QDir(home.path()).filePath(QStringLiteral("data/Survey.sqlite"));
    }
    void TearDown() override
    {
        for (QProcess* p : {&velmar, &pelvane, &ramp, &jack})
            Stop(*p);
    }

    void StartJackAndRamp()
    {
        jack.setProcessChannelMode(QProcess::MergedChannels);
        jack.start(QStringLiteral("jackd"), {"-r", "-n", server, "-d", "dummy", "-r", QString::number(kRate), "-p",
                                             "1024", "-C", "2", "-P", "0"});
        ASSERT_TRUE(jack.waitForStarted(kBoundMs));
        bool ready = false;
        for (int attempt = 0; attempt < 50 && !ready; ++attempt) {
            ramp.start(QStringLiteral(PIPED_JACK_RAMP), {"2"});
            ready = ramp.waitForStarted(10000) && ramp.waitForReadyRead(2000) && ramp.readLine().startsWith("ready");
            if (!ready) {
                Stop(ramp);
                QTest::qWait(200);
            }
        }
        ASSERT_TRUE(ready) << "no JACK server: " << jack.readAll().toStdString();
    }

    void StartPelvane()
    {
        pipeserver::PipeSettings settings;
        settings.DeviceType = pipeserver::DeviceAsio;
        settings.SampleRate = 44100; // the server runs at 48000, and Pelvane publishes that
        ASSERT_TRUE(pipeserver::ParseChannelList(settings, QStringLiteral("0,1")).isEmpty());
        for (auto& c : settings.ChannelSettings)
            c.Routing = 0;
        settings.ChannelSettings[0].Routing = pipeserver::RouteAutorec;
        settings.ChannelSettings[1].Routing = pipeserver::RouteAutorec;
        pipeserver::CheckPipeConsistency(settings);
        ASSERT_TRUE(pipeserver::WritePipeSettings(settings).ok);
        pelvane.setProcessChannelMode(QProcess::MergedChannels);
        pelvane.start(BinDir() + QStringLiteral("/Pelvane"), {});
        ASSERT_TRUE(pelvane.waitForStarted(kBoundMs));
        ASSERT_TRUE(QTest::qWaitFor(
            [] { return platform::MessageBus::instance().isNameOwned(sound::PelvaneBusName()); }, 30000))
            << pelvane.readAll().toStdString();
    }

    void StartVelmar(int seconds)
    {
        MakeSurvey(survey, folder, seconds);
        QProcessEnvironment e = env;
        e.insert(QStringLiteral("VELMAR_ACCEPT_SHEETS"), QStringLiteral("1"));
        e.insert(QStringLiteral("VELMAR_NO_MODAL"), QStringLiteral("1"));
        e.insert(QStringLiteral("VELMAR_QUIT_AFTER_MS"), QStringLiteral("150000"));
        e.insert(QStringLiteral("VELMAR_MESSAGE_LOG"), QDir(home.path()).filePath(QStringLiteral("messages.txt")));
        velmar.setProcessEnvironment(e);
        velmar.setProcessChannelMode(QProcess::MergedChannels);
        velmar.start(BinDir() + QStringLiteral("/Velmar"), {});
        ASSERT_TRUE(velmar.waitForStarted(kBoundMs));
    }

    QString Messages() const
    {
        QFile f(QDir(home.path()).filePath(QStringLiteral("messages.txt")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    QString WavFile() const
    {
        const QStringList files = QDir(folder).entryList({QStringLiteral("*.wav")}, QDir::Files);
        return files.isEmpty() ? QString() : QDir(folder).filePath(files.first());
    }

    QTemporaryDir home;
    QString server, folder, survey;
    QProcessEnvironment env;
    QProcess jack, ramp, pelvane, velmar;
};

TEST_F(PipedRecorderRun, RecordsPelvanesPipeWithItsRateAndChannelsInPlace)
{
    StartJackAndRamp();
    ASSERT_FALSE(HasFatalFailure());
    StartPelvane();
    ASSERT_FALSE(HasFatalFailure());
    StartVelmar(10);
    ASSERT_FALSE(HasFatalFailure());

    // The recording is over once its file has stopped growing.
    qint64 lastSize = -1;
    QElapsedTimer still;
    (void)QTest::qWaitFor(
        [&] {
            if (velmar.state() == QProcess::NotRunning)
                return true;
            const QString f = WavFile();
            const qint64 size = f.isEmpty() ? -1 : QFileInfo(f).size();
            if (size != lastSize) {
                lastSize = size;
                still.restart();
            }
            return size > 8LL * kRate * 4 && still.elapsed() > 3000;
        },
        120000);
    const bool ranThrough = velmar.state() == QProcess::Running;
    Stop(velmar);
    const std::string output = velmar.readAll().toStdString() + Messages().toStdString() + "\nPelvane:\n"
                             + pelvane.readAll().toStdString();
    ASSERT_TRUE(ranThrough) << "exit " << velmar.exitCode() << ' ' << output;

    const QString file = WavFile();
    ASSERT_FALSE(file.isEmpty()) << output;
    SF_INFO info{};
    SNDFILE* sf = sf_open(file.toLocal8Bit().constData(), SFM_READ, &info);
    ASSERT_NE(sf, nullptr) << sf_strerror(nullptr);
    std::vector<short> samples(std::size_t(info.frames) * std::size_t(std::max(info.channels, 1)));
    const sf_count_t read = sf_readf_short(sf, samples.data(), info.frames);
    sf_close(sf);
    EXPECT_EQ(info.samplerate, kRate) << "Pelvane's published rate, not the row's";
    ASSERT_EQ(info.channels, 2) << output;
    // JACK's dummy driver runs late on a loaded machine and delivers a little
    // less than the 10 s of the trigger.
    EXPECT_GE(read, 8LL * kRate) << output;
    EXPECT_LE(read, 12LL * kRate) << output;

    // Every sample names its channel in its low bits; the ramp steps by one
    // frame except where the dummy server itself missed a cycle.
    qint64 misplaced = 0, breaks = 0;
    for (sf_count_t f = 0; f < read; ++f) {
        const auto a = std::uint16_t(samples[std::size_t(f) * 2]);
        const auto b = std::uint16_t(samples[std::size_t(f) * 2 + 1]);
        if ((a & 0xF) != 0 || (b & 0xF) != 1 || (a >> 4) != (b >> 4))
            ++misplaced;
        if (f > 0) {
            const auto prev = std::uint16_t(samples[std::size_t(f - 1) * 2]);
            if (((prev >> 4) + 1) % 4096 != (a >> 4))
                ++breaks;
        }
    }
    EXPECT_EQ(misplaced, 0) << "channels out of their places";
    EXPECT_LE(breaks, 20) << "the ramp is broken more often than a loaded machine explains";

    DirectDb db(survey);
    ASSERT_TRUE(db.ok());
    const QStringList rows = db.rows(
        QStringLiteral("SELECT \"File Name\", \"Sample Rate\", \"nChannels\" FROM \"Recordings\""));
    EXPECT_EQ(rows, QStringList{QStringLiteral("%1|48000|2").arg(QFileInfo(file).fileName())}) << output;
}

} // namespace

namespace {

TEST_F(PipedRecorderRun, WhenPelvaneEndsTheRecorderSaysSoAndBooksWhatTheFileHolds)
{
    StartJackAndRamp();
    ASSERT_FALSE(HasFatalFailure());
    StartPelvane();
    ASSERT_FALSE(HasFatalFailure());
    StartVelmar(60);
    ASSERT_FALSE(HasFatalFailure());

    // Pelvane dies with more than 4 s of its sound in the file.
    (void)QTest::qWaitFor(
        [&] {
            const QString f = WavFile();
            return velmar.state() == QProcess::NotRunning
                || (!f.isEmpty() && QFileInfo(f).size() > 132 + 4LL * kRate * 4);
        },
        120000);
    ASSERT_EQ(velmar.state(), QProcess::Running) << velmar.readAll().toStdString() << Messages().toStdString();
    ::kill(pid_t(pelvane.processId()), SIGKILL);
    ASSERT_TRUE(pelvane.waitForFinished(kBoundMs));

    // The recorder says so, and the file is closed and booked while Velmar
    // runs on, long before the 60 s of the trigger are over.
    QStringList rows;
    (void)QTest::qWaitFor(
        [&] {
            rows = DirectDb(survey).rows(QStringLiteral("SELECT \"File Name\", \"Duration\" FROM \"Recordings\""));
            return velmar.state() == QProcess::NotRunning || !rows.isEmpty();
        },
        30000);
    const bool ranThrough = velmar.state() == QProcess::Running;
    Stop(velmar);
    const std::string output = velmar.readAll().toStdString() + Messages().toStdString();
    ASSERT_TRUE(ranThrough) << output;
    EXPECT_TRUE(Messages().contains(QStringLiteral("Pelvane has closed the recorder pipe"))) << output;

    const QString file = WavFile();
    ASSERT_FALSE(file.isEmpty()) << output;
    SF_INFO info{};
    SNDFILE* sf = sf_open(file.toLocal8Bit().constData(), SFM_READ, &info);
    ASSERT_NE(sf, nullptr) << sf_strerror(nullptr);
    sf_close(sf);
    EXPECT_EQ(info.frames * 4, QFileInfo(file).size() - 132) << "the closed header counts every frame";
    EXPECT_GE(info.frames, 4LL * kRate);
    EXPECT_LT(info.frames, 50LL * kRate);
    EXPECT_EQ(rows, QStringList{QStringLiteral("%1|%2").arg(QFileInfo(file).fileName()).arg(info.frames / kRate)})
        << output;
}

} // namespace
