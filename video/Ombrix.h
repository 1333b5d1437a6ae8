#pragma once
// TOmbrix, the video capture component: it finds the capture devices, binds
// the chosen one (its stored settings and its lists of sizes and formats),
// builds a capture graph for each start, runs and stops it, and reports what
// it does through its events and the process log. Frames pass the frame tap,
// which stamps the overlays on them, shows them in the display windows and
// hands them to frame captures (single, synchronous or in bursts) that end as
// a picture, a BMP file or a JPEG file.
//
// Threads: made, used and destroyed on the user-interface thread. With
// NotificationMethod nm_Timer (the default) its worker steps on a timer of
// that thread, so every event fires there; with nm_Thread the worker runs on
// a thread of its own and the events are delivered to receivers in their own
// threads (connect with a context object). GStreamer's threads only queue
// messages for the worker, copy frames under the frame lock and draw the
// overlays; the host's overlay handler runs there (FrameGrabberSynchrone
// moves the capture step there too). The display windows live on the
// user-interface thread.
#include "BurstSchedule.h"
#include "CaptureGraph.h"
#include "CompressorSettings.h"
#include "DeviceControls.h"
#include "DevicePart.h"
#include "DeviceSettings.h"
#include "DisplayGeometry.h"
#include "FrameCapturePart.h"
#include "FrameOverlay.h"
#include "FrameTap.h"
#include "ImageFiles.h"
#include "LogTypes.h"
#include "MotionPart.h"
#include "MultiplexSlot.h"
#include "SettingsPart.h"
#include "StateChecks.h"
#include "TaskWorker.h"
#include "OverlayTemplate.h"
#include "Overlays.h"
#include "ClipTrackBar.h"
#include "PreviewDisplay.h"
#include "PreviewProcessing.h"
#include "PictureCodec.h"
#include "PlayerPart.h"
#include "RecordingPart.h"
#include "RecordingRules.h"
#include "ThirdPartyFilters.h"
#include "VideoFormatLists.h"
#include "VideoTypes.h"
#include "VideoWindow.h"

#include <QElapsedTimer>
#include <QImage>
#include <QMutex>
#include <QObject>
#include <array>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QPainter;
class QSlider;
class QWidget;

namespace velmar::video {

class TCapDeviceInfo;
class TDevices;

// Internal commands: codes 0 to 4 are queued for the worker, the others run at once.
enum TWMCommandOrNotification : int {
    WMDeviceLost,
    WMPlayerSetPosition,
    WMPausePlayer,
    WMStopPlayer,
    WMProcessNotifyEvent,
    WMPlayerSetTrackBarPosition,
    WMProcessStartTVAutoScan,
    WMProcessContinueTVAutoScan,
    WMStopGraph,
    WMStartPreview,
    WMPlayStartByStep,
    WMStartRecording,
    WMStartReencoding,
    WMOpenPlayer
};

// The device and encoder dialogs.
enum TDialog : int {
    dlg_VideoDevice,
    dlg_VideoCompressor,
    dlg_AudioCompressor,
    dlg_StreamConfig,
    dlg_VfwFormat,
    dlg_VfwSource,
    dlg_vfwDisplay,
    dlg_VideoCrossbar,
    dlg_AudioCrossbar,
    dlg_TVTuner,
    dlg_TVAudio,
    dlg_AudioDevice
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

// Progress of a long operation: a percentage (-1 at its start and end), a
// position (-1 for a refused item) and a text.
struct TProgressInfo {
    int Percent = -1;
    qint64 Position = 0;
    qint64 Other = 0;
    QString Text;
};

// A captured frame as the host receives it; the picture is the host's copy.
struct TFrameData {
    QImage Bitmap;
    qint32 FrameNumber = 0;
    qint64 FrameTime = 0; // 100-ns units
};

// The monitors a display window can be placed on (at most ten): how many
// there are, and the area of one; false for an index beyond them. 0 and
// false without a graphical application.
int MonitorsCount();
bool MonitorBounds(int index, QRect* bounds);
// Bits per pixel of the screen (32 without a graphical application).
int ScreenColorDepth();

class TOmbrix : public QObject, private FrameTapHandler {
    Q_OBJECT
public:
    explicit TOmbrix(QObject* owner = nullptr);
    ~TOmbrix() override;

