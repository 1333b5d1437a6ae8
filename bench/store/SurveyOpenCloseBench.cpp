// Opening a survey for online logging and closing it again, on surveys of N
// and 2N GPS fixes: the open reads the last GPS index, the close compacts only
// when worthwhile. The ratios 2N / N show whether either grows with the
// survey; the whole-file VACUUM every close once ran is timed beside them.
//   bench_survey_open_close [fixes]      (default 1000000)
#include "platform/RunMode.h"
#include "store/DbConnection.h"
#include "store/RecordWriters.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

using namespace velmar;

namespace {

bool fill(const QString& file, int fixes)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(file.toUtf8().constData(), &db) != SQLITE_OK)
        return false;
    const QByteArray sql =
        QStringLiteral(
            "PRAGMA journal_mode=WAL; BEGIN; "
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
            "INSERT INTO \"GpsData\" (\"PCTime\", \"Latitude\", \"Longitude\", \"GPSTime\", \"Heading\", \"Speed\") "
            "SELECT '2026-12-04 10:00:00', 56.5 + i * 1e-6, -6.25, 80000 + i % 60, 181.5, 9.5 FROM n; COMMIT; "
            "PRAGMA wal_checkpoint(TRUNCATE);")
            .arg(fixes)
            .toUtf8();
    const bool ok = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

struct Times {
    double open = 0, close = 0, vacuum = 0;
    int lastIndex = 0;
};

bool measure(const QString& file, Times& t)
{
    QElapsedTimer timer;
    timer.start();
    if (store::OpenDB(nullptr, file) != store::kOpenDbOk)
        return false;
    t.open = timer.nsecsElapsed() / 1e6;
    t.lastIndex = store::GetLastGpsIndex();
    timer.restart();
    store::CloseDB();
    t.close = timer.nsecsElapsed() / 1e6;
    // What every close once did.
    if (store::OpenDB(nullptr, file) != store::kOpenDbOk)
        return false;
    timer.restart();
    store::CompactDB();
    t.vacuum = timer.nsecsElapsed() / 1e6;
    store::CloseDB();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int fixes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000000;
    platform::RunMode = platform::RunModeOnline;
    QTemporaryDir dir;
    Times t[2];
    for (int k = 0; k < 2; ++k) {
        const QString file = dir.filePath(QStringLiteral("survey%1.sqlite").arg(k));
        if (!QFile::copy(store::BlankDatabaseTemplate(), file) || !fill(file, fixes * (k + 1))
            || !measure(file, t[k])) {
            std::fprintf(stderr, "could not make or open the survey\n");
            return 1;
        }
    }
    std::printf("%10s %12s %10s %10s %14s\n", "fixes", "last index", "open ms", "close ms", "VACUUM ms");
    for (int k = 0; k < 2; ++k)
        std::printf("%10d %12d %10.1f %10.1f %14.1f\n", fixes * (k + 1), t[k].lastIndex, t[k].open, t[k].close,
                    t[k].vacuum);
    std::printf("ratio 2N / N: open %.2f, close %.2f (VACUUM %.2f)\n", t[1].open / t[0].open, t[1].close / t[0].close,
                t[1].vacuum / t[0].vacuum);
    return 0;
}
