#pragma once
// TWhistleForm: the "Whistles" tab, a read-out of what the whistle detector
// reported within the warning time: how many whistles, whistle events and
// harmonic events, and when the newest of each arrived. It counts the recent
// lists with the same functions as the traffic light, every two seconds while
// it is shown and at once when it is shown.
//
// User-interface thread only; a child of the window given (Qt ownership).
#include <QBasicTimer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>

namespace velmar::forms {

inline constexpr int kWhistleCountEdit = 31260;
inline constexpr int kWhistleTimeEdit = 31261;
inline constexpr int kWhistleEventCountEdit = 31262;
inline constexpr int kWhistleEventTimeEdit = 31263;
inline constexpr int kHarmonicCountEdit = 31264;
inline constexpr int kHarmonicTimeEdit = 31265;
inline constexpr int kWhistleRefreshMs = 2000;

class TWhistleForm : public QWidget {
    Q_OBJECT
public:
    // warningMinutes: default the settings block's warning time.
    explicit TWhistleForm(QWidget* parent, std::function<int32_t()> warningMinutes = {});

    // Moves into the rectangle less 2 pixels on every side.
    void Place(int left, int top, int right, int bottom);
    // Counts the lists into the read-outs.
    void Refresh();
    bool RefreshTimerActive() const { return m_timer.isActive(); }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    int AddDetectionGroup(const QString& title, int y, int countId, int timeId);

    std::function<int32_t()> m_warningMinutes;
    QBasicTimer m_timer;
    QString m_lastShown; // the read-out last logged
};

} // namespace velmar::forms
