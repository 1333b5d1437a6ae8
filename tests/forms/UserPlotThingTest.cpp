// Records as map items on the sample survey: where a sighting lies and what
// its label says, whether the map draws it under the plot-menu ticks, the
// ageing of items, the effort colour of values, and the external counters'
// pulses.
#include "FormsTestSupport.h"

#include "forms/AutoFillSources.h"
#include "forms/ControlKeywords.h"
#include "forms/ExternalCounters.h"
#include "forms/UserControlChecks.h"
#include "forms/UserPlotThing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace velmar::forms::test {
namespace {

nav::GPSTHING fixAt(double latitude, double longitude, int32_t index)
{
    nav::GPSTHING fix;
    fix.fix.SetLatitude(latitude);
    fix.fix.SetLongitude(longitude);
    fix.fix.SetTrueHeading(0);
    fix.Index = index;
    return fix;
}

// Values of the sample Sightings form in ValueRows order: SightTime,
// Species, Count, Bearing, Comment, HasCalves, Sighting No.
FormValues sighting(const QString& species, const QString& count, const QString& calves = QString())
{
    return {QStringLiteral("2026-06-01 10:15:30"),
            species,
            count,
            QStringLiteral("90"),
            QStringLiteral("two adults   "),
            calves,
            QStringLiteral("5")};
}

class UserPlotThingTest : public FormsTest {
protected:
    void SetUp() override
    {
        FormsTest::SetUp();
        form = std::make_unique<TUserFormInfo>(QStringLiteral("UDF_Sightings"), 0);
    }
    USERPLOTTHING& add(const FormValues& values, uint64_t created = 0)
    {
        PlotThingSource source;
        source.values = values;
        source.fix = &fix;
        source.created = created;
        return AddUserPlotThing(*form, source);
    }
    CONTROLTYPEINFO& row(const char* title) { return *form->FindRowByTitle(QString::fromLatin1(title)); }

    nav::GPSTHING fix = fixAt(56.0, -5.0, 7);
    std::unique_ptr<TUserFormInfo> form;
};

TEST_F(UserPlotThingTest, ItemLiesAtRangeAndBearingAndIsLabelled)
{
    std::vector<USERPLOTTHING*> heard;
    setUserPlotPort({[&](USERPLOTTHING& item) { heard.push_back(&item); }});
    USERPLOTTHING& item = add(sighting(QStringLiteral("bnd"), QStringLiteral("12"), QStringLiteral("1")));
    setUserPlotPort({});

    // 926 m fixed range, true bearing 90 from the Bearing control: half a
    // mile east of the fix.
    ASSERT_TRUE(item.range && item.bearing);
    EXPECT_FLOAT_EQ(*item.range, 0.5f);
    EXPECT_FLOAT_EQ(*item.bearing, 90.0f);
    EXPECT_NEAR(item.position1.latitude, 56.0, 1e-6);
    EXPECT_NEAR(item.position1.longitude, -5.0 + 0.5 / 60.0 / std::cos(56.0 * M_PI / 180.0), 1e-5);
    EXPECT_EQ(item.gpsIndex, 7);

    const QStringList lines = item.GetLabel(1).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 9) << item.GetLabel(1).toStdString();
    EXPECT_EQ(lines.mid(1), (QStringList{QStringLiteral("Sightings"), QStringLiteral("Time : 2026-06-01 10:15:30"),
                                         QStringLiteral("Species : Bottlenose dolphin"), QStringLiteral("Count : 12"),
                                         QStringLiteral("Bearing : 90 deg"), QStringLiteral("Comment : two adults"),
                                         QStringLiteral("Calves : true"), QStringLiteral("Sighting No : 5")}));
    EXPECT_EQ(item.lineCount, 9);
    EXPECT_EQ(item.widestLine, int(QStringLiteral("Species : Bottlenose dolphin").size()));
    EXPECT_EQ(heard, std::vector<USERPLOTTHING*>{&item});
    EXPECT_EQ(UserPlotThings(*form).size(), 1u);

    // No fix: the item is kept, at no position, with no fix index.
    PlotThingSource none;
    none.values = sighting(QStringLiteral("XYZ"), QString());
    USERPLOTTHING& unplaced = AddUserPlotThing(*form, none);
    EXPECT_EQ(unplaced.gpsIndex, 0);
    EXPECT_FALSE(unplaced.GetLabel(2).contains(QStringLiteral("Species"))) << "an unknown code gives no line";
}

