#include "forms/ui/FormMetrics.h"

#include <QFont>
#include <QFontMetrics>

namespace velmar::forms {

namespace {
int g_w = 8;
int g_h = 16;
} // namespace

void MeasureFormFont(const QFont& font)
{
    const QFontMetrics metrics(font);
    g_w = metrics.averageCharWidth() * 12 / 10;
    g_h = metrics.height();
}

int MetricW()
{
    return g_w;
}

int MetricH()
{
    return g_h;
}

int StaticWidth(int n)
{
    return n > 0 ? g_w * (n + 1) : 0;
}

int EditWidth(int n)
{
    return g_w * (n + 2);
}

int RowHeight(int k)
{
    return k * (g_h + 4) + 4;
}

} // namespace velmar::forms
