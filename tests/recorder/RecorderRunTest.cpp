// The real Velmar, offscreen, records from a JACK server with the dummy
// driver through PortAudio: a button panel's start-up default press
// triggers a 10 s recording on recorder 0, whose file libsndfile opens and
// whose Recordings row points at it. A second run is killed mid-recording:
// its file still opens with all but the last seconds, and the next start
// books it with the sound it holds. A disk that fills up is said with the
// system's reason, and the file keeps every whole frame. The other inputs
// end to end: a JACK client (the ASIO kind) at the server's rate, a
// Measurement Computing board and the tape machine over the stand-in
// library (and the board's missing library said), and an external switch
// on the board's input port pressing a panel button.
#include "recorder/InputBackend.h"
#include "settings/ProgramSettings.h"
#include "sound/boards/CbLibrary.h"
#include "store/DbConnection.h"
#include "store/FixedSchema.h"
#include "store/SqlText.h"
#include "tests/store/StoreTestSupport.h"

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
#include <cstring>

#include <sys/mount.h>
#include <unistd.h>

#include <jack/jack.h>

namespace {

using velmar::store::test::DirectDb;

constexpr int kBoundMs = 60000;
constexpr int kRate = 48000;
constexpr qint64 kBytesPerSecond = kRate * 2 * 2;

QString BinDir()
{
    return QString::fromLocal8Bit(qgetenv("VELMAR_BIN_DIR"));
}

bool Exec(const QString& sql)
{
    velmar::store::SqlStatement s(velmar::store::GetDbConnection());
    return s.execDirect(sql);
}

// A JACK server of the test's own, with the dummy driver (no sound card).
class DummyJack {
public:
    explicit DummyJack(int rate = kRate)
    {
        m_name = QStringLiteral("velmar-rec-%1-%2").arg(QCoreApplication::applicationPid()).arg(rate);
        qputenv("JACK_DEFAULT_SERVER", m_name.toLocal8Bit());
        qputenv("JACK_NO_AUDIO_RESERVATION", "1");
        m_jack.setProcessChannelMode(QProcess::MergedChannels);
        m_jack.start(QStringLiteral("jackd"), {"-r", "-n", m_name, "-d", "dummy", "-r", QString::number(rate), "-C",
                                               "2", "-P", "2", "-p", "1024"});
        m_jack.waitForStarted(kBoundMs);
    }
    ~DummyJack()
    {
        m_jack.terminate();
        if (!m_jack.waitForFinished(10000))
            m_jack.kill();
        m_jack.waitForFinished(10000);
    }
    QString name() const { return m_name; }
    // The PortAudio input number of the JACK device, once the server is up.
    int device()
    {
        int found = -1;
        (void)QTest::qWaitFor(
            [&] {
                const auto cards = velmar::recorder::ListSoundCards();
                for (std::size_t i = 0; i < cards.size(); ++i)
                    if (cards[i].name.startsWith(QStringLiteral("JACK")))
                        found = int(i);
                return found >= 0 || m_jack.state() == QProcess::NotRunning;
            },
            20000);
        return found;
    }
    QString output() { return QString::fromLocal8Bit(m_jack.readAll()); }
    // True once a client can join the server.
    bool up()
    {
        return QTest::qWaitFor(
                   [&] {
                       jack_client_t* c = jack_client_open("velmar_test_probe", JackNoStartServer, nullptr);
                       if (c)
                           jack_client_close(c);
                       return c != nullptr || m_jack.state() == QProcess::NotRunning;
                   },
                   20000)
            && m_jack.state() == QProcess::Running;
    }

private:
    QString m_name;
    QProcess m_jack;
};

// The survey: recorder 0 on the JACK device writing into `folder`, and a
// panel whose default button triggers `seconds` of recording on it.
void MakeSurvey(const QString& file, int device, const QString& folder, int seconds, int deviceType = 1,
                const QString& deviceName = {}, int rate = kRate)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).absolutePath()));
    ASSERT_TRUE(QFile::copy(BinDir() + QStringLiteral("/BlankVelmar._sqlite"), file));
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_EQ(velmar::store::OpenDB(nullptr, file), velmar::store::kOpenDbOk);
    ASSERT_TRUE(Exec(
        QStringLiteral(
            "INSERT INTO \"UDC_TapeRecorders\" (\"RecorderId\", \"Name\", \"DeviceType\", \"DeviceNumber\", "
            "\"SampleRate\", \"nChannels\", \"nBits\", \"OutputDirectory\", \"RecordInterval\", \"RecordDuration\", "
            "\"MediaInitials\", \"FileInitials\", \"TimeFileName\", \"Copyright\", \"MediaNumber\", \"SmartFolders\", "
            "\"FolderSize\", \"LimitSingle\", \"MaxSingle\", \"EnableBuffer\", \"BufferLength\", \"ChannelGain\", "
            "\"RemoteEnable\", \"FlashDiode\", \"Diode\", \"DeviceName\") VALUES (0, '', %4, %1, %2, 2, 16, '%3', 120, "
            "20, "
            "'AutoRec', 'Rec', 1, '', 0, 0, 640, 1, 640, 0, 10, 1, 0, 0, 0, '%5')")
            .arg(device)
            .arg(rate)
            .arg(folder)
            .arg(deviceType)
            .arg(deviceName)));
    ASSERT_TRUE(velmar::store::DbCheckUserTable(velmar::store::GetDbConnection(), QStringLiteral("UDB_Watch"),
                                                velmar::store::kUserTableButtonForm));
    ASSERT_TRUE(Exec(QStringLiteral("INSERT INTO \"UDB_Watch\" (\"Order\", \"Type\", \"Name\", \"Code\", "
                                    "\"Recording\", \"Recorder\", \"Default\") VALUES (1, 'BUTTON', 'Record', 'REC', "
                                    "%1, 0, 1)")
                         .arg(seconds)));
    velmar::store::CloseDB();
}

