#include "VideoUnit.h"

#include "CameraSettingsDialog.h"

#include "video/DisplayGeometry.h"
#include "video/FileOps.h"
#include "video/PictureCodec.h"
#include "video/SyncManager.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGridLayout>
#include <QRegularExpression>
#include <QGuiApplication>
#include <QClipboard>
#include <QLabel>

namespace velmar::camera {

using namespace velmar::video;

namespace {

quint32 TickCount()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return quint32(clock.elapsed());
}

// The picture size before the camera has told its own.
constexpr QSize assumedSource(320, 240);
constexpr int fullScale = 100;

QStringList Lines(const QString& text)
{
    return text.split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts);
}

// The settings dialog's view of the unit's component.
class UnitDevices final : public CameraDevices {
public:
    explicit UnitDevices(TOmbrix& component) : m_component(component) {}
    QStringList videoDevices() override { return Lines(VideoDevices()); }
    QStringList audioDevices() override { return Lines(AudioDevices()); }
    CameraDeviceLists currentLists() override
    {
        return {Lines(m_component.VideoSizes()), Lines(m_component.DeviceControls().VideoInputs()),
                m_component.IsDigitalVideoIn()};
    }
    CameraDeviceLists selectDevice(int index) override
    {
        m_component.StopPreview();
        m_component.setVideoDevice(index);
        m_component.BindVideoDevice();
        return currentLists();
    }

private:
    TOmbrix& m_component;
};

} // namespace

TVideoUnit::TVideoUnit(QWidget* parent, CamSettingsStore& store, int instance, GrabLogger* logger)
    : QWidget(parent), m_store(store), m_instance(instance), m_logger(logger), m_settings(DefaultCamSettings(0))
{
    m_video = new QWidget(this);
    m_deviceName = new QLabel(this);
    m_grabbedImage = new QLabel(QStringLiteral("Grabbed Image"), this);
    m_bufferStatus = new QLabel(this);
    m_image = new QLabel(this);
    m_image->setScaledContents(true);
    m_layout = new QGridLayout(this);
    m_layout->setSizeConstraint(QLayout::SetFixedSize);
    layOut();
    showBufferStatus();

    m_ombrix.setAutoStartPreview(false);
    m_ombrix.setPanel(m_video);
    m_ombrix.setJPEGQuality(100);
    connect(&m_ombrix, &TOmbrix::OnFrameCaptureCompleted, this, &TVideoUnit::frameCaptureCompleted);
    connect(&m_ombrix, &TOmbrix::OnDblClick, this, &TVideoUnit::VideoDblClick);
    connect(&m_ombrix, &TOmbrix::OnResizeVideo, this, &TVideoUnit::layOut);
    connect(&m_ombrix, &TOmbrix::OnRecordingCompleted, this, &TVideoUnit::recordingCompleted);
    // The component's errors reach the operator, each once in a row.
    connect(&m_ombrix, &TOmbrix::OnLog, this, [this](int, const QString& severity, const QString& message) {
        if (severity == QLatin1String("ERROR") && message != std::exchange(m_lastComponentError, message))
            emit report(QStringLiteral("Camera %1: %2").arg(m_unitNumber).arg(message));
    });
    m_aviStopTimer.setSingleShot(true);
    connect(&m_aviStopTimer, &QTimer::timeout, this, &TVideoUnit::aviStopTimerTimer);
}

QSize TVideoUnit::videoSize() const
{
    const QSize source(m_ombrix.VideoSourceWidth(), m_ombrix.VideoSourceHeight());
    const int scale = std::clamp(m_settings.DisplayScale, 0, 3);
    return ZoomedVideoSize(source.isEmpty() ? assumedSource : source, fullScale >> scale);
}

void TVideoUnit::setSideBySide(bool on)
{
    if (on == m_sideBySide)
        return;
    m_sideBySide = on;
    layOut();
}

