// The clip player and the reencoding of a clip. The player decodes a stored
// clip through the frame grabber (overlays, captures, display) at the clip's
// own pace; speed is the seek rate, stepping backwards or fast is done on a
// timer by seeks (backwards) and step events (forwards). A reencoding
// decodes the source and writes it into a temporary file beside the
// destination, which replaces the destination only once it is complete: the
// source and an older destination are never deleted.
//
// User-interface thread, like the rest of the component; the decoder's new
// pads are linked on GStreamer's threads into branches built beforehand.
#include "DeviceCatalogue.h"
#include "FileOps.h"
#include "Ombrix.h"
#include "ProcessLog.h"
#include "SyncManager.h"

#include <gst/pbutils/pbutils.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QUrl>

#include <climits>
#include <cstdio>

namespace velmar::video {

namespace {
constexpr qint64 ticksPerSecond = 10000000;
constexpr int discoverTimeoutSeconds = 10;
constexpr int prerollMs = 5000;

struct ClipFacts {
    bool ok = false;
    qint64 duration = 0;      // 100 ns
    qint64 frameDuration = 0; // 100 ns, 0 when the clip does not tell
    bool hasVideo = false;
    bool hasAudio = false;
};

ClipFacts DiscoverClip(const QString& fileName)
{
    ClipFacts facts;
    const QFileInfo info(fileName);
    if (!info.isFile())
        return facts;
    if (!gst_is_initialized())
        gst_init(nullptr, nullptr);
    GError* error = nullptr;
    GstDiscoverer* discoverer = gst_discoverer_new(discoverTimeoutSeconds * GST_SECOND, &error);
    if (!discoverer) {
        if (error)
            g_error_free(error);
        return facts;
    }
    const QByteArray uri = QUrl::fromLocalFile(info.absoluteFilePath()).toEncoded();
    GstDiscovererInfo* result = gst_discoverer_discover_uri(discoverer, uri.constData(), &error);
    if (result && gst_discoverer_info_get_result(result) == GST_DISCOVERER_OK) {
        facts.ok = true;
        facts.duration = qint64(gst_discoverer_info_get_duration(result) / 100);
        GList* videos = gst_discoverer_info_get_video_streams(result);
        GList* audios = gst_discoverer_info_get_audio_streams(result);
        facts.hasVideo = videos != nullptr;
        facts.hasAudio = audios != nullptr;
        if (videos) {
            auto* video = GST_DISCOVERER_VIDEO_INFO(videos->data);
            const guint num = gst_discoverer_video_info_get_framerate_num(video);
            const guint den = gst_discoverer_video_info_get_framerate_denom(video);
            if (num > 0 && den > 0)
                facts.frameDuration = qint64(std::llround(double(ticksPerSecond) * den / num));
        }
        gst_discoverer_stream_info_list_free(videos);
        gst_discoverer_stream_info_list_free(audios);
    }
    if (result)
        gst_discoverer_info_unref(result);
    if (error)
        g_error_free(error);
    g_object_unref(discoverer);
    return facts;
}

// The decoder's new pad goes to the branch of its kind: the first element
// of that branch is named "Decoded Video" or "Decoded Audio".
void LinkDecodedPad(GstElement* decoder, GstPad* pad, gpointer)
{
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (!caps)
        caps = gst_pad_query_caps(pad, nullptr);
    const QByteArray kind = caps && !gst_caps_is_empty(caps)
                              ? QByteArray(gst_structure_get_name(gst_caps_get_structure(caps, 0)))
                              : QByteArray();
    if (caps)
        gst_caps_unref(caps);
    const char* branch = kind.startsWith("video/") ? "Decoded Video"
                       : kind.startsWith("audio/") ? "Decoded Audio"
                                                   : nullptr;
    GstElement* pipeline = GST_ELEMENT(gst_element_get_parent(decoder));
    GstElement* first = branch ? ElementByName(pipeline, branch) : nullptr;
    if (first) {
        GstPad* input = gst_element_get_static_pad(first, "sink");
        if (!gst_pad_is_linked(input))
            gst_pad_link(pad, input);
        gst_object_unref(input);
        gst_object_unref(first);
    }
    if (pipeline)
        gst_object_unref(pipeline);
}

// A decoded stream cut to a time range (ns): buffers before it are
// dropped, the first one after it ends the stream.
struct TimeCut {
    GstClockTime start;
    GstClockTime stop;
    bool ended = false; // the streaming thread's
};

GstPadProbeReturn CutToRange(GstPad* pad, GstPadProbeInfo* info, gpointer data)
{
    auto* cut = static_cast<TimeCut*>(data);
    const GstClockTime pts = GST_BUFFER_PTS(GST_PAD_PROBE_INFO_BUFFER(info));
    if (cut->ended || !GST_CLOCK_TIME_IS_VALID(pts) || pts < cut->start)
        return GST_PAD_PROBE_DROP;
    if (pts < cut->stop)
        return GST_PAD_PROBE_OK;
    cut->ended = true;
    if (GstPad* peer = gst_pad_get_peer(pad)) {
        gst_pad_send_event(peer, gst_event_new_eos());
        gst_object_unref(peer);
    }
    return GST_PAD_PROBE_DROP;
}

// ASF places the streams by their timestamps: each runs from one origin.
bool insertOneSegment(CaptureGraph& graph, const QString& name, GstPad*& pin)
{
    if (!graph.insertFilterInline("identity", name, pin))
        return false;
    GstElement* identity = gst_pad_get_parent_element(pin);
    g_object_set(identity, "single-segment", TRUE, nullptr);
    gst_object_unref(identity);
    return true;
}

// Waits for the graph's state change (a preroll) within a bound.
bool waitForState(GstElement* pipeline)
{
    GstState state = GST_STATE_NULL;
    return gst_element_get_state(pipeline, &state, nullptr, GstClockTime(prerollMs) * GST_MSECOND)
        == GST_STATE_CHANGE_SUCCESS;
}
} // namespace

bool TOmbrix::AVIDuration(const QString& fileName, qint64& duration, qint64& frameCount)
{
    duration = 0;
    frameCount = 0;
    const ClipFacts facts = DiscoverClip(fileName);
    if (!facts.ok)
        return false;
    duration = facts.duration;
    if (facts.frameDuration > 0)
        frameCount = std::llround(double(facts.duration) / facts.frameDuration);
    return duration > 0 || frameCount > 0;
}

// ------------------------------------------------------------- player

void TOmbrix::setPlayerSpeedRatio(double ratio)
{
    if (!m_player.setSpeedRatio(ratio))
        return;
    if (m_currentState == cs_Playback && m_runState == 2 && !m_player.stepping)
        playerSeek(PlayerTimePosition(), m_player.settings().speedRatio);
}

double TOmbrix::PlayerFrameRate() const
{
    return m_player.frameRate();
}

qint64 TOmbrix::PlayerTimePosition() const
{
    if (m_currentState != cs_Playback || !m_graph->exists())
        return m_player.position;
    gint64 position = 0;
    if (!m_player.stepping && gst_element_query_position(m_graph->pipeline(), GST_FORMAT_TIME, &position)
        && position >= 0)
        return qint64(position / 100);
    return m_player.position;
}

qint64 TOmbrix::PlayerFramePosition() const
{
    if (m_currentState != cs_Playback || !m_graphActive)
        return 0;
    return m_player.framePosition(PlayerTimePosition());
}

bool TOmbrix::IsPlayerPlaying() const
{
    return m_currentState == cs_Playback && (m_runState == 2 || m_player.stepping);
}

bool TOmbrix::IsPlayerPaused() const
{
    return m_currentState == cs_Playback && m_runState == 1 && !m_player.stepping;
}

void TOmbrix::followTrackBar()
{
    if (m_player.trackBar)
        m_player.trackBar->follow(m_currentState == cs_Playback, m_player.frameCount, PlayerFramePosition());
}

bool TOmbrix::OpenPlayer()
{
    if (!CheckState(as_Preview | as_Player | 1, sevError, false))
        return false;
    if (Report(m_player.settings().fileName.trimmed().isEmpty(), sevError, QStringLiteral("file name not specified"),
               e_file_name_not_specified))
        return false;
    if (m_currentState != cs_Down)
        StopAll();
    ExecuteCommand(WMOpenPlayer);
    return m_currentState == cs_Playback;
}

bool TOmbrix::buildPlayerGraph()
{
    emit OnReinitializing();
    busyOn();
    m_currentState = cs_Playback;
    freezeSettings();
    m_currentState = cs_Playback;
    m_player.resetClip();
    const QString file = m_player.settings().fileName.trimmed();
    const ClipFacts facts = DiscoverClip(file);
    bool ok = facts.ok && (facts.hasVideo || facts.hasAudio);
    if (ok) {
        m_generation = m_graph->generation() + 1;
        ok = m_graph->create();
        m_generation = m_graph->generation();
    }
    GstElement* pipeline = ok ? m_graph->pipeline() : nullptr;
    if (ok) {
        m_settings.lastUse.setValue("_LastClipPlayed", file);
        m_player.openClip(facts.duration, facts.frameDuration, facts.hasAudio);
        GstElement* source = m_graph->createFilter("filesrc", QStringLiteral("Source"));
        GstElement* decoder = m_graph->createFilter("decodebin", QStringLiteral("Decoder"));
        ok = source && decoder && m_graph->addFilter(source, QStringLiteral("Source"))
          && m_graph->addFilter(decoder, QStringLiteral("Decoder")) && gst_element_link(source, decoder);
        if (ok) {
            g_object_set(source, "location", QFile::encodeName(file).constData(), nullptr);
            g_signal_connect(decoder, "pad-added", G_CALLBACK(LinkDecodedPad), nullptr);
        }
    }
    if (ok && facts.hasVideo) {
        GstElement* queue = m_graph->createFilter("queue", QStringLiteral("Decoded Video"));
        ok = queue && m_graph->addFilter(queue, QStringLiteral("Decoded Video"));
        GstPad* pin = ok ? gst_element_get_static_pad(queue, "src") : nullptr;
        ok = ok && m_graph->insertFilterInline("videoconvert", QStringLiteral("Player Converter"), pin);
        if (ok && m_settings.frozen.frameGrabber != fg_Disabled && !buildGrabberChain(pin)) {
            m_settings.frozen.frameGrabber = fg_Disabled;
            Report(true, sevError,
                   QStringLiteral("failed to bind the frame grabber, it is probable that the current decompressor does "
                                  "not accept uncompressed RGB, you install another decompressor and use the "
                                  "PlayerForcedCodec property if necessary."),
                   e_failed_to_bind_frame_grabber);
        }
        GstElement* sink = ok ? m_graph->addFilterAfter(pin, "fakesink", QStringLiteral("Null Renderer")) : nullptr;
        ok = sink != nullptr;
        if (ok)
            g_object_set(sink, "sync", TRUE, nullptr);
        if (pin)
            gst_object_unref(pin);
    } else if (ok) {
        m_settings.frozen.frameGrabber = fg_Disabled;
    }
    if (ok && facts.hasAudio) {
        GstElement* queue = m_graph->createFilter("queue", QStringLiteral("Decoded Audio"));
        GstElement* convert = m_graph->createFilter("audioconvert", QStringLiteral("Audio Converter"));
        GstElement* resample = m_graph->createFilter("audioresample", QStringLiteral("Audio Resampler"));
        GstElement* volume = m_graph->createFilter("volume", QStringLiteral("Speaker Volume"));
        GstElement* pan = m_graph->createFilter("audiopanorama", QStringLiteral("Speaker Balance"));
        GstElement* renderer = m_graph->createFilter(m_player.settings().audioRendering ? "autoaudiosink" : "fakesink",
                                                     QStringLiteral("Audio Renderer"));
        ok = queue && convert && resample && volume && pan && renderer
          && m_graph->addFilter(queue, QStringLiteral("Decoded Audio"))
          && m_graph->addFilter(convert, QStringLiteral("Audio Converter"))
          && m_graph->addFilter(resample, QStringLiteral("Audio Resampler"))
          && m_graph->addFilter(volume, QStringLiteral("Speaker Volume"))
          && m_graph->addFilter(pan, QStringLiteral("Speaker Balance"))
          && m_graph->addFilter(renderer, QStringLiteral("Audio Renderer"))
          && gst_element_link_many(queue, convert, resample, volume, pan, renderer, nullptr);
        if (ok && !m_player.settings().audioRendering)
            g_object_set(renderer, "sync", TRUE, nullptr);
        if (ok)
            applySpeakerSettings();
    }
    if (ok) {
        ok = changeGraphState(GST_STATE_PAUSED, QStringLiteral("bplay")) && waitForState(pipeline);
        if (ok && m_player.settings().autoStart)
            ok = changeGraphState(GST_STATE_PLAYING, QStringLiteral("bplay2"));
    }
    if (ok) {
        m_graphState = gs_Active;
        m_display.setActive(m_settings.frozen.display);
        m_display.layout();
        followTrackBar();
    } else {
        Report(true, sevError, QStringLiteral("cannot play ") + file, e_failed_to_render_file);
        ClearGraph(true);
    }
    busyOff();
    return ok;
}

bool TOmbrix::playerSeek(qint64 time, double rate)
{
    if (m_currentState != cs_Playback || !m_graph->exists())
        return false;
    time = m_player.seekTo(time);
    const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    const bool ok = gst_element_seek(m_graph->pipeline(), rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET,
                                     gint64(time) * 100, GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE);
    if (m_runState == 1)
        waitForState(m_graph->pipeline());
    return ok;
}

void TOmbrix::RunPlayer()
{
    if (m_currentState != cs_Playback) {
        ReportResult(false, sevTrace, QStringLiteral("no clip opened"), w_not_playing);
        return;
    }
    if (m_runState == 2 && !m_player.stepping)
        return;
    m_player.stepping = false;
    const qint64 position = PlayerTimePosition();
    // At the end the clip plays again from its start.
    const bool atEnd = m_player.atEnd(position);
    m_player.ended = false;
    playerSeek(atEnd ? 0 : position, m_player.settings().speedRatio);
    changeGraphState(GST_STATE_PLAYING, QStringLiteral("run player"));
}

void TOmbrix::PausePlayer()
{
    if (m_currentState != cs_Playback) {
        ReportResult(false, sevTrace, QStringLiteral("not playing"), w_not_playing);
        return;
    }
    const qint64 position = PlayerTimePosition();
    m_player.stepping = false;
    changeGraphState(GST_STATE_PAUSED, QStringLiteral("pause player"));
    waitForState(m_graph->pipeline());
    m_player.position = position;
}

void TOmbrix::StopPlayer()
{
    if (m_currentState != cs_Playback) {
        ReportResult(false, sevTrace, QStringLiteral("not playing"), w_not_playing);
        return;
    }
    m_player.stepping = false;
    changeGraphState(GST_STATE_PAUSED, QStringLiteral("stop player"));
    waitForState(m_graph->pipeline());
    // Back to the first frame, or the last when the clip had ended.
    playerSeek(m_player.ended ? m_player.duration : 0, 1.0);
}

void TOmbrix::ClosePlayer()
{
    if (m_currentState != cs_Playback) {
        ReportResult(false, sevTrace, QStringLiteral("already closed"), w_not_playing);
        return;
    }
    ExecuteCommand(WMStopGraph);
}

void TOmbrix::SetPlayerFramePosition(qint64 frame)
{
    if (m_currentState != cs_Playback || !m_graphActive)
        return;
    playerSeek(FramePositionTime(frame, m_player.frameDuration),
               m_runState == 2 ? m_player.settings().speedRatio : 1.0);
}

void TOmbrix::SetPlayerTimePosition(qint64 time)
{
    if (m_currentState != cs_Playback || !m_graphActive || time < 0)
        return;
    playerSeek(time, m_runState == 2 ? m_player.settings().speedRatio : 1.0);
}

void TOmbrix::RunPlayerBackwards()
{
    m_player.setStepDirection(true, false);
    ExecuteCommand(WMPlayStartByStep);
}

void TOmbrix::RewindPlayer()
{
    m_player.setStepDirection(true, true);
    ExecuteCommand(WMPlayStartByStep);
}

void TOmbrix::FastForwardPlayer()
{
    m_player.setStepDirection(false, true);
    ExecuteCommand(WMPlayStartByStep);
}

// Stepped playback: the graph is paused and the timer moves the position by
// the real time elapsed at the speed asked for.
void TOmbrix::playerStepTick()
{
    if (m_currentState != cs_Playback || !m_graph->exists()) {
        m_player.stepping = false;
    }
    if (!m_player.stepping) {
        if (m_stepTimer)
            m_stepTimer->stop();
        return;
    }
    const PlayerPart::Step step = m_player.stepTick(m_player.restartStepClock());
    switch (step.kind) {
    case PlayerPart::Step::Wait: break; // less than a frame: wait for the next tick
    case PlayerPart::Step::Seek: playerSeek(step.position, 1.0); break;
    case PlayerPart::Step::End: playerEnded(); break;
    case PlayerPart::Step::Forward:
        // Forwards by step events: the frames are shown in order, none skipped by a seek.
        gst_element_send_event(m_graph->pipeline(),
                               gst_event_new_step(GST_FORMAT_BUFFERS, guint64(step.frames), 1.0, TRUE, FALSE));
        break;
    }
}

void TOmbrix::startStepping()
{
    if (Report(m_currentState != cs_Playback, sevError, QStringLiteral("no clip opened"), w_not_playing)
        || m_runState == 0)
        return;
    const qint64 position = PlayerTimePosition();
    if (m_runState == 2) {
        changeGraphState(GST_STATE_PAUSED, QStringLiteral("spbw"));
        waitForState(m_graph->pipeline());
    }
    playerSeek(m_player.startStepping(position), 1.0);
    if (!m_stepTimer) {
        m_stepTimer = new QTimer(this);
        connect(m_stepTimer, &QTimer::timeout, this, [this] { playerStepTick(); });
    }
    m_stepTimer->start(m_player.stepIntervalMs());
}

void TOmbrix::playerEnded()
{
    m_player.ended = true;
    m_player.stepping = false;
    m_player.position = m_player.endPosition();
    if (m_runState == 2)
        changeGraphState(GST_STATE_PAUSED, QStringLiteral("end of clip"));
    emit OnPlayerEndOfStream();
}

// ----------------------------------------------------------- reencoding

bool TOmbrix::StartReencoding()
{
    if (Report(m_currentState == cs_Reencoding, sevError, QStringLiteral("already reencoding"), e_stop_reencoding_first)
        || !CheckState(as_Preview | 1, sevError, false))
        return false;
    ExecuteCommand(WMStartReencoding);
    return m_currentState == cs_Reencoding;
}

bool TOmbrix::StopReencoding()
{
    if (Report(m_currentState != cs_Reencoding, sevError, QStringLiteral("not reencoding"), e_not_reencoding))
        return false;
    ExecuteCommand(WMStopGraph);
    return true;
}

bool TOmbrix::ReencodeVideoClip(const QString& source, const QString& destination, bool includeVideo, bool includeAudio,
                                bool useFrameGrabber, bool useVideoCompressor, bool useAudioCompressor)
{
    if (Report(m_currentState == cs_Reencoding, sevError, QStringLiteral("already reencoding"), e_stop_reencoding_first)
        || !CheckState(as_Preview | 1, sevError, false))
        return false;
    TReencodingSettings job;
    job.SourceVideoClip = source;
    job.NewVideoClip = destination;
    job.IncludeVideoStream = includeVideo;
    job.IncludeAudioStream = includeAudio;
    job.UseFrameGrabber = useFrameGrabber;
    job.UseVideoCompressor = useVideoCompressor;
    job.UseAudioCompressor = useAudioCompressor;
    if (!buildReencodingGraph(job))
        return false;
    QueueEventNotification(TEventKind::ReencodingStarted);
    return true;
}

bool TOmbrix::buildReencodingGraph(const TReencodingSettings& settings)
{
    if (settings.Method != rm_AVI && settings.Method != rm_ASF)
        return false;
    TReencodingSettings job = settings;
    job.SourceVideoClip = job.SourceVideoClip.trimmed();
    job.NewVideoClip = job.NewVideoClip.trimmed();
    if (job.WMVOutput)
        job.NewVideoClip = WmvDestination(job.NewVideoClip);
    // Both files are checked before anything is touched; neither is ever deleted.
    if (const auto error = CheckReencodingFiles(job.SourceVideoClip, job.NewVideoClip))
        return !Report(true, sevError, *error, e_reencoding);
    if (!job.IncludeVideoStream && !job.IncludeAudioStream)
        return !Report(true, sevError,
                       QStringLiteral("specify either the video stream, the audio stream or both streams"),
                       e_reencoding);
    const char* muxFactory = job.Method == rm_ASF ? "asfmux" : "avimux";
    if (!muxAvailable(muxFactory))
        return false;
    const ClipFacts facts = DiscoverClip(job.SourceVideoClip);
    if (!facts.ok)
        return !Report(true, sevError, QStringLiteral("source not found or not suitable: ") + job.SourceVideoClip,
                       e_reencoding);
    job.IncludeVideoStream = job.IncludeVideoStream && facts.hasVideo;
    job.IncludeAudioStream = job.IncludeAudioStream && facts.hasAudio;
    if (!job.IncludeVideoStream && !job.IncludeAudioStream)
        return !Report(true, sevError, QStringLiteral("incompatible settings: no audio or video stream selected!"),
                       e_reencoding);
    const TimeRange range = ReencodingTimeRange(job.StartTime, job.StopTime, facts.duration);
    if (!range.error.isEmpty())
        return !Report(true, sevError, range.error, e_reencoding);
    if (!range.warning.isEmpty())
        Report(true, sevWarning, range.warning, e_reencoding);

    if (m_currentState != cs_Down)
        StopAll();
    busyOn();
    m_currentState = cs_Reencoding;
    freezeSettings();
    m_currentState = cs_Reencoding;
    m_player.job = job;
    m_player.ended = false;
    // The new clip is written beside its final name and renamed at the end.
    const QFileInfo destination(job.NewVideoClip);
    m_player.jobTemporary = destination.absolutePath() + QStringLiteral("/.") + destination.fileName()
                          + QStringLiteral(".%1.part").arg(QRandomGenerator::global()->bounded(1000000));
    m_generation = m_graph->generation() + 1;
    bool ok = m_graph->create();
    m_generation = m_graph->generation();
    GstElement* pipeline = ok ? m_graph->pipeline() : nullptr;
    GstElement* mux = nullptr;
    if (ok) {
        GstElement* source = m_graph->createFilter("filesrc", QStringLiteral("Source"));
        GstElement* decoder = m_graph->createFilter("decodebin", QStringLiteral("Decoder"));
        mux = m_graph->createFilter(muxFactory, QStringLiteral("AVI Mux"));
        GstElement* sink = m_graph->createFilter("filesink", QStringLiteral("File Writer"));
        ok = source && decoder && mux && sink && m_graph->addFilter(source, QStringLiteral("Source"))
          && m_graph->addFilter(decoder, QStringLiteral("Decoder"))
          && m_graph->addFilter(mux, QStringLiteral("AVI Mux"))
          && m_graph->addFilter(sink, QStringLiteral("File Writer")) && gst_element_link(source, decoder)
          && gst_element_link(mux, sink);
        if (ok) {
            g_object_set(source, "location", QFile::encodeName(job.SourceVideoClip).constData(), nullptr);
            g_object_set(sink, "location", QFile::encodeName(m_player.jobTemporary).constData(), nullptr);
            g_signal_connect(decoder, "pad-added", G_CALLBACK(LinkDecodedPad), nullptr);
        }
    }
    if (ok && job.IncludeVideoStream) {
        GstElement* queue = m_graph->createFilter("queue", QStringLiteral("Decoded Video"));
        ok = queue && m_graph->addFilter(queue, QStringLiteral("Decoded Video"));
        GstPad* pin = ok ? gst_element_get_static_pad(queue, "src") : nullptr;
        ok = ok && m_graph->insertFilterInline("videoconvert", QStringLiteral("Reencoding Converter"), pin);
        if (ok && job.UseFrameGrabber && m_settings.frozen.frameGrabber != fg_Disabled && !buildGrabberChain(pin))
            ok = !Report(true, sevError, QStringLiteral("can't connect the frame grabber. Disable it and try again"),
                         e_failed_to_bind_frame_grabber);
        const TCapDeviceInfo* chosen = job.UseVideoCompressor && job.Method == rm_AVI ? chosenVideoCompressor()
                                                                                      : nullptr;
        const QByteArray encoder = videoEncoderFactory(chosen, job.Method == rm_ASF);
        ok = ok && m_graph->insertFilterInline("videoconvert", QStringLiteral("Compressor Converter"), pin);
        if (ok && !m_graph->insertFilterInline(encoder.constData(), QStringLiteral("VIDC"), pin))
            ok = !Report(true, sevError,
                         QStringLiteral("video compressor ") + QString::fromUtf8(encoder)
                             + QStringLiteral(" not suitable"),
                         e_video_compressor_not_suitable);
        if (ok && chosen)
            if (GstElement* compressor = gst_pad_get_parent_element(pin)) {
                applyVideoCompression(compressor);
                gst_object_unref(compressor);
            }
        if (ok && job.Method == rm_ASF)
            ok = insertOneSegment(*m_graph, QStringLiteral("Video Times"), pin);
        GstPad* input = ok ? gst_element_request_pad_simple(mux, "video_%u") : nullptr;
        if (ok && !(input && gst_pad_link(pin, input) == GST_PAD_LINK_OK))
            ok = !Report(true, sevError, QStringLiteral("render Video stream"), e_render_video_stream);
        if (input)
            gst_object_unref(input);
        if (pin)
            gst_object_unref(pin);
    }
    if (ok && job.IncludeAudioStream) {
        GstElement* queue = m_graph->createFilter("queue", QStringLiteral("Decoded Audio"));
        ok = queue && m_graph->addFilter(queue, QStringLiteral("Decoded Audio"));
        GstPad* pin = ok ? gst_element_get_static_pad(queue, "src") : nullptr;
        ok = ok && m_graph->insertFilterInline("audioconvert", QStringLiteral("Audio Converter"), pin)
          && m_graph->insertFilterInline("audioresample", QStringLiteral("Audio Resampler"), pin)
          && m_graph->insertFilterInline("capsfilter", QStringLiteral("Audio Format"), pin);
        if (ok && job.Method == rm_AVI) {
            // AVI takes 16-bit samples; the ASF encoder takes the format it wants.
            GstElement* format = ElementByName(pipeline, "Audio Format");
            GstCaps* caps = gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE", nullptr);
            g_object_set(format, "caps", caps, nullptr);
            gst_caps_unref(caps);
            gst_object_unref(format);
        } else if (ok) {
            if (!m_graph->insertFilterInline("avenc_wmav2", QStringLiteral("AUDC"), pin))
                ok = !Report(true, sevError, QStringLiteral("audio compressor avenc_wmav2 not suitable"),
                             e_audio_compressor_not_suitable);
            ok = ok && insertOneSegment(*m_graph, QStringLiteral("Audio Times"), pin);
        }
        GstPad* input = ok ? gst_element_request_pad_simple(mux, "audio_%u") : nullptr;
        if (ok && !(input && gst_pad_link(pin, input) == GST_PAD_LINK_OK))
            ok = !Report(true, sevError, QStringLiteral("cannot reencode audio stream"), e_render_audio_stream);
        if (input)
            gst_object_unref(input);
        if (pin)
            gst_object_unref(pin);
    }
    if (ok && (range.start > 0 || range.stop < facts.duration)) {
        // The part of the clip is cut on the decoded streams (a seek would
        // flush a writer that has begun its file).
        for (const char* branch : {"Decoded Video", "Decoded Audio"}) {
            GstElement* queue = ElementByName(pipeline, branch);
            if (!queue)
                continue;
            auto* cut = new TimeCut{GstClockTime(range.start) * 100, GstClockTime(range.stop) * 100};
            GstPad* out = gst_element_get_static_pad(queue, "src");
            gst_pad_add_probe(out, GST_PAD_PROBE_TYPE_BUFFER, CutToRange, cut,
                              [](gpointer data) { delete static_cast<TimeCut*>(data); });
            gst_object_unref(out);
            gst_object_unref(queue);
        }
    }
    ok = ok && changeGraphState(GST_STATE_PLAYING, QStringLiteral("recom"));
    busyOff();
    if (!ok) {
        ClearGraph(true);
        endReencoding(false);
        return false;
    }
    m_graphState = gs_Active;
    return true;
}

void TOmbrix::endReencoding(bool success)
{
    // The graph is gone: the new clip replaces the destination only when complete.
    if (success && !m_player.jobTemporary.isEmpty()
        && std::rename(QFile::encodeName(m_player.jobTemporary).constData(),
                       QFile::encodeName(m_player.job.NewVideoClip).constData())
               != 0) {
        success = false;
        Report(true, sevError, QStringLiteral("can't write the new video clip: ") + m_player.job.NewVideoClip,
               e_reencoding);
    }
    if (!m_player.jobTemporary.isEmpty())
        QFile::remove(m_player.jobTemporary);
    m_player.jobTemporary.clear();
    emit OnReencodingCompleted(m_player.job.SourceVideoClip, m_player.job.NewVideoClip, success);
}

} // namespace velmar::video
