// Frames through the component: the frame tap's handler on the streaming
// thread (numbering, overlays, the copy for captures and for the display),
// the handover to the worker tick, the capture step with its single and
// burst captures, and the files they write.
#include "DisplayGeometry.h"
#include "FileOps.h"
#include "ImageFiles.h"
#include "Ombrix.h"
#include "ProcessLog.h"
#include "SyncManager.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>

namespace velmar::video {

namespace {
constexpr int sequentialDigits = 6;
constexpr int percent = 100;

} // namespace

int ScreenColorDepth()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    QScreen* screen = app ? QGuiApplication::primaryScreen() : nullptr;
    return screen ? screen->depth() : 32;
}

// ------------------------------------------------------------- settings

void TOmbrix::setFrameGrabber(TFrameGrabber g)
{
    if (!m_settings.setFrameGrabber(g))
        return;
    RefreshPreview(QStringLiteral("FrameGrabber"));
}

void TOmbrix::setFrameGrabberRGBFormat(TFrameGrabberRGBFormat format)
{
    if (!m_capture.setRgbFormat(format))
        return;
    if (m_settings.values.frameGrabber != fg_Disabled)
        RefreshPreview(QStringLiteral("FrameGrabberRGBFormat"));
}

void TOmbrix::setFrameCaptureWithoutOverlay(bool on)
{
    if (!m_capture.setWithoutOverlay(on))
        return;
    RefreshPreview(QStringLiteral("FrameCaptureWithoutOverlay"));
}

void TOmbrix::setFrameBuffers(int n)
{
    if (!m_capture.setFrameBuffers(n))
        return;
    RefreshPreview(QStringLiteral("FrameBuffers"));
}

// ------------------------------------------------------------- overlays

void TOmbrix::drawOverlays(QImage& frame, const TFrameInfo& info)
{
    if (!m_destroying)
        m_overlays.draw(frame, info);
}

// ------------------------------------------------------------- processing

void TOmbrix::applyProcessingToGraph()
{
    GstElement* pipeline = Pipeline();
    if (!pipeline)
        return;
    if (GstElement* balance = gst_bin_get_by_name(GST_BIN(pipeline), "Video Balance")) {
        // Brightness and hue from -100 to 100, contrast and saturation from
        // -100 (none) through 0 (as delivered) to 100 (double).
        const PreviewProcessing::Balance values = m_processing.balance();
        g_object_set(balance, "brightness", values.brightness, "hue", values.hue, "contrast", values.contrast,
                     "saturation", values.saturation, nullptr);
        gst_object_unref(balance);
    }
    if (GstElement* deinterlace = gst_bin_get_by_name(GST_BIN(pipeline), "Deinterlacer")) {
        // Forced, or passed through.
        g_object_set(deinterlace, "mode", m_processing.deinterlacing == di_Disabled ? 2 : 1, nullptr);
        gst_object_unref(deinterlace);
    }
    if (GstElement* flip = gst_bin_get_by_name(GST_BIN(pipeline), "Video Flip")) {
        g_object_set(flip, "method",
                     VideoFlipMethod(m_processing.rotation, m_processing.flipHorizontal, m_processing.flipVertical),
                     nullptr);
        gst_object_unref(flip);
    }
    if (GstElement* tap = gst_bin_get_by_name(GST_BIN(pipeline), "Frame Grabber")) {
        SetFrameTapProcessing(tap, {m_processing.grayScale, m_processing.invertColors});
        gst_object_unref(tap);
    }
}

#define VELMAR_PROCESSING_SETTER(Name, field, Type)                                                                    \
    void TOmbrix::setVideoProcessing_##Name(Type v)                                                                    \
    {                                                                                                                  \
        m_processing.field = v;                                                                                        \
        applyProcessingToGraph();                                                                                      \
    }
VELMAR_PROCESSING_SETTER(Brightness, brightness, int)
VELMAR_PROCESSING_SETTER(Contrast, contrast, int)
VELMAR_PROCESSING_SETTER(Saturation, saturation, int)
VELMAR_PROCESSING_SETTER(Hue, hue, int)
VELMAR_PROCESSING_SETTER(GrayScale, grayScale, bool)
VELMAR_PROCESSING_SETTER(InvertColors, invertColors, bool)
VELMAR_PROCESSING_SETTER(FlipHorizontal, flipHorizontal, bool)
VELMAR_PROCESSING_SETTER(FlipVertical, flipVertical, bool)
#undef VELMAR_PROCESSING_SETTER

