// The show-data readers and the GPS cross-reference fill against a seeded
// survey file, without any window: the readers' rows are collected by test
// receivers, the fill's writes read back through SQLite itself.
#include "nav/GpsCrossReference.h"
#include "nav/GpsDataSets.h"
#include "nav/ShowDataReaders.h"
#include "store/RecordReaders.h"

#include "tests/store/StoreTestSupport.h"

#include <gtest/gtest.h>

using namespace velmar;
using namespace velmar::nav;
using platform::SystemTime;

namespace {

struct Fixes : GpsFixSink {
    void ClearGpsFixes() override { rows.clear(), ++clears; }
    void AddFix(const GpsFixData& fix, int32_t index, int set) override
    {
        rows << QStringLiteral("%1:%2:%3:%4").arg(set).arg(index).arg(fix.speed).arg(fix.HasTrueHeading());
    }
    QStringList rows;
    int clears = 0;
};

struct Events : DetectorEventSink {
    bool AddClickEvent(const NewRCEventRecord& r, int32_t gpsIndex) override
    {
        if (!knownFixes.contains(gpsIndex))
            return false;
        clicks << QStringLiteral("%1:%2:%3:%4").arg(gpsIndex).arg(r.species).arg(r.state).arg(r.eventKey);
        return true;
    }
    void AddPorpoiseEvent(const PorpoiseEventRecord& r, int32_t gpsIndex) override
    {
        porpoises << QStringLiteral("%1:%2:%3:%4").arg(gpsIndex).arg(r.number).arg(r.speciesCode).arg(r.maxBearing);
    }
    QList<int32_t> knownFixes;
    QStringList clicks, porpoises;
};

struct Comments : CommentListSink {
    void AddCommentRow(int item, const QString& time, const QString& comment, const QString& recording) override
    {
        rows << QStringLiteral("%1|%2|%3|%4").arg(item).arg(time, comment, recording);
    }
    QStringList rows;
};

struct Heard : HeardSink {
    void AddHeard(const QString& time, int32_t index, const QString& species, int strength,
                  const QString& comment) override
    {
        rows << QStringLiteral("heard %1 %2 %3 %4 %5").arg(time).arg(index).arg(species).arg(strength).arg(comment);
    }
    void AddEffort(const QString& time, const QString& status, const QString& comment) override
    {
        rows << QStringLiteral("effort %1 %2 %3").arg(time, status, comment);
    }
    QStringList rows;
};

struct Effort : EffortSink {
    void AddEffortPoint(int program, int32_t index, uint32_t colour, int state) override
    {
        rows << QStringLiteral("%1:%2:%3:%4").arg(program).arg(index).arg(colour, 6, 16, QLatin1Char('0')).arg(state);
    }
    QStringList rows;
};

SystemTime At(int y, int mo, int d, int h, int mi, int s)
{
    SystemTime t;
    t.wYear = uint16_t(y), t.wMonth = uint16_t(mo), t.wDay = uint16_t(d);
    t.wHour = uint16_t(h), t.wMinute = uint16_t(mi), t.wSecond = uint16_t(s);
    return t;
}

class ShowDataDb : public store::test::OpenDbTest {
protected:
    void SetUp() override
    {
        OpenDbTest::SetUp();
        ForgetGpsDataSets();
        // Six fixes a minute apart on 29 February 2028 (the third not valid)
        // and one a day later.
        const char* const rows[] = {
            "(1, '2028-02-29 10:00:00', 'A', 5.0, 45.0)", "(2, '2028-02-29 10:01:00', 'A', 6.0, NULL)",
            "(3, '2028-02-29 10:02:00', 'V', 7.0, NULL)", "(4, '2028-02-29 10:03:00', 'A', 8.0, NULL)",
            "(5, '2028-02-29 10:04:00', 'A', 9.0, NULL)", "(6, '2028-03-01 10:00:00', 'A', 10.0, NULL)"};
        for (const char* r : rows)
            ASSERT_TRUE(exec(QStringLiteral("INSERT INTO \"GpsData\" (\"Index\", \"PCTime\", \"DataStatus\", "
                                            "\"Speed\", \"TrueHeading\") VALUES %1")
                                 .arg(QLatin1String(r))));
    }
    void TearDown() override
    {
        ForgetGpsDataSets();
        OpenDbTest::TearDown();
    }
    QStringList Rows(const QString& sql) const { return store::test::DirectDb(file).rows(sql); }

