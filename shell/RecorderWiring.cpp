#include "shell/RecorderWiring.h"

#include "forms/ButtonDigitalIo.h"
#include "forms/ButtonPorts.h"
#include "forms/UserFormInfo.h"
#include "forms/ui/TUserForm.h"
#include "nav/RecentEventDispatch.h"
#include "recorder/ui/TAutoRec.h"
#include "shell/MainCommands.h"
#include "shell/MainWindowEvents.h"
#include "shell/MainWindowPorts.h"
#include "shell/MainWindowServices.h"
#include "widgets/MyControls.h"
#include "platform/ProgramClock.h"
#include "shell/TV2000Window.h"
#include "platform/WindowMessage.h"
#include "widgets/MessageBoxSeam.h"
#include "settings/ProgramSettings.h"
#include "store/RecordWriters.h"

#include <QEvent>
#include <QHash>

namespace velmar::shell {
namespace {

using recorder::ui::TAutoRec;

constexpr int DetectorModeEdit = 31552;
constexpr int DetectorStateEdit = 31559;

// Each user form's trigger bit: the same for every recorder, in the order of
// the user-form list, from the first bit after the detectors'.
QHash<QString, int>& FormTriggerBits()
{
    static QHash<QString, int> bits;
    return bits;
}

// The main window's view of one recorder window.
class RecorderTab : public AutoRecorder, public QObject {
public:
    RecorderTab(QWidget* parent, int index, NavigationService& navigation, StartupService& startup)
        : m_window(new TAutoRec(Host(navigation, startup), index, parent))
    {
        m_window->adjustSize();
        m_window->hide();
        m_window->installEventFilter(this);
    }
    ~RecorderTab() override { delete m_window; }

    QWidget* Widget() override { return m_window; }
    void SetNumber(int number) override { m_window->SetRecorderNumber(number); }
    QString GetRecorderName() override { return m_window->GetRecorderName(); }
    void CreateWindow() override { m_window->SetupWindow(); }
    void CreateTriggerBoxes() override
    {
        QStringList names;
        for (const forms::TUserFormInfo* form : forms::UserFormList())
            if (!form->FormName.isEmpty())
                names << form->FormName;
        const int made = m_window->CreateTriggerBoxes(names);
        FormTriggerBits().clear();
        for (int i = 0; i < made; ++i)
            FormTriggerBits().insert(names[i], recorder::FixedTriggerBits + i);
    }
    bool CanClose() override { return m_window->CanClose(); }
    void StopRecording(int how) override { m_window->StopRecording(how != 0); }
    void AutoStartCheck() override { m_window->SetEnableBuffer(m_window->Recording().EnableBuffer); }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() != platform::WindowMessageEvent::eventType())
            return false;
        auto* m = static_cast<platform::WindowMessageEvent*>(e);
        if (m->message() != uint(Command::RecorderLongRecording))
            return false;
        m_window->LongRecording(int(m->wParam()));
        return true;
    }

private:
    static recorder::ui::RecorderHost Host(NavigationService& navigation, StartupService& startup)
    {
        recorder::ui::RecorderHost h;
        h.programTime = [] {
            platform::SystemTime t = platform::SystemTime::nowUtc();
            platform::GetProgramTime(&t);
            return t;
        };
        h.gpsReference = [&navigation](int32_t& index, QString& time) {
            navigation.PollGpsIfDue();
            index = store::GetLastGpsIndex(&time);
        };
        h.ask = [](QWidget* owner, const QString& text, const QString& caption, QMessageBox::Icon icon,
                   QMessageBox::StandardButtons buttons) {
            return ui::ShowMessageBox(owner, text, caption, icon, buttons);
        };
        h.writeProgramSettings = [&startup] { return startup.WriteProgramSettings(nullptr); };
        h.recordingState = [](const QString& fileName, int state) {
            if (TV2000Window* w = MainWindowHandle())
                platform::sendWindowMessage(w, platform::MsgRecordingState,
                                            quint64(reinterpret_cast<quintptr>(&fileName)), state);
        };
        h.hasDetectorPanel = [] { return MainWindowHandle() && MainWindowHandle()->DetectorForm(); };
        h.detectorMode = [](const QString& text) {
            if (TMyEdit* e = FindMyEdit(MainWindowHandle()->DetectorForm(), DetectorModeEdit))
                e->setText(text);
        };
        h.detectorState = [](const QString& text, int colour) {
            if (TMyEdit* e = FindMyEdit(MainWindowHandle()->DetectorForm(), DetectorStateEdit)) {
                e->setText(text);
                e->SetColourCode(unsigned(colour));
            }
        };
        h.diskWarningHours = [] { return int(store::TheProgramSettings.DiskWarningHours); };
        // The board number is the external buttons' own.
        h.digitalOutput = [](int bit, int value) { return forms::PostDigitalOutput(0, bit, value); };
        return h;
    }

    TAutoRec* m_window;
};

} // namespace

class RecorderTabs final : public RecorderService {
public:
    std::unique_ptr<AutoRecorder> MakeRecorder(QWidget* parent, int index) override
    {
        return std::make_unique<RecorderTab>(parent, index, *navigation, *startup);
    }
    NavigationService* navigation = &NoNavigation();
    StartupService* startup = &NoStartup();
};

RecorderService& BindRecorders(NavigationService& navigation, StartupService& startup)
{
    TheRecentEventDispatch().ports.triggerRecorders = [](const nav::RecorderTrigger& t) {
        TAutoRec::TriggerRecorders(t.formBit, t.seconds, t.reason);
    };
    forms::UserFormHost forms = forms::userFormHost();
    forms.recorderTrigger = [](const QString& formName) { return FormTriggerBits().value(formName, 0); };
    forms.triggerRecorders = [](int bit, int seconds, const QString& formName) {
        TAutoRec::TriggerRecorders(bit, seconds, formName);
    };
    forms::setUserFormHost(forms);
    forms::buttonPressPorts().triggerRecorder = [](int recorder, int seconds,
                                                   const QString& reason) -> std::optional<int> {
        TAutoRec* r = TAutoRec::Recorder(recorder);
        if (!r)
            return std::nullopt;
        return r->TriggerRecorder(seconds, reason, false);
    };
    static RecorderTabs tabs;
    tabs.navigation = &navigation;
    tabs.startup = &startup;
    return tabs;
}

} // namespace velmar::shell
