#include "FakeInput.h"
#include "recorder/PipedInput.h"
#include "recorder/RecorderEngine.h"
#include "recorder/RecorderLogic.h"
#include "platform/DateTimeText.h"
#include "sound/PipeProtocol.h"
#include "sound/RecordingJournal.h"
#include "sound/SamplePipe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <sndfile.h>

using namespace velmar::recorder;
using velmar::platform::SystemTime;
using velmar::sound::RECORDINGINFO;

namespace {

constexpr SystemTime At103000{2026, 12, 4, 10, 10, 30, 0, 0};

// What libsndfile finds in a file: rate, channels and the samples.
struct SoundFile {
    int rate = 0;
    int channels = 0;
    std::vector<int16_t> samples;
    qint64 frames() const { return channels ? qint64(samples.size()) / channels : 0; }
};

SoundFile ReadSound(const QString& path)
{
    SF_INFO info{};
    SoundFile out;
    SNDFILE* f = sf_open(path.toLocal8Bit().constData(), SFM_READ, &info);
    if (!f)
        return out;
    out.rate = info.samplerate;
    out.channels = info.channels;
    out.samples.resize(std::size_t(info.frames * info.channels));
    sf_read_short(f, out.samples.data(), sf_count_t(out.samples.size()));
    sf_close(f);
    return out;
}

class RecorderEngineTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        rec.OutputDirectory = dir.path();
        rec.SmartFolders = false;
        rec.SampleRate = 48000;
        rec.nChannels = 2;
        services.programTime = [this] { return clock; };
        services.showMessage = [this](const QString& text, const QString& caption) {
            messages << caption + '|' + text;
        };
        services.bookRecording = [this](RECORDINGINFO booking) { bookings.push_back(booking); };
        engine = std::make_unique<RecorderEngine>([this](int) { return std::make_unique<test::FakeInput>(device); },
                                                  services);
        QObject::connect(engine.get(), &RecorderEngine::message,
                         [this](const QString& text, const QString& caption) { messages << caption + '|' + text; });
    }

    void advance(double seconds)
    {
        device.pushSeconds(seconds, rec.SampleRate);
        engine->tick();
        clock = velmar::platform::AddSecondsToTime(clock, seconds);
    }

    void startRecording(int type)
    {
        ASSERT_TRUE(velmar::sound::MakeRecordingFileName(rec, clock, {}, false, services));
        engine->start(rec, type);
    }

    QTemporaryDir dir;
    RECORDINGINFO rec;
    velmar::sound::RecordingServices services;
    test::FakeDevice device;
    SystemTime clock = At103000;
    QStringList messages;
    std::vector<RECORDINGINFO> bookings;
    std::unique_ptr<RecorderEngine> engine;
};

TEST_F(RecorderEngineTest, TriggerAfterFourSecondsStartsTheFileWithTheBufferAndBackDatesIt)
{
    rec.BufferLength = 10;
    engine->start(rec, RECORDINGINFO::StartBufferOnly);
    ASSERT_EQ(engine->status(), StatusRunning);
    for (int i = 0; i < 4; ++i)
        advance(1);
    EXPECT_EQ(engine->bufferBytes(), 4 * 192000);

    const SystemTime trigger = clock;
    startRecording(RECORDINGINFO::StartRecordWithBuffer);
    advance(1);
    engine->stop();
    EXPECT_EQ(engine->status(), StatusStopped);
    EXPECT_EQ(device.starts, 1) << "the device keeps running from buffer to file";

    ASSERT_EQ(bookings.size(), 1u);
    EXPECT_EQ(bookings[0].FileTime, velmar::platform::AddSecondsToTime(trigger, -4));
    const SoundFile f = ReadSound(QDir(dir.path()).filePath(bookings[0].FileName));
    EXPECT_EQ(f.rate, 48000);
    EXPECT_EQ(f.channels, 2);
    ASSERT_EQ(f.frames(), 5 * 48000);
    for (qint64 i : {qint64(0), qint64(1), qint64(4 * 48000), qint64(5 * 48000 - 1)}) {
        EXPECT_EQ(f.samples[std::size_t(2 * i)], int16_t(i % 30000)) << "frame " << i;
        EXPECT_EQ(f.samples[std::size_t(2 * i + 1)], int16_t(-(i % 30000))) << "frame " << i;
    }
}

