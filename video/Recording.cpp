// Recordings of the component: the recording graph (a tee after the device
// with a leaky queue for the preview and a queue for the recording), the
// writer that is attached to the recording queue when the file opens and
// closed with an end of stream so the file is finalised, held recordings
// whose queue keeps the frames before the trigger, pauses, file renewal,
// and the recorded sound with its level and balance.
//
// The writer's elements are added to and removed from the running graph on
// the user-interface thread; GStreamer's threads only count frames and see
// the end of stream arrive.
#include "AsfProfileXml.h"
#include "DeviceCatalogue.h"
#include "FileOps.h"
#include "Ombrix.h"
#include "ProcessLog.h"
#include "SequentialNumbers.h"
#include "StreamConfig.h"
#include "SyncManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace velmar::video {

namespace {
constexpr int gateOpen = RecordingPart::gateOpen;
constexpr int gateBlock = RecordingPart::gateBlock; // the queue keeps its frames
constexpr int gateDrop = RecordingPart::gateDrop;   // frames are thrown away, events pass
constexpr int videoGate = RecordingPart::videoGate;
constexpr int audioGate = RecordingPart::audioGate;
constexpr int writerEndMs = 5000;
constexpr int previewQueueFrames = 2;
constexpr double defaultRate = 25.0;
constexpr int maxLevel = RecordingPart::maxLevel;
constexpr double maxBalance = RecordingPart::maxBalance;
constexpr double minBalance = RecordingPart::minBalance;

// The frame rate in the caps text of the device's format; the default rate
// when it has none.
double capsRate(const QString& capsText)
{
    double rate = defaultRate;
    if (GstCaps* caps = gst_caps_from_string(capsText.toUtf8().constData())) {
        int num = 0, den = 0;
        if (!gst_caps_is_empty(caps)
            && gst_structure_get_fraction(gst_caps_get_structure(caps, 0), "framerate", &num, &den) && num > 0
            && den > 0)
            rate = double(num) / den;
        gst_caps_unref(caps);
    }
    return rate;
}

} // namespace

// ------------------------------------------------------------- settings

void TOmbrix::setAudioInputLevel(int level)
{
    m_recording.setAudioInputLevel(level);
    applyAudioLevels();
}

void TOmbrix::setAudioInputBalance(int balance)
{
    if (Report(!RecordingPart::balanceInRange(balance), sevError, QStringLiteral("Audio Balance value out of range"),
               e_value_out_of_range))
        return;
    m_recording.settings().audioInputBalance = balance;
    applyAudioLevels();
}

namespace {
// A level 0 .. 65535 and a balance -32768 .. 32767 on the named elements.
void setLevels(GstElement* pipeline, const char* volumeName, const char* panName, int level, int balance)
{
    if (GstElement* volume = ElementByName(pipeline, volumeName)) {
        g_object_set(volume, "volume", double(std::clamp(level, 0, maxLevel)) / maxLevel, nullptr);
        gst_object_unref(volume);
    }
    if (GstElement* pan = ElementByName(pipeline, panName)) {
        // The simple method lowers the other channel and mixes nothing in,
        // as the balance does (VolumeBalanceToChannels).
        const double value = balance >= 0 ? balance / maxBalance : -balance / minBalance;
        g_object_set(pan, "method", 1, "panorama", float(std::clamp(value, -1.0, 1.0)), nullptr);
        gst_object_unref(pan);
    }
}

// The values last stored for a compressor (SetVideoCompressionSettings),
// given to it; nothing when none are stored.
void LoadStoredCompression(TEncoderCompression& compressor, const QString& key)
{
    TRegistry2 reg;
    bool saved = false;
    if (!reg.openKey(key, false) || !reg.readBool(QStringLiteral("AMCompression_Saved"), saved) || !saved)
        return;
    const int caps = compressor.capabilities();
    double q = 0;
    int n = 0;
    if ((caps & CompressionCaps_CanQuality) && reg.readFloat(QStringLiteral("AMCompression_Quality"), q))
        compressor.setQuality(q);
    if ((caps & CompressionCaps_CanKeyFrame) && reg.readInteger(QStringLiteral("AMCompression_KeyFrameRate"), n))
        compressor.setKeyFrameRate(n);
    if ((caps & CompressionCaps_CanBFrame) && reg.readInteger(QStringLiteral("AMCompression_PFramesPerKeyFrame"), n))
        compressor.setPFramesPerKeyFrame(n);
}
} // namespace

void TOmbrix::applyAudioLevels()
{
    setLevels(Pipeline(), "Audio Volume", "Audio Balance", m_recording.settings().audioInputLevel,
              m_recording.settings().audioInputBalance);
}

