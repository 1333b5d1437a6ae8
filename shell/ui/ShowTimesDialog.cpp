#include "shell/ui/ShowTimesDialog.h"

#include "nav/ShowDataReaders.h"
#include "platform/DateTimeText.h"
#include "settings/ProgramSettings.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace velmar::shell::ui {

using platform::FormatTimeStamp;
using platform::ReadDateTimeString;
using platform::SecondsBetween;
using store::TheProgramSettings;

namespace {
constexpr int EditLimit = 22;
constexpr uint16_t LastHour = 23;
constexpr uint16_t LastMinuteOrSecond = 59;
bool firstUse = true;

// The settings block holds zeros for show times nobody has stored.
bool NeverStored(const platform::SystemTime& t)
{
    return t.wYear == 0 && t.wMonth == 0 && t.wDay == 0;
}
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
    platform::SystemTime start = TheProgramSettings.StartTime;
    platform::SystemTime end = TheProgramSettings.EndTime;
    // Times never stored (a first start) are offered as the survey's first
    // and last fix, or today when it has none; a stored time that is no date
    // is shown as it is, for the check to name.
    if (NeverStored(start) || NeverStored(end)) {
        platform::SystemTime first = platform::SystemTime::nowUtc();
        first.wHour = first.wMinute = first.wSecond = first.wMilliseconds = 0;
        platform::SystemTime last = first;
        last.wHour = LastHour, last.wMinute = last.wSecond = LastMinuteOrSecond;
        if (const std::optional<nav::TrackTimeSpan> track = nav::MainTrackTimeSpan())
            first = track->first, last = track->last;
        if (NeverStored(start))
            start = first;
        if (NeverStored(end))
            end = last;
    }
    m_start->setText(FormatTimeStamp(start));
    m_end->setText(FormatTimeStamp(end));
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
