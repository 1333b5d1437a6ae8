// Mavrel, the standalone deck, run offscreen on a private bus: it plays a
// recording of its folder into a detector stand-in, writes its play log
// when a detector does not stop, and says so when another deck holds the
// detector's pipe. No speaker channels are routed, so no sound card is used.
#include "DeckFakes.h"

#include "deck/DeckSettings.h"
#include "platform/BusNames.h"
#include "platform/MessageBus.h"
#include "sound/SamplePipe.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace decktest;

QString readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

class MavrelSmoke : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        QDir(home.path()).mkdir(QStringLiteral("tapes"));
        // Pipes of our own: other runs on this machine use the same pipe names.
        QDir(home.path()).mkdir(QStringLiteral("run"));
        QFile::setPermissions(home.filePath(QStringLiteral("run")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", home.filePath(QStringLiteral("run")).toLocal8Bit());
        QFile f(home.filePath(QStringLiteral("tapes/Rec20120229_101500.wav")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(makeWav(channels, rate, samples));
        f.close();
        DeckSettingsFile deck;
        deck.deck.setFolder(home.filePath(QStringLiteral("tapes")));
        deck.deck.LeftMask = deck.deck.RightMask = deck.deck.ClickMask = 0;
        deck.deck.WhistleMask = 1;
        ASSERT_TRUE(WriteDeckSettings(deck, home.filePath(QStringLiteral("TapeSet.dat"))).ok);
    }
    void TearDown() override
    {
        if (detector.state() != QProcess::NotRunning) {
            velmar::platform::MessageBus::instance().send(
                velmar::platform::windowClassBusName(QString::fromLatin1(WhistleDetectorClass)),
                QStringLiteral("StandInQuit"), 0, 0, 5000);
            detector.waitForFinished(10000);
        }
        if (click.state() != QProcess::NotRunning) {
            velmar::platform::MessageBus::instance().send(
                velmar::platform::windowClassBusName(QString::fromLatin1(ClickDetectorClass)),
                QStringLiteral("StandInQuit"), 0, 0, 5000);
            click.waitForFinished(10000);
        }
        if (mavrel.state() != QProcess::NotRunning) {
            mavrel.terminate();
            mavrel.waitForFinished(20000);
        }
    }
    void startDetector(const QStringList& extra = {})
    {
        detector.start(QStringLiteral(DETECTOR_STAND_IN), QStringList{QString::fromLatin1(WhistleDetectorClass),
                                                                      QString::fromLatin1(WhistlePipeName), received()}
                                                              + extra);
        ASSERT_TRUE(detector.waitForReadyRead(20000));
    }
    void startMavrel()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VELMAR_HOME"), home.path());
        env.insert(QStringLiteral("VELMAR_NO_MODAL"), QStringLiteral("1"));
        env.insert(QStringLiteral("VELMAR_MESSAGE_LOG"), messages());
        env.insert(QStringLiteral("VELMAR_TAPE_LOG"), tapeLog());
        env.insert(QStringLiteral("VELMAR_DECK_PLAY"), QStringLiteral("Rec20120229_101500.wav"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        mavrel.setProcessEnvironment(env);
        mavrel.setProcessChannelMode(QProcess::MergedChannels);
        mavrel.start(qEnvironmentVariable("VELMAR_BIN_DIR") + QStringLiteral("/Mavrel"), {});
        ASSERT_TRUE(mavrel.waitForStarted(20000));
    }
    QString received() const { return home.filePath(QStringLiteral("received.raw")); }
    QString messages() const { return home.filePath(QStringLiteral("messages.log")); }
    QString tapeLog() const { return home.filePath(QStringLiteral("TapeLog.txt")); }

    static constexpr int rate = 8000, channels = 1;
    std::vector<int16_t> samples = std::vector<int16_t>(std::size_t(rate), 1234);
    QTemporaryDir home;
    QProcess detector, click, mavrel;
};

TEST_F(MavrelSmoke, PlaysARecordingIntoAReadingDetector)
{
    startDetector();
    startMavrel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(received()); }, 60000)) << mavrel.readAll().toStdString();
    EXPECT_EQ(QFile(received()).size(), qint64(samples.size() * 2));
    EXPECT_FALSE(readAll(tapeLog()).contains(QStringLiteral("failure")));
    EXPECT_TRUE(readAll(messages()).isEmpty()) << readAll(messages()).toStdString();
}

TEST_F(MavrelSmoke, ADetectorKilledMidPlayIsReportedOnceAndTheOtherGetsItsDataToTheEnd)
{
    // Six seconds of sound that both detectors read in real time.
    samples.assign(std::size_t(rate) * 6, 0);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(i * 7);
    SetUp();
    DeckSettingsFile deck;
    deck.deck.setFolder(home.filePath(QStringLiteral("tapes")));
    deck.deck.LeftMask = deck.deck.RightMask = 0;
    deck.deck.ClickMask = deck.deck.WhistleMask = 1;
    ASSERT_TRUE(WriteDeckSettings(deck, home.filePath(QStringLiteral("TapeSet.dat"))).ok);
    const QString clickReceived = home.filePath(QStringLiteral("click.raw"));
    click.start(QStringLiteral(DETECTOR_STAND_IN),
                {QString::fromLatin1(ClickDetectorClass), QString::fromLatin1(ClickPipeName), clickReceived,
                 QStringLiteral("real-time")});
    ASSERT_TRUE(click.waitForReadyRead(20000));
    startDetector({QStringLiteral("real-time")});
    startMavrel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return detector.readAll().contains("running"); }, 30000));
    detector.kill();
    ASSERT_TRUE(detector.waitForFinished(10000));

    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(clickReceived); }, 30000))
        << readAll(messages()).toStdString();
    EXPECT_EQ(QFile(clickReceived).size(), qint64(samples.size() * 2));
    EXPECT_EQ(readAll(messages()).count(QString::fromLatin1(DetectorGoneText).arg(WhistlePipeName)), 1)
        << readAll(messages()).toStdString();
    EXPECT_FALSE(readAll(tapeLog()).contains(QStringLiteral("failure")));
}

TEST_F(MavrelSmoke, ADetectorThatNeverStopsLeavesTheLogLine)
{
    startDetector({QStringLiteral("never-stops")});
    startMavrel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(received()); }, 60000));
    // The deck asks for about five seconds before it writes the line.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return readAll(tapeLog()).contains(QString::fromLatin1(DetectorWaitFailureText)); }, 30000))
        << readAll(tapeLog()).toStdString();
}

TEST_F(MavrelSmoke, APipeHeldByAnotherDeckIsReported)
{
    startDetector();
    velmar::sound::SamplePipeServer other; // the first copy's pipe
    ASSERT_TRUE(other.create(QString::fromLatin1(WhistlePipeName), 4096));
    startMavrel();
    EXPECT_TRUE(QTest::qWaitFor([&] { return readAll(messages()).contains(QStringLiteral("another deck")); }, 30000))
        << mavrel.readAll().toStdString();
}

} // namespace
