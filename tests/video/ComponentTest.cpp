// The video component on GStreamer with test devices: discovery, preview into
// a sink, hot-plug, stored settings across a restart, errors, and repeated
// starts without leaks.
#include "video/CaptureGraph.h"
#include "video/DeviceSettings.h"
#include "video/FileOps.h"
#include "video/Ombrix.h"
#include "video/ProcessLog.h"
#include "video/SyncManager.h"
#include "video/TestDeviceProvider.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

#include <gst/gst.h>

using namespace velmar::video;

namespace {
constexpr int waitLimitMs = 10000;

int threadsNamed(const QByteArray& name)
{
    int n = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& t : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(t + "/comm"));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name)
            ++n;
    }
    return n;
}

int threadCount()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

class Component : public ::testing::Test {
protected:
    void SetUp() override
    {
        TRegistry2::DeleteSettingsKey();
        auto provider = std::make_unique<TestDeviceProvider>();
        m_provider = provider.get();
        m_provider->addVideoDevice("/dev/test0", "Test Camera", {{320, 240}, {640, 480}});
        m_provider->addAudioDevice("test-audio-0", "Test Microphone");
        SetDeviceProvider(std::move(provider));
        m_manager = TSyncManager::ensure();
        m_manager->setClock([this] { return m_now; });
    }
    void TearDown() override { TSyncManager::destroy(); }

    // Runs the component's worker and the event loop until the condition
    // holds; frames arrive from GStreamer's streaming threads.
    template <typename F>
    bool runUntil(TOmbrix& c, F condition)
    {
        QElapsedTimer limit;
        limit.start();
        while (!condition()) {
            if (limit.elapsed() > waitLimitMs)
                return false;
            c.TaskStep();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return true;
    }

    // Lets the debounce pass and visits every component once.
    void settleDeviceChange()
    {
        m_now += TSyncManager::deviceChangeDelayMs;
        for (int i = 0; i <= m_manager->instances().size() + 1; ++i)
            m_manager->tick();
    }

    TestDeviceProvider* m_provider = nullptr;
    TSyncManager* m_manager = nullptr;
    qint64 m_now = 1000;
};
} // namespace

TEST_F(Component, DiscoversDevicesWithTheirSizes)
{
    EXPECT_EQ(VideoDevices(), "Test Camera (WDM)");
    EXPECT_EQ(AudioDevices(), "Test Microphone (WDM)");
    EXPECT_TRUE(IsVideoDeviceConnected(0));
    EXPECT_FALSE(IsVideoDeviceConnected(1));

    TOmbrix c;
    QSignalSpy logs(&c, &TOmbrix::OnLog);
    QSignalSpy selected(&c, &TOmbrix::OnVideoDeviceSelected);
    c.setVideoDevice(0);
    ASSERT_TRUE(c.BindVideoDevice());
    EXPECT_EQ(c.VideoSizes(), "default\n320x240\n640x480");
    EXPECT_EQ(c.VideoSubtypes(), "default\nI420");
    EXPECT_EQ(selected.count(), 1);
    ASSERT_FALSE(logs.isEmpty());
    EXPECT_TRUE(logs.first().at(2).toString().startsWith("one-time video device discovery:"));
}

TEST_F(Component, PreviewsIntoASinkAndStops)
{
    const int elementsBefore = CaptureGraph::liveElements();
    TOmbrix c;
    c.setVideoDevice(0);
    c.setVideoSize(2); // 640x480
    QSignalSpy started(&c, &TOmbrix::OnPreviewStarted);
    QSignalSpy progress(&c, &TOmbrix::OnFrameProgress);
    QSignalSpy inactive(&c, &TOmbrix::OnInactive);
    EXPECT_TRUE(c.StartPreview());
    EXPECT_EQ(c.CurrentState(), cs_Preview);
    EXPECT_TRUE(c.CurrentSourceCaps().contains("width=640,height=480,framerate=15/1"))
        << c.CurrentSourceCaps().toStdString();
    ASSERT_TRUE(runUntil(c, [&] { return c.FrameCount() >= 3 && !progress.isEmpty(); }));
    EXPECT_EQ(started.count(), 1);
    EXPECT_EQ(c.GraphState(), gs_Active);

    EXPECT_TRUE(c.StopPreview());
    ASSERT_TRUE(runUntil(c, [&] { return c.CurrentState() == cs_Down; }));
    EXPECT_EQ(inactive.count(), 1);
    EXPECT_EQ(c.Pipeline(), nullptr);
    EXPECT_TRUE(runUntil(c, [&] { return CaptureGraph::liveElements() == elementsBefore; }));
    EXPECT_FALSE(c.StopPreview()) << "not previewing";
}

