#include "shell/HeardWiring.h"

#include "comments/TCommentWindow.h"
#include "forms/ui/THeardForm.h"
#include "nav/EventWriters.h"
#include "nav/HeardSpecies.h"
#include "nav/RecentEventDispatch.h"
#include "platform/MessageIds.h"
#include "platform/RunMode.h"
#include "platform/WindowMessage.h"
#include "shell/MainCommands.h"
#include "shell/MainWindowEvents.h"
#include "shell/DetectorLinkService.h"
#include "shell/ShellLog.h"
#include "shell/ShowDataWiring.h"
#include "shell/TV2000Window.h"
#include "store/RecordWriters.h"
#include "widgets/MessageBoxSeam.h"
#include "widgets/MyControls.h"
#include "widgets/DialogService.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace velmar::shell {

namespace {

void SetHeardEdit(int id, const QString& text, unsigned colour)
{
    if (TMyEdit* edit = FindHeardFormEdit(forms::TheHeardForm(), id)) {
        edit->setText(text);
        edit->SetColourCode(colour);
    }
}

void SendCommand(int command)
{
    if (TV2000Window* main = MainWindowHandle())
        platform::sendWindowMessage(main, platform::MsgCommand, quint64(command), 0);
}

forms::HeardFormPorts FormPorts()
{
    forms::HeardFormPorts p;
    p.thingHeard = [](const QString& species, int strength) {
        if (TV2000Window* main = MainWindowHandle()) {
            QString text = species;
            platform::sendWindowMessage(main, platform::MsgThingsHeard, quint64(reinterpret_cast<quintptr>(&text)),
                                        strength);
        }
    };
    p.listeningCommand = SendCommand;
    p.askEffortReason = [](QWidget* owner) {
        if (!ui::Dialogs().Attended()) {
            qCWarning(shellLog) << "Listening Effort : no reason asked (no modal dialogs)";
            forms::ListeningEffortReason().clear();
            return QString();
        }
        forms::TEffortReason dialog(owner);
        ui::Dialogs().RunDialog(dialog);
        return forms::ListeningEffortReason();
    };
    p.writeComment = [](const QString& comment) { return store::DbWriteHeardComment(comment); };
    p.makeList = [](QWidget* parent, int id) -> QListWidget* {
        return new comments::TExtListBox(parent, id,
                                         [](const QString& text) { QGuiApplication::clipboard()->setText(text); });
    };
    p.redrawMap = [] {
        if (TV2000Window* w = MainWindowHandle())
            w->Map().Redraw(false, true);
    };
    return p;
}

// Test hooks: once the main window is up, its tab of that caption is
// selected (as the operator's click would) and `then` runs.
void SelectTabWhenShown(QObject* context, const QString& caption, std::function<void()> then)
{
    constexpr int PollMs = 50;
    QTimer::singleShot(PollMs, context, [context, caption, then] {
        TV2000Window* main = MainWindowHandle();
        if (!main || !main->window()->isVisible() || !main->TabControl()) {
            SelectTabWhenShown(context, caption, then);
            return;
        }
        TMyTabControl* tabs = main->TabControl();
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i) == caption)
                tabs->setCurrentIndex(i);
        main->ShowSelectedTab();
        qCInfo(shellLog).noquote() << "tab" << tabs->tabText(tabs->currentIndex()) << "selected";
        if (then)
            then();
    });
}

// A strength button of a species pressed on the "Things Heard" tab.
void PressWhenShown(forms::THeardForm* form, const QString& species, int strength)
{
    SelectTabWhenShown(form, QStringLiteral("Things Heard"), [form, species, strength] {
        qCInfo(shellLog).noquote() << "Things Heard shown:" << form->isVisible();
        QPushButton* button = form->StrengthButton(nav::TheHeardSpecies().FindSpecies(species), strength);
        qCInfo(shellLog).noquote() << "pressing" << species << strength << (button ? "" : "(no such button)");
        if (button)
            button->click();
        const TMyEdit* status = FindHeardFormEdit(form, forms::kListeningStatusEdit);
        qCInfo(shellLog).noquote() << "listening status:" << (status ? status->text() : QString());
    });
}

QWidget* MakeHeardForm(QWidget* parent)
{
    auto* form = new forms::THeardForm(parent, FormPorts(), platform::RunMode == platform::RunModeShowData);
    const QString press = qEnvironmentVariable("VELMAR_PRESS_HEARD");
    if (const qsizetype slash = press.lastIndexOf(u'/'); slash > 0)
        PressWhenShown(form, press.left(slash), press.mid(slash + 1).toInt());
    return form;
}

void BindDispatch()
{
    nav::RecentEventDispatch::Ports& p = TheRecentEventDispatch().ports;
    p.thingsHeardFormExists = [] { return forms::TheHeardForm() != nullptr; };
    // The edits of other panels stay with whoever set them.
    p.setStatusEdit = [other = p.setStatusEdit](int id, const QString& text, unsigned colour) {
        if (FindHeardFormEdit(forms::TheHeardForm(), id))
            SetHeardEdit(id, text, colour);
        else if (other)
            other(id, text, colour);
    };
    if (!p.askYesNo)
        p.askYesNo = [](const QString& text, const QString& caption) {
            return ui::ShowMessageBox(MainWindowHandle(), text, caption, QMessageBox::Question,
                                      QMessageBox::Yes | QMessageBox::No)
                == QMessageBox::Yes;
        };
    p.setListeningEffortNote = [](const QString& note) { forms::ListeningEffortReason() = note; };
    p.setListeningEffortFull = [] { SendCommand(forms::kListeningFull); };
}

} // namespace

class HeardFormBinding final : public ThingsHeardService {
public:
    QWidget* MakeHeardForm(QWidget* parent) override { return shell::MakeHeardForm(parent); }
    void ThingsHeard(quint64 wParam, qint64 lParam) override
    {
        if (const auto* text = reinterpret_cast<const QString*>(quintptr(wParam)))
            TheRecentEventDispatch().OnThingHeard(*text, int16_t(lParam));
    }
    void ReloadThingsHeard() override
    {
        if (forms::THeardForm* form = forms::TheHeardForm())
            form->Reload(ShownDataReader());
    }
};

ThingsHeardService& BindThingsHeard()
{
    store::SetListeningEffortReasonSource([] { return forms::ListeningEffortReason(); });
    BindDispatch();
    if (const QString tab = qEnvironmentVariable("VELMAR_SHOW_TAB"); !tab.isEmpty())
        SelectTabWhenShown(qApp, tab, {});
    static HeardFormBinding heard;
    return heard;
}

} // namespace velmar::shell
