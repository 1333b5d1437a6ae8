#include "nmeaserver/NmeaSettings.h"

#include "settings/IniFile.h"
#include "platform/Folders.h"

#include <QtGlobal>

#include <algorithm>

namespace velmar::nmeaserver {

namespace {
const QString DisplaySection = QStringLiteral("Display");
const QString Simulation = QStringLiteral("Simulation");
const QString UdpSection = QStringLiteral("UDPPORT");
const QString DataDump = QStringLiteral("DataDump");
// The dump folder has always lived in a section of its own, apart from the
// other dump keys; old files have it there.
const QString DumpDirectorySection = QStringLiteral("DumpData");
constexpr int DefaultReadTimeoutMs = 10000;

bool isDevicePath(const QString& name)
{
    return name.startsWith(u'/');
}

float readFloat(const IniFile& f, const QString& s, const QString& k, float def)
{
    return float(f.readFloat(s, k, double(def)));
}
} // namespace

void NmeaSettings::setPorts(const QStringList& presentPorts, const IniFile& file)
{
    QStringList names = presentPorts;
    for (const QString& section : file.sections())
        if (isDevicePath(section) && !names.contains(section))
            names << section;
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.toUtf8() < b.toUtf8();
    });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    std::vector<THREADDATA> ports;
    for (const QString& name : names) {
        THREADDATA port;
        port.PortName = name;
        for (const THREADDATA& old : Ports)
            if (old.PortName == name)
                port = old;
        ports.push_back(port);
    }
    Ports = std::move(ports);
}

void NmeaSettings::load(const IniFile& f)
{
    DisplaySettings& d = Display;
    d.Type = f.readInteger(DisplaySection, QStringLiteral("Type"), ShowPosition);
    d.Top = f.readInteger(DisplaySection, QStringLiteral("Top"), 1);
    d.Left = f.readInteger(DisplaySection, QStringLiteral("Left"), 1);
    d.Height = f.readInteger(DisplaySection, QStringLiteral("Height"), 0);
    d.Width = f.readInteger(DisplaySection, QStringLiteral("Width"), 0);
    d.FontName = f.readString(DisplaySection, QStringLiteral("FontName"), d.FontName);
    d.FontSize = f.readInteger(DisplaySection, QStringLiteral("FontSize"), d.FontSize);
    d.FontColour = f.readInteger(DisplaySection, QStringLiteral("FontColour"), d.FontColour);
    d.FontBold = d.FontBold || f.readBool(DisplaySection, QStringLiteral("FontBold"), false);
    d.FontItalic = d.FontItalic || f.readBool(DisplaySection, QStringLiteral("FontItalic"), false);
    d.FontUnderline = d.FontUnderline || f.readBool(DisplaySection, QStringLiteral("FontUnderline"), false);

    for (THREADDATA& port : Ports) {
        port.BaudRate = f.readInteger(port.PortName, QStringLiteral("BaudRate"), port.BaudRate);
        port.Enable = f.readBool(port.PortName, QStringLiteral("Enable"), port.Enable);
    }

    // A server that has never been told what to read simulates: the suite
    // then has a GPS feed out of the box. Once the file says, it holds.
    const bool anyPortEnabled = std::any_of(Ports.begin(), Ports.end(), [](const THREADDATA& p) { return p.Enable; });
    if (f.hasKey(Simulation, QStringLiteral("Simulate")))
        Sim.Simulate = f.readBool(Simulation, QStringLiteral("Simulate"), Sim.Simulate);
    else if (!anyPortEnabled)
        Sim.Simulate = true;
    if (const auto port = parseUdpPort(f.readString(UdpSection, QStringLiteral("UDPPort"), QString())))
        Udp.UDPPort = *port;
    Udp.SendUDPData = f.readBool(UdpSection, QStringLiteral("SendUDPData"), Udp.SendUDPData);

    const SIMSETTINGS defaults;
    Sim.Latitude = readFloat(f, Simulation, QStringLiteral("Latitude"), defaults.Latitude);
    Sim.Longitude = readFloat(f, Simulation, QStringLiteral("Longitude"), defaults.Longitude);
    Sim.Speed = readFloat(f, Simulation, QStringLiteral("Speed"), defaults.Speed);
    Sim.Heading = readFloat(f, Simulation, QStringLiteral("Heading"), defaults.Heading);
    Sim.Initials = f.readString(Simulation, QStringLiteral("Initials"), defaults.Initials);
    Sim.Interval = readFloat(f, Simulation, QStringLiteral("Interval"), defaults.Interval);
    Sim.HDTInitials = f.readString(Simulation, QStringLiteral("HDTInitials"), defaults.HDTInitials);
    Sim.HDMInitials = f.readString(Simulation, QStringLiteral("HDMInitials"), defaults.HDMInitials);

    Dump.DumpData = f.readBool(DataDump, QStringLiteral("DumpData"), Dump.DumpData);
    Dump.DumpALLStrings = f.readBool(DataDump, QStringLiteral("DumpALLStrings"), Dump.DumpALLStrings);
    Dump.DumpInterval = f.readInteger(DataDump, QStringLiteral("DumpInterval"), Dump.DumpInterval);
    Dump.Directory = f.readString(DumpDirectorySection, QStringLiteral("Directory"), Dump.Directory);
}

