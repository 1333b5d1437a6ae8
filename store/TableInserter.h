#pragma once
// One prepared INSERT into a table of the schema, its parameters bound once
// to buffers of their own (typed by the column's DDL type), as the record
// writers, user forms and recorders use it.
//
// The statement is prepared on first use and freed when the database closes
// (a later use prepares it again on the new connection). Values are set by
// column name; texts are cut to their column width and reals bound as binary
// numbers, so no locale touches them. Columns not set since the last
// execute are stored as NULL.
//
// User-interface thread only. Not copyable: the driver keeps the buffers'
// addresses.
#include "platform/SystemTime.h"

#include <QString>

#include <memory>
#include <vector>

#include <sql.h>

namespace velmar::store {

class TableDefinition;

class TableInserter {
public:
    // The definition's layout under tableName (the definition's own name when
    // empty). The definition must outlive the inserter.
    explicit TableInserter(const TableDefinition& definition, const QString& tableName = QString());
    // A table of the fixed schema by name.
    explicit TableInserter(const char* fixedTable);
    ~TableInserter();
    TableInserter(const TableInserter&) = delete;
    TableInserter& operator=(const TableInserter&) = delete;

    void setInt(const char* column, int32_t value);
    void setReal(const char* column, double value);
    void setBit(const char* column, bool value);
    void setText(const char* column, const QString& text);
    // A TIMESTAMP column from a time ("YYYY-MM-DD hh:mm:ss").
    void setTime(const char* column, const platform::SystemTime& time);

    // Prepares when needed and inserts the row. Returns the driver's result:
    // SQL_SUCCESS or SQL_SUCCESS_WITH_INFO when stored, SQL_ERROR when no
    // database is open or preparing failed. Every value is cleared after.
    SQLRETURN execute();
    // The driver's first diagnostic of the last execute, for a log line.
    QString lastError() const;
    // The INSERT text.
    QString statementText() const;

private:
    struct Slot;
    Slot* slot(const char* column);
    bool prepare();
    void release();

    const TableDefinition& m_definition;
    QString m_table;
    std::vector<std::unique_ptr<Slot>> m_slots;
    SQLHSTMT m_statement = SQL_NULL_HSTMT;
    int m_closeListener = 0;
};

} // namespace velmar::store
