// The application object: frame by run mode, status texts and progress,
// the pre-filter (keys, relayed messages, F1 help, hot keys), the initial
// show and the recent-files list.
#include "shell/CommandIds.h"
#include "widgets/MainLayout.h"
#include "shell/MainWindowMessages.h"
#include "platform/RunMode.h"
#include "shell/TSDIDecFrame.h"
#include "shell/TV2000Window.h"
#include "shell/TVelmarApp.h"
#include "platform/WindowMessage.h"
#include "tests/support/ScriptedFormServices.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using namespace velmar::shell;
using namespace velmar::platform;

namespace {

void Drain()
{
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents();
}

// Records the private messages that reach the main window and answers the
// arrow-key message with a chosen value.
class MessageRecorder : public QObject {
public:
    struct Message {
        uint id;
        quint64 wParam;
        qint64 lParam;
    };
    std::vector<Message> messages;
    qint64 arrowAnswer = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() != WindowMessageEvent::eventType())
            return false;
        auto* m = static_cast<WindowMessageEvent*>(e);
        messages.push_back({m->message(), m->wParam(), m->lParam()});
        m->setResult(m->message() == MsgArrowKey ? arrowAnswer : 0);
        return true;
    }
};

// Counts key presses that reach the frame widget (normal processing); the
// Ctrl key itself does not count.
class KeyCounter : public QObject {
public:
    int presses = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() != Qt::Key_Control)
            ++presses;
        return false;
    }
};

// The help service the application is given: help and the about box as the
// test scripts them (none shown while unset).
struct ScriptedHelp : HelpService {
    bool ShowHelp(QWidget* owner, const QString& path, int command, quint64 data) override
    {
        return showHelp && showHelp(owner, path, command, data);
    }
    void CloseHelp() override {}
    void ShowAboutBox(QWidget* parent) override
    {
        if (showAboutBox)
            showAboutBox(parent);
    }
    std::function<bool(QWidget* owner, const QString& path, int command, quint64 data)> showHelp;
    std::function<void(QWidget* parent)> showAboutBox;
};

class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RunMode = RunModeOnline;
        saved = app().GetMainWindowServices();
        MainWindowServices services = saved;
        services.help = &help;
        services.buttonPanels = &panels;
        services.userForms = &forms;
        app().SetMainWindowServices(services);
    }
    void TearDown() override
    {
        app().SetMainWindowServices(saved);
        RunMode = RunModeOnline;
    }
    MainWindowServices saved;
    ScriptedHelp help;
    velmar::test::ScriptedButtonPanels panels;
    velmar::test::ScriptedUserForms forms;

    TSDIDecFrame* ShowFrame(quint32 mode)
    {
        RunMode = mode;
        app().InitMainWindow();
        TSDIDecFrame* frame = app().GetMainWindow();
        frame->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame));
        frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame));
        // Keys go to the frame itself, not to a read-out of the main window.
        frame->setFocus();
        app().GetClientWindow()->installEventFilter(&recorder);
        frame->installEventFilter(&keys);
        return frame;
    }

    static TVelmarApp& app() { return *GetVelmarApp(); }

    QAction* FindAction(int id)
    {
        for (QAction* a : app().GetMainWindow()->menuBar()->findChildren<QAction*>())
            if (a->data().toInt() == id)
                return a;
        return nullptr;
    }

    MessageRecorder recorder;
    KeyCounter keys;
};

TEST_F(AppTest, OnlineLoggingHasNoStatusBarAndDropsTextsAndProgress)
{
    TSDIDecFrame* frame = ShowFrame(RunModeOnline);
    EXPECT_EQ(app().GetStatusBar(), nullptr);
    EXPECT_EQ(app().GetGauge(), nullptr);
    app().SetStatusText(QStringLiteral("Checking tables"));
    app().SetProgress(5, 10);
    EXPECT_EQ(frame->findChild<QStatusBar*>(), nullptr);
}

