#pragma once
// One table of the survey database's schema: its name and its columns in
// order, each with a name, an Access DDL type text ("COUNTER", "LONG",
// "CHAR(20)", ...) and a primary-key flag. The schema is the single source from
// which tables are created and completed and SELECT/INSERT texts are built.
//
// The type texts stay in Access DDL, as the checks and messages quote them;
// they become SQLite types only in the statement sent to the driver
// (SqliteColumnType). User-interface thread only.
#include <QString>

#include <vector>

#include <sql.h>

namespace velmar::store {

class TableDefinition {
public:
    explicit TableDefinition(const QString& name);

    // Appends a column. A second primary key in one table is warned about, and
    // added all the same.
    void AddItem(const QString& columnName, const QString& type, bool primaryKey = false);

    QString GetName() const { return m_name; }
    int GetCount() const { return int(m_columns.size()); }
    // A null QString when the index is out of range.
    QString GetColumnName(int index) const;
    QString GetColumnType(int index) const;
    bool IsPrimaryKey(int index) const;

    // "SELECT "a" , "b"  FROM "table" suffix"; always true.
    bool BuildSelectText(QString& text, const QString& suffix = QString()) const;
    // The same, copied with its null into buffer; false (buffer untouched) when
    // the text does not fit.
    bool BuildSelect(char* buffer, std::size_t bufferSize, const QString& suffix = QString()) const;

private:
    struct Column {
        QString name;
        QString type;
        bool primaryKey = false;
    };
    QString m_name;
    std::vector<Column> m_columns;
    int m_primaryKeyCount = 0;
};

// The CREATE TABLE text for a definition (under otherName when it is not
// empty), with the types translated for SQLite.
QString BuildCreateTableText(const TableDefinition& definition, const QString& otherName = QString());

// Creates the table on the statement; on failure shows the statement text
// ("Error creating table %s") and returns false.
bool DbCreateTable(SQLHSTMT statement, const TableDefinition& definition, const QString& otherName = QString());

// The Access DDL text that an existing column of this ODBC type and size is
// compared with ("CHAR(20)", "LONG", "TIMESTAMP", ...).
QString SqlTypeDefinitionText(int sqlType, int columnSize);
// The wording of a column type in messages to the survey designer.
QString SqlTypeText(int sqlType, int columnSize);

} // namespace velmar::store
