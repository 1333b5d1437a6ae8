#include "nmeaserver/NmeaServer.h"
#include "nmeaserver/ReaderStatus.h"

#include <QHostAddress>
#include <QUdpSocket>

#include <gtest/gtest.h>

using namespace velmar::nmeaserver;

namespace {
QByteArray z(const char* s)
{
    return QByteArray(s) + '\0';
}
} // namespace

TEST(NmeaServer, StatusItemFollowsTheReadersAndSentencesAreServedByName)
{
    NmeaServer server;
    server.initialise({});
    QStringList texts;
    QObject::connect(&server, &NmeaServer::statusTextChanged, [&](const QString& t) { texts << t; });

    EXPECT_FALSE(server.ddeRequest("System", "Status")) << "no data before the first reader state";
    server.OnPortStatus("/dev/ttyS0", StatusStarting);
    EXPECT_EQ(server.ddeRequest("System", "Status"), z("Starting"));

    server.OnRawSentence("/dev/ttyS0", "$GPRMC,1\r");
    EXPECT_EQ(server.ddeRequest("System", "Status"), z("Starting")) << "a new name is not yet OK";
    server.OnRawSentence("/dev/ttyS0", "$GPRMC,2\r");
    EXPECT_EQ(server.ddeRequest("System", "STATUS"), z("OK"));
    EXPECT_EQ(server.ddeRequest("strings", "gprmc"), z("$GPRMC,2"));
    EXPECT_FALSE(server.ddeRequest("strings", "GPGGA"));
    EXPECT_FALSE(server.ddeRequest("strings", "RMC"));
    EXPECT_EQ(texts.last(), "Collecting NMEA data on port /dev/ttyS0");

    server.OnPortStatus("Sim", StatusSimulating);
    EXPECT_EQ(texts.last(), "Collecting NMEA data on port /dev/ttyS0 | Simulating GPRMC and AIS Data")
        << "each source shows its own state";
    server.OnPortStatus("Sim", StatusIdle);
    server.OnPortStatus("/dev/ttyS0", StatusPortError);
    EXPECT_EQ(texts.last(), "Can't open comm port /dev/ttyS0 | Port Sim Idle");
    EXPECT_EQ(server.ddeRequest("System", "Status"), z("Port Error"));
    EXPECT_TRUE(server.restartPending()) << "a port that cannot be opened is tried again";
    server.OnPortStatus("/dev/ttyS0", 99);
    EXPECT_EQ(texts.last(), "Port Sim Idle");
    EXPECT_EQ(server.ddeRequest("System", "Status"), z("Port Error"));
}

// An unplugged second instrument beside the GPS: clients read "OK" as long
// as the GPS delivers, and each port shows its own state.
TEST(NmeaServer, StatusIsOkWhileAnyPortDelivers)
{
    NmeaServer server;
    server.initialise({});
    QStringList texts;
    QObject::connect(&server, &NmeaServer::statusTextChanged, [&](const QString& t) { texts << t; });
    server.OnPortStatus("/dev/ttyUSB0", StatusStarting);
    server.OnRawSentence("/dev/ttyUSB0", "$GPRMC,1\r");
    server.OnRawSentence("/dev/ttyUSB0", "$GPRMC,2\r");
    for (int second = 0; second < 5; ++second) {
        server.OnPortStatus("/dev/ttyUSB1", StatusPortError);
        EXPECT_EQ(server.ddeRequest("System", "Status"), z("OK")) << second;
        server.OnRawSentence("/dev/ttyUSB0", "$GPRMC,3\r");
        EXPECT_EQ(server.ddeRequest("System", "Status"), z("OK")) << second;
    }
    EXPECT_EQ(texts.last(), "Collecting NMEA data on port /dev/ttyUSB0 | Can't open comm port /dev/ttyUSB1");
    // The GPS falls silent too: now the clients are told.
    server.OnPortStatus("/dev/ttyUSB0", StatusTimeOut);
    EXPECT_EQ(server.ddeRequest("System", "Status"), z("TimeOut"));
}

TEST(NmeaServer, ASilentPortTakesOnlyItsOwnSentences)
{
    NmeaServer server;
    server.initialise({});
    server.OnRawSentence("/dev/ttyS0", "$GPRMC,1\r");
    server.OnRawSentence("/dev/ttyS1", "$HEHDT,2\r");
    server.OnRawSentence("/dev/ttyS0", "$GPTXT without comma\r");
    EXPECT_EQ(server.store().entries().size(), 2u);

    server.OnPortStatus("/dev/ttyS0", StatusTimeOut);
    EXPECT_EQ(server.ddeRequest("System", "Status"), z("TimeOut"));
    EXPECT_FALSE(server.ddeRequest("strings", "GPRMC"));
    EXPECT_EQ(server.ddeRequest("strings", "HEHDT"), z("$HEHDT,2"));
    EXPECT_TRUE(server.restartPending());

    server.OnPortStatus("/dev/ttyS1", StatusOverflow);
    EXPECT_TRUE(server.store().entries().empty());
    server.OnRawSentence("/dev/ttyS1", "$HEHDT,3\r");
    server.OnPortStatus("/dev/ttyS1", StatusIdle);
    EXPECT_EQ(server.ddeRequest("System", "Status"), z("Idle"));
    EXPECT_FALSE(server.ddeRequest("strings", "HEHDT"));
}

TEST(NmeaServer, TheThreeTopicsAreServedAndClientProgramsCounted)
{
    NmeaServer server;
    QStringList texts;
    QObject::connect(&server, &NmeaServer::connectionsTextChanged, [&](const QString& t) { texts << t; });
    EXPECT_TRUE(server.ddeConnect("System"));
    EXPECT_TRUE(server.ddeConnect("Strings"));
    EXPECT_FALSE(server.ddeConnect("Other"));
    EXPECT_TRUE(server.ddeConnect("command"));
    EXPECT_TRUE(texts.isEmpty()) << "conversations are not programs";
    server.SetDdeClients(1);
    server.SetDdeClients(2);
    server.SetDdeClients(-5);
    EXPECT_EQ(server.connectionCount(), 0);
    EXPECT_EQ(texts, QStringList({"1 Connection", "2 Connections", "0 Connections"}));
}

TEST(NmeaServer, UdpDatagramCarriesTheRawSentenceAndANul)
{
    QUdpSocket listener;
    ASSERT_TRUE(listener.bind(QHostAddress::LocalHost, 0));
    NmeaServer server;
    server.initialise({});
    server.settings().Udp = {listener.localPort(), true};
    server.StartPorts();
    ASSERT_TRUE(server.udp().isOpen());

    server.OnRawSentence("/dev/ttyS0", "$GPGGA,1,2\r");
    server.OnRawSentence("Sim", "!AIVDM,1,1,,A,13aG,0*5C");
    QList<QByteArray> got;
    while (got.size() < 2 && listener.waitForReadyRead(5000)) {
        while (listener.hasPendingDatagrams()) {
            QByteArray d(int(listener.pendingDatagramSize()), 0);
            listener.readDatagram(d.data(), d.size());
            got << d;
        }
    }
    ASSERT_EQ(got.size(), 2);
    EXPECT_EQ(got[0], z("$GPGGA,1,2\r"));
    EXPECT_EQ(got[1], z("!AIVDM,1,1,,A,13aG,0*5C"));
    EXPECT_EQ(server.ddeRequest("strings", "AIVDM"), z("!AIVDM,1,1,,A,13aG,0*5C")) << "only a line end is stripped";

    server.settings().Udp.SendUDPData = false;
    server.applyUdpSettings();
    EXPECT_FALSE(server.udp().isOpen());
}