    ShowDataReader Reader(SystemTime start = At(2028, 2, 29, 10, 0, 0), SystemTime end = At(2028, 2, 29, 10, 4, 0))
    {
        return ShowDataReader(start, end);
    }
};

// ---- readers

TEST_F(ShowDataDb, TheGpsWindowTakesValidFixesBetweenItsEdgesAndAnInvalidEdgeLoadsNothing)
{
    struct Case {
        const char* legend;
        SystemTime start, end;
        bool result;
        QStringList fixes;
        ShownIndexRange range;
    };
    const QStringList all{"0:1:5:1", "0:2:6:0", "0:4:8:0", "0:5:9:0"};
    const Case cases[] = {
        {"window on 29 February, both edges included",
         At(2028, 2, 29, 10, 0, 0),
         At(2028, 2, 29, 10, 4, 0),
         true,
         all,
         {1, 5}},
        {"window ending on 29 February",
         At(2028, 2, 28, 0, 0, 0),
         At(2028, 2, 29, 10, 1, 0),
         true,
         {"0:1:5:1", "0:2:6:0"},
         {1, 2}},
        {"window without fixes", At(2028, 3, 2, 0, 0, 0), At(2028, 3, 3, 0, 0, 0), true, {}, {0, 0}},
        {"end on 29 February of a common year", At(2028, 2, 29, 10, 0, 0), At(2027, 2, 29, 0, 0, 0), false, {}, {0, 0}},
        {"start that is no date", At(2028, 13, 1, 0, 0, 0), At(2028, 3, 3, 0, 0, 0), false, {}, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.legend);
        sink.messages.clear();
        Fixes fixes;
        ShowDataReader reader = Reader(c.start, c.end);
        EXPECT_EQ(reader.DbLoadAllGpsData(fixes), c.result);
        EXPECT_EQ(fixes.clears, 1);
        EXPECT_EQ(fixes.rows, c.fixes);
        EXPECT_EQ(reader.MainRange(), c.range);
        // An invalid window says why nothing is shown.
        EXPECT_EQ(sink.messages.size(), c.result ? 0u : 1u);
    }
}

TEST_F(ShowDataDb, EveryDataSetHasItsRangeAndAnEmptyOneIsZeroToZero)
{
    ASSERT_TRUE(exec(QStringLiteral("CREATE TABLE \"Boat Two\" AS SELECT * FROM \"GpsData\" WHERE 0")));
    ASSERT_TRUE(exec(QStringLiteral("INSERT INTO \"GpsDataSets\" (\"Order\", \"TableName\", \"Show\", "
                                    "\"LineColour\") VALUES (1, 'Boat Two', 'Y', 'Red')")));
    Fixes fixes;
    ShowDataReader reader = Reader();
    ASSERT_TRUE(reader.DbLoadAllGpsData(fixes));
    ASSERT_EQ(reader.ShownGpsIndexRange().size(), 2u);
    EXPECT_EQ(reader.ShownGpsIndexRange()[1], (ShownIndexRange{0, 0}));
    EXPECT_EQ(reader.FixesLoaded(), 4);

    // The ranges follow the data-set numbers, far beyond 255.
    ASSERT_TRUE(reader.DbLoadGpsData(QStringLiteral("GpsData"), 300, fixes));
    ASSERT_EQ(reader.ShownGpsIndexRange().size(), 301u);
    EXPECT_EQ(reader.ShownGpsIndexRange()[300], (ShownIndexRange{1, 5}));
}

TEST_F(ShowDataDb, EventsComeOnlyFromTheMainTracksRangeWithARealFixTime)
{
    const char* const clicks[] = {
        "(2, '2028-02-29 10:01:00', 'Dolphin ', 3)",    // in range, fix loaded
        "(3, '2028-02-29 10:02:00', 'Sperm Whale', 1)", // in range, fix not loaded
        "(6, '2028-03-01 10:00:00', 'Dolphin', 1)",     // after the range
        "(4, '1900-01-01 00:00:00', 'Dolphin', 1)",     // no fix time
    };
    for (const char* c : clicks)
        ASSERT_TRUE(exec(QStringLiteral("INSERT INTO \"QuintraEvents\" (\"GpsIndex\", \"GPSTime\", \"Species\", "
                                        "\"Section Seconds\") VALUES %1")
                             .arg(QLatin1String(c))));
    ASSERT_TRUE(exec(QStringLiteral("INSERT INTO \"PorpoiseEvents\" (\"GpsIndex\", \"GPSTime\", \"Number\", "
                                    "\"SpeciesCode\") VALUES (3, '2028-02-29 10:02:00', 7, 'P '), "
                                    "(0, '2028-02-29 10:02:00', 8, 'P')")));
    Fixes fixes;
    ShowDataReader reader = Reader();
    ASSERT_TRUE(reader.DbLoadAllGpsData(fixes));
    Events events;
    events.knownFixes = {1, 2, 4, 5};
    sink.messages.clear();
    EXPECT_TRUE(reader.DbLoadSpermData(events));
    EXPECT_EQ(events.clicks, QStringList{"2:2:3:3000"});
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("DbLoadSpermData"));
    EXPECT_TRUE(sink.messages[0].text.startsWith(QStringLiteral("Can't find GPS data at ")))
        << sink.texts().join(';').toStdString();
    EXPECT_TRUE(sink.messages[0].text.endsWith(QStringLiteral("2028-02-29 10:02:00 3")));

