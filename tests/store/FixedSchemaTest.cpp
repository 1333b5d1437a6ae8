#include "StoreTestSupport.h"

#include "store/FixedSchema.h"
#include "store/SqlText.h"
#include "store/TableDefinition.h"

#include <sqlext.h>

using namespace velmar::store;
using namespace velmar::store::test;

namespace {

using FixedSchemaTest = OpenDbTest;

} // namespace

TEST_F(FixedSchemaTest, UserTablesAreMadeFromTheirTemplates)
{
    SQLHDBC c = GetDbConnection();
    EXPECT_TRUE(DbCheckUserTable(c, QStringLiteral("UDB_Sightings Panel"), kUserTableButtonData));
    EXPECT_FALSE(DbCheckUserTable(c, QStringLiteral("Nothing"), 8));
    EXPECT_FALSE(DbTableExists(c, QStringLiteral("Nothing")));
    DbCreateUserTable(kCmdNewUserFormTable, QStringLiteral("Sightings"));
    DbCreateUserTable(kCmdNewButtonFormTable, QStringLiteral("Buttons"));
    DbCreateUserTable(kCmdNewStaticPointsTable, QStringLiteral("Ports"));
    DbCreateUserTable(kCmdNewStaticLinesTable, QStringLiteral("Coast"));
    EXPECT_TRUE(sink.messages.empty()) << sink.texts().join(u'\n').toStdString();

    // Table names match without regard to case, as the survey designer types them.
    EXPECT_TRUE(DbTableExists(c, QStringLiteral("udf_sightings")));
    for (const char* t : {"UDB_Sightings Panel", "UDF_Sightings", "UDB_Buttons", "Ports", "Coast"})
        EXPECT_TRUE(DbTableExists(c, QString::fromLatin1(t))) << t;
    // "_" is no wild card.
    EXPECT_FALSE(DbTableExists(c, QStringLiteral("UDFxSightings")));

    DbCreateUserTable(kCmdNewUserFormTable, QStringLiteral("Sightings"));
    DbCreateUserTable(kCmdNewStaticLinesTable, QStringLiteral("Coast"));
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("Table Already Exists"));
    EXPECT_EQ(sink.messages[0].text, QStringLiteral("Sightings"));
    EXPECT_EQ(sink.messages[1].caption, QStringLiteral("Error creating table UDF_StaticLines"));
    EXPECT_TRUE(sink.messages[1].text.startsWith(QStringLiteral("CREATE TABLE \"Coast\" ( ")));

    CloseDB();
    DirectDb db(file);
    EXPECT_EQ(db.columns(QStringLiteral("UDB_Sightings Panel")),
              (QStringList{"Index INTEGER", "GpsIndex INTEGER", "GPSTime TIMESTAMP", "DateTime TIMESTAMP",
                           "Code VARCHAR(5)", "External BIT", "RecordingIndex INTEGER"}));
    EXPECT_EQ(db.columns(QStringLiteral("Coast")),
              (QStringList{"Order INTEGER", "Latitude REAL", "Longitude REAL", "LineStart BIT"}));
}

TEST_F(FixedSchemaTest, UserTableCheckAddsMissingColumnsOnly)
{
    ASSERT_TRUE(exec(QStringLiteral("CREATE TABLE \"Ports\" (\"Latitude\" VARCHAR(3), \"Text\" VARCHAR(20))")));
    ASSERT_TRUE(exec(QStringLiteral("INSERT INTO \"Ports\" VALUES ('N', 'Oban')")));
    EXPECT_TRUE(DbCheckUserTable(GetDbConnection(), QStringLiteral("Ports"), kUserTableStaticPoints));
    EXPECT_TRUE(sink.messages.empty());
    CloseDB();
    DirectDb db(file);
    EXPECT_EQ(db.columns(QStringLiteral("Ports")),
              (QStringList{"Latitude VARCHAR(3)", "Text VARCHAR(20)", "Longitude REAL", "HTextAlign VARCHAR(20)",
                           "VTextAlign VARCHAR(20)", "Hide BIT"}));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT * FROM \"Ports\"")), QStringList{"N|Oban|NULL|NULL|NULL|NULL"});
}

