// Recordings of a test camera and a test microphone into AVI files that
// GStreamer reads back: a held recording leads with the frames kept before
// its trigger, a pause leaves its frames out, files are numbered on from the
// highest number in the folder and renewed on request, refusals are
// reported; recorded clips play (seek, 2x, stepping, end of clip) and are
// reencoded into a new file of the same length without ever touching the
// source or an old destination that a failed job would have replaced.
#include "video/Ombrix.h"
#include "video/ProcessLog.h"
#include "video/SyncManager.h"
#include "video/TestDeviceProvider.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace velmar::video;

namespace {
constexpr int waitLimitMs = 15000;
constexpr qint64 second = 10000000; // 100-ns units

class Recording : public ::testing::Test {
protected:
    void SetUp() override
    {
        TRegistry2::DeleteSettingsKey();
        auto provider = std::make_unique<TestDeviceProvider>();
        provider->addVideoDevice("/dev/test0", "Test Camera", {{320, 240}});
        provider->addAudioDevice("/dev/testaudio0", "Test Microphone");
        SetDeviceProvider(std::move(provider));
        TSyncManager::ensure();
        m_component = std::make_unique<TOmbrix>();
        m_component->setVideoDevice(0);
        m_component->setAudioDevice(0);
        m_component->setStoragePath(m_dir.path());
        QObject::connect(m_component.get(), &TOmbrix::OnLog,
                         [this](int, const QString&, const QString& message) { m_messages << message; });
    }
    void TearDown() override
    {
        m_component.reset();
        TSyncManager::destroy();
    }

    template <typename F>
    bool runUntil(F condition, int limitMs = waitLimitMs)
    {
        return QTest::qWaitFor(condition, limitMs);
    }
    // Lets `frames` more frames of the camera pass.
    bool passFrames(qint64 frames)
    {
        const qint64 until = m_component->DeliveredFrames() + frames;
        return runUntil([&] { return m_component->DeliveredFrames() >= until; });
    }

