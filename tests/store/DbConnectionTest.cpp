#include "StoreTestSupport.h"

#include "store/FixedSchema.h"
#include "store/SqlText.h"
#include "store/TableDefinition.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <thread>

using namespace velmar::store;
using namespace velmar::store::test;

namespace {

QStringList definedColumns(const QString& table)
{
    const TableDefinition* d = FixedTableDefinition(table);
    QStringList out;
    for (int i = 0; d && i < d->GetCount(); ++i)
        out << d->GetColumnName(i) + QLatin1Char(' ') + SqliteColumnType(d->GetColumnType(i));
    return out;
}

} // namespace

using DbConnectionTest = StoreTest;

TEST_F(DbConnectionTest, OpenCreatesTheFileWithEveryFixedTableAndItsColumnsInOrder)
{
    const QString file = path(QStringLiteral("survey.sqlite"));
    ASSERT_EQ(OpenDB(nullptr, file), kOpenDbOk);
    EXPECT_TRUE(IsDbOpen());
    EXPECT_NE(GetDbConnection(), nullptr);
    EXPECT_EQ(GetDbPath(), file);
    EXPECT_TRUE(sink.messages.empty()) << sink.texts().join(u'\n').toStdString();
    CloseDB();

    DirectDb db(file);
    const QStringList atOpen = FixedTablesAtOpen();
    ASSERT_EQ(atOpen.size(), 24);
    for (const QString& table : atOpen)
        EXPECT_EQ(db.columns(table), definedColumns(table)) << table.toStdString();
    // The templates make nothing until a user table is made from them.
    EXPECT_EQ(db.rows(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table'")), QStringList{"24"});
    EXPECT_EQ(db.rows(QStringLiteral("PRAGMA journal_mode")), QStringList{"wal"});
}

TEST_F(DbConnectionTest, ReopeningAnUnchangedDatabaseWarnsOfNothing)
{
    const QString file = path(QStringLiteral("survey.sqlite"));
    ASSERT_EQ(OpenDB(nullptr, file), kOpenDbOk);
    ASSERT_EQ(OpenDB(nullptr, file), kOpenDbOk); // closes and checks again
    CloseDB();
    ASSERT_EQ(OpenDB(nullptr, file), kOpenDbOk);
    EXPECT_TRUE(sink.messages.empty()) << sink.texts().join(u'\n').toStdString();
}

TEST_F(DbConnectionTest, AnOlderDatabaseIsCompletedAndKeepsItsRows)
{
    const QString file = path(QStringLiteral("old.sqlite"));
    {
        DirectDb old(file, true);
        // Comments lacks its Recording column and has a short Comment; GpsData
        // was made by another tool with Index as a plain LONG and Speed as a
        // SHORT; Hydrophone is missing altogether.
        ASSERT_TRUE(old.exec(QStringLiteral(
            "CREATE TABLE \"Comments\" (\"Index\" INTEGER PRIMARY KEY, \"PCTime\" TIMESTAMP, \"GpsIndex\" INTEGER, "
            "\"GPSTime\" TIMESTAMP, \"Comment\" VARCHAR(50));"
            "INSERT INTO \"Comments\" VALUES (7, '2026-01-02 03:04:05', 3, '2026-01-02 03:04:00', 'kept');"
            "CREATE TABLE \"GpsData\" (\"Index\" INTEGER, \"PCTime\" TIMESTAMP, \"Latitude\" REAL, \"Longitude\" REAL,"
            " \"GPSTime\" INTEGER, \"Heading\" REAL, \"HeadingType\" VARCHAR(2), \"Speed\" SMALLINT,"
            " \"SpeedType\" VARCHAR(2), \"GPSError\" SMALLINT, \"DataStatus\" VARCHAR(3), \"TrueHeading\" REAL,"
            " \"MagneticHeading\" REAL);"
            "INSERT INTO \"GpsData\" (\"Index\", \"Latitude\") VALUES (41, 55.5);")));
    }
    ASSERT_EQ(OpenDB(nullptr, file), kOpenDbOk);
    CloseDB();

    const QStringList expectedMessages{
        QStringLiteral("Error: Column Speed (SHORT) in table GpsData is not SINGLE !"),
        QStringLiteral("Error: Character data field in Column Comment in table Comments needs to be increased to "
                       "length 100 from length 50 !"),
    };
    EXPECT_EQ(sink.texts(), expectedMessages);
    DirectDb db(file);
    EXPECT_EQ(db.columns(QStringLiteral("Hydrophone")), definedColumns(QStringLiteral("Hydrophone")));
    EXPECT_EQ(db.columns(QStringLiteral("Comments")).last(), QStringLiteral("Recording VARCHAR(50)"));
    // Warnings never change a column.
    EXPECT_EQ(db.columns(QStringLiteral("Comments")).at(4), QStringLiteral("Comment VARCHAR(50)"));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT * FROM \"Comments\"")),
              QStringList{"7|2026-01-02 03:04:05|3|2026-01-02 03:04:00|kept|NULL"});
    EXPECT_EQ(db.rows(QStringLiteral("SELECT \"Index\", \"Latitude\" FROM \"GpsData\"")), QStringList{"41|55.5"});
}