TEST_F(Component, StartStopRestartFiftyTimesLeaksNothing)
{
    TOmbrix c;
    c.setVideoDevice(0);
    const auto cycle = [&] {
        ASSERT_TRUE(c.StartPreview());
        const qint64 frames = c.FrameCount();
        ASSERT_TRUE(runUntil(c, [&] { return c.FrameCount() > frames; }));
        c.StopPreview();
        ASSERT_TRUE(runUntil(c, [&] { return c.CurrentState() == cs_Down; }));
    };
    for (int i = 0; i < 3; ++i)
        cycle();
    ASSERT_TRUE(runUntil(c, [&] { return CaptureGraph::liveElements() == 0; }));
    const int threads = threadCount();
    for (int i = 0; i < 50; ++i) {
        cycle();
        if (i % 2 == 0) {
            // A restart straight from a running preview.
            ASSERT_TRUE(c.StartPreview());
            ASSERT_TRUE(c.StartPreview() || c.CurrentState() == cs_Preview);
            c.StopPreview();
            ASSERT_TRUE(runUntil(c, [&] { return c.CurrentState() == cs_Down; }));
        }
    }
    // The last references go when GStreamer's threads let go of them.
    EXPECT_TRUE(runUntil(c, [&] { return CaptureGraph::liveElements() == 0; })) << CaptureGraph::liveElements();
    // GStreamer's pools keep a few idle threads for a while (more on a busy
    // machine); a leak would add one or more per start, fifty at least.
    EXPECT_LE(threadCount(), threads + 4);
}

TEST_F(Component, DeviceRemovedWhilePreviewingIsLostOnce)
{
    TOmbrix c;
    c.setVideoDevice(0);
    QSignalSpy lost(&c, &TOmbrix::OnDeviceLost);
    QSignalSpy changes(&c, &TOmbrix::OnDeviceArrivalOrRemoval);
    QSignalSpy inactive(&c, &TOmbrix::OnInactive);
    ASSERT_TRUE(c.StartPreview());
    ASSERT_TRUE(runUntil(c, [&] { return c.FrameCount() > 0; }));

    m_provider->removeDevice("/dev/test0");
    ASSERT_TRUE(runUntil(c, [&] { return lost.count() == 1; }));
    EXPECT_EQ(c.CurrentState(), cs_Down);
    EXPECT_EQ(c.Pipeline(), nullptr);
    EXPECT_TRUE(c.IsDeviceLost());
    EXPECT_EQ(inactive.count(), 1);

    // Nothing happens before the quiet time has passed.
    m_now += TSyncManager::deviceChangeDelayMs - 1;
    m_manager->tick();
    m_manager->tick();
    EXPECT_TRUE(changes.isEmpty());
    settleDeviceChange();
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.first(), (QList<QVariant>{false, true, "Test Camera (WDM)", 0}));
    for (int i = 0; i < 10; ++i)
        c.TaskStep();
    EXPECT_EQ(lost.count(), 1) << "the removal and the graph's error are one loss";
    EXPECT_FALSE(IsVideoDeviceConnected(0));

    // Plugged in again: the same index, and the preview starts again.
    m_provider->addVideoDevice("/dev/test0", "Test Camera", {{320, 240}, {640, 480}});
    settleDeviceChange();
    ASSERT_EQ(changes.count(), 2);
    EXPECT_EQ(changes.last(), (QList<QVariant>{true, true, "Test Camera (WDM)", 0}));
    EXPECT_EQ(VideoDevicesCount(), 1);
    ASSERT_TRUE(c.StartPreview());
    ASSERT_TRUE(runUntil(c, [&] { return c.FrameCount() > 0; }));
    EXPECT_FALSE(c.IsDeviceLost());
}

