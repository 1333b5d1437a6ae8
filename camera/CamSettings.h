#pragma once
// The settings of one camera unit and of a grabber form, and the store they
// are kept in. Velmar keeps them as rows of the survey's settings table,
// Kelvor in its own ini file; both go through CamSettingsStore.
//
// Values read from a store are checked: a grab rate of 0 or less and
// negative pre or post seconds keep the value held before the read, and the
// number of cameras on a form is held to 1 to 4.
#include <QString>

namespace velmar::camera {

struct TCamSettings {
    int CameraNumber = 0;
    double FrameRate = 10.0;
    bool DVReduceFrameRate = false;
    int VideoSize = 5;
    int VideoInput = 0;
    int AudioDevice = 0;
    bool GrabAudio = false;
    int FrameGrabberRGBFormat = 1;
    bool grabSingle = false;
    double grabPreSeconds = 5.0;
    double grabPostSeconds = 5.0;
    double grabFullRate = 0;    // 0 or 1
    double grabFrameRate = 0.1; // frames per second
    int DisplayScale = 0;       // not stored
    QString outputDirectory;
    QString outputInitials;
    bool CopyToClipboard = false;
    int outputFormat = 0; // 0 JPEG, 1 bitmap, 2 AVI
    int jpegQuality = 100;
    QString CameraName;
};

// The defaults of the camera at `position` on its form.
TCamSettings DefaultCamSettings(int position);

struct TGrabberSettings {
    int nCameras = 1;
    bool TimerOn = false;
    double Interval = 60.0;
    bool Random = true;
    bool Single = true;
};

inline constexpr int MaxCamerasPerForm = 4;
// The preallocated capture file a camera asks for in AVI mode.
inline constexpr int PreallocSizeMB = 250;

// Typed keys of named sections. A read of a missing or unreadable value
// yields the default.
class CamSettingsStore {
public:
    virtual ~CamSettingsStore() = default;
    virtual int readInt(const QString& section, const QString& key, int def) = 0;
    virtual double readDouble(const QString& section, const QString& key, double def) = 0;
    virtual bool readBool(const QString& section, const QString& key, bool def) = 0;
    virtual QString readString(const QString& section, const QString& key, const QString& def) = 0;
    virtual void writeInt(const QString& section, const QString& key, int value) = 0;
    virtual void writeDouble(const QString& section, const QString& key, double value) = 0;
    virtual void writeBool(const QString& section, const QString& key, bool value) = 0;
    virtual void writeString(const QString& section, const QString& key, const QString& value) = 0;
    // Writes what was written to the medium; false when that failed.
    virtual bool flush() = 0;
};

// "Camera Grab Unit %d_%d", or "Camera Grab Unit %d" for a negative instance.
QString CamSettingsSection(int instance, int position);
// "Grabber Settings " + the instance number.
QString GrabberSettingsSection(int instance);

// Reads every stored key with the current value as default, then checks them.
void LoadCamSettings(CamSettingsStore& store, const QString& section, TCamSettings& settings);
void SaveCamSettings(CamSettingsStore& store, const QString& section, const TCamSettings& settings);
void LoadGrabberSettings(CamSettingsStore& store, const QString& section, TGrabberSettings& settings);
void SaveGrabberSettings(CamSettingsStore& store, const QString& section, const TGrabberSettings& settings);

// The folder frames are written to: the setting, or the user's data folder
// for grabbed frames when the setting is empty (never the root folder).
QString OutputFolder(const TCamSettings& settings);

} // namespace velmar::camera