void TOmbrix::applySpeakerSettings()
{
    if (!m_player.settings().speakerControl)
        return;
    setLevels(Pipeline(), "Speaker Volume", "Speaker Balance", m_player.speakerVolumeNow(),
              m_player.speakerBalanceNow());
}

void TOmbrix::setSpeakerControl(bool on)
{
    m_player.settings().speakerControl = on;
    applySpeakerSettings();
}

void TOmbrix::setSpeakerVolume(int volume)
{
    m_player.setSpeakerVolume(volume);
    applySpeakerSettings();
}

void TOmbrix::setSpeakerBalance(int balance)
{
    m_player.setSpeakerBalance(balance);
    applySpeakerSettings();
}

void TOmbrix::setMuteAudioRendering(bool on)
{
    m_player.settings().mute = on;
    applySpeakerSettings();
}

QString TOmbrix::Last_Recording_FileName() const
{
    return m_settings.lastUse.value("_LastRecordingFileName").toString();
}

double TOmbrix::RecordingDuration() const
{
    return double(m_recording.framesWritten.load()) / capsRate(m_sourceCaps);
}

double TOmbrix::DeviceFrameRate() const
{
    if (const int current = CurrentFrameRate(); current > 0)
        return current / 100.0;
    // The rate a graph asks of the device: FrameRate, else the default rate,
    // when the device offers it; else the best it offers.
    TDevices* catalogue = VideoDeviceCatalogue();
    const int index = m_devices.boundVideo >= 0 ? m_devices.boundVideo : m_settings.values.videoDevice;
    const TCapDeviceInfo* entry = catalogue ? catalogue->entry(index) : nullptr;
    if (!entry)
        return 0.0;
    const int wanted = m_settings.values.frameRate > 0.0 ? int(std::lround(m_settings.values.frameRate * 100))
                                                         : defaultRateHundredths;
    int best = 0;
    for (const CapsEntry& c : entry->formats) {
        if ((c.minRate == 0 && c.maxRate == 0) || (wanted >= c.minRate && wanted <= c.maxRate))
            return wanted / 100.0;
        best = std::max(best, c.maxRate);
    }
    return best / 100.0;
}

QStringList TOmbrix::ASFProfiles()
{
    Report(true, sevError,
           QStringLiteral("no ASF profiles available. Perhaps the Windows Media Encoder 9 is not installed."),
           e_failed_to_load_ASF_profile);
    return {};
}

// ------------------------------------------------- compressor settings

bool TOmbrix::reportNoVideoDevice()
{
    Bootstrap();
    TDevices* devices = VideoDeviceCatalogue();
    return Report(!devices || devices->count() == 0, sevError, QStringLiteral("no video capture device"),
                  e_no_video_input_device);
}

bool TOmbrix::compressorSettingsAllowed()
{
    return CheckState(0, sevError, false) && !reportNoVideoDevice();
}

const TCapDeviceInfo* TOmbrix::chosenVideoCompressor()
{
    TDevices* compressors = VideoCompressorCatalogue();
    const TCapDeviceInfo* entry = compressors ? compressors->entry(m_videoCompressor) : nullptr;
    return entry && !entry->classId.isEmpty() ? entry : nullptr;
}

GstElement* TOmbrix::makeVideoCompressor(QString& key)
{
    const TCapDeviceInfo* entry = chosenVideoCompressor();
    if (!entry) {
        Report(true, sevError, QStringLiteral("no video compressor selected"), e_video_compressor_not_suitable);
        return nullptr;
    }
    GstElement* compressor = gst_element_factory_make(entry->classId.toUtf8().constData(), nullptr);
    if (!compressor) {
        Report(true, sevError, QStringLiteral("video compressor ") + entry->classId + QStringLiteral(" not suitable"),
               e_video_compressor_not_suitable);
        return nullptr;
    }
    key = deviceKey(VideoCompressorCatalogue(), m_videoCompressor);
    return GST_ELEMENT(gst_object_ref_sink(compressor));
}

bool TOmbrix::GetVideoCompressionSettings(int& dataRate, int& keyFrameRate, int& pFramesPerKeyFrame, int& windowSize,
                                          double& quality, bool& canQuality, bool& canCrunch, bool& canKeyFrame,
                                          bool& canBFrame, bool& canWindow)
{
    canQuality = canCrunch = canKeyFrame = canBFrame = canWindow = false;
    dataRate = keyFrameRate = pFramesPerKeyFrame = windowSize = -1;
    quality = -1.0;
    if (!compressorSettingsAllowed())
        return false;
    busyOn();
    QString key;
    GstElement* element = makeVideoCompressor(key);
    if (!element) {
        busyOff();
        return false;
    }
    TEncoderCompression compressor(element);
    const int caps = compressor.capabilities();
    canQuality = caps & CompressionCaps_CanQuality;
    canCrunch = caps & CompressionCaps_CanCrunch;
    canKeyFrame = caps & CompressionCaps_CanKeyFrame;
    canBFrame = caps & CompressionCaps_CanBFrame;
    canWindow = caps & CompressionCaps_CanWindow;
    const TCompressionValues initial = compressor.defaults();
    keyFrameRate = initial.keyFrameRate;
    pFramesPerKeyFrame = initial.pFramesPerKeyFrame;
    quality = initial.quality;

    LoadStoredCompression(compressor, key);
    const TCompressionValues now = compressor.current();
    if (canQuality)
        quality = now.quality;
    if (canKeyFrame)
        keyFrameRate = now.keyFrameRate;
    if (canBFrame)
        pFramesPerKeyFrame = now.pFramesPerKeyFrame;
    if (canCrunch)
        dataRate = 3;
    gst_object_unref(element);
    busyOff();
    return true;
}

