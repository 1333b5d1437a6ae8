// The user forms' second connection to the survey database: which settings
// open it, that it works beside the main one, and what each failure says.
#include "FormsTestSupport.h"

#include "forms/UserFormDb.h"
#include "settings/ProgramSettings.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace velmar::forms::test {
namespace {

class UserFormDbTest : public FormsTest {
protected:
    void SetUp() override
    {
        FormsTest::SetUp();
        saved = store::TheProgramSettings;
        store::TheProgramSettings.DatabasePath.setText(dbFile);
    }
    void TearDown() override
    {
        store::TheProgramSettings = saved;
        FormsTest::TearDown();
    }
    store::ProgramSettings saved;
};

TEST_F(UserFormDbTest, OpensTheSettingsDatabaseBesideTheMainConnection)
{
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    ASSERT_TRUE(OpenUserFormDb(nullptr, &env, &dbc));
    {
        // It sees what the main connection stored, while that one stays open.
        ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDC_TopControls\" (\"Order\", \"Table\") VALUES (1, 'x')")));
        store::SqlStatement read(dbc);
        ASSERT_TRUE(read.execDirect(QStringLiteral("SELECT \"Table\" FROM \"UDC_TopControls\"")));
        ASSERT_TRUE(store::sqlSucceeded(SQLFetch(read.handle())));
    }
    CloseUserFormDb(env, dbc);
    EXPECT_TRUE(sink.messages.empty());

    EXPECT_TRUE(UserFormDbTableExists(QStringLiteral("udf_sightings")));
    EXPECT_TRUE(UserFormDbTableExists(QStringLiteral("UDC_TopControls")));
    EXPECT_FALSE(UserFormDbTableExists(QStringLiteral("UDF_Nothing")));
    EXPECT_TRUE(execSql(QStringLiteral("DELETE FROM \"UDC_TopControls\"")));
}

TEST_F(UserFormDbTest, EachFailureSaysWhatWentWrongAndOpensNothing)
{
    const QString notADatabase = path(QStringLiteral("notes.sqlite"));
    QFile f(notADatabase);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    struct Case {
        const char* legend;
        QString path;
        QStringList captions;
    };
    const Case cases[] = {
        {"no database chosen", QString(), {}},
        {"file gone", path(QStringLiteral("gone.sqlite")), {QStringLiteral("Can't find Tables database")}},
        {"not a database", notADatabase, {QStringLiteral("Warning")}},
        {"a path the driver would cut", path(QStringLiteral("a;b.sqlite")), {QStringLiteral("Warning")}},
    };
    QFile::copy(dbFile, path(QStringLiteral("a;b.sqlite")));
    for (const Case& c : cases) {
        sink.messages.clear();
        store::TheProgramSettings.DatabasePath.setText(c.path);
        SQLHENV env = SQL_NULL_HENV;
        SQLHDBC dbc = SQL_NULL_HDBC;
        EXPECT_FALSE(OpenUserFormDb(nullptr, &env, &dbc)) << c.legend;
        EXPECT_EQ(dbc, nullptr) << c.legend;
        EXPECT_EQ(captions(), c.captions) << c.legend;
        EXPECT_FALSE(UserFormDbTableExists(QStringLiteral("UDF_Sightings"))) << c.legend;
    }
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("gone.sqlite"))));
}

} // namespace
} // namespace velmar::forms::test
