// One sentence as the NMEA server hands it over, read by every parser of the
// main program and by the server's own RMC reader: whatever they accept is
// a real time, a real position and real numbers.
#include "FuzzCheck.h"

#include "nmea/NmeaAngle.h"
#include "nmea/NmeaFields.h"
#include "nav/NmeaSentence.h"
#include "nmeaserver/RmcFix.h"

#include <cmath>
#include <cstdint>

using namespace velmar;

namespace {

bool isTimeOfDay(int32_t hhmmss)
{
    return hhmmss >= 0 && hhmmss / 10000 < 24 && hhmmss / 100 % 100 < 60 && hhmmss % 100 < 60;
}

void checkFix(const nav::GpsFixData& fix)
{
    FUZZ_CHECK(fix.noTime || isTimeOfDay(fix.sentenceTime));
    FUZZ_CHECK(std::isfinite(fix.latitude) && fix.latitude >= 0 && fix.latitude <= 9000);
    FUZZ_CHECK(std::isfinite(fix.longitude) && fix.longitude >= 0 && fix.longitude <= 18000);
    FUZZ_CHECK(std::isfinite(fix.speed) && std::isfinite(fix.course));
    FUZZ_CHECK(nmea::NmeaDegrees(fix.latitude) <= 90 && nmea::NmeaDegrees(fix.longitude) <= 180);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const QByteArray sentence(reinterpret_cast<const char*>(data), qsizetype(size));

    nav::GpsSentenceParser parser;
    nav::GpsFixData rmc{platform::SystemTime{}};
    if (parser.ParseRMC(rmc, sentence))
        checkFix(rmc);
    nav::GpsFixData gga{platform::SystemTime{}};
    if (parser.ParseGGA(gga, sentence))
        checkFix(gga);
    for (const char* type : {"HDT", "HDM"})
        if (const auto heading = nav::ParseHeading(sentence, type))
            FUZZ_CHECK(*heading >= 0.0f && *heading <= 360.0f);
    for (int n = 0; n < 16; ++n)
        nav::GetNmeaField(sentence, n, n);

    nmeaserver::RmcFix fix = nmeaserver::newRmcFix();
    if (nmeaserver::ParseRmc(fix, sentence) && !fix.NoTime) {
        FUZZ_CHECK(isTimeOfDay(fix.Time));
        FUZZ_CHECK(fix.Milliseconds >= 0 && fix.Milliseconds <= 999);
        FUZZ_CHECK(std::isfinite(fix.Latitude) && std::isfinite(fix.Longitude) && std::isfinite(fix.Speed)
                   && std::isfinite(fix.Course));
    }

    if (const auto time = nmea::ReadNmeaTimeField(sentence)) {
        FUZZ_CHECK(isTimeOfDay(time->hhmmss));
        FUZZ_CHECK(time->milliseconds >= 0 && time->milliseconds <= 999);
    }
    if (const auto number = nmea::ReadNmeaNumber(sentence))
        FUZZ_CHECK(std::isfinite(*number));
    return 0;
}
