#include "settings/IniFile.h"
#include "nmeaserver/NmeaSettings.h"

#include <QFile>
#include <functional>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmar::nmeaserver;

TEST(NmeaSettings, DefaultsWithoutAFile)
{
    IniFile file(QTemporaryDir().path() + "/NMEA.INI");
    EXPECT_FALSE(file.load());
    NmeaSettings s;
    s.setPorts({"/dev/ttyS0"}, file);
    s.load(file);
    EXPECT_EQ(s.Display.Type, ShowPosition);
    EXPECT_FALSE(s.Display.hasBounds());
    ASSERT_EQ(s.Ports.size(), 1u);
    EXPECT_FALSE(s.Ports[0].Enable);
    EXPECT_EQ(s.Ports[0].BaudRate, 0);
    EXPECT_FALSE(s.Sim.Simulate) << "no simulated ship unless asked for";
    EXPECT_FALSE(s.Udp.SendUDPData);
    EXPECT_EQ(s.Udp.UDPPort, 8010);
    EXPECT_FALSE(s.Dump.DumpData);
    EXPECT_EQ(s.Dump.DumpInterval, 30);
    EXPECT_EQ(s.Sim.Initials, "GP");
    EXPECT_FLOAT_EQ(s.Sim.Latitude, 51.4f);
}

TEST(NmeaSettings, WriteThenReadKeepsEveryValueAndTheFileLayout)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/NMEA.INI";
    NmeaSettings s;
    IniFile empty;
    s.setPorts({"/dev/ttyUSB0", "/dev/ttyS0"}, empty);
    s.Display = {OneOfEach, 20, 30, 400, 600, "DejaVu Sans", 14, 255, true, false, true};
    ASSERT_EQ(s.Ports[0].PortName, "/dev/ttyS0"); // byte order: S before U
    s.Ports[0].Enable = true;
    s.Ports[0].BaudRate = 4800;
    s.Sim = {true, -33.25f, 151.5f, 0.0f, 355.0f, "II", 2.0f, "IN", "IN"};
    s.Udp = {9000, true};
    s.Dump = {true, true, 15, "/data/nmea"};
    {
        IniFile out(path);
        s.save(out, true);
        ASSERT_TRUE(out.save());
    }

    IniFile in(path);
    ASSERT_TRUE(in.load());
    NmeaSettings r;
    r.setPorts({"/dev/ttyS0"}, in); // the USB adapter is unplugged now
    r.load(in);
    ASSERT_EQ(r.Ports.size(), 2u);
    EXPECT_EQ(r.Ports[0].PortName, "/dev/ttyS0");
    EXPECT_TRUE(r.Ports[0].Enable);
    EXPECT_EQ(r.Ports[0].BaudRate, 4800);
    EXPECT_EQ(r.Ports[1].PortName, "/dev/ttyUSB0");
    EXPECT_FALSE(r.Ports[1].Enable);
    EXPECT_EQ(r.Display.Type, OneOfEach);
    EXPECT_EQ(r.Display.Height, 400);
    EXPECT_EQ(r.Display.FontName, "DejaVu Sans");
    EXPECT_TRUE(r.Display.FontBold);
    EXPECT_FALSE(r.Display.FontItalic);
    EXPECT_TRUE(r.Display.FontUnderline);
    EXPECT_TRUE(r.Sim.Simulate);
    EXPECT_FLOAT_EQ(r.Sim.Latitude, -33.25f);
    EXPECT_FLOAT_EQ(r.Sim.Heading, 355.0f);
    EXPECT_EQ(r.Sim.HDMInitials, "IN");
    EXPECT_FLOAT_EQ(r.Sim.Interval, 2.0f);
    EXPECT_EQ(r.Udp.UDPPort, 9000);
    EXPECT_TRUE(r.Udp.SendUDPData);
    EXPECT_TRUE(r.Dump.DumpALLStrings);
    EXPECT_EQ(r.Dump.DumpInterval, 15);
    EXPECT_EQ(r.Dump.Directory, "/data/nmea");

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.contains("[DumpData]\nDirectory=/data/nmea\n"));
    EXPECT_TRUE(text.contains("[DataDump]\nDumpData=1\nDumpALLStrings=1\nDumpInterval=15\n"));
    EXPECT_TRUE(text.contains("[/dev/ttyS0]\nBaudRate=4800\nEnable=1\n"));
    EXPECT_TRUE(text.contains("Latitude=-33.25\n"));
    EXPECT_TRUE(text.contains("[UDPPORT]\nUDPPort=9000\nSendUDPData=1\n"));
}