TEST_F(Component, ArrivalsAndRemovalsAreDebounced)
{
    TOmbrix c;
    QSignalSpy changes(&c, &TOmbrix::OnDeviceArrivalOrRemoval);
    // Three notices 500 ms apart give one rebuild, 2 s after the last.
    m_provider->addVideoDevice("/dev/test1", "Second Camera", {{160, 120}});
    m_now += 500;
    m_provider->addAudioDevice("test-audio-1", "Second Microphone");
    m_now += 500;
    m_provider->removeDevice("test-audio-0");
    m_now += TSyncManager::deviceChangeDelayMs - 1;
    for (int i = 0; i < 4; ++i)
        m_manager->tick();
    EXPECT_TRUE(changes.isEmpty());
    m_now += 1;
    for (int i = 0; i < 4; ++i)
        m_manager->tick();
    ASSERT_EQ(changes.count(), 3);
    EXPECT_EQ(changes.at(0), (QList<QVariant>{true, true, "Second Camera (WDM)", 1}));
    EXPECT_EQ(changes.at(1), (QList<QVariant>{false, false, "Test Microphone (WDM)", 0}));
    EXPECT_EQ(changes.at(2), (QList<QVariant>{true, false, "Second Microphone (WDM)", 1}));
    EXPECT_EQ(m_manager->deviceChangeState(), 0);
}

TEST_F(Component, DeviceSettingsSurviveARestartOfTheComponent)
{
    {
        TOmbrix c;
        c.setVideoDevice(0);
        c.setAudioDevice(0);
        ASSERT_TRUE(c.BindVideoDevice());
        ASSERT_TRUE(c.BindAudioDevice());
        c.setVideoSize(2);
        c.setVideoSubtype(1);
    }
    TSyncManager::destroy();
    auto provider = std::make_unique<TestDeviceProvider>();
    provider->addVideoDevice("/dev/test0", "Test Camera", {{320, 240}, {640, 480}});
    SetDeviceProvider(std::move(provider));
    m_manager = TSyncManager::ensure();

    TOmbrix c;
    QSignalSpy logs(&c, &TOmbrix::OnLog);
    c.setVideoDevice(0);
    ASSERT_TRUE(c.BindVideoDevice());
    EXPECT_EQ(c.VideoSize(), 2);
    EXPECT_EQ(c.VideoSubtype(), 1);
    EXPECT_EQ(c.VideoSizes(), "default\n320x240\n640x480");
    for (const QList<QVariant>& l : logs)
        EXPECT_FALSE(l.at(2).toString().startsWith("one-time")) << "formats come from the stored settings";
}

TEST_F(Component, AudioDeviceFollowsItsCamera)
{
    {
        TOmbrix c;
        // Device changes are handled on a component's tick.
        m_provider->addAudioDevice("test-audio-1", "Camera Microphone");
        settleDeviceChange();
        c.setAssociateAudioAndVideoDevices(true);
        c.setVideoDevice(0);
        ASSERT_TRUE(c.BindVideoDevice());
        c.setAudioDevice(1);
        ASSERT_TRUE(c.BindAudioDevice());
    }
    TOmbrix c;
    c.setAssociateAudioAndVideoDevices(true);
    QSignalSpy audioSelected(&c, &TOmbrix::OnAudioDeviceSelected);
    c.setVideoDevice(0);
    ASSERT_TRUE(c.BindVideoDevice());
    EXPECT_EQ(c.AudioDevice(), 1);
    EXPECT_EQ(audioSelected.count(), 1);

    // Not installed now: the audio choice stays as it is.
    m_provider->removeDevice("test-audio-1");
    settleDeviceChange();
    TSyncManager::destroy();
    auto provider = std::make_unique<TestDeviceProvider>();
    provider->addVideoDevice("/dev/test0", "Test Camera", {{320, 240}});
    provider->addAudioDevice("test-audio-0", "Test Microphone");
    SetDeviceProvider(std::move(provider));
    m_manager = TSyncManager::ensure();
    TOmbrix d;
    d.setAssociateAudioAndVideoDevices(true);
    d.setAudioDevice(0);
    d.setVideoDevice(0);
    ASSERT_TRUE(d.BindVideoDevice());
    EXPECT_EQ(d.AudioDevice(), 0);
}

