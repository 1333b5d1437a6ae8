#include "TestDeviceProvider.h"

#include "MediaFormats.h"

#include <gst/gst.h>

namespace velmar::video {

namespace {
// Rates as a webcam offers them: 5 to 30 frames per second.
constexpr int minRate = 5;
constexpr int maxRate = 30;
constexpr int hundredths = 100;

QString capsText(const DeviceDescription& d)
{
    QStringList structures;
    for (const CapsEntry& c : d.formats)
        structures << CapsOfFormatName(c.formatName)
                          + QStringLiteral(",width=%1,height=%2,framerate=[%3/1,%4/1]")
                                .arg(c.size.width)
                                .arg(c.size.height)
                                .arg(minRate)
                                .arg(maxRate);
    return structures.join(QStringLiteral("; "));
}
} // namespace

TestDeviceProvider::TestDeviceProvider(QObject* parent) : DeviceProvider(parent)
{
}

TestDeviceProvider::~TestDeviceProvider()
{
    for (auto it = m_sources.begin(); it != m_sources.end(); ++it)
        for (GstElement* e : std::as_const(it.value()))
            g_object_weak_unref(G_OBJECT(e), reinterpret_cast<GWeakNotify>(&TestDeviceProvider::sourceFinalized), this);
}

void TestDeviceProvider::addVideoDevice(const QString& path, const QString& friendlyName, const QList<VideoSize>& sizes,
                                        const QString& formatName)
{
    DeviceDescription d;
    d.path = path;
    d.friendlyName = friendlyName;
    d.category = DeviceCategory::VideoInput;
    for (const VideoSize& s : sizes)
        d.formats << CapsEntry{formatName, s, s, s, minRate * hundredths, maxRate * hundredths};
    m_devices << d;
    emit devicesChanged();
}

void TestDeviceProvider::addAudioDevice(const QString& path, const QString& friendlyName)
{
    DeviceDescription d;
    d.path = path;
    d.friendlyName = friendlyName;
    d.category = DeviceCategory::AudioInput;
    m_devices << d;
    emit devicesChanged();
}

void TestDeviceProvider::removeDevice(const QString& path)
{
    m_devices.removeIf([&](const DeviceDescription& d) { return d.path == path; });
    for (GstElement* source : m_sources.value(path)) {
        GError* error = g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ, "device removed");
        gst_element_post_message(source, gst_message_new_error(GST_OBJECT(source), error, "the device was unplugged"));
        g_error_free(error);
    }
    emit devicesChanged();
}

QList<DeviceDescription> TestDeviceProvider::devices(DeviceCategory category) const
{
    QList<DeviceDescription> result;
    for (const DeviceDescription& d : m_devices)
        if (d.category == category)
            result << d;
    return result;
}

void TestDeviceProvider::stallDevice(const QString& path)
{
    for (GstElement* source : m_sources.value(path)) {
        GstPad* pad = gst_element_get_static_pad(source, "src");
        if (!pad)
            continue;
        gst_pad_add_probe(
            pad, GST_PAD_PROBE_TYPE_BUFFER, [](GstPad*, GstPadProbeInfo*, gpointer) { return GST_PAD_PROBE_DROP; },
            nullptr, nullptr);
        gst_object_unref(pad);
    }
}

GstElement* TestDeviceProvider::createSource(const QString& path, DeviceCategory category)
{
    for (const DeviceDescription& d : std::as_const(m_devices)) {
        if (d.path != path || d.category != category)
            continue;
        QString description;
        if (category == DeviceCategory::VideoInput)
            description = QStringLiteral("videotestsrc is-live=true pattern=%1 ! capsfilter caps=\"%2\"")
                              .arg(m_patterns.value(path, QStringLiteral("smpte")), capsText(d));
        else
            description = QStringLiteral("audiotestsrc is-live=true wave=silence");
        GError* error = nullptr;
        GstElement* bin = gst_parse_bin_from_description(description.toUtf8().constData(), TRUE, &error);
        if (error) {
            g_error_free(error);
            return nullptr;
        }
        m_sources[path] << bin;
        g_object_weak_ref(G_OBJECT(bin), reinterpret_cast<GWeakNotify>(&TestDeviceProvider::sourceFinalized), this);
        return bin;
    }
    return nullptr;
}

void TestDeviceProvider::sourceFinalized(void* data, GObject* object)
{
    auto* self = static_cast<TestDeviceProvider*>(data);
    for (auto it = self->m_sources.begin(); it != self->m_sources.end(); ++it)
        it.value().removeAll(reinterpret_cast<GstElement*>(object));
}

} // namespace velmar::video