void TOmbrix::setVideoProcessing_Deinterlacing(TVideoDeinterlacing d)
{
    const PreviewProcessing::Change change = m_processing.setDeinterlacing(d);
    if (change == PreviewProcessing::Unchanged)
        return;
    applyProcessingToGraph();
    if (change == PreviewProcessing::NewGraph)
        RefreshPreview(QStringLiteral("VideoProcessing_Deinterlacing"));
}

void TOmbrix::setVideoProcessing_Rotation(TVideoRotation r)
{
    if (m_processing.setRotation(r) == PreviewProcessing::Unchanged)
        return;
    applyProcessingToGraph();
    // A quarter turn swaps width and height: a new graph.
    RefreshPreview(QStringLiteral("VideoProcessing_Rotation"));
}

// ------------------------------------------------------------- the chain

void TOmbrix::chooseRgbFormat()
{
    const QString subtype = m_devices.subtypeAt(m_settings.frozen.subtypeIndex);
    const bool mustBeRgb = m_processing.needsRgb() || m_motion.enabled();
    m_settings.frozen.rgbFormat = GrabberRgbFormat(m_capture.settings().rgbFormat, subtype, ScreenColorDepth(),
                                                   mustBeRgb);
}

bool TOmbrix::buildGrabberChain(GstPad*& pin)
{
    if (!RegisterFrameTap())
        return !Report(true, sevError, QStringLiteral("cannot load filter frame tap"), e_load_filter);
    // Brightness, contrast, saturation and hue, then flips and turns, then
    // the frame tap in the grabber's RGB format.
    bool ok = m_graph->insertFilterInline("videoconvert", QStringLiteral("Color Space Converter"), pin)
           && m_graph->insertFilterInline("deinterlace", QStringLiteral("Deinterlacer"), pin);
    if (ok && m_processing.deinterlacing == di_HalfSize) {
        // One field of each frame: half the height.
        int height = 0;
        if (GstCaps* source = gst_caps_from_string(m_sourceCaps.toUtf8().constData())) {
            if (!gst_caps_is_empty(source))
                gst_structure_get_int(gst_caps_get_structure(source, 0), "height", &height);
            gst_caps_unref(source);
        }
        if (height > 1) {
            ok = m_graph->insertFilterInline("videoscale", QStringLiteral("Half Size Scaler"), pin)
              && m_graph->insertFilterInline("capsfilter", QStringLiteral("Half Size Caps"), pin);
            if (GstElement* caps = ok ? gst_bin_get_by_name(GST_BIN(m_graph->pipeline()), "Half Size Caps") : nullptr) {
                GstCaps* half = gst_caps_new_simple("video/x-raw", "height", G_TYPE_INT, height / 2, nullptr);
                g_object_set(caps, "caps", half, nullptr);
                gst_caps_unref(half);
                gst_object_unref(caps);
            }
        }
    }
    ok = ok && m_graph->insertFilterInline("videobalance", QStringLiteral("Video Balance"), pin)
      && m_graph->insertFilterInline("videoflip", QStringLiteral("Video Flip"), pin)
      && m_graph->insertFilterInline("videoconvert", QStringLiteral("Grabber Converter"), pin)
      && m_graph->insertFilterInline("capsfilter", QStringLiteral("Grabber Caps"), pin);
    if (!ok)
        return false;
    if (GstElement* caps = gst_bin_get_by_name(GST_BIN(m_graph->pipeline()), "Grabber Caps")) {
        GstCaps* wanted = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING,
                                              TapCapsFormat(m_settings.frozen.rgbFormat), nullptr);
        g_object_set(caps, "caps", wanted, nullptr);
        gst_caps_unref(wanted);
        gst_object_unref(caps);
    }
    if (!m_graph->insertFilterInline(frameTapFactory, QStringLiteral("Frame Grabber"), pin))
        return !Report(true, sevTrace, QStringLiteral("insert grabber filter"), e_failed);
    GstElement* tap = gst_bin_get_by_name(GST_BIN(m_graph->pipeline()), "Frame Grabber");
    const bool current = FrameTapVersion(tap) == frameTapVersion;
    if (current)
        SetFrameTapHandler(tap, this);
    if (tap)
        gst_object_unref(tap);
    if (!current)
        return !Report(true, sevError, QStringLiteral("TOmbrix Dx filter obsolete"), e_TOmbrix_Filter_obsolete);
    applyProcessingToGraph();
    return true;
}

