#include "MultiplexSlot.h"

#include <QDeadlineTimer>

namespace velmar::video {

namespace {
constexpr int inputs = 4;
constexpr int minNoSignalSize = 20;
constexpr int sampleInset = 10;
} // namespace

void TMultiplexSlot::setFormat(QSize size, QImage::Format format)
{
    QMutexLocker locker(&m_lock);
    m_size = size;
    m_format = format;
    m_frame = QImage();
    m_closed = false;
}

bool TMultiplexSlot::offer(const QImage& frame)
{
    QMutexLocker locker(&m_lock);
    if (m_closed || !m_waiting || frame.size() != m_size || frame.format() != m_format)
        return false;
    m_frame = frame.copy();
    m_waiting = false;
    m_ready.wakeAll();
    return true;
}

QImage TMultiplexSlot::take(int timeoutMs)
{
    QMutexLocker locker(&m_lock);
    const QDeadlineTimer deadline(timeoutMs);
    m_waiting = true;
    while (m_frame.isNull() && !m_closed)
        if (!m_ready.wait(&m_lock, deadline))
            break;
    m_waiting = false;
    return std::exchange(m_frame, QImage());
}

void TMultiplexSlot::close()
{
    QMutexLocker locker(&m_lock);
    m_closed = true;
    m_frame = QImage();
    m_ready.wakeAll();
}

int MultiplexInputIndex(const QImage& frame)
{
    if (frame.isNull() || frame.sizeInBytes() < 1)
        return 0;
    const int index = frame.constBits()[0];
    return index < inputs ? index : 0;
}

bool IsNoSignalFrame(const QImage& frame)
{
    const int depth = frame.depth();
    if ((depth != 24 && depth != 32) || frame.width() < minNoSignalSize || frame.height() < minNoSignalSize)
        return false;
    const int w = frame.width();
    const int h = frame.height();
    for (int y : {h - sampleInset, h - h / 2, sampleInset})
        for (int x : {sampleInset, w / 2, w - sampleInset}) {
            const QColor c = frame.pixelColor(std::min(x, w - 1), std::min(y, h - 1));
            if (c.blue() != 192 || c.green() != 0 || c.red() != 0)
                return false;
        }
    return true;
}

} // namespace velmar::video
