// The component's display windows: which window shows the frames, where it
// lies (embedded in the host's panel, floating, or covering a monitor), the
// frames handed over from the streaming thread, and the mouse and key events
// passed on to the host.
#include "DisplayForm.h"
#include "DisplayGeometry.h"
#include "Ombrix.h"
#include "PictureCodec.h"
#include "ProcessLog.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QScreen>

namespace velmar::video {

namespace {
constexpr int defaultVideoWidth = 320;
constexpr int defaultVideoHeight = 240;
constexpr int displayLeft = 10;
constexpr int dualDisplayLeft = 400;
constexpr int displayTop = 10;

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

constexpr int monitorsMax = 10;

QPoint monitorOrigin(int monitor)
{
    const QList<QRect> rects = monitorRects();
    return monitor >= 0 && monitor < rects.size() ? rects.at(monitor).topLeft() : QPoint();
}
} // namespace

int MonitorsCount()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
             ? int(std::min<qsizetype>(QGuiApplication::screens().size(), monitorsMax))
             : 0;
}

bool MonitorBounds(int index, QRect* bounds)
{
    if (index < 0 || index >= MonitorsCount())
        return false;
    if (bounds)
        *bounds = QGuiApplication::screens().at(index)->geometry();
    return true;
}

void TOmbrix::createWindows()
{
    m_windows[0] = std::make_unique<TVideoWindow>(0, true, true, defaultVideoWidth, defaultVideoHeight, displayLeft,
                                                  displayTop, defaultVideoWidth, defaultVideoHeight);
    m_windows[1] = std::make_unique<TVideoWindow>(1, false, false, defaultVideoWidth, defaultVideoHeight,
                                                  dualDisplayLeft, displayTop, defaultVideoWidth, defaultVideoHeight);
    m_windows[0]->setPartner(m_windows[1].get());
    m_windows[1]->setPartner(m_windows[0].get());
    for (auto& w : m_windows)
        w->setChangeCallback([this](TVideoWindow& window, TVideoWindowNotify index, int value) {
            onWindowChanged(window, index, value);
        });
}

TDisplayForm* TOmbrix::DisplayForm(int window) const
{
    return window == 0 || window == 1 ? m_forms[size_t(window)].data() : nullptr;
}

void TOmbrix::setPanel(QWidget* panel)
{
    if (m_panel)
        m_panel->removeEventFilter(this);
    m_panel = panel;
    if (m_panel)
        m_panel->installEventFilter(this);
    layoutDisplays();
}

bool TOmbrix::eventFilter(QObject* watched, QEvent* event)
{
    // An embedded window fills the panel.
    if (watched == m_panel && event->type() == QEvent::Resize)
        layoutDisplays();
    return QObject::eventFilter(watched, event);
}

void TOmbrix::setBackgroundColor(const QColor& color)
{
    m_backgroundColor = color;
    for (const auto& f : m_forms)
        if (f)
            f->setBackground(color);
}

void TOmbrix::setPreviewZoomSize(int percent)
{
    if (percent < 1)
        return;
    m_previewZoom = percent;
    layoutDisplays();
}

void TOmbrix::setColorKeyEnabled(bool on)
{
    if (on == m_colorKeyEnabled)
        return;
    m_colorKeyEnabled = on;
    RefreshPreview(QStringLiteral("ColorKeyEnabled"));
}

void TOmbrix::SetColorKeys(quint32, quint32)
{
    // Frames are painted by the display windows; no overlay surface takes a
    // colour key.
    if (m_colorKeyEnabled)
        Report(true, sevWarning, QStringLiteral("cannot use color key"), w_cannot_use_color_key);
}

void TOmbrix::setLogoDisplayed(bool on)
{
    if (on == m_logoDisplayed || m_destroying)
        return;
    m_logoDisplayed = on;
    layoutDisplays();
    for (const auto& f : m_forms)
        if (f)
            f->update();
}

void TOmbrix::setLogoLayout(TLogoLayout layout)
{
    if (layout >= lg_Centered && layout <= lg_Repeated)
        m_logoLayout = layout;
}

bool TOmbrix::SetLogoFromImage(const QImage& image)
{
    if (image.isNull())
        return false;
    m_logo = image;
    layoutDisplays();
    for (const auto& f : m_forms)
        if (f)
            f->update();
    return true;
}

bool TOmbrix::SetLogoFromBMPFile(const QString& fileName)
{
    if (!QFile::exists(fileName))
        return false;
    return SetLogoFromImage(QImage(fileName, "BMP"));
}

bool TOmbrix::SetLogoFromJPEGFile(const QString& fileName)
{
    if (!QFile::exists(fileName))
        return false;
    return SetLogoFromImage(ReadJpegFile(fileName, nullptr));
}

bool TOmbrix::displaysWanted() const
{
    return m_frozen.frozen && m_frozen.display
        && (m_currentState == cs_Preview || m_currentState == cs_Recording || m_currentState == cs_Playback);
}

