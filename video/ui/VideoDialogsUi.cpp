#include "VideoDialogsUi.h"

#include "GridDialog.h"
#include "PropertyDialog.h"
#include "video/DeviceCatalogue.h"
#include "video/SyncManager.h"

#include <QApplication>
#include <QHash>
#include <QPointer>
#include <QRegularExpression>

#include <gst/gst.h>

namespace velmar::video {

namespace {
constexpr int largestChannel = 9999;
constexpr int largestCountryCode = 999;
constexpr double largestFrameRate = 1000.0;
const char* const enumIndexProperty = "velmarEnumIndex";

QHash<TOmbrix*, QPointer<TfrmGridDialog>>& gridDialogs()
{
    static QHash<TOmbrix*, QPointer<TfrmGridDialog>> dialogs;
    return dialogs;
}

PropertyItem choiceItem(const QString& key, const QString& caption, const QStringList& entries, int value)
{
    PropertyItem item;
    item.key = key;
    item.caption = caption;
    item.kind = PropertyItem::Choice;
    item.maximum = entries.size() - 1;
    item.choices = entries;
    item.value = value;
    return item;
}

PropertyItem numberItem(const QString& key, const QString& caption, PropertyItem::Kind kind, double maximum,
                        const QVariant& value)
{
    PropertyItem item;
    item.key = key;
    item.caption = caption;
    item.kind = kind;
    item.maximum = maximum;
    item.value = value;
    return item;
}

QStringList linesOf(const QString& text)
{
    return text.split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts);
}

class QtVideoDialogs : public VideoDialogs {
public:
    bool showDeviceDialog(TOmbrix& c, TDialog dialog) override
    {
        switch (dialog) {
        case dlg_VideoDevice: return showVideoDevice(c);
        case dlg_StreamConfig: {
            ListPropertySource source({choiceItem(QStringLiteral("VideoSize"), QStringLiteral("Video size"),
                                                  linesOf(c.VideoSizes()), c.VideoSize()),
                                       choiceItem(QStringLiteral("VideoSubtype"), QStringLiteral("Video subtype"),
                                                  linesOf(c.VideoSubtypes()), c.VideoSubtype()),
                                       numberItem(QStringLiteral("FrameRate"), QStringLiteral("Frame rate"),
                                                  PropertyItem::Real, largestFrameRate, c.FrameRate())},
                                      [&c](const QString& key, const QVariant& v) {
                                          if (key == QLatin1String("VideoSize"))
                                              c.setVideoSize(v.toInt());
                                          else if (key == QLatin1String("VideoSubtype"))
                                              c.setVideoSubtype(v.toInt());
                                          else
                                              c.setFrameRate(v.toDouble());
                                          return true;
                                      });
            return run(c, QStringLiteral("Stream format"), source);
        }
        case dlg_VideoCrossbar: {
            TDeviceControls& d = c.DeviceControls();
            ListPropertySource source({choiceItem(QStringLiteral("VideoInput"), QStringLiteral("Video input"),
                                                  linesOf(d.VideoInputs()), d.VideoInput())},
                                      [&c](const QString&, const QVariant& v) { return c.setVideoInput(v.toInt()); });
            return run(c, QStringLiteral("Video crossbar"), source);
        }
        case dlg_TVTuner: {
            TDeviceControls& d = c.DeviceControls();
            ListPropertySource source(
                {numberItem(QStringLiteral("TVChannel"), QStringLiteral("Channel"), PropertyItem::Integer,
                            largestChannel, d.TVChannel()),
                 numberItem(QStringLiteral("TVCountryCode"), QStringLiteral("Country code"), PropertyItem::Integer,
                            largestCountryCode, d.TVCountryCode()),
                 choiceItem(QStringLiteral("TVTunerInputType"), QStringLiteral("Input type"),
                            {QStringLiteral("Cable"), QStringLiteral("Antenna")}, d.TVTunerInputType())},
                [&d](const QString& key, const QVariant& v) {
                    if (key == QLatin1String("TVChannel"))
                        d.setTVChannel(v.toInt());
                    else if (key == QLatin1String("TVCountryCode"))
                        d.setTVCountryCode(v.toInt());
                    else
                        d.setTVTunerInputType(v.toInt());
                    return true;
                });
            return run(c, QStringLiteral("TV tuner"), source);
        }
        case dlg_AudioDevice: return showRunningSource(c, AudioDeviceCatalogue(), c.AudioDevice());
        case dlg_VideoCompressor:
            return showCompressor(c, VideoCompressorCatalogue(), c.VideoCompressor(),
                                  QStringLiteral("no dialog for this video compressor"));
        case dlg_AudioCompressor:
            return showCompressor(c, AudioCompressorCatalogue(), c.AudioCompressor(),
                                  QStringLiteral("no dialog for this audio compressor"));
        default:
            c.Report(true, sevWarning, QStringLiteral("no dialog for this device"), e_no_dialog_for_this_compressor);
            return false;
        }
    }