    // A plain recording of about `frames` frames; its file.
    QString recordClip(qint64 frames, bool audio)
    {
        m_component->setAudioRecording(audio);
        QSignalSpy completed(m_component.get(), &TOmbrix::OnRecordingCompleted);
        if (!m_component->StartRecording() || !runUntil([&] { return m_component->RecordedFrames() >= frames; }))
            return {};
        m_component->StopRecording();
        return completed.size() == 1 && completed[0][1].toBool() ? completed[0][0].toString() : QString();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<TOmbrix> m_component;
    QStringList m_messages;
};
} // namespace

TEST_F(Recording, HeldRecordingLeadsWithTheFramesBeforeItsTrigger)
{
    const int rate = int(m_component->DeviceFrameRate());
    ASSERT_GT(rate, 0);
    m_component->setAudioRecording(true);
    m_component->setHoldRecording(true);
    m_component->setRecordingBacktimedFramesCount(2 * rate); // 2 s before the trigger
    QSignalSpy ready(m_component.get(), &TOmbrix::OnRecordingReadyToStart);
    QSignalSpy reached(m_component.get(), &TOmbrix::OnBacktimedFramesCountReached);
    QSignalSpy completed(m_component.get(), &TOmbrix::OnRecordingCompleted);
    ASSERT_TRUE(m_component->StartRecording()) << m_messages.join('\n').toStdString();
    EXPECT_EQ(ready.size(), 1);
    // Triggered after 3 s: only the last 2 s are kept.
    ASSERT_TRUE(runUntil([&] { return reached.size() == 1; }));
    ASSERT_TRUE(passFrames(rate));
    EXPECT_EQ(m_component->RecordedFrames(), 0);
    EXPECT_TRUE(QDir(m_dir.path()).entryList({"*.avi"}).isEmpty()) << "no file before the trigger";

    ASSERT_TRUE(m_component->ResumeRecording());
    EXPECT_TRUE(runUntil([&] { return m_component->RecordedFrames() >= 2 * rate - 2; }, 1000))
        << "the kept frames are written at once: " << m_component->RecordedFrames();
    ASSERT_TRUE(runUntil([&] { return m_component->RecordedFrames() >= 4 * rate; }));
    m_component->StopRecording();
    const qint64 written = m_component->RecordedFrames();

    ASSERT_EQ(completed.size(), 1);
    const QString file = completed[0][0].toString();
    EXPECT_TRUE(completed[0][1].toBool()) << m_messages.join('\n').toStdString();
    EXPECT_EQ(file, m_component->Last_Recording_FileName());
    EXPECT_EQ(reached.size(), 1);
    qint64 duration = 0, frames = 0;
    ASSERT_TRUE(TOmbrix::AVIDuration(file, duration, frames)) << file.toStdString();
    EXPECT_NEAR(double(frames), double(written), 2.0);
    EXPECT_NEAR(double(duration) / second, 4.0, 0.2) << "pre + post seconds";

    // Its sound plays at the speaker volume, muted on request.
    m_component->setSpeakerControl(true);
    m_component->setSpeakerVolume(16384);
    m_component->setPlayerFileName(file);
    ASSERT_TRUE(m_component->OpenPlayer());
    EXPECT_TRUE(m_component->IsPlayerAudioStreamAvailable());
    GstElement* volume = gst_bin_get_by_name(GST_BIN(m_component->Pipeline()), "Speaker Volume");
    ASSERT_NE(volume, nullptr);
    double level = 0.0;
    g_object_get(volume, "volume", &level, nullptr);
    EXPECT_NEAR(level, 0.25, 0.001);
    m_component->setMuteAudioRendering(true);
    g_object_get(volume, "volume", &level, nullptr);
    EXPECT_EQ(level, 0.0);
    gst_object_unref(volume);
}

TEST_F(Recording, AHeldRecordingStoppedBeforeItsTriggerLeavesNoFile)
{
    // The second recording that keeps frames tells again when it has them.
    for (int kept : {0, 15, 15}) {
        m_component->setHoldRecording(true);
        m_component->setRecordingBacktimedFramesCount(kept);
        QSignalSpy completed(m_component.get(), &TOmbrix::OnRecordingCompleted);
        QSignalSpy reached(m_component.get(), &TOmbrix::OnBacktimedFramesCountReached);
        ASSERT_TRUE(m_component->StartRecording()) << kept;
        ASSERT_TRUE(passFrames(20)) << kept;
        if (kept > 0)
            EXPECT_TRUE(runUntil([&] { return reached.size() == 1; })) << kept;
        else
            EXPECT_TRUE(reached.isEmpty());
        m_component->StopRecording();
        EXPECT_EQ(m_component->CurrentState(), cs_Down) << kept;
        ASSERT_EQ(completed.size(), 1) << kept;
        EXPECT_FALSE(completed[0][1].toBool()) << kept;
        EXPECT_TRUE(QDir(m_dir.path()).entryList(QDir::Files).isEmpty()) << kept;
    }
}

TEST_F(Recording, APauseLeavesItsFramesOutOfTheFile)
{
    m_component->setRecordingCanPause(true);
    QSignalSpy completed(m_component.get(), &TOmbrix::OnRecordingCompleted);
    ASSERT_TRUE(m_component->StartRecording());
    ASSERT_TRUE(runUntil([&] { return m_component->RecordedFrames() >= 30; }));
    ASSERT_TRUE(m_component->PauseRecording());
    EXPECT_TRUE(m_component->IsRecordingPaused());
    const qint64 atPause = m_component->RecordedFrames();
    ASSERT_TRUE(passFrames(30));
    EXPECT_LE(m_component->RecordedFrames(), atPause + 1);
    ASSERT_TRUE(m_component->ResumeRecording());
    ASSERT_TRUE(runUntil([&] { return m_component->RecordedFrames() >= atPause + 30; }));
    m_component->StopRecording();
    ASSERT_EQ(completed.size(), 1);
    qint64 duration = 0, frames = 0;
    ASSERT_TRUE(TOmbrix::AVIDuration(completed[0][0].toString(), duration, frames));
    EXPECT_NEAR(double(frames), double(m_component->RecordedFrames()), 2.0);
}

TEST_F(Recording, SoundLevelAndBalanceGoToTheRecordedStream)
{
    m_component->setAudioRecording(true);
    m_component->setAudioInputLevel(32768);
    m_component->setAudioInputBalance(-32768);
    ASSERT_TRUE(m_component->StartRecording());
    const auto property = [&](const char* element, const char* name) {
        GstElement* e = gst_bin_get_by_name(GST_BIN(m_component->Pipeline()), element);
        GValue value = G_VALUE_INIT;
        if (e) {
            g_object_get_property(G_OBJECT(e), name, &value);
            gst_object_unref(e);
        }
        const double d = G_VALUE_HOLDS_DOUBLE(&value) ? g_value_get_double(&value)
                       : G_VALUE_HOLDS_FLOAT(&value)  ? double(g_value_get_float(&value))
                                                      : -99.0;
        g_value_unset(&value);
        return d;
    };
    EXPECT_NEAR(property("Audio Volume", "volume"), 0.5, 0.001);
    EXPECT_NEAR(property("Audio Balance", "panorama"), -1.0, 0.001);
    m_component->setAudioInputBalance(32767);
    EXPECT_NEAR(property("Audio Balance", "panorama"), 1.0, 0.001) << "changed while recording";
    m_messages.clear();
    m_component->setAudioInputBalance(40000);
    EXPECT_EQ(m_messages, QStringList{"Audio Balance value out of range"});
    EXPECT_EQ(m_component->AudioInputBalance(), 32767);
    m_component->StopRecording();
}

TEST_F(Recording, RefusalsAreReported)
{
    struct Case {
        const char* legend;
        std::function<bool(TOmbrix&)> act;
        QString message;
    } cases[] = {
        {"resume while idle", [](TOmbrix& c) { return c.ResumeRecording(); }, "not recording"},
        {"pause while idle", [](TOmbrix& c) { return c.PauseRecording(); }, "not recording"},
        {"player without a file", [](TOmbrix& c) { return c.OpenPlayer(); }, "file name not specified"},
        {"stop reencoding while idle", [](TOmbrix& c) { return c.StopReencoding(); }, "not reencoding"},
        {"system ASF profiles, which Linux has not", [](TOmbrix& c) { return !c.ASFProfiles().isEmpty(); },
         "no ASF profiles available. Perhaps the Windows Media Encoder 9 is not installed."},
        {"a destination that cannot be written",
         [](TOmbrix& c) {
             c.setStoragePath("/proc");
             return c.StartRecording();
         },
         "StoragePath= /proc\r\nstorage set on read-only drive"},
    };
    for (const Case& c : cases) {
        m_messages.clear();
        EXPECT_FALSE(c.act(*m_component)) << c.legend;
        EXPECT_TRUE(m_messages.contains(c.message)) << c.legend << ": " << m_messages.join('|').toStdString();
        EXPECT_EQ(m_component->CurrentState(), cs_Down) << c.legend;
    }
    m_component->setStoragePath(m_dir.path());
    ASSERT_TRUE(m_component->StartRecording());
    m_messages.clear();
    EXPECT_FALSE(m_component->PauseRecording());
    EXPECT_EQ(m_messages, QStringList{"RecordingCanPause property disabled"});
    m_component->setPlayerFileName("clip.avi");
    EXPECT_FALSE(m_component->OpenPlayer());
    EXPECT_TRUE(m_messages.contains("first stop recording"));
}

TEST_F(Recording, FilesAreNumberedOnAndRenewedOnRequest)
{
    QFile(m_dir.filePath("om000007.avi")).open(QIODevice::WriteOnly);
    QSignalSpy started(m_component.get(), &TOmbrix::OnRecordingStarted);
    QSignalSpy completed(m_component.get(), &TOmbrix::OnRecordingCompleted);
    ASSERT_TRUE(m_component->StartRecording());
    ASSERT_TRUE(runUntil([&] { return m_component->RecordedFrames() >= 10; }));
    m_component->setRecordingFileName("RENEW");
    EXPECT_TRUE(m_component->RecordingFileName().isEmpty());
    ASSERT_TRUE(runUntil([&] { return m_component->RecordedFrames() >= 10; }));
    m_component->StopRecording();
    ASSERT_TRUE(runUntil([&] { return started.size() == 2; }));
    ASSERT_EQ(completed.size(), 2);
    EXPECT_EQ(completed[0][0].toString(), m_dir.filePath("om000008.avi"));
    EXPECT_EQ(completed[1][0].toString(), m_dir.filePath("om000009.avi"));
    for (const auto& c : completed) {
        qint64 duration = 0, frames = 0;
        EXPECT_TRUE(c[1].toBool());
        EXPECT_TRUE(TOmbrix::AVIDuration(c[0].toString(), duration, frames) && frames >= 10) << frames;
    }
}

TEST_F(Recording, ClipPlaysSeeksStepsAndEnds)
{
    const QString clip = recordClip(90, false);
    ASSERT_FALSE(clip.isEmpty()) << m_messages.join('\n').toStdString();
    QSignalSpy opened(m_component.get(), &TOmbrix::OnPlayerOpened);
    QSignalSpy ended(m_component.get(), &TOmbrix::OnPlayerEndOfStream);
    QSlider bar;
    m_component->setPlayerTrackBar(&bar);
    m_component->setPlayerFileName(clip);
    ASSERT_TRUE(m_component->OpenPlayer()) << m_messages.join('\n').toStdString();
    EXPECT_EQ(bar.minimum(), 1);
    EXPECT_EQ(bar.maximum(), m_component->PlayerFrameCount());
    bar.setValue(20); // moved while paused: the clip follows
    EXPECT_EQ(m_component->PlayerFramePosition(), 20);
    ASSERT_TRUE(runUntil([&] { return opened.size() == 1; }));
    EXPECT_TRUE(m_component->IsPlayerPaused());
    const double rate = m_component->PlayerFrameRate();
    EXPECT_NEAR(rate, m_component->DeviceFrameRate(), 0.5);
    EXPECT_NEAR(double(m_component->PlayerFrameCount()), 90.0, 3.0);
    EXPECT_EQ(m_component->Last_Clip_Played(), clip);

    m_component->SetPlayerFramePosition(10);
    EXPECT_EQ(m_component->PlayerFramePosition(), 10);
    m_component->SetPlayerFramePosition(0);
    EXPECT_EQ(m_component->PlayerTimePosition(), 0);

    // Twice the speed: half a second of playing moves about a second.
    m_component->setPlayerSpeedRatio(2.0);
    m_component->RunPlayer();
    EXPECT_TRUE(m_component->IsPlayerPlaying());
    QElapsedTimer clock;
    clock.start();
    runUntil([&] { return clock.elapsed() >= 500; });
    m_component->PausePlayer();
    EXPECT_NEAR(double(m_component->PlayerTimePosition()) / second, 2.0 * clock.elapsed() / 1000.0, 0.35);
    EXPECT_NEAR(bar.value(), m_component->PlayerFramePosition(), 2) << "the bar follows the frames played";

    // Stepping forwards fast, then backwards.
    const qint64 before = m_component->PlayerTimePosition();
    m_component->FastForwardPlayer();
    EXPECT_TRUE(m_component->IsPlayerPlaying());
    runUntil([&] { return m_component->PlayerTimePosition() > before + second / 2; }, 3000);
    EXPECT_GT(m_component->PlayerTimePosition(), before + second / 2);
    const qint64 forwards = m_component->PlayerTimePosition();
    m_component->RunPlayerBackwards();
    runUntil([&] { return m_component->PlayerTimePosition() < forwards - second / 4; }, 3000);
    EXPECT_LT(m_component->PlayerTimePosition(), forwards - second / 4);

    m_component->PausePlayer();
    m_component->setPlayerSpeedRatio(1.0);
    m_component->RunPlayer();
    ASSERT_TRUE(runUntil([&] { return ended.size() == 1; }));
    // At the end it plays again from the start.
    m_component->RunPlayer();
    EXPECT_LT(m_component->PlayerTimePosition(), second / 2);
    m_component->ClosePlayer();
    EXPECT_EQ(m_component->CurrentState(), cs_Down);
    EXPECT_EQ(bar.value(), bar.minimum()) << "back to the start";
}

TEST_F(Recording, ReencodingWritesANewClipOfTheSameLength)
{
    const QString clip = recordClip(60, true);
    ASSERT_FALSE(clip.isEmpty()) << m_messages.join('\n').toStdString();
    const QString copy = m_dir.filePath("copies/clip.avi");
    QDir().mkpath(m_dir.filePath("copies"));
    {
        QFile old(copy);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old destination");
    }
    QSignalSpy done(m_component.get(), &TOmbrix::OnReencodingCompleted);
    ASSERT_TRUE(m_component->ReencodeVideoClip(clip, copy, true, true, false, false, false))
        << m_messages.join('\n').toStdString();
    EXPECT_EQ(m_component->CurrentState(), cs_Reencoding);
    ASSERT_TRUE(runUntil([&] { return done.size() == 1; }));
    EXPECT_TRUE(done[0][2].toBool()) << m_messages.join('\n').toStdString();
    qint64 d0 = 0, n0 = 0, d1 = 0, n1 = 0;
    ASSERT_TRUE(TOmbrix::AVIDuration(clip, d0, n0));
    ASSERT_TRUE(TOmbrix::AVIDuration(copy, d1, n1));
    EXPECT_EQ(n1, n0);
    EXPECT_NEAR(double(d1), double(d0), double(second) / 10);
    EXPECT_EQ(QDir(m_dir.filePath("copies")).entryList(QDir::Files | QDir::Hidden), QStringList{"clip.avi"})
        << "no temporary file left";

    // A part of the clip, through the published settings, into a .wmv name.
    TOmbrix::TReencodingSettings& job = m_component->Reencoding();
    job.SourceVideoClip = clip;
    job.NewVideoClip = m_dir.filePath("copies/part.avi");
    job.StartTime = second;
    job.StopTime = 3 * second;
    job.WMVOutput = true;
    ASSERT_TRUE(m_component->StartReencoding()) << m_messages.join('\n').toStdString();
    ASSERT_TRUE(runUntil([&] { return done.size() == 2; }));
    EXPECT_TRUE(done[1][2].toBool());
    EXPECT_EQ(done[1][1].toString(), m_dir.filePath("copies/part.wmv"));
    qint64 d2 = 0, n2 = 0;
    ASSERT_TRUE(TOmbrix::AVIDuration(m_dir.filePath("copies/part.wmv"), d2, n2));
    EXPECT_NEAR(double(d2) / second, 2.0, 0.2);

    // The whole clip into a Windows Media file.
    job.Method = rm_ASF;
    job.StartTime = job.StopTime = -1;
    ASSERT_TRUE(m_component->StartReencoding()) << m_messages.join('\n').toStdString();
    ASSERT_TRUE(runUntil([&] { return done.size() == 3; }));
    EXPECT_TRUE(done[2][2].toBool()) << m_messages.join('\n').toStdString();
    QFile asf(done[2][1].toString());
    ASSERT_TRUE(asf.open(QIODevice::ReadOnly));
    EXPECT_EQ(asf.read(16).toHex(), "3026b2758e66cf11a6d900aa0062ce6c") << "the ASF header object";
}

TEST_F(Recording, AFailedReencodingTouchesNeitherSourceNorOldDestination)
{
    const QString source = m_dir.filePath("not-a-clip.avi");
    const QString old = m_dir.filePath("old.avi");
    for (const QString& f : {source, old}) {
        QFile file(f);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(f.toUtf8());
    }
    struct Case {
        const char* legend;
        QString source, destination, message;
    } cases[] = {
        {"onto itself by another path", source, m_dir.path() + "/./not-a-clip.avi",
         "source and destination files must not be identical"},
        {"a source that is no clip", source, old, "source not found or not suitable: " + source},
    };
    for (const Case& c : cases) {
        m_messages.clear();
        EXPECT_FALSE(m_component->ReencodeVideoClip(c.source, c.destination, true, true, false, false, false))
            << c.legend;
        EXPECT_TRUE(m_messages.contains(c.message)) << c.legend << ": " << m_messages.join('|').toStdString();
        for (const QString& f : {source, old}) {
            QFile file(f);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.legend;
            EXPECT_EQ(file.readAll(), f.toUtf8()) << c.legend;
        }
    }
}

TEST_F(Recording, AsfRecordingTakesSizeAndBitRateFromItsProfile)
{
    const QString profile = m_dir.filePath("small.prx");
    {
        QFile f(profile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(R"(<profile version="589824" name="small">
  <streamconfig majortype="{73646976-0000-0010-8000-00AA00389B71}" streamnumber="1" streamname="Video Stream">
    <wmmediatype subtype="{33564D57-0000-0010-8000-00AA00389B71}">
      <videoinfoheader dwbitrate="300000"><bitmapinfoheader biwidth="160" biheight="120"/></videoinfoheader>
    </wmmediatype>
  </streamconfig>
  <streamconfig majortype="{73647561-0000-0010-8000-00AA00389B71}" streamnumber="2" streamname="Audio Stream" bitrate="64000">
    <wmmediatype><waveformatex nchannels="2"/></wmmediatype>
  </streamconfig>
</profile>)");
    }
    m_component->setRecordingMethod(rm_ASF);
    m_component->setASFProfileFromCustomFile(profile);
    m_component->setAudioRecording(true);
    QSignalSpy completed(m_component.get(), &TOmbrix::OnRecordingCompleted);
    ASSERT_TRUE(m_component->StartRecording()) << m_messages.join('\n').toStdString();
    ASSERT_TRUE(runUntil([&] { return m_component->RecordedFrames() >= 15; }));
    GstElement* size = gst_bin_get_by_name(GST_BIN(m_component->Pipeline()), "Recording Size");
    ASSERT_NE(size, nullptr);
    GstPad* out = gst_element_get_static_pad(size, "src");
    GstCaps* caps = gst_pad_get_current_caps(out);
    ASSERT_NE(caps, nullptr);
    int width = 0, height = 0;
    gst_structure_get_int(gst_caps_get_structure(caps, 0), "width", &width);
    gst_structure_get_int(gst_caps_get_structure(caps, 0), "height", &height);
    EXPECT_EQ(QSize(width, height), QSize(160, 120));
    gst_caps_unref(caps);
    gst_object_unref(out);
    gst_object_unref(size);
    m_component->StopRecording();

    ASSERT_EQ(completed.size(), 1);
    EXPECT_TRUE(completed[0][1].toBool()) << m_messages.join('\n').toStdString();
    const QString file = completed[0][0].toString();
    EXPECT_TRUE(file.endsWith(".asf")) << file.toStdString();
    QFile asf(file);
    ASSERT_TRUE(asf.open(QIODevice::ReadOnly));
    EXPECT_EQ(asf.read(16).toHex(), "3026b2758e66cf11a6d900aa0062ce6c") << "the ASF header object";
    EXPECT_TRUE(m_messages.contains("using ASF profile: \"small.prx\"")) << m_messages.join('|').toStdString();
    const QByteArray audioMedia = QByteArray::fromHex("409e69f84d5bcf11a8fd00805f5c442b");
    EXPECT_TRUE(asf.readAll().contains(audioMedia)) << "an audio stream";
}

TEST_F(Recording, MultiplexedSlaveShowsTheFramesOfItsInput)
{
    TOmbrix slave;
    slave.setMultiplexedRole(mr_MultiplexedSlave);
    m_component->setMultiplexedRole(mr_MultiplexedMaster);
    m_component->setMultiplexedSlaveID(1, m_component->UniqueID()); // itself: links nothing
    m_messages.clear();
    QObject::connect(&slave, &TOmbrix::OnLog, [this](int, const QString&, const QString& m) { m_messages << m; });
    EXPECT_FALSE(slave.StartPreview());
    EXPECT_TRUE(m_messages.contains("the multiplexed master must run first")) << m_messages.join('|').toStdString();

    // The test camera's frames begin with a byte above 3: input 0, slave 1.
    m_component->setMultiplexedSlaveID(1, slave.UniqueID());
    ASSERT_TRUE(m_component->StartPreview());
    ASSERT_TRUE(passFrames(5));
    ASSERT_TRUE(slave.StartPreview()) << m_messages.join('|').toStdString();
    EXPECT_TRUE(runUntil([&] { return slave.DeliveredFrames() > 5; }));
    m_component->StopPreview();
    EXPECT_TRUE(runUntil([&] { return slave.CurrentState() == cs_Down; })) << "the slave ends with its master";
}

namespace {
int compressorIndex(const char* factory)
{
    TDevices* compressors = VideoCompressorCatalogue();
    for (int i = 0; compressors && i < compressors->count(); ++i)
        if (compressors->entry(i)->classId == QLatin1String(factory))
            return i;
    return -1;
}
} // namespace

TEST_F(Recording, CompressorSettingsAreKeptPerCompressorAndRecordingsUseThem)
{
    struct Caps {
        const char* factory;
        bool quality, crunch, keyFrame, pFrames;
    } encoders[] = {
        {"jpegenc", true, false, false, false},
        {"avenc_mpeg4", false, true, true, true},
    };
    int dataRate, keyFrames, pFrames, window;
    double quality;
    bool canQuality, canCrunch, canKeyFrame, canPFrames, canWindow;
    const auto get = [&] {
        return m_component->GetVideoCompressionSettings(dataRate, keyFrames, pFrames, window, quality, canQuality,
                                                        canCrunch, canKeyFrame, canPFrames, canWindow);
    };
    for (const Caps& e : encoders) {
        const int index = compressorIndex(e.factory);
        if (index < 0) {
            ADD_FAILURE() << e.factory << " is not installed";
            continue;
        }
        m_component->setVideoCompressor(index);
        ASSERT_TRUE(get()) << e.factory << ": " << m_messages.join('|').toStdString();
        EXPECT_EQ(canQuality, e.quality) << e.factory;
        EXPECT_EQ(canCrunch, e.crunch) << e.factory;
        EXPECT_EQ(canKeyFrame, e.keyFrame) << e.factory;
        EXPECT_EQ(canPFrames, e.pFrames) << e.factory;
        EXPECT_FALSE(canWindow) << e.factory;
        EXPECT_EQ(dataRate, e.crunch ? 3 : -1) << e.factory;
        EXPECT_EQ(window, -1) << e.factory;
    }

    // Only what the compressor can change is stored, as it took it.
    const int jpeg = compressorIndex("jpegenc");
    ASSERT_GE(jpeg, 0);
    m_component->setVideoCompressor(jpeg);
    ASSERT_TRUE(get());
    EXPECT_DOUBLE_EQ(quality, 0.85) << "the encoder's own default";
    EXPECT_EQ(keyFrames, -1);
    ASSERT_TRUE(m_component->SetVideoCompressionSettings(1000, 30, 2, 99, 0.5));
    TRegistry2 reg;
    ASSERT_TRUE(reg.openKey(TRegistry2::deviceKeyPath(VideoCompressorCatalogue()->deviceRegistryKey(jpeg)), false));
    QStringList stored = reg.valueNames();
    stored.sort();
    EXPECT_EQ(stored, (QStringList{"AMCompression_Quality", "AMCompression_Saved"}));
    ASSERT_TRUE(get());
    EXPECT_DOUBLE_EQ(quality, 0.5);
    ASSERT_TRUE(m_component->SetVideoCompressionDefaults());
    ASSERT_TRUE(get());
    EXPECT_DOUBLE_EQ(quality, 0.85);

    // Nothing may run meanwhile.
    ASSERT_TRUE(m_component->StartPreview());
    m_messages.clear();
    EXPECT_FALSE(get());
    EXPECT_FALSE(canQuality || canCrunch || canKeyFrame || canPFrames || canWindow);
    EXPECT_TRUE(m_messages.contains("first stop preview")) << m_messages.join('|').toStdString();
    EXPECT_FALSE(m_component->SetVideoCompressionSettings(0, 0, 0, 0, 0.1));
    m_component->StopAll();

    // A recording compressing on the fly gives the compressor its values.
    m_component->setCompressionMode(cm_CompressOnTheFly);
    QSignalSpy told(m_component.get(), &TOmbrix::OnVideoCompressionSettings);
    qint64 sizes[2] = {};
    const double qualities[2] = {0.05, 1.0};
    for (int i = 0; i < 2; ++i) {
        m_component->setVideoCompression_Quality(qualities[i]);
        const QString clip = recordClip(10, false);
        ASSERT_FALSE(clip.isEmpty()) << m_messages.join('|').toStdString();
        sizes[i] = QFileInfo(clip).size();
    }
    ASSERT_EQ(told.size(), 2);
    EXPECT_TRUE(told[0][2].toBool()) << "can quality";
    EXPECT_FALSE(told[0][0].toBool()) << "no key frames in Motion JPEG";
    EXPECT_DOUBLE_EQ(told[0][6].toDouble(), 0.85);
    EXPECT_GT(sizes[1], 2 * sizes[0]) << "quality 1.0 gives much bigger frames than 0.05";

    // Without a value of its own the recording takes the one stored for the compressor.
    ASSERT_TRUE(m_component->SetVideoCompressionSettings(0, 0, 0, 0, 0.05));
    m_component->setVideoCompression_Quality(-1.0);
    const QString clip = recordClip(10, false);
    ASSERT_FALSE(clip.isEmpty()) << m_messages.join('|').toStdString();
    EXPECT_LT(QFileInfo(clip).size(), 2 * sizes[0]) << "stored quality 0.05";
}
