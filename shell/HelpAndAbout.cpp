#include "shell/HelpAndAbout.h"

#include "shell/MainCommands.h"
#include "shell/ShellHooks.h"
#include "shell/ShellLog.h"
#include "shell/ui/HtmlHelp.h"
#include "shell/ui/TOrvidAboutDlg.h"

#include <QUrl>

namespace velmar::shell {

void BindHelpAndAbout(ShellHooks& hooks)
{
    hooks.showHelp = [](QWidget* owner, const QString& helpPath, int command, quint64 data) {
        const int page = command == HelpDisplayContents ? ui::HelpCommandContents : ui::HelpCommandTopic;
        return ui::ShowHelp(owner, helpPath, page, data);
    };
    hooks.closeHelp = [] { ui::CloseHelp(); };
    hooks.showAboutBox = [](QWidget* parent) {
        ui::TOrvidAboutDlg dialog(parent);
        // The same runner as the main window's other dialogs: tests answer
        // it, and copies started by scripts never wait on it.
        if (mainCommandHooks().runDialog)
            mainCommandHooks().runDialog(parent, dialog);
        else if (!qEnvironmentVariableIsSet("VELMAR_NO_MODAL"))
            dialog.exec();
        else
            qCInfo(shellLog).noquote() << "dialog not shown:" << dialog.windowTitle();
    };
    // Copies started by scripts open no browser: the page is only logged.
    if (qEnvironmentVariableIsSet("VELMAR_NO_MODAL"))
        ui::setUrlOpener([](const QUrl& url) {
            qCInfo(shellLog).noquote() << "page not opened:" << url.toString();
            return true;
        });
}

} // namespace velmar::shell
