#pragma once
// TOmbrix, the video capture component: it finds the capture devices, binds
// the chosen one (its stored settings and its lists of sizes and formats),
// builds a capture graph for each start, runs and stops it, and reports what
// it does through its events and the process log. Frames go to a sink whose
// count drives the frame-progress event; showing them, recording and grabbing
// build on this object.
//
// Threads: made, used and destroyed on the user-interface thread. With
// NotificationMethod nm_Timer (the default) its worker steps on a timer of
// that thread, so every event fires there; with nm_Thread the worker runs on
// a thread of its own and the events are delivered to receivers in their own
// threads (connect with a context object). GStreamer's threads only queue
// messages for the worker.
#include "CaptureGraph.h"
#include "DeviceControls.h"
#include "DeviceSettings.h"
#include "LogTypes.h"
#include "MotionDetector.h"
#include "StateChecks.h"
#include "TaskWorker.h"
#include "ThirdPartyFilters.h"
#include "VideoFormatLists.h"
#include "VideoTypes.h"

#include <QMutex>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <memory>

namespace velmar::video {

class TDevices;

// Internal commands: codes 0 to 4 are queued for the worker, the others run at once.
enum TWMCommandOrNotification : int {
    WMDeviceLost, WMPlayerSetPosition, WMPausePlayer, WMStopPlayer, WMProcessNotifyEvent,
    WMPlayerSetTrackBarPosition, WMProcessStartTVAutoScan, WMProcessContinueTVAutoScan, WMStopGraph,
    WMStartPreview, WMPlayStartByStep, WMStartRecording, WMStartReencoding, WMOpenPlayer
};

// The device and encoder dialogs.
enum TDialog : int {
    dlg_VideoDevice, dlg_VideoCompressor, dlg_AudioCompressor, dlg_StreamConfig, dlg_VfwFormat, dlg_VfwSource,
    dlg_vfwDisplay, dlg_VideoCrossbar, dlg_AudioCrossbar, dlg_TVTuner, dlg_TVAudio, dlg_AudioDevice
};

// Dialogs are windows: a program with windows installs the code that shows
// them (video/ui); without it the component reports that it has none.
class TOmbrix;
class VideoDialogs {
public:
    virtual ~VideoDialogs() = default;
    // True when the user confirmed the dialog.
    virtual bool showDeviceDialog(TOmbrix& component, TDialog dialog) = 0;
    virtual bool showGridDialog(TOmbrix& component) = 0;
    virtual QObject* enumGridDialogControls(TOmbrix& component, bool restart) = 0;
    // The settings of an element (an added filter) that is not in a running graph.
    virtual bool showElementDialog(TOmbrix& component, GstElement* element, const QString& title) = 0;
};
void SetVideoDialogs(VideoDialogs* dialogs);

// Events queued for delivery, named by what they are (never by who handles
// them), so a handler shared by several events receives each as itself.
enum class TEventKind { PreviewStarted, RecordingStarted, ReencodingStarted, PlayerOpened, DeviceLost };

class TOmbrix : public QObject {
    Q_OBJECT
public:
    explicit TOmbrix(QObject* owner = nullptr);
    ~TOmbrix() override;