TEST_F(RecorderEngineTest, ThirtySecondsIntoATenSecondBufferKeepTheLastTenOldestFirst)
{
    rec.BufferLength = 10;
    engine->start(rec, RECORDINGINFO::StartBufferOnly);
    for (int i = 0; i < 30; ++i)
        advance(1);
    EXPECT_EQ(engine->bufferBytes(), 10 * 192000);
    startRecording(RECORDINGINFO::StartRecordWithBuffer);
    engine->stop();
    ASSERT_EQ(bookings.size(), 1u);
    const SoundFile f = ReadSound(QDir(dir.path()).filePath(bookings[0].FileName));
    ASSERT_EQ(f.frames(), 10 * 48000);
    for (qint64 i = 0; i < f.frames(); i += 4799)
        ASSERT_EQ(f.samples[std::size_t(2 * i)], int16_t((20 * 48000 + i) % 30000)) << "frame " << i;
}

TEST_F(RecorderEngineTest, AnExistingFileIsNeverOverwritten)
{
    ASSERT_TRUE(velmar::sound::MakeRecordingFileName(rec, clock, {}, false, services));
    const QString path = QDir(dir.path()).filePath(rec.FileName);
    QFile existing(path);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("keep me");
    existing.close();

    engine->start(rec, RECORDINGINFO::StartRecord);
    advance(1);
    EXPECT_FALSE(engine->fileOpen());
    EXPECT_TRUE(messages.contains("Can't open file|" + path + "\nFile exists")) << messages.join('\n').toStdString();
    engine->stop();
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), QByteArray("keep me"));
    EXPECT_TRUE(bookings.empty());
}

TEST_F(RecorderEngineTest, AFilePastMaxSingleIsSplitOnWholeBlocksIntoANewName)
{
    rec.MaxSingle = 1; // megabyte: 5.46 s at 48 kHz stereo
    startRecording(RECORDINGINFO::StartRecord);
    for (int i = 0; i < 8; ++i)
        advance(1);
    engine->stop();
    ASSERT_EQ(bookings.size(), 2u);
    EXPECT_NE(bookings[0].FileName, bookings[1].FileName);
    const SoundFile a = ReadSound(QDir(dir.path()).filePath(bookings[0].FileName));
    const SoundFile b = ReadSound(QDir(dir.path()).filePath(bookings[1].FileName));
    EXPECT_LE(a.frames() * 4, 1 << 20);
    EXPECT_EQ(a.frames() % 4800, 0) << "split on a block";
    EXPECT_EQ(a.frames() + b.frames(), 8 * 48000) << "nothing lost at the split";
    // The second file goes on where the first stopped, channels in place.
    EXPECT_EQ(b.samples[0], int16_t(a.frames() % 30000));
    EXPECT_EQ(b.samples[1], int16_t(-(a.frames() % 30000)));
}

TEST_F(RecorderEngineTest, WithoutLimitSingleFilesAreNotSplit)
{
    rec.MaxSingle = 1;
    rec.LimitSingle = false;
    startRecording(RECORDINGINFO::StartRecord);
    for (int i = 0; i < 8; ++i)
        advance(1);
    engine->stop();
    EXPECT_EQ(bookings.size(), 1u);
}

