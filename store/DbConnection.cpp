#include "DbConnection.h"

#include "DbMessages.h"
#include "FixedSchema.h"
#include "RecordWriters.h"
#include "platform/RunMode.h"
#include "SqlText.h"
#include "WalCheckpointer.h"
#include "platform/Folders.h"

#include <QFile>
#include <QFileInfo>

#include <sqlext.h>

#include <vector>

namespace velmar::store {

namespace {

// Buffer sizes of the driver list (the description and attribute texts).
constexpr SQLSMALLINT kDriverDescriptionSize = 51;
constexpr SQLSMALLINT kDriverAttributesSize = 256;
// Buffers of SQLGetDiagRec.
constexpr SQLSMALLINT kSqlStateSize = 6;
constexpr SQLSMALLINT kDiagMessageSize = 256;
// A close compacts only when at least this share (1/n) of the file's pages
// lies free: below it the file shrinks too little to repay rewriting it.
constexpr qint64 kWorthwhileFreeShare = 4;

// The size of the open file in pages, and how many of them lie free.
struct PageCounts {
    qint64 pages = -1;
    qint64 free = -1;
    bool operator==(const PageCounts&) const = default;
};

struct DbConnectionState {
    SQLHENV environment = SQL_NULL_HENV;
    SQLHDBC connection = SQL_NULL_HDBC;
    bool connected = false;
    QObject* owner = nullptr;
    QString path;
    QString driverName;
    bool driverLookedUp = false;
    QString templateOverride;
    std::vector<std::pair<int, DbCloseListener>> closeListeners;
    int nextListenerId = 1;
    PageCounts atOpen; // unchanged at close: the session wrote nothing
    WalCheckpointer checkpointer;
    int checkpointIntervalMs = kCheckpointIntervalMs;
};

DbConnectionState& state()
{
    static DbConnectionState s;
    return s;
}

qint64 pragmaNumber(SQLHDBC connection, const QString& pragma)
{
    SqlStatement statement(connection);
    if (!statement.execDirect(QStringLiteral("PRAGMA ") + pragma))
        return -1;
    SQLBIGINT value = 0;
    SQLLEN indicator = 0;
    if (!sqlSucceeded(SQLFetch(statement.handle()))
        || !sqlSucceeded(SQLGetData(statement.handle(), 1, SQL_C_SBIGINT, &value, 0, &indicator))
        || indicator == SQL_NULL_DATA)
        return -1;
    return value;
}

PageCounts pageCounts(SQLHDBC connection)
{
    return {pragmaNumber(connection, QStringLiteral("page_count")),
            pragmaNumber(connection, QStringLiteral("freelist_count"))};
}

// Reads leave both counts as they were; a write that changes nothing on the
// free list frees nothing worth compacting either.
bool compactingWorthwhile(const PageCounts& atOpen, const PageCounts& now)
{
    if (now == atOpen || now.pages <= 0 || now.free < 0)
        return false;
    return now.free * kWorthwhileFreeShare >= now.pages;
}

} // namespace

bool ConnectSurveyFile(SQLHDBC connection, const QString& driver, const QString& path)
{
    // The driver cuts a value at the first ";" and knows no quoting, so such a
    // path would name another file (or smuggle in options).
    if (driver.isEmpty() || path.contains(QLatin1Char(';')))
        return false;
    QByteArray in = toSqlBytes(
        QStringLiteral("DRIVER=%1;Database=%2;Timeout=%3").arg(driver, path).arg(kBusyTimeoutMs));
    SQLCHAR out[256];
    SQLSMALLINT outLength = 0;
    if (!sqlSucceeded(SQLDriverConnect(connection, nullptr, reinterpret_cast<SQLCHAR*>(in.data()), SQL_NTS, out,
                                       sizeof out, &outLength, SQL_DRIVER_NOPROMPT)))
        return false;
    // SQLite opens any file lazily: read the schema once so that a file that
    // is no database fails here, not in every later statement.
    bool ok = false;
    {
        // The probe's handle goes before the disconnect frees it.
        SqlStatement probe(connection);
        ok = probe.execDirect(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    }
    if (!ok)
        SQLDisconnect(connection);
    return ok;
}

namespace {

bool allocEnvironment(SQLHENV& env)
{
    env = SQL_NULL_HENV;
    if (!sqlSucceeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        return false;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    return true;
}

void freeHandles()
{
    auto& s = state();
    if (s.connection != SQL_NULL_HDBC)
        SQLFreeHandle(SQL_HANDLE_DBC, s.connection);
    if (s.environment != SQL_NULL_HENV)
        SQLFreeHandle(SQL_HANDLE_ENV, s.environment);
    s.connection = SQL_NULL_HDBC;
    s.environment = SQL_NULL_HENV;
    s.connected = false;
    s.path.clear();
}

// Allocates the handles and connects to path. The driver makes the file when
// it is missing, which only the template build relies on.
bool connectTo(const QString& path, bool showFailure)
{
    auto& s = state();
    if (!allocEnvironment(s.environment)) {
        s.environment = SQL_NULL_HENV;
        DbMessage(nullptr, QStringLiteral("Can't allocate SQL environment"), QStringLiteral("OpenDB"));
        return false;
    }
    if (SQLAllocHandle(SQL_HANDLE_DBC, s.environment, &s.connection) == SQL_ERROR) {
        s.connection = SQL_NULL_HDBC;
        DbMessage(nullptr, QStringLiteral("Can't allocate SQL Connection"), QStringLiteral("OpenDB"));
        freeHandles();
        return false;
    }
    if (!ConnectSurveyFile(s.connection, getAccessDriverName(s.environment), path)) {
        if (showFailure)
            DbMessage(s.owner, QStringLiteral("You have not opened a database file"), QStringLiteral("Warning"));
        freeHandles();
        return false;
    }
    s.connected = true;
    s.path = path;
    // WAL lets the user-form layer's second connection read while we write,
    // and keeps the file whole through a crash or power cut.
    SqlStatement pragma(s.connection);
    pragma.execDirect(QStringLiteral("PRAGMA journal_mode=WAL"));
    SqlStatement sync(s.connection);
    sync.execDirect(QStringLiteral("PRAGMA synchronous=FULL"));
    s.atOpen = pageCounts(s.connection);
    return true;
}

} // namespace

int OpenDB(QObject* owner, const QString& path)
{
    BuildFixedSchema();
    auto& s = state();
    s.owner = owner;
    CloseDB();
    if (path.isEmpty())
        return kOpenDbEmptyPath;
    if (!QFileInfo::exists(path)) {
        // The lookup needs an environment of its own before the first connect.
        getAccessDriverName(SQL_NULL_HENV);
        if (!CreateBlankDatabase(path))
            return kOpenDbFailed;
    }
    if (!connectTo(path, true))
        return kOpenDbFailed;
    // Commits on the user-interface thread only append to the log; the
    // checkpointer's thread copies it back. Without one SQLite checkpoints
    // inside the commits, as it does by default.
    if (s.checkpointer.start(getAccessDriverName(s.environment), path, s.checkpointIntervalMs)) {
        SqlStatement noAutomatic(s.connection);
        noAutomatic.execDirect(QStringLiteral("PRAGMA wal_autocheckpoint=0"));
    }
    DbCheckFixedTables();
    if (platform::RunMode == platform::RunModeOnline)
        DbReadLastGpsIndex();
    return kOpenDbOk;
}

void CloseDB()
{
    auto& s = state();
    if (!s.connected)
        return;
    s.checkpointer.stop();
    for (const auto& [id, listener] : s.closeListeners)
        listener();
    // SQLite compacts inside the connection, so before it goes. Rewriting the
    // whole file takes long on a season's survey: only when it pays.
    if (compactingWorthwhile(s.atOpen, pageCounts(s.connection)))
        CompactDB();
    SQLDisconnect(s.connection);
    freeHandles();
}

bool CompactDB()
{
    auto& s = state();
    if (!s.connected)
        return false;
    SqlStatement statement(s.connection);
    return statement.execDirect(QStringLiteral("VACUUM"));
}

bool DbLogCheckpointedApart()
{
    return state().checkpointer.isRunning();
}

void SetDbCheckpointInterval(int ms)
{
    state().checkpointIntervalMs = ms > 0 ? ms : kCheckpointIntervalMs;
}

bool IsDbOpen()
{
    return state().connected;
}

SQLHDBC GetDbConnection()
{
    return state().connected ? state().connection : SQL_NULL_HDBC;
}

QString GetDbPath()
{
    return state().path;
}

bool IsOpenDbFile(const QString& path)
{
    const QString db = GetDbPath();
    if (db.isEmpty() || path.isEmpty())
        return false;
    const QFileInfo chosen(path);
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        const QFileInfo file(db + QLatin1String(suffix));
        if (chosen.absoluteFilePath() == file.absoluteFilePath()
            || (chosen.exists() && file.exists() && chosen.canonicalFilePath() == file.canonicalFilePath()))
            return true;
    }
    return false;
}

QObject* DbOwnerWindow()
{
    return state().owner;
}

QString getAccessDriverName(SQLHENV environment)
{
    auto& s = state();
    if (s.driverLookedUp)
        return s.driverName;
    SQLHENV env = environment;
    const bool own = env == SQL_NULL_HENV;
    if (own && !allocEnvironment(env)) {
        DbMessage(nullptr, QStringLiteral("Can't allocate SQL environment"),
                  QStringLiteral("getAccessDriverName(...)"));
        return QString();
    }
    const QString name = QString::fromLatin1(kSurveyDriverName);
    s.driverName = DriverInstalled(env, name) ? name : QString();
    s.driverLookedUp = true;
    if (own)
        SQLFreeHandle(SQL_HANDLE_ENV, env);
    return s.driverName;
}

bool DriverInstalled(SQLHENV environment, const QString& name)
{
    const QByteArray wanted = toSqlBytes(name);
    SQLCHAR description[kDriverDescriptionSize];
    SQLCHAR attributes[kDriverAttributesSize];
    SQLSMALLINT descriptionLength = 0;
    SQLSMALLINT attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        const SQLRETURN r = SQLDrivers(environment, direction, description, kDriverDescriptionSize, &descriptionLength,
                                       attributes, kDriverAttributesSize, &attributesLength);
        if (!sqlSucceeded(r))
            return false;
        if (wanted == reinterpret_cast<const char*>(description))
            return true;
        direction = SQL_FETCH_NEXT;
    }
}

bool FixDatabaseExtension(SQLHENV environment, QString& path, bool add)
{
    if (getAccessDriverName(environment).isEmpty() || path.isEmpty())
        return false;
    const QString wanted = QString::fromLatin1(kSurveyDbExtension);
    // Old settings may hold Windows paths: either separator ends a folder.
    const qsizetype nameStart = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot >= nameStart) {
        // "Survey.SQLITE" is the survey it names, not a new one beside it.
        const QString extension = path.mid(dot);
        if (extension.compare(QLatin1String(kOtherDbExtension), Qt::CaseInsensitive) == 0
            || extension.compare(wanted, Qt::CaseInsensitive) == 0)
            return true;
    }
    // A blank survey under another name would quietly stand in for the file
    // the operator named.
    if (!add || QFileInfo::exists(path))
        return false;
    path = (dot >= nameStart ? path.left(dot) : path) + wanted;
    return true;
}