    // A porpoise event without its fix stays, without a position; NULL
    // columns keep the defaults.
    EXPECT_TRUE(reader.DbLoadPorpoiseEvents(events));
    EXPECT_EQ(events.porpoises, QStringList{"3:7:P:180"});
}

TEST_F(ShowDataDb, TheEmptyWindowSelectsOnlyRowsAtIndexZeroWithAFixTime)
{
    ASSERT_TRUE(exec(QStringLiteral("INSERT INTO \"Comments\" (\"PCTime\", \"GpsIndex\", \"GPSTime\", \"Comment\") "
                                    "VALUES ('2028-02-29 10:00:00', 0, '2028-02-29 10:00:00', 'kept'), "
                                    "('2028-02-29 10:00:01', 0, '1900-01-01 00:00:00', 'no fix')")));
    Fixes fixes;
    ShowDataReader reader = Reader(At(2030, 1, 1, 0, 0, 0), At(2030, 1, 2, 0, 0, 0));
    ASSERT_TRUE(reader.DbLoadAllGpsData(fixes));
    Comments comments;
    EXPECT_EQ(reader.DbLoadComments(comments), 1);
    EXPECT_EQ(comments.rows, QStringList{"0|2028-02-29 10:00:00|kept|"});
}

TEST_F(ShowDataDb, PiecesOfOneCommentShareItsTimeAndShowItOnce)
{
    ASSERT_TRUE(exec(QStringLiteral(
        "INSERT INTO \"Comments\" (\"PCTime\", \"GpsIndex\", \"GPSTime\", \"Comment\", \"Recording\") VALUES "
        "('2028-02-29 10:01:05', 2, '2028-02-29 10:01:00', 'first piece', 'Rec1.wav'), "
        "('2028-02-29 10:01:05', 2, '2028-02-29 10:01:00', 'second piece', ''), "
        "('2028-02-29 10:00:30', 1, '2028-02-29 10:00:00', 'earlier   ', NULL), "
        "('2028-02-29 10:02:00', 4, '2028-02-29 10:02:00', printf('%.100c', 'x'), '')")));
    Fixes fixes;
    ShowDataReader reader = Reader();
    ASSERT_TRUE(reader.DbLoadAllGpsData(fixes));
    Comments comments;
    EXPECT_EQ(reader.DbLoadComments(comments), 4);
    // A piece that fills the whole column is shown whole.
    EXPECT_EQ(comments.rows,
              (QStringList{"0|2028-02-29 10:00:30|earlier|", "1|2028-02-29 10:01:05|first piece|Rec1.wav",
                           "2||second piece|", "3|2028-02-29 10:02:00|" + QString(100, 'x') + "|"}));
}