bool TOmbrix::SetVideoCompressionSettings(int /*dataRate*/, int keyFrameRate, int pFramesPerKeyFrame,
                                          int /*windowSize*/, double quality)
{
    if (!compressorSettingsAllowed())
        return false;
    busyOn();
    QString key;
    GstElement* element = makeVideoCompressor(key);
    TRegistry2 reg;
    if (!element || !reg.openKey(key, true)) {
        if (element)
            gst_object_unref(element);
        busyOff();
        return false;
    }
    // What is stored is what the compressor took, not what was asked for.
    TEncoderCompression compressor(element);
    const int caps = compressor.capabilities();
    if (caps & CompressionCaps_CanQuality) {
        compressor.setQuality(quality);
        reg.writeFloat(QStringLiteral("AMCompression_Quality"), compressor.current().quality);
    }
    if (caps & CompressionCaps_CanCrunch)
        reg.writeInteger(QStringLiteral("AMCompression_DataRate"), 3);
    if (caps & CompressionCaps_CanKeyFrame) {
        compressor.setKeyFrameRate(keyFrameRate);
        reg.writeInteger(QStringLiteral("AMCompression_KeyFrameRate"), compressor.current().keyFrameRate);
    }
    if (caps & CompressionCaps_CanBFrame) {
        compressor.setPFramesPerKeyFrame(pFramesPerKeyFrame);
        reg.writeInteger(QStringLiteral("AMCompression_PFramesPerKeyFrame"), compressor.current().pFramesPerKeyFrame);
    }
    reg.writeBool(QStringLiteral("AMCompression_Saved"), true);
    reg.sync();
    gst_object_unref(element);
    busyOff();
    return true;
}

bool TOmbrix::SetVideoCompressionDefaults()
{
    if (reportNoVideoDevice())
        return false;
    TDevices* compressors = VideoCompressorCatalogue();
    if (!compressors || !compressors->entry(m_videoCompressor))
        return true;
    TRegistry2 reg;
    const QString key = deviceKey(compressors, m_videoCompressor);
    if (reg.keyExists(key) && reg.openKey(key, false)) {
        reg.deleteValue(QStringLiteral("AMCompression_Saved"));
        reg.sync();
    }
    return true;
}

void TOmbrix::applyVideoCompression(GstElement* element)
{
    TEncoderCompression compressor(element);
    const int caps = compressor.capabilities();
    const TCompressionValues initial = compressor.defaults();
    emit OnVideoCompressionSettings(
        caps & CompressionCaps_CanKeyFrame, caps & CompressionCaps_CanBFrame, caps & CompressionCaps_CanQuality,
        caps & CompressionCaps_CanWindow, initial.keyFrameRate < 0 ? 15 : initial.keyFrameRate,
        std::max(0, initial.pFramesPerKeyFrame), initial.quality < 0 ? 1.0 : initial.quality);
    // What was stored for this compressor, then the component's own values over it.
    LoadStoredCompression(compressor, deviceKey(VideoCompressorCatalogue(), m_videoCompressor));
    if (m_recording.settings().compression.keyFrameRate != -1)
        compressor.setKeyFrameRate(m_recording.settings().compression.keyFrameRate);
    if (m_recording.settings().compression.pFramesPerKeyFrame != -1)
        compressor.setPFramesPerKeyFrame(m_recording.settings().compression.pFramesPerKeyFrame);
    if (m_recording.settings().compression.quality != -1.0)
        compressor.setQuality(m_recording.settings().compression.quality);
}

bool TOmbrix::CreatePreallocCapFile()
{
    // Nothing to gain from a preallocated file on this system: the
    // recording writes its final file, so there is nothing to create.
    const QString name = m_recording.settings().preallocName.isEmpty()
                           ? m_capture.settings().storagePath + QLatin1Char('/') + objectName() + QStringLiteral(".rec")
                           : m_recording.settings().preallocName;
    Report(true, sevInfo, QStringLiteral("prealloc. cap. file \"") + name + QStringLiteral("\" not needed"),
           i_preallocated_file_size_large_enough);
    emit OnCreatePreallocFileCompleted(name, true);
    return true;
}

