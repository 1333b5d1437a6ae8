#include "settings/PipeSettings.h"

#include "platform/Folders.h"
#include "platform/RecordIO.h"

#include <QFile>
#include <QLoggingCategory>
#include <QSaveFile>

#include <algorithm>
#include <cstring>

Q_LOGGING_CATEGORY(lcPipeSettings, "velmar.pipeserver.settings")

namespace velmar::pipeserver {

namespace {

constexpr int32_t DefaultSampleRate = 48000;
constexpr int16_t DefaultBits = 16;
constexpr int32_t DefaultBufferSeconds = 6;
constexpr uint32_t DefaultRouting = RouteWhistle | RouteQuintra | RouteAutorec; // 38
constexpr int32_t MaxSampleRate = 10'000'000;
constexpr int16_t MaxBits = 32;
constexpr const char* DefaultProgramPath = "pelvane.exe";
constexpr const char* FileName = "PipeDat.dat";

bool isDeviceKindOfFile(int32_t kind)
{
    switch (kind) {
    case DeviceSoundCard:
    case DeviceComputerBoards:
    case DeviceNiDaq:
    case DeviceNiDaqMx:
    case DeviceAsio: return true;
    default: return false;
    }
}

} // namespace

int PipeChannelSettings::GainFor(int deviceType) const
{
    return (deviceType == DeviceNiDaq || deviceType == DeviceNiDaqMx) ? Gain : 1;
}

PipeSettings::PipeSettings()
{
    SetSamplingDefaults();
    ChannelSettings[0].Routing = DefaultRouting;
    ChannelSettings[1].Routing = DefaultRouting;
    RateMultipliers.fill(1);
    setProgramPath(QString::fromLatin1(DefaultProgramPath));
}

void PipeSettings::SetSamplingDefaults()
{
    SampleRate = DefaultSampleRate;
    DeviceType = DeviceSoundCard;
    DeviceNumber = 0;
    Bits = DefaultBits;
    BufferSeconds = DefaultBufferSeconds;
    NiInputConfig = 0;
    ScanList.fill(UnusedSlot);
    ScanList[0] = 0;
    ScanList[1] = 1;
    Occurrences.fill(0);
    Occurrences[0] = 1;
    Occurrences[1] = 1;
    ScanLength = 2;
    Reserved1.fill(0);
}

QString PipeSettings::programPath() const
{
    const auto end = std::find(ProgramPath.begin(), ProgramPath.end(), '\0');
    return QString::fromLocal8Bit(ProgramPath.data(), int(end - ProgramPath.begin()));
}

void PipeSettings::setProgramPath(const QString& path)
{
    ProgramPath.fill('\0');
    QByteArray bytes = path.toLocal8Bit();
    int n = std::min<int>(int(bytes.size()), ProgramPathSize - 1);
    // Never cut a multi-byte character in two.
    while (n > 0 && n < bytes.size() && (uchar(bytes[n]) & 0xC0) == 0x80)
        --n;
    std::memcpy(ProgramPath.data(), bytes.constData(), std::size_t(n));
}

QByteArray PipeSettings::toBytes() const
{
    platform::RecordWriter out(ByteSize);
    out << SampleRate << DeviceType << DeviceNumber << Bits << BufferSeconds;
    for (int16_t v : ScanList)
        out << v;
    for (int16_t v : Occurrences)
        out << v;
    out << ScanLength << NiInputConfig;
    out << Reserved1;
    for (const PipeChannelSettings& c : ChannelSettings) {
        out << c.Routing << c.Reserved0 << c.Gain << c.Reserved1;
        out << c.Reserved2;
    }
    for (int32_t v : RateMultipliers)
        out << v;
    out << ProgramPath << Reserved2;
    Q_ASSERT(out.bytes().size() == int(ByteSize));
    return out.bytes();
}

std::optional<PipeSettings> PipeSettings::fromBytes(const QByteArray& bytes)
{
    if (bytes.size() != int(ByteSize))
        return std::nullopt;
    PipeSettings s;
    platform::RecordReader in(bytes);
    in >> s.SampleRate >> s.DeviceType >> s.DeviceNumber >> s.Bits >> s.BufferSeconds;
    for (int16_t& v : s.ScanList)
        in >> v;
    for (int16_t& v : s.Occurrences)
        in >> v;
    in >> s.ScanLength >> s.NiInputConfig;
    in >> s.Reserved1;
    for (PipeChannelSettings& c : s.ChannelSettings) {
        in >> c.Routing >> c.Reserved0 >> c.Gain >> c.Reserved1;
        in >> c.Reserved2;
    }
    for (int32_t& v : s.RateMultipliers)
        in >> v;
    in >> s.ProgramPath >> s.Reserved2;
    if (!in.ok())
        return std::nullopt;
    return s;
}

QString PipeSettings::problems() const
{
    if (SampleRate < 1 || SampleRate > MaxSampleRate)
        return QStringLiteral("sample rate %1 Hz out of range").arg(SampleRate);
    if (!isDeviceKindOfFile(DeviceType))
        return QStringLiteral("unknown device type %1").arg(DeviceType);
    if (DeviceNumber < 0)
        return QStringLiteral("device number %1 out of range").arg(DeviceNumber);
    if (Bits < 1 || Bits > MaxBits)
        return QStringLiteral("%1 bits per sample out of range").arg(Bits);
    if (BufferSeconds < MinBufferSeconds || BufferSeconds > MaxBufferSeconds)
        return QStringLiteral("buffer of %1 seconds out of range").arg(BufferSeconds);
    if (ScanLength < 1 || ScanLength > MaxChannels)
        return QStringLiteral("scan length %1 out of range").arg(ScanLength);
    std::array<int, MaxChannels> counts{};
    for (int i = 0; i < MaxChannels; ++i) {
        const int16_t c = ScanList[i];
        if (i < ScanLength) {
            if (c < 0 || c >= MaxChannels)
                return QStringLiteral("scan list entry %1 is channel %2").arg(i).arg(c);
            ++counts[c];
        } else if (c != UnusedSlot) {
            return QStringLiteral("scan list slot %1 used beyond the scan length").arg(i);
        }
    }
    for (int c = 0; c < MaxChannels; ++c)
        if (Occurrences[c] != counts[c])
            return QStringLiteral("occurrence count of channel %1 disagrees with the scan list").arg(c);
    if (NiInputConfig < 0 || NiInputConfig > 2)
        return QStringLiteral("NI input configuration %1 out of range").arg(NiInputConfig);
    for (int c = 0; c < MaxChannels; ++c) {
        constexpr std::array<int16_t, 8> gainCodes{-1, 1, 2, 5, 10, 20, 50, 100};
        const int16_t gain = ChannelSettings[c].Gain;
        if (std::find(gainCodes.begin(), gainCodes.end(), gain) == gainCodes.end())
            return QStringLiteral("gain code %1 of channel %2 is none of -1, 1, 2, 5, 10, 20, 50, 100")
                .arg(gain)
                .arg(c);
    }
    for (int32_t m : RateMultipliers)
        if (m < 0 || m > MaxChannels)
            return QStringLiteral("rate multiplier %1 out of range").arg(m);
    if (std::find(ProgramPath.begin(), ProgramPath.end(), '\0') == ProgramPath.end())
        return QStringLiteral("program path not terminated");
    return {};
}

int PipeIndexOfBit(uint32_t routingBit)
{
    for (int p = 0; p < PipeSettings::PipeCount; ++p)
        if (PipeRoutingBits[p] == routingBit)
            return p;
    return -1;
}

QString FormatChannelList(const PipeSettings& settings)
{
    QStringList parts;
    for (int16_t c : settings.ScanList)
        if (c != PipeSettings::UnusedSlot)
            parts << QString::number(c);
    return parts.join(QLatin1Char(','));
}

namespace {
// The decimal number at the start of text as the C library reads it: leading
// blanks, an optional sign, digits up to the first other character (none: 0).
// Values too large for a channel are kept large so that they are refused.
long long leadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size()
           && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r' || text[i] == u'\v'
               || text[i] == u'\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    long long value = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
        value = std::min<long long>(value * 10 + (text[i].unicode() - u'0'), 1'000'000);
        ++i;
    }
    return negative ? -value : value;
}
} // namespace

