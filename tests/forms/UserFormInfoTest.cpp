// Form descriptions read from definition tables of a real survey database:
// which tables are forms, the rows and form options read, look-up lists,
// hot keys, counters and the write-backs of definition rows.
#include "FormsTestSupport.h"

#include "forms/ControlKeywords.h"
#include "forms/UserFormInfo.h"
#include "store/FixedSchema.h"
#include "settings/ProgramSettings.h"

#include <gtest/gtest.h>

namespace velmar::forms::test {
namespace {

using store::test::DirectDb;

TEST(UserFormTables, ReservedNamesAreNeverForms)
{
    struct Case {
        const char* name;
        bool form;
    } cases[] = {
        {"UDF_Sightings", true}, {"udf_Sightings", true},    {"Udf_x", true},
        {"UDF_", true},          {"UDF_ThingsHeard", false}, {"udf_thingsheard", false},
        {"Lookup", false},       {"template", false},        {"DUMMY", false},
        {"ThingsHeard", false},  {"UDB_Panel", false},       {"Sightings", false},
        {"UD", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsUserFormTable(QString::fromLatin1(c.name)), c.form) << c.name;
}

TEST_F(FormsTest, ModeExclusionKeywordsHideFormsInTheirModes)
{
    ASSERT_TRUE(
        execSql(QStringLiteral("INSERT INTO \"UDF_Sightings\" (\"Order\", \"Type\") VALUES (90, 'NOTSHOWDATA ')")));
    struct Case {
        quint32 mode;
        bool sightings;
        bool effort;
    } cases[] = {
        {platform::RunModeOnline, true, false},
        {platform::RunModeShowData, false, true},
        {platform::RunModeOffline, true, true},
        {platform::RunModeAlterSettings, true, true},
    };
    for (const Case& c : cases) {
        platform::RunMode = c.mode;
        EXPECT_EQ(UserFormShownInMode(QStringLiteral("UDF_Sightings")), c.sightings) << c.mode;
        EXPECT_EQ(UserFormShownInMode(QStringLiteral("UDF_Effort")), c.effort) << c.mode;
    }
    // A keyword in the wrong case is no keyword and hides nothing.
    ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDF_Effort\" (\"Order\", \"Type\") VALUES (91, 'notoffline')")));
    platform::RunMode = platform::RunModeOffline;
    EXPECT_TRUE(UserFormShownInMode(QStringLiteral("UDF_Effort")));
    EXPECT_TRUE(sink.messages.empty());

    store::CloseDB();
    EXPECT_FALSE(UserFormShownInMode(QStringLiteral("UDF_Effort")));
}

