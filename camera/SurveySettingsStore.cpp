#include "SurveySettingsStore.h"

#include "store/DbIniFile.h"

namespace velmar::camera {

// The rows are read through a fresh statement set each time: the store
// lives as long as its forms, longer than any one open database.
int SurveySettingsStore::readInt(const QString& section, const QString& key, int def)
{
    return store::TDbIniFile().ReadInteger(section, key, def);
}

double SurveySettingsStore::readDouble(const QString& section, const QString& key, double def)
{
    return store::TDbIniFile().ReadFloat(section, key, def);
}

bool SurveySettingsStore::readBool(const QString& section, const QString& key, bool def)
{
    return store::TDbIniFile().ReadBool(section, key, def);
}

QString SurveySettingsStore::readString(const QString& section, const QString& key, const QString& def)
{
    return store::TDbIniFile().ReadString(section, key, def);
}

void SurveySettingsStore::writeInt(const QString& section, const QString& key, int value)
{
    note(store::TDbIniFile().WriteInteger(section, key, value));
}

void SurveySettingsStore::writeDouble(const QString& section, const QString& key, double value)
{
    note(store::TDbIniFile().WriteFloat(section, key, value));
}

void SurveySettingsStore::writeBool(const QString& section, const QString& key, bool value)
{
    note(store::TDbIniFile().WriteBool(section, key, value));
}

void SurveySettingsStore::writeString(const QString& section, const QString& key, const QString& value)
{
    note(store::TDbIniFile().WriteString(section, key, value));
}

bool SurveySettingsStore::flush()
{
    const bool ok = !m_failed;
    m_failed = false;
    return ok;
}

} // namespace velmar::camera
