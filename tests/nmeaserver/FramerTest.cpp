#include "nmeaserver/SentenceFramer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using velmar::nmeaserver::SentenceFramer;

namespace {

// What came out of the framer after each chunk of the stream, as a reader
// sees it when the port delivers bytes in pieces.
struct Outcome {
    std::vector<std::vector<std::string>> perChunk;
    int overflowAt = -1; // index of the byte that overflowed, -1 for none
};

Outcome run(const std::vector<std::string>& chunks)
{
    SentenceFramer framer;
    framer.reset();
    Outcome out;
    int offset = 0;
    for (const std::string& chunk : chunks) {
        out.perChunk.emplace_back();
        for (size_t i = 0; i < chunk.size() && out.overflowAt < 0; ++i) {
            const auto r = framer.feed(chunk[i]);
            if (r.event == SentenceFramer::Event::Sentence)
                out.perChunk.back().push_back(std::string(r.sentence));
            if (r.event == SentenceFramer::Event::Overflow)
                out.overflowAt = offset + int(i);
        }
        offset += int(chunk.size());
    }
    return out;
}

struct Row {
    const char* legend;
    std::vector<std::string> chunks;
    std::vector<std::vector<std::string>> perChunk;
    int overflowAt;
};

std::string repeat(char c, int n)
{
    return std::string(size_t(n), c);
}

const std::string Full255 = "$" + repeat('A', 253) + "\r"; // 255 characters with its CR

using Out = std::vector<std::vector<std::string>>;

} // namespace

TEST(SentenceFramer, HandsEachSentenceOnWhenItsLineEnds)
{
    const Row rows[] = {
        {"text before the first start and the first sentence are dropped; the rest come at their CR",
         {"xx\r\n$GPAAA,1\r\n$GPBBB,2\r", "\n$GPCCC,3\r", "\n"},
         Out{{"$GPBBB,2\r"}, {"$GPCCC,3\r"}, {}},
         -1},
        {"split inside the text and between CR and LF: out at the CR, the LF adds nothing",
         {"$A,0\r\n$GPB", "BB,2", "\r", "\n", "$GPC"},
         Out{{}, {}, {"$GPBBB,2\r"}, {}, {}},
         -1},
        {"a line ended by CR alone", {"$A,0\r$B,1\r", "$C,2\r"}, Out{{"$B,1\r"}, {"$C,2\r"}}, -1},
        {"a line ended by LF alone leaves the LF out", {"$A,0\n$B,1\n", "$C,2", "\n"}, Out{{"$B,1"}, {}, {"$C,2"}}, -1},
        {"a line that never ends goes at the next start",
         {"$A,0\r\n$B,1", "$C,2\r\n"},
         Out{{}, {"$B,1", "$C,2\r"}},
         -1},
        {"AIS lines are sentences as $ lines are",
         {"$GPAAA,1\r\n!AIVDM,1,1,,A,13aG,0*5C\r\n"},
         Out{{"!AIVDM,1,1,,A,13aG,0*5C\r"}},
         -1},
        {"text between a line end and the next start is lost",
         {"$A,0\r\n$GPBBB,2\r\ngarbage", "$C,1\r\n"},
         Out{{"$GPBBB,2\r"}, {"$C,1\r"}},
         -1},
        {"a NUL ends the text", {"$A,0\n$B,1" + std::string(1, '\0') + "tail\r\n"}, Out{{"$B,1"}}, -1},
        {"255 characters and their line feed pass whole", {"$A,0\n" + Full255, "\n$"}, Out{{Full255}, {}}, -1},
        {"a 256th character before the line feed overflows", {"$A,0\n$" + repeat('A', 254) + "BC"}, Out{{}}, 5 + 255},
        {"data at the wrong baud rate overflow after 255 characters", {repeat('U', 300)}, Out{{}}, 255},
        {"line ends without a start character count toward the limit",
         {repeat('\r', 128), repeat('\n', 128) + "x"},
         Out{{}, {}},
         256},
    };
    for (const Row& row : rows) {
        const Outcome out = run(row.chunks);
        EXPECT_EQ(out.perChunk, row.perChunk) << row.legend;
        EXPECT_EQ(out.overflowAt, row.overflowAt) << row.legend;
    }
}

TEST(SentenceFramer, ResetForgetsTheSentenceUnderWay)
{
    SentenceFramer framer;
    for (char c : std::string("$A,0\r\n$B,1\r\n$C,"))
        framer.feed(c);
    framer.reset();
    std::vector<std::string> got;
    for (char c : std::string("2\r\n$D,3\r\n$E,4\r\n")) {
        const auto r = framer.feed(c);
        if (r.event == SentenceFramer::Event::Sentence)
            got.push_back(std::string(r.sentence));
    }
    EXPECT_EQ(got, (std::vector<std::string>{"$E,4\r"}));
}
