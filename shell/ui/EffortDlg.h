#pragma once
// "Effort Line": how the map draws the survey effort along the track: the
// longest gap between fixes the line still joins, its pen width, and whether
// it is one grey line or coloured by an effort source (one of the four fixed
// sources, or a control of a user form that has a tab of its own).
//
// User-interface thread only.
#include "shell/ui/ProgramSettingsPage.h"

#include <QStringList>

#include <functional>
#include <vector>

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace velmar::shell::ui {

// A user form the effort colours may come from: its name and the titles of
// its controls in the form's order.
struct EffortFormChoice {
    QString name;
    QStringList controls;
};
// The tab forms that are not hidden, in the order they were made.
using EffortFormSource = std::function<std::vector<EffortFormChoice>()>;

// Set when a page stored another effort source since the last Apply.
bool& EffortSourceChangeFlag();

class EffortDlg : public ProgramSettingsPage {
    Q_OBJECT
public:
    static constexpr int IdFormList = 31400;
    static constexpr int IdControlList = 31401;
    static constexpr int IdColours = 31402;
    static constexpr int IdGrey = 31403;
    static constexpr int IdPenWidth = 31404;
    static constexpr int IdGap = 31405;

    // forms: the user forms offered; reload: asks the main window to reload
    // the effort line (in show-data mode, after an Apply that changed the
    // source).
    EffortDlg(EffortFormSource forms, std::function<void()> reload, QWidget* parent = nullptr);

    bool StoreSettings() override;
    bool Apply() override;

    void EnableControls();
    void FillControlList();

private:
    std::vector<EffortFormChoice> m_forms;
    std::function<void()> m_reload;
    QLineEdit* m_gap;
    QLineEdit* m_pen;
    QRadioButton* m_grey;
    QRadioButton* m_colours;
    QComboBox* m_formList;
    QComboBox* m_controlList;
};

} // namespace velmar::shell::ui