TEST_F(ShowDataDb, EffortPointsStartUnpaintedAndTakeTheColourOfTheirStatus)
{
    ASSERT_TRUE(exec(QStringLiteral("INSERT INTO \"PorpoiseEffort\" (\"PCTime\", \"Status\", \"GPSIndex\", "
                                    "\"GPSTime\") VALUES ('2028-02-29 10:01:00', 'Start', 2, '2028-02-29 10:01:00'), "
                                    "('2028-02-29 10:03:00', 'Half', 4, '2028-02-29 10:03:00'), "
                                    "('2028-02-29 10:04:00', 'Stop', 5, '2028-02-29 10:04:00')")));
    Fixes fixes;
    ShowDataReader reader = Reader();
    ASSERT_TRUE(reader.DbLoadAllGpsData(fixes));
    Effort effort;
    reader.DbGetEffortData(0, effort, 1);
    // Categories as the statistics count them: 0 unknown, 1 on, 2 half, 3 off.
    EXPECT_EQ(effort.rows, (QStringList{"0:1:000000:0", "0:2:0000ff:1", "0:4:00ffff:2", "0:5:c0c0c0:3"}));
    Effort none;
    reader.DbGetEffortData(4, none, 1);
    reader.DbGetEffortData(0, none, std::nullopt);
    EXPECT_TRUE(none.rows.isEmpty());
}

TEST_F(ShowDataDb, ThingsHeardAndListeningEffortOfTheRangeGoToTheHeardForm)
{
    ASSERT_TRUE(exec(
        QStringLiteral("INSERT INTO \"ThingsHeard\" (\"PCTime\", \"GpsIndex\", \"GPSTime\", \"Species\", \"Strength\", "
                       "\"Comment\") VALUES ('2028-02-29 10:01:10', 2, '2028-02-29 10:01:00', 'Sperm ', 3, 'faint'), "
                       "('2028-03-01 10:00:10', 6, '2028-03-01 10:00:00', 'Dolphin', 1, '')")));
    ASSERT_TRUE(exec(QStringLiteral("INSERT INTO \"ListeningEffort\" (\"PCTime\", \"Status\", \"GPSIndex\", "
                                    "\"GPSTime\", \"Comment\") VALUES ('2028-02-29 10:00:05', 'Start', 1, "
                                    "'2028-02-29 10:00:00', 'watch 1')")));
    Fixes fixes;
    ShowDataReader reader = Reader();
    ASSERT_TRUE(reader.DbLoadAllGpsData(fixes));
    Heard heard;
    reader.DbLoadHeardData(heard);
    EXPECT_EQ(heard.rows,
              (QStringList{"heard 2028-02-29 10:01:10 2 Sperm 3 faint", "effort 2028-02-29 10:00:05 Start watch 1"}));
}

