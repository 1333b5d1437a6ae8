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

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QThread>

namespace velmar::video {

namespace {
constexpr int gateOpen = 0;
constexpr int gateBlock = 1; // the queue keeps its frames
constexpr int gateDrop = 2;  // frames are thrown away, events pass
constexpr int gateEnd = 3;   // the writer's end of stream, then as gateDrop
constexpr int videoGate = 0;
constexpr int audioGate = 1;
constexpr int writerEndMs = 5000;
constexpr int previewQueueFrames = 2;
constexpr double defaultRate = 25.0;
constexpr int maxLevel = 65535;
constexpr double maxBalance = 32767.0;
constexpr double minBalance = -32768.0;

GstPadProbeReturn dropBuffers(GstPad*, GstPadProbeInfo*, gpointer)
{
    return GST_PAD_PROBE_DROP;
}

GstPadProbeReturn keepBlocked(GstPad*, GstPadProbeInfo*, gpointer)
{
    return GST_PAD_PROBE_OK;
}

// The branch's next frame is replaced by the end of stream, sent on the
// branch's own thread, so the writer's other branch is never waited for
// while it waits for this one; later frames are dropped.
GstPadProbeReturn endOnNextFrame(GstPad* pad, GstPadProbeInfo*, gpointer data)
{
    auto* ended = static_cast<std::atomic<bool>*>(data);
    if (!ended->exchange(true))
        if (GstPad* peer = gst_pad_get_peer(pad)) {
            gst_pad_send_event(peer, gst_event_new_eos());
            gst_object_unref(peer);
        }
    return GST_PAD_PROBE_DROP;
}

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

void TOmbrix::setRecordingMethod(TRecordingMethod method)
{
    if (method >= rm_AVI && method <= rm_Stream)
        m_recordingMethod = method;
}

void TOmbrix::setRecordingBacktimedFramesCount(int count)
{
    if (count >= 0)
        m_backtimedCount = count;
}

void TOmbrix::setAudioInputLevel(int level)
{
    m_audioInputLevel = std::clamp(level, 0, maxLevel);
    applyAudioLevels();
}

void TOmbrix::setAudioInputBalance(int balance)
{
    if (Report(balance < int(minBalance) || balance > int(maxBalance), sevError,
               QStringLiteral("Audio Balance value out of range"), e_value_out_of_range))
        return;
    m_audioInputBalance = balance;
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
    setLevels(Pipeline(), "Audio Volume", "Audio Balance", m_audioInputLevel, m_audioInputBalance);
}

void TOmbrix::applySpeakerSettings()
{
    if (!m_speakerControl)
        return;
    setLevels(Pipeline(), "Speaker Volume", "Speaker Balance", m_muteAudio ? 0 : m_speakerVolume,
              m_muteAudio ? 0 : m_speakerBalance);
}

void TOmbrix::setSpeakerControl(bool on)
{
    m_speakerControl = on;
    applySpeakerSettings();
}

void TOmbrix::setSpeakerVolume(int volume)
{
    m_speakerVolume = std::clamp(volume, 0, maxLevel);
    applySpeakerSettings();
}

void TOmbrix::setSpeakerBalance(int balance)
{
    m_speakerBalance = std::clamp(balance, int(minBalance), int(maxBalance));
    applySpeakerSettings();
}

void TOmbrix::setMuteAudioRendering(bool on)
{
    m_muteAudio = on;
    applySpeakerSettings();
}

QString TOmbrix::recordingExtension() const
{
    if (!m_captureFileExt.isEmpty() && m_captureFileExt.compare(QStringLiteral("default"), Qt::CaseInsensitive) != 0)
        return m_captureFileExt;
    return m_recordingMethod == rm_ASF ? QStringLiteral("asf") : QStringLiteral("avi");
}

QString TOmbrix::Last_Recording_FileName() const
{
    return m_lastUse.value("_LastRecordingFileName").toString();
}

double TOmbrix::RecordingDuration() const
{
    return double(m_framesWritten.load()) / capsRate(m_sourceCaps);
}

double TOmbrix::DeviceFrameRate() const
{
    if (const int current = CurrentFrameRate(); current > 0)
        return current / 100.0;
    // The rate a graph asks of the device: FrameRate, else the default rate,
    // when the device offers it; else the best it offers.
    TDevices* catalogue = VideoDeviceCatalogue();
    const int index = m_boundVideo >= 0 ? m_boundVideo : m_videoDevice;
    const TCapDeviceInfo* entry = catalogue ? catalogue->entry(index) : nullptr;
    if (!entry)
        return 0.0;
    const int wanted = m_frameRate > 0.0 ? int(std::lround(m_frameRate * 100)) : defaultRateHundredths;
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
    if (m_compression.keyFrameRate != -1)
        compressor.setKeyFrameRate(m_compression.keyFrameRate);
    if (m_compression.pFramesPerKeyFrame != -1)
        compressor.setPFramesPerKeyFrame(m_compression.pFramesPerKeyFrame);
    if (m_compression.quality != -1.0)
        compressor.setQuality(m_compression.quality);
}

bool TOmbrix::CreatePreallocCapFile()
{
    // Nothing to gain from a preallocated file on this system: the
    // recording writes its final file, so there is nothing to create.
    const QString name = m_preallocName.isEmpty()
                           ? m_storagePath + QLatin1Char('/') + objectName() + QStringLiteral(".rec")
                           : m_preallocName;
    Report(true, sevInfo, QStringLiteral("prealloc. cap. file \"") + name + QStringLiteral("\" not needed"),
           i_preallocated_file_size_large_enough);
    emit OnCreatePreallocFileCompleted(name, true);
    return true;
}

// ------------------------------------------------------------- the graph

bool TOmbrix::buildRecordingChain()
{
    WriteLog(cfBlue, QStringLiteral("BEGIN build capture and preview"));
    if (m_recFrozen.method == rm_Stream)
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
    const bool wanted = !(m_frozen.videoRenderer == vr_None && m_frozen.frameGrabber == fg_Disabled);
    const bool grabberFirst = m_frozen.frameGrabber == fg_BothStreams || m_frozen.frameGrabber == fg_CaptureStream;
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
    if (m_recFrozen.hold && m_recFrozen.backtimed > 0) {
        // The last frames before the trigger: the queue drops its oldest.
        g_object_set(queue, "leaky", 2, "max-size-buffers", guint(m_recFrozen.backtimed), "max-size-time", guint64(0),
                     "max-size-bytes", guint(0), nullptr);
        GstPad* input = gst_element_get_static_pad(queue, "sink");
        gst_pad_add_probe(
            input, GST_PAD_PROBE_TYPE_BUFFER,
            +[](GstPad*, GstPadProbeInfo*, gpointer data) {
                auto* self = static_cast<TOmbrix*>(data);
                // Told once per recording: the count starts again with each graph.
                if (self->m_held && ++self->m_heldFrames == self->m_recFrozen.backtimed) {
                    QMetaObject::invokeMethod(
                        self, [self] { emit self->OnBacktimedFramesCountReached(); }, Qt::QueuedConnection);
                }
                return GST_PAD_PROBE_OK;
            },
            this, nullptr);
        gst_object_unref(input);
    }
    gst_object_unref(queue);
    m_gates[videoGate].pad = capture;
    if (m_recFrozen.audio)
        buildRecordingAudio();
    // Until the writer is attached the gates hold the frames (held: the
    // last ones are kept; otherwise the writer comes before the graph runs).
    for (int g : {videoGate, audioGate})
        setGate(g, m_recFrozen.hold && m_recFrozen.backtimed > 0 ? gateBlock : gateDrop);
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
    if (m_recFrozen.hold && m_recFrozen.backtimed > 0) {
        // As many seconds of sound as the frames kept before the trigger.
        const double rate = capsRate(m_sourceCaps);
        const guint64 ns = guint64(double(m_recFrozen.backtimed) / rate * GST_SECOND);
        GstElement* queue = ElementByName(m_graph->pipeline(), "Audio Capture Queue");
        g_object_set(queue, "leaky", 2, "max-size-buffers", guint(0), "max-size-bytes", guint(0), "max-size-time", ns,
                     nullptr);
        gst_object_unref(queue);
    }
    m_gates[audioGate].pad = pin;
    return true;
}

void TOmbrix::setGate(int which, int mode)
{
    Gate& gate = m_gates[which];
    if (!gate.pad || gate.mode == mode)
        return;
    if (gate.probe)
        gst_pad_remove_probe(gate.pad, gate.probe);
    gate.probe = 0;
    if (mode == gateBlock)
        gate.probe = gst_pad_add_probe(gate.pad, GST_PAD_PROBE_TYPE_BLOCK_DOWNSTREAM, keepBlocked, nullptr, nullptr);
    else if (mode == gateDrop)
        gate.probe = gst_pad_add_probe(gate.pad,
                                       GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST),
                                       dropBuffers, nullptr, nullptr);
    else if (mode == gateEnd) {
        m_gateEnded[which] = false;
        gate.probe = gst_pad_add_probe(gate.pad,
                                       GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST),
                                       endOnNextFrame, &m_gateEnded[which], nullptr);
    }
    gate.mode = mode;
}

