#include "VideoUnit.h"

#include "CameraSettingsDialog.h"

#include "video/PictureCodec.h"
#include "video/SyncManager.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QGridLayout>
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

} // namespace

TVideoUnit::TVideoUnit(QWidget* parent, CamSettingsStore& store, int instance, GrabLogger* logger)
    : QWidget(parent), m_store(store), m_instance(instance), m_logger(logger), m_settings(DefaultCamSettings(0))
{
    m_video = new QWidget(this);
    m_video->setMinimumSize(320, 240);
    m_deviceName = new QLabel(this);
    m_grabbedImage = new QLabel(QStringLiteral("Grabbed Image"), this);
    m_bufferStatus = new QLabel(this);
    m_image = new QLabel(this);
    m_image->setMinimumSize(320, 240);
    m_image->setScaledContents(true);
    auto* layout = new QGridLayout(this);
    layout->addWidget(m_deviceName, 0, 0, 1, 2);
    layout->addWidget(m_video, 1, 0, 1, 2);
    layout->addWidget(m_grabbedImage, 2, 0);
    layout->addWidget(m_bufferStatus, 2, 1);
    layout->addWidget(m_image, 3, 0, 1, 2);
    showBufferStatus();

    m_ombrix.setAutoStartPreview(false);
    m_ombrix.setPanel(m_video);
    m_ombrix.setJPEGQuality(100);
    connect(&m_ombrix, &TOmbrix::OnFrameCaptureCompleted, this, &TVideoUnit::frameCaptureCompleted);
    connect(&m_ombrix, &TOmbrix::OnDblClick, this, &TVideoUnit::VideoDblClick);
}

TVideoUnit::~TVideoUnit()
{
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
    const QStringList names = VideoDevices().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (int i = 0; i < names.size() && i < VideoDevicesCount(); ++i)
        if (names[i] == name)
            return i;
    return -1;
}

bool TVideoUnit::VideoDblClick()
{
    TCameraSettings dialog(this, m_settings, VideoDevices().split(QLatin1Char('\n'), Qt::SkipEmptyParts));
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
    m_ombrix.StopPreview();
    m_ombrix.StopRecording();
    m_ombrix.setVideoDevice(m_settings.CameraNumber);
    const QStringList names = VideoDevices().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const int device = m_settings.CameraNumber;
    m_deviceName->setText(device >= 0 && device < names.size() ? names[device] : QString());
    m_ombrix.setVideoSize(m_settings.VideoSize);
    m_ombrix.setFrameGrabber(fg_PreviewStream);
    m_ombrix.setTextOverlay_Enabled(true);
    m_ombrix.setFrameGrabberRGBFormat(TFrameGrabberRGBFormat(m_settings.FrameGrabberRGBFormat));
    m_ombrix.setFrameCaptureWithoutOverlay(false);
    m_ombrix.setTextOverlay_String(QStringLiteral("%sys_time[dd/mm/yy hh:nn:ss.zzz]%"));
    m_ombrix.setBurstInterval(0);
    m_ombrix.setBurstCount(0);
    m_ombrix.setBurstType(fc_TBitmap);
    m_ombrix.setAutoFilePrefix(QStringLiteral("Cam_%1_").arg(m_unitNumber));
    m_ombrix.setStoragePath(OutputFolder(m_settings));
    m_sequencer.reset();
    showBufferStatus();
    if (!start)
        return true;
    if (m_settings.outputFormat != 0 && m_settings.outputFormat != 1) {
        fail(QStringLiteral("Camera %1: only JPEG and bitmap output can be grabbed here").arg(m_unitNumber));
        return true;
    }
    if (device < 0) {
        const QString present = VideoDevices().split(QLatin1Char('\n'), Qt::SkipEmptyParts).join(QStringLiteral("\", \""));
        fail(QStringLiteral("Camera %1: no video device named \"%2\" (present: \"%3\")")
                 .arg(m_unitNumber)
                 .arg(m_settings.CameraName, present));
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
    return 1;
}

bool TVideoUnit::StartSequence(const QString& reason)
{
    m_sequencer.setReason(reason);
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
    if (m_logger) {
        GrabRecord r;
        r.utcMs = utcMs;
        r.fileName = name;
        r.grabberForm = m_instance;
        r.cameraNumber = m_unitNumber;
        r.deviceName = m_deviceName->text();
        r.width = m_ombrix.VideoSourceWidth();
        r.height = m_ombrix.VideoSourceHeight();
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
