#include "shell/ui/EffortDlg.h"

#include "shell/ui/SettingsChecks.h"
#include "platform/RunMode.h"
#include "widgets/MessageBoxSeam.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace velmar::shell::ui {

using store::TheProgramSettings;

namespace {

// "%6g" can take seven characters (100 s shows as 1.66667): the box holds
// more, so a shown gap is never cut.
constexpr int GapChars = 12;
constexpr int NameChars = 50;

} // namespace

bool& EffortSourceChangeFlag()
{
    static bool changed = false;
    return changed;
}

EffortDlg::EffortDlg(EffortFormSource forms, std::function<void()> reload, QWidget* parent)
    : ProgramSettingsPage(tr("Effort Line"), parent), m_forms(forms ? forms() : std::vector<EffortFormChoice>{}),
      m_reload(std::move(reload))
{
    const auto& s = TheProgramSettings;
    EffortSourceChangeFlag() = false;
    auto* layout = new QVBoxLayout(this);
    auto* top = new QGroupBox(this);
    auto* form = new QFormLayout(top);
    m_gap = MakeEdit(IdGap, GapChars + 1, EffortGapText(s.MaxEffortFixInterval), top);
    m_gap->setAlignment(Qt::AlignRight);
    m_pen = MakeEdit(IdPenWidth, 2, QString::number(s.TrackPenWidth), top);
    form->addRow(tr("Max interval between GPS fixes (minutes)"), m_gap);
    form->addRow(tr("Pen Width"), m_pen);
    layout->addWidget(top);

    auto* source = new QGroupBox(this);
    auto* sourceLayout = new QVBoxLayout(source);
    m_grey = MakeRadio(IdGrey, tr("Single Grey Effort Line"), !s.EffortYes, source);
    m_colours = MakeRadio(IdColours, tr("Use Effort Colours from form ..."), s.EffortYes, source);
    m_formList = new QComboBox(source);
    m_formList->setObjectName(QString::number(IdFormList));
    m_controlList = new QComboBox(source);
    m_controlList->setObjectName(QString::number(IdControlList));
    sourceLayout->addWidget(m_grey);
    sourceLayout->addWidget(m_colours);
    sourceLayout->addWidget(m_formList);
    sourceLayout->addWidget(new QLabel(tr("Control Name..."), source));
    sourceLayout->addWidget(m_controlList);
    layout->addWidget(source);
    layout->addStretch();

    const QString stored = s.EffortForm.text();
    int selected = -1;
    for (int i = 0; i < FixedEffortSources; ++i) {
        m_formList->addItem(QLatin1String(EffortSourceNames[i]));
        if (stored == QLatin1String(EffortSourceNames[i]))
            selected = i;
    }
    for (const EffortFormChoice& f : m_forms) {
        m_formList->addItem(f.name.left(NameChars));
        if (f.name == stored)
            selected = m_formList->count() - 1;
    }
    m_formList->setCurrentIndex(std::max(selected, 0));
    connect(m_grey, &QRadioButton::clicked, this, [this] { EnableControls(); });
    connect(m_colours, &QRadioButton::clicked, this, [this] { EnableControls(); });
    connect(m_formList, &QComboBox::currentIndexChanged, this, [this] { FillControlList(); });
    FillControlList();
}

void EffortDlg::EnableControls()
{
    const bool colours = m_colours->isChecked();
    m_formList->setEnabled(colours);
    m_controlList->setEnabled(colours && m_formList->currentIndex() >= FixedEffortSources);
}

void EffortDlg::FillControlList()
{
    m_controlList->clear();
    EnableControls();
    const int index = m_formList->currentIndex() - FixedEffortSources;
    if (index < 0 || index >= int(m_forms.size()))
        return;
    const QString stored = TheProgramSettings.EffortControl.text();
    int selected = 0;
    for (const QString& control : m_forms[std::size_t(index)].controls) {
        m_controlList->addItem(control.left(NameChars));
        if (control == stored)
            selected = m_controlList->count() - 1;
    }
    m_controlList->setCurrentIndex(selected);
}

bool EffortDlg::StoreSettings()
{
    const store::ProgramSettings before = TheProgramSettings;
    const CheckedSettings checked = CheckEffortLine(before, {m_gap->text(), m_pen->text(), m_colours->isChecked(),
                                                             m_formList->currentText(), m_controlList->currentText()});
    if (!checked.ok()) {
        Message(checked.message);
        return false;
    }
    TheProgramSettings = *checked.block;
    bool& changed = EffortSourceChangeFlag();
    if (!changed)
        changed = EffortSourceChanged(before, TheProgramSettings);
    return true;
}

bool EffortDlg::Apply()
{
    if (!ProgramSettingsPage::Apply())
        return false;
    if (EffortSourceChangeFlag() && platform::RunMode == platform::RunModeShowData && m_reload)
        m_reload();
    EffortSourceChangeFlag() = false;
    return true;
}

} // namespace velmar::shell::ui
