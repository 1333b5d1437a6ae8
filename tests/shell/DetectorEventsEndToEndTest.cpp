// Detector records poked into the running Velmar, offscreen on a private bus,
// as any D-Bus client sends them (gdbus): a record the program refuses (too
// short, a time no clock can show) is answered false, leaves no row in the
// survey (read with the sqlite3 program) and is told to the operator in a
// message naming the item; a good one is answered true only once its row is
// committed: an outside reader sees it the moment the answer comes, and it
// outlives the program killed right after; one that cannot be stored (another
// program holds the survey's write lock) is answered false and logged.
#include "ScriptedVelmar.h"

#include "nav/DetectorRecords.h"
#include "settings/ProgramSettings.h"
#include "store/DbConnection.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace velmar;
using store::TheProgramSettings;

constexpr int WaitMs = 60000;

// A gdbus "ay" argument of these bytes.
QString byteArgument(const QByteArray& bytes)
{
    QStringList parts;
    for (char c : bytes)
        parts << QString::asprintf("byte 0x%02x", unsigned(uint8_t(c)));
    return QLatin1Char('[') + parts.join(QStringLiteral(", ")) + QLatin1Char(']');
}

class DetectorEventsInVelmar : public ::testing::Test {
protected:
    void SetUp() override
    {
        gdbus = QStandardPaths::findExecutable(QStringLiteral("gdbus"));
        sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
        if (gdbus.isEmpty() || sqlite3.isEmpty())
            GTEST_SKIP() << "gdbus or sqlite3 is not installed";
        ASSERT_TRUE(home.isValid());
        qputenv("VELMAR_HOME", home.path().toLocal8Bit());
        store::SetBlankDatabaseTemplate(qEnvironmentVariable("VELMAR_BIN_DIR")
                                        + QStringLiteral("/BlankVelmar._sqlite"));
        ASSERT_EQ(store::OpenDB(nullptr, survey()), store::kOpenDbOk);
        store::CloseDB();
        TheProgramSettings = store::ProgramSettings();
        TheProgramSettings.FirstRunPending = false;
        TheProgramSettings.DatabasePath.setText(survey());
        ASSERT_TRUE(store::WriteProgramSettings());

        QProcessEnvironment env = shell::test::ScriptedVelmarEnvironment(home.path());
        env.insert(QStringLiteral("VELMAR_MESSAGE_LOG"), messageLog());
        velmar.setProcessEnvironment(env);
        velmar.setProcessChannelMode(QProcess::MergedChannels);
        velmar.start(shell::test::VelmarProgramPath(), {});
        ASSERT_TRUE(velmar.waitForStarted(10000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return serviceUp() || velmar.state() == QProcess::NotRunning; }, WaitMs))
            << velmar.readAll().toStdString();
        ASSERT_TRUE(serviceUp()) << velmar.readAll().toStdString();
    }
    void TearDown() override
    {
        if (velmar.state() != QProcess::NotRunning) {
            velmar.terminate();
            if (!velmar.waitForFinished(30000)) {
                velmar.kill();
                velmar.waitForFinished(10000);
            }
        }
    }
    bool serviceUp()
    {
        QProcess ping;
        ping.start(gdbus, {"call", "--session", "--dest", "org.velmar.dde.Velmar2000", "--object-path", "/", "--method",
                           "org.velmar.Dde.Connect", "EventsService"});
        return ping.waitForFinished(10000) && ping.exitCode() == 0;
    }
    // What gdbus prints for the poke ("(true,)", "(false,)").
    QString poke(const QString& item, const QByteArray& bytes)
    {
        QProcess call;
        call.start(gdbus, {"call", "--session", "--dest", "org.velmar.dde.Velmar2000", "--object-path", "/", "--method",
                           "org.velmar.Dde.Poke", "EventsService", item, byteArgument(bytes)});
        if (!call.waitForFinished(30000))
            return QStringLiteral("no answer");
        return QString::fromUtf8(call.readAllStandardOutput()).trimmed()
             + QString::fromUtf8(call.readAllStandardError()).trimmed();
    }
    QString seismicRows() const { return sqlite(QStringLiteral("SELECT Detector FROM Seismics ORDER BY \"Index\"")); }
    QString sqlite(const QString& query) const
    {
        QProcess cli;
        cli.start(sqlite3, {survey(), query});
        if (!cli.waitForFinished(10000) || cli.exitCode() != 0)
            return QStringLiteral("sqlite3 failed: ") + QString::fromUtf8(cli.readAllStandardError());
        return QString::fromUtf8(cli.readAllStandardOutput()).trimmed();
    }
    QString shownMessages() const
    {
        QFile shown(messageLog());
        return shown.open(QIODevice::ReadOnly) ? QString::fromUtf8(shown.readAll()) : QString();
    }
    QString survey() const { return home.filePath(QStringLiteral("Survey.sqlite")); }
    QString messageLog() const { return home.filePath(QStringLiteral("messages.log")); }

    QString gdbus, sqlite3;
    QTemporaryDir home;
    QProcess velmar;
};

