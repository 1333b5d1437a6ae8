#include "pipeserver/backend/InputDevices.h"

#include "pipeserver/backend/NiDaqMxInput.h"
#include "pipeserver/backend/SoundInputDevice.h"
#include "sound/input/JackInput.h"
#include "sound/input/PortAudioInput.h"

namespace velmar::pipeserver {

std::unique_ptr<AcquisitionDevice> MakeInputDevice(const PipeSettings& settings, const InputDeviceOptions& options)
{
    switch (settings.DeviceType) {
    case DeviceSoundCard:
        return std::make_unique<SoundInputDevice>(std::make_unique<sound::PortAudioInput>(QStringLiteral("Sound Card")),
                                                  QStringLiteral("Sound card overflows"), true);
    case DeviceNiDaqMx: return std::make_unique<NiDaqMxInput>();
    case DeviceAsio:
        return std::make_unique<SoundInputDevice>(
            std::make_unique<sound::JackInput>(QStringLiteral("Pelvane"), options.jackSourcePorts),
            QStringLiteral("JACK xruns"), false);
    case DeviceNiDaq:
        return std::make_unique<UnavailableInput>(
            QStringLiteral("NI-DAQ is not available: the traditional NI-DAQ library has no version for this system; "
                           "choose the board as an NI-DAQmx device."),
            QStringLiteral("NI-DAQ"));
    case DeviceComputerBoards:
        return std::make_unique<UnavailableInput>(QStringLiteral("Can't find cbw32.dll"), QStringLiteral("Error"));
    default: return std::make_unique<UnavailableInput>(QStringLiteral("Unknown input device"), QStringLiteral("Error"));
    }
}

namespace {
QStringList SoundCardNames()
{
    QStringList names;
    for (const sound::InputCard& card : sound::InputCards())
        names << card.name;
    return names;
}
} // namespace

QList<InputDeviceEntry> ListInputDevices()
{
    QList<InputDeviceEntry> list;
    const QStringList cards = SoundCardNames();
    for (int i = 0; i < cards.size(); ++i)
        list.append({cards[i], DeviceSoundCard, i});
    if (NiMxIsLoaded())
        for (int n = 1; n <= 9; ++n)
            if (const auto name = NiMxDeviceName(n))
                list.append({name->left(26), DeviceNiDaqMx, n});
    list.append({sound::JackInput::driverName(), DeviceAsio, 0});
    return list;
}

std::optional<QString> DeviceLine(const PipeSettings& settings)
{
    switch (settings.DeviceType) {
    case DeviceSoundCard: {
        const QStringList cards = SoundCardNames();
        if (settings.DeviceNumber < 0 || settings.DeviceNumber >= cards.size())
            return QStringLiteral("No Sound Card");
        return QStringLiteral("Sound Card - %1").arg(cards[settings.DeviceNumber]);
    }
    case DeviceComputerBoards: return QStringLiteral("No board");
    case DeviceNiDaq: return QStringLiteral("National Instruments %1").arg(QStringLiteral("No NIDaq DLL"));
    case DeviceNiDaqMx:
        return QStringLiteral("National Instruments %1")
            .arg(NiMxIsLoaded()
                     ? NiMxDeviceName(settings.DeviceNumber).value_or(QStringLiteral("Unknown NI mx Board")).left(26)
                     : QStringLiteral("No NI mx DLL"));
    case DeviceAsio:
        return QStringLiteral("%1 (ASIO)")
            .arg(settings.DeviceNumber == 0 ? sound::JackInput::driverName() : QStringLiteral("Unknown ASIO device"));
    default: return std::nullopt;
    }
}

} // namespace velmar::pipeserver
