#pragma once
// The detection records kept in memory in recent lists, newest last, each
// linked to the GPS fix that was newest when it arrived: whistles, things
// heard, seismic reports, whistle events, harmonic (right whale) events,
// porpoise events and click events. Each node holds its detector's record
// whole (see DetectorRecords.h) plus what the main program adds.
//
// These are the nodes only; the recent lists that create, find, count and
// purge them own them (created with new, freed by the kind's purge). A fix
// link points to a GPSTHING of data set 0, or is null when no fix existed.
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
    uint32_t creationTick = 0;  // age stamp
    WHISTLEDETECTION* older = nullptr;
    WHISTLEDETECTION* newer = nullptr;

    uint32_t AgeStamp() const { return creationTick; }
};

// An aural detection entered by hand or loaded from the ThingsHeard table.
struct THINGHEARD {
    static constexpr int NameWidth = 20;  // the name fits 19 characters

    uint32_t creationTick = 0;  // age stamp
    QString name;
    int16_t strength = 0;
    platform::SystemTime programTime;
    GPSTHING* fix = nullptr;
    int32_t value = 0;
    THINGHEARD* older = nullptr;
    THINGHEARD* newer = nullptr;

    // The name as stored, cut to the 19 characters that fit.
    QString GetName() const { return name.left(NameWidth - 1); }
    uint32_t AgeStamp() const { return creationTick; }
};

struct SEISMIC {
    uint32_t receiptTick = 0;  // age stamp
    NewSeismicRecord record;
    GPSTHING* fix = nullptr;
    SEISMIC* older = nullptr;
    SEISMIC* newer = nullptr;

    uint32_t AgeStamp() const { return receiptTick; }
};

struct WHISTLEEVENT {
    NewWhistleEventRecord record;
    GPSTHING* fix = nullptr;
    // Program time at creation, at each update and at closing.
    platform::SystemTime programTime;
    WHISTLEEVENT* older = nullptr;
    WHISTLEEVENT* newer = nullptr;

    bool IsOpen() const { return record.open != 0; }
    int32_t Key() const { return record.eventKey; }
    uint32_t AgeStamp() const { return record.tickCount; }
};

struct RWEVENT {
    RightWhaleEventRecord record;  // both tick words hold the receipt tick
    GPSTHING* fix = nullptr;
    platform::SystemTime programTime;  // at creation
    RWEVENT* older = nullptr;
    RWEVENT* newer = nullptr;

    uint32_t AgeStamp() const { return record.receiptTick2; }
};

// Key of a porpoise event: its Number and run identifier.
struct PorpoiseEventKey {
    int32_t number = 0;
    int32_t runId = 0;
    bool operator==(const PorpoiseEventKey&) const = default;
};

struct PorpoiseEvent {
    GPSTHING* firstFix = nullptr;   // newest fix at creation
    GPSTHING* latestFix = nullptr;  // newest fix at the last update
    uint8_t flag = 0;
    PorpoiseEventRecord record;
    PorpoiseEvent* newer = nullptr;
    PorpoiseEvent* older = nullptr;

    PorpoiseEventKey Key() const { return {record.number, record.runId}; }
    static PorpoiseEventKey KeyOf(const PorpoiseEventRecord& r) { return {r.number, r.runId}; }
    uint32_t AgeStamp() const { return record.tickCount; }
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

    RCEventKey Key() const { return {record.eventKey, record.eventNumber}; }
    static RCEventKey KeyOf(const NewRCEventRecord& r) { return {r.eventKey, r.eventNumber}; }
    uint32_t AgeStamp() const { return record.tickCount; }
};

struct RCEvent : RCEventBase {
    RCEvent* newer = nullptr;
    RCEvent* older = nullptr;
};

} // namespace velmar::nav
