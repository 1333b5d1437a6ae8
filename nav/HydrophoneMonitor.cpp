#include "nav/HydrophoneMonitor.h"

#include "nav/EventWriters.h"
#include "settings/ProgramSettings.h"

namespace velmar::nav {

BoxLook PowerBoxLook(int state, bool watched)
{
    BoxLook look;
    switch (state) {
    case HydrophoneOn: look = {QStringLiteral("Power On"), 1}; break;
    case HydrophoneOff: look = {QStringLiteral("Power Off"), 4}; break;
    case HydrophoneUnknown: look = {QStringLiteral("Power Unknown"), 2}; break;
    default: look = {QStringLiteral("Power Error"), 2}; break;
    }
    if (!watched)
        look.colour = 1;
    return look;
}

BoxLook CableBoxLook(int state, bool watched)
{
    BoxLook look;
    switch (state) {
    case HydrophoneOn: look = {QStringLiteral("Cable Connected"), 1}; break;
    case HydrophoneOff: look = {QStringLiteral("Cable Disconnected"), 2}; break;
    case HydrophoneUnknown: look = {QStringLiteral("Cable Unknown"), 2}; break;
    default: look = {QStringLiteral("Cable Error"), 2}; break;
    }
    if (!watched)
        look.colour = 1;
    return look;
}

HydrophoneMonitor::HydrophoneMonitor()
{
    ports.writeRow = [](int power, int cable) { store::DbWriteHydrophoneState(power, cable); };
}

int HydrophoneMonitor::Setting(const std::function<int()>& port, int fallback) const
{
    return port ? port() : fallback;
}

void HydrophoneMonitor::CheckPowerAndCable()
{
    const store::ProgramSettings& s = store::TheProgramSettings;
    const int type = Setting(ports.boardType, s.IODeviceType);
    const int number = Setting(ports.boardNumber, s.IODeviceNumber);
    const int watched = Setting(ports.watched, s.PowerMonitor);
    const int powerLine = Setting(ports.powerLine, s.PowerMonitorChannel);
    const int cableLine = Setting(ports.cableLine, s.CableMonitorChannel);
    DigitalInput* input = ports.input ? ports.input() : nullptr;

    m_power = HydrophoneUnknown;
    m_cable = HydrophoneUnknown;
    if (!m_prepared || type != m_preparedType || number != m_preparedNumber) {
        m_prepared = true;
        m_preparedType = type;
        m_preparedNumber = number;
        std::vector<int> lines;
        if (watched & WatchPowerLine)
            lines.push_back(powerLine);
        if (watched & WatchCableLine)
            lines.push_back(cableLine);
        m_ready = input && (type == BoardMeasurementComputing || type == BoardNiDaq)
               && input->Prepare(type, number, lines);
    }
    if (m_ready && input && watched != 0) {
        // A line that cannot be read leaves its state undetermined.
        if (watched & WatchPowerLine) {
            if (const std::optional<int> line = input->ReadLine(type, number, powerLine))
                m_power = *line != 0 ? HydrophoneOff : HydrophoneOn;
        }
        if (watched & WatchCableLine) {
            if (m_power == HydrophoneOff)
                m_cable = HydrophoneUnknown;
            else if (const std::optional<int> line = input->ReadLine(type, number, cableLine))
                m_cable = *line != 0 ? HydrophoneOff : HydrophoneOn;
        }
    }
    if (m_power == m_loggedPower && m_cable == m_loggedCable)
        return;
    if (ports.writeRow)
        ports.writeRow(m_power, m_cable);
    ShowPowerAndCable();
    m_loggedPower = m_power;
    m_loggedCable = m_cable;
}

void HydrophoneMonitor::ShowPowerAndCable()
{
    if (!ports.showBox)
        return;
    const int watched = Setting(ports.watched, store::TheProgramSettings.PowerMonitor);
    ports.showBox(PowerBoxId, PowerBoxLook(m_power, watched & WatchPowerLine));
    ports.showBox(CableBoxId, CableBoxLook(m_cable, watched & WatchCableLine));
}

} // namespace velmar::nav
