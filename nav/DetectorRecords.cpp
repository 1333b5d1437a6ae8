#include "nav/DetectorRecords.h"

#include "platform/RecordIO.h"

#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace velmar::nav {

using platform::SystemTime;

namespace {

// Reads fields at their offsets from a buffer already checked to hold the
// whole record.
class FieldReader {
public:
    explicit FieldReader(const uint8_t* data) : m_data(data) {}

    void u8(std::size_t at, uint8_t& v) { v = m_data[at]; }
    void i16(std::size_t at, int16_t& v) { v = platform::loadLe<int16_t>(m_data + at); }
    void u32(std::size_t at, uint32_t& v) { v = platform::loadLe<uint32_t>(m_data + at); }
    void i32(std::size_t at, int32_t& v) { v = platform::loadLe<int32_t>(m_data + at); }
    void f32(std::size_t at, float& v) { v = platform::loadLe<float>(m_data + at); }
    void time(std::size_t at, SystemTime& v) { v = *SystemTime::fromBytes(m_data + at, SystemTime::ByteSize); }
    void text(std::size_t at, int width, QString& v)
    {
        const char* start = reinterpret_cast<const char*>(m_data + at);
        const void* zero = std::memchr(start, 0, std::size_t(width));
        const qsizetype length = zero ? static_cast<const char*>(zero) - start : width;
        // UTF-8 from our own programs; anything else is taken as Latin-1 so
        // that no byte is lost.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        v = utf8.decode(QByteArrayView(start, length));
        if (utf8.hasError())
            v = QString::fromLatin1(start, length);
    }

private:
    const uint8_t* m_data;
};

// Writes fields at their offsets into a zeroed buffer of the record's size.
class FieldWriter {
public:
    explicit FieldWriter(QByteArray& out) : m_out(out) {}

    void u8(std::size_t at, const uint8_t& v) { m_out[qsizetype(at)] = char(v); }
    void i16(std::size_t at, const int16_t& v) { platform::storeLe(bytes(at), v); }
    void u32(std::size_t at, const uint32_t& v) { platform::storeLe(bytes(at), v); }
    void i32(std::size_t at, const int32_t& v) { platform::storeLe(bytes(at), v); }
    void f32(std::size_t at, const float& v) { platform::storeLe(bytes(at), v); }
    void time(std::size_t at, const SystemTime& v)
    {
        const auto raw = v.toBytes();
        std::memcpy(bytes(at), raw.data(), raw.size());
    }
    void text(std::size_t at, int width, const QString& v)
    {
        // UTF-8, cut on a character boundary so that the terminating zero
        // (already in the zeroed buffer) still fits.
        const QByteArray utf8 = v.toUtf8();
        qsizetype length = std::min<qsizetype>(utf8.size(), width - 1);
        while (length > 0 && length < utf8.size() && (uint8_t(utf8[length]) & 0xC0) == 0x80)
            --length;
        std::memcpy(bytes(at), utf8.constData(), std::size_t(length));
    }

private:
    uint8_t* bytes(std::size_t at) { return reinterpret_cast<uint8_t*>(m_out.data()) + at; }

    QByteArray& m_out;
};

// Visits the record's fields and notes whether every real one is finite.
class FiniteCheck {
public:
    void u8(std::size_t, const uint8_t&) {}
    void i16(std::size_t, const int16_t&) {}
    void u32(std::size_t, const uint32_t&) {}
    void i32(std::size_t, const int32_t&) {}
    void f32(std::size_t, const float& v) { m_finite = m_finite && std::isfinite(v); }
    void time(std::size_t, const SystemTime&) {}
    void text(std::size_t, int, const QString&) {}
    bool finite() const { return m_finite; }

private:
    bool m_finite = true;
};

template <class Record>
bool allFinite(const Record& record)
{
    FiniteCheck check;
    Record copy = record;
    copy.layout(check);
    return check.finite();
}

// No detector reports an event or a sound that lasts longer than a day; a
// duration beyond that would overflow the time arithmetic of the panels.
bool durationInRange(float seconds)
{
    constexpr float LongestDuration = 24.0f * 60.0f * 60.0f;
    return seconds >= 0.0f && seconds <= LongestDuration;
}

} // namespace

bool NewWhistlesRecord::valuesValid() const
{
    return allFinite(*this) && durationInRange(duration);
}

