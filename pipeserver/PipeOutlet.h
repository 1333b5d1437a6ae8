#pragma once
// The server end of one of Pelvane's pipes, fed whole frames.
//
// The socket may hold at most the pipe's out buffer of unwritten bytes (the
// stream's channels for BufferSeconds). A reader that falls further behind
// loses whole frames, never part of one, and they are counted; the other
// pipes are not held up. A pipe whose reader has not connected yet is given
// the pipe time-out to do so (its frames meanwhile are dropped and counted);
// a reader that has gone, or one that never came, ends the pipe.
//
// Belongs to the acquisition thread, like the socket it owns.
#include "sound/SamplePipe.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace velmar::pipeserver {

class PipeOutlet {
public:
    explicit PipeOutlet(uint32_t bit);

    // Makes the pipe; false (with errorString) when it cannot be made.
    bool create(qint64 outBufferBytes, qint64 nowMs);
    QString errorString() const { return m_pipe.errorString(); }

    enum class Result { Written, Waiting, Gone };
    // Writes the whole frames that fit; the others are dropped and counted.
    Result write(const QByteArray& frames, int frameBytes, qint64 nowMs);

    qint64 droppedFrames() const { return m_droppedFrames; }
    qint64 droppedBytes() const { return m_droppedBytes; }
    qint64 writtenBytes() const { return m_writtenBytes; }
    qint64 pendingBytes() const { return m_pipe.pendingBytes(); }

private:
    uint32_t m_bit;
    sound::SamplePipeServer m_pipe;
    qint64 m_createdMs = 0;
    bool m_hadReader = false;
    qint64 m_droppedFrames = 0;
    qint64 m_droppedBytes = 0;
    qint64 m_writtenBytes = 0;
};

} // namespace velmar::pipeserver
