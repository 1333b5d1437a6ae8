#include "shell/ui/ProgContDialog.h"

#include "platform/RunMode.h"
#include "settings/ProgramSettings.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace velmar::shell::ui {

using store::AutoStart;
using store::AutoStop;
using store::TheProgramSettings;

namespace {
constexpr int WatchPower = 1;
constexpr int WatchCable = 2;
const char* const RowLabels[ProgContDialog::Rows] = {"Porpoise Detector", "Whistle Detector", "Quintra Click",
                                                     "Listening", "Automatic Recordings"};
} // namespace

ProgContDialog::ProgContDialog(int recorderCount, QWidget* parent)
    : ProgramSettingsPage(tr("Automatic Start / Stop"), parent), m_recorderCount(recorderCount)
{
    const auto& s = TheProgramSettings;
    auto* layout = new QVBoxLayout(this);
    auto* monitor = new QGroupBox(tr("Hydrophone Monitoring"), this);
    auto* ml = new QVBoxLayout(monitor);
    m_power = MakeCheck(IdPower, tr("Monitor hydrophone power on digital channel 0"),
                        (s.PowerMonitor & WatchPower) != 0, monitor);
    m_cable = MakeCheck(IdCable, tr("Monitor hydrphone cable on digital channel 1"), (s.PowerMonitor & WatchCable) != 0,
                        monitor);
    ml->addWidget(m_power);
    ml->addWidget(m_cable);
    layout->addWidget(monitor);

    auto* control = new QGroupBox(tr("Automatic Detector Control"), this);
    auto* grid = new QGridLayout(control);
    grid->addWidget(new QLabel(tr("Start"), control), 0, 1);
    grid->addWidget(new QLabel(tr("Stop"), control), 0, 2);
    for (int i = 0; i < Rows; ++i) {
        const int32_t entry = s.ProgramAutoControl[std::size_t(i)];
        grid->addWidget(new QLabel(tr(RowLabels[i]), control), i + 1, 0);
        m_start[std::size_t(i)] = MakeCheck(IdFirstStart + i, QString(), (entry & AutoStart) != 0, control);
        m_stop[std::size_t(i)] = MakeCheck(IdFirstStop + i, QString(), (entry & AutoStop) != 0, control);
        grid->addWidget(m_start[std::size_t(i)], i + 1, 1);
        grid->addWidget(m_stop[std::size_t(i)], i + 1, 2);
    }
    layout->addWidget(control);

    connect(m_power, &QCheckBox::clicked, this, &ProgContDialog::EnableControls);
    connect(m_cable, &QCheckBox::clicked, this, &ProgContDialog::EnableControls);
    EnableControls();
}

void ProgContDialog::SetActive()
{
    SetWizardButtons(WizardBack | WizardNext);
}

void ProgContDialog::EnableControls()
{
    const bool board = TheProgramSettings.IODeviceType != 0;
    bool powerWatched = false;
    if (board) {
        powerWatched = m_power->isChecked();
        if (!powerWatched)
            m_cable->setChecked(false);
    }
    m_power->setEnabled(board);
    m_cable->setEnabled(powerWatched);
    if (platform::RunMode == platform::RunModeOffline && m_recorderCount > 0)
        return; // the deck drives the run state: the rows stay as they are
    for (int i = 0; i < Rows; ++i) {
        m_start[std::size_t(i)]->setEnabled(powerWatched);
        m_stop[std::size_t(i)]->setEnabled(powerWatched);
    }
}

bool ProgContDialog::StoreSettings()
{
    auto& s = TheProgramSettings;
    s.PowerMonitor = (m_power->isChecked() ? WatchPower : 0) | (m_cable->isChecked() ? WatchCable : 0);
    for (int i = 0; i < Rows; ++i)
        s.ProgramAutoControl[std::size_t(i)] = (m_start[std::size_t(i)]->isChecked() ? AutoStart : 0)
                                             | (m_stop[std::size_t(i)]->isChecked() ? AutoStop : 0);
    return true;
}

} // namespace velmar::shell::ui