// ------------------------------------------------------------- the graph

bool TOmbrix::buildRecordingChain()
{
    WriteLog(cfBlue, QStringLiteral("BEGIN build capture and preview"));
    if (m_recording.frozen().method == rm_Stream)
        return !Report(true, sevError, QStringLiteral("network streaming is not available in this version"),
                       e_not_streaming);
    if (!prepareOutputFile())
        return false;
    GstElement* pipeline = m_graph->pipeline();
    GstElement* caps = ElementByName(pipeline, "Video Caps");
    if (!caps)
        return false;
    GstPad* pin = gst_element_get_static_pad(caps, "src");
    gst_object_unref(caps);

    // The frame grabber (overlays, captures, display) sits before the tee
    // when the recorded frames are to carry what it draws.
    const bool wanted = !(m_settings.frozen.videoRenderer == vr_None && m_settings.frozen.frameGrabber == fg_Disabled);
    const bool grabberFirst = m_settings.frozen.frameGrabber == fg_BothStreams
                           || m_settings.frozen.frameGrabber == fg_CaptureStream;
    bool ok = true;
    if (wanted && grabberFirst)
        ok = buildGrabberChain(pin);
    GstElement* tee = ok ? m_graph->addFilterAfter(pin, "tee", QStringLiteral("Smart Tee")) : nullptr;
    ok = tee != nullptr;
    if (pin)
        gst_object_unref(pin);
    if (!ok)
        return false;

    // Preview branch: a leaky queue, so a slow display never holds the recording up.
    GstPad* preview = gst_element_request_pad_simple(tee, "src_%u");
    ok = m_graph->insertFilterInline("queue", QStringLiteral("Preview Queue"), preview);
    if (ok) {
        GstElement* queue = ElementByName(pipeline, "Preview Queue");
        g_object_set(queue, "leaky", 2, "max-size-buffers", guint(previewQueueFrames), "max-size-time", guint64(0),
                     "max-size-bytes", guint(0), nullptr);
        gst_object_unref(queue);
    }
    if (ok && wanted && !grabberFirst)
        ok = buildGrabberChain(preview);
    GstElement* sink = ok ? m_graph->addFilterAfter(preview, "fakesink", QStringLiteral("Null Renderer")) : nullptr;
    ok = sink != nullptr;
    if (ok)
        g_object_set(sink, "sync", FALSE, "async", FALSE, nullptr);
    if (preview)
        gst_object_unref(preview);
    if (!ok)
        return false;

    // Capture branch: a queue whose output is the gate to the writer.
    GstPad* capture = gst_element_request_pad_simple(tee, "src_%u");
    ok = m_graph->insertFilterInline("queue", QStringLiteral("Capture Queue"), capture);
    if (!ok) {
        if (capture)
            gst_object_unref(capture);
        return false;
    }
    GstElement* queue = ElementByName(pipeline, "Capture Queue");
    if (m_recording.frozen().hold && m_recording.frozen().backtimed > 0) {
        // The last frames before the trigger: the queue drops its oldest.
        g_object_set(queue, "leaky", 2, "max-size-buffers", guint(m_recording.frozen().backtimed), "max-size-time",
                     guint64(0), "max-size-bytes", guint(0), nullptr);
        GstPad* input = gst_element_get_static_pad(queue, "sink");
        gst_pad_add_probe(
            input, GST_PAD_PROBE_TYPE_BUFFER,
            +[](GstPad*, GstPadProbeInfo*, gpointer data) {
                auto* self = static_cast<TOmbrix*>(data);
                // Told once per recording: the count starts again with each graph.
                if (self->m_recording.held && ++self->m_recording.heldFrames == self->m_recording.frozen().backtimed) {
                    QMetaObject::invokeMethod(
                        self, [self] { emit self->OnBacktimedFramesCountReached(); }, Qt::QueuedConnection);
                }
                return GST_PAD_PROBE_OK;
            },
            this, nullptr);
        gst_object_unref(input);
    }
    gst_object_unref(queue);
    m_recording.setGatePad(videoGate, capture);
    if (m_recording.frozen().audio)
        buildRecordingAudio();
    // Until the writer is attached the gates hold the frames (held: the
    // last ones are kept; otherwise the writer comes before the graph runs).
    for (int g : {videoGate, audioGate})
        m_recording.setGate(g, m_recording.frozen().hold && m_recording.frozen().backtimed > 0 ? gateBlock : gateDrop);
    WriteLog(cfBlue, QStringLiteral("END build capture and preview"));
    return true;
}

