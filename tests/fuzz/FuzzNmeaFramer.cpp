// The bytes of a serial port cut into sentences, each then read by the
// parsers: sentences start at "$" or "!" and never outgrow the buffer, and
// a block fed whole gives the sentences that its bytes fed one by one give.
#include "FuzzCheck.h"

#include "nav/NmeaSentence.h"
#include "nmeaserver/RmcFix.h"
#include "nmeaserver/SentenceFramer.h"

#include <cstdint>
#include <string>
#include <vector>

using namespace velmar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    nmeaserver::SentenceFramer framer;
    nav::GpsSentenceParser parser;
    std::vector<std::string> oneByOne;
    bool overflowed = false;
    for (std::size_t i = 0; i < size; ++i) {
        const nmeaserver::SentenceFramer::Result r = framer.feed(char(data[i]));
        if (r.event == nmeaserver::SentenceFramer::Event::Overflow) {
            overflowed = true;
            framer.reset();
            continue;
        }
        if (r.event != nmeaserver::SentenceFramer::Event::Sentence)
            continue;
        FUZZ_CHECK(!r.sentence.empty() && nmeaserver::IsSentenceStart(r.sentence.front()));
        FUZZ_CHECK(r.sentence.size() <= std::size_t(nmeaserver::SentenceFramer::MaxTextLength));
        if (!overflowed)
            oneByOne.emplace_back(r.sentence);
        const QByteArray sentence(r.sentence.data(), qsizetype(r.sentence.size()));
        nav::GpsFixData fix{platform::SystemTime{}};
        parser.ParseRMC(fix, sentence);
        parser.ParseGGA(fix, sentence);
        nmeaserver::RmcFix rmc = nmeaserver::newRmcFix();
        nmeaserver::ParseRmc(rmc, sentence);
    }
    nmeaserver::SentenceFramer block;
    std::vector<std::string> whole;
    const bool ended = block.feed(reinterpret_cast<const char*>(data), size,
                                  [&](std::string_view s) { whole.emplace_back(s); });
    FUZZ_CHECK(ended == !overflowed);
    FUZZ_CHECK(whole == oneByOne);
    return 0;
}
