// Detector records poked in, stored rows read back: every column of every
// kind, with the GPS reference of the newest fix.
#include "EventsDbFixture.h"

using namespace eventstest;
using namespace knownrecords;

namespace {

// A column and what it must hold: reals compare as the float the detector
// sent, everything else as text.
struct Column {
    const char* name;
    QVariant value;
};

struct TableCase {
    const char* item;
    const char* table;
    std::vector<Column> columns;
};

std::vector<TableCase> tableCases()
{
    std::vector<TableCase> cases{
        {"NewWhistles",
         "Whistles",
         {{"WhistleNumber", 4711},
          {"PCTime", "2025-03-14 09:26:01"},
          {"SectionTime", 12.5f},
          {"Channel", 1},
          {"Duration", 0.75f},
          {"Correlation", 0.93f},
          {"Max Frequency", 18000},
          {"Min Frequency", 6000},
          {"Ave Frequency", 11000},
          {"Ave Amplitude", 61.5f},
          {"Max Amplitude", 78.25f},
          {"Peaks", 3},
          {"Troughs", 2},
          {"Max Peak Freq", 16500},
          {"Min Trough Freq", 6500},
          {"Start Frequency", 7000},
          {"End Frequency", 17000},
          {"Bearing", 123.5f},
          {"Range", 0.8f},
          {"Species", "Common dolphin"},
          {"File Name", "W0314_1409.wav"},
          {"File Section", 17}}},
        {"NewSeismic",
         "Seismics",
         {{"PCTime", "2025-03-14 09:26:02"},
          {"Detector", "Airgun detector"},
          {"Channel", 2},
          {"Amplitude1", 140.5f},
          {"Amplitude2", 133.25f}}},
        {"NewRCEvent",
         "QuintraEvents",
         {{"EventTime", "2025-03-14 09:26:03"},
          {"Section Seconds", 300},
          {"Duration", 42.5f},
          {"nClicks", 88},
          {"Species", "Sperm Whale"},
          {"Event Number", 342500},
          {"Whale Id", 5},
          {"Mean Bearing", 45.5f},
          {"First Bearing", 44.5f},
          {"Last Bearing", 47.5f},
          {"Mean ICI", 0.9f},
          {"First ICI", 0.85f},
          {"Last ICI", 0.95f},
          {"Mean Range", 2.5f},
          {"Mean Amplitude", 150.5f}}},
        {"PorpoiseEvent",
         "PorpoiseEvents",
         {{"EventStart", "2025-03-14 09:26:04"},
          {"Number", 12},
          {"FileName", "P0314_1409.pcl"},
          {"Duration", 3.5f},
          {"SpeciesCode", "PH"},
          {"Confidence", 2},
          {"nPorpoiseClicks", 240},
          {"nBroadBandClicks", 12},
          {"nOtherClicks", 7},
          {"MinBearing", 30.5f},
          {"MaxBearing", 60.5f},
          {"Comment", "clear train at the bow"},
          {"StartSection", 20},
          {"EndSection", 21},
          {"BackgroundDC", 1.5f},
          {"BackgroundAC", 2.5f},
          {"PorpoiseBearing", 45.25f},
          {"OtherBearing", 995.0f},
          {"StartADCTime", 1000},
          {"EndADCTime", 4500},
          {"Automatic", 1},
          {"TimeABeam", 8.5f},
          {"SecsOffBeam", 1.25f},
          {"RangeOffBeam", 0.2f},
          {"InitialBearing", 31.5f},
          {"InitialRange", 0.3f},
          {"SigTimeABeam", 0.5f},
          {"SigSecsOff", 0.25f},
          {"Chi2", 3.75f},
          {"FitProb", 0.625f},
          {"StoreClicks", 1}}},
        {"NewWhislteEvent",
         "WhistleEvents",
         {{"EventStart", "2025-03-14 09:26:05"},
          {"Duration", 95.5f},
          {"N Whistles", 9},
          {"First Whistle", 4700},
          {"Last Whistle", 4711},
          {"Min Frequency", 5000},
          {"Max Frequency", 19000},
          {"Ave Frequency", 12000},
          {"N Bearings", 6},
          {"Min Bearing", 10.5f},
          {"Max Bearing", 20.5f},
          {"Ave Bearing", 15.5f},
          {"Min Amplitude", 50.5f},
          {"Max Amplitude", 80.5f},
          {"Ave Amplitude", 65.5f},
          {"Species", "Striped dolphin"},
          {"File Name", "E0314_1409.wav"},
          {"File Section", 18}}},
        {"RightWhaleEvent",
         "Harmonic Events",
         {{"EventStart", "2025-03-14 09:26:06"},
          {"Duration", 1.5f},
          {"N Whistles", 4},
          {"Min Freq", 50},
          {"Max Freq", 220},
          {"PausedAtStart", 1},
          {"PausedAtEnd", 1},
          {"Unsettled", 0},
          {"File Name", "R0314_1409.wav"},
          {"File Section", 19},
          {"Score", 0.75f},
          {"Is Good", 1},
          {"totPeaks", 30},
          {"fatPeaks", 3},
          {"harmonicScore", 0.5f},
          {"Parameter Set", "North Atlantic right whale upcall"},
          {"noGoodBearingWsls", 2},
          {"accurateBearing", 270.5f},
          {"acBearingSTD", 4.5f},
          {"BearingScore", 0.875f},
          {"maxStrengthOnBearing", 9.5f},
          {"avStrengthOnBearing", 6.5f},
          {"numGoodBearingWsls2", 3},
          {"maxInList", 8}}},
    };
    static const char* const whistleColumns[] = {"Whistle00", "Whistle01", "Whistle02", "Whistle03", "Whistle04",
                                                 "Whistle05", "Whistle06", "Whistle07", "Whistle08", "Whistle09"};
    for (int i = 0; i < 10; ++i)
        cases.back().columns.push_back({whistleColumns[i], 100 + i});
    return cases;
}

TEST_F(EventsDbFixture, EveryKindIsStoredColumnByColumnWithTheNewestFix)
{
    const auto known = allKnownPokes();
    for (const TableCase& c : tableCases()) {
        SCOPED_TRACE(c.table);
        const auto poked = std::find_if(known.begin(), known.end(),
                                        [&](const KnownPoke& p) { return qstrcmp(p.item, c.item) == 0; });
        ASSERT_NE(poked, known.end());
        ASSERT_TRUE(poke(c.item, poked->bytes));

        const QString table = QString::fromLatin1(c.table);
        ASSERT_EQ(rowCount(table), 1);
        for (const Column& col : c.columns) {
            const QString stored = newest(table, QString::fromLatin1(col.name));
            if (col.value.typeId() == QMetaType::Float)
                EXPECT_EQ(float(stored.toDouble()), col.value.toFloat()) << col.name << " = " << stored.toStdString();
            else
                EXPECT_EQ(stored, col.value.toString()) << col.name;
        }
        EXPECT_EQ(newest(table, "GpsIndex"), QString::number(gpsIndex));
        EXPECT_EQ(newest(table, "GPSTime"), gpsTime);
    }
    // Each node links to the fix whose Index the rows carry.
    ASSERT_TRUE(RCEvents.newest && RCEvents.newest->firstFix);
    EXPECT_EQ(RCEvents.newest->firstFix->Index, gpsIndex);
    EXPECT_EQ(WhistleDetections.newest->fix->Index, gpsIndex);
    EXPECT_TRUE(sink.messages.empty()) << sink.texts().join(u'\n').toStdString();
}

TEST_F(EventsDbFixture, AFreedFixIsNoLongerLinked)
{
    ASSERT_TRUE(poke("NewWhistles", whistle().encode()));
    ASSERT_TRUE(poke("PorpoiseEvent", porpoiseEvent().encode()));
    ASSERT_NE(WhistleDetections.newest->fix, nullptr);
    TheGpsFixList().Purge(0);
    EXPECT_EQ(WhistleDetections.newest->fix, nullptr);
    EXPECT_EQ(PorpoiseEvents.newest->firstFix, nullptr);
    EXPECT_EQ(PorpoiseEvents.newest->latestFix, nullptr);
}

} // namespace