TEST_F(Component, RenderedAudioGoesWithThePreview)
{
    TOmbrix c;
    c.setVideoDevice(0);
    c.setAudioDevice(0);
    c.setAudioDeviceRendering(true);
    ASSERT_TRUE(c.StartPreview());
    GstElement* renderer = gst_bin_get_by_name(GST_BIN(c.Pipeline()), "Audio Renderer");
    EXPECT_NE(renderer, nullptr);
    if (renderer)
        gst_object_unref(renderer);
    ASSERT_TRUE(runUntil(c, [&] { return c.FrameCount() > 2; }));
    EXPECT_EQ(c.CurrentState(), cs_Preview);

    // Without any audio device the preview goes on after a warning.
    c.StopPreview();
    m_provider->removeDevice("test-audio-0");
    settleDeviceChange();
    TSyncManager::destroy();
    auto provider = std::make_unique<TestDeviceProvider>();
    provider->addVideoDevice("/dev/test0", "Test Camera", {{320, 240}});
    SetDeviceProvider(std::move(provider));
    m_manager = TSyncManager::ensure();
    TOmbrix d;
    QSignalSpy logs(&d, &TOmbrix::OnLog);
    d.setVideoDevice(0);
    d.setAudioDeviceRendering(true);
    ASSERT_TRUE(d.StartPreview());
    bool warned = false;
    for (const QList<QVariant>& l : logs)
        warned = warned || (l.at(2) == "no audio device found" && l.at(1) == "WARNING");
    EXPECT_TRUE(warned);
    ASSERT_TRUE(runUntil(d, [&] { return d.FrameCount() > 0; }));
}

TEST_F(Component, StoredFormatListsAreReadOrDiscoveredAgain)
{
    const QString key = TRegistry2::deviceKeyPath("devtest0Test Camera");
    {
        // Sizes without formats: the device is discovered again.
        TRegistry2 reg;
        reg.openKey(key, true);
        for (int n = 0; n < 5; ++n)
            reg.writeString(QString("FMT%1").arg(n, 3, 10, QChar('0')), QString(" %1x100").arg(100 + n));
        reg.sync();
    }
    {
        TOmbrix c;
        QSignalSpy logs(&c, &TOmbrix::OnLog);
        c.setVideoDevice(0);
        ASSERT_TRUE(c.BindVideoDevice());
        EXPECT_EQ(c.VideoSizes(), "default\n320x240\n640x480");
        ASSERT_FALSE(logs.isEmpty());
        EXPECT_TRUE(logs.first().at(2).toString().startsWith("one-time video device discovery:"));
    }
    TRegistry2 reg;
    reg.openKey(key, false);
    EXPECT_FALSE(reg.valueExists("FMT003")) << "the longer old list is gone";
    // An empty value is passed over and reading goes on.
    reg.writeString("FMT001", "");
    reg.sync();
    TOmbrix c;
    c.setVideoDevice(0);
    ASSERT_TRUE(c.BindVideoDevice());
    EXPECT_EQ(c.VideoSizes(), "default\n640x480");
}

TEST_F(Component, AbortingGraphErrorStopsAndIsReported)
{
    TOmbrix c;
    c.setVideoDevice(0);
    QSignalSpy logs(&c, &TOmbrix::OnLog);
    QSignalSpy inactive(&c, &TOmbrix::OnInactive);
    ASSERT_TRUE(c.StartPreview());
    ASSERT_TRUE(runUntil(c, [&] { return c.FrameCount() > 0; }));
    GstElement* sink = gst_bin_get_by_name(GST_BIN(c.Pipeline()), "Frame Grabber");
    ASSERT_NE(sink, nullptr);
    GError* error = g_error_new_literal(GST_STREAM_ERROR, GST_STREAM_ERROR_FAILED, "broken stream");
    gst_element_post_message(sink, gst_message_new_error(GST_OBJECT(sink), error, nullptr));
    g_error_free(error);
    gst_object_unref(sink);
    ASSERT_TRUE(runUntil(c, [&] { return c.CurrentState() == cs_Down; }));
    EXPECT_EQ(inactive.count(), 1);
    bool reported = false;
    for (const QList<QVariant>& l : logs)
        reported = reported || (l.at(0).toInt() == e_graph_error && l.at(1) == "ERROR");
    EXPECT_TRUE(reported);
    EXPECT_FALSE(c.IsDeviceLost());
}