bool NewSeismicRecord::valuesValid() const
{
    return allFinite(*this);
}

bool NewRCEventRecord::valuesValid() const
{
    return allFinite(*this) && durationInRange(duration);
}

bool PorpoiseEventRecord::valuesValid() const
{
    return allFinite(*this) && durationInRange(duration);
}

bool NewWhistleEventRecord::valuesValid() const
{
    return allFinite(*this) && durationInRange(duration);
}

bool RightWhaleEventRecord::valuesValid() const
{
    return allFinite(*this) && durationInRange(duration);
}

template <class Derived>
std::optional<Derived> PackedRecord<Derived>::decode(const uint8_t* data, std::size_t size)
{
    if (!data || size < Derived::Size)
        return std::nullopt;
    Derived record;
    FieldReader reader(data);
    record.layout(reader);
    return record;
}

template <class Derived>
QByteArray PackedRecord<Derived>::encode() const
{
    QByteArray out(qsizetype(Derived::Size), '\0');
    FieldWriter writer(out);
    Derived copy = static_cast<const Derived&>(*this);
    copy.layout(writer);
    return out;
}

template <class IO>
void NewWhistlesRecord::layout(IO& io)
{
    io.i32(0, whistleNumber);
    io.time(4, pcTime);
    io.f32(24, sectionTime);
    io.f32(28, duration);
    io.i32(32, maxFrequency);
    io.i32(36, minFrequency);
    io.i32(40, aveFrequency);
    io.i32(44, startFrequency);
    io.i32(48, endFrequency);
    io.f32(52, aveAmplitude);
    io.f32(56, maxAmplitude);
    io.i16(60, peaks);
    io.i16(62, troughs);
    io.i32(64, maxPeakFreq);
    io.i32(68, minTroughFreq);
    io.f32(72, bearing);
    io.f32(76, range);
    io.text(80, TextWidth, species);
    io.text(100, TextWidth, fileName);
    io.i16(120, fileSection);
    io.i16(122, channel);
    io.f32(124, correlation);
}

template <class IO>
void NewSeismicRecord::layout(IO& io)
{
    io.text(0, TextWidth, detector);
    io.time(20, pcTime);
    io.i16(36, channel);
    io.f32(38, amplitude1);
    io.f32(42, amplitude2);
}

template <class IO>
void NewRCEventRecord::layout(IO& io)
{
    io.time(0, eventTime);
    io.f32(16, duration);
    io.i32(20, sectionSeconds);
    io.i32(24, nClicks);
    io.i32(28, species);
    io.i16(32, whaleId);
    io.f32(34, meanBearing);
    io.f32(38, meanIci);
    io.f32(42, meanAmplitude);
    io.f32(46, lastBearing);
    io.f32(50, lastIci);
    io.f32(54, firstBearing);
    io.f32(58, firstIci);
    io.f32(62, meanRange);
    io.i32(66, state);
    io.i32(70, eventKey);
    io.u32(74, tickCount);
    io.i32(78, eventNumber);
}

template <class IO>
void PorpoiseEventRecord::layout(IO& io)
{
    io.i32(4, number);
    io.time(8, eventStart);
    io.i32(24, runId);
    io.i32(28, state);
    io.u32(32, tickCount);
    io.f32(36, duration);
    io.i16(40, startSection);
    io.i16(42, endSection);
    io.i32(44, startAdcTime);
    io.i32(48, endAdcTime);
    io.text(52, SpeciesCodeWidth, speciesCode);
    io.i16(58, confidence);
    io.text(60, CommentWidth, comment);
    io.i32(111, nPorpoiseClicks);
    io.i32(115, nBroadBandClicks);
    io.i32(119, nOtherClicks);
    io.f32(123, backgroundDc);
    io.f32(127, backgroundAc);
    io.u8(131, storeClicks);
    io.f32(132, minBearing);
    io.f32(136, maxBearing);
    io.f32(140, porpoiseBearing);
    io.f32(144, otherBearing);
    io.text(148, FileNameWidth, fileName);
    io.u8(199, automatic);
    io.f32(200, timeABeam);
    io.f32(204, secsOffBeam);
    io.f32(208, rangeOffBeam);
    io.f32(212, initialBearing);
    io.f32(216, initialRange);
    io.f32(220, sigTimeABeam);
    io.f32(224, sigSecsOff);
    io.f32(228, chi2);
    io.f32(232, fitProb);
}

