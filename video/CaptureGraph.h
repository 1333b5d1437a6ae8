#pragma once
// One filter graph of the video component: a GstPipeline built for one start
// and thrown away by clear() (set to NULL, unreferenced). Pins are pads,
// media types caps. Also the small pad and element operations the graph
// code shares.
//
// Built, run and cleared on the thread that dispatches the component's
// commands. Bus messages are handed to the owner's handler on GStreamer's
// threads; the handler must only queue them.
#include <QString>
#include <QStringList>
#include <functional>

#include <gst/gst.h>

namespace velmar::video {

class CaptureGraph {
public:
    // Called for every bus message, on the thread that posted it.
    using BusHandler = std::function<void(GstMessage*)>;

    explicit CaptureGraph(BusHandler handler);
    ~CaptureGraph();
    CaptureGraph(const CaptureGraph&) = delete;
    CaptureGraph& operator=(const CaptureGraph&) = delete;

    // A new, empty pipeline (the old one is cleared first).
    bool create();
    bool exists() const { return m_pipeline != nullptr; }
    GstElement* pipeline() const { return m_pipeline; }
    // Which graph this is: a new number for every create().
    quint64 generation() const { return m_generation; }

    // Makes an element of a factory (logs "instance: " + name); floating.
    GstElement* createFilter(const char* factory, const QString& name);
    // Adds an element under a name; false (the element is dropped) when refused.
    bool addFilter(GstElement* element, const QString& name);
    // Links two pads; when they do not fit, a converter is put between them.
    bool connect(GstPad* output, GstPad* input);
    // Makes and adds an element of a factory and links the pad to its sink
    // pad; the element, or nullptr when any step failed.
    GstElement* addFilterAfter(GstPad* pin, const char* factory, const QString& name);
    // Puts a new element behind the pad; the pad becomes its output.
    bool insertFilterInline(const char* factory, const QString& name, GstPad*& pin);

    // Sets the pipeline's state; running retries once after a stop.
    bool setState(GstState state, const QString& reason);
    GstState currentState() const;

    // Stops and releases the pipeline and everything in it.
    void clear();

    // Elements the graphs made or were given that are not finalised yet.
    static int liveElements();

private:
    void track(GstElement* element);
    static GstBusSyncReply onBusMessage(GstBus*, GstMessage* message, gpointer data);

    BusHandler m_handler;
    GstElement* m_pipeline = nullptr;
    quint64 m_generation = 0;
};

// The element of a pipeline with that name: a new reference, or nullptr
// when there is no pipeline or no such element.
GstElement* ElementByName(GstElement* pipeline, const char* name);
// A filter name made unique by a random number ("Smart Tee 1234567").
QString UniqueName(const QString& prefix);

// The first pad of the direction whose upper-cased name equals (partial:
// contains) the upper-cased name; a new reference or nullptr.
GstPad* FindPinByName(GstElement* element, GstPadDirection direction, const QString& name, bool unconnectedOnly,
                      bool partial);
// The names of the element's pads of a direction, in their order.
QStringList PinNames(GstPadDirection direction, GstElement* element);
// Unlinks every linked pad of the element.
void DisconnectFilter(GstElement* element);
// Removes everything downstream of an output pad from its bin, depth first,
// and leaves the pad unlinked.
void RemoveDownstream(GstBin* bin, GstPad* pad);
// The element and everything downstream, depth first, as names (logged).
void ListFilterChain(GstElement* element, int depth, QStringList& list);

} // namespace velmar::video

namespace velmar::video {

// A filter's private state kept in the stored settings under its key, so a
// setting made once comes back next time: the element's writable
// properties that differ from their defaults, as "WDMState" and
// "WDMStateSize". A codec state of the Video for Windows kind ("VfwState")
// does not exist here: reported as not available in the process log.
bool SaveFilterState(GstElement* filter, const QString& keyPath);
bool LoadFilterState(GstElement* filter, const QString& keyPath);

} // namespace velmar::video
