#pragma once
// The camera settings in an ini file: integers in decimal, Booleans as 1 and
// 0 (anything but 0 reads as true), floating-point numbers as text. A missing
// key or a value that does not convert yields the default; reading writes
// nothing.
#include "CamSettings.h"

#include <QSettings>

namespace velmar::camera {

class IniSettingsStore final : public CamSettingsStore {
public:
    explicit IniSettingsStore(const QString& fileName);
    int readInt(const QString& section, const QString& key, int def) override;
    double readDouble(const QString& section, const QString& key, double def) override;
    bool readBool(const QString& section, const QString& key, bool def) override;
    QString readString(const QString& section, const QString& key, const QString& def) override;
    void writeInt(const QString& section, const QString& key, int value) override;
    void writeDouble(const QString& section, const QString& key, double value) override;
    void writeBool(const QString& section, const QString& key, bool value) override;
    void writeString(const QString& section, const QString& key, const QString& value) override;
    bool flush() override;

private:
    QString path(const QString& section, const QString& key) const;
    QSettings m_file;
};

} // namespace velmar::camera