TEST_F(DbConnectionTest, IndexColumnsNumberInsertedRows)
{
    const QString file = path(QStringLiteral("survey.sqlite"));
    ASSERT_EQ(OpenDB(nullptr, file), kOpenDbOk);
    CloseDB();
    DirectDb db(file);
    ASSERT_TRUE(db.exec(QStringLiteral("INSERT INTO \"Comments\" (\"Comment\") VALUES ('a');"
                                       "INSERT INTO \"Comments\" (\"Comment\") VALUES ('b');")));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT \"Index\", \"Comment\" FROM \"Comments\" ORDER BY 1")),
              (QStringList{"1|a", "2|b"}));
}

TEST_F(DbConnectionTest, EmptyPathReturnsSixAndLeavesNothingOpen)
{
    ASSERT_EQ(OpenDB(nullptr, path(QStringLiteral("a.sqlite"))), kOpenDbOk);
    EXPECT_EQ(OpenDB(nullptr, QString()), kOpenDbEmptyPath);
    EXPECT_FALSE(IsDbOpen());
    EXPECT_EQ(GetDbConnection(), nullptr);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(DbConnectionTest, MissingTemplateFailsWithoutMessageOrFile)
{
    SetBlankDatabaseTemplate(path(QStringLiteral("nowhere/BlankVelmar._sqlite")));
    const QString file = path(QStringLiteral("new.sqlite"));
    EXPECT_EQ(OpenDB(nullptr, file), kOpenDbFailed);
    EXPECT_FALSE(IsDbOpen());
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(DbConnectionTest, UnopenableFileWarnsAndLeavesNothingOpen)
{
    const QString file = path(QStringLiteral("not-a-database.sqlite"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    }
    EXPECT_EQ(OpenDB(nullptr, file), kOpenDbFailed);
    EXPECT_FALSE(IsDbOpen());
    // A path that would cut the connection string is refused the same way.
    EXPECT_EQ(OpenDB(nullptr, path(QStringLiteral("a;Database=b.sqlite"))), kOpenDbFailed);
    EXPECT_FALSE(IsDbOpen());
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("b.sqlite"))));
    const QString warning = QStringLiteral("Warning: You have not opened a database file");
    EXPECT_EQ(sink.texts(), (QStringList{warning, warning}));
}

TEST_F(DbConnectionTest, CloseTwiceIsHarmlessAndCompacts)
{
    const QString file = path(QStringLiteral("survey.sqlite"));
    ASSERT_EQ(OpenDB(nullptr, file), kOpenDbOk);
    {
        SqlStatement st(GetDbConnection());
        ASSERT_TRUE(st.execDirect(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                           "INSERT INTO \"Comments\" (\"Comment\") SELECT printf('%0100d', i) FROM n")));
        SqlStatement del(GetDbConnection());
        ASSERT_TRUE(del.execDirect(QStringLiteral("DELETE FROM \"Comments\"")));
    }
    CloseDB();
    CloseDB();
    EXPECT_FALSE(IsDbOpen());
    DirectDb db(file);
    // Without compaction the deleted rows' pages would sit on the free list.
    EXPECT_EQ(db.rows(QStringLiteral("PRAGMA freelist_count")), QStringList{"0"});
    EXPECT_LT(QFileInfo(file).size(), 200 * 1024);
}

