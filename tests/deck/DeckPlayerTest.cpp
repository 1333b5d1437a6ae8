// The deck's player with a sound output played by hand and detector programs
// with scripted answers: pacing, mixing, pipes, chaining and winding up.
#include "DeckFakes.h"

#include "deck/DigitalFilter.h"
#include "deck/LogWriter.h"
#include "platform/DateTimeText.h"
#include "sound/PipeProtocol.h"
#include "sound/SamplePipe.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace decktest;
using velmar::platform::SystemTime;

namespace {

const QString Click = QString::fromLatin1(ClickDetectorClass);
const QString Whistle = QString::fromLatin1(WhistleDetectorClass);

struct Rig {
    FakeOutput::Shared output;
    FakeDetectors detectors;
    FakeHost host;
    DeckPlayer player{host, detectors, [this] { return std::make_unique<FakeOutput>(output); }, 4242};

    DeckStart startOf(SoundFile& file, DeckSettings deck, uint32_t startFrame = 0, FilterSpec filter = {})
    {
        return DeckStart{file.header, &file.buffer, startFrame, deck, filter};
    }
    // Lets the output play everything it holds until the player stops
    // serving it (bounded).
    void playOut()
    {
        for (int i = 0; i < 100000 && player.outputActive(); ++i) {
            output.played = output.written.size() / std::size_t(std::max(output.channels, 1));
            player.serviceOutput();
        }
    }
};

DeckSettings speakers(uint32_t left, uint32_t right, uint32_t click = 0, uint32_t whistle = 0, int rate = 8000)
{
    DeckSettings d;
    d.LeftMask = left;
    d.RightMask = right;
    d.ClickMask = click;
    d.WhistleMask = whistle;
    d.PlaybackRate = uint32_t(rate);
    return d;
}

std::vector<int16_t> ramp(int frames, int channels, int step = 1)
{
    std::vector<int16_t> s(std::size_t(frames * channels));
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = int16_t(int(i) * step);
    return s;
}

QByteArray littleEndianBytes(const std::vector<int16_t>& samples)
{
    QByteArray b;
    for (int16_t s : samples) {
        char le[2];
        qToLittleEndian(s, le);
        b.append(le, 2);
    }
    return b;
}

// Everything a reader of the pipe can get now (the writer's socket runs in
// this thread, so its events are let through too).
QByteArray drain(velmar::sound::SamplePipeReader& reader)
{
    QByteArray all;
    for (int idle = 0; idle < 50;) {
        QCoreApplication::processEvents();
        const QByteArray got = reader.read(1 << 20);
        idle = got.isEmpty() ? idle + 1 : 0;
        all += got;
    }
    return all;
}

} // namespace

TEST(DeckPlayer, WithoutSpeakersOrDetectorsTheFirstTickStops)
{
    Rig rig;
    SoundFile file(makeWav(2, 8000, ramp(8000, 2)));
    ASSERT_TRUE(rig.player.start(rig.startOf(file, speakers(0, 0, 3, 3))));
    EXPECT_EQ(rig.host.states, (std::vector<int>{DeckPlaying}));
    EXPECT_TRUE(rig.player.pumping());
    rig.player.pumpTick();
    EXPECT_EQ(rig.host.states, (std::vector<int>{DeckPlaying, DeckStopping, DeckStopped}));
    EXPECT_FALSE(rig.player.pumping());
    EXPECT_FALSE(rig.player.windingUp());
}

TEST(DeckPlayer, StartsThatCannotPlay)
{
    {
        SCOPED_TRACE("file already at its end: starting, then stopped at once");
        Rig rig;
        SoundFile file(makeWav(2, 8000, ramp(100, 2)));
        EXPECT_TRUE(rig.player.start(rig.startOf(file, speakers(1, 2), 100)));
        EXPECT_EQ(rig.host.states, (std::vector<int>{DeckStarting, DeckStopped}));
        EXPECT_FALSE(rig.output.open);
    }
    {
        SCOPED_TRACE("no file to position");
        Rig rig;
        SoundFile file(makeWav(2, 8000, ramp(100, 2)));
        DeckStart start = rig.startOf(file, speakers(1, 2));
        start.file = nullptr;
        EXPECT_FALSE(rig.player.start(start));
        EXPECT_TRUE(rig.host.states.empty());
    }
    {
        SCOPED_TRACE("the sound output cannot be opened");
        Rig rig;
        rig.output.openError = QStringLiteral("Device unavailable");
        rig.detectors.willing(Whistle);
        SoundFile file(makeWav(2, 8000, ramp(100, 2)));
        EXPECT_FALSE(rig.player.start(rig.startOf(file, speakers(1, 2, 0, 1))));
        EXPECT_EQ(rig.host.states, (std::vector<int>{DeckStarting, DeckStopped}));
        ASSERT_EQ(rig.host.messages.size(), 1u);
        EXPECT_EQ(rig.host.messages[0],
                  std::make_pair(QStringLiteral("Device unavailable"), QStringLiteral("Error starting Soundcard")));
        EXPECT_TRUE(rig.detectors.messagesTo(Whistle).contains(QStringLiteral("PipeMsgAvailBytes(posted 1)")));
        // The pipe is free for the next start.
        velmar::sound::SamplePipeReader reader;
        EXPECT_FALSE(reader.open(QString::fromLatin1(WhistlePipeName), 100));
    }
}

