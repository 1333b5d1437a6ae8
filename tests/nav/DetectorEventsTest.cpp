// The detector event server, the recent lists and the dispatch, in one
// process without a bus: records poked, decoded, kept, updated, stored,
// counted and purged.
#include "EventsFixture.h"

#include "nav/ClickEventRange.h"
#include "platform/RecordIO.h"
#include "settings/ProgramSettings.h"
#include "settings/ProgramSettings.h"

#include <limits>

using namespace eventstest;
using namespace knownrecords;

namespace {

// What the writer should receive for a known poke: the record as poked,
// with the receiver's tick in a right whale event's two tick words.
QByteArray expectedRow(const KnownPoke& poke, uint64_t now)
{
    if (poke.kind != KindRightWhaleEvent)
        return poke.bytes;
    RightWhaleEventRecord r = *RightWhaleEventRecord::decode(poke.bytes);
    r.receiptTick1 = r.receiptTick2 = uint32_t(now);
    return r.encode();
}

TEST_F(EventsFixture, EveryKindIsDecodedKeptLinkedStoredAndPosted)
{
    now = 0x1'2345'6789; // beyond 32 bits: the record keeps the low word
    for (const KnownPoke& p : allKnownPokes()) {
        SCOPED_TRACE(p.item);
        stored.clear();
        posted.clear();
        newestFix = p.kind % 2 ? &fixA : &fixB;
        const int pollsBefore = gpsPolls;

        EXPECT_TRUE(poke(p.item, p.bytes));

        EXPECT_EQ(gpsPolls, pollsBefore + 1);
        ASSERT_EQ(posted.size(), 1u);
        EXPECT_EQ(posted[0].kind, p.kind);
        ASSERT_EQ(stored.size(), 1u);
        EXPECT_EQ(stored[0].kind, p.kind);
        EXPECT_EQ(stored[0].bytes, expectedRow(p, now));
        EXPECT_EQ(stored[0].fix, newestFix);
        EXPECT_EQ(stored[0].serial, posted[0].serial);
    }
    EXPECT_EQ(RightWhaleEvents.newest->AgeStamp(), now);
    EXPECT_TRUE(errors.empty());
}

TEST_F(EventsFixture, ARecordIsAnsweredOnlyOnceItsRowIsStoredAndFalseWhenItCannotBe)
{
    for (const bool fail : {false, true}) {
        for (const KnownPoke& p : allKnownPokes()) {
            SCOPED_TRACE(std::string(p.item) + (fail ? " failing" : ""));
            PurgeAllDetections();
            stored.clear();
            storedAtAnswer.clear();
            posted.clear();
            mapped.clear();
            writesFail = fail;

            // No event loop between the poke and the look: what the answer
            // claims is already in the table.
            EXPECT_EQ(server.Poke(DdeTopicEvents, QString::fromLatin1(p.item), p.bytes), !fail);
            ASSERT_EQ(storedAtAnswer.size(), 1u);
            EXPECT_EQ(stored.size(), fail ? 0u : 1u);
            EXPECT_TRUE(posted.empty());

            // The node is kept, drawn and triggers all the same.
            pump();
            EXPECT_EQ(posted.size(), 1u);
            EXPECT_EQ(mapped.size(), p.kind == KindSeismic ? 0u : 1u);
        }
    }

    // A final event whose row failed stays due: the detector's repeat stores
    // it, once.
    PurgeAllDetections();
    stored.clear();
    PorpoiseEventRecord porpoise = porpoiseEvent();
    porpoise.state = 1;
    writesFail = true;
    EXPECT_TRUE(poke("PorpoiseEvent", porpoise.encode())); // no row due yet
    porpoise.state = PorpoiseEventRecord::StateFinal;
    EXPECT_FALSE(poke("PorpoiseEvent", porpoise.encode()));
    writesFail = false;
    EXPECT_TRUE(poke("PorpoiseEvent", porpoise.encode()));
    EXPECT_TRUE(poke("PorpoiseEvent", porpoise.encode()));
    EXPECT_EQ(stored.size(), 1u);
    EXPECT_EQ(CountPorpoiseEvents(0), 1);
}

TEST_F(EventsFixture, ShortRecordsAreRefusedLongerOnesReadAsFarAsTheirLayout)
{
    const std::map<DetectionKind, QString> boxes{
        {KindWhistle, "Invalid Whistle data"},
        {KindSeismic, "Invalid Seismic data"},
        {KindClickEvent, "Invalid Quintra Click Event data"},
        {KindPorpoiseEvent, "Invalid Porpoise Event data"},
        {KindWhistleEvent, "Invalid Whistle Event data"},
        {KindRightWhaleEvent, "Invalid Right Whale Event data"},
    };
    for (const KnownPoke& p : allKnownPokes()) {
        SCOPED_TRACE(p.item);
        errors.clear();
        stored.clear();
        PurgeAllDetections();

        // Answered false, and the box names the item and the lengths.
        EXPECT_FALSE(poke(p.item, p.bytes.left(qsizetype(p.size) - 1)));
        EXPECT_EQ(errors, std::vector<QString>{"Error: " + boxes.at(p.kind)
                                               + QStringLiteral(": \"%1\" of %2 bytes, needs %3")
                                                     .arg(QLatin1String(p.item))
                                                     .arg(p.size - 1)
                                                     .arg(p.size)});
        EXPECT_EQ(nodeCount(), 0);
        EXPECT_TRUE(stored.empty());

        errors.clear();
        EXPECT_TRUE(poke(p.item, p.bytes));
        EXPECT_TRUE(poke(p.item, p.bytes + QByteArray(7, '\xEE')));
        EXPECT_TRUE(errors.empty());
        ASSERT_FALSE(stored.empty());
        EXPECT_EQ(stored.back().bytes, expectedRow(p, now));
    }
}

TEST_F(EventsFixture, RecordsWithValuesThatAreNoNumbersOrOutOfRangeAreRefusedLikeShortOnes)
{
    // Per kind: the offset of one real field that is no duration, and of the
    // duration (none for seismic reports).
    const std::map<DetectionKind, std::pair<int, int>> offsets{
        {KindWhistle, {124, 28}},       {KindSeismic, {42, -1}},      {KindClickEvent, {34, 16}},
        {KindPorpoiseEvent, {232, 36}}, {KindWhistleEvent, {17, 61}}, {KindRightWhaleEvent, {214, 16}},
    };
    const auto withFloat = [](QByteArray bytes, int at, float value) {
        velmar::platform::storeLe(bytes.data() + at, value);
        return bytes;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const KnownPoke& p : allKnownPokes()) {
        SCOPED_TRACE(p.item);
        const auto [anyReal, duration] = offsets.at(p.kind);
        std::vector<QByteArray> bad{withFloat(p.bytes, anyReal, nan), withFloat(p.bytes, anyReal, inf),
                                    withFloat(p.bytes, anyReal, -inf)};
        if (duration >= 0)
            for (float seconds : {nan, 1e17f, 1e30f, -1.0f, 86400.5f})
                bad.push_back(withFloat(p.bytes, duration, seconds));
        for (const QByteArray& bytes : bad) {
            errors.clear();
            stored.clear();
            PurgeAllDetections();
            EXPECT_FALSE(poke(p.item, bytes));
            ASSERT_EQ(errors.size(), 1u);
            EXPECT_TRUE(errors[0].contains(QString::fromLatin1(p.item))) << errors[0].toStdString();
            EXPECT_EQ(nodeCount(), 0);
            EXPECT_TRUE(stored.empty());
        }
        if (duration >= 0) {
            errors.clear();
            EXPECT_TRUE(poke(p.item, withFloat(p.bytes, duration, 86400.0f)));
            EXPECT_TRUE(errors.empty());
        }
    }
}

TEST_F(EventsFixture, TheSameEventKeyUpdatesItsNodeAnotherKeyMakesANewOne)
{
    NewRCEventRecord click = clickEvent();
    click.state = 1;
    ASSERT_TRUE(poke("NewRCEvent", click.encode()));
    RCEvent* node = RCEvents.newest;
    newestFix = &fixB;
    now += 1000;
    click.nClicks = 99;
    ASSERT_TRUE(poke("NewRCEvent", click.encode()));
    EXPECT_EQ(CountRCEvents(0), 1);
    EXPECT_EQ(RCEvents.newest, node);
    EXPECT_EQ(node->record.nClicks, 99);
    EXPECT_EQ(node->firstFix, &fixA);
    EXPECT_EQ(node->latestFix, &fixB);
    EXPECT_EQ(node->AgeStamp(), now);
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0], posted[1]);

    click.eventNumber += 1;
    ASSERT_TRUE(poke("NewRCEvent", click.encode()));
    EXPECT_EQ(CountRCEvents(0), 2);

    PorpoiseEventRecord porpoise = porpoiseEvent();
    ASSERT_TRUE(poke("PorpoiseEvent", porpoise.encode()));
    porpoise.runId += 1; // the same Number in another run is another event
    ASSERT_TRUE(poke("PorpoiseEvent", porpoise.encode()));
    EXPECT_EQ(CountPorpoiseEvents(0), 2);
}

