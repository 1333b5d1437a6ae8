#include "deck/ui/ColourGauge.h"

#include <QPainter>
#include <QPalette>

#include <algorithm>

namespace velmar::deck {

namespace {
constexpr int BorderWidth = 1;
}

TColourGauge::TColourGauge(QWidget* parent, int margin) : QWidget(parent), m_margin(margin)
{
}

void TColourGauge::setRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = std::max(maximum, minimum + 1);
    update();
}

void TColourGauge::setValue(int value)
{
    value = std::clamp(value, m_minimum, m_maximum);
    if (value != m_value) {
        m_value = value;
        update();
    }
}

QRect TColourGauge::interior() const
{
    return rect().adjusted(BorderWidth + m_margin, BorderWidth + m_margin, -(BorderWidth + m_margin),
                           -(BorderWidth + m_margin));
}

int TColourGauge::barTop() const
{
    const QRect in = interior();
    const int h = in.height();
    return in.bottom() + 1 - h * (m_value - m_minimum) / (m_maximum - m_minimum);
}

QColor TColourGauge::levelColour()
{
    return QPalette().color(QPalette::Highlight);
}
QColor TColourGauge::overloadColour()
{
    return QColor(128, 0, 0);
}
QColor TColourGauge::faceColour()
{
    return QPalette().color(QPalette::Button);
}

void TColourGauge::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const QRect in = interior();
    const int h = in.height();
    const int top = barTop();
    const int redLimit = std::max(top, h / 6); // H/6 from the top of the client area
    const int bottom = in.bottom() + 1;
    p.fillRect(QRect(in.left(), in.top(), in.width(), std::max(top - in.top(), 0)), faceColour());
    p.fillRect(QRect(in.left(), redLimit, in.width(), std::max(bottom - redLimit, 0)), levelColour());
    p.fillRect(QRect(in.left(), top, in.width(), std::max(redLimit - top, 0)), overloadColour());
}

} // namespace velmar::deck
