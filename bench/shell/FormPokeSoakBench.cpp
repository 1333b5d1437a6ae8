// How long the running Velmar takes to acknowledge a user-form poke, which it
// answers only once the record is stored durably, over a long run with the
// NMEA program's simulated ship feeding the GPS poll and the map.
//
//   bench_form_poke_soak [seconds] [interval-ms]     (default 600 and 100)
//
// VELMAR_BIN_DIR, when set, names the folder of the programs to run.
//
// Starts the real NMEA program (simulating) and Velmar, offscreen, on a
// private session bus and a survey of their own in a temporary folder, with a
// form "Sightings" that takes pokes and the map tab shown. Then pokes the form
// every interval, as a detector program would (each poke waits for its
// answer), and prints the acknowledgement times: maximum, median, 99th
// percentile and how many took over 250 ms. In the same run, between the
// pokes, it measures the floor: a no-op poke to the same service (the
// "Porpoise" item, acknowledged and ignored) plus one durable commit
// (WAL, synchronous=FULL) to a file of the bench's own on the same disk.
// The map's paints (VELMAR_PAINT_LOG) give its redraws per second and the
// longest time it went without one. At the end every acknowledged record
// must be in the survey, read with SQLite's C interface once Velmar ended.
//
// Run it on a loaded machine (stress-ng, a parallel build) to see stalls.
#include "nmeaserver/NmeaSettings.h"
#include "platform/Dde.h"
#include "settings/IniFile.h"
#include "settings/ProgramSettings.h"
#include "store/DbConnection.h"
#include "store/FixedSchema.h"
#include "store/ProgramSettingsDb.h"
#include "store/SqlText.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace velmar;

namespace {

constexpr int kAnswerBoundMs = 20000;
constexpr double kStallMs = 250.0;
const char* const kPrivateBusMark = "VELMAR_SOAK_PRIVATE_BUS";

struct Summary {
    double max = 0, p50 = 0, p99 = 0;
    int over = 0;
};

Summary summarise(std::vector<double> ms)
{
    Summary s;
    if (ms.empty())
        return s;
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[std::min(ms.size() - 1, std::size_t(q * double(ms.size())))]; };
    s.max = ms.back();
    s.p50 = at(0.50);
    s.p99 = at(0.99);
    s.over = int(std::count_if(ms.begin(), ms.end(), [](double v) { return v > kStallMs; }));
    return s;
}

void print(const char* legend, const std::vector<double>& ms)
{
    const Summary s = summarise(ms);
    std::printf("%-34s n=%-6zu max %8.1f ms   p50 %7.2f ms   p99 %7.2f ms   over %.0f ms: %d\n", legend, ms.size(),
                s.max, s.p50, s.p99, kStallMs, s.over);
}

