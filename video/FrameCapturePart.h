#pragma once
// The frame captures of the video component: their published values, the
// hand-over of frames from the streaming thread to the capture step (the
// work record belongs to the streaming thread, the published one is handed
// over under the frame lock, the current one belongs to the capture step),
// the host's capture requests, burst captures, a preview paused on its next
// frame and the samples waiting for the host.
//
// The values on the user-interface thread; offerFrame and publish on the
// streaming thread; take, takePending and takeSamples on the capture
// step's thread. What is marked so is under the frame lock or the sample
// lock, which the part takes itself.
#include "BurstSchedule.h"
#include "DisplayGeometry.h"
#include "OverlayTemplate.h"
#include "PictureCodec.h"
#include "VideoTypes.h"

#include <QByteArray>
#include <QImage>
#include <QMutex>
#include <QString>
#include <atomic>
#include <optional>

namespace velmar::video {

// A media sample handed to the host: valid only during the event.
struct TSampleData {
    QByteArray Buffer; // the sample's bytes
    qint64 ActualDataLength = 0;
    QString Format; // the media type, as caps text
    int Width = 0, Height = 0, BitCount = 0, Stride = 0;
    qint64 StartTime = 0, EndTime = 0; // 100-ns units
};

// The published values of frame captures.
struct FrameCaptureSettings {
    TFrameGrabberRGBFormat rgbFormat = fgf_Default;
    bool withoutOverlay = false;
    int zoom = 100;
    bool grabberSynchrone = false;
    int frameBuffers = 5;
    TFrameCaptureDest burstType = fc_TBitmap;
    JpegOptions jpeg;
    TAutoFileName autoFileName = fn_Sequential;
    QString autoFilePrefix = QStringLiteral("om");
    QString storagePath;
    bool storagePathChanged = true; // the folder's numbers are to be read again
    int syncTimeOutMs = 5000;
    QString lastCaptureFile;
    QString lastBurstFile;
    TSampleCapture sampleVideo = sc_Disabled;
    TSampleCapture sampleAudio = sc_Disabled;
    bool sampleAsync = true;
};

class FrameCapturePart {
public:
    static constexpr int maxFrameBuffers = 10;
    static constexpr int maxJpegQuality = 100;

    FrameCaptureSettings& settings() { return m_settings; }
    const FrameCaptureSettings& settings() const { return m_settings; }
    // Values out of range are refused; true where a running graph is to be
    // built again because the value changed.
    bool setRgbFormat(TFrameGrabberRGBFormat format);
    bool setWithoutOverlay(bool on);
    bool setFrameBuffers(int n);
    void setZoom(int percent);
    void setBurstType(TFrameCaptureDest type);
    void setJpegQuality(int quality);
    void setJpegPerformance(TJPEGPerformance performance);
    void setAutoFileName(TAutoFileName kind);
    void setAutoFilePrefix(const QString& prefix);
    void setStoragePath(const QString& path);
    void setSyncTimeOutMs(int ms);
    void setSampleVideo(TSampleCapture where);
    void setSampleAudio(TSampleCapture where);

    // Bursts (under the frame lock).
    bool burstMode() const;
    void setBurstMode(bool on);
    int burstCount() const;
    void setBurstCount(int n);
    int burstInterval() const;
    void setBurstInterval(int n);

    struct FrameRecord {
        QImage image;
        TFrameInfo info;
    };
    // The streaming thread's frame: eligible when the capture step has
    // taken the one before; taken when a request, a burst, the motion
    // detector or a pause on the next frame wants its picture.
    struct Offer {
        bool eligible = false;
        bool taken = false;
    };
    Offer offerFrame(bool grabbing, bool motionRunning);
    // The streaming thread hands its record over.
    void publish(FrameRecord record);
    // The capture step takes the record handed over.
    void take();
    FrameRecord current; // the capture step's
    std::atomic<bool> frameReady{false};

    // The host's request, else a burst's frame, for the capture step.
    struct Pending {
        enum Kind { None, Request, Burst } kind = None;
        TFrameCaptureDest dest = fc_TBitmap;
        QString file;
        bool burstOn = false; // Burst: the burst was still on when its frame came
    };
    Pending takePending();
    bool requestPending() const;
    // False when a request is pending already.
    bool request(TFrameCaptureDest dest, const QString& file);
    void cancelRequest();

    // A paused preview holds the next frame that reaches the frame grabber.
    void pauseOnNextFrame();
    // True once, after the frame it holds was handed over.
    bool takePausedOnFrame();

    // Samples for the host: only the newest of each kind waits.
    void offerVideoSample(TSampleData sample);
    void offerAudioSample(TSampleData sample);
    void takeSamples(std::optional<TSampleData>& video, std::optional<TSampleData>& audio);

    // Nothing pending or handed over; the burst's interval starts over.
    void resetForGraph();

    // Frame progress without the frame grabber: the frame times, thinned
    // (the streaming thread's), and whether a new one came.
    FrameTimeThinner frameTimes;
    std::atomic<bool> newFrame{false};
    // A synchronous capture waiting for its frame, and what became of it.
    std::atomic<bool> syncWaiting{false};
    std::atomic<bool> syncResult{false};
    bool inSyncCapture = false;
    bool inFrameProgress = false;

private:
    FrameCaptureSettings m_settings;
    mutable QMutex m_frameLock;
    FrameRecord m_published;     // under the frame lock
    BurstSchedule m_burst;       // under the frame lock
    int m_burstCount = 3;        // under the frame lock
    int m_burstInterval = 0;     // under the frame lock
    bool m_burstPending = false; // under the frame lock
    bool m_captureRequested = false;
    bool m_pauseOnNextFrame = false;
    bool m_pausedOnFrame = false;
    TFrameCaptureDest m_requestDest = fc_TBitmap;
    QString m_requestFile;
    QMutex m_sampleLock;
    std::optional<TSampleData> m_pendingSample;      // under the sample lock
    std::optional<TSampleData> m_pendingAudioSample; // under the sample lock
};

} // namespace velmar::video