TEST_F(RecorderEngineTest, AFullDiskIsSaidWithItsReasonAndTheFileCountsTheWholeFramesWritten)
{
    // The process may write files of at most 1 MB, as a disk that fills up;
    // the limit falls inside a frame of three channels.
    rec.nChannels = 3;
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 1 << 20;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QSignalSpy status(engine.get(), &RecorderEngine::statusChanged);
    startRecording(RECORDINGINFO::StartRecord);
    int seconds = 0;
    while (seconds < 8 && engine->status() == StatusRunning) {
        advance(1);
        ++seconds;
    }
    engine->stop();
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldSignal);

    const QStringList said = messages.filter("Can't write to file|");
    ASSERT_EQ(said.size(), 1) << messages.join('\n').toStdString();
    EXPECT_TRUE(said[0].contains("Writing into " + dir.path() + " failed: File too large.")) << said[0].toStdString();
    EXPECT_EQ(seconds, 4) << "the recording stops on the failed write, 3.64 s in";
    ASSERT_FALSE(status.isEmpty());
    EXPECT_EQ(status.last().at(0).toInt(), StatusStopped);
    ASSERT_EQ(bookings.size(), 1u);
    const QString path = QDir(dir.path()).filePath(bookings[0].FileName);
    const SoundFile f = ReadSound(path);
    const qint64 wholeFrames = ((1 << 20) - 132) / 6;
    EXPECT_EQ(f.frames(), wholeFrames) << "every whole frame written, and no more";
    EXPECT_EQ(QFileInfo(path).size(), 132 + wholeFrames * 6) << "no partial frame left behind";
    EXPECT_EQ(bookings[0].Duration, int(wholeFrames / 48000));
    EXPECT_TRUE(said[0].contains(QStringLiteral("keeps the %1 s").arg(double(wholeFrames) / 48000, 0, 'f', 2)));
    // The channels are still in place at the end of the file.
    EXPECT_EQ(f.samples[std::size_t(3 * (wholeFrames - 1))], int16_t((wholeFrames - 1) % 30000));
    EXPECT_EQ(f.samples[std::size_t(3 * (wholeFrames - 1) + 2)], 200);
}

TEST_F(RecorderEngineTest, TheRowCountsTheSoundTheFileHoldsNotTheTimeItWasOpen)
{
    startRecording(RECORDINGINFO::StartRecord);
    // 9.66 s of sound over 24 s of the clock: a source that gave out.
    for (int i = 0; i < 9; ++i)
        advance(1);
    advance(0.66);
    clock = velmar::platform::AddSecondsToTime(clock, 24 - 9.66);
    engine->stop();
    ASSERT_EQ(bookings.size(), 1u);
    const SoundFile f = ReadSound(QDir(dir.path()).filePath(bookings[0].FileName));
    EXPECT_EQ(bookings[0].Duration, int(f.frames() / 48000));
    EXPECT_EQ(bookings[0].Duration, 9);
}

TEST_F(RecorderEngineTest, LostSoundShowsAndIsToldOncePerFileWithItsLength)
{
    QSignalSpy lost(engine.get(), &RecorderEngine::soundLost);
    startRecording(RECORDINGINFO::StartRecord);
    ASSERT_TRUE(engine->fileOpen());
    const QString first = engine->filePath();
    // Five seconds arrive while the recorder thread is held up: its ring
    // holds three, the other two are lost.
    advance(5);
    ASSERT_FALSE(lost.isEmpty());
    EXPECT_DOUBLE_EQ(lost.last().at(0).toDouble(), 2.0);
    EXPECT_TRUE(messages.filter("Sound lost|").isEmpty()) << "told once the file is closed";
    advance(1);
    engine->split();
    // In the next file the device itself loses a tenth of a second, twice.
    device.lostFrames = 4800;
    device.gaps = 2;
    advance(1);
    EXPECT_DOUBLE_EQ(lost.last().at(0).toDouble(), 2.1);
    EXPECT_EQ(lost.last().at(1).toInt(), 2);
    engine->stop();

    const QStringList told = messages.filter("Sound lost|");
    ASSERT_EQ(told.size(), 2) << messages.join('\n').toStdString();
    EXPECT_TRUE(told[0].startsWith("Sound lost|2.00 s of sound are missing from ")) << told[0].toStdString();
    EXPECT_TRUE(told[0].contains(QFileInfo(first).completeBaseName())) << told[0].toStdString();
    EXPECT_TRUE(told[0].contains("2.00 s (96000 frames) came from the device faster")) << told[0].toStdString();
    EXPECT_TRUE(told[1].startsWith("Sound lost|0.10 s of sound are missing from ")) << told[1].toStdString();
    EXPECT_FALSE(told[1].contains(QFileInfo(first).completeBaseName())) << told[1].toStdString();
    EXPECT_TRUE(told[1].contains("0.10 s (4800 frames) the input device lost")) << told[1].toStdString();
    EXPECT_TRUE(told[1].contains("reported a loss 2 times")) << told[1].toStdString();

    // The next start counts afresh.
    startRecording(RECORDINGINFO::StartRecord);
    EXPECT_DOUBLE_EQ(lost.last().at(0).toDouble(), 0.0);
}

