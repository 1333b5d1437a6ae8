#pragma once
// WalCheckpointer: copies the open survey's write-ahead log back into the
// database file on a thread of its own, so that no commit made on the
// user-interface thread pays for a checkpoint (writing back a thousand pages
// and syncing the database file can take a second on a busy disk).
//
// It has a connection of its own to the survey, made through the same ODBC
// driver (so SQLite's own: the file is never opened any other way), and runs
// a PASSIVE checkpoint every interval. A PASSIVE checkpoint never waits for a
// lock and never blocks a writer; frames still needed by a reader are left
// for the next one. The main connection turns its automatic checkpoints off
// only while a checkpointer runs.
//
// start() and stop() are called from one thread (the user-interface thread,
// by OpenDB and CloseDB); the checkpoints run on the worker thread.
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include <sql.h>

namespace velmar::store {

// How often the worker checkpoints the log. Each checkpoint that empties the
// log makes the next commit write (and sync) a new log header, so not too
// often; ten seconds of records keep the log to a few hundred pages.
inline constexpr int kCheckpointIntervalMs = 10000;

class WalCheckpointer {
public:
    WalCheckpointer() = default;
    ~WalCheckpointer();
    WalCheckpointer(const WalCheckpointer&) = delete;
    WalCheckpointer& operator=(const WalCheckpointer&) = delete;

    // Connects to the survey file at path (its driver found by the caller)
    // and starts the worker. False, with nothing running, when the
    // connection fails; a running checkpointer is stopped first.
    bool start(const QString& driver, const QString& path, int intervalMs = kCheckpointIntervalMs);
    // Ends the worker after the checkpoint in progress, if any, and closes its
    // connection. Nothing when it is not running.
    void stop();
    bool isRunning() const { return m_worker.joinable(); }

    // Checkpoints that ran to their end (whether or not they copied frames),
    // and those that failed. Any thread.
    std::uint64_t checkpointsDone() const;
    std::uint64_t checkpointsFailed() const;

private:
    void run(int intervalMs);
    bool checkpoint();

    SQLHENV m_environment = SQL_NULL_HENV;
    SQLHDBC m_connection = SQL_NULL_HDBC;
    std::thread m_worker;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::uint64_t m_done = 0;
    std::uint64_t m_failed = 0;
};

} // namespace velmar::store