TEST_F(EventsFixture, FinalEventsAreStoredOnceEveryStateTriggersAndIsDrawn)
{
    PorpoiseEventRecord porpoise = porpoiseEvent();
    porpoise.state = 1;
    ASSERT_TRUE(poke("PorpoiseEvent", porpoise.encode()));
    EXPECT_TRUE(stored.empty());
    porpoise.state = PorpoiseEventRecord::StateFinal;
    ASSERT_TRUE(poke("PorpoiseEvent", porpoise.encode()));
    ASSERT_TRUE(poke("PorpoiseEvent", porpoise.encode())); // final state repeated
    EXPECT_EQ(stored.size(), 1u);
    EXPECT_EQ(triggers, std::vector<RecorderTrigger>(3, RecorderTrigger{0, 60, "Porpoise Event"}));
    EXPECT_EQ(mapped.size(), 3u);

    // A seismic report is stored, triggers nothing and is not drawn.
    triggers.clear();
    mapped.clear();
    ASSERT_TRUE(poke("NewSeismic", seismic().encode()));
    EXPECT_EQ(stored.back().kind, KindSeismic);
    EXPECT_TRUE(triggers.empty());
    EXPECT_TRUE(mapped.empty());
}

TEST_F(EventsFixture, ClickTriggersFollowTheSpecies)
{
    const std::vector<std::pair<int32_t, RecorderTrigger>> cases{
        {1, {3, 120, "QuintraClick Sperm Whale"}},
        {2, {4, 120, "QuintraClick Dolphin"}},
        {0, {4, 120, "QuintraClick Unknown"}},
        {7, {4, 120, "QuintraClick Unknown"}},
    };
    for (const auto& [species, trigger] : cases) {
        NewRCEventRecord click = clickEvent();
        click.species = species;
        click.eventNumber = species;
        triggers.clear();
        ASSERT_TRUE(poke("NewRCEvent", click.encode()));
        EXPECT_EQ(triggers, std::vector<RecorderTrigger>{trigger}) << species;
    }
}