struct Sound {
    int rate = 0;
    int channels = 0;
    qint64 frames = -1;
};

Sound OpenSound(const QString& path)
{
    SF_INFO info{};
    SNDFILE* f = sf_open(path.toLocal8Bit().constData(), SFM_READ, &info);
    if (!f)
        return {};
    sf_close(f);
    return {info.samplerate, info.channels, qint64(info.frames)};
}

class RecorderRun : public testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("jackd")).isEmpty())
            GTEST_SKIP() << "jackd is not installed (scripts/install-deps.sh)";
        ASSERT_TRUE(home.isValid());
        device = jack.device();
        ASSERT_GE(device, 0) << jack.output().toStdString();
        folder = QDir(home.path()).filePath(QStringLiteral("rec"));
        survey = QDir(home.path()).filePath(QStringLiteral("data/Survey.sqlite"));
    }

    void Start(int seconds, int deviceType = 1, int deviceNumber = -1, const QString& deviceName = {}, int rate = kRate)
    {
        MakeSurvey(survey, deviceNumber < 0 ? device : deviceNumber, folder, seconds, deviceType, deviceName, rate);
        Launch();
    }

    void Launch()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VELMAR_HOME"), home.path());
        env.insert(QStringLiteral("VELMAR_ACCEPT_SHEETS"), QStringLiteral("1"));
        env.insert(QStringLiteral("VELMAR_NO_MODAL"), QStringLiteral("1"));
        env.insert(QStringLiteral("VELMAR_QUIT_AFTER_MS"), QStringLiteral("150000"));
        env.insert(QStringLiteral("VELMAR_MESSAGE_LOG"), QDir(home.path()).filePath(QStringLiteral("messages.txt")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        velmar.setProcessEnvironment(env);
        velmar.setProcessChannelMode(QProcess::MergedChannels);
        velmar.start(BinDir() + QStringLiteral("/Velmar"), {});
        ASSERT_TRUE(velmar.waitForStarted(kBoundMs));
    }

    QString Messages() const
    {
        QFile f(QDir(home.path()).filePath(QStringLiteral("messages.txt")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    // Waits until the file holds more than `bytes`; false when the program
    // ended first.
    bool WaitForFileBytes(qint64 bytes)
    {
        (void)QTest::qWaitFor(
            [&] {
                const QString f = WavFile();
                return velmar.state() == QProcess::NotRunning || (!f.isEmpty() && QFileInfo(f).size() > bytes);
            },
            90000);
        return velmar.state() == QProcess::Running;
    }

    // The file is closed once it stops growing (a recording file grows with
    // every block); the survey is read after the program has ended. True
    // when the program still runs.
    bool WaitForClosedFile(qint64 atLeastBytes)
    {
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
                return size > atLeastBytes && still.elapsed() > 3000;
            },
            90000);
        return velmar.state() == QProcess::Running;
    }

    // Waits for the file of at least that many bytes to be closed, ends the
    // program and returns the file (empty when the program ended early or
    // made none); `output` is what it said.
    QString RecordedFile(qint64 atLeastBytes, std::string& output)
    {
        const bool ranThrough = WaitForClosedFile(atLeastBytes);
        velmar.terminate();
        const bool ended = velmar.waitForFinished(kBoundMs);
        output = velmar.readAll().toStdString() + Messages().toStdString();
        return ranThrough && ended ? WavFile() : QString();
    }

    QString WavFile() const
    {
        const QStringList files = QDir(folder).entryList({QStringLiteral("*.wav")}, QDir::Files);
        return files.isEmpty() ? QString() : QDir(folder).filePath(files.first());
    }

    QTemporaryDir home;
    DummyJack jack;
    int device = -1;
    QString folder;
    QString survey;
    QProcess velmar;
};

TEST_F(RecorderRun, RecordsTenSecondsAndBooksTheFile)
{
    Start(10);
    ASSERT_FALSE(HasFatalFailure());
    const bool ranThrough = WaitForClosedFile(9 * kBytesPerSecond);
    velmar.terminate();
    ASSERT_TRUE(velmar.waitForFinished(kBoundMs));
    const std::string output = velmar.readAll().toStdString() + Messages().toStdString();
    EXPECT_TRUE(ranThrough) << "exit " << velmar.exitCode() << ' ' << output;
    DirectDb db(survey);
    ASSERT_TRUE(db.ok());
    const QStringList rows = db.rows(QStringLiteral(
        "SELECT \"File Name\", \"Sample Rate\", \"nChannels\", \"DeckNo\", \"Comment\" FROM \"Recordings\""));
    ASSERT_EQ(rows.size(), 1) << output;
    const QString file = WavFile();
    ASSERT_FALSE(file.isEmpty()) << rows.join(";").toStdString() << output;
    const QStringList row = rows[0].split(QLatin1Char('|'));
    EXPECT_EQ(row.mid(0, 4), (QStringList{QFileInfo(file).fileName(), "48000", "2", "0"})) << output;
    EXPECT_TRUE(row.value(4).startsWith(QStringLiteral("Watch button rec"))) << rows[0].toStdString();
    const Sound s = OpenSound(file);
    EXPECT_EQ(s.rate, kRate);
    EXPECT_EQ(s.channels, 2);
    // The trigger ends on the half-second refresh after its 10 s; JACK's
    // dummy driver runs late on a loaded machine and delivers a little less.
    EXPECT_GE(s.frames, 8 * kRate) << output;
    EXPECT_LE(s.frames, 12 * kRate) << output;
}

TEST_F(RecorderRun, ClosingTheProgramWhileRecordingClosesAndBooksTheFile)
{
    Start(60);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(WaitForFileBytes(132 + 3 * kBytesPerSecond)) << velmar.readAll().toStdString();
    velmar.terminate(); // as the operator's close
    ASSERT_TRUE(velmar.waitForFinished(kBoundMs));
    const std::string output = velmar.readAll().toStdString() + Messages().toStdString();
    const QString file = WavFile();
    const Sound s = OpenSound(file);
    EXPECT_EQ(s.frames * 4, QFileInfo(file).size() - 132) << "the header counts every sample written" << output;
    DirectDb db(survey);
    ASSERT_TRUE(db.ok());
    EXPECT_EQ(db.rows(QStringLiteral("SELECT \"File Name\" FROM \"Recordings\"")),
              QStringList{QFileInfo(file).fileName()})
        << output;
}

TEST_F(RecorderRun, AKilledRecordingStaysReadableAndIsBookedAtTheNextStart)
{
    Start(60);
    ASSERT_FALSE(HasFatalFailure());
    // Wait for more than 8 s of sound in the file, then kill the program.
    ASSERT_TRUE(WaitForFileBytes(132 + 8 * kBytesPerSecond)) << velmar.readAll().toStdString();
    ::kill(pid_t(velmar.processId()), SIGKILL);
    ASSERT_TRUE(velmar.waitForFinished(kBoundMs));
    std::string output = velmar.readAll().toStdString() + Messages().toStdString();
    const QString file = WavFile();
    const qint64 onDisk = QFileInfo(file).size();
    Sound s = OpenSound(file);
    EXPECT_EQ(s.rate, kRate);
    EXPECT_EQ(s.channels, 2);
    EXPECT_GE(s.frames * 4, onDisk - 132 - 5 * kBytesPerSecond);
    EXPECT_GE(s.frames, 3 * kRate) << output;
    EXPECT_TRUE(DirectDb(survey).rows(QStringLiteral("SELECT \"File Name\" FROM \"Recordings\"")).isEmpty());

    // The next start books the file with the sound it holds (and records
    // nothing new: the panel's button is no longer pressed at start-up).
    ASSERT_TRUE(DirectDb(survey).exec(QStringLiteral("UPDATE \"UDB_Watch\" SET \"Default\" = 0")));
    Launch();
    ASSERT_FALSE(HasFatalFailure());
    QStringList rows;
    (void)QTest::qWaitFor(
        [&] {
            rows = DirectDb(survey).rows(QStringLiteral(
                "SELECT \"File Name\", \"Duration\", \"Sample Rate\", \"nChannels\" FROM \"Recordings\""));
            return velmar.state() == QProcess::NotRunning || !rows.isEmpty();
        },
        60000);
    velmar.terminate();
    ASSERT_TRUE(velmar.waitForFinished(kBoundMs));
    output += velmar.readAll().toStdString() + Messages().toStdString();
    s = OpenSound(file);
    EXPECT_EQ(s.frames * 4, QFileInfo(file).size() - 132) << "the header counts every frame on disk";
    EXPECT_GE(s.frames * 4, onDisk - 132 - 4);
    EXPECT_EQ(rows, QStringList{QStringLiteral("%1|%2|48000|2").arg(QFileInfo(file).fileName()).arg(s.frames / kRate)})
        << output;
    EXPECT_EQ(QDir(folder).entryList({QStringLiteral("*.booking")}, QDir::Files), QStringList()) << output;
}

TEST_F(RecorderRun, AFullDiskIsSaidWithItsReasonAndTheFileKeepsEveryWholeFrame)
{
    // A disk of 2 MiB: room for a little under 11 s of the recording.
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a small file system for the recordings needs root";
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_EQ(::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=2m"), 0)
        << std::strerror(errno);
    struct Unmount {
        QByteArray path;
        ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
    } unmount{QFile::encodeName(folder)};
    Start(60);
    ASSERT_FALSE(HasFatalFailure());
    (void)QTest::qWaitFor(
        [&] {
            return velmar.state() == QProcess::NotRunning || Messages().contains(QStringLiteral("Can't write to file"));
        },
        90000);
    // The file is closed and booked while the program runs on.
    QStringList rows;
    (void)QTest::qWaitFor(
        [&] {
            rows = DirectDb(survey).rows(QStringLiteral("SELECT \"File Name\", \"Duration\" FROM \"Recordings\""));
            return velmar.state() == QProcess::NotRunning || !rows.isEmpty();
        },
        30000);
    const bool ranThrough = velmar.state() == QProcess::Running;
    velmar.terminate();
    ASSERT_TRUE(velmar.waitForFinished(kBoundMs));
    const std::string output = velmar.readAll().toStdString() + Messages().toStdString();
    ASSERT_TRUE(ranThrough) << output;
    EXPECT_TRUE(Messages().contains(QStringLiteral("Writing into %1 failed: No space left on device.").arg(folder)))
        << output;
    const QString file = WavFile();
    const Sound s = OpenSound(file);
    EXPECT_EQ(s.frames * 4, QFileInfo(file).size() - 132) << "the header counts every whole frame written";
    EXPECT_GE(s.frames, 10 * kRate) << output;
    EXPECT_EQ(rows, QStringList{QStringLiteral("%1|%2").arg(QFileInfo(file).fileName()).arg(s.frames / kRate)})
        << output;
}

TEST_F(RecorderRun, RecordsFromAJackServerAtTheServersRate)
{
    // The ASIO kind: the recorder asks for 48000 Hz, the server runs at
    // 32000 Hz, and the file, its header and its row all say 32000.
    constexpr int kServerRate = 32000;
    DummyJack server(kServerRate);
    ASSERT_TRUE(server.up()) << server.output().toStdString();
    Start(10, 11, 0, QStringLiteral("JACK"));
    ASSERT_FALSE(HasFatalFailure());
    std::string output;
    const QString file = RecordedFile(9 * kServerRate * 4, output);
    ASSERT_FALSE(file.isEmpty()) << output;
    const Sound s = OpenSound(file);
    EXPECT_EQ(s.rate, kServerRate) << output;
    EXPECT_EQ(s.channels, 2);
    // The dummy driver paces itself on a timer and falls behind the wall
    // clock on a loaded machine, so ten seconds of recording can hold a
    // little less than ten seconds of its frames.
    EXPECT_GE(s.frames, 8 * kServerRate) << output;
    EXPECT_LE(s.frames, 12 * kServerRate) << output;
    DirectDb db(survey);
    ASSERT_TRUE(db.ok());
    EXPECT_EQ(db.rows(QStringLiteral("SELECT \"File Name\", \"Sample Rate\" FROM \"Recordings\"")),
              QStringList{QFileInfo(file).fileName() + "|32000"})
        << output;
}

} // namespace

namespace {

// The samples of a WAV file, interleaved.
std::vector<int16_t> ReadSamples(const QString& path)
{
    SF_INFO info{};
    SNDFILE* f = sf_open(path.toLocal8Bit().constData(), SFM_READ, &info);
    if (!f)
        return {};
    std::vector<int16_t> samples(std::size_t(info.frames * info.channels));
    sf_read_short(f, samples.data(), sf_count_t(samples.size()));
    sf_close(f);
    return samples;
}

// A recording of pelvane_jack_ramp against the ramp: sample k of frame n is
// ((n mod 4096) << 4) | k. Checking starts at the first frame that carries
// the ramp on every channel (the ramp's ports are connected a moment after
// the recording starts); from there every sample must be the ramp's, frame
// after frame, except where the server skipped whole cycles.
struct RampCheck {
    qint64 checked = 0; // frames
    qint64 wrong = 0;   // samples
    qint64 breaks = 0;  // places where whole frames are missing
    std::string first;  // the first wrong sample
};

RampCheck CheckRamp(const std::vector<int16_t>& samples, int channels)
{
    RampCheck r;
    const qint64 frames = qint64(samples.size()) / channels;
    const auto at = [&](qint64 f, int k) { return uint16_t(samples[std::size_t(f * channels + k)]); };
    const auto isRamp = [&](qint64 f) {
        for (int k = 0; k < channels; ++k)
            if ((at(f, k) & 0xF) != k || (at(f, k) >> 4) != (at(f, 0) >> 4))
                return false;
        return true;
    };
    qint64 f = 0;
    while (f < frames && (!isRamp(f) || (at(f, 0) == 0 && at(f, 1) == 0)))
        ++f;
    uint16_t n = f < frames ? at(f, 0) >> 4 : 0;
    for (; f < frames; ++f, n = (n + 1) % 4096, ++r.checked) {
        if ((at(f, 0) & 0xF) == 0 && (at(f, 0) >> 4) != n) {
            ++r.breaks;
            n = at(f, 0) >> 4;
        }
        for (int k = 0; k < channels; ++k) {
            if (at(f, k) == uint16_t(n << 4 | k))
                continue;
            if (r.wrong++ == 0)
                r.first = "frame " + std::to_string(f) + " channel " + std::to_string(k) + ": "
                        + std::to_string(int16_t(at(f, k))) + " for " + std::to_string(int16_t(n << 4 | k));
        }
    }
    return r;
}

// pelvane_jack_ramp on the test's server, its two outputs connected to the
// input ports `feed` names; scaled for PortAudio's conversion with `pa`.
bool StartRamp(QProcess& ramp, const QString& feed, bool pa)
{
    QStringList args{"2", feed};
    if (pa)
        args << "pa";
    for (int attempt = 0; attempt < 50; ++attempt) {
        ramp.start(QStringLiteral(PIPED_JACK_RAMP), args);
        if (ramp.waitForStarted(10000) && ramp.waitForReadyRead(2000) && ramp.readLine().startsWith("ready"))
            return true;
        ramp.kill();
        ramp.waitForFinished(5000);
        QTest::qWait(200);
    }
    return false;
}

} // namespace

namespace {

TEST_F(RecorderRun, EveryInputKindStoresTheServersSamplesBitExact)
{
    // A sound card (JACK through PortAudio, whose own float-to-16-bit
    // conversion the ramp is scaled for) and the JACK kind, each recording a
    // ramp that names every sample's frame and channel. Pelvane's piped kind
    // has the same check in the piped recorder test.
    struct Kind {
        int deviceType;
        const char* feed;
        bool pa;
    };
    for (const Kind kind : {Kind{1, "PortAudio.*:in_", true}, Kind{11, "Velmar.*:in_", false}}) {
        SCOPED_TRACE(kind.deviceType);
        QFile::remove(survey);
        QDir(folder).removeRecursively();
        QProcess ramp;
        ASSERT_TRUE(StartRamp(ramp, QString::fromLatin1(kind.feed), kind.pa)) << jack.output().toStdString();
        Start(5, kind.deviceType, kind.deviceType == 1 ? device : 0,
              kind.deviceType == 1 ? QString() : QStringLiteral("JACK"));
        ASSERT_FALSE(HasFatalFailure());
        std::string output;
        const QString file = RecordedFile(4 * kBytesPerSecond, output);
        ramp.terminate();
        ramp.waitForFinished(10000);
        ASSERT_FALSE(file.isEmpty()) << output;
        const Sound s = OpenSound(file);
        ASSERT_EQ(s.channels, 2);
        const RampCheck r = CheckRamp(ReadSamples(file), 2);
        EXPECT_GE(r.checked, 3 * kRate) << output;
        EXPECT_EQ(r.wrong, 0) << r.first << '\n' << output;
        EXPECT_LE(r.breaks, 20) << "the ramp is broken more often than a loaded machine explains";
    }
}

TEST_F(RecorderRun, SoundLostWhileTheProgramStandsStillIsToldWithItsLength)
{
    // The JACK kind records while the whole program is stopped for two
    // seconds: the server's cycles go on without it, and the operator is
    // told, once, how much of the file is missing.
    Start(10, 11, 0, QStringLiteral("JACK"));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(WaitForFileBytes(132 + 2 * kBytesPerSecond)) << velmar.readAll().toStdString();
    ::kill(pid_t(velmar.processId()), SIGSTOP);
    // The time stood still is what is lost, and what the message must tell.
    QTest::qWait(2000);
    ::kill(pid_t(velmar.processId()), SIGCONT);
    std::string output;
    const QString file = RecordedFile(6 * kBytesPerSecond, output);
    ASSERT_FALSE(file.isEmpty()) << output;
    const QStringList told = Messages().split(QLatin1Char('\n')).filter(QStringLiteral(" of sound are missing from "));
    ASSERT_EQ(told.size(), 1) << output;
    EXPECT_TRUE(told[0].contains(QFileInfo(file).fileName())) << told[0].toStdString();
    EXPECT_TRUE(told[0].startsWith(QStringLiteral("Sound lost : "))) << told[0].toStdString();
    const double seconds = told[0].section(QStringLiteral(" : "), 1).section(QLatin1Char(' '), 0, 0).toDouble();
    const double inFile = double(OpenSound(file).frames) / kRate;
    EXPECT_GE(seconds, 1.5) << output;
    EXPECT_LE(seconds, 3.0) << output;
    EXPECT_LE(inFile + seconds, 12.5) << "the file and what is missing make the recording's length" << output;
    EXPECT_TRUE(QString::fromStdString(output).contains(QStringLiteral("of sound are missing from"))) << output;
}

TEST_F(RecorderRun, RecordsFromAMeasurementComputingBoardAndSaysWhenItsLibraryIsMissing)
{
    // The stand-in board's scan moves on 3000 samples at each of the
    // recorder's polls, ten a second: 15000 frames a second of 2 channels,
    // sample n of the scan being n mod 32768.
    constexpr int kBoardRate = 15000;
    qputenv("VELMAR_CB_LIBRARY", STANDIN_CB);
    Start(10, 3, 0, QStringLiteral("PCI-DAS1602/16"), kBoardRate);
    qunsetenv("VELMAR_CB_LIBRARY");
    ASSERT_FALSE(HasFatalFailure());
    std::string output;
    const QString file = RecordedFile(2 * kBoardRate * 4, output);
    ASSERT_FALSE(file.isEmpty()) << output;
    const Sound s = OpenSound(file);
    EXPECT_EQ(s.rate, kBoardRate);
    EXPECT_EQ(s.channels, 2);
    const std::vector<int16_t> samples = ReadSamples(file);
    ASSERT_GT(samples.size(), 4096u) << output;
    for (std::size_t i = 1; i < samples.size(); ++i)
        ASSERT_EQ(samples[i], int16_t((samples[i - 1] + 1) % 32768)) << "sample " << i << " of the board's scan";
    DirectDb db(survey);
    ASSERT_TRUE(db.ok());
    EXPECT_EQ(db.rows(QStringLiteral("SELECT \"File Name\", \"Sample Rate\" FROM \"Recordings\"")),
              QStringList{QFileInfo(file).fileName() + "|15000"})
        << output;

    // Without the library the recorder says so and records nothing.
    QFile::remove(survey);
    QDir(folder).removeRecursively();
    qputenv("VELMAR_CB_LIBRARY", "/nonexistent/libcbw.so");
    Start(10, 3, 0, QStringLiteral("PCI-DAS1602/16"));
    qunsetenv("VELMAR_CB_LIBRARY");
    (void)QTest::qWaitFor(
        [&] { return Messages().contains("are not available") || velmar.state() == QProcess::NotRunning; }, 60000);
    velmar.terminate();
    ASSERT_TRUE(velmar.waitForFinished(kBoundMs));
    EXPECT_TRUE(Messages().contains("Measurement Computing boards are not available: the Universal Library "
                                    "(/nonexistent/libcbw.so) is not installed."))
        << Messages().toStdString();
    EXPECT_TRUE(WavFile().isEmpty());
}

} // namespace

namespace {

TEST_F(RecorderRun, SwitchesTheTapeMachineThroughTheBoardsAuxiliaryPort)
{
    const QString log = QDir(home.path()).filePath(QStringLiteral("board.log"));
    qputenv("VELMAR_CB_LIBRARY", STANDIN_CB);
    qputenv("STANDIN_CB_LOG", log.toLocal8Bit());
    Start(10, 8, 0, QStringLiteral("Tape machine on PCI-DAS1602/16"));
    qunsetenv("VELMAR_CB_LIBRARY");
    qunsetenv("STANDIN_CB_LOG");
    ASSERT_FALSE(HasFatalFailure());
    const auto lines = [&] {
        QFile f(log);
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).split('\n', Qt::SkipEmptyParts)
                                           : QStringList();
    };
    // The ten seconds' trigger starts the machine, and its end stops it.
    (void)QTest::qWaitFor([&] { return lines().contains("out 0 1 6 0") || velmar.state() == QProcess::NotRunning; },
                          60000);
    velmar.terminate();
    ASSERT_TRUE(velmar.waitForFinished(kBoundMs));
    const std::string output = velmar.readAll().toStdString() + Messages().toStdString();
    QStringList bits = lines();
    bits.removeIf([](const QString& line) { return !line.startsWith("out "); });
    EXPECT_EQ(bits,
              (QStringList{"out 0 1 4 1", "out 0 1 5 1", "out 0 1 5 0", "out 0 1 4 0", "out 0 1 6 1", "out 0 1 6 0"}))
        << output;
    EXPECT_TRUE(WavFile().isEmpty()) << "the machine records, not the program";
}

} // namespace

