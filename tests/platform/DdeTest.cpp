#include "BusPeerProcess.h"

#include "platform/BusNames.h"
#include "platform/Dde.h"
#include "platform/MessageBus.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace velmar::platform;

namespace {

constexpr int DdeTimeoutMs = 1000;
constexpr int WaitBoundMs = 5000;

QByteArray allByteValues()
{
    QByteArray all(256, '\0');
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    return all;
}

} // namespace

TEST(Dde, NamesCompareWithoutCase)
{
    EXPECT_TRUE(ddeNamesEqual(QStringLiteral("GPRMC"), QStringLiteral("gprmc")));
    EXPECT_TRUE(ddeNamesEqual(QStringLiteral("strings"), QStringLiteral("Strings")));
    EXPECT_FALSE(ddeNamesEqual(QStringLiteral("GPRMC"), QStringLiteral("GPGGA")));
}

TEST(Dde, ServerAndClientInOneProcess)
{
    DdeServer server(QStringLiteral("Velmar2000"));
    QString pokedTopic, pokedItem;
    QByteArray poked;
    server.onConnect = [](const QString& topic) { return ddeNamesEqual(topic, QStringLiteral("EventsService")); };
    server.onRequest = [](const QString&, const QString& item) -> std::optional<QByteArray> {
        if (ddeNamesEqual(item, QStringLiteral("Status")))
            return QByteArray("OK", 3);
        return std::nullopt;
    };
    server.onPoke = [&](const QString& topic, const QString& item, const QByteArray& data) {
        pokedTopic = topic;
        pokedItem = item;
        poked = data;
        return true;
    };
    ASSERT_TRUE(server.start());
    EXPECT_TRUE(server.isRunning());
    EXPECT_TRUE(MessageBus::instance().isNameOwned(ddeBusName(QStringLiteral("Velmar2000"))));

    DdeServer twin(QStringLiteral("Velmar2000"));
    EXPECT_FALSE(twin.start()) << "a service has one server";

    DdeClient client(QStringLiteral("Velmar2000"));
    EXPECT_TRUE(client.serverPresent());
    EXPECT_TRUE(client.connectTopic(QStringLiteral("eventsservice"), DdeTimeoutMs));
    EXPECT_FALSE(client.connectTopic(QStringLiteral("Other"), DdeTimeoutMs));
    EXPECT_EQ(client.request(QStringLiteral("System"), QStringLiteral("status"), DdeTimeoutMs), QByteArray("OK", 3));
    EXPECT_FALSE(client.request(QStringLiteral("System"), QStringLiteral("Missing"), DdeTimeoutMs));
    EXPECT_TRUE(
        client.poke(QStringLiteral("EventsService"), QStringLiteral("newWhistles"), allByteValues(), DdeTimeoutMs));
    EXPECT_EQ(pokedTopic, QStringLiteral("EventsService")) << "handlers see names as the client sent them";
    EXPECT_EQ(pokedItem, QStringLiteral("newWhistles"));
    EXPECT_EQ(poked, allByteValues());
    EXPECT_FALSE(client.execute(QStringLiteral("System"), "anything", DdeTimeoutMs)) << "no handler refuses";

    // Hot links go over the bus even within one process.
    QSignalSpy advised(&client, &DdeClient::advised);
    server.advise(QStringLiteral("EventsService"), QStringLiteral("Level"), QByteArray("\x01\x00\x02", 3));
    ASSERT_TRUE(advised.wait(WaitBoundMs));
    EXPECT_EQ(advised.at(0).at(2).toByteArray(), QByteArray("\x01\x00\x02", 3));

    server.stop();
    EXPECT_FALSE(server.isRunning());
    EXPECT_FALSE(client.serverPresent());
    EXPECT_FALSE(client.request(QStringLiteral("System"), QStringLiteral("Status"), DdeTimeoutMs));
    EXPECT_TRUE(twin.start()) << "the name is free again after stop";
}