    // --- published properties (the subset the engine uses) ---
    int VideoDevice() const { return m_settings.values.videoDevice; }
    void setVideoDevice(int index);
    int AudioDevice() const { return m_settings.values.audioDevice; }
    void setAudioDevice(int index);
    int VideoSize() const { return m_settings.values.videoSize; }
    void setVideoSize(int index) { m_settings.values.videoSize = index; }
    int VideoSubtype() const { return m_settings.values.videoSubtype; }
    void setVideoSubtype(int index) { m_settings.values.videoSubtype = index; }
    double FrameRate() const { return m_settings.values.frameRate; }
    void setFrameRate(double fps) { m_settings.values.frameRate = fps; }
    TVideoSource VideoSource() const { return m_settings.values.videoSource; }
    void setVideoSource(TVideoSource source) { m_settings.values.videoSource = source; }
    TFrameGrabber FrameGrabber() const { return m_settings.values.frameGrabber; }
    void setFrameGrabber(TFrameGrabber g);
    TVideoRenderer VideoRenderer() const { return m_settings.values.videoRenderer; }
    void setVideoRenderer(TVideoRenderer r) { m_settings.values.videoRenderer = r; }
    bool AutoStartPreview() const { return m_settings.values.autoStartPreview; }
    void setAutoStartPreview(bool on) { m_settings.values.autoStartPreview = on; }
    bool Synchronized() const { return m_settings.values.synchronized; }
    void setSynchronized(bool on) { m_settings.values.synchronized = on; }
    bool StoreDeviceSettingsInRegistry() const { return m_settings.values.storeDeviceSettings; }
    void setStoreDeviceSettingsInRegistry(bool on) { m_settings.values.storeDeviceSettings = on; }
    bool EventNotificationSynchrone() const { return m_settings.values.eventSynchrone; }
    void setEventNotificationSynchrone(bool on) { m_settings.values.eventSynchrone = on; }
    TNotificationMethod NotificationMethod() const { return m_settings.values.notificationMethod; }
    void setNotificationMethod(TNotificationMethod method);
    int NotificationSleepTime() const { return m_settings.values.notificationSleepTime; }
    void setNotificationSleepTime(int ms);
    bool AudioDeviceRendering() const { return m_settings.values.audioDeviceRendering; }
    void setAudioDeviceRendering(bool on) { m_settings.values.audioDeviceRendering = on; }
    bool AudioRecording() const { return m_settings.values.audioRecording; }
    void setAudioRecording(bool on) { m_settings.values.audioRecording = on; }
    TMultiplexedRole MultiplexedRole() const { return m_settings.values.multiplexedRole; }
    // Multiplexed cameras: a master sorts each frame to the slave of its
    // input (slaves 1 to 4 by UniqueID, -1 for none); a slave shows and
    // records the frames of its input and can start only while its master runs.
    void setMultiplexedRole(TMultiplexedRole role);
    int MultiplexedSlaveID(int slave) const;
    void setMultiplexedSlaveID(int slave, int uniqueId);
    bool AssociateAudioAndVideoDevices() const { return m_settings.values.associateDevices; }
    void setAssociateAudioAndVideoDevices(bool on) { m_settings.values.associateDevices = on; }
    bool AutoRefreshPreview() const { return m_settings.values.autoRefreshPreview; }
    void setAutoRefreshPreview(bool on) { m_settings.values.autoRefreshPreview = on; }
    // --- frame capture ---
    TFrameGrabberRGBFormat FrameGrabberRGBFormat() const { return m_capture.settings().rgbFormat; }
    void setFrameGrabberRGBFormat(TFrameGrabberRGBFormat format);
    TFrameGrabberRGBFormat FrameGrabberCurrentRGBFormat() const { return m_settings.frozen.rgbFormat; }
    bool FrameCaptureWithoutOverlay() const { return m_capture.settings().withoutOverlay; }
    void setFrameCaptureWithoutOverlay(bool on);
    int FrameCaptureZoomSize() const { return m_capture.settings().zoom; }
    void setFrameCaptureZoomSize(int percent) { m_capture.setZoom(percent); }
    bool FrameGrabberSynchrone() const { return m_capture.settings().grabberSynchrone; }
    void setFrameGrabberSynchrone(bool on) { m_capture.settings().grabberSynchrone = on; }
    int FrameBuffers() const { return m_capture.settings().frameBuffers; }
    void setFrameBuffers(int n);
    bool BurstMode() const { return m_capture.burstMode(); }
    void setBurstMode(bool on) { m_capture.setBurstMode(on); }
    int BurstCount() const { return m_capture.burstCount(); }
    void setBurstCount(int n) { m_capture.setBurstCount(n); }
    int BurstInterval() const { return m_capture.burstInterval(); }
    void setBurstInterval(int n) { m_capture.setBurstInterval(n); }
    TFrameCaptureDest BurstType() const { return m_capture.settings().burstType; }
    void setBurstType(TFrameCaptureDest type) { m_capture.setBurstType(type); }
    int JPEGQuality() const { return m_capture.settings().jpeg.quality; }
    void setJPEGQuality(int quality) { m_capture.setJpegQuality(quality); }
    TJPEGPerformance JPEGPerformance() const { return m_capture.settings().jpeg.performance; }
    void setJPEGPerformance(TJPEGPerformance p) { m_capture.setJpegPerformance(p); }
    bool JPEGProgressiveDisplay() const { return m_capture.settings().jpeg.progressive; }
    void setJPEGProgressiveDisplay(bool on) { m_capture.settings().jpeg.progressive = on; }
    TAutoFileName AutoFileName() const { return m_capture.settings().autoFileName; }
    void setAutoFileName(TAutoFileName kind) { m_capture.setAutoFileName(kind); }
    QString AutoFilePrefix() const { return m_capture.settings().autoFilePrefix; }
    void setAutoFilePrefix(const QString& prefix) { m_capture.setAutoFilePrefix(prefix); }
    QString StoragePath() const { return m_capture.settings().storagePath; }
    void setStoragePath(const QString& path) { m_capture.setStoragePath(path); }
    // The longest CaptureFrameSyncTo waits for its frame.
    int CaptureFrameSyncTimeOutMs() const { return m_capture.settings().syncTimeOutMs; }
    void setCaptureFrameSyncTimeOutMs(int ms) { m_capture.setSyncTimeOutMs(ms); }
    // Video samples for the host as they pass the frame grabber (after the
    // overlays with sc_AfterOnDraw); audio samples as they reach the audio
    // renderer of a preview that renders its sound.
    TSampleCapture SampleCapture_Video() const { return m_capture.settings().sampleVideo; }
    void setSampleCapture_Video(TSampleCapture where) { m_capture.setSampleVideo(where); }
    TSampleCapture SampleCapture_Audio() const { return m_capture.settings().sampleAudio; }
    void setSampleCapture_Audio(TSampleCapture where) { m_capture.setSampleAudio(where); }
    // On: the newest sample reaches the host on the worker's thread (others
    // are dropped); off: every sample, at once on the streaming thread.
    bool SampleCaptureAsyncEvent() const { return m_capture.settings().sampleAsync; }
    void setSampleCaptureAsyncEvent(bool on) { m_capture.settings().sampleAsync = on; }
    QString Last_CaptureFrameTo_FileName() const { return m_capture.settings().lastCaptureFile; }
    QString Last_BurstFrameCapture_FileName() const { return m_capture.settings().lastBurstFile; }

