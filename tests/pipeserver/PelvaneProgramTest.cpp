// The Pelvane program as other programs see it, on a private session bus:
// one copy at a time, its pipe commands and status replies, and (on a JACK
// server with the dummy driver) whole, continuous frames at the published
// rate in every consumer's pipe.
#include "settings/PipeSettings.h"
#include "platform/MessageBus.h"
#include "sound/PipeProtocol.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <portaudio.h>

using namespace velmar;
using namespace velmar::pipeserver;

namespace {

// A server of its own for each test: one that has just ended may not have
// let go of its name yet.
QString JackServer;
int jackServers = 0;

QProcessEnvironment childEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("JACK_DEFAULT_SERVER", JackServer);
    env.insert("JACK_NO_AUDIO_RESERVATION", "1");
    env.insert("VELMAR_PELVANE_JACK_PORTS", "pelvane_ramp:out_.*");
    return env;
}

void start(QProcess& p, const QString& program, const QStringList& args = {})
{
    p.setProcessEnvironment(childEnvironment());
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(program, args);
    ASSERT_TRUE(p.waitForStarted(10000)) << program.toStdString();
}

void stop(QProcess& p)
{
    if (p.state() == QProcess::NotRunning)
        return;
    p.terminate();
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished(5000);
    }
}

// Frames torn or lost between the JACK server's periods, as a consumer found them.
qsizetype gaps(const QString& consumerSays)
{
    return consumerSays.section(" gaps ", 1).trimmed().toLongLong()
         + (consumerSays.section(" torn ", 1).section(' ', 0, 0).toLongLong() > 0 ? 1 : 0);
}

QString pelvane()
{
    return qEnvironmentVariable("VELMAR_BIN_DIR") + "/Pelvane";
}

std::optional<qint64> send(const QString& message, quint64 w, qint64 l)
{
    return platform::MessageBus::instance().send(sound::PelvaneBusName(), message, w, l, 10000);
}

class PelvaneProgram : public ::testing::Test {
protected:
    void startPelvane(const PipeSettings& settings)
    {
        ASSERT_TRUE(WritePipeSettings(settings).ok);
        start(program, pelvane());
        ASSERT_TRUE(QTest::qWaitFor(
            [] { return platform::MessageBus::instance().isNameOwned(sound::PelvaneBusName()); }, 20000));
    }
    ~PelvaneProgram() override
    {
        stop(program);
        stop(ramp);
        stop(jack);
    }
    void startJack(const QStringList& rampArgs)
    {
        JackServer = QStringLiteral("velmar-pelvane-%1-%2").arg(QCoreApplication::applicationPid()).arg(++jackServers);
        start(jack, "jackd",
              {"-r", "-n", JackServer, "-d", "dummy", "-r", "48000", "-p", "1024", "-C", "2", "-P", "0"});
        bool rampReady = false;
        for (int attempt = 0; attempt < 50 && !rampReady; ++attempt) {
            start(ramp, QStringLiteral(PELVANE_JACK_RAMP), rampArgs);
            rampReady = ramp.waitForReadyRead(2000) && ramp.readLine().startsWith("ready");
            if (!rampReady) {
                stop(ramp);
                QTest::qWait(200);
            }
        }
        ASSERT_TRUE(rampReady) << "no JACK server; jackd said:\n"
                               << jack.readAllStandardOutput().toStdString()
                               << jack.readAllStandardError().toStdString();
    }
    QString output() { return QString::fromLocal8Bit(program.readAllStandardError()); }

    QProcess jack, ramp, program;
};

} // namespace

TEST_F(PelvaneProgram, OneCopyAnswersThePipeMessagesAndSaysWhyItCannotSample)
{
    PipeSettings settings;
    settings.DeviceType = DeviceNiDaqMx; // no NI-DAQmx library on a test machine
    settings.DeviceNumber = 1;
    settings.ChannelSettings[0].Routing |= RoutePorpoise;
    settings.ChannelSettings[1].Routing |= RoutePorpoise;
    startPelvane(settings);

    // A second copy raises the first and ends at once.
    QProcess second;
    start(second, pelvane());
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(program.state(), QProcess::Running);
    EXPECT_EQ(send("Raise", 0, 0), 1);

    // The first start wrote where the program is.
    PipeSettings stored;
    ASSERT_TRUE(ReadPipeSettings(stored).ok);
    EXPECT_EQ(stored.programPath(), QFileInfo(pelvane()).canonicalFilePath());

    // Porpoise status: query N is about the (N+1)-th porpoise channel.
    EXPECT_EQ(send("PipeMsgPoroiseStatus", 1, 0), sound::PorpoiseNoChannel); // idle, no spot reading here
    EXPECT_EQ(send("PipeMsgPoroiseStatus", 2, 0), sound::PorpoiseNoChannel);
    EXPECT_EQ(send("PipeMsgLastFillTime", 0, 0), 0);

    // Ignored commands, then an open whose device is not there: the pipe is
    // made, nothing samples, and the operator is told why.
    EXPECT_EQ(send("PipeMsgPipeCommand", 3, 8), 0);
    EXPECT_EQ(send("PipeMsgPipeCommand", 5, 32), 0);
    EXPECT_FALSE(QFileInfo::exists(sound::PipeSocketPathOfBit(32)));
    EXPECT_EQ(send("PipeMsgPipeCommand", 3, 1), 0);
    EXPECT_TRUE(QFileInfo::exists(sound::PipeSocketPathOfBit(1)));
    EXPECT_EQ(send("PipeMsgPipeCommand", 4, 1), 0);
    EXPECT_FALSE(QFileInfo::exists(sound::PipeSocketPathOfBit(1)));
    stop(program);
    const QString log = output();
    EXPECT_EQ(log.count("NI-DAQmx is not available"), 2) << log.toStdString(); // engine, then dialog
}

