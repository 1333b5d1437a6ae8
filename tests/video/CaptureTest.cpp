// Frames of a test camera through the frame tap, offscreen: bursts and single
// captures reach the host on the user-interface thread, JPEG and BMP files
// are written, a stalled camera makes the synchronous capture give up in
// time, and the frame tap never reads a frame beyond its buffer.
#include "CaptureFixture.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>
#include <gtest/gtest.h>

#include <gst/app/gstappsrc.h>

using namespace velmar::video;
using namespace velmar::video::tests;

TEST_F(Capture, BurstsReachTheHostOnTheUserInterfaceThread)
{
    QList<TFrameData> frames;
    bool elsewhere = false;
    QObject::connect(m_component.get(), &TOmbrix::OnFrameCaptureCompleted,
                     [&](const TFrameData& data, int dest, const QString& file, bool success) {
                         elsewhere = elsewhere || QThread::currentThread() != qApp->thread();
                         EXPECT_EQ(dest, fc_TBitmap);
                         EXPECT_TRUE(file.isEmpty());
                         EXPECT_TRUE(success);
                         frames << data;
                     });
    m_component->setBurstType(fc_TBitmap);
    m_component->setBurstCount(3);
    m_component->setBurstInterval(0);
    ASSERT_TRUE(startPreview());
    m_component->setBurstMode(true);
    ASSERT_TRUE(runUntil([&] { return !m_component->BurstMode(); }));
    runUntil([] { return false; }, 200);
    ASSERT_EQ(frames.size(), 3) << "three frames, and the burst switches itself off";
    EXPECT_FALSE(elsewhere);
    EXPECT_EQ(frames.first().Bitmap.size(), QSize(320, 240));
    EXPECT_LT(frames.at(0).FrameNumber, frames.at(1).FrameNumber);

    // Without an end: every frame, as the camera forms use it.
    frames.clear();
    m_component->setBurstCount(0);
    m_component->setBurstMode(true);
    ASSERT_TRUE(runUntil([&] { return frames.size() >= 6; }));
    EXPECT_TRUE(m_component->BurstMode());
    EXPECT_FALSE(elsewhere);
}

TEST_F(Capture, SingleCapturesAreRefusedWhileOneWaits)
{
    QSignalSpy completed(m_component.get(), &TOmbrix::OnFrameCaptureCompleted);
    EXPECT_FALSE(m_component->CaptureFrameTo(fc_TBitmap, QString())) << "idle";
    ASSERT_TRUE(startPreview());
    EXPECT_TRUE(m_component->CaptureFrameTo(fc_TBitmap, QString()));
    EXPECT_FALSE(m_component->CaptureFrameTo(fc_TBitmap, QString())) << "the first is still waiting";
    ASSERT_TRUE(runUntil([&] { return completed.count() == 1; }));
    EXPECT_EQ(completed.first().at(1).toInt(), fc_TBitmap);
    EXPECT_TRUE(completed.first().at(3).toBool());
    EXPECT_TRUE(m_component->CaptureFrameTo(fc_TBitmap, QString())) << "served, so a new one is taken";

    m_component->StopPreview();
    ASSERT_TRUE(runUntil([&] { return m_component->CurrentState() == cs_Down; }));
    m_component->setFrameGrabber(fg_Disabled);
    ASSERT_TRUE(startPreview());
    EXPECT_FALSE(m_component->CaptureFrameTo(fc_TBitmap, QString())) << "no frame grabber";
}