TEST_F(Component, FailedRecordingNeverLooksAlive)
{
    TOmbrix c;
    c.setVideoDevice(0);
    c.setStoragePath("/proc"); // no file can be made there
    QSignalSpy logs(&c, &TOmbrix::OnLog);
    QSignalSpy started(&c, &TOmbrix::OnRecordingStarted);
    EXPECT_FALSE(c.StartRecording());
    EXPECT_EQ(c.CurrentState(), cs_Down);
    EXPECT_EQ(c.Pipeline(), nullptr);
    EXPECT_EQ(started.count(), 0);
    ASSERT_FALSE(logs.isEmpty());
    EXPECT_EQ(logs.last().at(2).toString(), "failed to start Recording");
}

TEST_F(Component, EventsAreDispatchedByKind)
{
    TOmbrix c;
    int previews = 0, recordings = 0;
    // One handler shared by both events, as a host may do.
    const auto shared = [&](bool isPreview) { isPreview ? ++previews : ++recordings; };
    QObject::connect(&c, &TOmbrix::OnPreviewStarted, &c, [&] { shared(true); });
    QObject::connect(&c, &TOmbrix::OnRecordingStarted, &c, [&] { shared(false); });
    c.QueueEventNotification(TEventKind::PreviewStarted);
    c.QueueEventNotification(TEventKind::RecordingStarted);
    c.QueueEventNotification(TEventKind::PreviewStarted);
    EXPECT_EQ(previews + recordings, 0) << "queued, not delivered on the caller's stack";
    for (int i = 0; i < 3; ++i)
        c.TaskStep();
    EXPECT_EQ(previews, 2);
    EXPECT_EQ(recordings, 1);
    c.setEventNotificationSynchrone(true);
    c.QueueEventNotification(TEventKind::PreviewStarted);
    EXPECT_EQ(previews, 3);
}

TEST_F(Component, StartChecksAndMissingDevices)
{
    TOmbrix c;
    QSignalSpy logs(&c, &TOmbrix::OnLog);
    EXPECT_FALSE(c.StartPreview());
    ASSERT_EQ(logs.count(), 1);
    EXPECT_EQ(logs.first().at(2).toString(), "no video device selected");
    EXPECT_FALSE(c.RestartGraph(3));
    EXPECT_EQ(logs.count(), 1);

    m_provider->removeDevice("/dev/test0");
    m_provider->removeDevice("test-audio-0");
    settleDeviceChange();
    c.setVideoDevice(0);
    ASSERT_TRUE(c.StartPreview() == false);
    EXPECT_EQ(c.CurrentState(), cs_Down);
}

TEST_F(Component, WithoutAnyCameraTheStartSaysSo)
{
    TSyncManager::destroy();
    SetDeviceProvider(std::make_unique<TestDeviceProvider>());
    m_manager = TSyncManager::ensure();
    TLog::instance().enable();
    TOmbrix c;
    QSignalSpy logs(&c, &TOmbrix::OnLog);
    QSignalSpy none(&c, &TOmbrix::OnNoVideoDevices);
    c.ReportResult(false, 0, "a trace", e_trace_log);
    EXPECT_TRUE(logs.isEmpty()) << "a trace goes to the process log only";
    EXPECT_FALSE(c.BindVideoDevice());
    EXPECT_EQ(none.count(), 1);
    const int linesBefore = int(TLog::instance().lines().size());
    EXPECT_FALSE(c.RestartGraph(cs_Preview));
    ASSERT_EQ(logs.count(), 1);
    EXPECT_EQ(logs.first().at(2).toString(), "no video capture device");
    for (const QString& line : TLog::instance().lines().mid(linesBefore))
        EXPECT_FALSE(line.contains("BEGIN RestartGraph"));
    TLog::instance().reset();
}