void NmeaSettings::save(IniFile& f, bool writeBounds) const
{
    const DisplaySettings& d = Display;
    f.writeInteger(DisplaySection, QStringLiteral("Type"), d.Type);
    if (writeBounds) {
        f.writeInteger(DisplaySection, QStringLiteral("Top"), d.Top);
        f.writeInteger(DisplaySection, QStringLiteral("Left"), d.Left);
        f.writeInteger(DisplaySection, QStringLiteral("Height"), d.Height);
        f.writeInteger(DisplaySection, QStringLiteral("Width"), d.Width);
    }
    f.writeString(DisplaySection, QStringLiteral("FontName"), d.FontName);
    f.writeInteger(DisplaySection, QStringLiteral("FontSize"), d.FontSize);
    f.writeInteger(DisplaySection, QStringLiteral("FontColour"), d.FontColour);
    f.writeBool(DisplaySection, QStringLiteral("FontBold"), d.FontBold);
    f.writeBool(DisplaySection, QStringLiteral("FontItalic"), d.FontItalic);
    f.writeBool(DisplaySection, QStringLiteral("FontUnderline"), d.FontUnderline);

    for (const THREADDATA& port : Ports) {
        f.writeInteger(port.PortName, QStringLiteral("BaudRate"), port.BaudRate);
        f.writeBool(port.PortName, QStringLiteral("Enable"), port.Enable);
    }

    f.writeBool(Simulation, QStringLiteral("Simulate"), Sim.Simulate);
    f.writeInteger(UdpSection, QStringLiteral("UDPPort"), Udp.UDPPort);
    f.writeBool(UdpSection, QStringLiteral("SendUDPData"), Udp.SendUDPData);

    f.writeFloat(Simulation, QStringLiteral("Latitude"), Sim.Latitude);
    f.writeFloat(Simulation, QStringLiteral("Longitude"), Sim.Longitude);
    f.writeFloat(Simulation, QStringLiteral("Speed"), Sim.Speed);
    f.writeFloat(Simulation, QStringLiteral("Heading"), Sim.Heading);
    f.writeString(Simulation, QStringLiteral("Initials"), Sim.Initials);
    f.writeFloat(Simulation, QStringLiteral("Interval"), Sim.Interval);
    f.writeString(Simulation, QStringLiteral("HDTInitials"), Sim.HDTInitials);
    f.writeString(Simulation, QStringLiteral("HDMInitials"), Sim.HDMInitials);

    f.writeBool(DataDump, QStringLiteral("DumpData"), Dump.DumpData);
    f.writeBool(DataDump, QStringLiteral("DumpALLStrings"), Dump.DumpALLStrings);
    f.writeInteger(DataDump, QStringLiteral("DumpInterval"), Dump.DumpInterval);
    f.writeString(DumpDirectorySection, QStringLiteral("Directory"), Dump.Directory);
}

std::optional<uint16_t> parseUdpPort(const QString& text)
{
    bool ok = false;
    const int port = text.trimmed().toInt(&ok);
    if (!ok || port < 1 || port > 65535)
        return std::nullopt;
    return uint16_t(port);
}

QString settingsFilePath()
{
    return platform::settingsFile(QString::fromLatin1(SettingsFileName));
}

int readTimeoutMs()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("VELMAR_NMEA_READ_TIMEOUT_MS", &ok);
    return ok && ms > 0 ? ms : DefaultReadTimeoutMs;
}

} // namespace velmar::nmeaserver