TEST_F(Capture, SavesJpegAndBmpFiles)
{
    stampTime();
    m_component->setJPEGQuality(90);
    ASSERT_TRUE(startPreview());

    ASSERT_TRUE(m_component->CaptureFrameSyncTo(fc_JpegFile, m_dir.filePath("shot.jpeg")));
    const QString jpeg = m_dir.filePath("shot.jpg");
    EXPECT_EQ(m_component->Last_CaptureFrameTo_FileName(), jpeg);
    QFile file(jpeg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(2) == QByteArray("\xFF\xD8")) << "a JPEG stream";
    QString error;
    const QImage decoded = ReadJpegFile(jpeg, &error);
    ASSERT_FALSE(decoded.isNull()) << error.toStdString();
    EXPECT_EQ(decoded.size(), QSize(320, 240));
    EXPECT_GT(darkPixels(decoded, textArea), 20) << "the time stamp is in the picture";

    // An automatic name: the prefix and the first sequential number.
    ASSERT_TRUE(m_component->CaptureFrameSyncTo(fc_BmpFile, QString()));
    const QString bmp = m_dir.filePath("om000001.bmp");
    EXPECT_EQ(m_component->Last_CaptureFrameTo_FileName(), bmp);
    QFile bmpFile(bmp);
    ASSERT_TRUE(bmpFile.open(QIODevice::ReadOnly));
    const QByteArray bytes = bmpFile.readAll();
    ASSERT_GT(bytes.size(), 54);
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 22), 240) << "bottom-up rows";
    EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 28), 32);
    const QImage read(bmp, "BMP");
    EXPECT_EQ(read.size(), QSize(320, 240));
    EXPECT_GT(darkPixels(read, textArea), 20);
}

TEST_F(Capture, SynchronousCaptureFromAStalledCameraGivesUp)
{
    QSignalSpy logs(m_component.get(), &TOmbrix::OnLog);
    m_component->setCaptureFrameSyncTimeOutMs(300);
    ASSERT_TRUE(startPreview());
    m_provider->stallDevice("/dev/test0");
    runUntil([] { return false; }, 300);
    QElapsedTimer took;
    took.start();
    EXPECT_FALSE(m_component->CaptureFrameSyncTo(fc_BmpFile, m_dir.filePath("never")));
    EXPECT_LT(took.elapsed(), 2000);
    EXPECT_FALSE(QFile::exists(m_dir.filePath("never.bmp")));
    ASSERT_FALSE(logs.isEmpty());
    EXPECT_EQ(logs.last().at(2).toString(), "no frame within 300 ms");
    EXPECT_TRUE(m_component->CaptureFrameTo(fc_TBitmap, QString())) << "the request was withdrawn";
}

namespace {
struct CountingHandler : FrameTapHandler {
    int frames = 0;
    QSize size;
    void tapFrame(QImage& frame, qint64) override
    {
        ++frames;
        size = frame.size();
    }
};
} // namespace

