// Two processes on a private session bus: a client pokes values into a form
// of a stand-in Velmar ("Velmar2000", topic "UDFSERVICE") and the form stores
// them; oversized and malformed pokes are refused or cut and the program
// keeps serving. Also the README's gdbus command.
#include "FormsTestSupport.h"

#include "forms/UserFormDdeInput.h"
#include "platform/Dde.h"

#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace velmar::forms::test {
namespace {

using store::test::DirectDb;

constexpr int kBoundMs = 10000;

class FormPokeBusTest : public FormsTest {
protected:
    void SetUp() override { Start({}); }
    // The stand-in Velmar with extra arguments (--real-windows).
    void Start(const QStringList& extra)
    {
        FormsTest::SetUp();
        const QString script = QString::fromLocal8Bit(qgetenv("VELMAR_SOURCE_DIR"))
                             + QStringLiteral("/tests/data/forms/form_list.sql");
        ASSERT_TRUE(execSql(QStringLiteral("DROP TABLE \"UDF_Sightings\"")));
        ASSERT_TRUE(execSql(QStringLiteral("DELETE FROM \"Lookup\"")));
        QString failed;
        ASSERT_TRUE(applyScript(script, &failed)) << failed.toStdString();
        store::CloseDB();
        server.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/form_poke_server"));
        server.setArguments(QStringList{dbFile} + extra);
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server.start();
        ASSERT_EQ(nextLine(), QStringLiteral("ready"));
    }
    void TearDown() override
    {
        if (server.state() != QProcess::NotRunning) {
            server.kill();
            server.waitForFinished(kBoundMs);
        }
        FormsTest::TearDown();
    }
    QString nextLine()
    {
        // Whether a line came is read from the process below.
        (void)QTest::qWaitFor([this] { return server.canReadLine() || server.state() == QProcess::NotRunning; },
                              kBoundMs);
        return server.canReadLine() ? QString::fromUtf8(server.readLine()).trimmed() : QString();
    }
    bool poke(const QString& item, const QByteArray& data)
    {
        return client.poke(QLatin1String(kUserFormDdeTopic), item, data, kBoundMs);
    }
    QStringList sightings() const
    {
        return DirectDb(dbFile).rows(QStringLiteral(
            "SELECT \"Count\", \"Species\", \"Comment\", \"Range\" FROM \"Sightings\" ORDER BY \"Index\""));
    }

