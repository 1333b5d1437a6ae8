#pragma once
// The multichannel back-end (the ASIO kind of the settings, DeviceType 11):
// a client of the JACK server. One input port per scan slot, connected to the
// server's capture port of the slot's channel (channel c is the (c+1)-th
// capture port); the process callback converts to int16 and hands whole
// periods over through a RingInput. The server's rate is the rate of the
// streams; a server that runs at another rate than the settings say is
// reported to the engine, which publishes it.
//
// Acquisition thread only, apart from the callbacks of the JACK thread.
#include "pipeserver/AcquisitionDevice.h"

#include <QString>

#include <memory>

namespace velmar::pipeserver {

class JackInput : public AcquisitionDevice {
public:
    // sourcePorts: a regular expression for the ports to read, in order (the
    // server's physical capture ports when empty).
    explicit JackInput(QString sourcePorts = {});
    ~JackInput() override;
    void start(const PipeSettings& settings, DeviceEvents& events) override;
    void stop() override;

    // The name under which the settings list the JACK server.
    static QString driverName();

    struct State;

private:
    QString close(); // the reason when it did not go cleanly

    QString m_sourcePorts;
    DeviceEvents* m_events = nullptr;
    std::unique_ptr<State> m_state;
};

} // namespace velmar::pipeserver
