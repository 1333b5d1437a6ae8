#pragma once
// Which frames a burst capture takes: every frame, or one and then
// `interval` skipped; `count` frames in all (0 without end), after which the
// burst switches itself off. Pure logic; the caller serialises the calls.
namespace velmar::video {

class BurstSchedule {
public:
    enum Outcome { Skipped, Pending, Ended };

    // Switching the burst on starts with the next frame.
    void switchOn(int count)
    {
        m_on = true;
        m_remaining = count;
        m_countdown = 0;
    }
    void switchOff() { m_on = false; }
    // A new graph starts the interval over.
    void loadForGraph(int count, int interval)
    {
        m_remaining = count;
        m_countdown = interval;
    }
    bool isOn() const { return m_on; }

    // One frame that could be taken. Ended: the frame was taken but the
    // burst is over (it is not saved) and switched off.
    Outcome frame(int count, int interval)
    {
        if (!m_on)
            return Skipped;
        if (interval > 0) {
            if (m_countdown > 0) {
                --m_countdown;
                return Skipped;
            }
            m_countdown = interval;
        }
        if (count <= 0)
            return Pending;
        if (m_remaining > 0) {
            --m_remaining;
            return Pending;
        }
        m_on = false;
        return Ended;
    }

private:
    bool m_on = false;
    int m_remaining = 0;
    int m_countdown = 0;
};

} // namespace velmar::video
