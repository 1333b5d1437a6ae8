#include "forms/ButtonPorts.h"

#include "platform/MessageBus.h"
#include "platform/ProgramClock.h"
#include "store/RecordWriters.h"

namespace velmar::forms {

namespace {

ButtonPressPorts defaultPorts()
{
    ButtonPressPorts p;
    p.pollGps = [] { store::RequestGpsPoll(); };
    p.programTime = [] {
        platform::SystemTime t;
        platform::GetProgramTime(&t);
        return t;
    };
    p.broadcast = [](const QString& message, quint64 wParam, qint64 lParam) {
        platform::MessageBus::instance().broadcast(message, wParam, lParam);
    };
    return p;
}

} // namespace

ButtonPressPorts& buttonPressPorts()
{
    static ButtonPressPorts ports = defaultPorts();
    return ports;
}

void ResetButtonPressPorts()
{
    buttonPressPorts() = defaultPorts();
}

} // namespace velmar::forms
