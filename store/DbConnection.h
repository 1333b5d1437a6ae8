#pragma once
// The one ODBC environment and connection of the program: the survey
// database, one SQLite file reached through unixODBC and the "SQLite3" driver.
//
// Opens a database file (copying the blank template when the file is missing,
// then checking and completing the fixed tables), closes and compacts it, finds
// the installed driver, keeps a chosen file name's extension in line with it,
// and shows ODBC diagnostics. Every reader and writer of the program allocates
// its statements on GetDbConnection().
//
// User-interface thread only; no lock guards the connection. Handles returned
// stay owned by this layer and are valid until the next CloseDB/OpenDB.
#include <QString>

#include <functional>

#include <sql.h>

class QObject;

namespace velmar::store {

// Results of OpenDB.
inline constexpr int kOpenDbOk = 0;
inline constexpr int kOpenDbFailed = 1;
inline constexpr int kOpenDbEmptyPath = 6;

// The ODBC driver of the survey database (never "SQLite", the SQLite 2 one).
inline constexpr const char* kSurveyDriverName = "SQLite3";
// The extension of survey database files, and the other one kept as is.
inline constexpr const char* kSurveyDbExtension = ".sqlite";
inline constexpr const char* kOtherDbExtension = ".db";
// The blank database that ships with the suite, beside the programs.
inline constexpr const char* kBlankDatabaseTemplate = "BlankVelmar._sqlite";
// How long a statement waits for a lock held by the user-form connection.
inline constexpr int kBusyTimeoutMs = 2000;

// Opens the database file at path, closing (see CloseDB) any open one
// first. A missing file is made from the blank template. Returns kOpenDbOk,
// kOpenDbFailed or kOpenDbEmptyPath. `owner` parents the data layer's message
// boxes until the next OpenDB.
int OpenDB(QObject* owner, const QString& path);
// Disconnects and frees; nothing when no database is connected. Compacts
// first when this session changed the file and a quarter or more of its pages
// lie free; a session that only read leaves the file as it found it.
void CloseDB();
// Compacts the open database (VACUUM). False when none is open or it failed.
bool CompactDB();
bool IsDbOpen();
// True while the open survey's log is checkpointed by a thread of its own
// (see WalCheckpointer.h) rather than inside the commits.
bool DbLogCheckpointedApart();
// How often that thread checkpoints, for the databases opened from now on;
// 0 restores the default (kCheckpointIntervalMs). Tests make it short.
void SetDbCheckpointInterval(int ms);
SQLHDBC GetDbConnection();
// The file of the open database; empty when none is open.
QString GetDbPath();
// Whether path names the open database or one of SQLite's files beside it
// ("-wal", "-shm", "-journal"): a file nothing but the connection may open,
// so never an output file. Compares names and, for files present, their
// identity; opens nothing.
bool IsOpenDbFile(const QString& path);
// The window given to the last OpenDB.
QObject* DbOwnerWindow();

// The survey database driver's name when installed, else an empty text.
// Looked up once per run; `environment` may be null (one is then allocated).
QString getAccessDriverName(SQLHENV environment);
// True when the ODBC driver list holds a driver described exactly as `name`.
bool DriverInstalled(SQLHENV environment, const QString& name);

// Keeps a file name usable as a survey database: ".sqlite" and ".db" (in any
// letter case) are kept; with `add` set another extension is replaced by
// ".sqlite" and a name without one gets it appended. False when no driver is
// installed, the path is empty, or the extension is wrong and `add` is clear
// or the named file exists (it is never swapped for a blank survey).
bool FixDatabaseExtension(SQLHENV environment, QString& path, bool add);

// Copies the blank template to path (never over an existing file) and makes
// the copy writable. False when no driver is installed, the template is
// missing or the copy failed.
bool CreateBlankDatabase(const QString& path);
// Where the blank template is taken from: beside the executable unless set.
// Installers and tests may point it elsewhere; an empty text restores it.
void SetBlankDatabaseTemplate(const QString& path);
QString BlankDatabaseTemplate();

// Connects an allocated connection handle to the survey file at path through
// the named driver, and reads the schema once so that a file that is no
// database fails here. False (disconnected) on failure.
bool ConnectSurveyFile(SQLHDBC connection, const QString& driver, const QString& path);

// Shows the first diagnostic record of an ODBC handle.
void ShowSqlError(QObject* owner, SQLSMALLINT handleType, SQLHANDLE handle);

// Called by CloseDB just before the connection goes, so that statements kept
// prepared across calls (the record writers') are freed while it is valid.
// Returns an id for RemoveDbCloseListener.
using DbCloseListener = std::function<void()>;
int AddDbCloseListener(DbCloseListener listener);
void RemoveDbCloseListener(int id);

// Makes a blank survey database at path (which must not exist) from the fixed
// schema, without the template: the build uses it to make the template.
bool DbWriteBlankTemplate(const QString& path);

} // namespace velmar::store
