#include "shell/ui/ShowTapeDialog.h"

#include "settings/ProgramSettings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace velmar::shell::ui {

using store::TheProgramSettings;

namespace {
constexpr int EditLimit = 4;
}

ShowTapeDialog::ShowTapeDialog(int recorderCount, std::function<void(int)> setRecorderCount, QWidget* parent)
    : ProgramSettingsPage(tr("Audio and Cameras"), parent), m_setRecorderCount(std::move(setRecorderCount))
{
    const auto& s = TheProgramSettings;
    m_slots = MakeEdit(IdSlots, EditLimit, QString::number(recorderCount));
    m_soundCards = MakeCheck(IdSoundCardsByName, tr("Identify sound cards by name"), s.IdSoundCardsByName);
    m_cameras = MakeEdit(IdCameraForms, EditLimit, QString::number(s.NGrabbers));
    m_camerasByName = MakeCheck(IdCamerasByName, tr("Identify cameras by name"), s.IdCamerasByName);
    auto* form = new QFormLayout(this);
    form->addRow(tr("Number of Mavrels"), m_slots);
    form->addRow(new QLabel(tr("To Make recordings using the soundcard (s), or other ADC"), this));
    form->addRow(m_soundCards);
    form->addRow(tr("Number of Kelvors"), m_cameras);
    auto* cameraText = new QLabel(
        tr("To grab frames and make AVI files from web and dv cameras. Each grabber may contain multiple cameras."),
        this);
    cameraText->setWordWrap(true);
    form->addRow(cameraText);
    form->addRow(m_camerasByName);
}

bool ShowTapeDialog::StoreSettings()
{
    // Both counts are checked before either is taken: a refused camera count
    // never leaves a new recorder count behind.
    const int slotCount = LeadingIntegerOf(m_slots->text(), EditLimit - 1);
    if (slotCount < 0 || slotCount > MaxCount) {
        Message(tr("Number of Mavrels is out of range (0 to 255)"));
        return false;
    }
    const int cameras = LeadingIntegerOf(m_cameras->text(), EditLimit - 1);
    if (cameras < 0 || cameras > MaxCount) {
        Message(tr("Number of Kelvors is out of range (0 to 255)"));
        return false;
    }
    if (m_setRecorderCount)
        m_setRecorderCount(slotCount);
    TheProgramSettings.IdSoundCardsByName = m_soundCards->isChecked();
    TheProgramSettings.NGrabbers = uint8_t(cameras);
    TheProgramSettings.IdCamerasByName = m_camerasByName->isChecked();
    return true;
}

} // namespace velmar::shell::ui