TEST_F(ShowDataDb, LastValueOfAnEmptyTableIsZeroAndATextCountsAsItsLeadingNumber)
{
    EXPECT_EQ(store::DbGetLastValue(QStringLiteral("Comments"), QStringLiteral("Index")), 0);
    ASSERT_TRUE(exec(QStringLiteral("INSERT INTO \"Comments\" (\"Comment\") VALUES ('12 dolphins'), ('7 seals')")));
    EXPECT_EQ(store::DbGetLastValue(QStringLiteral("Comments"), QStringLiteral("Comment")), 7);
    EXPECT_EQ(store::DbGetLastValue(QStringLiteral("Comments"), QStringLiteral("Comment"), QString(), true), 12);
}

TEST(ShowDataProgress, PercentStaysIn64BitsPastTwentyOneMillionRows)
{
    EXPECT_EQ(ProgressPercent(0, 0), 0);
    EXPECT_EQ(ProgressPercent(5, 10), 50);
    EXPECT_EQ(ProgressPercent(22'000'000, 30'000'000), 73);
    EXPECT_EQ(ProgressPercent(3'000'000'000LL, 3'000'000'000LL), 100);
    EXPECT_EQ(ProgressPercent(12, 10), 100);
}

// ---- cross references

TEST(GpsTimeSearchTest, EachEventTakesTheLastFixAtOrBeforeItAndAGapIsLookedUpOnce)
{
    const std::vector<FixTime> track{{10, "2025-01-01 10:00:00", 5},
                                     {11, "2025-01-01 10:01:00", 6},
                                     {12, "2025-01-01 10:01:00", 7},
                                     {13, "2025-01-01 10:02:00", 8}};
    int lookups = 0;
    // The seeks as the survey answers them: ties go to the higher Index.
    GpsTimeSearch search(
        [&](const QString& t) -> std::optional<FixTime> {
            ++lookups;
            std::optional<FixTime> found;
            for (const FixTime& f : track)
                if (f.pcTime <= t)
                    found = f;
            return found;
        },
        [&](const QString& t) -> std::optional<FixTime> {
            ++lookups;
            for (const FixTime& f : track)
                if (f.pcTime > t)
                    return f;
            return std::nullopt;
        });
    struct Case {
        const char* legend;
        const char* time;
        GpsSearchResult expected;
        int lookups; // after this event
    };
    const Case cases[] = {
        {"before the first fix", "2025-01-01 09:59:59", {-1, "1900-01-01 00:00:00", 5}, 2},
        {"exactly at a fix", "2025-01-01 10:00:00", {10, "2025-01-01 10:00:00", 6}, 4},
        {"between the same two fixes: no lookup", "2025-01-01 10:00:59", {10, "2025-01-01 10:00:00", 6}, 4},
        {"two fixes at the same time: the later row", "2025-01-01 10:01:00", {12, "2025-01-01 10:01:00", 8}, 6},
        {"an earlier time again", "2025-01-01 10:00:30", {10, "2025-01-01 10:00:00", 6}, 8},
        {"after the last fix", "2025-01-02 00:00:00", {13, "2025-01-01 10:02:00", 8}, 10},
        {"later still", "2025-02-01 00:00:00", {13, "2025-01-01 10:02:00", 8}, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.legend);
        EXPECT_EQ(search.FindGpsIndexForTime(QString::fromLatin1(c.time)), c.expected);
        EXPECT_EQ(lookups, c.lookups);
    }
    GpsTimeSearch empty([](const QString&) { return std::optional<FixTime>(); },
                        [](const QString&) { return std::optional<FixTime>(); });
    EXPECT_EQ(empty.FindGpsIndexForTime(QStringLiteral("2025-01-01 10:00:00")),
              (GpsSearchResult{-1, "1900-01-01 00:00:00", 0}));
}

