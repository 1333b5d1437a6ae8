// Every command of the main window's menu bar, in each run mode, with the
// settings forms and pages of the running program bound: each enabled
// command either opens its window (a sheet, a form, a dialog, a page) or
// acts where it can be seen (a message, a reload, the map told); none does
// nothing without a word.
#include "MainWindowFakes.h"
#include "PagesTestSupport.h"

#include "forms/UserFormPlotMenu.h"
#include "platform/WindowMessage.h"
#include "shell/CommandIds.h"
#include "shell/MainCommands.h"
#include "shell/Menus.h"
#include "shell/SettingsPagesInstall.h"
#include "shell/TV2000Window.h"
#include "shell/ui/HtmlHelp.h"
#include "shell/ui/SmallForms.h"
#include "widgets/FormRunner.h"
#include "widgets/NightDay.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QMenuBar>
#include <QUrl>

namespace velmar::shell::test {
namespace {

// Records the messages a widget is sent or posted.
struct MessageSpy : QObject {
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == platform::WindowMessageEvent::eventType())
            messages << int(static_cast<platform::WindowMessageEvent*>(e)->message());
        return false;
    }
    QList<int> messages;
};

// The map with the program's own small forms, as the running program's map
// service opens them.
struct MapWithItsForms : FakeMap {
    void ShowZoomStepSizeDialog(QWidget* parent) override { ui::ShowZoomStepSizeDialog(parent); }
    bool ShowMenuStyleDialog(QWidget* parent) override { return ui::ShowMenuStyleDialog(parent); }
};

class MenuCommandsTest : public ::testing::TestWithParam<unsigned> {
protected:
    void SetUp() override
    {
        world.Install();
        map.make = world.mapService.make;
        SetRecorderCount(0);
        world.settingsDialogs.next = &BindSettingsPages();
        world.dialogs.runSheet = [this](ui::SettingsSheet& s) {
            effects << QStringLiteral("sheet ") + s.windowTitle();
            return 0;
        };
        world.dialogs.runDialog = [this](QDialog& d) {
            effects << QStringLiteral("dialog ") + d.windowTitle();
            return false;
        };
        world.dialogs.printDialog = [this](QWidget*, QPrinter&, bool setup) {
            effects << (setup ? QStringLiteral("printer setup") : QStringLiteral("print"));
            return false;
        };
        world.dialogs.fontDialog = [this](QWidget*, QFont&) {
            effects << QStringLiteral("font");
            return false;
        };
        world.store.checkGpsReferences = [this] { effects << QStringLiteral("gps references"); };
        world.settingsDialogs.statistics = [this](QWidget*) { effects << QStringLiteral("statistics"); };
        world.shownData.clear = [this] { effects << QStringLiteral("reload"); };
        ui::setUrlOpener([this](const QUrl& url) {
            effects << url.toString();
            return true;
        });
    }
    void TearDown() override
    {
        window.reset();
        ui::setUrlOpener({});
        forms::setLookupCheckBoxesHandler({});
        platform::RunMode = platform::RunModeOnline;
    }

    MainWindowServices Services()
    {
        MainWindowServices services = world.Services();
        services.map = &map;
        return services;
    }

    World world;
    MapWithItsForms map;
    MessageRecorder messages;
    std::unique_ptr<TV2000Window> window;
    QStringList effects;
};

TEST_P(MenuCommandsTest, EveryCommandOpensOrActs)
{
    const unsigned mode = GetParam();
    platform::RunMode = mode;
    // The navigation warning posted at start would pass for a command's effect.
    WriteSettings([](store::ProgramSettings& s) { s.NoStartupNotice = true; });
    window = std::make_unique<TV2000Window>(nullptr, Services());
    window->resize(1000, 700);
    window->SetupWindow();
    MessageSpy mapSpy;
    if (world.map)
        world.map->installEventFilter(&mapSpy);
    QCoreApplication::processEvents(); // what the start-up posted

    // Commands the application object answers (help, about, night and day;
    // their own tests cover them).
    const QList<int> application{Command::HelpContents, Command::About, CmNightId, CmDayId};
    QMenuBar bar;
    BuildMenuBar(&bar, MenuForRunMode(mode), {});
    int tried = 0;
    for (QAction* action : bar.findChildren<QAction*>()) {
        const int id = action->data().toInt();
        if (id == 0 || id == Command::Exit)
            continue;
        SCOPED_TRACE(action->text().toStdString());
        effects.clear();
        messages.texts.clear();
        mapSpy.messages.clear();
        const bool enabled = window->Commands().IsEnabled(id);
        const bool handled = window->Command(id);
        QCoreApplication::processEvents();
        if (!handled) {
            EXPECT_TRUE(application.contains(id)) << id << " reaches nobody";
            continue;
        }
        ++tried;
        if (!enabled) {
            // A greyed item cannot be chosen; only these are ever greyed.
            EXPECT_TRUE(id == Command::PrintMap || id == Command::UpdateGpsReferences || id == Command::ExportFormData)
                << id;
            continue;
        }
        EXPECT_FALSE(effects.isEmpty() && messages.texts.isEmpty() && mapSpy.messages.isEmpty())
            << "command " << id << " did nothing visible";
    }
    EXPECT_GT(tried, 10);
}

INSTANTIATE_TEST_SUITE_P(RunModes, MenuCommandsTest,
                         ::testing::Values(platform::RunModeOnline, platform::RunModeShowData, platform::RunModeOffline,
                                           platform::RunModeAlterSettings));

struct MenuWindowsTest : MenuCommandsTest {};

// The pages and forms the commands open are the program's own.
TEST_F(MenuWindowsTest, TheDisplaySheetAndSmallFormsAreTheRealOnes)
{
    platform::RunMode = platform::RunModeShowData;
    WriteSettings([](store::ProgramSettings& s) { s.NoStartupNotice = true; });
    window = std::make_unique<TV2000Window>(nullptr, Services());
    window->SetupWindow();
    QStringList pages;
    world.dialogs.runSheet = [&](ui::SettingsSheet& s) {
        for (int i = 0; i < s.PageCount(); ++i)
            pages << s.Page(i)->Title();
        return 0;
    };
    window->Command(Command::DisplayOptions);
    EXPECT_EQ(pages, (QStringList{QStringLiteral("General Options"), QStringLiteral("Audio and Cameras"),
                                  QStringLiteral("Map File"), QStringLiteral("Quintra Click"),
                                  QStringLiteral("Effort Line"), QStringLiteral("Nav Data")}));
    for (int id : {Command::ZoomStepSize, Command::GpsControl, Command::ErrorChecking, Command::FlashWarnings,
                   Command::MenuStyle, Command::CopyTableData})
        window->Command(id);
    EXPECT_EQ(effects,
              (QStringList{QStringLiteral("dialog Zoom Step"), QStringLiteral("dialog GPS Settings"),
                           QStringLiteral("dialog Error Checking"), QStringLiteral("dialog Flash Warning Type"),
                           QStringLiteral("dialog Menu Style"), QStringLiteral("dialog Transfer Effort Data")}));
}

} // namespace
} // namespace velmar::shell::test