TEST_F(AppTest, OtherModesShowTextAndProgressPercentage)
{
    for (const quint32 mode : {RunModeShowData, RunModeOffline, RunModeAlterSettings}) {
        ShowFrame(mode);
        ASSERT_NE(app().GetGauge(), nullptr) << mode;
        EXPECT_EQ(app().GetGauge()->width(), GaugeWidth);
        app().SetStatusText(QStringLiteral("Checking tables"));
        EXPECT_EQ(app().GetStatusBar()->currentMessage(), QStringLiteral("Checking tables"));

        struct Case {
            qint64 done, total;
            int percent;
        };
        for (const Case c : {Case{50, 200, 25}, Case{5, 0, 0}, Case{5, -1, 0}, Case{199, 200, 99},
                             Case{3'000'000'000LL, 3'000'000'000LL, 100}, Case{7, 5, 100}}) {
            app().SetProgress(c.done, c.total);
            EXPECT_EQ(app().GetGauge()->value(), c.percent) << c.done << "/" << c.total;
        }
    }
}

TEST_F(AppTest, MenuAndIconFollowTheRunMode)
{
    struct Case {
        quint32 mode;
        std::vector<int> present;
        std::vector<int> absent;
    };
    const Case cases[] = {
        {RunModeOnline,
         {Command::FlashWarnings, Command::PrintMap, CmNightId, Command::About},
         {Command::ShowTimes, Command::Animate}},
        {RunModeOffline, {Command::FlashWarnings, Command::NewUserForm}, {Command::ShowTimes}},
        {RunModeShowData,
         {Command::Animate, Command::ExportFormData, Command::ShowTimes},
         {Command::DataControl, CmNightId}},
        {RunModeAlterSettings,
         {Command::ShowTimes, Command::DataControl, Command::Exit},
         {Command::PrintMap, Command::FlashWarnings}},
    };
    QList<QImage> icons;
    for (const Case& c : cases) {
        ShowFrame(c.mode);
        for (int id : c.present)
            EXPECT_NE(FindAction(id), nullptr) << "mode " << c.mode << " id " << id;
        for (int id : c.absent)
            EXPECT_EQ(FindAction(id), nullptr) << "mode " << c.mode << " id " << id;
        const QIcon icon = app().GetMainWindow()->windowIcon();
        EXPECT_FALSE(icon.isNull());
        icons << icon.pixmap(32).toImage();
    }
    // Four run modes, four looks.
    for (int i = 0; i < icons.size(); ++i)
        for (int j = i + 1; j < icons.size(); ++j)
            EXPECT_NE(icons[i], icons[j]) << i << " " << j;
}

TEST_F(AppTest, PagingKeysGoToTheMainWindowAndOnAsWell)
{
    TSDIDecFrame* frame = ShowFrame(RunModeOnline);
    QTest::keyClick(frame->windowHandle(), Qt::Key_PageDown);
    Drain();
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].id, MsgTabKey);
    EXPECT_EQ(recorder.messages[0].wParam, quint64(VkNext));
    EXPECT_EQ(recorder.messages[0].lParam, 0);
    EXPECT_EQ(keys.presses, 1);
}

TEST_F(AppTest, ArrowKeysAreUsedUpOnlyWhenTheMainWindowAnswers)
{
    TSDIDecFrame* frame = ShowFrame(RunModeShowData);
    recorder.arrowAnswer = 0;
    QTest::keyClick(frame->windowHandle(), Qt::Key_Left);
    EXPECT_EQ(keys.presses, 1);
    recorder.arrowAnswer = 1;
    QTest::keyClick(frame->windowHandle(), Qt::Key_Right);
    EXPECT_EQ(keys.presses, 1);
    ASSERT_EQ(recorder.messages.size(), 2u);
    EXPECT_EQ(recorder.messages[0].id, MsgArrowKey);
    EXPECT_EQ(recorder.messages[1].wParam, quint64(VkRight));
}

TEST_F(AppTest, DetectorStatusIsRelayedAsMessage1225)
{
    ShowFrame(RunModeOnline);
    postWindowMessage(&app(), app().DetectorStatusMessageId(), 4, 131072);
    Drain();
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].id, MsgDetectorStatus);
    EXPECT_EQ(recorder.messages[0].wParam, 4u);
    EXPECT_EQ(recorder.messages[0].lParam, 131072);
}

TEST_F(AppTest, OnTopMessageBringsTheFrameInFrontOfAnotherWindow)
{
    TSDIDecFrame* frame = ShowFrame(RunModeOnline);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    ASSERT_FALSE(frame->isActiveWindow());
    postWindowMessage(&app(), app().OnTopMessageId(), 0, 0);
    EXPECT_TRUE(QTest::qWaitForWindowActive(frame));
}

