#include "widgets/MyControls.h"

#include "platform/SystemTime.h"
#include "platform/RunMode.h"

#include <QApplication>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QPainter>
#include <QTimerEvent>

#include <algorithm>
#include <chrono>

namespace velmar::shell {

namespace {

const char* const ControlIdProperty = "velmarControlId";

QFont& FontSlot()
{
    static QFont font;
    return font;
}

std::function<bool()>& BlackAndWhiteSlot()
{
    static std::function<bool()> source;
    return source;
}

std::function<int64_t()>& BlinkClockSlot()
{
    static std::function<int64_t()> clock;
    return clock;
}

const QColor Alarm(225, 128, 128);

void TakeDisplayFont(QWidget* w)
{
    w->setFont(DisplayFont());
}

// Callers size statics from the metrics of the form's own font; a label in
// a larger display font grows until every word and line of its text shows.
void GrowToWrappedText(QLabel* label)
{
    const QString text = label->text();
    if (text.trimmed().isEmpty())
        return;
    const QFontMetrics fm(label->font());
    int widest = 0;
    for (const QString& word : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
        widest = std::max(widest, fm.horizontalAdvance(word));
    const QMargins m = label->contentsMargins();
    const int width = std::max(label->width(), widest + m.left() + m.right() + 2 * label->margin() + 1);
    const int textWidth = width - m.left() - m.right() - 2 * label->margin();
    const int high = fm.boundingRect(QRect(0, 0, textWidth, 1 << 20), Qt::TextWordWrap, text).height();
    const int height = std::max(label->height(), high + m.top() + m.bottom() + 2 * label->margin());
    if (width != label->width() || height != label->height())
        label->resize(width, height);
}

QWidget* FindChildById(QWidget* window, int id)
{
    if (!window)
        return nullptr;
    for (QObject* o : window->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w && ControlIdOf(w) == id)
            return w;
    }
    return nullptr;
}

} // namespace

const QFont& DisplayFont()
{
    return FontSlot();
}
void SetDisplayFont(const QFont& font)
{
    FontSlot() = font;
}

void SetStatusBlackAndWhiteSource(std::function<bool()> source)
{
    BlackAndWhiteSlot() = std::move(source);
}
bool IsStatusBlackAndWhite()
{
    const auto& s = BlackAndWhiteSlot();
    return s ? s() : false;
}

void SetBlinkClock(std::function<int64_t()> clock)
{
    BlinkClockSlot() = std::move(clock);
}
int64_t BlinkClockMs()
{
    const auto& c = BlinkClockSlot();
    if (c)
        return c();
    // steady_clock is CLOCK_MONOTONIC: time since the system started.
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void SetControlId(QWidget* w, int id)
{
    w->setProperty(ControlIdProperty, id);
}
int ControlIdOf(const QWidget* w)
{
    return w ? w->property(ControlIdProperty).toInt() : 0;
}

EditColours EditColoursForCode(unsigned code)
{
    switch (code) {
    case 1: return {Qt::white, Qt::black};
    case 2: return {Alarm, Qt::black};
    case 3: return {QColor(0, 255, 0), Qt::black};
    case 4: return {QColor(128, 128, 255), Qt::black};
    case 5: return {Alarm, Qt::black};
    case 6: return {QColor(255, 255, 215), Qt::black};
    case 7: return {Qt::black, QColor(255, 0, 0)};
    default: return {Qt::white, Qt::black};
    }
}

QColor StaticOnColourForCode(unsigned code)
{
    switch (code) {
    case 1: return Qt::white;
    case 2: return Alarm;
    case 3: return QColor(0, 192, 0);
    case 4: return QColor(128, 128, 255);
    case 5: return Alarm;
    case 6: return QColor(255, 255, 215);
    case 7: return Alarm;
    default: return Alarm;
    }
}

// ---- TMyButton

TMyButton::TMyButton(QWidget* parent, int id, const QString& text, int x, int y, int w, int h, bool isDefault,
                     bool reportRightClick)
    : QPushButton(text, parent), m_reportRightClick(reportRightClick)
{
    SetControlId(this, id);
    setGeometry(x, y, w, h);
    setDefault(isDefault);
    TakeDisplayFont(this);
}

void TMyButton::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::RightButton) {
        // A panel between the button and the main window (the detector
        // panel) passes the request on to its parent.
        for (QWidget* w = m_reportRightClick ? parentWidget() : nullptr; w; w = w->parentWidget()) {
            if (auto* target = dynamic_cast<StatusPopupTarget*>(w)) {
                target->EvStatusPopup(ControlIdOf(this), e->globalPosition().toPoint());
                break;
            }
        }
        return;
    }
    QPushButton::mousePressEvent(e);
}

// ---- TMyCheckBox, TMyGroupBox

TMyCheckBox::TMyCheckBox(QWidget* parent, int id, const QString& text, int x, int y, int w, int h, QGroupBox*)
    : QCheckBox(text, parent)
{
    SetControlId(this, id);
    setGeometry(x, y, w, h);
    TakeDisplayFont(this);
}

TMyGroupBox::TMyGroupBox(QWidget* parent, int id, const QString& text, int x, int y, int w, int h)
    : QGroupBox(text, parent)
{
    SetControlId(this, id);
    setGeometry(x, y, w, h);
    TakeDisplayFont(this);
}

// ---- TMyEdit

TMyEdit::TMyEdit(QWidget* parent, int id, const QString& text, int x, int y, int w, int h, bool editable)
    : QLineEdit(text, parent), NightDayChild(this)
{
    SetControlId(this, id);
    setGeometry(x, y, w, h);
    setFrame(true);
    TakeDisplayFont(this);
    if (!editable) {
        setAlignment(Qt::AlignCenter);
        setReadOnly(platform::RunMode != platform::RunModeShowData); // data shown can be edited
    }
}

