#pragma once
// Stored settings of the video component: an INI file of the settings folder
// in the key layout of the component (a version marker, "Global", and
// "Devices/<identity>" per device or compressor), the typed reads and writes
// over it, and the tables of named values kept per video and audio device.
//
// Each user makes its own TRegistry2 (no object is shared between threads);
// QSettings serialises access to the file.
#include <QByteArray>
#include <QSettings>
#include <QStringList>
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>

namespace velmar::video {

// Process-wide settings of the stored-settings layout, set by the host before
// the first component.
struct RegistryOptions {
    // The hive of the original design; both name the user's settings file here.
    enum Root { RR_HKEY_CURRENT_USER, RR_HKEY_LOCAL_MACHINE } root = RR_HKEY_CURRENT_USER;
    QString regKeyId = QStringLiteral("\\Software\\TOmbrix\\");
    bool cleanOnExit = false;
};
RegistryOptions& registryOptions();

class TRegistry2 {
public:
    TRegistry2();

    // The settings file (in the settings folder).
    static QString fileName();
    // "\Software\TOmbrix\" as a group path "Software/TOmbrix".
    static QString rootKeyPath();
    static QString globalKeyPath();
    static QString deviceKeyPath(const QString& identityKey);

    // Opens a key for the reads and writes below; false when it does not
    // exist and may not be created.
    bool openKey(const QString& path, bool mayCreate);
    bool keyExists(const QString& path);
    bool deleteKey(const QString& path);
    bool valueExists(const QString& name);
    bool deleteValue(const QString& name);
    // The names of the values of the open key.
    QStringList valueNames();

    void writeString(const QString& name, const QString& value);
    void writeInteger(const QString& name, int value);
    void writeBool(const QString& name, bool value);
    void writeFloat(const QString& name, double value); // 8 bytes, as the design stores it
    void writeBinaryData(const QString& name, const QByteArray& data);

    bool readString(const QString& name, QString& value);
    bool readInteger(const QString& name, int& value);
    bool readBool(const QString& name, bool& value);
    bool readFloat(const QString& name, double& value);                   // only an 8-byte binary value
    bool readBinaryData(const QString& name, QByteArray& data, int size); // only of exactly that size

    // Wipes what an earlier build stored when the version marker is missing.
    static void CheckVersionKey();
    static void DeleteSettingsKey();

    void sync() { m_settings->sync(); }

private:
    QVariant value(const QString& name);
    QString full(const QString& name) const;

    std::unique_ptr<QSettings> m_settings;
    QString m_key;
};

// One named value of a device's table.
enum class SettingType { Integer = 1, String = 2, Boolean = 3, Float = 4, Binary = 5 };
struct Setting {
    QString name;
    SettingType type;
    QVariant defaultValue;
    QVariant value;
    int binarySize = 0;
};

// The tables of named values kept per device: video (57 values), audio (13) and
// last use (2). Values before "DummyMAYNOTBESAVED" are what discovery found
// out; the rest are the user's choices.
class TDeviceSettings {
public:
    enum Table { Video, Audio, LastUse };
    explicit TDeviceSettings(Table table);

    void setDefaults();
    const QVector<Setting>& settings() const { return m_settings; }
    QVariant value(const QString& name) const;
    void setValue(const QString& name, const QVariant& value);

    // Reads from a key; false when the key does not open or a value is
    // missing (the other values are still read). Without storeAll only the
    // values before "DummyMAYNOTBESAVED" are read.
    bool load(const QString& keyPath, bool storeAll);
    // Writes every value, creating the key.
    void save(const QString& keyPath) const;

private:
    QVector<Setting> m_settings;
};

inline constexpr const char* dummyNotSaved = "DummyMAYNOTBESAVED";
inline constexpr int videoQualityValuesSize = 240;
inline constexpr int cameraControlValuesSize = 168;

} // namespace velmar::video