TEST(DeckPlayer, SpeakerMixGainAndLevels)
{
    const float sixDb = float(std::pow(10.0, 0.3));
    auto gained = [sixDb](int s) {
        return int16_t(std::clamp(std::trunc(double(float(s) * sixDb)), -32768.0, 32767.0));
    };
    struct Case {
        const char* legend;
        int channels;
        uint32_t left, right;
        float gainDb;
        std::vector<int16_t> in;
        std::vector<int16_t> out;
        BlockLevels levels;
    } cases[] = {
        {"four channels, masks 0x3 and 0xC: sums clip instead of wrapping",
         4,
         0x3,
         0xC,
         0.0f,
         {1000, 2000, 3000, 4000, 30000, 5000, -30000, -5000, -20000, -20000, 100, 200},
         {3000, 7000, 32767, -32768, -32768, 300},
         {{30000, 5000, 3000, 4000, 0, 0, 0, 0}, {32767, 7000}}},
        {"6 dB of gain clips at full scale",
         1,
         0x1,
         0,
         6.0f,
         {1000, 20000, -20000, -3},
         {gained(1000), 32767, -32768, gained(-3)},
         {{20000, 0, 0, 0, 0, 0, 0, 0}, {32767, 0}}},
        {"only the right mask: one speaker channel of silence",
         2,
         0,
         0x3,
         0.0f,
         {500, 600, 700, 800},
         {0, 0},
         {{700, 800, 0, 0, 0, 0, 0, 0}, {0, 0}}},
        {"mask bits past the file's channels count for nothing",
         2,
         0x5,
         0x8,
         0.0f,
         {-5, -6},
         {-5, 0},
         {{0, 0, 0, 0, 0, 0, 0, 0}, {0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.legend);
        Rig rig;
        SoundFile file(makeWav(c.channels, 8000, c.in));
        DeckSettings d = speakers(c.left, c.right);
        d.GainDb = c.gainDb;
        ASSERT_TRUE(rig.player.start(rig.startOf(file, d)));
        rig.playOut();
        EXPECT_EQ(rig.output.written, c.out);
        ASSERT_EQ(rig.host.levelReports.size(), 1u);
        EXPECT_EQ(rig.host.levelReports[0], c.levels);
        EXPECT_EQ(rig.host.states, (std::vector<int>{DeckStarting, DeckPlaying, DeckStopped}));
        EXPECT_EQ(rig.output.rate, 8000);
        EXPECT_EQ(rig.output.capacity, 400u * 20u);
    }
}

TEST(DeckPlayer, ARefusingClickDetectorLeavesTheWhistleDetectorFedUnfiltered)
{
    Rig rig;
    rig.detectors.presentClasses[Click] = true; // answers 0 to everything
    rig.detectors.willing(Whistle);
    rig.host.startTime = SystemTime{2010, 12, 0, 8, 14, 3, 5, 0};
    const std::vector<int16_t> samples = ramp(8000, 2, 3);
    SoundFile file(makeWav(2, 8000, samples));
    FilterSpec lowPass;
    lowPass.FilterType = FilterButterworth;
    lowPass.Band = BandLowPass;
    lowPass.LowPassHz = 1000;
    lowPass.Order = 4;
    ASSERT_TRUE(rig.player.start(rig.startOf(file, speakers(1, 2, 3, 3), 4000, lowPass)));
    ASSERT_NE(rig.player.filter(), nullptr);

    EXPECT_EQ(rig.detectors.messagesTo(Click), QStringList{QStringLiteral("PipeMsgGetIpDevice")});
    EXPECT_EQ(rig.detectors.messagesTo(Whistle),
              (QStringList{"PipeMsgSampleSettings", "PipeMsgStartSection", "PipeMsgStartRun"}));
    const auto& calls = rig.detectors.calls;
    EXPECT_EQ(calls[0].wParam, 4242u); // the engine's identity
    EXPECT_EQ(calls[0].lParam, 8000);
    EXPECT_EQ(calls[1].wParam, 8000u); // rate and channels
    EXPECT_EQ(calls[1].lParam, 2);
    // The section starts at the file's start plus the start frame (half a second).
    const auto section = velmar::sound::SectionTimeParameters(
        velmar::platform::AddSecondsToTime(*rig.host.startTime, 0.5));
    EXPECT_EQ(calls[2].wParam, section.first);
    EXPECT_EQ(calls[2].lParam, section.second);
    EXPECT_EQ(calls[3].wParam, 1u); // the deck plays to its speakers too

    velmar::sound::SamplePipeReader reader;
    ASSERT_TRUE(reader.open(QString::fromLatin1(WhistlePipeName), 1000));
    rig.playOut();
    const std::vector<int16_t> played(samples.begin() + 8000, samples.end());
    EXPECT_EQ(drain(reader), littleEndianBytes(played));
    EXPECT_NE(rig.output.written, played); // the speakers heard the filter
    EXPECT_EQ(rig.host.states.back(), DeckStopped);
    EXPECT_TRUE(rig.detectors.messagesTo(Whistle).contains(QStringLiteral("PipeMsgAvailBytes(posted 1)")));
    EXPECT_FALSE(rig.detectors.messagesTo(Click).contains(QStringLiteral("PipeMsgAvailBytes(posted 1)")));
}

TEST(DeckPlayer, AiffSamplesReachSpeakersAndPipesInOurByteOrder)
{
    Rig rig;
    rig.detectors.willing(Whistle);
    const std::vector<int16_t> samples{0x0102, -2, 0x7F00, 0x0080, -32768, 32767};
    SoundFile file(makeAiff(2, 8000, samples));
    ASSERT_EQ(file.header.FileFormat, velmar::sound::FormatAiff);
    ASSERT_TRUE(rig.player.start(rig.startOf(file, speakers(1, 2, 0, 3))));
    velmar::sound::SamplePipeReader reader;
    ASSERT_TRUE(reader.open(QString::fromLatin1(WhistlePipeName), 1000));
    rig.playOut();
    EXPECT_EQ(rig.output.written, samples);
    EXPECT_EQ(drain(reader), littleEndianBytes(samples));
}

TEST(DeckPlayer, StoppingTwiceAndWaitingForADetectorThatNeverStops)
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("TapeLog.txt"));
    ASSERT_TRUE(OpenLogFile(log, false));
    Rig rig;
    rig.detectors.willing(Whistle);
    rig.detectors.answers[{Whistle, QStringLiteral("PipeMsgGetADCStatus")}] = 1;
    SoundFile file(makeWav(1, 8000, ramp(8000, 1)));
    ASSERT_TRUE(rig.player.start(rig.startOf(file, speakers(0, 0, 0, 1))));
    EXPECT_TRUE(rig.player.stop());
    EXPECT_EQ(rig.host.states, (std::vector<int>{DeckPlaying, DeckStopping}));
    EXPECT_TRUE(rig.player.windingUp());
    EXPECT_TRUE(rig.player.stop()); // still stopping: the end is told again
    EXPECT_EQ(rig.detectors.messagesTo(Whistle).count(QStringLiteral("PipeMsgAvailBytes(posted 1)")), 2);
    int steps = 0;
    while (rig.player.windingUp() && steps < 1000) {
        rig.player.windUpStep();
        ++steps;
    }
    EXPECT_EQ(steps, DetectorWaitQuestions - 1); // the first question came with the stop
    EXPECT_EQ(rig.detectors.messagesTo(Whistle).count(QStringLiteral("PipeMsgGetADCStatus")), DetectorWaitQuestions);
    EXPECT_EQ(rig.host.states.back(), DeckStopped);
    EXPECT_FALSE(rig.player.stop());
    CloseLogFile();
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString line = QString::fromLatin1(f.readAll());
    EXPECT_TRUE(line.endsWith(QStringLiteral(" - MavrelWaitDetectorEnd failure - wated < 50 counts\r\n")))
        << line.toStdString();
}