bool TOmbrix::buildRecordingAudio()
{
    GstElement* source = addAudioInput();
    if (!source)
        return false;
    GstPad* pin = gst_element_get_static_pad(source, "src");
    if (!m_graph->insertFilterInline("queue", QStringLiteral("Audio Capture Queue"), pin)) {
        if (pin)
            gst_object_unref(pin);
        return !Report(true, sevWarning, QStringLiteral("render audio stream"), e_render_audio_stream);
    }
    if (m_recording.frozen().hold && m_recording.frozen().backtimed > 0) {
        // As many seconds of sound as the frames kept before the trigger.
        const double rate = capsRate(m_sourceCaps);
        const guint64 ns = guint64(double(m_recording.frozen().backtimed) / rate * GST_SECOND);
        GstElement* queue = ElementByName(m_graph->pipeline(), "Audio Capture Queue");
        g_object_set(queue, "leaky", 2, "max-size-buffers", guint(0), "max-size-bytes", guint(0), "max-size-time", ns,
                     nullptr);
        gst_object_unref(queue);
    }
    m_recording.setGatePad(audioGate, pin);
    return true;
}

// ------------------------------------------------------------- the file

bool TOmbrix::prepareOutputFile()
{
    TSyncManager* manager = TSyncManager::instance();
    if (!manager)
        return false;
    QString folder = m_capture.settings().storagePath.isEmpty() ? QDir::currentPath()
                                                                : m_capture.settings().storagePath;
    const QString ext = m_recording.extension();
    QString final;
    m_recording.counterIndex = -1;
    if (!m_recording.settings().fileName.isEmpty() && m_recording.settings().fileName != QStringLiteral("RENEW")) {
        final = QDir(folder).absoluteFilePath(m_recording.settings().fileName);
    } else {
        final = autoFileName(2, ext);
        if (final.isEmpty())
            return false;
        if (m_capture.settings().autoFileName == fn_Sequential) {
            QString dir = folder;
            if (!dir.endsWith(QLatin1Char('/')))
                dir += QLatin1Char('/');
            m_recording.counterIndex = manager->counters().indexOfKey(
                TSequentialCounters::counterKey(dir, m_capture.settings().autoFilePrefix, ext));
            m_recording.counterNumber = manager->counters().getSequentialNumber(m_recording.counterIndex);
        }
    }
    folder = QFileInfo(final).absolutePath();
    if (!ForceDirectories(folder))
        return !Report(true, sevError, QStringLiteral("cannot create directory: ") + folder,
                       e_failed_to_create_directory);
    // A folder that cannot be written refuses the start: the graph would
    // otherwise run and lose every frame.
    QTemporaryFile probe(folder + QStringLiteral("/.velmar-write-XXXXXX"));
    if (!probe.open() || DriveKind(folder) == 2)
        return !Report(true, sevError,
                       QStringLiteral("StoragePath= ") + folder + QStringLiteral("\r\nstorage set on read-only drive"),
                       e_storage_path_read_only);
    if (DriveKind(folder) == 1 && isCaptureDeviceSource())
        Report(true, sevWarning,
               QStringLiteral("StoragePath= ") + folder
                   + QStringLiteral("\r\nNetwork drives or slow drives may produce high rate of dropped frames"),
               w_storage_path_on_network);
    if (!HasEnoughDiskSpace(folder)) {
        emit OnDiskFull();
        return !Report(true, sevError, QStringLiteral("disk full!"), e_disk_full);
    }
    m_recording.writtenFile = final;
    return true;
}

bool TOmbrix::muxAvailable(const char* factory)
{
    GstElementFactory* available = gst_element_factory_find(factory);
    if (!available)
        return !Report(
            true, sevError,
            QStringLiteral("%1 not found. Install the GStreamer plugins that provide it.").arg(QLatin1String(factory)),
            e_library_not_found);
    gst_object_unref(available);
    return true;
}

QByteArray TOmbrix::videoEncoderFactory(const TCapDeviceInfo* chosen, bool asf)
{
    return chosen ? chosen->classId.toUtf8() : asf ? QByteArrayLiteral("avenc_wmv2") : QByteArrayLiteral("jpegenc");
}

