#include "FrameTap.h"

#include <gst/video/gstvideofilter.h>
#include <gst/video/video.h>

#include <array>
#include <cstring>
#include <mutex>

namespace velmar::video {

namespace {

struct VelmarFrameTap {
    GstVideoFilter parent;
    GMutex handlerLock; // held while a frame is with the handler
    FrameTapHandler* handler;
    gboolean grayScale;
    gboolean invertColors;
    guint64 dropped;
};

struct VelmarFrameTapClass {
    GstVideoFilterClass parentClass;
};

GType velmar_frame_tap_get_type();
#define VELMAR_FRAME_TAP(obj) (reinterpret_cast<VelmarFrameTap*>(obj))

G_DEFINE_TYPE(VelmarFrameTap, velmar_frame_tap, GST_TYPE_VIDEO_FILTER)

const char* const tapFormats = "{ BGRx, BGR, RGB16, RGB15 }";

GstFlowReturn tapTransformIp(GstVideoFilter* filter, GstVideoFrame* frame)
{
    VelmarFrameTap* tap = VELMAR_FRAME_TAP(filter);
    const int width = GST_VIDEO_FRAME_WIDTH(frame);
    const int height = GST_VIDEO_FRAME_HEIGHT(frame);
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(frame, 0);
    const QImage::Format format = TapImageFormat(GST_VIDEO_FRAME_FORMAT(frame) == GST_VIDEO_FORMAT_BGRx    ? "BGRx"
                                                 : GST_VIDEO_FRAME_FORMAT(frame) == GST_VIDEO_FORMAT_BGR   ? "BGR"
                                                 : GST_VIDEO_FRAME_FORMAT(frame) == GST_VIDEO_FORMAT_RGB16 ? "RGB16"
                                                 : GST_VIDEO_FRAME_FORMAT(frame) == GST_VIDEO_FORMAT_RGB15 ? "RGB15"
                                                                                                           : "");
    const gsize mapped = frame->map[0].size;
    const gsize offset = GST_VIDEO_FRAME_PLANE_OFFSET(frame, 0);
    const qint64 needed = qint64(stride) * height;
    const int bytesPerPixel = format == QImage::Format_RGB32 ? 4 : format == QImage::Format_BGR888 ? 3 : 2;
    if (format == QImage::Format_Invalid || width <= 0 || height <= 0 || stride < width * bytesPerPixel
        || offset > mapped || needed > qint64(mapped - offset)) {
        GST_OBJECT_LOCK(tap);
        ++tap->dropped;
        GST_OBJECT_UNLOCK(tap);
        return GST_BASE_TRANSFORM_FLOW_DROPPED;
    }
    auto* data = static_cast<uchar*>(GST_VIDEO_FRAME_PLANE_DATA(frame, 0));
    QImage image(data, width, height, stride, format);

    GST_OBJECT_LOCK(tap);
    const TapProcessing processing{tap->grayScale != FALSE, tap->invertColors != FALSE};
    GST_OBJECT_UNLOCK(tap);
    ApplyTapProcessing(image, processing);

    const GstClockTime pts = GST_BUFFER_PTS(frame->buffer);
    const qint64 streamTime = GST_CLOCK_TIME_IS_VALID(pts) ? qint64(pts / 100) : -1;
    g_mutex_lock(&tap->handlerLock);
    if (tap->handler)
        tap->handler->tapFrame(image, streamTime);
    g_mutex_unlock(&tap->handlerLock);
    return GST_FLOW_OK;
}

void tapFinalize(GObject* object)
{
    g_mutex_clear(&VELMAR_FRAME_TAP(object)->handlerLock);
    G_OBJECT_CLASS(velmar_frame_tap_parent_class)->finalize(object);
}

void velmar_frame_tap_class_init(VelmarFrameTapClass* klass)
{
    GstElementClass* elementClass = GST_ELEMENT_CLASS(klass);
    G_OBJECT_CLASS(klass)->finalize = tapFinalize;
    gst_element_class_set_static_metadata(elementClass, "Velmar frame tap", "Filter/Video",
                                          "Hands every frame to the video component", "Velmar");
    GstCaps* caps = gst_caps_from_string(
        (std::string("video/x-raw, format=(string)") + tapFormats
         + ", width=(int)[1,2147483647], height=(int)[1,2147483647], framerate=(fraction)[0/1,2147483647/1]")
            .c_str());
    gst_element_class_add_pad_template(elementClass, gst_pad_template_new("sink", GST_PAD_SINK, GST_PAD_ALWAYS, caps));
    gst_element_class_add_pad_template(elementClass, gst_pad_template_new("src", GST_PAD_SRC, GST_PAD_ALWAYS, caps));
    gst_caps_unref(caps);
    GST_VIDEO_FILTER_CLASS(klass)->transform_frame_ip = tapTransformIp;
}

void velmar_frame_tap_init(VelmarFrameTap* tap)
{
    g_mutex_init(&tap->handlerLock);
    tap->handler = nullptr;
    tap->grayScale = FALSE;
    tap->invertColors = FALSE;
    tap->dropped = 0;
    gst_base_transform_set_in_place(GST_BASE_TRANSFORM(tap), TRUE);
}

gboolean pluginInit(GstPlugin* plugin)
{
    return gst_element_register(plugin, frameTapFactory, GST_RANK_NONE, velmar_frame_tap_get_type());
}

bool isTap(GstElement* element)
{
    return element && G_TYPE_CHECK_INSTANCE_TYPE(element, velmar_frame_tap_get_type());
}

} // namespace

bool RegisterFrameTap()
{
    static std::once_flag once;
    static bool registered = false;
    std::call_once(once, [] {
        registered = gst_plugin_register_static(GST_VERSION_MAJOR, GST_VERSION_MINOR, "velmarframetap",
                                                "The video component's frame tap", pluginInit, "1.0", "Proprietary",
                                                "velmar", "velmar", "velmar")
                  != FALSE;
    });
    return registered;
}

void SetFrameTapHandler(GstElement* element, FrameTapHandler* handler)
{
    if (!isTap(element))
        return;
    VelmarFrameTap* tap = VELMAR_FRAME_TAP(element);
    g_mutex_lock(&tap->handlerLock);
    tap->handler = handler;
    g_mutex_unlock(&tap->handlerLock);
}

void SetFrameTapProcessing(GstElement* element, TapProcessing processing)
{
    if (!isTap(element))
        return;
    VelmarFrameTap* tap = VELMAR_FRAME_TAP(element);
    GST_OBJECT_LOCK(tap);
    tap->grayScale = processing.grayScale;
    tap->invertColors = processing.invertColors;
    GST_OBJECT_UNLOCK(tap);
}

int FrameTapVersion(GstElement* element)
{
    return isTap(element) ? frameTapVersion : 0;
}

quint64 FrameTapDroppedFrames(GstElement* element)
{
    if (!isTap(element))
        return 0;
    VelmarFrameTap* tap = VELMAR_FRAME_TAP(element);
    GST_OBJECT_LOCK(tap);
    const quint64 n = tap->dropped;
    GST_OBJECT_UNLOCK(tap);
    return n;
}

const char* TapCapsFormat(int rgbFormat)
{
    // fgf_Default, fgf_RGB32, fgf_RGB24, fgf_RGB565, fgf_RGB555, fgf_RGB8; an
    // 8-bit palette is not a GStreamer frame format, so those frames are 24-bit.
    switch (rgbFormat) {
    case 2:
    case 5: return "BGR";
    case 3: return "RGB16";
    case 4: return "RGB15";
    default: return "BGRx";
    }
}

QImage::Format TapImageFormat(const char* capsFormat)
{
    if (!capsFormat)
        return QImage::Format_Invalid;
    if (std::strcmp(capsFormat, "BGRx") == 0)
        return QImage::Format_RGB32;
    if (std::strcmp(capsFormat, "BGR") == 0)
        return QImage::Format_BGR888;
    if (std::strcmp(capsFormat, "RGB16") == 0)
        return QImage::Format_RGB16;
    if (std::strcmp(capsFormat, "RGB15") == 0)
        return QImage::Format_RGB555;
    return QImage::Format_Invalid;
}

void ApplyTapProcessing(QImage& frame, TapProcessing processing)
{
    if (!processing.grayScale && !processing.invertColors)
        return;
    const int bytes = frame.format() == QImage::Format_RGB32 ? 4 : frame.format() == QImage::Format_BGR888 ? 3 : 0;
    if (bytes == 0)
        return;
    for (int y = 0; y < frame.height(); ++y) {
        uchar* p = frame.scanLine(y);
        for (int x = 0; x < frame.width(); ++x, p += bytes) {
            // Bytes are blue, green, red in both formats.
            if (processing.grayScale) {
                const uchar grey = uchar((p[0] * 29 + p[1] * 150 + p[2] * 77) >> 8);
                p[0] = p[1] = p[2] = grey;
            }
            if (processing.invertColors) {
                p[0] = uchar(255 - p[0]);
                p[1] = uchar(255 - p[1]);
                p[2] = uchar(255 - p[2]);
            }
        }
    }
}

namespace {
// A picture transform as a 2 x 2 matrix on (x right, y down).
struct Turn {
    int a, b, c, d;
    Turn operator*(const Turn& o) const
    {
        return {a * o.a + b * o.c, a * o.b + b * o.d, c * o.a + d * o.c, c * o.b + d * o.d};
    }
    bool operator==(const Turn&) const = default;
};
} // namespace

int VideoFlipMethod(TVideoRotation rotation, bool flipHorizontal, bool flipVertical)
{
    const Turn identity{1, 0, 0, 1}, clockwise{0, -1, 1, 0}, mirror{-1, 0, 0, 1}, upsideDown{1, 0, 0, -1};
    Turn t = identity;
    if (rotation >= rt_0_deg_mirror)
        t = mirror * t;
    for (int q = 0; q < int(rotation) % 4; ++q)
        t = clockwise * t;
    if (flipHorizontal)
        t = mirror * t;
    if (flipVertical)
        t = upsideDown * t;
    // videoflip's methods, in its own numbering.
    const std::array<Turn, 8> methods{identity, clockwise,  clockwise * clockwise, clockwise * clockwise * clockwise,
                                      mirror,   upsideDown, Turn{0, 1, 1, 0},      Turn{0, -1, -1, 0}};
    for (size_t i = 0; i < methods.size(); ++i)
        if (methods[i] == t)
            return int(i);
    return 0;
}

TFrameGrabberRGBFormat GrabberRgbFormat(TFrameGrabberRGBFormat requested, const QString& subtype, int screenDepth,
                                        bool mustBeRgb)
{
    if (mustBeRgb) {
        const int depth = requested == fgf_RGB32 ? 32 : requested == fgf_RGB24 ? 24 : screenDepth;
        return depth == 24 ? fgf_RGB24 : fgf_RGB32;
    }
    if (requested != fgf_Default)
        return requested;
    const QString s = subtype.toUpper();
    if (s == QLatin1String("RGB32"))
        return fgf_RGB32;
    if (s == QLatin1String("RGB24"))
        return fgf_RGB24;
    if (s == QLatin1String("RGB565"))
        return fgf_RGB565;
    if (s == QLatin1String("RGB555"))
        return fgf_RGB555;
    return screenDepth == 24 ? fgf_RGB24 : fgf_RGB32;
}

} // namespace velmar::video
