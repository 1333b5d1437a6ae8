#pragma once
// The packed records that the detector programs poke into the main program
// (items "NewWhistles", "NewSeismic", "NewRCEvent", "PorpoiseEvent",
// "NewWhislteEvent" and "RightWhaleEvent"), as typed values.
//
// On the wire every record is packed little-endian without gaps, some fields
// at odd offsets; decode reads it field by field at its offset, never by
// laying a struct over the bytes. A record shorter than its size is refused;
// bytes beyond the size are ignored. Decoding starts from a zeroed record, and
// each text field is read up to its terminating zero but never past its
// width (UTF-8, or Latin-1 when the bytes are not UTF-8). valuesValid says
// whether the values can be used at all (the receiver refuses a record that
// fails it, as it refuses a short one). encode writes the
// same layout (texts as UTF-8 cut to leave their terminating zero, unread
// gaps zero), for tests and stand-in detectors.
//
// Plain values: any thread.
#include "platform/SystemTime.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace velmar::nav {

// decode/encode shared by every record type; Derived supplies Size, ItemName
// and a layout(io) that names each field at its offset.
template <class Derived>
struct PackedRecord {
    static std::optional<Derived> decode(const uint8_t* data, std::size_t size);
    static std::optional<Derived> decode(const QByteArray& bytes)
    {
        return decode(reinterpret_cast<const uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
    }
    QByteArray encode() const;
    bool operator==(const PackedRecord&) const = default;
};

// "NewWhistles": one whistle (128 bytes).
struct NewWhistlesRecord : PackedRecord<NewWhistlesRecord> {
    static constexpr std::size_t Size = 128;
    static constexpr const char* ItemName = "NewWhistles";
    static constexpr int TextWidth = 20;

    int32_t whistleNumber = 0;
    platform::SystemTime pcTime;
    // offset 20: four bytes the receiver does not read
    float sectionTime = 0;
    float duration = 0;
    int32_t maxFrequency = 0;
    int32_t minFrequency = 0;
    int32_t aveFrequency = 0;
    int32_t startFrequency = 0;
    int32_t endFrequency = 0;
    float aveAmplitude = 0;
    float maxAmplitude = 0;
    int16_t peaks = 0;
    int16_t troughs = 0;
    int32_t maxPeakFreq = 0;
    int32_t minTroughFreq = 0;
    float bearing = 0;
    float range = 0;
    QString species;
    QString fileName;
    int16_t fileSection = 0;
    int16_t channel = 0;
    float correlation = 0;

    template <class IO>
    void layout(IO& io);
    // Every number a number (no NaN or infinity) and every duration within a
    // day: a record that fails is refused like a short one.
    bool valuesValid() const;
    bool operator==(const NewWhistlesRecord&) const = default;
};

// "NewSeismic": one seismic (air-gun) report (46 bytes).
struct NewSeismicRecord : PackedRecord<NewSeismicRecord> {
    static constexpr std::size_t Size = 46;
    static constexpr const char* ItemName = "NewSeismic";
    static constexpr int TextWidth = 20;

    QString detector;
    platform::SystemTime pcTime;
    int16_t channel = 0;
    float amplitude1 = 0;
    float amplitude2 = 0;

    template <class IO>
    void layout(IO& io);
    // Every number a number (no NaN or infinity) and every duration within a
    // day: a record that fails is refused like a short one.
    bool valuesValid() const;
    bool operator==(const NewSeismicRecord&) const = default;
};

// "NewRCEvent": one click-detector event (82 bytes).
struct NewRCEventRecord : PackedRecord<NewRCEventRecord> {
    static constexpr std::size_t Size = 82;
    static constexpr const char* ItemName = "NewRCEvent";
    static constexpr int32_t SpeciesSpermWhale = 1;
    static constexpr int32_t SpeciesDolphin = 2;
    static constexpr float NoRange = -1.0f;
    static constexpr int32_t StateFinal = 3;

    platform::SystemTime eventTime;
    float duration = 0;
    int32_t sectionSeconds = 0;
    int32_t nClicks = 0;
    int32_t species = 0;
    int16_t whaleId = 0;
    float meanBearing = 0;
    float meanIci = 0;
    float meanAmplitude = 0;
    float lastBearing = 0;
    float lastIci = 0;
    float firstBearing = 0;
    float firstIci = 0;
    float meanRange = 0;
    int32_t state = 0;
    int32_t eventKey = 0;    // first part of the event key
    uint32_t tickCount = 0;  // the sender's tick count
    int32_t eventNumber = 0; // second part of the event key

    template <class IO>
    void layout(IO& io);
    // Every number a number (no NaN or infinity) and every duration within a
    // day: a record that fails is refused like a short one.
    bool valuesValid() const;
    bool operator==(const NewRCEventRecord&) const = default;
};

// "PorpoiseEvent": one porpoise-detector event (236 bytes).
struct PorpoiseEventRecord : PackedRecord<PorpoiseEventRecord> {
    static constexpr std::size_t Size = 236;
    static constexpr const char* ItemName = "PorpoiseEvent";
    static constexpr int SpeciesCodeWidth = 6;
    static constexpr int CommentWidth = 51;
    static constexpr int FileNameWidth = 51;
    static constexpr float NoBearing = 990.0f; // this or more
    static constexpr int32_t StateFinal = 3;