    bool showGridDialog(TOmbrix& c) override { return GridDialogOf(c)->showFor(&c.MotionDetector()); }

    QObject* enumGridDialogControls(TOmbrix& c, bool restart) override
    {
        TfrmGridDialog* dialog = GridDialogOf(c);
        if (restart) {
            dialog->setProperty(enumIndexProperty, 0);
            return dialog;
        }
        QList<QObject*> owned;
        for (QObject* child : dialog->children())
            if (!child->objectName().isEmpty())
                owned << child;
        const int index = dialog->property(enumIndexProperty).toInt();
        dialog->setProperty(enumIndexProperty, index + 1);
        return owned.value(index, nullptr);
    }

    bool showElementDialog(TOmbrix& c, GstElement* element, const QString& title) override
    {
        ElementPropertySource source(element);
        return run(c, title, source);
    }

private:
    static QString deviceTitle(TOmbrix& c)
    {
        TDevices* catalogue = VideoDeviceCatalogue();
        return catalogue ? catalogue->nameAt(c.BoundVideoDevice()) : QString();
    }

    static bool run(TOmbrix& c, const QString& title, PropertySource& source)
    {
        TPropertyDialog dialog(title, source, QApplication::activeWindow());
        if (dialog.exec() != QDialog::Accepted)
            return false;
        for (const QString& caption : dialog.refused())
            c.Report(true, sevWarning, QStringLiteral("cannot set ") + caption, e_failed);
        return true;
    }

    // A compressor's settings, with its state kept under its catalogue entry.
    static bool showCompressor(TOmbrix& c, TDevices* catalogue, int index, const QString& noDialog)
    {
        const TCapDeviceInfo* entry = catalogue ? catalogue->entry(index) : nullptr;
        GstElement* element = entry ? gst_element_factory_make(entry->classId.toUtf8().constData(), nullptr) : nullptr;
        if (!element) {
            c.Report(true, sevWarning, noDialog, e_no_dialog_for_this_compressor);
            return false;
        }
        gst_object_ref_sink(element);
        const QString key = TRegistry2::deviceKeyPath(catalogue->deviceRegistryKey(index));
        LoadFilterState(element, key);
        ElementPropertySource source(element);
        bool confirmed = false;
        if (source.items().isEmpty())
            c.Report(true, sevWarning, noDialog, e_no_dialog_for_this_compressor);
        else if ((confirmed = run(c, catalogue->nameAt(index), source)))
            SaveFilterState(element, key);
        gst_object_unref(element);
        return confirmed;
    }

    static bool showVideoDevice(TOmbrix& c)
    {
        if (V4l2Device* device = c.DeviceControls().device()) {
            V4l2PropertySource source(*device);
            return run(c, deviceTitle(c), source);
        }
        // Without device controls, the running source's own properties.
        return showRunningSource(c, VideoDeviceCatalogue(), c.BoundVideoDevice());
    }

    // The properties of a device's source element in the running graph.
    static bool showRunningSource(TOmbrix& c, TDevices* catalogue, int index)
    {
        const QString title = catalogue ? catalogue->nameAt(index) : QString();
        const QString name = QString::number(index) + QLatin1Char(' ') + title;
        GstElement* pipeline = c.Pipeline();
        GstElement* element = pipeline ? gst_bin_get_by_name(GST_BIN(pipeline), name.toUtf8().constData()) : nullptr;
        if (!element) {
            c.Report(true, sevWarning, QStringLiteral("no dialog for this device"), e_no_dialog_for_this_compressor);
            return false;
        }
        // A source made as a bin keeps its device element inside.
        if (GST_IS_BIN(element)) {
            GstIterator* it = gst_bin_iterate_sources(GST_BIN(element));
            GValue item = G_VALUE_INIT;
            if (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
                GstElement* inner = GST_ELEMENT(gst_object_ref(g_value_get_object(&item)));
                gst_object_unref(element);
                element = inner;
                g_value_unset(&item);
            }
            gst_iterator_free(it);
        }
        ElementPropertySource source(element);
        gst_object_unref(element);
        return run(c, title, source);
    }
};
} // namespace

void InstallVideoDialogs()
{
    static QtVideoDialogs dialogs;
    SetVideoDialogs(&dialogs);
}

TfrmGridDialog* GridDialogOf(TOmbrix& component)
{
    QPointer<TfrmGridDialog>& dialog = gridDialogs()[&component];
    if (!dialog) {
        dialog = new TfrmGridDialog;
        TOmbrix* key = &component;
        QObject::connect(&component, &QObject::destroyed, [key, d = dialog.data()] {
            gridDialogs().remove(key);
            delete d;
        });
    }
    return dialog;
}

} // namespace velmar::video
