#include "nav/RecentEventDispatch.h"

#include "nav/GpsFixList.h"
#include "nav/HeardSpecies.h"
#include "platform/RunMode.h"
#include "nav/EventWriters.h"
#include "store/RecordWriters.h"
#include "settings/ProgramSettings.h"

#include <chrono>

namespace velmar::nav {

namespace {

constexpr uint64_t MsPerMinute = 60000;

uint64_t minutesToMs(int32_t minutes)
{
    return minutes > 0 ? uint64_t(minutes) * MsPerMinute : 0;
}

// "-" for a count of 0, else the text of the newest event's time.
QString timeOrDash(int count, const QString& timeText)
{
    return count ? timeText : QStringLiteral("-");
}

unsigned colourOf(int count)
{
    return count ? StatusAlert : StatusNormal;
}

} // namespace

QString StatusTimeText(const platform::SystemTime& time)
{
    return QString::asprintf("%2.2d:%2.2d:%2.2d", int(time.wHour), int(time.wMinute), int(time.wSecond));
}

std::optional<RecorderTrigger> TriggerFor(DetectionKind kind, int32_t clickSpecies)
{
    switch (kind) {
    case KindWhistle: return RecorderTrigger{1, 60, QStringLiteral("Single Whistle")};
    case KindPorpoiseEvent: return RecorderTrigger{0, 60, QStringLiteral("Porpoise Event")};
    case KindClickEvent:
        if (clickSpecies == NewRCEventRecord::SpeciesSpermWhale)
            return RecorderTrigger{3, 120, QStringLiteral("QuintraClick Sperm Whale")};
        if (clickSpecies == NewRCEventRecord::SpeciesDolphin)
            return RecorderTrigger{4, 120, QStringLiteral("QuintraClick Dolphin")};
        return RecorderTrigger{4, 120, QStringLiteral("QuintraClick Unknown")};
    case KindWhistleEvent: return RecorderTrigger{2, 120, QStringLiteral("Whistle Event")};
    case KindRightWhaleEvent: return RecorderTrigger{2, 120, QStringLiteral("Right Whale Event")};
    case KindThingHeard:
    case KindSeismic: break;
    }
    return std::nullopt;
}

RecentEventDispatch::RecentEventDispatch()
{
    Writers& w = ports.writers;
    w.whistle = [](const WHISTLEDETECTION& n) { return store::DbWriteWhistle(n); };
    w.porpoiseEvent = [](const PorpoiseEvent& n) { return store::DbWritePorpoiseEvent(n); };
    w.clickEvent = [](const RCEvent& n) { return store::DbWriteQuintraEvent(n); };
    w.thingHeard = [](const THINGHEARD& n) { return store::DbWriteThingHeard(n); };
    w.seismic = [](const SEISMIC& n) { return store::DbWriteSeismic(n); };
    w.whistleEvent = [](const WHISTLEEVENT& n) { return store::DbWriteWhistleEvent(n); };
    w.rightWhaleEvent = [](const RWEVENT& n) { return store::DbWriteRightWhaleEvent(n); };
    ports.pollGpsIfDue = store::RequestGpsPoll;
    ports.purgeGpsFixes = PurgeGpsFixes;
}

template <class Node>
bool RecentEventDispatch::Store(Node& node, const std::function<bool(const Node&)>& write)
{
    return !write || write(node);
}

template <class Node>
bool RecentEventDispatch::StoreOnce(Node& node, const std::function<bool(const Node&)>& write)
{
    if (node.stored)
        return true;
    node.stored = Store(node, write);
    return node.stored;
}

void RecentEventDispatch::Trigger(DetectionKind kind, int32_t clickSpecies)
{
    if (const auto trigger = TriggerFor(kind, clickSpecies); trigger && ports.triggerRecorders)
        ports.triggerRecorders(*trigger);
}

void RecentEventDispatch::OnDetection(DetectionKey key)
{
    StoreDetection(key);
    Announce(key);
}

bool RecentEventDispatch::StoreDetection(DetectionKey key)
{
    const Writers& w = ports.writers;
    switch (DetectionKind(key.kind)) {
    case KindWhistle: {
        WHISTLEDETECTION* node = WhistleDetections.FindBySerial(key.serial);
        return !node || Store(*node, w.whistle);
    }
    case KindPorpoiseEvent: {
        // Updates may repeat the final state; its row is written once.
        PorpoiseEvent* node = PorpoiseEvents.FindBySerial(key.serial);
        return !node || node->record.state != PorpoiseEventRecord::StateFinal || StoreOnce(*node, w.porpoiseEvent);
    }
    case KindClickEvent: {
        RCEvent* node = RCEvents.FindBySerial(key.serial);
        return !node || node->record.state != NewRCEventRecord::StateFinal || StoreOnce(*node, w.clickEvent);
    }
    case KindThingHeard: {
        THINGHEARD* node = ThingsHeard.FindBySerial(key.serial);
        return !node || Store(*node, w.thingHeard);
    }
    case KindSeismic: {
        SEISMIC* node = Seismics.FindBySerial(key.serial);
        return !node || Store(*node, w.seismic);
    }
    case KindWhistleEvent: {
        // Stored already when a newer event closed it while it was open.
        WHISTLEEVENT* node = WhistleEvents.FindBySerial(key.serial);
        return !node || node->IsOpen() || StoreOnce(*node, w.whistleEvent);
    }
    case KindRightWhaleEvent: {
        RWEVENT* node = RightWhaleEvents.FindBySerial(key.serial);
        return !node || Store(*node, w.rightWhaleEvent);
    }
    }
    return true;
}

void RecentEventDispatch::Announce(DetectionKey key)
{
    const auto kind = DetectionKind(key.kind);
    bool found = false;
    int32_t clickSpecies = 0;
    switch (kind) {
    case KindWhistle: found = WhistleDetections.FindBySerial(key.serial); break;
    case KindPorpoiseEvent: found = PorpoiseEvents.FindBySerial(key.serial); break;
    case KindClickEvent:
        if (const RCEvent* node = RCEvents.FindBySerial(key.serial)) {
            found = true;
            clickSpecies = node->record.species;
        }
        break;
    case KindThingHeard: found = ThingsHeard.FindBySerial(key.serial); break;
    case KindSeismic: return; // seismic reports trigger nothing and are not drawn
    case KindWhistleEvent: found = WhistleEvents.FindBySerial(key.serial); break;
    case KindRightWhaleEvent: found = RightWhaleEvents.FindBySerial(key.serial); break;
    }
    if (!found)
        return;
    Trigger(kind, clickSpecies); // things heard have no trigger
    if (ports.toMap)
        ports.toMap(key);
}

void RecentEventDispatch::OnThingHeard(const QString& text, int16_t strength)
{
    if (ports.listeningEffortStatus && ports.listeningEffortStatus() == ListeningEffortOff) {
        const bool yes = ports.askYesNo
                      && ports.askYesNo(QString::fromLatin1(ListeningQuestion), QString::fromLatin1(ListeningCaption));
        if (yes && ports.setListeningEffortNote)
            ports.setListeningEffortNote(QString::fromLatin1(ListeningLateNote));
        if (ports.setListeningEffortFull)
            ports.setListeningEffortFull();
    }
    // The species index goes with the record, so the map draws it in its
    // species' colour (an unknown species, -1, is not drawn).
    THINGHEARD* node = NewThingHeard(text, strength, TheHeardSpecies().FindSpecies(text), nullptr);
    if (ports.pollGpsIfDue)
        ports.pollGpsIfDue();
    node->fix = NewestFix();
    OnDetection({KindThingHeard, node->serial});
}

void RecentEventDispatch::SetEdit(int id, const QString& text, unsigned colour)
{
    if (ports.setStatusEdit)
        ports.setStatusEdit(id, text, colour);
}

int RecentEventDispatch::CountHeard(uint64_t ageMs)
{
    const int heard = CountThingsHeard(ageMs);
    SetEdit(HeardCountEdit, QString::number(heard), colourOf(heard));
    SetEdit(HeardTimeEdit, timeOrDash(heard, heard ? StatusTimeText(ThingsHeard.newest->programTime) : QString()),
            colourOf(heard));
    return heard;
}

int RecentEventDispatch::CountDetectorPanel(uint64_t ageMs)
{
    const int whistles = CountWhistleEvents(ageMs) + CountRightWhaleEvents(ageMs);
    QString whistleTime;
    if (const WHISTLEEVENT* e = WhistleEvents.newest)
        whistleTime = e->IsActive() ? QStringLiteral("Active") : StatusTimeText(e->programTime);
    else if (const RWEVENT* rw = RightWhaleEvents.newest)
        whistleTime = StatusTimeText(rw->programTime);
    SetEdit(WhistleCountEdit, QString::number(whistles), colourOf(whistles));
    SetEdit(WhistleTimeEdit, timeOrDash(whistles, whistleTime), colourOf(whistles));

    const int porpoises = CountPorpoiseEvents(ageMs);
    SetEdit(PorpoiseCountEdit, QString::number(porpoises), colourOf(porpoises));
    SetEdit(PorpoiseTimeEdit,
            timeOrDash(porpoises, porpoises ? StatusTimeText(PorpoiseEvents.newest->record.eventStart) : QString()),
            colourOf(porpoises));

    const int clicks = CountRCEvents(ageMs);
    QString clickTime;
    if (clicks) {
        const NewRCEventRecord& r = RCEvents.newest->record;
        // The end of the event: its time plus its whole seconds.
        platform::SystemTime end = r.eventTime;
        // The receiver refuses records without a usable duration; this only
        // keeps the arithmetic defined should one come another way.
        if (end.isValid() && r.valuesValid())
            end = platform::SystemTime::fromTimePoint(end.toTimePoint() + std::chrono::seconds(int64_t(r.duration)));
        clickTime = StatusTimeText(end);
    }
    SetEdit(ClickCountEdit, QString::number(clicks), colourOf(clicks));
    SetEdit(ClickTimeEdit, timeOrDash(clicks, clickTime), colourOf(clicks));

    const bool shooting = IsShootingActive();
    const unsigned seismicColour = shooting ? StatusAlert : StatusNormal;
    SetEdit(SeismicStateEdit, shooting ? QStringLiteral("Shooting") : QStringLiteral("Quiet"), seismicColour);
    SetEdit(SeismicTimeEdit, Seismics.newest ? StatusTimeText(Seismics.newest->record.pcTime) : QStringLiteral("-"),
            seismicColour);

    return whistles + porpoises + clicks;
}

void RecentEventDispatch::UpdateCounts()
{
    const uint64_t ageMs = minutesToMs(ports.warningMinutes ? ports.warningMinutes()
                                                            : store::TheProgramSettings.WarningTime);
    int total = 0;
    if (ports.thingsHeardFormExists && ports.thingsHeardFormExists())
        total += CountHeard(ageMs);
    else
        total += CountThingsHeard(ageMs);
    // The light follows the counts whether or not the panel is shown; the
    // panel's boxes are simply not there to fill.
    total += CountDetectorPanel(ageMs);

    const quint32 mode = ports.runMode ? ports.runMode() : platform::RunMode;
    if ((mode == platform::RunModeOnline || mode == platform::RunModeOffline) && ports.setTrafficLight)
        ports.setTrafficLight(total ? TrafficLightRecent : TrafficLightQuiet);
}

bool RecentEventDispatch::PurgeOldEvents()
{
    const uint64_t ageMs = minutesToMs(ports.displayMinutes ? ports.displayMinutes()
                                                            : store::TheProgramSettings.DisplayTime);
    // A display time of 0 would mean "purge everything" to the lists; the
    // settings never allow it, and it must not empty the map every minute.
    if (ageMs == 0)
        return false;
    int dropped = PurgeWhistleDetections(ageMs);
    dropped += PurgePorpoiseEvents(ageMs);
    dropped += PurgeRCEvents(ageMs);
    dropped += PurgeThingsHeard(ageMs);
    if (ports.purgeGpsFixes)
        dropped += ports.purgeGpsFixes(ageMs);
    dropped += PurgeRightWhaleEvents(ageMs);
    dropped += PurgeWhistleEvents(ageMs);
    if (ports.purgeUserPlotThings)
        dropped += ports.purgeUserPlotThings(ageMs);
    PurgeSeismics(ageMs);
    if (dropped && ports.redrawMap)
        ports.redrawMap();
    return dropped != 0;
}

} // namespace velmar::nav
