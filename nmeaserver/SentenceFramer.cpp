#include "nmeaserver/SentenceFramer.h"

namespace velmar::nmeaserver {

namespace {
constexpr char LineFeed = '\n';
constexpr char CarriageReturn = '\r';
// Sentences are handed out from the second one on: the first start
// character seen after opening may belong to a line already under way.
constexpr int StartsBeforePosting = 1;
} // namespace

bool IsSentenceStart(char c)
{
    return c == '$' || c == '!';
}

void SentenceFramer::reset()
{
    m_current = 0;
    m_index = 0;
    m_textEnd = -1;
    m_startCount = 0;
    m_handedOut = true;
}

bool SentenceFramer::sentenceWaiting() const
{
    return !m_handedOut && m_startCount > StartsBeforePosting && m_index > 0
        && IsSentenceStart(m_buffers[m_current][0]);
}

std::string_view SentenceFramer::takeSentence()
{
    m_handedOut = true;
    const int length = m_textEnd >= 0 ? m_textEnd : m_index;
    return std::string_view(m_buffers[m_current].data(), std::size_t(length));
}

SentenceFramer::Result SentenceFramer::feed(char byte)
{
    Result result;
    if (IsSentenceStart(byte)) {
        // A line that never ended is cut here. Its text stays where it is,
        // and the new sentence is collected in the other buffer.
        if (sentenceWaiting()) {
            result.event = Event::Sentence;
            result.sentence = takeSentence();
            m_current ^= 1;
        }
        ++m_startCount;
        m_index = 0;
        m_textEnd = -1;
        m_handedOut = false;
    }
    if (byte == LineFeed) {
        // Not stored: it ends the text. It may stand right after a full
        // 255-character text. Bytes after it up to the next start character
        // still count toward the limit, so noise at a wrong baud rate that
        // happens to hold line ends still overflows.
        if (m_index > MaxTextLength) {
            result.event = Event::Overflow;
        } else {
            if (m_textEnd < 0)
                m_textEnd = m_index;
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
            if (byte == '\0' && m_textEnd < 0)
                m_textEnd = m_index;
            m_buffers[m_current][std::size_t(m_index++)] = byte;
            if (byte == CarriageReturn && sentenceWaiting()) {
                result.event = Event::Sentence;
                result.sentence = takeSentence();
            }
        }
    }
    if (result.event == Event::Overflow)
        result.sentence = {};
    return result;
}

} // namespace velmar::nmeaserver