TEST_F(EventsFixture, AnOpenWhistleEventIsStoredOnceWhenTheNextOneArrives)
{
    NewWhistleEventRecord first = whistleEvent();
    first.open = 1;
    ASSERT_TRUE(poke("NewWhislteEvent", first.encode()));
    EXPECT_TRUE(stored.empty());    // open: not stored
    EXPECT_EQ(triggers.size(), 1u); // but triggers
    EXPECT_EQ(mapped.size(), 1u);   // and is drawn
    const uint64_t firstSerial = WhistleEvents.newest->serial;

    NewWhistleEventRecord second = whistleEvent();
    second.eventKey = first.eventKey + 1;
    second.open = 1;
    ASSERT_TRUE(poke("NewWhislteEvent", second.encode()));
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].serial, firstSerial); // the open one, before the new one was added
    EXPECT_EQ(CountWhistleEvents(0), 2);

    // The detector closing the first one late does not store it again.
    first.open = 0;
    ASSERT_TRUE(poke("NewWhislteEvent", first.encode()));
    EXPECT_EQ(stored.size(), 1u);

    // Closing the second stores it.
    second.open = 0;
    ASSERT_TRUE(poke("NewWhislteEvent", second.encode()));
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[1].serial, WhistleEvents.newest->serial);
}

