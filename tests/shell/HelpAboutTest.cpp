// Help and the about box in the running program: the Help menu, F1 on a
// command and the About command reach the help pages beside the program and
// the about box.
#include "PagesTestSupport.h"

#include "shell/CommandIds.h"
#include "shell/HelpAndAbout.h"
#include "shell/MainCommands.h"
#include "platform/ProgramFolder.h"
#include "platform/RunMode.h"
#include "shell/TSDIDecFrame.h"
#include "shell/TV2000Window.h"
#include "shell/TVelmarApp.h"
#include "shell/ui/HtmlHelp.h"
#include "platform/WindowMessage.h"
#include "shell/ui/TOrvidAboutDlg.h"

#include <QAction>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QToolButton>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace velmar::shell::test {
namespace {

class HelpAboutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::RunMode = platform::RunModeOnline;
        platform::SetProgramPath(qEnvironmentVariable("VELMAR_BIN_DIR") + QStringLiteral("/Velmar"));
        saved = app().GetMainWindowServices();
        MainWindowServices services = saved;
        services.help = &BindHelpAndAbout();
        app().SetMainWindowServices(services);
        ui::setUrlOpener([this](const QUrl& url) {
            opened << url;
            return launcher;
        });
        app().InitMainWindow();
        frame = app().GetMainWindow();
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    }
    void TearDown() override
    {
        app().Help().CloseHelp();
        app().SetMainWindowServices(saved);
        ui::setUrlOpener({});
    }
    static TVelmarApp& app() { return *GetVelmarApp(); }
    MainWindowServices saved;

    // A command chosen while F1 is held down asks for its help.
    void WithF1(const std::function<void()>& choose)
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_F1, Qt::NoModifier);
        QCoreApplication::sendEvent(frame->windowHandle(), &press);
        choose();
        QCoreApplication::sendEvent(frame->windowHandle(), &release);
    }
    void CommandWithF1(int id)
    {
        WithF1([id] { app().ProcessCommand(id); });
    }
    QString Opened() const { return opened.isEmpty() ? QString() : QFileInfo(opened.last().toLocalFile()).fileName(); }

    TSDIDecFrame* frame = nullptr;
    QList<QUrl> opened;
    MessageRecorder messages;
    bool launcher = true; // false: the desktop has nothing to open a page with
};

TEST_F(HelpAboutTest, HelpMenuAndF1OpenThePageOfTheirCommand)
{
    struct Case {
        const char* legend;
        int id;
        bool f1;
        const char* page;
    };
    const Case cases[] = {
        {"contents", Command::HelpContents, false, "Velmar_2010_Help.html"},
        {"default topic", Command::HelpDefaultTopic, false, "Velmar_2010_Help.html"},
        {"F1 on About", Command::About, true, "20062.html"},
        {"F1 on Print Map", Command::PrintMap, true, "30014.html"},
    };
    for (const Case& c : cases) {
        opened.clear();
        if (c.f1)
            CommandWithF1(c.id);
        else
            app().ProcessCommand(c.id);
        EXPECT_TRUE(app().HelpShown()) << c.legend;
        ASSERT_EQ(opened.size(), 1) << c.legend;
        EXPECT_TRUE(opened[0].isLocalFile()) << c.legend;
        EXPECT_EQ(Opened(), QString::fromLatin1(c.page)) << c.legend;
        EXPECT_TRUE(QFileInfo::exists(opened[0].toLocalFile())) << c.legend;
    }
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
}

TEST_F(HelpAboutTest, AMissingPageIsReportedOnceUntilHelpCloses)
{
    constexpr int noPage = 39999;
    CommandWithF1(noPage);
    CommandWithF1(noPage);
    EXPECT_FALSE(app().HelpShown());
    EXPECT_TRUE(opened.isEmpty());
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("39999.html"))) << messages.texts[0].toStdString();
    EXPECT_EQ(messages.captions[0], QStringLiteral("Error"));

    // The program closing ends the help session: a new one reports again.
    app().Help().CloseHelp();
    CommandWithF1(noPage);
    EXPECT_EQ(messages.texts.size(), 2);
}

TEST_F(HelpAboutTest, AboutCommandOpensTheAboutBox)
{
    QString caption, versionLine;
    QWidget* owner = nullptr;
    messages.dialogs.runDialog = [&](QDialog& dialog) {
        owner = dialog.parentWidget();
        caption = dialog.windowTitle();
        if (auto* about = qobject_cast<ui::TOrvidAboutDlg*>(&dialog))
            versionLine = about->Static(ui::TOrvidAboutDlg::IdVersion)->text();
        return true;
    };
    app().ProcessCommand(Command::About);
    EXPECT_EQ(caption, QStringLiteral("About Velmar 2010"));
    EXPECT_EQ(owner, frame);
    EXPECT_TRUE(versionLine.contains(QStringLiteral(" Version "))) << versionLine.toStdString();
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(HelpAboutTest, WebButtonAtTheEndOfTheMenuBarOpensTheWebPageOrItsHelp)
{
    platform::sendWindowMessage(app().GetClientWindow(), platform::MsgAfterStart, 0, 0);
    platform::sendWindowMessage(app().GetClientWindow(), platform::MsgAfterStart, 0, 0);
    auto* button = qobject_cast<QToolButton*>(frame->menuBar()->cornerWidget(Qt::TopRightCorner));
    ASSERT_NE(button, nullptr);
    int webButtons = 0;
    for (const QToolButton* b : frame->menuBar()->findChildren<QToolButton*>())
        webButtons += b->defaultAction() && b->defaultAction()->data().toInt() == Command::WebPage;
    EXPECT_EQ(webButtons, 1);
    EXPECT_FALSE(button->icon().isNull());

    button->click();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].scheme(), QStringLiteral("https"));

    WithF1([button] { button->click(); });
    EXPECT_EQ(Opened(), QStringLiteral("20065.html"));

    // Without a desktop launcher the operator is told, not left waiting.
    launcher = false;
    button->click();
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].startsWith(QStringLiteral("No program could be started to open https")))
        << messages.texts[0].toStdString();
}

} // namespace
} // namespace velmar::shell::test