void TVideoUnit::layOut()
{
    // Both pictures as large as the video; the labels around them.
    const QSize size = videoSize();
    m_video->setFixedSize(size);
    m_image->setFixedSize(size);
    for (QWidget* w : std::initializer_list<QWidget*>{m_deviceName, m_video, m_grabbedImage, m_bufferStatus, m_image})
        m_layout->removeWidget(w);
    if (m_sideBySide) {
        m_layout->addWidget(m_deviceName, 0, 0, Qt::AlignLeft);
        m_layout->addWidget(m_grabbedImage, 0, 1, Qt::AlignLeft);
        m_layout->addWidget(m_bufferStatus, 0, 2, Qt::AlignLeft);
        m_layout->addWidget(m_video, 1, 0);
        m_layout->addWidget(m_image, 1, 1, 1, 2, Qt::AlignLeft | Qt::AlignTop);
    } else {
        m_layout->addWidget(m_deviceName, 0, 0, 1, 2, Qt::AlignLeft);
        m_layout->addWidget(m_video, 1, 0, 1, 2);
        m_layout->addWidget(m_grabbedImage, 2, 0, Qt::AlignLeft);
        m_layout->addWidget(m_bufferStatus, 2, 1, Qt::AlignLeft);
        m_layout->addWidget(m_image, 3, 0, 1, 2, Qt::AlignLeft | Qt::AlignTop);
    }
    m_ombrix.setPreviewZoomSize(fullScale >> std::clamp(m_settings.DisplayScale, 0, 3));
}

TVideoUnit::~TVideoUnit()
{
    // A clip that is being written is closed, so the file stays playable.
    disconnect(&m_ombrix, nullptr, this, nullptr);
    if (m_ombrix.CurrentState() == cs_Recording)
        m_ombrix.StopRecording();
    else
        m_ombrix.StopPreview();
}

void TVideoUnit::SetCameraNumber(int n)
{
    m_unitNumber = n;
    m_settings.CameraNumber = n;
    m_settings.outputInitials = QStringLiteral("Cam_%1_").arg(n);
    LoadSettings();
}

void TVideoUnit::LoadSettings()
{
    LoadCamSettings(m_store, CamSettingsSection(m_instance, m_unitNumber), m_settings);
    if (m_idByName)
        m_settings.CameraNumber = FindVideoDevice(m_settings.CameraName);
}

bool TVideoUnit::SaveSettings()
{
    SaveCamSettings(m_store, CamSettingsSection(m_instance, m_unitNumber), m_settings);
    return m_store.flush();
}

int TVideoUnit::FindVideoDevice(const QString& name)
{
    const QStringList names = Lines(VideoDevices());
    for (int i = 0; i < names.size() && i < VideoDevicesCount(); ++i)
        if (names[i] == name)
            return i;
    return -1;
}

bool TVideoUnit::VideoDblClick()
{
    UnitDevices devices(m_ombrix);
    TCameraSettings dialog(this, m_settings, devices);
    const bool ok = dialog.exec() == QDialog::Accepted;
    if (ok) {
        m_settings = dialog.settings();
        if (!SaveSettings())
            emit report(QStringLiteral("Camera %1: the settings could not be saved").arg(m_unitNumber));
    }
    m_failing = false;
    SetupGrabber(true);
    return ok;
}