// ------------------------------------------------------ streaming thread

void TOmbrix::tapFrame(QImage& frame, qint64 streamTime)
{
    // Frames may come while the graph is still starting (a pushed picture
    // prerolls); they count from the first.
    if (m_destroying)
        return;
    if (m_settings.values.multiplexedRole == mr_MultiplexedMaster)
        handOverToSlave(frame);
    const qint64 number = ++m_framesDelivered;
    m_recording.lastStreamTime = streamTime;
    // A paused recording's time stands still and runs on after it.
    const qint64 frameTime = m_recording.frameTime(streamTime);
    const TFrameInfo info = MakeFrameInfo(qint32(number), std::max<qint64>(frameTime, 0));
    const bool grabbing = m_settings.frozen.frameGrabber != fg_Disabled;
    // Without the frame grabber, frame progress follows the frame times,
    // thinned to about fifteen a second.
    if (!grabbing && m_capture.frameTimes.take(quint32(m_tick.elapsed())))
        m_capture.newFrame = true;

    const FrameCapturePart::Offer offer = m_capture.offerFrame(grabbing, m_motion.running());
    const bool eligible = offer.eligible;
    // Captures carry the overlays unless asked not to; the display always
    // does. The motion detector compares frames without them.
    const bool overlaysFirst = !m_settings.frozen.withoutOverlay && !m_motion.running();
    const bool sampleAfterOverlays = m_settings.frozen.sampleVideo == sc_AfterOnDraw;
    if (m_settings.frozen.sampleVideo != sc_Disabled && !sampleAfterOverlays)
        sampleFrame(frame, info);
    if (overlaysFirst)
        drawOverlays(frame, info);
    FrameCapturePart::FrameRecord work;
    if (eligible) {
        work.info = info;
        work.image = offer.taken ? frame.copy() : QImage();
    }
    if (!overlaysFirst)
        drawOverlays(frame, info);
    if (sampleAfterOverlays)
        sampleFrame(frame, info);
    if (eligible)
        m_capture.publish(std::move(work));

    if (m_display.offerFrame(frame))
        QMetaObject::invokeMethod(
            this, [this] { m_display.showNewest(); }, Qt::QueuedConnection);

    if (eligible && m_settings.frozen.grabberSynchrone) {
        takeFrame();
        captureStep();
        return;
    }
    if (eligible)
        m_capture.frameReady = true;
}

// ------------------------------------------------------------ worker tick

void TOmbrix::takeFrame()
{
    m_capture.take();
}

void TOmbrix::frameProgressStep()
{
    if (m_destroying || !m_graphActive)
        return;
    m_capture.inFrameProgress = true;
    emit OnFrameProgress(m_capture.current.info.frameNumber, 0);
    if (!m_settings.frozen.grabberSynchrone)
        captureStep();
    const bool pause = m_capture.takePausedOnFrame();
    // The frame just handed over is the one the paused preview holds.
    if (pause && m_runState == 2)
        changeGraphState(GST_STATE_PAUSED, QStringLiteral("cspnf"));
    m_capture.inFrameProgress = false;
}

void TOmbrix::captureStep()
{
    if (m_capture.current.image.isNull()) {
        serveSamples();
        return;
    }
    const FrameCapturePart::Pending pending = m_capture.takePending();
    if (pending.kind == FrameCapturePart::Pending::Request)
        capture(pending.dest, pending.file, true, true);
    else if (pending.kind == FrameCapturePart::Pending::Burst)
        capture(pending.dest, QString(), pending.burstOn, false);
    if (m_motion.running())
        motionStep();
    serveSamples();
}