bool TOmbrix::attachWriter()
{
    GstElement* pipeline = m_graph->pipeline();
    if (!pipeline || !m_recording.gatePad(videoGate))
        return false;
    const bool asf = m_recording.frozen().method == rm_ASF;
    const char* muxFactory = asf ? "asfmux" : "avimux";
    if (!muxAvailable(muxFactory))
        return false;
    // The video compressor chosen for compressing on the fly.
    const TCapDeviceInfo* chosen = m_recording.settings().compressionMode == cm_CompressOnTheFly
                                     ? chosenVideoCompressor()
                                     : nullptr;
    const QByteArray encoder = videoEncoderFactory(chosen, asf);
    const auto make = [&](const char* factory, const QString& name) -> GstElement* {
        GstElement* e = m_graph->createFilter(factory, name);
        if (!e || !m_graph->addFilter(e, name))
            return nullptr;
        m_recording.writerElements() << e;
        return e;
    };
    GstElement* convert = make("videoconvert", QStringLiteral("Recording Converter"));
    GstElement* scale = make("videoscale", QStringLiteral("Recording Scaler"));
    GstElement* size = make("capsfilter", QStringLiteral("Recording Size"));
    GstElement* compressor = make(encoder.constData(), QStringLiteral("VIDC"));
    if (compressor && chosen)
        applyVideoCompression(compressor);
    GstElement* mux = make(muxFactory, asf ? QStringLiteral("ASF Writer") : QStringLiteral("AVI Mux"));
    if (mux && !asf)
        g_object_set(mux, "bigfile", gboolean(m_recording.frozen().openDML), nullptr);
    GstElement* sink = make("filesink", QStringLiteral("File Writer"));
    bool ok = convert && scale && size && compressor && mux && sink;
    if (!ok) {
        detachWriter();
        return !Report(true, sevError,
                       QStringLiteral("video compressor ") + QString::fromUtf8(encoder)
                           + QStringLiteral(" not suitable"),
                       e_video_compressor_not_suitable);
    }
    g_object_set(sink, "location", m_recording.writtenFile.toLocal8Bit().constData(), "async", FALSE, nullptr);
    // ASF places the streams by their timestamps: both run from one origin.
    const auto oneSegment = [&](const QString& name) {
        GstElement* e = make("identity", name);
        if (e)
            g_object_set(e, "single-segment", TRUE, nullptr);
        return e;
    };
    GstElement* videoTimes = asf ? oneSegment(QStringLiteral("Video Times")) : nullptr;
    ok = (asf ? videoTimes && gst_element_link_many(convert, scale, size, compressor, videoTimes, mux, nullptr)
              : gst_element_link_many(convert, scale, size, compressor, mux, nullptr))
      && gst_element_link(mux, sink);
    GstElement* audioCompressor = nullptr;
    const bool withAudio = m_recording.gatePad(audioGate) != nullptr;
    if (ok && withAudio) {
        GstElement* aconvert = make("audioconvert", QStringLiteral("Audio Converter"));
        GstElement* volume = make("volume", QStringLiteral("Audio Volume"));
        GstElement* pan = make("audiopanorama", QStringLiteral("Audio Balance"));
        GstElement* aconvert2 = make("audioconvert", QStringLiteral("Audio Format Converter"));
        GstElement* format = make("capsfilter", QStringLiteral("Audio Format"));
        GstElement* aencoder = asf ? make("avenc_wmav2", QStringLiteral("AUDC")) : nullptr;
        audioCompressor = aencoder;
        ok = aconvert && volume && pan && aconvert2 && format && (!asf || aencoder);
        if (ok) {
            // AVI takes 16-bit samples; the ASF encoder takes the format it wants.
            GstCaps* caps = gst_caps_new_simple("audio/x-raw", "channels", G_TYPE_INT,
                                                m_recording.settings().audioInputMono ? 1 : 2, nullptr);
            if (!asf)
                gst_caps_set_simple(caps, "format", G_TYPE_STRING, "S16LE", nullptr);
            g_object_set(format, "caps", caps, nullptr);
            gst_caps_unref(caps);
            ok = gst_element_link_many(aconvert, volume, pan, aconvert2, format, nullptr)
              && (aencoder
                      ? gst_element_link_many(format, aencoder, oneSegment(QStringLiteral("Audio Times")), mux, nullptr)
                      : gst_element_link(format, mux));
            GstPad* input = gst_element_get_static_pad(aconvert, "sink");
            m_recording.writerInputs() << input;
        }
        if (!ok)
            Report(true, sevError, QStringLiteral("cannot record the audio stream"), e_render_audio_stream);
    }
    if (!ok) {
        detachWriter();
        return !Report(true, sevError, QStringLiteral("video connection to file mux failed"),
                       e_failed_to_start_recording);
    }
    m_recording.writerInputs().prepend(gst_element_get_static_pad(convert, "sink"));
    applyAudioLevels();
    if (asf)
        applyAsfProfile(compressor, size, audioCompressor, m_recording.writerInputs().size() > 1);

    GstPad* sinkInput = gst_element_get_static_pad(sink, "sink");
    m_recording.watchWriter(sinkInput, m_recording.writerInputs().first());
    gst_object_unref(sinkInput);

    // Downstream first, so nothing reaches an element that is not running.
    for (auto it = m_recording.writerElements().rbegin(); it != m_recording.writerElements().rend(); ++it)
        gst_element_sync_state_with_parent(*it);
    ok = gst_pad_link(m_recording.gatePad(videoGate), m_recording.writerInputs().first()) == GST_PAD_LINK_OK;
    if (ok && withAudio && m_recording.writerInputs().size() > 1)
        ok = gst_pad_link(m_recording.gatePad(audioGate), m_recording.writerInputs().at(1)) == GST_PAD_LINK_OK;
    if (!ok) {
        detachWriter();
        return !Report(true, sevError, QStringLiteral("video connection to file mux failed"),
                       e_failed_to_start_recording);
    }
    m_settings.lastUse.setValue("_LastRecordingFileName", m_recording.writtenFile);
    WriteLog(cfBlue, QStringLiteral("recording to ") + m_recording.writtenFile);
    m_recording.setGate(videoGate, m_recording.paused ? gateDrop : gateOpen);
    m_recording.setGate(audioGate, m_recording.paused || !withAudio ? gateDrop : gateOpen);
    return true;
}