// ------------------------------------------------------------- the file

bool TOmbrix::prepareOutputFile()
{
    TSyncManager* manager = TSyncManager::instance();
    if (!manager)
        return false;
    QString folder = m_storagePath.isEmpty() ? QDir::currentPath() : m_storagePath;
    const QString ext = recordingExtension();
    QString final;
    m_counterIndex = -1;
    if (!m_recordingFileName.isEmpty() && m_recordingFileName != QStringLiteral("RENEW")) {
        final = QDir(folder).absoluteFilePath(m_recordingFileName);
    } else {
        final = autoFileName(2, ext);
        if (final.isEmpty())
            return false;
        if (m_autoFileName == fn_Sequential) {
            QString dir = folder;
            if (!dir.endsWith(QLatin1Char('/')))
                dir += QLatin1Char('/');
            m_counterIndex = manager->counters().indexOfKey(
                TSequentialCounters::counterKey(dir, m_autoFilePrefix, ext));
            m_counterNumber = manager->counters().getSequentialNumber(m_counterIndex);
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
    m_writtenFile = final;
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
    if (!pipeline || !m_gates[videoGate].pad)
        return false;
    const bool asf = m_recFrozen.method == rm_ASF;
    const char* muxFactory = asf ? "asfmux" : "avimux";
    if (!muxAvailable(muxFactory))
        return false;
    // The video compressor chosen for compressing on the fly.
    const TCapDeviceInfo* chosen = m_compressionMode == cm_CompressOnTheFly ? chosenVideoCompressor() : nullptr;
    const QByteArray encoder = videoEncoderFactory(chosen, asf);
    const auto make = [&](const char* factory, const QString& name) -> GstElement* {
        GstElement* e = m_graph->createFilter(factory, name);
        if (!e || !m_graph->addFilter(e, name))
            return nullptr;
        m_writerElements << e;
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
        g_object_set(mux, "bigfile", gboolean(m_recFrozen.openDML), nullptr);
    GstElement* sink = make("filesink", QStringLiteral("File Writer"));
    bool ok = convert && scale && size && compressor && mux && sink;
    if (!ok) {
        detachWriter();
        return !Report(true, sevError,
                       QStringLiteral("video compressor ") + QString::fromUtf8(encoder)
                           + QStringLiteral(" not suitable"),
                       e_video_compressor_not_suitable);
    }
    g_object_set(sink, "location", m_writtenFile.toLocal8Bit().constData(), "async", FALSE, nullptr);
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
    const bool withAudio = m_gates[audioGate].pad != nullptr;
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
            GstCaps* caps = gst_caps_new_simple("audio/x-raw", "channels", G_TYPE_INT, m_audioInputMono ? 1 : 2,
                                                nullptr);
            if (!asf)
                gst_caps_set_simple(caps, "format", G_TYPE_STRING, "S16LE", nullptr);
            g_object_set(format, "caps", caps, nullptr);
            gst_caps_unref(caps);
            ok = gst_element_link_many(aconvert, volume, pan, aconvert2, format, nullptr)
              && (aencoder
                      ? gst_element_link_many(format, aencoder, oneSegment(QStringLiteral("Audio Times")), mux, nullptr)
                      : gst_element_link(format, mux));
            GstPad* input = gst_element_get_static_pad(aconvert, "sink");
            m_writerInputs << input;
        }
        if (!ok)
            Report(true, sevError, QStringLiteral("cannot record the audio stream"), e_render_audio_stream);
    }
    if (!ok) {
        detachWriter();
        return !Report(true, sevError, QStringLiteral("video connection to file mux failed"),
                       e_failed_to_start_recording);
    }
    m_writerInputs.prepend(gst_element_get_static_pad(convert, "sink"));
    applyAudioLevels();
    if (asf)
        applyAsfProfile(compressor, size, audioCompressor, m_writerInputs.size() > 1);

    m_writerEnded = false;
    m_framesWritten = 0;
    GstPad* sinkInput = gst_element_get_static_pad(sink, "sink");
    gst_pad_add_probe(
        sinkInput, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM,
        +[](GstPad*, GstPadProbeInfo* info, gpointer data) {
            if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_EOS)
                static_cast<TOmbrix*>(data)->m_writerEnded = true;
            return GST_PAD_PROBE_OK;
        },
        this, nullptr);
    gst_object_unref(sinkInput);
    gst_pad_add_probe(
        m_writerInputs.first(), GST_PAD_PROBE_TYPE_BUFFER,
        +[](GstPad*, GstPadProbeInfo*, gpointer data) {
            ++static_cast<TOmbrix*>(data)->m_framesWritten;
            return GST_PAD_PROBE_OK;
        },
        this, nullptr);

    // Downstream first, so nothing reaches an element that is not running.
    for (auto it = m_writerElements.rbegin(); it != m_writerElements.rend(); ++it)
        gst_element_sync_state_with_parent(*it);
    ok = gst_pad_link(m_gates[videoGate].pad, m_writerInputs.first()) == GST_PAD_LINK_OK;
    if (ok && withAudio && m_writerInputs.size() > 1)
        ok = gst_pad_link(m_gates[audioGate].pad, m_writerInputs.at(1)) == GST_PAD_LINK_OK;
    if (!ok) {
        detachWriter();
        return !Report(true, sevError, QStringLiteral("video connection to file mux failed"),
                       e_failed_to_start_recording);
    }
    m_lastUse.setValue("_LastRecordingFileName", m_writtenFile);
    WriteLog(cfBlue, QStringLiteral("recording to ") + m_writtenFile);
    setGate(videoGate, m_recordingPaused ? gateDrop : gateOpen);
    setGate(audioGate, m_recordingPaused || !withAudio ? gateDrop : gateOpen);
    return true;
}

