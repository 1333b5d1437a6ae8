#pragma once
// The display side of the video component, without widgets: the wanted state
// of its two display windows, the background colour, zoom, logo and mouse
// settings, the size of the source, and the newest frame handed over from the
// streaming thread. The windows that paint the frames (video/ui) sit behind
// DisplayWindows; a component that never gets a panel has none, and its
// frames go nowhere.
//
// User-interface thread, except offerFrame (the streaming thread).
#include "VideoTypes.h"
#include "VideoWindow.h"

#include <QColor>
#include <QImage>
#include <QMutex>
#include <QSize>
#include <array>
#include <atomic>
#include <functional>
#include <memory>

class QWidget;

namespace velmar::video {

namespace ui {
class TDisplayForm;
}
using ui::TDisplayForm;

// The windows that show the frames.
class DisplayWindows {
public:
    virtual ~DisplayWindows() = default;
    // Shows, hides and places the windows as their wanted state says.
    virtual void layout() = 0;
    // Paints a frame in every visible window.
    virtual void showFrame(const QImage& frame) = 0;
    // Clears and hides every window.
    virtual void hide() = 0;
    // Paints the windows again (the logo changed).
    virtual void repaint() = 0;
    virtual void setBackground(const QColor& color) = 0;
    virtual TDisplayForm* form(int window) const = 0;
    virtual QWidget* panel() const = 0;
};

class PreviewDisplay {
public:
    struct Host {
        // The running graph shows its frames.
        std::function<bool()> wanted;
        // A preview, recording or playback runs.
        std::function<bool()> running;
        // The source's frames changed size.
        std::function<void(QSize size)> resized;
    };
    explicit PreviewDisplay(Host host);
    ~PreviewDisplay();

    TVideoWindow& window(int index) { return *m_windows[size_t(index)]; }
    const TVideoWindow& window(int index) const { return *m_windows[size_t(index)]; }
    bool wanted() const { return m_host.wanted(); }

    void setWindows(std::unique_ptr<DisplayWindows> windows);
    DisplayWindows* windows() const { return m_shown.get(); }
    TDisplayForm* form(int window) const;
    QWidget* panel() const;

    QColor background() const { return m_background; }
    void setBackground(const QColor& color);
    int zoom() const { return m_zoom; }
    void setZoom(int percent);
    bool translateMouse() const { return m_translateMouse; }
    void setTranslateMouse(bool on) { m_translateMouse = on; }
    bool colorKey() const { return m_colorKey; }
    void setColorKey(bool on) { m_colorKey = on; }
    bool logoDisplayed() const { return m_logoDisplayed; }
    void setLogoDisplayed(bool on);
    TLogoLayout logoLayout() const { return m_logoLayout; }
    void setLogoLayout(TLogoLayout layout);
    QImage logo() const { return m_logo; }
    bool setLogo(const QImage& image);
    QSize sourceSize() const { return m_sourceSize; }

    // Frames are handed over while the running graph shows them.
    void setActive(bool on) { m_active = on; }
    // The streaming thread's frame; true when the user-interface thread
    // must be woken for it (one handover waits at a time: a slow display
    // drops frames).
    bool offerFrame(const QImage& frame);
    // The user-interface thread: shows the frame handed over last.
    void showNewest();
    void layout();
    // Stops the handover and hides the windows.
    void hide();

private:
    void windowChanged(TVideoWindow& window, TVideoWindowNotify index);

    Host m_host;
    std::array<std::unique_ptr<TVideoWindow>, 2> m_windows;
    std::unique_ptr<DisplayWindows> m_shown;
    QColor m_background = Qt::black;
    int m_zoom = 100;
    bool m_translateMouse = true;
    bool m_colorKey = false;
    bool m_logoDisplayed = false;
    TLogoLayout m_logoLayout = lg_Stretched;
    QImage m_logo;
    QSize m_sourceSize;
    QMutex m_frameLock;
    QImage m_frame; // under the frame lock
    std::atomic<bool> m_posted{false};
    std::atomic<bool> m_active{false};
};

} // namespace velmar::video
