#pragma once
// A dialog service whose answers a test scripts: bound while it lives. Each
// entry left empty goes to the service bound before it, so a fixture that
// records message boxes and a test that answers one dialog can stand
// together. Small forms go to runDialog when runForm is empty.
#include "widgets/DialogService.h"

#include <QAction>
#include <QDialog>
#include <QFont>
#include <QMenu>
#include <QPoint>
#include <QPrinter>

#include <functional>

namespace velmar::test {

class ScriptedDialogs : public shell::ui::DialogService {
public:
    ScriptedDialogs() : m_before(&shell::ui::Dialogs()) { shell::ui::BindDialogs(this); }
    ~ScriptedDialogs() override
    {
        if (&shell::ui::Dialogs() == this)
            shell::ui::BindDialogs(m_before);
    }
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    std::function<QMessageBox::StandardButton(QWidget* owner, const QString& text, const QString& caption,
                                              QMessageBox::Icon icon, QMessageBox::StandardButtons buttons)>
        messageBox;
    std::function<bool(QDialog& dialog)> runDialog;
    std::function<bool(QDialog& form)> runForm;
    std::function<int(shell::ui::SettingsSheet& sheet)> runSheet;
    std::function<bool(QWidget* parent, QPrinter& printer, bool setupOnly)> printDialog;
    std::function<bool(QWidget* parent, QFont& font)> fontDialog;
    std::function<QAction*(QMenu& menu, const QPoint& at)> runPopup;

    bool Attended() const override { return m_before->Attended(); }
    QMessageBox::StandardButton MessageBox(QWidget* owner, const QString& text, const QString& caption,
                                           QMessageBox::Icon icon, QMessageBox::StandardButtons buttons) override
    {
        return messageBox ? messageBox(owner, text, caption, icon, buttons)
                          : m_before->MessageBox(owner, text, caption, icon, buttons);
    }
    bool RunDialog(QDialog& dialog) override { return runDialog ? runDialog(dialog) : m_before->RunDialog(dialog); }
    bool RunForm(QDialog& form) override
    {
        return runForm ? runForm(form) : runDialog ? runDialog(form) : m_before->RunForm(form);
    }
    int RunSheet(shell::ui::SettingsSheet& sheet) override
    {
        return runSheet ? runSheet(sheet) : m_before->RunSheet(sheet);
    }
    bool PrintDialog(QWidget* parent, QPrinter& printer, bool setupOnly) override
    {
        return printDialog ? printDialog(parent, printer, setupOnly)
                           : m_before->PrintDialog(parent, printer, setupOnly);
    }
    bool FontDialog(QWidget* parent, QFont& font) override
    {
        return fontDialog ? fontDialog(parent, font) : m_before->FontDialog(parent, font);
    }
    QAction* RunPopup(QMenu& menu, const QPoint& at) override
    {
        return runPopup ? runPopup(menu, at) : m_before->RunPopup(menu, at);
    }

private:
    shell::ui::DialogService* m_before;
};

} // namespace velmar::test
