#pragma once
// The hand-over of frames from a multiplexed master to one of its slaves:
// the master's streaming thread offers each frame of the slave's input, the
// slave's streaming thread takes it. One frame at a time, under a lock; a
// frame of another size or format than the slave was built for is refused,
// so the slave never copies more or less than its buffer holds.
//
// Any thread.
#include <QImage>
#include <QMutex>
#include <QWaitCondition>

namespace velmar::video {

class TMultiplexSlot {
public:
    // The frames the slave takes from now on; reopens a closed slot.
    void setFormat(QSize size, QImage::Format format);
    // Master: true when the frame was handed over (the slave waited for it).
    bool offer(const QImage& frame);
    // Slave: the next frame, or a null picture after `timeoutMs` or once closed.
    QImage take(int timeoutMs);
    // Wakes a waiting slave with nothing; offers are refused until setFormat.
    void close();

private:
    QMutex m_lock;
    QWaitCondition m_ready;
    QImage m_frame;
    QSize m_size;
    QImage::Format m_format = QImage::Format_Invalid;
    bool m_waiting = false;
    bool m_closed = true;
};

// The slave index a master frame is for: its first byte, 0 for values above 3.
int MultiplexInputIndex(const QImage& frame);
// True for a frame of an input without a camera: at least 20 x 20 pixels of
// 24 or 32 bits whose nine sample points are all pure blue.
bool IsNoSignalFrame(const QImage& frame);

} // namespace velmar::video