    // --- published properties (the subset the engine uses) ---
    int VideoDevice() const { return m_videoDevice; }
    void setVideoDevice(int index);
    int AudioDevice() const { return m_audioDevice; }
    void setAudioDevice(int index);
    int VideoSize() const { return m_videoSize; }
    void setVideoSize(int index) { m_videoSize = index; }
    int VideoSubtype() const { return m_videoSubtype; }
    void setVideoSubtype(int index) { m_videoSubtype = index; }
    double FrameRate() const { return m_frameRate; }
    void setFrameRate(double fps) { m_frameRate = fps; }
    TVideoSource VideoSource() const { return m_videoSource; }
    void setVideoSource(TVideoSource source) { m_videoSource = source; }
    TFrameGrabber FrameGrabber() const { return m_frameGrabber; }
    void setFrameGrabber(TFrameGrabber g) { m_frameGrabber = g; }
    TVideoRenderer VideoRenderer() const { return m_videoRenderer; }
    void setVideoRenderer(TVideoRenderer r) { m_videoRenderer = r; }
    bool AutoStartPreview() const { return m_autoStartPreview; }
    void setAutoStartPreview(bool on) { m_autoStartPreview = on; }
    bool Synchronized() const { return m_synchronized; }
    void setSynchronized(bool on) { m_synchronized = on; }
    bool StoreDeviceSettingsInRegistry() const { return m_storeDeviceSettings; }
    void setStoreDeviceSettingsInRegistry(bool on) { m_storeDeviceSettings = on; }
    bool EventNotificationSynchrone() const { return m_eventSynchrone; }
    void setEventNotificationSynchrone(bool on) { m_eventSynchrone = on; }
    TNotificationMethod NotificationMethod() const { return m_notificationMethod; }
    void setNotificationMethod(TNotificationMethod method);
    int NotificationSleepTime() const { return m_notificationSleepTime; }
    void setNotificationSleepTime(int ms);
    bool AudioDeviceRendering() const { return m_audioDeviceRendering; }
    void setAudioDeviceRendering(bool on) { m_audioDeviceRendering = on; }
    bool AudioRecording() const { return m_audioRecording; }
    void setAudioRecording(bool on) { m_audioRecording = on; }
    TMultiplexedRole MultiplexedRole() const { return m_multiplexedRole; }
    bool AssociateAudioAndVideoDevices() const { return m_associateDevices; }
    void setAssociateAudioAndVideoDevices(bool on) { m_associateDevices = on; }
    bool AutoRefreshPreview() const { return m_autoRefreshPreview; }
    void setAutoRefreshPreview(bool on) { m_autoRefreshPreview = on; }
    // The size of the frames asked of the device; 0 x 0 for the chosen VideoSize.
    void setVideoStreamConfigSize(int width, int height) { m_configuredSize = {width, height}; }

    // --- read-only state ---
    TCurrentState CurrentState() const { return m_currentState; }
    TGraphState GraphState() const { return m_graphState; }
    bool IsGraphActive() const { return m_graphActive; }
    bool IsDeviceLost() const { return m_deviceLost; }
    bool Busy() const { return m_busy; }
    int UniqueID() const { return m_uniqueId; }
    QString VideoSizes() const;       // trimmed, "default" first
    QString VideoSubtypes() const;
    QStringList VideoSizeList() const { return m_sizes.entries(); }
    qint64 FrameCount() const { return m_framesDelivered.load(); }
    QString CurrentSourceCaps() const { return m_sourceCaps; }
    // The frame rate the device delivers now, in hundredths; 0 when not known.
    int CurrentFrameRate() const;
    // The running graph, nullptr when none (diagnosis and tests).
    GstElement* Pipeline() const { return m_graph ? m_graph->pipeline() : nullptr; }

    // --- methods ---
    bool StartPreview();
    bool StopPreview();
    bool StartRecording();
    bool StopRecording();
    // Starts the preview again when a setting that needs a new graph changed.
    void RefreshPreview(const QString& reason);

    // Internal commands and events (used by the sync manager and the graph code).
    void PostCommand(int code);
    void ExecuteCommand(int code);
    void QueueEventNotification(TEventKind kind);
    // One pass of the worker: one event, one command, activation, polling.
    void TaskStep();

    // Reporting: OnLog for information, warnings and errors; false when reported.
    bool ReportResult(bool success, int severity, const QString& message, TLogType code);
    bool Report(bool condition, int severity, const QString& message, TLogType code);
    bool CheckState(int allowed, int severity, bool needDevice);

    // Device binding (also the sync manager's start-up pass and device changes).
    bool BindVideoDevice();
    bool BindAudioDevice();
    void BindMissingDevices();
    void FirstBind();
    bool FormatsKnown() const { return m_formatsKnown; }
    int BoundVideoDevice() const { return m_boundVideo; }
    bool IsDestroying() const { return m_destroying; }
    void SetGraphState(TGraphState state) { m_graphState = state; }

