#include "widgets/DialogService.h"

#include "platform/FileDialogs.h"
#include "widgets/SettingsSheet.h"

#include <QDialog>
#include <QFontDialog>
#include <QLoggingCategory>
#include <QMenu>
#include <QPrintDialog>

Q_LOGGING_CATEGORY(lcDialogs, "velmar.shell.dialogs")

namespace velmar::shell::ui {

namespace {

ModalDialogs& modal()
{
    static ModalDialogs dialogs;
    return dialogs;
}

DialogService*& bound()
{
    static DialogService* service = nullptr;
    return service;
}

void NotShown(const QString& what)
{
    qCInfo(lcDialogs).noquote() << "dialog not shown:" << what;
}

} // namespace

// ---- the real dialogs

QMessageBox::StandardButton ModalDialogs::MessageBox(QWidget* owner, const QString& text, const QString& caption,
                                                     QMessageBox::Icon icon, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, caption, text, buttons, owner);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool ModalDialogs::RunDialog(QDialog& dialog)
{
    return dialog.exec() == QDialog::Accepted;
}

bool ModalDialogs::RunForm(QDialog& form)
{
    return form.exec() == QDialog::Accepted;
}

int ModalDialogs::RunSheet(SettingsSheet& sheet)
{
    return sheet.Execute();
}

bool ModalDialogs::PrintDialog(QWidget* parent, QPrinter& printer, bool setupOnly)
{
    // The printer set-up is the print dialog too, as the operator knows it.
    Q_UNUSED(setupOnly);
    const std::unique_ptr<QPrintDialog> dialog = platform::NewPrintDialog(printer, parent);
    return dialog->exec() == QDialog::Accepted;
}

bool ModalDialogs::FontDialog(QWidget* parent, QFont& font)
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, parent);
    if (ok)
        font = chosen;
    return ok;
}

QAction* ModalDialogs::RunPopup(QMenu& menu, const QPoint& at)
{
    return menu.exec(at);
}

// ---- scripted runs

QMessageBox::StandardButton UnattendedDialogs::MessageBox(QWidget*, const QString& text, const QString& caption,
                                                          QMessageBox::Icon, QMessageBox::StandardButtons buttons)
{
    qCInfo(lcDialogs).noquote() << caption << ":" << text;
    for (auto b : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::Cancel, QMessageBox::No})
        if (buttons.testFlag(b))
            return b;
    return QMessageBox::NoButton;
}

bool UnattendedDialogs::RunDialog(QDialog& dialog)
{
    NotShown(dialog.windowTitle());
    return false;
}

bool UnattendedDialogs::RunForm(QDialog& form)
{
    if (!m_acceptSheets) {
        qCInfo(lcDialogs).noquote() << "form not shown:" << form.windowTitle();
        return false;
    }
    // Taken as it stands, as if "Ok" were pressed: the form's own checks
    // may still keep it open.
    form.accept();
    const bool ok = form.result() == QDialog::Accepted;
    qCInfo(lcDialogs).noquote() << "form:" << form.windowTitle() << (ok ? "ended with OK" : "closed");
    return ok;
}

int UnattendedDialogs::RunSheet(SettingsSheet& sheet)
{
    QStringList pages;
    for (int i = 0; i < sheet.PageCount(); ++i)
        pages << sheet.Page(i)->Title();
    qCInfo(lcDialogs).noquote() << "sheet:" << sheet.windowTitle() << "pages:" << pages.join(QStringLiteral(", "));
    return int(m_acceptSheets && sheet.ApplyNow());
}

bool UnattendedDialogs::PrintDialog(QWidget*, QPrinter&, bool setupOnly)
{
    NotShown(setupOnly ? QStringLiteral("Printer Setup") : QStringLiteral("Print"));
    return false;
}

bool UnattendedDialogs::FontDialog(QWidget*, QFont&)
{
    NotShown(QStringLiteral("Font"));
    return false;
}

QAction* UnattendedDialogs::RunPopup(QMenu& menu, const QPoint& at)
{
    // A pop-up menu holds nothing up: it closes when it loses the focus.
    return menu.exec(at);
}

// ---- the binding

DialogService& Dialogs()
{
    return bound() ? *bound() : modal();
}

DialogService* BindDialogs(DialogService* service)
{
    DialogService* before = bound();
    bound() = service;
    return before;
}

void BindDialogsForThisRun()
{
    if (!qEnvironmentVariableIsSet("VELMAR_NO_MODAL")) {
        BindDialogs(nullptr);
        return;
    }
    static UnattendedDialogs unattended(qEnvironmentVariableIsSet("VELMAR_ACCEPT_SHEETS"));
    BindDialogs(&unattended);
}

} // namespace velmar::shell::ui
