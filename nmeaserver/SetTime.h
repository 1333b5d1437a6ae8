#pragma once
// The clock form: shows the PC's UTC time and the newest RMC's time, and on
// request sets the PC clock from the RMC that follows the confirmation. Armed
// by the first RMC after start, it sets the clock by itself, closes, and the
// main form then minimises the program.
//
// User-interface thread only. The clocks and the clock setter are injected so
// that the sequence can be tested without the privilege or a real GPS.
#include "nmeaserver/SystemClock.h"
#include "platform/SystemTime.h"

#include <QDialog>
#include <QTimer>

#include <chrono>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace velmar::nmeaserver {

class TSetTime : public QDialog {
    Q_OBJECT
public:
    static constexpr int PCTimerMs = 500;
    static constexpr int CloseTimerMs = 2000;
    static constexpr int MaxTimeErrors = 2;
    static constexpr int64_t WarnDifferenceSeconds = 604800; // one week

    using Clock = std::function<platform::SystemTime()>; // UTC now
    using Steady = std::function<std::chrono::steady_clock::time_point()>;
    using ClockSetter = std::function<QString(UtcTime)>; // empty: set
    using Confirmer = std::function<bool()>;             // the week question

    explicit TSetTime(QWidget* parent, Clock clock = &platform::SystemTime::nowUtc,
                      Steady steady = &std::chrono::steady_clock::now, ClockSetter setter = &setSystemClock,
                      Confirmer confirmer = {});

    void ArmClockSet(bool value) { m_setRequested = value; }
    // The main form: told after a set, so that it minimises the program.
    void SetTargetWindow(bool known) { m_targetWindow = known; }
    // Every RMC while the form is visible, with the moment it arrived.
    void NewRmc(const QByteArray& text, std::chrono::steady_clock::time_point arrived);
    void NewRmc(const QByteArray& text) { NewRmc(text, m_steady()); }
    bool ConfirmClockChange(const platform::SystemTime& time);

    void PCTimerTimer();
    void closeTimerTimer();
    void button_setnowClick() { m_setRequested = true; }

    bool setRequested() const { return m_setRequested; }
    bool confirmed() const { return m_confirmed; }
    bool setDone() const { return m_setDone; }
    bool closing() const { return m_closeTimer.isActive(); }

    QLineEdit* pcTime = nullptr;
    QLineEdit* gpsTime = nullptr;
    QLabel* errorText = nullptr;
    QPushButton* button_setnow = nullptr;
    QPushButton* button_cancel = nullptr;

signals:
    // Message 1279: the clock was set and the form closed.
    void clockSetDone();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    Clock m_clock;
    Steady m_steady;
    ClockSetter m_setter;
    Confirmer m_confirmer;
    QTimer m_pcTimer;
    QTimer m_closeTimer;
    bool m_setDone = false;
    bool m_confirmed = false;
    bool m_setRequested = false;
    bool m_targetWindow = false;
    int m_errorCount = 0;
    int m_confirming = 0;
};

} // namespace velmar::nmeaserver