template <class IO>
void NewWhistleEventRecord::layout(IO& io)
{
    io.u8(0, open);
    io.i32(1, nWhistles);
    io.i32(5, aveFrequency);
    io.i32(9, minFrequency);
    io.i32(13, maxFrequency);
    io.f32(17, minBearing);
    io.f32(21, maxBearing);
    io.f32(25, aveBearing);
    io.i32(29, nBearings);
    io.i32(33, firstWhistle);
    io.i32(37, lastWhistle);
    io.f32(41, minAmplitude);
    io.f32(45, maxAmplitude);
    io.f32(49, aveAmplitude);
    io.i32(53, eventKey);
    io.u32(57, tickCount);
    io.f32(61, duration);
    io.time(65, eventStart);
    io.text(81, TextWidth, species);
    io.text(101, TextWidth, fileName);
    io.i16(121, fileSection);
}

template <class IO>
void RightWhaleEventRecord::layout(IO& io)
{
    constexpr std::size_t whistlesAt = 48;
    io.i32(0, maxFreq);
    io.i32(4, minFreq);
    io.f32(16, duration);
    io.i32(20, nWhistles);
    io.i32(24, totPeaks);
    io.i32(28, fatPeaks);
    io.f32(32, score);
    io.f32(36, harmonicScore);
    io.i16(40, pausedAtStart);
    io.i16(42, unsettled);
    io.i16(44, pausedAtEnd);
    io.i16(46, isGood);
    for (std::size_t i = 0; i < whistles.size(); ++i)
        io.i32(whistlesAt + 4 * i, whistles[i]);
    io.text(88, FileNameWidth, fileName);
    io.i16(108, fileSection);
    io.time(110, eventStart);
    io.u32(126, receiptTick1);
    io.u32(130, receiptTick2);
    io.text(134, ParameterSetWidth, parameterSet);
    io.i32(194, noGoodBearingWsls);
    io.f32(198, accurateBearing);
    io.f32(202, acBearingStd);
    io.f32(206, bearingScore);
    io.f32(210, maxStrengthOnBearing);
    io.f32(214, avStrengthOnBearing);
    io.i32(218, numGoodBearingWsls2);
    io.i32(222, maxInList);
}

namespace {

// Years a stored PCTime text shows in its four digits (a SYSTEMTIME starts
// at 1601).
constexpr int kFirstPossibleYear = 1601;
constexpr int kLastPossibleYear = 9999;

// Visits a record's fields and notes any impossible time among them.
class TimeCheck {
public:
    template <class T>
    void u8(std::size_t, const T&)
    {
    }
    template <class T>
    void i16(std::size_t, const T&)
    {
    }
    template <class T>
    void u32(std::size_t, const T&)
    {
    }
    template <class T>
    void i32(std::size_t, const T&)
    {
    }
    template <class T>
    void f32(std::size_t, const T&)
    {
    }
    void text(std::size_t, int, const QString&) {}
    void time(std::size_t, const SystemTime& v)
    {
        possible = possible && v.isValid() && v.wYear >= kFirstPossibleYear && v.wYear <= kLastPossibleYear;
    }
    bool possible = true;
};

} // namespace

template <class Record>
bool HasPossibleTimes(const Record& record)
{
    TimeCheck check;
    Record copy = record;
    copy.layout(check);
    return check.possible;
}

template bool HasPossibleTimes(const NewWhistlesRecord&);
template bool HasPossibleTimes(const NewSeismicRecord&);
template bool HasPossibleTimes(const NewRCEventRecord&);
template bool HasPossibleTimes(const PorpoiseEventRecord&);
template bool HasPossibleTimes(const NewWhistleEventRecord&);
template bool HasPossibleTimes(const RightWhaleEventRecord&);

template struct PackedRecord<NewWhistlesRecord>;
template struct PackedRecord<NewSeismicRecord>;
template struct PackedRecord<NewRCEventRecord>;
template struct PackedRecord<PorpoiseEventRecord>;
template struct PackedRecord<NewWhistleEventRecord>;
template struct PackedRecord<RightWhaleEventRecord>;

} // namespace velmar::nav
