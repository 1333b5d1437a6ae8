#pragma once
// The camera settings as rows of the survey's settings table (UDC_Settings),
// read and written like an ini file: Booleans as "true" and "false", a read
// of a missing key stores its default. A write that fails makes the next
// flush answer false.
//
// User-interface thread only; the survey database must be open for values
// to be kept (without it reads give their defaults and writes fail).
#include "CamSettings.h"

namespace velmar::camera {

class SurveySettingsStore final : public CamSettingsStore {
public:
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
    void note(bool written) { m_failed = m_failed || !written; }
    bool m_failed = false;
};

} // namespace velmar::camera
