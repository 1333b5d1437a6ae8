#include "shell/ui/SmallForms.h"

#include "widgets/MessageBoxSeam.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace velmar::shell::ui {

using store::TheProgramSettings;

namespace {

constexpr int TalkerChars = 2;

QGroupBox* Group(const QString& title, QBoxLayout* into, QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    into->addWidget(box);
    return box;
}

QRadioButton* Radio(const QString& text, QGroupBox* group, bool checked)
{
    auto* b = new QRadioButton(text, group);
    b->setChecked(checked);
    if (!group->layout())
        new QVBoxLayout(group);
    group->layout()->addWidget(b);
    return b;
}

} // namespace

// ---- base

SmallSettingsForm::SmallSettingsForm(const QString& title, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(title);
}

void SmallSettingsForm::AddButtons(QBoxLayout* layout)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* ok = new QPushButton(tr("Ok"), this);
    ok->setObjectName(QStringLiteral("Ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void SmallSettingsForm::accept()
{
    const CheckedSettings checked = Check();
    if (!checked.ok()) {
        ShowMessageBox(this, checked.message, checked.caption, QMessageBox::Warning);
        return;
    }
    TheProgramSettings = *checked.block;
    QDialog::accept();
}

// ---- "Zoom Step"

TZoomStepSize::TZoomStepSize(QWidget* parent) : SmallSettingsForm(tr("Zoom Step"), parent)
{
    auto* layout = new QVBoxLayout(this);
    QGroupBox* g = Group(tr("Enter the scle fctor for zooming in and out (must be > 1)"), layout, this);
    zoomstep = new QLineEdit(ZoomStepText(TheProgramSettings.ZoomStep), g);
    zoomstep->setObjectName(QStringLiteral("zoomstep"));
    (new QVBoxLayout(g))->addWidget(zoomstep);
    AddButtons(layout);
}

CheckedSettings TZoomStepSize::Check() const
{
    return CheckZoomStep(TheProgramSettings, zoomstep->text());
}

// ---- "Menu Style"

Tmenu_style::Tmenu_style(QWidget* parent) : SmallSettingsForm(tr("Menu Style"), parent)
{
    auto* layout = new QVBoxLayout(this);
    QGroupBox* g = Group(tr("Look up table selections"), layout, this);
    subMenus = Radio(tr("Show Items In Sub-Menus"), g, !TheProgramSettings.LookupPopup);
    popupBox = Radio(tr("Show Items in pop-up dilog box"), g, TheProgramSettings.LookupPopup);
    AddButtons(layout);
}

CheckedSettings Tmenu_style::Check() const
{
    return CheckMenuStyle(TheProgramSettings, popupBox->isChecked());
}

// ---- "GPS Settings"

TGPSControl::TGPSControl(QWidget* parent) : SmallSettingsForm(tr("GPS Settings"), parent)
{
    auto* layout = new QVBoxLayout(this);
    QGroupBox* when = Group(tr("When to read and store GPS data"), layout, this);
    auto* grid = new QGridLayout(when);
    auto edit = [](QWidget* parent, const char* name, int maxChars) {
        auto* e = new QLineEdit(parent);
        e->setObjectName(QLatin1String(name));
        if (maxChars > 0)
            e->setMaxLength(maxChars);
        return e;
    };
    MaxInterval = edit(when, "MaxInterval", 0);
    MinInterval = edit(when, "MinInterval", 0);
    grid->addWidget(new QLabel(tr("Maximum interval between readings"), when), 0, 0);
    grid->addWidget(MaxInterval, 0, 1);
    grid->addWidget(new QLabel(tr("S"), when), 0, 2);
    grid->addWidget(new QLabel(tr("Minimum interval between readings"), when), 1, 0);
    grid->addWidget(MinInterval, 1, 1);
    grid->addWidget(new QLabel(tr("S"), when), 1, 2);
    auto* note = new QLabel(tr("In addition, GPS information will be read every time data is entered or received by "
                               "Velmar if it has not been read within the minimum interval above."),
                            when);
    note->setWordWrap(true);
    grid->addWidget(note, 2, 0, 1, 3);

    QGroupBox* which = Group(tr("Which NMEA strings to read"), layout, this);
    auto* strings = new QGridLayout(which);
    useRMC = new QRadioButton(tr("RMC String"), which);
    useRMC->setObjectName(QStringLiteral("useRMC"));
    RMCInitials = edit(which, "RMCInitials", TalkerChars);
    useGGA = new QRadioButton(tr("GGA String"), which);
    useGGA->setObjectName(QStringLiteral("useGGA"));
    GGAInitials = edit(which, "GGAInitials", TalkerChars);
    readHDT = new QCheckBox(tr("Read HDT String"), which);
    readHDT->setObjectName(QStringLiteral("readHDT"));
    HDTInitials = edit(which, "HDTInitials", TalkerChars);
    readHDM = new QCheckBox(tr("Read HDM String"), which);
    readHDM->setObjectName(QStringLiteral("readHDM"));
    HDMInitials = edit(which, "HDMInitials", TalkerChars);
    int row = 0;
    for (auto [button, talker] : {std::pair<QWidget*, QLineEdit*>{useRMC, RMCInitials},
                                  {useGGA, GGAInitials},
                                  {readHDT, HDTInitials},
                                  {readHDM, HDMInitials}}) {
        strings->addWidget(button, row, 0);
        strings->addWidget(talker, row++, 1);
    }
    connect(useRMC, &QRadioButton::clicked, this, [this] { EnableTalkers(); });
    connect(useGGA, &QRadioButton::clicked, this, [this] { EnableTalkers(); });
    AddButtons(layout);
    LoadValues();
}

void TGPSControl::LoadValues()
{
    const GpsControlEntries e = GpsControlEntriesOf(TheProgramSettings);
    MaxInterval->setText(e.maxInterval);
    MinInterval->setText(e.minInterval);
    useRMC->setChecked(e.useRmc);
    useGGA->setChecked(!e.useRmc);
    RMCInitials->setText(e.rmcTalker);
    GGAInitials->setText(e.ggaTalker);
    readHDT->setChecked(e.readHdt);
    HDTInitials->setText(e.hdtTalker);
    readHDM->setChecked(e.readHdm);
    HDMInitials->setText(e.hdmTalker);
    EnableTalkers();
}

void TGPSControl::showEvent(QShowEvent* event)
{
    LoadValues();
    SmallSettingsForm::showEvent(event);
}

void TGPSControl::EnableTalkers()
{
    RMCInitials->setEnabled(useRMC->isChecked());
    GGAInitials->setEnabled(useGGA->isChecked());
}

CheckedSettings TGPSControl::Check() const
{
    GpsControlEntries e;
    e.maxInterval = MaxInterval->text();
    e.minInterval = MinInterval->text();
    e.useRmc = useRMC->isChecked();
    e.rmcTalker = RMCInitials->text();
    e.ggaTalker = GGAInitials->text();
    e.readHdt = readHDT->isChecked();
    e.hdtTalker = HDTInitials->text();
    e.readHdm = readHDM->isChecked();
    e.hdmTalker = HDMInitials->text();
    return CheckGpsControl(TheProgramSettings, e);
}

// ---- "Error Checking"

TErrorChecking::TErrorChecking(QWidget* parent) : SmallSettingsForm(tr("Error Checking"), parent)
{
    auto* layout = new QVBoxLayout(this);
    struct Choice {
        const char* text;
        const char* hint;
    };
    const Choice whenChoices[] = {
        {"No error checking", ""},
        {"Immediate error checking",
         "Data are checked for errors immediately the cursor focus moves to the next control"},
        {"Check errors on form save", "Data are checked for errors only when the form is saved"},
    };
    const Choice popupChoices[] = {
        {"Never", "No visible warnings are issued, but the error is logged in the UserFormErrors database table"},
        {"Manual saves only", "The error is logged in the UserFormErrors database table and visible warnings are "
                              "isued only when data are saved manually"},
        {"Always", "The error is logged in the UserFormErrors database table and visible warnings are isued when "
                   "data are saved either automatically or manually"},
    };
    auto fill = [this, layout](const QString& title, const Choice(&choices)[3], int stored) {
        QGroupBox* g = Group(title, layout, this);
        g->installEventFilter(this);
        auto* group = new QButtonGroup(this);
        for (int i = 0; i < 3; ++i) {
            QRadioButton* b = Radio(QLatin1String(choices[i].text), g, i == stored);
            b->setToolTip(QString());
            b->setProperty("hint", QLatin1String(choices[i].hint));
            b->installEventFilter(this);
            group->addButton(b, i);
        }
        return group;
    };
    when = fill(tr("When to check"), whenChoices, TheProgramSettings.FormErrorChecking);
    popups = fill(tr("Pop up warnings"), popupChoices, TheProgramSettings.FormErrorWarnings);
    hint = new QLabel(this);
    hint->setObjectName(QStringLiteral("hint"));
    hint->setWordWrap(true);
    hint->setMinimumHeight(3 * hint->fontMetrics().height());
    hint->installEventFilter(this);
    layout->addWidget(hint);
    installEventFilter(this);
    AddButtons(layout);
}

bool TErrorChecking::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter) {
        const QVariant h = watched->property("hint");
        hint->setText(h.isValid() ? h.toString() : QString());
    }
    return SmallSettingsForm::eventFilter(watched, event);
}

