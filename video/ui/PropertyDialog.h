#pragma once
// TPropertyDialog: the one settings dialog of the video component. It is
// built from what a source offers — a device's V4L2 controls, an element's
// properties, or a few of the component's own choices — with one editor per
// item. OK writes the values that were changed, in order; Cancel writes
// nothing.
//
// User-interface thread only. A source must outlive its dialog.
#include <QDialog>
#include <QList>
#include <QStringList>
#include <QVariant>
#include <functional>

typedef struct _GstElement GstElement;
class QFormLayout;

namespace velmar::video {

class V4l2Device;

struct PropertyItem {
    enum Kind { Integer, Boolean, Choice, Real, Text };
    QString key;
    QString caption;
    Kind kind = Integer;
    double minimum = 0;
    double maximum = 0;
    double step = 1;
    // A choice's entries for the values minimum, minimum + 1, ...; an empty
    // entry is a value that is not offered.
    QStringList choices;
    QVariant value;
    bool readOnly = false;
};

class PropertySource {
public:
    virtual ~PropertySource() = default;
    virtual QList<PropertyItem> items() = 0;
    virtual bool write(const QString& key, const QVariant& value) = 0;
};

// The controls of a V4L2 device (buttons and compound controls left out).
class V4l2PropertySource : public PropertySource {
public:
    explicit V4l2PropertySource(V4l2Device& device) : m_device(device) {}
    QList<PropertyItem> items() override;
    bool write(const QString& key, const QVariant& value) override;

private:
    V4l2Device& m_device;
};

// The writable properties of a GStreamer element of the simple types
// (numbers, Booleans, enumerations and texts).
class ElementPropertySource : public PropertySource {
public:
    explicit ElementPropertySource(GstElement* element); // takes a reference
    ~ElementPropertySource() override;
    QList<PropertyItem> items() override;
    bool write(const QString& key, const QVariant& value) override;

private:
    GstElement* m_element;
};

// Items the caller lists and a function that writes them.
class ListPropertySource : public PropertySource {
public:
    using Writer = std::function<bool(const QString& key, const QVariant& value)>;
    ListPropertySource(QList<PropertyItem> items, Writer writer)
        : m_items(std::move(items)), m_writer(std::move(writer))
    {
    }
    QList<PropertyItem> items() override { return m_items; }
    bool write(const QString& key, const QVariant& value) override { return m_writer(key, value); }

private:
    QList<PropertyItem> m_items;
    Writer m_writer;
};

class TPropertyDialog : public QDialog {
    Q_OBJECT
public:
    TPropertyDialog(const QString& title, PropertySource& source, QWidget* parent = nullptr);

    // The editor of an item (named after its key), nullptr when none.
    QWidget* editor(const QString& key) const;
    int itemCount() const { return int(m_items.size()); }
    // The captions of the items whose writes the source refused at the last OK.
    QStringList refused() const { return m_refused; }

    void accept() override;

private:
    QVariant editorValue(const PropertyItem& item) const;

    PropertySource& m_source;
    QList<PropertyItem> m_items;
    QStringList m_refused;
};

} // namespace velmar::video