void TOmbrix::sampleFrame(const QImage& frame, const TFrameInfo& info)
{
    TSampleData sample;
    sample.ActualDataLength = frame.sizeInBytes();
    sample.Width = frame.width();
    sample.Height = frame.height();
    sample.BitCount = frame.depth();
    sample.Stride = int(frame.bytesPerLine());
    sample.Format = QStringLiteral("video/x-raw, format=%1, width=%2, height=%3")
                        .arg(QLatin1String(TapCapsFormat(m_settings.frozen.rgbFormat)))
                        .arg(frame.width())
                        .arg(frame.height());
    sample.StartTime = info.frameTime;
    sample.EndTime = info.frameTime;
    if (!m_settings.frozen.sampleAsync) {
        // At once, on this thread, over the frame itself.
        sample.Buffer = QByteArray::fromRawData(reinterpret_cast<const char*>(frame.constBits()),
                                                qsizetype(frame.sizeInBytes()));
        if (!m_destroying)
            emit OnSampleCapture_Video(sample);
        return;
    }
    // Only the newest sample waits; a host still busy with one drops others.
    sample.Buffer = QByteArray(reinterpret_cast<const char*>(frame.constBits()), qsizetype(frame.sizeInBytes()));
    m_capture.offerVideoSample(std::move(sample));
}

void TOmbrix::serveSamples()
{
    std::optional<TSampleData> video;
    std::optional<TSampleData> audio;
    m_capture.takeSamples(video, audio);
    if (video && !m_destroying)
        emit OnSampleCapture_Video(*video);
    if (audio && !m_destroying)
        emit OnSampleCapture_Audio(*audio);
}

void TOmbrix::audioSample(GstPad* pad, GstBuffer* buffer)
{
    if (m_destroying)
        return;
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ))
        return;
    TSampleData sample;
    sample.ActualDataLength = qint64(map.size);
    if (GstCaps* caps = pad ? gst_pad_get_current_caps(pad) : nullptr) {
        gchar* text = gst_caps_to_string(caps);
        sample.Format = QString::fromUtf8(text);
        g_free(text);
        gst_caps_unref(caps);
    }
    const GstClockTime pts = GST_BUFFER_PTS(buffer);
    const GstClockTime duration = GST_BUFFER_DURATION(buffer);
    sample.StartTime = GST_CLOCK_TIME_IS_VALID(pts) ? qint64(pts / 100) : -1;
    sample.EndTime = GST_CLOCK_TIME_IS_VALID(pts) && GST_CLOCK_TIME_IS_VALID(duration) ? qint64((pts + duration) / 100)
                                                                                       : sample.StartTime;
    if (!m_settings.frozen.sampleAsync) {
        sample.Buffer = QByteArray::fromRawData(reinterpret_cast<const char*>(map.data), qsizetype(map.size));
        emit OnSampleCapture_Audio(sample);
    } else {
        sample.Buffer = QByteArray(reinterpret_cast<const char*>(map.data), qsizetype(map.size));
        m_capture.offerAudioSample(std::move(sample));
    }
    gst_buffer_unmap(buffer, &map);
}

QString TOmbrix::autoFileName(int kind, const QString& extension)
{
    TSyncManager* manager = TSyncManager::instance();
    if (!manager)
        return {};
    QString folder = m_capture.settings().storagePath.isEmpty() ? QDir::currentPath()
                                                                : m_capture.settings().storagePath;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    const QString ext = kind == 0 ? QStringLiteral("bmp") : kind == 1 ? QStringLiteral("jpg") : extension;
    if (m_capture.settings().storagePathChanged) {
        if (!ForceDirectories(folder))
            Report(true, sevError, QStringLiteral("cannot create directory: ") + folder, e_failed_to_create_directory);
        manager->counters().scanSequentialNumbers(folder, m_capture.settings().autoFilePrefix, ext);
        m_capture.settings().storagePathChanged = false;
    }
    QString stamp;
    if (m_capture.settings().autoFileName == fn_DateTime) {
        stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyMMdd_hhmmss_zzz"));
    } else {
        int index = -1;
        const int n = manager->counters().nextSequentialNumber(folder, m_capture.settings().autoFilePrefix, ext, index);
        stamp = QString::number(n).rightJustified(sequentialDigits, QLatin1Char('0'));
    }
    return folder + m_capture.settings().autoFilePrefix + stamp + QLatin1Char('.') + ext;
}

