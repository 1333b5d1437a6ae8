// The real "Velmar -s" on a season's survey: a fix every 5 s (default
// 1,000,000 fixes) and a tenth as many hydrophone rows, all with their GPS
// reference but one, which the start-up check fills. Run offscreen and
// unattended under /usr/bin/time -v, twice: the first show adds the track's
// PCTime index, the second is every later one. Beside it, the reference: a
// plain Python sqlite3 fetch of the same fixes (fetchall, as a program that
// keeps them does), under /usr/bin/time -v too.
//   bench_show_data [fixes]      (default 1000000)
// Prints, per show: seconds to the main window, to the track loaded and
// drawn, to the end; peak RSS; bytes written into the survey.
#include "settings/ProgramSettings.h"
#include "store/DbConnection.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

using namespace velmar;

namespace {

constexpr int kSecondsBetweenFixes = 5;
constexpr int kQuitAfterMs = 300;
constexpr int kBoundMs = 600000;

bool Seed(const QString& file, int fixes)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(file.toUtf8().constData(), &db) != SQLITE_OK)
        return false;
    // As a survey logged before the index existed: without it.
    const QByteArray sql =
        QStringLiteral(
            "PRAGMA journal_mode=WAL; DROP INDEX IF EXISTS \"GpsData_PCTime\"; BEGIN; "
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
            "INSERT INTO \"GpsData\" (\"PCTime\", \"Latitude\", \"Longitude\", \"GPSTime\", \"Heading\", "
            "\"HeadingType\", \"Speed\", \"SpeedType\", \"GPSError\", \"DataStatus\", \"TrueHeading\", "
            "\"MagneticHeading\") "
            "SELECT datetime('2026-03-01 00:00:00', '+' || (i * %2) || ' seconds'), 56.0 + (i % 5000) * 0.0001, "
            "-6.0 - (i / 5000) * 0.001, 101530, 90.0, 'T', 10.0, 'N', 0, 'A', 91.0, NULL FROM n; "
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1 / 10) "
            "INSERT INTO \"Hydrophone\" (\"PCTime\", \"GPSIndex\", \"GPSTime\", \"Power\") "
            "SELECT datetime('2026-03-01 00:00:00', '+' || (i * 10 * %2) || ' seconds'), i * 10, "
            "datetime('2026-03-01 00:00:00', '+' || (i * 10 * %2) || ' seconds'), 'On' FROM n; "
            "INSERT INTO \"Hydrophone\" (\"PCTime\", \"Power\") VALUES ('2026-03-02 12:00:02', 'On'); "
            "COMMIT; PRAGMA wal_checkpoint(TRUNCATE);")
            .arg(fixes)
            .arg(kSecondsBetweenFixes)
            .toUtf8();
    const bool ok = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

struct Run {
    double window = -1, drawn = -1, total = -1;
    long long peakKb = -1;
    long long writtenBytes = -1;
    QByteArray output;
};

long long PeakKb(const QByteArray& output)
{
    const auto m = QRegularExpression(QStringLiteral("Maximum resident set size \\(kbytes\\): (\\d+)"))
                       .match(QString::fromLatin1(output));
    return m.hasMatch() ? m.captured(1).toLongLong() : -1;
}

long long FileBytes(const QString& file)
{
    return QFileInfo(file).size() + QFileInfo(file + QStringLiteral("-wal")).size();
}

// Runs the program under /usr/bin/time -v; the seconds at which its output
// first held each marker.
Run Timed(const QString& program, const QStringList& arguments, const QProcessEnvironment& env,
          const QList<QByteArray>& markers, QList<double>& at)
{
    Run run;
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer timer;
    timer.start();
    p.start(QStringLiteral("/usr/bin/time"), QStringList{QStringLiteral("-v"), program} + arguments);
    at = QList<double>(markers.size(), -1);
    while (p.state() != QProcess::NotRunning || p.bytesAvailable() > 0) {
        p.waitForReadyRead(5);
        run.output += p.readAll();
        for (qsizetype i = 0; i < markers.size(); ++i)
            if (at[i] < 0 && run.output.contains(markers[i]))
                at[i] = timer.nsecsElapsed() / 1e9;
        if (timer.elapsed() > kBoundMs) {
            p.kill();
            break;
        }
    }
    p.waitForFinished();
    run.output += p.readAll();
    run.total = timer.nsecsElapsed() / 1e9;
    run.peakKb = PeakKb(run.output);
    return run;
}

