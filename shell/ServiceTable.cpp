#include "shell/ServiceTable.h"

#include "shell/MainCommands.h"
#include "shell/MainWindowPorts.h"
#include "shell/ShellHooks.h"

#include <QFile>
#include <QLoggingCategory>
#include <QTextStream>

#include <algorithm>

Q_LOGGING_CATEGORY(lcServices, "velmar.shell.services")

namespace velmar::shell {

std::vector<ServiceBinding> ServiceBindings(const MainWindowHooks& windowHooks, const MainCommandHooks& commandHooks,
                                            const ShellHooks& shellHooks)
{
    std::vector<ServiceBinding> rows{
        {"store", "openDB", bool(windowHooks.openDB), "answers 0"},
        {"store", "isDbOpen", bool(windowHooks.isDbOpen), "answers false"},
        {"store", "closeDB", bool(windowHooks.closeDB), "does nothing"},
        {"store", "loadSettingsFromDb", bool(windowHooks.loadSettingsFromDb), "does nothing"},
        {"store", "saveSettingsToDb", bool(windowHooks.saveSettingsToDb), "does nothing"},
        {"recorders", "dbCountRecorders", bool(windowHooks.dbCountRecorders), "answers 0"},
        {"recorders", "dbAddRecorder", bool(windowHooks.dbAddRecorder), "does nothing"},
        {"recorders", "dbDeleteRecorder", bool(windowHooks.dbDeleteRecorder), "does nothing"},
        {"user forms", "userFormDbTableExists", bool(windowHooks.userFormDbTableExists), "answers false"},
        {"store", "dbReadStaticObjects", bool(windowHooks.dbReadStaticObjects), "does nothing"},
        {"store", "databaseSheet", bool(windowHooks.databaseSheet), "answers true"},
        {"navigation", "programmeSetup", bool(windowHooks.programmeSetup), "does nothing"},
        {"store", "readPipeSettings", bool(windowHooks.readPipeSettings), "does nothing"},
        {"store", "addRecentFile", bool(windowHooks.addRecentFile), "does nothing"},
        {"map", "makeMap", bool(windowHooks.makeMap), "makes no map window"},
        {"detector links", "makeDetectorForm", bool(windowHooks.makeDetectorForm), "makes no detector form"},
        {"detector links", "makeWhistleForm", bool(windowHooks.makeWhistleForm), "makes no whistle form"},
        {"detector links", "makeHeardForm", bool(windowHooks.makeHeardForm), "makes no heard form"},
        {"comments", "makeCommentWindow", bool(windowHooks.makeCommentWindow), "makes no comment window"},
        {"recorders", "makeRecorder", bool(windowHooks.makeRecorder), "makes no recorder"},
        {"decks", "makeDeck", bool(windowHooks.makeDeck), "makes no deck"},
        {"decks", "setProgramClockDeck", bool(windowHooks.setProgramClockDeck), "does nothing"},
        {"detector links", "detectorPanelWidth", bool(windowHooks.detectorPanelWidth), "answers 0"},
        {"detector links", "placeDetectorForm", bool(windowHooks.placeDetectorForm), "does nothing"},
        {"detector links", "initDde", bool(windowHooks.initDde), "does nothing"},
        {"detector links", "closeDde", bool(windowHooks.closeDde), "does nothing"},
        {"detector links", "startDetectorListener", bool(windowHooks.startDetectorListener), "does nothing"},
        {"navigation", "pollGps", bool(windowHooks.pollGps), "does nothing"},
        {"navigation", "pollGpsIfDue", bool(windowHooks.pollGpsIfDue), "does nothing"},
        {"detector links", "updateProgramStatus", bool(windowHooks.updateProgramStatus), "does nothing"},
        {"comments", "commentClockText", bool(windowHooks.commentClockText), "does nothing"},
        {"user forms", "updateCounts", bool(windowHooks.updateCounts), "does nothing"},
        {"detector links", "purgeOldDetections", bool(windowHooks.purgeOldDetections), "does nothing"},
        {"map", "loadMapFile", bool(windowHooks.loadMapFile), "does nothing"},
        {"map", "buildPlotMenu", bool(windowHooks.buildPlotMenu), "does nothing"},
        {"user forms", "installHotKeys", bool(windowHooks.installHotKeys), "does nothing"},
        {"button panels", "loadButtonForms", bool(windowHooks.loadButtonForms), "adds no tab"},
        {"user forms", "loadUserForms", bool(windowHooks.loadUserForms), "answers 0"},
        {"user forms", "createTopControls", bool(windowHooks.createTopControls), "does nothing"},
        {"user forms", "userFormsCanClose", bool(windowHooks.userFormsCanClose), "answers true"},
        {"user forms", "saveUserFormPlotMenus", bool(windowHooks.saveUserFormPlotMenus), "does nothing"},
        {"button panels", "buttonFormsLayout", bool(windowHooks.buttonFormsLayout), "does nothing"},
        {"user forms", "userFormsLayout", bool(windowHooks.userFormsLayout), "does nothing"},
        {"user forms", "userFormsPlaceWarnings", bool(windowHooks.userFormsPlaceWarnings), "does nothing"},
        {"button panels", "buttonFormsSelectTab", bool(windowHooks.buttonFormsSelectTab), "does nothing"},
        {"user forms", "userFormsSelectTab", bool(windowHooks.userFormsSelectTab), "does nothing"},
        {"user forms", "moveFormTabs", bool(windowHooks.moveFormTabs), "does nothing"},
        {"user forms", "findUserFormSubTabs", bool(windowHooks.findUserFormSubTabs), "answers null"},
        {"button panels", "counterThreadRunning", bool(windowHooks.counterThreadRunning), "answers false"},
        {"button panels", "counterThreadQuit", bool(windowHooks.counterThreadQuit), "does nothing"},
        {"button panels", "counterThreadWait", bool(windowHooks.counterThreadWait), "answers true"},
        {"button panels", "counterThreadStart", bool(windowHooks.counterThreadStart), "does nothing"},
        {"dialogs", "askUser", bool(windowHooks.askUser), "shows a message box (under VELMAR_NO_MODAL logs it and answers Yes or OK)"},
        {"program", "postQuit", bool(windowHooks.postQuit), "ends the event loop once queued events are handled"},
        {"store", "writeProgramSettings", bool(windowHooks.writeProgramSettings), "writes the settings block"},
        {"navigation", "gpsControlDialog", bool(commandHooks.gpsControlDialog), "answers false"},
        {"dialogs", "flashWarningTypeDialog", bool(commandHooks.flashWarningTypeDialog), "does nothing"},
        {"dialogs", "errorCheckingDialog", bool(commandHooks.errorCheckingDialog), "does nothing"},
        {"map", "zoomStepSizeDialog", bool(commandHooks.zoomStepSizeDialog), "does nothing"},
        {"map", "menuStyleDialog", bool(commandHooks.menuStyleDialog), "answers false"},
        {"dialogs", "transferEffortDialog", bool(commandHooks.transferEffortDialog), "does nothing"},
        {"dialogs", "statisticsDialog", bool(commandHooks.statisticsDialog), "does nothing"},
        {"user forms", "exportUserFormData", bool(commandHooks.exportUserFormData), "does nothing"},
        {"store", "checkGpsReferences", bool(commandHooks.checkGpsReferences), "does nothing"},
        {"dialogs", "makePage", bool(commandHooks.makePage), "adds no page"},
        {"dialogs", "printDialog", bool(commandHooks.printDialog), "shows the print dialog"},
        {"dialogs", "fontDialog", bool(commandHooks.fontDialog), "shows the font dialog"},
        {"store", "newTableDialog", bool(commandHooks.newTableDialog), "shows the new-table dialog"},
        {"dialogs", "runDialog", bool(commandHooks.runDialog), "runs the dialog modally (not under VELMAR_NO_MODAL)"},
        {"dialogs", "runSheet", bool(commandHooks.runSheet), "runs the sheet modally (not under VELMAR_NO_MODAL)"},
        {"dialogs", "runPopup", bool(commandHooks.runPopup), "runs the menu at the point"},
        {"map", "printMap", bool(commandHooks.printMap), "does nothing"},
        {"button panels", "restartButtonThread", bool(commandHooks.restartButtonThread), "does nothing"},
        {"user forms", "startUserFormCounters", bool(commandHooks.startUserFormCounters), "does nothing"},
        {"weather", "loadWeatherDll", bool(commandHooks.loadWeatherDll), "answers false"},
        {"weather", "weatherWindowExists", bool(commandHooks.weatherWindowExists), "answers false"},
        {"weather", "startWeatherThread", bool(commandHooks.startWeatherThread), "does nothing"},
        {"detector links", "getProgramStatus", bool(commandHooks.getProgramStatus), "answers \"not running\""},
        {"detector links", "startProgram", bool(commandHooks.startProgram), "does nothing"},
        {"detector links", "sendDetectorCommand", bool(commandHooks.sendDetectorCommand), "does nothing"},
        {"detector links", "showProgramme", bool(commandHooks.showProgramme), "does nothing"},
        {"detector links", "setListeningStatus", bool(commandHooks.setListeningStatus), "does nothing"},
        {"detector links", "setProgramStatus", bool(commandHooks.setProgramStatus), "does nothing"},
        {"detector links", "ddeEvent", bool(commandHooks.ddeEvent), "does nothing"},
        {"detector links", "thingsHeard", bool(commandHooks.thingsHeard), "does nothing"},
        {"shown data", "clearShownData", bool(commandHooks.clearShownData), "does nothing"},
        {"comments", "clearComments", bool(commandHooks.clearComments), "does nothing"},
        {"shown data", "loadAllGpsData", bool(commandHooks.loadAllGpsData), "answers 0"},
        {"shown data", "loadSpermData", bool(commandHooks.loadSpermData), "does nothing"},
        {"shown data", "loadPorpoiseEvents", bool(commandHooks.loadPorpoiseEvents), "does nothing"},
        {"user forms", "loadAllUserFormData", bool(commandHooks.loadAllUserFormData), "does nothing"},
        {"comments", "reloadComments", bool(commandHooks.reloadComments), "does nothing"},
        {"comments", "reloadThingsHeard", bool(commandHooks.reloadThingsHeard), "does nothing"},
        {"user forms", "rebuildEffortSegments", bool(commandHooks.rebuildEffortSegments), "answers false"},
        {"shown data", "dbGetEffortData", bool(commandHooks.dbGetEffortData), "does nothing"},
        {"map", "redrawMap", bool(commandHooks.redrawMap), "does nothing"},
        {"map", "showEmptyGpsData", bool(commandHooks.showEmptyGpsData), "does nothing"},
        {"map", "mapNewGpsFix", bool(commandHooks.mapNewGpsFix), "does nothing"},
        {"map", "mapCheckTrack", bool(commandHooks.mapCheckTrack), "does nothing"},
        {"map", "mapItem", bool(commandHooks.mapItem), "does nothing"},
        {"shown data", "effortSourceIndex", bool(commandHooks.effortSourceIndex), "answers 0"},
        {"shown data", "effortFormLine", bool(commandHooks.effortFormLine), "answers null"},
        {"decks", "deckPlaying", bool(commandHooks.deckPlaying), "does nothing"},
        {"button panels", "buttonFormsOnHotKey", bool(shellHooks.buttonFormsOnHotKey), "does nothing"},
        {"user forms", "userFormsOnHotKey", bool(shellHooks.userFormsOnHotKey), "does nothing"},
        {"help", "showHelp", bool(shellHooks.showHelp), "does nothing"},
        {"help", "closeHelp", bool(shellHooks.closeHelp), "does nothing"},
        {"help", "showAboutBox", bool(shellHooks.showAboutBox), "does nothing"},
        {"help", "loadBoardLibrary", bool(shellHooks.loadBoardLibrary), "does nothing"},
    };
    std::stable_sort(rows.begin(), rows.end(),
                     [](const ServiceBinding& a, const ServiceBinding& b) { return qstrcmp(a.group, b.group) < 0; });
    return rows;
}

void ReportServiceBindings(const MainWindowHooks& windowHooks, const MainCommandHooks& commandHooks,
                           const ShellHooks& shellHooks)
{
    const std::vector<ServiceBinding> rows = ServiceBindings(windowHooks, commandHooks, shellHooks);
    for (const ServiceBinding& row : rows)
        if (!row.bound)
            qCInfo(lcServices).noquote() << QStringLiteral("%1.%2 is not bound; its default %3")
                                                .arg(QLatin1String(row.group), QLatin1String(row.name),
                                                     QLatin1String(row.byDefault));
    const QString path = qEnvironmentVariable("VELMAR_SERVICE_TABLE");
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        qCWarning(lcServices) << "could not write the service table to" << path << ":" << file.errorString();
        return;
    }
    QTextStream out(&file);
    for (const ServiceBinding& row : rows)
        out << row.group << '\t' << row.name << '\t'
            << (row.bound ? QStringLiteral("bound") : QStringLiteral("default: ") + QLatin1String(row.byDefault))
            << '\n';
}

} // namespace velmar::shell
