#pragma once
// A device that answers start and stop only when the test says so, and
// delivers the blocks the test gives it.
#include "pipeserver/AcquisitionDevice.h"

#include <memory>
#include <vector>

namespace velmar::pipeserver::testing {

struct FakeDeviceScript {
    DeviceEvents* events = nullptr; // the engine, once a device was started
    int starts = 0;
    int stops = 0;
    bool startPending = false;
    bool stopPending = false;
    bool live = false; // made and not destroyed yet
};

class FakeDevice : public AcquisitionDevice {
public:
    explicit FakeDevice(std::shared_ptr<FakeDeviceScript> script) : m_script(std::move(script))
    {
        m_script->live = true;
    }
    ~FakeDevice() override { m_script->live = false; }
    void start(const PipeSettings&, DeviceEvents& events) override
    {
        m_script->events = &events;
        ++m_script->starts;
        m_script->startPending = true;
    }
    void stop() override
    {
        ++m_script->stops;
        m_script->stopPending = true;
    }

private:
    std::shared_ptr<FakeDeviceScript> m_script;
};

} // namespace velmar::pipeserver::testing
