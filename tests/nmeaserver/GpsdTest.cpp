// A real outside listener reads the NMEA program's simulated instruments: gpsd
// takes the program's UDP output and must report a fix where the simulated
// ship is, and decode its AIS traffic. gpsd is one of the suite's Debian
// packages (scripts/install-deps.sh), so its absence is a failure, not a skip.
#include "settings/IniFile.h"
#include "nmeaserver/NmeaSettings.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace velmar;

namespace {

constexpr double StartLatitude = -33.9; // south and east of the default ship
constexpr double StartLongitude = 18.4;
// At one knot the ship moves about 0.0003 degrees in a minute.
constexpr double PositionTolerance = 0.001;

QString findGpsd()
{
    const QString onPath = QStandardPaths::findExecutable("gpsd");
    return onPath.isEmpty() ? QStandardPaths::findExecutable("gpsd", {"/usr/sbin", "/usr/local/sbin", "/sbin"})
                            : onPath;
}

quint16 freeUdpPort()
{
    QUdpSocket s;
    return s.bind(QHostAddress::LocalHost, 0) ? s.localPort() : 0;
}

quint16 freeTcpPort()
{
    QTcpServer s;
    return s.listen(QHostAddress::LocalHost, 0) ? s.serverPort() : 0;
}

// gpsd in the foreground on private ports, as an unprivileged user even when
// the tests run as root.
void startGpsd(QProcess& p, const QString& gpsd, const QString& folder, quint16 tcpPort, quint16 udpPort)
{
    const QStringList args = {"-N",
                              "-n",
                              "-F",
                              folder + "/gpsd.sock",
                              "-S",
                              QString::number(tcpPort),
                              QStringLiteral("udp://127.0.0.1:%1").arg(udpPort)};
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    if (::geteuid() == 0) {
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                          | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
        p.start("setpriv", QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", gpsd} + args);
    } else {
        p.start(gpsd, args);
    }
}

// The next JSON object gpsd reports, or an empty one after the time-out.
QJsonObject nextReport(QTcpSocket& gpsd, int timeoutMs)
{
    if (!QTest::qWaitFor([&] { return gpsd.canReadLine(); }, timeoutMs))
        return {};
    return QJsonDocument::fromJson(gpsd.readLine()).object();
}

} // namespace

TEST(NmeaProgramAndGpsd, GpsdReportsAFixAtTheSimulatedPosition)
{
    const QString gpsd = findGpsd();
    ASSERT_FALSE(gpsd.isEmpty()) << "gpsd is not installed; scripts/install-deps.sh installs it";
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const quint16 udpPort = freeUdpPort();
    const quint16 tcpPort = freeTcpPort();
    ASSERT_TRUE(udpPort && tcpPort);

    QProcess daemon;
    startGpsd(daemon, gpsd, folder.path(), tcpPort, udpPort);
    ASSERT_TRUE(daemon.waitForStarted(10000));
    QTcpSocket client;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            if (client.state() == QAbstractSocket::UnconnectedState)
                client.connectToHost(QHostAddress::LocalHost, tcpPort);
            return client.waitForConnected(200);
        },
        20000))
        << "gpsd does not answer on its port";
    client.write(R"(?WATCH={"enable":true,"json":true};)");
    // Its device list shows the UDP port bound before the program sends to it:
    // a datagram to a port nobody holds would close the program's output.
    bool deviceOpen = false;
    for (QJsonObject o = nextReport(client, 10000); !o.isEmpty() && !deviceOpen; o = nextReport(client, 10000))
        deviceOpen = o["class"] == "DEVICES" && !o["devices"].toArray().isEmpty();
    ASSERT_TRUE(deviceOpen);

    {
        nmeaserver::IniFile ini(nmeaserver::settingsFilePath());
        ini.writeBool("Simulation", "Simulate", true);
        ini.writeFloat("Simulation", "Latitude", float(StartLatitude));
        ini.writeFloat("Simulation", "Longitude", float(StartLongitude));
        ini.writeFloat("Simulation", "Speed", 1.0f);
        ini.writeFloat("Simulation", "Heading", 45.0f);
        ini.writeFloat("Simulation", "Interval", 0.2f);
        ini.writeInteger("UDPPORT", "UDPPort", udpPort);
        ini.writeBool("UDPPORT", "SendUDPData", true);
        ASSERT_TRUE(ini.save());
    }
    QProcess nmea;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VELMAR_NMEA_CLOCK_SET", "off");
    nmea.setProcessEnvironment(env);
    nmea.setProcessChannelMode(QProcess::ForwardedChannels);
    nmea.start(qEnvironmentVariable("VELMAR_BIN_DIR") + "/NMEA", {});
    ASSERT_TRUE(nmea.waitForStarted(10000));

    QJsonObject fix;
    bool aisDecoded = false;
    QElapsedTimer waited;
    waited.start();
    while ((fix.isEmpty() || !aisDecoded) && waited.elapsed() < 30000) {
        const QJsonObject o = nextReport(client, 30000);
        if (o.isEmpty())
            break;
        if (o["class"] == "TPV" && o["mode"].toInt() >= 2)
            fix = o;
        aisDecoded = aisDecoded || o["class"] == "AIS";
    }
    nmea.terminate();
    EXPECT_TRUE(nmea.waitForFinished(10000));
    daemon.terminate();
    EXPECT_TRUE(daemon.waitForFinished(10000));

    ASSERT_FALSE(fix.isEmpty()) << "gpsd reported no 2D or 3D fix";
    EXPECT_NEAR(fix["lat"].toDouble(), StartLatitude, PositionTolerance);
    EXPECT_NEAR(fix["lon"].toDouble(), StartLongitude, PositionTolerance);
    EXPECT_TRUE(aisDecoded) << "gpsd decoded none of the AIS lines";
}
