// The data-set list read from a survey database's GpsDataSets table.
#include "nav/GpsDataSets.h"

#include "tests/store/StoreTestSupport.h"

using namespace velmar::nav;
using velmar::store::test::OpenDbTest;

namespace {

class DataSetsTest : public OpenDbTest {
protected:
    void SetUp() override
    {
        OpenDbTest::SetUp();
        ForgetGpsDataSets();
    }
    void TearDown() override
    {
        ForgetGpsDataSets();
        OpenDbTest::TearDown();
    }
};

TEST_F(DataSetsTest, MainTableFirstThenTheShownRowsInOrder)
{
    ASSERT_TRUE(exec(QStringLiteral(
        "INSERT INTO GpsDataSets (\"Order\", TableName, Show, LineColour, EffortTable, EffortControl) VALUES "
        "(2, 'Tender  ', 'Y', 'Red', 'TenderEffort', 'Status'),"
        "(1, 'Survey2', 'Y', 'RGB(1,2,3)', '', ''),"
        "(0, 'Hidden', 'N', 'Blue', '', '')")));
    int count = 0;
    const std::vector<GpsDataSet>& sets = DbReadGpsDataSets(&count);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(sets[0].tableName, QStringLiteral("GpsData"));
    EXPECT_EQ(sets[0].lineColour, 192 | (192 << 8) | (192 << 16));
    EXPECT_EQ(sets[1].tableName, QStringLiteral("Survey2"));
    EXPECT_EQ(sets[1].lineColour, 1 | (2 << 8) | (3 << 16));
    EXPECT_EQ(sets[2].tableName, QStringLiteral("Tender"));
    EXPECT_EQ(sets[2].effortTable, QStringLiteral("TenderEffort"));
    EXPECT_EQ(sets[2].effortControl, QStringLiteral("Status"));
    EXPECT_EQ(sets[2].lineColour, 255);

    EXPECT_EQ(FindGpsDataSet(QStringLiteral("tender  ")), 2);
    EXPECT_EQ(FindGpsDataSet(QStringLiteral("GPSDATA")), 0);
    EXPECT_EQ(FindGpsDataSet(QStringLiteral("Hidden")), -1);

    // Read once per run: later rows are not seen.
    ASSERT_TRUE(exec(QStringLiteral("INSERT INTO GpsDataSets (\"Order\", TableName, Show) VALUES (3, 'Late', 'Y')")));
    DbReadGpsDataSets(&count);
    EXPECT_EQ(count, 3);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(DataSetsTest, ReadErrorShowsTheStatementAndKeepsTheMainTable)
{
    ASSERT_TRUE(exec(QStringLiteral("DROP TABLE GpsDataSets")));
    int count = 0;
    DbReadGpsDataSets(&count);
    EXPECT_EQ(count, 1);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("Error Reading GpsDataSets Table"));
    EXPECT_TRUE(sink.messages[0].text.startsWith(QStringLiteral("SELECT TableName")));
}

TEST_F(DataSetsTest, AskedBeforeTheDatabaseOpensItIsReadLater)
{
    ASSERT_TRUE(exec(QStringLiteral("INSERT INTO GpsDataSets (\"Order\", TableName, Show) VALUES (1, 'Other', 'Y')")));
    velmar::store::CloseDB();
    int count = 0;
    DbReadGpsDataSets(&count);
    EXPECT_EQ(count, 1);
    ASSERT_EQ(velmar::store::OpenDB(nullptr, file), velmar::store::kOpenDbOk);
    DbReadGpsDataSets(&count);
    EXPECT_EQ(count, 2);
}

} // namespace
