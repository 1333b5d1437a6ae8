#include "forms/UserFormDb.h"

#include "platform/Folders.h"
#include "store/DbConnection.h"
#include "store/DbMessages.h"
#include "store/FixedSchema.h"
#include "settings/ProgramSettings.h"
#include "store/SqlText.h"

#include <QFileInfo>

#include <sqlext.h>

namespace velmar::forms {

namespace {

constexpr const char* kOpenCaption = "OpenUserFormDb";

} // namespace

bool OpenUserFormDb(QObject* owner, SQLHENV* environment, SQLHDBC* connection)
{
    *environment = SQL_NULL_HENV;
    *connection = SQL_NULL_HDBC;
    const QString stored = store::TheProgramSettings.DatabasePath.text();
    if (stored.isEmpty())
        return false;
    const QString path = platform::toLocalPath(stored);
    // The driver would make an empty database for a missing file.
    if (!QFileInfo(path).isFile()) {
        store::DbMessage(owner, stored, QStringLiteral("Can't find Tables database"));
        return false;
    }
    SQLHENV env = SQL_NULL_HENV;
    if (!store::sqlSucceeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
        store::DbMessage(owner, QStringLiteral("Can't allocate SQL environment"), QString::fromLatin1(kOpenCaption));
        return false;
    }
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!store::sqlSucceeded(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
        store::DbMessage(owner, QStringLiteral("Can't allocate SQL Connection"), QString::fromLatin1(kOpenCaption));
        SQLFreeHandle(SQL_HANDLE_ENV, env);
        return false;
    }
    const QString driver = store::getAccessDriverName(env);
    // The driver cuts a value at ";": such a path would name another file.
    bool ok = !driver.isEmpty() && !path.contains(QLatin1Char(';'));
    if (ok) {
        QByteArray in = store::toSqlBytes(
            QStringLiteral("DRIVER=%1;Database=%2;Timeout=%3").arg(driver, path).arg(store::kBusyTimeoutMs));
        SQLCHAR out[256];
        SQLSMALLINT outLength = 0;
        ok = store::sqlSucceeded(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(in.data()), SQL_NTS, out,
                                                  sizeof out, &outLength, SQL_DRIVER_NOPROMPT));
        if (ok) {
            // SQLite opens any file lazily: a file that is no database fails
            // here. The probe goes before the disconnect frees its handle.
            {
                store::SqlStatement probe(dbc);
                ok = probe.execDirect(QStringLiteral("SELECT count(*) FROM sqlite_master"));
            }
            if (!ok)
                SQLDisconnect(dbc);
        }
    }
    if (!ok) {
        store::DbMessage(owner, QStringLiteral("You have not opened a database file"), QStringLiteral("Warning"));
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
        return false;
    }
    *environment = env;
    *connection = dbc;
    return true;
}

void CloseUserFormDb(SQLHENV environment, SQLHDBC connection)
{
    // A connected handle cannot be freed: without the disconnect the file
    // would stay open until the program ends.
    if (connection != SQL_NULL_HDBC) {
        SQLDisconnect(connection);
        SQLFreeHandle(SQL_HANDLE_DBC, connection);
    }
    if (environment != SQL_NULL_HENV)
        SQLFreeHandle(SQL_HANDLE_ENV, environment);
}

bool UserFormDbTableExists(const QString& name)
{
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!OpenUserFormDb(store::DbOwnerWindow(), &env, &dbc))
        return false;
    const bool found = store::DbTableExists(dbc, name);
    CloseUserFormDb(env, dbc);
    return found;
}

} // namespace velmar::forms
