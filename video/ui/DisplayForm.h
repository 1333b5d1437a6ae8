#pragma once
// A display window of the video component: a borderless widget that paints
// the newest frame into its picture rectangle (the aspect ratio kept when
// asked) on the background colour, or the component's logo while it has no
// frame. Its mouse and key events go to the display windows, which raise them
// to the host. Works on any desktop and offscreen.
//
// User-interface thread only.
#include <QImage>
#include <QWidget>

namespace velmar::video {
class TVideoWindow;
class PreviewDisplay;
} // namespace velmar::video

namespace velmar::video::ui {

class VideoDisplayWindows;

class TDisplayForm : public QWidget {
    Q_OBJECT
public:
    TDisplayForm(VideoDisplayWindows& owner, const PreviewDisplay& display, TVideoWindow& window);

    TVideoWindow& window() const { return m_window; }
    void setFrame(const QImage& frame);
    void clearFrame();
    QImage frame() const { return m_frame; }
    void setBackground(const QColor& color);
    // Where the video lies inside the window.
    QRect pictureRect() const;
    // Frames painted since the window was made.
    qint64 paintedFrames() const { return m_painted; }

    enum MouseKind { Down, Move, Up };

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    VideoDisplayWindows& m_owner;
    const PreviewDisplay& m_display;
    TVideoWindow& m_window;
    QImage m_frame;
    QColor m_background = Qt::black;
    qint64 m_painted = 0;
};

} // namespace velmar::video::ui
