#include "shell/ButtonPanelsInstall.h"

#include "forms/ButtonDigitalIo.h"
#include "forms/ButtonPorts.h"
#include "forms/ui/ButtonInfoDialog.h"
#include "forms/ui/TButtonForm.h"
#include "forms/ui/TUserForm.h"
#include "forms/ui/UserControl.h"
#include "forms/ui/UserFormList.h"
#include "shell/GrabberForms.h"
#include "shell/TV2000Window.h"
#include "shell/UserFormService.h"
#include "widgets/MessageInfo.h"
#include "sound/ButtonSound.h"
#include "store/FixedSchema.h"

#include <QTabBar>

#include <map>
#include <memory>

namespace velmar::forms {

namespace {

// A user form as the panels see it: the window that takes a new record gets
// the press number and the row's "Ctrl Data".
class UserFormLink : public ButtonLinkedForm {
public:
    explicit UserFormLink(TUserFormInfo* form) : m_form(form) {}

    bool FillFromButton(const QString& indexTitle, const QString& indexText, const QString& dataTitle,
                        const QString& ctrlData) override
    {
        UserFormWindow* w = OpenUserFormWindow(shell::MainWindowHandle(), m_form);
        auto* window = w ? qobject_cast<TUserForm*>(w->Object()) : nullptr;
        if (!window)
            return false;
        UserControl* first = indexTitle.isEmpty() ? nullptr : window->FindControl(indexTitle);
        UserControl* second = dataTitle.isEmpty() ? nullptr : window->FindControl(dataTitle);
        if (indexText.isEmpty()) {
            // A press that was not stored has no number to give.
            if (first)
                first->SetValue(QString());
            return window->FillFromButton(nullptr, 0, second, ctrlData);
        }
        return window->FillFromButton(first, indexText.toInt(), second, ctrlData);
    }

private:
    TUserFormInfo* m_form;
};

ButtonLinkedForm* linkOf(const QString& formName)
{
    static std::map<TUserFormInfo*, std::unique_ptr<UserFormLink>> links;
    TUserFormInfo* form = FindUserForm(formName);
    if (!form)
        return nullptr;
    std::unique_ptr<UserFormLink>& link = links[form];
    if (!link)
        link = std::make_unique<UserFormLink>(form);
    return link.get();
}

} // namespace

namespace {

void showCounterProgress(int position, int count)
{
    if (position < 0)
        shell::ShowProgressInfo(shell::MainWindowHandle(), 0, count, 0, QStringLiteral("Setting Counter 0"),
                                QString::fromLatin1(kCounterProgressCaption));
    else if (position < count)
        shell::UpdateProgressInfo(position, QStringLiteral("Setting Counter %1/%2").arg(position).arg(count));
    else
        shell::CloseProgressInfo();
}

class ButtonPanels final : public shell::ButtonPanelService {
public:
    int LoadPanels(QTabBar* tabs, int firstTab) override
    {
        return LoadButtonForms(tabs ? tabs->parentWidget() : nullptr, tabs, firstTab);
    }
    void Layout(const QRect& area) override { ButtonFormsLayout(area); }
    void SelectTab(int tab) override { ButtonFormsSelectTab(tab); }
    int AddPanelTab(QTabBar* tabs, int command, const QString& table) override
    {
        if (command != store::kCmdNewButtonFormTable)
            return 0;
        return AddButtonForm(tabs ? tabs->parentWidget() : nullptr, tabs, table) ? 1 : 0;
    }
    void MoveTabs(int from, int delta) override { ButtonFormsMoveTabs(from, delta); }
    bool OnHotKey(int key) override { return ButtonFormsOnHotKey(key); }
    void RestartButtonThread() override { ButtonFormsStartButtonThread(true); }
    bool CounterThreadRunning() override { return forms::CounterThreadRunning(); }
    void QuitCounterThread() override { forms::QuitCounterThread(); }
    bool WaitCounterThread(int ms) override { return forms::WaitCounterThread(ms); }
    void StartCounterThread() override { forms::StartCounterThread(showCounterProgress); }
};

} // namespace

shell::ButtonPanelService& BindButtonPanels()
{
    ButtonPressPorts& p = buttonPressPorts();
    p.grab = [](int grabber, const QString& reason) {
        shell::TV2000Window* w = shell::MainWindowHandle();
        shell::GrabberForm* form = w && grabber >= 0 && grabber < shell::MaxGrabberForms ? w->Grabber(grabber)
                                                                                         : nullptr;
        if (!form)
            return false;
        shell::GrabberFormGrab(form, reason);
        return true;
    };
    p.playSound = [](const QString& file, QString* error) {
        static sound::ButtonSoundPlayer player;
        return player.Play(file, error);
    };
    p.findUserForm = [](const QString& formName) { return linkOf(formName); };
    buttonEditor() = [](QWidget* owner, ButtonDefinition& row, TButtonForm& panel) {
        ButtonTargets targets;
        for (int n = 0; n < shell::GetRecorderCount(); ++n)
            targets.recorderNames << shell::GetRecorderName(n);
        targets.grabberCount = shell::GetGrabberCount();
        return ShowButtonInfoDialog(owner, row, panel, targets);
    };
    p.requestDigitalOutput = [](int bit, int count, int pulseCode, int lengthMs) {
        return RequestDigitalOutput(bit, count, pulseCode, lengthMs);
    };
    static ButtonPanels panels;
    return panels;
}

} // namespace velmar::forms
