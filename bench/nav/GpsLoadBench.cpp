// GPS fixes loaded per second by the show-data reader (ODBC, every column
// into a fix and the program's fix list) against a plain SQLite query of the
// same rows and columns stepped through the C interface.
//   bench_gps_load [fixes]        (default 100000)
// The survey is a copy of the blank template in a temporary folder.
#include "nav/GpsFixList.h"
#include "nav/GpsDataSets.h"
#include "nav/ShowDataReaders.h"
#include "nav/ShowDataSinks.h"
#include "store/DbConnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>

using namespace velmar;

namespace {

platform::SystemTime At(int y, int mo, int d)
{
    platform::SystemTime t;
    t.wYear = uint16_t(y), t.wMonth = uint16_t(mo), t.wDay = uint16_t(d);
    return t;
}

bool Seed(const QString& file, int count)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(file.toUtf8().constData(), &db) != SQLITE_OK)
        return false;
    const QByteArray sql =
        QStringLiteral(
            "BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
            "INSERT INTO \"GpsData\" (\"PCTime\", \"Latitude\", \"Longitude\", \"GPSTime\", \"Heading\", "
            "\"HeadingType\", "
            "\"Speed\", \"SpeedType\", \"GPSError\", \"DataStatus\", \"TrueHeading\", \"MagneticHeading\") "
            "SELECT datetime('2026-03-01 00:00:00', '+' || i || ' seconds'), 56.0 + i * 0.00001, -6.0, 101530, 90.0, "
            "'T', 10.0, 'N', 0, 'A', 91.0, NULL FROM n; COMMIT;")
            .arg(count)
            .toUtf8();
    const bool ok = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// The reader alone: the fixes are made and dropped.
struct DropFixes : nav::GpsFixSink {
    void ClearGpsFixes() override {}
    void AddFix(const nav::GpsFixData&, int32_t, int) override {}
};

double ThroughReader(qint64& loaded, bool intoFixList)
{
    nav::ForgetGpsDataSets();
    QElapsedTimer timer;
    timer.start();
    nav::ShowDataReader reader(At(2026, 3, 1), At(2026, 12, 31));
    nav::ProgramFixSink program(At(2026, 3, 1));
    DropFixes drop;
    reader.DbLoadAllGpsData(intoFixList ? static_cast<nav::GpsFixSink&>(program) : drop);
    const double s = timer.nsecsElapsed() / 1e9;
    loaded = reader.FixesLoaded();
    nav::ClearGpsFixes();
    return s;
}

double PlainQuery(const QString& file, qint64& rows)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(file.toUtf8().constData(), &db) != SQLITE_OK)
        return -1;
    QElapsedTimer timer;
    timer.start();
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT \"Index\", \"PCTime\", \"Latitude\", \"Longitude\", \"GPSTime\", \"Heading\", "
                       "\"HeadingType\", \"Speed\", \"SpeedType\", \"GPSError\", \"DataStatus\", \"TrueHeading\", "
                       "\"MagneticHeading\" FROM \"GpsData\" WHERE \"PCTime\" BETWEEN '2026-03-01 00:00:00' AND "
                       "'2026-12-31 00:00:00' AND \"DataStatus\" = 'A' ORDER BY \"PCTime\"",
                       -1, &st, nullptr);
    rows = 0;
    double sum = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        // Read every column, as the reader does.
        sum += sqlite3_column_int(st, 0) + sqlite3_column_double(st, 2) + sqlite3_column_double(st, 3);
        sum += sqlite3_column_bytes(st, 1) + sqlite3_column_int(st, 4) + sqlite3_column_double(st, 5);
        sum += sqlite3_column_bytes(st, 6) + sqlite3_column_double(st, 7) + sqlite3_column_bytes(st, 8);
        sum += sqlite3_column_int(st, 9) + sqlite3_column_bytes(st, 10) + sqlite3_column_double(st, 11);
        sum += sqlite3_column_type(st, 12);
        ++rows;
    }
    sqlite3_finalize(st);
    const double s = timer.nsecsElapsed() / 1e9;
    sqlite3_close(db);
    std::fprintf(stderr, "(checksum %.1f)\n", sum);
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bench.sqlite"));
    store::SetBlankDatabaseTemplate(QCoreApplication::applicationDirPath() + QStringLiteral("/BlankVelmar._sqlite"));
    if (!QFile::copy(store::BlankDatabaseTemplate(), file) || !Seed(file, count)) {
        std::fprintf(stderr, "could not make the survey from %s\n", qPrintable(store::BlankDatabaseTemplate()));
        return 1;
    }
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    if (store::OpenDB(nullptr, file) != store::kOpenDbOk)
        return 1;
    qint64 loaded = 0, rows = 0;
    ThroughReader(loaded, true); // warm the page cache
    const double reader = ThroughReader(loaded, true);
    const double readerOnly = ThroughReader(loaded, false);
    store::CloseDB();
    const double plain = PlainQuery(file, rows);
    std::printf("GPS load of %lld fixes\n", static_cast<long long>(loaded));
    std::printf("  show-data reader into the fix list: %.3f s, %.0f rows/s\n", reader, loaded / reader);
    std::printf("  reader, fixes dropped: %.3f s, %.0f rows/s\n", readerOnly, loaded / readerOnly);
    std::printf("  plain sqlite3:    %.3f s, %.0f rows/s (%lld rows)\n", plain, rows / plain,
                static_cast<long long>(rows));
    std::printf("  reader / plain:   %.2f\n", (loaded / reader) / (rows / plain));
    return 0;
}
