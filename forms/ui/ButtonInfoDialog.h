#pragma once
// TButtonInfoDlg: the "Button Settings" form in which an operator edits one
// button row of a running panel: name, code and hot key, kind, external
// switch, broadcasts, the linked user form, recording, camera grab, sound,
// digital output, serial command, automatic next press and repeat rules.
// On OK the edited values go into the panel's row (ReadControls); the panel
// then writes the row back into its table.
//
// User-interface thread only. The row and the panel belong to the caller and
// must outlive the form.
#include "forms/ButtonDefinition.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace velmar::forms {

class TButtonForm;

// What the running program offers a button: its recorders by name and the
// number of its frame grabbers (the caller knows them; the form lists them).
struct ButtonTargets {
    QStringList recorderNames;
    int grabberCount = 0;
};

class TButtonInfoDlg : public QDialog {
    Q_OBJECT
public:
    TButtonInfoDlg(QWidget* owner, ButtonDefinition& row, TButtonForm& panel, const ButtonTargets& targets = {});

    // Checks every entry in order; the first refusal is shown and the row is
    // left untouched (false). Otherwise the row takes the edit (true).
    bool ReadControls();
    void EnableControls();
    void FillFormSpecificLists();
    void FillButtonList(int order);

    // The components, by the form's names (tests fill them as an operator
    // would).
    QTabWidget* PageControl1 = nullptr;
    QLineEdit* buttonName = nullptr;
    QLineEdit* buttonCode = nullptr;
    QLineEdit* buttonHotkey = nullptr;
    QRadioButton* typePush = nullptr;
    QRadioButton* typeRadioButton = nullptr;
    QRadioButton* typePushRadioButton = nullptr;
    QCheckBox* defaultButton = nullptr;
    QCheckBox* haveExternal = nullptr;
    QLineEdit* dioChannel = nullptr;
    QCheckBox* respondBroadcast = nullptr;
    QLineEdit* wParam_respond = nullptr;
    QComboBox* formName = nullptr;
    QComboBox* indexControl = nullptr;
    QLineEdit* ctrlCode = nullptr;
    QComboBox* codeControl = nullptr;
    QCheckBox* makeRecording = nullptr;
    QLineEdit* recordingLength = nullptr;
    QComboBox* waveRecorder = nullptr;
    QComboBox* grabberNumber = nullptr;
    QCheckBox* playSound = nullptr;
    QLineEdit* soundFileName = nullptr;
    QPushButton* browseSoundFiles = nullptr;
    QComboBox* soundCard = nullptr;
    QRadioButton* pulseNone = nullptr;
    QRadioButton* pulseGOHI = nullptr;
    QRadioButton* pulseGOLO = nullptr;
    QRadioButton* pulseHILO = nullptr;
    QRadioButton* pulseLOHI = nullptr;
    QLineEdit* pulseChannel = nullptr;
    QLineEdit* pulseLength = nullptr;
    QLineEdit* serialCommand = nullptr;
    QCheckBox* sendCR = nullptr;
    QCheckBox* autoNext = nullptr;
    QComboBox* nextButton = nullptr;
    QLineEdit* nextDelay = nullptr;
    QCheckBox* sendBroadcast = nullptr;
    QLineEdit* wParam = nullptr;
    QCheckBox* repeatRestartTimer = nullptr;
    QCheckBox* repeatSupressDigitalOut = nullptr;
    QCheckBox* repeatSupressSoundPlayback = nullptr;
    QPushButton* buttonOk = nullptr;
    QPushButton* buttonCancel = nullptr;

private:
    void FormCreate();
    bool Refuse(const QString& text, const QString& caption);

    ButtonDefinition& m_row;
    TButtonForm& m_panel;
    ButtonTargets m_targets;
};

// Opens the form on a row of a panel, on the page it last closed on; true
// when it ended with OK (the row then holds the edit).
bool ShowButtonInfoDialog(QWidget* owner, ButtonDefinition& row, TButtonForm& panel, const ButtonTargets& targets = {});

} // namespace velmar::forms