namespace {

TEST_F(RecorderRun, AnExternalSwitchOnTheBoardsInputPortPressesItsButton)
{
    // The settings block names the survey and the board of the external
    // buttons; the panel's button listens to bit 3 of the input port, which
    // the stand-in board reads from a file.
    velmar::store::ProgramSettings settings;
    settings.FirstRunPending = false;
    settings.DatabasePath.setText(survey);
    settings.ButtonDeviceType = 3;
    settings.ButtonDeviceNumber = 0;
    settings.ButtonInputPort = velmar::sound::CbFirstPortA;
    settings.ButtonSampleRate = 100;
    ASSERT_TRUE(velmar::store::WriteProgramSettingsFile(QDir(home.path()).filePath("Velmar2000.dat"), settings));
    const QString port = QDir(home.path()).filePath(QStringLiteral("port.txt"));
    const auto setPort = [&](int value) {
        QFile f(port);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray::number(value));
    };
    setPort(8);
    qputenv("VELMAR_CB_LIBRARY", STANDIN_CB);
    qputenv("STANDIN_CB_DIN", port.toLocal8Bit());
    const QString log = QDir(home.path()).filePath(QStringLiteral("board.log"));
    qputenv("STANDIN_CB_LOG", log.toLocal8Bit());
    MakeSurvey(survey, device, folder, 0);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(velmar::store::OpenDB(nullptr, survey), velmar::store::kOpenDbOk);
    ASSERT_TRUE(Exec(QStringLiteral("UPDATE \"UDB_Watch\" SET \"External\" = 3, \"Default\" = 0")));
    velmar::store::CloseDB();
    Launch();
    qunsetenv("VELMAR_CB_LIBRARY");
    qunsetenv("STANDIN_CB_DIN");
    qunsetenv("STANDIN_CB_LOG");
    ASSERT_FALSE(HasFatalFailure());
    // Once the panel is up and the external-button thread, started after it,
    // has read the port and polled it once (two "din" lines of the board's
    // log), the switch closes.
    const auto polls = [&] {
        QFile f(log);
        return f.open(QIODevice::ReadOnly) ? f.readAll().count("din ") : 0;
    };
    (void)QTest::qWaitFor([&] { return velmar.state() == QProcess::NotRunning || polls() >= 2; }, 60000);
    setPort(0);
    (void)QTest::qWaitFor(
        [&] {
            return velmar.state() == QProcess::NotRunning
                || DirectDb(survey).rows(QStringLiteral("SELECT \"Code\" FROM \"Watch\"")).size() == 1;
        },
        30000);
    const bool ranThrough = velmar.state() == QProcess::Running;
    velmar.terminate();
    velmar.waitForFinished(kBoundMs);
    const std::string output = velmar.readAll().toStdString() + Messages().toStdString();
    ASSERT_TRUE(ranThrough) << "exit " << velmar.exitCode() << ' ' << output;
    DirectDb db(survey);
    ASSERT_TRUE(db.ok());
    EXPECT_EQ(db.rows(QStringLiteral("SELECT \"Code\", \"External\" FROM \"Watch\"")), QStringList{"REC|1"}) << output;
}

} // namespace