void TOmbrix::applyAsfProfile(GstElement* videoEncoder, GstElement* sizeCaps, GstElement* audioEncoder, bool withAudio)
{
    // The profile's size and bit rates, with the component's values over them.
    TASFXML xml;
    if (!m_asfProfileFile.isEmpty()) {
        QFile file(m_asfProfileFile);
        if (file.open(QIODevice::ReadOnly))
            xml.Parse(QString::fromUtf8(file.readAll()));
        else
            Report(true, sevError, QStringLiteral("failed to load ASF profile"),
                   e_failed_to_load_ASF_profile_custom_file);
        xml.RemoveStreams(true, withAudio);
    }
    const auto set = [&](int value, std::initializer_list<const char*> names, TAsfStreamKind kind) {
        if (value >= 0)
            for (const char* name : names)
                xml.SetAttribute(QLatin1String(name), QString::number(value), kind);
    };
    set(m_asfAudioBitRate, {"BitRate"}, ask_Audio);
    set(m_asfVideoBitRate, {"BitRate", "dwBitRate"}, ask_Video);
    if (m_asfVideoWidth >= 0 && m_asfVideoHeight >= 0) {
        set(m_asfVideoWidth, {"biwidth", "right"}, ask_Video);
        set(m_asfVideoHeight, {"biheight", "bottom"}, ask_Video);
    }
    const auto value = [&](const char* name, TAsfStreamKind kind) {
        return xml.Attribute(QLatin1String(name), kind).toInt();
    };
    const int videoRate = m_asfVideoBitRate >= 0 ? m_asfVideoBitRate
                                                 : std::max(value("dwBitRate", ask_Video), value("BitRate", ask_Video));
    if (videoRate > 0)
        g_object_set(videoEncoder, "bitrate", videoRate, nullptr);
    const int audioRate = m_asfAudioBitRate >= 0 ? m_asfAudioBitRate : value("BitRate", ask_Audio);
    if (audioEncoder && audioRate > 0)
        g_object_set(audioEncoder, "bitrate", audioRate, nullptr);
    const int width = m_asfVideoWidth >= 0 && m_asfVideoHeight >= 0 ? m_asfVideoWidth : value("biwidth", ask_Video);
    const int height = m_asfVideoWidth >= 0 && m_asfVideoHeight >= 0 ? m_asfVideoHeight : value("biheight", ask_Video);
    if (width > 0 && height > 0) {
        GstCaps* caps = gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, width, "height", G_TYPE_INT, height,
                                            nullptr);
        g_object_set(sizeCaps, "caps", caps, nullptr);
        gst_caps_unref(caps);
    }
    if (!xml.Items().isEmpty())
        Report(true, sevInfo,
               QStringLiteral("using ASF profile: \"") + QFileInfo(m_asfProfileFile).fileName() + QLatin1Char('"'),
               i_using_ASF_Profile);
}

