#pragma once
// RecentEventDispatch: what the main window does with the detections in the
// recent lists. Each new or updated node (message 1028 from the event
// server, or an aural detection from the things-heard form, message 1040) is
// stored in the survey database when its kind's condition holds, triggers
// the sound recorders and goes to the map. The event server stores a poked
// record's node itself before it answers the poke (StoreDetection), and
// leaves the rest (Announce) to the event loop. Once a second the main window
// counts the events of the warning time for the status panels and the
// traffic light; once a minute it purges what is older than the display time.
//
// The main window owns one and fills its ports; an empty port does nothing
// (no database writer yet, no recorders, no map, no panel), so the steps run
// in their order while a subsystem is missing.
//
// User-interface thread only.
#include "nav/RecentLists.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace velmar::nav {

// Ids of the status edits that the counts fill.
inline constexpr int HeardCountEdit = 31084;
inline constexpr int HeardTimeEdit = 31085;
inline constexpr int WhistleCountEdit = 31044;
inline constexpr int WhistleTimeEdit = 31045;
inline constexpr int PorpoiseCountEdit = 31024;
inline constexpr int PorpoiseTimeEdit = 31025;
inline constexpr int ClickCountEdit = 31064;
inline constexpr int ClickTimeEdit = 31065;
inline constexpr int SeismicStateEdit = 31130;
inline constexpr int SeismicTimeEdit = 31131;

// Colour codes of the status edits.
inline constexpr unsigned StatusNormal = 1;
inline constexpr unsigned StatusAlert = 2;

// Traffic-light states the counts set (lamp bits).
inline constexpr int TrafficLightRecent = 1; // red: something within the warning time
inline constexpr int TrafficLightQuiet = 4;  // green

// The aural-detection question and the listening-effort note.
inline constexpr const char* ListeningQuestion = "Set Listening Effort status to full ?";
inline constexpr const char* ListeningCaption = "Aural Detection";
inline constexpr const char* ListeningLateNote = "Effort set AFTER hearing something";
// The listening-effort status that means off.
inline constexpr int ListeningEffortOff = 1;

// What triggers the recorders: those whose mask has formBit start a
// recording of the given seconds with the reason text.
struct RecorderTrigger {
    int formBit = 0;
    int seconds = 0;
    QString reason;
    bool operator==(const RecorderTrigger&) const = default;
};

// The trigger of a node of the given kind (none for things heard and
// seismic reports); clicks by their species.
std::optional<RecorderTrigger> TriggerFor(DetectionKind kind, int32_t clickSpecies = 0);

class RecentEventDispatch {
public:
    // Each stores its node in its table (store/EventWriters.h by default)
    // and says whether the row was committed.
    struct Writers {
        std::function<bool(const WHISTLEDETECTION&)> whistle;    // DbWriteWhistle
        std::function<bool(const PorpoiseEvent&)> porpoiseEvent; // DbWritePorpoiseEvent
        std::function<bool(const RCEvent&)> clickEvent;          // DbWriteQuintraEvent
        std::function<bool(const THINGHEARD&)> thingHeard;       // DbWriteThingHeard
        std::function<bool(const SEISMIC&)> seismic;             // DbWriteSeismic
        std::function<bool(const WHISTLEEVENT&)> whistleEvent;   // DbWriteWhistleEvent
        std::function<bool(const RWEVENT&)> rightWhaleEvent;     // DbWriteRightWhaleEvent
    };

    struct Ports {
        Writers writers;
        // TriggerRecorders.
        std::function<void(const RecorderTrigger&)> triggerRecorders;
        // Message 1028 to the map window: the map looks the node up by key.
        std::function<void(DetectionKey)> toMap;
        // Command 30057.
        std::function<void()> pollGpsIfDue;

        // Aural detections: the listening-effort status (1 off), the question
        // (true for Yes), the note for the next listening-effort change and
        // command 31120 (listening effort full).
        std::function<int()> listeningEffortStatus;
        std::function<bool(const QString& text, const QString& caption)> askYesNo;
        std::function<void(const QString& note)> setListeningEffortNote;
        std::function<void()> setListeningEffortFull;

        // Counts: which panels exist, their status edits, the traffic light
        // and the run mode (the light follows the counts in online and
        // offline logging only).
        std::function<bool()> thingsHeardFormExists;
        std::function<bool()> detectorPanelExists;
        std::function<void(int editId, const QString& text, unsigned colourCode)> setStatusEdit;
        std::function<void(int state)> setTrafficLight;
        std::function<quint32()> runMode; // default: the process's RunMode

        // Purge: GPS fixes of every data set and the user forms' map items
        // older than the age (each returns how many it dropped), then the
        // map's redraw (no refit, reset).
        std::function<int(uint64_t ageMs)> purgeGpsFixes;
        std::function<int(uint64_t ageMs)> purgeUserPlotThings;
        std::function<void()> redrawMap;

        // Minutes of the display and warning times; default the settings
        // block's DisplayTime and WarningTime.
        std::function<int32_t()> displayMinutes;
        std::function<int32_t()> warningMinutes;
    };

    // Ports on the program's own parts where they exist: the database
    // writers, the GPS poll the writers use (command 30057) and the purge of
    // the GPS fix lists.
    RecentEventDispatch();

    Ports ports;

    // Message 1028: the node of the key, stored, triggering and to the map.
    // A key whose node was purged meanwhile, or of an unknown kind, is
    // ignored.
    void OnDetection(DetectionKey key);
    // The two halves of OnDetection. StoreDetection writes the node's row
    // when its kind's condition holds and returns false only when that row
    // was due and could not be stored (the writer has beeped and logged it);
    // a row that failed stays due, so a repeat of the final update stores it.
    // Announce triggers the recorders and sends the node to the map.
    bool StoreDetection(DetectionKey key);
    void Announce(DetectionKey key);
    // Message 1040: something heard, with its strength.
    void OnThingHeard(const QString& text, int16_t strength);
    // UpdateCounts.
    void UpdateCounts();
    // PurgeOldEvents: true when anything but seismic reports was dropped.
    bool PurgeOldEvents();

private:
    template <class Node>
    bool Store(Node& node, const std::function<bool(const Node&)>& write);
    // Stores a row that is written once per node; sets its stored mark.
    template <class Node>
    bool StoreOnce(Node& node, const std::function<bool(const Node&)>& write);
    void Trigger(DetectionKind kind, int32_t clickSpecies = 0);
    void SetEdit(int id, const QString& text, unsigned colour);
    int CountHeard(uint64_t ageMs);
    int CountDetectorPanel(uint64_t ageMs);
};

// "hh:mm:ss" of a time, as the status edits show it.
QString StatusTimeText(const platform::SystemTime& time);

} // namespace velmar::nav