    bool RestartGraph(int target);
    bool ActivateGraph();
    void StopAll();
    void ClearGraph(bool endState);

    // The sync manager's device-change events.
    void FireDeviceArrivalOrRemoval(bool arrival, bool video, const QString& name, int index);

    // --- device hardware, dialogs and the motion detector (OmbrixDevice.cpp) ---
    // The bound device's adjustments, inputs, standards and tuner.
    TDeviceControls& DeviceControls() { return *m_controls; }
    TImplMotionDetector& MotionDetector() { return m_motionDetector; }
    // The path of the bound video device; empty when none.
    QString BoundVideoDevicePath() const;
    bool setVideoInput(int index) { return m_controls->setVideoInput(index) >= 0; }
    // Indexes into the compressor catalogues; an index the catalogue does not have is refused.
    int VideoCompressor() const { return m_videoCompressor; }
    void setVideoCompressor(int index);
    int AudioCompressor() const { return m_audioCompressor; }
    void setAudioCompressor(int index);
    bool ShowDialog(TDialog dialog);
    bool IsDialogAvailable(TDialog dialog) const;
    bool MotionDetector_ShowGridDialog();
    QObject* MotionDetector_EnumGridDialogControls(bool restart);
    bool TVStartAutoScan();
    bool TVStopAutoScan() { return m_controls->TVStopAutoScan(); }
    // Filters the host adds to the graphs, by place (TThirdPartyFilterList) and index.
    int ThirdPartyFilter_AddToList(int place, const QString& classId, const QString& name, bool enabled, bool saveState);
    bool ThirdPartyFilter_RemoveFromList(int place, int index) { return m_addedFilters.RemoveFromList(place, index); }
    bool ThirdPartyFilter_Enable(int place, int index, bool on) { return m_addedFilters.Enable(place, index, on); }
    bool ThirdPartyFilter_ClearList(int place) { return m_addedFilters.ClearList(place); }
    bool ThirdPartyFilter_ShowDialog(int place, int index);
    const TThirdPartyFilters& ThirdPartyFilters() const { return m_addedFilters; }
    // DV transport needs FireWire DV hardware, which this component does not drive.
    bool IsDVCommandAvailAvailable() const { return false; }
    bool SendDVCommand(int) { return false; }

signals:
    void OnLog(int logType, const QString& severity, const QString& message);
    void OnPreviewStarted();
    void OnRecordingStarted();
    void OnRecordingCompleted(const QString& fileName, bool success);
    void OnReencodingStarted();
    void OnPlayerOpened();
    void OnDeviceLost();
    void OnDeviceArrivalOrRemoval(bool isDeviceArrival, bool isVideoDevice, const QString& deviceName, int deviceIndex);
    void OnInactive();
    void OnReinitializing();
    void OnVideoDeviceSelected();
    void OnAudioDeviceSelected();
    void OnNoVideoDevices();
    void OnFrameProgress(qint64 frameNumber, qint64 droppedFrameCount);
    void OnTVChannelSelected(const velmar::video::TTVChannelInfo& channelInfo);
    void OnTVChannelScanStarted(int minChannel, int maxChannel);
    void OnTVChannelScanCompleted();

private:
    struct GraphMessage {
        quint64 generation;
        bool error;
        bool fromSource;
        bool resourceError;
        QString text;
    };

    bool isCaptureDeviceSource() const
    {
        return m_videoSource == vs_VideoCaptureDevice && m_multiplexedRole != mr_MultiplexedSlave;
    }
    void deliverEvent(TEventKind kind);
    void processNotifyEvents();
    void periodicStep();
    bool freezeSettings();
    bool buildBaseGraph();
    bool buildPreviewChain();
    void buildAudioSource();
    bool finishGraph();
    void setBuiltGraphState();
    bool changeGraphState(GstState state, const QString& reason);
    bool loadFormatsFromRegistry();
    bool discoverVideoDevice();
    bool discoverAudioDevice();
    void saveVideoSettings();
    void saveAudioSettings();
    void busyOn();
    void busyOff();
    void onBusMessage(GstMessage* message);
    QString deviceKey(TDevices* catalogue, int index) const;
    void connectDeviceControls();
    void bindDeviceControls();
    void applyDeviceControls();

