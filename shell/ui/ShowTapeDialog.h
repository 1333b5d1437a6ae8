#pragma once
// "Audio and Cameras": the number of recorder and deck slots (live, outside
// the settings block), the number of camera forms, and whether sound cards
// and cameras are identified by name.
// User-interface thread only.
#include "shell/ui/ProgramSettingsPage.h"

#include <functional>

namespace velmar::shell::ui {

class ShowTapeDialog : public ProgramSettingsPage {
    Q_OBJECT
public:
    static constexpr int IdSlots = 31527;
    static constexpr int IdSoundCardsByName = 31533;
    static constexpr int IdCameraForms = 31528;
    static constexpr int IdCamerasByName = 31534;
    static constexpr int MaxCount = 255;

    // recorderCount: the slots in force; setRecorderCount takes a new count
    // as soon as the check has passed it.
    ShowTapeDialog(int recorderCount, std::function<void(int)> setRecorderCount, QWidget* parent = nullptr);

    bool StoreSettings() override;

private:
    std::function<void(int)> m_setRecorderCount;
    QLineEdit* m_slots;
    QCheckBox* m_soundCards;
    QLineEdit* m_cameras;
    QCheckBox* m_camerasByName;
};

} // namespace velmar::shell::ui
