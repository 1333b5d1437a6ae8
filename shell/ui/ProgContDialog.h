#pragma once
// "Automatic Start / Stop": whether the hydrophone power and cable lines of
// the input board are watched, and which programs and activities start and
// stop by themselves when the run state changes. Nothing on it can fail.
// User-interface thread only.
#include "shell/ui/ProgramSettingsPage.h"

#include <array>

namespace velmar::shell::ui {

class ProgContDialog : public ProgramSettingsPage {
    Q_OBJECT
public:
    static constexpr int IdPower = 31278;
    static constexpr int IdCable = 31279;
    static constexpr int IdFirstStart = 31280; // + row 0 to 4
    static constexpr int IdFirstStop = 31290;  // + row 0 to 4
    static constexpr int Rows = 5;

    // recorderCount: the recorder and deck slots in force.
    explicit ProgContDialog(int recorderCount, QWidget* parent = nullptr);

    void SetActive() override;
    bool StoreSettings() override;
    void EnableControls();

private:
    int m_recorderCount;
    QCheckBox* m_power;
    QCheckBox* m_cable;
    std::array<QCheckBox*, Rows> m_start{};
    std::array<QCheckBox*, Rows> m_stop{};
};

} // namespace velmar::shell::ui