TEST_F(FormsTest, DefinitionRowsAndFormOptionsAreRead)
{
    store::TheProgramSettings.DisplayLogFont.lfFaceName.setText(QStringLiteral("Default Face"));
    TUserFormInfo form(QStringLiteral("UDF_Sightings"), 3);
    EXPECT_TRUE(sink.messages.empty()) << sink.texts().join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(UserFormList().size(), 1u);
    EXPECT_EQ(UserFormList().front(), &form);

    EXPECT_EQ(form.FormName, QStringLiteral("Sightings"));
    EXPECT_EQ(form.DataTable, QStringLiteral("Sightings"));
    EXPECT_EQ(form.TabIndex, 3);
    EXPECT_EQ(form.FormKind, kTabForm);
    ASSERT_EQ(form.Rows().size(), 15u);

    const auto& rows = form.Rows();
    EXPECT_EQ(rows[0]->typeCode, CT_TIMESTAMP);
    EXPECT_EQ(rows[0]->DbTitle, QStringLiteral("SightTime"));
    EXPECT_EQ(rows[0]->AutoUpdate, 1);
    EXPECT_EQ(rows[0]->ForceGps, 0) << "a positive AutoUpdate clears ForceGps";
    EXPECT_EQ(rows[1]->DbTitle, QStringLiteral("Species")) << "an empty DbTitle takes the Title";
    EXPECT_EQ(rows[2]->Required, 1);
    EXPECT_FLOAT_EQ(rows[2]->MaxValue, 500.0f);
    EXPECT_EQ(rows[2]->newLineCount, 1) << "the NEWLINE row counts on the row before it";
    EXPECT_EQ(rows[5]->typeCode, CT_CHAR) << "trailing blanks of Type are ignored";
    EXPECT_EQ(rows[5]->AutoUpdate, 0) << "AutoUpdate only for self-filling types";
    EXPECT_EQ(rows[5]->colourValue, platform::MakeColour(225, 128, 0));
    EXPECT_EQ(rows[5]->Topic, QStringLiteral("Comment")) << "an empty Topic takes the Title";
    EXPECT_EQ(rows[6]->DbTitle, QStringLiteral("HasCalves")) << "DbTitle is trimmed";
    EXPECT_EQ(rows[12]->typeCode, CT_NONE) << "lower-case font is no keyword";

    const CONTROLTYPEINFO* hotKey = form.FindRowByType(CT_HOTKEY);
    ASSERT_NE(hotKey, nullptr);
    EXPECT_TRUE(hotKey->DbTitle.isEmpty());
    EXPECT_TRUE(hotKey->Topic.isEmpty());
    EXPECT_EQ(form.HotKeyId, 'S');
    EXPECT_EQ(form.HotKeyText, QStringLiteral("s"));
    EXPECT_TRUE(hotKeys.taken.count('S'));

    EXPECT_EQ(form.BearingControl, QStringLiteral("Bearing"));
    EXPECT_EQ(form.BearingReference, BEARING_TRUE);
    EXPECT_EQ(form.RangeSource, RANGE_FIXED);
    EXPECT_EQ(form.RangeUnits, UNITS_METRES);
    EXPECT_FLOAT_EQ(form.FixedRange, 0.5f);
    EXPECT_EQ(form.BackgroundColour, platform::MakeColour(200, 220, 240));
    EXPECT_EQ(form.Symbol, (platform::SymbolDesc{6, platform::SymbolDiamond, 0, 0}));

    EXPECT_EQ(form.Font.lfFaceName.text(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(form.Font.lfHeight, -16) << "12 points at 96 pixels per inch";
    EXPECT_EQ(form.Font.lfWeight, 700);
    EXPECT_EQ(form.Font.lfItalic, 1);

    // The value rows in order, each with its data-table column.
    QStringList valueColumns;
    for (const CONTROLTYPEINFO* row : form.ValueRows())
        valueColumns << row->DbTitle;
    EXPECT_EQ(valueColumns.join(QLatin1Char(',')),
              QStringLiteral("SightTime,Species,Count,Bearing,Comment,HasCalves,Sighting No"));
}

TEST_F(FormsTest, LookupListHoldsSelectableRowsAfterTheAllItem)
{
    ASSERT_TRUE(
        execSql(QStringLiteral("INSERT INTO \"Lookup\" (\"Topic\", \"Code\", \"Text\", \"Selectable\", \"Order\") "
                               "VALUES ('Species', 'hp', 'Duplicate porpoise', 'y', 9)")));
    TUserFormInfo form(QStringLiteral("UDF_Sightings"), -1);
    const CONTROLTYPEINFO* lookup = form.FindRowByType(CT_LOOKUP);
    ASSERT_NE(lookup, nullptr);
    ASSERT_EQ(lookup->lookup.size(), 5u);
    EXPECT_TRUE(lookup->lookup[0].code.isEmpty());
    EXPECT_EQ(lookup->lookup[1].code, QStringLiteral("HP"));
    EXPECT_EQ(lookup->lookup[1].colour, platform::MakeColour(255, 0, 0));
    EXPECT_EQ(lookup->lookup[1].symbol, platform::SymbolCircle);
    EXPECT_EQ(lookup->lookup[2].code, QStringLiteral("BND")) << "Selectable compares without regard to case";
    EXPECT_EQ(lookup->lookup[2].symbol, platform::SymbolStar);
    EXPECT_EQ(lookup->lookup[3].code, QStringLiteral("MW"));
    EXPECT_EQ(lookup->lookup[3].colour, lookup->colourValue) << "no colour: the row's";
    EXPECT_EQ(lookup->lookup[3].symbol, form.Symbol.symbol) << "no symbol: the form's";
    EXPECT_EQ(lookup->lookup[4].text, QStringLiteral("Duplicate porpoise"));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("Lookup Table Error in Form Sightings"));
    EXPECT_EQ(sink.messages[0].text, QStringLiteral("Lookup code \"hp\" already exists in list \"Species\"\n\n"
                                                    "HP - Harbour porpoise\nhp - Duplicate porpoise"));
}

TEST_F(FormsTest, HotKeyTakenByAnotherFormIsReportedAndDropped)
{
    ASSERT_TRUE(execSql(QStringLiteral("UPDATE \"UDF_Effort\" SET \"Title\" = 'S' WHERE \"Type\" = 'HOTKEY'")));
    platform::RunMode = platform::RunModeOffline;
    TUserFormInfo sightings(QStringLiteral("UDF_Sightings"), 0);
    TUserFormInfo effort(QStringLiteral("UDF_Effort"), 1);
    EXPECT_EQ(sightings.HotKeyId, 'S');
    EXPECT_EQ(effort.HotKeyId, 0);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, QStringLiteral("UDF_Effort_S"));
    EXPECT_EQ(sink.messages[0].caption,
              QStringLiteral("Invalid Hot Key Number. It is possibly already in use by another form"));
    EXPECT_EQ(UserFormList().size(), 2u);
}

