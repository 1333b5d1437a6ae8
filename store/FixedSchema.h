#pragma once
// The survey database's own tables: 30 definitions (24 fixed tables checked at
// every open, six templates for the survey designer's tables), and the
// operations that check, complete and create tables and read column facts.
//
// Checks complete a database silently (missing tables and columns are made)
// and only warn about columns that are too short or of another type: they
// never alter or drop an existing column or row.
//
// User-interface thread only. Definitions returned are owned by the schema and
// live for the whole run.
#include <QString>
#include <QStringList>

#include <functional>

#include <sql.h>

namespace velmar::store {

class TableDefinition;

// Kinds of DbCheckUserTable: the template a user table is made from.
inline constexpr int kUserTableLookup = 1;
inline constexpr int kUserTableUserForm = 2;
inline constexpr int kUserTableThingsHeard = 3;
inline constexpr int kUserTableStaticPoints = 4;
inline constexpr int kUserTableStaticLines = 5;
inline constexpr int kUserTableButtonForm = 6;
inline constexpr int kUserTableButtonData = 7;

// Menu commands that create a user table (DbCreateUserTable).
inline constexpr int kCmdNewStaticPointsTable = 31940;
inline constexpr int kCmdNewUserFormTable = 31941;
inline constexpr int kCmdNewStaticLinesTable = 31942;
inline constexpr int kCmdNewButtonFormTable = 31943;

// Builds the 30 definitions on the first call; later calls do nothing.
void BuildFixedSchema();
// A definition of the schema by its name (exact), or nullptr.
const TableDefinition* FixedTableDefinition(const QString& name);
// True when the name is one of the survey's fixed tables in any letter case
// (SQLite's table names ignore case).
bool IsFixedTableName(const QString& name);
// The names of the 24 tables checked at open, in the order they are checked.
QStringList FixedTablesAtOpen();

void DbCheckFixedTables();
bool DbCheckTable(SQLHSTMT statement, const TableDefinition& definition, const QString& tableName = QString());
bool DbCheckGpsDataSetTables(SQLHSTMT statement);
// Adds an index on PCTime to a GPS track table that has none leading with
// that column (the show-data load and the cross-reference seeks go by it).
// True when the table has one afterwards; a refused write is logged.
bool EnsureGpsTimeIndex(const QString& table);
bool DbCheckUserTable(SQLHDBC connection, const QString& tableName, int kind);
// True when the table was made; a failure has been shown.
bool DbCreateUserTable(int command, const QString& name);
// The table DbCreateUserTable makes for that command and name ("UDF_" or
// "UDB_" before the names of form and panel definitions).
QString DbUserTableName(int command, const QString& name);

bool DbTableExists(SQLHDBC connection, const QString& tableName);
// The column's 1-based position, or -1 when the table has no such column
// (names compare without regard to case). Type name, SQL type and size are
// stored through the pointers that are not null. Date and time types are
// reported with their ODBC 2 codes (SQL_DATE 9, SQL_TIME 10, SQL_TIMESTAMP 11).
int DbGetColumnInfo(SQLHDBC connection, const QString& table, const QString& column, QString* typeName, int* sqlType,
                    int* columnSize);
// ALTER TABLE ADD COLUMN; a bare "CHAR" type takes "(length)" when length >= 1.
bool DbAddColumn(SQLHDBC connection, const QString& table, const QString& column, const QString& type, int length);
// The same for the column that a user-form control stores into.
int DbGetUserColumnInfo(const QString& table, const QString& column, int* sqlType, int* columnSize);
bool DbAddUserColumn(const QString& table, const QString& column, int sqlType, int columnSize);
bool DbSqlTypesMatch(int columnType, int controlType);
// Counts the rows of an executed statement (which needs a scrollable cursor);
// the cursor is left past the last row.
int DbCountRows(SQLHSTMT statement);
// Sets the column to NULL in every row.
bool DbClearColumn(SQLHDBC connection, const QString& table, const QString& column);
int DbCompareValues(int sqlType, const QString& a, const QString& b);

// The show-data mode's check of GPS cross references, run on each fixed
// table; installed by the part of the program that owns it.
using GpsIndexCheck = std::function<void(const QString& tableName)>;
void SetGpsIndexCheck(GpsIndexCheck check);

} // namespace velmar::store
