#include "BusPeerProcess.h"

#include "platform/BusNames.h"
#include "platform/MessageBus.h"
#include "platform/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace velmar::platform;

namespace {

// Generous: a send must come back near its own time-out, never after the
// bus's default of 25 s.
constexpr int SendBoundMs = 5000;

MessageBus& bus()
{
    MessageBus& b = MessageBus::instance();
    EXPECT_TRUE(b.connected());
    return b;
}

} // namespace

TEST(MessageBusLocal, SendAndPostToOurOwnNameReachTheHandler)
{
    const QString name = windowClassBusName(QStringLiteral("LocalClass"));
    ASSERT_TRUE(bus().ownName(name));
    EXPECT_TRUE(bus().isNameOwned(name));
    EXPECT_TRUE(bus().ownsName(name));

    int posted = 0;
    bus().setHandler(QStringLiteral("Twice"), [&](quint64 w, qint64) {
        ++posted;
        return qint64(2 * w);
    });
    EXPECT_EQ(bus().send(name, QStringLiteral("Twice"), 21, 0, 100), 42);
    EXPECT_EQ(bus().send(name, QStringLiteral("NobodyHandlesThis"), 1, 1, 100), 0) << "unhandled answers 0";

    posted = 0;
    EXPECT_TRUE(bus().post(name, QStringLiteral("twice"), 1, 0));
    EXPECT_EQ(posted, 0) << "a post is handled later, not inside the call";
    QCoreApplication::processEvents();
    EXPECT_EQ(posted, 1);

    bus().setHandler(QStringLiteral("Twice"), {});
    EXPECT_EQ(bus().send(name, QStringLiteral("Twice"), 21, 0, 100), 0);

    bus().releaseName(name);
    EXPECT_FALSE(bus().isNameOwned(name));
    EXPECT_FALSE(bus().send(name, QStringLiteral("Twice"), 1, 0, 100));
}

TEST(MessageBusLocal, NameWithoutOwnerFailsAtOnce)
{
    const QString nobody = windowClassBusName(QStringLiteral("NoSuchDetector"));
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(bus().send(nobody, QStringLiteral("Add"), 1, 2, 20000));
    EXPECT_LT(clock.elapsed(), SendBoundMs) << "the 20 s time-out must not be waited for";
    EXPECT_FALSE(bus().post(nobody, QStringLiteral("Add"), 1, 2));
    EXPECT_FALSE(bus().isNameOwned(nobody));
    EXPECT_FALSE(bus().ownName(QStringLiteral("not a bus name"))) << "an invalid name is refused, not a crash";
}

TEST(MessageBusLocal, OwnBroadcastComesBackOnce)
{
    QSignalSpy spy(&bus(), &MessageBus::broadcastReceived);
    bus().broadcast(QStringLiteral("VelmarOnTop"), 7, -7);
    ASSERT_TRUE(spy.wait(SendBoundMs));
    QCoreApplication::processEvents();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toString(), QStringLiteral("VelmarOnTop"));
    EXPECT_EQ(spy.at(0).at(1).toULongLong(), 7u);
    EXPECT_EQ(spy.at(0).at(2).toLongLong(), -7);
}

TEST(MessageBusTwoProcesses, SendPostAndBroadcastCrossTheBoundary)
{
    const QString name = windowClassBusName(QStringLiteral("PorpoiseADCWndClass"));
    bus().watchName(name);
    QSignalSpy owners(&bus(), &MessageBus::nameOwnerChanged);
    BusPeerProcess peer({QStringLiteral("--own"), name});
    ASSERT_TRUE(peer.waitFor(QStringLiteral("owned ") + name));
    ASSERT_TRUE(peer.waitFor(QStringLiteral("ready")));
    EXPECT_TRUE(bus().isNameOwned(name));
    EXPECT_FALSE(bus().ownName(name)) << "a name another process holds is refused";

    // 64-bit parameters travel whole, in both directions.
    EXPECT_EQ(bus().send(name, QStringLiteral("Add"), 5, -2, 1000), 3);
    EXPECT_EQ(bus().send(name, QStringLiteral("ADD"), 0xFFFFFFFFFFFFFFFFull, -1, 1000), -2);
    EXPECT_EQ(bus().send(name, QStringLiteral("Unknown"), 5, 5, 1000), 0);

    QSignalSpy broadcasts(&bus(), &MessageBus::broadcastReceived);
    EXPECT_TRUE(bus().post(name, QStringLiteral("PleaseBroadcast"), 11, -12));
    ASSERT_TRUE(broadcasts.wait(SendBoundMs));
    EXPECT_EQ(broadcasts.at(0).at(0).toString(), QStringLiteral("FromPeer"));
    EXPECT_EQ(broadcasts.at(0).at(1).toULongLong(), 11u);
    EXPECT_EQ(broadcasts.at(0).at(2).toLongLong(), -12);

    bus().broadcast(QStringLiteral("VelmarOnTop"), 0, 0);
    EXPECT_TRUE(peer.waitFor(QStringLiteral("broadcast VelmarOnTop 0 0")));

    // A peer that does not answer: the send gives up at its time-out.
    peer.pause();
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(bus().send(name, QStringLiteral("Add"), 1, 1, 100));
    EXPECT_LT(clock.elapsed(), SendBoundMs);
    peer.resume();

    // The reply still arrives though the program quits at once.
    EXPECT_EQ(bus().send(name, QStringLiteral("Quit"), 0, 0, 1000), 1);
    EXPECT_TRUE(peer.waitForExit());
    while (owners.isEmpty() || owners.last().at(1).toBool())
        ASSERT_TRUE(owners.wait(SendBoundMs)) << "no notice that the program went";
    EXPECT_EQ(owners.last().at(0).toString(), name);
    EXPECT_FALSE(bus().isNameOwned(name));
}