TEST_F(FormsTest, PopupKeywordOnlyOnline)
{
    ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDF_Effort\" (\"Order\", \"Type\", \"ForceGps\", \"Plot\") "
                                       "VALUES (9, 'POPUP', 1, 0)")));
    platform::RunMode = platform::RunModeOffline;
    {
        TUserFormInfo effort(QStringLiteral("UDF_Effort"), 2);
        EXPECT_EQ(effort.FormKind, kTabForm);
        EXPECT_EQ(effort.TabIndex, 2);
    }
    platform::RunMode = platform::RunModeOnline;
    TUserFormInfo effort(QStringLiteral("UDF_Effort"), 2);
    EXPECT_EQ(effort.FormKind, kPopupForm);
    EXPECT_EQ(effort.OpenInBackground, 1);
    EXPECT_EQ(effort.ForceGps, 1);
    EXPECT_EQ(effort.TabIndex, -1) << "a pop-up form has no tab";
    EXPECT_EQ(effort.DataTable, QStringLiteral("EffortLog"));
    EXPECT_EQ(effort.HotKeyId, 120) << "F9";
}

TEST_F(FormsTest, UnreadableDefinitionTableGivesAFormWithoutRows)
{
    TUserFormInfo form(QStringLiteral("UDF_Missing"), 0);
    EXPECT_TRUE(form.Rows().empty());
    ASSERT_FALSE(sink.messages.empty());
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("Error in Form Definition Table"));
    EXPECT_TRUE(store::DbTableExists(store::GetDbConnection(), QStringLiteral("Missing")))
        << "the form still gets its data table";
}

TEST_F(FormsTest, CounterStartValuesDoNotSkipANumberAtRestart)
{
    ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDF_Effort\" (\"Order\", \"Type\", \"Title\", \"Default\") "
                                       "VALUES (10, 'COUNTER', 'Leg', '-3')")));
    ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDF_Effort\" (\"Order\", \"Type\", \"Title\", \"Default\") "
                                       "VALUES (12, 'COUNTER', 'Tape', ' 12b')")));
    ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDF_Effort\" (\"Order\", \"Type\", \"Title\") "
                                       "VALUES (11, 'COUNTER', 'Watch')")));
    platform::RunMode = platform::RunModeOffline;
    {
        TUserFormInfo effort(QStringLiteral("UDF_Effort"), 0);
        ASSERT_TRUE(
            execSql(QStringLiteral("INSERT INTO \"EffortLog\" (\"GpsIndex\", \"Watch\") VALUES (0, '17'), (0, '9')")));
    }
    TUserFormInfo sightings(QStringLiteral("UDF_Sightings"), 0);
    TUserFormInfo effort(QStringLiteral("UDF_Effort"), 1);
    // Default holds the next number to give; the first window's set-up adds one.
    EXPECT_EQ(sightings.FindRowByTitle(QStringLiteral("Sighting No"))->counterValue + 1, 5);
    EXPECT_EQ(effort.FindRowByTitle(QStringLiteral("Leg"))->counterValue, 0) << "a negative Default counts as 0";
    EXPECT_EQ(effort.FindRowByTitle(QStringLiteral("Watch"))->counterValue, 17) << "the largest stored so far";
    EXPECT_EQ(effort.FindRowByTitle(QStringLiteral("Tape"))->counterValue + 1, 12) << "the number Default begins with";

    // Show-data mode and settings mode set no counters.
    platform::RunMode = platform::RunModeShowData;
    TUserFormInfo shown(QStringLiteral("UDF_Effort"), 2);
    EXPECT_EQ(shown.FindRowByTitle(QStringLiteral("Watch"))->counterValue, 0);
}