TEST_F(DbConnectionTest, CloseLeavesTheFileWhenNothingWasWrittenOrLittleLiesFree)
{
    const QString file = path(QStringLiteral("survey.sqlite"));
    ASSERT_EQ(OpenDB(nullptr, file), kOpenDbOk);
    CloseDB();
    {
        // Another program left a third of the file free.
        DirectDb db(file);
        ASSERT_TRUE(db.ok());
        db.rows(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                               "INSERT INTO \"Comments\" (\"Comment\") SELECT printf('%0100d', i) FROM n"));
        db.rows(QStringLiteral("DELETE FROM \"Comments\" WHERE \"Index\" <= 2000"));
        db.rows(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    }
    const auto freePages = [&] {
        return DirectDb(file).rows(QStringLiteral("PRAGMA freelist_count")).value(0).toInt();
    };
    const int leftFree = freePages();
    ASSERT_GT(leftFree, 40);

    // Only reading.
    ASSERT_EQ(OpenDB(nullptr, file), kOpenDbOk);
    {
        SqlStatement st(GetDbConnection());
        ASSERT_TRUE(st.execDirect(QStringLiteral("SELECT count(*) FROM \"Comments\"")));
    }
    CloseDB();
    EXPECT_EQ(freePages(), leftFree);

    // Writing, and freeing enough: compacted.
    ASSERT_EQ(OpenDB(nullptr, file), kOpenDbOk);
    {
        SqlStatement st(GetDbConnection());
        ASSERT_TRUE(st.execDirect(QStringLiteral("DELETE FROM \"Comments\" WHERE \"Index\" <= 2100")));
    }
    CloseDB();
    EXPECT_EQ(freePages(), 0);

    // Writing, with a few pages free in a big file: left as it is.
    {
        DirectDb db(file);
        db.rows(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                               "INSERT INTO \"Comments\" (\"Comment\") SELECT printf('%0100d', i) FROM n"));
        db.rows(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    }
    ASSERT_EQ(OpenDB(nullptr, file), kOpenDbOk);
    {
        SqlStatement st(GetDbConnection());
        ASSERT_TRUE(
            st.execDirect(QStringLiteral("DELETE FROM \"Comments\" WHERE \"Index\" > 2100 AND \"Index\" <= 2400")));
    }
    CloseDB();
    EXPECT_GT(freePages(), 0);
}

// Commits only append to the log: a connection of the checkpointer's own
// copies it back into the file while the survey is open (the file grows
// without a checkpoint inside any commit), and it is closed first, so that
// the survey's last close still removes the log.
TEST_F(DbConnectionTest, TheLogIsCopiedBackApartFromTheCommitsAndRemovedAtClose)
{
    const QString file = path(QStringLiteral("survey.sqlite"));
    SetDbCheckpointInterval(200);
    const int opened = OpenDB(nullptr, file);
    SetDbCheckpointInterval(0);
    ASSERT_EQ(opened, kOpenDbOk);
    ASSERT_TRUE(DbLogCheckpointedApart());
    {
        SqlStatement st(GetDbConnection());
        ASSERT_TRUE(st.execDirect(QStringLiteral("PRAGMA wal_autocheckpoint")));
        ASSERT_TRUE(sqlSucceeded(SQLFetch(st.handle())));
        SQLBIGINT pages = -1;
        SQLLEN indicator = 0;
        ASSERT_TRUE(sqlSucceeded(SQLGetData(st.handle(), 1, SQL_C_SBIGINT, &pages, 0, &indicator)));
        EXPECT_EQ(pages, 0);
    }
    const qint64 atOpen = QFileInfo(file).size();
    constexpr qint64 kWritten = 40 * 100 * 100; // commits x rows x characters
    for (int commit = 0; commit < 40; ++commit) {
        SqlStatement st(GetDbConnection());
        ASSERT_TRUE(st.execDirect(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                                 "WHERE i < 100) INSERT INTO \"Comments\" (\"Comment\") "
                                                 "SELECT printf('%0100d', i) FROM n")));
    }
    // A few of the checkpointer's intervals.
    QElapsedTimer waited;
    waited.start();
    while (QFileInfo(file).size() < atOpen + kWritten && waited.elapsed() < 20000)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GE(QFileInfo(file).size(), atOpen + kWritten);

    CloseDB();
    EXPECT_FALSE(DbLogCheckpointedApart());
    EXPECT_FALSE(QFileInfo::exists(file + QStringLiteral("-wal")));
    EXPECT_EQ(DirectDb(file).rows(QStringLiteral("SELECT count(*) FROM \"Comments\"")), QStringList{"4000"});
}

