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
constexpr int maxFrameBuffers = 10;
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
    if (g < fg_BothStreams || g > fg_Disabled || g == m_frameGrabber)
        return;
    m_frameGrabber = g;
    RefreshPreview(QStringLiteral("FrameGrabber"));
}

void TOmbrix::setFrameGrabberRGBFormat(TFrameGrabberRGBFormat format)
{
    if (format < fgf_Default || format > fgf_RGB8 || format == m_rgbFormat)
        return;
    m_rgbFormat = format;
    if (m_frameGrabber != fg_Disabled)
        RefreshPreview(QStringLiteral("FrameGrabberRGBFormat"));
}

void TOmbrix::setFrameCaptureWithoutOverlay(bool on)
{
    if (on == m_captureWithoutOverlay)
        return;
    m_captureWithoutOverlay = on;
    RefreshPreview(QStringLiteral("FrameCaptureWithoutOverlay"));
}

void TOmbrix::setFrameCaptureZoomSize(int zoom)
{
    if (zoom > 0)
        m_captureZoom = zoom;
}

void TOmbrix::setFrameBuffers(int n)
{
    if (n < 0 || n > maxFrameBuffers || n == m_frameBuffers)
        return;
    m_frameBuffers = n;
    RefreshPreview(QStringLiteral("FrameBuffers"));
}

bool TOmbrix::BurstMode() const
{
    QMutexLocker locker(&m_frameLock);
    return m_burst.isOn();
}

void TOmbrix::setBurstMode(bool on)
{
    QMutexLocker locker(&m_frameLock);
    if (on)
        m_burst.switchOn(m_burstCount);
    else
        m_burst.switchOff();
}

void TOmbrix::setBurstCount(int n)
{
    QMutexLocker locker(&m_frameLock);
    if (n >= 0)
        m_burstCount = n;
}

void TOmbrix::setBurstInterval(int n)
{
    QMutexLocker locker(&m_frameLock);
    if (n >= 0)
        m_burstInterval = n;
}

void TOmbrix::setBurstType(TFrameCaptureDest type)
{
    if (type >= fc_TBitmap && type <= fc_JpegFile)
        m_burstType = type;
}

void TOmbrix::setJPEGQuality(int quality)
{
    if (quality >= 1 && quality <= percent)
        m_jpeg.quality = quality;
}

void TOmbrix::setJPEGPerformance(TJPEGPerformance p)
{
    if (p == jpBestQuality || p == jpBestSpeed)
        m_jpeg.performance = p;
}

void TOmbrix::setAutoFileName(TAutoFileName kind)
{
    if (kind == fn_Sequential || kind == fn_DateTime)
        m_autoFileName = kind;
}

void TOmbrix::setAutoFilePrefix(const QString& prefix)
{
    if (prefix == m_autoFilePrefix)
        return;
    m_autoFilePrefix = prefix;
    m_storagePathChanged = true;
}

void TOmbrix::setStoragePath(const QString& path)
{
    m_storagePath = path;
    m_storagePathChanged = true;
}

void TOmbrix::setCaptureFrameSyncTimeOutMs(int ms)
{
    if (ms > 0)
        m_syncTimeOutMs = ms;
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
        g_object_set(balance, "brightness", std::clamp(m_processing.brightness, -100, 100) / 100.0, "hue",
                     std::clamp(m_processing.hue, -100, 100) / 100.0, "contrast",
                     1.0 + std::clamp(m_processing.contrast, -100, 100) / 100.0, "saturation",
                     1.0 + std::clamp(m_processing.saturation, -100, 100) / 100.0, nullptr);
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
    if (d < di_Disabled || d > di_FullSize || d == m_processing.deinterlacing)
        return;
    const bool halfSizeChanged = d == di_HalfSize || m_processing.deinterlacing == di_HalfSize;
    m_processing.deinterlacing = d;
    applyProcessingToGraph();
    if (halfSizeChanged)
        RefreshPreview(QStringLiteral("VideoProcessing_Deinterlacing"));
}

void TOmbrix::setVideoProcessing_Rotation(TVideoRotation r)
{
    if (r < rt_0_deg || r > rt_270_deg_mirror || r == m_processing.rotation)
        return;
    m_processing.rotation = r;
    applyProcessingToGraph();
    // A quarter turn swaps width and height: a new graph.
    RefreshPreview(QStringLiteral("VideoProcessing_Rotation"));
}

