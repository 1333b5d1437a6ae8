#include "FrameCapturePart.h"

#include <utility>

namespace velmar::video {

bool FrameCapturePart::setRgbFormat(TFrameGrabberRGBFormat format)
{
    if (format < fgf_Default || format > fgf_RGB8 || format == m_settings.rgbFormat)
        return false;
    m_settings.rgbFormat = format;
    return true;
}

bool FrameCapturePart::setWithoutOverlay(bool on)
{
    if (on == m_settings.withoutOverlay)
        return false;
    m_settings.withoutOverlay = on;
    return true;
}

bool FrameCapturePart::setFrameBuffers(int n)
{
    if (n < 0 || n > maxFrameBuffers || n == m_settings.frameBuffers)
        return false;
    m_settings.frameBuffers = n;
    return true;
}

void FrameCapturePart::setZoom(int percent)
{
    if (percent > 0)
        m_settings.zoom = percent;
}

void FrameCapturePart::setBurstType(TFrameCaptureDest type)
{
    if (type >= fc_TBitmap && type <= fc_JpegFile)
        m_settings.burstType = type;
}

void FrameCapturePart::setJpegQuality(int quality)
{
    if (quality >= 1 && quality <= maxJpegQuality)
        m_settings.jpeg.quality = quality;
}

void FrameCapturePart::setJpegPerformance(TJPEGPerformance performance)
{
    if (performance == jpBestQuality || performance == jpBestSpeed)
        m_settings.jpeg.performance = performance;
}

void FrameCapturePart::setAutoFileName(TAutoFileName kind)
{
    if (kind == fn_Sequential || kind == fn_DateTime)
        m_settings.autoFileName = kind;
}

void FrameCapturePart::setAutoFilePrefix(const QString& prefix)
{
    if (prefix == m_settings.autoFilePrefix)
        return;
    m_settings.autoFilePrefix = prefix;
    m_settings.storagePathChanged = true;
}

void FrameCapturePart::setStoragePath(const QString& path)
{
    m_settings.storagePath = path;
    m_settings.storagePathChanged = true;
}

void FrameCapturePart::setSyncTimeOutMs(int ms)
{
    if (ms > 0)
        m_settings.syncTimeOutMs = ms;
}

void FrameCapturePart::setSampleVideo(TSampleCapture where)
{
    if (where >= sc_Disabled && where <= sc_AfterCompression)
        m_settings.sampleVideo = where;
}

void FrameCapturePart::setSampleAudio(TSampleCapture where)
{
    if (where >= sc_Disabled && where <= sc_AfterCompression)
        m_settings.sampleAudio = where;
}

bool FrameCapturePart::burstMode() const
{
    QMutexLocker locker(&m_frameLock);
    return m_burst.isOn();
}

void FrameCapturePart::setBurstMode(bool on)
{
    QMutexLocker locker(&m_frameLock);
    if (on)
        m_burst.switchOn(m_burstCount);
    else
        m_burst.switchOff();
}

int FrameCapturePart::burstCount() const
{
    QMutexLocker locker(&m_frameLock);
    return m_burstCount;
}

void FrameCapturePart::setBurstCount(int n)
{
    QMutexLocker locker(&m_frameLock);
    if (n >= 0)
        m_burstCount = n;
}

int FrameCapturePart::burstInterval() const
{
    QMutexLocker locker(&m_frameLock);
    return m_burstInterval;
}

void FrameCapturePart::setBurstInterval(int n)
{
    QMutexLocker locker(&m_frameLock);
    if (n >= 0)
        m_burstInterval = n;
}

FrameCapturePart::Offer FrameCapturePart::offerFrame(bool grabbing, bool motionRunning)
{
    Offer offer;
    QMutexLocker locker(&m_frameLock);
    offer.eligible = grabbing && !frameReady.load();
    if (!offer.eligible)
        return offer;
    switch (m_burst.frame(m_burstCount, m_burstInterval)) {
    case BurstSchedule::Pending:
        m_burstPending = true;
        offer.taken = true;
        break;
    case BurstSchedule::Ended: offer.taken = true; break;
    case BurstSchedule::Skipped: break;
    }
    offer.taken = offer.taken || m_captureRequested || m_burstPending || motionRunning;
    if (m_pauseOnNextFrame) {
        m_pauseOnNextFrame = false;
        m_pausedOnFrame = true;
        offer.taken = true;
    }
    return offer;
}

void FrameCapturePart::publish(FrameRecord record)
{
    QMutexLocker locker(&m_frameLock);
    m_published = std::move(record);
}

void FrameCapturePart::take()
{
    QMutexLocker locker(&m_frameLock);
    current = std::exchange(m_published, FrameRecord());
}

FrameCapturePart::Pending FrameCapturePart::takePending()
{
    Pending pending;
    QMutexLocker locker(&m_frameLock);
    if (m_captureRequested) {
        pending.kind = Pending::Request;
        m_captureRequested = false;
        pending.dest = m_requestDest;
        pending.file = m_requestFile;
    } else if (m_burstPending) {
        pending.kind = Pending::Burst;
        m_burstPending = false;
        pending.dest = m_settings.burstType;
        pending.burstOn = m_burst.isOn();
    }
    return pending;
}

bool FrameCapturePart::requestPending() const
{
    QMutexLocker locker(&m_frameLock);
    return m_captureRequested;
}

bool FrameCapturePart::request(TFrameCaptureDest dest, const QString& file)
{
    QMutexLocker locker(&m_frameLock);
    if (m_captureRequested)
        return false;
    m_requestDest = dest;
    m_requestFile = file;
    m_captureRequested = true;
    return true;
}

void FrameCapturePart::cancelRequest()
{
    QMutexLocker locker(&m_frameLock);
    m_captureRequested = false;
}

void FrameCapturePart::pauseOnNextFrame()
{
    QMutexLocker locker(&m_frameLock);
    m_pauseOnNextFrame = true;
}

bool FrameCapturePart::takePausedOnFrame()
{
    QMutexLocker locker(&m_frameLock);
    return std::exchange(m_pausedOnFrame, false);
}

void FrameCapturePart::offerVideoSample(TSampleData sample)
{
    QMutexLocker locker(&m_sampleLock);
    m_pendingSample = std::move(sample);
}

void FrameCapturePart::offerAudioSample(TSampleData sample)
{
    QMutexLocker locker(&m_sampleLock);
    m_pendingAudioSample = std::move(sample);
}

void FrameCapturePart::takeSamples(std::optional<TSampleData>& video, std::optional<TSampleData>& audio)
{
    QMutexLocker locker(&m_sampleLock);
    video.swap(m_pendingSample);
    audio.swap(m_pendingAudioSample);
}

void FrameCapturePart::resetForGraph()
{
    {
        QMutexLocker locker(&m_frameLock);
        m_captureRequested = false;
        m_burstPending = false;
        m_pauseOnNextFrame = false;
        m_pausedOnFrame = false;
        m_burst.loadForGraph(m_burstCount, m_burstInterval);
        m_published = FrameRecord();
    }
    frameReady = false;
    current = FrameRecord();
    {
        QMutexLocker locker(&m_sampleLock);
        m_pendingSample.reset();
        m_pendingAudioSample.reset();
    }
    // A waiting synchronous capture returns without a frame.
    syncResult = false;
    syncWaiting = false;
}

} // namespace velmar::video
