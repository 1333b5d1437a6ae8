#include "widgets/NightDay.h"

#include <QApplication>
#include <QPalette>
#include <QPointer>
#include <QWidget>

namespace velmar::shell {

namespace {

struct SchemeState {
    int scheme = DayScheme;
    QColor foreground = Qt::black;
    QColor highlight = Qt::black;
    QPen pen = QPen(QColor(Qt::black), 1);
};

SchemeState& State()
{
    static SchemeState s;
    return s;
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

int GetNightDayScheme() { return State().scheme; }
QPen GetNightDayPen() { return State().pen; }
QColor GetNightDayForeColour() { return State().foreground; }
QColor GetNightDayHighlightColour() { return State().highlight; }

NightDayApp::NightDayApp()
{
    g_app = this;
    State() = SchemeState{};
}

NightDayApp::~NightDayApp()
{
    if (g_app == this)
        g_app = nullptr;
}

NightDayApp* NightDayApp::Instance() { return g_app; }

void NightDayApp::SetNightDayMainWindow(QWidget* mainWindow) { g_mainWindow = mainWindow; }

void NightDayApp::CmNight() { Broadcast(NightScheme); }
void NightDayApp::CmDay() { Broadcast(DayScheme); }

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
    if (g_mainWindow)
        PostToWindow(g_mainWindow, scheme, lParam);
    return 0;
}

NightDayWindow::NightDayWindow(QWidget* window)
    : m_window(window)
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

NightDayChild::NightDayChild(QWidget* control)
    : m_control(control)
{
    PostToWindow(control, GetNightDayScheme(), 0);
}

long NightDayChild::EvNightDay(int scheme, long)
{
    m_scheme = scheme;
    if (scheme == NightScheme || scheme == DayScheme) {
        QPalette p = m_control->palette();
        p.setColor(QPalette::Window, scheme == NightScheme ? Qt::black : Qt::white);
        m_control->setPalette(p);
        m_control->setAutoFillBackground(true);
    }
    m_control->update();
    return 0;
}

} // namespace velmar::shell
