#include "sound/PipeProtocol.h"

#include "settings/PipeSettings.h"
#include "platform/BusNames.h"
#include "platform/Folders.h"
#include "platform/MessageBus.h"
#include "platform/DateTimeText.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QThread>

#include <cstring>

Q_LOGGING_CATEGORY(lcPipe, "velmar.sound.pipe")

namespace velmar::sound {

namespace {
PipeMessageIds& ids()
{
    static PipeMessageIds registered;
    return registered;
}

} // namespace

const PipeMessageIds& RegisterPipeMessages()
{
    uint* idSlots[] = {
        &ids().PipeMsgPipeCommand,   &ids().PipeMsgNewSettings,  &ids().PipeMsgIconNotification,
        &ids().PipeMsgPoroiseStatus, &ids().PipeMsgLastFillTime, &ids().PipeMsgGetIpDevice,
        &ids().PipeMsgStartSection,  &ids().PipeMsgStopSection,  &ids().PipeMsgAvailBytes,
        &ids().PipeMsgStartRun,      &ids().PipeMsgGetADCStatus, &ids().PipeMsgSampleSettings,
    };
    static_assert(std::size(idSlots) == PipeMessageNames.size());
    for (std::size_t i = 0; i < PipeMessageNames.size(); ++i)
        *idSlots[i] = platform::MessageBus::registerWindowMessage(QString::fromLatin1(PipeMessageNames[i]));
    return ids();
}

const PipeMessageIds& PipeMessages()
{
    return ids();
}

QString PelvaneBusName()
{
    return platform::windowTitleBusName(QString::fromLatin1(PelvaneTitle));
}

std::optional<PipeRoute> PipeRouteOfBit(qint64 routingBit)
{
    for (const PipeRoute& route : PipeRoutes)
        if (qint64(route.bit) == routingBit)
            return route;
    return std::nullopt;
}

QString PipeSocketPath(const QString& windowsPipeName)
{
    const QString name = windowsPipeName.mid(windowsPipeName.lastIndexOf(QLatin1Char('\\')) + 1);
    return platform::pipeFolder() + QLatin1Char('/') + name;
}

QString PipeSocketPathOfBit(uint32_t routingBit)
{
    const auto route = PipeRouteOfBit(routingBit);
    return route ? PipeSocketPath(QString::fromLatin1(route->pipeName)) : QString();
}

bool IsValidPipeCommand(quint64 wParam, qint64 lParam)
{
    return (wParam == PipeCommandOpen || wParam == PipeCommandClose) && PipeRouteOfBit(lParam).has_value();
}

qint64 PelvanePipeBufferBytes(int routedChannels, int baseSampleRate, int bufferSeconds)
{
    return qint64(routedChannels) * 2 * baseSampleRate * bufferSeconds;
}

qint64 DeckPipeBufferBytes(int channels, int sampleRate)
{
    return qint64(channels) * 2 * sampleRate;
}

std::pair<quint64, qint64> SectionTimeParameters(const platform::SystemTime& time)
{
    double date = 0;
    platform::SystemTimeToVariantTime(time, date);
    uint64_t bits;
    std::memcpy(&bits, &date, sizeof bits);
    // The double's bytes in memory order (little-endian): first four, last four.
    return {quint64(uint32_t(bits)), qint64(uint32_t(bits >> 32))};
}

double SectionTimeFromParameters(quint64 wParam, qint64 lParam)
{
    const uint64_t bits = uint64_t(uint32_t(wParam)) | (uint64_t(uint32_t(lParam)) << 32);
    double date;
    std::memcpy(&date, &bits, sizeof date);
    return date;
}

qint64 PorpoiseStatusReply(int channel, int porpoiseChannels, PelvaneAcquisition state, bool channelInScan,
                           int deviceType, std::optional<qint64> spotReading)
{
    if (porpoiseChannels < channel + 1)
        return PorpoiseNoChannel;
    switch (state) {
    case PelvaneAcquisition::Idle: return spotReading.value_or(PorpoiseNoChannel);
    case PelvaneAcquisition::Running:
        if (!channelInScan)
            return PorpoiseNoChannel;
        return deviceType == pipeserver::DeviceComputerBoards ? PorpoiseRunningInScanBoard : PorpoiseRunningInScan;
    case PelvaneAcquisition::Starting:
    case PelvaneAcquisition::Stopping: return PorpoiseNoChannel;
    case PelvaneAcquisition::Other: break;
    }
    return PorpoiseOtherState;
}

QString PelvaneProgramFile(const QString& storedPath)
{
    QString path = platform::toLocalPath(storedPath);
    if (path.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        path.chop(4);
    if (path.isEmpty())
        return {};
    const QFileInfo info(path);
    if (info.isAbsolute())
        return path;
    const QDir programs(platform::executableFolder());
    const QString beside = programs.filePath(path);
    if (QFileInfo::exists(beside))
        return beside;
    // The stored default names the program in lower case.
    if (info.fileName().compare(QLatin1String(PelvaneTitle), Qt::CaseInsensitive) == 0)
        return programs.filePath(QLatin1String(PelvaneTitle));
    return beside;
}

PelvaneLauncher PelvaneLauncher::system()
{
    PelvaneLauncher l;
    l.isRunning = [] { return platform::MessageBus::instance().isNameOwned(PelvaneBusName()); };
    l.start = [](const QString& programPath) {
        const QString program = PelvaneProgramFile(programPath);
        return !program.isEmpty() && QProcess::startDetached(program, {});
    };
    l.wait = [](int ms) { QThread::msleep(ulong(ms)); };
    // Pelvane starts minimised itself; another program's window cannot be
    // minimised from here.
    l.minimise = [] {};
    l.showMessage = [](const QString& text, const QString& caption) {
        qCWarning(lcPipe).noquote() << caption << ":" << text;
    };
    return l;
}

bool EnsurePelvaneRunning(const PelvaneLauncher& launcher)
{
    if (launcher.isRunning())
        return true;
    if (!launcher.start(pipeserver::ThePipeSettings().programPath())) {
        launcher.showMessage(QStringLiteral("Can't find Pelvane Programme"), QStringLiteral("Error"));
        return false;
    }
    for (int look = 0; look < PelvaneLaunchLooks; ++look) {
        if (launcher.isRunning()) {
            launcher.minimise();
            return true;
        }
        launcher.wait(PelvaneLaunchLookMs);
    }
    launcher.showMessage(QStringLiteral("Can't find Pelvane Window"), QStringLiteral("Error"));
    return false;
}

} // namespace velmar::sound
