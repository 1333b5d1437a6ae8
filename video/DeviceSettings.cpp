#include "DeviceSettings.h"

#include "ProcessLog.h"
#include "platform/Folders.h"
#include "platform/RecordIO.h"

#include <climits>
#include <cstring>

namespace velmar::video {

namespace {
constexpr int minimumRootLength = 3;
const QString defaultRoot = QStringLiteral("\\Software\\TOmbrix\\");
const QString versionMarker = QStringLiteral("Marker");
const QString sizeSuffix = QStringLiteral("Size");

QString groupPath(const QString& registryPath)
{
    QString p = registryPath;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (p.startsWith(QLatin1Char('/')))
        p.remove(0, 1);
    while (p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p;
}

struct Row {
    const char* name;
    SettingType type;
    int defaultValue;
    int binarySize;
};
using T = SettingType;
constexpr int notSet = INT_MAX;
constexpr int defaultLevel = 50000;

const Row videoRows[] = {
    {"_AudioDeviceAssociated", T::String, 0, 0},
    {"_AudioInputAssociated", T::Integer, 0, 0},
    {"_AudioInputBalanceAssociated", T::Integer, 0, 0},
    {"_AudioInputLevelAssociated", T::Integer, defaultLevel, 0},
    {"_AudioInputMonoAssociated", T::Boolean, 0, 0},
    {"_AudioInputNameAssociated", T::String, 0, 0},
    {"_SpeakerVolumeAssociated", T::Integer, defaultLevel, 0},
    {"_SpeakerBalanceAssociated", T::Integer, 0, 0},
    {"_DeviceDiscovered", T::Boolean, 0, 0},
    {"_IsVfw", T::Boolean, 0, 0},
    {"_IsDigitalVideoIn", T::Boolean, 0, 0},
    {"_IsDVPal", T::Boolean, 0, 0},
    {"_IsVideoPortAvailable", T::Boolean, 0, 0},
    {"_IsVideoInterlaced", T::Boolean, 0, 0},
    {"_IsTVTunerAvail", T::Boolean, 0, 0},
    {"_IsTVAudioAvail", T::Boolean, 0, 0},
    {"_IsAnalogVideoDecoderAvail", T::Boolean, 0, 0},
    {"_IsVCRHorizontalLockingAvail", T::Boolean, 0, 0},
    {"_IsAudioCrossbarAvail", T::Boolean, 0, 0},
    {"_IsVideoCrossbarAvail", T::Boolean, 0, 0},
    {"_IsVideoQualityAvail", T::Boolean, 0, 0},
    {"_IsCameraControlAvail", T::Boolean, 0, 0},
    {"_IsVideoControlAvail", T::Boolean, 0, 0},
    {"_IsMpegStream", T::Boolean, 0, 0},
    {"_VideoControlCaps", T::Integer, 0, 0},
    {"_VfwCaptureDialogFormat", T::Boolean, 0, 0},
    {"_VfwCaptureDialogSource", T::Boolean, 0, 0},
    {"_VfwCaptureDialogDisplay", T::Boolean, 0, 0},
    {"VideoInputs", T::String, 0, 0},
    {"ExtTransportAvail", T::Boolean, 0, 0},
    {"TimeCodeReaderAvail", T::Boolean, 0, 0},
    {"ANTVFormats", T::Integer, 0, 0},
    {"VIDEOCROSSBARAVAIL", T::Boolean, 0, 0},
    {"AUDIOCROSSBARAVAIL", T::Boolean, 0, 0},
    {"DummyMAYNOTBESAVED", T::Integer, notSet, 0},
    {"VideoSize", T::Integer, 0, 0},
    {"VideoInput", T::Integer, 0, 0},
    {"VideoInputName", T::String, 0, 0},
    {"VideoRenderer", T::Integer, 0, 0},
    {"VideoSubtype", T::Integer, 0, 0},
    {"_VideoControlMode", T::Integer, 0, 0},
    {"TVChannel", T::Integer, 0, 0},
    {"TVChannelFreq", T::Integer, 0, 0},
    {"TVInputType", T::Integer, 0, 0},
    {"TVConnectInput", T::Integer, notSet, 0},
    {"TVTuningSpace", T::Integer, 0, 0},
    {"TVCountryCode", T::Integer, 0, 0},
    {"TVMode", T::Integer, 0, 0},
    {"ANTVFormat", T::Integer, 0, 0},
    {"ANVVCRHorzLocking", T::Integer, 0, 0},
    {"ANVOutputEnable", T::Integer, notSet, 0},
    {"AMVideoCrossbar", T::String, 0, 0},
    {"AMAudioCrossbar", T::String, 0, 0},
    {"VideoQualityAuto", T::Boolean, 1, 0},
    {"VideoQualityValues", T::Binary, 0, videoQualityValuesSize},
    {"CameraControlAuto", T::Boolean, 1, 0},
    {"CameraControlValues ", T::Binary, 0, cameraControlValuesSize},
};
const Row audioRows[] = {
    {"_DeviceDiscovered", T::Boolean, 0, 0},
    {"AudioInputs", T::String, 0, 0},
    {"AudioInput", T::Integer, 0, 0},
    {"AudioInputBalance", T::Integer, 0, 0},
    {"AudioInputLevel", T::Integer, defaultLevel, 0},
    {"AudioInputMono", T::Boolean, 0, 0},
    {"AudioInputName", T::String, 0, 0},
    {"SpeakerVolume", T::Integer, defaultLevel, 0},
    {"SpeakerBalance", T::Integer, 0, 0},
    {"AudioMute", T::Boolean, 0, 0},
    {"AIsSoundCard", T::Boolean, 0, 0},
    {"DummyMAYNOTBESAVED", T::Integer, notSet, 0},
    {"AIsAudioCrossbarAvail", T::Boolean, 0, 0},
};
const Row lastUseRows[] = {
    {"_LastRecordingFileName", T::String, 0, 0},
    {"_LastClipPlayed", T::String, 0, 0},
};

QVariant defaultOf(const Row& r)
{
    switch (r.type) {
    case T::Integer: return r.defaultValue;
    case T::String: return QString();
    case T::Boolean: return r.defaultValue != 0;
    case T::Float: return 0.0;
    case T::Binary: return QByteArray(r.binarySize, '\0');
    }
    return {};
}
} // namespace

RegistryOptions& registryOptions()
{
    static RegistryOptions options;
    return options;
}

TRegistry2::TRegistry2() : m_settings(std::make_unique<QSettings>(fileName(), QSettings::IniFormat))
{
}

QString TRegistry2::fileName()
{
    return platform::settingsFile(QStringLiteral("TOmbrix.ini"));
}

QString TRegistry2::rootKeyPath()
{
    QString id = registryOptions().regKeyId;
    if (id.size() < minimumRootLength)
        id = defaultRoot;
    return groupPath(id);
}

QString TRegistry2::globalKeyPath()
{
    return rootKeyPath() + QStringLiteral("/Global");
}

QString TRegistry2::deviceKeyPath(const QString& identityKey)
{
    return rootKeyPath() + QStringLiteral("/Devices/") + identityKey;
}

bool TRegistry2::keyExists(const QString& path)
{
    const QString prefix = groupPath(path) + QLatin1Char('/');
    for (const QString& k : m_settings->allKeys())
        if (k.startsWith(prefix))
            return true;
    return false;
}

bool TRegistry2::openKey(const QString& path, bool mayCreate)
{
    if (!mayCreate && !keyExists(path))
        return false;
    m_key = groupPath(path);
    return true;
}

bool TRegistry2::deleteKey(const QString& path)
{
    m_settings->remove(groupPath(path));
    return true;
}

QString TRegistry2::full(const QString& name) const
{
    return m_key + QLatin1Char('/') + name;
}

QVariant TRegistry2::value(const QString& name)
{
    return m_settings->value(full(name));
}

bool TRegistry2::valueExists(const QString& name)
{
    return m_settings->contains(full(name));
}

QStringList TRegistry2::valueNames()
{
    m_settings->beginGroup(m_key);
    const QStringList names = m_settings->childKeys();
    m_settings->endGroup();
    return names;
}

bool TRegistry2::deleteValue(const QString& name)
{
    m_settings->remove(full(name));
    return true;
}

void TRegistry2::writeString(const QString& name, const QString& value)
{
    m_settings->setValue(full(name), value);
}

void TRegistry2::writeInteger(const QString& name, int value)
{
    m_settings->setValue(full(name), value);
}

void TRegistry2::writeBool(const QString& name, bool value)
{
    writeInteger(name, value ? 1 : 0);
}

void TRegistry2::writeFloat(const QString& name, double value)
{
    QByteArray bytes(sizeof(double), '\0');
    platform::storeLe(bytes.data(), value);
    writeBinaryData(name, bytes);
}

void TRegistry2::writeBinaryData(const QString& name, const QByteArray& data)
{
    m_settings->setValue(full(name), data);
}

bool TRegistry2::readString(const QString& name, QString& value)
{
    const QVariant v = this->value(name);
    if (!v.isValid() || v.typeId() == QMetaType::QByteArray) {
        value.clear();
        return false;
    }
    value = v.toString();
    const int zero = int(value.indexOf(QChar(0)));
    if (zero >= 0)
        value.truncate(zero);
    return true;
}

bool TRegistry2::readInteger(const QString& name, int& value)
{
    const QVariant v = this->value(name);
    if (!v.isValid() || v.typeId() == QMetaType::QByteArray)
        return false;
    bool ok = false;
    const int n = v.toString().toInt(&ok);
    if (ok)
        value = n;
    return ok;
}

bool TRegistry2::readBool(const QString& name, bool& value)
{
    int n = 0;
    if (!readInteger(name, n))
        return false;
    value = n != 0;
    return true;
}

bool TRegistry2::readFloat(const QString& name, double& value)
{
    QByteArray bytes;
    if (!readBinaryData(name, bytes, sizeof(double)))
        return false;
    value = platform::loadLe<double>(bytes.constData());
    return true;
}

bool TRegistry2::readBinaryData(const QString& name, QByteArray& data, int size)
{
    const QVariant v = this->value(name);
    if (v.typeId() != QMetaType::QByteArray || v.toByteArray().size() != size)
        return false;
    data = v.toByteArray();
    return true;
}

void TRegistry2::CheckVersionKey()
{
    TRegistry2 reg;
    const QString marker = rootKeyPath() + QLatin1Char('/') + versionText();
    if (reg.openKey(marker, false))
        return;
    WriteLog(cfPurple, QStringLiteral("new version: stored settings cleared"));
    reg.deleteKey(rootKeyPath());
    reg.openKey(marker, true);
    reg.writeInteger(versionMarker, 1);
    reg.sync();
}

void TRegistry2::DeleteSettingsKey()
{
    TRegistry2 reg;
    reg.deleteKey(rootKeyPath());
    reg.sync();
}

TDeviceSettings::TDeviceSettings(Table table)
{
    const auto fill = [this](const auto& rows) {
        for (const Row& r : rows)
            m_settings.append(Setting{QString::fromLatin1(r.name), r.type, defaultOf(r), defaultOf(r), r.binarySize});
    };
    if (table == Video)
        fill(videoRows);
    else if (table == Audio)
        fill(audioRows);
    else
        fill(lastUseRows);
}

void TDeviceSettings::setDefaults()
{
    for (Setting& s : m_settings)
        s.value = s.defaultValue;
}

QVariant TDeviceSettings::value(const QString& name) const
{
    for (const Setting& s : m_settings)
        if (s.name == name)
            return s.value;
    return {};
}

void TDeviceSettings::setValue(const QString& name, const QVariant& value)
{
    for (Setting& s : m_settings)
        if (s.name == name)
            s.value = value;
}

bool TDeviceSettings::load(const QString& keyPath, bool storeAll)
{
    TRegistry2 reg;
    if (!reg.openKey(keyPath, false))
        return false;
    bool all = true;
    for (Setting& s : m_settings) {
        if (!storeAll && s.name == QLatin1String(dummyNotSaved))
            break;
        bool ok = false;
        switch (s.type) {
        case T::Integer: {
            int n = 0;
            ok = reg.readInteger(s.name, n);
            if (ok)
                s.value = n;
            break;
        }
        case T::String: {
            QString t;
            ok = reg.readString(s.name, t);
            if (ok)
                s.value = t;
            break;
        }
        case T::Boolean: {
            bool b = false;
            ok = reg.readBool(s.name, b);
            if (ok)
                s.value = b;
            break;
        }
        case T::Float: {
            double d = 0;
            ok = reg.readFloat(s.name, d);
            if (ok)
                s.value = d;
            break;
        }
        case T::Binary: {
            QByteArray bytes;
            int size = 0;
            ok = reg.readInteger(s.name + sizeSuffix, size) && size == s.binarySize
              && reg.readBinaryData(s.name, bytes, size);
            if (ok)
                s.value = bytes;
            break;
        }
        }
        all = all && ok;
    }
    return all;
}

void TDeviceSettings::save(const QString& keyPath) const
{
    TRegistry2 reg;
    reg.openKey(keyPath, true);
    for (const Setting& s : m_settings) {
        switch (s.type) {
        case T::Integer: reg.writeInteger(s.name, s.value.toInt()); break;
        case T::String: reg.writeString(s.name, s.value.toString()); break;
        case T::Boolean: reg.writeBool(s.name, s.value.toBool()); break;
        case T::Float: reg.writeFloat(s.name, s.value.toDouble()); break;
        case T::Binary:
            reg.writeBinaryData(s.name, s.value.toByteArray());
            reg.writeInteger(s.name + sizeSuffix, int(s.value.toByteArray().size()));
            break;
        }
    }
    reg.sync();
}

} // namespace velmar::video