    // offset 0: four bytes the receiver does not read
    int32_t number = 0; // first part of the event key
    platform::SystemTime eventStart;
    int32_t runId = 0; // second part of the event key
    int32_t state = 0;
    uint32_t tickCount = 0; // the sender's tick count
    float duration = 0;
    int16_t startSection = 0;
    int16_t endSection = 0;
    int32_t startAdcTime = 0;
    int32_t endAdcTime = 0;
    QString speciesCode;
    int16_t confidence = 0;
    QString comment;
    int32_t nPorpoiseClicks = 0;
    int32_t nBroadBandClicks = 0;
    int32_t nOtherClicks = 0;
    float backgroundDc = 0;
    float backgroundAc = 0;
    uint8_t storeClicks = 0;
    float minBearing = 0;
    float maxBearing = 0;
    float porpoiseBearing = 0;
    float otherBearing = 0;
    QString fileName;
    uint8_t automatic = 0;
    float timeABeam = 0;
    float secsOffBeam = 0;
    float rangeOffBeam = 0;
    float initialBearing = 0;
    float initialRange = 0;
    float sigTimeABeam = 0;
    float sigSecsOff = 0;
    float chi2 = 0;
    float fitProb = 0;

    template <class IO>
    void layout(IO& io);
    // Every number a number (no NaN or infinity) and every duration within a
    // day: a record that fails is refused like a short one.
    bool valuesValid() const;
    bool operator==(const PorpoiseEventRecord&) const = default;
};

// "NewWhislteEvent" (so spelled on the wire): one whistle event (123 bytes).
struct NewWhistleEventRecord : PackedRecord<NewWhistleEventRecord> {
    static constexpr std::size_t Size = 123;
    static constexpr const char* ItemName = "NewWhislteEvent";
    static constexpr int TextWidth = 20;

    uint8_t open = 0; // 0 closed, anything else open
    int32_t nWhistles = 0;
    int32_t aveFrequency = 0;
    int32_t minFrequency = 0;
    int32_t maxFrequency = 0;
    float minBearing = 0;
    float maxBearing = 0;
    float aveBearing = 0;
    int32_t nBearings = 0;
    int32_t firstWhistle = 0;
    int32_t lastWhistle = 0;
    float minAmplitude = 0;
    float maxAmplitude = 0;
    float aveAmplitude = 0;
    int32_t eventKey = 0;
    uint32_t tickCount = 0; // the sender's tick count
    float duration = 0;
    platform::SystemTime eventStart;
    QString species;
    QString fileName;
    int16_t fileSection = 0;

    template <class IO>
    void layout(IO& io);
    // Every number a number (no NaN or infinity) and every duration within a
    // day: a record that fails is refused like a short one.
    bool valuesValid() const;
    bool operator==(const NewWhistleEventRecord&) const = default;
};

// "RightWhaleEvent": one harmonic whistle event (226 bytes).
struct RightWhaleEventRecord : PackedRecord<RightWhaleEventRecord> {
    static constexpr std::size_t Size = 226;
    static constexpr const char* ItemName = "RightWhaleEvent";
    static constexpr int FileNameWidth = 20;
    static constexpr int ParameterSetWidth = 60;
    static constexpr int WhistleCount = 10;

    int32_t maxFreq = 0;
    int32_t minFreq = 0;
    // offset 8: eight bytes the receiver does not read
    float duration = 0;
    int32_t nWhistles = 0;
    int32_t totPeaks = 0;
    int32_t fatPeaks = 0;
    float score = 0;
    float harmonicScore = 0;
    int16_t pausedAtStart = 0;
    int16_t unsettled = 0;
    int16_t pausedAtEnd = 0;
    int16_t isGood = 0;
    std::array<int32_t, WhistleCount> whistles{};
    QString fileName;
    int16_t fileSection = 0;
    platform::SystemTime eventStart;
    uint32_t receiptTick1 = 0; // the receiver writes its tick count into both
    uint32_t receiptTick2 = 0; // this one is the event's age stamp
    QString parameterSet;
    int32_t noGoodBearingWsls = 0;
    float accurateBearing = 0;
    float acBearingStd = 0;
    float bearingScore = 0;
    float maxStrengthOnBearing = 0;
    float avStrengthOnBearing = 0;
    int32_t numGoodBearingWsls2 = 0;
    int32_t maxInList = 0;

    template <class IO>
    void layout(IO& io);
    // Every number a number (no NaN or infinity) and every duration within a
    // day: a record that fails is refused like a short one.
    bool valuesValid() const;
    bool operator==(const RightWhaleEventRecord&) const = default;
};

// True when every time stamp of the record is a real time that its PCTime
// text can show (a month 13 or a year 51999 is not): a record that fails is
// refused like a short one.
template <class Record>
bool HasPossibleTimes(const Record& record);

} // namespace velmar::nav
