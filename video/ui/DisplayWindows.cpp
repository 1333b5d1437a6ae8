#include "DisplayWindows.h"

#include "DisplayForm.h"
#include "video/DisplayGeometry.h"
#include "video/Ombrix.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QScreen>

namespace velmar::video::ui {

namespace {
bool widgetsAvailable()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

QList<QRect> monitorRects()
{
    QList<QRect> rects;
    for (QScreen* s : QGuiApplication::screens())
        rects << s->geometry();
    return rects;
}

QRect wholeScreen()
{
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->virtualGeometry() : QRect(0, 0, 640, 480);
}

QPoint monitorOrigin(int monitor)
{
    const QList<QRect> rects = monitorRects();
    return monitor >= 0 && monitor < rects.size() ? rects.at(monitor).topLeft() : QPoint();
}
} // namespace

VideoDisplayWindows::VideoDisplayWindows(TOmbrix& component, PreviewDisplay& display)
    : m_component(component), m_display(display)
{
}

VideoDisplayWindows::~VideoDisplayWindows()
{
    for (auto& form : m_forms)
        delete form.data();
}

TDisplayForm* VideoDisplayWindows::form(int window) const
{
    return m_forms[size_t(window)].data();
}

void VideoDisplayWindows::setPanel(QWidget* panel)
{
    if (m_panel)
        m_panel->removeEventFilter(this);
    m_panel = panel;
    if (m_panel)
        m_panel->installEventFilter(this);
    layout();
}

bool VideoDisplayWindows::eventFilter(QObject* watched, QEvent* event)
{
    // An embedded window fills the panel.
    if (watched == m_panel && event->type() == QEvent::Resize)
        layout();
    return QObject::eventFilter(watched, event);
}

void VideoDisplayWindows::setBackground(const QColor& color)
{
    for (const auto& f : m_forms)
        if (f)
            f->setBackground(color);
}

void VideoDisplayWindows::repaint()
{
    for (const auto& f : m_forms)
        if (f)
            f->update();
}

void VideoDisplayWindows::showFrame(const QImage& frame)
{
    for (const auto& f : m_forms)
        if (f && f->isVisible())
            f->setFrame(frame);
}

void VideoDisplayWindows::hide()
{
    for (const auto& f : m_forms)
        if (f) {
            f->clearFrame();
            f->hide();
        }
}

void VideoDisplayWindows::layout()
{
    if (!widgetsAvailable() || m_component.IsDestroying())
        return;
    const bool wanted = m_display.wanted();
    TVideoWindow& first = m_display.window(0);
    TVideoWindow& second = m_display.window(1);
    // Without video the main display shows the logo in the panel.
    const bool logo = !wanted && m_display.logoDisplayed() && !m_display.logo().isNull() && m_panel;
    // Both windows show the video only when both are active and window
    // transparency is off.
    const bool dual = first.GetBool(vwActive) && second.GetBool(vwActive) && !m_display.colorKey();
    if (wanted && first.GetBool(vwActive) && second.GetBool(vwActive) && m_display.colorKey())
        m_component.Report(true, sevError, QStringLiteral("window transparency incompatible with dual display"),
                           e_incompatible_options);
    const QSize source = m_display.sourceSize();
    for (int i = 0; i < 2; ++i) {
        TVideoWindow& w = m_display.window(i);
        const bool shown = (wanted && w.GetBool(vwActive) && (i == 0 || dual || !first.GetBool(vwActive)))
                        || (i == 0 && logo && w.GetBool(vwEmbedded));
        TDisplayForm* form = m_forms[size_t(i)];
        if (!shown) {
            if (form)
                form->hide();
            continue;
        }
        if (!form) {
            form = new TDisplayForm(*this, m_display, w);
            form->setBackground(m_display.background());
            m_forms[size_t(i)] = form;
        }
        const bool full = w.GetBool(vwFullScreen) && wanted;
        const bool embedded = w.GetBool(vwEmbedded) && !full;
        if (embedded) {
            if (!m_panel) {
                form->hide();
                continue;
            }
            if (form->parentWidget() != m_panel)
                form->setParent(m_panel, Qt::Widget);
            // A panel that no layout manages takes the video's size.
            QWidget* host = m_panel->parentWidget();
            const bool managed = host && host->layout() && host->layout()->indexOf(m_panel) >= 0;
            if (wanted && w.GetBool(vwAutoSize) && !managed && source.isValid() && !m_layingOut) {
                m_layingOut = true;
                m_panel->resize(ZoomedVideoSize(source, m_display.zoom()));
                m_layingOut = false;
            }
            form->setGeometry(m_panel->rect());
        } else {
            Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
            if (w.GetBool(vwStayOnTop))
                flags |= Qt::WindowStaysOnTopHint;
            if (form->parentWidget() || form->windowFlags() != flags)
                form->setParent(nullptr, flags);
            if (full) {
                form->setGeometry(FullScreenRect(w.GetInt(vwMonitor), monitorRects(), wholeScreen()));
            } else {
                const QSize size = w.GetBool(vwAutoSize) && source.isValid()
                                     ? ZoomedVideoSize(source, m_display.zoom())
                                     : QSize(w.GetInt(vwWidth), w.GetInt(vwHeight));
                form->setGeometry(
                    QRect(monitorOrigin(w.GetInt(vwMonitor)) + QPoint(w.GetInt(vwLeft), w.GetInt(vwTop)), size));
            }
        }
        w.laidOut();
        form->show();
        if (full)
            form->setFocus();
    }
}

void VideoDisplayWindows::mouse(TDisplayForm* form, int kind, QMouseEvent* event)
{
    if (m_component.IsDestroying())
        return;
    TVideoWindow& w = form->window();
    const int index = w.number();
    const bool moving = w.GetBool(vwMouseMovesWindow) && !w.GetBool(vwFullScreen) && !w.GetBool(vwEmbedded);
    const QPoint global = event->globalPosition().toPoint();
    const QPoint at = event->position().toPoint();
    if (!m_component.IsGraphActive()) {
        // The logo: no window of the video, positions as received.
        if (kind == TDisplayForm::Down)
            emit m_component.OnMouseDown(-1, event->button(), event->modifiers(), at.x(), at.y());
        else if (kind == TDisplayForm::Move)
            emit m_component.OnMouseMove(-1, event->modifiers(), at.x(), at.y());
        else
            emit m_component.OnMouseUp(-1, event->button(), event->modifiers(), at.x(), at.y());
        return;
    }
    if (moving) {
        // A floating window follows the mouse; the host sees no events.
        if (kind == TDisplayForm::Down) {
            m_dragStart = global;
        } else if (kind == TDisplayForm::Move && m_dragStart.x() >= 0 && (event->buttons() & Qt::LeftButton)) {
            const QPoint moved = form->pos() + (global - m_dragStart);
            form->move(moved);
            const QPoint origin = monitorOrigin(w.GetInt(vwMonitor));
            w.store(vwLeft, moved.x() - origin.x());
            w.store(vwTop, moved.y() - origin.y());
            m_dragStart = global;
        } else if (kind == TDisplayForm::Up) {
            m_dragStart = QPoint(-1, -1);
        }
        return;
    }
    // Press, move and release report positions in one system: window pixels,
    // or video pixels when translated (nothing outside the picture).
    QPoint reported = at;
    if (m_display.translateMouse() && !form->frame().isNull()) {
        const auto video = WindowToVideo(at, form->pictureRect(), form->frame().size());
        if (!video)
            return;
        reported = *video;
    }
    switch (kind) {
    case TDisplayForm::Down:
        emit m_component.OnMouseDown(index, event->button(), event->modifiers(), reported.x(), reported.y());
        break;
    case TDisplayForm::Move: emit m_component.OnMouseMove(index, event->modifiers(), reported.x(), reported.y()); break;
    case TDisplayForm::Up:
        emit m_component.OnMouseUp(index, event->button(), event->modifiers(), reported.x(), reported.y());
        break;
    }
}

void VideoDisplayWindows::key(TDisplayForm* form, QKeyEvent* event)
{
    if (m_component.IsDestroying())
        return;
    TVideoWindow& w = form->window();
    // The key of this press, not the one before it.
    const QString text = event->text();
    QChar key = event->key() == Qt::Key_Escape ? QChar(27) : text.isEmpty() ? QChar() : text.at(0);
    w.setLastKey(key);
    emit m_component.OnKeyPress(w.number(), &key, event->key(), event->modifiers());
    if (event->key() == Qt::Key_Escape || key == QChar(27))
        w.SetBool(vwFullScreen, false);
}

void VideoDisplayWindows::clicked()
{
    emit m_component.OnClick();
}

void VideoDisplayWindows::doubleClicked()
{
    emit m_component.OnDblClick();
}

} // namespace velmar::video::ui
