// The deck's speakers through PortAudio for real: a JACK server with its
// dummy driver (no sound card) takes the stream in real time.
#include "DeckFakes.h"

#include "deck/DeckEngine.h"
#include "sound/SamplePipe.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTimer>

#include <portaudio.h>

#include <gtest/gtest.h>

using namespace decktest;

namespace {

// The deck's device number (counting output devices) of JACK's playback
// device, or -1.
int jackOutputNumber()
{
    if (Pa_Initialize() != paNoError)
        return -1;
    int number = -1, outputs = 0;
    for (PaDeviceIndex i = 0; i < Pa_GetDeviceCount() && number < 0; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (!info || info->maxOutputChannels <= 0)
            continue;
        if (Pa_GetHostApiInfo(info->hostApi)->type == paJACK)
            number = outputs;
        ++outputs;
    }
    Pa_Terminate();
    return number;
}

class JackServer {
public:
    bool start()
    {
        const QString jackd = QStandardPaths::findExecutable(QStringLiteral("jackd"));
        if (jackd.isEmpty())
            return false;
        m_name = QStringLiteral("velmar_deck_%1").arg(QCoreApplication::applicationPid());
        qputenv("JACK_DEFAULT_SERVER", m_name.toLatin1());
        qputenv("JACK_NO_AUDIO_RESERVATION", "1");
        m_process.start(jackd, {"-r", "-n", m_name, "-d", "dummy", "-r", "48000", "-p", "1024"});
        if (!m_process.waitForStarted(5000))
            return false;
        // The server takes a moment to come up: look for its device (bounded).
        for (int i = 0; i < 50 && m_device < 0; ++i) {
            m_device = jackOutputNumber();
            if (m_device < 0)
                m_process.waitForFinished(100); // returns early only when it died
            if (m_process.state() != QProcess::Running)
                return false;
        }
        return m_device >= 0;
    }
    int device() const { return m_device; }
    ~JackServer()
    {
        if (m_process.state() == QProcess::Running) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000))
                m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

private:
    QProcess m_process;
    QString m_name;
    int m_device = -1;
};

} // namespace

TEST(DeckPortAudio, FilteredSpeakersThroughJacksDummyDriverAndAnUnfilteredPipe)
{
    JackServer jack;
    if (!jack.start())
        GTEST_SKIP() << "no JACK server with the dummy driver could be started";

    // A whistle detector that connects to its pipe when the run starts and
    // keeps reading it.
    const QString whistle = QString::fromLatin1(WhistleDetectorClass);
    auto detectors = std::make_unique<FakeDetectors>();
    detectors->willing(whistle);
    velmar::sound::SamplePipeReader reader;
    QByteArray received;
    auto drain = [&] {
        for (QByteArray got = reader.read(1 << 20); !got.isEmpty(); got = reader.read(1 << 20))
            received += got;
    };
    detectors->onCall = [&](const FakeDetectors::Call& call) {
        if (call.message == QLatin1String("PipeMsgStartRun"))
            reader.open(QString::fromLatin1(WhistlePipeName), 5000);
        else if (call.message == QLatin1String("PipeMsgAvailBytes"))
            drain();
    };
    QTimer reading;
    QObject::connect(&reading, &QTimer::timeout, drain);
    reading.start(10);

    DeckEngine engine(std::move(detectors)); // PortAudio output
    QSignalSpy states(&engine, &DeckEngine::stateChanged);
    QSignalSpy levels(&engine, &DeckEngine::levels);
    QSignalSpy messages(&engine, &DeckEngine::message);
    // Half a second: channel 0 a tone at half the sample rate, channel 1 DC.
    std::vector<int16_t> samples(48000);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(i % 2 ? 8000 : (i / 2) % 2 ? 16000 : -16000);
    SoundFile file(makeWav(2, 48000, samples));
    DeckSettings d;
    d.LeftMask = 1;
    d.RightMask = 2;
    d.ClickMask = 0;
    d.WhistleMask = 3;
    d.PlaybackRate = 48000;
    d.PlaybackDevice = jack.device();
    FilterSpec lowPass;
    lowPass.FilterType = FilterButterworth;
    lowPass.Band = BandLowPass;
    lowPass.LowPassHz = 1000;
    lowPass.Order = 4;
    engine.start(DeckStart{file.header, &file.buffer, 0, d, lowPass});
    for (int i = 0; i < 100 && !(states.size() > 0 && states.last().at(0).toInt() == DeckStopped); ++i)
        states.wait(100);
    drain();
    ASSERT_TRUE(messages.isEmpty()) << messages.at(0).at(0).toString().toStdString();
    std::vector<int> seen;
    for (const auto& s : states)
        seen.push_back(s.at(0).toInt());
    EXPECT_EQ(seen, (std::vector<int>{DeckStarting, DeckPlaying, DeckStopped}));
    EXPECT_EQ(engine.position(), 24000u);
    ASSERT_EQ(levels.size(), 10); // blocks of 1/20 s
    const auto last = levels.last().at(0).value<BlockLevels>();
    EXPECT_EQ(last.FilePeaks[0], 16000);
    EXPECT_EQ(last.FilePeaks[1], 8000);
    EXPECT_LT(last.SpeakerPeaks[0], 100); // the tone is filtered out of the speakers
    EXPECT_NEAR(last.SpeakerPeaks[1], 8000, 2);
    // The detector heard the file as it is.
    EXPECT_TRUE(received == makeWav(2, 48000, samples).mid(velmar::sound::WAVHEADER::ByteSize))
        << received.size() << " bytes received";
}
