#pragma once
// "Nav Data": the local magnetic variation, the units of the map's
// distances and the length of the hydrophone cable.
// User-interface thread only.
#include "shell/ui/ProgramSettingsPage.h"

namespace velmar::shell::ui {

class NavigateDialog : public ProgramSettingsPage {
    Q_OBJECT
public:
    static constexpr int IdVariation = 31920;
    static constexpr int IdHydrophoneLength = 31921;
    static constexpr int IdNauticalMiles = 31922;
    static constexpr int IdMetric = 31923;
    // Buffer sizes of the two edits, terminating zero included: room for
    // "-180.5", so that a variation just out of range is seen and refused.
    static constexpr int EditLimit = 7;

    explicit NavigateDialog(QWidget* parent = nullptr);

    bool StoreSettings() override;
};

} // namespace velmar::shell::ui