// ------------------------------------------------------------- the chain

void TOmbrix::chooseRgbFormat()
{
    const QString subtype = m_frozen.subtypeIndex > 0 && m_frozen.subtypeIndex < m_subtypes.count()
                              ? m_subtypes.entries().at(m_frozen.subtypeIndex).trimmed()
                              : QString();
    const bool mustBeRgb = m_processing.brightness != 0 || m_processing.contrast != 0 || m_processing.saturation != 0
                        || m_processing.hue != 0 || m_processing.grayScale || m_processing.invertColors
                        || (m_processing.rotation % 2) == 1 || m_processing.deinterlacing == di_HalfSize
                        || m_motion.enabled();
    m_frozen.rgbFormat = GrabberRgbFormat(m_rgbFormat, subtype, ScreenColorDepth(), mustBeRgb);
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
        GstCaps* wanted = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, TapCapsFormat(m_frozen.rgbFormat),
                                              nullptr);
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
    if (m_multiplexedRole == mr_MultiplexedMaster)
        handOverToSlave(frame);
    const qint64 number = ++m_framesDelivered;
    m_recording.lastStreamTime = streamTime;
    qint64 frameTime = 0;
    {
        // A paused recording's time stands still and runs on after it.
        QMutexLocker locker(&m_frameLock);
        frameTime = m_recording.clock.frameTime(streamTime);
    }
    const TFrameInfo info = MakeFrameInfo(qint32(number), std::max<qint64>(frameTime, 0));
    const bool grabbing = m_frozen.frameGrabber != fg_Disabled;
    // Without the frame grabber, frame progress follows the frame times,
    // thinned to about fifteen a second.
    if (!grabbing && m_frameTimes.take(quint32(m_tick.elapsed())))
        m_newFrame = true;

    bool eligible = false;
    bool taken = false;
    {
        QMutexLocker locker(&m_frameLock);
        eligible = grabbing && !m_frameReady.load();
        if (eligible) {
            switch (m_burst.frame(m_burstCount, m_burstInterval)) {
            case BurstSchedule::Pending:
                m_burstPending = true;
                taken = true;
                break;
            case BurstSchedule::Ended: taken = true; break;
            case BurstSchedule::Skipped: break;
            }
            taken = taken || m_captureRequested || m_burstPending || m_motion.running();
            if (m_pauseOnNextFrame) {
                m_pauseOnNextFrame = false;
                m_pausedOnFrame = true;
                taken = true;
            }
        }
    }
    // Captures carry the overlays unless asked not to; the display always
    // does. The motion detector compares frames without them.
    const bool overlaysFirst = !m_frozen.withoutOverlay && !m_motion.running();
    const bool sampleAfterOverlays = m_frozen.sampleVideo == sc_AfterOnDraw;
    if (m_frozen.sampleVideo != sc_Disabled && !sampleAfterOverlays)
        sampleFrame(frame, info);
    if (overlaysFirst)
        drawOverlays(frame, info);
    if (eligible) {
        m_work.info = info;
        m_work.image = taken ? frame.copy() : QImage();
    }
    if (!overlaysFirst)
        drawOverlays(frame, info);
    if (sampleAfterOverlays)
        sampleFrame(frame, info);
    if (eligible) {
        QMutexLocker locker(&m_frameLock);
        m_published = std::move(m_work);
        m_work = FrameRecord();
    }

    if (m_display.offerFrame(frame))
        QMetaObject::invokeMethod(
            this, [this] { m_display.showNewest(); }, Qt::QueuedConnection);

    if (eligible && m_frozen.grabberSynchrone) {
        takeFrame();
        captureStep();
        return;
    }
    if (eligible)
        m_frameReady = true;
}

// ------------------------------------------------------------ worker tick

void TOmbrix::takeFrame()
{
    QMutexLocker locker(&m_frameLock);
    m_current = std::move(m_published);
    m_published = FrameRecord();
}