TEST(RecorderLogicTest, TheStatusLineShowsLostSound)
{
    StatusInput s;
    s.mode = ModeContinuous;
    s.deviceStatus = 1;
    s.elapsedSeconds = 65;
    s.lostText = QStringLiteral("%1 of sound lost").arg(LostTimeText(0.25));
    EXPECT_EQ(StatusText(s).text, " Long Recording in progress : 01:05 - 0.25 s of sound lost");
    EXPECT_EQ(LostTimeText(12.34), "12.3 s");
    EXPECT_EQ(LostTimeText(205), "03:25");
}

TEST_F(RecorderEngineTest, LevelsOfTheFirstEightChannels)
{
    rec.nChannels = 10;
    rec.SampleRate = 1000;
    QSignalSpy spy(engine.get(), &RecorderEngine::levelsMeasured);
    engine->start(rec, RECORDINGINFO::StartBufferOnly);
    advance(0.1);
    ASSERT_FALSE(spy.isEmpty());
    const QList<int> levels = spy.last().at(0).value<QList<int>>();
    ASSERT_EQ(levels.size(), 8);
    EXPECT_EQ(levels[0], 99);
    EXPECT_EQ(levels[1], 99);
    for (int c = 2; c < 8; ++c)
        EXPECT_EQ(levels[c], c * 100);
    EXPECT_EQ(spy.last().at(1).toInt(), 10);
}

TEST_F(RecorderEngineTest, AFailedStartIsReportedAndLeavesStatusStopped)
{
    device.failStart = true;
    QSignalSpy status(engine.get(), &RecorderEngine::statusChanged);
    startRecording(RECORDINGINFO::StartRecord);
    EXPECT_EQ(engine->status(), StatusStopped);
    EXPECT_TRUE(messages.contains("Error starting Soundcard|The device is busy"));
    EXPECT_FALSE(engine->fileOpen());
    ASSERT_FALSE(status.isEmpty());
    EXPECT_EQ(status.last().at(0).toInt(), StatusStopped);
    // A stop after a failed start does not hang in "stopping".
    engine->stop();
    EXPECT_EQ(engine->status(), StatusStopped);
}

TEST_F(RecorderEngineTest, AGrantedRateIsTheRateOfTheFileAndItsRow)
{
    device.grantedRate = 44100;
    QSignalSpy granted(engine.get(), &RecorderEngine::sampleRateGranted);
    startRecording(RECORDINGINFO::StartRecord);
    ASSERT_EQ(engine->status(), StatusRunning);
    ASSERT_EQ(granted.size(), 1);
    EXPECT_EQ(granted.first().at(0).toUInt(), 44100u);
    const QString path = engine->filePath();
    device.pushSeconds(2, 44100);
    engine->tick();
    engine->stop();
    const SoundFile f = ReadSound(path);
    EXPECT_EQ(f.rate, 44100);
    EXPECT_EQ(f.frames(), 2 * 44100);
    ASSERT_EQ(bookings.size(), 1u);
    EXPECT_EQ(bookings[0].SampleRate, 44100u);
}

