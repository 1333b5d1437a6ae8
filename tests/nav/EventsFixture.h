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
        server.hooks.post = [this](DetectionKey key) {
            posted.push_back(key);
            dispatch.OnDetection(key);
        };
        server.hooks.showError = [this](const QString& text, const QString& caption) {
            errors.push_back(caption + QStringLiteral(": ") + text);
        };
        server.hooks.beep = [this] { ++beeps; };

        auto& w = dispatch.ports.writers;
        w.whistle = [this](const WHISTLEDETECTION& n) {
            stored.push_back({KindWhistle, n.record.encode(), n.fix, n.serial});
        };
        w.seismic = [this](const SEISMIC& n) { stored.push_back({KindSeismic, n.record.encode(), n.fix, n.serial}); };
        w.clickEvent = [this](const RCEvent& n) {
            stored.push_back({KindClickEvent, n.record.encode(), n.firstFix, n.serial});
        };
        w.porpoiseEvent = [this](const PorpoiseEvent& n) {
            stored.push_back({KindPorpoiseEvent, n.record.encode(), n.firstFix, n.serial});
        };
        w.whistleEvent = [this](const WHISTLEEVENT& n) {
            stored.push_back({KindWhistleEvent, n.record.encode(), n.fix, n.serial});
        };
        w.rightWhaleEvent = [this](const RWEVENT& n) {
            stored.push_back({KindRightWhaleEvent, n.record.encode(), n.fix, n.serial});
        };
        w.thingHeard = [this](const THINGHEARD& n) { stored.push_back({KindThingHeard, {}, n.fix, n.serial}); };
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

    DetectorEventServer server;
    RecentEventDispatch dispatch;
    std::vector<DetectionKey> posted;
    std::vector<DetectionKey> mapped;
    std::vector<RecorderTrigger> triggers;
    std::vector<StoredRow> stored;
    std::vector<QString> errors;
};

} // namespace eventstest
