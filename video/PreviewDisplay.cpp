#include "PreviewDisplay.h"

#include <QGuiApplication>
#include <QScreen>

namespace velmar::video {

namespace {
constexpr int defaultVideoWidth = 320;
constexpr int defaultVideoHeight = 240;
constexpr int displayLeft = 10;
constexpr int dualDisplayLeft = 400;
constexpr int displayTop = 10;
constexpr int monitorsMax = 10;
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

PreviewDisplay::PreviewDisplay(Host host) : m_host(std::move(host))
{
    m_windows[0] = std::make_unique<TVideoWindow>(0, true, true, defaultVideoWidth, defaultVideoHeight, displayLeft,
                                                  displayTop, defaultVideoWidth, defaultVideoHeight);
    m_windows[1] = std::make_unique<TVideoWindow>(1, false, false, defaultVideoWidth, defaultVideoHeight,
                                                  dualDisplayLeft, displayTop, defaultVideoWidth, defaultVideoHeight);
    m_windows[0]->setPartner(m_windows[1].get());
    m_windows[1]->setPartner(m_windows[0].get());
    for (auto& w : m_windows)
        w->setChangeCallback(
            [this](TVideoWindow& window, TVideoWindowNotify index, int) { windowChanged(window, index); });
}

PreviewDisplay::~PreviewDisplay() = default;

void PreviewDisplay::setWindows(std::unique_ptr<DisplayWindows> windows)
{
    m_shown = std::move(windows);
}

TDisplayForm* PreviewDisplay::form(int window) const
{
    return m_shown && (window == 0 || window == 1) ? m_shown->form(window) : nullptr;
}

QWidget* PreviewDisplay::panel() const
{
    return m_shown ? m_shown->panel() : nullptr;
}

void PreviewDisplay::setBackground(const QColor& color)
{
    m_background = color;
    if (m_shown)
        m_shown->setBackground(color);
}

void PreviewDisplay::setZoom(int percent)
{
    if (percent < 1)
        return;
    m_zoom = percent;
    layout();
}

void PreviewDisplay::setLogoDisplayed(bool on)
{
    if (on == m_logoDisplayed)
        return;
    m_logoDisplayed = on;
    layout();
    if (m_shown)
        m_shown->repaint();
}

void PreviewDisplay::setLogoLayout(TLogoLayout layout)
{
    if (layout >= lg_Centered && layout <= lg_Repeated)
        m_logoLayout = layout;
}

bool PreviewDisplay::setLogo(const QImage& image)
{
    if (image.isNull())
        return false;
    m_logo = image;
    layout();
    if (m_shown)
        m_shown->repaint();
    return true;
}

void PreviewDisplay::windowChanged(TVideoWindow& window, TVideoWindowNotify index)
{
    // Moves and sizes of a full-screen window wait until it leaves full screen.
    if (window.GetBool(vwFullScreen) && m_host.running()
        && (index == vwAutoSize || index == vwEmbedded || index == vwMouseMovesWindow || index == vwLocation
            || index == vwLeft || index == vwTop || index == vwWidth || index == vwHeight))
        return;
    layout();
}

bool PreviewDisplay::offerFrame(const QImage& frame)
{
    if (!m_active)
        return false;
    {
        QMutexLocker locker(&m_frameLock);
        m_frame = frame.copy();
    }
    return !m_posted.exchange(true);
}

void PreviewDisplay::showNewest()
{
    m_posted = false;
    QImage frame;
    {
        QMutexLocker locker(&m_frameLock);
        frame = std::exchange(m_frame, QImage());
    }
    if (frame.isNull() || !wanted())
        return;
    if (frame.size() != m_sourceSize) {
        m_sourceSize = frame.size();
        for (auto& w : m_windows) {
            w->SetInt(vwVideoWidth, m_sourceSize.width());
            w->SetInt(vwVideoHeight, m_sourceSize.height());
        }
        m_host.resized(m_sourceSize);
        layout();
    }
    if (m_shown)
        m_shown->showFrame(frame);
}

void PreviewDisplay::layout()
{
    if (m_shown)
        m_shown->layout();
}

void PreviewDisplay::hide()
{
    m_active = false;
    if (m_shown)
        m_shown->hide();
}

} // namespace velmar::video
