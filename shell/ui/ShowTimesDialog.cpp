#include "shell/ui/ShowTimesDialog.h"

#include "platform/DateTimeText.h"
#include "settings/ProgramSettings.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace velmar::shell::ui {

using sound::FormatTimeStamp;
using sound::ReadDateTimeString;
using sound::SecondsBetween;
using store::TheProgramSettings;

namespace {
constexpr int EditLimit = 22;
bool firstUse = true;
} // namespace

bool ShowTimesDialog::FirstUse()
{
    return firstUse;
}

void ShowTimesDialog::ResetFirstUse()
{
    firstUse = true;
}

ShowTimesDialog::ShowTimesDialog(std::function<void()> reloadShownData, QWidget* parent)
    : ProgramSettingsPage(tr("Select"), parent), m_reload(std::move(reloadShownData))
{
    m_start = MakeEdit(IdStart, EditLimit, QString());
    m_end = MakeEdit(IdEnd, EditLimit, QString());
    ShowStoredTimes();
    auto* form = new QFormLayout(this);
    form->addRow(new QLabel(tr("Enter the time range for the data to be displayed."), this));
    form->addRow(tr("Start"), m_start);
    form->addRow(tr("End"), m_end);
    form->addRow(new QLabel(tr("Entries must be in one of the following the following formats:"), this));
    form->addRow(new QLabel(QStringLiteral("YYYY-MM-DD  HH:MM:SS\nYYYY-MM-DD  HH:MM\nYYYY-MM-DD"), this));
    connect(m_start, &QLineEdit::textEdited, this, &SettingsPage::Changed);
    connect(m_end, &QLineEdit::textEdited, this, &SettingsPage::Changed);
}

void ShowTimesDialog::ShowStoredTimes()
{
    m_start->setText(FormatTimeStamp(TheProgramSettings.StartTime));
    m_end->setText(FormatTimeStamp(TheProgramSettings.EndTime));
}

bool ShowTimesDialog::ReadTime(int boxId, platform::SystemTime& time) const
{
    auto* box = ControlById<QLineEdit>(this, boxId);
    return box && ReadDateTimeString(box->text().left(EditLimit - 1), &time);
}

bool ShowTimesDialog::StoreSettings()
{
    platform::SystemTime start = TheProgramSettings.StartTime;
    platform::SystemTime end = TheProgramSettings.EndTime;
    if (!ReadTime(IdStart, start)) {
        Message(tr("Start Time format must be YYYY-MM-DD HH:MM:SS"));
        return false;
    }
    if (!ReadTime(IdEnd, end)) {
        Message(tr("Stop Time format must be YYYY-MM-DD HH:MM:SS"));
        return false;
    }
    if (SecondsBetween(TheProgramSettings.StartTime, start) == 0
        && SecondsBetween(TheProgramSettings.EndTime, end) == 0) {
        firstUse = false;
        return true;
    }
    TheProgramSettings.StartTime = start;
    TheProgramSettings.EndTime = end;
    if (!firstUse && m_reload)
        m_reload();
    firstUse = false;
    return true;
}

bool ShowTimesDialog::Apply()
{
    const bool ok = ProgramSettingsPage::Apply();
    if (ok)
        ShowStoredTimes();
    return ok;
}

} // namespace velmar::shell::ui
