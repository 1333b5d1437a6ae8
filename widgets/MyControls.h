#pragma once
// The status controls of the main program: push button, check box, group
// box, read-out, status static and tab strip. All draw in the display font.
// The read-out TMyEdit shows a value on a background picked by a colour code;
// the status static TMyStatic can blink between two looks once a second, all
// blinking statics in step because the phase comes from one clock.
//
// Colour codes: 1 normal, 2 alarm, 3 active, 4 waiting, 5 as 2, 6 pale
// highlight, 7 dark.
//
// User-interface thread only. Controls are owned by their parent widget.
#include "widgets/NightDay.h"

#include <QBasicTimer>
#include <QCheckBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>

#include <cstdint>
#include <functional>
#include <optional>

namespace velmar::platform {
struct SystemTime;
}

namespace velmar::shell {

// Timer of a blinking status static, and its period.
inline constexpr int BlinkTimerId = 555;
inline constexpr int BlinkPeriodMs = 1000;
// The main window's tab strip.
inline constexpr int MainTabControlId = 31000;

// The program's display font; the main window sets it from the settings
// block when it is built. Controls take it when they are made.
const QFont& DisplayFont();
void SetDisplayFont(const QFont& font);

// The black-and-white look of status statics and warnings (settings block:
// status text colours). Read at every repaint; false until bound.
void SetStatusBlackAndWhiteSource(std::function<bool()> source);
bool IsStatusBlackAndWhite();

// Milliseconds since the system started: the one clock of the blink phase.
// Tests replace it; an empty function restores the system clock.
void SetBlinkClock(std::function<int64_t()> clock);
int64_t BlinkClockMs();

// Control ids: the design finds children by id.
void SetControlId(QWidget* w, int id);
int ControlIdOf(const QWidget* w); // 0 when none

// Parents that answer a status button's right click (message 1027) with
// their pop-up menu.
class StatusPopupTarget {
public:
    virtual ~StatusPopupTarget() = default;
    virtual long EvStatusPopup(int controlId, const QPoint& screenPoint) = 0;
};

struct EditColours {
    QColor background;
    QColor text;
};
EditColours EditColoursForCode(unsigned code);
QColor StaticOnColourForCode(unsigned code);

class TMyButton : public QPushButton {
    Q_OBJECT
public:
    TMyButton(QWidget* parent, int id, const QString& text, int x, int y, int w, int h, bool isDefault = false,
              bool reportRightClick = false);

protected:
    void mousePressEvent(QMouseEvent* e) override;

private:
    bool m_reportRightClick;
};

class TMyCheckBox : public QCheckBox {
    Q_OBJECT
public:
    TMyCheckBox(QWidget* parent, int id, const QString& text, int x, int y, int w, int h, QGroupBox* group = nullptr);
};

class TMyGroupBox : public QGroupBox {
    Q_OBJECT
public:
    TMyGroupBox(QWidget* parent, int id, const QString& text, int x, int y, int w, int h);
};

class TMyEdit : public QLineEdit, public NightDayChild {
    Q_OBJECT
public:
    TMyEdit(QWidget* parent, int id, const QString& text, int x, int y, int w, int h, bool editable = false);

    // Background and text colour from the code; nothing when the background
    // is the one already applied.
    void SetColourCode(unsigned code);
    // The number in decimal, on code 2 when alarm is set and the number is
    // not zero, else on code 1.
    void SetCount(int number, bool alarm);
    // A read-out never asks to save its text.
    bool CanClose() const { return true; }

    QColor Background() const;
    QColor TextColour() const;

private:
    std::optional<QColor> m_lastBackground;
    QColor m_textColour = Qt::black;
};

class TMyStatic : public QLabel {
    Q_OBJECT
public:
    enum class Look { None, Colour, BlackAndWhite };

    TMyStatic(QWidget* parent, int id, const QString& text, int x, int y, int w, int h, int textLimit = 0,
              bool rightAlign = false);

    // Sets the text when it differs in any way, then recomputes the blink
    // phase and repaints at once.
    void SetTextIfChanged(const QString& text);
    // The on colour from the code; the brushes are remade now, the colour
    // shows at the next repaint.
    void SetColourCode(unsigned code);
    // Starts or stops blinking; nothing when unchanged. The second argument
    // is kept for callers of the design and has no effect.
    void SetFlashing(bool on, uint8_t unused = 0);
    // Blink tick: the phase from the blink clock, then an immediate repaint.
    void EvTimer(int timerId);

    bool IsFlashing() const { return m_blinking; }
    bool Phase() const { return m_phase; }
    QColor OnColour() const { return m_onColour; }
    Look BuiltFor() const { return m_builtFor; }

    // What a paint fills the control with and draws its text in now.
    struct Colours {
        QColor fill;
        QColor cell;
        QColor text;
    };
    Colours CurrentColours();

protected:
    void paintEvent(QPaintEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    // A font taken over later still leaves the whole text shown.
    void changeEvent(QEvent* e) override;

private:
    void RebuildBrushes(bool force);

    bool m_blinking = false;
    QColor m_onColour = QColor(255, 0, 0);
    QColor m_backgroundColour;
    bool m_phase = false;
    QColor m_onBrush;
    QColor m_offBrush;
    QColor m_backgroundBrush;
    QColor m_textOn;
    QColor m_textOff;
    QColor m_cellOn;
    QColor m_cellOff;
    Look m_builtFor = Look::None;
    int m_textLimit;
    QBasicTimer m_timer;
};

class TMyTabControl : public QTabBar, public NightDayChild {
    Q_OBJECT
public:
    TMyTabControl(QWidget* parent, int id, int x, int y, int w, int h);
};

// Lookups by control id among the direct children of a window; null for a
// null window, a missing id or a child of another class.
TMyEdit* FindMyEdit(QWidget* window, int id);
TMyEdit* FindHeardFormEdit(QWidget* form, int id);
TMyCheckBox* FindMyCheckBox(QWidget* window, int id);

// "-" without a time, else the time of day "hh:mm:ss".
void SetTimeText(QWidget* window, const velmar::platform::SystemTime* time);

} // namespace velmar::shell
