#pragma once
// A video encoder element seen as a compressor with the settings a
// recording may change: quality, data rate, key-frame rate, frames between
// key frames and window size. Each is one of the encoder's own properties
// when it has one ("quality", "bitrate", "keyframe-max-dist", ...); what the
// encoder lacks, it cannot change. No encoder here has a window size.
//
// Quality runs from 0.0 to 1.0 over the range of the encoder's property.
#include <gst/gst.h>

namespace velmar::video {

// The capability bits, as the stored settings and events carry them.
enum TCompressionCaps : int {
    CompressionCaps_CanQuality = 1,
    CompressionCaps_CanCrunch = 2,
    CompressionCaps_CanKeyFrame = 4,
    CompressionCaps_CanBFrame = 8,
    CompressionCaps_CanWindow = 16,
};

struct TCompressionValues {
    double quality = -1.0;
    int keyFrameRate = -1;
    int pFramesPerKeyFrame = -1;
    int windowSize = -1;
};

class TEncoderCompression {
public:
    // The element is borrowed; it must outlive this object.
    explicit TEncoderCompression(GstElement* encoder);

    int capabilities() const;
    // What the encoder starts with (its properties' defaults); -1 for what it cannot change.
    TCompressionValues defaults() const;
    // What the encoder holds now; -1 for what it cannot change.
    TCompressionValues current() const;

    // Each setter leaves an encoder that cannot change the value alone;
    // values are clamped to the property's range.
    void setQuality(double quality);
    void setKeyFrameRate(int frames);
    void setPFramesPerKeyFrame(int frames);

private:
    GstElement* m_encoder;
    GParamSpec* m_quality = nullptr;
    GParamSpec* m_dataRate = nullptr;
    GParamSpec* m_keyFrame = nullptr;
    GParamSpec* m_pFrames = nullptr;
};

} // namespace velmar::video
