#pragma once
// The small one-screen settings forms: the map's zoom step, how look-up
// selections are offered, how GPS data are read, when user forms check their
// entries, and how save reminders are timed. Each shows the global settings
// block when it opens and, on OK, checks every value (SettingsChecks.h) and
// takes the new block whole into memory; a failed check shows its message
// and keeps the form open with nothing stored. The file follows with the
// block's next write.
//
// Every form is opened through its launcher, which runs it modally through
// the form runner (widgets/FormRunner.h) and answers true when it ended with OK.
//
// User-interface thread only.
#include "shell/ui/SettingsChecks.h"
#include "widgets/FormRunner.h"

#include <QDialog>

#include <functional>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QRadioButton;
class QCheckBox;
class QBoxLayout;

namespace velmar::shell::ui {

// Base of the forms: "Ok" runs Check(); a passed check commits the block and
// ends with OK, a failed one shows its message and stays open.
class SmallSettingsForm : public QDialog {
    Q_OBJECT
public:
    explicit SmallSettingsForm(const QString& title, QWidget* parent = nullptr);

    void accept() override;

protected:
    virtual CheckedSettings Check() const = 0;
    // The "Ok" and "Cancel" row under the form's own controls.
    void AddButtons(QBoxLayout* layout);
};

class TZoomStepSize : public SmallSettingsForm {
    Q_OBJECT
public:
    explicit TZoomStepSize(QWidget* parent = nullptr);
    QLineEdit* zoomstep;

protected:
    CheckedSettings Check() const override;
};

class Tmenu_style : public SmallSettingsForm {
    Q_OBJECT
public:
    explicit Tmenu_style(QWidget* parent = nullptr);
    QRadioButton* subMenus;
    QRadioButton* popupBox;

protected:
    CheckedSettings Check() const override;
};

class TGPSControl : public SmallSettingsForm {
    Q_OBJECT
public:
    explicit TGPSControl(QWidget* parent = nullptr);

    QLineEdit* MaxInterval;
    QLineEdit* MinInterval;
    QRadioButton* useRMC;
    QLineEdit* RMCInitials;
    QRadioButton* useGGA;
    QLineEdit* GGAInitials;
    QCheckBox* readHDT;
    QLineEdit* HDTInitials;
    QCheckBox* readHDM;
    QLineEdit* HDMInitials;

    // Loads the block's values (each time the form is shown).
    void LoadValues();

protected:
    void showEvent(QShowEvent* event) override;
    CheckedSettings Check() const override;

private:
    void EnableTalkers();
};

class TErrorChecking : public SmallSettingsForm {
    Q_OBJECT
public:
    explicit TErrorChecking(QWidget* parent = nullptr);

    QButtonGroup* when;   // ids 0 to 2
    QButtonGroup* popups; // ids 0 to 2
    QLabel* hint;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    CheckedSettings Check() const override;
};

class TFlashWarningType : public SmallSettingsForm {
    Q_OBJECT
public:
    explicit TFlashWarningType(QWidget* parent = nullptr);
    QRadioButton* simple;
    QRadioButton* advanced;

protected:
    CheckedSettings Check() const override;
};

// The launchers. The zoom step form is centred on the main form.
void ShowZoomStepSizeDialog(QWidget* mainForm);
bool ShowMenuStyleDialog(QWidget* parent);
bool ShowGpsControlDialog(QWidget* parent);
bool ShowErrorCheckingDialog(QWidget* parent);
bool ShowFlashWarningTypeDialog(QWidget* parent);

} // namespace velmar::shell::ui