// The clock of the map's paint log: the system's monotonic clock.
qint64 monotonicMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double elapsedMs(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// The survey with a tab form "Sightings" that takes pokes, and the settings
// of both programs.
bool prepare(const QString& survey, const QString& binDir)
{
    store::SetBlankDatabaseTemplate(binDir + QStringLiteral("/BlankVelmar._sqlite"));
    if (store::OpenDB(nullptr, survey) != store::kOpenDbOk)
        return false;
    store::DbCheckUserTable(store::GetDbConnection(), QStringLiteral("UDF_Sightings"), store::kUserTableUserForm);
    bool ok = false;
    {
        store::SqlStatement form(store::GetDbConnection());
        ok = form.execDirect(
            QStringLiteral("INSERT INTO \"UDF_Sightings\" (\"Order\", \"Type\", \"Title\", \"Length\") VALUES "
                           "(1, 'INTEGER', 'Count', 0), (2, 'CHAR', 'Species', 10), (3, 'CHAR', 'Comment', 30), "
                           "(4, 'DDEENABLE', '', 0)"));
    }
    store::CloseDB();
    if (!ok)
        return false;
    store::TheProgramSettings = store::ProgramSettings();
    store::TheProgramSettings.FirstRunPending = false;
    store::TheProgramSettings.DatabasePath.setText(survey);
    store::TheProgramSettings.MinInterval = 1;
    store::TheProgramSettings.MaxInterval = 1;
    if (!store::WriteProgramSettings())
        return false;
    nmeaserver::IniFile ini(nmeaserver::settingsFilePath());
    ini.writeBool("Simulation", "Simulate", true);
    ini.writeFloat("Simulation", "Latitude", 51.5f);
    ini.writeFloat("Simulation", "Longitude", -4.5f);
    ini.writeFloat("Simulation", "Speed", 10.0f);
    ini.writeFloat("Simulation", "Heading", 45.0f);
    ini.writeFloat("Simulation", "Interval", 0.5f);
    return ini.save();
}

// The floor's commit: one row into a file of our own, durably.
class FloorCommit {
public:
    explicit FloorCommit(const QString& file)
    {
        if (sqlite3_open(file.toUtf8().constData(), &m_db) != SQLITE_OK)
            return;
        sqlite3_exec(m_db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; CREATE TABLE t (n INTEGER, s TEXT)",
                     nullptr, nullptr, nullptr);
        sqlite3_prepare_v2(m_db, "INSERT INTO t VALUES (?, 'a row of the floor commit')", -1, &m_insert, nullptr);
    }
    ~FloorCommit()
    {
        sqlite3_finalize(m_insert);
        sqlite3_close(m_db);
    }
    bool commit(int n)
    {
        sqlite3_bind_int(m_insert, 1, n);
        const bool ok = sqlite3_step(m_insert) == SQLITE_DONE;
        sqlite3_reset(m_insert);
        return ok;
    }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_insert = nullptr;
};

int storedPokes(const QString& survey, int pokes)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(survey.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return -1;
    sqlite3_stmt* st = nullptr;
    int found = -1;
    if (sqlite3_prepare_v2(db,
                           "SELECT count(DISTINCT \"Count\") FROM \"Sightings\" WHERE \"Count\" BETWEEN 1 AND ? "
                           "AND \"Species\" = 'HP'",
                           -1, &st, nullptr)
        == SQLITE_OK) {
        sqlite3_bind_int(st, 1, pokes);
        if (sqlite3_step(st) == SQLITE_ROW)
            found = sqlite3_column_int(st, 0);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return found;
}

void reportPaints(const QString& log, qint64 fromMs, qint64 toMs)
{
    QFile f(log);
    std::vector<qint64> at;
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray& line : f.readAll().split('\n'))
            if (const qint64 t = line.trimmed().toLongLong(); t >= fromMs && t <= toMs)
                at.push_back(t);
    if (at.empty()) {
        std::printf("map paints                         none seen (is the map tab shown?)\n");
        return;
    }
    const int seconds = int((toMs - fromMs) / 1000);
    std::vector<int> perSecond(std::size_t(std::max(1, seconds)), 0);
    qint64 longestGap = at.front() - fromMs, previous = at.front();
    for (qint64 t : at) {
        longestGap = std::max(longestGap, t - previous);
        previous = t;
        if (const qint64 s = (t - fromMs) / 1000; s < qint64(perSecond.size()))
            ++perSecond[std::size_t(s)];
    }
    longestGap = std::max(longestGap, toMs - previous);
    const int seconds0 = int(std::count(perSecond.begin(), perSecond.end(), 0));
    std::printf("map paints                         %.1f per second, %d seconds of %zu without one, "
                "longest gap %lld ms\n",
                double(at.size()) * 1000.0 / double(toMs - fromMs), seconds0, perSecond.size(),
                static_cast<long long>(longestGap));
}

} // namespace

