#pragma once
// The timers of the main window, by their design ids (555 to 560), each with
// the work it does once per period.
//
// A timer runs on the owner's thread through Qt's timer events. Tests make
// the timers manual: nothing then fires by itself, and Tick(id) stands for
// one period of a running timer.
//
// User-interface thread only.
#include <QObject>

#include <functional>
#include <map>

namespace velmar::shell {

class MainTimers : public QObject {
    Q_OBJECT
public:
    explicit MainTimers(QObject* parent = nullptr);
    ~MainTimers() override;

    // The work of timer id, run once per period.
    void SetWork(int id, std::function<void()> work);

    // Starts (or restarts with a new period) and stops a timer.
    void Start(int id, int periodMs);
    void Stop(int id);
    bool IsRunning(int id) const;
    // The period of a running timer, 0 when it is stopped.
    int Period(int id) const;

    // One period of a running timer went by: its work runs once. A stopped
    // timer does nothing.
    void Tick(int id);

    // Manual timers (tests): Start only records the period.
    void SetManual(bool manual) { m_manual = manual; }
    // The default for timers made from now on (a test sets it before the
    // main window is built).
    static void SetManualByDefault(bool manual);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    struct Running {
        int period = 0;
        int qtId = 0;
    };
    std::map<int, std::function<void()>> m_work;
    std::map<int, Running> m_running;
    bool m_manual;
};

} // namespace velmar::shell
