#pragma once
// The dialog service: how every window of the program shows a message box,
// runs a modal dialog, a small settings form or a settings sheet, asks for a
// printer or a font, and runs a pop-up menu.
//
// One binding serves the whole program. Start-up chooses it once
// (BindDialogsForThisRun): the real modal dialogs, or for copies started by
// scripts the unattended binding, which shows nothing, says in the log what it
// did not show and answers as the operator's default would. Tests bind their
// own service for as long as they need it.
//
// User-interface thread only.
#include <QMessageBox>
#include <QString>

class QAction;
class QDialog;
class QFont;
class QMenu;
class QPoint;
class QPrinter;
class QWidget;

namespace velmar::shell::ui {

class SettingsSheet;

class DialogService {
public:
    virtual ~DialogService() = default;
    // False when no operator is there to answer: dialogs are then not shown.
    virtual bool Attended() const = 0;
    // The button that closed the box.
    virtual QMessageBox::StandardButton MessageBox(QWidget* owner, const QString& text, const QString& caption,
                                                   QMessageBox::Icon icon, QMessageBox::StandardButtons buttons) = 0;
    // A modal dialog; true when it ended with OK.
    virtual bool RunDialog(QDialog& dialog) = 0;
    // A small settings form; true when it ended with OK.
    virtual bool RunForm(QDialog& form) = 0;
    // A settings sheet; its result (1 for OK or Finish).
    virtual int RunSheet(SettingsSheet& sheet) = 0;
    // The print dialog, or with setupOnly the printer set-up; true for OK.
    virtual bool PrintDialog(QWidget* parent, QPrinter& printer, bool setupOnly) = 0;
    // The font dialog starting at font, which takes the choice; true for OK.
    virtual bool FontDialog(QWidget* parent, QFont& font) = 0;
    // A pop-up menu at a screen point: the chosen action, or null.
    virtual QAction* RunPopup(QMenu& menu, const QPoint& at) = 0;
};

// Real modal dialogs, run with exec().
class ModalDialogs : public DialogService {
public:
    bool Attended() const override { return true; }
    QMessageBox::StandardButton MessageBox(QWidget* owner, const QString& text, const QString& caption,
                                           QMessageBox::Icon icon, QMessageBox::StandardButtons buttons) override;
    bool RunDialog(QDialog& dialog) override;
    bool RunForm(QDialog& form) override;
    int RunSheet(SettingsSheet& sheet) override;
    bool PrintDialog(QWidget* parent, QPrinter& printer, bool setupOnly) override;
    bool FontDialog(QWidget* parent, QFont& font) override;
    QAction* RunPopup(QMenu& menu, const QPoint& at) override;
};

// Copies started by scripts: nothing waits for an operator. Boxes are logged
// and take their default answer (OK, else Yes, else Cancel, else No); dialogs
// are logged as not shown and end as cancelled; pop-up menus open, as they
// hold nothing up (a scripted click can choose from them). With acceptSheets
// (scripted runs that stand for an operator pressing OK) small forms and
// settings sheets are taken as they stand, as if OK were pressed.
class UnattendedDialogs : public DialogService {
public:
    explicit UnattendedDialogs(bool acceptSheets) : m_acceptSheets(acceptSheets) {}
    bool Attended() const override { return false; }
    QMessageBox::StandardButton MessageBox(QWidget* owner, const QString& text, const QString& caption,
                                           QMessageBox::Icon icon, QMessageBox::StandardButtons buttons) override;
    bool RunDialog(QDialog& dialog) override;
    bool RunForm(QDialog& form) override;
    int RunSheet(SettingsSheet& sheet) override;
    bool PrintDialog(QWidget* parent, QPrinter& printer, bool setupOnly) override;
    bool FontDialog(QWidget* parent, QFont& font) override;
    QAction* RunPopup(QMenu& menu, const QPoint& at) override;

private:
    bool m_acceptSheets;
};

// The service bound now; the real modal dialogs until something else is bound.
DialogService& Dialogs();
// Binds service, which is not owned and must outlive its binding; null binds
// the real modal dialogs again. Answers the service bound before.
DialogService* BindDialogs(DialogService* service);
// Program start-up: the unattended binding when VELMAR_NO_MODAL is set (taking
// forms and sheets as they stand when VELMAR_ACCEPT_SHEETS is set too), else
// the real dialogs.
void BindDialogsForThisRun();

} // namespace velmar::shell::ui