struct StyleCase {
    const char* legend;
    const char* species;
    const char* count;
    const char* calves;
    std::vector<const char*> ticked; // "all", look-up codes, "Count", "Calves", "PlotAll"
    bool drawn;
    const char* colourFrom; // a look-up code, "Count" or "PlotAll"; null for none
};

class PlotStyleTest : public UserPlotThingTest, public ::testing::WithParamInterface<StyleCase> {};

TEST_P(PlotStyleTest, TicksDecide)
{
    const StyleCase& c = GetParam();
    row("Count").Plot = 1;
    row("Calves").Plot = 1;
    form->HasPlotAll = 1;
    form->PlotColour = platform::MakeColour(1, 2, 3);
    CONTROLTYPEINFO& species = row("Species");
    auto itemOf = [&](const char* code) -> LookupItem& {
        if (std::string(code) == "all")
            return species.lookup[0];
        return species.lookup[std::size_t(FindLookupCode(species, QString::fromLatin1(code)))];
    };
    for (const char* t : c.ticked) {
        const std::string name = t;
        if (name == "Count" || name == "Calves")
            row(t).plotSelected = 1;
        else if (name == "PlotAll")
            form->PlotSelected = 1;
        else
            itemOf(t).plotSelected = 1;
    }
    const USERPLOTTHING& item = add(
        sighting(QString::fromLatin1(c.species), QString::fromLatin1(c.count), QString::fromLatin1(c.calves)));
    int32_t colour = -5, symbol = -5;
    EXPECT_EQ(item.GetPlotStyle(&colour, &symbol), c.drawn) << c.legend;
    if (!c.drawn)
        return;
    int32_t expectedColour = 0, expectedSymbol = 0;
    const std::string from = c.colourFrom ? c.colourFrom : "";
    if (from == "Count")
        expectedColour = row("Count").colourValue;
    else if (from == "PlotAll")
        expectedColour = form->PlotColour;
    else if (!from.empty()) {
        expectedColour = itemOf(c.colourFrom).colour;
        expectedSymbol = itemOf(c.colourFrom).symbol;
    }
    EXPECT_EQ(colour, expectedColour) << c.legend;
    EXPECT_EQ(symbol, expectedSymbol) << c.legend;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PlotStyleTest,
    ::testing::Values(
        StyleCase{"nothing ticked", "BND", "3", "1", {}, false, nullptr},
        StyleCase{"its species ticked", "BND", "3", "", {"BND"}, true, "BND"},
        StyleCase{"another species ticked", "BND", "3", "", {"HP"}, false, nullptr},
        StyleCase{"all species, code in lower case", "bnd", "", "", {"all"}, true, "BND"},
        StyleCase{"all species, no species given", "", "", "", {"all"}, false, nullptr},
        StyleCase{"count ticked and not 0", "", "3", "", {"Count"}, true, "Count"},
        StyleCase{"count ticked but 0", "", "0", "", {"Count"}, false, nullptr},
        StyleCase{"a plotted check box that is not ticked hides", "", "3", "0", {"Calves"}, false, nullptr},
        StyleCase{"a count before the check box draws first", "", "3", "0", {"Calves", "Count"}, true, "Count"},
        StyleCase{"a ticked check box that is ticked draws without colour", "", "", "1", {"Calves"}, true, nullptr},
        StyleCase{"species comes before the check box", "HP", "", "0", {"HP", "Calves"}, true, "HP"},
        StyleCase{"plot all", "", "", "", {"PlotAll"}, true, "PlotAll"}));

TEST_F(UserPlotThingTest, OldItemsAgeOut)
{
    for (uint64_t created : {1000u, 5000u, 9000u})
        add(sighting(QStringLiteral("HP"), QStringLiteral("1")), created);
    EXPECT_EQ(PurgeUserPlotThings(20000, 10000), 0) << "an age beyond the uptime drops nothing";
    EXPECT_EQ(PurgeUserPlotThings(3000, 10000), 2);
    ASSERT_EQ(UserPlotThings(*form).size(), 1u);
    EXPECT_EQ(UserPlotThings(*form)[0]->created, 9000u);
    EXPECT_EQ(ClearUserPlotThings(), 1);
    EXPECT_TRUE(UserPlotThings(*form).empty());
}

struct EffortCase {
    int type;
    const char* value;
    int state; // -1: the look-up item's index
    bool rowColour;
};