nav::NewSeismicRecord seismic(const QString& detector)
{
    nav::NewSeismicRecord r;
    r.detector = detector;
    r.pcTime = {2025, 3, 3, 5, 14, 9, 26, 250};
    r.channel = 1;
    r.amplitude1 = 140.5f;
    r.amplitude2 = 133.25f;
    return r;
}

TEST_F(DetectorEventsInVelmar, ARefusedRecordIsAnsweredFalseStoresNothingAndIsToldByItem)
{
    const QByteArray whole = seismic(QStringLiteral("Short")).encode();
    QByteArray impossible = seismic(QStringLiteral("Month13")).encode();
    impossible[20 + 2] = 13; // the month of the record's time

    struct Case {
        const char* legend;
        QByteArray bytes;
        QString shown; // what the operator's message says besides the item
    };
    const Case cases[] = {
        {"one byte short", whole.left(whole.size() - 1), QStringLiteral("of 45 bytes, needs 46")},
        {"month 13", impossible, QStringLiteral("impossible time")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.legend);
        EXPECT_EQ(poke(QStringLiteral("NewSeismic"), c.bytes), QStringLiteral("(false,)"));
        // The box comes once the poke is answered.
        EXPECT_TRUE(QTest::qWaitFor([&] { return shownMessages().contains(c.shown); }, WaitMs))
            << shownMessages().toStdString();
    }
    const QStringList lines = shownMessages().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << shownMessages().toStdString();
    for (const QString& line : lines)
        EXPECT_TRUE(line.contains(QStringLiteral("Invalid Seismic data"))
                    && line.contains(QStringLiteral("\"NewSeismic\"")))
            << line.toStdString();

    // A good record after them is taken, and it is the only row.
    EXPECT_EQ(poke(QStringLiteral("NewSeismic"), seismic(QStringLiteral("Airgun")).encode()),
              QStringLiteral("(true,)"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !seismicRows().isEmpty(); }, WaitMs));
    EXPECT_EQ(seismicRows(), QStringLiteral("Airgun"));
    EXPECT_EQ(velmar.state(), QProcess::Running);
}

TEST_F(DetectorEventsInVelmar, AnAcknowledgedRecordIsInTheSurveyAtOnceAndSurvivesAKill)
{
    constexpr int Records = 25;
    QStringList acknowledged;
    for (int i = 0; i < Records; ++i) {
        const QString detector = QStringLiteral("Gun%1").arg(i);
        ASSERT_EQ(poke(QStringLiteral("NewSeismic"), seismic(detector).encode()), QStringLiteral("(true,)"));
        acknowledged << detector;
        // Read by another program at once, with no wait for the program to
        // catch up: the answer is the promise that the row is there.
        EXPECT_EQ(seismicRows(), acknowledged.join(QLatin1Char('\n'))) << "after the answer to " << i;
    }

    // Killed right after the last answer, with no chance to close the survey:
    // every acknowledged row is in the file SQLite recovers.
    velmar.kill();
    ASSERT_TRUE(velmar.waitForFinished(30000));
    EXPECT_EQ(sqlite(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    EXPECT_EQ(seismicRows(), acknowledged.join(QLatin1Char('\n')));
}

TEST_F(DetectorEventsInVelmar, ARecordThatCannotBeStoredIsAnsweredFalseAndLogged)
{
    // Another program holds the survey's write lock past the program's busy
    // wait: the insert cannot commit.
    QProcess locker;
    locker.start(sqlite3, {survey()});
    ASSERT_TRUE(locker.waitForStarted(10000));
    locker.write("BEGIN IMMEDIATE;\nSELECT 'locked';\n");
    QByteArray said;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            said += locker.readAllStandardOutput();
            return said.contains("locked");
        },
        WaitMs))
        << locker.readAllStandardError().toStdString();

    EXPECT_EQ(poke(QStringLiteral("NewSeismic"), seismic(QStringLiteral("Blocked")).encode()),
              QStringLiteral("(false,)"));
    EXPECT_EQ(seismicRows(), QString());
    QByteArray log;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            log += velmar.readAll();
            return log.contains("could not store");
        },
        WaitMs))
        << log.toStdString();

    // With the lock gone the next record is taken, and is the only row.
    locker.write("ROLLBACK;\n");
    locker.closeWriteChannel();
    ASSERT_TRUE(locker.waitForFinished(10000));
    EXPECT_EQ(poke(QStringLiteral("NewSeismic"), seismic(QStringLiteral("Free")).encode()), QStringLiteral("(true,)"));
    EXPECT_EQ(seismicRows(), QStringLiteral("Free"));
    EXPECT_EQ(velmar.state(), QProcess::Running);
}

} // namespace