TEST_F(RecorderEngineTest, AnOpenFileStaysReadableWithoutItsClose)
{
    startRecording(RECORDINGINFO::StartRecord);
    for (int i = 0; i < 7; ++i)
        advance(1);
    // As a crash would leave it: the file as it is on disk now.
    const QString copy = QDir(dir.path()).filePath("copy.wav");
    ASSERT_TRUE(QFile::copy(engine->filePath(), copy));
    const SoundFile f = ReadSound(copy);
    EXPECT_EQ(f.channels, 2);
    EXPECT_GE(f.frames(), (7 - HeaderRefreshSeconds) * 48000);
    engine->stop();
}

TEST_F(RecorderEngineTest, PipedDataIsReadFromPelvanesRecorderPipe)
{
    velmar::sound::SamplePipeServer pipe;
    ASSERT_TRUE(pipe.create(QStringLiteral("\\\\.\\pipe\\AutorecPipe"), 1 << 22)) << pipe.errorString().toStdString();
    QStringList commands;
    auto messenger = [&](const QString& message, quint64 w, qint64 l) -> std::optional<qint64> {
        commands << QStringLiteral("%1 %2 %3").arg(message).arg(w).arg(l);
        return 1;
    };
    RecorderEngine piped(
        [&](int kind) -> std::unique_ptr<InputBackend> {
            // The samples come only once the recorder runs: no long wait for them.
            return kind == KindPiped ? std::make_unique<PipedInput>(messenger, 200) : nullptr;
        },
        services);
    rec.DeviceType = KindPiped;
    rec.nChannels = 3;
    rec.SampleRate = 1000;
    ASSERT_TRUE(velmar::sound::MakeRecordingFileName(rec, clock, {}, false, services));
    piped.start(rec, RECORDINGINFO::StartRecord);
    ASSERT_EQ(piped.status(), StatusRunning);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pipe.hasReader(); }, 5000));
    // One second of three channels, written in pieces that split frames.
    std::vector<int16_t> frames(3000);
    for (int i = 0; i < 1000; ++i)
        frames[std::size_t(3 * i)] = int16_t(i), frames[std::size_t(3 * i + 1)] = 1, frames[std::size_t(3 * i + 2)] = 2;
    const char* bytes = reinterpret_cast<const char*>(frames.data());
    for (int at = 0; at < 6000; at += 1001)
        pipe.write(bytes + at, std::min(1001, 6000 - at));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            piped.tick();
            return piped.fileBytes() >= 6000;
        },
        5000));
    piped.stop();
    EXPECT_EQ(commands, (QStringList{"PipeMsgPipeCommand 3 32", "PipeMsgPipeCommand 4 32"}));
    ASSERT_EQ(bookings.size(), 1u);
    const SoundFile f = ReadSound(QDir(dir.path()).filePath(bookings[0].FileName));
    ASSERT_EQ(f.frames(), 1000);
    EXPECT_EQ(f.samples[3 * 999], 999);
    EXPECT_EQ(f.samples[3 * 999 + 2], 2) << "channels in place";
}

