#pragma once
// "Select": the start and end of the shown data's time window in show-data
// mode. After the first successful check of a run, storing new times makes
// the main window reload the shown data at once.
// User-interface thread only.
#include "shell/ui/ProgramSettingsPage.h"

#include "platform/SystemTime.h"

#include <functional>

namespace velmar::shell::ui {

class ShowTimesDialog : public ProgramSettingsPage {
    Q_OBJECT
public:
    static constexpr int IdStart = 31902;
    static constexpr int IdEnd = 31903;

    // reloadShownData: sends the main window its show-data message and
    // returns once it was handled.
    explicit ShowTimesDialog(std::function<void()> reloadShownData, QWidget* parent = nullptr);

    bool ReadTime(int boxId, platform::SystemTime& time) const;
    bool StoreSettings() override;
    bool Apply() override;

    // The process-wide first-use flag: set at start, cleared by the first
    // successful check.
    static bool FirstUse();
    static void ResetFirstUse(); // tests

private:
    void ShowStoredTimes();

    std::function<void()> m_reload;
    QLineEdit* m_start;
    QLineEdit* m_end;
};

} // namespace velmar::shell::ui
