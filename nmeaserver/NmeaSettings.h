#pragma once
// The NMEA server's settings records and their file "NMEA.INI" in the
// settings folder.
//
// Plain value types; the main form owns the one instance and reads and writes
// it on the user-interface thread. Readers get copies of what they need when
// they start.
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace velmar::nmeaserver {

class IniFile;

inline constexpr char SettingsFileName[] = "NMEA.INI";

// One serial port: read or not, at what speed.
struct THREADDATA {
    bool Enable = false;
    QString PortName;     // device path; also the port's section name
    int32_t BaudRate = 0; // 0 until the operator sets it
};

struct SIMSETTINGS {
    bool Simulate = false;
    float Latitude = 51.4f;                  // decimal degrees, south negative
    float Longitude = -4.0f;                 // decimal degrees, west negative
    float Speed = 7.5f;                      // knots
    float Heading = 220.0f;                  // degrees true
    QString Initials = QStringLiteral("GP"); // talker of RMC and GGA
    float Interval = 0.5f;                   // seconds per cycle
    QString HDTInitials = QStringLiteral("HE");
    QString HDMInitials = QStringLiteral("HC");

    bool operator==(const SIMSETTINGS&) const = default;
};

struct UdpSettings {
    static constexpr uint16_t DefaultPort = 8010;
    uint16_t UDPPort = DefaultPort;
    bool SendUDPData = false;
};

struct DATADUMPINFO {
    bool DumpData = false;
    bool DumpALLStrings = false;
    int32_t DumpInterval = 30; // least seconds between two dumps of one name
    QString Directory;
};

// Display types of the main form.
enum DisplayType { ScrollAll = 1, ShowPosition = 2, OneOfEach = 3 };

struct DisplaySettings {
    int Type = ShowPosition;
    int Top = 1;
    int Left = 1;
    int Height = 0; // 0: the form keeps its designed size
    int Width = 0;
    QString FontName; // the caller puts the display font's values here before loading
    int FontSize = 0;
    int FontColour = 0;
    bool FontBold = false;
    bool FontItalic = false;
    bool FontUnderline = false;

    bool hasBounds() const { return Height > 0 && Width > 0; }
};

struct NmeaSettings {
    DisplaySettings Display;
    std::vector<THREADDATA> Ports; // sorted by PortName
    SIMSETTINGS Sim;
    UdpSettings Udp;
    DATADUMPINFO Dump;

    // Builds the port list: the ports present now, and every port the file
    // names by a device path (a port that is unplugged, a /dev/serial/by-id
    // link, a pseudo-terminal), sorted by byte value. Call before load().
    void setPorts(const QStringList& presentPorts, const IniFile& file);

    // Every key, each with the record's current value as its default, so a
    // missing key or a bad value leaves that value as it is (the simulator
    // stays off until the file or the operator turns it on).
    void load(const IniFile& file);
    // writeBounds: false while the form is maximised or minimised, so the
    // stored normal bounds stay.
    void save(IniFile& file, bool writeBounds) const;
};

// A UDP port typed by the operator: a whole number from 1 to 65535, or nothing.
std::optional<uint16_t> parseUdpPort(const QString& text);

// The checks of the settings dialogs, which the file's values pass too: a
// value read from "NMEA.INI" that fails gets its default and a log line.
inline constexpr int DefaultBaudRate = 4800;
const std::vector<int>& BaudRates();
inline constexpr int InitialsLength = 2;
struct RealBounds {
    double low;
    double high;
};
inline constexpr RealBounds LatitudeBounds{-90, 90};
inline constexpr RealBounds LongitudeBounds{-180, 180};
inline constexpr RealBounds SpeedBounds{0, 100};       // knots
inline constexpr RealBounds HeadingBounds{0, 360};     // degrees
inline constexpr RealBounds IntervalBounds{0.1, 3600}; // seconds; 0 would post without pause
// A number in the C locale within the bounds; "nan" and "inf" are none.
std::optional<float> parseBoundedReal(const QString& text, RealBounds bounds);

// The settings file's path in the settings folder.
QString settingsFilePath();

// Test hook: the read time-out of the serial readers in milliseconds (10 s;
// a port is silent after two of them). VELMAR_NMEA_READ_TIMEOUT_MS shortens it.
int readTimeoutMs();

} // namespace velmar::nmeaserver
