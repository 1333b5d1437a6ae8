#include "CamSettings.h"

#include <QStandardPaths>
#include <algorithm>

namespace velmar::camera {

TCamSettings DefaultCamSettings(int position)
{
    TCamSettings s;
    s.CameraNumber = position;
    s.outputInitials = QStringLiteral("Cam_%1_").arg(position);
    return s;
}

QString CamSettingsSection(int instance, int position)
{
    if (instance < 0)
        return QStringLiteral("Camera Grab Unit %1").arg(position);
    return QStringLiteral("Camera Grab Unit %1_%2").arg(instance).arg(position);
}

QString GrabberSettingsSection(int instance)
{
    return QStringLiteral("Grabber Settings %1").arg(instance);
}

void LoadCamSettings(CamSettingsStore& store, const QString& section, TCamSettings& s)
{
    const TCamSettings held = s;
    s.CameraNumber = store.readInt(section, QStringLiteral("CameraNumber"), s.CameraNumber);
    s.FrameRate = store.readDouble(section, QStringLiteral("FrameRate"), s.FrameRate);
    s.DVReduceFrameRate = store.readBool(section, QStringLiteral("DVReduceFrameRate"), s.DVReduceFrameRate);
    s.VideoSize = store.readInt(section, QStringLiteral("VideoSize"), s.VideoSize);
    s.VideoInput = store.readInt(section, QStringLiteral("VideoInput"), s.VideoInput);
    s.AudioDevice = store.readInt(section, QStringLiteral("AudioDevice"), s.AudioDevice);
    s.GrabAudio = store.readBool(section, QStringLiteral("GrabAudio"), s.GrabAudio);
    s.FrameGrabberRGBFormat = store.readInt(section, QStringLiteral("FrameGrabberRGBFormat"), s.FrameGrabberRGBFormat);
    s.grabSingle = store.readBool(section, QStringLiteral("grabSingle"), s.grabSingle);
    s.grabPreSeconds = store.readDouble(section, QStringLiteral("grabPreSeconds"), s.grabPreSeconds);
    s.grabPostSeconds = store.readDouble(section, QStringLiteral("grabPostSeconds"), s.grabPostSeconds);
    s.grabFullRate = store.readBool(section, QStringLiteral("grabFullRate"), s.grabFullRate != 0) ? 1 : 0;
    s.grabFrameRate = store.readDouble(section, QStringLiteral("grabFrameRate"), s.grabFrameRate);
    s.outputDirectory = store.readString(section, QStringLiteral("outputDirectory"), s.outputDirectory);
    s.outputInitials = store.readString(section, QStringLiteral("outputInitials"), s.outputInitials);
    s.CopyToClipboard = store.readBool(section, QStringLiteral("CopyToClipboard"), s.CopyToClipboard);
    s.outputFormat = store.readInt(section, QStringLiteral("outputFormat"), s.outputFormat);
    s.jpegQuality = store.readInt(section, QStringLiteral("jpegQuality"), s.jpegQuality);
    s.CameraName = store.readString(section, QStringLiteral("CameraName"), s.CameraName);
    // A rate that is no rate, or a time before nothing, is not taken.
    if (!(s.grabFrameRate > 0))
        s.grabFrameRate = held.grabFrameRate;
    if (!(s.grabPreSeconds >= 0))
        s.grabPreSeconds = held.grabPreSeconds;
    if (!(s.grabPostSeconds >= 0))
        s.grabPostSeconds = held.grabPostSeconds;
}

void SaveCamSettings(CamSettingsStore& store, const QString& section, const TCamSettings& s)
{
    store.writeInt(section, QStringLiteral("CameraNumber"), s.CameraNumber);
    store.writeDouble(section, QStringLiteral("FrameRate"), s.FrameRate);
    store.writeBool(section, QStringLiteral("DVReduceFrameRate"), s.DVReduceFrameRate);
    store.writeInt(section, QStringLiteral("VideoSize"), s.VideoSize);
    store.writeInt(section, QStringLiteral("VideoInput"), s.VideoInput);
    store.writeInt(section, QStringLiteral("AudioDevice"), s.AudioDevice);
    store.writeBool(section, QStringLiteral("GrabAudio"), s.GrabAudio);
    store.writeInt(section, QStringLiteral("FrameGrabberRGBFormat"), s.FrameGrabberRGBFormat);
    store.writeBool(section, QStringLiteral("grabSingle"), s.grabSingle);
    store.writeDouble(section, QStringLiteral("grabPreSeconds"), s.grabPreSeconds);
    store.writeDouble(section, QStringLiteral("grabPostSeconds"), s.grabPostSeconds);
    store.writeBool(section, QStringLiteral("grabFullRate"), s.grabFullRate != 0);
    store.writeDouble(section, QStringLiteral("grabFrameRate"), s.grabFrameRate);
    store.writeString(section, QStringLiteral("outputDirectory"), s.outputDirectory);
    store.writeString(section, QStringLiteral("outputInitials"), s.outputInitials);
    store.writeBool(section, QStringLiteral("CopyToClipboard"), s.CopyToClipboard);
    store.writeInt(section, QStringLiteral("outputFormat"), s.outputFormat);
    store.writeInt(section, QStringLiteral("jpegQuality"), s.jpegQuality);
    store.writeString(section, QStringLiteral("CameraName"), s.CameraName);
}

void LoadGrabberSettings(CamSettingsStore& store, const QString& section, TGrabberSettings& s)
{
    s.nCameras = std::clamp(store.readInt(section, QStringLiteral("nCameras"), s.nCameras), 1, MaxCamerasPerForm);
    s.TimerOn = store.readBool(section, QStringLiteral("TimerOn"), s.TimerOn);
    const double interval = store.readDouble(section, QStringLiteral("Interval"), s.Interval);
    if (interval > 0)
        s.Interval = interval;
    s.Random = store.readBool(section, QStringLiteral("Random"), s.Random);
    s.Single = store.readBool(section, QStringLiteral("Single"), s.Single);
}

void SaveGrabberSettings(CamSettingsStore& store, const QString& section, const TGrabberSettings& s)
{
    store.writeInt(section, QStringLiteral("nCameras"), s.nCameras);
    store.writeBool(section, QStringLiteral("TimerOn"), s.TimerOn);
    store.writeDouble(section, QStringLiteral("Interval"), s.Interval);
    store.writeBool(section, QStringLiteral("Random"), s.Random);
    store.writeBool(section, QStringLiteral("Single"), s.Single);
}

QString OutputFolder(const TCamSettings& settings)
{
    if (!settings.outputDirectory.trimmed().isEmpty())
        return settings.outputDirectory;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/velmar/Camera Grabs");
}

} // namespace velmar::camera
