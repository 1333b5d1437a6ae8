#pragma once
// Settings that belong to a survey, kept as rows of UDC_Settings in its
// database and read and written like an ini file: a value is addressed by a
// section and an identifier (both compared without regard to case and to
// trailing blanks). Reading a missing value adds it with its default, so after
// one run every setting the program uses is in the table, where it can be
// edited.
//
// Rows are found and written by keyed SELECT, UPDATE and INSERT statements on
// the main connection; a failed write is shown and reported by the result.
// Of two rows with the same key, the older (lower Index) is used.
//
// User-interface thread only. Create one for a batch of reads and writes; the
// object holds statements on the open connection and must not outlive it.
#include "platform/SystemTime.h"

#include <QString>

#include <sql.h>

namespace velmar::store {

class TDbIniFile {
public:
    // Texts of sections, identifiers and data are kept to this many characters.
    static constexpr int TextWidth = 255;

    TDbIniFile();
    ~TDbIniFile();
    TDbIniFile(const TDbIniFile&) = delete;
    TDbIniFile& operator=(const TDbIniFile&) = delete;

    // False when no database was open or the settings table could not be read:
    // reads then return their defaults and writes fail.
    bool isValid() const { return m_valid; }

    QString ReadString(const QString& section, const QString& identifier, const QString& defaultText);
    // The text cut to bufferSize - 1 bytes (on a character boundary) with its
    // null, into buffer. Nothing for a null buffer or a size of 0.
    void ReadStringBuf(const QString& section, const QString& identifier, char* buffer, std::size_t bufferSize,
                       const QString& defaultText);
    int ReadInteger(const QString& section, const QString& identifier, int defaultValue);
    // Reals are stored with "."; a "," is read as the decimal point too. A text
    // that is no number gives the default (the row stays as it is).
    double ReadFloat(const QString& section, const QString& identifier, double defaultValue);
    // True only for "true" (any case). Any text but "true" or "false" reads as
    // false and is logged, once per row and text in a run.
    bool ReadBool(const QString& section, const QString& identifier, bool defaultValue);
    platform::SystemTime ReadTime(const QString& section, const QString& identifier,
                                  const platform::SystemTime& defaultValue);

    bool WriteString(const QString& section, const QString& identifier, const QString& text);
    bool WriteInteger(const QString& section, const QString& identifier, int value);
    bool WriteFloat(const QString& section, const QString& identifier, double value);
    bool WriteBool(const QString& section, const QString& identifier, bool value);
    bool WriteTime(const QString& section, const QString& identifier, const platform::SystemTime& value);

    // True when the key has a row; its Index and data are then remembered.
    bool FindKey(const QString& section, const QString& identifier);
    // Adds a row; the database numbers its Index.
    bool AddKey(const QString& section, const QString& identifier, const QString& text);

    // The text forms of typed values.
    static QString IntegerText(int value);
    static QString RealText(double value);
    static QString BoolText(bool value);

private:
    bool prepare(SQLHSTMT& statement, const QString& text);
    bool execute(SQLHSTMT statement);
    void setRow(const QString& section, const QString& identifier, const QString& text);

    bool m_valid = false;
    SQLHSTMT m_find = SQL_NULL_HSTMT;
    SQLHSTMT m_update = SQL_NULL_HSTMT;
    SQLHSTMT m_insert = SQL_NULL_HSTMT;
    // Parameter and result buffers, bound once.
    char m_section[TextWidth * 4 + 1] = {};
    char m_identifier[TextWidth * 4 + 1] = {};
    char m_data[TextWidth * 4 + 1] = {};
    SQLLEN m_sectionLength = SQL_NTS;
    SQLLEN m_identifierLength = SQL_NTS;
    SQLLEN m_dataLength = SQL_NTS;
    SQLINTEGER m_foundIndex = 0;
    SQLLEN m_foundIndexLength = 0;
    char m_foundData[TextWidth * 4 + 1] = {};
    SQLLEN m_foundDataLength = 0;
};

} // namespace velmar::store