    // --- overlays ---
    bool TextOverlay_Enabled() const { return m_overlays.textEnabled(); }
    void setTextOverlay_Enabled(bool on) { m_overlays.setTextEnabled(on); }
    QString TextOverlay_String() const { return m_overlays.text(); }
    void setTextOverlay_String(const QString& text) { m_overlays.setText(text); }
    TextOverlayStyle TextOverlay_Style() const { return m_overlays.textStyle(); }
    // Left, top, right, alignment, background, transparency, font and colour.
    void setTextOverlay_Style(const TextOverlayStyle& style) { m_overlays.setTextStyle(style); }
    void SetTextOverlayCustomVar(int index, const QString& text) { m_overlays.setCustomVar(index, text); }
    std::optional<TShapeOverlay> ShapeOverlay() const { return m_overlays.shape(); }
    void setShapeOverlay(const std::optional<TShapeOverlay>& shape) { m_overlays.setShape(shape); }
    bool ShapeOverlayEnabled() const { return m_overlays.shapeEnabled(); }
    void setShapeOverlayEnabled(bool on) { m_overlays.setShapeEnabled(on); }
    bool ShapeOverlayList(const TShapeOverlay& shape, bool add) { return m_overlays.changeShapeList(shape, add); }
    // Draws on every frame after the built-in overlays (the streaming thread).
    using FrameOverlayHandler = Overlays::FrameOverlayHandler;
    void setFrameOverlayHandler(FrameOverlayHandler handler) { m_overlays.setOverlayHandler(std::move(handler)); }
    // Changes the frame's pixels itself after the overlays (the streaming
    // thread); the picture lies over the frame's buffer.
    using FramePixelsHandler = Overlays::FramePixelsHandler;
    void setFramePixelsHandler(FramePixelsHandler handler) { m_overlays.setPixelsHandler(std::move(handler)); }
    // Only inside the frame overlay handler.
    bool DrawBitmapOverFrame(const QImage& bitmap, int left, int top, int width, int height)
    {
        return m_overlays.drawBitmap(bitmap, left, top, width, height);
    }

    // --- video processing ---
    int VideoProcessing_Brightness() const { return m_processing.brightness; }
    void setVideoProcessing_Brightness(int v);
    int VideoProcessing_Contrast() const { return m_processing.contrast; }
    void setVideoProcessing_Contrast(int v);
    int VideoProcessing_Saturation() const { return m_processing.saturation; }
    void setVideoProcessing_Saturation(int v);
    int VideoProcessing_Hue() const { return m_processing.hue; }
    void setVideoProcessing_Hue(int v);
    bool VideoProcessing_GrayScale() const { return m_processing.grayScale; }
    void setVideoProcessing_GrayScale(bool on);
    bool VideoProcessing_InvertColors() const { return m_processing.invertColors; }
    void setVideoProcessing_InvertColors(bool on);
    bool VideoProcessing_FlipHorizontal() const { return m_processing.flipHorizontal; }
    void setVideoProcessing_FlipHorizontal(bool on);
    bool VideoProcessing_FlipVertical() const { return m_processing.flipVertical; }
    void setVideoProcessing_FlipVertical(bool on);
    // Half size keeps one field: a new graph of half the height.
    TVideoDeinterlacing VideoProcessing_Deinterlacing() const { return m_processing.deinterlacing; }
    void setVideoProcessing_Deinterlacing(TVideoDeinterlacing d);
    TVideoRotation VideoProcessing_Rotation() const { return m_processing.rotation; }
    void setVideoProcessing_Rotation(TVideoRotation r);

