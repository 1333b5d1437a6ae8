#include "shell/DatabaseSheet.h"

#include "store/ProgramSettings.h"
#include "store/ui/DatabaseDialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace velmar::shell {

namespace {

const QString DefaultDatabaseName = QStringLiteral("Survey.sqlite");

// A first start has an empty settings block and often an empty recent list:
// offer the default file rather than an empty box the operator has to fill.
void OfferDefault(store::DatabaseDialog& page)
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

class DatabaseFileSheet : public QDialog {
public:
    DatabaseFileSheet(QWidget* parent, store::RecentDatabaseList& recent)
        : QDialog(parent)
        , m_page(new store::DatabaseDialog(recent, this))
    {
        setWindowTitle(QStringLiteral("Database File"));
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_page);
        layout->addWidget(buttons);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        OfferDefault(*m_page);
        resize(560, sizeHint().height());
    }

    // OK: the page's check (which opens the database), then the settings
    // block is written. A failed check keeps the sheet open.
    void accept() override
    {
        if (m_page->Apply())
            done(1);
    }

private:
    store::DatabaseDialog* m_page;
};

} // namespace

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

bool DatabaseSheet(QWidget* parent, store::RecentDatabaseList& recent)
{
    DatabaseFileSheet sheet(parent, recent);
    if (AcceptSheetsUnattended()) {
        sheet.accept();
        return sheet.result() == 1;
    }
    return sheet.exec() == 1;
}

} // namespace velmar::shell
