#pragma once
// An in-memory V4L2 device for tests: scripted controls, inputs, standards
// and a tuner, every write recorded, and calls that can be made to fail.
// The state is shared so that a test can look at it after the component has
// taken the device.
#include "video/V4l2Device.h"

#include <QMap>
#include <QPair>
#include <QSet>
#include <linux/videodev2.h>
#include <memory>

namespace velmar::video::testing {

struct FakeV4l2State {
    QList<V4l2Control> controls;
    QMap<quint32, int> values;
    QList<V4l2Input> inputs;
    int input = 0;
    QList<V4l2Standard> standards;
    quint64 standard = 0;
    bool hasTuner = false;
    V4l2Tuner tuner;
    quint32 frequency = 0;
    QSet<quint32> failingControls;
    bool failInput = false;
    // Every write, in order: control writes as (id, value); inputs as
    // (0, index); standards as (1, low bits); frequencies as (2, hertz).
    QList<QPair<quint32, qint64>> writes;

    void addControl(quint32 id, const QString& name, V4l2Control::Type type, int min, int max, int step, int def,
                    int value, QStringList menu = {})
    {
        V4l2Control c;
        c.id = id;
        c.name = name;
        c.type = type;
        c.minimum = min;
        c.maximum = max;
        c.step = step;
        c.defaultValue = def;
        c.menu = menu;
        controls << c;
        values[id] = value;
    }
    int writesOf(quint32 id) const
    {
        int n = 0;
        for (const auto& w : writes)
            n += w.first == id ? 1 : 0;
        return n;
    }
};

class FakeV4l2Device : public V4l2Device {
public:
    explicit FakeV4l2Device(std::shared_ptr<FakeV4l2State> state) : m_state(std::move(state)) {}

    QList<V4l2Control> controls() override { return m_state->controls; }
    bool getControl(quint32 id, int& value) override
    {
        if (!m_state->values.contains(id) || m_state->failingControls.contains(id))
            return false;
        value = m_state->values[id];
        return true;
    }
    bool setControl(quint32 id, int value) override
    {
        if (!m_state->values.contains(id) || m_state->failingControls.contains(id))
            return false;
        m_state->values[id] = value;
        m_state->writes << qMakePair(id, qint64(value));
        return true;
    }
    QList<V4l2Input> inputs() override { return m_state->inputs; }
    bool getInput(int& index) override
    {
        if (m_state->inputs.isEmpty())
            return false;
        index = m_state->input;
        return true;
    }
    bool setInput(int index) override
    {
        if (m_state->failInput || index < 0 || index >= m_state->inputs.size())
            return false;
        m_state->input = index;
        m_state->writes << qMakePair(quint32(0), qint64(index));
        return true;
    }
    QList<V4l2Standard> standards() override { return m_state->standards; }
    bool getStandard(quint64& id) override
    {
        if (m_state->standards.isEmpty())
            return false;
        id = m_state->standard;
        return true;
    }
    bool setStandard(quint64 id) override
    {
        if (m_state->standards.isEmpty())
            return false;
        m_state->standard = id;
        m_state->writes << qMakePair(quint32(1), qint64(id));
        return true;
    }
    bool getTuner(int, V4l2Tuner& out) override
    {
        out = m_state->tuner;
        return m_state->hasTuner;
    }
    bool getFrequency(int, quint32& hz) override
    {
        hz = m_state->frequency;
        return m_state->hasTuner;
    }
    bool setFrequency(int, quint32 hz) override
    {
        if (!m_state->hasTuner)
            return false;
        m_state->frequency = hz;
        m_state->writes << qMakePair(quint32(2), qint64(hz));
        return true;
    }

private:
    std::shared_ptr<FakeV4l2State> m_state;
};

// A USB camera: picture controls with automatic gain and white balance,
// exposure with its automatic menu, focus, zoom and the flips; one input.
inline std::shared_ptr<FakeV4l2State> webcamState()
{
    auto s = std::make_shared<FakeV4l2State>();
    using T = V4l2Control;
    s->addControl(V4L2_CID_BRIGHTNESS, "Brightness", T::Integer, 0, 255, 1, 128, 100);
    s->addControl(V4L2_CID_CONTRAST, "Contrast", T::Integer, 0, 95, 1, 32, 32);
    s->addControl(V4L2_CID_AUTOGAIN, "Gain, Automatic", T::Boolean, 0, 1, 1, 1, 1);
    s->addControl(V4L2_CID_GAIN, "Gain", T::Integer, 0, 100, 1, 50, 64);
    s->addControl(V4L2_CID_AUTO_WHITE_BALANCE, "White Balance, Automatic", T::Boolean, 0, 1, 1, 1, 1);
    s->addControl(V4L2_CID_WHITE_BALANCE_TEMPERATURE, "White Balance Temperature", T::Integer, 2800, 6500, 10, 4600,
                  4600);
    s->addControl(V4L2_CID_EXPOSURE_AUTO, "Auto Exposure", T::Menu, 0, 3, 1, 3, 3,
                  {"", "Manual Mode", "", "Aperture Priority Mode"});
    s->addControl(V4L2_CID_EXPOSURE_ABSOLUTE, "Exposure Time, Absolute", T::Integer, 3, 2047, 1, 250, 250);
    s->addControl(V4L2_CID_FOCUS_AUTO, "Focus, Automatic Continuous", T::Boolean, 0, 1, 1, 1, 1);
    s->addControl(V4L2_CID_FOCUS_ABSOLUTE, "Focus, Absolute", T::Integer, 0, 250, 5, 0, 30);
    s->addControl(V4L2_CID_ZOOM_ABSOLUTE, "Zoom, Absolute", T::Integer, 100, 500, 1, 100, 100);
    s->addControl(V4L2_CID_HFLIP, "Horizontal Flip", T::Boolean, 0, 1, 1, 0, 0);
    s->inputs << V4l2Input{"Camera 1", false, 0, 0, false, false};
    return s;
}

// An analog capture card with a tuner, composite and S-Video inputs and a
// PAL, NTSC and SECAM decoder; no picture or camera controls.
inline std::shared_ptr<FakeV4l2State> tvCardState()
{
    auto s = std::make_shared<FakeV4l2State>();
    s->inputs << V4l2Input{"Television", true, 0, V4L2_STD_ALL, false, false}
              << V4l2Input{"Composite1", false, 0, V4L2_STD_ALL, false, false}
              << V4l2Input{"S-Video", false, 0, V4L2_STD_ALL, true, true};
    s->input = 1;
    s->standards << V4l2Standard{V4L2_STD_PAL_BG, "PAL-BG"} << V4l2Standard{V4L2_STD_NTSC_M, "NTSC-M"}
                 << V4l2Standard{V4L2_STD_SECAM_L, "SECAM-L"};
    s->standard = V4L2_STD_PAL_BG;
    s->hasTuner = true;
    s->tuner = V4l2Tuner{"Tuner", 44000000, 958000000, 65535};
    return s;
}

} // namespace velmar::video::testing
