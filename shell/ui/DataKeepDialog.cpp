#include "shell/ui/DataKeepDialog.h"

#include "settings/ProgramSettings.h"

#include <QFormLayout>
#include <QLineEdit>

namespace velmar::shell::ui {

namespace {
constexpr int EditLimit = 7;
constexpr int MinimumMinutes = 1;
} // namespace

using store::TheProgramSettings;

DataKeepDialog::DataKeepDialog(QWidget* parent) : ProgramSettingsPage(tr("Data Storage"), parent)
{
    m_display = MakeEdit(IdDisplayTime, EditLimit, QString::number(TheProgramSettings.DisplayTime));
    m_warning = MakeEdit(IdWarningTime, EditLimit, QString::number(TheProgramSettings.WarningTime));
    auto* form = new QFormLayout(this);
    form->addRow(tr("Store and display data for (minutes)"), m_display);
    form->addRow(tr("Issue Cetacean warnings for (minutes)"), m_warning);
}

void DataKeepDialog::SetActive()
{
    SetWizardButtons(WizardBack | WizardFinish);
}

bool DataKeepDialog::StoreSettings()
{
    store::ProgramSettings copy = TheProgramSettings;
    copy.DisplayTime = LeadingIntegerOf(m_display->text(), EditLimit - 1);
    if (copy.DisplayTime < MinimumMinutes) {
        Message(tr("Data display time must be greater than 1 minute"));
        return false;
    }
    copy.WarningTime = LeadingIntegerOf(m_warning->text(), EditLimit - 1);
    if (copy.WarningTime < MinimumMinutes) {
        Message(tr("Data Warning time must be greater than 1 minute"));
        return false;
    }
    if (copy.WarningTime > copy.DisplayTime) {
        Message(tr("Data Warning time must be less than the sotrage time !"));
        return false;
    }
    TheProgramSettings = copy;
    return true;
}

} // namespace velmar::shell::ui
