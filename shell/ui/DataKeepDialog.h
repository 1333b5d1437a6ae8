#pragma once
// "Data Storage": how long detections are kept and shown (display time) and
// over how many of the latest minutes they count towards the warnings
// (warning time), both in minutes, 1 <= warning <= display.
// User-interface thread only.
#include "shell/ui/ProgramSettingsPage.h"

namespace velmar::shell::ui {

class DataKeepDialog : public ProgramSettingsPage {
    Q_OBJECT
public:
    static constexpr int IdDisplayTime = 31302;
    static constexpr int IdWarningTime = 31303;

    explicit DataKeepDialog(QWidget* parent = nullptr);

    void SetActive() override;
    bool StoreSettings() override;

private:
    QLineEdit* m_display;
    QLineEdit* m_warning;
};

} // namespace velmar::shell::ui
