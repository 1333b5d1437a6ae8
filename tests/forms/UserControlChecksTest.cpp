// The checks a user-form control makes of its value: formats with their
// codes and messages, the entry filter, look-up codes, and the Min/Max check
// with its UserFormErrors row and the repeat rule.
#include "forms/ControlKeywords.h"
#include "forms/UserControlChecks.h"
#include "settings/ProgramSettings.h"
#include "tests/store/StoreTestSupport.h"

#include <gtest/gtest.h>

namespace velmar::forms {
namespace {

CONTROLTYPEINFO rowOf(int type, const QString& title = QStringLiteral("Count"))
{
    CONTROLTYPEINFO row;
    row.typeCode = type;
    row.Type = ControlTypeName(type);
    row.Title = title;
    row.DbTitle = title;
    row.Topic = title;
    row.nullColumns.set(); // as read from a row that only names Type and Title
    row.nullColumns.reset(COL_ORDER);
    return row;
}

struct FormatCase {
    const char* legend;
    int type;
    const char* text;
    int expected;
};

class FormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatTest, GivesItsCode)
{
    const FormatCase& c = GetParam();
    const CONTROLTYPEINFO row = rowOf(c.type);
    EXPECT_EQ(ValidateValue(row, QString::fromUtf8(c.text), true), c.expected) << c.legend;
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatTest,
    ::testing::Values(FormatCase{"negative whole", CT_INTEGER, "-12", VALUE_OK},
                      FormatCase{"leading blanks", CT_INTEGER, "   7", VALUE_OK},
                      FormatCase{"minus inside", CT_INTEGER, "1-2", VALUE_NOT_INTEGER},
                      FormatCase{"doubled minus", CT_SHORT, "--1", VALUE_NOT_INTEGER},
                      FormatCase{"minus alone whole", CT_NMEAINT, "-", VALUE_NOT_INTEGER},
                      FormatCase{"point in a whole number", CT_INTEGER, "1.5", VALUE_NOT_INTEGER},
                      FormatCase{"blanks alone are no number", CT_INTEGER, "   ", VALUE_NOT_INTEGER},
                      FormatCase{"trailing blank", CT_INTEGER, "7 ", VALUE_NOT_INTEGER},
                      FormatCase{"decimal", CT_SINGLE, "-12.25", VALUE_OK},
                      FormatCase{"two points", CT_DOUBLE, "1.2.3", VALUE_NOT_DECIMAL},
                      FormatCase{"comma", CT_SINGLE, "1,5", VALUE_NOT_DECIMAL},
                      FormatCase{"minus point five", CT_NMEAFLOAT, "-.5", VALUE_OK},
                      FormatCase{"misplaced minus", CT_SINGLE, "1-2", VALUE_NOT_INTEGER},
                      FormatCase{"second minus", CT_SINGLE, "--1", VALUE_NOT_DECIMAL},
                      FormatCase{"point alone", CT_ANALOG, ".", VALUE_NOT_INTEGER},
                      FormatCase{"minus alone decimal", CT_DOUBLE, "-", VALUE_NOT_INTEGER},
                      FormatCase{"date and time", CT_TIMESTAMP, "2026-06-01 10:15:00", VALUE_OK},
                      FormatCase{"date without time", CT_TIMESTAMP, "2026-06-01 ", VALUE_OK},
                      FormatCase{"time without date", CT_TIMESTAMP, " 10:15:00", VALUE_NOT_DATETIME},
                      FormatCase{"no such day", CT_TIMESTAMP, "2027-02-29 10:00:00", VALUE_NOT_DATETIME},
                      FormatCase{"hours and minutes", CT_TIME, "23:59", VALUE_OK},
                      FormatCase{"hour 24", CT_TIME, "24:00:00", VALUE_NOT_TIME},
                      FormatCase{"text takes anything", CT_CHAR, "1,5; --", VALUE_OK}),
    [](const auto& info) {
        std::string name = info.param.legend;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST(ValidateValue, WithoutValueIsCodeOne)
{
    EXPECT_EQ(ValidateValue(rowOf(CT_INTEGER), QString(), false), VALUE_NONE);
}

TEST(ValidateValue, LookupCodesAnyCaseAndRewritten)
{
    CONTROLTYPEINFO row = rowOf(CT_LOOKUP, QStringLiteral("Species"));
    row.lookup = {LookupItem{}, LookupItem{QStringLiteral("HP"), QStringLiteral("Harbour porpoise")},
                  LookupItem{QStringLiteral("BND"), QStringLiteral("Bottlenose dolphin")}};
    QString canonical;
    EXPECT_EQ(FindLookupCode(row, QStringLiteral("bnd "), &canonical), 2);
    EXPECT_EQ(canonical, QStringLiteral("BND"));
    EXPECT_EQ(ValidateValue(row, QStringLiteral("hp"), true), VALUE_OK);
    EXPECT_EQ(ValidateValue(row, QStringLiteral("XX"), true), VALUE_NOT_LOOKUP);
    // The empty "all" item is no code.
    EXPECT_EQ(FindLookupCode(row, QStringLiteral("  "), nullptr), -1);
}

TEST(ValidationMessage, NamesValueAndField)
{
    EXPECT_EQ(ValidationMessage(VALUE_NOT_INTEGER, QStringLiteral("1-2"), QStringLiteral("Count")),
              QStringLiteral("1-2 is not a valid entry for Count\n\nInteger numbers may only contain a minius sign "
                             "'-' and the digits 0-9"));
    EXPECT_EQ(ValidationMessage(VALUE_NOT_DECIMAL, QStringLiteral("1,5"), QStringLiteral("Bearing")),
              QStringLiteral("1,5 is not a valid entry for Bearing\n\nFloating point numbers may only contain a "
                             "miinus sign '-', the digits 0-9 and the decimal point '.' \nThey cannot contain the "
                             "',' character"));
    EXPECT_TRUE(ValidationMessage(VALUE_NOT_DATETIME, QStringLiteral("x"), QStringLiteral("Time"))
                    .startsWith(QStringLiteral("x is not a valid date time entry for Time")));
    EXPECT_TRUE(ValidationMessage(VALUE_OK, QStringLiteral("x"), QStringLiteral("T")).isEmpty());
    EXPECT_EQ(RequiredMessage(QStringLiteral("Count")), QStringLiteral("The Field Count must be completed"));
}

TEST(EntryFilter, DropsARefusedLastCharacter)
{
    struct Case {
        int filter;
        const char* text;
        const char* expected; // null: the text stays
    } cases[] = {
        {FILTER_WHOLE, "12", nullptr}, {FILTER_WHOLE, "-", nullptr},    {FILTER_WHOLE, "12.", "12"},
        {FILTER_WHOLE, "1a", "1"},     {FILTER_DECIMAL, "1.", nullptr}, {FILTER_DECIMAL, "1,", "1"},
        {FILTER_NONE, "a,b", nullptr}, {FILTER_DECIMAL, "", nullptr},
    };
    for (const Case& c : cases) {
        const auto result = FilterLastCharacter(c.filter, QString::fromLatin1(c.text));
        if (c.expected == nullptr)
            EXPECT_FALSE(result.has_value()) << c.text;
        else
            EXPECT_EQ(result.value_or(QStringLiteral("<kept>")), QString::fromLatin1(c.expected)) << c.text;
    }
    EXPECT_EQ(EntryFilterOf(CT_SHORT), FILTER_WHOLE);
    EXPECT_EQ(EntryFilterOf(CT_ANALOG), FILTER_DECIMAL);
    EXPECT_EQ(EntryFilterOf(CT_NMEACHAR), FILTER_NONE);
}

TEST(DefaultHint, ByType)
{
    EXPECT_EQ(DefaultHint(CT_TIMESTAMP), QStringLiteral("Press F1 to update time and date automatically"));
    EXPECT_EQ(DefaultHint(CT_NMEAINT), QStringLiteral("Press F1 to update NMEA data"));
    EXPECT_TRUE(DefaultHint(CT_CHAR).isEmpty());
}

TEST(RangeViolation, BoundsByKindOfNumber)
{
    CONTROLTYPEINFO whole = rowOf(CT_INTEGER);
    whole.MinValue = 1.9f; // cut to 1
    whole.MaxValue = 500.7f;
    whole.nullColumns.reset(COL_MINVALUE);
    whole.nullColumns.reset(COL_MAXVALUE);
    EXPECT_EQ(RangeViolation(whole, QStringLiteral("1")), RANGE_OK);
    EXPECT_EQ(RangeViolation(whole, QStringLiteral("0")), RANGE_TOO_LOW);
    EXPECT_EQ(RangeViolation(whole, QStringLiteral("500")), RANGE_OK);
    EXPECT_EQ(RangeViolation(whole, QStringLiteral("501")), RANGE_TOO_HIGH);
    EXPECT_EQ(RangeMessage(whole, QStringLiteral("501"), RANGE_TOO_HIGH),
              QStringLiteral("Value 501 is too high for field Count\n between 1 and 500"));

    CONTROLTYPEINFO decimal = rowOf(CT_SINGLE, QStringLiteral("Bearing"));
    decimal.MinValue = 0.1f;
    decimal.nullColumns.reset(COL_MINVALUE);
    EXPECT_EQ(RangeViolation(decimal, QStringLiteral("0.1")), RANGE_OK) << "the bound itself is inside";
    EXPECT_EQ(RangeViolation(decimal, QStringLiteral("0.09")), RANGE_TOO_LOW);
    EXPECT_EQ(RangeViolation(decimal, QStringLiteral("99999")), RANGE_OK) << "no MaxValue";
    EXPECT_EQ(RangeMessage(decimal, QStringLiteral("0.09"), RANGE_TOO_LOW),
              QStringLiteral("Value 0.09 is too low for field Bearing\n greater than 0.100000"));

    CONTROLTYPEINFO nmea = rowOf(CT_NMEAINT);
    nmea.MaxValue = 1;
    nmea.nullColumns.reset(COL_MAXVALUE);
    EXPECT_EQ(RangeViolation(nmea, QStringLiteral("50")), RANGE_OK) << "NMEA values are never range-checked";
}

class RangeCheckTest : public store::test::OpenDbTest {
protected:
    void SetUp() override
    {
        OpenDbTest::SetUp();
        saved = store::TheProgramSettings;
        ForgetRangeFailure();
        row = rowOf(CT_INTEGER);
        row.MinValue = 1;
        row.MaxValue = 500;
        row.nullColumns.reset(COL_MINVALUE);
        row.nullColumns.reset(COL_MAXVALUE);
        setRangeWarning([this](QObject*, const QString& text, const QString& caption) {
            warnings << caption + QStringLiteral(": ") + text;
        });
    }
    void TearDown() override
    {
        setRangeWarning({});
        store::TheProgramSettings = saved;
        OpenDbTest::TearDown();
    }
    QStringList loggedErrors() const
    {
        return store::test::DirectDb(file).rows(
            QStringLiteral("SELECT \"Table\", \"Field\", \"Value\" FROM \"UserFormErrors\" ORDER BY \"Index\""));
    }

    store::ProgramSettings saved;
    CONTROLTYPEINFO row;
    QStringList warnings;
    int control = 0;
    int other = 0;
};

TEST_F(RangeCheckTest, FailureIsLoggedWarnedAndTheRepeatPasses)
{
    store::TheProgramSettings.FormErrorWarnings = 2;
    EXPECT_FALSE(
        CheckRange(&control, row, QStringLiteral("Sightings"), QStringLiteral("600"), true, CheckOrigin::Operator));
    EXPECT_EQ(warnings,
              QStringList{QStringLiteral("Sightings: Value 600 is too high for field Count\n between 1 and 500")});
    // The same control again: passes at once, so the operator can keep the value.
    EXPECT_TRUE(
        CheckRange(&control, row, QStringLiteral("Sightings"), QStringLiteral("600"), true, CheckOrigin::Operator));
    EXPECT_EQ(warnings.size(), 1);
    EXPECT_EQ(loggedErrors(), QStringList{QStringLiteral("Sightings|Count|600")});
    // The repeat was used up: the next check is a full one again.
    EXPECT_FALSE(
        CheckRange(&control, row, QStringLiteral("Sightings"), QStringLiteral("0"), true, CheckOrigin::Operator));
    // Another control failing does not let this one through.
    EXPECT_FALSE(
        CheckRange(&other, row, QStringLiteral("Sightings"), QStringLiteral("0"), true, CheckOrigin::Operator));
    EXPECT_FALSE(
        CheckRange(&control, row, QStringLiteral("Sightings"), QStringLiteral("0"), true, CheckOrigin::Operator));
    EXPECT_EQ(loggedErrors().size(), 4);
}

TEST_F(RangeCheckTest, WarningSettingDecidesWhetherTheValueIsRefused)
{
    struct Case {
        int setting;
        CheckOrigin origin;
        bool accepted;
    } cases[] = {
        {0, CheckOrigin::Operator, true},  {0, CheckOrigin::Automatic, true},  {1, CheckOrigin::Operator, false},
        {1, CheckOrigin::Automatic, true}, {2, CheckOrigin::Automatic, false},
    };
    int expectedWarnings = 0;
    for (const Case& c : cases) {
        store::TheProgramSettings.FormErrorWarnings = c.setting;
        ForgetRangeFailure();
        EXPECT_EQ(CheckRange(&control, row, QStringLiteral("F"), QStringLiteral("0"), true, c.origin), c.accepted)
            << "setting " << c.setting;
        if (!c.accepted)
            ++expectedWarnings;
    }
    EXPECT_EQ(warnings.size(), expectedWarnings);
    EXPECT_EQ(loggedErrors().size(), 5) << "every violation is logged, accepted or not";
}

TEST_F(RangeCheckTest, EmptyAndInRangeValuesPass)
{
    store::TheProgramSettings.FormErrorWarnings = 2;
    EXPECT_TRUE(CheckRange(&control, row, QStringLiteral("F"), QString(), false, CheckOrigin::Operator));
    EXPECT_TRUE(CheckRange(&control, row, QStringLiteral("F"), QStringLiteral("12"), true, CheckOrigin::Operator));
    EXPECT_TRUE(loggedErrors().isEmpty());
    EXPECT_TRUE(warnings.isEmpty());
}

} // namespace
} // namespace velmar::forms