TEST_F(FormsTest, WriteBacksUpdateTheRowOrInsertWithTheLowestFreeOrder)
{
    TUserFormInfo form(QStringLiteral("UDF_Effort"), 0);
    CONTROLTYPEINFO* observer = form.FindRowByTitle(QStringLiteral("Observer"));
    ASSERT_NE(observer, nullptr);
    observer->Default = QStringLiteral("Ann O'Hara; deck");
    observer->SetLengths();
    EXPECT_TRUE(form.WriteDefinitionRow(*observer));

    store::LogFont font;
    font.lfHeight = -16;
    font.lfWeight = 400;
    font.lfFaceName.setText(QStringLiteral("Liberation Serif"));
    EXPECT_TRUE(form.StoreFont(font));
    EXPECT_TRUE(form.StoreFormColour(platform::MakeColour(1, 20, 255)));
    EXPECT_TRUE(sink.messages.empty()) << sink.texts().join(QLatin1Char('\n')).toStdString();

    DirectDb db(dbFile);
    ASSERT_TRUE(db.ok());
    EXPECT_EQ(db.rows(QStringLiteral("SELECT \"Default\", \"ADC Channel\" IS NULL, \"Length\" FROM \"UDF_Effort\" "
                                     "WHERE \"Order\" = 1")),
              QStringList{QStringLiteral("Ann O'Hara; deck|1|12")})
        << "a NULL column stays NULL";
    EXPECT_EQ(db.rows(QStringLiteral("SELECT \"Order\", \"Type\", \"Title\", \"Length\", \"Height\", \"Plot\" FROM "
                                     "\"UDF_Effort\" WHERE \"Order\" > 5 ORDER BY \"Order\"")),
              (QStringList{QStringLiteral("6|FONT|Liberation Serif|12|400|0"),
                           QStringLiteral("7|FORMCOLOUR|NULL|NULL|NULL|0")}));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT \"Colour\" FROM \"UDF_Effort\" WHERE \"Order\" = 7")),
              QStringList{QStringLiteral("RGB(001,020,255)")});

    // The second choice of font updates the same row.
    font.lfFaceName.setText(QStringLiteral("Other"));
    EXPECT_TRUE(form.StoreFont(font));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT COUNT(*) FROM \"UDF_Effort\" WHERE \"Type\" = 'FONT'")),
              QStringList{QStringLiteral("1")});

    // A refused write is reported, not dropped.
    ASSERT_TRUE(execSql(QStringLiteral("DROP TABLE \"UDF_Effort\"")));
    observer->Default = QStringLiteral("lost");
    EXPECT_FALSE(form.WriteDefinitionRow(*observer));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, QStringLiteral("Can't update UDF table with new info"));
}

