#pragma once
// GpsPoller: the GPS poll of the main window. Asks the NMEA server for its
// state and newest position sentence, stores each reading as a GpsData row,
// lets the user forms store their GPS-driven records, appends valid fixes to
// data set 0 and fills the GPS read-outs.
//
// The main window owns one, calls PollGpsIfDue for command 30057 (and from
// its GPS timer), PollGps for command 30058 and once at start in online
// logging, and implements GpsReadout.
//
// No call waits longer than the NMEA client's request time-outs. When the
// server is absent it is started (at most once per ServerStartBackoffMs) and
// its bus name watched; the poll returns at once and polls again when the
// server appears.
//
// User-interface thread only.
#include "nav/GpsFixData.h"
#include "nav/GpsReadout.h"
#include "nav/NmeaClient.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <optional>

namespace velmar::nav {

class GpsFixList;

class GpsPoller : public QObject {
    Q_OBJECT
public:
    static constexpr uint64_t ServerStartBackoffMs = 30000;

    // What the poll uses of the rest of the program; each has a default.
    struct Hooks {
        // Monotonic milliseconds.
        std::function<uint64_t()> tickNow;
        // Stores a GpsData row; true when a row was added (LastGpsIndex moved).
        std::function<bool(const GpsFixData&)> storeFix;
        // The Index the last stored row received.
        std::function<int32_t()> lastGpsIndex;
        // Outside online logging: LastGpsIndex becomes 0.
        std::function<void()> resetLastGpsIndex;
        // Starts the NMEA server program; false when it could not start.
        std::function<bool()> startServer;
        // The user forms that store a record with every GPS reading.
        std::function<void()> userFormsStoreOnGps;
        // The sentences to read.
        std::function<NmeaSentenceChoice()> sentenceChoice;
        // Shortest interval between polls, seconds.
        std::function<int()> minInterval;
        // The run mode (RunMode).
        std::function<quint32()> runMode;
    };

    GpsPoller(GpsReadout& readout, GpsFixList& fixes, QObject* parent = nullptr);
    GpsPoller(GpsReadout& readout, GpsFixList& fixes, Hooks hooks, QObject* parent = nullptr);
    ~GpsPoller() override;

    // Command 30057: in online logging, polls when MinInterval seconds have
    // passed since the last poll (of any kind); in every other mode sets
    // LastGpsIndex to 0 and polls nothing.
    void PollGpsIfDue();
    // Command 30058: one full poll, unless one is under way (a record that
    // it makes asks for a poll: it takes the reading of the poll under way).
    void PollGps();

    NmeaClient& client() { return m_client; }

signals:
    // A valid fix joined data set 0 (the map draws it).
    void newFix(const velmar::nav::GPSTHING* fix);

private:
    void ServerAbsent();
    void OnNameOwnerChanged(const QString& busName, bool owned);

    GpsReadout& m_readout;
    GpsFixList& m_fixes;
    Hooks m_hooks;
    NmeaClient m_client;
    std::optional<uint64_t> m_lastPoll;
    std::optional<uint64_t> m_lastServerStart;
    bool m_polling = false;
    bool m_awaitingServer = false;
};

// Stores a fix as a GpsData row through the record writers; true when a row
// was added.
bool StoreGpsFix(const GpsFixData& fix);

} // namespace velmar::nav
