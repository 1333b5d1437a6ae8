#include "nmeaserver/NmeaSettings.h"

#include "settings/IniFile.h"
#include "platform/Folders.h"

#include <QLocale>
#include <QLoggingCategory>
#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <functional>

Q_LOGGING_CATEGORY(lcSettings, "velmar.nmeaserver.settings")

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

void logBadValue(const QString& section, const QString& key, const QString& value, const QString& def)
{
    qCWarning(lcSettings).noquote() << QStringLiteral("%1 [%2] %3=%4 is not valid: %5 used instead")
                                           .arg(QString::fromLatin1(SettingsFileName), section, key, value, def);
}

// The value of a key the file holds, or its default when the key is missing
// or the value fails the dialog's check.
float readReal(const IniFile& f, const QString& s, const QString& k, float def, RealBounds bounds)
{
    if (!f.hasKey(s, k))
        return def;
    const QString text = f.readString(s, k, QString());
    if (const auto v = parseBoundedReal(text, bounds))
        return *v;
    logBadValue(s, k, text, QString::number(def));
    return def;
}

int readInteger(const IniFile& f, const QString& s, const QString& k, int def, const std::function<bool(int)>& ok)
{
    if (!f.hasKey(s, k))
        return def;
    const QString text = f.readString(s, k, QString());
    bool isNumber = false;
    const int v = text.toInt(&isNumber);
    if (isNumber && ok(v))
        return v;
    logBadValue(s, k, text, QString::number(def));
    return def;
}

QString readInitials(const IniFile& f, const QString& s, const QString& k, const QString& def)
{
    const QString text = f.readString(s, k, def);
    if (text.size() == InitialsLength)
        return text;
    logBadValue(s, k, text, def);
    return def;
}
} // namespace

const std::vector<int>& BaudRates()
{
    static const std::vector<int> rates{1200,  2400,  4800,  9600,   14400,  19200,
                                        38400, 56000, 57600, 115200, 128000, 256000};
    return rates;
}

std::optional<float> parseBoundedReal(const QString& text, RealBounds bounds)
{
    bool ok = false;
    const double v = QLocale::c().toDouble(text.trimmed(), &ok);
    // Compared as stored: 0.1 held in a float is a little under 0.1.
    const float stored = float(v);
    if (!ok || !std::isfinite(v) || stored < float(bounds.low) || stored > float(bounds.high))
        return std::nullopt;
    return stored;
}

void NmeaSettings::setPorts(const QStringList& presentPorts, const IniFile& file)
{
    QStringList names = presentPorts;
    for (const QString& section : file.sections())
        if (isDevicePath(section) && !names.contains(section))
            names << section;
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) { return a.toUtf8() < b.toUtf8(); });
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
    d.Type = readInteger(f, DisplaySection, QStringLiteral("Type"), ShowPosition,
                         [](int v) { return v >= ScrollAll && v <= OneOfEach; });
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
        port.BaudRate = readInteger(f, port.PortName, QStringLiteral("BaudRate"), port.BaudRate, [](int v) {
            // 0: never set by the operator.
            return v == 0 || std::find(BaudRates().begin(), BaudRates().end(), v) != BaudRates().end();
        });
        port.Enable = f.readBool(port.PortName, QStringLiteral("Enable"), port.Enable);
    }

    // Never on unasked: a simulated ship must not be logged as survey data.
    Sim.Simulate = f.readBool(Simulation, QStringLiteral("Simulate"), Sim.Simulate);
    Udp.UDPPort = uint16_t(readInteger(f, UdpSection, QStringLiteral("UDPPort"), Udp.UDPPort,
                                       [](int v) { return parseUdpPort(QString::number(v)).has_value(); }));
    Udp.SendUDPData = f.readBool(UdpSection, QStringLiteral("SendUDPData"), Udp.SendUDPData);

    const SIMSETTINGS defaults;
    Sim.Latitude = readReal(f, Simulation, QStringLiteral("Latitude"), defaults.Latitude, LatitudeBounds);
    Sim.Longitude = readReal(f, Simulation, QStringLiteral("Longitude"), defaults.Longitude, LongitudeBounds);
    Sim.Speed = readReal(f, Simulation, QStringLiteral("Speed"), defaults.Speed, SpeedBounds);
    Sim.Heading = readReal(f, Simulation, QStringLiteral("Heading"), defaults.Heading, HeadingBounds);
    Sim.Initials = readInitials(f, Simulation, QStringLiteral("Initials"), defaults.Initials);
    Sim.Interval = readReal(f, Simulation, QStringLiteral("Interval"), defaults.Interval, IntervalBounds);
    Sim.HDTInitials = readInitials(f, Simulation, QStringLiteral("HDTInitials"), defaults.HDTInitials);
    Sim.HDMInitials = readInitials(f, Simulation, QStringLiteral("HDMInitials"), defaults.HDMInitials);

    Dump.DumpData = f.readBool(DataDump, QStringLiteral("DumpData"), Dump.DumpData);
    Dump.DumpALLStrings = f.readBool(DataDump, QStringLiteral("DumpALLStrings"), Dump.DumpALLStrings);
    Dump.DumpInterval = readInteger(f, DataDump, QStringLiteral("DumpInterval"), Dump.DumpInterval,
                                    [](int v) { return v >= 0; });
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