bool TOmbrix::finishWriter()
{
    if (m_writerElements.isEmpty())
        return false;
    // No more frames into this file: each branch ends it on its next frame.
    for (int g : {videoGate, audioGate})
        setGate(g, gateEnd);
    const QDeadlineTimer deadline(writerEndMs);
    while (!m_writerEnded && !deadline.hasExpired())
        QThread::msleep(5);
    if (!m_writerEnded)
        Report(true, sevError, QStringLiteral("the recording file was not closed in time: ") + m_writtenFile,
               e_failed_to_create_file);
    return m_writerEnded;
}

void TOmbrix::detachWriter()
{
    for (int g : {videoGate, audioGate})
        if (m_gates[g].pad)
            if (GstPad* peer = gst_pad_get_peer(m_gates[g].pad)) {
                gst_pad_unlink(m_gates[g].pad, peer);
                gst_object_unref(peer);
            }
    for (GstPad* input : std::as_const(m_writerInputs))
        gst_object_unref(input);
    m_writerInputs.clear();
    GstElement* pipeline = m_graph ? m_graph->pipeline() : nullptr;
    for (GstElement* e : std::as_const(m_writerElements)) {
        gst_element_set_state(e, GST_STATE_NULL);
        if (pipeline)
            gst_bin_remove(GST_BIN(pipeline), e);
    }
    m_writerElements.clear();
}

