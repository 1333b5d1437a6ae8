// The launcher on a private session bus, with a stand-in pipe server.
#include "settings/PipeSettings.h"
#include "platform/MessageBus.h"
#include "sound/PipeProtocol.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

using namespace velmar::sound;
using velmar::platform::MessageBus;

TEST(PelvaneLaunch, StartsPelvaneOnceAndFindsItOnTheBus)
{
    auto& bus = MessageBus::instance();
    ASSERT_TRUE(bus.connected());
    ASSERT_FALSE(bus.isNameOwned(PelvaneBusName()));

    QStringList messages;
    PelvaneLauncher launcher = PelvaneLauncher::system();
    launcher.showMessage = [&messages](const QString& text, const QString&) { messages << text; };

    auto& settings = velmar::pipeserver::ThePipeSettings();
    settings.setProgramPath(QStringLiteral("/nonexistent/Pelvane"));
    EXPECT_FALSE(EnsurePelvaneRunning(launcher));
    EXPECT_EQ(messages, QStringList{QStringLiteral("Can't find Pelvane Programme")});

    settings.setProgramPath(QStringLiteral(PELVANE_STAND_IN));
    ASSERT_TRUE(EnsurePelvaneRunning(launcher));
    EXPECT_TRUE(bus.isNameOwned(PelvaneBusName()));
    EXPECT_TRUE(EnsurePelvaneRunning(launcher)); // already running: nothing started

    EXPECT_TRUE(bus.post(PelvaneBusName(), QStringLiteral("StandInQuit"), 0, 0));
    const QDeadlineTimer deadline(10000);
    while (bus.isNameOwned(PelvaneBusName()) && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_FALSE(bus.isNameOwned(PelvaneBusName()));
}