void TOmbrix::frameProgressStep()
{
    if (m_destroying || !m_graphActive)
        return;
    m_inFrameProgress = true;
    emit OnFrameProgress(m_current.info.frameNumber, 0);
    if (!m_frozen.grabberSynchrone)
        captureStep();
    bool pause = false;
    {
        QMutexLocker locker(&m_frameLock);
        pause = std::exchange(m_pausedOnFrame, false);
    }
    // The frame just handed over is the one the paused preview holds.
    if (pause && m_runState == 2)
        changeGraphState(GST_STATE_PAUSED, QStringLiteral("cspnf"));
    m_inFrameProgress = false;
}

void TOmbrix::captureStep()
{
    if (m_current.image.isNull()) {
        serveSamples();
        return;
    }
    bool request = false;
    bool burst = false;
    bool burstOn = false;
    TFrameCaptureDest dest = fc_TBitmap;
    QString file;
    {
        QMutexLocker locker(&m_frameLock);
        if (m_captureRequested) {
            request = true;
            m_captureRequested = false;
            dest = m_requestDest;
            file = m_requestFile;
        } else if (m_burstPending) {
            burst = true;
            m_burstPending = false;
            burstOn = m_burst.isOn();
        }
    }
    if (request)
        capture(dest, file, true, true);
    else if (burst)
        capture(m_burstType, QString(), burstOn, false);
    if (m_motion.running())
        motionStep();
    serveSamples();
}

void TOmbrix::setSampleCapture_Video(TSampleCapture where)
{
    if (where >= sc_Disabled && where <= sc_AfterCompression)
        m_sampleVideo = where;
}

void TOmbrix::setSampleCapture_Audio(TSampleCapture where)
{
    if (where >= sc_Disabled && where <= sc_AfterCompression)
        m_sampleAudio = where;
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
                        .arg(QLatin1String(TapCapsFormat(m_frozen.rgbFormat)))
                        .arg(frame.width())
                        .arg(frame.height());
    sample.StartTime = info.frameTime;
    sample.EndTime = info.frameTime;
    if (!m_frozen.sampleAsync) {
        // At once, on this thread, over the frame itself.
        sample.Buffer = QByteArray::fromRawData(reinterpret_cast<const char*>(frame.constBits()),
                                                qsizetype(frame.sizeInBytes()));
        if (!m_destroying)
            emit OnSampleCapture_Video(sample);
        return;
    }
    // Only the newest sample waits; a host still busy with one drops others.
    QMutexLocker locker(&m_sampleLock);
    sample.Buffer = QByteArray(reinterpret_cast<const char*>(frame.constBits()), qsizetype(frame.sizeInBytes()));
    m_pendingSample = std::move(sample);
}

void TOmbrix::serveSamples()
{
    std::optional<TSampleData> video;
    std::optional<TSampleData> audio;
    {
        QMutexLocker locker(&m_sampleLock);
        video.swap(m_pendingSample);
        audio.swap(m_pendingAudioSample);
    }
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
    if (!m_frozen.sampleAsync) {
        sample.Buffer = QByteArray::fromRawData(reinterpret_cast<const char*>(map.data), qsizetype(map.size));
        emit OnSampleCapture_Audio(sample);
    } else {
        sample.Buffer = QByteArray(reinterpret_cast<const char*>(map.data), qsizetype(map.size));
        QMutexLocker locker(&m_sampleLock);
        m_pendingAudioSample = std::move(sample);
    }
    gst_buffer_unmap(buffer, &map);
}

QString TOmbrix::autoFileName(int kind, const QString& extension)
{
    TSyncManager* manager = TSyncManager::instance();
    if (!manager)
        return {};
    QString folder = m_storagePath.isEmpty() ? QDir::currentPath() : m_storagePath;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    const QString ext = kind == 0 ? QStringLiteral("bmp") : kind == 1 ? QStringLiteral("jpg") : extension;
    if (m_storagePathChanged) {
        if (!ForceDirectories(folder))
            Report(true, sevError, QStringLiteral("cannot create directory: ") + folder, e_failed_to_create_directory);
        manager->counters().scanSequentialNumbers(folder, m_autoFilePrefix, ext);
        m_storagePathChanged = false;
    }
    QString stamp;
    if (m_autoFileName == fn_DateTime) {
        stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyMMdd_hhmmss_zzz"));
    } else {
        int index = -1;
        const int n = manager->counters().nextSequentialNumber(folder, m_autoFilePrefix, ext, index);
        stamp = QString::number(n).rightJustified(sequentialDigits, QLatin1Char('0'));
    }
    return folder + m_autoFilePrefix + stamp + QLatin1Char('.') + ext;
}

