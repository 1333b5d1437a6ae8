#include "IniSettingsStore.h"

namespace velmar::camera {

IniSettingsStore::IniSettingsStore(const QString& fileName) : m_file(fileName, QSettings::IniFormat)
{
}

QString IniSettingsStore::path(const QString& section, const QString& key) const
{
    return section + QLatin1Char('/') + key;
}

int IniSettingsStore::readInt(const QString& section, const QString& key, int def)
{
    bool ok = false;
    const int v = m_file.value(path(section, key)).toString().trimmed().toInt(&ok);
    return ok ? v : def;
}

double IniSettingsStore::readDouble(const QString& section, const QString& key, double def)
{
    bool ok = false;
    const double v = m_file.value(path(section, key)).toString().trimmed().toDouble(&ok);
    return ok ? v : def;
}

bool IniSettingsStore::readBool(const QString& section, const QString& key, bool def)
{
    bool ok = false;
    const int v = m_file.value(path(section, key)).toString().trimmed().toInt(&ok);
    return ok ? v != 0 : def;
}

QString IniSettingsStore::readString(const QString& section, const QString& key, const QString& def)
{
    const QVariant v = m_file.value(path(section, key));
    return v.isValid() ? v.toString() : def;
}

void IniSettingsStore::writeInt(const QString& section, const QString& key, int value)
{
    m_file.setValue(path(section, key), QString::number(value));
}

void IniSettingsStore::writeDouble(const QString& section, const QString& key, double value)
{
    m_file.setValue(path(section, key), QString::number(value, 'g', 15));
}

void IniSettingsStore::writeBool(const QString& section, const QString& key, bool value)
{
    m_file.setValue(path(section, key), QString::number(value ? 1 : 0));
}

void IniSettingsStore::writeString(const QString& section, const QString& key, const QString& value)
{
    m_file.setValue(path(section, key), value);
}

bool IniSettingsStore::flush()
{
    m_file.sync();
    return m_file.status() == QSettings::NoError;
}

} // namespace velmar::camera
