#pragma once
// A settings file in the Windows profile format ("[Section]" lines followed
// by "Key=Value" lines), read and written whole.
//
// Key names compare without regard to case, as the profile functions did.
// Section names compare exactly: they are device paths, and /dev/ttyS0 and
// /dev/ttys0 are two ports. Sections and keys keep the order in which they first
// appeared, so a file written by us reads like the old one. Names may hold
// any character but "]" (sections) and "=" (keys), so device paths such as
// /dev/ttyUSB0 serve as section names.
//
// A plain value object; use it from one thread at a time.
#include <QString>
#include <QStringList>

#include <vector>

namespace velmar::nmeaserver {

class IniFile {
public:
    IniFile() = default;
    explicit IniFile(const QString& path);

    // Reads the file; a missing or unreadable file gives an empty one.
    bool load();
    // Writes the whole file; false when it could not be written.
    bool save() const;
    const QString& path() const { return m_path; }

    QStringList sections() const;
    bool hasKey(const QString& section, const QString& key) const;

    // A missing key or a value that does not convert yields the default.
    QString readString(const QString& section, const QString& key, const QString& def) const;
    int readInteger(const QString& section, const QString& key, int def) const;
    bool readBool(const QString& section, const QString& key, bool def) const;
    double readFloat(const QString& section, const QString& key, double def) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);    // 1 or 0
    void writeFloat(const QString& section, const QString& key, double value); // "." whatever the locale

    // The file's text, as save() writes it.
    QByteArray toText() const;
    void parse(const QByteArray& text);

private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
    };
    const QString* find(const QString& section, const QString& key) const;
    Section& section(const QString& name);

    QString m_path;
    std::vector<Section> m_sections;
};

} // namespace velmar::nmeaserver