TEST(FrameTap, DropsFramesTheirBufferCannotHold)
{
    gst_init(nullptr, nullptr);
    ASSERT_TRUE(RegisterFrameTap());
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(
        "appsrc name=src format=time caps=video/x-raw,format=BGRx,width=4,height=4,framerate=25/1 "
        "! velmarframetap name=tap ! fakesink",
        &error);
    ASSERT_EQ(error, nullptr);
    GstElement* src = gst_bin_get_by_name(GST_BIN(pipeline), "src");
    GstElement* tap = gst_bin_get_by_name(GST_BIN(pipeline), "tap");
    EXPECT_EQ(FrameTapVersion(tap), frameTapVersion);
    CountingHandler handler;
    SetFrameTapHandler(tap, &handler);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    // A buffer of 10 bytes for a 4 x 4 frame of 64, then a whole one.
    for (gsize size : {gsize(10), gsize(64)}) {
        GstBuffer* buffer = gst_buffer_new_allocate(nullptr, size, nullptr);
        gst_buffer_memset(buffer, 0, 0x80, size);
        GST_BUFFER_PTS(buffer) = 0;
        EXPECT_EQ(gst_app_src_push_buffer(GST_APP_SRC(src), buffer), GST_FLOW_OK);
    }
    gst_app_src_end_of_stream(GST_APP_SRC(src));
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* end = gst_bus_timed_pop_filtered(bus, 5 * GST_SECOND,
                                                 GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(GST_MESSAGE_TYPE(end), GST_MESSAGE_EOS);
    gst_message_unref(end);
    gst_object_unref(bus);
    EXPECT_EQ(handler.frames, 1) << "only the whole frame reaches the handler";
    EXPECT_EQ(handler.size, QSize(4, 4));
    gst_element_set_state(pipeline, GST_STATE_NULL);
    SetFrameTapHandler(tap, nullptr);
    gst_object_unref(tap);
    gst_object_unref(src);
    gst_object_unref(pipeline);
}

TEST_F(Capture, PicturesOfAFolderPlayAsVideo)
{
    const QString folder = m_dir.filePath("pictures");
    QDir().mkpath(folder);
    writeBmp(folder + "/a.bmp", {32, 24});
    writeBmp(folder + "/b.bmp", {32, 24});
    writeBmp(folder + "/c.bmp", {16, 16});
    QSignalSpy progress(m_component.get(), &TOmbrix::OnBitmapsLoadingProgress);
    m_component->setVideoFromImages_SourceDirectory(folder);
    m_component->setVideoFromImages_TemporaryFile(m_dir.filePath("set.dat"));
    m_component->setVideoFromImages_BitmapsSortedBy(fs_NameAsc);
    ASSERT_TRUE(m_component->VideoFromImages_CreateSetOfBitmaps());
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last().at(0).value<TProgressInfo>().Text, "2 bitmaps written to " + m_dir.filePath("set.dat"));
    bool mismatch = false;
    for (const QList<QVariant>& p : progress)
        mismatch = mismatch || p.at(0).value<TProgressInfo>().Text == "SIZE/FORMAT MISMATCH: c.bmp";
    EXPECT_TRUE(mismatch) << "the picture of another size is left out";

    QSignalSpy ended(m_component.get(), &TOmbrix::OnPlayerEndOfStream);
    m_component->setVideoSource(vs_VideoFromImages);
    m_component->setFrameRate(50);
    m_component->setVideoFromImages_RepeatIndefinitely(true);
    ASSERT_TRUE(m_component->StartPreview());
    ASSERT_TRUE(runUntil([&] { return m_component->DeliveredFrames() > 4; })) << "the two pictures loop";
    QImage frame;
    QObject::connect(m_component.get(), &TOmbrix::OnFrameCaptureCompleted,
                     [&](const TFrameData& data, int, const QString&, bool) { frame = data.Bitmap; });
    ASSERT_TRUE(m_component->CaptureFrameSyncTo(fc_TBitmap, QString()));
    ASSERT_EQ(frame.size(), QSize(32, 24));
    EXPECT_EQ(frame.pixelColor(16, 2), QColor(Qt::red)) << "the top row first";
    EXPECT_EQ(frame.pixelColor(16, 21), QColor(Qt::blue));
    m_component->StopPreview();

    // Played once, the video ends by itself.
    m_component->setVideoFromImages_RepeatIndefinitely(false);
    ASSERT_TRUE(m_component->StartPreview());
    ASSERT_TRUE(runUntil([&] { return ended.count() == 1; }));
    EXPECT_EQ(m_component->CurrentState(), cs_Down);
    EXPECT_EQ(m_component->DeliveredFrames(), 2);
}

TEST_F(Capture, PicturesFromTheHostPlayAsVideo)
{
    int asked = 0;
    m_component->setVideoFromBitmapsHandlers([] { return QImage(8, 8, QImage::Format_RGB32); },
                                             [&](bool* endOfData) {
                                                 *endOfData = ++asked > 3;
                                                 QImage picture(8, 8, QImage::Format_RGB32);
                                                 picture.fill(Qt::green);
                                                 return picture;
                                             });
    QSignalSpy ended(m_component.get(), &TOmbrix::OnPlayerEndOfStream);
    m_component->setVideoSource(vs_VideoFromBitmaps);
    m_component->setFrameRate(100);
    ASSERT_TRUE(m_component->StartPreview());
    ASSERT_TRUE(runUntil([&] { return ended.count() == 1; }));
    EXPECT_EQ(m_component->DeliveredFrames(), 3);
}

