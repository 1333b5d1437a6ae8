#pragma once
// TTrafficLight: the frameless, always-on-top strip at the top of the screen
// with the program's name and three lamps (red, amber, green) that tells
// whether detections were counted within the warning time. Clicking it brings
// the main window back to the front.
//
// TFlashWarning: a text bar that flashes between two colour pairs while a
// user form is due to be filled in. Its owner runs the flash timer.
//
// User-interface thread only.
#include <QLabel>
#include <QWidget>

namespace velmar::shell {

inline constexpr int LampRed = 1;
inline constexpr int LampAmber = 2;
inline constexpr int LampGreen = 4;

class TTrafficLight : public QWidget {
    Q_OBJECT
public:
    inline static const QString Caption = QStringLiteral("Velmar 2010");

    explicit TTrafficLight(QWidget* parent);

    // Stores a new lamp state (bits LampRed, LampAmber, LampGreen) and
    // repaints; the same state repaints nothing.
    void SetState(int state);
    int State() const { return m_state; }

    // Width the light needs at window height h.
    int GetWidthForHeight(int h) const;
    int CaptionWidth() const;

signals:
    // The main window restores its frame and brings it to the front.
    void activateMainWindow();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    int m_state = LampRed | LampAmber | LampGreen;
};

class TFlashWarning : public QLabel {
    Q_OBJECT
public:
    TFlashWarning(QWidget* parent, int id, const QString& text, int x, int y, int w, int h);

    void SetWarning(const QString& text, bool on);
    bool IsWarning() const { return m_warning; }
    bool Phase() const { return m_phase; }
    int GetTextHeight() const;
    // One flash tick: the other phase at the next paint.
    void EvTimer();

    struct Colours {
        QColor background;
        QColor text;
    };
    Colours CurrentColours() const;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    bool m_warning = false;
    bool m_phase = false;
};

} // namespace velmar::shell
