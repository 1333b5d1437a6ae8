#pragma once
// Cuts the byte stream of one serial port into NMEA sentences.
//
// A sentence begins at "$" or "!" and is handed out as soon as its line ends:
// at its carriage return, which stays in the text, or at a line feed without
// one before it, which does not. A line that never ends is handed out when the
// next start character arrives. The sentence begun by the first start
// character after the port opened is dropped, since the instrument may have
// been mid-line. Bytes between a line end and the next start character are
// lost. At most 255 characters are collected between two start characters;
// one more is an overflow (most often a wrong baud rate), after which the
// reader gives up on the port. A NUL, like a line feed, ends the text.
//
// A sentence handed out is a view into the framer's own buffers, good until
// the next byte is fed: nothing is allocated per sentence.
//
// Owned and used by one reader thread at a time; no shared state.
#include <array>
#include <cstddef>
#include <string_view>

namespace velmar::nmeaserver {

bool IsSentenceStart(char c);

class SentenceFramer {
public:
    static constexpr int BufferSize = 256;
    static constexpr int MaxTextLength = BufferSize - 1;

    enum class Event { None, Sentence, Overflow };
    struct Result {
        Event event = Event::None;
        std::string_view sentence; // for Event::Sentence
    };

    // One byte from the port. After an overflow the framer must be reset
    // before it is fed again.
    Result feed(char byte);

    // A block of bytes: sink(std::string_view) for each sentence in turn.
    // False at an overflow (the bytes after it are not looked at).
    template <class Sink>
    bool feed(const char* data, std::size_t size, Sink&& sink);

    // Back to the state right after the port opened.
    void reset();

private:
    static bool isSpecial(char c) { return c == '$' || c == '!' || c == '\r' || c == '\n' || c == '\0'; }
    bool sentenceWaiting() const;
    std::string_view takeSentence();

    std::array<char, BufferSize> m_buffers[2]{};
    int m_current = 0;  // the buffer being filled; the other holds the last sentence cut at a start
    int m_index = 0;    // bytes counted since the last start character
    int m_textEnd = -1; // where a line feed or NUL ended the text, -1 while it runs on
    int m_startCount = 0;
    bool m_handedOut = true; // nothing collected is still to be handed out
};

template <class Sink>
bool SentenceFramer::feed(const char* data, std::size_t size, Sink&& sink)
{
    std::size_t i = 0;
    while (i < size) {
        // Plain text runs are copied whole; only the five special characters
        // go through the byte-wise rules.
        if (!isSpecial(data[i]) && m_index < MaxTextLength) {
            std::size_t run = i;
            const std::size_t room = std::size_t(MaxTextLength - m_index);
            const std::size_t limit = size - i < room ? size : i + room;
            while (run < limit && !isSpecial(data[run]))
                ++run;
            char* out = m_buffers[m_current].data() + m_index;
            for (std::size_t k = i; k < run; ++k)
                *out++ = data[k];
            m_index += int(run - i);
            i = run;
            continue;
        }
        const Result r = feed(data[i++]);
        if (r.event == Event::Sentence)
            sink(r.sentence);
        else if (r.event == Event::Overflow)
            return false;
    }
    return true;
}

} // namespace velmar::nmeaserver
