#include "CaptureGraph.h"

#include "DeviceSettings.h"
#include "ProcessLog.h"

#include <QRandomGenerator>
#include <atomic>
#include <climits>

namespace velmar::video {

namespace {
std::atomic<int> g_liveElements{0};

void elementFinalized(gpointer, GObject*)
{
    --g_liveElements;
}

// Walks the pads of a direction; the callback returns true to stop.
template <typename F>
void forEachPad(GstElement* element, GstPadDirection direction, F f)
{
    GstIterator* it = gst_element_iterate_pads(element);
    GValue item = G_VALUE_INIT;
    bool done = false;
    while (!done) {
        switch (gst_iterator_next(it, &item)) {
        case GST_ITERATOR_OK: {
            GstPad* pad = GST_PAD(g_value_get_object(&item));
            if (gst_pad_get_direction(pad) == direction && f(pad))
                done = true;
            g_value_reset(&item);
            break;
        }
        case GST_ITERATOR_RESYNC: gst_iterator_resync(it); break;
        default: done = true; break;
        }
    }
    g_value_unset(&item);
    gst_iterator_free(it);
}

QString nameOf(GstObject* object)
{
    gchar* n = gst_object_get_name(object);
    const QString name = QString::fromUtf8(n);
    g_free(n);
    return name;
}

const char* stateText(GstState state)
{
    switch (state) {
    case GST_STATE_PLAYING: return "running ";
    case GST_STATE_PAUSED: return "paused ";
    default: return "stopped ";
    }
}
} // namespace

CaptureGraph::CaptureGraph(BusHandler handler) : m_handler(std::move(handler))
{
}

CaptureGraph::~CaptureGraph()
{
    clear();
}

int CaptureGraph::liveElements()
{
    return g_liveElements.load();
}

void CaptureGraph::track(GstElement* element)
{
    ++g_liveElements;
    g_object_weak_ref(G_OBJECT(element), elementFinalized, nullptr);
}

bool CaptureGraph::create()
{
    clear();
    m_pipeline = gst_pipeline_new(UniqueName(QStringLiteral("Graph ")).toUtf8().constData());
    if (!m_pipeline)
        return false;
    gst_object_ref_sink(m_pipeline);
    track(m_pipeline);
    ++m_generation;
    GstBus* bus = gst_pipeline_get_bus(GST_PIPELINE(m_pipeline));
    gst_bus_set_sync_handler(bus, &CaptureGraph::onBusMessage, this, nullptr);
    gst_object_unref(bus);
    return true;
}

GstBusSyncReply CaptureGraph::onBusMessage(GstBus*, GstMessage* message, gpointer data)
{
    auto* self = static_cast<CaptureGraph*>(data);
    if (self->m_handler)
        self->m_handler(message);
    gst_message_unref(message);
    return GST_BUS_DROP;
}

GstElement* CaptureGraph::createFilter(const char* factory, const QString& name)
{
    GstElement* e = gst_element_factory_make(factory, nullptr);
    WriteLogYesNo(e != nullptr, cfGrey, QStringLiteral("instance: ") + name);
    return e;
}

bool CaptureGraph::addFilter(GstElement* element, const QString& name)
{
    if (!m_pipeline || !element) {
        if (element)
            gst_object_unref(gst_object_ref_sink(element));
        return false;
    }
    gst_object_set_name(GST_OBJECT(element), name.toUtf8().constData());
    track(element);
    if (gst_bin_add(GST_BIN(m_pipeline), element))
        return true;
    // Refused (a name taken twice): the element is ours to drop.
    if (g_object_is_floating(element))
        gst_object_unref(gst_object_ref_sink(element));
    WriteLog(cfRed, QStringLiteral("rejected: ") + name);
    return false;
}

bool CaptureGraph::connect(GstPad* output, GstPad* input)
{
    if (!output || !input)
        return false;
    if (gst_pad_link(output, input) == GST_PAD_LINK_OK)
        return true;
    // The intelligent connect of the design: a converter between the two.
    GstElement* converter = createFilter("videoconvert", QStringLiteral("Color Space Converter"));
    if (!converter || !addFilter(converter, UniqueName(QStringLiteral("Color Space Converter "))))
        return false;
    GstPad* sink = gst_element_get_static_pad(converter, "sink");
    GstPad* src = gst_element_get_static_pad(converter, "src");
    const bool ok = gst_pad_link(output, sink) == GST_PAD_LINK_OK && gst_pad_link(src, input) == GST_PAD_LINK_OK;
    gst_object_unref(sink);
    gst_object_unref(src);
    if (!ok) {
        gst_element_set_state(converter, GST_STATE_NULL);
        gst_bin_remove(GST_BIN(m_pipeline), converter);
    }
    return ok;
}

GstElement* CaptureGraph::addFilterAfter(GstPad* pin, const char* factory, const QString& name)
{
    GstElement* e = pin ? createFilter(factory, name) : nullptr;
    if (!e || !addFilter(e, name))
        return nullptr;
    GstPad* input = gst_element_get_static_pad(e, "sink");
    const bool linked = input && connect(pin, input);
    if (input)
        gst_object_unref(input);
    return linked ? e : nullptr;
}

bool CaptureGraph::insertFilterInline(const char* factory, const QString& name, GstPad*& pin)
{
    if (!pin)
        return false;
    GstElement* e = createFilter(factory, name);
    if (!e || !addFilter(e, name)) {
        WriteLog(cfRed, QStringLiteral("ERROR: AddFilterGetInput cannot add filter ") + name);
        return false;
    }
    GstPad* input = gst_element_get_static_pad(e, "sink");
    const bool linked = input && connect(pin, input);
    if (input)
        gst_object_unref(input);
    if (!linked) {
        gst_bin_remove(GST_BIN(m_pipeline), e);
        WriteLog(cfRed, QStringLiteral("ERROR: InsertFilterInline cannot connect ") + name);
        return false;
    }
    GstPad* output = gst_element_get_static_pad(e, "src");
    if (!output) {
        DisconnectFilter(e);
        gst_bin_remove(GST_BIN(m_pipeline), e);
        WriteLog(cfRed, QStringLiteral("ERROR: InsertFilterInline: out pin not found in ") + name);
        return false;
    }
    gst_object_unref(pin);
    pin = output;
    return true;
}

bool CaptureGraph::setState(GstState state, const QString& reason)
{
    if (!m_pipeline)
        return false;
    WriteLog(cfBlue, QStringLiteral("ch graph state ") + QLatin1String(stateText(state)) + reason);
    if (gst_element_set_state(m_pipeline, state) != GST_STATE_CHANGE_FAILURE)
        return true;
    if (state != GST_STATE_PLAYING)
        return false;
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    if (gst_element_set_state(m_pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE) {
        WriteLog(cfPurple, QStringLiteral("successfully restarted ") + reason);
        return true;
    }
    WriteLog(cfRed, QStringLiteral("ERROR: failed to run ") + reason);
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    return false;
}

GstState CaptureGraph::currentState() const
{
    if (!m_pipeline)
        return GST_STATE_NULL;
    GstState state = GST_STATE_NULL;
    gst_element_get_state(m_pipeline, &state, nullptr, 0);
    return state;
}

void CaptureGraph::clear()
{
    if (!m_pipeline)
        return;
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    GstBus* bus = gst_pipeline_get_bus(GST_PIPELINE(m_pipeline));
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(m_pipeline);
    m_pipeline = nullptr;
}

GstElement* ElementByName(GstElement* pipeline, const char* name)
{
    return pipeline ? gst_bin_get_by_name(GST_BIN(pipeline), name) : nullptr;
}

QString UniqueName(const QString& prefix)
{
    return prefix + QString::number(QRandomGenerator::global()->bounded(INT_MAX));
}

GstPad* FindPinByName(GstElement* element, GstPadDirection direction, const QString& name, bool unconnectedOnly,
                      bool partial)
{
    GstPad* found = nullptr;
    const QString wanted = name.toUpper();
    forEachPad(element, direction, [&](GstPad* pad) {
        if (unconnectedOnly && gst_pad_is_linked(pad))
            return false;
        const QString padName = nameOf(GST_OBJECT(pad)).toUpper();
        if (partial ? padName.contains(wanted) : padName == wanted) {
            found = GST_PAD(gst_object_ref(pad));
            return true;
        }
        return false;
    });
    return found;
}

QStringList PinNames(GstPadDirection direction, GstElement* element)
{
    QStringList names;
    forEachPad(element, direction, [&](GstPad* pad) {
        names << nameOf(GST_OBJECT(pad));
        return false;
    });
    return names;
}

void DisconnectFilter(GstElement* element)
{
    for (GstPadDirection direction : {GST_PAD_SRC, GST_PAD_SINK}) {
        QList<GstPad*> linked;
        forEachPad(element, direction, [&](GstPad* pad) {
            if (gst_pad_is_linked(pad))
                linked << GST_PAD(gst_object_ref(pad));
            return false;
        });
        for (GstPad* pad : linked) {
            if (GstPad* peer = gst_pad_get_peer(pad)) {
                if (direction == GST_PAD_SRC)
                    gst_pad_unlink(pad, peer);
                else
                    gst_pad_unlink(peer, pad);
                gst_object_unref(peer);
            }
            gst_object_unref(pad);
        }
    }
}

void RemoveDownstream(GstBin* bin, GstPad* pad)
{
    GstPad* peer = gst_pad_get_peer(pad);
    if (!peer)
        return;
    gst_pad_unlink(pad, peer);
    GstElement* next = gst_pad_get_parent_element(peer);
    gst_object_unref(peer);
    if (!next)
        return;
    QList<GstPad*> outputs;
    forEachPad(next, GST_PAD_SRC, [&](GstPad* p) {
        outputs << GST_PAD(gst_object_ref(p));
        return false;
    });
    for (GstPad* out : outputs) {
        RemoveDownstream(bin, out);
        gst_object_unref(out);
    }
    gst_element_set_state(next, GST_STATE_NULL);
    gst_bin_remove(bin, next);
    gst_object_unref(next);
}

void ListFilterChain(GstElement* element, int depth, QStringList& list)
{
    const QString name = nameOf(GST_OBJECT(element));
    list << name;
    WriteLog(cfGreen, QString(2 * depth, QLatin1Char(' ')) + QLatin1Char('.') + name);
    QList<GstElement*> next;
    forEachPad(element, GST_PAD_SRC, [&](GstPad* pad) {
        if (GstPad* peer = gst_pad_get_peer(pad)) {
            if (GstElement* e = gst_pad_get_parent_element(peer))
                next << e;
            gst_object_unref(peer);
        }
        return false;
    });
    for (GstElement* e : next) {
        ListFilterChain(e, depth + 1, list);
        gst_object_unref(e);
    }
}

} // namespace velmar::video

namespace velmar::video {

namespace {
const QString stateValue = QStringLiteral("WDMState");
const QString stateSizeValue = QStringLiteral("WDMStateSize");

bool storable(const GParamSpec* spec)
{
    return (spec->flags & G_PARAM_READWRITE) == G_PARAM_READWRITE && !(spec->flags & G_PARAM_CONSTRUCT_ONLY)
        && g_strcmp0(spec->name, "name") != 0 && g_strcmp0(spec->name, "parent") != 0;
}
} // namespace

bool SaveFilterState(GstElement* filter, const QString& keyPath)
{
    if (!filter || keyPath.isEmpty())
        return false;
    WriteLog(cfGrey, QStringLiteral("VfwState: not available"));
    QByteArray state;
    guint count = 0;
    GParamSpec** specs = g_object_class_list_properties(G_OBJECT_GET_CLASS(filter), &count);
    for (guint i = 0; i < count; ++i) {
        if (!storable(specs[i]))
            continue;
        GValue value = G_VALUE_INIT;
        g_value_init(&value, specs[i]->value_type);
        g_object_get_property(G_OBJECT(filter), specs[i]->name, &value);
        if (!g_param_value_defaults(specs[i], &value)) {
            if (gchar* text = gst_value_serialize(&value)) {
                state += QByteArray(specs[i]->name) + '=' + QByteArray(text) + '\n';
                g_free(text);
            }
        }
        g_value_unset(&value);
    }
    g_free(specs);
    TRegistry2 reg;
    reg.openKey(keyPath, true);
    reg.writeBinaryData(stateValue, state);
    reg.writeInteger(stateSizeValue, int(state.size()));
    reg.sync();
    return true;
}

bool LoadFilterState(GstElement* filter, const QString& keyPath)
{
    if (!filter || keyPath.isEmpty())
        return false;
    WriteLog(cfGrey, QStringLiteral("VfwState: not available"));
    TRegistry2 reg;
    int size = 0;
    QByteArray state;
    if (!reg.openKey(keyPath, false) || !reg.readInteger(stateSizeValue, size)
        || !reg.readBinaryData(stateValue, state, size))
        return false;
    bool ok = true;
    for (const QByteArray& line : state.split('\n')) {
        const int eq = int(line.indexOf('='));
        if (eq <= 0)
            continue;
        const QByteArray name = line.left(eq);
        GParamSpec* spec = g_object_class_find_property(G_OBJECT_GET_CLASS(filter), name.constData());
        if (!spec || !storable(spec)) {
            ok = false;
            continue;
        }
        GValue value = G_VALUE_INIT;
        g_value_init(&value, spec->value_type);
        if (gst_value_deserialize(&value, line.mid(eq + 1).constData()))
            g_object_set_property(G_OBJECT(filter), name.constData(), &value);
        else
            ok = false;
        g_value_unset(&value);
    }
    return ok;
}

} // namespace velmar::video