TEST_F(EventsFixture, AStoredOpenWhistleEventNeverBlocksThePurge)
{
    NewWhistleEventRecord e = whistleEvent();
    e.open = 1;
    ASSERT_TRUE(poke("NewWhislteEvent", e.encode()));
    e.eventKey += 1;
    ASSERT_TRUE(poke("NewWhislteEvent", e.encode())); // stores the first, still flagged open
    e.eventKey += 1;
    e.open = 0;
    ASSERT_TRUE(poke("NewWhislteEvent", e.encode())); // stores the second
    now += 600'000;
    EXPECT_EQ(PurgeWhistleEvents(60'000), 3);
}

// A time no clock can show would be stored as a garbled PCTime text.
TEST_F(EventsFixture, RecordsWithAnImpossibleTimeAreRefusedLikeShortOnes)
{
    struct Bad {
        const char* legend;
        std::size_t at; // offset within the SYSTEMTIME
        uint16_t value;
    };
    const Bad bads[] = {
        {"month 13", 2, 13}, {"year 51999", 0, 51999}, {"day 32", 6, 32}, {"hour 24", 8, 24}, {"year 0", 0, 0}};
    int second = 0;
    for (const KnownPoke& p : allKnownPokes()) {
        const auto known = knownTime(++second).toBytes();
        const qsizetype timeAt = p.bytes.indexOf(
            QByteArray(reinterpret_cast<const char*>(known.data()), qsizetype(known.size())));
        ASSERT_GE(timeAt, 0) << p.item;
        for (const Bad& b : bads) {
            SCOPED_TRACE(std::string(p.item) + ", " + b.legend);
            errors.clear();
            stored.clear();
            PurgeAllDetections();
            QByteArray bytes = p.bytes;
            bytes[timeAt + qsizetype(b.at)] = char(b.value & 0xFF);
            bytes[timeAt + qsizetype(b.at) + 1] = char(b.value >> 8);
            // Refused, as a short record is: the sender is told nothing was kept.
            EXPECT_FALSE(poke(p.item, bytes));
            ASSERT_EQ(errors.size(), 1u);
            EXPECT_TRUE(errors[0].contains(QString::fromLatin1(p.item))) << errors[0].toStdString();
            EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Error: Invalid "))) << errors[0].toStdString();
            EXPECT_EQ(nodeCount(), 0);
            EXPECT_TRUE(stored.empty());
            EXPECT_TRUE(posted.empty());
        }
    }
}

TEST_F(EventsFixture, EventTimesAreAllShiftedAlikeInOfflineLogging)
{
    server.hooks.toProgramTime = [](SystemTime* t) {
        *t = SystemTime::fromTimePoint(t->toTimePoint() + std::chrono::hours(1));
    };
    for (const KnownPoke& p : allKnownPokes()) {
        SCOPED_TRACE(p.item);
        ASSERT_TRUE(poke(p.item, p.bytes));
    }
    const auto shifted = [](int second) {
        SystemTime t = knownTime(second);
        t.wHour += 1;
        return SystemTime::fromTimePoint(t.toTimePoint());
    };
    EXPECT_EQ(WhistleDetections.newest->record.pcTime, shifted(1));
    EXPECT_EQ(Seismics.newest->record.pcTime, shifted(2));
    EXPECT_EQ(RCEvents.newest->record.eventTime, shifted(3));
    EXPECT_EQ(PorpoiseEvents.newest->record.eventStart, shifted(4));
    EXPECT_EQ(WhistleEvents.newest->record.eventStart, shifted(5));
    EXPECT_EQ(RightWhaleEvents.newest->record.eventStart, shifted(6));
}

TEST_F(EventsFixture, UserFormPokesNeverReachTheEventHandlers)
{
    std::vector<QString> formItems;
    for (const KnownPoke& p : allKnownPokes()) {
        EXPECT_FALSE(poke(p.item, p.bytes, "UDFSERVICE")); // no user forms yet
        EXPECT_FALSE(poke(p.item, p.bytes, "udfservice"));
    }
    server.hooks.userFormPoke = [&](const QString& item, const QByteArray&) {
        formItems.push_back(item);
        return true;
    };
    for (const KnownPoke& p : allKnownPokes())
        EXPECT_TRUE(poke(p.item, p.bytes, "UDFSERVICE"));
    EXPECT_EQ(formItems.size(), allKnownPokes().size());
    EXPECT_EQ(nodeCount(), 0);
    EXPECT_TRUE(posted.empty());
    EXPECT_EQ(gpsPolls, 0);
}

TEST_F(EventsFixture, TopicsItemsAndCommands)
{
    EXPECT_TRUE(server.Connect("System"));
    EXPECT_TRUE(server.Connect("eventsservice"));
    EXPECT_TRUE(server.Connect("UDFSERVICE"));
    EXPECT_FALSE(server.Connect("Other"));

    EXPECT_TRUE(server.Execute("System", "anything"));
    EXPECT_EQ(beeps, 1);

    // Event items are taken on "System" too; "Porpoise" is acknowledged and
    // ignored; other items and topics are not processed.
    EXPECT_TRUE(poke("NewSeismic", seismic().encode(), "System"));
    EXPECT_EQ(seismicCount(), 1);
    EXPECT_TRUE(poke("Porpoise", porpoiseEvent().encode()));
    EXPECT_FALSE(poke("NewWhistle", whistle().encode()));
    EXPECT_FALSE(poke("NewWhistles", whistle().encode(), "Other"));
    EXPECT_EQ(nodeCount(), 1);
}

TEST_F(EventsFixture, AMessageWhoseNodeWasPurgedMeanwhileIsIgnored)
{
    ASSERT_TRUE(server.Poke(DdeTopicEvents, "NewWhistles", whistle().encode()));
    EXPECT_EQ(stored.size(), 1u); // before the answer
    PurgeWhistleDetections(0);    // before the queued dispatch runs
    pump();
    EXPECT_EQ(posted.size(), 1u);
    EXPECT_TRUE(mapped.empty());
    EXPECT_TRUE(triggers.empty());

    dispatch.OnDetection({KindWhistle, posted[0].serial}); // purged
    dispatch.OnDetection({99, posted[0].serial});          // no such kind
    EXPECT_EQ(stored.size(), 1u);
    EXPECT_TRUE(mapped.empty());
}

TEST_F(EventsFixture, CountsAndPurgeMeetAtTheAgeBoundary)
{
    const uint64_t age = 300'000;
    const uint64_t t0 = now;
    NewWhistleDetection(whistle(), nullptr);
    now = t0 + 1;
    NewWhistleDetection(whistle(), nullptr);

    now = t0 + age; // the first is exactly age old
    EXPECT_EQ(CountWhistleDetections(age), 2);
    EXPECT_EQ(CountWhistleDetections(0), 2);
    now = t0 + age + 1;
    EXPECT_EQ(CountWhistleDetections(age), 1);
    now = t0 + age;
    EXPECT_EQ(PurgeWhistleDetections(now + 1), 0); // more than the clock has run
    EXPECT_EQ(PurgeWhistleDetections(age), 1);
    EXPECT_EQ(CountWhistleDetections(0), 1);
    EXPECT_EQ(PurgeWhistleDetections(0), 1);
    EXPECT_TRUE(WhistleDetections.IsEmpty());
}

TEST_F(EventsFixture, AnOpenWhistleEventIsCountedAndStopsThePurge)
{
    NewWhistleEventRecord closed = whistleEvent();
    NewWhistleEvent(closed, nullptr);
    NewWhistleEventRecord open = whistleEvent();
    open.open = 1;
    open.eventKey += 1;
    NewWhistleEvent(open, nullptr);
    now += 600'000;
    NewWhistleEventRecord closedLater = closed;
    closedLater.eventKey += 2;
    WHISTLEEVENT* old = NewWhistleEvent(closedLater, nullptr);
    old->receiptTick = now - 600'000; // as old as the others

    // From the newest: the closed old one stops the count at once.
    EXPECT_EQ(CountWhistleEvents(60'000), 0);
    EXPECT_EQ(PurgeWhistleEvents(60'000), 1); // stops at the open one
    EXPECT_EQ(CountWhistleEvents(0), 2);
    PurgeWhistleEvents(0);
    NewWhistleEvent(closed, nullptr)->receiptTick = now - 600'000;
    NewWhistleEvent(open, nullptr)->receiptTick = now - 600'000;
    EXPECT_EQ(CountWhistleEvents(60'000), 1); // the open one, whatever its age
    EXPECT_EQ(PurgeWhistleEvents(0), 2);      // age 0 frees open ones too
}

TEST_F(EventsFixture, ShootingEndsThirtySecondsAfterTheLastReport)
{
    EXPECT_FALSE(IsShootingActive());
    NewSeismic(seismic(), nullptr);
    now += ShootingActiveMs - 1;
    EXPECT_TRUE(IsShootingActive());
    now += 1;
    EXPECT_FALSE(IsShootingActive());
}

TEST_F(EventsFixture, ThingsHeardAskForListeningEffortAndTakeTheFixAfterThePoll)
{
    int listening = ListeningEffortOff;
    std::vector<QString> asked;
    std::vector<QString> notes;
    int fullCommands = 0;
    bool answer = false;
    dispatch.ports.listeningEffortStatus = [&] { return listening; };
    dispatch.ports.askYesNo = [&](const QString& text, const QString& caption) {
        asked.push_back(caption + ": " + text);
        return answer;
    };
    dispatch.ports.setListeningEffortNote = [&](const QString& note) { notes.push_back(note); };
    dispatch.ports.setListeningEffortFull = [&] { ++fullCommands; };
    dispatch.ports.pollGpsIfDue = [&] { newestFix = &fixB; };

    dispatch.OnThingHeard("A very long name of something heard", 3);
    EXPECT_EQ(asked, std::vector<QString>{"Aural Detection: Set Listening Effort status to full ?"});
    EXPECT_TRUE(notes.empty()); // No: no note, but still full
    EXPECT_EQ(fullCommands, 1);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].fix, &fixB);
    EXPECT_EQ(ThingsHeard.newest->name, "A very long name of");
    EXPECT_EQ(ThingsHeard.newest->strength, 3);
    EXPECT_EQ(mapped.size(), 1u);
    EXPECT_TRUE(triggers.empty());

    answer = true;
    dispatch.OnThingHeard("Blow", 1);
    EXPECT_EQ(notes, std::vector<QString>{"Effort set AFTER hearing something"});
    EXPECT_EQ(fullCommands, 2);

    listening = 2; // already full: no question, no command
    dispatch.OnThingHeard("Blow", 1);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(fullCommands, 2);
}

class CountsTest : public EventsFixture {
protected:
    void SetUp() override
    {
        EventsFixture::SetUp();
        dispatch.ports.thingsHeardFormExists = [] { return true; };
        dispatch.ports.detectorPanelExists = [this] { return panel; };
        dispatch.ports.setStatusEdit = [this](int id, const QString& text, unsigned colour) {
            edits[id] = {text, colour};
        };
        dispatch.ports.setTrafficLight = [this](int state) { light = state; };
        dispatch.ports.runMode = [] { return 1u; };
        dispatch.ports.warningMinutes = [] { return 10; };
    }
    QString text(int id) { return edits[id].first; }

    bool panel = true;
    int light = 0;
    std::map<int, std::pair<QString, unsigned>> edits;
};

TEST_F(CountsTest, NothingRecentShowsZerosDashesAndTheQuietLight)
{
    NewSeismic(seismic(), nullptr); // shooting, but not a cetacean
    dispatch.UpdateCounts();
    for (int id : {HeardCountEdit, WhistleCountEdit, PorpoiseCountEdit, ClickCountEdit})
        EXPECT_EQ(text(id), "0") << id;
    for (int id : {HeardTimeEdit, WhistleTimeEdit, PorpoiseTimeEdit, ClickTimeEdit})
        EXPECT_EQ(text(id), "-") << id;
    EXPECT_EQ(edits[SeismicStateEdit], std::make_pair(QString("Shooting"), StatusAlert));
    EXPECT_EQ(text(SeismicTimeEdit), "09:26:02");
    EXPECT_EQ(light, TrafficLightQuiet);

    now += 30'000;
    dispatch.UpdateCounts();
    EXPECT_EQ(edits[SeismicStateEdit], std::make_pair(QString("Quiet"), StatusNormal));
}

TEST_F(CountsTest, RecentEventsShowTheirCountsTimesAndTheWarningLight)
{
    NewPorpoiseEvent(porpoiseEvent(), nullptr);
    NewRCEvent(clickEvent(), nullptr); // 09:26:03 plus 42.5 s
    NewWhistleEventRecord open = whistleEvent();
    open.open = 1;
    NewWhistleEvent(open, nullptr);
    NewRightWhaleEvent(rightWhaleEvent(), nullptr);
    dispatch.UpdateCounts();
    EXPECT_EQ(edits[PorpoiseCountEdit], std::make_pair(QString("1"), StatusAlert));
    EXPECT_EQ(text(PorpoiseTimeEdit), "09:26:04");
    EXPECT_EQ(text(ClickCountEdit), "1");
    EXPECT_EQ(text(ClickTimeEdit), "09:26:45");
    EXPECT_EQ(text(WhistleCountEdit), "2");
    EXPECT_EQ(text(WhistleTimeEdit), "Active");
    EXPECT_EQ(light, TrafficLightRecent);

    // Ten minutes on: only the open whistle event still counts.
    now += 10 * 60'000 + 1;
    dispatch.UpdateCounts();
    EXPECT_EQ(text(PorpoiseCountEdit), "0");
    EXPECT_EQ(text(WhistleCountEdit), "1");
    EXPECT_EQ(light, TrafficLightRecent);

    // Without the detector panel the light still follows the counts.
    panel = false;
    light = 0;
    dispatch.UpdateCounts();
    EXPECT_EQ(light, TrafficLightRecent);
}

TEST_F(EventsFixture, ThePurgeDropsWhatIsOlderThanTheDisplayTimeAndRedrawsTheMap)
{
    std::vector<uint64_t> gpsAges;
    int redraws = 0;
    dispatch.ports.displayMinutes = [] { return 5; };
    dispatch.ports.purgeGpsFixes = [&](uint64_t age) {
        gpsAges.push_back(age);
        return 0;
    };
    dispatch.ports.redrawMap = [&] { ++redraws; };

    NewSeismic(seismic(), nullptr);
    now += 301'000;
    EXPECT_FALSE(dispatch.PurgeOldEvents()); // a seismic report alone: no redraw
    EXPECT_EQ(seismicCount(), 0);
    EXPECT_EQ(redraws, 0);
    EXPECT_EQ(gpsAges, std::vector<uint64_t>{300'000});

    NewWhistleDetection(whistle(), nullptr);
    NewPorpoiseEvent(porpoiseEvent(), nullptr);
    now += 299'000;
    EXPECT_FALSE(dispatch.PurgeOldEvents());
    now += 2'000;
    EXPECT_TRUE(dispatch.PurgeOldEvents());
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(nodeCount(), 0);
}

TEST(ClickEventRange, MissingRangesTakeTheSpeciesDefaultAndUnknownWhalesTheDefaultColour)
{
    velmar::store::TheProgramSettings.SpermClickRange = 4.0f;
    velmar::store::TheProgramSettings.DolphinClickRange = 1.5f;
    RCEvent e;
    e.record = clickEvent();
    EXPECT_FLOAT_EQ(GetClickEventRange(e), 2.5f);
    e.record.meanRange = NewRCEventRecord::NoRange;
    EXPECT_FLOAT_EQ(GetClickEventRange(e), 4.0f);
    e.record.species = NewRCEventRecord::SpeciesDolphin;
    EXPECT_FLOAT_EQ(GetClickEventRange(e), 1.5f);

    for (const auto& [id, colour] : std::vector<std::pair<int16_t, int>>{{0, 0}, {1, 1}, {12, 12}, {13, 0}, {-1, 0}}) {
        e.record.whaleId = id;
        EXPECT_EQ(GetClickEventColourIndex(e), colour) << id;
    }
}

} // namespace
