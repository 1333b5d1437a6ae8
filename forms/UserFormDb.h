#pragma once
// A second connection to the survey database for the few table operations
// that must not disturb statements open on the main one: making new user
// tables, the things-heard form, and asking whether a table exists. It opens
// the database named in the settings block, never creates one, and is freed
// by the caller (CloseUserFormDb) when the work is done.
//
// User-interface thread only. The handles returned belong to the caller.
#include <QString>

#include <sql.h>

class QObject;

namespace velmar::forms {

// Opens the settings block's database: false without a message when no path
// is set; false with a message when the file does not exist ("Can't find
// Tables database"), when a handle cannot be had (caption "OpenUserFormDb")
// or when the driver refuses the file ("You have not opened a database
// file"). On success both handles are set.
bool OpenUserFormDb(QObject* owner, SQLHENV* environment, SQLHDBC* connection);
// Disconnects and frees the connection, then the environment when given.
void CloseUserFormDb(SQLHENV environment, SQLHDBC connection);
// Whether the database holds a table of that name (any case), looked up on
// a second connection; false when it does not open.
bool UserFormDbTableExists(const QString& name);

} // namespace velmar::forms
