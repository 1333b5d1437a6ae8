#include "settings/IniFile.h"

#include <QFile>
#include <QSaveFile>

namespace velmar::nmeaserver {

IniFile::IniFile(const QString& path) : m_path(path)
{
}

bool IniFile::load()
{
    m_sections.clear();
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    parse(file.readAll());
    return true;
}

void IniFile::parse(const QByteArray& text)
{
    m_sections.clear();
    Section* current = nullptr;
    const QList<QByteArray> lines = text.split('\n');
    for (QByteArray raw : lines) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            if (close < 0)
                continue;
            current = &section(line.mid(1, close - 1).trimmed());
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!current || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        bool replaced = false;
        for (Entry& e : current->entries) {
            if (e.key.compare(key, Qt::CaseInsensitive) == 0) {
                replaced = true; // the profile functions read the first one
                break;
            }
        }
        if (!replaced)
            current->entries.push_back({key, value});
    }
}

QByteArray IniFile::toText() const
{
    QByteArray out;
    for (const Section& s : m_sections) {
        if (!out.isEmpty())
            out += '\n';
        out += '[' + s.name.toUtf8() + "]\n";
        for (const Entry& e : s.entries)
            out += e.key.toUtf8() + '=' + e.value.toUtf8() + '\n';
    }
    return out;
}

bool IniFile::save() const
{
    // Written to a temporary file and renamed, so a crash mid-write leaves
    // the old settings whole.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(toText());
    return file.commit();
}

QStringList IniFile::sections() const
{
    QStringList names;
    for (const Section& s : m_sections)
        names << s.name;
    return names;
}

const QString* IniFile::find(const QString& section, const QString& key) const
{
    for (const Section& s : m_sections) {
        if (s.name != section)
            continue;
        for (const Entry& e : s.entries)
            if (e.key.compare(key, Qt::CaseInsensitive) == 0)
                return &e.value;
    }
    return nullptr;
}

IniFile::Section& IniFile::section(const QString& name)
{
    for (Section& s : m_sections)
        if (s.name == name)
            return s;
    m_sections.push_back({name, {}});
    return m_sections.back();
}

bool IniFile::hasKey(const QString& section, const QString& key) const
{
    return find(section, key) != nullptr;
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const
{
    const QString* v = find(section, key);
    return v ? *v : def;
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const
{
    const QString* v = find(section, key);
    if (!v)
        return def;
    bool ok = false;
    const int n = v->toInt(&ok, 10);
    return ok ? n : def;
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

double IniFile::readFloat(const QString& section, const QString& key, double def) const
{
    const QString* v = find(section, key);
    if (!v)
        return def;
    bool ok = false;
    const double d = v->toDouble(&ok); // C locale: "." only
    return ok ? d : def;
}

void IniFile::writeString(const QString& sectionName, const QString& key, const QString& value)
{
    Section& s = section(sectionName);
    for (Entry& e : s.entries) {
        if (e.key.compare(key, Qt::CaseInsensitive) == 0) {
            e.value = value;
            return;
        }
    }
    s.entries.push_back({key, value});
}

void IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::writeFloat(const QString& section, const QString& key, double value)
{
    // Shortest text that reads back as the same single-precision value, as
    // the settings are held in floats ("51.4", not "51.400001525878906").
    writeString(section, key, QString::number(value, 'g', 7));
}

} // namespace velmar::nmeaserver