QString ParseChannelList(PipeSettings& settings, const QString& text)
{
    const QList<QStringView> entries = QStringView(text).split(u',');
    if (entries.size() > PipeSettings::MaxChannels)
        return QStringLiteral("The channel list holds %1 channels; at most %2 can be scanned.")
            .arg(entries.size())
            .arg(PipeSettings::MaxChannels);
    std::array<int16_t, PipeSettings::MaxChannels> list;
    list.fill(PipeSettings::UnusedSlot);
    std::array<int16_t, PipeSettings::MaxChannels> occurrences{};
    for (int i = 0; i < entries.size(); ++i) {
        // A channel is a number, not an amount: "+3" or "-0" is a typing slip
        // that would otherwise pass as channel 3 or 0.
        const QStringView entry = entries[i].trimmed();
        if (entry.startsWith(u'+') || entry.startsWith(u'-'))
            return QStringLiteral("Channel numbers take no sign: \"%1\".").arg(entry.toString());
        const long long c = leadingNumber(entries[i]);
        if (c < 0 || c >= PipeSettings::MaxChannels)
            return QStringLiteral("Channel %1 is not a hardware channel: channels are numbered 0 to %2.")
                .arg(c)
                .arg(PipeSettings::MaxChannels - 1);
        list[i] = int16_t(c);
        ++occurrences[c];
    }
    settings.ScanList = list;
    settings.Occurrences = occurrences;
    settings.ScanLength = int32_t(entries.size());
    return {};
}