TEST_F(RecorderEngineTest, WhenPelvaneClosesThePipeTheRecorderSaysSoClosesTheFileAndStops)
{
    auto pipe = std::make_unique<velmar::sound::SamplePipeServer>();
    ASSERT_TRUE(pipe->create(QStringLiteral("\\\\.\\pipe\\AutorecPipe"), 1 << 22)) << pipe->errorString().toStdString();
    auto messenger = [](const QString&, quint64, qint64) -> std::optional<qint64> { return 1; };
    RecorderEngine piped(
        [&](int kind) -> std::unique_ptr<InputBackend> {
            return kind == KindPiped ? std::make_unique<PipedInput>(messenger, 200) : nullptr;
        },
        services);
    QObject::connect(&piped, &RecorderEngine::message,
                     [this](const QString& text, const QString& caption) { messages << caption + '|' + text; });
    rec.DeviceType = KindPiped;
    rec.nChannels = 2;
    rec.SampleRate = 1000;
    ASSERT_TRUE(velmar::sound::MakeRecordingFileName(rec, clock, {}, false, services));
    piped.start(rec, RECORDINGINFO::StartRecord);
    ASSERT_EQ(piped.status(), StatusRunning);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pipe->hasReader(); }, 5000));
    const QString journal = velmar::sound::RecordingJournalPath(rec);
    EXPECT_TRUE(QFileInfo::exists(journal)) << "the open file has its journal";
    // 1.5 s and a half frame, then Pelvane goes; the clock runs on to 20 s.
    std::vector<int16_t> samples(3001, 7);
    pipe->write(reinterpret_cast<const char*>(samples.data()), qint64(samples.size() * 2));
    pipe->close();
    pipe.reset();
    clock = velmar::platform::AddSecondsToTime(clock, 20);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            piped.tick();
            return piped.status() == StatusStopped;
        },
        5000))
        << messages.join('\n').toStdString();
    EXPECT_EQ(messages.filter("Pelvane has closed the recorder pipe").size(), 1) << messages.join('\n').toStdString();
    EXPECT_FALSE(piped.fileOpen());
    ASSERT_EQ(bookings.size(), 1u);
    const SoundFile f = ReadSound(QDir(dir.path()).filePath(bookings[0].FileName));
    EXPECT_EQ(f.frames(), 1500);
    EXPECT_EQ(bookings[0].Duration, 1) << "the sound the file holds, not the 20 s it was open";
}

TEST_F(RecorderEngineTest, WithoutPelvaneThePipedInputReportsAndStaysStopped)
{
    RecorderEngine piped(
        [&](int) {
            return std::make_unique<PipedInput>(
                [](const QString&, quint64, qint64) { return std::optional<qint64>(); });
        },
        services);
    QObject::connect(&piped, &RecorderEngine::message,
                     [this](const QString& text, const QString& caption) { messages << caption + '|' + text; });
    rec.DeviceType = KindPiped;
    piped.start(rec, RECORDINGINFO::StartBufferOnly);
    EXPECT_EQ(piped.status(), StatusStopped);
    EXPECT_TRUE(messages.contains("Error|Can't find Pelvaner")) << messages.join('\n').toStdString();
}

TEST(RecorderSizes, BlocksAreWholeFramesAndBuffersWholeBlocks)
{
    EXPECT_EQ(BlockBytes(48000, 2), 19200);
    EXPECT_EQ(BlockBytes(11025, 3) % 6, 0);
    EXPECT_EQ(BlockBytes(5, 1), 2) << "under 10 Hz still one frame";
    EXPECT_EQ(PreTriggerBytes(19200, 48000, 2, 10), 100 * 19200);
    EXPECT_EQ(PreTriggerBytes(19200, 48000, 2, 0), 4 * 19200);
    // 4 channels at 192 kHz for an hour: past 32 bits, computed in 64.
    EXPECT_EQ(PreTriggerBytes(BlockBytes(192000, 4), 192000, 4, 3600), qint64(192000) * 8 * 3600);
}

TEST(RecorderLogicTest, UnusableStoredValuesTakeTheirDefaults)
{
    RECORDINGINFO r;
    r.nChannels = 0;
    r.SampleRate = 0;
    r.RecordInterval = 0;
    r.RecordDuration = -5;
    r.MaxSingle = 5000;
    EXPECT_EQ(RepairStoredRecording(r),
              (QStringList{"nChannels", "SampleRate", "RecordInterval", "RecordDuration", "MaxSingle"}));
    EXPECT_EQ(r, RECORDINGINFO{});
    EXPECT_TRUE(RepairStoredRecording(r).isEmpty());
}