    // --- video from images and bitmaps ---
    QString VideoFromImages_SourceDirectory() const { return m_imagesFolder; }
    void setVideoFromImages_SourceDirectory(const QString& folder) { m_imagesFolder = folder; }
    // A name without a folder lies in the component's scratch folder.
    QString VideoFromImages_TemporaryFile() const { return m_imagesFile; }
    void setVideoFromImages_TemporaryFile(const QString& name) { m_imagesFile = name; }
    TFileSort VideoFromImages_BitmapsSortedBy() const { return m_imagesSort; }
    void setVideoFromImages_BitmapsSortedBy(TFileSort sort);
    bool VideoFromImages_RepeatIndefinitely() const { return m_imagesRepeat; }
    void setVideoFromImages_RepeatIndefinitely(bool on) { m_imagesRepeat = on; }
    // Packs the folder's BMP or JPEG pictures of the first picture's size and
    // format into the temporary file; true when at least one was written.
    bool VideoFromImages_CreateSetOfBitmaps();
    // The host's pictures for vs_VideoFromBitmaps: the format's picture is
    // asked for when the graph is built (the host's thread), each frame on
    // the streaming thread (a null picture, one of another size, or
    // *endOfData ends the video).
    using BitmapFormatNeeded = std::function<QImage()>;
    using BitmapNextFrameNeeded = std::function<QImage(bool* endOfData)>;
    void setVideoFromBitmapsHandlers(BitmapFormatNeeded format, BitmapNextFrameNeeded next);

    // --- display windows ---
    TVideoWindow& Display() { return m_display.window(0); }
    TVideoWindow& DualDisplay() { return m_display.window(1); }
    // The host's widget in which an embedded display sits (the component's
    // area). The windows come with the first panel (video/ui).
    void setPanel(QWidget* panel);
    QWidget* Panel() const { return m_display.panel(); }
    // The window showing display 0 or 1; nullptr while none is made.
    TDisplayForm* DisplayForm(int window) const;
    QColor BackgroundColor() const { return m_display.background(); }
    void setBackgroundColor(const QColor& color);
    int PreviewZoomSize() const { return m_display.zoom(); }
    void setPreviewZoomSize(int percent) { m_display.setZoom(percent); }
    bool TranslateMouseCoordinates() const { return m_display.translateMouse(); }
    void setTranslateMouseCoordinates(bool on) { m_display.setTranslateMouse(on); }
    bool ColorKeyEnabled() const { return m_display.colorKey(); }
    void setColorKeyEnabled(bool on);
    void SetColorKeys(quint32 low, quint32 high);
    bool LogoDisplayed() const { return m_display.logoDisplayed(); }
    void setLogoDisplayed(bool on);
    TLogoLayout LogoLayout() const { return m_display.logoLayout(); }
    void setLogoLayout(TLogoLayout layout) { m_display.setLogoLayout(layout); }
    bool SetLogoFromBMPFile(const QString& fileName);
    bool SetLogoFromJPEGFile(const QString& fileName);
    bool SetLogoFromImage(const QImage& image);
    QImage Logo() const { return m_display.logo(); }
    int VideoSourceWidth() const { return m_display.sourceSize().width(); }
    int VideoSourceHeight() const { return m_display.sourceSize().height(); }

    // The size of the frames asked of the device; 0 x 0 for the chosen VideoSize.
    void setVideoStreamConfigSize(int width, int height) { m_settings.values.configuredSize = {width, height}; }

    // --- read-only state ---
    TCurrentState CurrentState() const { return m_currentState; }
    TGraphState GraphState() const { return m_graphState; }
    bool IsGraphActive() const { return m_graphActive; }
    bool IsDeviceLost() const { return m_deviceLost; }
    bool Busy() const { return m_busy; }
    int UniqueID() const { return m_uniqueId; }
    QString VideoSizes() const { return m_devices.sizesText(); } // trimmed, "default" first
    QString VideoSubtypes() const { return m_devices.subtypesText(); }
    QStringList VideoSizeList() const { return m_devices.sizes().entries(); }
    // The bound device is a DV camcorder.
    bool IsDigitalVideoIn() const { return m_devices.isDV; }
    qint64 FrameCount() const { return m_framesDelivered.load(); }
    QString CurrentSourceCaps() const { return m_sourceCaps; }
    // The frame rate the device delivers now, in hundredths; 0 when not known.
    int CurrentFrameRate() const;
    qint64 DeliveredFrames() const { return m_framesDelivered.load(); }
    bool InFrameProgressEvent() const { return m_capture.inFrameProgress; }
    // The running graph, nullptr when none (diagnosis and tests).
    GstElement* Pipeline() const { return m_graph ? m_graph->pipeline() : nullptr; }

    // --- methods ---
    bool StartPreview();
    bool StopPreview();
    bool StartRecording();
    bool StopRecording();
    // Stops whatever runs; false when idle.
    bool Stop();
    // Clears the graph at once, without the completion events.
    bool Cancel();
    // The preview holds its last frame (the frame grabber's, when one runs)
    // until ResumePreview.
    bool PausePreview();
    bool ResumePreview();
    // Stops and runs the same preview graph again.
    bool ResetPreview();
    // Starts the preview again when a setting that needs a new graph changed.
    void RefreshPreview(const QString& reason);
    // A frame for the host: at once when the graph is paused, else from the
    // next frame. False (nothing reported) when refused.
    bool CaptureFrameTo(TFrameCaptureDest dest, const QString& fileName);
    // The same, waiting for the capture while the host's events run; false
    // when refused, when the capture failed or when no frame came in time.
    bool CaptureFrameSyncTo(TFrameCaptureDest dest, const QString& fileName);