TEST(DeckPlayer, AFullPipeDropsWholeFrames)
{
    Rig rig;
    rig.detectors.willing(Whistle);
    rig.detectors.answers[{Whistle, QStringLiteral("PipeMsgGetADCStatus")}] = 1;
    const int frames = 48000 * 12;
    std::vector<int16_t> samples(std::size_t(frames) * 3);
    for (int n = 0; n < frames; ++n) {
        const int16_t a = int16_t(n % 30000);
        samples[std::size_t(n) * 3] = a;
        samples[std::size_t(n) * 3 + 1] = int16_t(~a);
        samples[std::size_t(n) * 3 + 2] = int16_t(a ^ 0x1234);
    }
    SoundFile file(makeWav(3, 48000, samples));
    ASSERT_TRUE(rig.player.start(rig.startOf(file, speakers(1, 0, 0, 7, 48000))));
    velmar::sound::SamplePipeReader reader; // connected, but reads only at the end
    ASSERT_TRUE(reader.open(QString::fromLatin1(WhistlePipeName), 1000));
    rig.playOut();
    ASSERT_TRUE(rig.player.windingUp());
    const QByteArray got = drain(reader);
    rig.detectors.answers[{Whistle, QStringLiteral("PipeMsgGetADCStatus")}] = 0;
    rig.player.windUpStep();
    EXPECT_EQ(rig.host.states.back(), DeckStopped);

    ASSERT_EQ(got.size() % 6, 0);
    EXPECT_GT(got.size(), 0);
    EXPECT_LT(got.size(), qsizetype(samples.size() * 2)); // some were dropped
    for (qsizetype i = 0; i < got.size(); i += 6) {
        const auto a = qFromLittleEndian<int16_t>(got.constData() + i);
        ASSERT_EQ(qFromLittleEndian<int16_t>(got.constData() + i + 2), int16_t(~a)) << "frame at byte " << i;
        ASSERT_EQ(qFromLittleEndian<int16_t>(got.constData() + i + 4), int16_t(a ^ 0x1234)) << "frame at byte " << i;
    }
}

