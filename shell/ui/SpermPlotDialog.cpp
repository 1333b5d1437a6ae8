#include "shell/ui/SpermPlotDialog.h"

#include "settings/ProgramSettings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace velmar::shell::ui {

using store::TheProgramSettings;

namespace {
constexpr int TimeLimit = 5;
constexpr int RealLimit = 6;

QString realText(float v)
{
    return QString::number(double(v), 'g', 6);
}
} // namespace

SpermPlotDialog::SpermPlotDialog(QWidget* parent) : ProgramSettingsPage(tr("Quintra Click"), parent)
{
    const auto& s = TheProgramSettings;
    m_all = MakeRadio(IdPlotAll, tr("Plot All Detections"), s.SpermPlotAll);
    m_separated = MakeRadio(IdPlotSeparated, tr("Plot only detections which are ..."), !s.SpermPlotAll);
    m_time = MakeEdit(IdTime, TimeLimit, QString::number(s.SpermTimeWindow));
    m_bearing = MakeEdit(IdBearing, RealLimit, realText(s.SpermMinBearingDifference));
    m_sperm = MakeEdit(IdSpermRange, RealLimit, realText(s.SpermClickRange));
    m_dolphin = MakeEdit(IdDolphinRange, RealLimit, realText(s.DolphinClickRange));
    m_colours = MakeCheck(IdClickColours, tr("Use Quintra Click Colours"), s.SpermClickColours);
    auto* form = new QFormLayout(this);
    form->addRow(m_all);
    form->addRow(m_separated);
    form->addRow(tr("Separated in time by (s)"), m_time);
    form->addRow(new QLabel(tr("Or ..."), this));
    form->addRow(tr("Have bearings differing by (degrees)"), m_bearing);
    form->addRow(tr("Default Sperm Whale Range"), m_sperm);
    form->addRow(tr("Default Dolphin Range"), m_dolphin);
    form->addRow(m_colours);
    connect(m_all, &QRadioButton::clicked, this, &SpermPlotDialog::EnableControls);
    connect(m_separated, &QRadioButton::clicked, this, &SpermPlotDialog::EnableControls);
    EnableControls();
}

void SpermPlotDialog::EnableControls()
{
    const bool separated = m_separated->isChecked();
    m_time->setEnabled(separated);
    m_bearing->setEnabled(separated);
}

bool SpermPlotDialog::StoreSettings()
{
    store::ProgramSettings copy = TheProgramSettings;
    copy.SpermPlotAll = m_all->isChecked();
    copy.SpermTimeWindow = LeadingIntegerOf(m_time->text(), TimeLimit - 1);
    if (copy.SpermTimeWindow < 0) {
        Message(tr("Time difference must be greater than 0"));
        return false;
    }
    copy.SpermMinBearingDifference = float(LeadingRealOf(m_bearing->text(), RealLimit - 1));
    if (copy.SpermMinBearingDifference < 0) {
        Message(tr("Bearing difference must be greater than 0"));
        return false;
    }
    copy.SpermClickRange = float(LeadingRealOf(m_sperm->text(), RealLimit - 1));
    if (copy.SpermClickRange < 0) {
        Message(tr("Default Sperm Whale Range must be greater than 0"));
        return false;
    }
    copy.DolphinClickRange = float(LeadingRealOf(m_dolphin->text(), RealLimit - 1));
    if (copy.DolphinClickRange < 0) {
        Message(tr("Default Dolphin Range must be greater than 0"));
        return false;
    }
    copy.SpermClickColours = m_colours->isChecked();
    TheProgramSettings = copy;
    return true;
}

} // namespace velmar::shell::ui