bool TVideoUnit::SetupGrabber(bool start)
{
    m_aviStopTimer.stop();
    if (m_ombrix.CurrentState() == cs_Recording)
        m_ombrix.StopRecording();
    else if (m_ombrix.CurrentState() == cs_Preview)
        m_ombrix.StopPreview();
    m_ombrix.setVideoDevice(m_settings.CameraNumber);
    // Bound now, so that its size and input apply to it.
    if (m_settings.CameraNumber >= 0 && m_ombrix.BoundVideoDevice() != m_settings.CameraNumber)
        m_ombrix.BindVideoDevice();
    const QStringList names = Lines(VideoDevices());
    const int device = m_settings.CameraNumber;
    m_deviceName->setText(device >= 0 && device < names.size() ? names[device] : QString());
    m_ombrix.setVideoSize(m_settings.VideoSize);
    m_ombrix.setFrameGrabber(fg_PreviewStream);
    m_ombrix.setTextOverlay_Enabled(true);
    m_ombrix.setJPEGProgressiveDisplay(true);
    m_ombrix.setFrameGrabberRGBFormat(TFrameGrabberRGBFormat(m_settings.FrameGrabberRGBFormat));
    m_ombrix.setFrameCaptureWithoutOverlay(false);
    m_ombrix.setTextOverlay_String(QStringLiteral("%sys_time[dd/mm/yy hh:nn:ss.zzz]%"));
    m_ombrix.setBurstInterval(0);
    m_ombrix.setBurstCount(0);
    m_ombrix.setBurstType(fc_TBitmap);
    m_ombrix.setAutoFilePrefix(QStringLiteral("Cam_%1_").arg(m_unitNumber));
    m_ombrix.setStoragePath(OutputFolder(m_settings));
    if (device >= 0 && m_settings.VideoInput < m_ombrix.DeviceControls().VideoInputsCount())
        m_ombrix.setVideoInput(m_settings.VideoInput);
    // Sound is kept only in AVI clips.
    m_ombrix.setRecordingMethod(rm_AVI);
    m_ombrix.setAudioRecording(m_settings.GrabAudio);
    m_ombrix.setAudioDevice(m_settings.AudioDevice);
    m_ombrix.setAssociateAudioAndVideoDevices(m_settings.GrabAudio);
    m_ombrix.setRecordingCanPause(true);
    m_ombrix.setRecordingBacktimedFramesCount(0);
    layOut();
    m_sequencer.reset();
    showBufferStatus();
    emit settingsApplied();
    if (!start)
        return true;
    if (m_settings.outputFormat < 0 || m_settings.outputFormat > 2)
        return true;
    if (device < 0) {
        const QString present = Lines(VideoDevices()).join(QStringLiteral("\", \""));
        fail(QStringLiteral("Camera %1: no video device named \"%2\" (present: \"%3\")")
                 .arg(m_unitNumber)
                 .arg(m_settings.CameraName, present));
        return true;
    }
    if (m_settings.outputFormat == 2) {
        // A held recording keeps the pre-trigger seconds of frames.
        m_ombrix.setBurstMode(false);
        m_ombrix.setPreallocCapFileName(QStringLiteral("prealloc.avi"));
        m_ombrix.setPreallocCapFileSizeInMB(PreallocSizeMB);
        m_ombrix.setPreallocCapFileEnabled(true);
        m_ombrix.setRecordingBacktimedFramesCount(int(m_ombrix.DeviceFrameRate() * m_settings.grabPreSeconds));
        m_ombrix.setFrameGrabber(fg_CaptureStream);
        m_ombrix.setHoldRecording(true);
        m_ombrix.setRecordingFileName(QString());
        m_ombrix.StartRecording();
        return true;
    }
    m_ombrix.StartPreview();
    // Every preview frame reaches the unit, which throttles and buffers them.
    m_ombrix.setBurstMode(!m_settings.grabSingle);
    return true;
}

int TVideoUnit::Grab(const QString& reason)
{
    m_sequencer.setReason(reason);
    if (m_settings.outputFormat == 0 || m_settings.outputFormat == 1)
        StartSequence(reason);
    else if (m_settings.outputFormat == 2)
        ExtendAviRecording();
    return 1;
}

void TVideoUnit::ExtendAviRecording()
{
    if (m_aviStopTimer.isActive()) {
        m_aviStopTimer.stop();
    } else {
        // The clip is named by the time of the trigger that opened it.
        m_aviUtcMs = QDateTime::currentMSecsSinceEpoch();
        // The clip's row carries the size it was recorded at: the camera may
        // be set up again before the clip is closed, and while it is, the
        // source has no size.
        m_aviSize = QSize(m_ombrix.VideoSourceWidth(), m_ombrix.VideoSourceHeight());
        const QString name = MakeGrabFileName(m_settings.outputInitials, m_aviUtcMs, 2);
        m_ombrix.setRecordingFileName(OutputFolder(m_settings) + QLatin1Char('/') + name);
        if (!m_ombrix.ResumeRecording())
            return;
    }
    m_aviStopTimer.start(int((m_settings.grabPreSeconds + m_settings.grabPostSeconds) * 1000));
}

void TVideoUnit::aviStopTimerTimer()
{
    m_aviStopTimer.stop();
    m_ombrix.StopRecording();
    // The next trigger finds a new held recording.
    m_ombrix.setHoldRecording(true);
    m_ombrix.setRecordingFileName(QString());
    m_ombrix.StartRecording();
}