void TOmbrix::applyAsfProfile(GstElement* videoEncoder, GstElement* sizeCaps, GstElement* audioEncoder, bool withAudio)
{
    // The profile's size and bit rates, with the component's values over them.
    TASFXML xml;
    if (!m_recording.settings().asfProfileFile.isEmpty()) {
        QFile file(m_recording.settings().asfProfileFile);
        if (file.open(QIODevice::ReadOnly))
            xml.Parse(QString::fromUtf8(file.readAll()));
        else
            Report(true, sevError, QStringLiteral("failed to load ASF profile"),
                   e_failed_to_load_ASF_profile_custom_file);
        xml.RemoveStreams(true, withAudio);
    }
    const AsfValues values = m_recording.asfValues(xml);
    if (values.videoBitRate > 0)
        g_object_set(videoEncoder, "bitrate", values.videoBitRate, nullptr);
    if (audioEncoder && values.audioBitRate > 0)
        g_object_set(audioEncoder, "bitrate", values.audioBitRate, nullptr);
    const int width = values.width;
    const int height = values.height;
    if (width > 0 && height > 0) {
        GstCaps* caps = gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, width, "height", G_TYPE_INT, height,
                                            nullptr);
        g_object_set(sizeCaps, "caps", caps, nullptr);
        gst_caps_unref(caps);
    }
    if (!xml.Items().isEmpty())
        Report(true, sevInfo,
               QStringLiteral("using ASF profile: \"") + QFileInfo(m_recording.settings().asfProfileFile).fileName()
                   + QLatin1Char('"'),
               i_using_ASF_Profile);
}

bool TOmbrix::finishWriter()
{
    if (!m_recording.writerAttached())
        return false;
    // No more frames into this file: each branch ends it on its next frame.
    const bool ended = m_recording.finishWriter(writerEndMs);
    if (!ended)
        Report(true, sevError, QStringLiteral("the recording file was not closed in time: ") + m_recording.writtenFile,
               e_failed_to_create_file);
    return ended;
}

void TOmbrix::detachWriter()
{
    m_recording.detachWriter(m_graph ? m_graph->pipeline() : nullptr);
}

void TOmbrix::startRecordingWriter()
{
    // A name given while the recording was held replaces the one chosen at its start.
    if (!m_recording.settings().fileName.isEmpty() && m_recording.settings().fileName != QStringLiteral("RENEW")) {
        if (TSyncManager* manager = TSyncManager::instance(); manager && m_recording.counterIndex >= 0)
            manager->counters().releaseSequentialNumber(m_recording.counterIndex);
        if (!prepareOutputFile()) {
            m_graphFailed = true;
            StopAll();
            return;
        }
    }
    if (!attachWriter()) {
        m_graphFailed = true;
        StopAll();
        return;
    }
    m_recording.held = false;
    m_recording.active = true;
    QueueEventNotification(TEventKind::RecordingStarted);
}

void TOmbrix::setRecordingFileName(const QString& name)
{
    if (name == m_recording.settings().fileName)
        return;
    m_recording.settings().fileName = name;
    if (m_currentState == cs_Recording && m_graphActive && !m_recording.writerElements().isEmpty()) {
        // The recording goes on in a new file.
        const QString old = m_recording.writtenFile;
        const bool closed = finishWriter();
        const qint64 frames = m_recording.framesWritten.load();
        detachWriter();
        emit OnRecordingCompleted(old, closed && frames > 0);
        if (prepareOutputFile() && attachWriter())
            QueueEventNotification(TEventKind::RecordingStarted);
        else {
            m_graphFailed = true;
            StopAll();
        }
    }
    if (m_recording.settings().fileName == QStringLiteral("RENEW"))
        m_recording.settings().fileName.clear();
}

// ------------------------------------------------------- pause and resume

