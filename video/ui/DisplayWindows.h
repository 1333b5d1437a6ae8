#pragma once
// The display windows of a video component: which window shows the frames,
// where it lies (embedded in the host's panel, floating, or covering a
// monitor), and the mouse and key events passed on to the host. Made for a
// component when it is given a panel.
//
// User-interface thread only.
#include "video/PreviewDisplay.h"

#include <QObject>
#include <QPoint>
#include <QPointer>

class QKeyEvent;
class QMouseEvent;

namespace velmar::video {
class TOmbrix;
}

namespace velmar::video::ui {

class VideoDisplayWindows : public QObject, public DisplayWindows {
    Q_OBJECT
public:
    VideoDisplayWindows(TOmbrix& component, PreviewDisplay& display);
    ~VideoDisplayWindows() override;

    void setPanel(QWidget* panel);

    void layout() override;
    void showFrame(const QImage& frame) override;
    void hide() override;
    void repaint() override;
    void setBackground(const QColor& color) override;
    TDisplayForm* form(int window) const override;
    QWidget* panel() const override { return m_panel; }

    // From the windows.
    void mouse(TDisplayForm* form, int kind, QMouseEvent* event);
    void key(TDisplayForm* form, QKeyEvent* event);
    void clicked();
    void doubleClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TOmbrix& m_component;
    PreviewDisplay& m_display;
    std::array<QPointer<TDisplayForm>, 2> m_forms;
    QPointer<QWidget> m_panel;
    QPoint m_dragStart{-1, -1};
    bool m_layingOut = false;
};

} // namespace velmar::video::ui