// Output files (an export, a printed PDF) are checked against the open
// survey: written over, the survey and its live log would be lost.
TEST_F(DbConnectionTest, OpenDbFilesAreTheSurveyAndSqlitesFilesBesideIt)
{
    const QString file = path(QStringLiteral("survey.sqlite"));
    EXPECT_FALSE(IsOpenDbFile(file)) << "nothing open";
    ASSERT_EQ(OpenDB(nullptr, file), kOpenDbOk);
    ASSERT_TRUE(QFile::link(file, path(QStringLiteral("link.sqlite"))));
    const struct {
        const char* legend;
        QString path;
        bool open;
    } rows[] = {
        {"the survey", file, true},
        {"its write-ahead log", file + QStringLiteral("-wal"), true},
        {"its shared memory", file + QStringLiteral("-shm"), true},
        {"its rollback journal, absent", file + QStringLiteral("-journal"), true},
        {"spelt with a dot folder", path(QStringLiteral("./survey.sqlite")), true},
        {"a link to it", path(QStringLiteral("link.sqlite")), true},
        {"another name in the folder", path(QStringLiteral("survey.sqlite.txt")), false},
        {"a namesake elsewhere", QStringLiteral("/tmp/survey.sqlite"), false},
        {"empty", QString(), false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(IsOpenDbFile(row.path), row.open) << row.legend;
    CloseDB();
    EXPECT_FALSE(IsOpenDbFile(file)) << "closed";
}

TEST(FixDatabaseExtension, KeepsOrMendsTheExtension)
{
    struct Row {
        const char* legend;
        const char* in;
        bool add;
        bool result;
        const char* out;
    };
    const Row rows[] = {
        {"wanted kept", "/data/survey.sqlite", true, true, "/data/survey.sqlite"},
        {"other kept", "/data/survey.db", false, true, "/data/survey.db"},
        {"none appended", "/data/survey", true, true, "/data/survey.sqlite"},
        {"none refused", "/data/survey", false, false, "/data/survey"},
        {"wrong replaced", "/data/survey.mdb", true, true, "/data/survey.sqlite"},
        {"wrong refused", "/data/survey.accdb", false, false, "/data/survey.accdb"},
        {"any case kept", "/data/Survey.SQLITE", true, true, "/data/Survey.SQLITE"},
        {"other in any case kept", "/data/survey.DB", false, true, "/data/survey.DB"},
        {"dot in folder only", "/data/2026.v1/survey", true, true, "/data/2026.v1/survey.sqlite"},
        {"dot in Windows folder", "C:\\data.v1\\survey", true, true, "C:\\data.v1\\survey.sqlite"},
        {"last dot counts", "/data/a.sqlite.bak", true, true, "/data/a.sqlite.sqlite"},
        {"hidden file", "/data/.sqlite", true, true, "/data/.sqlite"},
        {"empty", "", true, false, ""},
    };
    for (const Row& r : rows) {
        QString p = QString::fromUtf8(r.in);
        EXPECT_EQ(FixDatabaseExtension(nullptr, p, r.add), r.result) << r.legend;
        EXPECT_EQ(p, QString::fromUtf8(r.out)) << r.legend;
    }
}

TEST(DriverLookup, FollowsTheInstalledDrivers)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Row {
        const char* legend;
        const char* odbcinst;
        QStringList expected;
    };
    const Row rows[] = {
        {"no driver", "", {"driver=", "fix=0:/tmp/folder.v2/survey", "open=1"}},
        {"SQLite 2 only",
         "[SQLite]\nDescription=SQLite ODBC Driver\nDriver=libsqliteodbc.so\n",
         {"driver=", "fix=0:/tmp/folder.v2/survey", "open=1"}},
        {"SQLite3",
         "[SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=libsqlite3odbc.so\n",
         {"driver=SQLite3", "fix=1:/tmp/folder.v2/survey.sqlite", "open=0"}},
    };
    int n = 0;
    for (const Row& r : rows) {
        const QString folder = dir.filePath(QString::number(++n));
        QDir().mkpath(folder);
        QFile ini(folder + QStringLiteral("/odbcinst.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(r.odbcinst);
        ini.close();
        QProcess probe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ODBCSYSINI"), folder);
        probe.setProcessEnvironment(env);
        probe.start(QStringLiteral(STORE_DRIVER_PROBE), {folder + QStringLiteral("/survey.sqlite"), blankTemplate()});
        ASSERT_TRUE(probe.waitForFinished(30000)) << r.legend;
        const QString out = QString::fromUtf8(probe.readAllStandardOutput());
        EXPECT_EQ(out.split(u'\n', Qt::SkipEmptyParts), r.expected) << r.legend;
    }
}
