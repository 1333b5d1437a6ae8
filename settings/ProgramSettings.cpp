#include "ProgramSettings.h"

#include "platform/Folders.h"
#include "platform/RecordIO.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QSaveFile>

#include <cmath>
#include <initializer_list>
#include <type_traits>

namespace velmar::store {

ProgramSettings TheProgramSettings;

namespace {

namespace O = ProgramSettingsOffset;

// Calls v(offset, field) for every field of the block in layout order. The
// one list serves the reader, the writer and the layout check.
template <class Settings, class Visitor>
void visitFields(Settings& s, Visitor&& v)
{
    for (std::size_t i = 0; i < ProgramSettings::ProgramSlots; ++i)
        v(O::ProgramPaths + i * ProgramSettings::PathSize, s.ProgramPaths[i]);
    v(O::DatabasePath, s.DatabasePath);
    v(O::DriverName, s.DriverName);
    v(O::DatabasePath2, s.DatabasePath2);
    v(O::DriverName2, s.DriverName2);
    v(O::SpareText2306, s.SpareText2306);
    v(O::PowerMonitorChannel, s.PowerMonitorChannel);
    v(O::CableMonitorChannel, s.CableMonitorChannel);
    v(O::Spare2590, s.Spare2590);
    v(O::MaxInterval, s.MaxInterval);
    v(O::MinInterval, s.MinInterval);
    v(O::MapMargin, s.MapMargin);
    v(O::PlotGrid, s.PlotGrid);
    v(O::PlotTrack, s.PlotTrack);
    v(O::PlotPorpoises, s.PlotPorpoises);
    v(O::PlotSperms, s.PlotSperms);
    v(O::PlotWhistles, s.PlotWhistles);
    v(O::PlotHeard, s.PlotHeard);
    v(O::PlotMap, s.PlotMap);
    for (std::size_t i = 0; i < ProgramSettings::ProgramSlots; ++i)
        v(O::ProgramAutoControl + 4 * i, s.ProgramAutoControl[i]);
    v(O::WarningTime, s.WarningTime);
    v(O::DisplayTime, s.DisplayTime);
    v(O::Spare2643, s.Spare2643);
    v(O::DisplayLogFont, s.DisplayLogFont);
    v(O::MapFile, s.MapFile);
    for (std::size_t i = 0; i < ProgramSettings::ContourLevels; ++i)
        v(O::ShowContour + i, s.ShowContour[i]);
    v(O::SpermPlotAll, s.SpermPlotAll);
    v(O::SpermMinBearingDifference, s.SpermMinBearingDifference);
    v(O::SpermTimeWindow, s.SpermTimeWindow);
    v(O::SpermClickColours, s.SpermClickColours);
    v(O::SpermClickRange, s.SpermClickRange);
    v(O::DolphinClickRange, s.DolphinClickRange);
    v(O::SpareText3032, s.SpareText3032);
    v(O::SpareText3312, s.SpareText3312);
    v(O::Recorder3592, s.Recorder3592);
    v(O::Recorder3596, s.Recorder3596);
    v(O::MarkedPointCrosses, s.MarkedPointCrosses);
    v(O::LabelledMapLine, s.LabelledMapLine);
    v(O::FirstRunPending, s.FirstRunPending);
    v(O::DetectorsPosition, s.DetectorsPosition);
    v(O::TimesAdjacent, s.TimesAdjacent);
    v(O::BlackAndWhite, s.BlackAndWhite);
    v(O::NGrabbers, s.NGrabbers);
    v(O::Recorder3610, s.Recorder3610);
    v(O::Recorder3614, s.Recorder3614);
    v(O::RecorderSampleRate, s.RecorderSampleRate);
    v(O::RecorderChannels, s.RecorderChannels);
    v(O::RecorderFolder, s.RecorderFolder);
    v(O::Recorder3884, s.Recorder3884);
    v(O::Recorder3888, s.Recorder3888);
    v(O::RecorderMediaInitials, s.RecorderMediaInitials);
    v(O::RecorderFileInitials, s.RecorderFileInitials);
    v(O::Recorder3916, s.Recorder3916);
    v(O::Recorder3920, s.Recorder3920);
    v(O::RecorderNotice, s.RecorderNotice);
    v(O::Recorder3944, s.Recorder3944);
    v(O::Recorder3948, s.Recorder3948);
    v(O::Recorder3952, s.Recorder3952);
    v(O::RecorderFolderSizeMb, s.RecorderFolderSizeMb);
    v(O::Recorder3957, s.Recorder3957);
    v(O::RecorderFileSizeMb, s.RecorderFileSizeMb);
    v(O::Recorder3962, s.Recorder3962);
    v(O::IODeviceType, s.IODeviceType);
    v(O::IODeviceNumber, s.IODeviceNumber);
    v(O::IODeviceBits, s.IODeviceBits);
    v(O::IODeviceChannels, s.IODeviceChannels);
    v(O::PowerMonitor, s.PowerMonitor);
    v(O::StartTime, s.StartTime);
    v(O::EndTime, s.EndTime);
    v(O::WeatherPort, s.WeatherPort);
    v(O::CollectWeather, s.CollectWeather);
    v(O::EffortYes, s.EffortYes);
    v(O::EffortForm, s.EffortForm);
    v(O::EffortControl, s.EffortControl);
    v(O::TrackPenWidth, s.TrackPenWidth);
    v(O::HydrophoneLength, s.HydrophoneLength);
    v(O::MagneticVariation, s.MagneticVariation);
    v(O::LengthUnits, s.LengthUnits);
    v(O::ReplaySpeedUp, s.ReplaySpeedUp);
    v(O::PlotStatics, s.PlotStatics);
    v(O::RestartMode, s.RestartMode);
    v(O::NoStartupNotice, s.NoStartupNotice);
    v(O::MaxEffortFixInterval, s.MaxEffortFixInterval);
    v(O::CoastColour, s.CoastColour);
    v(O::MapFollowsShip, s.MapFollowsShip);
    v(O::Spare4162, s.Spare4162);
    v(O::Spare4163, s.Spare4163);
    v(O::Spare4165, s.Spare4165);
    v(O::LookupPopup, s.LookupPopup);
    v(O::ZoomStep, s.ZoomStep);
    v(O::GpsSentence, s.GpsSentence);
    v(O::GgaTalker, s.GgaTalker);
    v(O::RmcTalker, s.RmcTalker);
    v(O::FormErrorChecking, s.FormErrorChecking);
    v(O::FormErrorWarnings, s.FormErrorWarnings);
    v(O::ButtonDeviceType, s.ButtonDeviceType);
    v(O::ButtonDeviceNumber, s.ButtonDeviceNumber);
    v(O::ButtonInputType, s.ButtonInputType);
    v(O::ButtonInputPort, s.ButtonInputPort);
    v(O::ButtonOutputPort, s.ButtonOutputPort);
    v(O::ButtonCountRate, s.ButtonCountRate);
    v(O::SimpleWarningTimes, s.SimpleWarningTimes);
    v(O::ButtonSampleRate, s.ButtonSampleRate);
    v(O::ShowBottomControls, s.ShowBottomControls);
    v(O::IdSoundCardsByName, s.IdSoundCardsByName);
    v(O::IdCamerasByName, s.IdCamerasByName);
    v(O::DiskWarningHours, s.DiskWarningHours);
    v(O::HdtTalker, s.HdtTalker);
    v(O::ReadHdt, s.ReadHdt);
    v(O::HdmTalker, s.HdmTalker);
    v(O::ReadHdm, s.ReadHdm);
    v(O::Reserved, s.Reserved);
}

// Fields whose stored byte is neither 0 nor 1 are damaged; they keep the
// record's current (default) value. Collected here so the reader can tell.
struct FieldReader {
    const uint8_t* d;
    void operator()(std::size_t off, int32_t& f) const { f = platform::loadLe<int32_t>(d + off); }
    void operator()(std::size_t off, int16_t& f) const { f = platform::loadLe<int16_t>(d + off); }
    void operator()(std::size_t off, uint8_t& f) const { f = d[off]; }
    void operator()(std::size_t off, float& f) const
    {
        const float v = platform::loadLe<float>(d + off);
        if (std::isfinite(v))
            f = v;
    }
    void operator()(std::size_t off, bool& f) const
    {
        if (d[off] <= 1)
            f = d[off] == 1;
    }
    template <std::size_t N>
    void operator()(std::size_t off, platform::FixedText<N>& f) const
    {
        std::memcpy(f.bytes.data(), d + off, N);
        f.terminate();
    }
    void operator()(std::size_t off, platform::SystemTime& f) const
    {
        f = *platform::SystemTime::fromBytes(d + off, platform::SystemTime::ByteSize);
    }
    void operator()(std::size_t off, LogFont& f) const
    {
        f = LogFont::fromBytes(d + off);
        f.lfFaceName.terminate();
    }
    template <std::size_t N>
    void operator()(std::size_t off, std::array<uint8_t, N>& f) const
    {
        std::memcpy(f.data(), d + off, N);
    }
};

struct FieldWriter {
    uint8_t* d;
    void operator()(std::size_t off, int32_t f) const { platform::storeLe(d + off, f); }
    void operator()(std::size_t off, int16_t f) const { platform::storeLe(d + off, f); }
    void operator()(std::size_t off, uint8_t f) const { d[off] = f; }
    void operator()(std::size_t off, float f) const { platform::storeLe(d + off, f); }
    void operator()(std::size_t off, bool f) const { d[off] = f ? 1 : 0; }
    template <std::size_t N>
    void operator()(std::size_t off, const platform::FixedText<N>& f) const
    {
        std::memcpy(d + off, f.bytes.data(), N);
    }
    void operator()(std::size_t off, const platform::SystemTime& f) const
    {
        const auto b = f.toBytes();
        std::memcpy(d + off, b.data(), b.size());
    }
    void operator()(std::size_t off, const LogFont& f) const
    {
        const auto b = f.toBytes();
        std::memcpy(d + off, b.data(), b.size());
    }
    template <std::size_t N>
    void operator()(std::size_t off, const std::array<uint8_t, N>& f) const
    {
        std::memcpy(d + off, f.data(), N);
    }
};

// Walks the fields in order and notes the first one that does not start
// where the previous one ended.
struct LayoutChecker {
    std::size_t next = 0;
    long firstFault = -1;
    void at(std::size_t off, std::size_t width)
    {
        if (off != next && firstFault < 0)
            firstFault = long(off);
        next = off + width;
    }
    template <class T>
    void operator()(std::size_t off, const T& f)
    {
        if constexpr (std::is_same_v<T, platform::SystemTime>)
            at(off, platform::SystemTime::ByteSize);
        else if constexpr (std::is_same_v<T, LogFont>)
            at(off, LogFont::ByteSize);
        else
            at(off, sizeof(T)); // scalars, platform::FixedText and byte arrays: their size
    }
};

template <class T>
void keepIfIn(T& field, std::initializer_list<T> allowed, T fallback)
{
    for (T a : allowed)
        if (field == a)
            return;
    field = fallback;
}

template <class T>
void keepIfBetween(T& field, T low, T high, T fallback)
{
    if (field < low || field > high)
        field = fallback;
}

// Older, shorter layouts left these fields zero; a damaged file may hold
// values out of their range, which would mislead (or crash) their readers.
void repairFields(ProgramSettings& s, const ProgramSettings& defaults)
{
    if (s.MaxEffortFixInterval == 0)
        s.MaxEffortFixInterval = defaults.MaxEffortFixInterval;
    if (!(s.ZoomStep > 1.0f))
        s.ZoomStep = defaults.ZoomStep;
    if (s.GpsSentence != 1 && s.GpsSentence != 2) {
        s.GpsSentence = defaults.GpsSentence;
        s.GgaTalker = defaults.GgaTalker;
        s.RmcTalker = defaults.RmcTalker;
    }
    if (s.HdtTalker.isEmpty())
        s.HdtTalker = defaults.HdtTalker;
    if (s.ButtonCountRate == 0)
        s.ButtonCountRate = defaults.ButtonCountRate;
    if (s.ButtonSampleRate == 0)
        s.ButtonSampleRate = defaults.ButtonSampleRate;
    if (s.DiskWarningHours == 0)
        s.DiskWarningHours = defaults.DiskWarningHours;

    for (std::size_t i = 0; i < ProgramSettings::ProgramSlots; ++i)
        keepIfBetween(s.ProgramAutoControl[i], 0, AutoStart | AutoStop, defaults.ProgramAutoControl[i]);
    keepIfBetween<uint8_t>(s.DetectorsPosition, 0, 2, defaults.DetectorsPosition);
    keepIfBetween<uint8_t>(s.TimesAdjacent, 0, 2, defaults.TimesAdjacent);
    keepIfIn(s.IODeviceType, {0, 3, 5, 10}, defaults.IODeviceType);
    keepIfBetween(s.PowerMonitor, 0, 3, defaults.PowerMonitor);
    keepIfBetween(s.WeatherPort, 1, 4, defaults.WeatherPort);
    keepIfBetween(s.TrackPenWidth, 1, 9, defaults.TrackPenWidth);
    keepIfBetween(s.MagneticVariation, -180.0f, 180.0f, defaults.MagneticVariation);
    keepIfBetween(s.LengthUnits, 1, 2, defaults.LengthUnits);
    keepIfBetween(s.RestartMode, 0, 4, defaults.RestartMode);
    keepIfBetween(s.FormErrorChecking, 0, 2, defaults.FormErrorChecking);
    keepIfBetween(s.FormErrorWarnings, 0, 2, defaults.FormErrorWarnings);
    keepIfIn(s.ButtonDeviceType, {0, 3}, defaults.ButtonDeviceType);
}

// Serialises access to the settings file between the user-interface thread
// and the recorders' threads.
QMutex& fileMutex()
{
    static QMutex m;
    return m;
}

} // namespace

ProgramSettings::ProgramSettings()
{
    const QString accessDriver = QStringLiteral("Microsoft Access Driver (*.mdb)");
    DriverName.setText(accessDriver);
    DriverName2.setText(accessDriver);
    DisplayLogFont = LogFont::defaultDisplayFont();
    RecorderFolder.setText(QStringLiteral("C:\\AutorecFiles"));
    RecorderMediaInitials.setText(QStringLiteral("AutoRec"));
    RecorderFileInitials.setText(QStringLiteral("OD"));
    RecorderNotice.setText(QStringLiteral("Velmar recording"));
    GgaTalker.setText(QStringLiteral("GP"));
    RmcTalker.setText(QStringLiteral("GP"));
    HdtTalker.setText(QStringLiteral("HE"));
    HdmTalker.setText(QStringLiteral("HC"));
    SetDefaultProgramPaths();
}

QByteArray ProgramSettings::toBytes() const
{
    QByteArray out(qsizetype(ByteSize), '\0');
    visitFields(*this, FieldWriter{reinterpret_cast<uint8_t*>(out.data())});
    return out;
}

long ProgramSettingsLayoutFault()
{
    const ProgramSettings s;
    LayoutChecker c;
    visitFields(s, c);
    if (c.firstFault < 0 && c.next != ProgramSettings::ByteSize)
        return long(c.next);
    return c.firstFault;
}

bool ProgramSettings::fromBytes(const QByteArray& bytes)
{
    if (std::size_t(bytes.size()) < ByteSize)
        return false;
    // Damaged fields fall back to the defaults, not to what this record held.
    const ProgramSettings defaults;
    ProgramSettings s = defaults;
    visitFields(s, FieldReader{reinterpret_cast<const uint8_t*>(bytes.constData())});
    repairFields(s, defaults);
    *this = s;
    return true;
}

void ProgramSettings::SetDefaultProgramPaths()
{
    static const struct {
        int slot;
        const char* file;
    } defaultPrograms[] = {{0, "porpoise"}, {1, "Tavlin"}, {2, "Orbesk"}, {5, "NMEA"}};
    for (const auto& p : defaultPrograms)
        FindProgramFile(ProgramPaths[std::size_t(p.slot)], QString::fromLatin1(p.file));
}

QString ProgramSettingsFilePath()
{
    return platform::settingsFile(QString::fromLatin1(ProgramSettingsFileName));
}

bool ReadProgramSettingsFile(const QString& path, ProgramSettings& into, QString* errorText)
{
    if (errorText)
        errorText->clear();
    QMutexLocker lock(&fileMutex());
    QFile file(path);
    if (!file.exists())
        return false;
    if (!file.open(QIODevice::ReadOnly)) {
        if (errorText)
            *errorText = QStringLiteral("Error opening file %1").arg(path);
        return false;
    }
    const QByteArray bytes = file.read(qint64(ProgramSettings::ByteSize));
    return into.fromBytes(bytes);
}

bool WriteProgramSettingsFile(const QString& path, const ProgramSettings& from, QString* errorText)
{
    if (errorText)
        errorText->clear();
    const QByteArray bytes = from.toBytes();
    QMutexLocker lock(&fileMutex());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (errorText)
            *errorText = QStringLiteral("Error opening file %1").arg(path);
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        if (errorText)
            *errorText = QStringLiteral("Error writing file %1: %2").arg(path, file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

bool ReadProgramSettings(QString* errorText)
{
    return ReadProgramSettingsFile(ProgramSettingsFilePath(), TheProgramSettings, errorText);
}

bool WriteProgramSettings(QString* errorText)
{
    return WriteProgramSettingsFile(ProgramSettingsFilePath(), TheProgramSettings, errorText);
}

bool FindProgramFile(ProgramSettings::Path& path, const QString& name)
{
    const QString configured = platform::toLocalPath(path.text());
    if (!configured.isEmpty() && QFileInfo(configured).isFile())
        return true;
    const QString candidate = platform::executableFolder() + QLatin1Char('/') + name;
    if (!QFileInfo(candidate).isFile())
        return false;
    ProgramSettings::Path joined;
    if (!joined.setText(candidate))
        return false;
    path = joined;
    return true;
}

void SetDefaultProgramPaths()
{
    TheProgramSettings.SetDefaultProgramPaths();
}

int ProgramTypeIndex(int typeBit)
{
    switch (typeBit) {
    case ProgramPorpoise: return 0;
    case ProgramWhistle: return 1;
    case ProgramClick: return 2;
    case ProgramListening: return 3;
    case ProgramAutoRecording: return 4;
    case ProgramNmea: return 5;
    default: return -1;
    }
}

} // namespace velmar::store
