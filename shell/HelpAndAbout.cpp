#include "shell/HelpAndAbout.h"

#include "shell/MainWindowServices.h"
#include "shell/ShellLog.h"
#include "shell/ui/HtmlHelp.h"
#include "shell/ui/TOrvidAboutDlg.h"
#include "widgets/DialogService.h"

#include <QUrl>

namespace velmar::shell {

namespace {

class HelpPages final : public HelpService {
public:
    bool ShowHelp(QWidget* owner, const QString& helpPath, int command, quint64 data) override
    {
        const int page = command == HelpDisplayContents ? ui::HelpCommandContents : ui::HelpCommandTopic;
        return ui::ShowHelp(owner, helpPath, page, data);
    }
    void CloseHelp() override { ui::CloseHelp(); }
    void ShowAboutBox(QWidget* parent) override
    {
        ui::TOrvidAboutDlg dialog(parent);
        ui::Dialogs().RunDialog(dialog);
    }
};

} // namespace

HelpService& BindHelpAndAbout()
{
    // Copies started by scripts open no browser: the page is only logged.
    if (!ui::Dialogs().Attended())
        ui::setUrlOpener([](const QUrl& url) {
            qCInfo(shellLog).noquote() << "page not opened:" << url.toString();
            return true;
        });
    static HelpPages pages;
    return pages;
}

} // namespace velmar::shell