void TOmbrix::capture(TFrameCaptureDest dest, QString fileName, bool save, bool isRequest)
{
    QImage picture = m_current.image;
    if (m_captureZoom != percent && !picture.isNull())
        picture = picture.scaled(ZoomedVideoSize(picture.size(), m_captureZoom), Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation);
    // A frame copied for the motion detector came before its overlays.
    if (!m_frozen.withoutOverlay && m_motion.running() && !picture.isNull()) {
        picture.detach();
        drawOverlays(picture, m_current.info);
    }
    const TFrameData data{picture, m_current.info.frameNumber, m_current.info.frameTime};
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
                           : WriteJpegFile(picture, fileName, m_jpeg, &error));
            // The host learns of it from the event's success; the log keeps why.
            if (!success && !error.isEmpty())
                ReportResult(false, sevTrace, error, e_failed_to_create_file);
            break;
        }
        }
        if (success && dest != fc_TBitmap)
            (isRequest ? m_lastCaptureFile : m_lastBurstFile) = fileName;
        if (!m_destroying)
            emit OnFrameCaptureCompleted(data, dest, fileName, success);
        m_syncResult = success;
        m_syncWaiting = false;
    }
}

void TOmbrix::resetCaptureState()
{
    {
        QMutexLocker locker(&m_frameLock);
        m_captureRequested = false;
        m_burstPending = false;
        m_pauseOnNextFrame = false;
        m_pausedOnFrame = false;
        m_burst.loadForGraph(m_burstCount, m_burstInterval);
        m_published = FrameRecord();
        m_work = FrameRecord();
    }
    m_frameReady = false;
    m_current = FrameRecord();
    // A new graph's first frame starts the analysis again.
    m_motion.reset();
    {
        QMutexLocker locker(&m_sampleLock);
        m_pendingSample.reset();
        m_pendingAudioSample.reset();
    }
    // A waiting synchronous capture returns without a frame.
    m_syncResult = false;
    m_syncWaiting = false;
}

// ------------------------------------------------------------ host calls

bool TOmbrix::CaptureFrameTo(TFrameCaptureDest dest, const QString& fileName)
{
    if (!m_frozen.frozen || m_frozen.frameGrabber == fg_Disabled || !m_graphActive)
        return false;
    {
        QMutexLocker locker(&m_frameLock);
        if (m_captureRequested)
            return false;
        if (m_runState != 1) {
            m_requestDest = dest;
            m_requestFile = fileName;
            m_captureRequested = true;
            return true;
        }
    }
    // A paused graph delivers nothing new: its last frame is the one.
    if (m_current.image.isNull()) {
        QMutexLocker locker(&m_frameLock);
        m_requestDest = dest;
        m_requestFile = fileName;
        m_captureRequested = true;
        return true;
    }
    capture(dest, fileName, true, true);
    return true;
}

bool TOmbrix::CaptureFrameSyncTo(TFrameCaptureDest dest, const QString& fileName)
{
    // Nested waits, and waits inside a frame event (whose frames could never
    // arrive while it runs), are refused.
    if (m_inSyncCapture)
        return !Report(true, sevWarning, QStringLiteral("frame capture already waiting"), e_failed);
    if (m_periodicBusy || m_inFrameProgress)
        return !Report(true, sevWarning, QStringLiteral("frame capture cannot wait inside a frame event"), e_failed);
    m_syncResult = false;
    m_syncWaiting = true;
    if (!CaptureFrameTo(dest, fileName)) {
        m_syncWaiting = false;
        return false;
    }
    m_inSyncCapture = true;
    QElapsedTimer waited;
    waited.start();
    while (m_syncWaiting && waited.elapsed() < m_syncTimeOutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (m_syncWaiting)
            QThread::msleep(1);
    }
    m_inSyncCapture = false;
    if (m_syncWaiting) {
        m_syncWaiting = false;
        {
            QMutexLocker locker(&m_frameLock);
            m_captureRequested = false;
        }
        Report(true, sevWarning,
               QStringLiteral("no frame within ") + QString::number(m_syncTimeOutMs) + QStringLiteral(" ms"), e_failed);
        return false;
    }
    return m_syncResult;
}

} // namespace velmar::video
