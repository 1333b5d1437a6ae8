#include "shell/ServiceTable.h"

#include "shell/MainWindowServices.h"
#include "shell/ShellLog.h"

#include <QFile>
#include <QTextStream>

#include <algorithm>

namespace velmar::shell {

std::vector<ServiceBinding> ServiceBindings(const MainWindowServices& services)
{
    std::vector<ServiceBinding> rows{
        {"recorders", "RecorderService", services.recorders != nullptr, "makes no recorder"},
        {"decks", "DeckService", services.decks != nullptr, "makes no deck and leaves the program clock alone"},
        {"cameras", "CameraService", services.cameras != nullptr, "makes no camera form"},
        {"help", "HelpService", services.help != nullptr, "shows no help and no about box"},
        {"weather", "WeatherService", services.weather != nullptr, "has no weather station"},
        {"comments", "CommentService", services.comments != nullptr, "makes no comment panel"},
        {"map", "MapService", services.map != nullptr, "makes no map window and draws nothing"},
        {"shown data", "ShownDataService", services.shownData != nullptr, "shows and loads nothing"},
        {"store", "SurveyStoreService", services.store != nullptr,
         "opens no survey (answers that it did) and has no rows"},
        {"program", "StartupService", services.startup != nullptr,
         "shows no sheet, writes the settings block and ends the event loop"},
        {"navigation", "NavigationService", services.navigation != nullptr, "polls no GPS"},
        {"dialogs", "SettingsDialogService", services.settingsDialogs != nullptr, "shows no dialog and lends no page"},
        {"user forms", "UserFormService", services.userForms != nullptr, "adds no form tabs and takes no hot keys"},
        {"button panels", "ButtonPanelService", services.buttonPanels != nullptr,
         "adds no panel tabs and starts no button or counter thread"},
        {"detector links", "DetectorLinkService", services.detectors != nullptr,
         "makes no detector panel or whistle form, starts no event service and asks no program"},
        {"things heard", "ThingsHeardService", services.heard != nullptr, "makes no things-heard form"},
        {"boards", "BoardLibraryService", services.boards != nullptr, "binds no measurement-board library"},
    };
    std::stable_sort(rows.begin(), rows.end(),
                     [](const ServiceBinding& a, const ServiceBinding& b) { return qstrcmp(a.group, b.group) < 0; });
    return rows;
}

void ReportServiceBindings(const MainWindowServices& services)
{
    const std::vector<ServiceBinding> rows = ServiceBindings(services);
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
