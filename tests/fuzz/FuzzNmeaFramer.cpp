// The bytes of a serial port cut into sentences, each then read by the
// parsers: sentences start at "$" or "!" and never outgrow the buffer.
#include "FuzzCheck.h"

#include "nav/NmeaSentence.h"
#include "nmeaserver/RmcFix.h"
#include "nmeaserver/SentenceFramer.h"

#include <cstdint>

using namespace velmar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    nmeaserver::SentenceFramer framer;
    nav::GpsSentenceParser parser;
    for (std::size_t i = 0; i < size; ++i) {
        const nmeaserver::SentenceFramer::Result r = framer.feed(char(data[i]));
        if (r.event == nmeaserver::SentenceFramer::Event::Overflow) {
            framer.reset();
            continue;
        }
        if (r.event != nmeaserver::SentenceFramer::Event::Sentence)
            continue;
        FUZZ_CHECK(!r.sentence.isEmpty() && nmeaserver::IsSentenceStart(r.sentence.front()));
        FUZZ_CHECK(r.sentence.size() <= nmeaserver::SentenceFramer::MaxTextLength);
        nav::GpsFixData fix{platform::SystemTime{}};
        parser.ParseRMC(fix, r.sentence);
        parser.ParseGGA(fix, r.sentence);
        nmeaserver::RmcFix rmc = nmeaserver::newRmcFix();
        nmeaserver::ParseRmc(rmc, r.sentence);
    }
    return 0;
}
