#include "CamSettings.h"

#include <QStandardPaths>
#include <algorithm>
#include <variant>

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

namespace {

// A stored key and the field it holds. A double that is 0 or 1 may be
// stored as a Boolean.
template <typename Record>
struct Key {
    const char* name;
    std::variant<int Record::*, double Record::*, bool Record::*, QString Record::*> field;
    bool doubleAsBool = false;
};

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

template <typename Record, std::size_t N>
void ReadKeys(CamSettingsStore& store, const QString& section, Record& r, const Key<Record> (&keys)[N])
{
    for (const Key<Record>& k : keys) {
        const QString key = QLatin1String(k.name);
        std::visit(Overloaded{
                       [&](int Record::*f) { r.*f = store.readInt(section, key, r.*f); },
                       [&](double Record::*f) {
                           r.*f = k.doubleAsBool ? (store.readBool(section, key, r.*f != 0) ? 1 : 0)
                                                 : store.readDouble(section, key, r.*f);
                       },
                       [&](bool Record::*f) { r.*f = store.readBool(section, key, r.*f); },
                       [&](QString Record::*f) { r.*f = store.readString(section, key, r.*f); },
                   },
                   k.field);
    }
}

template <typename Record, std::size_t N>
void WriteKeys(CamSettingsStore& store, const QString& section, const Record& r, const Key<Record> (&keys)[N])
{
    for (const Key<Record>& k : keys) {
        const QString key = QLatin1String(k.name);
        std::visit(Overloaded{
                       [&](int Record::*f) { store.writeInt(section, key, r.*f); },
                       [&](double Record::*f) {
                           if (k.doubleAsBool)
                               store.writeBool(section, key, r.*f != 0);
                           else
                               store.writeDouble(section, key, r.*f);
                       },
                       [&](bool Record::*f) { store.writeBool(section, key, r.*f); },
                       [&](QString Record::*f) { store.writeString(section, key, r.*f); },
                   },
                   k.field);
    }
}

using C = TCamSettings;
const Key<C> kCameraKeys[] = {
    {"CameraNumber", &C::CameraNumber},
    {"FrameRate", &C::FrameRate},
    {"DVReduceFrameRate", &C::DVReduceFrameRate},
    {"VideoSize", &C::VideoSize},
    {"VideoInput", &C::VideoInput},
    {"AudioDevice", &C::AudioDevice},
    {"GrabAudio", &C::GrabAudio},
    {"FrameGrabberRGBFormat", &C::FrameGrabberRGBFormat},
    {"grabSingle", &C::grabSingle},
    {"grabPreSeconds", &C::grabPreSeconds},
    {"grabPostSeconds", &C::grabPostSeconds},
    {"grabFullRate", &C::grabFullRate, true},
    {"grabFrameRate", &C::grabFrameRate},
    {"outputDirectory", &C::outputDirectory},
    {"outputInitials", &C::outputInitials},
    {"CopyToClipboard", &C::CopyToClipboard},
    {"outputFormat", &C::outputFormat},
    {"jpegQuality", &C::jpegQuality},
    {"CameraName", &C::CameraName},
};

using G = TGrabberSettings;
const Key<G> kGrabberKeys[] = {
    {"nCameras", &G::nCameras}, {"TimerOn", &G::TimerOn}, {"Interval", &G::Interval},
    {"Random", &G::Random},     {"Single", &G::Single},
};

} // namespace

void LoadCamSettings(CamSettingsStore& store, const QString& section, TCamSettings& s)
{
    const TCamSettings held = s;
    ReadKeys(store, section, s, kCameraKeys);
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
    WriteKeys(store, section, s, kCameraKeys);
}

void LoadGrabberSettings(CamSettingsStore& store, const QString& section, TGrabberSettings& s)
{
    const TGrabberSettings held = s;
    ReadKeys(store, section, s, kGrabberKeys);
    s.nCameras = std::clamp(s.nCameras, 1, MaxCamerasPerForm);
    if (!(s.Interval > 0))
        s.Interval = held.Interval;
}

void SaveGrabberSettings(CamSettingsStore& store, const QString& section, const TGrabberSettings& s)
{
    WriteKeys(store, section, s, kGrabberKeys);
}

QString OutputFolder(const TCamSettings& settings)
{
    if (!settings.outputDirectory.trimmed().isEmpty())
        return settings.outputDirectory;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
         + QStringLiteral("/velmar/Camera Grabs");
}

} // namespace velmar::camera
