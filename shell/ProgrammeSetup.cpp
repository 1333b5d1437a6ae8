#include "shell/ProgrammeSetup.h"

#include "shell/DatabaseSheet.h"
#include "shell/SettingsDialogService.h"
#include "shell/TV2000Window.h"
#include "shell/ui/DataKeepDialog.h"
#include "shell/ui/DatabasePage.h"
#include "shell/ui/IOBoardDialog.h"
#include "shell/ui/MapOptsDialog.h"
#include "shell/ui/ProgContDialog.h"
#include "shell/ui/ProgLocDialog.h"
#include "widgets/SettingsSheet.h"
#include "shell/ui/ShowTapeDialog.h"
#include "settings/ProgramSettings.h"

#include <algorithm>

namespace velmar::shell {

namespace {

void AddPage(ui::SettingsSheet& sheet, ui::SettingsPage* page, const QString& title = QString())
{
    if (!page)
        return;
    if (!title.isEmpty())
        page->SetTitle(title);
    sheet.AddPage(page);
}

} // namespace

std::unique_ptr<ui::SettingsSheet> MakeProgrammeSetupSheet(QWidget* parent, store::RecentDatabaseList& recent,
                                                           SettingsDialogService& dialogs)
{
    auto sheet = std::make_unique<ui::SettingsSheet>(parent, QStringLiteral("Programme Setup"),
                                                     ui::SettingsSheet::Style::Wizard);
    auto* database = new ui::DatabasePage(recent);
    AddPage(*sheet, database, QStringLiteral("Select Database (you must open a database before continuing)"));
    // A new installation names no database yet: offer the default file, as
    // the "Database File" sheet does.
    OfferDefaultDatabase(*database->Dialog());
    AddPage(*sheet, dialogs.MakePage(QStringLiteral("MapFileDialog")), QStringLiteral("Select Map File (optional)"));
    AddPage(*sheet, new ui::MapOptsDialog, QStringLiteral("General Display options"));
    AddPage(*sheet, new ui::ShowTapeDialog(GetRecorderCount(), [](int n) { SetRecorderCount(n); }));
    AddPage(*sheet, new ui::IOBoardDialog, QStringLiteral("Select a board for digital and analogue i/o"));
    AddPage(*sheet, new ui::ProgLocDialog, QStringLiteral("Enter the locations of the detector programmes"));
    AddPage(*sheet, new ui::ProgContDialog(GetRecorderCount()),
            QStringLiteral("Select which programmes are started and stopped automatically"));
    AddPage(*sheet, new ui::DataKeepDialog, QStringLiteral("Enter how long data should be stored for"));

    sheet->resize(640, std::max(420, sheet->sizeHint().height()));
    return sheet;
}

int ProgrammeSetup(QWidget* parent, store::RecentDatabaseList& recent, SettingsDialogService& dialogs)
{
    dialogs.GpsControlDialog(parent);
    const std::unique_ptr<ui::SettingsSheet> sheet = MakeProgrammeSetupSheet(parent, recent, dialogs);
    return RunStartupSheet(*sheet);
}

} // namespace velmar::shell