TEST_F(AppTest, HotKeysGoToPanelsThenFormsElseOnNormally)
{
    struct Case {
        const char* legend;
        bool panelTakes, formTakes;
        int formAsked;
        int reachesFrame;
    };
    const Case cases[] = {
        {"panel takes it; forms not asked", true, false, 0, 0},
        {"form takes it", false, true, 1, 0},
        {"nobody knows it", false, false, 1, 1},
    };
    for (const Case& c : cases) {
        TSDIDecFrame* frame = ShowFrame(RunModeOnline);
        keys.presses = 0;
        int panelKey = 0, formAsked = 0;
        panels.onHotKey = [&](int key) {
            panelKey = key;
            return c.panelTakes;
        };
        forms.onHotKey = [&](QWidget* f, int) {
            EXPECT_EQ(f, frame);
            ++formAsked;
            return c.formTakes;
        };
        QTest::keyClick(frame->windowHandle(), Qt::Key_K, Qt::ControlModifier);
        EXPECT_EQ(panelKey, 'K') << c.legend;
        EXPECT_EQ(formAsked, c.formAsked) << c.legend;
        EXPECT_EQ(keys.presses, c.reachesFrame) << c.legend;
    }
}

TEST_F(AppTest, F1OnAHighlightedMenuItemOpensHelpInsteadOfRunningIt)
{
    TSDIDecFrame* frame = ShowFrame(RunModeOnline);
    int aboutShown = 0;
    std::vector<std::pair<int, quint64>> helpRequests;
    help.showAboutBox = [&](QWidget*) { ++aboutShown; };
    help.showHelp = [&](QWidget* owner, const QString&, int command, quint64 data) {
        EXPECT_EQ(owner, frame);
        helpRequests.emplace_back(command, data);
        return true;
    };

    QAction* about = FindAction(Command::About);
    ASSERT_NE(about, nullptr);
    auto* menu = qobject_cast<QMenu*>(about->parent());
    ASSERT_NE(menu, nullptr);
    menu->popup(frame->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    menu->setActiveAction(about);
    QTest::keyClick(menu->windowHandle(), Qt::Key_F1);
    Drain();

    EXPECT_EQ(aboutShown, 0);
    ASSERT_EQ(helpRequests.size(), 1u);
    EXPECT_EQ(helpRequests[0].first, HelpDisplayTopic);
    EXPECT_EQ(helpRequests[0].second, quint64(Command::About));
    EXPECT_FALSE(app().HelpMode());
    EXPECT_TRUE(app().HelpShown());

    // Without F1 the same command runs.
    app().ProcessCommand(Command::About);
    EXPECT_EQ(aboutShown, 1);
    EXPECT_EQ(helpRequests.size(), 1u);
}

TEST_F(AppTest, F1OnASubmenuThatClosesWithoutACommandLeavesHelpModeOff)
{
    TSDIDecFrame* frame = ShowFrame(RunModeOnline);
    int helpRequests = 0;
    help.showHelp = [&](QWidget*, const QString&, int, quint64) { return ++helpRequests, true; };
    QAction* newUserForm = FindAction(Command::NewUserForm);
    ASSERT_NE(newUserForm, nullptr);
    auto* submenu = qobject_cast<QMenu*>(newUserForm->parent());
    auto* fileMenu = qobject_cast<QMenu*>(submenu->menuAction()->parent());
    ASSERT_NE(fileMenu, nullptr);
    fileMenu->popup(frame->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(fileMenu));
    fileMenu->setActiveAction(submenu->menuAction());
    QTest::keyClick(fileMenu->windowHandle(), Qt::Key_F1);
    EXPECT_TRUE(app().HelpMode());
    Drain();
    fileMenu->hide();
    submenu->hide();
    Drain();
    EXPECT_FALSE(app().HelpMode());
    EXPECT_EQ(helpRequests, 0);
}

TEST_F(AppTest, InitialShowMaximisesExceptWhenAlteringSettings)
{
    TSDIDecFrame* frame = ShowFrame(RunModeOffline);
    sendWindowMessage(&app(), MsgInitialShow, 0, 0);
    EXPECT_TRUE(frame->isMaximized());
    // Restored, it opens at a sensible size for the screen.
    frame->showNormal();
    const QSize screen = frame->screen()->availableGeometry().size();
    EXPECT_GE(frame->width(), screen.width() / 2);
    EXPECT_GE(frame->height(), screen.height() / 2);

    frame = ShowFrame(RunModeAlterSettings);
    frame->setGeometry(40, 50, 640, 480);
    const QRect before = frame->geometry();
    sendWindowMessage(&app(), MsgInitialShow, 0, 0);
    EXPECT_FALSE(frame->isMaximized());
    EXPECT_EQ(frame->geometry().topLeft(), before.topLeft());
    EXPECT_EQ(frame->width(), before.width());
    EXPECT_LE(frame->height(), frame->menuBar()->sizeHint().height() + app().GetStatusBar()->sizeHint().height());
}

TEST_F(AppTest, TheTrafficLightSitsInTheMenuBarAndMovesWithTheWindow)
{
    TSDIDecFrame* frame = ShowFrame(RunModeOffline);
    auto* client = qobject_cast<TV2000Window*>(app().GetClientWindow());
    if (!client || !client->TrafficLight())
        GTEST_SKIP() << "no main window with a traffic light in this mode";
    frame->showNormal();
    frame->setGeometry(60, 80, 900, 600);
    client->resize(client->width(), client->height() + 1); // laid out anew
    QCoreApplication::processEvents();
    TTrafficLight* light = client->TrafficLight();
    const QRect bar(frame->menuBar()->mapToGlobal(QPoint(0, 0)), frame->menuBar()->size());
    EXPECT_TRUE(bar.contains(light->geometry())) << "in the menu bar, not over the title or the desktop's top";
    for (QAction* a : frame->menuBar()->actions()) {
        const QRect menu(frame->menuBar()->mapToGlobal(frame->menuBar()->actionGeometry(a).topLeft()),
                         frame->menuBar()->actionGeometry(a).size());
        EXPECT_FALSE(menu.intersects(light->geometry())) << a->text().toStdString();
    }
    const QPoint before = light->pos();
    frame->move(frame->pos() + QPoint(40, 30));
    QCoreApplication::processEvents();
    EXPECT_EQ(light->pos(), before + QPoint(40, 30));
}

TEST(VirtualKey, QtKeysMapToTheDesignsKeyCodes)
{
    struct Case {
        int qtKey;
        int vk;
    };
    for (const Case c :
         {Case{Qt::Key_A, 'A'}, Case{Qt::Key_Z, 'Z'}, Case{Qt::Key_0, '0'}, Case{Qt::Key_F1, 0x70},
          Case{Qt::Key_F12, 0x7B}, Case{Qt::Key_PageUp, VkPrior}, Case{Qt::Key_PageDown, VkNext},
          Case{Qt::Key_Left, VkLeft}, Case{Qt::Key_Right, VkRight}, Case{Qt::Key_Control, 0}, Case{Qt::Key_Escape, 0}})
        EXPECT_EQ(VirtualKeyOf(c.qtKey), c.vk) << c.qtKey;
}

TEST_F(AppTest, RecentFilesKeepNineMostRecentFirstInTheSettingsFolder)
{
    for (int i = 1; i <= 10; ++i)
        app().SaveMenuChoice(QStringLiteral("/data/survey%1.sqlite").arg(i));
    // The database page reaches the list through its own interface.
    velmar::store::RecentDatabaseList& forDatabasePage = app();
    forDatabasePage.saveMenuChoice(QStringLiteral("/data/survey5.sqlite"));
    app().SaveMenuChoice(QString());

    const TRecentFiles reread(QLatin1String(RecentFilesName), RecentFilesCount);
    const QStringList texts = reread.GetMenuTexts();
    ASSERT_EQ(texts.size(), 9);
    EXPECT_EQ(texts[0], QStringLiteral("/data/survey5.sqlite"));
    EXPECT_EQ(texts[1], QStringLiteral("/data/survey10.sqlite"));
    EXPECT_EQ(texts.count(QStringLiteral("/data/survey5.sqlite")), 1);
    EXPECT_FALSE(texts.contains(QStringLiteral("/data/survey1.sqlite")));
    EXPECT_EQ(forDatabasePage.entries(), texts);
    EXPECT_EQ(reread.GetMenuText(TRecentFiles::FirstMenuId + 1), texts[1]);
    EXPECT_EQ(reread.GetMenuText(TRecentFiles::FirstMenuId + 9), QString());
    EXPECT_TRUE(reread.FileName().startsWith(qEnvironmentVariable("VELMAR_HOME")));
    EXPECT_TRUE(reread.FileName().endsWith(QStringLiteral("/V2000.ini")));
}

} // namespace