TEST(NmeaSettings, BadValuesKeepDefaultsAndStoredBoundsSurviveAMaximisedForm)
{
    IniFile f;
    f.parse("[Display]\r\ntype=3\r\nTop=5\r\nLeft=6\r\nHeight=300\r\nWidth=500\r\n"
            "[UDPPORT]\r\nUDPPort=70000\r\nSendUDPData=yes\r\n"
            "[Simulation]\r\nLatitude=fifty\r\nInitials=II\r\n"
            "[DataDump]\r\nDumpInterval=\r\n");
    NmeaSettings s;
    s.load(f);
    EXPECT_EQ(s.Display.Type, OneOfEach) << "keys compare without regard to case";
    EXPECT_EQ(s.Udp.UDPPort, 8010) << "a port outside 1..65535 is refused";
    EXPECT_FALSE(s.Udp.SendUDPData);
    EXPECT_FLOAT_EQ(s.Sim.Latitude, 51.4f);
    EXPECT_EQ(s.Sim.Initials, "II");
    EXPECT_EQ(s.Dump.DumpInterval, 30);
    EXPECT_FALSE(s.Sim.Simulate);

    // Only the file turns the simulator on.
    IniFile simFile;
    simFile.parse("[Simulation]\nSimulate=1\n");
    NmeaSettings told;
    told.load(simFile);
    EXPECT_TRUE(told.Sim.Simulate);

    s.Display.Height = 999;
    s.save(f, false);
    EXPECT_EQ(f.readInteger("Display", "Height", 0), 300);
    s.Udp.UDPPort = 0;
    f.writeInteger("UDPPORT", "UDPPort", 0);
    NmeaSettings t;
    t.load(f);
    EXPECT_EQ(t.Udp.UDPPort, 8010);
}