CheckedSettings TErrorChecking::Check() const
{
    return CheckErrorChecking(TheProgramSettings, when->checkedId(), popups->checkedId());
}

// ---- "Flash Warning Type"

TFlashWarningType::TFlashWarningType(QWidget* parent) : SmallSettingsForm(tr("Flash Warning Type"), parent)
{
    auto* layout = new QVBoxLayout(this);
    QGroupBox* g = Group(tr("Style"), layout, this);
    simple = Radio(tr("Simple"), g, TheProgramSettings.SimpleWarningTimes);
    auto* simpleText = new QLabel(
        tr("The time of the next warning is a fixed interval after the last time the form is saved."), g);
    simpleText->setWordWrap(true);
    g->layout()->addWidget(simpleText);
    advanced = Radio(tr("Advanced"), g, !TheProgramSettings.SimpleWarningTimes);
    auto* advancedText = new QLabel(tr("The time of the next warning is calculated to be on an exact fraction of the "
                                       "hour (i..e every 10, 15, 30 miniutes, etc.)"),
                                    g);
    advancedText->setWordWrap(true);
    g->layout()->addWidget(advancedText);
    AddButtons(layout);
}

CheckedSettings TFlashWarningType::Check() const
{
    return CheckFlashWarningType(TheProgramSettings, simple->isChecked());
}

// ---- launchers

void ShowZoomStepSizeDialog(QWidget* mainForm)
{
    TZoomStepSize form(mainForm);
    if (mainForm) {
        form.adjustSize();
        QRect r = form.geometry();
        r.moveCenter(mainForm->geometry().center());
        form.move(r.topLeft());
    }
    RunForm(form);
}

bool ShowMenuStyleDialog(QWidget* parent)
{
    Tmenu_style form(parent);
    return RunForm(form);
}

bool ShowGpsControlDialog(QWidget* parent)
{
    TGPSControl form(parent);
    return RunForm(form);
}

bool ShowErrorCheckingDialog(QWidget* parent)
{
    TErrorChecking form(parent);
    return RunForm(form);
}

bool ShowFlashWarningTypeDialog(QWidget* parent)
{
    TFlashWarningType form(parent);
    return RunForm(form);
}

} // namespace velmar::shell::ui
