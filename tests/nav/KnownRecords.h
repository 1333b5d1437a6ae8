#pragma once
// One record of each detector kind with known, distinct values in every
// field, shared by the event tests and the stand-in detector program.
#include "nav/DetectorRecords.h"
#include "nav/RecentLists.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace knownrecords {

using namespace velmar::nav;
using velmar::platform::SystemTime;

inline SystemTime knownTime(int second)
{
    return SystemTime{2025, 3, 0, 14, 9, 26, uint16_t(second), 250};
}

inline NewWhistlesRecord whistle()
{
    NewWhistlesRecord r;
    r.whistleNumber = 4711;
    r.pcTime = knownTime(1);
    r.sectionTime = 12.5f;
    r.duration = 0.75f;
    r.maxFrequency = 18000;
    r.minFrequency = 6000;
    r.aveFrequency = 11000;
    r.startFrequency = 7000;
    r.endFrequency = 17000;
    r.aveAmplitude = 61.5f;
    r.maxAmplitude = 78.25f;
    r.peaks = 3;
    r.troughs = 2;
    r.maxPeakFreq = 16500;
    r.minTroughFreq = 6500;
    r.bearing = 123.5f;
    r.range = 0.8f;
    r.species = QStringLiteral("Common dolphin");
    r.fileName = QStringLiteral("W0314_1409.wav");
    r.fileSection = 17;
    r.channel = 1;
    r.correlation = 0.93f;
    return r;
}

inline NewSeismicRecord seismic()
{
    NewSeismicRecord r;
    r.detector = QStringLiteral("Airgun detector");
    r.pcTime = knownTime(2);
    r.channel = 2;
    r.amplitude1 = 140.5f;
    r.amplitude2 = 133.25f;
    return r;
}

inline NewRCEventRecord clickEvent()
{
    NewRCEventRecord r;
    r.eventTime = knownTime(3);
    r.duration = 42.5f;
    r.sectionSeconds = 300;
    r.nClicks = 88;
    r.species = NewRCEventRecord::SpeciesSpermWhale;
    r.whaleId = 5;
    r.meanBearing = 45.5f;
    r.meanIci = 0.9f;
    r.meanAmplitude = 150.5f;
    r.lastBearing = 47.5f;
    r.lastIci = 0.95f;
    r.firstBearing = 44.5f;
    r.firstIci = 0.85f;
    r.meanRange = 2.5f;
    r.state = NewRCEventRecord::StateFinal;
    r.eventKey = 300000;
    r.tickCount = 123456;
    r.eventNumber = 342500;
    return r;
}

inline PorpoiseEventRecord porpoiseEvent()
{
    PorpoiseEventRecord r;
    r.number = 12;
    r.eventStart = knownTime(4);
    r.runId = 77;
    r.state = PorpoiseEventRecord::StateFinal;
    r.tickCount = 987654;
    r.duration = 3.5f;
    r.startSection = 20;
    r.endSection = 21;
    r.startAdcTime = 1000;
    r.endAdcTime = 4500;
    r.speciesCode = QStringLiteral("PHPH");
    r.confidence = 2;
    r.comment = QStringLiteral("clear train at the bow");
    r.nPorpoiseClicks = 240;
    r.nBroadBandClicks = 12;
    r.nOtherClicks = 7;
    r.backgroundDc = 1.5f;
    r.backgroundAc = 2.5f;
    r.storeClicks = 1;
    r.minBearing = 30.5f;
    r.maxBearing = 60.5f;
    r.porpoiseBearing = 45.25f;
    r.otherBearing = 995.0f;
    r.fileName = QStringLiteral("P0314_1409.pcl");
    r.automatic = 1;
    r.timeABeam = 8.5f;
    r.secsOffBeam = 1.25f;
    r.rangeOffBeam = 0.2f;
    r.initialBearing = 31.5f;
    r.initialRange = 0.3f;
    r.sigTimeABeam = 0.5f;
    r.sigSecsOff = 0.25f;
    r.chi2 = 3.75f;
    r.fitProb = 0.625f;
    return r;
}

inline NewWhistleEventRecord whistleEvent()
{
    NewWhistleEventRecord r;
    r.open = 0;
    r.nWhistles = 9;
    r.aveFrequency = 12000;
    r.minFrequency = 5000;
    r.maxFrequency = 19000;
    r.minBearing = 10.5f;
    r.maxBearing = 20.5f;
    r.aveBearing = 15.5f;
    r.nBearings = 6;
    r.firstWhistle = 4700;
    r.lastWhistle = 4711;
    r.minAmplitude = 50.5f;
    r.maxAmplitude = 80.5f;
    r.aveAmplitude = 65.5f;
    r.eventKey = 31;
    r.tickCount = 55555;
    r.duration = 95.5f;
    r.eventStart = knownTime(5);
    r.species = QStringLiteral("Striped dolphin");
    r.fileName = QStringLiteral("E0314_1409.wav");
    r.fileSection = 18;
    return r;
}

inline RightWhaleEventRecord rightWhaleEvent()
{
    RightWhaleEventRecord r;
    r.maxFreq = 220;
    r.minFreq = 50;
    r.duration = 1.5f;
    r.nWhistles = 4;
    r.totPeaks = 30;
    r.fatPeaks = 3;
    r.score = 0.75f;
    r.harmonicScore = 0.5f;
    r.pausedAtStart = 1;
    r.unsettled = 0;
    r.pausedAtEnd = 1;
    r.isGood = 1;
    for (int i = 0; i < RightWhaleEventRecord::WhistleCount; ++i)
        r.whistles[std::size_t(i)] = 100 + i;
    r.fileName = QStringLiteral("R0314_1409.wav");
    r.fileSection = 19;
    r.eventStart = knownTime(6);
    r.parameterSet = QStringLiteral("North Atlantic right whale upcall");
    r.noGoodBearingWsls = 2;
    r.accurateBearing = 270.5f;
    r.acBearingStd = 4.5f;
    r.bearingScore = 0.875f;
    r.maxStrengthOnBearing = 9.5f;
    r.avStrengthOnBearing = 6.5f;
    r.numGoodBearingWsls2 = 3;
    r.maxInList = 8;
    return r;
}

struct KnownPoke {
    DetectionKind kind;
    const char* item;
    std::size_t size;
    QByteArray bytes;
};

// Every kind's item, size and encoded known record, in a fixed order.
inline std::vector<KnownPoke> allKnownPokes()
{
    return {
        {KindWhistle, NewWhistlesRecord::ItemName, NewWhistlesRecord::Size, whistle().encode()},
        {KindSeismic, NewSeismicRecord::ItemName, NewSeismicRecord::Size, seismic().encode()},
        {KindClickEvent, NewRCEventRecord::ItemName, NewRCEventRecord::Size, clickEvent().encode()},
        {KindPorpoiseEvent, PorpoiseEventRecord::ItemName, PorpoiseEventRecord::Size, porpoiseEvent().encode()},
        {KindWhistleEvent, NewWhistleEventRecord::ItemName, NewWhistleEventRecord::Size, whistleEvent().encode()},
        {KindRightWhaleEvent, RightWhaleEventRecord::ItemName, RightWhaleEventRecord::Size, rightWhaleEvent().encode()},
    };
}

} // namespace knownrecords