int CountRoutedChannels(const PipeSettings& settings, uint32_t routingBit)
{
    return int(std::count_if(settings.ChannelSettings.begin(), settings.ChannelSettings.end(),
                             [routingBit](const PipeChannelSettings& c) { return (c.Routing & routingBit) != 0; }));
}

int CountPorpoiseChannels(const PipeSettings& s)
{
    return CountRoutedChannels(s, RoutePorpoise);
}
int CountWhistleChannels(const PipeSettings& s)
{
    return CountRoutedChannels(s, RouteWhistle);
}
int CountQuintraChannels(const PipeSettings& s)
{
    return CountRoutedChannels(s, RouteQuintra);
}
int CountAutorecChannels(const PipeSettings& s)
{
    return CountRoutedChannels(s, RouteAutorec);
}

int AutorecPipeSampleRate(const PipeSettings& settings)
{
    return settings.SampleRate * settings.RateMultipliers[PipeIndexOfBit(RouteAutorec)];
}

int CheckPipeConsistency(PipeSettings& settings)
{
    settings.RateMultipliers.fill(0);
    std::array<int, PipeSettings::PipeCount> gains{};
    for (int c = 0; c < PipeSettings::MaxChannels; ++c) {
        const PipeChannelSettings& channel = settings.ChannelSettings[c];
        for (int p = 0; p < PipeSettings::PipeCount; ++p) {
            if (!(channel.Routing & PipeRoutingBits[p]))
                continue;
            if (settings.RateMultipliers[p] == 0)
                settings.RateMultipliers[p] = settings.Occurrences[c];
            else if (settings.Occurrences[c] != settings.RateMultipliers[p])
                return 1;
            const int gain = channel.GainFor(settings.DeviceType);
            if (gains[p] == 0)
                gains[p] = gain;
            else if (gain != gains[p])
                return 2;
        }
    }
    return 0;
}

PipeSettings& ThePipeSettings()
{
    static PipeSettings settings;
    return settings;
}

QString PipeSettingsFilePath()
{
    return platform::settingsFile(QString::fromLatin1(FileName));
}

namespace {
PipeFileResult openFailure(const QString& path, const QString& why)
{
    PipeFileResult r;
    r.messageText = QStringLiteral("Creating file for Pelvane settings: %1").arg(path);
    r.messageCaption = QStringLiteral("Default File Open");
    r.reason = why;
    return r;
}
} // namespace

PipeFileResult ReadPipeSettings(PipeSettings& settings)
{
    const QString path = PipeSettingsFilePath();
    QFile file(path);
    if (!file.exists()) {
        PipeFileResult r;
        r.reason = QStringLiteral("%1 does not exist").arg(path);
        return r;
    }
    if (!file.open(QIODevice::ReadOnly))
        return openFailure(path, file.errorString());
    // One byte more than the record, so that an overlong file is seen too.
    const QByteArray bytes = file.read(qint64(PipeSettings::ByteSize) + 1);
    PipeFileResult r;
    const std::optional<PipeSettings> read = PipeSettings::fromBytes(bytes);
    if (!read) {
        r.reason =
            QStringLiteral("%1 holds %2 bytes instead of %3").arg(path).arg(bytes.size()).arg(PipeSettings::ByteSize);
    } else if (const QString why = read->problems(); !why.isEmpty()) {
        r.reason = QStringLiteral("%1 is damaged: %2").arg(path, why);
    } else {
        settings = *read;
        r.ok = true;
        return r;
    }
    qCWarning(lcPipeSettings).noquote() << r.reason;
    return r;
}

PipeFileResult WritePipeSettings(const PipeSettings& settings)
{
    const QString path = PipeSettingsFilePath();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return openFailure(path, file.errorString());
    const QByteArray bytes = settings.toBytes();
    PipeFileResult r;
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        r.reason = QStringLiteral("writing %1 failed: %2").arg(path, file.errorString());
        qCWarning(lcPipeSettings).noquote() << r.reason;
        return r;
    }
    r.ok = true;
    return r;
}

} // namespace velmar::pipeserver