void TVideoUnit::recordingCompleted(const QString& fileName, bool success)
{
    if (m_settings.outputFormat != 2 || fileName.isEmpty())
        return;
    if (!success || !QFileInfo::exists(fileName)) {
        fail(QStringLiteral("Camera %1: AVI clip not written: %2").arg(m_unitNumber).arg(fileName));
        return;
    }
    m_failing = false;
    ++m_savedFrames;
    // Before the first frame has been shown, the source has no size yet:
    // the clip's own header has it.
    QSize size = m_aviSize;
    if (size.isEmpty())
        size = QSize(m_ombrix.VideoSourceWidth(), m_ombrix.VideoSourceHeight());
    if (size.isEmpty())
        size = AviFrameSize(fileName);
    logGrab(QFileInfo(fileName).fileName(), m_aviUtcMs, size);
}

bool TVideoUnit::StartSequence(const QString& reason)
{
    m_sequencer.setReason(reason);
    if (m_settings.outputFormat == 2) {
        // The grab timer's triggers open or extend the clip too: a frame of
        // an AVI camera has no file of its own.
        ExtendAviRecording();
        return true;
    }
    if (m_settings.grabSingle)
        return m_ombrix.CaptureFrameTo(fc_TBitmap, QString());
    const QList<TimedFrame> frames = m_sequencer.startSequence(QDateTime::currentMSecsSinceEpoch());
    for (const TimedFrame& f : frames)
        saveFrame(f.image, f.utcMs);
    showBufferStatus();
    return true;
}

bool TVideoUnit::GrabOneFrame(const QString& reason)
{
    if (m_settings.outputFormat == 2)
        return StartSequence(reason);
    m_sequencer.setReason(reason);
    if (m_settings.grabSingle)
        return m_ombrix.CaptureFrameTo(fc_TBitmap, QString());
    m_sequencer.saveNextFrame();
    return true;
}

void TVideoUnit::frameCaptureCompleted(const TFrameData& frame, int, const QString&, bool success)
{
    if (!success || frame.Bitmap.isNull())
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const int before = m_sequencer.bufferedFrames();
    if (m_sequencer.onFrame(frame.Bitmap, TickCount(), now))
        saveFrame(frame.Bitmap, now);
    if (m_sequencer.bufferedFrames() != before)
        showBufferStatus();
    m_image->setPixmap(QPixmap::fromImage(frame.Bitmap));
}

void TVideoUnit::saveFrame(const QImage& frame, qint64 utcMs)
{
    if (m_settings.CopyToClipboard) {
        if (auto* clipboard = QGuiApplication::clipboard())
            clipboard->setImage(frame);
        return;
    }
    const QString name = MakeGrabFileName(m_settings.outputInitials, utcMs, m_settings.outputFormat);
    const QString folder = OutputFolder(m_settings);
    const QString path = folder + QLatin1Char('/') + name;
    QString error;
    bool written = QDir().mkpath(folder);
    if (!written)
        error = QStringLiteral("cannot create the folder");
    else if (m_settings.outputFormat == 0)
        written = WriteJpegFile(frame, path, JpegOptions{m_settings.jpegQuality, jpBestQuality, false}, &error);
    else if (m_settings.outputFormat == 1)
        written = WriteBmpFile(frame, path, &error);
    else
        written = false;
    if (!written) {
        fail(QStringLiteral("Camera %1: frame not saved to %2: %3").arg(m_unitNumber).arg(path, error));
        return;
    }
    m_failing = false;
    ++m_savedFrames;
    logGrab(name, utcMs, frame.size());
}

void TVideoUnit::logGrab(const QString& name, qint64 utcMs, QSize size)
{
    if (size.isEmpty())
        size = QSize(m_ombrix.VideoSourceWidth(), m_ombrix.VideoSourceHeight());
    if (m_logger) {
        GrabRecord r;
        r.utcMs = utcMs;
        r.fileName = name;
        r.grabberForm = m_instance;
        r.cameraNumber = m_unitNumber;
        r.deviceName = m_deviceName->text();
        r.width = size.width();
        r.height = size.height();
        r.message = m_sequencer.reason();
        m_logger->logGrab(r);
    }
}

void TVideoUnit::showBufferStatus()
{
    m_bufferStatus->setText(QStringLiteral("Buffer :%1 frames").arg(m_sequencer.bufferedFrames()));
}

void TVideoUnit::fail(const QString& text)
{
    if (m_failing)
        return;
    m_failing = true;
    emit report(text);
}

} // namespace velmar::camera
