#include "PropertyDialog.h"

#include "video/V4l2Device.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

#include <gst/gst.h>

namespace velmar::video {

namespace {
constexpr int realDecimals = 3;
constexpr int largestVisibleRows = 16;

// Integer ranges of the editors: GStreamer's 64-bit and unsigned limits are cut to them.
double clampInt(double v)
{
    return std::clamp(v, double(INT_MIN), double(INT_MAX));
}
} // namespace

// ------------------------------------------------------------------ V4L2

QList<PropertyItem> V4l2PropertySource::items()
{
    QList<PropertyItem> list;
    for (const V4l2Control& c : m_device.controls()) {
        PropertyItem item;
        item.key = QString::number(c.id);
        item.caption = c.name;
        item.minimum = c.minimum;
        item.maximum = c.maximum;
        item.step = c.step > 0 ? c.step : 1;
        item.readOnly = c.readOnly;
        switch (c.type) {
        case V4l2Control::Integer: item.kind = PropertyItem::Integer; break;
        case V4l2Control::Boolean: item.kind = PropertyItem::Boolean; break;
        case V4l2Control::Menu:
            item.kind = PropertyItem::Choice;
            item.choices = c.menu;
            break;
        default: continue;
        }
        int value = c.defaultValue;
        if (!m_device.getControl(c.id, value))
            item.readOnly = true; // a control that cannot be read is shown as it starts
        item.value = value;
        list << item;
    }
    return list;
}

bool V4l2PropertySource::write(const QString& key, const QVariant& value)
{
    return m_device.setControl(key.toUInt(), value.toInt());
}

// ------------------------------------------------------------------ GStreamer

ElementPropertySource::ElementPropertySource(GstElement* element) : m_element(GST_ELEMENT(gst_object_ref(element)))
{
}

ElementPropertySource::~ElementPropertySource()
{
    gst_object_unref(m_element);
}

QList<PropertyItem> ElementPropertySource::items()
{
    QList<PropertyItem> list;
    guint count = 0;
    GParamSpec** properties = g_object_class_list_properties(G_OBJECT_GET_CLASS(m_element), &count);
    for (guint i = 0; i < count; ++i) {
        GParamSpec* property = properties[i];
        const bool writable = (property->flags & G_PARAM_WRITABLE) && !(property->flags & G_PARAM_CONSTRUCT_ONLY);
        if (!(property->flags & G_PARAM_READABLE) || !writable || g_str_equal(property->name, "name"))
            continue;
        PropertyItem item;
        item.key = QString::fromUtf8(property->name);
        item.caption = QString::fromUtf8(g_param_spec_get_nick(property));
        GValue v = G_VALUE_INIT;
        g_value_init(&v, property->value_type);
        g_object_get_property(G_OBJECT(m_element), property->name, &v);
        if (G_IS_PARAM_SPEC_BOOLEAN(property)) {
            item.kind = PropertyItem::Boolean;
            item.value = bool(g_value_get_boolean(&v));
        } else if (G_IS_PARAM_SPEC_INT(property)) {
            const auto* p = G_PARAM_SPEC_INT(property);
            item.minimum = p->minimum;
            item.maximum = p->maximum;
            item.value = g_value_get_int(&v);
        } else if (G_IS_PARAM_SPEC_UINT(property)) {
            const auto* p = G_PARAM_SPEC_UINT(property);
            item.minimum = p->minimum;
            item.maximum = clampInt(p->maximum);
            item.value = int(clampInt(g_value_get_uint(&v)));
        } else if (G_IS_PARAM_SPEC_DOUBLE(property) || G_IS_PARAM_SPEC_FLOAT(property)) {
            item.kind = PropertyItem::Real;
            const bool isDouble = G_IS_PARAM_SPEC_DOUBLE(property);
            item.minimum = isDouble ? G_PARAM_SPEC_DOUBLE(property)->minimum : G_PARAM_SPEC_FLOAT(property)->minimum;
            item.maximum = isDouble ? G_PARAM_SPEC_DOUBLE(property)->maximum : G_PARAM_SPEC_FLOAT(property)->maximum;
            item.value = isDouble ? g_value_get_double(&v) : double(g_value_get_float(&v));
        } else if (G_IS_PARAM_SPEC_ENUM(property)) {
            item.kind = PropertyItem::Choice;
            GEnumClass* e = G_PARAM_SPEC_ENUM(property)->enum_class;
            item.minimum = e->minimum;
            item.maximum = e->maximum;
            for (int n = e->minimum; n <= e->maximum; ++n) {
                const GEnumValue* ev = g_enum_get_value(e, n);
                item.choices << (ev ? QString::fromUtf8(ev->value_nick) : QString());
            }
            item.value = g_value_get_enum(&v);
        } else if (G_IS_PARAM_SPEC_STRING(property)) {
            item.kind = PropertyItem::Text;
            item.value = QString::fromUtf8(g_value_get_string(&v));
        } else {
            g_value_unset(&v);
            continue;
        }
        g_value_unset(&v);
        list << item;
    }
    g_free(properties);
    return list;
}

bool ElementPropertySource::write(const QString& key, const QVariant& value)
{
    const QByteArray name = key.toUtf8();
    GParamSpec* property = g_object_class_find_property(G_OBJECT_GET_CLASS(m_element), name.constData());
    if (!property)
        return false;
    GValue v = G_VALUE_INIT;
    g_value_init(&v, property->value_type);
    if (G_IS_PARAM_SPEC_BOOLEAN(property))
        g_value_set_boolean(&v, value.toBool());
    else if (G_IS_PARAM_SPEC_INT(property))
        g_value_set_int(&v, value.toInt());
    else if (G_IS_PARAM_SPEC_UINT(property))
        g_value_set_uint(&v, value.toUInt());
    else if (G_IS_PARAM_SPEC_DOUBLE(property))
        g_value_set_double(&v, value.toDouble());
    else if (G_IS_PARAM_SPEC_FLOAT(property))
        g_value_set_float(&v, value.toFloat());
    else if (G_IS_PARAM_SPEC_ENUM(property))
        g_value_set_enum(&v, value.toInt());
    else if (G_IS_PARAM_SPEC_STRING(property))
        g_value_set_string(&v, value.toString().toUtf8().constData());
    else {
        g_value_unset(&v);
        return false;
    }
    g_object_set_property(G_OBJECT(m_element), name.constData(), &v);
    g_value_unset(&v);
    return true;
}

// ------------------------------------------------------------------ dialog

TPropertyDialog::TPropertyDialog(const QString& title, PropertySource& source, QWidget* parent)
    : QDialog(parent), m_source(source), m_items(source.items())
{
    setObjectName(QStringLiteral("PropertyDialog"));
    setWindowTitle(title);
    auto* form = new QFormLayout;
    for (const PropertyItem& item : std::as_const(m_items)) {
        QWidget* editor = nullptr;
        switch (item.kind) {
        case PropertyItem::Integer: {
            auto* spin = new QSpinBox;
            spin->setRange(int(clampInt(item.minimum)), int(clampInt(item.maximum)));
            spin->setSingleStep(int(item.step));
            spin->setValue(item.value.toInt());
            editor = spin;
            break;
        }
        case PropertyItem::Boolean: {
            auto* box = new QCheckBox;
            box->setChecked(item.value.toBool());
            editor = box;
            break;
        }
        case PropertyItem::Choice: {
            auto* combo = new QComboBox;
            for (int i = 0; i < item.choices.size(); ++i)
                if (!item.choices[i].isEmpty())
                    combo->addItem(item.choices[i], int(item.minimum) + i);
            combo->setCurrentIndex(combo->findData(item.value.toInt()));
            editor = combo;
            break;
        }
        case PropertyItem::Real: {
            auto* spin = new QDoubleSpinBox;
            spin->setDecimals(realDecimals);
            spin->setRange(item.minimum, item.maximum);
            spin->setValue(item.value.toDouble());
            editor = spin;
            break;
        }
        case PropertyItem::Text: {
            auto* edit = new QLineEdit(item.value.toString());
            editor = edit;
            break;
        }
        }
        editor->setObjectName(item.key);
        editor->setEnabled(!item.readOnly);
        form->addRow(item.caption, editor);
    }
    auto* inner = new QWidget;
    inner->setLayout(form);
    auto* scroll = new QScrollArea;
    scroll->setWidget(inner);
    scroll->setWidgetResizable(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &TPropertyDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TPropertyDialog::reject);
    auto* layout = new QVBoxLayout(this);
    if (m_items.isEmpty())
        layout->addWidget(new QLabel(QStringLiteral("no settings")));
    else
        layout->addWidget(scroll);
    layout->addWidget(buttons);
    if (m_items.size() < largestVisibleRows)
        scroll->setMinimumHeight(inner->sizeHint().height());
}

QWidget* TPropertyDialog::editor(const QString& key) const
{
    return findChild<QWidget*>(key);
}

QVariant TPropertyDialog::editorValue(const PropertyItem& item) const
{
    QWidget* w = editor(item.key);
    if (auto* spin = qobject_cast<QSpinBox*>(w))
        return spin->value();
    if (auto* box = qobject_cast<QCheckBox*>(w))
        return box->isChecked();
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->currentData();
    if (auto* real = qobject_cast<QDoubleSpinBox*>(w))
        return real->value();
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    return item.value;
}

void TPropertyDialog::accept()
{
    m_refused.clear();
    for (const PropertyItem& item : std::as_const(m_items)) {
        if (item.readOnly)
            continue;
        const QVariant now = editorValue(item);
        if (now.isValid() && now != item.value && !m_source.write(item.key, now))
            m_refused << item.caption;
    }
    QDialog::accept();
}

} // namespace velmar::video