    // --- recording (Recording.cpp) ---
    TRecordingMethod RecordingMethod() const { return m_recording.settings().method; }
    void setRecordingMethod(TRecordingMethod method) { m_recording.setMethod(method); }
    TCompressionMode CompressionMode() const { return m_recording.settings().compressionMode; }
    void setCompressionMode(TCompressionMode mode) { m_recording.settings().compressionMode = mode; }
    // A held recording runs its graph with the file closed and keeps the
    // last RecordingBacktimedFramesCount frames; ResumeRecording opens the
    // file and those frames lead it.
    bool HoldRecording() const { return m_recording.settings().hold; }
    void setHoldRecording(bool on) { m_recording.settings().hold = on; }
    bool RecordingCanPause() const { return m_recording.settings().canPause; }
    void setRecordingCanPause(bool on) { m_recording.settings().canPause = on; }
    // AVI files of the OpenDML (2.0) kind, which may grow past 1 GB; read
    // when a recording starts.
    bool AVIFormatOpenDML() const { return m_recording.settings().aviOpenDML; }
    void setAVIFormatOpenDML(bool on) { m_recording.settings().aviOpenDML = on; }
    int RecordingBacktimedFramesCount() const { return m_recording.settings().backtimedCount; }
    void setRecordingBacktimedFramesCount(int count) { m_recording.setBacktimedCount(count); }
    // The next recording's file; empty for an automatic name. Set while a
    // recording writes, the recording goes on in a new file ("RENEW": one
    // with an automatic name).
    QString RecordingFileName() const { return m_recording.settings().fileName; }
    void setRecordingFileName(const QString& name);
    // The recording's extension; empty or "default" for "avi" ("asf" for ASF).
    QString CaptureFileExt() const { return m_recording.settings().fileExt; }
    void setCaptureFileExt(const QString& ext) { m_recording.settings().fileExt = ext; }
    // The preallocated capture file gains nothing here: a recording that
    // asks for it writes its final file directly and reports the copy as
    // done at once.
    bool PreallocCapFileEnabled() const { return m_recording.settings().preallocEnabled; }
    void setPreallocCapFileEnabled(bool on) { m_recording.settings().preallocEnabled = on; }
    QString PreallocCapFileName() const { return m_recording.settings().preallocName; }
    void setPreallocCapFileName(const QString& name) { m_recording.settings().preallocName = name; }
    int PreallocCapFileSizeInMB() const { return m_recording.settings().preallocSizeMB; }
    void setPreallocCapFileSizeInMB(int mb) { m_recording.settings().preallocSizeMB = std::max(0, mb); }
    bool CreatePreallocCapFile();
    // The system's ASF profiles: Linux has none (no Windows Media Format
    // library), so the list is empty and saying so is an error; a profile
    // is given as a file instead.
    QStringList ASFProfiles();
    int ASFProfilesCount() const { return 0; }
    // Compression by the chosen compressor (CompressionMode cm_CompressOnTheFly,
    // or a reencoding that uses it): when a graph puts it in, it tells what it
    // can change (OnVideoCompressionSettings) and is given each of these that
    // it can change and that is not -1.
    int VideoCompression_KeyFrameRate() const { return m_recording.settings().compression.keyFrameRate; }
    void setVideoCompression_KeyFrameRate(int frames) { m_recording.settings().compression.keyFrameRate = frames; }
    int VideoCompression_PFramesPerKeyFrame() const { return m_recording.settings().compression.pFramesPerKeyFrame; }
    void setVideoCompression_PFramesPerKeyFrame(int frames)
    {
        m_recording.settings().compression.pFramesPerKeyFrame = frames;
    }
    double VideoCompression_Quality() const { return m_recording.settings().compression.quality; }
    void setVideoCompression_Quality(double quality) { m_recording.settings().compression.quality = quality; }
    int VideoCompression_WindowSize() const { return m_recording.settings().compression.windowSize; }
    void setVideoCompression_WindowSize(int size) { m_recording.settings().compression.windowSize = size; }
    // The chosen compressor's own settings, kept under its key in the
    // settings file ("AMCompression_..."). Only while nothing runs. Get gives
    // the compressor's values (its defaults, or what Set stored) and what it
    // can change; outputs it cannot change are -1; the data rate reads 3 when
    // it can change it. Defaults forgets what Set stored.
    bool GetVideoCompressionSettings(int& dataRate, int& keyFrameRate, int& pFramesPerKeyFrame, int& windowSize,
                                     double& quality, bool& canQuality, bool& canCrunch, bool& canKeyFrame,
                                     bool& canBFrame, bool& canWindow);
    bool SetVideoCompressionSettings(int dataRate, int keyFrameRate, int pFramesPerKeyFrame, int windowSize,
                                     double quality);
    bool SetVideoCompressionDefaults();
    int ASFProfile() const { return m_recording.settings().asfProfile; }
    void setASFProfile(int index) { m_recording.settings().asfProfile = index; }
    // ASF files: a profile file whose size and bit rates apply, and the
    // values that override it (-1 leaves the profile's value).
    QString ASFProfileFromCustomFile() const { return m_recording.settings().asfProfileFile; }
    void setASFProfileFromCustomFile(const QString& name) { m_recording.settings().asfProfileFile = name; }
    int ASFVideoBitRate() const { return m_recording.settings().asfVideoBitRate; }
    void setASFVideoBitRate(int v) { m_recording.settings().asfVideoBitRate = v; }
    int ASFAudioBitRate() const { return m_recording.settings().asfAudioBitRate; }
    void setASFAudioBitRate(int v) { m_recording.settings().asfAudioBitRate = v; }
    int ASFVideoWidth() const { return m_recording.settings().asfVideoWidth; }
    void setASFVideoWidth(int v) { m_recording.settings().asfVideoWidth = v; }
    int ASFVideoHeight() const { return m_recording.settings().asfVideoHeight; }
    void setASFVideoHeight(int v) { m_recording.settings().asfVideoHeight = v; }
    // The recorded sound: level 0 .. 65535 and balance -32768 .. 32767 on
    // the stream itself (never the system mixer).
    int AudioInputLevel() const { return m_recording.settings().audioInputLevel; }
    void setAudioInputLevel(int level);
    int AudioInputBalance() const { return m_recording.settings().audioInputBalance; }
    void setAudioInputBalance(int balance);
    bool AudioInputMono() const { return m_recording.settings().audioInputMono; }
    void setAudioInputMono(bool on) { m_recording.settings().audioInputMono = on; }
    // Recording on motion: a recording built with it can pause, is never
    // held, and pauses after the delay without motion at or above the
    // threshold. The motion detector's capture step calls
    // RecordingMotionStep for every frame it analyses.
    bool RecordingOnMotion_Enabled() const { return m_recording.settings().onMotion; }
    void setRecordingOnMotion_Enabled(bool on) { m_recording.settings().onMotion = on; }
    double RecordingOnMotion_MotionThreshold() const { return m_recording.settings().motionThreshold; }
    void setRecordingOnMotion_MotionThreshold(double t) { m_recording.settings().motionThreshold = t; }
    int RecordingOnMotion_NoMotionPauseDelayMs() const { return m_recording.settings().motionDelayMs; }
    void setRecordingOnMotion_NoMotionPauseDelayMs(int ms) { m_recording.settings().motionDelayMs = std::max(0, ms); }
    void RecordingMotionStep(bool motion, double globalMotionRatio);
    bool PauseRecording();
    bool ResumeRecording();
    bool IsRecordingPaused() const { return m_recording.paused; }
    // True while a held recording waits for ResumeRecording.
    bool IsRecordingHeld() const { return m_recording.held; }
    double RecordingDuration() const;
    QString Last_Recording_FileName() const;
    // The frames per second of the running graph, else the best the
    // selected device offers; 0 when not known.
    double DeviceFrameRate() const;
    // Frames written to the current (or last) recording file.
    qint64 RecordedFrames() const { return m_recording.framesWritten.load(); }