TEST(RecorderLogicTest, DesiredModeAndUpdateTables)
{
    struct Row {
        Mode selected, current;
        bool inside;
        Mode desired;
    };
    const Row rows[] = {
        {ModeOff, ModeContinuous, false, ModeContinuous},
        {ModeOff, ModeContinuousBuffer, false, ModeContinuousBuffer},
        {ModeOff, ModeAutomatic, true, ModeOff},
        {ModeAutomatic, ModeOff, true, ModeContinuous},
        {ModeAutomatic, ModeAutomatic, false, ModeOff},
        {ModeAutomatic, ModeContinuous, false, ModeContinuous},
        {ModeContinuousBuffer, ModeOff, false, ModeContinuousBuffer},
    };
    for (const Row& r : rows)
        EXPECT_EQ(DesiredMode(r.selected, r.current, r.inside), r.desired) << r.selected << ' ' << r.current;

    struct Up {
        State state;
        Mode desired;
        bool buffer;
        Action action;
    };
    const Up ups[] = {
        {StateIdle, ModeOff, false, Action::Nothing},
        {StateIdle, ModeOff, true, Action::StartBuffer},
        {StateIdle, ModeContinuous, false, Action::StartRecord},
        {StateIdle, ModeContinuousBuffer, true, Action::StartRecordWithBuffer},
        {StateRecording, ModeOff, true, Action::StartBuffer},
        {StateRecording, ModeOff, false, Action::Stop},
        {StateRecording, ModeContinuous, false, Action::Nothing},
        {StateBuffering, ModeOff, false, Action::Stop},
        {StateBuffering, ModeOff, true, Action::Nothing},
        {StateBuffering, ModeContinuousBuffer, true, Action::StartRecordWithBuffer},
    };
    for (const Up& u : ups)
        EXPECT_EQ(UpdateAction(u.state, u.desired, u.buffer), u.action) << u.state << ' ' << u.desired;
}

TEST(RecorderLogicTest, CycleWindowLevelsAndStatusTexts)
{
    const CycleWindow in = CycleAt(10 * 3600 + 30 * 60 + 30, 15, 60);
    EXPECT_TRUE(in.inside);
    EXPECT_EQ(in.start, 10 * 3600 + 30 * 60);
    EXPECT_EQ(in.end, 10 * 3600 + 31 * 60);
    EXPECT_FALSE(CycleAt(10 * 3600 + 31 * 60, 15, 60).inside);
    EXPECT_NO_FATAL_FAILURE(CycleAt(100, 0, 5)) << "a stored interval of 0 divides nothing by zero";

    EXPECT_NEAR(LevelDb(32767, 16), 0, 0.01);
    EXPECT_EQ(LevelDb(0, 16), -60);
    EXPECT_EQ(LevelDb(1, 16), -60);
    EXPECT_NEAR(LevelDb(3277, 16), -20, 0.01);

    StatusInput s;
    EXPECT_EQ(StatusText(s).text, "No Recordings - Autorec Idle");
    s.deviceValid = false;
    s.deviceName = "Card";
    EXPECT_EQ(StatusText(s).text, "Card cannot be found on the system");
    EXPECT_TRUE(StatusText(s).alarm);
    s = {};
    s.mode = ModeContinuous;
    s.state = StateRecording;
    s.deviceStatus = 0;
    EXPECT_EQ(StatusText(s).text, " Input device failure");
    s.deviceStatus = 1;
    s.triggerActive = true;
    s.triggerReason = "Whistle";
    s.elapsedSeconds = 5;
    s.triggerStopText = "10:32:00";
    EXPECT_TRUE(StatusText(s).text.startsWith("Whistle, length: "));
    EXPECT_TRUE(StatusText(s).text.endsWith(" stop at 10:32:00"));
}

} // namespace
