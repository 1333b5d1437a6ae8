#include "shell/ui/NavigateDialog.h"

#include "shell/ui/SettingsChecks.h"
#include "widgets/MessageBoxSeam.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace velmar::shell::ui {

using store::TheProgramSettings;

NavigateDialog::NavigateDialog(QWidget* parent) : ProgramSettingsPage(tr("Nav Data"), parent)
{
    const auto& s = TheProgramSettings;
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(tr("Enter the local magnetic variation in degrees E of North. i.e. a Westerly variation "
                               "should have a negative value:"),
                            this);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    form->addRow(tr("Magnetic Variation"),
                 MakeEdit(IdVariation, EditLimit, QString::asprintf("%g", double(s.MagneticVariation))));
    auto* units = new QGroupBox(this);
    auto* unitsLayout = new QVBoxLayout(units);
    unitsLayout->addWidget(MakeRadio(IdNauticalMiles, tr("Nautical Miles"), s.LengthUnits == 1, units));
    unitsLayout->addWidget(MakeRadio(IdMetric, tr("Metric"), s.LengthUnits == 2, units));
    form->addRow(tr("Map Display Units"), units);
    form->addRow(tr("Hydrophone Length (m)"),
                 MakeEdit(IdHydrophoneLength, EditLimit, QString::asprintf("%g", double(s.HydrophoneLength))));
    layout->addStretch();
}

bool NavigateDialog::StoreSettings()
{
    const CheckedSettings checked = CheckNavData(TheProgramSettings, ControlById<QLineEdit>(this, IdVariation)->text(),
                                                 ControlById<QRadioButton>(this, IdNauticalMiles)->isChecked(),
                                                 ControlById<QLineEdit>(this, IdHydrophoneLength)->text());
    if (!checked.ok()) {
        ShowMessageBox(this, checked.message, checked.caption, QMessageBox::Critical);
        return false;
    }
    TheProgramSettings = *checked.block;
    return true;
}

} // namespace velmar::shell::ui
