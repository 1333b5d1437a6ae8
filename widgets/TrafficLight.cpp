#include "widgets/TrafficLight.h"

#include "widgets/MyControls.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace velmar::shell {

namespace {

const QColor DarkGrey(64, 64, 64);
const QColor LampRedColour(255, 0, 0);
const QColor LampAmberColour(255, 128, 0);
const QColor LampGreenColour(0, 192, 0);
const QColor Grey(128, 128, 128);
const QColor LightGrey(192, 192, 192);
// Caption width counts the caption's characters and this many more.
constexpr int CaptionSpareChars = 4;
constexpr int LampGap = 2;

} // namespace

TTrafficLight::TTrafficLight(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(DisplayFont());
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    setPalette(p);
}

void TTrafficLight::SetState(int state)
{
    if (state == m_state)
        return;
    m_state = state;
    update();
}

int TTrafficLight::CaptionWidth() const
{
    return int(Caption.size() + CaptionSpareChars) * fontMetrics().averageCharWidth();
}

int TTrafficLight::GetWidthForHeight(int h) const
{
    // A frameless window has no non-client area.
    constexpr int nonClient = 0;
    const int clientHeight = h - nonClient;
    return CaptionWidth() + 3 * (clientHeight - 2) + 11 + nonClient;
}

void TTrafficLight::paintEvent(QPaintEvent*)
{
    const int W = width();
    const int H = height();
    const int cw = CaptionWidth();
    QPainter p(this);
    p.setPen(Qt::white);
    p.drawLine(0, 0, 0, H - 1);
    p.setPen(Grey);
    p.drawLine(1, H - 1, W - 1, H - 1);
    p.drawLine(W - 1, H - 1, W - 1, 0);

    p.fillRect(QRect(QPoint(cw, 2), QPoint(W - 3, H - 3)), DarkGrey);

    p.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics fm = fontMetrics();
    p.drawText(3, (H - fm.height()) / 2 + fm.ascent(), Caption);

    p.setRenderHint(QPainter::Antialiasing, false);
    const int d = H - 2;
    int x = cw + 3;
    const struct {
        int bit;
        QColor colour;
    } lamps[] = {{LampRed, LampRedColour}, {LampAmber, LampAmberColour}, {LampGreen, LampGreenColour}};
    for (const auto& lamp : lamps) {
        const QColor c = (m_state & lamp.bit) ? lamp.colour : QColor(Qt::black);
        p.setPen(c);
        p.setBrush(c);
        p.drawEllipse(QRect(x, 1, d - 1, d - 1));
        x += d + LampGap;
    }
}

void TTrafficLight::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        emit activateMainWindow();
}

TFlashWarning::TFlashWarning(QWidget* parent, int id, const QString& text, int x, int y, int w, int h)
    : QLabel(text, parent)
{
    SetControlId(this, id);
    setGeometry(x, y, w, h);
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setFont(DisplayFont());
}

void TFlashWarning::SetWarning(const QString& text, bool on)
{
    m_warning = on;
    setText(text);
}

int TFlashWarning::GetTextHeight() const
{
    return fontMetrics().height();
}

void TFlashWarning::EvTimer()
{
    // The phase turns with the owner's timer, not with every paint, so an
    // extra repaint (an uncovered window) does not upset the rhythm.
    m_phase = !m_phase;
    update();
}

TFlashWarning::Colours TFlashWarning::CurrentColours() const
{
    const bool bw = IsStatusBlackAndWhite();
    if (!m_warning)
        return {LightGrey, Qt::black};
    if (m_phase)
        return bw ? Colours{Qt::black, Qt::white} : Colours{LampRedColour, Qt::white};
    return bw ? Colours{LightGrey, Qt::black} : Colours{Qt::white, LampRedColour};
}

void TFlashWarning::paintEvent(QPaintEvent*)
{
    const Colours c = CurrentColours();
    QPainter p(this);
    p.fillRect(rect(), c.background);
    p.setPen(c.text);
    p.setFont(font());
    p.drawText(contentsRect(), int(alignment()), text());
    drawFrame(&p);
}

} // namespace velmar::shell