// Rows of a definition table may share an Order (nothing but a primary key
// forbids it): a write-back changes its own row and no other, found by its
// rowid; a table without rowids is written by its Order key.
TEST_F(FormsTest, AWriteBackChangesItsOwnRowOnly)
{
    const QString columns = QStringLiteral(
        "\"Type\" VARCHAR(50), \"Title\" VARCHAR(50), \"PostTitle\" VARCHAR(50), \"DbTitle\" VARCHAR(50), "
        "\"Default\" VARCHAR(50), \"Length\" SMALLINT, \"Height\" SMALLINT, \"Topic\" VARCHAR(50), \"MinValue\" REAL, "
        "\"MaxValue\" REAL, \"NMEA String\" VARCHAR(50), \"NMEA Position\" SMALLINT, \"ADC Channel\" SMALLINT, "
        "\"ADC Gain\" SMALLINT, \"Analog Multiply\" REAL, \"Analog Add\" REAL, \"Required\" BIT, \"ReadOnly\" BIT, "
        "\"AutoUpdate\" SMALLINT, \"AutoClear\" BIT, \"ForceGps\" BIT, \"Plot\" BIT, \"Hint\" VARCHAR(100), "
        "\"Colour\" VARCHAR(20), \"Send Control Name\" VARCHAR(50), \"Control on Subform\" VARCHAR(50), "
        "\"Get Control Data\" VARCHAR(50)");
    ASSERT_TRUE(execSql(QStringLiteral("CREATE TABLE \"UDF_Pairs\" (\"Order\" SMALLINT, %1)").arg(columns)));
    ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDF_Pairs\" (\"Order\", \"Type\", \"Title\", \"Default\") VALUES "
                                       "(1, 'CHAR', 'Observer', 'Ann'), (2, 'COUNTER', 'Tally', '4'), "
                                       "(2, 'CHAR', 'Note', 'keep'), (3, 'CHAR', 'Ship', 'Oriel')")));
    ASSERT_TRUE(execSql(
        QStringLiteral("CREATE TABLE \"UDF_Keyed\" (\"Order\" SMALLINT PRIMARY KEY, %1) WITHOUT ROWID").arg(columns)));
    ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDF_Keyed\" (\"Order\", \"Type\", \"Title\", \"Default\") VALUES "
                                       "(1, 'CHAR', 'Observer', 'Ann'), (2, 'CHAR', 'Note', 'keep')")));
    // In the order the rows were added.
    const auto defaults = [&](const char* table, const char* order) {
        return DirectDb(dbFile).rows(QStringLiteral("SELECT \"Order\", \"Title\", \"Default\" FROM \"%1\" ORDER BY %2")
                                         .arg(QLatin1String(table), QLatin1String(order)));
    };
    {
        TUserFormInfo form(QStringLiteral("UDF_Pairs"), 0);
        ASSERT_EQ(form.Rows().size(), 4u);
        const struct {
            const char* title;
            const char* value;
        } writes[] = {{"Tally", "9"}, {"Note", "changed"}, {"Tally", "10"}};
        for (const auto& w : writes) {
            CONTROLTYPEINFO* row = form.FindRowByTitle(QLatin1String(w.title));
            ASSERT_NE(row, nullptr) << w.title;
            row->Default = QLatin1String(w.value);
            row->SetLengths();
            EXPECT_TRUE(form.WriteDefinitionRow(*row)) << w.title;
        }
        // A row new to the table is added once, then updated where it went.
        EXPECT_TRUE(form.StoreFormColour(platform::MakeColour(1, 2, 3)));
        EXPECT_TRUE(form.StoreFormColour(platform::MakeColour(4, 5, 6)));
    }
    EXPECT_EQ(defaults("UDF_Pairs", "rowid"),
              (QStringList{"1|Observer|Ann", "2|Tally|10", "2|Note|changed", "3|Ship|Oriel", "4|NULL|NULL"}));
    EXPECT_EQ(DirectDb(dbFile).rows(QStringLiteral("SELECT \"Colour\" FROM \"UDF_Pairs\" WHERE \"Order\" = 4")),
              QStringList{QStringLiteral("RGB(004,005,006)")});

    {
        TUserFormInfo form(QStringLiteral("UDF_Keyed"), 0);
        ASSERT_EQ(form.Rows().size(), 2u);
        CONTROLTYPEINFO* note = form.FindRowByTitle(QStringLiteral("Note"));
        note->Default = QStringLiteral("changed");
        note->SetLengths();
        EXPECT_TRUE(form.WriteDefinitionRow(*note));
    }
    EXPECT_EQ(defaults("UDF_Keyed", "\"Order\""), (QStringList{"1|Observer|Ann", "2|Note|changed"}));
    EXPECT_TRUE(sink.messages.empty()) << sink.texts().join(QLatin1Char('\n')).toStdString();
}

} // namespace
} // namespace velmar::forms::test
