#include "GstCapsFormats.h"

#include "MediaFormats.h"

#include <gst/gst.h>

namespace velmar::video {

namespace {
constexpr int hundredths = 100;

struct IntSpan {
    int value = 0, min = 0, max = 0;
};

IntSpan intSpan(const GstStructure* s, const char* field)
{
    IntSpan span;
    const GValue* v = gst_structure_get_value(s, field);
    if (!v)
        return span;
    if (G_VALUE_HOLDS_INT(v)) {
        span.value = span.min = span.max = g_value_get_int(v);
    } else if (GST_VALUE_HOLDS_INT_RANGE(v)) {
        span.min = gst_value_get_int_range_min(v);
        span.max = gst_value_get_int_range_max(v);
        span.value = span.max;
    } else if (GST_VALUE_HOLDS_LIST(v) && gst_value_list_get_size(v) > 0) {
        span.min = INT_MAX;
        for (guint i = 0; i < gst_value_list_get_size(v); ++i) {
            const GValue* item = gst_value_list_get_value(v, i);
            if (!G_VALUE_HOLDS_INT(item))
                continue;
            const int n = g_value_get_int(item);
            span.min = std::min(span.min, n);
            span.max = std::max(span.max, n);
        }
        if (span.min == INT_MAX)
            span.min = 0;
        span.value = span.max;
    }
    return span;
}

int rateOf(int num, int den)
{
    return den > 0 ? int((int64_t(num) * hundredths + den / 2) / den) : 0;
}

void rates(const GstStructure* s, int& minRate, int& maxRate)
{
    minRate = maxRate = 0;
    const GValue* v = gst_structure_get_value(s, "framerate");
    if (!v)
        return;
    if (GST_VALUE_HOLDS_FRACTION(v)) {
        minRate = maxRate = rateOf(gst_value_get_fraction_numerator(v), gst_value_get_fraction_denominator(v));
    } else if (GST_VALUE_HOLDS_FRACTION_RANGE(v)) {
        const GValue* lo = gst_value_get_fraction_range_min(v);
        const GValue* hi = gst_value_get_fraction_range_max(v);
        minRate = rateOf(gst_value_get_fraction_numerator(lo), gst_value_get_fraction_denominator(lo));
        maxRate = rateOf(gst_value_get_fraction_numerator(hi), gst_value_get_fraction_denominator(hi));
    } else if (GST_VALUE_HOLDS_LIST(v)) {
        minRate = INT_MAX;
        for (guint i = 0; i < gst_value_list_get_size(v); ++i) {
            const GValue* item = gst_value_list_get_value(v, i);
            if (!GST_VALUE_HOLDS_FRACTION(item))
                continue;
            const int r = rateOf(gst_value_get_fraction_numerator(item), gst_value_get_fraction_denominator(item));
            minRate = std::min(minRate, r);
            maxRate = std::max(maxRate, r);
        }
        if (minRate == INT_MAX)
            minRate = 0;
    }
}

QStringList formatsOf(const GstStructure* s)
{
    QStringList formats;
    const GValue* v = gst_structure_get_value(s, "format");
    if (v && G_VALUE_HOLDS_STRING(v)) {
        formats << QString::fromUtf8(g_value_get_string(v));
    } else if (v && GST_VALUE_HOLDS_LIST(v)) {
        for (guint i = 0; i < gst_value_list_get_size(v); ++i) {
            const GValue* item = gst_value_list_get_value(v, i);
            if (G_VALUE_HOLDS_STRING(item))
                formats << QString::fromUtf8(g_value_get_string(item));
        }
    }
    if (formats.isEmpty())
        formats << QString();
    return formats;
}
} // namespace

QList<CapsEntry> CapsEntries(const GstCaps* caps)
{
    QList<CapsEntry> entries;
    if (!caps || gst_caps_is_any(caps))
        return entries;
    for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
        const GstStructure* s = gst_caps_get_structure(caps, i);
        const QString media = QString::fromUtf8(gst_structure_get_name(s));
        const IntSpan w = intSpan(s, "width");
        const IntSpan h = intSpan(s, "height");
        int minRate = 0, maxRate = 0;
        rates(s, minRate, maxRate);
        for (const QString& raw : formatsOf(s)) {
            CapsEntry e;
            e.formatName = FormatNameOfCaps(media, raw);
            if (e.formatName.isEmpty())
                continue;
            e.size = {w.value, h.value};
            e.minSize = {w.min, h.min};
            e.maxSize = {w.max, h.max};
            e.minRate = minRate;
            e.maxRate = maxRate;
            if (!entries.contains(e))
                entries << e;
        }
    }
    return entries;
}

QList<CapsEntry> CapsEntries(const QString& capsText)
{
    GstCaps* caps = gst_caps_from_string(capsText.toUtf8().constData());
    QList<CapsEntry> entries = CapsEntries(caps);
    if (caps)
        gst_caps_unref(caps);
    return entries;
}

} // namespace velmar::video