    // Published values.
    int m_videoDevice = -1;
    int m_audioDevice = -1;
    int m_videoSize = 0;
    int m_videoSubtype = 0;
    double m_frameRate = 0.0;
    TVideoSource m_videoSource = vs_VideoCaptureDevice;
    TFrameGrabber m_frameGrabber = fg_BothStreams;
    TVideoRenderer m_videoRenderer = vr_AutoSelect;
    bool m_autoStartPreview = false;
    bool m_synchronized = false;
    bool m_storeDeviceSettings = true;
    bool m_eventSynchrone = false;
    TNotificationMethod m_notificationMethod = nm_Timer;
    int m_notificationSleepTime = -1;
    bool m_audioDeviceRendering = false;
    bool m_audioRecording = false;
    bool m_autoRefreshPreview = true;
    bool m_associateDevices = false;
    TMultiplexedRole m_multiplexedRole = mr_NotMultiplexed;
    video::VideoSize m_configuredSize;

    // Frozen for the life of one graph.
    struct Frozen {
        bool frozen = false;
        TFrameGrabber frameGrabber = fg_BothStreams;
        TVideoRenderer videoRenderer = vr_AutoSelect;
        TVideoSource videoSource = vs_VideoCaptureDevice;
        int rateHundredths = 0;
        int subtypeIndex = -1;
        bool audioRecording = false;
    } m_frozen;

    // State.
    int m_uniqueId = -1;
    TCurrentState m_currentState = cs_Down;
    TGraphState m_graphState = gs_None;
    int m_runState = 0;
    std::atomic<bool> m_graphActive{false};
    bool m_busy = false;
    bool m_initialised = false;
    std::atomic<bool> m_destroying{false};
    std::atomic<bool> m_deviceLost{false};
    bool m_restarting = false;
    bool m_stopping = false;
    bool m_previewFailed = false;
    bool m_recordingActive = false;
    bool m_graphFailed = false;
    bool m_commandRunning = false;
    bool m_firstBindDone = false;

    // Devices.
    int m_boundVideo = -1;
    int m_boundAudio = -1;
    bool m_videoBound = false;
    bool m_audioBound = false;
    bool m_bindingVideo = false;
    bool m_bindingAudio = false;
    bool m_formatsKnown = false;
    bool m_discovering = false;
    int m_inUseIndex = -1;
    TVideoSizeList m_sizes;
    TVideoSubtypeList m_subtypes;
    bool m_isDV = false;
    TDeviceSettings m_videoSettings{TDeviceSettings::Video};
    TDeviceSettings m_audioSettings{TDeviceSettings::Audio};
    TDeviceSettings m_lastUse{TDeviceSettings::LastUse};
    QString m_sourceCaps;

    // Queues and worker.
    TCSList<int> m_commands;
    TCSList<TEventKind> m_events;
    std::unique_ptr<TDualThread> m_worker;

    // The graph and what GStreamer's threads hand over.
    std::unique_ptr<CaptureGraph> m_graph;
    QMutex m_messageLock;
    QList<GraphMessage> m_messages;
    std::atomic<quint64> m_generation{0};
    std::atomic<GstElement*> m_sourceElement{nullptr}; // owned by the graph; read by GStreamer's threads
    std::atomic<qint64> m_framesDelivered{0};
    qint64 m_lastFrameReported = -1;
    bool m_periodicBusy = false;

    // Device hardware and motion.
    TDeviceControls* m_controls = nullptr; // child
    QTimer* m_tuningStep = nullptr;        // child
    TImplMotionDetector m_motionDetector;
    TThirdPartyFilters m_addedFilters;
    int m_videoCompressor = 0;
    int m_audioCompressor = 0;
};

} // namespace velmar::video
