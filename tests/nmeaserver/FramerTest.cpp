#include "nmeaserver/SentenceFramer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using velmar::nmeaserver::SentenceFramer;

namespace {

struct Outcome {
    std::vector<std::string> sentences;
    int overflowAt = -1;   // index of the byte that overflowed, -1 for none
};

Outcome run(const std::string& bytes)
{
    SentenceFramer framer;
    framer.reset();
    Outcome out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto r = framer.feed(bytes[i]);
        if (r.event == SentenceFramer::Event::Sentence)
            out.sentences.push_back(r.sentence.toStdString());
        if (r.event == SentenceFramer::Event::Overflow) {
            out.overflowAt = int(i);
            break;
        }
    }
    return out;
}

struct Row {
    const char* legend;
    std::string bytes;
    std::vector<std::string> sentences;
    int overflowAt;
};

std::string repeat(char c, int n) { return std::string(size_t(n), c); }

const std::string Full255 = "$" + repeat('A', 253) + "\r";   // 255 characters with its CR

} // namespace

TEST(SentenceFramer, CutsStreamsAsTheReadersAlwaysHave)
{
    const Row rows[] = {
        {"text before the first start and the first sentence are dropped",
         "xx\r\n$GPAAA,1\r\n$GPBBB,2\r\n$GPCCC,3\r\n", {"$GPBBB,2\r"}, -1},
        {"a sentence is handed out only when the next one starts",
         "$GPAAA,1\r\n$GPBBB,2\r\n", {}, -1},
        {"AIS lines start sentences as $ lines do",
         "$GPAAA,1\r\n!AIVDM,1,1,,A,13aG,0*5C\r\n$GPBBB,2\r\n",
         {"!AIVDM,1,1,,A,13aG,0*5C\r"}, -1},
        {"text between a line feed and the next start is lost",
         "$A,0\r\n$GPBBB,2\r\ngarbage$C,1\r\n", {"$GPBBB,2\r"}, -1},
        {"a line without line feed ends at the next start",
         "$A,0\r$B,1\r$C,2\r$D", {"$B,1\r", "$C,2\r"}, -1},
        {"a NUL ends the text",
         "$A,0\n$B,1" + std::string(1, '\0') + "tail\r\n$C", {"$B,1"}, -1},
        {"255 characters and their line feed pass whole",
         "$A,0\n" + Full255 + "\n$", {Full255}, -1},
        {"a 256th character before the line feed overflows",
         "$A,0\n$" + repeat('A', 254) + "BC", {}, 5 + 255},
        {"data at the wrong baud rate overflow after 255 characters",
         repeat('U', 300), {}, 255},
        {"line feeds count toward the limit too",
         repeat('\n', 256) + "x", {}, 256},
    };
    for (const Row& row : rows) {
        const Outcome out = run(row.bytes);
        EXPECT_EQ(out.sentences, row.sentences) << row.legend;
        EXPECT_EQ(out.overflowAt, row.overflowAt) << row.legend;
    }
}

TEST(SentenceFramer, ResetForgetsTheSentenceUnderWay)
{
    SentenceFramer framer;
    for (char c : std::string("$A,0\r\n$B,1\r\n"))
        framer.feed(c);
    framer.reset();
    std::vector<std::string> got;
    for (char c : std::string("$C,2\r\n$D,3\r\n$E")) {
        const auto r = framer.feed(c);
        if (r.event == SentenceFramer::Event::Sentence)
            got.push_back(r.sentence.toStdString());
    }
    EXPECT_EQ(got, std::vector<std::string>{"$D,3\r"});
}
