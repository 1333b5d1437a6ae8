// The NMEA program as a whole: a pseudo-terminal for its port, a private
// session bus for its DDE service, a UDP listener and a dump folder.
#include "PtyPair.h"

#include "settings/IniFile.h"
#include "nmeaserver/NmeaSettings.h"
#include "platform/Dde.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>

#include <gtest/gtest.h>

using namespace velmar;

namespace {

QString nmeaProgram()
{
    return qEnvironmentVariable("VELMAR_BIN_DIR") + "/NMEA";
}

void startNmea(QProcess& p, const QString& platform = QStringLiteral("offscreen"))
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELMAR_NMEA_READ_TIMEOUT_MS", "1000");
    env.insert("QT_QPA_PLATFORM", platform);
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(nmeaProgram(), {});
}

std::optional<QByteArray> ask(platform::DdeClient& dde, const QString& item)
{
    return dde.request("strings", item, 500);
}

QByteArray z(const QByteArray& s)
{
    return s + '\0';
}

} // namespace

TEST(NmeaProgram, ServesDumpsAndSendsOnWhatThePortReads)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ready());
    QUdpSocket listener;
    ASSERT_TRUE(listener.bind(QHostAddress::LocalHost, 0));
    const QString dumpFolder = pty.folder() + "/dump";
    {
        nmeaserver::IniFile ini(nmeaserver::settingsFilePath());
        ini.writeInteger(pty.port(), "BaudRate", 4800);
        ini.writeBool(pty.port(), "Enable", true);
        ini.writeInteger("UDPPORT", "UDPPort", listener.localPort());
        ini.writeBool("UDPPORT", "SendUDPData", true);
        ini.writeBool("DataDump", "DumpData", true);
        ini.writeBool("DataDump", "DumpALLStrings", true);
        ini.writeString("DumpData", "Directory", dumpFolder);
        ASSERT_TRUE(ini.save());
    }

    QProcess nmea;
    startNmea(nmea);
    ASSERT_TRUE(nmea.waitForStarted(10000));
    platform::DdeClient dde("NMEA");
    ASSERT_TRUE(QTest::qWaitFor([&] { return dde.serverPresent(); }, 20000));
    ASSERT_TRUE(dde.connectTopic("System", 1000));
    EXPECT_FALSE(dde.connectTopic("Other", 1000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return dde.request("System", "Status", 500) == z("Starting"); }, 20000));

    // An instrument: an RMC and a GGA every 100 ms until it falls silent.
    const QByteArray rmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";
    ASSERT_TRUE(pty.write("$GPRMC,first\r\n"));
    int count = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout,
                     [&] { pty.write(rmc + "\r\n$GPGGA," + QByteArray::number(count++) + "\r\n"); });
    heartbeat.start(100);

    ASSERT_TRUE(QTest::qWaitFor([&] { return dde.request("System", "Status", 500) == z("OK"); }, 20000));
    EXPECT_EQ(ask(dde, "gprmc"), z(rmc));
    EXPECT_FALSE(ask(dde, "GPXXX"));

    QList<QByteArray> datagrams;
    while (datagrams.size() < 3 && listener.waitForReadyRead(5000)) {
        while (listener.hasPendingDatagrams()) {
            QByteArray d(int(listener.pendingDatagramSize()), 0);
            listener.readDatagram(d.data(), d.size());
            datagrams << d;
        }
    }
    ASSERT_GE(datagrams.size(), 3);
    EXPECT_EQ(datagrams[0], z(rmc + "\r"));
    EXPECT_EQ(datagrams[1], z("$GPGGA,0\r"));
    EXPECT_EQ(datagrams[2], z(rmc + "\r"));

    // Two copies: the second ends at once and the first serves on.
    QProcess second;
    startNmea(second);
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(nmea.state(), QProcess::Running);

    // The instrument falls silent: the port times out, its sentences go, and
    // one second later it starts again.
    heartbeat.stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dde.request("System", "Status", 500) == z("TimeOut"); }, 20000));
    EXPECT_FALSE(ask(dde, "GPRMC"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return dde.request("System", "Status", 500) == z("Starting"); }, 20000));

    nmea.terminate();
    EXPECT_TRUE(nmea.waitForFinished(10000));

    QDir dir(dumpFolder);
    const QStringList files = dir.entryList({"NMEA_*.asc"}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    QFile dump(dir.filePath(files[0]));
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = dump.readAll().split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[0].endsWith("," + rmc + "\r")) << lines[0].constData();
    EXPECT_TRUE(lines[1].endsWith(",$GPGGA,0\r")) << lines[1].constData();
    EXPECT_EQ(lines[0].indexOf(','), 19) << "yyyy-mm-dd hh:mm:ss";
}

// A GPS on a pseudo-terminal beside an enabled port whose instrument is
// unplugged: every status read during many retries of the dead port says
// "OK", so a client stores every fix.
TEST(NmeaProgram, AnUnpluggedSecondPortDoesNotInterruptTheGps)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ready());
    const QString unplugged = pty.folder() + "/unplugged";
    {
        QFile::remove(nmeaserver::settingsFilePath());
        nmeaserver::IniFile ini(nmeaserver::settingsFilePath());
        for (const QString& port : {pty.port(), unplugged}) {
            ini.writeInteger(port, "BaudRate", 4800);
            ini.writeBool(port, "Enable", true);
        }
        ASSERT_TRUE(ini.save());
    }
    QProcess nmea;
    startNmea(nmea);
    platform::DdeClient dde("NMEA");
    const QByteArray rmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";
    QTimer gps;
    QObject::connect(&gps, &QTimer::timeout, [&] { pty.write(rmc + "\r\n"); });
    gps.start(50);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dde.request("System", "Status", 500) == z("OK"); }, 20000));

    // The dead port is tried again about every second; read the status for
    // several of its retries.
    QStringList seen;
    QElapsedTimer span;
    span.start();
    while (span.elapsed() < 4000) {
        // A request that a busy machine lets time out tells nothing.
        if (const auto status = dde.request("System", "Status", 500))
            seen << QString::fromLatin1(*status);
        QTest::qWait(20);
    }
    seen.removeDuplicates();
    EXPECT_EQ(seen, QStringList{QStringLiteral("OK") + QChar(0)});
    EXPECT_EQ(ask(dde, "GPRMC"), z(rmc));
    nmea.terminate();
    EXPECT_TRUE(nmea.waitForFinished(10000));
}

