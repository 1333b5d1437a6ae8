#include "WalCheckpointer.h"

#include "DbConnection.h"
#include "DbMessages.h"
#include "SqlText.h"

#include <sqlext.h>

#include <chrono>

namespace velmar::store {

WalCheckpointer::~WalCheckpointer()
{
    stop();
}

bool WalCheckpointer::start(const QString& driver, const QString& path, int intervalMs)
{
    stop();
    if (!sqlSucceeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_environment))) {
        m_environment = SQL_NULL_HENV;
        return false;
    }
    SQLSetEnvAttr(m_environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!sqlSucceeded(SQLAllocHandle(SQL_HANDLE_DBC, m_environment, &m_connection))) {
        m_connection = SQL_NULL_HDBC;
        stop();
        return false;
    }
    if (!ConnectSurveyFile(m_connection, driver, path)) {
        qCWarning(lcStore) << "the log of" << path << "cannot be checkpointed apart: no second connection";
        stop();
        return false;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = false;
    }
    m_worker = std::thread([this, intervalMs] { run(intervalMs); });
    return true;
}

void WalCheckpointer::stop()
{
    if (m_worker.joinable()) {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        m_worker.join();
        // The survey's last close checkpoints the log and removes it only
        // when no other connection has the file open.
        SQLDisconnect(m_connection);
    }
    if (m_connection != SQL_NULL_HDBC)
        SQLFreeHandle(SQL_HANDLE_DBC, m_connection);
    if (m_environment != SQL_NULL_HENV)
        SQLFreeHandle(SQL_HANDLE_ENV, m_environment);
    m_connection = SQL_NULL_HDBC;
    m_environment = SQL_NULL_HENV;
}

std::uint64_t WalCheckpointer::checkpointsDone() const
{
    const std::lock_guard lock(m_mutex);
    return m_done;
}

std::uint64_t WalCheckpointer::checkpointsFailed() const
{
    const std::lock_guard lock(m_mutex);
    return m_failed;
}

void WalCheckpointer::run(int intervalMs)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_wake.wait_for(lock, std::chrono::milliseconds(intervalMs), [this] { return m_stopping; }))
            return;
        lock.unlock();
        const bool ok = checkpoint();
        lock.lock();
        if (ok) {
            ++m_done;
        } else if (m_failed++ == 0) {
            // Logged once: the log then grows until a checkpoint succeeds or
            // the survey is closed.
            qCWarning(lcStore) << "a checkpoint of the survey's log failed";
        }
    }
}

bool WalCheckpointer::checkpoint()
{
    // Its row (busy, frames in the log, frames copied back) says nothing that
    // needs an answer: frames a reader still needs wait for the next one.
    SqlStatement statement(m_connection);
    return statement.execDirect(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"))
        && sqlSucceeded(SQLFetch(statement.handle()));
}

} // namespace velmar::store