void TMyEdit::SetColourCode(unsigned code)
{
    const EditColours c = EditColoursForCode(code);
    if (m_lastBackground && *m_lastBackground == c.background)
        return;
    m_lastBackground = c.background;
    m_textColour = c.text;
    QPalette p = palette();
    p.setColor(QPalette::Base, c.background);
    p.setColor(QPalette::Text, c.text);
    setPalette(p);
}

void TMyEdit::SetCount(int number, bool alarm)
{
    setText(QString::number(number));
    SetColourCode(alarm && number != 0 ? 2 : 1);
}

QColor TMyEdit::Background() const
{
    return palette().color(QPalette::Base);
}
QColor TMyEdit::TextColour() const
{
    return m_textColour;
}

// ---- TMyStatic

TMyStatic::TMyStatic(QWidget* parent, int id, const QString& text, int x, int y, int w, int h, int textLimit,
                     bool rightAlign)
    : QLabel(text, parent), m_backgroundColour(QApplication::palette().color(QPalette::Button)), m_textLimit(textLimit)
{
    SetControlId(this, id);
    setGeometry(x, y + 2, w, h);
    setAlignment((rightAlign ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
    setWordWrap(true);
    TakeDisplayFont(this);
    GrowToWrappedText(this);
}

void TMyStatic::changeEvent(QEvent* e)
{
    QLabel::changeEvent(e);
    if (e->type() == QEvent::FontChange)
        GrowToWrappedText(this);
}

void TMyStatic::SetTextIfChanged(const QString& newText)
{
    if (text() == newText)
        return;
    setText(newText);
    EvTimer(BlinkTimerId);
}

void TMyStatic::SetColourCode(unsigned code)
{
    m_onColour = StaticOnColourForCode(code);
    RebuildBrushes(true);
}

void TMyStatic::SetFlashing(bool on, uint8_t)
{
    if (on == m_blinking)
        return;
    m_blinking = on;
    if (on) {
        m_timer.start(BlinkPeriodMs, this);
        QMetaObject::invokeMethod(
            this, [this] { EvTimer(BlinkTimerId); }, Qt::QueuedConnection);
    } else {
        m_timer.stop();
    }
    update();
}

void TMyStatic::EvTimer(int timerId)
{
    if (timerId != BlinkTimerId)
        return;
    m_phase = (BlinkClockMs() / 1000) % 2 == 1;
    repaint();
}

void TMyStatic::timerEvent(QTimerEvent* e)
{
    if (e->timerId() == m_timer.timerId())
        EvTimer(BlinkTimerId);
    else
        QLabel::timerEvent(e);
}

void TMyStatic::RebuildBrushes(bool force)
{
    const Look look = IsStatusBlackAndWhite() ? Look::BlackAndWhite : Look::Colour;
    if (!force && m_builtFor == look)
        return;
    if (look == Look::Colour) {
        m_onBrush = m_onColour;
        m_offBrush = Qt::white;
        m_textOn = Qt::black;
        m_textOff = m_onColour;
        m_cellOn = m_onColour;
        m_cellOff = Qt::white;
    } else {
        m_onBrush = Qt::black;
        m_offBrush = m_backgroundColour;
        m_textOn = Qt::black;
        m_textOff = Qt::white;
        m_cellOn = m_backgroundColour;
        m_cellOff = m_backgroundColour;
    }
    m_backgroundBrush = m_backgroundColour;
    m_builtFor = look;
}

TMyStatic::Colours TMyStatic::CurrentColours()
{
    RebuildBrushes(false);
    if (!m_blinking)
        return {m_backgroundBrush, m_backgroundColour, palette().color(QPalette::WindowText)};
    if (m_phase)
        return {m_onBrush, m_cellOn, m_textOn};
    return {m_offBrush, m_cellOff, m_textOff};
}

void TMyStatic::paintEvent(QPaintEvent*)
{
    const Colours c = CurrentColours();
    QPainter p(this);
    p.fillRect(rect(), c.fill);
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(c.cell);
    p.setPen(c.text);
    p.setFont(font());
    p.drawText(rect(), int(alignment()) | Qt::TextWordWrap, text());
}

// ---- TMyTabControl

TMyTabControl::TMyTabControl(QWidget* parent, int id, int x, int y, int w, int h) : QTabBar(parent), NightDayChild(this)
{
    SetControlId(this, id);
    setGeometry(x, y, w, h);
    setExpanding(false);
    setDrawBase(true);
    TakeDisplayFont(this);
}

// ---- lookups

TMyEdit* FindMyEdit(QWidget* window, int id)
{
    return qobject_cast<TMyEdit*>(FindChildById(window, id));
}

TMyEdit* FindHeardFormEdit(QWidget* form, int id)
{
    return FindMyEdit(form, id);
}

TMyCheckBox* FindMyCheckBox(QWidget* window, int id)
{
    return qobject_cast<TMyCheckBox*>(FindChildById(window, id));
}

void SetTimeText(QWidget* window, const velmar::platform::SystemTime* time)
{
    if (!window)
        return;
    const QString text = time ? QString::asprintf("%02u:%02u:%02u", unsigned(time->wHour), unsigned(time->wMinute),
                                                  unsigned(time->wSecond))
                              : QStringLiteral("-");
    if (auto* edit = qobject_cast<QLineEdit*>(window))
        edit->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(window))
        label->setText(text);
    else
        window->setWindowTitle(text);
}

} // namespace velmar::shell
