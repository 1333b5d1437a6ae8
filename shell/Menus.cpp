#include "shell/Menus.h"

#include "shell/CommandIds.h"
#include "widgets/NightDay.h"
#include "platform/RunMode.h"

#include <QMenu>
#include <QMenuBar>

#include <span>
#include <vector>

namespace velmar::shell {

namespace {

enum class Kind { Popup, End, Item, Separator };

struct Entry {
    Kind kind;
    int id;
    const char* text;
};

constexpr Entry popup(const char* text)
{
    return {Kind::Popup, 0, text};
}
constexpr Entry end()
{
    return {Kind::End, 0, nullptr};
}
constexpr Entry item(int id, const char* text)
{
    return {Kind::Item, id, text};
}
constexpr Entry separator()
{
    return {Kind::Separator, 0, nullptr};
}

using namespace Command;

constexpr Entry helpMenu[] = {
    popup("&Help"),
    item(HelpContents, "&Contents"),
    item(NavigationWarning, "&Warning..."),
    item(WebPage, "&Tivrel on the web..."),
    separator(),
    item(About, "&About..."),
    end(),
};

const std::vector<Entry> onlineOffline = {
    popup("&File"),
    item(DatabaseFile, "&Database File..."),
    item(OpenDatabase, "&Open  Database..."),
    separator(),
    item(PrintMap, "&Print Map..."),
    item(PrinterSetup, "P&rinter Setup..."),
    separator(),
    item(UpdateGpsReferences, "Update GPS Cross References..."),
    popup("New Database Object"),
    item(NewUserForm, "User Form ..."),
    item(NewButtonsForm, "Buttons Form ..."),
    item(NewStaticPointsTable, "Static Points Table ..."),
    item(NewStaticLinesTable, "Static Lines Table ..."),
    end(),
    separator(),
    item(Exit, "E&xit\tAlt+F4"),
    end(),
    popup("&Settings"),
    item(DataControl, "&Data Control ..."),
    item(GpsControl, "&Gps Control ..."),
    item(FlashWarnings, "&Flash Warnings ..."),
    item(ProgrammeControl, "&Programme Control ..."),
    item(ErrorChecking, "&Error Checking ..."),
    item(IoSelections, "&I/O Selections ..."),
    end(),
    popup("&Display"),
    item(DisplayOptions, "&Options..."),
    item(ZoomStepSize, "&Zoom Step Size..."),
    item(MenuStyle, "&Menu Style..."),
    item(Font, "&Font..."),
    end(),
    popup("Night / Day Settings"),
    item(CmNightId, "Night"),
    item(CmDayId, "Day"),
    end(),
};

const std::vector<Entry> showData = {
    popup("&File"),
    item(DatabaseFile, "&Database File..."),
    item(OpenDatabase, "&Open Database..."),
    separator(),
    item(PrintMap, "&Print Map..."),
    item(PrinterSetup, "P&rinter Setup..."),
    separator(),
    item(UpdateGpsReferences, "Update GPS Cross References..."),
    item(ExportFormData, "Export Form Data ..."),
    item(CopyTableData, "Copy data between tables ..."),
    popup("New Database Object"),
    item(NewUserForm, "User From ..."),
    item(NewButtonsForm, "Buttons Form ..."),
    item(NewStaticPointsTable, "Static Points Table ..."),
    item(NewStaticLinesTable, "Static Lines Table ..."),
    end(),
    separator(),
    item(Exit, "E&xit\tAlt+F4"),
    end(),
    popup("&Display"),
    item(DisplayOptions, "&Options ..."),
    item(ZoomStepSize, "&Zoom Step Size..."),
    item(MenuStyle, "&Menu Style..."),
    item(Font, "&Font"),
    end(),
    popup("Show &Data"),
    item(ShowTimes, "&Show Times ..."),
    item(RescanDatabase, "&Re-Scan Database"),
    separator(),
    item(Statistics, "&St&atistics ..."),
    item(Animate, "&Animate ..."),
    item(StopAnimation, "S&top Animation"),
    end(),
};

const std::vector<Entry> alterSettings = {
    popup("&File"),
    item(DatabaseFile, "&Database File..."),
    item(OpenDatabase, "&Open Database..."),
    separator(),
    item(Exit, "E&xit\tAlt+F4"),
    end(),
    popup("&Settings"),
    item(DataControl, "&Data Control ..."),
    item(GpsControl, "&Gps Control ..."),
    item(ProgrammeControl, "&Programme Control ..."),
    item(ErrorChecking, "&Error Checking ..."),
    item(IoSelections, "&I/O Selections ..."),
    end(),
    popup("&Display"),
    item(DisplayOptions, "&Options"),
    item(ZoomStepSize, "&Zoom Step Size..."),
    item(MenuStyle, "&Menu Style..."),
    item(Font, "&Font"),
    item(ShowTimes, "&Show Times ..."),
    end(),
};

void addEntries(QMenuBar* bar, std::span<const Entry> entries, const std::function<void(int)>& onCommand)
{
    std::vector<QMenu*> open;
    for (const Entry& e : entries) {
        switch (e.kind) {
        case Kind::Popup:
            open.push_back(open.empty() ? bar->addMenu(QString::fromLatin1(e.text))
                                        : open.back()->addMenu(QString::fromLatin1(e.text)));
            break;
        case Kind::End: open.pop_back(); break;
        case Kind::Separator: open.back()->addSeparator(); break;
        case Kind::Item: {
            QAction* action = open.back()->addAction(QString::fromLatin1(e.text));
            action->setData(e.id);
            const int id = e.id;
            QObject::connect(action, &QAction::triggered, bar, [onCommand, id] {
                if (onCommand)
                    onCommand(id);
            });
            break;
        }
        }
    }
    Q_ASSERT(open.empty());
}

} // namespace

int MenuForRunMode(quint32 runMode)
{
    switch (runMode) {
    case platform::RunModeShowData: return MenuShowData;
    case platform::RunModeAlterSettings: return MenuAlterSettings;
    default: return MenuOnlineOffline;
    }
}

void BuildMenuBar(QMenuBar* bar, int menuId, const std::function<void(int)>& onCommand)
{
    const std::vector<Entry>& body = menuId == MenuShowData      ? showData
                                   : menuId == MenuAlterSettings ? alterSettings
                                                                 : onlineOffline;
    addEntries(bar, body, onCommand);
    addEntries(bar, helpMenu, onCommand);
}

} // namespace velmar::shell
