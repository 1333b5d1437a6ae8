#pragma once
// The recent lists: every detection the main program shows lives in the list
// of its kind, oldest first, newest last, until the kind's purge frees it.
// The DDE server, the database readers and the things-heard form add to them;
// the main window counts and purges them; the map draws them.
//
// Nodes are created here only (New...) and freed here only (Purge...). Code
// that must come back to a node later (a queued message, the map) keeps its
// DetectionKey and looks the node up again, since a purge may have freed it.
//
// Ages: milliseconds of RecentTickCount, a 64-bit monotonic clock that tests
// replace. An age of 0 means "all".
//
// User-interface thread only; nothing is locked.
#include "nav/DetectionRecords.h"

#include <cstdint>
#include <functional>

namespace velmar::nav {

// wParam of message 1028: what kind of node a message is about.
enum DetectionKind : int32_t {
    KindWhistle = 1,         // WHISTLEDETECTION, item "NewWhistles"
    KindPorpoiseEvent = 2,   // PorpoiseEvent, item "PorpoiseEvent"
    KindClickEvent = 3,      // RCEvent, item "NewRCEvent"
    KindThingHeard = 4,      // THINGHEARD, entered by hand
    KindSeismic = 5,         // SEISMIC, item "NewSeismic"
    KindWhistleEvent = 6,    // WHISTLEEVENT, item "NewWhislteEvent"
    KindRightWhaleEvent = 7, // RWEVENT, item "RightWhaleEvent"
};

// A node as messages name it: its kind and its serial.
struct DetectionKey {
    int32_t kind = 0;
    uint64_t serial = 0;
    bool operator==(const DetectionKey&) const = default;
};

// Milliseconds of a monotonic clock (steady clock unless a test set its own).
uint64_t RecentTickCount();
// Replaces the clock; an empty function restores the steady clock.
void SetRecentTickSource(std::function<uint64_t()> source);

// The newest GPS fix of data set 0 (GetLastGpsFix), or null. Tests set
// their own source; an empty function restores the program's fix list.
GPSTHING* NewestFix();
void SetNewestFixSource(std::function<GPSTHING*()> source);
// Every link to the fix becomes null. The program's fix list calls it for
// each fix it frees, so no node points at a freed fix.
void ReleaseFix(const GPSTHING* fix);

// A doubly linked list of one kind: oldest and newest node.
template <class Node>
struct RecentList {
    Node* oldest = nullptr;
    Node* newest = nullptr;

    // The node with this serial, searched from the newest; null when gone.
    Node* FindBySerial(uint64_t serial) const
    {
        for (Node* n = newest; n; n = n->older)
            if (n->serial == serial)
                return n;
        return nullptr;
    }
    bool IsEmpty() const { return newest == nullptr; }
};

extern RecentList<WHISTLEDETECTION> WhistleDetections;
extern RecentList<THINGHEARD> ThingsHeard;
extern RecentList<SEISMIC> Seismics;
extern RecentList<WHISTLEEVENT> WhistleEvents;
extern RecentList<RWEVENT> RightWhaleEvents;
extern RecentList<PorpoiseEvent> PorpoiseEvents;
extern RecentList<RCEvent> RCEvents;

// New nodes, appended as newest, stamped now, linked to the given fix (the
// DDE server passes NewestFix(), the readers the fix of the stored row).
WHISTLEDETECTION* NewWhistleDetection(const NewWhistlesRecord& record, GPSTHING* fix);
SEISMIC* NewSeismic(const NewSeismicRecord& record, GPSTHING* fix);
// Program time now.
WHISTLEEVENT* NewWhistleEvent(const NewWhistleEventRecord& record, GPSTHING* fix);
// Writes the receipt tick (its low 32 bits) into both tick words of the
// record; program time now.
RWEVENT* NewRightWhaleEvent(const RightWhaleEventRecord& record, GPSTHING* fix);
// fix becomes both the first and the latest fix.
PorpoiseEvent* NewPorpoiseEvent(const PorpoiseEventRecord& record, GPSTHING* fix);
RCEvent* NewRCEvent(const NewRCEventRecord& record, GPSTHING* fix);
// An aural detection entered now: program time now. The name is cut to the
// 19 characters that fit.
THINGHEARD* NewThingHeard(const QString& name, int16_t strength, int32_t value, GPSTHING* fix);
// A things-heard row loaded from the database: the program time stays unset.
THINGHEARD* NewStoredThingHeard(const QString& name, int16_t strength, int32_t value, GPSTHING* fix);

// The node of the record's event key, searched from the newest; null when
// there is none.
WHISTLEEVENT* FindWhistleEvent(const NewWhistleEventRecord& record);
PorpoiseEvent* FindPorpoiseEvent(const PorpoiseEventRecord& record);
RCEvent* FindRCEvent(const NewRCEventRecord& record);

// Stores a whistle event in WhistleEvents.
using WhistleEventWriter = std::function<void(const WHISTLEEVENT&)>;
// When the newest whistle event is still active (open, not stored): stamps
// it with the program time, stores it and marks it stored (its open flag is
// left as received). Returns the event it stored, or null.
WHISTLEEVENT* CloseOpenWhistleEvent(const WhistleEventWriter& write);

// Counts walk from the newest node and stop at the first one older than age
// (ageMs milliseconds before now); whistle events still active are counted
// whatever their age and never stop the walk. Purges free from the oldest
// node until the first one younger than age; the whistle-event purge also
// stops at an active event unless age is 0. An age that reaches back before
// the clock's start frees nothing. A node exactly age old is both counted
// and purged. Each returns how many nodes it counted or freed.
int CountWhistleDetections(uint64_t ageMs);
int CountThingsHeard(uint64_t ageMs);
int CountWhistleEvents(uint64_t ageMs);
int CountRightWhaleEvents(uint64_t ageMs);
int CountPorpoiseEvents(uint64_t ageMs);
int CountRCEvents(uint64_t ageMs);
int PurgeWhistleDetections(uint64_t ageMs);
int PurgeThingsHeard(uint64_t ageMs);
int PurgeSeismics(uint64_t ageMs);
int PurgeWhistleEvents(uint64_t ageMs);
int PurgeRightWhaleEvents(uint64_t ageMs);
int PurgePorpoiseEvents(uint64_t ageMs);
int PurgeRCEvents(uint64_t ageMs);
// Frees every node of every kind (data reloaded or shown anew).
void PurgeAllDetections();

// Seismic shooting goes on: the newest seismic report arrived less than
// 30 seconds ago.
inline constexpr uint64_t ShootingActiveMs = 30000;
bool IsShootingActive();

} // namespace velmar::nav
