#pragma once
// Cuts the byte stream of one serial port into NMEA sentences.
//
// A sentence begins at "$" or "!" and its text runs up to, not including, the
// line feed; the carriage return before the line feed stays in the text. The
// sentence is handed out only when the next start character arrives, and the
// sentence begun by the first start character after the port opened is
// dropped, since the instrument may have been mid-line. At most 255 characters
// are collected between two start characters; one more is an overflow (most
// often a wrong baud rate), after which the reader gives up on the port.
//
// Owned and used by one reader thread at a time; no shared state.
#include <QByteArray>

#include <array>

namespace velmar::nmeaserver {

bool IsSentenceStart(char c);

class SentenceFramer {
public:
    static constexpr int BufferSize = 256;           // one NUL always remains
    static constexpr int MaxTextLength = BufferSize - 1;

    enum class Event { None, Sentence, Overflow };
    struct Result {
        Event event = Event::None;
        QByteArray sentence;   // for Event::Sentence
    };

    // One byte from the port. After an overflow the framer must be reset
    // before it is fed again.
    Result feed(char byte);
    // Back to the state right after the port opened.
    void reset();

private:
    std::array<char, BufferSize> m_buffer{};
    int m_index = 0;
    int m_startCount = 0;
};

} // namespace velmar::nmeaserver
