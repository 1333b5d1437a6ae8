#include "platform/BusNames.h"
#include "platform/MessageBus.h"

#include <gtest/gtest.h>

using namespace velmar::platform;

TEST(BusNames, NamesAreMangledIntoValidBusNames)
{
    struct Row {
        const char* legend;
        QString (*make)(const QString&);
        QString in;
        QString expected;
    };
    const Row rows[] = {
        {"plain class", windowClassBusName, "PorpoiseADCWndClass", "org.velmar.wndclass.PorpoiseADCWndClass"},
        {"mutex with a space", mutexBusName, "NMEA Server", "org.velmar.mutex.NMEA_Server"},
        {"title with punctuation", windowTitleBusName, "Velmar 2010 - a.sqlite",
         "org.velmar.wndtitle.Velmar_2010___a_sqlite"},
        {"dde service keeps its spelling", ddeBusName, "Velmar2000", "org.velmar.dde.Velmar2000"},
        {"underscore kept", mutexBusName, "My_Mutex", "org.velmar.mutex.My_Mutex"},
        {"non-ASCII letters", windowTitleBusName, QString::fromUtf8("Côte d’Azur"), "org.velmar.wndtitle.C_te_d_Azur"},
        {"leading digit", windowClassBusName, "2000Class", "org.velmar.wndclass._2000Class"},
        {"empty text", mutexBusName, "", "org.velmar.mutex._"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.make(row.in), row.expected) << row.legend;

    const QString longTitle(400, QLatin1Char('x'));
    EXPECT_EQ(windowTitleBusName(longTitle).size(), 255);
}

TEST(BusNames, RegisteredMessagesGetStableProcessLocalIds)
{
    const uint onTop = MessageBus::registerWindowMessage(QStringLiteral("VelmarOnTop"));
    const uint button = MessageBus::registerWindowMessage(QStringLiteral("VelmarButtonMessage"));
    EXPECT_GE(onTop, 0xC000u);
    EXPECT_GE(button, 0xC000u);
    EXPECT_NE(onTop, button);
    EXPECT_EQ(MessageBus::registerWindowMessage(QStringLiteral("VelmarOnTop")), onTop);
    EXPECT_EQ(MessageBus::registerWindowMessage(QStringLiteral("velmarontop")), onTop) << "names ignore case";
    EXPECT_EQ(MessageBus::messageName(onTop), QStringLiteral("VelmarOnTop"));
    EXPECT_TRUE(MessageBus::messageName(0x1234).isEmpty());
}