TEST_F(UserPlotThingTest, EffortColourOfValues)
{
    CONTROLTYPEINFO& species = row("Species");
    const int bnd = FindLookupCode(species, QStringLiteral("BND"));
    int state = -7;
    EXPECT_EQ(EffortColourOf(species, QStringLiteral("bnd"), true, &state), species.lookup[std::size_t(bnd)].colour);
    EXPECT_EQ(state, bnd);
    EXPECT_EQ(EffortColourOf(species, QStringLiteral("ZZ"), true, &state), kNoEffortColour);
    EXPECT_EQ(state, 0);

    const std::vector<EffortCase> cases{
        {CT_CHAR, "on", kEffortOn, true},    {CT_CHAR, "", 0, false},      {CT_TIME, "10:00", kEffortOn, true},
        {CT_INTEGER, "2", kEffortOn, true},  {CT_INTEGER, "0", 0, false},  {CT_COUNTER, "-3", 0, false},
        {CT_CHECKBOX, "1", kEffortOn, true}, {CT_CHECKBOX, "0", 0, false}, {CT_SINGLE, "-0.5", kEffortOn, true},
        {CT_NMEAFLOAT, "0.0", 0, false},     {CT_DIGITAL, "1", 0, false},  {CT_ANALOG, "2.5", 0, false},
    };
    for (const EffortCase& c : cases) {
        CONTROLTYPEINFO r;
        r.typeCode = c.type;
        r.colourValue = platform::MakeColour(10, 20, 30);
        const QString value = QString::fromLatin1(c.value);
        const int32_t colour = EffortColourOf(r, value, !value.isEmpty(), &state);
        EXPECT_EQ(state, c.state) << c.type << " " << c.value;
        EXPECT_EQ(colour, c.rowColour ? r.colourValue : kNoEffortColour) << c.type << " " << c.value;
    }
}

class PulseRecorder : public AutoFillSources {
public:
    bool boardLibraryBound() override { return bound; }
    bool requestDigitalOutput(int line, int count) override
    {
        pulses.emplace_back(line, count);
        return sent;
    }
    bool bound = true;
    bool sent = true;
    std::vector<std::pair<int, int>> pulses;
};

TEST_F(UserPlotThingTest, ExternalCounterIsResetThenCountedUp)
{
    PulseRecorder board;
    setAutoFillSources(&board);
    std::vector<int> delays;
    setCounterDelay([&](int ms, std::function<void()> then) {
        delays.push_back(ms);
        then();
    });
    ASSERT_TRUE(execSql(QStringLiteral("UPDATE \"UDF_Sightings\" SET \"ADC Channel\" = 4 WHERE \"Type\" = 'COUNTER'")));
    // The form starts its counter when it is made: Default 5 is the next
    // number, so the counter stands at 4.
    auto withCounter = std::make_unique<TUserFormInfo>(QStringLiteral("UDF_Sightings"), 0);
    EXPECT_EQ(board.pulses, (std::vector<std::pair<int, int>>{{4, 1}, {5, 4}}));
    EXPECT_EQ(delays, std::vector<int>{kCounterResetSettleMs});

    board.pulses.clear();
    board.bound = false;
    StartUserFormCounters();
    EXPECT_TRUE(board.pulses.empty()) << "nothing goes out without the board library";
    board.bound = true;
    StartUserFormCounters();
    EXPECT_EQ(board.pulses, (std::vector<std::pair<int, int>>{{4, 1}, {5, 4}}))
        << "only the form with a counter line pulses";
    EXPECT_EQ(captions().filter(QStringLiteral("Digital Output")), QStringList());

    // A bound library whose pulses cannot go out: the reset fails, no count
    // follows it, and the operator hears of it once for the counter.
    sink.messages.clear();
    board.pulses.clear();
    board.sent = false;
    StartUserFormCounters();
    StartUserFormCounters();
    EXPECT_EQ(board.pulses, (std::vector<std::pair<int, int>>{{4, 1}, {4, 1}}));
    EXPECT_EQ(captions(), QStringList{QStringLiteral("Digital Output")});
    ASSERT_FALSE(sink.messages.empty());
    EXPECT_TRUE(sink.messages[0].text.contains(QStringLiteral("on output 4"))) << sink.messages[0].text.toStdString();
    setCounterDelay({});
    setAutoFillSources(nullptr);
}

} // namespace
} // namespace velmar::forms::test