TEST(GpsTimeSearchTest, PorpoiseRangesFollowTheShipsSpeed)
{
    const double v = 10 * 1852.0 / 3600.0; // 10 knots in metres per second
    struct Case {
        const char* legend;
        PorpoiseRanges stored, expected;
    };
    const Case cases[] = {
        {"seconds off the beam", {3.0, 4.0, 1.0, 1.0}, {3.0, 4.0, 4.0 * v, 5.0 * v}},
        {"none off the beam", {3.0, 0.0, 1.0, 2.0}, {0.0, 0.0, 0.0, 0.0}},
        {"NULLs stay NULL",
         {std::nullopt, std::nullopt, 1.0, std::nullopt},
         {std::nullopt, std::nullopt, 0.0, std::nullopt}},
        {"no time abeam counts as 0",
         {std::nullopt, 4.0, std::nullopt, std::nullopt},
         {std::nullopt, 4.0, 4.0 * v, 4.0 * v}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.legend);
        const PorpoiseRanges r = ComputePorpoiseRanges(c.stored, 10.0);
        auto near = [](std::optional<double> a, std::optional<double> b) {
            return a.has_value() == b.has_value() && (!a || std::abs(*a - *b) < 1e-9);
        };
        EXPECT_TRUE(near(r.timeABeam, c.expected.timeABeam));
        EXPECT_TRUE(near(r.secsOffBeam, c.expected.secsOffBeam));
        EXPECT_TRUE(near(r.rangeOffBeam, c.expected.rangeOffBeam));
        EXPECT_TRUE(near(r.initialRange, c.expected.initialRange));
    }
}

class CrossReferenceDb : public ShowDataDb {
protected:
    // Comments stored at offline times, all without a reference.
    void SeedComments(int n)
    {
        for (int i = 0; i < n; ++i)
            ASSERT_TRUE(exec(QStringLiteral("INSERT INTO \"Comments\" (\"PCTime\", \"GpsIndex\", \"Comment\") "
                                            "VALUES ('2028-02-29 %1', 0, 'c%2')")
                                 .arg(QStringLiteral("10:0%1:30").arg(i % 6))
                                 .arg(i)));
    }
};

TEST_F(CrossReferenceDb, AStoppedFillKeepsWhatItWroteAndARunAfterItDoesTheRest)
{
    SeedComments(12);
    EXPECT_EQ(CountRowsWithoutGpsReference(QStringLiteral("Comments")), 12);
    EXPECT_EQ(EventTimeColumns(QStringLiteral("Comments")), QStringList{"PCTime"});
    {
        GpsReferenceFill fill(QStringLiteral("Comments"), QStringLiteral("PCTime"), QStringLiteral("GpsData"));
        ASSERT_TRUE(fill.Start()) << fill.ErrorText().toStdString();
        EXPECT_EQ(fill.RowCount(), 12);
        EXPECT_TRUE(fill.Step(5));
        EXPECT_EQ(fill.RowsDone(), 5);
        // Stop: the fill goes without another step.
    }
    EXPECT_EQ(CountRowsWithoutGpsReference(QStringLiteral("Comments")), 7);
    GpsReferenceFill again(QStringLiteral("Comments"), QStringLiteral("PCTime"), QStringLiteral("GpsData"));
    ASSERT_TRUE(again.Start());
    EXPECT_EQ(again.RowCount(), 7);
    while (again.Step(3)) {}
    EXPECT_FALSE(again.Failed());
    EXPECT_EQ(again.RowsDone(), 7);
    EXPECT_EQ(CountRowsWithoutGpsReference(QStringLiteral("Comments")), 0);
    // Each took the last fix at or before its time (fix 3 counts too: the
    // search does not look at the status).
    EXPECT_EQ(Rows(QStringLiteral("SELECT DISTINCT substr(\"PCTime\", 12), \"GpsIndex\", \"GPSTime\" FROM "
                                  "\"Comments\" ORDER BY 1")),
              (QStringList{"10:00:30|1|2028-02-29 10:00:00", "10:01:30|2|2028-02-29 10:01:00",
                           "10:02:30|3|2028-02-29 10:02:00", "10:03:30|4|2028-02-29 10:03:00",
                           "10:04:30|5|2028-02-29 10:04:00", "10:05:30|5|2028-02-29 10:04:00"}));
}

