#pragma once
// The detection records kept in memory in recent lists, newest last, each
// linked to the GPS fix that was newest when it arrived: whistles, things
// heard, seismic reports, whistle events, harmonic (right whale) events,
// porpoise events and click events. Each node holds its detector's record
// whole (see DetectorRecords.h) plus what the main program adds.
//
// These are the nodes only; the recent lists (RecentLists.h) that create,
// find, count and purge them own them (created with new, freed by the kind's
// purge). A fix link points to a GPSTHING of data set 0, or is null when no
// fix existed.
//
// Ages are stamped by the receiver on its own 64-bit monotonic millisecond
// clock (RecentTickCount): at creation, and for the events that detectors
// update, again at every update. The tick counts that detectors write into
// their records come from another program's clock; they are kept in the
// record as received but never compared with ours.
//
// serial is the node's key in its list, unique for the run: messages about a
// node carry it and look the node up when handled, so a node purged
// meanwhile is simply not found.
//
// User-interface thread only.
#include "nav/DetectorRecords.h"
#include "nav/GpsFixData.h"
#include "platform/SystemTime.h"

#include <QString>

#include <cstdint>

namespace velmar::nav {

struct WHISTLEDETECTION {
    NewWhistlesRecord record;
    // Kept beside the record rather than in the record's unread slot.
    GPSTHING* fix = nullptr;
    uint64_t creationTick = 0; // age stamp
    uint64_t serial = 0;
    WHISTLEDETECTION* older = nullptr;
    WHISTLEDETECTION* newer = nullptr;

    uint64_t AgeStamp() const { return creationTick; }
};

// An aural detection entered by hand or loaded from the ThingsHeard table.
struct THINGHEARD {
    static constexpr int NameWidth = 20; // the name fits 19 characters

    uint64_t creationTick = 0; // age stamp
    uint64_t serial = 0;
    QString name;
    int16_t strength = 0;
    platform::SystemTime programTime;
    GPSTHING* fix = nullptr;
    int32_t value = 0;
    THINGHEARD* older = nullptr;
    THINGHEARD* newer = nullptr;

    // The name as stored, cut to the 19 characters that fit.
    QString GetName() const { return name.left(NameWidth - 1); }
    uint64_t AgeStamp() const { return creationTick; }
};

struct SEISMIC {
    uint64_t receiptTick = 0; // age stamp
    uint64_t serial = 0;
    NewSeismicRecord record;
    GPSTHING* fix = nullptr;
    SEISMIC* older = nullptr;
    SEISMIC* newer = nullptr;

    uint64_t AgeStamp() const { return receiptTick; }
};

struct WHISTLEEVENT {
    NewWhistleEventRecord record;
    GPSTHING* fix = nullptr;
    // Program time at creation, at each update and at closing.
    platform::SystemTime programTime;
    uint64_t receiptTick = 0; // age stamp: at creation and each update
    uint64_t serial = 0;
    // Written to WhistleEvents: when closed, or when a newer event arrived
    // while it was still open. A stored event is never stored again and no
    // longer counts as open for counting and purging.
    bool stored = false;
    WHISTLEEVENT* older = nullptr;
    WHISTLEEVENT* newer = nullptr;

    // The detector's open flag as received.
    bool IsOpen() const { return record.open != 0; }
    // Open and not yet stored: still being added to by the detector.
    bool IsActive() const { return IsOpen() && !stored; }
    int32_t Key() const { return record.eventKey; }
    uint64_t AgeStamp() const { return receiptTick; }

    // A newer state of the event: the record replaced, program time and age
    // stamp now, the fix kept (RecentLists.cpp).
    static void Update(WHISTLEEVENT* node, const NewWhistleEventRecord& record);
};

struct RWEVENT {
    RightWhaleEventRecord record; // both tick words hold the receipt tick
    GPSTHING* fix = nullptr;
    platform::SystemTime programTime; // at creation
    uint64_t receiptTick = 0;         // age stamp; its low 32 bits are in the record
    uint64_t serial = 0;
    RWEVENT* older = nullptr;
    RWEVENT* newer = nullptr;

    uint64_t AgeStamp() const { return receiptTick; }
};

// Key of a porpoise event: its Number and run identifier.
struct PorpoiseEventKey {
    int32_t number = 0;
    int32_t runId = 0;
    bool operator==(const PorpoiseEventKey&) const = default;
};

struct PorpoiseEvent {
    GPSTHING* firstFix = nullptr;  // newest fix at creation
    GPSTHING* latestFix = nullptr; // newest fix at the last update
    uint8_t flag = 0;
    PorpoiseEventRecord record;
    uint64_t receiptTick = 0; // age stamp: at creation and each update
    uint64_t serial = 0;
    bool stored = false; // its final state was written to PorpoiseEvents
    PorpoiseEvent* newer = nullptr;
    PorpoiseEvent* older = nullptr;

    PorpoiseEventKey Key() const { return {record.number, record.runId}; }
    static PorpoiseEventKey KeyOf(const PorpoiseEventRecord& r) { return {r.number, r.runId}; }
    uint64_t AgeStamp() const { return receiptTick; }

    // A newer state of the event: the record replaced, age stamp now, the
    // latest fix the newest one (RecentLists.cpp).
    static void Update(PorpoiseEvent* node, const PorpoiseEventRecord& record);
};

// Key of a click event: its two key words.
struct RCEventKey {
    int32_t eventKey = 0;
    int32_t eventNumber = 0;
    bool operator==(const RCEventKey&) const = default;
};

struct RCEventBase {
    NewRCEventRecord record;
    GPSTHING* firstFix = nullptr;
    GPSTHING* latestFix = nullptr;
    uint8_t flag = 0;
    uint64_t receiptTick = 0; // age stamp: at creation and each update
    uint64_t serial = 0;
    bool stored = false; // its final state was written to QuintraEvents

    RCEventKey Key() const { return {record.eventKey, record.eventNumber}; }
    static RCEventKey KeyOf(const NewRCEventRecord& r) { return {r.eventKey, r.eventNumber}; }
    uint64_t AgeStamp() const { return receiptTick; }
};

struct RCEvent : RCEventBase {
    RCEvent* newer = nullptr;
    RCEvent* older = nullptr;

    // A newer state of the event: the record replaced, age stamp now, the
    // latest fix the newest one (RecentLists.cpp).
    static void Update(RCEvent* node, const NewRCEventRecord& record);
};

} // namespace velmar::nav