TEST_F(Component, StaleScratchFilesOfEarlierDaysGo)
{
    TSyncManager::destroy();
    const QString folder = TemporaryFolder();
    QFile old(folder + "/v~f1A2B.tmp"), today(folder + "/v~f3C4D.tmp");
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    ASSERT_TRUE(today.open(QIODevice::WriteOnly));
    ASSERT_TRUE(old.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
    old.close();
    today.close();
    auto provider = std::make_unique<TestDeviceProvider>();
    SetDeviceProvider(std::move(provider));
    m_manager = TSyncManager::ensure();
    EXPECT_FALSE(QFile::exists(old.fileName()));
    EXPECT_TRUE(QFile::exists(today.fileName()));
}

TEST_F(Component, ThreadModeRunsCommandsOnItsThreadAndStopsOnDestruction)
{
    auto c = std::make_unique<TOmbrix>();
    c->setVideoDevice(0);
    ASSERT_TRUE(c->BindVideoDevice());
    QThread* delivered = nullptr;
    QObject receiver;
    QObject::connect(c.get(), &TOmbrix::OnPreviewStarted, &receiver, [&] { delivered = QThread::currentThread(); });
    c->setNotificationMethod(nm_Thread);
    c->PostCommand(WMProcessNotifyEvent);
    c->QueueEventNotification(TEventKind::PreviewStarted);
    QElapsedTimer limit;
    limit.start();
    while (!delivered && limit.elapsed() < waitLimitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(delivered, QCoreApplication::instance()->thread()) << "the host hears it on its own thread";
    EXPECT_EQ(threadsNamed("video task"), 1);
    c.reset(); // waits for the worker thread
    EXPECT_EQ(threadsNamed("video task"), 0);
}

TEST_F(Component, ScratchFilesAndNumbers)
{
    const QString a = m_manager->tempFileForKey("v~f");
    EXPECT_TRUE(a.startsWith('/'));
    EXPECT_TRUE(a.startsWith(QString::fromLocal8Bit(qgetenv("VELMAR_HOME")))) << a.toStdString();
    EXPECT_EQ(m_manager->tempFileForKey("v~f"), a);
    EXPECT_NE(m_manager->tempFileForKey("v~a"), a);
    EXPECT_TRUE(QFile::exists(a));
    EXPECT_TRUE(TLog::fileName().startsWith(QString::fromLocal8Bit(qgetenv("VELMAR_HOME"))));
    EXPECT_TRUE(TRegistry2::fileName().startsWith('/'));
    TSyncManager::destroy();
    EXPECT_FALSE(QFile::exists(a));
    m_manager = TSyncManager::ensure();
}

TEST_F(Component, SynchronisedComponentsStartTogether)
{
    m_provider->addVideoDevice("/dev/test1", "Second Camera", {{320, 240}});
    settleDeviceChange();
    TOmbrix a, b;
    a.setVideoDevice(0);
    b.setVideoDevice(1);
    a.setSynchronized(true);
    b.setSynchronized(true);
    EXPECT_TRUE(a.StartPreview());
    EXPECT_EQ(a.GraphState(), gs_WaitForSync);
    for (int i = 0; i < 4; ++i)
        m_manager->tick();
    EXPECT_EQ(a.GraphState(), gs_WaitForSync) << "waits for the other one";
    EXPECT_TRUE(b.StartPreview());
    for (int i = 0; i < 4 && a.GraphState() == gs_WaitForSync; ++i)
        m_manager->tick();
    EXPECT_EQ(a.GraphState(), gs_CanActivate);
    EXPECT_EQ(b.GraphState(), gs_CanActivate);
    ASSERT_TRUE(runUntil(a, [&] { return a.FrameCount() > 0; }));
    ASSERT_TRUE(runUntil(b, [&] { return b.FrameCount() > 0; }));
    EXPECT_EQ(a.GraphState(), gs_Active);
}

TEST_F(Component, RefreshesPreviewAndReadsTheDeliveredRate)
{
    TOmbrix c;
    c.setVideoDevice(0);
    c.setFrameRate(25);
    ASSERT_TRUE(c.StartPreview());
    ASSERT_TRUE(runUntil(c, [&] { return c.FrameCount() > 0; }));
    EXPECT_EQ(c.CurrentFrameRate(), 2500);
    GstElement* before = c.Pipeline();
    gst_object_ref(before);
    c.setVideoSize(2);
    c.RefreshPreview("test");
    EXPECT_EQ(c.CurrentState(), cs_Preview);
    EXPECT_NE(c.Pipeline(), before) << "a new graph for the new size";
    EXPECT_TRUE(c.CurrentSourceCaps().contains("width=640"));
    gst_object_unref(before);
    c.setAutoRefreshPreview(false);
    before = c.Pipeline();
    c.RefreshPreview("off");
    EXPECT_EQ(c.Pipeline(), before);
}

TEST_F(Component, FilterStateComesBack)
{
    GstElement* source = gst_element_factory_make("videotestsrc", nullptr);
    g_object_set(source, "pattern", 18 /* ball */, "is-live", TRUE, nullptr);
    const QString key = TRegistry2::deviceKeyPath("testcompressor");
    ASSERT_TRUE(SaveFilterState(source, key));
    GstElement* again = gst_element_factory_make("videotestsrc", nullptr);
    ASSERT_TRUE(LoadFilterState(again, key));
    int pattern = 0;
    gboolean live = FALSE;
    g_object_get(again, "pattern", &pattern, "is-live", &live, nullptr);
    EXPECT_EQ(pattern, 18);
    EXPECT_TRUE(live);
    EXPECT_FALSE(LoadFilterState(again, TRegistry2::deviceKeyPath("never saved")));
    gst_object_unref(gst_object_ref_sink(source));
    gst_object_unref(gst_object_ref_sink(again));
}

TEST(SystemDevices, TheDeviceMonitorAnswersWithoutDevices)
{
    gst_init(nullptr, nullptr);
    const auto provider = createSystemDeviceProvider();
    for (const DeviceDescription& d : provider->devices(DeviceCategory::VideoInput))
        EXPECT_FALSE(d.path.isEmpty());
    EXPECT_EQ(provider->createSource("/dev/no-such-camera", DeviceCategory::VideoInput), nullptr);
    EXPECT_FALSE(listCompressors(DeviceCategory::VideoCompressor).isEmpty()) << "the base plugins have encoders";
}

TEST(GraphPads, FindAndRemoveDownstream)
{
    gst_init(nullptr, nullptr);
    GstElement* pipeline = gst_parse_launch(
        "videotestsrc name=src ! capsfilter name=caps ! tee name=t ! queue name=q1 ! fakesink name=s1 "
        "t. ! queue name=q2 ! fakesink name=s2",
        nullptr);
    ASSERT_NE(pipeline, nullptr);
    GstElement* caps = gst_bin_get_by_name(GST_BIN(pipeline), "caps");
    GstPad* src = FindPinByName(caps, GST_PAD_SRC, "SR", false, true);
    ASSERT_NE(src, nullptr);
    EXPECT_EQ(FindPinByName(caps, GST_PAD_SRC, "SR", false, false), nullptr);
    EXPECT_EQ(FindPinByName(caps, GST_PAD_SRC, "src", true, false), nullptr) << "linked pads are passed over";
    EXPECT_EQ(PinNames(GST_PAD_SINK, caps), QStringList{"sink"});

    QStringList chain;
    ListFilterChain(caps, 0, chain);
    EXPECT_EQ(chain.size(), 6);

    RemoveDownstream(GST_BIN(pipeline), src);
    EXPECT_FALSE(gst_pad_is_linked(src));
    for (const char* name : {"t", "q1", "q2", "s1", "s2"}) {
        GstElement* e = gst_bin_get_by_name(GST_BIN(pipeline), name);
        EXPECT_EQ(e, nullptr) << name;
        if (e)
            gst_object_unref(e);
    }
    gst_object_unref(src);
    gst_object_unref(caps);
    gst_object_unref(pipeline);
}

TEST_F(Component, AudioSamplesReachTheHost)
{
    TOmbrix c;
    c.setVideoDevice(0);
    c.setAudioDevice(0);
    c.setAudioDeviceRendering(true);
    c.setSampleCapture_Audio(sc_Native);
    QStringList formats;
    QObject::connect(&c, &TOmbrix::OnSampleCapture_Audio, [&](const TSampleData& sample) {
        if (sample.ActualDataLength > 0)
            formats << sample.Format;
    });
    ASSERT_TRUE(c.StartPreview());
    ASSERT_TRUE(runUntil(c, [&] { return formats.size() > 2; }));
    EXPECT_TRUE(formats.first().startsWith("audio/x-raw")) << formats.first().toStdString();
}
