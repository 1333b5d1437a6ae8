#pragma once
// The small settings dialogs of the main window's commands and the pages
// other subsystems lend its settings sheets.
//
// User-interface thread only.
class QString;
class QWidget;

namespace velmar::shell {

namespace ui {
class SettingsPage;
}

class SettingsDialogService {
public:
    virtual ~SettingsDialogService() = default;
    // True when it ended with OK.
    virtual bool GpsControlDialog(QWidget* parent) = 0;
    virtual void FlashWarningTypeDialog(QWidget* parent) = 0;
    virtual void ErrorCheckingDialog(QWidget* parent) = 0;
    virtual void TransferEffortDialog(QWidget* parent) = 0;
    // The track statistics; false when this program has none to show.
    virtual bool StatisticsDialog(QWidget* parent) = 0;
    // A page by class name ("MapFileDialog", "EffortDlg", "NavigateDialog",
    // "DavisPortDlg"), owned by the caller; null when it is not there.
    virtual ui::SettingsPage* MakePage(const QString& name) = 0;
};

// The default: no dialog shown (none ended with OK), no statistics, no page.
SettingsDialogService& NoSettingsDialogs();

} // namespace velmar::shell