bool CreateBlankDatabase(const QString& path)
{
    if (getAccessDriverName(SQL_NULL_HENV).isEmpty())
        return false;
    if (!QFile::copy(BlankDatabaseTemplate(), path))
        return false;
    // The installed template may be read-only.
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
}

void SetBlankDatabaseTemplate(const QString& path)
{
    state().templateOverride = path;
}

QString BlankDatabaseTemplate()
{
    const auto& s = state();
    return s.templateOverride.isEmpty() ? platform::dataFile(QString::fromLatin1(kBlankDatabaseTemplate))
                                        : s.templateOverride;
}

void ShowSqlError(QObject* owner, SQLSMALLINT handleType, SQLHANDLE handle)
{
    SQLCHAR sqlState[kSqlStateSize] = {0};
    SQLINTEGER nativeError = 0;
    SQLCHAR message[kDiagMessageSize] = {0};
    SQLSMALLINT messageLength = 0;
    const SQLRETURN r = SQLGetDiagRec(handleType, handle, 1, sqlState, &nativeError, message, kDiagMessageSize,
                                      &messageLength);
    if (sqlSucceeded(r))
        DbMessage(nullptr, QString::fromUtf8(reinterpret_cast<const char*>(message)), QStringLiteral("SQLGetDiagRec"));
    else
        DbMessage(owner, QStringLiteral("Failed call to SQLGetDiagRec"),
                  QString::fromUtf8(reinterpret_cast<const char*>(sqlState)));
}

int AddDbCloseListener(DbCloseListener listener)
{
    auto& s = state();
    const int id = s.nextListenerId++;
    s.closeListeners.emplace_back(id, std::move(listener));
    return id;
}

void RemoveDbCloseListener(int id)
{
    auto& listeners = state().closeListeners;
    std::erase_if(listeners, [id](const auto& entry) { return entry.first == id; });
}

bool DbWriteBlankTemplate(const QString& path)
{
    BuildFixedSchema();
    CloseDB();
    if (path.isEmpty() || QFileInfo::exists(path))
        return false;
    if (!connectTo(path, true))
        return false;
    DbCheckFixedTables();
    CloseDB();
    return true;
}

} // namespace velmar::store