// What scripts/run.sh sets up for a settings folder without NMEA settings.
TEST(NmeaProgram, ToldToSimulateItServesASimulatedShip)
{
    QFile::remove(nmeaserver::settingsFilePath());
    {
        nmeaserver::IniFile told(nmeaserver::settingsFilePath());
        told.writeBool("Simulation", "Simulate", true);
        ASSERT_TRUE(told.save());
    }
    QProcess nmea;
    startNmea(nmea);
    ASSERT_TRUE(nmea.waitForStarted(10000));
    platform::DdeClient dde("NMEA");
    ASSERT_TRUE(QTest::qWaitFor([&] { return dde.request("System", "Status", 500) == z("OK"); }, 20000));
    const auto rmc = ask(dde, "GPRMC");
    ASSERT_TRUE(rmc);
    EXPECT_TRUE(rmc->startsWith("$GPRMC,")) << rmc->constData();
    EXPECT_TRUE(rmc->endsWith('\0'));
    EXPECT_EQ(rmc->at(rmc->size() - 4), '*') << "checked: ends with *HH";
    ASSERT_TRUE(QTest::qWaitFor([&] { return ask(dde, "AIVDM").has_value(); }, 20000));
    EXPECT_TRUE(ask(dde, "HEHDT"));
    EXPECT_TRUE(ask(dde, "SDVHW"));

    // Ended by its session, it writes its settings and goes.
    nmea.terminate();
    EXPECT_TRUE(nmea.waitForFinished(10000));
    EXPECT_EQ(nmea.exitStatus(), QProcess::NormalExit);
    nmeaserver::IniFile ini(nmeaserver::settingsFilePath());
    ASSERT_TRUE(ini.load());
    EXPECT_TRUE(ini.readBool("Simulation", "Simulate", false));
    EXPECT_EQ(ini.readInteger("UDPPORT", "UDPPort", 0), 8010);
    EXPECT_FALSE(dde.serverPresent());
}

// The window's bounds as the running program takes them from its settings
// file and writes them back at its end, on a screen of 1024 x 768 whose
// windows have a frame (the offscreen platform's frame margins).
TEST(NmeaProgram, TheWindowOpensWhereItWasFittedToTheScreen)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString config = dir.filePath("screen.json");
    {
        QFile f(config);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(R"({"windowFrameMargins": true, "screens": [{"name": "one", "x": 0, "y": 0,
                   "width": 1024, "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    }
    struct Case {
        const char* legend;
        QRect saved; // empty: never written
        QRect expected;
    };
    const Case cases[] = {
        {"as it was: the frame does not grow it from one start to the next", {30, 40, 500, 300}, {30, 40, 500, 300}},
        {"written on a larger screen: as large as this one", {0, 0, 1600, 1200}, {0, 0, 1024, 768}},
        {"off the screen: moved onto it", {1500, 900, 400, 300}, {624, 468, 400, 300}},
        {"never written: its design size", {}, {-1, -1, 696, 480}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.legend);
        QFile::remove(nmeaserver::settingsFilePath());
        {
            nmeaserver::IniFile ini(nmeaserver::settingsFilePath());
            ini.writeInteger("Display", "Type", 2);
            if (!c.saved.isEmpty()) {
                ini.writeInteger("Display", "Top", c.saved.top());
                ini.writeInteger("Display", "Left", c.saved.left());
                ini.writeInteger("Display", "Height", c.saved.height());
                ini.writeInteger("Display", "Width", c.saved.width());
            }
            ASSERT_TRUE(ini.save());
        }
        platform::DdeClient dde("NMEA");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dde.serverPresent(); }, 20000)) << "the last copy has gone";
        QProcess nmea;
        startNmea(nmea, "offscreen:configfile=" + config);
        ASSERT_TRUE(QTest::qWaitFor([&] { return dde.serverPresent(); }, 20000));
        // Answering, it runs its event loop: its window is shown.
        ASSERT_TRUE(QTest::qWaitFor([&] { return dde.request("System", "Simulating", 500).has_value(); }, 20000));
        nmea.terminate();
        ASSERT_TRUE(nmea.waitForFinished(10000));
        EXPECT_EQ(nmea.exitStatus(), QProcess::NormalExit);
        nmeaserver::IniFile ini(nmeaserver::settingsFilePath());
        ASSERT_TRUE(ini.load());
        EXPECT_EQ(ini.readString("DumpData", "Directory", "unwritten"), "") << "the program wrote the file";
        const QRect written(ini.readInteger("Display", "Left", -1), ini.readInteger("Display", "Top", -1),
                            ini.readInteger("Display", "Width", -1), ini.readInteger("Display", "Height", -1));
        if (c.saved.isEmpty())
            EXPECT_EQ(written.size(), c.expected.size());
        else
            EXPECT_EQ(written, c.expected);
    }
}
