#pragma once
// "General Options": where the detector status controls stand, how the
// clocks are shown, colour or black-and-white status texts, and whether the
// bottom status controls are shown. Nothing on it can fail.
// User-interface thread only.
#include "shell/ui/ProgramSettingsPage.h"

namespace velmar::shell::ui {

class MapOptsDialog : public ProgramSettingsPage {
    Q_OBJECT
public:
    static constexpr int IdDetectorsLeft = 31520;
    static constexpr int IdDetectorsOnTab = 31521;
    static constexpr int IdDetectorsNone = 31522;
    static constexpr int IdClockGmtOnly = 31532;
    static constexpr int IdClockAdjacent = 31523;
    static constexpr int IdClockAbove = 31524;
    static constexpr int IdColour = 31526;
    static constexpr int IdBlackAndWhite = 31525;
    static constexpr int IdBottomShow = 31529;
    static constexpr int IdBottomHide = 31531;

    explicit MapOptsDialog(QWidget* parent = nullptr);

    bool StoreSettings() override;
};

} // namespace velmar::shell::ui
