// The members of the video component that take widgets: only programs with
// windows hand it a panel or a track bar, and they link these.
#include "DisplayWindows.h"
#include "video/Ombrix.h"

#include <QSignalBlocker>
#include <QSlider>

namespace velmar::video {

namespace {
// The host's track bar: it follows the frames played and, moved while the
// clip is paused, moves the clip to its frame.
class SliderTrackBar : public QObject, public ClipTrackBar {
public:
    SliderTrackBar(TOmbrix& component, QSlider* bar) : m_bar(bar)
    {
        connect(bar, &QSlider::valueChanged, this, [&component](int frame) {
            if (component.IsPlayerPaused())
                component.SetPlayerFramePosition(frame);
        });
    }

    void follow(bool open, qint64 frameCount, qint64 position) override
    {
        if (!m_bar)
            return;
        const QSignalBlocker ownMove(m_bar);
        if (!open) {
            m_bar->setValue(0);
            return;
        }
        m_bar->setRange(1, int(std::min<qint64>(frameCount, INT_MAX)));
        m_bar->setSingleStep(1);
        m_bar->setPageStep(1);
        m_bar->setValue(int(position));
    }
    QSlider* bar() const override { return m_bar; }

private:
    QPointer<QSlider> m_bar;
};
} // namespace

void TOmbrix::setPanel(QWidget* panel)
{
    auto* windows = dynamic_cast<ui::VideoDisplayWindows*>(m_display.windows());
    if (!windows) {
        auto made = std::make_unique<ui::VideoDisplayWindows>(*this, m_display);
        windows = made.get();
        m_display.setWindows(std::move(made));
    }
    windows->setPanel(panel);
}

void TOmbrix::setPlayerTrackBar(QSlider* bar)
{
    m_player.trackBar.reset();
    if (!bar)
        return;
    m_player.trackBar = std::make_unique<SliderTrackBar>(*this, bar);
    followTrackBar();
}

} // namespace velmar::video