int main(int argc, char** argv)
{
    // A private session bus of our own, as the tests have.
    if (qEnvironmentVariableIsEmpty(kPrivateBusMark)) {
        setenv(kPrivateBusMark, "1", 1);
        std::vector<char*> args{const_cast<char*>("dbus-run-session"), const_cast<char*>("--")};
        for (int i = 0; i < argc; ++i)
            args.push_back(argv[i]);
        args.push_back(nullptr);
        execvp("dbus-run-session", args.data());
        std::perror("dbus-run-session");
        return 2;
    }
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int seconds = args.value(1, QStringLiteral("600")).toInt();
    const int intervalMs = args.value(2, QStringLiteral("100")).toInt();
    // VELMAR_BIN_DIR runs the programs of another build (say, an older one).
    const QString binDir = qEnvironmentVariableIsEmpty("VELMAR_BIN_DIR") ? QStringLiteral(VELMAR_BUILD_BIN_DIR)
                                                                         : qEnvironmentVariable("VELMAR_BIN_DIR");

    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("VELMAR_HOME", home.path().toLocal8Bit());
    const QString survey = home.filePath(QStringLiteral("Survey.sqlite"));
    if (!prepare(survey, binDir)) {
        std::fprintf(stderr, "cannot prepare the survey and settings in %s\n", qPrintable(home.path()));
        return 1;
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VELMAR_HOME"), home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("VELMAR_NMEA_CLOCK_SET"), QStringLiteral("off"));
    env.insert(QStringLiteral("VELMAR_PROGRAM_START"), QStringLiteral("off"));
    QProcess nmea;
    nmea.setProcessEnvironment(env);
    nmea.setProcessChannelMode(QProcess::ForwardedChannels);
    nmea.start(binDir + QStringLiteral("/NMEA"), {});
    if (!nmea.waitForStarted(10000)) {
        std::fprintf(stderr, "the NMEA program did not start\n");
        return 1;
    }
    const QString paintLog = home.filePath(QStringLiteral("paints.log"));
    env.insert(QStringLiteral("VELMAR_ACCEPT_SHEETS"), QStringLiteral("1"));
    env.insert(QStringLiteral("VELMAR_NO_MODAL"), QStringLiteral("1"));
    env.insert(QStringLiteral("VELMAR_SHOW_TAB"), QStringLiteral("Map"));
    env.insert(QStringLiteral("VELMAR_PAINT_LOG"), paintLog);
    env.insert(QStringLiteral("VELMAR_MESSAGE_LOG"), home.filePath(QStringLiteral("messages.log")));
    QProcess velmar;
    velmar.setProcessEnvironment(env);
    velmar.setProcessChannelMode(QProcess::MergedChannels);
    velmar.setStandardOutputFile(home.filePath(QStringLiteral("velmar.out")));
    velmar.start(binDir + QStringLiteral("/Velmar"), {});
    if (!velmar.waitForStarted(10000)) {
        std::fprintf(stderr, "Velmar did not start\n");
        return 1;
    }
    platform::DdeClient dde(QStringLiteral("Velmar2000"));
    QElapsedTimer startup;
    startup.start();
    while (!dde.serverPresent() && startup.elapsed() < 60000 && velmar.state() == QProcess::Running)
        QThread::msleep(100);
    if (!dde.serverPresent()) {
        std::fprintf(stderr, "Velmar's service did not come up\n");
        return 1;
    }
    // The simulated ship's first fixes, so that the GPS poll is steady.
    QThread::sleep(5);

    FloorCommit floor(home.filePath(QStringLiteral("floor.sqlite")));
    std::vector<double> acks, floorBus, floorCommit, floorSum;
    int refused = 0;
    std::printf("poking the form every %d ms for %d s (survey in %s)\n", intervalMs, seconds, qPrintable(home.path()));
    std::fflush(stdout);
    const qint64 runStart = monotonicMs();
    QElapsedTimer run;
    run.start();
    int n = 0;
    while (run.elapsed() < qint64(seconds) * 1000 && velmar.state() == QProcess::Running) {
        ++n;
        const QByteArray data = QStringLiteral("%1,HP,soak poke %1").arg(n).toUtf8();
        QElapsedTimer t;
        t.start();
        const bool ok = dde.poke(QStringLiteral("UDFSERVICE"), QStringLiteral("Sightings"), data, kAnswerBoundMs);
        acks.push_back(elapsedMs(t));
        refused += ok ? 0 : 1;

        // The floor, half-way to the next poke.
        QThread::msleep(unsigned(intervalMs / 2));
        t.start();
        dde.poke(QStringLiteral("System"), QStringLiteral("Porpoise"), QByteArray(), kAnswerBoundMs);
        const double bus = elapsedMs(t);
        t.start();
        floor.commit(n);
        const double commit = elapsedMs(t);
        floorBus.push_back(bus);
        floorCommit.push_back(commit);
        floorSum.push_back(bus + commit);

        const qint64 next = qint64(n) * intervalMs;
        if (const qint64 wait = next - run.elapsed(); wait > 0)
            QThread::msleep(unsigned(wait));
        if (n % (10000 / std::max(1, intervalMs)) == 0) {
            std::printf("  %4lld s: %d pokes, slowest %.1f ms\n", static_cast<long long>(run.elapsed() / 1000), n,
                        *std::max_element(acks.begin(), acks.end()));
            std::fflush(stdout);
        }
    }
    const qint64 runEnd = monotonicMs();

    velmar.terminate();
    if (!velmar.waitForFinished(60000))
        velmar.kill();
    nmea.terminate();
    if (!nmea.waitForFinished(20000))
        nmea.kill();

    std::printf("\n");
    print("form poke acknowledged (stored)", acks);
    print("floor: no-op poke + durable commit", floorSum);
    print("  of which the no-op poke", floorBus);
    print("  of which the durable commit", floorCommit);
    reportPaints(paintLog, runStart, runEnd);
    const int acknowledged = n - refused;
    const int stored = storedPokes(survey, n);
    std::printf("pokes %d, acknowledged %d, refused %d, acknowledged and found in the survey %d\n", n, acknowledged,
                refused, stored);
    return stored == acknowledged ? 0 : 3;
}