TEST(Dde, ClientOfAServerInAnotherProcess)
{
    const QString service = QStringLiteral("NMEA");
    DdeClient client(service);
    EXPECT_FALSE(client.serverPresent());
    EXPECT_FALSE(client.connectTopic(QStringLiteral("System"), DdeTimeoutMs)) << "no server: refused at once";

    BusPeerProcess peer({QStringLiteral("--dde"), service});
    ASSERT_TRUE(peer.waitFor(QStringLiteral("serving")));
    ASSERT_TRUE(peer.waitFor(QStringLiteral("ready")));
    EXPECT_TRUE(client.serverPresent());

    EXPECT_TRUE(client.connectTopic(QStringLiteral("system"), DdeTimeoutMs));
    EXPECT_TRUE(client.connectTopic(QStringLiteral("STRINGS"), DdeTimeoutMs));
    EXPECT_FALSE(client.connectTopic(QStringLiteral("Other"), DdeTimeoutMs));

    // Requests: bytes exactly as served, NUL and high bytes included.
    EXPECT_EQ(client.request(QStringLiteral("System"), QStringLiteral("Status"), DdeTimeoutMs), QByteArray("OK", 3));
    EXPECT_EQ(client.request(QStringLiteral("strings"), QStringLiteral("binary"), DdeTimeoutMs), allByteValues());
    EXPECT_FALSE(client.request(QStringLiteral("Strings"), QStringLiteral("GPRMC"), DdeTimeoutMs)) << "no data";

    // Pokes: delivered exactly, the server's answer comes back.
    const QByteArray record = QByteArray::fromHex("00ff7f8001020300");
    EXPECT_TRUE(client.poke(QStringLiteral("Strings"), QStringLiteral("NewSeismic"), record, DdeTimeoutMs));
    EXPECT_TRUE(peer.waitFor(QStringLiteral("poke Strings NewSeismic 00ff7f8001020300")));
    EXPECT_FALSE(client.poke(QStringLiteral("System"), QStringLiteral("X"), "x", DdeTimeoutMs));
    EXPECT_TRUE(client.execute(QStringLiteral("System"), QByteArray("[Run]\0", 6), DdeTimeoutMs));
    EXPECT_TRUE(peer.waitFor(QStringLiteral("execute System 5b52756e5d00")));

    // Advise from the server reaches the client.
    QSignalSpy advised(&client, &DdeClient::advised);
    const QString serverName = ddeBusName(service);
    EXPECT_EQ(
        MessageBus::instance().send(serverName, QStringLiteral("PleaseAdvise"), 0x0102030405060708ull, 0, DdeTimeoutMs),
        1)
        << "object / of a DDE name answers messages too";
    ASSERT_TRUE(advised.wait(WaitBoundMs));
    EXPECT_EQ(advised.at(0).at(0).toString(), QStringLiteral("Strings"));
    EXPECT_EQ(advised.at(0).at(1).toString(), QStringLiteral("Level"));
    EXPECT_EQ(advised.at(0).at(2).toByteArray(), QByteArray::fromHex("0807060504030201"));

    DdeServer here(service);
    EXPECT_FALSE(here.start()) << "the service is served by the other process";

    // A server that does not answer: the request gives up at its time-out.
    peer.pause();
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(client.request(QStringLiteral("System"), QStringLiteral("Status"), 100));
    EXPECT_LT(clock.elapsed(), WaitBoundMs);
    peer.resume();
    EXPECT_EQ(client.request(QStringLiteral("System"), QStringLiteral("Status"), DdeTimeoutMs), QByteArray("OK", 3));
}

TEST(Dde, ConversationsEndByDisconnectOrWhenTheClientGoes)
{
    DdeServer server(QStringLiteral("Velmar2000"));
    int open = 0;
    QStringList ended;
    server.onConnect = [&](const QString& topic) {
        const bool ok = ddeNamesEqual(topic, QStringLiteral("System"));
        open += ok ? 1 : 0;
        return ok;
    };
    server.onDisconnect = [&](const QString& topic) {
        --open;
        ended << topic;
    };
    int clients = 0;
    server.onClientsChanged = [&](int n) { clients = n; };
    ASSERT_TRUE(server.start());
    const QString clientArgs = QStringLiteral("--dde-client");

    BusPeerProcess tidy({clientArgs, QStringLiteral("Velmar2000"), QStringLiteral("--connect"),
                         QStringLiteral("System"), QStringLiteral("--connect"), QStringLiteral("Other"),
                         QStringLiteral("--disconnect"), QStringLiteral("Other"), QStringLiteral("--disconnect"),
                         QStringLiteral("system"), QStringLiteral("--disconnect"), QStringLiteral("System")});
    EXPECT_EQ(tidy.nextLine(), QStringLiteral("connected System"));
    EXPECT_EQ(tidy.nextLine(), QStringLiteral("refused Other"));
    ASSERT_TRUE(tidy.waitFor(QStringLiteral("ready")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return ended.size() == 1; }, WaitBoundMs));
    EXPECT_EQ(ended, QStringList{QStringLiteral("system")})
        << "one end per accepted conversation, as the client named it";
    EXPECT_EQ(open, 0);
    EXPECT_EQ(clients, 1) << "a program with no conversation open is still a client while on the bus";

    BusPeerProcess first(
        {clientArgs, QStringLiteral("Velmar2000"), QStringLiteral("--connect"), QStringLiteral("System")});
    BusPeerProcess second({clientArgs, QStringLiteral("Velmar2000"), QStringLiteral("--connect"),
                           QStringLiteral("System"), QStringLiteral("--connect"), QStringLiteral("SYSTEM")});
    ASSERT_TRUE(first.waitFor(QStringLiteral("ready")));
    ASSERT_TRUE(second.waitFor(QStringLiteral("ready")));
    EXPECT_EQ(open, 3);
    EXPECT_EQ(clients, 3);

    // Clients that end without disconnecting: their conversations end too.
    first.crash();
    EXPECT_TRUE(QTest::qWaitFor([&] { return open == 2; }, WaitBoundMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return clients == 2; }, WaitBoundMs));
    second.crash();
    EXPECT_TRUE(QTest::qWaitFor([&] { return open == 0; }, WaitBoundMs));
    QCoreApplication::processEvents();
    EXPECT_EQ(open, 0) << "never below zero";
}