TEST_F(CrossReferenceDb, PorpoiseRowsGetRangesFromTheSpeedOfTheNextFix)
{
    ASSERT_TRUE(
        exec(QStringLiteral("INSERT INTO \"PorpoiseEvents\" (\"EventStart\", \"GpsIndex\", \"TimeABeam\", "
                            "\"SecsOffBeam\", \"RangeOffBeam\", \"InitialRange\") VALUES "
                            "('2028-02-29 10:00:30', 0, 3, 4, 0, 0), ('2028-02-29 09:00:00', NULL, 3, 0, 9, 9)")));
    GpsReferenceFill fill(QStringLiteral("PorpoiseEvents"), QStringLiteral("EventStart"), QStringLiteral("GpsData"));
    ASSERT_TRUE(fill.Start());
    EXPECT_TRUE(fill.IsPorpoiseTable());
    while (fill.Step()) {}
    // 6 knots after the first row; before the track: -1 and no fix time.
    EXPECT_EQ(Rows(QStringLiteral("SELECT \"GpsIndex\", \"GPSTime\", printf('%.3f', \"RangeOffBeam\"), "
                                  "printf('%.3f', \"InitialRange\"), \"TimeABeam\" FROM \"PorpoiseEvents\" ORDER BY "
                                  "\"EventStart\"")),
              (QStringList{"-1|1900-01-01 00:00:00|0.000|0.000|0.0", "1|2028-02-29 10:00:00|12.347|15.433|3.0"}));
}

TEST_F(CrossReferenceDb, ARefusedWriteIsReportedAndEarlierTransactionsStay)
{
    SeedComments(6);
    // The fourth row cannot be written.
    ASSERT_TRUE(exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON \"Comments\" WHEN OLD.\"Comment\" = 'c3' "
                                    "BEGIN SELECT RAISE(ABORT, 'row is locked'); END")));
    GpsReferenceFill fill(QStringLiteral("Comments"), QStringLiteral("PCTime"), QStringLiteral("GpsData"));
    ASSERT_TRUE(fill.Start());
    EXPECT_TRUE(fill.Step(2));  // c0, c1
    EXPECT_FALSE(fill.Step(2)); // c2 written, c3 refused: both rolled back
    EXPECT_TRUE(fill.Failed());
    EXPECT_TRUE(fill.ErrorText().contains(QStringLiteral("row is locked"))) << fill.ErrorText().toStdString();
    EXPECT_EQ(fill.RowsDone(), 2);
    EXPECT_FALSE(fill.Step(2));
    EXPECT_EQ(Rows(QStringLiteral("SELECT \"Comment\" FROM \"Comments\" WHERE \"GpsIndex\" > 0 ORDER BY 1")),
              (QStringList{"c0", "c1"}));
}

TEST_F(CrossReferenceDb, ATableWithoutTheColumnsHasNothingToFillAndAFailingQueryIsNamed)
{
    ASSERT_TRUE(exec(QStringLiteral("CREATE TABLE \"Plain\" (\"When\" TIMESTAMP)")));
    EXPECT_LE(CountRowsWithoutGpsReference(QStringLiteral("Plain")), 0);
    GpsReferenceFill plain(QStringLiteral("Plain"), QStringLiteral("When"), QStringLiteral("GpsData"));
    ASSERT_TRUE(plain.Start());
    EXPECT_EQ(plain.RowCount(), 0);
    EXPECT_FALSE(plain.Step());

    EXPECT_EQ(CountRowsWithoutGpsReference(QStringLiteral("Nowhere")), -1);
    GpsReferenceFill missing(QStringLiteral("Nowhere"), QStringLiteral("When"), QStringLiteral("GpsData"));
    EXPECT_FALSE(missing.Start());
    EXPECT_TRUE(missing.FailedQuery().contains(QStringLiteral("FROM \"Nowhere\"")));
    EXPECT_FALSE(missing.ErrorText().isEmpty());
}

} // namespace
