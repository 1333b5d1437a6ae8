#include "nav/RecentLists.h"

#include "nav/GpsFixList.h"
#include "platform/ProgramClock.h"

#include <chrono>

namespace velmar::nav {

RecentList<WHISTLEDETECTION> WhistleDetections;
RecentList<THINGHEARD> ThingsHeard;
RecentList<SEISMIC> Seismics;
RecentList<WHISTLEEVENT> WhistleEvents;
RecentList<RWEVENT> RightWhaleEvents;
RecentList<PorpoiseEvent> PorpoiseEvents;
RecentList<RCEvent> RCEvents;

namespace {

std::function<uint64_t()>& tickSource()
{
    static std::function<uint64_t()> source;
    return source;
}

std::function<GPSTHING*()>& fixSource()
{
    static std::function<GPSTHING*()> source;
    return source;
}

// One serial sequence for all kinds, so a key is never reused within a run.
uint64_t nextSerial()
{
    static uint64_t serial = 0;
    return ++serial;
}

platform::SystemTime programTimeNow()
{
    platform::SystemTime t;
    platform::GetProgramTime(&t);
    return t;
}

// Links to fixes of the program's fix list are let go when it frees them.
void listenToFixList()
{
    static const int listener = TheGpsFixList().AddFreeListener([](const GPSTHING* fix) { ReleaseFix(fix); });
    (void)listener;
}

template <class Node>
Node* append(RecentList<Node>& list, Node* node)
{
    listenToFixList();
    node->serial = nextSerial();
    node->older = list.newest;
    node->newer = nullptr;
    if (list.newest)
        list.newest->newer = node;
    else
        list.oldest = node;
    list.newest = node;
    return node;
}

template <class Node>
void unlinkAndFree(RecentList<Node>& list, Node* node)
{
    (node->older ? node->older->newer : list.oldest) = node->newer;
    (node->newer ? node->newer->older : list.newest) = node->older;
    delete node;
}

// A node is old when it is more than age before now. With age 0 nothing is
// old; before the clock has run for age, nothing can be.
bool isOld(uint64_t stamp, uint64_t ageMs, uint64_t now)
{
    return ageMs != 0 && now > ageMs && stamp < now - ageMs;
}

template <class Node, class MayStop>
int countNodes(const RecentList<Node>& list, uint64_t ageMs, MayStop mayStop)
{
    const uint64_t now = RecentTickCount();
    int count = 0;
    for (const Node* n = list.newest; n; n = n->older) {
        if (isOld(n->AgeStamp(), ageMs, now) && mayStop(*n))
            break;
        ++count;
    }
    return count;
}

template <class Node>
int countNodes(const RecentList<Node>& list, uint64_t ageMs)
{
    return countNodes(list, ageMs, [](const Node&) { return true; });
}

template <class Node, class MayFree>
int purgeNodes(RecentList<Node>& list, uint64_t ageMs, MayFree mayFree)
{
    const uint64_t now = RecentTickCount();
    if (ageMs != 0 && ageMs >= now)
        return 0;
    int freed = 0;
    while (Node* n = list.oldest) {
        if (ageMs != 0 && n->AgeStamp() > now - ageMs)
            break;
        if (!mayFree(*n))
            break;
        unlinkAndFree(list, n);
        ++freed;
    }
    return freed;
}

template <class Node>
int purgeNodes(RecentList<Node>& list, uint64_t ageMs)
{
    return purgeNodes(list, ageMs, [](const Node&) { return true; });
}

template <class Node, class Key>
Node* findByKey(const RecentList<Node>& list, const Key& key)
{
    for (Node* n = list.newest; n; n = n->older)
        if (n->Key() == key)
            return n;
    return nullptr;
}

} // namespace

uint64_t RecentTickCount()
{
    if (const auto& source = tickSource())
        return source();
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SetRecentTickSource(std::function<uint64_t()> source)
{
    tickSource() = std::move(source);
}

GPSTHING* NewestFix()
{
    if (const auto& source = fixSource())
        return source();
    return GetLastGpsFix(0);
}

void ReleaseFix(const GPSTHING* fix)
{
    const auto drop = [fix](GPSTHING*& link) {
        if (link == fix)
            link = nullptr;
    };
    for (WHISTLEDETECTION* n = WhistleDetections.newest; n; n = n->older)
        drop(n->fix);
    for (THINGHEARD* n = ThingsHeard.newest; n; n = n->older)
        drop(n->fix);
    for (SEISMIC* n = Seismics.newest; n; n = n->older)
        drop(n->fix);
    for (WHISTLEEVENT* n = WhistleEvents.newest; n; n = n->older)
        drop(n->fix);
    for (RWEVENT* n = RightWhaleEvents.newest; n; n = n->older)
        drop(n->fix);
    for (PorpoiseEvent* n = PorpoiseEvents.newest; n; n = n->older) {
        drop(n->firstFix);
        drop(n->latestFix);
    }
    for (RCEvent* n = RCEvents.newest; n; n = n->older) {
        drop(n->firstFix);
        drop(n->latestFix);
    }
}

void SetNewestFixSource(std::function<GPSTHING*()> source)
{
    fixSource() = std::move(source);
}

WHISTLEDETECTION* NewWhistleDetection(const NewWhistlesRecord& record, GPSTHING* fix)
{
    auto* node = new WHISTLEDETECTION;
    node->record = record;
    node->fix = fix;
    node->creationTick = RecentTickCount();
    return append(WhistleDetections, node);
}

SEISMIC* NewSeismic(const NewSeismicRecord& record, GPSTHING* fix)
{
    auto* node = new SEISMIC;
    node->receiptTick = RecentTickCount();
    node->record = record;
    node->fix = fix;
    return append(Seismics, node);
}

WHISTLEEVENT* NewWhistleEvent(const NewWhistleEventRecord& record, GPSTHING* fix)
{
    auto* node = new WHISTLEEVENT;
    node->record = record;
    node->fix = fix;
    node->programTime = programTimeNow();
    node->receiptTick = RecentTickCount();
    return append(WhistleEvents, node);
}

RWEVENT* NewRightWhaleEvent(const RightWhaleEventRecord& record, GPSTHING* fix)
{
    auto* node = new RWEVENT;
    node->record = record;
    node->receiptTick = RecentTickCount();
    // The record's tick words are 32 bits wide; the node keeps the full age.
    node->record.receiptTick1 = uint32_t(node->receiptTick);
    node->record.receiptTick2 = uint32_t(node->receiptTick);
    node->fix = fix;
    node->programTime = programTimeNow();
    return append(RightWhaleEvents, node);
}

PorpoiseEvent* NewPorpoiseEvent(const PorpoiseEventRecord& record, GPSTHING* fix)
{
    auto* node = new PorpoiseEvent;
    node->firstFix = fix;
    node->latestFix = fix;
    node->record = record;
    node->receiptTick = RecentTickCount();
    return append(PorpoiseEvents, node);
}

RCEvent* NewRCEvent(const NewRCEventRecord& record, GPSTHING* fix)
{
    auto* node = new RCEvent;
    node->record = record;
    node->firstFix = fix;
    node->latestFix = fix;
    node->receiptTick = RecentTickCount();
    return append(RCEvents, node);
}

namespace {

THINGHEARD* newThingHeard(const QString& name, int16_t strength, int32_t value, GPSTHING* fix)
{
    auto* node = new THINGHEARD;
    node->creationTick = RecentTickCount();
    node->name = name.left(THINGHEARD::NameWidth - 1);
    node->strength = strength;
    node->fix = fix;
    node->value = value;
    return node;
}

} // namespace

THINGHEARD* NewThingHeard(const QString& name, int16_t strength, int32_t value, GPSTHING* fix)
{
    THINGHEARD* node = newThingHeard(name, strength, value, fix);
    node->programTime = programTimeNow();
    return append(ThingsHeard, node);
}

THINGHEARD* NewStoredThingHeard(const QString& name, int16_t strength, int32_t value, GPSTHING* fix)
{
    return append(ThingsHeard, newThingHeard(name, strength, value, fix));
}

void WHISTLEEVENT::Update(WHISTLEEVENT* node, const NewWhistleEventRecord& record)
{
    node->programTime = programTimeNow();
    node->record = record;
    node->receiptTick = RecentTickCount();
}

void PorpoiseEvent::Update(PorpoiseEvent* node, const PorpoiseEventRecord& record)
{
    node->record = record;
    node->latestFix = NewestFix();
    node->receiptTick = RecentTickCount();
}

void RCEvent::Update(RCEvent* node, const NewRCEventRecord& record)
{
    node->record = record;
    node->latestFix = NewestFix();
    node->receiptTick = RecentTickCount();
}

WHISTLEEVENT* FindWhistleEvent(const NewWhistleEventRecord& record)
{
    return findByKey(WhistleEvents, record.eventKey);
}

PorpoiseEvent* FindPorpoiseEvent(const PorpoiseEventRecord& record)
{
    return findByKey(PorpoiseEvents, PorpoiseEvent::KeyOf(record));
}

RCEvent* FindRCEvent(const NewRCEventRecord& record)
{
    return findByKey(RCEvents, RCEvent::KeyOf(record));
}

WHISTLEEVENT* CloseOpenWhistleEvent(const WhistleEventWriter& write)
{
    WHISTLEEVENT* event = WhistleEvents.newest;
    if (!event || !event->IsActive())
        return nullptr;
    event->programTime = programTimeNow();
    if (write)
        write(*event);
    event->stored = true;
    return event;
}

int CountWhistleDetections(uint64_t ageMs)
{
    return countNodes(WhistleDetections, ageMs);
}
int CountThingsHeard(uint64_t ageMs)
{
    return countNodes(ThingsHeard, ageMs);
}
int CountRightWhaleEvents(uint64_t ageMs)
{
    return countNodes(RightWhaleEvents, ageMs);
}
int CountPorpoiseEvents(uint64_t ageMs)
{
    return countNodes(PorpoiseEvents, ageMs);
}
int CountRCEvents(uint64_t ageMs)
{
    return countNodes(RCEvents, ageMs);
}

int CountWhistleEvents(uint64_t ageMs)
{
    return countNodes(WhistleEvents, ageMs, [](const WHISTLEEVENT& e) { return !e.IsActive(); });
}

int PurgeWhistleDetections(uint64_t ageMs)
{
    return purgeNodes(WhistleDetections, ageMs);
}
int PurgeThingsHeard(uint64_t ageMs)
{
    return purgeNodes(ThingsHeard, ageMs);
}
int PurgeSeismics(uint64_t ageMs)
{
    return purgeNodes(Seismics, ageMs);
}
int PurgeRightWhaleEvents(uint64_t ageMs)
{
    return purgeNodes(RightWhaleEvents, ageMs);
}
int PurgePorpoiseEvents(uint64_t ageMs)
{
    return purgeNodes(PorpoiseEvents, ageMs);
}
int PurgeRCEvents(uint64_t ageMs)
{
    return purgeNodes(RCEvents, ageMs);
}

int PurgeWhistleEvents(uint64_t ageMs)
{
    // An event the detector is still adding to stays, and so does everything
    // newer than it.
    return purgeNodes(WhistleEvents, ageMs, [ageMs](const WHISTLEEVENT& e) { return ageMs == 0 || !e.IsActive(); });
}

void PurgeAllDetections()
{
    PurgeWhistleDetections(0);
    PurgeThingsHeard(0);
    PurgeSeismics(0);
    PurgeWhistleEvents(0);
    PurgeRightWhaleEvents(0);
    PurgePorpoiseEvents(0);
    PurgeRCEvents(0);
}

bool IsShootingActive()
{
    const SEISMIC* newest = Seismics.newest;
    if (!newest)
        return false;
    const uint64_t now = RecentTickCount();
    // Added rather than subtracted, so the clock's first 30 s cannot wrap.
    return newest->receiptTick + ShootingActiveMs > now;
}

} // namespace velmar::nav