void TOmbrix::RecordingMotionStep(bool motion, double globalMotionRatio)
{
    switch (m_recording.motionStep(motion, globalMotionRatio, m_tick.elapsed())) {
    case MotionRecordingGate::Pause: PauseRecording(); break;
    case MotionRecordingGate::Resume: ResumeRecording(); break;
    case MotionRecordingGate::Nothing: break;
    }
}

bool TOmbrix::PauseRecording()
{
    if (Report(!m_recording.active, sevError, QStringLiteral("not recording"), e_recording_cannot_pause)
        || Report(m_recording.paused, sevError, QStringLiteral("Recording already paused"), e_recording_cannot_pause)
        || Report(!m_recording.frozen().canPause, sevError, QStringLiteral("RecordingCanPause property disabled"),
                  e_pause_resume_disabled))
        return false;
    for (int g : {videoGate, audioGate})
        m_recording.setGate(g, gateDrop);
    m_recording.pauseClock();
    m_recording.paused = true;
    return true;
}

bool TOmbrix::ResumeRecording()
{
    if (Report(m_currentState != cs_Recording, sevError, QStringLiteral("not recording"), e_not_recording))
        return false;
    if (m_recording.held && m_graphActive) {
        startRecordingWriter();
        return m_recording.active;
    }
    if (Report(!m_recording.active, sevError, QStringLiteral("not recording"), e_recording_cannot_pause)
        || Report(!m_recording.paused, sevError, QStringLiteral("Recording not paused"), e_recording_cannot_pause)
        || Report(!m_recording.frozen().canPause, sevError, QStringLiteral("RecordingCanPause property disabled"),
                  e_pause_resume_disabled))
        return false;
    m_recording.resumeClock();
    m_recording.paused = false;
    m_recording.setGate(videoGate, gateOpen);
    // A branch the writer does not take stays closed.
    if (m_recording.gatePad(audioGate) && gst_pad_is_linked(m_recording.gatePad(audioGate)))
        m_recording.setGate(audioGate, gateOpen);
    return true;
}

// ------------------------------------------------------------ multiplexing

void TOmbrix::setMultiplexedRole(TMultiplexedRole role)
{
    if (role < mr_NotMultiplexed || role > mr_MultiplexedSlave || role == m_settings.values.multiplexedRole)
        return;
    unlinkMultiplexing();
    m_settings.values.multiplexedRole = role;
    linkSlaves();
}

int TOmbrix::MultiplexedSlaveID(int slave) const
{
    return slave >= 1 && slave <= int(m_slaveIds.size()) ? m_slaveIds[slave - 1] : -1;
}

void TOmbrix::setMultiplexedSlaveID(int slave, int uniqueId)
{
    if (slave < 1 || slave > int(m_slaveIds.size()))
        return;
    m_slaveIds[slave - 1] = uniqueId;
    linkSlaves();
}

void TOmbrix::linkSlaves()
{
    if (m_settings.values.multiplexedRole != mr_MultiplexedMaster)
        return;
    TSyncManager* manager = TSyncManager::instance();
    const QList<TOmbrix*> components = manager ? manager->instances() : QList<TOmbrix*>();
    QMutexLocker locker(&m_slaveLock);
    for (size_t n = 0; n < m_slaves.size(); ++n) {
        TOmbrix* found = nullptr;
        for (TOmbrix* c : components)
            if (c != this && m_slaveIds[n] != -1 && c->UniqueID() == m_slaveIds[n])
                found = c;
        if (m_slaves[n] && m_slaves[n] != found)
            m_slaves[n]->m_master = nullptr;
        m_slaves[n] = found;
        if (found)
            found->m_master = this;
    }
}

void TOmbrix::unlinkMultiplexing()
{
    {
        QMutexLocker locker(&m_slaveLock);
        for (TOmbrix*& slave : m_slaves) {
            if (slave) {
                slave->m_master = nullptr;
                slave->m_multiplexSlot.close();
            }
            slave = nullptr;
        }
    }
    m_multiplexSlot.close();
    if (TOmbrix* master = m_master) {
        QMutexLocker locker(&master->m_slaveLock);
        for (TOmbrix*& slave : master->m_slaves)
            if (slave == this)
                slave = nullptr;
        m_master = nullptr;
    }
}

void TOmbrix::handOverToSlave(const QImage& frame)
{
    // The master's streaming thread: each frame to the slave of its input.
    QMutexLocker locker(&m_slaveLock);
    m_masterFrameSize = frame.size();
    m_masterFrameFormat = frame.format();
    if (IsNoSignalFrame(frame))
        return;
    if (TOmbrix* slave = m_slaves[size_t(MultiplexInputIndex(frame))])
        slave->m_multiplexSlot.offer(frame);
}

} // namespace velmar::video
