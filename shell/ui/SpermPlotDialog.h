#pragma once
// "Quintra Click": which click-detector events the map plots, the default
// ranges of click events without a range, and whether the click detector's
// colours are used. Nothing is stored unless every value passes.
// User-interface thread only.
#include "shell/ui/ProgramSettingsPage.h"

namespace velmar::shell::ui {

class SpermPlotDialog : public ProgramSettingsPage {
    Q_OBJECT
public:
    static constexpr int IdPlotAll = 31501;
    static constexpr int IdPlotSeparated = 31502;
    static constexpr int IdTime = 31503;
    static constexpr int IdBearing = 31504;
    static constexpr int IdSpermRange = 31507;
    static constexpr int IdDolphinRange = 31508;
    static constexpr int IdClickColours = 31505;

    explicit SpermPlotDialog(QWidget* parent = nullptr);

    void EnableControls();
    bool StoreSettings() override;

private:
    QRadioButton* m_all;
    QRadioButton* m_separated;
    QLineEdit* m_time;
    QLineEdit* m_bearing;
    QLineEdit* m_sperm;
    QLineEdit* m_dolphin;
    QCheckBox* m_colours;
};

} // namespace velmar::shell::ui
