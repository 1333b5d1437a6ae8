#include "nmeaserver/SentenceFramer.h"

#include <cstring>

namespace velmar::nmeaserver {

namespace {
constexpr char LineFeed = '\n';
constexpr char CarriageReturn = '\r';
// Sentences are handed out from the second one on: the first start
// character seen after opening may belong to a line already under way.
constexpr int StartsBeforePosting = 1;
}

bool IsSentenceStart(char c)
{
    return c == '$' || c == '!';
}

void SentenceFramer::reset()
{
    m_buffer.fill(0);
    m_index = 0;
    m_startCount = 0;
    m_handedOut = true;
}

bool SentenceFramer::sentenceWaiting() const
{
    return !m_handedOut && m_startCount > StartsBeforePosting && IsSentenceStart(m_buffer[0]);
}

QByteArray SentenceFramer::takeSentence()
{
    m_handedOut = true;
    // The text ends at the first NUL: a line feed leaves its place zero.
    return QByteArray(m_buffer.data(), int(strnlen(m_buffer.data(), BufferSize)));
}

SentenceFramer::Result SentenceFramer::feed(char byte)
{
    Result result;
    if (IsSentenceStart(byte)) {
        // A line that never ended is cut here.
        if (sentenceWaiting()) {
            result.event = Event::Sentence;
            result.sentence = takeSentence();
        }
        m_buffer.fill(0);
        ++m_startCount;
        m_index = 0;
        m_handedOut = false;
    }
    if (byte == LineFeed) {
        // Not stored: its zero ends the text. It may stand right after a full
        // 255-character text. Bytes after it up to the next start character
        // still count toward the limit, so noise at a wrong baud rate that
        // happens to hold line ends still overflows.
        if (m_index > MaxTextLength) {
            result.event = Event::Overflow;
        } else {
            ++m_index;
            if (sentenceWaiting()) {
                result.event = Event::Sentence;
                result.sentence = takeSentence();
            }
        }
    } else {
        if (m_index >= MaxTextLength) {
            result.event = Event::Overflow;
        } else {
            m_buffer[m_index++] = byte;
            if (byte == CarriageReturn && sentenceWaiting()) {
                result.event = Event::Sentence;
                result.sentence = takeSentence();
            }
        }
    }
    if (result.event == Event::Overflow)
        result.sentence.clear();
    return result;
}

} // namespace velmar::nmeaserver
