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
// reader gives up on the port.
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
    bool sentenceWaiting() const;
    QByteArray takeSentence();

    std::array<char, BufferSize> m_buffer{};
    int m_index = 0;
    int m_startCount = 0;
    bool m_handedOut = true;   // nothing collected is still to be handed out
};

} // namespace velmar::nmeaserver