    // --- clip player (Player.cpp) ---
    QString PlayerFileName() const { return m_player.settings().fileName; }
    void setPlayerFileName(const QString& name) { m_player.settings().fileName = name; }
    bool AutoStartPlayer() const { return m_player.settings().autoStart; }
    void setAutoStartPlayer(bool on) { m_player.settings().autoStart = on; }
    bool PlayerAudioRendering() const { return m_player.settings().audioRendering; }
    void setPlayerAudioRendering(bool on) { m_player.settings().audioRendering = on; }
    double PlayerSpeedRatio() const { return m_player.settings().speedRatio; }
    void setPlayerSpeedRatio(double ratio);
    int PlayerFastSeekSpeedRatio() const { return m_player.settings().fastRatio; }
    void setPlayerFastSeekSpeedRatio(int ratio) { m_player.setFastRatio(ratio); }
    // The sound of a playing clip: with SpeakerControl, its volume
    // (0 .. 65535) and balance (-32768 .. 32767), or silence with
    // MuteAudioRendering, on the stream itself (never the system mixer).
    bool SpeakerControl() const { return m_player.settings().speakerControl; }
    void setSpeakerControl(bool on);
    int SpeakerVolume() const { return m_player.settings().speakerVolume; }
    void setSpeakerVolume(int volume);
    int SpeakerBalance() const { return m_player.settings().speakerBalance; }
    void setSpeakerBalance(int balance);
    bool MuteAudioRendering() const { return m_player.settings().mute; }
    void setMuteAudioRendering(bool on);
    // The host's track bar of the player: it follows the frames played and,
    // moved while the clip is paused, moves the clip to its frame. Not owned.
    QSlider* PlayerTrackBar() const { return m_player.trackBar ? m_player.trackBar->bar() : nullptr; }
    void setPlayerTrackBar(QSlider* bar);
    bool OpenPlayer();
    void RunPlayer();
    void PausePlayer();
    void StopPlayer();
    void ClosePlayer();
    void RunPlayerBackwards();
    void RewindPlayer();
    void FastForwardPlayer();
    void SetPlayerFramePosition(qint64 frame);
    void SetPlayerTimePosition(qint64 time);
    qint64 PlayerDuration() const { return m_player.duration; }
    qint64 PlayerFrameCount() const { return m_player.frameCount; }
    double PlayerFrameRate() const;
    qint64 PlayerFramePosition() const;
    qint64 PlayerTimePosition() const;
    bool IsPlayerPlaying() const;
    bool IsPlayerPaused() const;
    bool IsPlayerAudioStreamAvailable() const { return m_player.hasAudio; }
    QString Last_Clip_Played() const { return m_settings.lastUse.value("_LastClipPlayed").toString(); }
    // The length and frame count of a clip file, read by a private graph;
    // false (both 0) when it cannot be read.
    static bool AVIDuration(const QString& fileName, qint64& duration, qint64& frameCount);

