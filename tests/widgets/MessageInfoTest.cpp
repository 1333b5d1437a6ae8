// The one modeless message box and the one progress box.
#include "widgets/MessageBoxSeam.h"
#include "widgets/MessageInfo.h"

#include <QCoreApplication>
#include <QDialog>
#include <QTest>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <gtest/gtest.h>

using namespace velmar::shell;

namespace {

QString MemoText()
{
    return MessageInfoBox()->findChild<QPlainTextEdit*>("Msg")->toPlainText();
}
QString Label()
{
    return ProgressInfoBox()->findChild<QLabel*>("MsgText")->text();
}
QProgressBar* Bar()
{
    return ProgressInfoBox()->findChild<QProgressBar*>("ProgressBar");
}

TEST(MessageInfo, OneBoxParentedToTheFirstOwner)
{
    CloseMessageInfo(); // no box: nothing happens
    QWidget first, second;
    ShowMessageInfo(&first, "Reading map file a.map Feature: 1");
    QWidget* box = MessageInfoBox();
    ASSERT_NE(box, nullptr);
    ShowMessageInfo(&second, "Reading map file a.map Feature: 2");
    EXPECT_EQ(MessageInfoBox(), box);
    EXPECT_EQ(box->parentWidget(), &first);
    EXPECT_EQ(MemoText(), "Reading map file a.map Feature: 2");
    EXPECT_EQ(box->windowTitle(), QCoreApplication::applicationFilePath());
    CloseMessageInfo();
    EXPECT_EQ(MessageInfoBox(), nullptr);
}

TEST(MessageInfo, BoxGoesWithItsOwner)
{
    {
        QWidget owner;
        ShowMessageInfo(&owner, "x");
    }
    EXPECT_EQ(MessageInfoBox(), nullptr);
    QWidget other;
    ShowMessageInfo(&other, "y"); // made anew, no dangling box
    EXPECT_EQ(MessageInfoBox()->parentWidget(), &other);
    CloseMessageInfo();
}

TEST(ProgressInfo, UpdatesNeedABoxAndKeepTheLabelWithoutText)
{
    UpdateProgressInfo(5, QString("lost"));
    EXPECT_EQ(ProgressInfoBox(), nullptr);
    CloseProgressInfo();

    QWidget owner;
    ShowProgressInfo(&owner, 0, 8, 0, std::nullopt, QString("Setup External Counters"));
    EXPECT_EQ(Label(), "");
    EXPECT_EQ(ProgressInfoBox()->windowTitle(), "Setup External Counters");
    EXPECT_TRUE(ProgressInfoBox()->isVisible());

    UpdateProgressInfo(3, QString("Setting Counter 3"));
    EXPECT_EQ(Bar()->value(), 3);
    EXPECT_EQ(Label(), "Setting Counter 3");

    ShowProgressInfo(nullptr, 10, 20, 15, std::nullopt, QString("Other"));
    EXPECT_EQ(Label(), "Setting Counter 3");
    EXPECT_EQ(ProgressInfoBox()->windowTitle(), "Setup External Counters");
    EXPECT_EQ(ProgressInfoBox()->parentWidget(), &owner);
    EXPECT_EQ(Bar()->minimum(), 10);
    EXPECT_EQ(Bar()->maximum(), 20);
    EXPECT_EQ(Bar()->value(), 15);

    CloseProgressInfo();
    UpdateProgressInfo(1, QString("x"));
    EXPECT_EQ(ProgressInfoBox(), nullptr);
}

// A box queued while another modal window is up waits until it has closed.
TEST(MessageInfo, ABoxQueuedBehindAModalWindowWaitsForItToClose)
{
    QDialog first;
    first.setModal(true);
    first.show();
    int shown = 0;
    QObject context;
    velmar::shell::ui::WhenNoModalWindow(&context, [&shown] { ++shown; });
    // Nothing may show while the modal window is up, nor twice after it.
    EXPECT_FALSE(QTest::qWaitFor([&shown] { return shown != 0; }, 300));
    first.close();
    EXPECT_TRUE(QTest::qWaitFor([&shown] { return shown == 1; }, 2000));
    EXPECT_FALSE(QTest::qWaitFor([&shown] { return shown != 1; }, 300));
    velmar::shell::ui::WhenNoModalWindow(&context, [&shown] { ++shown; }); // none up: at once
    EXPECT_EQ(shown, 2);
}

} // namespace