TEST_F(Capture, PausedPreviewHoldsItsFrame)
{
    QSignalSpy completed(m_component.get(), &TOmbrix::OnFrameCaptureCompleted);
    ASSERT_TRUE(startPreview());
    ASSERT_TRUE(m_component->PausePreview());
    runUntil([] { return false; }, 300);
    const qint64 held = m_component->DeliveredFrames();
    runUntil([] { return false; }, 300);
    EXPECT_EQ(m_component->DeliveredFrames(), held) << "no frames while paused";
    EXPECT_FALSE(m_component->PausePreview()) << "already paused";
    EXPECT_TRUE(m_component->CaptureFrameTo(fc_TBitmap, QString()));
    EXPECT_EQ(completed.count(), 1) << "at once, from the held frame";
    ASSERT_TRUE(m_component->ResumePreview());
    EXPECT_TRUE(runUntil([&] { return m_component->DeliveredFrames() > held + 2; }));
}

TEST_F(Capture, VideoSamplesReachTheHost)
{
    QList<TSampleData> samples;
    QList<bool> onUiThread;
    QObject::connect(m_component.get(), &TOmbrix::OnSampleCapture_Video, [&](const TSampleData& sample) {
        onUiThread << (QThread::currentThread() == qApp->thread());
        TSampleData copy = sample;
        copy.Buffer.detach();
        samples << copy;
    });
    m_component->setSampleCapture_Video(sc_AfterOnDraw);
    ASSERT_TRUE(startPreview());
    ASSERT_TRUE(runUntil([&] { return samples.size() >= 3; }));
    EXPECT_FALSE(onUiThread.contains(false)) << "the newest sample, on the worker's thread";
    EXPECT_EQ(samples.first().Width, 320);
    EXPECT_EQ(samples.first().Buffer.size(), 320 * 240 * 4);

    m_component->StopPreview();
    m_component->setSampleCaptureAsyncEvent(false);
    samples.clear();
    onUiThread.clear();
    ASSERT_TRUE(startPreview());
    ASSERT_TRUE(runUntil([&] { return samples.size() >= 3; }));
    EXPECT_FALSE(onUiThread.contains(true)) << "every sample, at once on the streaming thread";
}

TEST_F(Capture, WithoutTheFrameGrabberProgressIsThinned)
{
    EXPECT_EQ(MonitorsCount(), 1);
    QRect bounds;
    EXPECT_TRUE(MonitorBounds(0, &bounds));
    EXPECT_FALSE(bounds.isEmpty());
    for (int index : {1, 10, -1})
        EXPECT_FALSE(MonitorBounds(index, &bounds)) << index;

    m_component->setFrameGrabber(fg_Disabled);
    m_component->setFrameRate(30);
    QSignalSpy progress(m_component.get(), &TOmbrix::OnFrameProgress);
    ASSERT_TRUE(startPreview());
    const qint64 first = m_component->DeliveredFrames();
    progress.clear();
    QElapsedTimer took;
    took.start();
    runUntil([] { return false; }, 1000);
    const qint64 frames = m_component->DeliveredFrames() - first;
    ASSERT_GT(frames, 20);
    EXPECT_GT(progress.count(), 0);
    EXPECT_LE(progress.count(), took.elapsed() / 66 + 1) << frames << " frames";
}

TEST_F(Capture, SynchroneGrabberCapturesOnTheStreamingThread)
{
    std::atomic<int> captures{0};
    std::atomic<bool> onUiThread{false};
    QObject::connect(
        m_component.get(), &TOmbrix::OnFrameCaptureCompleted, m_component.get(),
        [&](const TFrameData&, int, const QString&, bool) {
            onUiThread = onUiThread || QThread::currentThread() == qApp->thread();
            ++captures;
        },
        Qt::DirectConnection);
    m_component->setFrameGrabberSynchrone(true);
    ASSERT_TRUE(startPreview());
    ASSERT_TRUE(m_component->CaptureFrameTo(fc_TBitmap, QString()));
    ASSERT_TRUE(runUntil([&] { return captures.load() == 1; }));
    EXPECT_FALSE(onUiThread.load());
}

