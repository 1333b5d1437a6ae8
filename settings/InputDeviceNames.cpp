#include "settings/InputDeviceNames.h"

namespace velmar::pipeserver {

namespace {

QString kindName(int kind)
{
    switch (kind) {
    case DeviceSoundCard: return QStringLiteral("Sound card");
    case DeviceComputerBoards: return QStringLiteral("Computerboards");
    case DeviceNiDaq: return QStringLiteral("National Instruments");
    case DeviceExternalTape: return QStringLiteral("External Mavrel");
    case DeviceNiDaqMx: return QStringLiteral("National Instruments (mx)");
    case DeviceAsio: return QStringLiteral("ASIO Card");
    default: return QStringLiteral("Unknown Input Device");
    }
}

std::optional<QString> fitting(const QString& name, int size)
{
    if (name.size() >= size)
        return std::nullopt;
    return name;
}

template <typename T>
T ask(const std::function<T(int)>& f, int number, T otherwise)
{
    return f ? f(number) : otherwise;
}

} // namespace

std::optional<QString> InputDeviceKindName(int kind, int size, const PipeSettings& pipeSettings)
{
    if (kind != DevicePiped)
        return fitting(kindName(kind), size);
    QString name = kindName(pipeSettings.DeviceType == DevicePiped ? 0 : pipeSettings.DeviceType);
    const QString piped = QStringLiteral(" (Piped)");
    if (name.size() + piped.size() < size)
        name += piped;
    return fitting(name, size);
}

std::optional<QString> InputDeviceName(int kind, int number, int size, const InputDeviceCatalog& catalog,
                                       const PipeSettings& pipeSettings)
{
    if (kind == DevicePiped)
        kind = pipeSettings.DeviceType;
    QString name = QStringLiteral("Unknown Device");
    switch (kind) {
    case DeviceSoundCard:
        if (number < 0 || number >= (catalog.soundCardCount ? catalog.soundCardCount() : 0))
            name = QStringLiteral("Un Installed");
        else
            name = ask(catalog.soundCardName, number, std::optional<QString>())
                       .value_or(QStringLiteral("Unknown Sound Card"));
        break;
    case DeviceComputerBoards: name = ask(catalog.boardName, number, std::optional<QString>()).value_or(name); break;
    case DeviceNiDaq: name = ask(catalog.niBoardName, number, name); break;
    case DeviceExternalTape: name.clear(); break;
    case DeviceNiDaqMx:
        name = ask(catalog.niMxDeviceName, number, std::optional<QString>())
                   .value_or(QStringLiteral("National Instruments mx (unistalled)"));
        break;
    case DeviceAsio:
        if (number >= 0 && number < (catalog.asioDriverCount ? catalog.asioDriverCount() : 0))
            name = ask(catalog.asioDriverName, number, QString()).left(AsioDriverNameSize - 1);
        else
            name = QStringLiteral("Unknown ASIO device");
        break;
    default: break;
    }
    return fitting(name, size);
}

} // namespace velmar::pipeserver