TEST_F(PelvaneProgram, StreamsAJackServerToSeveralConsumersWithWholeFramesAtThePublishedRate)
{
    startJack({"4"});

    PipeSettings settings;
    settings.DeviceType = DeviceAsio;
    settings.SampleRate = 44100; // the server runs at 48000: Pelvane must say so
    ASSERT_TRUE(ParseChannelList(settings, "0,1,2,3").isEmpty());
    for (auto& c : settings.ChannelSettings)
        c.Routing = 0;
    settings.ChannelSettings[0].Routing = RouteAutorec;
    settings.ChannelSettings[1].Routing = RouteAutorec;
    settings.ChannelSettings[3].Routing = RouteWhistle;
    CheckPipeConsistency(settings);
    startPelvane(settings);

    QProcess recorder, whistle;
    start(recorder, QStringLiteral(PELVANE_PIPE_CONSUMER), {"32", "4"});
    start(whistle, QStringLiteral(PELVANE_PIPE_CONSUMER), {"2", "3"});
    ASSERT_TRUE(recorder.waitForFinished(30000));
    ASSERT_TRUE(whistle.waitForFinished(30000));
    const QString recorderSays = QString::fromLocal8Bit(recorder.readAllStandardOutput());
    const QString whistleSays = QString::fromLocal8Bit(whistle.readAllStandardOutput());
    EXPECT_EQ(recorder.exitCode(), 0) << recorderSays.toStdString() << output().toStdString();
    EXPECT_EQ(whistle.exitCode(), 0) << whistleSays.toStdString();
    EXPECT_TRUE(recorderSays.contains("announced 48000 channels 0,1 misplaced 0 torn")) << recorderSays.toStdString();
    EXPECT_TRUE(whistleSays.contains("announced 48000 channels 3 misplaced 0 torn")) << whistleSays.toStdString();

    PipeSettings published;
    ASSERT_TRUE(ReadPipeSettings(published).ok);
    EXPECT_EQ(published.SampleRate, 48000);

    // Both consumers have gone: the device is let go of, and a new consumer
    // starts it again.
    QProcess again;
    start(again, QStringLiteral(PELVANE_PIPE_CONSUMER), {"32", "2"});
    ASSERT_TRUE(again.waitForFinished(30000));
    EXPECT_EQ(again.exitCode(), 0) << again.readAllStandardOutput().toStdString();

    // A gap or torn frames in a stream are the JACK server's (a cycle that a
    // loaded machine did not finish in time), and Pelvane said so.
    stop(program);
    const QString log = output();
    qsizetype xruns = 0, ofThisStart = 0; // each start of the device counts afresh
    for (const QString& line : log.split('\n')) {
        if (!line.contains("JACK xruns:"))
            continue;
        const qsizetype n = line.section("JACK xruns:", 1).trimmed().toLongLong();
        if (n < ofThisStart)
            xruns += ofThisStart;
        ofThisStart = n;
    }
    xruns += ofThisStart;
    EXPECT_LE(gaps(recorderSays) + gaps(whistleSays), 2 * xruns) << log.toStdString();
}

TEST_F(PelvaneProgram, StreamsASoundCardThroughPortAudio)
{
    startJack({"2", "PortAudio.*:in_", "pa"});
    // The sound card that PortAudio makes of the JACK server.
    qputenv("JACK_DEFAULT_SERVER", JackServer.toLocal8Bit());
    qputenv("JACK_NO_AUDIO_RESERVATION", "1");
    ASSERT_EQ(Pa_Initialize(), paNoError);
    int jackCard = -1;
    for (int i = 0, inputs = 0; i < Pa_GetDeviceCount() && jackCard < 0; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info->maxInputChannels <= 0)
            continue;
        if (Pa_GetHostApiInfo(info->hostApi)->type == paJACK)
            jackCard = inputs;
        ++inputs;
    }
    Pa_Terminate();
    ASSERT_GE(jackCard, 0) << "PortAudio without its JACK host API";

    PipeSettings settings; // sound card, channels 0 and 1 to the recorder
    settings.DeviceNumber = jackCard;
    for (auto& c : settings.ChannelSettings)
        c.Routing = 0;
    settings.ChannelSettings[0].Routing = RouteAutorec;
    settings.ChannelSettings[1].Routing = RouteAutorec;
    CheckPipeConsistency(settings);
    startPelvane(settings);

    QProcess recorder;
    start(recorder, QStringLiteral(PELVANE_PIPE_CONSUMER), {"32", "6"});
    ASSERT_TRUE(recorder.waitForFinished(30000));
    const QString says = QString::fromLocal8Bit(recorder.readAllStandardOutput());
    EXPECT_EQ(recorder.exitCode(), 0) << says.toStdString() << output().toStdString();
    EXPECT_TRUE(says.contains("announced 48000 channels 0,1 misplaced 0 torn")) << says.toStdString();
}
