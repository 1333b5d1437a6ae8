// GPS-fix inserts per second through the record writers (ODBC, prepared
// once, reference read back) against the same rows inserted directly with the
// SQLite C interface on the same journal and sync settings.
//   bench_gps_inserts [fixes]        (default 2000)
// Both runs start from a copy of the blank template in a temporary folder.
#include "nav/GpsFixData.h"
#include "store/DbConnection.h"
#include "nav/EventWriters.h"
#include "store/RecordWriters.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>

using namespace velmar;

namespace {

nav::GpsFixData fixNumber(int i)
{
    nav::GpsFixData fix(platform::SystemTime{2026, 12, 4, 10, 8, quint16(i / 60 % 60), quint16(i % 60), 0});
    fix.SetPosition(56.5 * 60 + i * 0.01, -6.25 * 60);
    fix.sentenceTime = 80000 + i % 60;
    fix.course = 181.5f;
    fix.speed = 9.5f;
    fix.statusLetter = 'A';
    return fix;
}

double throughWriters(const QString& file, int count)
{
    if (store::OpenDB(nullptr, file) != store::kOpenDbOk)
        return -1;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i)
        if (!store::DbWriteGpsData(fixNumber(i)))
            return -1;
    const double seconds = timer.nsecsElapsed() / 1e9;
    store::CloseDB();
    return count / seconds;
}

double direct(const QString& file, int count)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(file.toUtf8().constData(), &db) != SQLITE_OK)
        return -1;
    sqlite3_busy_timeout(db, store::kBusyTimeoutMs);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    const char* sql =
        "INSERT INTO \"GpsData\" ( \"PCTime\" , \"Latitude\" , \"Longitude\" , \"GPSTime\" , \"Heading\" , "
        "\"HeadingType\" , \"Speed\" , \"SpeedType\" , \"GPSError\" , \"DataStatus\" , \"TrueHeading\" , "
        "\"MagneticHeading\"  ) VALUES (? , ? , ? , ? , ? , ? , ? , ? , ? , ? , ? ,  ? )";
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK)
        return -1;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        const nav::GpsFixData fix = fixNumber(i);
        const QByteArray time = QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", fix.programTime.wYear,
                                                  fix.programTime.wMonth, fix.programTime.wDay, fix.programTime.wHour,
                                                  fix.programTime.wMinute, fix.programTime.wSecond)
                                    .toLatin1();
        sqlite3_bind_text(st, 1, time.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 2, fix.GetLatitude() / 60);
        sqlite3_bind_double(st, 3, fix.GetLongitude() / 60);
        sqlite3_bind_int(st, 4, fix.sentenceTime);
        sqlite3_bind_double(st, 5, fix.course);
        sqlite3_bind_text(st, 6, "T", -1, SQLITE_STATIC);
        sqlite3_bind_double(st, 7, fix.speed);
        sqlite3_bind_text(st, 8, "N", -1, SQLITE_STATIC);
        sqlite3_bind_int(st, 9, fix.statusCode);
        sqlite3_bind_text(st, 10, "A", -1, SQLITE_STATIC);
        sqlite3_bind_double(st, 11, fix.trueHeading);
        sqlite3_bind_double(st, 12, fix.magHeading);
        if (sqlite3_step(st) != SQLITE_DONE)
            return -1;
        sqlite3_reset(st);
        (void)sqlite3_last_insert_rowid(db);
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    sqlite3_finalize(st);
    sqlite3_close(db);
    return count / seconds;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    QTemporaryDir dir;
    const QString templateFile = store::BlankDatabaseTemplate();
    const QString directFile = dir.filePath(QStringLiteral("direct.sqlite"));
    if (!dir.isValid() || !QFile::copy(templateFile, directFile)) {
        std::fprintf(stderr, "no blank template at %s\n", qPrintable(templateFile));
        return 1;
    }
    const double writers = throughWriters(dir.filePath(QStringLiteral("writers.sqlite")), count);
    const double raw = direct(directFile, count);
    if (writers <= 0 || raw <= 0) {
        std::fprintf(stderr, "an insert failed\n");
        return 1;
    }
    std::printf("GPS fixes: %d\n", count);
    std::printf("through the writers (ODBC): %10.0f inserts/s\n", writers);
    std::printf("direct SQLite C API:        %10.0f inserts/s\n", raw);
    std::printf("ratio writers / direct:     %10.2f\n", writers / raw);
    return 0;
}