void TOmbrix::onWindowChanged(TVideoWindow& window, TVideoWindowNotify index, int)
{
    // Moves and sizes of a full-screen window wait until it leaves full screen.
    const bool running = m_currentState == cs_Preview || m_currentState == cs_Recording
                      || m_currentState == cs_Playback;
    if (window.GetBool(vwFullScreen) && running
        && (index == vwAutoSize || index == vwEmbedded || index == vwMouseMovesWindow || index == vwLocation
            || index == vwLeft || index == vwTop || index == vwWidth || index == vwHeight))
        return;
    layoutDisplays();
}

void TOmbrix::updateDisplays()
{
    m_displayPosted = false;
    QImage frame;
    {
        QMutexLocker locker(&m_displayLock);
        frame = std::exchange(m_displayFrame, QImage());
    }
    if (frame.isNull() || !displaysWanted())
        return;
    if (frame.size() != m_sourceSize) {
        m_sourceSize = frame.size();
        for (auto& w : m_windows) {
            w->SetInt(vwVideoWidth, m_sourceSize.width());
            w->SetInt(vwVideoHeight, m_sourceSize.height());
        }
        emit OnResizeVideo(m_sourceSize.width(), m_sourceSize.height());
        layoutDisplays();
    }
    for (const auto& f : m_forms)
        if (f && f->isVisible())
            f->setFrame(frame);
}

void TOmbrix::hideDisplays()
{
    m_displayActive = false;
    for (const auto& f : m_forms)
        if (f) {
            f->clearFrame();
            f->hide();
        }
}

void TOmbrix::layoutDisplays()
{
    if (!widgetsAvailable() || m_destroying || !m_windows[0])
        return;
    const bool wanted = displaysWanted();
    // Without video the main display shows the logo in the panel.
    const bool logo = !wanted && m_logoDisplayed && !m_logo.isNull() && m_panel;
    // Both windows show the video only when both are active and window
    // transparency is off.
    const bool dual = m_windows[0]->GetBool(vwActive) && m_windows[1]->GetBool(vwActive) && !m_colorKeyEnabled;
    if (wanted && m_windows[0]->GetBool(vwActive) && m_windows[1]->GetBool(vwActive) && m_colorKeyEnabled)
        Report(true, sevError, QStringLiteral("window transparency incompatible with dual display"),
               e_incompatible_options);
    for (size_t i = 0; i < m_windows.size(); ++i) {
        TVideoWindow& w = *m_windows[i];
        const bool shown = (wanted && w.GetBool(vwActive) && (i == 0 || dual || !m_windows[0]->GetBool(vwActive)))
                        || (i == 0 && logo && w.GetBool(vwEmbedded));
        TDisplayForm* form = m_forms[i];
        if (!shown) {
            if (form)
                form->hide();
            continue;
        }
        if (!form) {
            form = new TDisplayForm(*this, w);
            form->setBackground(m_backgroundColor);
            m_forms[i] = form;
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
            if (wanted && w.GetBool(vwAutoSize) && !managed && m_sourceSize.isValid() && !m_layingOut) {
                m_layingOut = true;
                m_panel->resize(ZoomedVideoSize(m_sourceSize, m_previewZoom));
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
                const QSize size = w.GetBool(vwAutoSize) && m_sourceSize.isValid()
                                     ? ZoomedVideoSize(m_sourceSize, m_previewZoom)
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

void TOmbrix::displayMouse(TDisplayForm* form, int kind, QMouseEvent* event)
{
    if (m_destroying)
        return;
    TVideoWindow& w = form->window();
    const int index = w.number();
    const bool moving = w.GetBool(vwMouseMovesWindow) && !w.GetBool(vwFullScreen) && !w.GetBool(vwEmbedded);
    const QPoint global = event->globalPosition().toPoint();
    const QPoint at = event->position().toPoint();
    if (!m_graphActive) {
        // The logo: no window of the video, positions as received.
        if (kind == TDisplayForm::Down)
            emit OnMouseDown(-1, event->button(), event->modifiers(), at.x(), at.y());
        else if (kind == TDisplayForm::Move)
            emit OnMouseMove(-1, event->modifiers(), at.x(), at.y());
        else
            emit OnMouseUp(-1, event->button(), event->modifiers(), at.x(), at.y());
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
    if (m_translateMouse && !form->frame().isNull()) {
        const auto video = WindowToVideo(at, form->pictureRect(), form->frame().size());
        if (!video)
            return;
        reported = *video;
    }
    switch (kind) {
    case TDisplayForm::Down:
        emit OnMouseDown(index, event->button(), event->modifiers(), reported.x(), reported.y());
        break;
    case TDisplayForm::Move: emit OnMouseMove(index, event->modifiers(), reported.x(), reported.y()); break;
    case TDisplayForm::Up:
        emit OnMouseUp(index, event->button(), event->modifiers(), reported.x(), reported.y());
        break;
    }
}

void TOmbrix::displayKey(TDisplayForm* form, QKeyEvent* event)
{
    if (m_destroying)
        return;
    TVideoWindow& w = form->window();
    // The key of this press, not the one before it.
    const QString text = event->text();
    QChar key = event->key() == Qt::Key_Escape ? QChar(27) : text.isEmpty() ? QChar() : text.at(0);
    w.setLastKey(key);
    emit OnKeyPress(w.number(), &key, event->key(), event->modifiers());
    if (event->key() == Qt::Key_Escape || key == QChar(27))
        w.SetBool(vwFullScreen, false);
}

} // namespace velmar::video