    // --- reencoding and copying (Player.cpp) ---
    using TReencodingSettings = video::TReencodingSettings;
    TReencodingSettings& Reencoding() { return m_player.reencoding; }
    bool StartReencoding();
    bool StopReencoding();
    bool ReencodeVideoClip(const QString& source, const QString& destination, bool includeVideo, bool includeAudio,
                           bool useFrameGrabber, bool useVideoCompressor, bool useAudioCompressor);

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
    bool FormatsKnown() const { return m_devices.formatsKnown; }
    int BoundVideoDevice() const { return m_devices.boundVideo; }
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
    TImplMotionDetector& MotionDetector() { return m_motion.detector(); }
    // Takes effect at once on a running graph, which then hands every frame
    // to the detector (a graph grabbing 16- or 8-bit frames is built again).
    bool MotionDetector_Enabled() const { return m_motion.enabled(); }
    void setMotionDetector_Enabled(bool on);
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
    int ThirdPartyFilter_AddToList(int place, const QString& classId, const QString& name, bool enabled,
                                   bool saveState);
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
    void OnVideoCompressionSettings(bool canKeyFrameRate, bool canPFramesPerKeyFrame, bool canQuality,
                                    bool canWindowSize, int defaultFrameRate, int defaultPFramesPerKey,
                                    double defaultQuality);
    void OnReencodingCompleted(const QString& sourceFile, const QString& destFile, bool success);
    void OnRecordingReadyToStart();
    void OnBacktimedFramesCountReached();
    void OnDiskFull();
    void OnCopyPreallocDataStarted(const QString& sourceFile, const QString& destFile);
    void OnCopyPreallocDataCompleted(const QString& sourceFile, const QString& destFile, bool success);
    void OnCreatePreallocFileCompleted(const QString& fileName, bool success);
    void OnPlayerOpened();
    void OnDeviceLost();
    void OnDeviceArrivalOrRemoval(bool isDeviceArrival, bool isVideoDevice, const QString& deviceName, int deviceIndex);
    void OnInactive();
    void OnReinitializing();
    void OnVideoDeviceSelected();
    void OnAudioDeviceSelected();
    void OnNoVideoDevices();
    void OnFrameProgress(qint64 frameNumber, qint64 droppedFrameCount);
    void OnFrameCaptureCompleted(const velmar::video::TFrameData& frameData, int destType, const QString& fileName,
                                 bool success);
    void OnResizeVideo(int sourceWidth, int sourceHeight);
    void OnSampleCapture_Video(const velmar::video::TSampleData& sampleData);
    void OnSampleCapture_Audio(const velmar::video::TSampleData& sampleData);
    void OnBitmapsLoadingProgress(const velmar::video::TProgressInfo& progressInfo);
    void OnPlayerEndOfStream();
    void OnColorKeyChange(quint32 colorKey);
    // Display windows: window 0 is the main display, 1 the dual display.
    void OnClick();
    void OnDblClick();
    void OnMouseDown(int videoWindow, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(int videoWindow, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseMove(int videoWindow, Qt::KeyboardModifiers shift, int x, int y);
    // The handler may change *key.
    void OnKeyPress(int videoWindow, QChar* key, int physicalKey, Qt::KeyboardModifiers shiftState);

    // The motion step's answer for an analysed frame, from the fourth frame
    // of a graph on; the handler may set *captureFrame (nothing starts on it).
    void OnMotionDetected(double globalMotionRatio, const velmar::video::TFrameData& frameData, bool* captureFrame);
    void OnMotionNotDetected(const velmar::video::TFrameData& frameData, bool* captureFrame);

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

    bool isCaptureDeviceSource() const { return m_settings.captureDeviceSource(); }
    void deliverEvent(TEventKind kind);
    void processNotifyEvents();
    void periodicStep();
    bool freezeSettings();
    bool buildBaseGraph();
    bool buildPreviewChain();
    void buildAudioSource();
    // The chosen audio input (the first one when none is chosen) in the
    // graph, its use reported; nullptr, reported, when there is none.
    GstElement* addAudioInput();
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
    // The catalogue entry of the chosen video compressor; nullptr when none is chosen.
    const TCapDeviceInfo* chosenVideoCompressor();
    // The chosen video compressor, made on its own (nothing linked); nullptr when none.
    GstElement* makeVideoCompressor(QString& key);
    // True when there is no video capture device, which is reported.
    bool reportNoVideoDevice();
    bool compressorSettingsAllowed();
    // Tells what a compressor put into a graph can change and gives it the VideoCompression_ values.
    void applyVideoCompression(GstElement* compressor);
    void connectDeviceControls();
    void bindDeviceControls();
    void applyDeviceControls();

    // Recording (Recording.cpp).
    bool buildRecordingChain();
    bool buildRecordingAudio();
    // True when GStreamer has the muxer; otherwise says which plugins are missing.
    bool muxAvailable(const char* factory);
    // The encoder a written clip's video goes through: the chosen compressor,
    // else Windows Media for ASF, else Motion JPEG.
    static QByteArray videoEncoderFactory(const TCapDeviceInfo* chosen, bool asf);
    bool prepareOutputFile();
    bool attachWriter();
    bool finishWriter();
    void detachWriter();
    void startRecordingWriter();
    void applyAudioLevels();
    void applySpeakerSettings();
    void applyAsfProfile(GstElement* videoEncoder, GstElement* sizeCaps, GstElement* audioEncoder, bool withAudio);
    // Player and reencoding (Player.cpp).
    bool buildPlayerGraph();
    bool buildReencodingGraph(const TReencodingSettings& settings);
    bool playerSeek(qint64 time, double rate);
    void playerStepTick();
    void startStepping();
    void endReencoding(bool success);
    void playerEnded();
    void followTrackBar();
    // Multiplexing (Recording.cpp).
    void linkSlaves();
    void unlinkMultiplexing();
    void handOverToSlave(const QImage& frame);

    // Frames (FrameCapture.cpp).
    void tapFrame(QImage& frame, qint64 streamTime) override;
    bool buildGrabberChain(GstPad*& pin);
    void applyProcessingToGraph();
    void drawOverlays(QImage& frame, const TFrameInfo& info);
    void takeFrame();
    void frameProgressStep();
    void captureStep();
    void capture(TFrameCaptureDest dest, QString fileName, bool save, bool isRequest);
    QString autoFileName(int kind, const QString& extension);
    void resetCaptureState();
    void sampleFrame(const QImage& frame, const TFrameInfo& info);
    void serveSamples();
    void audioSample(GstPad* pad, GstBuffer* buffer);
    void chooseRgbFormat();
    void motionStep();

    // Pictures as the source (ImageSource.cpp).
    bool buildPushSource();
    QString imagesFilePath() const;
    void progress(int percent, qint64 position, const QString& text);

    // Display windows.
    bool displaysWanted() const;

    SettingsPart m_settings;

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
    bool m_graphFailed = false;
    bool m_commandRunning = false;
    bool m_firstBindDone = false;

    DevicePart m_devices;
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

    FrameCapturePart m_capture;
    QElapsedTimer m_tick; // the component's clock: frame progress, recording on motion

    Overlays m_overlays;

    PreviewProcessing m_processing;

    // Pictures as the source.
    QString m_imagesFolder;
    QString m_imagesFile = QStringLiteral("SetOfBitmaps01.dat");
    TFileSort m_imagesSort = fs_TimeAsc;
    bool m_imagesRepeat = false;
    bool m_makingSet = false;
    BitmapFormatNeeded m_bitmapFormat;
    BitmapNextFrameNeeded m_bitmapNext;
    struct PushState;
    std::shared_ptr<PushState> m_push; // the running graph's source state

    // Display windows.
    PreviewDisplay m_display{{[this] { return displaysWanted(); },
                              [this] {
                                  return m_currentState == cs_Preview || m_currentState == cs_Recording
                                      || m_currentState == cs_Playback;
                              },
                              [this](QSize size) { emit OnResizeVideo(size.width(), size.height()); }}};
    // Device hardware and motion.
    TDeviceControls* m_controls = nullptr; // child
    QTimer* m_tuningStep = nullptr;        // child
    MotionPart m_motion;
    TThirdPartyFilters m_addedFilters;
    int m_videoCompressor = 0;
    int m_audioCompressor = 0;

    RecordingPart m_recording;

    PlayerPart m_player;
    // Multiplexing: the master's slaves and the frame format it delivers,
    // under the slave lock; a slave's master and its hand-over slot.
    std::array<int, 4> m_slaveIds{-1, -1, -1, -1};
    mutable QMutex m_slaveLock;
    std::array<TOmbrix*, 4> m_slaves{};
    QSize m_masterFrameSize;
    QImage::Format m_masterFrameFormat = QImage::Format_Invalid;
    TOmbrix* m_master = nullptr; // under the master's slave lock
    TMultiplexSlot m_multiplexSlot;
    QTimer* m_stepTimer = nullptr; // child
};

} // namespace velmar::video

Q_DECLARE_METATYPE(velmar::video::TFrameData)
Q_DECLARE_METATYPE(velmar::video::TProgressInfo)
Q_DECLARE_METATYPE(velmar::video::TSampleData)
