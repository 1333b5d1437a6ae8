#include "shell/ui/MapOptsDialog.h"

#include "settings/ProgramSettings.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace velmar::shell::ui {

using store::TheProgramSettings;

namespace {

QGroupBox* group(QWidget* page, const QString& title, QVBoxLayout* into)
{
    auto* box = new QGroupBox(title, page);
    new QVBoxLayout(box);
    into->addWidget(box);
    return box;
}

bool checked(const QObject* page, int id)
{
    auto* b = ControlById<QRadioButton>(page, id);
    return b && b->isChecked();
}

} // namespace

MapOptsDialog::MapOptsDialog(QWidget* parent) : ProgramSettingsPage(tr("General Options"), parent)
{
    const auto& s = TheProgramSettings;
    auto* layout = new QVBoxLayout(this);
    auto add = [this](QGroupBox* g, int id, const QString& text, bool on) {
        g->layout()->addWidget(MakeRadio(id, text, on, g));
    };
    QGroupBox* g = group(this, tr("Position of Detector Status controls"), layout);
    add(g, IdDetectorsLeft, tr("Down left side"), s.DetectorsPosition == 1);
    add(g, IdDetectorsOnTab, tr("On Tab"), s.DetectorsPosition == 2);
    add(g, IdDetectorsNone, tr("Don't Show at all"), s.DetectorsPosition == 0);
    g = group(this, tr("Position of GMT and Local time controls"), layout);
    add(g, IdClockGmtOnly, tr("GMT Only"), s.TimesAdjacent == 0);
    add(g, IdClockAdjacent, tr("Adjacent"), s.TimesAdjacent == 1);
    add(g, IdClockAbove, tr("One above the other"), s.TimesAdjacent == 2);
    g = group(this, tr("Text Colours"), layout);
    add(g, IdColour, tr("Colour"), !s.BlackAndWhite);
    add(g, IdBlackAndWhite, tr("Black and white"), s.BlackAndWhite);
    g = group(this, tr("Bottom Status Controls"), layout);
    add(g, IdBottomShow, tr("Show"), s.ShowBottomControls);
    add(g, IdBottomHide, tr("Don't Show"), !s.ShowBottomControls);
}

bool MapOptsDialog::StoreSettings()
{
    auto& s = TheProgramSettings;
    if (checked(this, IdDetectorsLeft))
        s.DetectorsPosition = 1;
    if (checked(this, IdDetectorsOnTab))
        s.DetectorsPosition = 2;
    if (checked(this, IdDetectorsNone))
        s.DetectorsPosition = 0;
    s.TimesAdjacent = 0;
    if (checked(this, IdClockAdjacent))
        s.TimesAdjacent = 1;
    if (checked(this, IdClockAbove))
        s.TimesAdjacent = 2;
    s.BlackAndWhite = checked(this, IdBlackAndWhite);
    s.ShowBottomControls = checked(this, IdBottomShow);
    return true;
}

} // namespace velmar::shell::ui