void TOmbrix::capture(TFrameCaptureDest dest, QString fileName, bool save, bool isRequest)
{
    QImage picture = m_capture.current.image;
    if (m_capture.settings().zoom != percent && !picture.isNull())
        picture = picture.scaled(ZoomedVideoSize(picture.size(), m_capture.settings().zoom), Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation);
    // A frame copied for the motion detector came before its overlays.
    if (!m_settings.frozen.withoutOverlay && m_motion.running() && !picture.isNull()) {
        picture.detach();
        drawOverlays(picture, m_capture.current.info);
    }
    const TFrameData data{picture, m_capture.current.info.frameNumber, m_capture.current.info.frameTime};
    bool success = false;
    if (save) {
        QString error;
        switch (dest) {
        case fc_TBitmap:
            fileName.clear();
            success = true;
            break;
        case fc_BmpFile:
        case fc_JpegFile: {
            const bool bmp = dest == fc_BmpFile;
            if (fileName.isEmpty()) {
                fileName = autoFileName(bmp ? 0 : 1, QString());
            } else {
                fileName = FixCaptureFileName(fileName, bmp ? QStringLiteral("bmp") : QStringLiteral("jpg"), &error);
                if (fileName.isEmpty())
                    Report(true, sevError, error, e_failed_to_create_directory);
            }
            error.clear();
            success = !fileName.isEmpty()
                   && (bmp ? WriteBmpFile(picture, fileName, &error)
                           : WriteJpegFile(picture, fileName, m_capture.settings().jpeg, &error));
            // The host learns of it from the event's success; the log keeps why.
            if (!success && !error.isEmpty())
                ReportResult(false, sevTrace, error, e_failed_to_create_file);
            break;
        }
        }
        if (success && dest != fc_TBitmap)
            (isRequest ? m_capture.settings().lastCaptureFile : m_capture.settings().lastBurstFile) = fileName;
        if (!m_destroying)
            emit OnFrameCaptureCompleted(data, dest, fileName, success);
        m_capture.syncResult = success;
        m_capture.syncWaiting = false;
    }
}

void TOmbrix::resetCaptureState()
{
    m_capture.resetForGraph();
    // A new graph's first frame starts the analysis again.
    m_motion.reset();
}

// ------------------------------------------------------------ host calls

bool TOmbrix::CaptureFrameTo(TFrameCaptureDest dest, const QString& fileName)
{
    if (!m_settings.frozen.frozen || m_settings.frozen.frameGrabber == fg_Disabled || !m_graphActive)
        return false;
    if (m_capture.requestPending())
        return false;
    // A running graph's next frame; a paused graph delivers nothing new,
    // so its last frame is the one (the next when it has none).
    if (m_runState != 1 || m_capture.current.image.isNull())
        return m_capture.request(dest, fileName);
    capture(dest, fileName, true, true);
    return true;
}

bool TOmbrix::CaptureFrameSyncTo(TFrameCaptureDest dest, const QString& fileName)
{
    // Nested waits, and waits inside a frame event (whose frames could never
    // arrive while it runs), are refused.
    if (m_capture.inSyncCapture)
        return !Report(true, sevWarning, QStringLiteral("frame capture already waiting"), e_failed);
    if (m_periodicBusy || m_capture.inFrameProgress)
        return !Report(true, sevWarning, QStringLiteral("frame capture cannot wait inside a frame event"), e_failed);
    m_capture.syncResult = false;
    m_capture.syncWaiting = true;
    if (!CaptureFrameTo(dest, fileName)) {
        m_capture.syncWaiting = false;
        return false;
    }
    m_capture.inSyncCapture = true;
    QElapsedTimer waited;
    waited.start();
    while (m_capture.syncWaiting && waited.elapsed() < m_capture.settings().syncTimeOutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (m_capture.syncWaiting)
            QThread::msleep(1);
    }
    m_capture.inSyncCapture = false;
    if (m_capture.syncWaiting) {
        m_capture.syncWaiting = false;
        m_capture.cancelRequest();
        Report(true, sevWarning,
               QStringLiteral("no frame within ") + QString::number(m_capture.settings().syncTimeOutMs)
                   + QStringLiteral(" ms"),
               e_failed);
        return false;
    }
    return m_capture.syncResult;
}

} // namespace velmar::video
