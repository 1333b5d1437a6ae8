#include "CompressorSettings.h"

#include <algorithm>
#include <cmath>

namespace velmar::video {

namespace {

// The first integer property of the encoder among the names.
GParamSpec* findInteger(GstElement* encoder, std::initializer_list<const char*> names)
{
    GObjectClass* cls = G_OBJECT_GET_CLASS(encoder);
    for (const char* name : names) {
        GParamSpec* property = g_object_class_find_property(cls, name);
        if (property && (property->flags & G_PARAM_READWRITE) == G_PARAM_READWRITE
            && (G_IS_PARAM_SPEC_INT(property) || G_IS_PARAM_SPEC_UINT(property)))
            return property;
    }
    return nullptr;
}

struct Range {
    double low, high, initial;
};
Range rangeOf(GParamSpec* property)
{
    if (G_IS_PARAM_SPEC_INT(property)) {
        auto* s = G_PARAM_SPEC_INT(property);
        return {double(s->minimum), double(s->maximum), double(s->default_value)};
    }
    auto* s = G_PARAM_SPEC_UINT(property);
    return {double(s->minimum), double(s->maximum), double(s->default_value)};
}

double readNumber(GstElement* encoder, GParamSpec* property)
{
    if (G_IS_PARAM_SPEC_INT(property)) {
        gint v = 0;
        g_object_get(encoder, property->name, &v, nullptr);
        return v;
    }
    guint v = 0;
    g_object_get(encoder, property->name, &v, nullptr);
    return v;
}

void writeNumber(GstElement* encoder, GParamSpec* property, double value)
{
    const Range r = rangeOf(property);
    value = std::clamp(std::round(value), r.low, r.high);
    if (G_IS_PARAM_SPEC_INT(property))
        g_object_set(encoder, property->name, gint(value), nullptr);
    else
        g_object_set(encoder, property->name, guint(value), nullptr);
}

int asCount(double value)
{
    return int(std::clamp(value, 0.0, 2147483647.0));
}

double asQuality(GParamSpec* property, double value)
{
    const Range r = rangeOf(property);
    return r.high > r.low ? (value - r.low) / (r.high - r.low) : 1.0;
}

} // namespace

TEncoderCompression::TEncoderCompression(GstElement* encoder) : m_encoder(encoder)
{
    if (!encoder)
        return;
    m_quality = findInteger(encoder, {"quality"});
    m_dataRate = findInteger(encoder, {"bitrate", "target-bitrate"});
    m_keyFrame = findInteger(encoder, {"keyframe-max-dist", "keyframe-freq", "key-int-max", "gop-size"});
    m_pFrames = findInteger(encoder, {"max-bframes", "bframes"});
}

int TEncoderCompression::capabilities() const
{
    return (m_quality ? CompressionCaps_CanQuality : 0) | (m_dataRate ? CompressionCaps_CanCrunch : 0)
         | (m_keyFrame ? CompressionCaps_CanKeyFrame : 0) | (m_pFrames ? CompressionCaps_CanBFrame : 0);
}

TCompressionValues TEncoderCompression::defaults() const
{
    TCompressionValues v;
    if (m_quality)
        v.quality = asQuality(m_quality, rangeOf(m_quality).initial);
    if (m_keyFrame)
        v.keyFrameRate = asCount(rangeOf(m_keyFrame).initial);
    if (m_pFrames)
        v.pFramesPerKeyFrame = asCount(rangeOf(m_pFrames).initial);
    return v;
}

TCompressionValues TEncoderCompression::current() const
{
    TCompressionValues v;
    if (m_quality)
        v.quality = asQuality(m_quality, readNumber(m_encoder, m_quality));
    if (m_keyFrame)
        v.keyFrameRate = asCount(readNumber(m_encoder, m_keyFrame));
    if (m_pFrames)
        v.pFramesPerKeyFrame = asCount(readNumber(m_encoder, m_pFrames));
    return v;
}

void TEncoderCompression::setQuality(double quality)
{
    if (!m_quality)
        return;
    const Range r = rangeOf(m_quality);
    writeNumber(m_encoder, m_quality, r.low + std::clamp(quality, 0.0, 1.0) * (r.high - r.low));
}

void TEncoderCompression::setKeyFrameRate(int frames)
{
    if (m_keyFrame)
        writeNumber(m_encoder, m_keyFrame, frames);
}

void TEncoderCompression::setPFramesPerKeyFrame(int frames)
{
    if (m_pFrames)
        writeNumber(m_encoder, m_pFrames, frames);
}

} // namespace velmar::video
