#include "DatabaseDialog.h"

#include "platform/FileDialogs.h"
#include "platform/RunMode.h"
#include "store/DbConnection.h"
#include "store/DbMessages.h"
#include "settings/ProgramSettings.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmar::store {

namespace {
// Longest name the combo box takes.
constexpr int kMaxNameLength = 279;
const QString kErrorOpening = QStringLiteral("Error Opening Database");
} // namespace

DatabaseDialog::DatabaseDialog(RecentDatabaseList& recent, QWidget* parent)
    : QWidget(parent), m_recent(recent), m_combo(new QComboBox(this))
{
    setWindowTitle(QStringLiteral("Output Database"));
    m_combo->setEditable(true);
    m_combo->lineEdit()->setMaxLength(kMaxNameLength);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    auto* browse = new QPushButton(QStringLiteral("Browse / Create New"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Database files must be of type SQLite (.sqlite)"), this));
    layout->addWidget(m_combo);
    layout->addWidget(new QLabel(QStringLiteral("New databases and tables will be created as necessary."), this));
    layout->addWidget(browse, 0, Qt::AlignLeft);
    layout->addStretch();
    connect(browse, &QPushButton::clicked, this, &DatabaseDialog::Browse);
    FillRecentList();
}

void DatabaseDialog::FillRecentList()
{
    m_combo->clear();
    // Entries go in whole: a path cut for the list would open another file.
    for (const QString& entry : m_recent.entries())
        m_combo->addItem(entry);
    if (m_combo->count() > 0)
        m_combo->setCurrentIndex(0);
}

bool DatabaseDialog::OpenChosenDatabase()
{
    QString name = m_combo->currentText().left(kMaxNameLength);
    if (!FixDatabaseExtension(nullptr, name, true)) {
        if (!name.isEmpty() && QFileInfo::exists(name)) {
            DbMessage(this, name + QStringLiteral("\n\nis not a survey database (.sqlite or .db)"), kErrorOpening);
            return false;
        }
        if (platform::RunMode != platform::RunModeAlterSettings)
            DbMessage(this, QStringLiteral("No Database"), QString());
        return true;
    }
    // Stored relative, the next start from another folder would open (or
    // create) another file.
    name = QFileInfo(name).absoluteFilePath();
    m_combo->setEditText(name);
    if (name == TheProgramSettings.DatabasePath.text())
        return true;
    // The settings block keeps 279 bytes; a longer path would be stored cut
    // and the next start would open another file.
    if (name.toUtf8().size() >= qsizetype(ProgramSettings::PathSize)) {
        DbMessage(this, name, kErrorOpening);
        return false;
    }
    // Opening closes the current database first. Should the new one fail,
    // the survey must not go on logging into nothing: reopen the old one.
    const QString previous = IsDbOpen() ? GetDbPath() : QString();
    if (OpenDB(window(), name) != kOpenDbOk) {
        QString text = name;
        if (!previous.isEmpty() && OpenDB(window(), previous) == kOpenDbOk)
            text += QStringLiteral("\n\nThe database that was open before has been opened again:\n") + previous;
        DbMessage(this, text, kErrorOpening);
        return false;
    }
    TheProgramSettings.DatabasePath.setText(name);
    return true;
}

bool DatabaseDialog::Apply()
{
    if (!OpenChosenDatabase())
        return false;
    QString error;
    if (!WriteProgramSettings(&error))
        DbMessage(this, error, QString::fromLatin1(SettingsFileErrorCaption));
    return true;
}

void DatabaseDialog::Browse()
{
    // The open survey's folder is listed without opening the survey.
    std::unique_ptr<QFileDialog> dialog = platform::NewFileDialog(
        this, QString(), QString(), QStringLiteral("SQLite Survey Database Files (*.sqlite *.db)"));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // Any name, so that a new database may be typed.
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::ReadOnly, false);
    dialog->setDefaultSuffix(QStringLiteral("sqlite"));
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return;
    UseBrowsedFile(dialog->selectedFiles().constFirst());
}

void DatabaseDialog::UseBrowsedFile(const QString& fileName)
{
    QString name = fileName;
    FixDatabaseExtension(nullptr, name, true);
    m_recent.saveMenuChoice(name);
    FillRecentList();
}

} // namespace velmar::store