TEST(DeckPlayer, ChainingJoinsOnlyFilesOfTheSameFormat)
{
    Rig rig;
    const std::vector<int16_t> first = ramp(1000, 2, 1);
    const std::vector<int16_t> second = ramp(500, 2, -7);
    SoundFile a(makeWav(2, 8000, first));
    SoundFile b(makeWav(2, 8000, second));
    SoundFile mono(makeWav(1, 8000, ramp(300, 1)));
    SoundFile otherRate(makeWav(2, 16000, ramp(300, 2)));
    rig.host.nextFiles = {&b.buffer, &otherRate.buffer};
    ASSERT_TRUE(rig.player.start(rig.startOf(a, speakers(1, 2))));
    rig.playOut();
    std::vector<int16_t> expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(rig.output.written, expected);
    EXPECT_EQ(rig.host.nextFileAsks, (std::vector<uint32_t>{1000, 1500}));

    Rig monoRig;
    SoundFile a2(makeWav(2, 8000, first));
    monoRig.host.nextFiles = {&mono.buffer};
    ASSERT_TRUE(monoRig.player.start(monoRig.startOf(a2, speakers(1, 2))));
    monoRig.playOut();
    EXPECT_EQ(monoRig.output.written, first);
}

TEST(DeckPlayer, AFilterEdgeAtHalfTheRateIsReportedAndTheSpeakersPlayUnfiltered)
{
    Rig rig;
    const std::vector<int16_t> samples = ramp(100, 1, 100);
    SoundFile file(makeWav(1, 8000, samples));
    FilterSpec bad;
    bad.FilterType = FilterButterworth;
    bad.Band = BandLowPass;
    bad.LowPassHz = 4000;
    ASSERT_TRUE(rig.player.start(rig.startOf(file, speakers(1, 0), 0, bad)));
    EXPECT_EQ(rig.player.filter(), nullptr);
    ASSERT_EQ(rig.host.messages.size(), 1u);
    EXPECT_EQ(rig.host.messages[0].second, QStringLiteral("Digital Filter"));
    rig.playOut();
    EXPECT_EQ(rig.output.written, samples);
}

