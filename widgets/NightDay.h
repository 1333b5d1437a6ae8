#pragma once
// The night/day colour scheme: night is white on black with light red for
// highlights, day is black on white. Three mix-ins carry the scheme to
// everything that draws:
//   NightDayApp    - the application: the "Night"/"Day" commands and the
//                    process-wide scheme state; hands a change on to the
//                    main window.
//   NightDayWindow - windows with children: a change reaches every child.
//   NightDayChild  - single controls: window background black or white.
// A mix-in posts the current scheme to its own object when constructed, so a
// control made after a switch still follows it.
//
// TTabIdentity ties a tab-page object to its tab in the main tab strip.
//
// User-interface thread only.
#include <QColor>
#include <QPen>

#include <functional>

class QWidget;

namespace velmar::shell {

// The private message that carries the scheme (wParam), lParam passed on.
inline constexpr int NightDayMessage = 66556;
inline constexpr int NightScheme = 1;
inline constexpr int DayScheme = 2;
// Menu commands of the "Night / Day Settings" menu.
inline constexpr int CmNightId = 18000;
inline constexpr int CmDayId = 18001;

int GetNightDayScheme();
QPen GetNightDayPen();
QColor GetNightDayForeColour();
QColor GetNightDayHighlightColour();

class NightDayApp {
public:
    NightDayApp();
    virtual ~NightDayApp();

    // Post the scheme to every top-level NightDayWindow and to the
    // application, which passes it on to the main window.
    void CmNight();
    void CmDay();

    // Stores the scheme; for 1 and 2 sets the colours and remakes the pen;
    // passes the scheme on to the main window. Returns 0.
    virtual long EvNightDay(int scheme, long lParam);

    // The main window that receives the scheme after the application; null
    // until the main window exists.
    void SetNightDayMainWindow(QWidget* mainWindow);

    // The application object, once one exists (null otherwise).
    static NightDayApp* Instance();

private:
    void Broadcast(int scheme);
};

class NightDayWindow {
public:
    explicit NightDayWindow(QWidget* window);
    virtual ~NightDayWindow() = default;

    // Stores the scheme, hands it to every child control and child window,
    // and repaints the window. Returns 0.
    virtual long EvNightDay(int scheme, long lParam);

    int NightDayScheme() const { return m_scheme; }
    QWidget* NightDayWidget() const { return m_window; }

protected:
    // Hands the scheme to every NightDayChild and NightDayWindow below w.
    static void SendToChildren(QWidget* w, int scheme, long lParam);

private:
    QWidget* m_window;
    int m_scheme = DayScheme;
};

class NightDayChild {
public:
    explicit NightDayChild(QWidget* control);
    virtual ~NightDayChild() = default;

    // Stores the scheme; background black for night, white for day,
    // unchanged for any other value; repaints. Returns 0.
    virtual long EvNightDay(int scheme, long lParam);

    int NightDayScheme() const { return m_scheme; }

private:
    QWidget* m_control;
    int m_scheme = DayScheme;
};

// The tab of a page object in the main tab strip. The owner of the tab strip
// sets the index when it adds the object's tab.
struct TTabIdentity {
    int TabIndex = -1;
    int Spare = -1;
};

} // namespace velmar::shell