    QProcess server;
    platform::DdeClient client{QLatin1String(kUserFormDdeService)};
};

TEST_F(FormPokeBusTest, PokedValuesReachTheFormAndAreStored)
{
    ASSERT_TRUE(client.connectTopic(QStringLiteral("UDFSERVICE"), kBoundMs));
    ASSERT_TRUE(poke(QStringLiteral("Sightings"), "12, HP,,3.5"));
    EXPECT_EQ(nextLine(), QStringLiteral("stored 0"));
    EXPECT_EQ(sightings(), QStringList{"12|HP|NULL|3.5"});

    // A form that does not take pokes, a form that does not exist.
    EXPECT_FALSE(poke(QStringLiteral("Incident"), "note"));
    EXPECT_FALSE(poke(QStringLiteral("Nothing"), "1"));

    // Oversized data is refused whole; an over-long field is cut to its
    // control (9 characters and the terminator); bytes after a zero byte are
    // not read.
    EXPECT_FALSE(poke(QStringLiteral("Sightings"), QByteArray(kMaxUserFormPokeBytes + 1, ',')));
    ASSERT_TRUE(poke(QStringLiteral("sightings"), QByteArray("3,MW,") + QByteArray(1000, 'y')));
    EXPECT_EQ(nextLine(), QStringLiteral("stored 0"));
    ASSERT_TRUE(poke(QStringLiteral("SIGHTINGS"), QByteArray("4\0,zz,junk", 10)));
    EXPECT_EQ(nextLine(), QStringLiteral("stored 0"));
    // A word where a number belongs: the form refuses the record, the sender
    // is told so, and the program runs on.
    EXPECT_FALSE(poke(QStringLiteral("Sightings"), "many,HP"));
    EXPECT_EQ(nextLine(), QStringLiteral("stored 4"));

    EXPECT_EQ(sightings(),
              (QStringList{"12|HP|NULL|3.5", "3|MW|" + QString(9, QLatin1Char('y')) + "|NULL", "4|NULL|NULL|NULL"}));
    EXPECT_EQ(server.state(), QProcess::Running);
}

TEST_F(FormPokeBusTest, TheReadmeGdbusCommandReachesAForm)
{
    const QString gdbus = QStandardPaths::findExecutable(QStringLiteral("gdbus"));
    if (gdbus.isEmpty())
        GTEST_SKIP() << "gdbus is not installed";
    QProcess call;
    call.start(gdbus, {"call", "--session", "--dest", "org.velmar.dde.Velmar2000", "--object-path", "/", "--method",
                       "org.velmar.Dde.Poke", "UDFSERVICE", "Sightings", "b'7,HP,by gdbus'"});
    ASSERT_TRUE(call.waitForFinished(kBoundMs));
    EXPECT_EQ(QString::fromUtf8(call.readAllStandardOutput()).trimmed(), QStringLiteral("(true,)"))
        << call.readAllStandardError().toStdString();
    EXPECT_EQ(nextLine(), QStringLiteral("stored 0"));
    EXPECT_EQ(sightings(), QStringList{"7|HP|by gdbus|NULL"});
}

// The program's own form windows behind the bus.
class RealFormPokeTest : public FormPokeBusTest {
protected:
    void SetUp() override { Start({QStringLiteral("--real-windows")}); }
};

// Several programs poke at once: every poke answered true is stored once,
// whole, and each sender's pokes are stored in the order it sent them.
TEST_F(RealFormPokeTest, ParallelPokesFromSeveralProcessesAreEachStoredOnceInOrder)
{
    const QString gdbus = QStandardPaths::findExecutable(QStringLiteral("gdbus"));
    if (gdbus.isEmpty())
        GTEST_SKIP() << "gdbus is not installed";
    constexpr int kSenders = 5;
    constexpr int kPokesEach = 6;
    std::vector<std::unique_ptr<QProcess>> senders;
    for (int sender = 0; sender < kSenders; ++sender) {
        // Each sender pokes count = 100 * sender + n, its comment naming it.
        QString script;
        for (int n = 1; n <= kPokesEach; ++n)
            script += QStringLiteral("'%1' call --session --dest org.velmar.dde.Velmar2000 --object-path / "
                                     "--method org.velmar.Dde.Poke UDFSERVICE Sightings \"b'%2,HP,sender %3'\";")
                          .arg(gdbus)
                          .arg(100 * sender + n)
                          .arg(sender);
        auto p = std::make_unique<QProcess>();
        p->start(QStringLiteral("sh"), {QStringLiteral("-c"), script});
        senders.push_back(std::move(p));
    }
    for (auto& p : senders) {
        ASSERT_TRUE(p->waitForFinished(60000));
        const QStringList answers = QString::fromUtf8(p->readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        EXPECT_EQ(answers, QStringList(kPokesEach, QStringLiteral("(true,)")))
            << p->readAllStandardError().toStdString();
    }
    const QStringList rows = sightings();
    ASSERT_EQ(rows.size(), kSenders * kPokesEach) << rows.join(u'\n').toStdString();
    std::map<int, int> lastOfSender;
    QSet<QString> seen;
    for (const QString& row : rows) {
        const QStringList cells = row.split(u'|');
        ASSERT_EQ(cells.size(), 4) << row.toStdString();
        const int count = cells[0].toInt();
        const int sender = count / 100;
        EXPECT_FALSE(seen.contains(cells[0])) << "stored twice: " << row.toStdString();
        seen.insert(cells[0]);
        EXPECT_EQ(cells[1], QStringLiteral("HP")) << row.toStdString();
        EXPECT_EQ(cells[2], QStringLiteral("sender %1").arg(sender)) << "mixed: " << row.toStdString();
        EXPECT_GT(count, lastOfSender[sender]) << "out of order: " << row.toStdString();
        lastOfSender[sender] = count;
    }
}

// A refused poke leaves nothing behind for the next one to store.
TEST_F(RealFormPokeTest, ARefusedPokeLeavesTheFormAsItWas)
{
    ASSERT_TRUE(client.connectTopic(QStringLiteral("UDFSERVICE"), kBoundMs));
    EXPECT_FALSE(poke(QStringLiteral("Sightings"), "many,MW,refused"));
    EXPECT_TRUE(sightings().isEmpty());
    // Empty fields leave their controls alone: they must be empty now.
    EXPECT_TRUE(poke(QStringLiteral("Sightings"), "5,,,"));
    EXPECT_EQ(sightings(), QStringList{"5|NULL|NULL|NULL"});
    EXPECT_EQ(server.state(), QProcess::Running);
}

} // namespace
} // namespace velmar::forms::test