TEST(DeckPlayer, TimerModeTopsThePipesUpInTenthsOfASecond)
{
    Rig rig;
    rig.detectors.willing(Whistle);
    SoundFile file(makeWav(2, 8000, ramp(2000, 2)));
    ASSERT_TRUE(rig.player.start(rig.startOf(file, speakers(0, 0, 0, 1))));
    velmar::sound::SamplePipeReader reader;
    ASSERT_TRUE(reader.open(QString::fromLatin1(WhistlePipeName), 1000));
    // The detector reports 0.9 s unread: no room above 0.2 s.
    rig.detectors.answers[{Whistle, QStringLiteral("PipeMsgAvailBytes")}] = 8000 * 2 * 9 / 10;
    rig.player.pumpTick();
    EXPECT_EQ(rig.player.position(), 0u);
    // 0.25 s free: one chunk of 800 frames.
    rig.detectors.answers[{Whistle, QStringLiteral("PipeMsgAvailBytes")}] = 8000 * 2 * 3 / 4;
    rig.player.pumpTick();
    EXPECT_EQ(rig.player.position(), 800u);
    rig.detectors.answers[{Whistle, QStringLiteral("PipeMsgAvailBytes")}] = 0;
    // Room for 8 chunks, the file has 1200 frames left: the tick sends them
    // and, finding nothing more, ends the playback.
    rig.player.pumpTick();
    EXPECT_EQ(rig.player.position(), 2000u);
    EXPECT_EQ(rig.host.states, (std::vector<int>{DeckPlaying, DeckStopping, DeckStopped}));
    std::vector<int16_t> channel0;
    for (int f = 0; f < 2000; ++f)
        channel0.push_back(int16_t(f * 2));
    EXPECT_EQ(drain(reader), littleEndianBytes(channel0));
}

// A detector that dies mid-play, in either pacing: its pipe is closed and the
// operator told once, the other detector gets every frame to the end, and the
// wind-up does not wait for the dead one.
TEST(DeckPlayer, ADeadDetectorIsDroppedOnceAndTheOtherIsFedToTheEnd)
{
    for (const bool withSpeakers : {false, true}) {
        SCOPED_TRACE(withSpeakers ? "paced by the sound output" : "paced by the detectors");
        Rig rig;
        rig.detectors.willing(Click);
        rig.detectors.willing(Whistle);
        const int frames = 48000;
        SoundFile file(makeWav(2, 8000, ramp(frames, 2)));
        ASSERT_TRUE(rig.player.start(rig.startOf(file, speakers(withSpeakers ? 1 : 0, 0, 1, 2))));
        velmar::sound::SamplePipeReader click, whistle;
        ASSERT_TRUE(click.open(QString::fromLatin1(ClickPipeName), 1000));
        ASSERT_TRUE(whistle.open(QString::fromLatin1(WhistlePipeName), 1000));
        QByteArray clickGot, whistleGot;
        auto step = [&] {
            if (withSpeakers) {
                rig.output.played = rig.output.written.size();
                rig.player.serviceOutput();
            } else {
                rig.player.pumpTick();
            }
            clickGot += drain(click);
            if (whistle.isOpen())
                whistleGot += drain(whistle);
        };
        for (int i = 0; i < 3; ++i)
            step();
        ASSERT_FALSE(whistleGot.isEmpty());
        // The whistle detector dies: its socket closes and its name leaves the bus.
        whistle.close();
        rig.detectors.presentClasses[Whistle] = false;
        for (int i = 0; i < 1000 && (rig.player.pumping() || rig.player.outputActive()); ++i)
            step();
        std::vector<int16_t> channel0;
        for (int f = 0; f < frames; ++f)
            channel0.push_back(int16_t(2 * f));
        EXPECT_EQ(clickGot, littleEndianBytes(channel0));
        ASSERT_EQ(rig.host.messages.size(), 1u);
        EXPECT_TRUE(rig.host.messages[0].first.contains(QString::fromLatin1(WhistlePipeName)));
        EXPECT_EQ(rig.host.messages[0].second, QString::fromLatin1(PipeProblemCaption));
        EXPECT_EQ(rig.host.states.back(), DeckStopped); // no wait for the dead one
        EXPECT_FALSE(rig.detectors.messagesTo(Whistle).contains(QStringLiteral("PipeMsgAvailBytes(posted 1)")));
    }
}

TEST(DeckPlayer, TheClockAnswerIsUnknownWithoutAStartTime)
{
    EXPECT_FALSE(DeckClockTime(std::nullopt, 12.5).has_value());
    const SystemTime start{2010, 12, 0, 8, 14, 3, 5, 0};
    EXPECT_EQ(DeckClockTime(start, 60.0), velmar::platform::AddSecondsToTime(start, 60.0));
}