TEST(MessageBusTwoProcesses, MessagesOfAProgramThatEndsAtOnceArrive)
{
    // A second copy broadcasts "VelmarOnTop" and ends straight away.
    QSignalSpy broadcasts(&bus(), &MessageBus::broadcastReceived);
    BusPeerProcess second({QStringLiteral("--broadcast-and-leave"), QStringLiteral("VelmarOnTop")});
    ASSERT_TRUE(second.waitForExit());
    while (broadcasts.isEmpty())
        ASSERT_TRUE(broadcasts.wait(SendBoundMs)) << "the broadcast was lost";
    EXPECT_EQ(broadcasts.at(0).at(0).toString(), QStringLiteral("VelmarOnTop"));

    const QString name = windowClassBusName(QStringLiteral("PostTarget"));
    ASSERT_TRUE(bus().ownName(name));
    int received = 0;
    bus().setHandler(QStringLiteral("Add"), [&](quint64, qint64) {
        ++received;
        return qint64(0);
    });
    BusPeerProcess poster({QStringLiteral("--post-and-leave"), name});
    ASSERT_TRUE(poster.waitForExit());
    EXPECT_EQ(poster.exitCode(), 0);
    QElapsedTimer clock;
    clock.start();
    while (received == 0 && clock.elapsed() < SendBoundMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    EXPECT_EQ(received, 1) << "the post was lost";
    bus().setHandler(QStringLiteral("Add"), {});
    bus().releaseName(name);
}

TEST(NamedMutexTwoProcesses, OneHolderAtATime)
{
    const QString mutexName = QStringLiteral("Velmar");
    {
        NamedMutex mine(mutexName);
        EXPECT_FALSE(mine.existsElsewhere());
        ASSERT_TRUE(mine.tryCreate());
        EXPECT_TRUE(mine.isHeld());
        EXPECT_FALSE(mine.existsElsewhere()) << "our own hold is not elsewhere";

        BusPeerProcess second({QStringLiteral("--mutex"), mutexName});
        EXPECT_EQ(second.nextLine(), QStringLiteral("exists"));
        EXPECT_EQ(second.nextLine(), QStringLiteral("refused"));

        mine.release();
        EXPECT_FALSE(mine.isHeld());
        BusPeerProcess third({QStringLiteral("--mutex"), mutexName});
        EXPECT_EQ(third.nextLine(), QStringLiteral("free"));
        EXPECT_EQ(third.nextLine(), QStringLiteral("held"));
        EXPECT_TRUE(mine.existsElsewhere());
        EXPECT_FALSE(mine.tryCreate());

        // The holder dies without releasing: the mutex comes free.
        bus().watchName(mutexBusName(mutexName));
        QSignalSpy owners(&bus(), &MessageBus::nameOwnerChanged);
        third.crash();
        while (owners.isEmpty() || owners.last().at(1).toBool())
            ASSERT_TRUE(owners.wait(SendBoundMs));
        EXPECT_FALSE(mine.existsElsewhere());
        EXPECT_TRUE(mine.tryCreate());
    }
    // Destroying the holder releases it.
    EXPECT_FALSE(bus().isNameOwned(mutexBusName(mutexName)));
}

TEST(MessageBusWithoutBus, EverythingFailsAtOnce)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
               QStringLiteral("unix:path=") + QDir::tempPath() + QStringLiteral("/velmar-no-such-bus"));
    BusPeerProcess peer({}, env);
    EXPECT_EQ(peer.nextLine(), QStringLiteral("nobus, all fail"));
}
