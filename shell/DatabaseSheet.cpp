#include "shell/DatabaseSheet.h"

#include "shell/ShellLog.h"
#include "shell/ui/DatabasePage.h"
#include "widgets/SettingsSheet.h"
#include "settings/ProgramSettings.h"

#include <QComboBox>
#include <QDir>
#include <QStandardPaths>

namespace velmar::shell {

namespace {

const QString DefaultDatabaseName = QStringLiteral("Survey.sqlite");

} // namespace

void OfferDefaultDatabase(store::DatabaseDialog& page)
{
    if (!store::TheProgramSettings.DatabasePath.text().isEmpty())
        return;
    QComboBox* combo = page.comboBox();
    if (!combo->currentText().trimmed().isEmpty())
        return;
    const QString path = DefaultDatabasePath();
    if (path.isEmpty())
        return;
    combo->insertItem(0, path);
    combo->setCurrentIndex(0);
}

QString DefaultDatabasePath()
{
    QString folder;
    const QString home = qEnvironmentVariable("VELMAR_HOME");
    if (!home.isEmpty())
        folder = QDir(home).filePath(QStringLiteral("data"));
    else
        folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return QString();
    return QDir(folder).filePath(DefaultDatabaseName);
}

bool AcceptSheetsUnattended()
{
    return qEnvironmentVariableIsSet("VELMAR_ACCEPT_SHEETS");
}

std::unique_ptr<ui::SettingsSheet> MakeDatabaseSheet(QWidget* parent, store::RecentDatabaseList& recent)
{
    auto sheet = std::make_unique<ui::SettingsSheet>(parent, QStringLiteral("Database File"));
    auto* page = new ui::DatabasePage(recent);
    sheet->AddPage(page);
    OfferDefaultDatabase(*page->Dialog());
    sheet->resize(640, sheet->sizeHint().height());
    return sheet;
}

int RunStartupSheet(ui::SettingsSheet& sheet)
{
    if (!AcceptSheetsUnattended())
        return sheet.Execute();
    // The log tells a script which pages the sheet went through.
    const auto note = [&sheet] { qCInfo(shellLog).noquote() << "start-up page:" << sheet.CurrentPage()->Title(); };
    note();
    for (int i = 1; i < sheet.PageCount(); ++i) {
        if (!sheet.SelectPage(i)) {
            sheet.reject();
            return sheet.result();
        }
        note();
    }
    sheet.accept();
    if (sheet.result() != 1)
        sheet.reject();
    return sheet.result();
}

bool DatabaseSheet(QWidget* parent, store::RecentDatabaseList& recent)
{
    const std::unique_ptr<ui::SettingsSheet> sheet = MakeDatabaseSheet(parent, recent);
    return RunStartupSheet(*sheet) == 1;
}

} // namespace velmar::shell
