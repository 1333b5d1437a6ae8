#include "ProgramSettingsDb.h"

#include "DbIniFile.h"
#include "settings/ProgramSettings.h"

namespace velmar::store {

namespace {

// Visits every mirrored field, in the order they are stored.
template <class Visitor>
void forEachMirroredField(ProgramSettings& s, Visitor&& v)
{
    v("Map", "MapFile", s.MapFile);
    for (std::size_t n = 0; n < ProgramSettings::ContourLevels; ++n)
        v("Map", QStringLiteral("Contour_%1").arg(n), s.ShowContour[n]);
    v("IODevice", "IODeviceType", s.IODeviceType);
    v("IODevice", "IODeviceNumber", s.IODeviceNumber);
    v("IODevice", "IODeviceBits", s.IODeviceBits);
    v("IODevice", "IODeviceChannels", s.IODeviceChannels);
    v("IODevice", "PowerMonitor", s.PowerMonitor);
    v("ShowData", "StartTime", s.StartTime);
    v("ShowData", "EndTime", s.EndTime);
    v("Cameras", "NGrabbers", s.NGrabbers);
    v("Cameras", "IdCamerasByName", s.IdCamerasByName);
    v("SoundCards", "IdSoundCardsByName", s.IdSoundCardsByName);
    v("EffortLine", "EffortYes", s.EffortYes);
    v("EffortLine", "EffortForm", s.EffortForm);
    v("EffortLine", "EffortControl", s.EffortControl);
    v("EffortLine", "TrackPenWidth", s.TrackPenWidth);
    v("EffortLine", "HydrophoneLength", s.HydrophoneLength);
    v("EffortLine", "MagneticVariation", s.MagneticVariation);
    v("PLOT", "PlotStatics", s.PlotStatics);
    v("PLOT", "CoastColour", s.CoastColour);
    v("PLOT", "LengthUnits", s.LengthUnits);
    v("PLOT", "PlotGrid", s.PlotGrid);
    v("PLOT", "PlotTrack", s.PlotTrack);
    v("PLOT", "PlotPorpoises", s.PlotPorpoises);
    v("PLOT", "PlotSperms", s.PlotSperms);
    v("PLOT", "PlotWhistles", s.PlotWhistles);
    v("PLOT", "PlotHeard", s.PlotHeard);
    v("PLOT", "PlotMap", s.PlotMap);
    v("Buttons", "ButtonDeviceType", s.ButtonDeviceType);
    v("Buttons", "ButtonDeviceNumber", s.ButtonDeviceNumber);
    v("Buttons", "ButtonInputType", s.ButtonInputType);
    v("Buttons", "ButtonInputPort", s.ButtonInputPort);
    v("Buttons", "ButtonOutputPort", s.ButtonOutputPort);
    v("Buttons", "ButtonCountRate", s.ButtonCountRate);
    v("Buttons", "ButtonSampleRate", s.ButtonSampleRate);
    v("Warnings", "SimpleWarningTimes", s.SimpleWarningTimes);
    v("Display", "ShowBottomControls", s.ShowBottomControls);
    v("Display", "DetectorsPosition", s.DetectorsPosition);
    v("Display", "TimesAdjacent", s.TimesAdjacent);
}

struct Saver {
    TDbIniFile& ini;
    template <std::size_t N>
    void operator()(const QString& section, const QString& key, platform::FixedText<N>& field)
    {
        ini.WriteString(section, key, field.text());
    }
    void operator()(const QString& section, const QString& key, bool& field) { ini.WriteBool(section, key, field); }
    void operator()(const QString& section, const QString& key, int32_t& field)
    {
        ini.WriteInteger(section, key, field);
    }
    void operator()(const QString& section, const QString& key, uint8_t& field)
    {
        ini.WriteInteger(section, key, field);
    }
    void operator()(const QString& section, const QString& key, float& field) { ini.WriteFloat(section, key, field); }
    void operator()(const QString& section, const QString& key, platform::SystemTime& field)
    {
        ini.WriteTime(section, key, field);
    }
};

struct Loader {
    TDbIniFile& ini;
    template <std::size_t N>
    void operator()(const QString& section, const QString& key, platform::FixedText<N>& field)
    {
        // A survey without a map file of its own shows none.
        const QString defaultText = key == u"MapFile" ? QString() : field.text();
        field.setText(ini.ReadString(section, key, defaultText));
    }
    void operator()(const QString& section, const QString& key, bool& field)
    {
        field = ini.ReadBool(section, key, field);
    }
    void operator()(const QString& section, const QString& key, int32_t& field)
    {
        field = ini.ReadInteger(section, key, field);
    }
    void operator()(const QString& section, const QString& key, uint8_t& field)
    {
        field = uint8_t(ini.ReadInteger(section, key, field) & 0xFF);
    }
    void operator()(const QString& section, const QString& key, float& field)
    {
        field = float(ini.ReadFloat(section, key, field));
    }
    void operator()(const QString& section, const QString& key, platform::SystemTime& field)
    {
        field = ini.ReadTime(section, key, field);
    }
};

} // namespace

void SaveSettingsToDb()
{
    TDbIniFile ini;
    forEachMirroredField(TheProgramSettings, Saver{ini});
}

void LoadSettingsFromDb()
{
    TDbIniFile ini;
    forEachMirroredField(TheProgramSettings, Loader{ini});
}

void WriteSerialSettings(const QString& section, const SerialLineSettings& settings)
{
    TDbIniFile ini;
    ini.WriteInteger(section, QStringLiteral("BaudRate"), settings.BaudRate);
    ini.WriteInteger(section, QStringLiteral("Parity"), settings.Parity);
    ini.WriteInteger(section, QStringLiteral("ByteSize"), settings.ByteSize);
    ini.WriteInteger(section, QStringLiteral("StopBits"), settings.StopBits);
}

SerialLineSettings ReadSerialSettings(const QString& section, const SerialLineSettings& settings)
{
    TDbIniFile ini;
    SerialLineSettings read = settings;
    read.BaudRate = ini.ReadInteger(section, QStringLiteral("BaudRate"), settings.BaudRate);
    read.Parity = ini.ReadInteger(section, QStringLiteral("Parity"), settings.Parity);
    read.ByteSize = ini.ReadInteger(section, QStringLiteral("ByteSize"), settings.ByteSize);
    read.StopBits = ini.ReadInteger(section, QStringLiteral("StopBits"), settings.StopBits);
    return read;
}

} // namespace velmar::store
