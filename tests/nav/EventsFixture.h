#pragma once
// A detector event server wired to a dispatch whose ports record what they
// are given, on an injected clock and GPS fix, with the recent lists emptied
// before and after each test.
#include "KnownRecords.h"

#include "nav/DetectorEventServer.h"
#include "nav/RecentEventDispatch.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace eventstest {

using namespace velmar::nav;
using velmar::platform::SystemTime;

// A stored row as the writers were given it: kind, the node's record
// encoded again, its (first) fix link and its serial.
struct StoredRow {
    DetectionKind kind;
    QByteArray bytes;
    GPSTHING* fix;
    uint64_t serial;
};

class EventsFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        PurgeAllDetections();
        SetRecentTickSource([this] { return now; });
        SetNewestFixSource([this] { return newestFix; });

        server.hooks.pollGpsIfDue = [this] { ++gpsPolls; };
        server.hooks.toProgramTime = [](SystemTime*) {}; // online logging
        server.hooks.store = [this](DetectionKey key) {
            storedAtAnswer.push_back(key);
            return dispatch.StoreDetection(key);
        };
        server.hooks.post = [this](DetectionKey key) {
            posted.push_back(key);
            dispatch.Announce(key);
        };
        server.hooks.showError = [this](const QString& text, const QString& caption) {
            errors.push_back(caption + QStringLiteral(": ") + text);
        };
        server.hooks.beep = [this] { ++beeps; };

        auto& w = dispatch.ports.writers;
        // A writer that fails (writesFail) stores nothing.
        const auto write = [this](StoredRow row) {
            if (!writesFail)
                stored.push_back(std::move(row));
            return !writesFail;
        };
        w.whistle = [write](const WHISTLEDETECTION& n) {
            return write({KindWhistle, n.record.encode(), n.fix, n.serial});
        };
        w.seismic = [write](const SEISMIC& n) { return write({KindSeismic, n.record.encode(), n.fix, n.serial}); };
        w.clickEvent = [write](const RCEvent& n) {
            return write({KindClickEvent, n.record.encode(), n.firstFix, n.serial});
        };
        w.porpoiseEvent = [write](const PorpoiseEvent& n) {
            return write({KindPorpoiseEvent, n.record.encode(), n.firstFix, n.serial});
        };
        w.whistleEvent = [write](const WHISTLEEVENT& n) {
            return write({KindWhistleEvent, n.record.encode(), n.fix, n.serial});
        };
        w.rightWhaleEvent = [write](const RWEVENT& n) {
            return write({KindRightWhaleEvent, n.record.encode(), n.fix, n.serial});
        };
        w.thingHeard = [write](const THINGHEARD& n) { return write({KindThingHeard, {}, n.fix, n.serial}); };
        server.hooks.writeWhistleEvent = w.whistleEvent;
        dispatch.ports.triggerRecorders = [this](const RecorderTrigger& t) { triggers.push_back(t); };
        dispatch.ports.toMap = [this](DetectionKey key) { mapped.push_back(key); };
    }

    void TearDown() override
    {
        PurgeAllDetections();
        SetRecentTickSource({});
        SetNewestFixSource({});
    }

    // Lets the queued posts and boxes of the pokes so far run.
    static void pump() { QCoreApplication::processEvents(); }

    bool poke(const char* item, const QByteArray& bytes, const char* topic = DdeTopicEvents)
    {
        const bool acknowledged = server.Poke(QString::fromLatin1(topic), QString::fromLatin1(item), bytes);
        pump();
        return acknowledged;
    }

    static int nodeCount()
    {
        return CountWhistleDetections(0) + CountThingsHeard(0) + CountWhistleEvents(0) + CountRightWhaleEvents(0)
             + CountPorpoiseEvents(0) + CountRCEvents(0) + seismicCount();
    }
    // Seismic reports have no count of their own.
    static int seismicCount()
    {
        int n = 0;
        for (const SEISMIC* s = Seismics.newest; s; s = s->older)
            ++n;
        return n;
    }

    uint64_t now = 50'000'000; // ms of the injected monotonic clock
    GPSTHING fixA;
    GPSTHING fixB;
    GPSTHING* newestFix = &fixA;
    int gpsPolls = 0;
    int beeps = 0;
    bool writesFail = false;

    DetectorEventServer server;
    RecentEventDispatch dispatch;
    // The nodes handed to the store inside the pokes, and to the event loop
    // after them.
    std::vector<DetectionKey> storedAtAnswer;
    std::vector<DetectionKey> posted;
    std::vector<DetectionKey> mapped;
    std::vector<RecorderTrigger> triggers;
    std::vector<StoredRow> stored;
    std::vector<QString> errors;
};

} // namespace eventstest
