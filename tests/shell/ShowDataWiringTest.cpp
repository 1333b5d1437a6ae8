// The comment panel as the main window reaches it: the messages 1069 (a
// recorder's file and state) and 1065 (offline logging's time) that the main
// window passes on arrive at the panel made by the show-data wiring; and the
// shown data's clearing reaches the user forms' map items.
#include "comments/TCommentWindow.h"
#include "forms/UserFormInfo.h"
#include "forms/UserPlotThing.h"
#include "shell/MainCommands.h"
#include "shell/MainWindowPorts.h"
#include "platform/RunMode.h"
#include "shell/MainWindowServices.h"
#include "shell/ShowDataWiring.h"
#include "shell/ShownDataService.h"
#include "shell/TV2000Window.h"
#include "platform/WindowMessage.h"

#include <QCheckBox>
#include <QLineEdit>

#include <gtest/gtest.h>

using namespace velmar::shell;
using namespace velmar::platform;

namespace {

struct Wired : ::testing::Test {
    void SetUp() override
    {
        savedMode = RunMode;
        SetRecorderCount(1);
        shown = &BindShowData();
    }
    void TearDown() override
    {
        RunMode = savedMode;
        SetRecorderCount(0);
    }
    velmar::comments::TCommentWindow* Make(quint32 mode)
    {
        RunMode = mode;
        return qobject_cast<velmar::comments::TCommentWindow*>(CommentPanelService().MakeCommentWindow(&parent));
    }
    ShownDataService* shown = nullptr;
    QWidget parent;
    quint32 savedMode = 0;
};

TEST_F(Wired, ARecordersReportOf1069ReachesTheLinkBox)
{
    auto* panel = Make(RunModeOnline);
    ASSERT_NE(panel, nullptr);
    const QByteArray name = QByteArray(60, 'w');
    sendWindowMessage(panel, MsgRecordingState, quint64(reinterpret_cast<quintptr>(name.constData())), 2);
    EXPECT_EQ(panel->LinkCheck()->text(), QStringLiteral("Link to recording ") + QString(49, QLatin1Char('w')));
    EXPECT_TRUE(panel->LinkCheck()->isChecked());
}

TEST_F(Wired, OfflineTimeTextsReachTheTimeReadout)
{
    auto* panel = Make(RunModeOffline);
    ASSERT_NE(panel, nullptr);
    const QByteArray text("2026-03-01 10:00:00");
    sendWindowMessage(panel, MsgCommentTime, 1, qint64(reinterpret_cast<quintptr>(text.constData())));
    EXPECT_EQ(panel->TimeReadout()->text(), QString::fromLatin1(text));
    CommentPanelService().ClockText(QStringLiteral("2026-03-01 10:00:01"));
    EXPECT_EQ(panel->TimeReadout()->text(), QStringLiteral("2026-03-01 10:00:01"));
    sendWindowMessage(panel, MsgCommentTime, 3, 0);
    EXPECT_TRUE(panel->TimeReadout()->text().isEmpty());
}

TEST_F(Wired, ClearingTheShownDataDropsTheFormsMapItems)
{
    velmar::forms::TUserFormInfo form(QStringLiteral("UDF_Sightings"), 0);
    velmar::forms::AddUserPlotThing(form, {});
    ASSERT_EQ(velmar::forms::UserPlotThings(form).size(), 1u);
    shown->ClearShownData();
    EXPECT_TRUE(velmar::forms::UserPlotThings(form).empty());
}

} // namespace
