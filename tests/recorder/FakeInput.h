#pragma once
// An input device in memory: the test pushes frames, as a sound card's
// callback would, or scripts a failing start.
#include "recorder/InputBackend.h"

#include <QString>

#include <atomic>
#include <vector>

namespace velmar::recorder::test {

struct FakeDevice {
    SampleRing* ring = nullptr;
    int channels = 0;
    bool failStart = false;
    int starts = 0;
    int stops = 0;
    bool running = false;
    bool openedTwice = false;          // a start while the device was running
    uint32_t grantedRate = 0;          // the rate the device really samples at (0: as asked)
    qint64 frame = 0;                  // frames pushed so far: the value of the next frame
    std::atomic<qint64> lostFrames{0}; // frames the device says it lost (read on the recorder thread)
    std::atomic<int> gaps{0};          // losses the device reported

    // Frame f carries f (mod 30000) on channel 0, its negation on channel 1
    // and the channel number on the others, so order and alignment show.
    void pushSeconds(double seconds, uint32_t rate)
    {
        const qint64 frames = qint64(seconds * rate);
        std::vector<int16_t> s(std::size_t(frames * channels));
        for (qint64 i = 0; i < frames; ++i, ++frame)
            for (int c = 0; c < channels; ++c)
                s[std::size_t(i * channels + c)] = c == 0 ? int16_t(frame % 30000)
                                                 : c == 1 ? int16_t(-(frame % 30000))
                                                          : int16_t(c * 100);
        ring->push(s.data(), s.size());
    }
};

class FakeInput : public InputBackend {
public:
    explicit FakeInput(FakeDevice& device) : m_device(device) {}
    bool prepare(AcquisitionSettings& settings) override
    {
        if (m_device.grantedRate)
            settings.sampleRate = m_device.grantedRate;
        return true;
    }
    bool start(AcquisitionSettings& settings, SampleRing& ring) override
    {
        ++m_device.starts;
        m_device.openedTwice |= m_device.running;
        if (m_device.failStart)
            return fail(QStringLiteral("The device is busy"), QStringLiteral("Error starting Soundcard"));
        m_device.ring = &ring;
        m_device.channels = settings.channels;
        m_device.running = true;
        return true;
    }
    void stop() override
    {
        if (m_device.running)
            ++m_device.stops;
        m_device.running = false;
    }

    qint64 lostFrames() const override { return m_device.lostFrames; }
    int gaps() const override { return m_device.gaps; }

private:
    FakeDevice& m_device;
};

} // namespace velmar::recorder::test
