#include "widgets/NightDay.h"

#include <QApplication>
#include <QPalette>
#include <QPointer>
#include <QWidget>

#include <optional>
#include <utility>

namespace velmar::shell {

namespace {

struct SchemeState {
    int scheme = DayScheme;
    QColor foreground = Qt::black;
    QColor highlight = Qt::black;
    QPen pen = QPen(QColor(Qt::black), 1);
    std::optional<QPalette> dayPalette; // the application's own, while night rules
};

SchemeState& State()
{
    static SchemeState s;
    return s;
}

// Every window and control of the program at night: dark backgrounds and
// light text, so nothing turns black on black.
QPalette NightPalette(const QPalette& day)
{
    QPalette p = day;
    const QColor dark(Qt::black), panel(40, 40, 40), light(Qt::white), dim(128, 128, 128);
    for (const auto& [role, colour] : {std::pair{QPalette::Window, dark},
                                       {QPalette::Base, dark},
                                       {QPalette::AlternateBase, QColor(20, 20, 20)},
                                       {QPalette::Button, panel},
                                       {QPalette::ToolTipBase, dark},
                                       {QPalette::WindowText, light},
                                       {QPalette::Text, light},
                                       {QPalette::ButtonText, light},
                                       {QPalette::ToolTipText, light},
                                       {QPalette::BrightText, QColor(255, 0, 0)},
                                       {QPalette::Highlight, QColor(160, 0, 0)},
                                       {QPalette::HighlightedText, light},
                                       {QPalette::PlaceholderText, dim},
                                       {QPalette::Light, QColor(90, 90, 90)},
                                       {QPalette::Midlight, QColor(70, 70, 70)},
                                       {QPalette::Mid, panel},
                                       {QPalette::Dark, QColor(20, 20, 20)},
                                       {QPalette::Shadow, dark}})
        p.setColor(role, colour);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, dim);
    return p;
}

void ApplyApplicationScheme(int scheme)
{
    SchemeState& s = State();
    if (scheme == NightScheme && !s.dayPalette) {
        s.dayPalette = QApplication::palette();
        QApplication::setPalette(NightPalette(*s.dayPalette));
    } else if (scheme == DayScheme && s.dayPalette) {
        QApplication::setPalette(*s.dayPalette);
        s.dayPalette.reset();
    }
}

NightDayApp* g_app = nullptr;
QPointer<QWidget> g_mainWindow;

// Posting instead of calling keeps the order of the design's posted
// messages: a mix-in's constructor runs before its derived class exists.
template <typename F>
void Post(QObject* context, F&& f)
{
    QMetaObject::invokeMethod(context, std::forward<F>(f), Qt::QueuedConnection);
}

void PostToWindow(QWidget* w, int scheme, long lParam)
{
    QPointer<QWidget> guard(w);
    Post(w, [guard, scheme, lParam] {
        if (!guard)
            return;
        if (auto* nw = dynamic_cast<NightDayWindow*>(guard.data()))
            nw->EvNightDay(scheme, lParam);
        else if (auto* nc = dynamic_cast<NightDayChild*>(guard.data()))
            nc->EvNightDay(scheme, lParam);
    });
}

} // namespace

int GetNightDayScheme()
{
    return State().scheme;
}
QPen GetNightDayPen()
{
    return State().pen;
}
QColor GetNightDayForeColour()
{
    return State().foreground;
}
QColor GetNightDayHighlightColour()
{
    return State().highlight;
}

NightDayApp::NightDayApp()
{
    g_app = this;
    ApplyApplicationScheme(DayScheme);
    State() = SchemeState{};
}

NightDayApp::~NightDayApp()
{
    if (g_app == this) {
        ApplyApplicationScheme(DayScheme);
        g_app = nullptr;
    }
}

NightDayApp* NightDayApp::Instance()
{
    return g_app;
}

void NightDayApp::SetNightDayMainWindow(QWidget* mainWindow)
{
    g_mainWindow = mainWindow;
}

void NightDayApp::CmNight()
{
    Broadcast(NightScheme);
}
void NightDayApp::CmDay()
{
    Broadcast(DayScheme);
}

void NightDayApp::Broadcast(int scheme)
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (dynamic_cast<NightDayWindow*>(w))
            PostToWindow(w, scheme, 0);
    }
    Post(qApp, [scheme] {
        if (g_app)
            g_app->EvNightDay(scheme, 0);
    });
}

long NightDayApp::EvNightDay(int scheme, long lParam)
{
    SchemeState& s = State();
    s.scheme = scheme;
    if (scheme == NightScheme) {
        s.foreground = Qt::white;
        s.highlight = QColor(255, 0, 0);
    } else if (scheme == DayScheme) {
        s.foreground = Qt::black;
        s.highlight = Qt::black;
    }
    s.pen = QPen(s.foreground, 1);
    ApplyApplicationScheme(scheme);
    if (g_mainWindow)
        PostToWindow(g_mainWindow, scheme, lParam);
    return 0;
}

NightDayWindow::NightDayWindow(QWidget* window) : m_window(window)
{
    PostToWindow(window, GetNightDayScheme(), 0);
}

void NightDayWindow::SendToChildren(QWidget* w, int scheme, long lParam)
{
    for (QObject* o : w->children()) {
        auto* child = qobject_cast<QWidget*>(o);
        if (!child)
            continue;
        if (auto* nw = dynamic_cast<NightDayWindow*>(child)) {
            nw->EvNightDay(scheme, lParam); // reaches its own children
            continue;
        }
        if (auto* nc = dynamic_cast<NightDayChild*>(child))
            nc->EvNightDay(scheme, lParam);
        SendToChildren(child, scheme, lParam);
    }
}

long NightDayWindow::EvNightDay(int scheme, long lParam)
{
    m_scheme = scheme;
    SendToChildren(m_window, scheme, lParam);
    m_window->update();
    return 0;
}

NightDayChild::NightDayChild(QWidget* control) : m_control(control)
{
    PostToWindow(control, GetNightDayScheme(), 0);
}

long NightDayChild::EvNightDay(int scheme, long)
{
    m_scheme = scheme;
    if (scheme == NightScheme || scheme == DayScheme) {
        QPalette p = m_control->palette();
        p.setColor(QPalette::Window, scheme == NightScheme ? Qt::black : Qt::white);
        // Its text stays readable on the new background.
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            p.setColor(role, scheme == NightScheme ? Qt::white : Qt::black);
        m_control->setPalette(p);
        m_control->setAutoFillBackground(true);
    }
    m_control->update();
    return 0;
}

} // namespace velmar::shell