TEST_F(Capture, HostAndShapeOverlaysAreDrawnIntoTheFrames)
{
    QImage red(10, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    EXPECT_FALSE(m_component->DrawBitmapOverFrame(red, 0, 0, 10, 10)) << "outside the overlay handler";
    std::atomic<bool> drawn{false};
    m_component->setFrameOverlayHandler(
        [&](const TFrameInfo&, QPainter&) { drawn = m_component->DrawBitmapOverFrame(red, 300, 220, 10, 10); });
    TShapeOverlay box;
    box.bounds = QRect(0, 200, 20, 20);
    box.brushColor = Qt::black;
    EXPECT_TRUE(m_component->ShapeOverlayList(box, true));
    EXPECT_FALSE(m_component->ShapeOverlayList(box, true)) << "already in the list";

    m_component->setFramePixelsHandler([](const TFrameInfo&, QImage& frame) { frame.setPixelColor(0, 0, Qt::white); });
    ASSERT_TRUE(startPreview());
    QImage frame;
    QObject::connect(m_component.get(), &TOmbrix::OnFrameCaptureCompleted,
                     [&](const TFrameData& data, int, const QString&, bool) { frame = data.Bitmap; });
    ASSERT_TRUE(m_component->CaptureFrameSyncTo(fc_TBitmap, QString()));
    EXPECT_TRUE(drawn.load());
    EXPECT_EQ(frame.pixelColor(0, 0), QColor(Qt::white)) << "the host's own pixels";
    EXPECT_EQ(frame.pixelColor(305, 225), QColor(Qt::red));
    EXPECT_EQ(frame.pixelColor(10, 210), QColor(Qt::black));
}

TEST_F(Capture, TheFirstPictureDecidesBetweenBmpAndJpeg)
{
    const QString folder = m_dir.filePath("mixed");
    QDir().mkpath(folder);
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(Qt::green);
    ASSERT_TRUE(WriteJpegFile(picture, folder + "/a.jpg", {}, nullptr));
    writeBmp(folder + "/b.bmp", {16, 16});
    writeBmp(folder + "/c.bmp", {16, 16});
    QSignalSpy progress(m_component.get(), &TOmbrix::OnBitmapsLoadingProgress);
    m_component->setVideoFromImages_SourceDirectory(folder);
    m_component->setVideoFromImages_TemporaryFile(m_dir.filePath("mixed.dat"));
    ASSERT_TRUE(m_component->VideoFromImages_CreateSetOfBitmaps());
    EXPECT_EQ(progress.last().at(0).value<TProgressInfo>().Text, "1 bitmaps written to " + m_dir.filePath("mixed.dat"));

    m_component->setVideoFromImages_SourceDirectory(m_dir.filePath("empty"));
    QSignalSpy logs(m_component.get(), &TOmbrix::OnLog);
    EXPECT_FALSE(m_component->VideoFromImages_CreateSetOfBitmaps());
    ASSERT_FALSE(logs.isEmpty());
    EXPECT_EQ(logs.last().at(2).toString(),
              "sorry, there is no BMP or JPEG files in \"" + m_dir.filePath("empty") + "/\"");
}

TEST_F(Capture, SynchronousCaptureNeverNests)
{
    QSignalSpy logs(m_component.get(), &TOmbrix::OnLog);
    QList<bool> nested;
    QObject::connect(m_component.get(), &TOmbrix::OnFrameProgress, [&] {
        if (nested.isEmpty())
            nested << m_component->CaptureFrameSyncTo(fc_TBitmap, QString());
    });
    QObject::connect(m_component.get(), &TOmbrix::OnFrameCaptureCompleted,
                     [&] { nested << m_component->CaptureFrameSyncTo(fc_TBitmap, QString()); });
    ASSERT_TRUE(startPreview());
    ASSERT_TRUE(runUntil([&] { return !nested.isEmpty(); }));
    EXPECT_FALSE(nested.first()) << "inside a frame event";
    EXPECT_TRUE(logs.last().at(2).toString() == "frame capture cannot wait inside a frame event");
    QObject::disconnect(m_component.get(), &TOmbrix::OnFrameProgress, nullptr, nullptr);

    QElapsedTimer took;
    took.start();
    EXPECT_TRUE(m_component->CaptureFrameSyncTo(fc_TBitmap, QString()));
    EXPECT_LT(took.elapsed(), 2000);
    ASSERT_EQ(nested.size(), 2);
    EXPECT_FALSE(nested.last()) << "while one waits";
}

TEST_F(Capture, HalfSizeDeinterlacingKeepsOneField)
{
    QImage frame;
    QObject::connect(m_component.get(), &TOmbrix::OnFrameCaptureCompleted,
                     [&](const TFrameData& data, int, const QString&, bool) { frame = data.Bitmap; });
    m_component->setVideoProcessing_Deinterlacing(di_HalfSize);
    ASSERT_TRUE(startPreview());
    ASSERT_TRUE(m_component->CaptureFrameSyncTo(fc_TBitmap, QString()));
    EXPECT_EQ(frame.size(), QSize(320, 120));

    // Leaving half size builds the graph again at the full height.
    m_component->setVideoProcessing_Deinterlacing(di_FullSize);
    ASSERT_TRUE(runUntil([&] { return m_component->DeliveredFrames() > 2; }));
    ASSERT_TRUE(m_component->CaptureFrameSyncTo(fc_TBitmap, QString()));
    EXPECT_EQ(frame.size(), QSize(320, 240));
}

TEST(FrameTap, TurnsAndFlipsComposeIntoOneFlipMethod)
{
    // GStreamer's videoflip: 0 none, 1 clockwise, 2 half turn, 3 counter-
    // clockwise, 4 horizontal, 5 vertical, 6 upper-left diagonal, 7 upper-right
    // diagonal. A mirrored turn mirrors first, then turns.
    struct Case {
        TVideoRotation rotation;
        bool horizontal, vertical;
        int method;
    } cases[] = {
        {rt_0_deg, false, false, 0},         {rt_90_deg, false, false, 1},         {rt_180_deg, false, false, 2},
        {rt_270_deg, false, false, 3},       {rt_0_deg, true, false, 4},           {rt_0_deg, false, true, 5},
        {rt_0_deg, true, true, 2},           {rt_0_deg_mirror, false, false, 4},   {rt_0_deg_mirror, true, false, 0},
        {rt_90_deg_mirror, false, false, 7}, {rt_270_deg_mirror, false, false, 6}, {rt_180_deg, false, true, 4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VideoFlipMethod(c.rotation, c.horizontal, c.vertical), c.method)
            << c.rotation << c.horizontal << c.vertical;
}

TEST_F(Capture, GreyScaleAndInversionChangeTheFrames)
{
    QImage frame;
    QObject::connect(m_component.get(), &TOmbrix::OnFrameCaptureCompleted,
                     [&](const TFrameData& data, int, const QString&, bool) { frame = data.Bitmap; });
    ASSERT_TRUE(startPreview());
    ASSERT_TRUE(m_component->CaptureFrameSyncTo(fc_TBitmap, QString()));
    const QColor yellow = frame.pixelColor(70, 10); // the second bar
    ASSERT_GT(yellow.red(), 150);
    ASSERT_LT(yellow.blue(), 50);

    m_component->setVideoProcessing_GrayScale(true);
    ASSERT_TRUE(runUntil([&] { return m_component->DeliveredFrames() > 2; }));
    ASSERT_TRUE(m_component->CaptureFrameSyncTo(fc_TBitmap, QString()));
    QColor c = frame.pixelColor(70, 10);
    EXPECT_EQ(c.red(), c.green());
    EXPECT_EQ(c.green(), c.blue());

    m_component->setVideoProcessing_GrayScale(false);
    m_component->setVideoProcessing_InvertColors(true);
    ASSERT_TRUE(runUntil([&] { return m_component->DeliveredFrames() > 2; }));
    ASSERT_TRUE(m_component->CaptureFrameSyncTo(fc_TBitmap, QString()));
    c = frame.pixelColor(70, 10);
    EXPECT_LT(c.red(), 100);
    EXPECT_GT(c.blue(), 200);
}
