#include "nmeaserver/SentenceFramer.h"

#include <cstring>

namespace velmar::nmeaserver {

namespace {
constexpr char LineFeed = '\n';
// Sentences are posted from the second complete one on: the first start
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
}

SentenceFramer::Result SentenceFramer::feed(char byte)
{
    Result result;
    if (IsSentenceStart(byte)) {
        if (m_startCount > StartsBeforePosting && IsSentenceStart(m_buffer[0])) {
            result.event = Event::Sentence;
            // The text ends at the first NUL: a line feed left its place zero,
            // and whatever came after it up to this start character is lost.
            result.sentence = QByteArray(m_buffer.data(), int(strnlen(m_buffer.data(), BufferSize)));
        }
        m_buffer.fill(0);
        ++m_startCount;
        m_index = 0;
    }
    if (byte == LineFeed) {
        // Not stored: its zero ends the text. It may stand right after a full
        // 255-character text.
        if (m_index > MaxTextLength)
            result.event = Event::Overflow;
        else
            ++m_index;
    } else {
        if (m_index >= MaxTextLength)
            result.event = Event::Overflow;
        else
            m_buffer[m_index++] = byte;
    }
    if (result.event == Event::Overflow)
        result.sentence.clear();
    return result;
}

} // namespace velmar::nmeaserver
