#include "RecordingPart.h"

#include <QDeadlineTimer>
#include <QThread>

namespace velmar::video {

namespace {
constexpr int writerEndPollMs = 5;

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
} // namespace

void RecordingPart::setMethod(TRecordingMethod method)
{
    if (method >= rm_AVI && method <= rm_Stream)
        m_settings.method = method;
}

void RecordingPart::setBacktimedCount(int count)
{
    if (count >= 0)
        m_settings.backtimedCount = count;
}

QString RecordingPart::extension() const
{
    if (!m_settings.fileExt.isEmpty()
        && m_settings.fileExt.compare(QStringLiteral("default"), Qt::CaseInsensitive) != 0)
        return m_settings.fileExt;
    return m_settings.method == rm_ASF ? QStringLiteral("asf") : QStringLiteral("avi");
}

bool RecordingPart::freeze(bool captureDeviceSource, bool audioRecording)
{
    const RecordingSettings& s = m_settings;
    m_frozen.hold = s.hold && captureDeviceSource && !s.onMotion;
    m_frozen.canPause = s.canPause || s.onMotion;
    m_motionGate.reset();
    if (s.onMotion)
        m_motionGate.emplace(s.motionThreshold, s.motionDelayMs);
    m_frozen.backtimed = s.backtimedCount;
    m_frozen.audio = audioRecording;
    m_frozen.method = s.method;
    m_frozen.openDML = s.aviOpenDML;
    m_frozen.prealloc = s.preallocEnabled && s.method == rm_AVI;
    return s.preallocEnabled && s.method != rm_AVI;
}

MotionRecordingGate::Action RecordingPart::motionStep(bool motion, double globalMotionRatio, qint64 nowMs)
{
    if (!m_motionGate || !active)
        return MotionRecordingGate::Nothing;
    return m_motionGate->step(motion, globalMotionRatio, nowMs, paused);
}

AsfValues RecordingPart::asfValues(TASFXML& xml) const
{
    const RecordingSettings& s = m_settings;
    const auto set = [&](int value, std::initializer_list<const char*> names, TAsfStreamKind kind) {
        if (value >= 0)
            for (const char* name : names)
                xml.SetAttribute(QLatin1String(name), QString::number(value), kind);
    };
    const bool sized = s.asfVideoWidth >= 0 && s.asfVideoHeight >= 0;
    set(s.asfAudioBitRate, {"BitRate"}, ask_Audio);
    set(s.asfVideoBitRate, {"BitRate", "dwBitRate"}, ask_Video);
    if (sized) {
        set(s.asfVideoWidth, {"biwidth", "right"}, ask_Video);
        set(s.asfVideoHeight, {"biheight", "bottom"}, ask_Video);
    }
    const auto value = [&](const char* name, TAsfStreamKind kind) {
        return xml.Attribute(QLatin1String(name), kind).toInt();
    };
    AsfValues values;
    values.videoBitRate = s.asfVideoBitRate >= 0 ? s.asfVideoBitRate
                                                 : std::max(value("dwBitRate", ask_Video), value("BitRate", ask_Video));
    values.audioBitRate = s.asfAudioBitRate >= 0 ? s.asfAudioBitRate : value("BitRate", ask_Audio);
    values.width = sized ? s.asfVideoWidth : value("biwidth", ask_Video);
    values.height = sized ? s.asfVideoHeight : value("biheight", ask_Video);
    return values;
}

void RecordingPart::setGate(int which, int mode)
{
    Gate& gate = m_gates[size_t(which)];
    if (!gate.pad || gate.mode == mode)
        return;
    if (gate.probe)
        gst_pad_remove_probe(gate.pad, gate.probe);
    gate.probe = 0;
    const auto buffers = GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST);
    if (mode == gateBlock)
        gate.probe = gst_pad_add_probe(gate.pad, GST_PAD_PROBE_TYPE_BLOCK_DOWNSTREAM, keepBlocked, nullptr, nullptr);
    else if (mode == gateDrop)
        gate.probe = gst_pad_add_probe(gate.pad, buffers, dropBuffers, nullptr, nullptr);
    else if (mode == gateEnd) {
        m_gateEnded[size_t(which)] = false;
        gate.probe = gst_pad_add_probe(gate.pad, buffers, endOnNextFrame, &m_gateEnded[size_t(which)], nullptr);
    }
    gate.mode = mode;
}

void RecordingPart::clearGates()
{
    for (Gate& gate : m_gates) {
        if (gate.pad)
            gst_object_unref(gate.pad);
        gate = Gate();
    }
}

void RecordingPart::watchWriter(GstPad* sinkInput, GstPad* writerInput)
{
    writerEnded = false;
    framesWritten = 0;
    gst_pad_add_probe(
        sinkInput, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM,
        +[](GstPad*, GstPadProbeInfo* info, gpointer data) {
            if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_EOS)
                static_cast<RecordingPart*>(data)->writerEnded = true;
            return GST_PAD_PROBE_OK;
        },
        this, nullptr);
    gst_pad_add_probe(
        writerInput, GST_PAD_PROBE_TYPE_BUFFER,
        +[](GstPad*, GstPadProbeInfo*, gpointer data) {
            ++static_cast<RecordingPart*>(data)->framesWritten;
            return GST_PAD_PROBE_OK;
        },
        this, nullptr);
}

bool RecordingPart::finishWriter(int timeoutMs)
{
    for (int g : {videoGate, audioGate})
        setGate(g, gateEnd);
    const QDeadlineTimer deadline(timeoutMs);
    while (!writerEnded && !deadline.hasExpired())
        QThread::msleep(writerEndPollMs);
    return writerEnded;
}

void RecordingPart::detachWriter(GstElement* pipeline)
{
    for (const Gate& gate : m_gates)
        if (gate.pad)
            if (GstPad* peer = gst_pad_get_peer(gate.pad)) {
                gst_pad_unlink(gate.pad, peer);
                gst_object_unref(peer);
            }
    for (GstPad* input : std::as_const(m_writerInputs))
        gst_object_unref(input);
    m_writerInputs.clear();
    for (GstElement* e : std::as_const(m_writerElements)) {
        gst_element_set_state(e, GST_STATE_NULL);
        if (pipeline)
            gst_bin_remove(GST_BIN(pipeline), e);
    }
    m_writerElements.clear();
}

qint64 RecordingPart::frameTime(qint64 streamTime) const
{
    QMutexLocker locker(&m_clockLock);
    return m_clock.frameTime(streamTime);
}

void RecordingPart::pauseClock()
{
    QMutexLocker locker(&m_clockLock);
    m_clock.pause(lastStreamTime.load());
}

void RecordingPart::resumeClock()
{
    QMutexLocker locker(&m_clockLock);
    m_clock.resume(lastStreamTime.load());
}

void RecordingPart::resetRun()
{
    {
        QMutexLocker locker(&m_clockLock);
        m_clock.reset();
    }
    held = false;
    heldFrames = 0;
    paused = false;
    active = false;
}

} // namespace velmar::video