TEST_F(FixedSchemaTest, ColumnFactsAndAddedColumns)
{
    SQLHDBC c = GetDbConnection();
    QString typeName;
    int type = 0;
    int size = 0;
    EXPECT_EQ(DbGetColumnInfo(c, QStringLiteral("Whistles"), QStringLiteral("max frequency"), &typeName, &type, &size),
              10);
    EXPECT_EQ(type, SQL_INTEGER);
    EXPECT_EQ(DbGetColumnInfo(c, QStringLiteral("Comments"), QStringLiteral("PCTime"), nullptr, &type, nullptr), 2);
    EXPECT_EQ(type, SQL_TIMESTAMP);
    EXPECT_EQ(
        DbGetColumnInfo(c, QStringLiteral("UDC_TapeRecorders"), QStringLiteral("DeviceName"), &typeName, &type, &size),
        26);
    EXPECT_EQ(SqlTypeDefinitionText(type, size), QStringLiteral("CHAR(255)"));
    EXPECT_EQ(DbGetColumnInfo(c, QStringLiteral("Comments"), QStringLiteral("Nope"), nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(DbGetColumnInfo(c, QStringLiteral("NoTable"), QStringLiteral("Index"), nullptr, nullptr, nullptr), -1);

    EXPECT_TRUE(
        DbAddColumn(c, QStringLiteral("Comments"), QStringLiteral("Observer Name"), QStringLiteral("CHAR"), 30));
    EXPECT_EQ(DbGetColumnInfo(c, QStringLiteral("Comments"), QStringLiteral("Observer Name"), nullptr, &type, &size),
              7);
    EXPECT_EQ(SqlTypeDefinitionText(type, size), QStringLiteral("CHAR(30)"));
    EXPECT_TRUE(DbAddUserColumn(QStringLiteral("Comments"), QStringLiteral("Group Size"), SQL_SMALLINT, 5));
    EXPECT_EQ(DbGetUserColumnInfo(QStringLiteral("Comments"), QStringLiteral("Group Size"), &type, &size), 8);
    EXPECT_EQ(type, SQL_SMALLINT);
    EXPECT_TRUE(sink.messages.empty());

    EXPECT_FALSE(DbAddColumn(c, QStringLiteral("Comments"), QStringLiteral("Comment"), QStringLiteral("LONG"), 0));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("Error creating column Comment"));
    EXPECT_EQ(sink.messages[0].text, QStringLiteral("ALTER TABLE \"Comments\" ADD COLUMN \"Comment\" INTEGER"));
}

TEST_F(FixedSchemaTest, ClearColumnQuotesNamesAndCountRowsCounts)
{
    DbCreateUserTable(kCmdNewStaticPointsTable, QStringLiteral("Port Names"));
    ASSERT_TRUE(exec(QStringLiteral("INSERT INTO \"Port Names\" (\"Text\", \"Latitude\") VALUES ('Oban', 56.4), "
                                    "('Mull', 56.5)")));
    EXPECT_TRUE(DbClearColumn(GetDbConnection(), QStringLiteral("Port Names"), QStringLiteral("Text")));
    EXPECT_TRUE(sink.messages.empty());

    auto count = [](const QString& sql) {
        SqlStatement st(GetDbConnection());
        SQLSetStmtAttr(st.handle(), SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(SQL_CURSOR_STATIC), 0);
        EXPECT_TRUE(st.execDirect(sql));
        return DbCountRows(st.handle());
    };
    EXPECT_EQ(count(QStringLiteral("SELECT \"Text\" FROM \"Port Names\" WHERE \"Text\" IS NULL")), 2);
    EXPECT_EQ(count(QStringLiteral("SELECT * FROM \"Comments\"")), 0);
    CloseDB();
    DirectDb db(file);
    EXPECT_EQ(db.rows(QStringLiteral("SELECT \"Latitude\", \"Text\" FROM \"Port Names\" ORDER BY 1")),
              (QStringList{"56.4|NULL", "56.5|NULL"}));
}

TEST_F(FixedSchemaTest, ShownGpsDataSetsGetTheirTablesAtOpen)
{
    ASSERT_TRUE(exec(QStringLiteral("INSERT INTO \"GpsDataSets\" (\"Order\", \"TableName\", \"Show\") VALUES "
                                    "(2, 'Second Ship', 'Y'), (3, 'Hidden Ship', 'N')")));
    ASSERT_EQ(OpenDB(nullptr, file), kOpenDbOk);
    EXPECT_TRUE(DbTableExists(GetDbConnection(), QStringLiteral("Second Ship")));
    EXPECT_FALSE(DbTableExists(GetDbConnection(), QStringLiteral("Hidden Ship")));
    EXPECT_TRUE(sink.messages.empty());
}

TEST(FixedSchema, ComparesValuesAndTypes)
{
    struct Row {
        int type;
        const char* a;
        const char* b;
        int expected;
    };
    const Row rows[] = {
        {SQL_INTEGER, "10", "9", 1},  {SQL_CHAR, "10", "9", -1},
        {SQL_REAL, "2.5", "2.50", 0}, {SQL_TIMESTAMP, "2026-01-02 03:04:05", "2026-01-02 03:04:06", -1},
        {SQL_VARCHAR, "b", "a", 1},   {SQL_CHAR, "\xC3\xA9", "z", 1}, // unsigned bytes: e-acute sorts after ASCII
    };
    for (const Row& r : rows)
        EXPECT_EQ(DbCompareValues(r.type, QString::fromUtf8(r.a), QString::fromUtf8(r.b)), r.expected)
            << r.type << " " << r.a << " " << r.b;
    EXPECT_TRUE(DbSqlTypesMatch(SQL_CHAR, SQL_VARCHAR));
    EXPECT_TRUE(DbSqlTypesMatch(SQL_VARCHAR, SQL_CHAR));
    EXPECT_TRUE(DbSqlTypesMatch(SQL_REAL, SQL_REAL));
    EXPECT_FALSE(DbSqlTypesMatch(SQL_INTEGER, SQL_SMALLINT));
}