void TOmbrix::startRecordingWriter()
{
    // A name given while the recording was held replaces the one chosen at its start.
    if (!m_recordingFileName.isEmpty() && m_recordingFileName != QStringLiteral("RENEW")) {
        if (TSyncManager* manager = TSyncManager::instance(); manager && m_counterIndex >= 0)
            manager->counters().releaseSequentialNumber(m_counterIndex);
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
    m_held = false;
    m_recordingActive = true;
    QueueEventNotification(TEventKind::RecordingStarted);
}

void TOmbrix::setRecordingFileName(const QString& name)
{
    if (name == m_recordingFileName)
        return;
    m_recordingFileName = name;
    if (m_currentState == cs_Recording && m_graphActive && !m_writerElements.isEmpty()) {
        // The recording goes on in a new file.
        const QString old = m_writtenFile;
        const bool closed = finishWriter();
        const qint64 frames = m_framesWritten.load();
        detachWriter();
        emit OnRecordingCompleted(old, closed && frames > 0);
        if (prepareOutputFile() && attachWriter())
            QueueEventNotification(TEventKind::RecordingStarted);
        else {
            m_graphFailed = true;
            StopAll();
        }
    }
    if (m_recordingFileName == QStringLiteral("RENEW"))
        m_recordingFileName.clear();
}

// ------------------------------------------------------- pause and resume

void TOmbrix::RecordingMotionStep(bool motion, double globalMotionRatio)
{
    if (!m_motionGate || !m_recordingActive)
        return;
    switch (m_motionGate->step(motion, globalMotionRatio, m_tick.elapsed(), m_recordingPaused)) {
    case MotionRecordingGate::Pause: PauseRecording(); break;
    case MotionRecordingGate::Resume: ResumeRecording(); break;
    case MotionRecordingGate::Nothing: break;
    }
}

bool TOmbrix::PauseRecording()
{
    if (Report(!m_recordingActive, sevError, QStringLiteral("not recording"), e_recording_cannot_pause)
        || Report(m_recordingPaused, sevError, QStringLiteral("Recording already paused"), e_recording_cannot_pause)
        || Report(!m_recFrozen.canPause, sevError, QStringLiteral("RecordingCanPause property disabled"),
                  e_pause_resume_disabled))
        return false;
    for (int g : {videoGate, audioGate})
        setGate(g, gateDrop);
    {
        QMutexLocker locker(&m_frameLock);
        m_recordingClock.pause(m_lastStreamTime.load());
    }
    m_recordingPaused = true;
    return true;
}

bool TOmbrix::ResumeRecording()
{
    if (Report(m_currentState != cs_Recording, sevError, QStringLiteral("not recording"), e_not_recording))
        return false;
    if (m_held && m_graphActive) {
        startRecordingWriter();
        return m_recordingActive;
    }
    if (Report(!m_recordingActive, sevError, QStringLiteral("not recording"), e_recording_cannot_pause)
        || Report(!m_recordingPaused, sevError, QStringLiteral("Recording not paused"), e_recording_cannot_pause)
        || Report(!m_recFrozen.canPause, sevError, QStringLiteral("RecordingCanPause property disabled"),
                  e_pause_resume_disabled))
        return false;
    {
        QMutexLocker locker(&m_frameLock);
        m_recordingClock.resume(m_lastStreamTime.load());
    }
    m_recordingPaused = false;
    setGate(videoGate, gateOpen);
    // A branch the writer does not take stays closed.
    if (m_gates[audioGate].pad && gst_pad_is_linked(m_gates[audioGate].pad))
        setGate(audioGate, gateOpen);
    return true;
}

// ------------------------------------------------------------ multiplexing

void TOmbrix::setMultiplexedRole(TMultiplexedRole role)
{
    if (role < mr_NotMultiplexed || role > mr_MultiplexedSlave || role == m_multiplexedRole)
        return;
    unlinkMultiplexing();
    m_multiplexedRole = role;
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
    if (m_multiplexedRole != mr_MultiplexedMaster)
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
