// The system's capture devices through GStreamer's device monitor.
#include "DeviceProvider.h"
#include "GstCapsFormats.h"

#include <QLoggingCategory>
#include <QMetaObject>
#include <QPointer>

#include <gst/gst.h>

Q_LOGGING_CATEGORY(lcVideoDevices, "velmar.video.devices")

namespace velmar::video {

namespace {
const char* const videoClass = "Video/Source";
const char* const audioClass = "Audio/Source";

// The properties that name a device for good, most specific first.
const char* const pathProperties[] = {"device.serial", "api.v4l2.path", "device.path",
                                      "object.path",   "api.alsa.path", "device.name"};

QString pathOf(GstDevice* device)
{
    QString path;
    if (GstStructure* props = gst_device_get_properties(device)) {
        for (const char* key : pathProperties) {
            if (const gchar* v = gst_structure_get_string(props, key)) {
                path = QString::fromUtf8(v);
                break;
            }
        }
        gst_structure_free(props);
    }
    if (path.isEmpty()) {
        gchar* name = gst_object_get_name(GST_OBJECT(device));
        path = QString::fromUtf8(name);
        g_free(name);
    }
    return path;
}

class SystemDeviceProvider : public DeviceProvider {
public:
    SystemDeviceProvider()
    {
        m_monitor = gst_device_monitor_new();
        gst_device_monitor_add_filter(m_monitor, videoClass, nullptr);
        gst_device_monitor_add_filter(m_monitor, audioClass, nullptr);
        GstBus* bus = gst_device_monitor_get_bus(m_monitor);
        gst_bus_set_sync_handler(bus, &SystemDeviceProvider::onBusMessage, this, nullptr);
        gst_object_unref(bus);
        if (!gst_device_monitor_start(m_monitor))
            qCWarning(lcVideoDevices) << "the device monitor does not watch for devices";
    }

    ~SystemDeviceProvider() override
    {
        GstBus* bus = gst_device_monitor_get_bus(m_monitor);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
        gst_device_monitor_stop(m_monitor);
        gst_object_unref(m_monitor);
    }

    QList<DeviceDescription> devices(DeviceCategory category) const override
    {
        QList<DeviceDescription> result;
        const char* wanted = category == DeviceCategory::VideoInput ? videoClass : audioClass;
        GList* list = gst_device_monitor_get_devices(m_monitor);
        for (GList* l = list; l; l = l->next) {
            GstDevice* device = GST_DEVICE(l->data);
            if (!gst_device_has_classes(device, wanted))
                continue;
            DeviceDescription d;
            d.category = category;
            d.path = pathOf(device);
            gchar* name = gst_device_get_display_name(device);
            d.friendlyName = QString::fromUtf8(name);
            g_free(name);
            if (GstCaps* caps = gst_device_get_caps(device)) {
                d.formats = CapsEntries(caps);
                gst_caps_unref(caps);
            }
            result << d;
        }
        g_list_free_full(list, gst_object_unref);
        return result;
    }

    GstElement* createSource(const QString& path, DeviceCategory category) override
    {
        const char* wanted = category == DeviceCategory::VideoInput ? videoClass : audioClass;
        GstElement* element = nullptr;
        GList* list = gst_device_monitor_get_devices(m_monitor);
        for (GList* l = list; l && !element; l = l->next) {
            GstDevice* device = GST_DEVICE(l->data);
            if (gst_device_has_classes(device, wanted) && pathOf(device) == path)
                element = gst_device_create_element(device, nullptr);
        }
        g_list_free_full(list, gst_object_unref);
        return element;
    }

private:
    static GstBusSyncReply onBusMessage(GstBus*, GstMessage* message, gpointer data)
    {
        const GstMessageType type = GST_MESSAGE_TYPE(message);
        if (type == GST_MESSAGE_DEVICE_ADDED || type == GST_MESSAGE_DEVICE_REMOVED) {
            // The monitor's thread: the catalogues are rebuilt on the
            // user-interface thread.
            QPointer<QObject> self(static_cast<SystemDeviceProvider*>(data));
            QMetaObject::invokeMethod(
                static_cast<SystemDeviceProvider*>(data),
                [self] {
                    if (self)
                        emit static_cast<SystemDeviceProvider*>(self.data())->devicesChanged();
                },
                Qt::QueuedConnection);
        }
        gst_message_unref(message);
        return GST_BUS_DROP;
    }

    GstDeviceMonitor* m_monitor = nullptr;
};
} // namespace

std::unique_ptr<DeviceProvider> createSystemDeviceProvider()
{
    return std::make_unique<SystemDeviceProvider>();
}

QList<DeviceDescription> listCompressors(DeviceCategory category)
{
    const GstElementFactoryListType type = GST_ELEMENT_FACTORY_TYPE_ENCODER
                                         | (category == DeviceCategory::VideoCompressor
                                                ? GST_ELEMENT_FACTORY_TYPE_MEDIA_VIDEO
                                                : GST_ELEMENT_FACTORY_TYPE_MEDIA_AUDIO);
    QList<DeviceDescription> result;
    const auto add = [&](GstElementFactory* f) {
        DeviceDescription d;
        d.category = category;
        d.factoryName = QString::fromUtf8(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(f)));
        d.path = d.factoryName;
        d.friendlyName = QString::fromUtf8(gst_element_factory_get_metadata(f, GST_ELEMENT_METADATA_LONGNAME));
        result << d;
    };
    GList* factories = gst_element_factory_list_get_elements(type, GST_RANK_NONE);
    factories = g_list_sort(factories, [](gconstpointer a, gconstpointer b) {
        return g_strcmp0(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(a)),
                         gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(b)));
    });
    for (GList* l = factories; l; l = l->next)
        add(GST_ELEMENT_FACTORY(l->data));
    gst_plugin_feature_list_free(factories);
    // Motion JPEG, what AVI recordings use by default, counts as an image
    // encoder; it comes last so that the indexes of the others stay put.
    if (category == DeviceCategory::VideoCompressor)
        if (GstElementFactory* jpeg = gst_element_factory_find("jpegenc")) {
            add(jpeg);
            gst_object_unref(jpeg);
        }
    return result;
}

} // namespace velmar::video