Run ShowOnce(const QString& home, const QString& survey)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VELMAR_HOME"), home);
    env.insert(QStringLiteral("VELMAR_ACCEPT_SHEETS"), QStringLiteral("1"));
    env.insert(QStringLiteral("VELMAR_NO_MODAL"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("VELMAR_QUIT_AFTER_MS"), QString::number(kQuitAfterMs));
    const long long before = FileBytes(survey);
    QList<double> at;
    Run run = Timed(QCoreApplication::applicationDirPath() + QStringLiteral("/Velmar"), {QStringLiteral("-s")}, env,
                    {QByteArray("main window shown"), QByteArray("shown data: loaded and drawn")}, at);
    run.window = at[0];
    run.drawn = at[1];
    // The survey's growth in file and log: what the show wrote into it
    // (a close checkpoints the log into the file).
    run.writtenBytes = FileBytes(survey) - before;
    return run;
}

Run PlainPython(const QString& survey)
{
    const QString script = QStringLiteral(
        "import sqlite3, sys\n"
        "db = sqlite3.connect(sys.argv[1])\n"
        "rows = db.execute('SELECT \"Index\", \"PCTime\", \"Latitude\", \"Longitude\", \"GPSTime\", \"Heading\", "
        "\"HeadingType\", \"Speed\", \"SpeedType\", \"GPSError\", \"DataStatus\", \"TrueHeading\", "
        "\"MagneticHeading\" FROM \"GpsData\" WHERE \"PCTime\" BETWEEN ? AND ? AND \"DataStatus\" = ? "
        "ORDER BY \"PCTime\"', ('2026-01-01 00:00:00', '2027-12-31 00:00:00', 'A')).fetchall()\n"
        "print('python rows', len(rows))\n");
    QList<double> at;
    return Timed(QStringLiteral("python3"), {QStringLiteral("-c"), script, survey},
                 QProcessEnvironment::systemEnvironment(), {}, at);
}

void Print(const char* legend, const Run& r)
{
    std::printf("  %-28s window %6.2f s  track drawn %6.2f s  end %6.2f s  peak RSS %7.1f MB  written %7.1f MB\n",
                legend, r.window, r.drawn, r.total, r.peakKb / 1024.0, r.writtenBytes / 1048576.0);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int fixes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000000;
    QTemporaryDir home;
    const QString survey = QDir(home.path()).filePath(QStringLiteral("Season.sqlite"));
    qputenv("VELMAR_HOME", home.path().toLocal8Bit());
    store::SetBlankDatabaseTemplate(QCoreApplication::applicationDirPath() + QStringLiteral("/BlankVelmar._sqlite"));
    if (!QFile::copy(store::BlankDatabaseTemplate(), survey) || !Seed(survey, fixes)) {
        std::fprintf(stderr, "could not make the survey from %s\n", qPrintable(store::BlankDatabaseTemplate()));
        return 1;
    }
    QFile::setPermissions(survey, QFile::ReadOwner | QFile::WriteOwner);
    store::TheProgramSettings = store::ProgramSettings();
    store::TheProgramSettings.DatabasePath.setText(survey);
    store::TheProgramSettings.FirstRunPending = 0;
    store::TheProgramSettings.StartTime = {2026, 1, 0, 1, 0, 0, 0, 0};
    store::TheProgramSettings.EndTime = {2027, 12, 0, 31, 0, 0, 0, 0};
    if (!store::WriteProgramSettings()) {
        std::fprintf(stderr, "could not write the settings\n");
        return 1;
    }

    std::printf("Velmar -s on a survey of %d fixes (%.1f MB)\n", fixes, FileBytes(survey) / 1048576.0);
    const Run first = ShowOnce(home.path(), survey);
    const Run again = ShowOnce(home.path(), survey);
    const Run python = PlainPython(survey);
    if (!again.output.contains("shown data: GPS fixes loaded: " + QByteArray::number(fixes)))
        std::fprintf(stderr, "the show did not load every fix:\n%s\n", again.output.constData());
    // What the program said, with QT_MESSAGE_PATTERN="%{time process} %{message}" for times.
    if (qEnvironmentVariableIsSet("BENCH_SHOW_OUTPUT"))
        std::printf("%s\n", again.output.constData());
    Print("first show (adds the index)", first);
    Print("later show", again);
    std::printf("  %-28s %6.2f s  peak RSS %7.1f MB\n", "plain python3 sqlite3 fetch", python.total,
                python.peakKb / 1024.0);
    std::printf("  peak RSS later show / python: %.2f\n", double(again.peakKb) / double(python.peakKb));
    return 0;
}
