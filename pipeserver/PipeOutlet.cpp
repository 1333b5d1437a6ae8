#include "pipeserver/PipeOutlet.h"

#include "sound/PipeProtocol.h"

namespace velmar::pipeserver {

PipeOutlet::PipeOutlet(uint32_t bit) : m_bit(bit)
{
}

bool PipeOutlet::create(qint64 outBufferBytes, qint64 nowMs)
{
    const auto route = sound::PipeRouteOfBit(m_bit);
    m_createdMs = nowMs;
    return route && m_pipe.create(QString::fromLatin1(route->pipeName), outBufferBytes);
}

PipeOutlet::Result PipeOutlet::write(const QByteArray& frames, int frameBytes, qint64 nowMs)
{
    const qint64 room = m_pipe.room();
    const qint64 frameCount = frameBytes > 0 ? frames.size() / frameBytes : 0;
    if (room < 0) {
        m_droppedFrames += frameCount;
        m_droppedBytes += frames.size();
        if (m_hadReader || nowMs - m_createdMs >= sound::PipeDefaultTimeoutMs)
            return Result::Gone;
        return Result::Waiting;
    }
    m_hadReader = true;
    const qint64 fitting = frameBytes > 0 ? std::min<qint64>(frameCount, room / frameBytes) : 0;
    const qint64 bytes = fitting * frameBytes;
    if (bytes > 0 && m_pipe.write(frames.constData(), bytes) != bytes)
        return Result::Gone;
    m_writtenBytes += bytes;
    m_droppedFrames += frameCount - fitting;
    m_droppedBytes += frames.size() - bytes;
    return Result::Written;
}

} // namespace velmar::pipeserver
