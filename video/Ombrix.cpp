#include "Ombrix.h"

#include "DeviceCatalogue.h"
#include "MediaFormats.h"
#include "ProcessLog.h"
#include "SequentialNumbers.h"
#include "StreamConfig.h"
#include "SyncManager.h"

#include <QDir>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcOmbrix, "velmar.video.component")

namespace velmar::video {

namespace {
constexpr int defaultNotificationPeriodMs = 15;
constexpr int hundredths = 100;
constexpr int lastQueuedCommand = WMProcessNotifyEvent;
constexpr int lastCommand = WMOpenPlayer;
// Whether a message comes from the element or something inside it.
bool postedBy(GstMessage* message, GstElement* element)
{
    if (!element)
        return false;
    for (GstObject* o = GST_MESSAGE_SRC(message); o; o = GST_OBJECT_PARENT(o))
        if (o == GST_OBJECT(element))
            return true;
    return false;
}

// Busy cursor count of the process: the busy state ends with the last component.
int g_busyCount = 0;
} // namespace

TOmbrix::TOmbrix(QObject* owner) : QObject(owner)
{
    TSyncManager* manager = TSyncManager::ensure();
    m_uniqueId = manager->addInstance(this);
    m_devices.videoSettings.setDefaults();
    m_devices.audioSettings.setDefaults();
    m_settings.lastUse.load(TRegistry2::rootKeyPath(), true);
    m_tick.start();
    m_capture.settings().storagePath = QDir::currentPath();
    m_imagesFolder = m_capture.settings().storagePath;
    m_graph = std::make_unique<CaptureGraph>([this](GstMessage* m) { onBusMessage(m); });
    m_worker = std::make_unique<TDualThread>(QStringLiteral("task"), defaultNotificationPeriodMs,
                                             m_settings.values.notificationMethod, [this] { TaskStep(); });
    m_controls = new TDeviceControls(this);
    connectDeviceControls();
    m_initialised = true;
    m_worker->start();
    WriteLog(cfGrey, QStringLiteral("component created: ") + QString::number(m_uniqueId));
}

TOmbrix::~TOmbrix()
{
    if (TSyncManager* manager = TSyncManager::instance())
        manager->removeInstance(this);
    m_destroying = true;
    unlinkMultiplexing();
    // No event reaches the host during tear-down.
    blockSignals(true);
    m_worker->halt(true);
    m_worker.reset();
    // A recording being written is closed so its file keeps its index.
    if (m_recording.writerAttached())
        finishWriter();
    ClearGraph(true);
    m_display.setWindows(nullptr);
    m_commands.clear();
    m_events.clear();
    saveVideoSettings();
    saveAudioSettings();
    m_settings.lastUse.save(TRegistry2::rootKeyPath());
    if (m_busy)
        busyOff();
}

void TOmbrix::setVideoDevice(int index)
{
    if (index == m_settings.values.videoDevice)
        return;
    saveVideoSettings();
    m_settings.values.videoDevice = index;
}

void TOmbrix::setAudioDevice(int index)
{
    if (index == m_settings.values.audioDevice)
        return;
    saveAudioSettings();
    m_settings.values.audioDevice = index;
}

void TOmbrix::setNotificationMethod(TNotificationMethod method)
{
    m_settings.values.notificationMethod = method;
    if (m_worker)
        m_worker->setMode(method);
}

void TOmbrix::setNotificationSleepTime(int ms)
{
    m_settings.values.notificationSleepTime = ms;
    if (m_worker)
        m_worker->setPeriod(ms < 0 ? defaultNotificationPeriodMs : ms);
}

// ---------------------------------------------------------------- reporting

bool TOmbrix::ReportResult(bool success, int severity, const QString& message, TLogType code)
{
    if (!m_initialised)
        return false;
    if (TLog::instance().isEnabled()) {
        const QString sev = success ? QString() : severityText(severity);
        WriteLog(success || severity == sevInfo ? cfDefault : cfRed,
                 QString::number(code) + QLatin1Char(' ') + sev + QStringLiteral(": ") + message);
    }
    if (!success && severity >= sevInfo && !m_destroying)
        emit OnLog(code, severityText(severity), message);
    if (!success && severity >= sevWarning)
        qCDebug(lcOmbrix) << m_uniqueId << severityText(severity) << message;
    return success;
}

bool TOmbrix::Report(bool condition, int severity, const QString& message, TLogType code)
{
    if (condition)
        ReportResult(false, severity, message, code);
    return condition;
}

bool TOmbrix::CheckState(int allowed, int severity, bool needDevice)
{
    const QList<StateReport> reports = CheckStateReports(
        {allowed, needDevice, isCaptureDeviceSource(), m_settings.values.videoDevice, m_currentState});
    for (const StateReport& r : reports)
        Report(true, severity, r.message, r.code);
    return reports.isEmpty();
}

// --------------------------------------------------------- commands, events

void TOmbrix::PostCommand(int code)
{
    if (code < 0 || code > lastCommand)
        return;
    if (code <= lastQueuedCommand)
        m_commands.addItem(code);
    else
        ExecuteCommand(code);
}

void TOmbrix::ExecuteCommand(int code)
{
    switch (code) {
    case WMDeviceLost: {
        if (m_graphActive || m_runState != 0)
            StopAll();
        // One device-lost event per loss: the graph's error and the
        // catalogue's removal both report the same unplugging.
        const bool wasLost = m_deviceLost.exchange(true);
        m_previewFailed = true;
        if (!wasLost)
            QueueEventNotification(TEventKind::DeviceLost);
        break;
    }
    case WMProcessNotifyEvent: processNotifyEvents(); break;
    case WMStopGraph:
        if (m_graphActive || m_runState != 0)
            StopAll();
        break;
    case WMStartPreview:
        if (RestartGraph(cs_Preview))
            QueueEventNotification(TEventKind::PreviewStarted);
        break;
    case WMStartRecording: RestartGraph(cs_Recording); break;
    case WMPlayStartByStep: startStepping(); break;
    case WMOpenPlayer:
        if (buildPlayerGraph())
            QueueEventNotification(TEventKind::PlayerOpened);
        break;
    case WMStartReencoding:
        if (buildReencodingGraph(m_player.reencoding))
            QueueEventNotification(TEventKind::ReencodingStarted);
        break;
    case WMProcessContinueTVAutoScan:
        if (!m_controls->TVScanStep() && m_tuningStep)
            m_tuningStep->stop();
        break;
    default:
        // TV tuning commands belong to a part of the component that is not
        // in this library.
        ReportResult(false, sevTrace, QStringLiteral("command not available: ") + QString::number(code), e_failed);
        break;
    }
}

void TOmbrix::QueueEventNotification(TEventKind kind)
{
    if (!TSyncManager::instance())
        return;
    if (m_settings.values.eventSynchrone)
        deliverEvent(kind);
    else
        m_events.addItem(kind);
}

void TOmbrix::deliverEvent(TEventKind kind)
{
    if (m_destroying)
        return;
    switch (kind) {
    case TEventKind::PreviewStarted: emit OnPreviewStarted(); break;
    case TEventKind::RecordingStarted: emit OnRecordingStarted(); break;
    case TEventKind::ReencodingStarted: emit OnReencodingStarted(); break;
    case TEventKind::PlayerOpened: emit OnPlayerOpened(); break;
    case TEventKind::DeviceLost: emit OnDeviceLost(); break;
    }
}

void TOmbrix::TaskStep()
{
    if (m_destroying)
        return;
    if (const auto event = m_events.takeFirst())
        deliverEvent(*event);
    if (!m_commandRunning) {
        if (const auto command = m_commands.takeFirst()) {
            m_commandRunning = true;
            ExecuteCommand(*command);
            m_commandRunning = false;
        }
    }
    if (m_graphState == gs_CanActivate) {
        m_graphState = gs_Activating;
        ActivateGraph();
    }
    if (m_graphActive)
        periodicStep();
    if (m_currentState == cs_Playback && (m_runState == 2 || m_player.stepping))
        followTrackBar();
}

void TOmbrix::periodicStep()
{
    if (m_periodicBusy)
        return;
    m_periodicBusy = true;
    if (m_settings.frozen.frameGrabber != fg_Disabled) {
        // A frame handed over by the frame tap: progress, then captures.
        if (m_capture.frameReady) {
            takeFrame();
            frameProgressStep();
            m_capture.frameReady = false;
        }
    } else if (m_capture.newFrame.exchange(false)) {
        const qint64 delivered = m_framesDelivered.load();
        if ((m_currentState == cs_Preview || m_currentState == cs_Recording) && delivered != m_lastFrameReported) {
            m_lastFrameReported = delivered;
            emit OnFrameProgress(delivered, 0);
        }
    }
    m_periodicBusy = false;
}

void TOmbrix::onBusMessage(GstMessage* message)
{
    // GStreamer's threads: only hand the message over.
    const GstMessageType type = GST_MESSAGE_TYPE(message);
    if (type != GST_MESSAGE_ERROR && type != GST_MESSAGE_EOS)
        return;
    GraphMessage m{
        m_generation.load(), type == GST_MESSAGE_ERROR, postedBy(message, m_sourceElement.load()), false, {}};
    if (type == GST_MESSAGE_ERROR) {
        GError* error = nullptr;
        gchar* debug = nullptr;
        gst_message_parse_error(message, &error, &debug);
        m.resourceError = error && error->domain == GST_RESOURCE_ERROR;
        m.text = QString::fromUtf8(error ? error->message : "unknown error");
        if (error)
            g_error_free(error);
        g_free(debug);
    } else {
        m.text = QStringLiteral("end of stream");
    }
    {
        QMutexLocker locker(&m_messageLock);
        m_messages << m;
    }
    PostCommand(WMProcessNotifyEvent);
}

void TOmbrix::processNotifyEvents()
{
    QList<GraphMessage> messages;
    {
        QMutexLocker locker(&m_messageLock);
        messages.swap(m_messages);
    }
    for (const GraphMessage& m : std::as_const(messages)) {
        if (m.generation != m_generation.load() || m_runState == 0)
            continue; // from a graph that is gone
        if (!m.error && m_currentState == cs_Playback) {
            playerEnded();
            continue;
        }
        if (!m.error && m_currentState == cs_Reencoding) {
            // The new clip is complete.
            m_player.ended = true;
            StopAll();
            return;
        }
        if (!m.error && !isCaptureDeviceSource()) {
            // The pictures ran out: everything stops.
            WriteLog(cfBlue, QStringLiteral("end of stream"));
            StopAll();
            emit OnPlayerEndOfStream();
            return;
        }
        if (m.error && m.fromSource && m.resourceError && isCaptureDeviceSource()) {
            WriteLog(cfRed, QStringLiteral("device lost: ") + m.text);
            ExecuteCommand(WMDeviceLost);
            return;
        }
        // An aborting error: the graph is stopped and the host told why.
        m_graphFailed = true;
        Report(true, sevError, QStringLiteral("graph error: ") + m.text, e_graph_error);
        StopAll();
        return;
    }
}

// ------------------------------------------------------------ busy cursor

void TOmbrix::busyOn()
{
    ++g_busyCount;
    WriteLog(cfGrey, QStringLiteral("cursor + ") + QString::number(g_busyCount));
    m_busy = true;
}

void TOmbrix::busyOff()
{
    g_busyCount = std::max(0, g_busyCount - 1);
    WriteLog(cfGrey, QStringLiteral("cursor - ") + QString::number(g_busyCount));
    m_busy = false;
}

// -------------------------------------------------------------- devices

QString TOmbrix::deviceKey(TDevices* catalogue, int index) const
{
    return catalogue && catalogue->entry(index) ? TRegistry2::deviceKeyPath(catalogue->deviceRegistryKey(index))
                                                : QString();
}

void TOmbrix::saveVideoSettings()
{
    if (!isCaptureDeviceSource() || m_devices.boundVideo < 0
        || !m_devices.videoSettings.value("_DeviceDiscovered").toBool())
        return;
    m_devices.videoSettings.setValue("VideoSize", m_settings.values.videoSize);
    m_devices.videoSettings.setValue("VideoSubtype", m_settings.values.videoSubtype);
    m_controls->storeTo(m_devices.videoSettings);
    const QString key = deviceKey(VideoDeviceCatalogue(), m_devices.boundVideo);
    if (!key.isEmpty())
        m_devices.videoSettings.save(key);
}

void TOmbrix::saveAudioSettings()
{
    if (!isCaptureDeviceSource() || m_devices.boundAudio < 0
        || !m_devices.audioSettings.value("_DeviceDiscovered").toBool())
        return;
    const QString key = deviceKey(AudioDeviceCatalogue(), m_devices.boundAudio);
    if (!key.isEmpty())
        m_devices.audioSettings.save(key);
}

bool TOmbrix::BindVideoDevice()
{
    if (!BootstrapDone() || m_settings.values.videoSource != vs_VideoCaptureDevice)
        return false;
    TDevices* catalogue = VideoDeviceCatalogue();
    if (!catalogue || catalogue->count() == 0) {
        emit OnNoVideoDevices();
        return false;
    }
    if (m_settings.values.videoDevice < 0)
        return false;
    const IndexReport check = CheckIndex(m_settings.values.videoDevice, catalogue->count(), catalogue->title());
    if (check.reported)
        Report(true, check.severity, check.message, check.code);
    if (check.reported || m_devices.bindingVideo)
        return false;

    busyOn();
    saveVideoSettings();
    m_devices.bindingVideo = true;
    m_devices.boundVideo = m_settings.values.videoDevice;
    m_devices.videoSettings.setDefaults();
    if (!m_devices.videoSettings.load(deviceKey(catalogue, m_devices.boundVideo),
                                      m_settings.values.storeDeviceSettings))
        m_devices.videoSettings.setDefaults();
    else if (m_settings.values.storeDeviceSettings) {
        m_settings.values.videoSize = m_devices.videoSettings.value("VideoSize").toInt();
        m_settings.values.videoSubtype = m_devices.videoSettings.value("VideoSubtype").toInt();
    }
    m_devices.isDV = catalogue->entry(m_devices.boundVideo)->isDV;
    m_devices.formatsKnown = loadFormatsFromRegistry() || discoverVideoDevice();
    bindDeviceControls();
    saveVideoSettings();
    busyOff();
    if (m_devices.formatsKnown) {
        WriteLog(cfBlue, QStringLiteral("call change video device"));
        emit OnVideoDeviceSelected();
        WriteLog(cfBlue, QStringLiteral("end call change video device"));
        if (m_settings.values.associateDevices) {
            // The audio device last used with this camera comes back with it;
            // one that is not installed now leaves the choice alone.
            TDevices* audio = AudioDeviceCatalogue();
            const QString associated = m_devices.videoSettings.value("_AudioDeviceAssociated").toString();
            const int index = audio && !associated.isEmpty() ? int(audio->nameList().indexOf(associated)) : -1;
            if (index >= 0) {
                setAudioDevice(index);
                BindAudioDevice();
            } else if (associated.isEmpty() && audio && m_devices.boundAudio >= 0) {
                m_devices.videoSettings.setValue("_AudioDeviceAssociated", audio->nameAt(m_devices.boundAudio));
            }
        }
    }
    m_devices.bindingVideo = false;
    m_devices.videoBound = true;
    return m_devices.formatsKnown;
}

bool TOmbrix::BindAudioDevice()
{
    TDevices* catalogue = AudioDeviceCatalogue();
    if (!BootstrapDone() || m_settings.values.videoSource != vs_VideoCaptureDevice || !catalogue
        || catalogue->count() == 0 || m_settings.values.audioDevice < 0)
        return false;
    const IndexReport check = CheckIndex(m_settings.values.audioDevice, catalogue->count(), catalogue->title());
    if (check.reported)
        Report(true, check.severity, check.message, check.code);
    if (check.reported || m_devices.bindingAudio)
        return false;
    m_devices.bindingAudio = true;
    busyOn();
    saveAudioSettings();
    m_devices.boundAudio = m_settings.values.audioDevice;
    m_devices.audioSettings.setDefaults();
    m_devices.audioSettings.load(deviceKey(catalogue, m_devices.boundAudio), m_settings.values.storeDeviceSettings);
    bool discovered = m_devices.audioSettings.value("_DeviceDiscovered").toBool();
    if (!discovered && discoverAudioDevice()) {
        discovered = true;
        m_devices.audioSettings.setValue("_DeviceDiscovered", true);
    }
    saveAudioSettings();
    if (discovered && m_settings.values.associateDevices && m_devices.boundVideo >= 0)
        m_devices.videoSettings.setValue("_AudioDeviceAssociated", catalogue->nameAt(m_devices.boundAudio));
    if (discovered)
        emit OnAudioDeviceSelected();
    busyOff();
    m_devices.bindingAudio = false;
    m_devices.audioBound = true;
    return discovered;
}

void TOmbrix::BindMissingDevices()
{
    if (!m_devices.videoBound)
        BindVideoDevice();
    if (!m_devices.audioBound)
        BindAudioDevice();
}

void TOmbrix::FirstBind()
{
    if (m_firstBindDone)
        return;
    m_firstBindDone = true;
    if (m_devices.boundVideo != m_settings.values.videoDevice) {
        BindAudioDevice();
        BindVideoDevice();
    }
}

bool TOmbrix::loadFormatsFromRegistry()
{
    TRegistry2 reg;
    if (!isCaptureDeviceSource() || m_devices.boundVideo < 0)
        return false;
    reg.openKey(deviceKey(VideoDeviceCatalogue(), m_devices.boundVideo), true);
    if (m_devices.readFormats(reg))
        return true;
    WriteLog(cfRed, QStringLiteral("ERROR when loading from registry: Formats or Subtypes empty"));
    return false;
}

bool TOmbrix::discoverVideoDevice()
{
    TDevices* catalogue = VideoDeviceCatalogue();
    const TCapDeviceInfo* device = catalogue ? catalogue->entry(m_devices.boundVideo) : nullptr;
    if (!device)
        return false;
    const QString name = catalogue->nameAt(m_devices.boundVideo);
    Report(true, sevInfo,
           QStringLiteral("one-time video device discovery:\r\n") + name + QStringLiteral("\r\nplease wait..."),
           i_begin_discovering_device);
    m_devices.discovering = true;
    m_devices.clearFormats();
    ClearGraph(false);
    bool ok = false;
    if (!device->isConnected || device->formats.isEmpty()) {
        WriteLog(cfRed, QStringLiteral("ERROR: NO OUPTUT PIN FOUND IN FORMAT DISCOVERING"));
    } else {
        // The device's caps stand for its stream capabilities.
        WriteLog(cfBlue, QStringLiteral("CapAvail: looping capabilities ") + QString::number(device->formats.size()));
        for (const CapsEntry& c : device->formats) {
            WriteLog(cfGrey, QStringLiteral("seen: ") + c.formatName.toLower());
            const DevicePart::Added added = m_devices.addCaps(c);
            if (added.newFormat)
                Report(true, sevInfo, QStringLiteral("video format: ") + c.formatName.toLower(), i_discovering_device);
            if (added.newSizes)
                Report(true, sevInfo, QStringLiteral("video sizes: ") + QString::number(m_devices.sizes().count() - 1),
                       i_discovering_device);
        }
        m_devices.fixDefaults();
        WriteLog(cfBlue, QStringLiteral("END Discovering formats for ") + name);
        TRegistry2 reg;
        reg.openKey(deviceKey(catalogue, m_devices.boundVideo), true);
        m_devices.writeFormats(reg);
        reg.sync();
        // Video for Windows capture dialogs do not exist here.
        for (const char* dialog : {"_VfwCaptureDialogFormat", "_VfwCaptureDialogSource", "_VfwCaptureDialogDisplay"})
            m_devices.videoSettings.setValue(dialog, false);
        WriteLog(cfGrey, QStringLiteral("Video for Windows capture dialogs: not available"));
        m_devices.videoSettings.setValue("_DeviceDiscovered", true);
        m_devices.videoSettings.setValue("_IsDigitalVideoIn", m_devices.isDV);
        WriteLogYesNo(m_devices.isDV, cfBlue, QStringLiteral("Digital video in"));
        ok = m_devices.sizes().count() > 0 && m_devices.subtypes().count() > 0;
    }
    Report(true, sevInfo, QStringLiteral("end of device discovery"), i_end_discovering_device);
    m_devices.discovering = false;
    return ok;
}

bool TOmbrix::discoverAudioDevice()
{
    TDevices* catalogue = AudioDeviceCatalogue();
    const QString name = catalogue ? catalogue->nameAt(m_devices.boundAudio) : QString();
    WriteLog(cfBlue, QStringLiteral("BEGIN Discovering ") + name);
    Report(true, sevInfo,
           QStringLiteral("one-time audio device discovery:\r\n") + name + QStringLiteral("\r\nplease wait..."),
           i_begin_discovering_device);
    // Input pins and crossbars of a sound card are not GStreamer's model:
    // the device has one input and no crossbar.
    m_devices.audioSettings.setValue("AIsSoundCard", false);
    m_devices.audioSettings.setValue("AudioInputs", QString());
    m_devices.audioSettings.setValue("AudioInput", 0);
    WriteLogYesNo(false, cfBlue, QStringLiteral("audio crossbar available on audio device"));
    WriteLog(cfBlue, QStringLiteral("END Discovering ") + name);
    Report(true, sevInfo, QStringLiteral("end of device discovery"), i_end_discovering_device);
    return true;
}

void TOmbrix::FireDeviceArrivalOrRemoval(bool arrival, bool video, const QString& name, int index)
{
    emit OnDeviceArrivalOrRemoval(arrival, video, name, index);
}

// ------------------------------------------------------------- start, stop

bool TOmbrix::StartPreview()
{
    if (!CheckState(as_Preview | 1, sevError, true))
        return false;
    BindMissingDevices();
    PostCommand(WMStartPreview);
    return m_currentState == cs_Preview;
}

bool TOmbrix::StopPreview()
{
    if (Report(m_currentState != cs_Preview, sevWarning, QStringLiteral("not previewing"), e_not_previewing))
        return false;
    PostCommand(WMStopGraph);
    return true;
}

bool TOmbrix::StartRecording()
{
    if (!CheckState(as_Preview | as_Recording | 1, sevError, true))
        return false;
    BindMissingDevices();
    PostCommand(WMStartRecording);
    return m_currentState == cs_Recording;
}

bool TOmbrix::StopRecording()
{
    if (Report(m_currentState != cs_Recording, sevWarning, QStringLiteral("not recording"), e_not_recording))
        return false;
    PostCommand(WMStopGraph);
    return true;
}

bool TOmbrix::Stop()
{
    if (m_currentState == cs_Down)
        return false;
    m_previewFailed = false;
    PostCommand(WMStopGraph);
    return true;
}

bool TOmbrix::Cancel()
{
    if (m_currentState == cs_Down)
        return false;
    ClearGraph(true);
    return true;
}

bool TOmbrix::PausePreview()
{
    if (!CheckState(as_Preview, sevError, true) || m_runState != 2)
        return false;
    if (m_settings.frozen.frameGrabber != fg_Disabled) {
        // The next frame that reaches the frame grabber is the one held.
        m_capture.pauseOnNextFrame();
        return true;
    }
    changeGraphState(GST_STATE_PAUSED, QStringLiteral("pause preview"));
    return true;
}

bool TOmbrix::ResumePreview()
{
    if (!CheckState(as_Preview, sevError, true) || m_runState != 1)
        return false;
    changeGraphState(GST_STATE_PLAYING, QStringLiteral("resume preview"));
    return true;
}

bool TOmbrix::ResetPreview()
{
    TDevices* catalogue = VideoDeviceCatalogue();
    if (isCaptureDeviceSource() && m_settings.values.videoDevice >= (catalogue ? catalogue->count() : 0))
        return !Report(true, sevError, QStringLiteral("video device index out of range"), e_index_out_of_range);
    if (m_currentState != cs_Preview || m_runState != 2)
        return false;
    changeGraphState(GST_STATE_PAUSED, QStringLiteral("reset"));
    return changeGraphState(GST_STATE_PLAYING, QStringLiteral("reset"));
}

void TOmbrix::RefreshPreview(const QString& reason)
{
    if (!m_settings.values.autoRefreshPreview || m_settings.values.videoDevice < 0)
        return;
    if (!CheckState(as_Preview | 1, sevError, true))
        return;
    if (m_currentState == cs_Preview || (m_previewFailed && m_deviceLost)) {
        WriteLog(cfPurple, QStringLiteral("REFRESHING PREVIEW FROM ") + reason);
        StartPreview();
    }
}

int TOmbrix::CurrentFrameRate() const
{
    GstElement* pipeline = Pipeline();
    GstElement* caps = ElementByName(pipeline, "Video Caps");
    if (!caps)
        return 0;
    int rate = 0;
    GstPad* pad = gst_element_get_static_pad(caps, "src");
    if (GstCaps* current = gst_pad_get_current_caps(pad)) {
        int num = 0, den = 0;
        if (gst_structure_get_fraction(gst_caps_get_structure(current, 0), "framerate", &num, &den) && den > 0)
            rate = int((int64_t(num) * hundredths + den / 2) / den);
        gst_caps_unref(current);
    }
    gst_object_unref(pad);
    gst_object_unref(caps);
    return rate;
}

bool TOmbrix::freezeSettings()
{
    ClearGraph(false);
    m_settings.freeze(m_capture.settings());
    m_motion.setRunning(m_motion.enabled() && m_settings.values.frameGrabber != fg_Disabled);
    if (m_recording.freeze(isCaptureDeviceSource(), m_settings.values.audioRecording))
        Report(true, sevWarning,
               QStringLiteral("the preallocated recording file is not compatible with ASF or MPEG2 recording"),
               i_preallocated_file_not_suitable);
    if (m_settings.values.frameGrabber != fg_Disabled)
        chooseRgbFormat();
    resetCaptureState();
    m_settings.frozen.frozen = true;
    return true;
}

bool TOmbrix::RestartGraph(int target)
{
    TDevices* catalogue = VideoDeviceCatalogue();
    const int deviceCount = catalogue ? catalogue->count() : 0;
    if (!TSyncManager::instance() || (target != cs_Preview && target != cs_Recording) || !m_initialised
        || (isCaptureDeviceSource() && m_settings.values.videoDevice >= deviceCount) || !IsDirectX8OrHigherInstalled())
        return false;
    if (isCaptureDeviceSource() && deviceCount == 0) {
        Report(true, sevError, QStringLiteral("no video capture device"), e_no_video_input_device);
        return false;
    }
    if (m_restarting)
        return false;
    m_restarting = true;
    WriteLog(cfPurple, QStringLiteral("BEGIN RestartGraph ") + QString::number(target));

    bool result = false;
    do {
        StopAll();
        if (isCaptureDeviceSource()) {
            if (m_devices.boundVideo != m_settings.values.videoDevice && !BindVideoDevice())
                break;
            if (m_devices.boundAudio != m_settings.values.audioDevice)
                BindAudioDevice();
            if (!m_devices.formatsKnown)
                break;
        }
        emit OnReinitializing();
        busyOn();
        m_currentState = TCurrentState(target);
        if (target != cs_Preview)
            m_previewFailed = false;
        if (!freezeSettings())
            break;
        m_currentState = TCurrentState(target);
        if (TLog::instance().isEnabled() && isCaptureDeviceSource()) {
            for (auto [index, cat] : {std::pair{m_settings.values.videoDevice, VideoDeviceCatalogue()},
                                      std::pair{m_settings.values.audioDevice, AudioDeviceCatalogue()}}) {
                if (cat && index >= 0 && index < cat->count())
                    WriteLog(cfBlue,
                             QStringLiteral("current ") + cat->title() + QStringLiteral(": ") + cat->nameAt(index));
                else if (cat)
                    WriteLog(cfBlue, QStringLiteral("no ") + cat->title() + QStringLiteral(" available."));
            }
            WriteLogYesNo(m_settings.values.audioRecording, cfBlue, QStringLiteral("capture audio"));
            WriteLogYesNo(m_settings.values.audioDeviceRendering, cfBlue, QStringLiteral("render audio"));
        }
        if (!buildBaseGraph())
            break;
        const bool chain = target == cs_Preview ? buildPreviewChain() : buildRecordingChain();
        if (!chain) {
            WriteLog(cfDefault, QStringLiteral("build graph failed"));
            break;
        }
        buildAudioSource();
        if (!finishGraph())
            break;
        WriteLog(cfPurple, QStringLiteral("Preview BUILDOWN END"));
        setBuiltGraphState();
        result = true;
    } while (false);

    WriteLog(cfPurple, QStringLiteral("END RestartGraph"));
    if (!result) {
        ClearGraph(true);
        if (target == cs_Preview) {
            m_previewFailed = true;
            Report(true, sevError, QStringLiteral("failed to start preview"), e_failed_to_start_preview);
        } else {
            m_recording.active = false;
            Report(true, sevError, QStringLiteral("failed to start Recording"), e_failed_to_start_recording);
        }
        m_currentState = cs_Down;
    }
    if (m_busy)
        busyOff();
    m_restarting = false;
    if (m_graphState == gs_CanActivate) {
        m_graphState = gs_Activating;
        result = ActivateGraph() && result;
    }
    if (result)
        m_deviceLost = false;
    return result;
}

bool TOmbrix::buildBaseGraph()
{
    WriteLog(cfBlue, QStringLiteral("creating base graph"));
    if (!BootstrapDone() || !m_settings.frozen.frozen)
        return !Report(true, sevError, QStringLiteral("current params not set"), e_set_filter_graph);
    if (m_settings.frozen.videoSource == vs_VideoFromImages || m_settings.frozen.videoSource == vs_VideoFromBitmaps
        || m_settings.values.multiplexedRole == mr_MultiplexedSlave)
        return buildPushSource();
    if (m_settings.frozen.videoSource != vs_VideoCaptureDevice) {
        // Files, streams and external sources are other parts of the
        // component.
        return !Report(true, sevError, QStringLiteral("video source not available in this version"), e_failed);
    }
    WriteLog(cfBlue, QStringLiteral("creating device graph"));
    m_generation = m_graph->generation() + 1;
    if (!m_graph->create())
        return !Report(true, sevError, QStringLiteral("DirectX 8 or higher required!"), e_set_filter_graph);
    m_generation = m_graph->generation();
    m_graphState = gs_Building;

    TDevices* catalogue = VideoDeviceCatalogue();
    int index = m_devices.boundVideo;
    if (index == -1)
        return !Report(true, sevWarning, catalogue->title() + QStringLiteral(" not selected!"), e_index_out_of_range);
    if (index < 0 || index >= catalogue->count()) {
        Report(true, sevError, catalogue->title() + QStringLiteral(" index out of range, index 0 used instead"),
               e_index_out_of_range);
        index = m_devices.boundVideo = 0;
    }
    const QString deviceName = catalogue->nameAt(index);
    if (catalogue->inUse(index))
        return !Report(true, sevError, deviceName + QStringLiteral(" is already in use"),
                       e_device_in_use_in_another_graph);
    Report(true, sevInfo,
           QStringLiteral("using ") + catalogue->title() + QStringLiteral(":\r\n") + deviceName
               + QStringLiteral("\r\non input ") + m_devices.videoSettings.value("VideoInputName").toString(),
           i_binding_device_or_compressor);
    const TCapDeviceInfo* entry = catalogue->entry(index);
    DeviceProvider* provider = CurrentDeviceProvider();
    GstElement* source = provider && entry->isConnected
                           ? provider->createSource(entry->path, DeviceCategory::VideoInput)
                           : nullptr;
    const QString filterName = QString::number(index) + QLatin1Char(' ') + deviceName;
    if (!source || !m_graph->addFilter(source, filterName))
        return !Report(true, sevError,
                       QStringLiteral("bind ") + deviceName + QStringLiteral(" device moniker to filter"),
                       e_bind_moniker_to_filter);
    m_sourceElement = source;
    catalogue->setInUse(index, true);
    m_devices.inUseIndex = index;
    applyDeviceControls();
    WriteLog(cfBlue, QStringLiteral("device graph created"));

    // The chosen size, format and rate, as the device's caps allow them.
    SizeContext sizes{&m_devices.sizes(), m_settings.values.videoSize, m_settings.values.configuredSize, m_devices.isDV,
                      m_devices.videoSettings.value("_IsDVPal").toBool()};
    if (m_settings.values.videoSize >= m_devices.sizes().count()) {
        m_settings.values.videoSize = 0;
        Report(true, sevError, QStringLiteral("VideoSize index out of range, default size used"), e_index_out_of_range);
    }
    video::VideoSize size;
    SizeOfIndex(sizes, -1, size);
    const QString subtype = ChooseSubtype(m_devices.subtypes().entries(), m_settings.frozen.subtypeIndex,
                                          m_settings.frozen.frameGrabber != fg_Disabled);
    const StreamChoice choice = ChooseStreamCaps(entry->formats, subtype, size, m_settings.frozen.rateHundredths);
    WriteLog(cfBlue, QStringLiteral("video stream config ") + QString::number(choice.step));
    if (choice.step == 0)
        ReportResult(false, sevTrace, QStringLiteral("failed to set video format"), e_set_format);
    m_sourceCaps = choice.caps;
    GstElement* capsFilter = m_graph->createFilter("capsfilter", QStringLiteral("Video Caps"));
    if (!capsFilter || !m_graph->addFilter(capsFilter, QStringLiteral("Video Caps")))
        return !Report(true, sevError, QStringLiteral("rejected: Video Caps"), e_add_filter);
    if (!choice.caps.isEmpty()) {
        GstCaps* caps = gst_caps_from_string(choice.caps.toUtf8().constData());
        g_object_set(capsFilter, "caps", caps, nullptr);
        gst_caps_unref(caps);
    }
    if (!gst_element_link(source, capsFilter))
        return !Report(true, sevError, QStringLiteral("set format: ") + choice.caps, e_set_format);
    WriteLog(cfBlue, QStringLiteral("sizes"));
    WriteLog(cfBlue, m_devices.sizes().entries().join(QLatin1Char('|')));
    WriteLog(cfBlue, QStringLiteral("base graph created"));
    return true;
}

bool TOmbrix::buildPreviewChain()
{
    GstElement* caps = gst_bin_get_by_name(GST_BIN(m_graph->pipeline()), "Video Caps");
    if (!caps)
        return false;
    GstPad* pin = gst_element_get_static_pad(caps, "src");
    gst_object_unref(caps);
    bool ok = m_graph->insertFilterInline("queue", QStringLiteral("Preview Queue"), pin);
    // Frames pass the frame tap unless neither display nor grabbing wants them.
    const bool wanted = !(m_settings.frozen.videoRenderer == vr_None && m_settings.frozen.frameGrabber == fg_Disabled);
    if (ok && wanted)
        ok = buildGrabberChain(pin);
    GstElement* sink = ok ? m_graph->addFilterAfter(pin, "fakesink", QStringLiteral("Null Renderer")) : nullptr;
    ok = sink != nullptr;
    // A camera paces itself; pictures are shown at their frame rate.
    if (ok)
        g_object_set(sink, "sync", m_settings.frozen.videoSource != vs_VideoCaptureDevice, nullptr);
    if (pin)
        gst_object_unref(pin);
    return ok;
}

void TOmbrix::buildAudioSource()
{
    // Audio goes with a preview only when it is rendered; a recording's audio
    // is the recording part's business.
    if (m_currentState != cs_Preview || !m_settings.values.audioDeviceRendering)
        return;
    GstElement* source = addAudioInput();
    if (!source)
        return;
    GstPad* pin = gst_element_get_static_pad(source, "src");
    bool ok = m_graph->insertFilterInline("queue", QStringLiteral("Audio Queue"), pin);
    if (ok && m_settings.frozen.sampleAudio != sc_Disabled) {
        // The host's audio samples, taken on their way to the renderer.
        ok = m_graph->insertFilterInline("identity", QStringLiteral("GRB_Sample"), pin);
        if (ok) {
            GstElement* grabber = gst_pad_get_parent_element(pin);
            g_object_set(grabber, "signal-handoffs", TRUE, nullptr);
            g_signal_connect(grabber, "handoff", G_CALLBACK(+[](GstElement* element, GstBuffer* buffer, gpointer data) {
                                 GstPad* input = gst_element_get_static_pad(element, "sink");
                                 static_cast<TOmbrix*>(data)->audioSample(input, buffer);
                                 gst_object_unref(input);
                             }),
                             this);
            gst_object_unref(grabber);
        }
    }
    ok = ok && m_graph->addFilterAfter(pin, "autoaudiosink", QStringLiteral("Audio Renderer"));
    if (pin)
        gst_object_unref(pin);
    if (!ok) {
        // The video goes on without its sound.
        if (GstPad* src = gst_element_get_static_pad(source, "src")) {
            RemoveDownstream(GST_BIN(m_graph->pipeline()), src);
            gst_object_unref(src);
        }
        gst_bin_remove(GST_BIN(m_graph->pipeline()), source);
        Report(true, sevWarning, QStringLiteral("render audio stream"), e_render_audio_stream);
    }
}

GstElement* TOmbrix::addAudioInput()
{
    TDevices* audio = AudioDeviceCatalogue();
    if (!audio || audio->count() == 0) {
        Report(true, sevWarning, QStringLiteral("no audio device found"), w_find_audio_device);
        return nullptr;
    }
    const int index = m_settings.values.audioDevice >= 0 && m_settings.values.audioDevice < audio->count()
                        ? m_settings.values.audioDevice
                        : 0;
    const TCapDeviceInfo* entry = audio->entry(index);
    DeviceProvider* provider = CurrentDeviceProvider();
    GstElement* source = provider && entry->isConnected
                           ? provider->createSource(entry->path, DeviceCategory::AudioInput)
                           : nullptr;
    const QString name = QString::number(index) + QLatin1Char(' ') + audio->nameAt(index);
    if (!source || !m_graph->addFilter(source, name)) {
        Report(true, sevWarning,
               QStringLiteral("bind ") + audio->nameAt(index) + QStringLiteral(" device moniker to filter"),
               e_bind_moniker_to_filter);
        return nullptr;
    }
    Report(true, sevInfo, QStringLiteral("using ") + audio->title() + QStringLiteral(": ") + audio->nameAt(index),
           i_binding_device_or_compressor);
    return source;
}

bool TOmbrix::finishGraph()
{
    m_framesDelivered = 0;
    m_lastFrameReported = -1;
    m_graphFailed = false;
    if (TLog::instance().isEnabled() && m_sourceElement.load()) {
        QStringList chain;
        WriteLog(cfGreen, QStringLiteral("video tree"));
        ListFilterChain(m_sourceElement.load(), 0, chain);
        WriteLog(cfGreen, QStringLiteral("video tree end"));
    }
    return m_graph->exists();
}

void TOmbrix::setBuiltGraphState()
{
    m_graphState = m_settings.values.synchronized && m_settings.values.multiplexedRole != mr_MultiplexedSlave
                     ? gs_WaitForSync
                     : gs_CanActivate;
}

bool TOmbrix::changeGraphState(GstState state, const QString& reason)
{
    const bool ok = m_graph->setState(state, reason);
    // A failed change leaves the run state as asked: the graph's own error
    // message then stops it through StopAll.
    m_runState = state == GST_STATE_PLAYING ? 2 : state == GST_STATE_PAUSED ? 1 : 0;
    m_graphActive = m_runState != 0;
    return ok;
}

bool TOmbrix::ActivateGraph()
{
    WriteLog(cfBlue, QStringLiteral("begin activate graph"));
    bool ok = false;
    if (m_currentState == cs_Preview) {
        ok = changeGraphState(GST_STATE_PLAYING, QStringLiteral("bprev"));
    } else if (m_currentState == cs_Recording) {
        // A held recording runs with its file closed; any other opens it first.
        m_recording.held = m_recording.frozen().hold;
        ok = (m_recording.held || attachWriter()) && changeGraphState(GST_STATE_PLAYING, QStringLiteral("brec"));
        if (ok && m_recording.held) {
            emit OnRecordingReadyToStart();
        } else if (ok) {
            m_recording.active = true;
            QueueEventNotification(TEventKind::RecordingStarted);
        }
    }
    WriteLog(cfBlue, QStringLiteral("end activate graph"));
    if (ok) {
        m_graphState = gs_Active;
        m_display.setActive(m_settings.frozen.display);
        m_display.layout();
    } else if (m_currentState == cs_Preview) {
        Report(true, sevError, QStringLiteral("failed to start preview"), e_failed_to_start_preview);
    } else if (m_currentState == cs_Recording) {
        Report(true, sevError, QStringLiteral("failed to start Recording"), e_failed_to_start_recording);
        StopAll();
    }
    return ok;
}

void TOmbrix::StopAll()
{
    if ((m_runState == 0 && !m_graphActive) || m_stopping)
        return;
    m_stopping = true;
    busyOn();
    const TCurrentState ended = m_currentState;
    switch (m_currentState) {
    case cs_Preview: ClearGraph(true); break;
    case cs_Recording: {
        // The file is closed with an end of stream before the graph goes, so
        // its index is written.
        // After a graph error no frame comes to carry the end of stream.
        const bool attached = m_recording.writerAttached();
        const bool closed = attached && !m_graphFailed && finishWriter();
        const bool wasRunning = m_recording.active && !m_graphFailed && closed && m_recording.framesWritten > 0;
        const QString file = attached ? m_recording.writtenFile : QString();
        IncompleteRecording incomplete{m_recording.counterIndex, m_recording.counterNumber, file, true,
                                       m_recording.framesWritten.load()};
        const bool prealloc = m_recording.frozen().prealloc;
        ClearGraph(true);
        if (attached && incomplete.framesWritten == 0)
            if (TSyncManager* manager = TSyncManager::instance())
                DiscardIncompleteRecording(manager->counters(), incomplete);
        if (attached && prealloc) {
            // Written to its final name already: the copy is done at once.
            emit OnCopyPreallocDataStarted(file, file);
            emit OnCopyPreallocDataCompleted(file, file, wasRunning);
        }
        emit OnRecordingCompleted(file, wasRunning);
        break;
    }
    case cs_Reencoding: {
        const bool complete = m_player.ended && !m_graphFailed;
        ClearGraph(true);
        endReencoding(complete);
        break;
    }
    default:
        m_player.stepping = false;
        ClearGraph(true);
        break;
    }
    busyOff();
    if (ended != cs_Down)
        emit OnInactive();
    m_stopping = false;
}

void TOmbrix::ClearGraph(bool endState)
{
    WriteLog(cfBlue, QStringLiteral("begin clear"));
    m_graphActive = false;
    // A slave's streaming thread may wait for its master's next frame; a
    // master's slaves end with it.
    if (m_settings.values.multiplexedRole == mr_MultiplexedSlave)
        m_multiplexSlot.close();
    if (m_settings.values.multiplexedRole == mr_MultiplexedMaster) {
        QMutexLocker locker(&m_slaveLock);
        for (TOmbrix* slave : m_slaves)
            if (slave)
                slave->m_multiplexSlot.close();
        m_masterFrameSize = QSize();
    }
    m_display.hide();
    if (m_graph && m_graph->exists())
        changeGraphState(GST_STATE_NULL, QStringLiteral("clear"));
    if (GstElement* tap = m_graph && m_graph->exists()
                            ? gst_bin_get_by_name(GST_BIN(m_graph->pipeline()), "Frame Grabber")
                            : nullptr) {
        SetFrameTapHandler(tap, nullptr);
        gst_object_unref(tap);
    }
    resetCaptureState();
    detachWriter();
    m_recording.clearGates();
    m_recording.resetRun();
    m_runState = 0;
    if (endState) {
        m_currentState = cs_Down;
        m_settings.frozen.frozen = false;
    }
    // What the device's adjustments are now, after a dialog or another program changed them.
    if (m_sourceElement.load() && m_controls) {
        m_controls->ReadVideoQualityRanges();
        m_controls->ReadCameraControlRanges();
    }
    if (m_graph)
        m_graph->clear();
    m_sourceElement = nullptr;
    m_push.reset();
    m_sourceCaps.clear();
    m_graphState = gs_None;
    followTrackBar();
    if (TDevices* catalogue = VideoDeviceCatalogue())
        catalogue->setInUse(m_devices.inUseIndex, false);
    m_devices.inUseIndex = -1;
    m_display.layout();
    WriteLog(cfBlue, QStringLiteral("all cleared"));
}

} // namespace velmar::video
