#include "shell/ui/ProgLocDialog.h"

#include "platform/FileDialogs.h"
#include "widgets/MessageBoxSeam.h"
#include "settings/ProgramSettings.h"
#include "platform/Utilities.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace velmar::shell::ui {

using store::TheProgramSettings;

namespace {
constexpr int EditLimit = 280;
// Program types of the four rows.
constexpr std::array<int, ProgLocDialog::Rows> Programs = {store::ProgramPorpoise, store::ProgramWhistle,
                                                           store::ProgramClick, store::ProgramNmea};

std::size_t slotOf(int row)
{
    return std::size_t(store::ProgramTypeIndex(Programs[std::size_t(row)]));
}
const char* const RowLabels[ProgLocDialog::Rows] = {"Porpoise Detector", "Whistle Detector", "Quintra Click",
                                                    "NMEA Server"};

QString chooseExecutable(QWidget* parent, const QString& initial)
{
    // The suite's programs carry no extension here; any executable file goes.
    return platform::ChooseExistingFile(parent, QString(), initial, QObject::tr("Executables (*)"));
}
} // namespace

ProgLocDialog::ProgLocDialog(QWidget* parent)
    : ProgramSettingsPage(tr("Programme Locations"), parent), m_chooser(chooseExecutable)
{
    store::SetDefaultProgramPaths();
    auto* grid = new QGridLayout(this);
    for (int i = 0; i < Rows; ++i) {
        const auto& path = TheProgramSettings.ProgramPaths[slotOf(i)];
        m_edits[std::size_t(i)] = MakeEdit(IdPorpoise + i, EditLimit, path.text());
        auto* browse = new QPushButton(tr("Browse"), this);
        const int id = IdBrowseFirst + i;
        browse->setObjectName(QString::number(id));
        connect(browse, &QPushButton::clicked, this, [this, id] { CmBrowse(id); });
        grid->addWidget(new QLabel(tr(RowLabels[i]), this), i, 0);
        grid->addWidget(m_edits[std::size_t(i)], i, 1);
        grid->addWidget(browse, i, 2);
    }
}

void ProgLocDialog::CmBrowse(int buttonId)
{
    const int row = buttonId - IdBrowseFirst;
    if (row < 0 || row >= Rows)
        return;
    QLineEdit* edit = m_edits[std::size_t(row)];
    const QString chosen = m_chooser ? m_chooser(this, edit->text()) : QString();
    if (!chosen.isEmpty())
        edit->setText(chosen);
}

bool ProgLocDialog::StoreSettings()
{
    store::ProgramSettings copy = TheProgramSettings;
    for (int i = 0; i < Rows; ++i) {
        const QString text = m_edits[std::size_t(i)]->text();
        copy.ProgramPaths[slotOf(i)].setText(text);
        if (!text.isEmpty() && !platform::FileExists(text)) {
            ShowMessageBox(this, text, tr("Can't find the file"));
            return false;
        }
    }
    TheProgramSettings = copy;
    return true;
}

} // namespace velmar::shell::ui