// A hand-edited file: every number is held to its dialog's check, and a bad
// one gets its default and a log line instead of reaching the simulator.
TEST(NmeaSettings, HandEditedNumbersAreCheckedAsTheirDialogsCheckThem)
{
    struct Row {
        const char* legend;
        const char* text;
        std::function<bool(const NmeaSettings&)> holds;
    };
    const SIMSETTINGS d;
    const Row rows[] = {
        {"interval nan", "[Simulation]\nInterval=nan\n",
         [&](const NmeaSettings& s) { return s.Sim.Interval == d.Interval; }},
        {"interval inf", "[Simulation]\nInterval=inf\n",
         [&](const NmeaSettings& s) { return s.Sim.Interval == d.Interval; }},
        {"interval 0", "[Simulation]\nInterval=0\n",
         [&](const NmeaSettings& s) { return s.Sim.Interval == d.Interval; }},
        {"interval 0.1", "[Simulation]\nInterval=0.1\n", [](const NmeaSettings& s) { return s.Sim.Interval == 0.1f; }},
        {"latitude 91", "[Simulation]\nLatitude=91\n",
         [&](const NmeaSettings& s) { return s.Sim.Latitude == d.Latitude; }},
        {"latitude -90", "[Simulation]\nLatitude=-90\n",
         [](const NmeaSettings& s) { return s.Sim.Latitude == -90.0f; }},
        {"longitude -nan", "[Simulation]\nLongitude=-nan\n",
         [&](const NmeaSettings& s) { return s.Sim.Longitude == d.Longitude; }},
        {"speed -3", "[Simulation]\nSpeed=-3\n", [&](const NmeaSettings& s) { return s.Sim.Speed == d.Speed; }},
        {"speed 1e30", "[Simulation]\nSpeed=1e30\n", [&](const NmeaSettings& s) { return s.Sim.Speed == d.Speed; }},
        {"heading 361", "[Simulation]\nHeading=361\n",
         [&](const NmeaSettings& s) { return s.Sim.Heading == d.Heading; }},
        {"initials of three", "[Simulation]\nInitials=GPS\nHDTInitials=H\n",
         [&](const NmeaSettings& s) { return s.Sim.Initials == d.Initials && s.Sim.HDTInitials == d.HDTInitials; }},
        {"baud 4801", "[/dev/ttyUSB0]\nBaudRate=4801\nEnable=1\n",
         [](const NmeaSettings& s) { return s.Ports.at(0).BaudRate == 0 && s.Ports.at(0).Enable; }},
        {"baud 9600", "[/dev/ttyUSB0]\nBaudRate=9600\n",
         [](const NmeaSettings& s) { return s.Ports.at(0).BaudRate == 9600; }},
        {"dump interval -5", "[DataDump]\nDumpInterval=-5\n",
         [](const NmeaSettings& s) { return s.Dump.DumpInterval == 30; }},
        {"display type 9", "[Display]\nType=9\n", [](const NmeaSettings& s) { return s.Display.Type == ShowPosition; }},
    };
    for (const Row& r : rows) {
        IniFile f;
        f.parse(r.text);
        NmeaSettings s;
        s.setPorts({}, f);
        s.load(f);
        EXPECT_TRUE(r.holds(s)) << r.legend;
    }
}

// Device paths differ by case: two sections, two ports, both kept on save.
TEST(NmeaSettings, PortSectionsCompareExactly)
{
    IniFile f;
    f.parse("[/dev/ttys0]\nBaudRate=9600\nEnable=1\n[/dev/ttyS0]\nBaudRate=4800\nEnable=0\n");
    NmeaSettings s;
    s.setPorts({QStringLiteral("/dev/ttyS0")}, f);
    s.load(f);
    ASSERT_EQ(s.Ports.size(), 2u);
    EXPECT_EQ(s.Ports[0].PortName, "/dev/ttyS0");
    EXPECT_FALSE(s.Ports[0].Enable) << "[/dev/ttys0] does not enable /dev/ttyS0";
    EXPECT_EQ(s.Ports[0].BaudRate, 4800);
    EXPECT_EQ(s.Ports[1].PortName, "/dev/ttys0");
    EXPECT_TRUE(s.Ports[1].Enable);
    IniFile out;
    s.save(out, true);
    const QByteArray text = out.toText();
    EXPECT_TRUE(text.contains("[/dev/ttyS0]\nBaudRate=4800\nEnable=0\n")) << text.constData();
    EXPECT_TRUE(text.contains("[/dev/ttys0]\nBaudRate=9600\nEnable=1\n")) << text.constData();
}

TEST(NmeaSettings, UdpPortsAreWholeNumbersFrom1To65535)
{
    EXPECT_EQ(parseUdpPort("8010"), 8010);
    EXPECT_EQ(parseUdpPort(" 1 "), 1);
    EXPECT_EQ(parseUdpPort("65535"), 65535);
    EXPECT_FALSE(parseUdpPort("70000")) << "no silent wrap to 4464";
    EXPECT_FALSE(parseUdpPort("65536"));
    EXPECT_FALSE(parseUdpPort("0"));
    EXPECT_FALSE(parseUdpPort("-1"));
    EXPECT_FALSE(parseUdpPort("80a"));
    EXPECT_FALSE(parseUdpPort(""));
}
