// Static map objects read from a survey database made by the test.
#include "map/StaticObjects.h"

#include "settings/ProgramSettings.h"
#include "tests/store/StoreTestSupport.h"

using namespace velmar::map;
using velmar::store::TheProgramSettings;
using velmar::store::test::OpenDbTest;

namespace {

class StaticObjectsTest : public OpenDbTest {
protected:
    void SetUp() override
    {
        OpenDbTest::SetUp();
        savedMask = TheProgramSettings.PlotStatics;
        const char* statements[] = {
            "CREATE TABLE \"Harbours\" (Latitude REAL, Longitude REAL, \"Text\" VARCHAR(20), "
            "HTextAlign VARCHAR(20), VTextAlign VARCHAR(20), Hide BIT)",
            "INSERT INTO \"Harbours\" VALUES (50.5, -1.5, 'Port A  ', 'Right', 'Centre', 0),"
            " (50.6, -1.4, 'Hidden', 'L', 'T', 1), (50.7, -1.25, '', NULL, NULL, NULL)",
            "CREATE TABLE \"SurveyBlocks\" (\"Order\" INTEGER, Latitude REAL, Longitude REAL, LineStart BIT)",
            "INSERT INTO \"SurveyBlocks\" VALUES (4, 51.0, -2.0, 1), (1, 50.0, -1.0, 1), (2, 50.0, -1.5, 0),"
            " (5, 51.0, -2.5, 0), (3, 50.5, -1.5, 0)",
            "INSERT INTO StaticObjects (\"Order\", Name, TableName, Type, Symbol, Size, LineColour, FillColour, "
            "DrawFirst) VALUES"
            " (0, 'Harbours', '', 'points', 'Circle', 8, 'Red', 'Blue', 0),"
            " (1, 'Blocks', 'SurveyBlocks', 'LINES', '', 0, 'Green', '', 1),"
            " (2, 'Notes', 'Notes', 'Text', '', 0, 'Black', '', 0),"
            " (3, 'Gone', 'Missing', 'POINTS', 'Square', 4, 'Black', '', 0),"
            " (4, '', '', 'POINTS', '', 0, '', '', 0)",
        };
        for (const char* s : statements)
            ASSERT_TRUE(exec(QString::fromLatin1(s))) << s;
    }
    void TearDown() override
    {
        TheProgramSettings.PlotStatics = savedMask;
        OpenDbTest::TearDown();
    }
    int32_t savedMask = 0;
};

TEST_F(StaticObjectsTest, GroupsAndTheirItems)
{
    TheProgramSettings.PlotStatics = 5;
    ASSERT_EQ(DbReadStaticObjects(nullptr), 4);
    const std::vector<StaticPointsGroup>& groups = StaticGroups();

    // An empty TableName reads the table named by the Name; "points" in lower case.
    const StaticPointsGroup& harbours = groups[0];
    EXPECT_EQ(harbours.name, "Harbours");
    EXPECT_EQ(harbours.type, StaticPoints);
    EXPECT_EQ(harbours.lineColour, 0xff);
    EXPECT_EQ(harbours.fillColour, 0xff0000);
    EXPECT_EQ(harbours.size, 8);
    EXPECT_FALSE(harbours.drawFirst);
    // The hidden row is not read; a row without a Hide value is.
    ASSERT_EQ(harbours.items.size(), 2u);
    EXPECT_FLOAT_EQ(harbours.items[0].latitude, 50.5f);
    EXPECT_EQ(harbours.items[0].text, "Port A");
    EXPECT_EQ(harbours.items[0].hAlign, 2);
    EXPECT_EQ(harbours.items[0].vAlign, 6);
    EXPECT_EQ(harbours.items[0].code, harbours.symbol);
    EXPECT_EQ(harbours.items[1].hAlign, -1);
    EXPECT_TRUE(harbours.items[1].text.isEmpty());

    // LineStart 1, 0, 0, 1, 0 in "Order": two polylines.
    const StaticPointsGroup& blocks = groups[1];
    EXPECT_EQ(blocks.type, StaticLines);
    EXPECT_TRUE(blocks.drawFirst);
    EXPECT_LT(blocks.fillColour, 0);
    std::vector<int> codes;
    for (const StaticItem& item : blocks.items)
        codes.push_back(item.code);
    EXPECT_EQ(codes, (std::vector<int>{StaticLineStart, StaticLineContinue, StaticLineContinue, StaticLineStart,
                                       StaticLineContinue}));
    EXPECT_FLOAT_EQ(blocks.items[2].longitude, -1.5f);

    // Another type, or a missing table: in the list, without items.
    EXPECT_EQ(groups[2].type, StaticOther);
    EXPECT_TRUE(groups[2].items.empty());
    EXPECT_EQ(groups[3].name, "Gone");
    EXPECT_TRUE(groups[3].items.empty());

    // PlotStatics 5: the first and third groups start shown.
    EXPECT_TRUE(groups[0].shown);
    EXPECT_FALSE(groups[1].shown);
    EXPECT_TRUE(groups[2].shown);
    EXPECT_FALSE(groups[3].shown);

    EXPECT_EQ(sink.texts(),
              (QStringList{"Static Line Table does not exist: Missing", "Error: No Static Object Table Name"}));
}

TEST_F(StaticObjectsTest, ToggleKeepsTheSettingsBit)
{
    TheProgramSettings.PlotStatics = 5;
    ASSERT_EQ(DbReadStaticObjects(nullptr), 4);
    EXPECT_TRUE(ToggleStaticGroup(StaticMenuFirstId + 1));
    EXPECT_TRUE(StaticGroups()[1].shown);
    EXPECT_EQ(TheProgramSettings.PlotStatics, 7);
    EXPECT_TRUE(ToggleStaticGroup(StaticMenuFirstId));
    EXPECT_EQ(TheProgramSettings.PlotStatics, 6);
    EXPECT_FALSE(ToggleStaticGroup(StaticMenuFirstId + 4));
    EXPECT_FALSE(ToggleStaticGroup(StaticMenuFirstId - 1));
}

TEST_F(StaticObjectsTest, UnreadableListIsShownAndMakesNoGroups)
{
    ASSERT_TRUE(exec(QStringLiteral("DROP TABLE StaticObjects")));
    EXPECT_EQ(DbReadStaticObjects(nullptr), 0);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption, "Error Reading StaticObjects Table");
    EXPECT_TRUE(sink.messages[0].text.startsWith("SELECT Name, TableName"));
}

TEST(StaticObjectsNoDbTest, NoDatabaseNoGroups)
{
    velmar::store::CloseDB();
    EXPECT_EQ(DbReadStaticObjects(nullptr), 0);
    EXPECT_TRUE(StaticGroups().empty());
}

} // namespace
